#include <algorithm>
#include <iterator>

#include "app/Win32Session.h"
#include "ui/FormDesign.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace plumvane::app {

namespace {

HWND ToHwnd(platform::Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }

// The keyboard state the key-down handler reads its shift state from, set
// for one synthesised key press and put back afterwards.
class HeldModifiers {
public:
    explicit HeldModifiers(std::int16_t shift) {
        saved_ok_ = GetKeyboardState(saved_) != 0;
        if (!saved_ok_) return;
        BYTE held[256];
        std::copy(std::begin(saved_), std::end(saved_), std::begin(held));
        const auto hold = [&held](int vk, bool down) { held[vk] = down ? 0x80 : 0; };
        hold(VK_SHIFT, (shift & ui::kShiftBit) != 0);
        hold(VK_CONTROL, (shift & ui::kCtrlBit) != 0);
        hold(VK_MENU, (shift & ui::kAltBit) != 0);
        SetKeyboardState(held);
    }
    ~HeldModifiers() {
        if (saved_ok_) SetKeyboardState(saved_);
    }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;

private:
    BYTE saved_[256] = {};
    bool saved_ok_ = false;
};

}  // namespace

ui::Status PlatformMessageToolkit::ShowMessage(const std::string& text) {
    if (!IsOpen()) return ui::Status::NoWindow;
    const int answer =
        api_.MessageBoxA(WindowHwnd().value_or(platform::Hwnd{}), text, ui::kMessageCaption, MB_OK);
    return answer == IDOK ? ui::Status::Ok : ui::Status::Failed;
}

bool Win32UserDriver::Click(const ui::ControlRef& ref) {
    const auto native = tk_.NativeHandle(ref);
    if (!native) return false;
    const HWND h = ToHwnd(*native);
    // A user cannot click what is not on the screen.
    if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
    SendMessageW(h, BM_CLICK, 0, 0);
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::ClickCheck(const std::string& name, std::int16_t index) {
    return Click(ui::Elem(name, index));
}

bool Win32UserDriver::ClickClose() { return Click(ui::Ctl(ui::kCmdClose)); }

bool Win32UserDriver::KeyDown(std::int16_t key, std::int16_t shift) {
    const auto window = tk_.WindowHwnd();
    if (!window || !IsWindowVisible(ToHwnd(*window))) return false;
    // The key goes where the keyboard focus is; key preview hands it to the
    // window first.
    HWND target = ToHwnd(*window);
    if (const auto focused = tk_.FocusedControl()) {
        if (const auto native = tk_.NativeHandle(*focused)) target = ToHwnd(*native);
    }
    {
        HeldModifiers modifiers(shift);
        SendMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(static_cast<std::uint16_t>(key)), 1);
    }
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::Scroll(std::int16_t value) {
    const ui::ControlRef bar = ui::Ctl(ui::kListVScroll);
    const auto native = tk_.NativeHandle(bar);
    const auto min = tk_.GetScroll(bar, ui::ScrollField::Min);
    const auto max = tk_.GetScroll(bar, ui::ScrollField::Max);
    if (!native || !min || !max) return false;
    const HWND h = ToHwnd(*native);
    if (!IsWindowVisible(h)) return false;
    // The thumb's position counts from the minimum towards the maximum,
    // whichever way round the range lies.
    const int clamped = ui::ClampToRange(value, *min, *max);
    const int position = (clamped - *min) * (*max >= *min ? 1 : -1);
    const HWND parent = GetParent(h);
    // What a scroll bar sends when the user lets the thumb go there.
    SendMessageW(parent, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(h));
    SendMessageW(parent, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(h));
    tk_.PumpMessages();
    return true;
}

}  // namespace plumvane::app
