#pragma once
// The main window's behaviour: the USB disk list and the reactions to load,
// check-box clicks, F5, scrolling and Close. Written once against Toolkit, so
// the same code runs on real Win32 controls and in memory. The list is built
// in frmMainList.cpp, a click written in frmMainClick.cpp, the events handled
// in frmMainEvents.cpp.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inventory/DiskIdentity.h"
#include "inventory/DiskTable.h"
#include "platform/WindowsApi.h"
#include "ui/FormDesign.h"
#include "ui/Toolkit.h"

namespace plumvane::hotplug {
struct HotplugResult;
}

namespace plumvane::ui {

inline constexpr std::uint32_t kOddRowColour = 0xF8F8F8;  // even rows keep kRowColour
inline constexpr const char* kNoUsbDisksCaption = "No USB disks found. Press F5 to scan again.";
// Disks plugged or pulled together (a stick with two volumes sends several
// notifications) settle before one rebuild.
inline constexpr std::uint32_t kPlugSettleMs = 750;
inline constexpr std::uint32_t kPlugTimer = 1;
// A rebuild that had to wait for a running build or click.
inline constexpr std::uint32_t kDeferredRebuildTimer = 2;
// A DPI change that had to wait for a running build or click.
inline constexpr std::uint32_t kDeferredDpiTimer = 3;
// The box of a click refused because drive N is no longer the row's disk.
std::string DiskChangedText(std::int32_t driveNumber);
// The box of a write refused for want of rights in a process that is not
// elevated: the device error, then the offer to start as administrator.
std::string RunAsAdministratorQuestion(std::string_view deviceError);
// The box of a start as administrator that failed with `code`.
std::string StartFailedText(platform::DWORD code, std::string_view systemText);

class frmMain : public EventSink {
public:
    frmMain(Toolkit& toolkit, platform::WindowsApi& api, inventory::DiskInventory& inventory);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;
    ~frmMain() override;

    // Creates the window from its design and raises its load event, which
    // fills the list and shows the window.
    Status Start();

    // Re-entrancy. Every check-box setting raises a click event, and a
    // message box runs a message loop that delivers timers and device
    // notifications while it is open, so a build or a click can be entered
    // from inside another. The guards, with these rules:
    // - LockMe: true exactly while BuildDiskList runs. Click events then come
    //   from the list's own settings: the handlers ignore them (no write),
    //   and a focus event scrolls nothing.
    // - restoringRow_: true while a click shows a row's flags again (after a
    //   write, or the driver's values after a refused one). Those settings'
    //   click events start no second write.
    // - busy_ and rebuildPending_: a rebuild asked for (F5, the plug timer,
    //   a refused click) while a build or a click runs is not run inside it;
    //   it is noted, and when the last of them ends it starts once, on a 0 ms
    //   timer, after the event that ended has returned (BusyScope).
    // - pendingDpi_: a DPI change that comes while a build or a click runs
    //   waits the same way, on its own 0 ms timer, started before the
    //   rebuild's, so a waiting rebuild runs at the new DPI. Only the last
    //   change counts.
    bool LockMe = false;

    void BuildDiskList();
    static bool IsEven(std::int32_t n);
    // Writes the flag of `box` (kChkWCEO or kChkHPD) of row `row` as the box
    // now shows it, keeping the driver's value of the other flag.
    void ApplyRowFlags(std::int16_t row, std::string_view box);
    // The drive number between a leading "Disk " and the first colon, or -1.
    static std::int32_t DiskNumberFromCaption(std::string_view caption);

    // Events.
    void OnLoad() override;
    void OnKeyDown(std::int16_t keyCode, std::int16_t shift) override;
    void OnCheckClick(const std::string& name, std::int16_t index) override;
    void OnButtonClick(const std::string& name) override;
    void OnScrollChange(const std::string& name) override;
    void OnDeviceChange(const DeviceChange& change) override;
    void OnTimer(std::uint32_t id) override;
    void OnDpiChange(const DpiChange& change) override;

    // How many times BuildDiskList has run.
    int ListBuilds() const { return listBuilds_; }
    void OnFocus(const std::string& name, std::int16_t index) override;

private:
    // Counts the running builds and clicks for the rebuild guard (see LockMe).
    class BusyScope;
    // Rebuilds as F5 does; while a build or a click runs (and with them every
    // message box of the program), once when they have ended.
    void RequestRebuild();
    void RebuildNow();
    // Lays the window out at the DPI change that waits, if any and not busy.
    void TakeDpiChange();
    // Everything the design places, placed again at the new DPI, as a window
    // started there: the rows, their states and disks as they are (nothing
    // is scanned or read), the same row first in view, the focus where it is.
    void LayOutAt(const DpiChange& change);
    // The row at the top of the view: the one whose top is at or above the
    // list's top margin, as the arrows scroll row by row.
    int FirstVisibleRow() const;
    // The design's controls and the rows at the toolkit's DPI, `firstRow` first in view.
    void PlaceAtDpi(const FormDesign& design, int firstRow);
    // The last row of the list (0 when there is one, or none).
    std::int16_t LastRow() const;
    // Places row `row` as a copy of row 0 right below row `row` - 1.
    void PlaceRowBelow(std::int16_t row);
    // The disk row `row` was made for, when the caption's number is still its.
    const inventory::DiskIdentity* RowDisk(std::int16_t row, std::int32_t driveNumber) const;
    // Tells the user that drive N is not the row's disk any more, and rescans.
    void RefuseChangedDisk(std::int32_t driveNumber);
    // A write open refused for want of rights: the device error box; in a
    // process that is not elevated it asks whether to start the program
    // again as administrator. True when that start succeeded and this window
    // has closed; otherwise the caller shows the row as the disk reports it.
    bool ReportRefusedRights(const hotplug::HotplugResult& result);
    // What a row's two boxes show: 0 or 1 as the driver holds the flag, or
    // grayed when it could not be read.
    struct RowStates {
        std::int16_t writeCacheEnableOverride = kGrayed;
        std::int16_t deviceHotplug = kGrayed;
    };
    // Sets both boxes of a row without the click events writing again, and
    // keeps what they show for a click that fails.
    void ShowRowStates(std::int16_t row, RowStates states);
    void ShowRowFlags(std::int16_t row, bool writeCacheEnableOverride, bool deviceHotplug);
    // What the row showed before the user's click on `box` changed it.
    RowStates BeforeClick(std::int16_t row, std::string_view box) const;
    // After a failed click: the flags read back on a newly confirmed handle,
    // or, when they cannot be read, the row as it was before the click;
    // never a state the driver was not given.
    void ShowDriverFlags(std::int16_t row, std::int32_t driveNumber,
                         const inventory::DiskIdentity& identity, RowStates before);

    platform::Hwnd Owner() const;
    // picList's top inside picListFrame in the design, in pixels at the
    // toolkit's DPI: the margin above the first row and below the last.
    int DesignListTop() const;
    void ResetScrollPosition();
    // Destroys the rows from `first` on, up to the first one that is not whole.
    void RemoveRowsFrom(std::int32_t first);
    // How many of a row's three controls exist.
    int RowParts(std::int16_t row) const;
    void SetWindowIcons();
    void SetScrollBase();
    // Makes row `row` look as a new copy of row 0 placed below the row above
    // would: a row the previous build left whole is kept and set only where
    // it differs, one that is not whole is made anew.
    void KeepOrMakeRow(std::int16_t row);
    void TurnOffTheme(const ControlRef& control);
    void FitListPane(std::int16_t lastRow);
    void ShowFirstRowBoxes(bool visible);
    void ScrollRowIntoView(std::int16_t row);
    void FillRow(std::int16_t row, std::int32_t driveNumber);
    // The design's font face becomes its modern name on every control.
    void ModerniseFonts();

    Toolkit& tk_;
    platform::WindowsApi& api_;
    inventory::DiskInventory& inventory_;
    bool restoringRow_ = false;  // see LockMe
    // The disk each row was made for, by row index, from the last build.
    std::vector<inventory::DiskIdentity> rowDisks_;
    // What each row's boxes show, as the program last set them, by row index.
    std::vector<RowStates> rowStates_;
    int busy_ = 0;                         // see LockMe
    bool rebuildPending_ = false;          // see LockMe
    std::optional<DpiChange> pendingDpi_;  // see LockMe
    int listBuilds_ = 0;
};

}  // namespace plumvane::ui
