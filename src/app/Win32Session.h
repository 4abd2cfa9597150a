#pragma once
// The window on the real Win32 toolkit over a simulated machine: what
// plumvane-sim.exe runs (Windows builds only; see Win32Session_win.cpp).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Actions.h"
#include "app/DemoWindows.h"
#include "inventory/DiskTable.h"
#include "sim/SimulatedWindows.h"
#include "ui/Win32Toolkit.h"
#include "ui/frmMain.h"

namespace plumvane::app {

// The Win32 toolkit with its own message boxes shown through the
// platform, so the machine records it beside the hotplug messages and the
// demo's automatic runs answer it instead of waiting for a user.
class RecordingWin32Toolkit : public ui::Win32Toolkit {
public:
    RecordingWin32Toolkit(platform::WindowsApi& api, std::optional<int> dpi)
        : ui::Win32Toolkit(dpi), api_(api) {}
    ui::Status ShowMessage(const std::string& text, std::uint32_t type) override;

private:
    platform::WindowsApi& api_;
};

// Performs the user's actions with real window messages, as the controls
// would receive them from the mouse and keyboard, and handles every message
// they cause before returning.
class Win32UserDriver : public UserDriver {
public:
    explicit Win32UserDriver(ui::Win32Toolkit& tk) : tk_(tk) {}
    bool ClickCheck(const std::string& name, std::int16_t index) override;
    bool KeyDown(std::int16_t key, std::int16_t shift) override;
    bool Scroll(std::int16_t value) override;
    bool ClickClose() override;
    // A real WM_DEVICECHANGE for a disk interface, sent to the window.
    bool DeviceChange(bool arrival) override;
    // Pumps the window's messages for that long.
    bool Wait(std::uint32_t milliseconds) override;
    // A real WM_DPICHANGED, sent to the window.
    bool DpiChange(int dpi) override;

private:
    bool Click(const ui::ControlRef& ref);
    ui::Win32Toolkit& tk_;
};

// What the toolkit reports of each control, checked against the real
// windows: position in the parent's client area, size, own visibility,
// caption, font face (panes draw no text and keep none), check state and
// the scroll bar's range and position.
// One line per difference; none when they agree. (Background colours are
// painted on request and cannot be read back from a window.)
std::vector<std::string> DifferencesFromRealWindows(const ui::Win32Toolkit& tk);

// The design's own captions (headings, Close) that do not fit their
// controls in the font they are drawn with: "lblHPD 81x13 in 71x13", the
// text's size, then the room. The font is the system's: where it lacks the
// face, its stand-in may be wider than the design expects.
std::vector<std::string> CutCaptions(const ui::Win32Toolkit& tk);

// A machine, the real window on it and the disk table. `realPlatform` is the
// real system (NativeWindows), used for the window's own calls.
struct Win32Session {
    // restartParameters: the command line of this demo started again as
    // administrator (see DemoWindows).
    Win32Session(sim::Machine m, platform::WindowsApi& realPlatform, bool showMessageBoxes,
                 std::string restartParameters = {})
        : machine(std::move(m)),
          api(machine, realPlatform, showMessageBoxes, std::move(restartParameters)) {}
    sim::SimulatedWindows machine;
    DemoWindows api;
    // At the scenario's DPI; at the screen's when it names none.
    RecordingWin32Toolkit toolkit{api, machine.machine().dpi};
    inventory::DiskInventory inventory;
    ui::frmMain form{toolkit, api, inventory};
    Win32UserDriver user{toolkit};
};

}  // namespace plumvane::app
