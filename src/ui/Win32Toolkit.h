#pragma once
// The toolkit on real Win32 windows (Windows builds only). The table of
// controls and its rules are ControlTable's; this adds the windows. The
// implementation is split by topic: Win32Toolkit_win.cpp (the operations),
// Win32Messages_win.cpp (window classes and procedures), Win32Gdi_win.cpp
// (fonts, brushes, colours), Win32Keyboard_win.cpp (key preview and focus),
// Win32Scroll_win.cpp (the scroll bar), Win32Devices_win.cpp (timers and
// device notifications), Win32Accessibility_win.cpp (names for screen readers).
//
// Panes are child windows of our own class, labels STATIC controls, check
// boxes and the push button BUTTON controls, the scroll bar a SCROLLBAR
// control. The Win32 notifications become the toolkit's events:
// - a check box's state changes (BM_SETCHECK from anywhere, a click, the space
//   bar) raise its click event once per change, none when the state stays;
// - scroll line, page, end and thumb-release moves raise the change event once
//   the value has moved; SB_THUMBTRACK is ignored, so a drag raises nothing
//   until the thumb is let go;
// - every key press on the window or any control reaches the key-down event
//   before the control (key preview); Tab and Shift+Tab then move the focus
//   among the boxes and the button in the design's tab order, and Return
//   presses a focused push button;
// - a check box's accessible name is a direct annotation of its window;
// - WM_DPICHANGED (the window moved to a monitor of another scale, or the
//   scale changed) raises the DPI event with the rectangle Windows suggests.
// Labels are real windows here, but report no window handle, as the form
// expects of labels; NativeHandle gives it for tests.

#include <memory>
#include <optional>

#include "ui/ControlTable.h"

namespace plumvane::ui {

class Win32Toolkit : public ControlTable {
public:
    // Converts at `dpi` from the start; none: at the screen's DPI.
    explicit Win32Toolkit(std::optional<int> dpi = std::nullopt);
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    Status CreateMainWindow(const std::string& caption, int clientWidth, int clientHeight) override;
    Status PlaceWindow(int left, int top, int clientWidth, int clientHeight) override;
    std::optional<std::string> GetWindowCaption() const override;
    Status SetWindowCaption(const std::string& caption) override;
    std::optional<platform::Hwnd> WindowHwnd() const override;
    Status Show() override;
    Status Unload() override;
    bool IsOpen() const override;
    std::optional<ControlRef> FocusedControl() const override;
    Status ShowMessage(const std::string& text, std::uint32_t type) override;

    // Runs the message loop until the window is gone; gives the exit code.
    int RunMessageLoop();
    // Handles every message already queued, without waiting.
    void PumpMessages();
    // Handles messages as they come for this long; timers fire meanwhile.
    void PumpMessagesFor(std::uint32_t milliseconds);
    // Registered for the disk interfaces' arrivals and removals (tests).
    bool HearsDiskInterfaces() const;
    // The real window of any control, labels included.
    std::optional<platform::Hwnd> NativeHandle(const ControlRef& ref) const;

    struct Impl;

protected:
    Status Realise(ControlRecord& c) override;
    void Unrealise(const ControlRecord& gone) override;
    bool Place(const ControlRecord& c, int left, int top, int width, int height) override;
    void ShowControl(const ControlRecord& c, bool visible) override;
    bool Recolour(const ControlRecord& c, std::uint32_t colour) override;
    bool Retitle(const ControlRecord& c, const std::string& caption) override;
    bool Refont(const ControlRecord& c, const std::string& face) override;
    bool Rescale(int dpi) override;
    bool RenameForReaders(const ControlRecord& c, const std::string& name) override;
    bool Restack(const ControlRecord& c) override;
    void GiveFocus(const ControlRecord& c) override;
    void SetCheckState(ControlRecord& c, std::int16_t state) override;
    void ShowScroll(const ControlRecord& c) override;
    bool ArmTimer(std::uint32_t id, std::uint32_t milliseconds, std::uint64_t start) override;
    void DisarmTimer(std::uint32_t id) override;
    void HoldRedraw(const ControlRecord& c, bool hold) override;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace plumvane::ui
