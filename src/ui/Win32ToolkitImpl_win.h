#pragma once
// What the Win32 toolkit keeps beside the table of controls: the main
// window, the window classes, the fonts and brushes it made, and the window
// procedures that turn messages into the table's rules. Shared by the
// Win32*_win.cpp files only.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DeviceNotification_win.h"
#include "platform/GdiOwners_win.h"
#include "platform/TextConversion_win.h"
#include "platform/WinConversions_win.h"
#include "ui/Win32Toolkit.h"
// after windows.h, which it needs
#include <commctrl.h>

namespace plumvane::ui {

using platform::FromHwnd;
using platform::ToHwnd;

// A window class this toolkit registered, unregistered when it goes.
class RegisteredClass {
public:
    explicit RegisteredClass(const wchar_t* name) : name_(name) {}
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;
    ~RegisteredClass();
    // True when the class can be used: registered here, now or before, or
    // by another toolkit of this process that still uses it.
    bool Register(WNDPROC proc);
    const wchar_t* Name() const { return name_; }

private:
    const wchar_t* name_;
    bool registered_ = false;
};

// A WM_DEVICECHANGE: arrival or removal, of a disk interface or a volume.
DeviceChange DecodeDeviceChange(WPARAM event, LPARAM data);

struct Win32Toolkit::Impl {
    explicit Impl(Win32Toolkit& owner);

    Win32Toolkit& owner;
    HWND window = nullptr;
    std::string caption;
    // Declared before the fonts and brushes: unregistered after they are freed.
    RegisteredClass paneClass, formClass;
    std::map<std::uint32_t, platform::UniqueBrush> brushes;
    std::map<std::string, platform::UniqueFont> fonts;
    HWND savedFocus = nullptr;
    // Disk interfaces arriving and leaving, while the window exists.
    platform::UniqueDeviceNotification deviceNotification;
    // Windows whose painting WM_SETREDRAW holds back now, each with the
    // controls as they were when the hold began.
    std::map<HWND, std::vector<ControlRecord>> redrawHeld;
    struct Annotations;
    struct DropAnnotations {
        void operator()(Annotations* a) const;
    };
    // Made when the first name is given; empty until then.
    std::unique_ptr<Annotations, DropAnnotations> annotations;

    ControlRecord* FromWindow(HWND h) { return owner.FindByHwnd(FromHwnd(h)); }
    const ControlRecord* FromWindow(HWND h) const { return owner.FindByHwnd(FromHwnd(h)); }

    // --- windows and painting (Win32Toolkit_win.cpp) ---------------------------
    // The window a control of this parent (a pane's name, or empty) goes in.
    HWND ParentWindow(const std::string& parentName) const;
    // After a hold on painting: what changed since `before` painted again.
    void RepaintChanged(const std::vector<ControlRecord>& before);
    // The window's outer rectangle around a client rectangle, with the frame
    // at the DPI Windows gives the window (the system's where it keeps none
    // per window, before Windows 10 1607).
    bool FrameAround(RECT& client) const;

    // --- window classes and procedures (Win32Messages_win.cpp) -----------------
    bool RegisterClasses();
    static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR ref);
    LRESULT HandleMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void OnButtonNotify(HWND child);
    // Called after every BM_SETCHECK went through.
    void AfterSetCheck(HWND h);
    // Called when one of the controls got the keyboard focus.
    void AfterSetFocus(HWND h);
    // WM_DPICHANGED: the new DPI and the window rectangle Windows suggests.
    void OnDpiChanged(WPARAM wp, LPARAM lp);
    // Sets the subclass that gives key preview and the check box events.
    void Subclass(HWND h);

    // --- timers and devices (Win32Devices_win.cpp) ------------------------------
    // A timer due at once: wParam its id, lParam its start.
    static constexpr UINT kTimerDueNow = WM_APP + 1;
    void ListenForDisks();

    // --- GDI (Win32Gdi_win.cpp) ----------------------------------------------------
    static int ScreenDpi();
    HBRUSH BrushFor(std::uint32_t colour);
    static COLORREF Rgb(std::uint32_t colour);
    // The 8-point font of a face at the toolkit's DPI, made once.
    HFONT FontFor(const std::string& face);
    static platform::UniqueFont MakeFont(const std::string& face, int dpi);
    // WM_ERASEBKGND of the window and panes: their background colour.
    void EraseBackground(HWND h, HDC dc);
    // WM_CTLCOLOR*: the brush a control is painted on; none when not ours.
    std::optional<HBRUSH> ControlColours(HWND child, HDC dc);

    // --- keyboard (Win32Keyboard_win.cpp) ------------------------------------------
    // Key preview; true when the key was used up here (Tab) or the window
    // went away in the handler.
    bool PreviewKey(HWND target, WPARAM key);
    void MoveFocus(bool forward);

    // --- names for screen readers (Win32Accessibility_win.cpp) -------------------------
    // The name a reader announces for this window; empty removes it.
    void Annotate(HWND h, const std::string& name);
    // Before the window goes.
    void ForgetAnnotation(HWND h);

    // --- scroll bar (Win32Scroll_win.cpp) ------------------------------------------
    void ApplyScrollInfo(const ControlRecord& c);
    // A WM_VSCROLL from the bar; thumb is the position it carries.
    void OnScroll(ControlRecord& c, int code, int thumb);
};

}  // namespace plumvane::ui
