#pragma once
// The main window's behaviour: the USB disk list and the reactions to load,
// check-box clicks, F5, scrolling and Close. Written once against Toolkit, so
// the same code runs on real Win32 controls and in memory.

#include <cstdint>
#include <string_view>

#include "inventory/DiskTable.h"
#include "platform/WindowsApi.h"
#include "ui/FormDesign.h"
#include "ui/Toolkit.h"

namespace plumvane::ui {

inline constexpr std::uint32_t kOddRowColour = 0xF8F8F8;  // even rows keep kRowColour
inline constexpr const char* kNoUsbDisksCaption = "No USB disks found. Press F5 to scan again.";

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

    void BuildDiskList();
    static bool IsEven(std::int32_t n);
    void ApplyRowFlags(std::int16_t row);
    // The drive number between "Disk " and the first colon, or -1.
    static std::int32_t DiskNumberFromCaption(std::string_view caption);

    // Events.
    void OnLoad() override;
    void OnKeyDown(std::int16_t keyCode, std::int16_t shift) override;
    void OnCheckClick(const std::string& name, std::int16_t index) override;
    void OnButtonClick(const std::string& name) override;
    void OnScrollChange(const std::string& name) override;
    void OnFocus(const std::string& name, std::int16_t index) override;

private:
    platform::Hwnd Owner() const;
    // picList's top inside picListFrame in the design, in pixels at the
    // toolkit's DPI: the margin above the first row and below the last.
    int DesignListTop() const;
    void ResetScrollPosition();
    void RemoveOldRows();
    void SetWindowIcons();
    void SetScrollBase();
    void AddRow(std::int16_t row);
    void FitListPane(std::int16_t lastRow);
    void ShowRowBoxes(bool visible);
    void ScrollRowIntoView(std::int16_t row);
    void FillRow(std::int16_t row, std::int32_t driveNumber);
    void TurnOffThemesAndModerniseFonts();

    Toolkit& tk_;
    platform::WindowsApi& api_;
    inventory::DiskInventory& inventory_;
    // Set while ApplyRowFlags puts a drive's real flags back into a row, so
    // the click events of that restore start no second write.
    bool restoringRow_ = false;
};

}  // namespace plumvane::ui
