#pragma once
// An event sink that records what the toolkit raised, in order, and can run a
// reaction inside a click handler.

#include <functional>
#include <string>
#include <vector>

#include "ui/Toolkit.h"

namespace plumvane::ui::testing {

class EventRecorder : public EventSink {
public:
    std::vector<std::string> events;
    std::function<void(const std::string&, std::int16_t)> onCheck;

    void OnLoad() override { events.push_back("load"); }
    void OnKeyDown(std::int16_t key, std::int16_t shift) override {
        events.push_back("key:" + std::to_string(key) + ":" + std::to_string(shift));
    }
    void OnCheckClick(const std::string& name, std::int16_t index) override {
        events.push_back("click:" + name + "(" + std::to_string(index) + ")");
        if (onCheck) onCheck(name, index);
    }
    void OnButtonClick(const std::string& name) override { events.push_back("button:" + name); }
    void OnScrollChange(const std::string& name) override { events.push_back("scroll:" + name); }
    void OnTimer(std::uint32_t id) override {
        events.push_back("timer:" + std::to_string(id));
        if (onTimer) onTimer(id);
    }
    void OnDeviceChange(const DeviceChange& change) override {
        const char* event = change.event == DeviceEvent::Arrival          ? "arrival"
                            : change.event == DeviceEvent::RemoveComplete ? "removed"
                                                                          : "other";
        const char* device = change.device == DeviceKind::DiskInterface ? "disk"
                             : change.device == DeviceKind::Volume      ? "volume"
                                                                        : "other";
        events.push_back(std::string("device:") + event + ":" + device);
    }
    void OnDpiChange(const DpiChange& c) override {
        events.push_back("dpi:" + std::to_string(c.dpi) + " " + std::to_string(c.left) + "," +
                         std::to_string(c.top) + "," + std::to_string(c.right) + "," +
                         std::to_string(c.bottom));
    }
    std::function<void(std::uint32_t)> onTimer;
};

}  // namespace plumvane::ui::testing
