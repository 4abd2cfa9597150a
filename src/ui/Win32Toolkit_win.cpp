// The Win32 toolkit's operations: the main window, and each control's window
// made, moved and changed as the table's rules allow.

#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"
#include "ui/Win32ToolkitImpl_win.h"

namespace plumvane::ui {

namespace {
constexpr wchar_t kFormClass[] = L"PlumvaneForm";
constexpr wchar_t kPaneClass[] = L"PlumvanePane";
// Fixed size: no sizing border, no maximize box.
constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// The DPI functions of Windows 10 1607 and later, looked up at run time so
// the program starts on every version; null where missing.
struct DpiFunctions {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    GetDpiForWindowFn getDpiForWindow = nullptr;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
};

const DpiFunctions& DpiFunctionsOfThisWindows() {
    static const platform::SystemLibrary user32(L"user32.dll");
    static const DpiFunctions functions{
        user32.Find<DpiFunctions::GetDpiForWindowFn>("GetDpiForWindow"),
        user32.Find<DpiFunctions::AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi")};
    return functions;
}

int StartDpi(std::optional<int> dpi) {
    return dpi && platform::ScreenDpiInRange(*dpi) ? *dpi : Win32Toolkit::Impl::ScreenDpi();
}
}  // namespace

Win32Toolkit::Impl::Impl(Win32Toolkit& owner)
    : owner(owner), paneClass(kPaneClass), formClass(kFormClass) {}

bool Win32Toolkit::Impl::FrameAround(RECT& client) const {
    const DpiFunctions& f = DpiFunctionsOfThisWindows();
    const UINT dpi = f.getDpiForWindow && window ? f.getDpiForWindow(window) : 0;
    if (dpi != 0 && f.adjustWindowRectExForDpi) {
        return f.adjustWindowRectExForDpi(&client, kFormStyle, FALSE, kFormExStyle, dpi) != 0;
    }
    return AdjustWindowRectEx(&client, kFormStyle, FALSE, kFormExStyle) != 0;
}

HWND Win32Toolkit::Impl::ParentWindow(const std::string& parentName) const {
    if (parentName.empty()) return window;
    const ControlRecord* p = owner.Find(Ctl(parentName));
    return p && p->kind == ControlKind::Pane ? ToHwnd(p->hwnd) : nullptr;
}

Win32Toolkit::Win32Toolkit(std::optional<int> dpi)
    : ControlTable(StartDpi(dpi)), impl_(std::make_unique<Impl>(*this)) {}

Win32Toolkit::~Win32Toolkit() {
    // The sink may already be gone; destroying the windows raises nothing.
    SetEventSink(nullptr);
    if (impl_->window) DestroyWindow(impl_->window);
}

Status Win32Toolkit::CreateMainWindow(const std::string& caption, int clientWidth,
                                      int clientHeight) {
    if (impl_->window) return Status::AlreadyExists;
    if (clientWidth < 0 || clientHeight < 0) return Status::OutOfRange;
    if (!impl_->RegisterClasses()) return Status::Failed;
    RECT r{0, 0, clientWidth, clientHeight};
    impl_->FrameAround(r);
    HWND h =
        CreateWindowExW(kFormExStyle, kFormClass, platform::Utf8ToWide(caption).c_str(), kFormStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), impl_.get());
    if (!h) return Status::Failed;
    impl_->window = h;
    impl_->caption = caption;
    impl_->ListenForDisks();
    return Status::Ok;
}

Status Win32Toolkit::PlaceWindow(int left, int top, int clientWidth, int clientHeight) {
    if (!impl_->window) return Status::NoWindow;
    if (clientWidth < 0 || clientHeight < 0) return Status::OutOfRange;
    RECT r{0, 0, clientWidth, clientHeight};
    if (!impl_->FrameAround(r)) return Status::Failed;
    const BOOL placed = SetWindowPos(impl_->window, nullptr, left, top, r.right - r.left,
                                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!placed) return Status::Failed;
    // Moving a control copies the pixels it had; ones not painted yet would stay
    // blank. The window is painted whole again, controls and all.
    RedrawWindow(impl_->window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return Status::Ok;
}

std::optional<std::string> Win32Toolkit::GetWindowCaption() const {
    if (!impl_->window) return std::nullopt;
    return impl_->caption;
}

Status Win32Toolkit::SetWindowCaption(const std::string& caption) {
    if (!impl_->window) return Status::NoWindow;
    if (!SetWindowTextW(impl_->window, platform::Utf8ToWide(caption).c_str())) {
        return Status::Failed;
    }
    impl_->caption = caption;
    return Status::Ok;
}

std::optional<platform::Hwnd> Win32Toolkit::WindowHwnd() const {
    if (!impl_->window) return std::nullopt;
    return FromHwnd(impl_->window);
}

Status Win32Toolkit::Show() {
    Impl& m = *impl_;
    if (!m.window) return Status::NoWindow;
    ShowWindow(m.window, SW_SHOW);
    UpdateWindow(m.window);
    SetForegroundWindow(m.window);
    if (m.savedFocus && IsWindow(m.savedFocus)) SetFocus(m.savedFocus);
    return Status::Ok;
}

Status Win32Toolkit::Unload() {
    if (!impl_->window) return Status::NoWindow;
    DestroyWindow(impl_->window);  // WM_NCDESTROY forgets every control
    return Status::Ok;
}

bool Win32Toolkit::IsOpen() const { return impl_->window != nullptr; }

Status Win32Toolkit::ShowMessage(const std::string& text, std::uint32_t type) {
    const int r =
        MessageBoxA(impl_->window, platform::Utf8ToAnsi(text).c_str(), kMessageCaption, type);
    return r == IDOK ? Status::Ok : Status::Failed;
}

std::optional<platform::Hwnd> Win32Toolkit::NativeHandle(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->hwnd;
}

Status Win32Toolkit::Realise(ControlRecord& c) {
    HWND parent = impl_->ParentWindow(c.parent);
    if (!parent) return Status::NoSuchControl;
    const DWORD common = WS_CHILD | WS_CLIPSIBLINGS | (c.visible ? WS_VISIBLE : 0);
    const wchar_t* cls = nullptr;
    DWORD style = common, exStyle = 0;
    switch (c.kind) {
        case ControlKind::Pane:
            cls = kPaneClass;
            style |= WS_CLIPCHILDREN | WS_TABSTOP;
            if (c.sunkenBorder) exStyle |= WS_EX_CLIENTEDGE;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case ControlKind::Label:
            cls = L"STATIC";
            // One line, cut at the right edge; '&' is shown, not an accelerator.
            style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
            break;
        case ControlKind::CheckBox:
            // Not an auto box: the toolkit makes the toggle itself, so the
            // grayed state exists and a click always goes 0 <-> 1 (2 -> 1).
            cls = L"BUTTON";
            style |= BS_3STATE | WS_TABSTOP;
            break;
        case ControlKind::Button:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::VScrollBar:
            cls = L"SCROLLBAR";
            style |= SBS_VERT | WS_TABSTOP;
            break;
    }
    const std::wstring text = c.HasCaption() ? platform::Utf8ToWide(c.caption) : std::wstring();
    HWND h = CreateWindowExW(exStyle, cls, text.c_str(), style, c.left, c.top, c.width, c.height,
                             parent, nullptr, GetModuleHandleW(nullptr), impl_.get());
    if (!h) return Status::Failed;
    c.hwnd = FromHwnd(h);
    if (c.kind == ControlKind::CheckBox) {
        // Set before the subclass sees it: a copy's state is no change.
        SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(c.check), 0);
        if (!c.accessibleName.empty()) impl_->Annotate(h, c.accessibleName);
    }
    if (c.kind != ControlKind::Pane) impl_->Subclass(h);
    if (c.HasFont()) {
        if (HFONT f = impl_->FontFor(c.fontName)) {
            SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        }
    }
    if (c.kind == ControlKind::VScrollBar) impl_->ApplyScrollInfo(c);
    // Labels are drawn beneath the windowed controls, which overlap them.
    SetWindowPos(h, c.kind == ControlKind::Label ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return Status::Ok;
}

void Win32Toolkit::Unrealise(const ControlRecord& gone) {
    const HWND h = ToHwnd(gone.hwnd);
    if (impl_->savedFocus == h) impl_->savedFocus = nullptr;
    impl_->redrawHeld.erase(h);  // its hold ends with it
    DestroyWindow(h);
}

bool Win32Toolkit::Place(const ControlRecord& c, int left, int top, int width, int height) {
    return SetWindowPos(ToHwnd(c.hwnd), nullptr, left, top, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

void Win32Toolkit::ShowControl(const ControlRecord& c, bool visible) {
    ShowWindow(ToHwnd(c.hwnd), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32Toolkit::Recolour(const ControlRecord& c, std::uint32_t colour) {
    if (!impl_->BrushFor(colour)) return false;
    // Painted with the new colour, which the table stores before the paint.
    InvalidateRect(ToHwnd(c.hwnd), nullptr, TRUE);
    return true;
}

bool Win32Toolkit::Retitle(const ControlRecord& c, const std::string& caption) {
    return SetWindowTextW(ToHwnd(c.hwnd), platform::Utf8ToWide(caption).c_str()) != 0;
}

bool Win32Toolkit::Refont(const ControlRecord& c, const std::string& face) {
    HFONT f = impl_->FontFor(face);
    if (!f) return false;
    SendMessageW(ToHwnd(c.hwnd), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    return true;
}

bool Win32Toolkit::Restack(const ControlRecord& c) {
    const HWND h = ToHwnd(c.hwnd);
    HWND after = HWND_TOP;
    if (c.kind == ControlKind::Label) {
        // In front of the other labels, still behind every windowed sibling.
        for (HWND s = GetWindow(GetParent(h), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
            const ControlRecord* sc = impl_->FromWindow(s);
            if (s != h && sc && sc->kind != ControlKind::Label) after = s;
        }
    }
    return SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != 0;
}

void Win32Toolkit::HoldRedraw(const ControlRecord& c, bool hold) {
    const HWND h = ToHwnd(c.hwnd);
    if (hold) {
        // WM_SETREDRAW TRUE also sets WS_VISIBLE: a hidden window is left alone.
        if ((GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) == 0) return;
        // The hold throws away what is waiting to be painted: paint it first.
        RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SendMessageW(h, WM_SETREDRAW, FALSE, 0);
        impl_->redrawHeld[h] = Records();
        return;
    }
    const auto held = impl_->redrawHeld.find(h);
    if (held == impl_->redrawHeld.end()) return;
    const std::vector<ControlRecord> before = std::move(held->second);
    impl_->redrawHeld.erase(held);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    impl_->RepaintChanged(before);
}

namespace {

// Same place, size, visibility and stacking. zStamp is new for a new control,
// so a window handle used again is no match.
bool StandsWhereItStood(const ControlRecord& a, const ControlRecord& b) {
    return a.zStamp == b.zStamp && a.left == b.left && a.top == b.top && a.width == b.width &&
           a.height == b.height && a.visible == b.visible && a.parent == b.parent;
}

bool ShowsWhatItShowed(const ControlRecord& a, const ControlRecord& b) {
    return a.backColor == b.backColor && a.caption == b.caption && a.fontName == b.fontName &&
           a.check == b.check && a.scroll == b.scroll;
}

}  // namespace

void Win32Toolkit::Impl::RepaintChanged(const std::vector<ControlRecord>& before) {
    // The parent's area a control covered or covers now, with whatever
    // overlaps it there.
    const auto repaintArea = [this](const ControlRecord& c) {
        const HWND parent = ParentWindow(c.parent);
        if (!parent) return;
        const RECT r{c.left, c.top, c.left + c.width, c.top + c.height};
        RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    };
    std::map<platform::Hwnd, const ControlRecord*> was;
    for (const ControlRecord& c : before) was[c.hwnd] = &c;
    for (const ControlRecord& now : owner.Records()) {
        const auto old = was.find(now.hwnd);
        const bool stands = old != was.end() && StandsWhereItStood(*old->second, now);
        if (stands && ShowsWhatItShowed(*old->second, now)) {
            was.erase(old);
            continue;
        }
        RedrawWindow(ToHwnd(now.hwnd), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        if (!stands) repaintArea(now);
        if (old != was.end()) {
            if (!stands) repaintArea(*old->second);
            was.erase(old);
        }
    }
    // What is left was destroyed.
    for (const auto& [hwnd, gone] : was) repaintArea(*gone);
}

void Win32Toolkit::SetCheckState(ControlRecord& c, std::int16_t state) {
    // The subclass stores the state and raises the click event when it changed.
    SendMessageW(ToHwnd(c.hwnd), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int Win32Toolkit::RunMessageLoop() {
    MSG msg;
    while (impl_->window) {
        const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(msg.wParam);
        if (r == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

void Win32Toolkit::PumpMessagesFor(std::uint32_t milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        PumpMessages();
        // A quit left in the queue would wake the wait at once, every time.
        MSG quit;
        if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return;
        const ULONGLONG now = GetTickCount64();
        if (now >= end || !impl_->window) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

void Win32Toolkit::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace plumvane::ui
