#pragma once
// The toolkit in memory: what the form's tests and the headless driver run on.
// It keeps every rule of Toolkit.h, takes the user's actions as calls, records
// message boxes (answered with OK) and hands out fake window handles.
// Time is a virtual clock that only AdvanceClock moves; after every action
// the timers that are due fire, in the order they come due.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/ControlTable.h"

namespace plumvane::ui {

// The model adds nothing to the shared record.
using ModelControl = ControlRecord;

struct RecordedMessage {
    std::string text;
    std::string caption;
    std::uint32_t type = 0;  // the MessageBoxA type; 0: MB_OK, no icon
    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown };

class ModelToolkit : public ControlTable {
public:
    explicit ModelToolkit(int dpi = platform::kDefaultScreenDpi) : ControlTable(dpi) {}

    // --- Toolkit -------------------------------------------------------------
    Status CreateMainWindow(const std::string& caption, int clientWidth, int clientHeight) override;
    Status PlaceWindow(int left, int top, int clientWidth, int clientHeight) override;
    std::optional<std::string> GetWindowCaption() const override;
    Status SetWindowCaption(const std::string& caption) override;
    std::optional<platform::Hwnd> WindowHwnd() const override;
    Status Show() override;
    Status Unload() override;
    bool IsOpen() const override { return open_; }
    std::optional<ControlRef> FocusedControl() const override;
    Status ShowMessage(const std::string& text, std::uint32_t type) override;

    // --- the system's actions ----------------------------------------------------
    // A device-change notification reaches the window.
    Status SystemDeviceChange(const DeviceChange& change);
    // The screen's DPI under the window changes to `dpi`; the suggested
    // rectangle keeps the window's top-left corner and scales its size.
    Status SystemDpiChange(int dpi);
    // Time passes: every timer that comes due meanwhile fires, in order.
    void AdvanceClock(std::uint32_t milliseconds);
    std::uint64_t Now() const { return now_; }

    // --- the user's actions ----------------------------------------------------
    // Each needs the window shown and the control visible (with its panes).
    Status UserClickCheck(const ControlRef& ref);
    Status UserClickButton(const std::string& name);
    // The window's key-down event first; then Tab moves the focus, and Space
    // (boxes, buttons) or Return (buttons) works the focused control.
    Status UserKeyDown(std::int16_t keyCode, std::int16_t shift = 0);
    // The thumb released at this value (kept inside the range).
    Status UserScroll(const std::string& name, std::int32_t value);
    Status UserScrollStep(const std::string& name, ScrollAction action);

    // --- inspection --------------------------------------------------------------
    // Every control in creation order; still readable after Unload.
    const std::vector<ModelControl>& Inspect() const { return Records(); }
    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    bool IsShown() const { return shown_; }
    // How often painting was held back (first holds only) and let go again.
    int RedrawHoldCount() const { return redrawHolds_; }
    int RedrawReleaseCount() const { return redrawReleases_; }
    std::pair<int, int> ClientSize() const { return {clientWidth_, clientHeight_}; }
    // The window's top-left corner on the screen (the in-memory window has no frame).
    std::pair<int, int> WindowPosition() const { return {windowLeft_, windowTop_}; }
    // A pane's inside: its size less the border.
    std::optional<std::pair<int, int>> InsideSize(const ControlRef& ref) const;

protected:
    Status Realise(ControlRecord& c) override;
    void Unrealise(const ControlRecord& gone) override;
    void GiveFocus(const ControlRecord& c) override { MoveFocusTo(c.Ref()); }
    bool ArmTimer(std::uint32_t id, std::uint32_t milliseconds, std::uint64_t start) override;
    void DisarmTimer(std::uint32_t id) override { timers_.erase(id); }
    void HoldRedraw(const ControlRecord& /*c*/, bool hold) override {
        ++(hold ? redrawHolds_ : redrawReleases_);
    }

private:
    bool ReachableByUser(const ModelControl& c) const;
    // Fires the timers due by `until`, earliest first, moving the clock to each.
    void RunTimers(std::uint64_t until);
    // The message loop's turn after an action: what is due now fires.
    Status AfterAction(Status s) {
        RunTimers(now_);
        return s;
    }
    // Tab and Shift+Tab: the next control in tab order that can take the focus.
    void MoveFocus(bool forward);
    // The focus event when the focus moves in the shown window, as Win32's.
    void MoveFocusTo(const ControlRef& ref);
    platform::Hwnd NextHwnd() { return static_cast<platform::Hwnd>(nextHwnd_ += 4); }

    bool created_ = false, open_ = false, shown_ = false;
    std::string caption_;
    int clientWidth_ = 0, clientHeight_ = 0;
    int windowLeft_ = 0, windowTop_ = 0;
    platform::Hwnd windowHwnd_{};
    std::uintptr_t nextHwnd_ = 0x10000;
    std::optional<ControlRef> focus_;
    std::vector<RecordedMessage> messages_;
    struct Timer {
        std::uint64_t due;
        std::uint64_t start;
    };
    std::map<std::uint32_t, Timer> timers_;
    std::uint64_t now_ = 0;
    int redrawHolds_ = 0, redrawReleases_ = 0;
};

}  // namespace plumvane::ui
