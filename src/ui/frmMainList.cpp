// The main window's disk list: BuildDiskList and the rows it keeps, makes and
// removes.
#include <optional>
#include <string>

#include "hotplug/HotplugInfo.h"
#include "inventory/DiskScan.h"
#include "platform/TerminalText.h"
#include "platform/WinDefs.h"
#include "ui/frmMainParts.h"

namespace plumvane::ui {

namespace {

constexpr std::int32_t kMaxRowsToRemove = 99999;

// What a build makes of a font face (ModerniseFonts).
std::string ModernFace(const std::string& face) {
    return face == kDefaultFontName ? kModernFontName : face;
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

void frmMain::BuildDiskList() {
    BusyScope busy(*this);
    ++listBuilds_;
    LockMe = true;
    rowDisks_.clear();
    rowStates_.clear();
    // Rows come and go and the pane is refitted: the list is painted once, when done.
    const RedrawSuspended frozen(tk_, Ctl(kPicListFrame));
    ResetScrollPosition();
    SetWindowIcons();
    inventory::ScanDisks(api_, Owner(), inventory_);
    SetScrollBase();

    std::int16_t row = 0;
    for (std::int32_t n = 0; n < inventory_.DiskCount; ++n) {
        if (inventory_.Table[n].BusType != platform::BusTypeUsb) continue;
        if (row > 0) {
            KeepOrMakeRow(row);
        } else {
            // Row 0 outlives the previous build: forget what it showed there.
            ShowFirstRowBoxes(true);
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
        ShowFirstRowBoxes(false);
        // Hidden boxes are not read out; no name may point at a gone disk.
        tk_.SetAccessibleName(Elem(kChkWCEO, 0), "");
        tk_.SetAccessibleName(Elem(kChkHPD, 0), "");
    }
    RemoveRowsFrom(row > 1 ? row : 1);
    // The maximum only grows from row to row, so fitting the pane to the
    // first and the last row leaves the scroll value where fitting it to
    // every row in turn would: KeepOrMakeRow fits each new row and the first.
    FitListPane(row <= 1 ? 0 : static_cast<std::int16_t>(row - 1));

    ModerniseFonts();
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

void frmMain::KeepOrMakeRow(std::int16_t row) {
    const ControlRef label = Elem(kLblDisks, row);
    const ControlRef wceo = Elem(kChkWCEO, row);
    const ControlRef hpd = Elem(kChkHPD, row);

    // A row the previous build did not leave whole is made anew: copies of
    // row 0, each losing its visual styles once, when it is made.
    const int parts = RowParts(row);
    const bool made = parts != kRowParts;
    if (made) {
        // Whatever is left of a row that is not whole goes first.
        if (parts > 0) RemoveRowsFrom(row);
        for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) tk_.CreateElement(name, row);
        for (const ControlRef& control : {label, wceo, hpd}) TurnOffTheme(control);
    }

    // What a new copy of element 0 would take from it.
    PlaceRowBelow(row);
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        const ControlRef first = Elem(name, 0);
        const ControlRef mine = Elem(name, row);
        if (auto face = tk_.GetFontName(first)) {
            const std::string wanted = ModernFace(*face);
            if (tk_.GetFontName(mine) != wanted) tk_.SetFontName(mine, wanted);
        }
    }
    // A new row starts clear, as a copy of row 0 would; FillRow shows its flags.
    for (const ControlRef& box : {wceo, hpd}) {
        if (tk_.GetCheck(box) != kUnchecked) tk_.SetCheck(box, kUnchecked);
    }
    const auto evenColour = tk_.GetBackColor(Elem(kLblDisks, 0));
    SettleColour(tk_, label, IsEven(row) ? evenColour : std::optional(kOddRowColour));
    const auto colour = tk_.GetBackColor(label);
    SettleColour(tk_, wceo, colour);
    SettleColour(tk_, hpd, colour);
    // The pane is fitted to each new row and to the first kept one; the
    // build fits it to the last (see BuildDiskList).
    if (made || row == 1) FitListPane(row);
    for (const ControlRef& control : {label, wceo, hpd}) {
        if (tk_.GetVisible(control) != true) tk_.SetVisible(control, true);
    }
    if (made) {
        tk_.BringToFront(wceo);
        tk_.BringToFront(hpd);
    }
}

void frmMain::PlaceRowBelow(std::int16_t row) {
    const auto above = static_cast<std::int16_t>(row - 1);
    for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
        const ControlRef first = Elem(name, 0);
        const ControlRef mine = Elem(name, row);
        for (const Metric m : {Metric::Left, Metric::Width, Metric::Height}) {
            Settle(tk_, mine, m, tk_.GetMetric(first, m));
        }
        const auto top = tk_.GetTop(Elem(name, above));
        const auto height = tk_.GetHeight(first);
        if (top && height) Settle(tk_, mine, Metric::Top, *top + *height);
    }
}

std::int16_t frmMain::LastRow() const {
    std::int16_t last = 0;
    while (last < INT16_MAX && RowParts(static_cast<std::int16_t>(last + 1)) == kRowParts) ++last;
    return last;
}

int frmMain::FirstVisibleRow() const {
    const auto value = tk_.GetScroll(Ctl(kListVScroll), ScrollField::Value);
    const auto rowHeight = tk_.GetHeight(Elem(kLblDisks, 0));
    if (!value || !rowHeight || *rowHeight <= 0) return 0;
    const int fromMargin = *value + DesignListTop();
    return fromMargin > 0 ? fromMargin / *rowHeight : 0;
}

void frmMain::LayOutAt(const DpiChange& change) {
    BusyScope busy(*this);
    const int firstRow = FirstVisibleRow();
    // Refused (a font that cannot be made): the window stays as it is, whole
    // at the old DPI.
    if (!Succeeded(tk_.SetDpi(change.dpi))) return;
    const int dpi = tk_.Dpi();
    const FormDesign& design = MainFormDesign();
    {
        const RedrawSuspended frozen(tk_, Ctl(kPicListFrame));
        PlaceAtDpi(design, firstRow);
    }
    // Last, so the window is painted once with everything in place.
    tk_.PlaceWindow(change.left, change.top, TwipsToPixels(design.clientWidth, dpi),
                    TwipsToPixels(design.clientHeight, dpi));
}

void frmMain::PlaceAtDpi(const FormDesign& design, int firstRow) {
    const int dpi = tk_.Dpi();
    for (const DesignControl& d : design.controls) {
        const ControlRequest atDpi = RequestAtDpi(d, dpi);
        const ControlRef ref{atDpi.name, atDpi.index};
        Settle(tk_, ref, Metric::Left, atDpi.left);
        Settle(tk_, ref, Metric::Top, atDpi.top);
        Settle(tk_, ref, Metric::Width, atDpi.width);
        Settle(tk_, ref, Metric::Height, atDpi.height);
    }
    // From here as a build measures the list: from the controls' sizes.
    SetScrollBase();
    const std::int16_t last = LastRow();
    for (std::int16_t row = 1; row <= last; ++row) PlaceRowBelow(row);
    FitListPane(last);
    const ControlRef bar = Ctl(kListVScroll);
    const auto rowHeight = tk_.GetHeight(Elem(kLblDisks, 0));
    const auto min = tk_.GetScroll(bar, ScrollField::Min);
    const auto max = tk_.GetScroll(bar, ScrollField::Max);
    if (rowHeight && min && max) {
        tk_.SetScroll(bar, ScrollField::Value,
                      ClampToRange(firstRow * *rowHeight - DesignListTop(), *min, *max));
    }
    // The list follows the value also where the value did not move.
    OnScrollChange(kListVScroll);
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

void frmMain::ShowFirstRowBoxes(bool visible) {
    tk_.SetVisible(Elem(kChkWCEO, 0), visible);
    tk_.SetVisible(Elem(kChkHPD, 0), visible);
}

void frmMain::FillRow(std::int16_t row, std::int32_t driveNumber) {
    const inventory::DiskRecord& disk = inventory_.Table[driveNumber];
    // Device text is shown, never obeyed: a line break or an escape in a
    // product text would hide the size and the letters that tell rows apart.
    tk_.SetCaption(Elem(kLblDisks, row),
                   platform::TerminalSafe(std::string(kDiskCaptionPrefix) +
                                          std::to_string(driveNumber) + ":  " + disk.Description +
                                          "  (" + disk.SizeText + ")  " + disk.LettersText));
    // The boxes show no text; a screen reader says which disk and flag each one is.
    const std::string spoken = std::string(kDiskCaptionPrefix) + std::to_string(driveNumber) + " ";
    tk_.SetAccessibleName(Elem(kChkWCEO, row), spoken + "WriteCacheEnableOverride");
    tk_.SetAccessibleName(Elem(kChkHPD, row), spoken + "DeviceHotplug");
    bool writeCacheEnableOverride = false;
    bool deviceHotplug = false;
    // Flags that cannot be read show grayed, unlike flags that are off.
    RowStates states;
    if (hotplug::ReadHotplugInfo(api_, Owner(), driveNumber, writeCacheEnableOverride,
                                 deviceHotplug)) {
        states = {CheckState(writeCacheEnableOverride), CheckState(deviceHotplug)};
    }
    ShowRowStates(row, states);
}

void frmMain::TurnOffTheme(const ControlRef& control) {
    if (auto hwnd = tk_.GetHwnd(control)) api_.SetWindowTheme(*hwnd, L" ", L" ");
}

void frmMain::ModerniseFonts() {
    for (const ControlRef& control : tk_.Controls()) {
        if (auto face = tk_.GetFontName(control); face && *face == kDefaultFontName) {
            tk_.SetFontName(control, kModernFontName);
        }
    }
}

}  // namespace plumvane::ui
