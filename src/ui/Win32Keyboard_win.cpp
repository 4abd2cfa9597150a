// The Win32 toolkit's keyboard: key preview for the window and every control,
// Tab moving the focus in the design's tab order, Return on a push button.

#include "ui/Win32ToolkitImpl_win.h"

namespace plumvane::ui {

namespace {

std::int16_t ShiftState() {
    std::int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= kShiftBit;
    if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlBit;
    if (GetKeyState(VK_MENU) < 0) s |= kAltBit;
    return s;
}

}  // namespace

bool Win32Toolkit::Impl::PreviewKey(HWND target, WPARAM key) {
    if (owner.Sink()) owner.RaiseKeyDown(static_cast<std::int16_t>(key), ShiftState());
    if (!IsWindow(target) || !window) return true;
    if (key == VK_TAB) {
        MoveFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    // Outside a dialog a push button ignores Return; the user expects it to
    // press the focused button. Space the buttons and boxes handle themselves.
    if (key == VK_RETURN) {
        const ControlRecord* c = FromWindow(target);
        if (c && c->kind == ControlKind::Button) {
            SendMessageW(target, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

void Win32Toolkit::Impl::MoveFocus(bool forward) {
    const HWND focus = GetFocus();
    const ControlRecord* next = owner.NextTabStop(
        [](const ControlRecord& c) {
            return IsWindowVisible(ToHwnd(c.hwnd)) && IsWindowEnabled(ToHwnd(c.hwnd));
        },
        [&](const ControlRecord& c) { return ToHwnd(c.hwnd) == focus; }, forward);
    if (next) SetFocus(ToHwnd(next->hwnd));
}

void Win32Toolkit::GiveFocus(const ControlRecord& c) {
    // Kept for when the window becomes active, if it is not yet.
    impl_->savedFocus = ToHwnd(c.hwnd);
    if (IsWindowVisible(impl_->window)) SetFocus(ToHwnd(c.hwnd));
}

std::optional<ControlRef> Win32Toolkit::FocusedControl() const {
    if (!impl_->window) return std::nullopt;
    const ControlRecord* c = impl_->FromWindow(GetFocus());
    if (!c) c = impl_->FromWindow(impl_->savedFocus);
    if (!c) return std::nullopt;
    return c->Ref();
}

}  // namespace plumvane::ui
