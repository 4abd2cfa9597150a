#pragma once
// The table of controls every toolkit keeps, and the rules of Toolkit.h that
// do not depend on how a control is drawn: the checks of each operation, the
// hidden copy of element 0 a new array element is, a check box's click event
// only on a real change, the scroll bar's settings and change event. A
// realisation derives from ControlTable and adds what is its own through the
// hooks below (for the Win32 toolkit: windows and messages). Events reach the
// form only through the Raise functions here.
//
// To grow the toolkit: a new event is an EventSink callback and a Raise
// function here; a new property is a field of ControlRecord, its checks in
// the table's Set function and a hook for a realisation that must show it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/Toolkit.h"

namespace plumvane::ui {

// One control as every realisation holds it; also what a dump of the window reads.
struct ControlRecord {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::optional<std::int16_t> index;
    std::string parent;  // empty: the window
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    std::uint32_t backColor = kButtonFace;
    std::string caption;
    std::string fontName = kDefaultFontName;
    std::int16_t check = kUnchecked;
    std::string accessibleName;  // check boxes
    ScrollSettings scroll;
    int tabIndex = 0;
    bool sunkenBorder = false;
    bool fromDesign = true;
    // The realisation's window. The form sees none for labels (GetHwnd).
    platform::Hwnd hwnd{};
    std::uint64_t zStamp = 0;  // larger: nearer the front among siblings
    int redrawHolds = 0;       // SuspendRedraw calls not yet resumed

    ControlRef Ref() const { return {name, index}; }
    bool HasFont() const { return kind != ControlKind::VScrollBar; }
    bool HasCaption() const { return kind == ControlKind::Label || kind == ControlKind::Button; }
    bool HasHwnd() const { return kind != ControlKind::Label; }
    bool TakesFocus() const { return kind != ControlKind::Label; }
    // Tab reaches only what a key can work: the boxes and the push button.
    bool TabStop() const { return kind == ControlKind::CheckBox || kind == ControlKind::Button; }
};

class ControlTable : public Toolkit {
public:
    explicit ControlTable(int dpi) : dpi_(dpi) {}

    int Dpi() const override { return dpi_; }
    Status SetDpi(int dpi) override;
    Status AddControl(const ControlRequest& request) override;
    Status Focus(const ControlRef& ref) override;
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
    std::optional<std::string> GetAccessibleName(const ControlRef& ref) const override;
    Status SetAccessibleName(const ControlRef& ref, const std::string& name) override;
    std::optional<std::int16_t> GetScroll(const ControlRef& ref, ScrollField f) const override;
    Status SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) override;
    Status CreateElement(const std::string& name, std::int16_t index) override;
    Status DestroyElement(const std::string& name, std::int16_t index) override;
    Status StartTimer(std::uint32_t id, std::uint32_t milliseconds) override;
    Status StopTimer(std::uint32_t id) override;
    Status SuspendRedraw(const ControlRef& ref) override;
    Status ResumeRedraw(const ControlRef& ref) override;

    // Every control in creation order, whether the window is open or not.
    const std::vector<ControlRecord>& Records() const { return controls_; }
    const ControlRecord* Find(const ControlRef& ref) const;

protected:
    // --- hooks of the realisation ---------------------------------------------------
    // Each runs after the table's checks; one that returns false fails the
    // operation with Status::Failed and the table keeps its old value.
    // The record is in the table already; a status other than Ok drops it.
    virtual Status Realise(ControlRecord& c) = 0;
    // After the record of a destroyed element left the table.
    virtual void Unrealise(const ControlRecord& /*gone*/) {}
    virtual bool Place(const ControlRecord& /*c*/, int /*left*/, int /*top*/, int /*width*/,
                       int /*height*/) {
        return true;
    }
    virtual void ShowControl(const ControlRecord& /*c*/, bool /*visible*/) {}
    virtual bool Recolour(const ControlRecord& /*c*/, std::uint32_t /*colour*/) { return true; }
    virtual bool Retitle(const ControlRecord& /*c*/, const std::string& /*caption*/) {
        return true;
    }
    virtual bool Refont(const ControlRecord& /*c*/, const std::string& /*face*/) { return true; }
    // Every control's font made again at the new DPI, before Dpi() tells it.
    virtual bool Rescale(int /*dpi*/) { return true; }
    virtual bool RenameForReaders(const ControlRecord& /*c*/, const std::string& /*name*/) {
        return true;
    }
    virtual bool Restack(const ControlRecord& /*c*/) { return true; }
    virtual void GiveFocus(const ControlRecord& c) = 0;
    // A new check state set by the program. A realisation whose control
    // reports its own changes passes them on to StoreCheck itself.
    virtual void SetCheckState(ControlRecord& c, std::int16_t state) { StoreCheck(c, state); }
    // The scroll settings after they were stored, before the change event.
    virtual void ShowScroll(const ControlRecord& /*c*/) {}
    // Sets the realisation's timer going; `start` tells this start from any
    // other of the same id, so one that was stopped or restarted since
    // cannot fire (TimerDue).
    virtual bool ArmTimer(std::uint32_t id, std::uint32_t milliseconds, std::uint64_t start) = 0;
    virtual void DisarmTimer(std::uint32_t /*id*/) {}
    // The first hold on a control's painting (true) and its last resume (false).
    virtual void HoldRedraw(const ControlRecord& /*c*/, bool /*hold*/) {}

    // --- the rules ------------------------------------------------------------------------
    // Stores a check state; the click event only when it changed.
    void StoreCheck(ControlRecord& c, std::int16_t state);
    // Stores scroll settings; the change event only when the value moved.
    void StoreScroll(ControlRecord& c, const ScrollSettings& next);
    // Events. The handler may create or destroy controls: a record the caller
    // holds is not to be used after one of these.
    void RaiseKeyDown(std::int16_t keyCode, std::int16_t shift);
    void RaiseCheckClick(const ControlRef& ref);
    void RaiseButtonClick(const std::string& name);
    void RaiseScrollChange(const std::string& name);
    void RaiseDeviceChange(const DeviceChange& change);
    void RaiseDpiChange(const DpiChange& change);
    // The realisation's timer `id` came due: its event, once, unless it was
    // stopped, or restarted after `start` (none: whichever start is current).
    void TimerDue(std::uint32_t id, std::optional<std::uint64_t> start);
    // The window is gone, and its timers with it.
    void ForgetTimers() { timers_.clear(); }
    void RaiseFocus(const ControlRef& ref);

    // --- the table --------------------------------------------------------------------------
    // Controls of an open window: NoWindow or NoSuchControl when none.
    ControlRecord* Lookup(const ControlRef& ref, Status& why);
    const ControlRecord* Lookup(const ControlRef& ref) const;
    ControlRecord* FindByHwnd(platform::Hwnd h);
    const ControlRecord* FindByHwnd(platform::Hwnd h) const;
    // The window is gone, and every control with it.
    void ClearTable() {
        controls_.clear();
        ForgetTimers();
    }
    // Tab and Shift+Tab: the next of the tab stops that can take the focus, in
    // tab order, after the one `isCurrent` picks (the first or last when none).
    const ControlRecord* NextTabStop(const std::function<bool(const ControlRecord&)>& canFocus,
                                     const std::function<bool(const ControlRecord&)>& isCurrent,
                                     bool forward) const;

private:
    Status AddRecord(ControlRecord c);

    int dpi_;
    std::vector<ControlRecord> controls_;  // creation order
    std::uint64_t nextZ_ = 0;
    std::map<std::uint32_t, std::uint64_t> timers_;  // running timers: id -> their start
    std::uint64_t lastStart_ = 0;
};

}  // namespace plumvane::ui
