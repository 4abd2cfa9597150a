#include "app/ModelSession.h"

#include "platform/WinDefs.h"

namespace plumvane::app {

ui::Status RecordingModelToolkit::ShowMessage(const std::string& text, std::uint32_t type) {
    const ui::Status shown = ModelToolkit::ShowMessage(text, type);
    if (ui::Succeeded(shown)) {
        api_.MessageBoxA(WindowHwnd().value_or(platform::NULL_HWND), text, ui::kMessageCaption,
                         type);
    }
    return shown;
}

bool ModelUserDriver::ClickCheck(const std::string& name, std::int16_t index) {
    return ui::Succeeded(tk_.UserClickCheck(ui::Elem(name, index)));
}

bool ModelUserDriver::KeyDown(std::int16_t key, std::int16_t shift) {
    return ui::Succeeded(tk_.UserKeyDown(key, shift));
}

bool ModelUserDriver::Scroll(std::int16_t value) {
    return ui::Succeeded(tk_.UserScroll(ui::kListVScroll, value));
}

bool ModelUserDriver::ClickClose() { return ui::Succeeded(tk_.UserClickButton(ui::kCmdClose)); }

bool ModelUserDriver::DeviceChange(bool arrival) {
    const ui::DeviceEvent event =
        arrival ? ui::DeviceEvent::Arrival : ui::DeviceEvent::RemoveComplete;
    return ui::Succeeded(tk_.SystemDeviceChange({event, ui::DeviceKind::DiskInterface}));
}

bool ModelUserDriver::Wait(std::uint32_t milliseconds) {
    tk_.AdvanceClock(milliseconds);
    return true;
}

bool ModelUserDriver::DpiChange(int dpi) { return ui::Succeeded(tk_.SystemDpiChange(dpi)); }

ModelSession::ModelSession(sim::Machine m, Start start) : machine(std::move(m)) {
    if (start == Start::Now) form.Start();
}

nlohmann::ordered_json ModelSession::State() const {
    return DumpState({toolkit, inventory, machine, form.LockMe, form.ListBuilds()});
}

}  // namespace plumvane::app
