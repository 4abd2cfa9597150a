// The Win32 toolkit's window classes and procedures: Win32 messages become
// the table's rules and the form's events.

#include "ui/Win32ToolkitImpl_win.h"

namespace plumvane::ui {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

RegisteredClass::~RegisteredClass() {
    if (registered_) UnregisterClassW(name_, GetModuleHandleW(nullptr));
}

bool RegisteredClass::Register(WNDPROC proc) {
    if (registered_) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;  // painted from the control's colour
    wc.lpszClassName = name_;
    if (RegisterClassExW(&wc) != 0) {
        registered_ = true;
        return true;
    }
    // Another toolkit of this process registered it and still uses it.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Win32Toolkit::Impl::RegisterClasses() {
    return formClass.Register(&Impl::WindowProc) && paneClass.Register(&Impl::WindowProc);
}

void Win32Toolkit::Impl::Subclass(HWND h) {
    SetWindowSubclass(h, &Impl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32Toolkit::Impl::WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Impl* self = nullptr;
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        self = static_cast<Impl*>(cs->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Impl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    return self->HandleMessage(h, msg, wp, lp);
}

LRESULT CALLBACK Win32Toolkit::Impl::SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                                  DWORD_PTR ref) {
    Impl* self = reinterpret_cast<Impl*>(ref);
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (self->PreviewKey(h, wp)) return 0;
            break;
        case BM_SETCHECK: {
            const LRESULT r = DefSubclassProc(h, msg, wp, lp);
            self->AfterSetCheck(h);
            return r;
        }
        case WM_SETFOCUS: {
            const LRESULT r = DefSubclassProc(h, msg, wp, lp);
            self->AfterSetFocus(h);
            return r;
        }
        case WM_NCDESTROY:
            self->ForgetAnnotation(h);
            RemoveWindowSubclass(h, &Impl::SubclassProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT Win32Toolkit::Impl::HandleMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (PreviewKey(h, wp)) return 0;
            break;
        case WM_ERASEBKGND:
            EraseBackground(h, reinterpret_cast<HDC>(wp));
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
            if (auto b = ControlColours(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp))) {
                return reinterpret_cast<LRESULT>(*b);
            }
            break;
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED && lp != 0) {
                OnButtonNotify(reinterpret_cast<HWND>(lp));
                return 0;
            }
            break;
        case WM_VSCROLL:
            if (ControlRecord* c = FromWindow(reinterpret_cast<HWND>(lp))) {
                OnScroll(*c, LOWORD(wp), HIWORD(wp));
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
            // A click on a pane gives it the focus, as a picture box takes it.
            if (h != window) SetFocus(h);
            break;
        case WM_SETFOCUS:
            if (h != window) AfterSetFocus(h);
            break;
        case WM_ACTIVATE:
            if (h != window) break;
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && FromWindow(f)) savedFocus = f;
            } else if (savedFocus && IsWindow(savedFocus)) {
                SetFocus(savedFocus);
                return 0;
            }
            break;
        case WM_TIMER:
            if (h != window) break;
            owner.TimerDue(static_cast<std::uint32_t>(wp), std::nullopt);
            return 0;
        case kTimerDueNow:
            if (h != window) break;
            owner.TimerDue(static_cast<std::uint32_t>(wp),
                           static_cast<std::uint64_t>(static_cast<std::uintptr_t>(lp)));
            return 0;
        case WM_DEVICECHANGE:
            if (h != window) break;
            owner.RaiseDeviceChange(DecodeDeviceChange(wp, lp));
            return TRUE;
        case WM_DPICHANGED:
            if (h != window) break;
            OnDpiChanged(wp, lp);
            return 0;
        case WM_DESTROY:
            if (h == window) deviceNotification.reset();
            break;
        case WM_CLOSE:
            if (h == window) {
                DestroyWindow(h);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            if (h == window) {
                // The children went first; nothing of the window is left.
                owner.ClearTable();
                window = nullptr;
                savedFocus = nullptr;
                redrawHeld.clear();
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void Win32Toolkit::Impl::OnButtonNotify(HWND child) {
    ControlRecord* c = FromWindow(child);
    if (!c) return;
    if (c->kind == ControlKind::CheckBox) {
        SendMessageW(child, BM_SETCHECK, static_cast<WPARAM>(StateAfterUserClick(c->check)), 0);
    } else if (c->kind == ControlKind::Button) {
        owner.RaiseButtonClick(c->name);
    }
}

void Win32Toolkit::Impl::OnDpiChanged(WPARAM wp, LPARAM lp) {
    // The same DPI in both words for a window; the rows go by the vertical one.
    DpiChange change;
    change.dpi = HIWORD(wp);
    RECT r{};
    if (lp != 0) {
        r = *reinterpret_cast<const RECT*>(lp);
    } else if (!GetWindowRect(window, &r)) {
        return;
    }
    change.left = r.left;
    change.top = r.top;
    change.right = r.right;
    change.bottom = r.bottom;
    owner.RaiseDpiChange(change);
}

void Win32Toolkit::Impl::AfterSetFocus(HWND h) {
    if (const ControlRecord* c = FromWindow(h)) owner.RaiseFocus(c->Ref());
}

void Win32Toolkit::Impl::AfterSetCheck(HWND h) {
    ControlRecord* c = FromWindow(h);
    if (!c || c->kind != ControlKind::CheckBox) return;
    owner.StoreCheck(*c, static_cast<std::int16_t>(SendMessageW(h, BM_GETCHECK, 0, 0)));
}

}  // namespace plumvane::ui
