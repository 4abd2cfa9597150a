// The main window's events: load, keys, clicks, scrolling, focus, device
// notifications and timers.
#include "ui/frmMainParts.h"

namespace plumvane::ui {

void frmMain::OnLoad() {
    tk_.SetBackColor(Ctl(kPicList), kButtonFace);
    tk_.SetBackColor(Elem(kLblDisks, 0), kRowColour);
    tk_.SetBackColor(Elem(kChkWCEO, 0), kRowColour);
    tk_.SetBackColor(Elem(kChkHPD, 0), kRowColour);
    BuildDiskList();
    tk_.Show();
}

void frmMain::OnKeyDown(std::int16_t keyCode, std::int16_t /*shift*/) {
    if (keyCode == kKeyF5) RequestRebuild();
    // Escape works as the Close button, wherever the focus is.
    if (keyCode == kKeyEscape) tk_.Unload();
}

void frmMain::RequestRebuild() {
    if (busy_ > 0) {
        rebuildPending_ = true;
        return;
    }
    RebuildNow();
}

void frmMain::RebuildNow() {
    // This build shows the machine as it is now: a rebuild still waiting
    // would only repeat it.
    tk_.StopTimer(kPlugTimer);
    tk_.StopTimer(kDeferredRebuildTimer);
    BuildDiskList();
}

void frmMain::OnDeviceChange(const DeviceChange& change) {
    const bool arrivedOrLeft =
        change.event == DeviceEvent::Arrival || change.event == DeviceEvent::RemoveComplete;
    const bool diskOrVolume =
        change.device == DeviceKind::DiskInterface || change.device == DeviceKind::Volume;
    if (arrivedOrLeft && diskOrVolume) tk_.StartTimer(kPlugTimer, kPlugSettleMs);
}

void frmMain::OnTimer(std::uint32_t id) {
    if (id == kPlugTimer || id == kDeferredRebuildTimer) RequestRebuild();
    if (id == kDeferredDpiTimer) TakeDpiChange();
}

void frmMain::OnDpiChange(const DpiChange& change) {
    pendingDpi_ = change;
    TakeDpiChange();
}

void frmMain::TakeDpiChange() {
    // Busy: BusyScope starts kDeferredDpiTimer when the last build or click ends.
    if (!pendingDpi_ || busy_ > 0) return;
    const DpiChange change = *pendingDpi_;
    pendingDpi_.reset();
    LayOutAt(change);
}

void frmMain::OnCheckClick(const std::string& name, std::int16_t index) {
    if (name != kChkWCEO && name != kChkHPD) return;
    if (LockMe || restoringRow_) return;
    ApplyRowFlags(index, name);
}

void frmMain::OnButtonClick(const std::string& name) {
    if (name == kCmdClose) tk_.Unload();
}

void frmMain::OnFocus(const std::string& name, std::int16_t index) {
    if (LockMe || (name != kChkWCEO && name != kChkHPD)) return;
    ScrollRowIntoView(index);
}

void frmMain::ScrollRowIntoView(std::int16_t row) {
    // A box reached by Tab below or above the frame would take keys unseen.
    const ControlRef bar = Ctl(kListVScroll);
    if (!tk_.GetVisible(bar).value_or(false)) return;
    const auto rowTop = tk_.GetTop(Elem(kChkWCEO, row));
    const auto rowHeight = tk_.GetHeight(Elem(kChkWCEO, 0));
    const auto frameHeight = tk_.GetHeight(Ctl(kPicListFrame));
    const auto value = tk_.GetScroll(bar, ScrollField::Value);
    const auto min = tk_.GetScroll(bar, ScrollField::Min);
    const auto max = tk_.GetScroll(bar, ScrollField::Max);
    if (!rowTop || !rowHeight || !frameHeight || !value || !min || !max) return;
    // The row with the design's margin above and below it, as at the ends.
    const int top0 = DesignListTop();
    const int inside = *frameHeight - kFrameBorders;
    int wanted = *value;
    if (*rowTop - top0 < wanted) {
        wanted = *rowTop - top0;
    } else if (*rowTop + *rowHeight + top0 - inside > wanted) {
        wanted = *rowTop + *rowHeight + top0 - inside;
    }
    wanted = ClampToRange(wanted, *min, *max);
    if (wanted != *value) tk_.SetScroll(bar, ScrollField::Value, wanted);
}

void frmMain::OnScrollChange(const std::string& name) {
    if (name != kListVScroll) return;
    const auto value = tk_.GetScroll(Ctl(kListVScroll), ScrollField::Value);
    if (!value) return;
    // Negated in 16 bits, as the pane's top is set from a 16-bit value.
    tk_.SetTop(Ctl(kPicList), static_cast<std::int16_t>(-*value));
}

}  // namespace plumvane::ui
