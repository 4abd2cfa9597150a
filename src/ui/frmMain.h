#pragma once
// The main window's behaviour: the USB disk list and the reactions to load,
// check-box clicks, F5, scrolling and Close. Written once against Toolkit, so
// the same code runs on real Win32 controls and in memory.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "inventory/DiskIdentity.h"
#include "inventory/DiskTable.h"
#include "platform/WindowsApi.h"
#include "ui/FormDesign.h"
#include "ui/Toolkit.h"

namespace plumvane::ui {

inline constexpr std::uint32_t kOddRowColour = 0xF8F8F8;  // even rows keep kRowColour
inline constexpr const char* kNoUsbDisksCaption = "No USB disks found. Press F5 to scan again.";
// Disks plugged or pulled together (a stick with two volumes sends several
// notifications) settle before one rebuild.
inline constexpr std::uint32_t kPlugSettleMs = 750;
inline constexpr std::uint32_t kPlugTimer = 1;
// A rebuild that had to wait for a running build or click.
inline constexpr std::uint32_t kDeferredRebuildTimer = 2;
// The box of a click refused because drive N is no longer the row's disk.
std::string DiskChangedText(std::int32_t driveNumber);

class frmMain : public EventSink {
public:
    frmMain(Toolkit& toolkit, platform::WindowsApi& api, inventory::DiskInventory& inventory);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;
    ~frmMain() override;

    // Creates the window from its design and raises its load event, which
    // fills the list and shows the window.
    Status Start();

    // True exactly while BuildDiskList runs; the check-box handlers ignore
    // the click events that the list's own settings raise meanwhile.
    bool LockMe = false;

    // For tests and the benchmark only: every build destroys all rows and
    // makes them anew with the list's painting not held and every control's
    // theme turned off again, as builds once did, to compare the kept rows
    // against.
    bool rebuildAllRows = false;

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

    // How many times BuildDiskList has run.
    int ListBuilds() const { return listBuilds_; }
    void OnFocus(const std::string& name, std::int16_t index) override;

private:
    // Counts the running builds and clicks; when the last ends, a rebuild
    // asked for meanwhile is started on a 0 ms timer, so it runs after the
    // event that ended has returned.
    class BusyScope;
    // Rebuilds as F5 does; while a build or a click runs (and with them every
    // message box of the program), once when they have ended.
    void RequestRebuild();
    void RebuildNow();
    // The disk row `row` was made for, when the caption's number is still its.
    const inventory::DiskIdentity* RowDisk(std::int16_t row, std::int32_t driveNumber) const;
    // Tells the user that drive N is not the row's disk any more, and rescans.
    void RefuseChangedDisk(std::int32_t driveNumber);
    // Sets both boxes of a row without the click events writing again.
    void ShowRowFlags(std::int16_t row, bool writeCacheEnableOverride, bool deviceHotplug);

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
    void AddRow(std::int16_t row);
    // A row of the previous build made to look as AddRow would make it.
    void KeepRow(std::int16_t row);
    void TurnOffTheme(const ControlRef& control);
    void FitListPane(std::int16_t lastRow);
    void ShowRowBoxes(bool visible);
    void ScrollRowIntoView(std::int16_t row);
    void FillRow(std::int16_t row, std::int32_t driveNumber);
    void TurnOffThemesAndModerniseFonts(bool themes);

    Toolkit& tk_;
    platform::WindowsApi& api_;
    inventory::DiskInventory& inventory_;
    // Set while ApplyRowFlags puts a drive's real flags back into a row, so
    // the click events of that restore start no second write.
    bool restoringRow_ = false;
    // The disk each row was made for, by row index, from the last build.
    std::vector<inventory::DiskIdentity> rowDisks_;
    int busy_ = 0;
    bool rebuildPending_ = false;
    int listBuilds_ = 0;
};

}  // namespace plumvane::ui
