// A click on a row's box: the write of that flag to the row's disk, once the
// disk is confirmed to be the row's.
#include <string>

#include "hotplug/HotplugInfo.h"
#include "platform/Elevation.h"
#include "platform/ProgramName.h"
#include "platform/SystemErrorText.h"
#include "platform/WinDefs.h"
#include "ui/frmMainParts.h"

namespace plumvane::ui {

const inventory::DiskIdentity* frmMain::RowDisk(std::int16_t row, std::int32_t driveNumber) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rowDisks_.size()) return nullptr;
    const inventory::DiskIdentity& disk = rowDisks_[static_cast<std::size_t>(row)];
    return disk.Number == driveNumber ? &disk : nullptr;
}

void frmMain::RefuseChangedDisk(std::int32_t driveNumber) {
    tk_.ShowMessage(DiskChangedText(driveNumber), platform::MB_OK | platform::MB_ICONEXCLAMATION);
    RequestRebuild();
}

std::string RunAsAdministratorQuestion(std::string_view deviceError) {
    return std::string(deviceError) +
           "\n\nChanging a disk's flags needs administrator rights.\nStart " +
           platform::kProgramName + " as administrator?";
}

std::string StartFailedText(platform::DWORD code, std::string_view systemText) {
    return hotplug::DeviceErrorText(
               code, std::string("starting ") + platform::kProgramName + " as administrator") +
           ": " + std::string(systemText);
}

bool frmMain::ReportRefusedRights(const hotplug::HotplugResult& result) {
    using namespace platform;
    if (ProcessRunsElevated(api_)) {
        hotplug::ShowDeviceError(api_, Owner(), result.Error,
                                 hotplug::HotplugStepName(result.FailedStep));
        return false;
    }
    // No is the default: a key pressed by habit changes nothing.
    const int answer = api_.MessageBoxA(
        Owner(),
        RunAsAdministratorQuestion(hotplug::DeviceErrorText(result.Error, result.FailedStep)),
        hotplug::kDeviceErrorCaption, MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2);
    if (answer != IDYES) return false;
    const DWORD started = StartSelfElevated(api_, Owner());
    if (started == ERROR_SUCCESS) {
        // The elevated window scans afresh; two windows would only confuse.
        tk_.Unload();
        return true;
    }
    // A declined prompt is the user's No, already said once.
    if (started != ERROR_CANCELLED) {
        api_.MessageBoxA(Owner(), StartFailedText(started, SystemErrorText(api_, started)),
                         hotplug::kDeviceErrorCaption, MB_OK | MB_ICONERROR);
    }
    return false;
}

void frmMain::ShowRowStates(std::int16_t row, RowStates states) {
    if (row >= 0) {
        if (static_cast<std::size_t>(row) >= rowStates_.size()) {
            rowStates_.resize(static_cast<std::size_t>(row) + 1);
        }
        rowStates_[static_cast<std::size_t>(row)] = states;
    }
    // The click events of these settings must not write again, or one
    // refused click would show its error twice.
    SetWhileInScope restoring(restoringRow_);
    tk_.SetCheck(Elem(kChkWCEO, row), states.writeCacheEnableOverride);
    tk_.SetCheck(Elem(kChkHPD, row), states.deviceHotplug);
}

void frmMain::ShowRowFlags(std::int16_t row, bool writeCacheEnableOverride, bool deviceHotplug) {
    ShowRowStates(row, {CheckState(writeCacheEnableOverride), CheckState(deviceHotplug)});
}

frmMain::RowStates frmMain::BeforeClick(std::int16_t row, std::string_view box) const {
    RowStates before{tk_.GetCheck(Elem(kChkWCEO, row)).value_or(kUnchecked),
                     tk_.GetCheck(Elem(kChkHPD, row)).value_or(kUnchecked)};
    std::int16_t& clicked =
        box == kChkWCEO ? before.writeCacheEnableOverride : before.deviceHotplug;
    // A click checks a clear or grayed box and clears a checked one: what the
    // program last showed tells which, unless the box was set since.
    std::int16_t shown = clicked == kChecked ? kUnchecked : kChecked;
    if (row >= 0 && static_cast<std::size_t>(row) < rowStates_.size()) {
        const RowStates& last = rowStates_[static_cast<std::size_t>(row)];
        const std::int16_t lastShown =
            box == kChkWCEO ? last.writeCacheEnableOverride : last.deviceHotplug;
        if (StateAfterUserClick(lastShown) == clicked) shown = lastShown;
    }
    clicked = shown;
    return before;
}

void frmMain::ShowDriverFlags(std::int16_t row, std::int32_t driveNumber,
                              const inventory::DiskIdentity& identity, RowStates before) {
    // The read-back opens the drive anew, and a device pulled during the
    // write may have left its number to another disk: its flags must not
    // show in this row, so it is confirmed as the write's handle was.
    inventory::DiskConfirmation confirmation;
    const hotplug::HotplugResult read = hotplug::ReadHotplugInfo(
        api_, Owner(), driveNumber, inventory::ConfirmingCheck(api_, identity, confirmation));
    if (read.ok()) {
        ShowRowFlags(row, read.Read.WriteCacheEnableOverride(), read.Read.DeviceHotplug());
        return;
    }
    ShowRowStates(row, before);
    if (read.FailedStep == hotplug::HotplugStep::Confirm &&
        confirmation.Check != inventory::DiskCheck::QueryFailed) {
        RefuseChangedDisk(driveNumber);
    }
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
    const RowStates before = BeforeClick(row, box);
    const inventory::DiskIdentity* disk = RowDisk(row, driveNumber);
    if (!disk) {
        ShowRowStates(row, before);
        RefuseChangedDisk(driveNumber);
        return;
    }
    // Only the clicked flag changes: the other one keeps what the driver
    // holds now, which another program may have changed since the scan. A
    // grayed box (flags unknown) becomes checked when clicked: that flag is
    // set on.
    hotplug::HotplugChange change;
    const bool on = tk_.GetCheck(Elem(std::string(box), row)).value_or(kUnchecked) != kUnchecked;
    if (box == kChkWCEO) change.WriteCacheEnableOverride = on;
    if (box == kChkHPD) change.DeviceHotplug = on;
    const inventory::DiskIdentity identity = *disk;
    inventory::DiskConfirmation confirmation;
    change.Check = inventory::ConfirmingCheck(api_, identity, confirmation);
    const hotplug::HotplugResult result =
        hotplug::WriteHotplugInfo(api_, Owner(), driveNumber, change);
    if (hotplug::RefusedForRights(result) && ReportRefusedRights(result)) return;
    if (result.ok()) {
        ShowRowFlags(row, result.Written.WriteCacheEnableOverride(),
                     result.Written.DeviceHotplug());
        return;
    }
    const bool queryFailed = result.FailedStep == hotplug::HotplugStep::Confirm &&
                             confirmation.Check == inventory::DiskCheck::QueryFailed;
    if ((result.FailedStep == hotplug::HotplugStep::Confirm && !queryFailed) ||
        hotplug::DriveGone(result)) {
        ShowRowStates(row, before);
        RefuseChangedDisk(driveNumber);
        return;
    }
    // A query refused while the disk was confirmed says nothing about which
    // disk it is: a Windows failure like a refused GET or SET.
    if (queryFailed) {
        hotplug::ShowDeviceError(api_, Owner(), confirmation.Error,
                                 hotplug::ConfirmQueryStep(confirmation.What));
    }
    ShowDriverFlags(row, driveNumber, identity, before);
}

}  // namespace plumvane::ui
