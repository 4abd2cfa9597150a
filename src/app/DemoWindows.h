#pragma once
// The platform of the simulated demo: the machine is simulated, the window is
// real. Device, file, SetupAPI, text and message-box calls go to the simulated
// machine; the calls that act on real windows (module handle, icons, system
// metrics, window messages, owners, styles, themes) go to the real system.
// SetWindowTheme is also recorded by the simulation, so its record of which
// windows lost their visual styles matches the real window. Message boxes are
// always recorded; with `showMessageBoxes` they are also shown for real.
// Program starts are recorded too (the simulated process's own file, as the
// simulation names it); with `showMessageBoxes`, a start the simulation lets
// succeed also starts this demo for real, with `restartParameters` (its
// scenario, elevated), so the demo shows what the product does.

#include <string>
#include <utility>

#include "platform/ForwardingWindows.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::app {

class DemoWindows final : public platform::ForwardingWindows {
public:
    DemoWindows(sim::SimulatedWindows& machine, platform::WindowsApi& real, bool showMessageBoxes,
                std::string restartParameters = {})
        : ForwardingWindows(machine),
          sim_(machine),
          real_(real),
          showMessageBoxes_(showMessageBoxes),
          restartParameters_(std::move(restartParameters)) {}

    using UINT = platform::UINT;
    using LONG = platform::LONG;
    using HRESULT = platform::HRESULT;
    using Handle = platform::Handle;
    using Hwnd = platform::Hwnd;

    int MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                    UINT type) override;
    platform::BOOL ShellExecuteExW(Hwnd owner, std::string_view verb, std::string_view file,
                                   std::string_view parameters,
                                   std::string_view directory) override;

    // The real window's side.
    platform::Hinstance GetModuleHandleA(std::nullptr_t) override {
        return real_.GetModuleHandleA(nullptr);
    }
    int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
    Handle LoadImageA(platform::Hinstance instance, std::string_view name, UINT type, int cx,
                      int cy, UINT loadFlags) override {
        return real_.LoadImageA(instance, name, type, cx, cy, loadFlags);
    }
    platform::LRESULT SendMessageA(Hwnd window, UINT msg, platform::WPARAM wParam,
                                   platform::LPARAM lParam) override {
        return real_.SendMessageA(window, msg, wParam, lParam);
    }
    Hwnd GetWindow(Hwnd window, UINT command) override { return real_.GetWindow(window, command); }
    LONG GetWindowLongA(Hwnd window, int index) override {
        return real_.GetWindowLongA(window, index);
    }
    HRESULT SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                           std::wstring_view subIdList) override;

private:
    sim::SimulatedWindows& sim_;
    platform::WindowsApi& real_;
    bool showMessageBoxes_;
    std::string restartParameters_;
};

}  // namespace plumvane::app
