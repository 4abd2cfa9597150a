#pragma once
// The main window on the in-memory toolkit over a simulated machine, for the
// window's tests; the machines come from sim/TestMachines.h.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "inventory/DiskTable.h"
#include "sim/SimulatedWindows.h"
#include "sim/TestMachines.h"
#include "ui/FormDesign.h"
#include "ui/ModelToolkit.h"
#include "ui/frmMain.h"

namespace plumvane::ui::testing {

using sim::testing::Flags;
using sim::testing::HotplugImage;
using sim::testing::UsbMachine;
using sim::testing::WindowDisk;
using sim::testing::WindowUsb;

// The simulated machine, running `whileBoxOpen` once inside the next message
// box (as a modal box's own message loop delivers timers and notifications),
// or inside the next open of `openName` when that is set.
class TestWindows : public sim::SimulatedWindows {
public:
    platform::Handle CreateFileA(std::string_view name, platform::DWORD access,
                                 platform::DWORD share, platform::DWORD disposition,
                                 platform::DWORD flags) override {
        if (!openName.empty() && name == openName) {
            openName.clear();
            RunHook();
        }
        return SimulatedWindows::CreateFileA(name, access, share, disposition, flags);
    }
    int MessageBoxA(platform::Hwnd owner, std::string_view text, std::string_view caption,
                    platform::UINT type) override {
        const int answer = SimulatedWindows::MessageBoxA(owner, text, caption, type);
        if (openName.empty()) RunHook();
        return answer;
    }
    std::function<void()> whileBoxOpen;
    std::string openName;

private:
    void RunHook() {
        if (!whileBoxOpen) return;
        const auto run = std::exchange(whileBoxOpen, nullptr);
        run();
    }
};

// Opens of a drive for the hotplug flags ("\\.\PhysicalDrive<n>"): the
// write's (which also confirms the disk) and the read's.
inline int FlagOpensOf(const sim::SimulatedWindows& win) {
    int n = 0;
    for (const auto& call : win.calls()) {
        if (call.detail.find("PhysicalDrive") == std::string::npos) continue;
        if (call.function == "CreateFileA") ++n;
    }
    return n;
}

// Counts the destruction attempts of array elements, failed ones included.
class CountingToolkit : public ModelToolkit {
public:
    struct Destroy {
        std::string name;
        std::int16_t index;
        bool ok;
    };
    Status DestroyElement(const std::string& name, std::int16_t index) override {
        const Status s = ModelToolkit::DestroyElement(name, index);
        destroys.push_back({name, index, Succeeded(s)});
        if (Succeeded(s)) NoteChange("destroy " + RefText(Elem(name, index)));
        return s;
    }
    std::vector<Destroy> destroys;

    // Rows made and destroyed, and whether the list's painting was held then.
    struct Change {
        std::string what;
        bool held;
    };
    Status CreateElement(const std::string& name, std::int16_t index) override {
        const Status s = ModelToolkit::CreateElement(name, index);
        if (Succeeded(s)) NoteChange("create " + RefText(Elem(name, index)));
        return s;
    }
    void NoteChange(std::string what) {
        const ControlRecord* frame = Find(Ctl(kPicListFrame));
        changes.push_back({std::move(what), frame && frame->redrawHolds > 0});
    }
    std::vector<Change> changes;

    // The scroll value and picList's top at the moment a build takes the
    // scroll minimum from that top.
    struct MinTaken {
        std::int16_t value;
        int listTop;
        std::int32_t min;
    };
    Status SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) override {
        if (f == ScrollField::Min) {
            minTaken.push_back(
                {*GetScroll(ref, ScrollField::Value), *GetTop(Ctl(kPicList)), value});
        }
        return ModelToolkit::SetScroll(ref, f, value);
    }
    std::vector<MinTaken> minTaken;
};

class WindowTest : public ::testing::Test {
protected:
    void Start(sim::Machine machine) {
        win.SetMachine(std::move(machine));
        ASSERT_EQ(form.Start(), Status::Ok);
    }
    void TearDown() override {
        // Every handle and device information set is closed by the operation
        // that opened it.
        EXPECT_EQ(win.OpenHandleCount(), 0);
        EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
    }
    void PressF5(std::int16_t shift = 0) { ASSERT_EQ(tk.UserKeyDown(kKeyF5, shift), Status::Ok); }
    void Click(const char* box, std::int16_t row) {
        ASSERT_EQ(tk.UserClickCheck(Elem(box, row)), Status::Ok);
    }

    const ModelControl& C(const ControlRef& ref) const {
        const ModelControl* c = tk.Find(ref);
        if (!c) {
            ADD_FAILURE() << "no control " << RefText(ref);
            static const ModelControl none;
            return none;
        }
        return *c;
    }
    const ModelControl& Row(const char* name, std::int16_t row) const { return C(Elem(name, row)); }
    const ScrollSettings& Scroll() const { return C(Ctl(kListVScroll)).scroll; }
    int RowCount() const {
        int n = 0;
        while (tk.Find(Elem(kLblDisks, static_cast<std::int16_t>(n)))) ++n;
        return n;
    }
    int FlagOpens() const { return FlagOpensOf(win); }

    TestWindows win;
    CountingToolkit tk;
    inventory::DiskInventory inventory;
    frmMain form{tk, win, inventory};
};

}  // namespace plumvane::ui::testing
