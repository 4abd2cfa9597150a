#pragma once
// The toolkit on real Win32 windows (Windows builds only; the implementation
// is Win32Toolkit_win.cpp). Panes are child windows of our own class, labels
// STATIC controls, check boxes and the push button BUTTON controls, the scroll
// bar a SCROLLBAR control. The Win32 notifications become the toolkit's events:
// - a check box's state changes (BM_SETCHECK from anywhere, a click, the space
//   bar) raise its click event once per change, none when the state stays;
// - scroll line, page, end and thumb-release moves raise the change event once
//   the value has moved; SB_THUMBTRACK is ignored, so a drag raises nothing
//   until the thumb is let go;
// - every key press on the window or any control reaches the key-down event
//   before the control (key preview); Tab and Shift+Tab then move the focus
//   in the design's tab order.
// Labels are real windows here, but report no window handle, as the form
// expects of labels; NativeHandle gives it for tests.

#include <memory>

#include "ui/Toolkit.h"

namespace plumvane::ui {

class Win32Toolkit : public Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    int Dpi() const override;
    Status CreateMainWindow(const std::string& caption, int clientWidth, int clientHeight) override;
    Status AddControl(const ControlSpec& request) override;
    std::optional<std::string> GetWindowCaption() const override;
    Status SetWindowCaption(const std::string& caption) override;
    std::optional<platform::Hwnd> WindowHwnd() const override;
    Status Show() override;
    Status Unload() override;
    bool IsOpen() const override;
    Status Focus(const ControlRef& ref) override;
    std::optional<ControlRef> FocusedControl() const override;
    Status ShowMessage(const std::string& text) override;

    std::vector<ControlRef> Controls() const override;
    std::optional<ControlKind> KindOf(const ControlRef& ref) const override;
    std::optional<int> GetMetric(const ControlRef& ref, Metric m) const override;
    Status SetMetric(const ControlRef& ref, Metric m, int pixels) override;
    std::optional<bool> GetVisible(const ControlRef& ref) const override;
    Status SetVisible(const ControlRef& ref, bool visible) override;
    std::optional<std::uint32_t> GetBackColor(const ControlRef& ref) const override;
    Status SetBackColor(const ControlRef& ref, std::uint32_t colour) override;
    std::optional<std::string> GetCaption(const ControlRef& ref) const override;
    Status SetCaption(const ControlRef& ref, const std::string& caption) override;
    std::optional<std::string> GetFontName(const ControlRef& ref) const override;
    Status SetFontName(const ControlRef& ref, const std::string& face) override;
    std::optional<platform::Hwnd> GetHwnd(const ControlRef& ref) const override;
    Status BringToFront(const ControlRef& ref) override;
    std::optional<std::int16_t> GetCheck(const ControlRef& ref) const override;
    Status SetCheck(const ControlRef& ref, std::int16_t state) override;
    std::optional<std::int16_t> GetScroll(const ControlRef& ref, ScrollField f) const override;
    Status SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) override;
    Status CreateElement(const std::string& name, std::int16_t index) override;
    Status DestroyElement(const std::string& name, std::int16_t index) override;

    // Runs the message loop until the window is gone; gives the exit code.
    int RunMessageLoop();
    // Handles every message already queued, without waiting.
    void PumpMessages();
    // The real window of any control, labels included.
    std::optional<platform::Hwnd> NativeHandle(const ControlRef& ref) const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace plumvane::ui
