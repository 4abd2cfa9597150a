#pragma once
// The window toolkit the form is written against. Two realisations:
// ModelToolkit (in memory, for tests and the headless driver) and
// Win32Toolkit (real child windows, Windows builds only).
//
// Rules every realisation keeps:
// - Controls are addressed by name, and elements of control arrays by name
//   plus a 16-bit index. Positions and sizes are pixels in the parent's
//   client coordinates (the window's or a pane's inside).
// - Every operation reports failure as a value and changes nothing when it
//   fails, so a caller can skip a failed step and go on.
// - A check box raises its click event after every change of its state, made
//   by the user or by the program, and never when set to the state it already
//   has. Events are raised synchronously; a handler that changes a state gets
//   the nested event before its own call returns.
// - The scroll bar's range and steps are 16-bit signed; the maximum may lie
//   below the minimum (the value then runs from minimum down to maximum as the
//   thumb moves down). Its change event follows every change of its value,
//   including one made by the program or by a new range that moves the value,
//   and never comes during a drag.
// - Key presses reach the event sink before the focused control (key preview).
//   Then Tab and Shift+Tab move the focus among the check boxes and push
//   buttons in tab order; Space on a focused check box is a user click, and
//   Space or Return on a focused push button clicks it.
// - Timers are one-shot and belong to the window: starting a running one
//   restarts it, and its event comes from the window's message loop (or the
//   model's clock), never from inside another event. A timer of 0 ms fires
//   as soon as the event that started it has returned.
// - While the window is open it hears of disks and volumes arriving and
//   leaving (the device-change event).
// - When the screen's DPI under the window changes (moved to a monitor of
//   another scale, or the scale changed), the window hears of it (the DPI
//   event) and keeps converting at the old DPI until the program calls SetDpi.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ProgramName.h"
#include "platform/ScreenDpi.h"
#include "platform/WindowsApi.h"

namespace plumvane::ui {

enum class Status {
    Ok,
    NoWindow,        // the window was not created or has been unloaded
    NoSuchControl,   // no control (or array element) by that name and index
    NoSuchProperty,  // the control's kind lacks the property
    OutOfRange,      // a value the property cannot take
    NotAllowed,      // e.g. destroying an element of the design
    AlreadyExists,   // creating an element that exists, or a duplicate name
    Failed,          // the window system refused
};

inline bool Succeeded(Status s) { return s == Status::Ok; }

enum class ControlKind { Pane, Label, CheckBox, Button, VScrollBar };
inline const char* KindName(ControlKind k) {
    switch (k) {
        case ControlKind::Pane:
            return "pane";
        case ControlKind::Label:
            return "label";
        case ControlKind::CheckBox:
            return "checkBox";
        case ControlKind::Button:
            return "button";
        case ControlKind::VScrollBar:
            return "vScrollBar";
    }
    return "?";
}

struct ControlRef {
    std::string name;
    std::optional<std::int16_t> index;  // set only for elements of control arrays
    friend bool operator==(const ControlRef&, const ControlRef&) = default;
};
inline ControlRef Ctl(std::string name) { return {std::move(name), std::nullopt}; }
inline ControlRef Elem(std::string name, std::int16_t index) { return {std::move(name), index}; }
// "chkHPD(3)" or "cmdClose", for messages and test output.
inline std::string RefText(const ControlRef& ref) {
    return ref.index ? ref.name + "(" + std::to_string(*ref.index) + ")" : ref.name;
}

// Colours are 0x00BBGGRR; the high bit marks a system colour index instead.
inline constexpr std::uint32_t kSystemColourFlag = 0x80000000u;
inline constexpr std::uint32_t kButtonFace = kSystemColourFlag | 15u;  // COLOR_BTNFACE
inline bool IsSystemColour(std::uint32_t c) { return (c & kSystemColourFlag) != 0; }
// Plain colours carry no bits above blue; system colour indexes stop at 0xFF.
inline bool ValidColour(std::uint32_t c) {
    return IsSystemColour(c) ? (c & 0x7FFFFF00u) == 0 : (c & 0xFF000000u) == 0;
}

inline constexpr const char* kDefaultFontName = "MS Sans Serif";
inline constexpr int kDefaultFontPoints = 8;
inline constexpr const char* kMessageCaption = platform::kProgramName;

// Check box states.
inline constexpr std::int16_t kUnchecked = 0;
inline constexpr std::int16_t kChecked = 1;
inline constexpr std::int16_t kGrayed = 2;
// A user click checks an unchecked or grayed box and clears a checked one
// (what a Windows auto check box does with a grayed state).
inline std::int16_t StateAfterUserClick(std::int16_t s) {
    return s == kChecked ? kUnchecked : kChecked;
}

// Virtual-key codes and shift bits of the key-down event.
inline constexpr std::int16_t kKeyTab = 9;
inline constexpr std::int16_t kKeyReturn = 13;
inline constexpr std::int16_t kKeyEscape = 27;
inline constexpr std::int16_t kKeySpace = 32;
inline constexpr std::int16_t kKeyF5 = 116;
inline constexpr std::int16_t kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;

enum class Metric { Left, Top, Width, Height };
enum class ScrollField { Min, Max, SmallChange, LargeChange, Value };

struct ScrollSettings {
    std::int16_t min = 0;
    std::int16_t max = 32767;
    std::int16_t smallChange = 1;
    std::int16_t largeChange = 1;
    std::int16_t value = 0;
    friend bool operator==(const ScrollSettings&, const ScrollSettings&) = default;
};
// The value kept inside the range, whichever way round the range lies.
inline std::int16_t ClampToRange(std::int32_t value, std::int16_t min, std::int16_t max) {
    const std::int32_t lo = min < max ? min : max;
    const std::int32_t hi = min < max ? max : min;
    return static_cast<std::int16_t>(value < lo ? lo : (value > hi ? hi : value));
}
inline bool FitsInt16(std::int32_t v) { return v >= -32768 && v <= 32767; }

inline std::int16_t ScrollFieldOf(const ScrollSettings& s, ScrollField f) {
    switch (f) {
        case ScrollField::Min:
            return s.min;
        case ScrollField::Max:
            return s.max;
        case ScrollField::SmallChange:
            return s.smallChange;
        case ScrollField::LargeChange:
            return s.largeChange;
        case ScrollField::Value:
            break;
    }
    return s.value;
}

// The scroll settings after the program sets one field, or the reason it is
// refused: a number outside 16 bits, a step below 1, a value outside the
// range. A new range moves the value to its nearer end.
inline Status NextScrollSettings(const ScrollSettings& current, ScrollField f, std::int32_t value,
                                 ScrollSettings& next) {
    if (!FitsInt16(value)) return Status::OutOfRange;
    const auto v = static_cast<std::int16_t>(value);
    if ((f == ScrollField::SmallChange || f == ScrollField::LargeChange) && v < 1) {
        return Status::OutOfRange;
    }
    next = current;
    switch (f) {
        case ScrollField::Min:
            next.min = v;
            break;
        case ScrollField::Max:
            next.max = v;
            break;
        case ScrollField::SmallChange:
            next.smallChange = v;
            break;
        case ScrollField::LargeChange:
            next.largeChange = v;
            break;
        case ScrollField::Value:
            // No silent clamping of a program's own setting.
            if (ClampToRange(v, next.min, next.max) != v) return Status::OutOfRange;
            next.value = v;
            break;
    }
    next.value = ClampToRange(next.value, next.min, next.max);
    return Status::Ok;
}

// Everything needed to create one control. Sizes in pixels.
struct ControlRequest {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::optional<std::int16_t> index;  // element 0 of an array, or none
    std::string parent;                 // a pane's name; empty for the window
    int left = 0, top = 0, width = 0, height = 0;
    std::string caption;
    int tabIndex = 0;
    bool visible = true;
    std::uint32_t backColor = kButtonFace;
    bool sunkenBorder = false;  // panes: a 2-pixel sunken border inside the size
    ScrollSettings scroll;      // scroll bars
};

// What a device-change notification told the window. Anything else the
// system sends is Other and left to the realisation.
enum class DeviceEvent { Arrival, RemoveComplete, Other };
enum class DeviceKind { DiskInterface, Volume, Other };
struct DeviceChange {
    DeviceEvent event = DeviceEvent::Other;
    DeviceKind device = DeviceKind::Other;
    friend bool operator==(const DeviceChange&, const DeviceChange&) = default;
};

// The screen's new DPI under the window, and where the system suggests the
// window go: its outer rectangle, in screen pixels.
struct DpiChange {
    int dpi = platform::kDefaultScreenDpi;
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const DpiChange&, const DpiChange&) = default;
};

// Callbacks the form sets. All default to doing nothing.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void OnLoad() {}
    virtual void OnKeyDown(std::int16_t /*keyCode*/, std::int16_t /*shift*/) {}
    virtual void OnCheckClick(const std::string& /*name*/, std::int16_t /*index*/) {}
    virtual void OnButtonClick(const std::string& /*name*/) {}
    virtual void OnScrollChange(const std::string& /*name*/) {}
    virtual void OnDeviceChange(const DeviceChange& /*change*/) {}
    virtual void OnTimer(std::uint32_t /*id*/) {}
    virtual void OnDpiChange(const DpiChange& /*change*/) {}
    // The keyboard focus came to a control (by Tab, a click or the program)
    // of the shown window.
    virtual void OnFocus(const std::string& /*name*/, std::int16_t /*index*/) {}
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    void SetEventSink(EventSink* sink) { sink_ = sink; }
    EventSink* Sink() const { return sink_; }
    // Raises the window's load event; the program does this once after
    // creating the window from its design.
    void RaiseLoad() {
        if (sink_) sink_->OnLoad();
    }

    // --- the window ------------------------------------------------------
    // Dots per inch the design's twips are converted at.
    virtual int Dpi() const = 0;
    // Converts at `dpi` from now on (platform::ScreenDpiInRange): every control's
    // font is made again at that DPI and the old one freed. Positions and
    // sizes stay as they are, for the program to set.
    virtual Status SetDpi(int dpi) = 0;
    // Moves the window's top-left corner to (left, top) on the screen and
    // gives it a client area of this size, with the frame the window has
    // at the screen's DPI.
    virtual Status PlaceWindow(int left, int top, int clientWidth, int clientHeight) = 0;
    // Creates the hidden top-level window with a client area of this size.
    virtual Status CreateMainWindow(const std::string& caption, int clientWidth,
                                    int clientHeight) = 0;
    virtual Status AddControl(const ControlRequest& request) = 0;
    virtual std::optional<std::string> GetWindowCaption() const = 0;
    virtual Status SetWindowCaption(const std::string& caption) = 0;
    virtual std::optional<platform::Hwnd> WindowHwnd() const = 0;
    virtual Status Show() = 0;
    // Destroys the window and every control; the program ends with it.
    virtual Status Unload() = 0;
    virtual bool IsOpen() const = 0;
    virtual Status Focus(const ControlRef& ref) = 0;
    virtual std::optional<ControlRef> FocusedControl() const = 0;
    // Modal, OK button only, captioned kMessageCaption; `type` is the
    // MessageBoxA type (MB_OK alone: no icon).
    virtual Status ShowMessage(const std::string& text, std::uint32_t type) = 0;
    // Starts, or restarts, the one-shot timer `id`; its event fires once.
    virtual Status StartTimer(std::uint32_t id, std::uint32_t milliseconds) = 0;
    // A timer stopped before it fired raises nothing; stopping none is Ok.
    virtual Status StopTimer(std::uint32_t id) = 0;

    // --- controls --------------------------------------------------------
    // All controls in creation order (array elements where they were made).
    virtual std::vector<ControlRef> Controls() const = 0;
    virtual std::optional<ControlKind> KindOf(const ControlRef& ref) const = 0;

    virtual std::optional<int> GetMetric(const ControlRef& ref, Metric m) const = 0;
    virtual Status SetMetric(const ControlRef& ref, Metric m, int pixels) = 0;
    virtual std::optional<bool> GetVisible(const ControlRef& ref) const = 0;
    virtual Status SetVisible(const ControlRef& ref, bool visible) = 0;
    virtual std::optional<std::uint32_t> GetBackColor(const ControlRef& ref) const = 0;
    virtual Status SetBackColor(const ControlRef& ref, std::uint32_t colour) = 0;
    // Labels and the push button.
    virtual std::optional<std::string> GetCaption(const ControlRef& ref) const = 0;
    virtual Status SetCaption(const ControlRef& ref, const std::string& caption) = 0;
    // Every kind but the scroll bar.
    virtual std::optional<std::string> GetFontName(const ControlRef& ref) const = 0;
    virtual Status SetFontName(const ControlRef& ref, const std::string& face) = 0;
    // Every kind but the label.
    virtual std::optional<platform::Hwnd> GetHwnd(const ControlRef& ref) const = 0;
    virtual Status BringToFront(const ControlRef& ref) = 0;
    // Check boxes: 0, 1 or 2.
    virtual std::optional<std::int16_t> GetCheck(const ControlRef& ref) const = 0;
    virtual Status SetCheck(const ControlRef& ref, std::int16_t state) = 0;
    // Check boxes: the name screen readers announce, as the box draws no
    // text of its own. Empty: none.
    virtual std::optional<std::string> GetAccessibleName(const ControlRef& ref) const = 0;
    virtual Status SetAccessibleName(const ControlRef& ref, const std::string& name) = 0;
    // Scroll bars. A number outside -32768..32767 fails and keeps the old
    // setting, so does a Value outside the range or a step below 1. A new
    // minimum or maximum that leaves the value outside moves it to the
    // nearer end, with the change event.
    virtual std::optional<std::int16_t> GetScroll(const ControlRef& ref, ScrollField f) const = 0;
    virtual Status SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) = 0;

    // Control arrays: a new element is a hidden copy of element 0 (position,
    // size, colours, font, check state, caption, scroll settings).
    virtual Status CreateElement(const std::string& name, std::int16_t index) = 0;
    // Elements made by the design cannot be destroyed.
    virtual Status DestroyElement(const std::string& name, std::int16_t index) = 0;

    // Painting of a control and of everything inside it held back, so a run
    // of changes shows at once instead of flickering; the last resume paints
    // it once. Holds on one control nest; a resume without a hold fails.
    virtual Status SuspendRedraw(const ControlRef& ref) = 0;
    virtual Status ResumeRedraw(const ControlRef& ref) = 0;

    // --- conveniences over the above --------------------------------------
    std::optional<int> GetLeft(const ControlRef& r) const { return GetMetric(r, Metric::Left); }
    std::optional<int> GetTop(const ControlRef& r) const { return GetMetric(r, Metric::Top); }
    std::optional<int> GetWidth(const ControlRef& r) const { return GetMetric(r, Metric::Width); }
    std::optional<int> GetHeight(const ControlRef& r) const { return GetMetric(r, Metric::Height); }
    Status SetLeft(const ControlRef& r, int v) { return SetMetric(r, Metric::Left, v); }
    Status SetTop(const ControlRef& r, int v) { return SetMetric(r, Metric::Top, v); }
    Status SetWidth(const ControlRef& r, int v) { return SetMetric(r, Metric::Width, v); }
    Status SetHeight(const ControlRef& r, int v) { return SetMetric(r, Metric::Height, v); }

private:
    EventSink* sink_ = nullptr;
};

// Holds a control's painting back for one scope.
class RedrawSuspended {
public:
    RedrawSuspended(Toolkit& tk, ControlRef ref) : tk_(tk), ref_(std::move(ref)) {
        held_ = Succeeded(tk_.SuspendRedraw(ref_));
    }
    ~RedrawSuspended() {
        if (held_) tk_.ResumeRedraw(ref_);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    Toolkit& tk_;
    ControlRef ref_;
    bool held_ = false;
};

}  // namespace plumvane::ui
