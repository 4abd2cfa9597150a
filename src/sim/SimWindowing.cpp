// The user32 / uxtheme side of the simulated machine: message boxes (recorded
// and answered with OK, questions as queued), system metrics, the application icon, window icons,
// owners and visual styles.

#include <cstdio>

#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

namespace {

std::string MessageText(Hwnd w, UINT msg, WPARAM wParam) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "hwnd 0x%llx msg 0x%04X wParam %llu",
                  static_cast<unsigned long long>(static_cast<std::uintptr_t>(w)),
                  static_cast<unsigned>(msg), static_cast<unsigned long long>(wParam));
    return buf;
}

std::string HwndText(Hwnd w) {
    return LabelledHex("hwnd", static_cast<unsigned long long>(static_cast<std::uintptr_t>(w)));
}

}  // namespace

int SimulatedWindows::MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                                  UINT type) {
    Impl::Call call(*this, "MessageBoxA", std::string(text));
    if (auto e = call.Fault()) return call.Fail(*e, 0);
    messageBoxes_.push_back({owner, std::string(text), std::string(caption), type});
    if ((type & MB_TYPEMASK) != MB_YESNO) return call.Ok(IDOK);
    if (answers_.empty()) return call.Ok(IDNO);
    const int answer = answers_.front();
    answers_.pop_front();
    return call.Ok(answer);
}

int SimulatedWindows::GetSystemMetrics(int index) {
    Impl::Call call(*this, "GetSystemMetrics", std::to_string(index));
    if (auto e = call.Fault()) return call.Fail(*e, 0);
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return call.Ok(32);
        case SM_CXSMICON:
        case SM_CYSMICON:
            return call.Ok(16);
        default:
            return call.Ok(0);
    }
}

Handle SimulatedWindows::LoadImageA(Hinstance, std::string_view name, UINT type, int cx, int cy,
                                    UINT) {
    Impl::Call call(*this, "LoadImageA",
                    std::string(name) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    if (auto e = call.Fault()) return call.Fail(*e, NULL_HANDLE);
    // One shared icon: shared icons are never destroyed, so it is not an
    // open handle.
    if (type == IMAGE_ICON && name == "APPICON") return call.Ok(kAppIcon);
    return call.Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, NULL_HANDLE);
}

LRESULT SimulatedWindows::SendMessageA(Hwnd window, UINT msg, WPARAM wParam, LPARAM lParam) {
    Impl::Call call(*this, "SendMessageA", MessageText(window, msg, wParam));
    if (auto e = call.Fault()) return call.Fail(*e, LRESULT{0});
    if (msg == WM_SETICON && (wParam == ICON_SMALL || wParam == ICON_BIG)) {
        LRESULT& slot = impl_->icons[{window, wParam}];
        const LRESULT previous = slot;
        slot = lParam;
        return call.Ok(previous);
    }
    if (msg == WM_GETICON) {
        // ICON_SMALL2 (2) asks for the small icon.
        const WPARAM which = wParam == ICON_BIG ? ICON_BIG : ICON_SMALL;
        auto it = impl_->icons.find({window, which});
        return call.Ok(it == impl_->icons.end() ? LRESULT{0} : it->second);
    }
    return call.Ok(LRESULT{0});
}

Hwnd SimulatedWindows::GetWindow(Hwnd window, UINT command) {
    Impl::Call call(*this, "GetWindow", HwndText(window) + " " + std::to_string(command));
    if (auto e = call.Fault()) return call.Fail(*e, NULL_HWND);
    return call.Ok(NULL_HWND);
}

LONG SimulatedWindows::GetWindowLongA(Hwnd window, int index) {
    Impl::Call call(*this, "GetWindowLongA", HwndText(window) + " " + std::to_string(index));
    if (auto e = call.Fault()) return call.Fail(*e, LONG{0});
    return call.Ok(LONG{0});
}

HRESULT SimulatedWindows::SetWindowTheme(Hwnd window, std::wstring_view, std::wstring_view) {
    Impl::Call call(*this, "SetWindowTheme", HwndText(window));
    if (auto e = call.Fault()) return call.FailQuiet(*e, static_cast<HRESULT>(*e));
    themeOff_.insert(window);
    return call.Ok(S_OK);
}

Hinstance SimulatedWindows::GetModuleHandleA(std::nullptr_t) {
    Impl::Call call(*this, "GetModuleHandleA", "null");
    return call.Ok(kModuleInstance);
}

}  // namespace plumvane::sim
