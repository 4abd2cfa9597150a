#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "ui/Win32Toolkit.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

namespace plumvane::ui {

namespace {

constexpr wchar_t kFormClass[] = L"PlumvaneForm";
constexpr wchar_t kPaneClass[] = L"PlumvanePane";
constexpr UINT_PTR kSubclassId = 1;

platform::Hwnd FromHwnd(HWND h) {
    return static_cast<platform::Hwnd>(reinterpret_cast<std::uintptr_t>(h));
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string ToAnsi(const std::string& utf8) {
    const std::wstring w = Widen(utf8);
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string a(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), a.data(), n, nullptr,
                        nullptr);
    return a;
}

std::int16_t ShiftState() {
    std::int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= kShiftBit;
    if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlBit;
    if (GetKeyState(VK_MENU) < 0) s |= kAltBit;
    return s;
}

}  // namespace

struct Win32Control {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::optional<std::int16_t> index;
    std::string parent;
    HWND hwnd = nullptr;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    std::uint32_t backColor = kButtonFace;
    std::string caption;
    std::string fontName;
    std::int16_t check = kUnchecked;
    ScrollSettings scroll;
    int tabIndex = 0;
    std::uint64_t sequence = 0;
    bool sunkenBorder = false;
    bool fromDesign = true;

    ControlRef Ref() const { return {name, index}; }
    bool HasFont() const { return kind != ControlKind::VScrollBar; }
    bool HasCaption() const { return kind == ControlKind::Label || kind == ControlKind::Button; }
    bool TakesFocus() const { return kind != ControlKind::Label; }
};

struct Win32Toolkit::Impl {
    explicit Impl(Win32Toolkit& owner) : owner(owner) {
        HDC screen = GetDC(nullptr);
        dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        if (dpi <= 0) dpi = 96;
    }

    ~Impl() {
        if (window) DestroyWindow(window);
        for (auto& [face, font] : fonts) DeleteObject(font);
        for (auto& [colour, brush] : brushes) DeleteObject(brush);
        if (formClassRegistered) UnregisterClassW(kFormClass, GetModuleHandleW(nullptr));
        if (paneClassRegistered) UnregisterClassW(kPaneClass, GetModuleHandleW(nullptr));
    }

    Win32Toolkit& owner;
    int dpi = 96;
    HWND window = nullptr;
    std::string caption;
    bool formClassRegistered = false, paneClassRegistered = false;
    std::vector<std::unique_ptr<Win32Control>> controls;  // creation order
    std::unordered_map<HWND, Win32Control*> byHwnd;
    std::map<std::string, HFONT> fonts;
    std::map<std::uint32_t, HBRUSH> brushes;
    HWND savedFocus = nullptr;
    std::uint64_t nextSequence = 0;

    // --- lookups -----------------------------------------------------------
    Win32Control* Find(const ControlRef& ref) const {
        if (!window) return nullptr;
        for (const auto& c : controls) {
            if (c->name == ref.name && c->index == ref.index) return c.get();
        }
        return nullptr;
    }
    Win32Control* Lookup(const ControlRef& ref, Status& why) const {
        if (!window) {
            why = Status::NoWindow;
            return nullptr;
        }
        Win32Control* c = Find(ref);
        why = c ? Status::Ok : Status::NoSuchControl;
        return c;
    }
    Win32Control* FromWindow(HWND h) const {
        auto it = byHwnd.find(h);
        return it == byHwnd.end() ? nullptr : it->second;
    }

    // --- resources -----------------------------------------------------------
    bool RegisterClasses() {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        const auto reg = [&](const wchar_t* name, WNDPROC proc, bool& registered) {
            if (registered) return true;
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = proc;
            wc.hInstance = inst;
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = nullptr;  // painted from the control's colour
            wc.lpszClassName = name;
            if (RegisterClassExW(&wc) != 0) {
                registered = true;
                return true;
            }
            // Another toolkit of this process registered it and still uses it.
            return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        };
        return reg(kFormClass, &Impl::WindowProc, formClassRegistered) &&
               reg(kPaneClass, &Impl::WindowProc, paneClassRegistered);
    }

    HBRUSH BrushFor(std::uint32_t colour) {
        if (IsSystemColour(colour)) return GetSysColorBrush(static_cast<int>(colour & 0xFF));
        auto it = brushes.find(colour);
        if (it != brushes.end()) return it->second;
        HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(colour));
        if (b) brushes.emplace(colour, b);
        return b;
    }
    static COLORREF Rgb(std::uint32_t colour) {
        return IsSystemColour(colour) ? GetSysColor(static_cast<int>(colour & 0xFF))
                                      : static_cast<COLORREF>(colour);
    }

    HFONT FontFor(const std::string& face) {
        auto it = fonts.find(face);
        if (it != fonts.end()) return it->second;
        HFONT f =
            CreateFontW(-MulDiv(kDefaultFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(face).c_str());
        if (f) fonts.emplace(face, f);
        return f;
    }

    // --- creating controls -------------------------------------------------------
    Status Realise(Win32Control& c, HWND parent) {
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
        const std::wstring text = c.HasCaption() ? Widen(c.caption) : std::wstring();
        HWND h = CreateWindowExW(exStyle, cls, text.c_str(), style, c.left, c.top, c.width,
                                 c.height, parent, nullptr, GetModuleHandleW(nullptr), this);
        if (!h) return Status::Failed;
        c.hwnd = h;
        byHwnd[h] = &c;
        if (c.kind == ControlKind::CheckBox) {
            // Set before the subclass sees it: a copy's state is no change.
            SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(c.check), 0);
        }
        if (c.kind != ControlKind::Pane) {
            SetWindowSubclass(h, &Impl::SubclassProc, kSubclassId,
                              reinterpret_cast<DWORD_PTR>(this));
        }
        if (c.HasFont()) {
            if (HFONT f = FontFor(c.fontName)) {
                SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
            }
        }
        if (c.kind == ControlKind::VScrollBar) ApplyScrollInfo(c);
        // Labels are drawn beneath the windowed controls, which overlap them.
        SetWindowPos(h, c.kind == ControlKind::Label ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return Status::Ok;
    }

    HWND ParentWindow(const std::string& parentName) const {
        if (parentName.empty()) return window;
        const Win32Control* p = Find(Ctl(parentName));
        return p && p->kind == ControlKind::Pane ? p->hwnd : nullptr;
    }

    void Forget(Win32Control* c) {
        if (savedFocus == c->hwnd) savedFocus = nullptr;
        byHwnd.erase(c->hwnd);
        controls.erase(std::find_if(controls.begin(), controls.end(),
                                    [&](const auto& p) { return p.get() == c; }));
    }

    // --- scroll bar ----------------------------------------------------------------
    // Win32 wants min <= max; a toolkit range running backwards is shown
    // inverted: position 0 is the toolkit's minimum, wherever that lies.
    static int Span(const ScrollSettings& s) { return std::abs(s.max - s.min); }
    static int Direction(const ScrollSettings& s) { return s.max >= s.min ? 1 : -1; }
    static int ToPosition(const ScrollSettings& s, int value) {
        return (value - s.min) * Direction(s);
    }

    void ApplyScrollInfo(const Win32Control& c) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = Span(c.scroll);
        si.nPage = 0;
        si.nPos = ToPosition(c.scroll, c.scroll.value);
        SetScrollInfo(c.hwnd, SB_CTL, &si, TRUE);
    }

    // Stores the settings and raises the change event when the value moved.
    void StoreScroll(Win32Control& c, const ScrollSettings& next) {
        const bool moved = c.scroll.value != next.value;
        c.scroll = next;
        ApplyScrollInfo(c);
        if (moved && owner.Sink()) {
            const std::string name = c.name;  // c may be gone after the handler
            owner.Sink()->OnScrollChange(name);
        }
    }

    void OnScroll(Win32Control& c, int code, int thumb) {
        const ScrollSettings& s = c.scroll;
        int pos = ToPosition(s, s.value);
        switch (code) {
            case SB_LINEUP:
                pos -= s.smallChange;
                break;
            case SB_LINEDOWN:
                pos += s.smallChange;
                break;
            case SB_PAGEUP:
                pos -= s.largeChange;
                break;
            case SB_PAGEDOWN:
                pos += s.largeChange;
                break;
            case SB_TOP:
                pos = 0;
                break;
            case SB_BOTTOM:
                pos = Span(s);
                break;
            // Positions run from 0 to at most 65535, so the 16 bits the
            // message carries hold every one of them.
            case SB_THUMBPOSITION:
                pos = thumb;
                break;
            default:
                return;  // SB_THUMBTRACK (a drag) and SB_ENDSCROLL
        }
        pos = std::clamp(pos, 0, Span(s));
        ScrollSettings next = s;
        next.value = static_cast<std::int16_t>(s.min + Direction(s) * pos);
        StoreScroll(c, next);
    }

    // --- check boxes -------------------------------------------------------------------
    // Called after every BM_SETCHECK went through: one event per change.
    void AfterSetCheck(HWND h) {
        Win32Control* c = FromWindow(h);
        if (!c || c->kind != ControlKind::CheckBox) return;
        const auto now = static_cast<std::int16_t>(SendMessageW(h, BM_GETCHECK, 0, 0));
        if (now == c->check) return;
        c->check = now;
        const ControlRef fired = c->Ref();
        if (owner.Sink()) owner.Sink()->OnCheckClick(fired.name, fired.index.value_or(0));
    }

    // --- keyboard -------------------------------------------------------------------------
    // Key preview for the window and every control. True when the key was
    // used up here (Tab) or the window went away in the handler.
    bool PreviewKey(HWND target, WPARAM key) {
        if (owner.Sink()) {
            owner.Sink()->OnKeyDown(static_cast<std::int16_t>(key), ShiftState());
        }
        if (!IsWindow(target) || !window) return true;
        if (key == VK_TAB) {
            MoveFocus(GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        return false;
    }

    std::vector<Win32Control*> TabOrder() const {
        std::vector<Win32Control*> order;
        for (const auto& c : controls) {
            if (c->TakesFocus() && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd)) {
                order.push_back(c.get());
            }
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
        return order;
    }

    void MoveFocus(bool forward) {
        const std::vector<Win32Control*> order = TabOrder();
        if (order.empty()) return;
        HWND focus = GetFocus();
        auto it = std::find_if(order.begin(), order.end(),
                               [&](const Win32Control* c) { return c->hwnd == focus; });
        std::size_t next = 0;
        if (it == order.end()) {
            next = forward ? 0 : order.size() - 1;
        } else {
            const std::size_t at = static_cast<std::size_t>(it - order.begin());
            next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
        }
        SetFocus(order[next]->hwnd);
    }

    // --- window procedures ---------------------------------------------------------------
    static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
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

    static LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
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
            case WM_NCDESTROY:
                RemoveWindowSubclass(h, &Impl::SubclassProc, kSubclassId);
                break;
            default:
                break;
        }
        return DefSubclassProc(h, msg, wp, lp);
    }

    LRESULT HandleMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                if (PreviewKey(h, wp)) return 0;
                break;
            case WM_ERASEBKGND: {
                RECT r;
                GetClientRect(h, &r);
                const Win32Control* c = FromWindow(h);
                FillRect(reinterpret_cast<HDC>(wp), &r, BrushFor(c ? c->backColor : kButtonFace));
                return 1;
            }
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORSCROLLBAR: {
                const Win32Control* c = FromWindow(reinterpret_cast<HWND>(lp));
                if (!c) break;
                HDC dc = reinterpret_cast<HDC>(wp);
                SetBkColor(dc, Rgb(c->backColor));
                SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
                return reinterpret_cast<LRESULT>(BrushFor(c->backColor));
            }
            case WM_COMMAND:
                if (HIWORD(wp) == BN_CLICKED && lp != 0) {
                    OnButtonNotify(reinterpret_cast<HWND>(lp));
                    return 0;
                }
                break;
            case WM_VSCROLL:
                if (Win32Control* c = FromWindow(reinterpret_cast<HWND>(lp))) {
                    OnScroll(*c, LOWORD(wp), HIWORD(wp));
                    return 0;
                }
                break;
            case WM_LBUTTONDOWN:
                // A click on a pane gives it the focus, as a picture box takes it.
                if (h != window) SetFocus(h);
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
            case WM_CLOSE:
                if (h == window) {
                    DestroyWindow(h);
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                if (h == window) {
                    // The children went first; nothing of the window is left.
                    byHwnd.clear();
                    controls.clear();
                    window = nullptr;
                    savedFocus = nullptr;
                }
                break;
            default:
                break;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

    void OnButtonNotify(HWND child) {
        Win32Control* c = FromWindow(child);
        if (!c) return;
        if (c->kind == ControlKind::CheckBox) {
            SendMessageW(child, BM_SETCHECK, static_cast<WPARAM>(StateAfterUserClick(c->check)), 0);
        } else if (c->kind == ControlKind::Button && owner.Sink()) {
            const std::string name = c->name;
            owner.Sink()->OnButtonClick(name);
        }
    }
};

// --- Win32Toolkit ----------------------------------------------------------------------------

Win32Toolkit::Win32Toolkit() : impl_(std::make_unique<Impl>(*this)) {}
Win32Toolkit::~Win32Toolkit() {
    // The sink may already be gone; destroying the windows raises nothing.
    SetEventSink(nullptr);
}

int Win32Toolkit::Dpi() const { return impl_->dpi; }

Status Win32Toolkit::CreateMainWindow(const std::string& caption, int clientWidth,
                                      int clientHeight) {
    if (impl_->window) return Status::AlreadyExists;
    if (clientWidth < 0 || clientHeight < 0) return Status::OutOfRange;
    if (!impl_->RegisterClasses()) return Status::Failed;
    // Fixed size: no sizing border, no maximize box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    HWND h = CreateWindowExW(exStyle, kFormClass, Widen(caption).c_str(), style, CW_USEDEFAULT,
                             CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), impl_.get());
    if (!h) return Status::Failed;
    impl_->window = h;
    impl_->caption = caption;
    return Status::Ok;
}

Status Win32Toolkit::AddControl(const ControlSpec& request) {
    Impl& m = *impl_;
    if (!m.window) return Status::NoWindow;
    if (request.width < 0 || request.height < 0 || !ValidColour(request.backColor))
        return Status::OutOfRange;
    const bool taken = std::any_of(m.controls.begin(), m.controls.end(),
                                   [&](const auto& c) { return c->name == request.name; });
    if (request.name.empty() || taken) return Status::AlreadyExists;
    HWND parent = m.ParentWindow(request.parent);
    if (!parent) return Status::NoSuchControl;
    auto c = std::make_unique<Win32Control>();
    c->kind = request.kind;
    c->name = request.name;
    c->index = request.index;
    c->parent = request.parent;
    c->left = request.left;
    c->top = request.top;
    c->width = request.width;
    c->height = request.height;
    c->visible = request.visible;
    c->backColor = request.backColor;
    c->caption = c->HasCaption() ? request.caption : std::string();
    c->fontName = c->HasFont() ? kDefaultFontName : "";
    c->tabIndex = request.tabIndex;
    c->sunkenBorder = request.kind == ControlKind::Pane && request.sunkenBorder;
    if (request.kind == ControlKind::VScrollBar) {
        c->scroll = request.scroll;
        c->scroll.value =
            ClampToRange(request.scroll.value, request.scroll.min, request.scroll.max);
    }
    c->sequence = ++m.nextSequence;
    m.controls.push_back(std::move(c));
    Win32Control& added = *m.controls.back();
    const Status s = m.Realise(added, parent);
    if (!Succeeded(s)) m.controls.pop_back();
    return s;
}

std::optional<std::string> Win32Toolkit::GetWindowCaption() const {
    if (!impl_->window) return std::nullopt;
    return impl_->caption;
}

Status Win32Toolkit::SetWindowCaption(const std::string& caption) {
    if (!impl_->window) return Status::NoWindow;
    if (!SetWindowTextW(impl_->window, Widen(caption).c_str())) return Status::Failed;
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

Status Win32Toolkit::Focus(const ControlRef& ref) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (!c->TakesFocus()) return Status::NotAllowed;
    // Kept for when the window becomes active, if it is not yet.
    impl_->savedFocus = c->hwnd;
    if (IsWindowVisible(impl_->window)) SetFocus(c->hwnd);
    return Status::Ok;
}

std::optional<ControlRef> Win32Toolkit::FocusedControl() const {
    if (!impl_->window) return std::nullopt;
    const Win32Control* c = impl_->FromWindow(GetFocus());
    if (!c) c = impl_->FromWindow(impl_->savedFocus);
    if (!c) return std::nullopt;
    return c->Ref();
}

Status Win32Toolkit::ShowMessage(const std::string& text) {
    const int r = MessageBoxA(impl_->window, ToAnsi(text).c_str(), kMessageCaption, MB_OK);
    return r == IDOK ? Status::Ok : Status::Failed;
}

std::vector<ControlRef> Win32Toolkit::Controls() const {
    std::vector<ControlRef> refs;
    for (const auto& c : impl_->controls) refs.push_back(c->Ref());
    return refs;
}

std::optional<ControlKind> Win32Toolkit::KindOf(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c) return std::nullopt;
    return c->kind;
}

std::optional<int> Win32Toolkit::GetMetric(const ControlRef& ref, Metric m) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c) return std::nullopt;
    switch (m) {
        case Metric::Left:
            return c->left;
        case Metric::Top:
            return c->top;
        case Metric::Width:
            return c->width;
        case Metric::Height:
            return c->height;
    }
    return std::nullopt;
}

Status Win32Toolkit::SetMetric(const ControlRef& ref, Metric m, int pixels) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if ((m == Metric::Width || m == Metric::Height) && pixels < 0) return Status::OutOfRange;
    int l = c->left, t = c->top, w = c->width, h = c->height;
    switch (m) {
        case Metric::Left:
            l = pixels;
            break;
        case Metric::Top:
            t = pixels;
            break;
        case Metric::Width:
            w = pixels;
            break;
        case Metric::Height:
            h = pixels;
            break;
    }
    if (!SetWindowPos(c->hwnd, nullptr, l, t, w, h, SWP_NOZORDER | SWP_NOACTIVATE)) {
        return Status::Failed;
    }
    c->left = l;
    c->top = t;
    c->width = w;
    c->height = h;
    return Status::Ok;
}

std::optional<bool> Win32Toolkit::GetVisible(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c) return std::nullopt;
    return c->visible;
}

Status Win32Toolkit::SetVisible(const ControlRef& ref, bool visible) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    ShowWindow(c->hwnd, visible ? SW_SHOWNA : SW_HIDE);
    c->visible = visible;
    return Status::Ok;
}

std::optional<std::uint32_t> Win32Toolkit::GetBackColor(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c) return std::nullopt;
    return c->backColor;
}

Status Win32Toolkit::SetBackColor(const ControlRef& ref, std::uint32_t colour) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (!ValidColour(colour)) return Status::OutOfRange;
    if (!impl_->BrushFor(colour)) return Status::Failed;
    c->backColor = colour;
    InvalidateRect(c->hwnd, nullptr, TRUE);
    return Status::Ok;
}

std::optional<std::string> Win32Toolkit::GetCaption(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c || !c->HasCaption()) return std::nullopt;
    return c->caption;
}

Status Win32Toolkit::SetCaption(const ControlRef& ref, const std::string& caption) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (!c->HasCaption()) return Status::NoSuchProperty;
    if (!SetWindowTextW(c->hwnd, Widen(caption).c_str())) return Status::Failed;
    c->caption = caption;
    return Status::Ok;
}

std::optional<std::string> Win32Toolkit::GetFontName(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c || !c->HasFont()) return std::nullopt;
    return c->fontName;
}

Status Win32Toolkit::SetFontName(const ControlRef& ref, const std::string& face) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (!c->HasFont()) return Status::NoSuchProperty;
    if (face.empty() || face.size() >= LF_FACESIZE) return Status::OutOfRange;
    HFONT f = impl_->FontFor(face);
    if (!f) return Status::Failed;
    SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    c->fontName = face;
    return Status::Ok;
}

std::optional<platform::Hwnd> Win32Toolkit::GetHwnd(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c || c->kind == ControlKind::Label) return std::nullopt;
    return FromHwnd(c->hwnd);
}

std::optional<platform::Hwnd> Win32Toolkit::NativeHandle(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c) return std::nullopt;
    return FromHwnd(c->hwnd);
}

Status Win32Toolkit::BringToFront(const ControlRef& ref) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    HWND after = HWND_TOP;
    if (c->kind == ControlKind::Label) {
        // In front of the other labels, still behind every windowed sibling.
        for (HWND s = GetWindow(GetParent(c->hwnd), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
            const Win32Control* sc = impl_->FromWindow(s);
            if (s != c->hwnd && sc && sc->kind != ControlKind::Label) after = s;
        }
    }
    if (!SetWindowPos(c->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
        return Status::Failed;
    }
    return Status::Ok;
}

std::optional<std::int16_t> Win32Toolkit::GetCheck(const ControlRef& ref) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c || c->kind != ControlKind::CheckBox) return std::nullopt;
    return c->check;
}

Status Win32Toolkit::SetCheck(const ControlRef& ref, std::int16_t state) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (state < kUnchecked || state > kGrayed) return Status::OutOfRange;
    // The subclass raises the click event when the state changed.
    SendMessageW(c->hwnd, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    return Status::Ok;
}

std::optional<std::int16_t> Win32Toolkit::GetScroll(const ControlRef& ref, ScrollField f) const {
    const Win32Control* c = impl_->Find(ref);
    if (!c || c->kind != ControlKind::VScrollBar) return std::nullopt;
    return ScrollFieldOf(c->scroll, f);
}

Status Win32Toolkit::SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) {
    Status why;
    Win32Control* c = impl_->Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    ScrollSettings next;
    if (const Status refused = NextScrollSettings(c->scroll, f, value, next); !Succeeded(refused)) {
        return refused;
    }
    impl_->StoreScroll(*c, next);
    return Status::Ok;
}

Status Win32Toolkit::CreateElement(const std::string& name, std::int16_t index) {
    Impl& m = *impl_;
    if (!m.window) return Status::NoWindow;
    if (index < 0) return Status::OutOfRange;
    const Win32Control* first = m.Find(Elem(name, 0));
    if (!first) return Status::NoSuchControl;
    if (m.Find(Elem(name, index))) return Status::AlreadyExists;
    HWND parent = m.ParentWindow(first->parent);
    if (!parent) return Status::NoSuchControl;
    auto copy = std::make_unique<Win32Control>(*first);
    copy->index = index;
    copy->visible = false;
    copy->fromDesign = false;
    copy->hwnd = nullptr;
    copy->tabIndex = 1000 + index;  // after every control of the design
    copy->sequence = ++m.nextSequence;
    m.controls.push_back(std::move(copy));
    Win32Control& added = *m.controls.back();
    const Status s = m.Realise(added, parent);
    if (!Succeeded(s)) m.controls.pop_back();
    return s;
}

Status Win32Toolkit::DestroyElement(const std::string& name, std::int16_t index) {
    Impl& m = *impl_;
    if (!m.window) return Status::NoWindow;
    Win32Control* c = m.Find(Elem(name, index));
    if (!c) return Status::NoSuchControl;
    if (c->fromDesign) return Status::NotAllowed;
    HWND h = c->hwnd;
    m.Forget(c);
    DestroyWindow(h);
    return Status::Ok;
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
