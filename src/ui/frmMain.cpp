#include "ui/frmMain.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "hotplug/HotplugInfo.h"
#include "inventory/DiskScan.h"
#include "platform/WinDefs.h"
#include "ui/FormDesign.h"

namespace plumvane::ui {

namespace {

constexpr std::int32_t kMaxRowsToRemove = 99999;
constexpr int kRowParts = 3;      // lblDisks, chkWCEO and chkHPD
constexpr int kFrameBorders = 4;  // picListFrame's sunken border, 2 pixels on each side
constexpr const char* kOldDefaultFont = "MS Sans Serif";
constexpr const char* kModernFont = "Microsoft Sans Serif";
// A row's caption starts with it; the click path reads the drive number after it.
constexpr std::string_view kDiskCaptionPrefix = "Disk ";

std::int16_t CheckState(bool on) { return on ? kChecked : kUnchecked; }

// Restores a flag on scope exit, so an early return cannot leave it set.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::string DiskChangedText(std::int32_t driveNumber) {
    return "Disk " + std::to_string(driveNumber) +
           " is not the disk this row was made for any more. The list has been scanned again: "
           "check the row and click once more.";
}

class frmMain::BusyScope {
public:
    explicit BusyScope(frmMain& form) : form_(form) { ++form_.busy_; }
    ~BusyScope() {
        if (--form_.busy_ > 0 || !form_.rebuildPending_) return;
        form_.rebuildPending_ = false;
        form_.tk_.StartTimer(kDeferredRebuildTimer, 0);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    frmMain& form_;
};

frmMain::frmMain(Toolkit& toolkit, platform::WindowsApi& api, inventory::DiskInventory& inventory)
    : tk_(toolkit), api_(api), inventory_(inventory) {}

frmMain::~frmMain() {
    if (tk_.Sink() == this) tk_.SetEventSink(nullptr);
}

Status frmMain::Start() {
    tk_.SetEventSink(this);
    const Status created = CreateFromDesign(tk_, MainFormDesign());
    if (!Succeeded(created)) return created;
    if (!rebuildAllRows) {
        for (const ControlRef& control : tk_.Controls()) TurnOffTheme(control);
    }
    tk_.RaiseLoad();
    return Status::Ok;
}

platform::Hwnd frmMain::Owner() const { return tk_.WindowHwnd().value_or(platform::NULL_HWND); }

bool frmMain::IsEven(std::int32_t n) {
    const double half = static_cast<double>(n) / 2.0;
    return half == std::floor(half);
}

std::int32_t frmMain::DiskNumberFromCaption(std::string_view caption) {
    // Text other than the prefix the rows are built with names no drive.
    const std::size_t colon = caption.find(':');
    if (!caption.starts_with(kDiskCaptionPrefix) || colon == std::string_view::npos ||
        colon <= kDiskCaptionPrefix.size()) {
        return -1;
    }
    const std::string_view digits =
        caption.substr(kDiskCaptionPrefix.size(), colon - kDiskCaptionPrefix.size());
    std::int32_t number = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    // Only a plain decimal number counts; anything else would address a
    // drive nobody chose.
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') {
        return -1;
    }
    return number;
}

// --- the list ---------------------------------------------------------------

void frmMain::BuildDiskList() {
    BusyScope busy(*this);
    ++listBuilds_;
    LockMe = true;
    rowDisks_.clear();
    // Rows come and go and the pane is refitted: the list is painted once, when done.
    std::optional<RedrawSuspended> frozen;
    if (!rebuildAllRows) frozen.emplace(tk_, Ctl(kPicListFrame));
    ResetScrollPosition();
    if (rebuildAllRows) RemoveRowsFrom(1);
    SetWindowIcons();
    inventory::ScanDisks(api_, Owner(), inventory_);
    SetScrollBase();

    std::int16_t row = 0;
    for (std::int32_t n = 0; n < inventory_.DiskCount; ++n) {
        if (inventory_.Table[n].BusType != platform::BusTypeUsb) continue;
        const int parts = row > 0 && !rebuildAllRows ? RowParts(row) : 0;
        if (parts == kRowParts) {
            KeepRow(row);
        } else if (row > 0) {
            // Whatever is left of a row that is not whole goes first.
            if (parts > 0) RemoveRowsFrom(row);
            AddRow(row);
        } else {
            // Row 0 outlives the previous build: forget what it showed there.
            ShowRowBoxes(true);
            tk_.SetCheck(Elem(kChkWCEO, 0), kUnchecked);
            tk_.SetCheck(Elem(kChkHPD, 0), kUnchecked);
        }
        rowDisks_.push_back(inventory::IdentityOf(n, inventory_.Table[n]));
        FillRow(row, n);
        ++row;
    }
    if (row == 0) {
        // Without a USB disk, row 0's boxes would address physical drive 0,
        // usually the system disk.
        tk_.SetCaption(Elem(kLblDisks, 0), kNoUsbDisksCaption);
        ShowRowBoxes(false);
        // Hidden boxes are not read out; no name may point at a gone disk.
        tk_.SetAccessibleName(Elem(kChkWCEO, 0), "");
        tk_.SetAccessibleName(Elem(kChkHPD, 0), "");
    }
    if (!rebuildAllRows) RemoveRowsFrom(row > 1 ? row : 1);
    // The maximum only grows from row to row, so fitting the pane to the
    // first and the last row leaves the scroll value where fitting it to
    // every row in turn would: AddRow fits each new row, KeepRow the first.
    if (row <= 1) {
        FitListPane(0);
    } else if (!rebuildAllRows) {
        FitListPane(static_cast<std::int16_t>(row - 1));
    }

    TurnOffThemesAndModerniseFonts(rebuildAllRows);
    LockMe = false;
}

int frmMain::DesignListTop() const {
    for (const DesignControl& c : MainFormDesign().controls) {
        if (c.name == kPicList) return TwipsToPixels(c.top, tk_.Dpi());
    }
    return 0;
}

void frmMain::ResetScrollPosition() {
    // Every build starts from the first one's scroll state, so no row can end
    // up above the reachable range.
    tk_.SetScroll(Ctl(kListVScroll), ScrollField::Value, 0);
    tk_.SetTop(Ctl(kPicList), DesignListTop());
}

int frmMain::RowParts(std::int16_t row) const {
    int parts = 0;
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        if (tk_.KindOf(Elem(name, row))) ++parts;
    }
    return parts;
}

void frmMain::RemoveRowsFrom(std::int32_t first) {
    for (std::int32_t i = first; i <= kMaxRowsToRemove && i <= INT16_MAX; ++i) {
        const auto index = static_cast<std::int16_t>(i);
        const bool label = Succeeded(tk_.DestroyElement(kLblDisks, index));
        const bool wceo = Succeeded(tk_.DestroyElement(kChkWCEO, index));
        const bool hpd = Succeeded(tk_.DestroyElement(kChkHPD, index));
        if (!label || !wceo || !hpd) break;
    }
}

void frmMain::SetWindowIcons() {
    using namespace platform;
    const Hwnd window = Owner();
    const Hinstance instance = api_.GetModuleHandleA(nullptr);

    const int cx = api_.GetSystemMetrics(SM_CXICON);
    const int cy = api_.GetSystemMetrics(SM_CYICON);
    const auto big =
        static_cast<LPARAM>(api_.LoadImageA(instance, "APPICON", IMAGE_ICON, cx, cy, LR_SHARED));
    api_.SendMessageA(window, WM_SETICON, ICON_BIG, big);
    api_.SendMessageA(api_.GetWindow(window, GW_OWNER), WM_SETICON, ICON_BIG, big);

    const int sx = api_.GetSystemMetrics(SM_CXSMICON);
    const int sy = api_.GetSystemMetrics(SM_CYSMICON);
    const auto small =
        static_cast<LPARAM>(api_.LoadImageA(instance, "APPICON", IMAGE_ICON, sx, sy, LR_SHARED));
    api_.SendMessageA(window, WM_SETICON, ICON_SMALL, small);
    const auto parent =
        static_cast<Hwnd>(static_cast<std::uint32_t>(api_.GetWindowLongA(window, GWL_HWNDPARENT)));
    const LRESULT current = api_.SendMessageA(window, WM_GETICON, ICON_SMALL, 0);
    api_.SendMessageA(parent, WM_SETICON, ICON_SMALL, current);
}

void frmMain::SetScrollBase() {
    const auto frameHeight = tk_.GetHeight(Ctl(kPicListFrame));
    if (frameHeight) tk_.SetHeight(Ctl(kListVScroll), *frameHeight - kFrameBorders);
    if (auto rowHeight = tk_.GetHeight(Elem(kLblDisks, 0))) {
        tk_.SetScroll(Ctl(kListVScroll), ScrollField::SmallChange, *rowHeight);
    }
    if (frameHeight) {
        tk_.SetScroll(Ctl(kListVScroll), ScrollField::LargeChange, *frameHeight - kFrameBorders);
    }
    if (auto listTop = tk_.GetTop(Ctl(kPicList))) {
        tk_.SetScroll(Ctl(kListVScroll), ScrollField::Min, -*listTop);
    }
}

void frmMain::AddRow(std::int16_t row) {
    const ControlRef label = Elem(kLblDisks, row);
    const ControlRef wceo = Elem(kChkWCEO, row);
    const ControlRef hpd = Elem(kChkHPD, row);
    const auto above = static_cast<std::int16_t>(row - 1);

    tk_.CreateElement(kLblDisks, row);
    tk_.CreateElement(kChkWCEO, row);
    tk_.CreateElement(kChkHPD, row);
    if (!rebuildAllRows) {
        for (const ControlRef& made : {label, wceo, hpd}) TurnOffTheme(made);
    }
    tk_.SetCheck(wceo, kUnchecked);
    tk_.SetCheck(hpd, kUnchecked);
    if (!IsEven(row)) tk_.SetBackColor(label, kOddRowColour);
    if (auto colour = tk_.GetBackColor(label)) {
        tk_.SetBackColor(wceo, *colour);
        tk_.SetBackColor(hpd, *colour);
    }
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        const auto top = tk_.GetTop(Elem(name, above));
        const auto height = tk_.GetHeight(Elem(name, 0));
        if (top && height) tk_.SetTop(Elem(name, row), *top + *height);
    }
    FitListPane(row);
    tk_.SetVisible(label, true);
    tk_.SetVisible(wceo, true);
    tk_.SetVisible(hpd, true);
    tk_.BringToFront(wceo);
    tk_.BringToFront(hpd);
}

namespace {

// What the last step of a build makes of a font face.
std::string ModernFace(const std::string& face) {
    return face == kOldDefaultFont ? kModernFont : face;
}

// Sets a metric only where it differs: a kept row costs no window call for
// what it shows already.
void Settle(Toolkit& tk, const ControlRef& ref, Metric m, std::optional<int> wanted) {
    if (wanted && tk.GetMetric(ref, m) != wanted) tk.SetMetric(ref, m, *wanted);
}

void SettleColour(Toolkit& tk, const ControlRef& ref, std::optional<std::uint32_t> wanted) {
    if (wanted && tk.GetBackColor(ref) != wanted) tk.SetBackColor(ref, *wanted);
}

}  // namespace

void frmMain::KeepRow(std::int16_t row) {
    const ControlRef label = Elem(kLblDisks, row);
    const ControlRef wceo = Elem(kChkWCEO, row);
    const ControlRef hpd = Elem(kChkHPD, row);
    const auto above = static_cast<std::int16_t>(row - 1);

    // What a new copy of element 0 would take from it.
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        const ControlRef first = Elem(name, 0);
        const ControlRef mine = Elem(name, row);
        for (const Metric m : {Metric::Left, Metric::Width, Metric::Height}) {
            Settle(tk_, mine, m, tk_.GetMetric(first, m));
        }
        if (auto face = tk_.GetFontName(first)) {
            const std::string wanted = ModernFace(*face);
            if (tk_.GetFontName(mine) != wanted) tk_.SetFontName(mine, wanted);
        }
    }
    // A new row starts clear, and a failed read of its flags leaves it so.
    for (const ControlRef& box : {wceo, hpd}) {
        if (tk_.GetCheck(box) != kUnchecked) tk_.SetCheck(box, kUnchecked);
    }
    const auto evenColour = tk_.GetBackColor(Elem(kLblDisks, 0));
    SettleColour(tk_, label, IsEven(row) ? evenColour : std::optional(kOddRowColour));
    const auto colour = tk_.GetBackColor(label);
    SettleColour(tk_, wceo, colour);
    SettleColour(tk_, hpd, colour);
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        const auto top = tk_.GetTop(Elem(name, above));
        const auto height = tk_.GetHeight(Elem(name, 0));
        if (top && height) Settle(tk_, Elem(name, row), Metric::Top, *top + *height);
    }
    if (row == 1) FitListPane(row);
    for (const ControlRef& control : {label, wceo, hpd}) {
        if (tk_.GetVisible(control) != true) tk_.SetVisible(control, true);
    }
}

void frmMain::FitListPane(std::int16_t lastRow) {
    const auto lastTop = tk_.GetTop(Elem(kChkWCEO, lastRow));
    const auto rowHeight = tk_.GetHeight(Elem(kChkWCEO, 0));
    if (lastTop && rowHeight) tk_.SetHeight(Ctl(kPicList), *lastTop + *rowHeight);

    // The list scrolls until its last row ends as far above the frame's inside
    // bottom as the first row starts below its top: the whole last row is seen.
    const auto listHeight = tk_.GetHeight(Ctl(kPicList));
    const auto frameHeight = tk_.GetHeight(Ctl(kPicListFrame));
    if (!listHeight || !frameHeight) return;
    const int inside = *frameHeight - kFrameBorders;
    const int top0 = DesignListTop();
    tk_.SetScroll(Ctl(kListVScroll), ScrollField::Max, *listHeight + top0 - inside);
    tk_.SetVisible(Ctl(kListVScroll), top0 + *listHeight > inside);
}

void frmMain::ShowRowBoxes(bool visible) {
    tk_.SetVisible(Elem(kChkWCEO, 0), visible);
    tk_.SetVisible(Elem(kChkHPD, 0), visible);
}

void frmMain::FillRow(std::int16_t row, std::int32_t driveNumber) {
    const inventory::DiskRecord& disk = inventory_.Table[driveNumber];
    tk_.SetCaption(Elem(kLblDisks, row),
                   std::string(kDiskCaptionPrefix) + std::to_string(driveNumber) + ":  " +
                       disk.Description + "  (" + disk.SizeText + ")  " + disk.LettersText);
    // The boxes show no text; a screen reader says which disk and flag each one is.
    const std::string spoken = std::string(kDiskCaptionPrefix) + std::to_string(driveNumber) + " ";
    tk_.SetAccessibleName(Elem(kChkWCEO, row), spoken + "WriteCacheEnableOverride");
    tk_.SetAccessibleName(Elem(kChkHPD, row), spoken + "DeviceHotplug");
    bool writeCacheEnableOverride = false;
    bool deviceHotplug = false;
    if (hotplug::ReadHotplugInfo(api_, Owner(), driveNumber, writeCacheEnableOverride,
                                 deviceHotplug)) {
        tk_.SetCheck(Elem(kChkWCEO, row), CheckState(writeCacheEnableOverride));
        tk_.SetCheck(Elem(kChkHPD, row), CheckState(deviceHotplug));
    }
}

void frmMain::TurnOffTheme(const ControlRef& control) {
    if (auto hwnd = tk_.GetHwnd(control)) api_.SetWindowTheme(*hwnd, L" ", L" ");
}

void frmMain::TurnOffThemesAndModerniseFonts(bool themes) {
    for (const ControlRef& control : tk_.Controls()) {
        if (themes) TurnOffTheme(control);
        if (auto face = tk_.GetFontName(control); face && *face == kOldDefaultFont) {
            tk_.SetFontName(control, kModernFont);
        }
    }
}

// --- a click on a row -------------------------------------------------------

const inventory::DiskIdentity* frmMain::RowDisk(std::int16_t row, std::int32_t driveNumber) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rowDisks_.size()) return nullptr;
    const inventory::DiskIdentity& disk = rowDisks_[static_cast<std::size_t>(row)];
    return disk.Number == driveNumber ? &disk : nullptr;
}

void frmMain::RefuseChangedDisk(std::int32_t driveNumber) {
    tk_.ShowMessage(DiskChangedText(driveNumber), platform::MB_OK | platform::MB_ICONEXCLAMATION);
    RequestRebuild();
}

void frmMain::ShowRowFlags(std::int16_t row, bool writeCacheEnableOverride, bool deviceHotplug) {
    // The click events of these settings must not write again, or one
    // refused click would show its error twice.
    FlagScope restoring(restoringRow_);
    tk_.SetCheck(Elem(kChkWCEO, row), CheckState(writeCacheEnableOverride));
    tk_.SetCheck(Elem(kChkHPD, row), CheckState(deviceHotplug));
}

void frmMain::ApplyRowFlags(std::int16_t row, std::string_view box) {
    BusyScope busy(*this);
    const std::string caption = tk_.GetCaption(Elem(kLblDisks, row)).value_or("");
    const std::int32_t driveNumber = DiskNumberFromCaption(caption);
    if (driveNumber == -1) {
        tk_.ShowMessage("error", platform::MB_OK);
        return;
    }
    // Disks may have been plugged, pulled, renumbered or swapped since the
    // list was built; the number alone would then name a disk nobody chose.
    const inventory::DiskIdentity* disk = RowDisk(row, driveNumber);
    if (!disk) {
        RefuseChangedDisk(driveNumber);
        return;
    }
    // Only the clicked flag changes: the other one keeps what the driver
    // holds now, which another program may have changed since the scan.
    hotplug::HotplugChange change;
    const bool on = tk_.GetCheck(Elem(std::string(box), row)).value_or(kUnchecked) != kUnchecked;
    if (box == kChkWCEO) change.WriteCacheEnableOverride = on;
    if (box == kChkHPD) change.DeviceHotplug = on;
    const inventory::DiskIdentity identity = *disk;
    change.Check = [&](platform::Handle drive) {
        return inventory::ConfirmDisk(api_, drive, identity).Confirmed();
    };
    const hotplug::HotplugResult result =
        hotplug::WriteHotplugChange(api_, Owner(), driveNumber, change);
    if (result.ok()) {
        ShowRowFlags(row, result.Written.WriteCacheEnableOverride(),
                     result.Written.DeviceHotplug());
        return;
    }
    if (result.FailedStep == hotplug::HotplugStep::Confirm || hotplug::DriveGone(result)) {
        RefuseChangedDisk(driveNumber);
        return;
    }
    // The read-back opens the drive anew, and a device pulled during the
    // write may have left its number to another disk: its flags must not
    // show in this row, so it is refused as a changed disk is.
    const hotplug::HotplugResult read =
        hotplug::ReadHotplugChecked(api_, Owner(), driveNumber, change.Check);
    if (read.FailedStep == hotplug::HotplugStep::Confirm) {
        RefuseChangedDisk(driveNumber);
        return;
    }
    if (!read.ok()) return;
    ShowRowFlags(row, read.Read.WriteCacheEnableOverride(), read.Read.DeviceHotplug());
}

// --- events -----------------------------------------------------------------

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
