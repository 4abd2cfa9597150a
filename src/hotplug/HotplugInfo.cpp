#include "hotplug/HotplugInfo.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::hotplug {

using namespace platform;

namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

void ShowDeviceError(WindowsApi& api, Hwnd owner, DWORD code, HotplugStep step) {
    hotplug::ShowDeviceError(api, owner, code, HotplugStepName(step));
}

// A fresh structure with Size 8, as every GET expects.
bool GetHotplugInfo(WindowsApi& api, Handle drive, STORAGE_HOTPLUG_INFO& info) {
    info = {};
    info.SetSize(STORAGE_HOTPLUG_INFO::kImageSize);
    DWORD bytesReturned = 0;
    return DeviceCallSucceeded(
        api.DeviceIoControl(drive, IOCTL_STORAGE_GET_HOTPLUG_INFO, {}, info.bytes, &bytesReturned));
}

}  // namespace

std::uint32_t STORAGE_HOTPLUG_INFO::Size() const { return ReadU32LE(bytes, kSizeOffset); }

void STORAGE_HOTPLUG_INFO::SetSize(std::uint32_t size) { WriteU32LE(bytes, kSizeOffset, size); }

namespace {

// Called where a step fails, while the drive is still open.
using FailureReport = std::function<void(HotplugStep, DWORD)>;

HotplugResult Fail(HotplugResult& result, HotplugStep step, DWORD error,
                   const FailureReport& report) {
    result.FailedStep = step;
    result.Error = error;
    report(step, error);
    return result;
}

HotplugResult ReadReporting(WindowsApi& api, std::int32_t driveNumber, const FailureReport& report,
                            const DriveCheck& check = {}) {
    HotplugResult result;
    // No access right asked for, so reading works for every user.
    UniqueDeviceHandle drive =
        OpenForQueries(api, PhysicalDrivePath(kFlagsDriveSpelling, driveNumber));
    if (!drive) return Fail(result, HotplugStep::Open, api.GetLastError(), report);
    if (check && !check(drive.get())) return Fail(result, HotplugStep::Confirm, 0, report);
    if (!GetHotplugInfo(api, drive.get(), result.Read)) {
        return Fail(result, HotplugStep::Get, api.GetLastError(), report);
    }
    return result;
}

HotplugResult WriteReporting(WindowsApi& api, std::int32_t driveNumber, const HotplugChange& change,
                             const FailureReport& report) {
    HotplugResult result;
    UniqueDeviceHandle drive(
        api, api.CreateFileA(PhysicalDrivePath(kFlagsDriveSpelling, driveNumber),
                             GENERIC_READ | GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING, 0));
    if (!drive) return Fail(result, HotplugStep::OpenForWrite, api.GetLastError(), report);
    // The check runs on this very handle: a separate open would leave a gap
    // in which the number could pass to another disk.
    if (change.Check && !change.Check(drive.get())) {
        return Fail(result, HotplugStep::Confirm, 0, report);
    }

    // Read-modify-write: the driver checks that the fields the program does
    // not own come back unchanged.
    if (!GetHotplugInfo(api, drive.get(), result.Read)) {
        return Fail(result, HotplugStep::Get, api.GetLastError(), report);
    }
    STORAGE_HOTPLUG_INFO& info = result.Written;
    info = result.Read;
    if (change.DeviceHotplug) info.SetDeviceHotplug(*change.DeviceHotplug);
    if (change.WriteCacheEnableOverride) {
        info.SetWriteCacheEnableOverride(*change.WriteCacheEnableOverride);
    }
    result.SetWanted = !change.OnlyWhenChanged || result.Changes();
    if (change.DryRun || !result.SetWanted) return result;

    // The input length is the Size the driver gave back, but never more than
    // the structure: a driver answering another Size gets its own structure
    // back and decides.
    const std::size_t length = std::min<std::size_t>(info.Size(), STORAGE_HOTPLUG_INFO::kImageSize);
    DWORD bytesReturned = 0;
    if (!DeviceCallSucceeded(api.DeviceIoControl(drive.get(), IOCTL_STORAGE_SET_HOTPLUG_INFO,
                                                 std::span<const Byte>(info.bytes.data(), length),
                                                 {}, &bytesReturned))) {
        return Fail(result, HotplugStep::Set, api.GetLastError(), report);
    }
    return result;
}

void Quiet(HotplugStep, DWORD) {}

bool NoSuchDrive(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::string DeviceErrorText(DWORD code, std::string_view step) {
    std::string text = "Error ";
    text += std::to_string(static_cast<std::int32_t>(code));
    text += ' ';
    text += step;
    return text;
}

std::string DeviceErrorText(DWORD code, HotplugStep step) {
    return DeviceErrorText(code, HotplugStepName(step));
}

void ShowDeviceError(WindowsApi& api, Hwnd owner, DWORD code, std::string_view step) {
    api.MessageBoxA(owner, DeviceErrorText(code, step), kDeviceErrorCaption, MB_OK | MB_ICONERROR);
}

std::string ConfirmQueryStep(std::string_view query) {
    return std::string(HotplugStepName(HotplugStep::Confirm)) + " (its " + std::string(query) + ")";
}

bool RefusedForRights(const HotplugResult& result) {
    return result.FailedStep == HotplugStep::OpenForWrite && result.Error == ERROR_ACCESS_DENIED;
}

std::string_view HotplugStepName(HotplugStep step) {
    switch (step) {
        case HotplugStep::None:
            break;
        case HotplugStep::Open:
            return "opening disk device";
        case HotplugStep::OpenForWrite:
            return "opening disk device with write access";
        case HotplugStep::Confirm:
            return "confirming the disk";
        case HotplugStep::Get:
            return "IOCTL_STORAGE_GET_HOTPLUG_INFO";
        case HotplugStep::Set:
            return "IOCTL_STORAGE_SET_HOTPLUG_INFO";
    }
    return "";
}

bool ReadHotplugInfo(WindowsApi& api, Hwnd owner, std::int32_t driveNumber,
                     bool& writeCacheEnableOverride, bool& deviceHotplug) {
    const HotplugResult result = ReadHotplugInfo(api, owner, driveNumber, DriveCheck{});
    if (!result.ok()) return false;
    writeCacheEnableOverride = result.Read.WriteCacheEnableOverride();
    deviceHotplug = result.Read.DeviceHotplug();
    return true;
}

HotplugResult ReadHotplugInfo(WindowsApi& api, Hwnd owner, std::int32_t driveNumber,
                              const DriveCheck& check) {
    return ReadReporting(
        api, driveNumber,
        [&](HotplugStep step, DWORD error) {
            // A failed open is shown to the user, a failed query is not.
            if (step == HotplugStep::Open) ShowDeviceError(api, owner, error, step);
        },
        check);
}

HotplugResult WriteHotplugInfo(WindowsApi& api, Hwnd owner, std::int32_t driveNumber,
                               const HotplugChange& change) {
    // Every failure is shown while the drive is still open.
    return WriteReporting(api, driveNumber, change, [&](HotplugStep step, DWORD error) {
        if (step == HotplugStep::Confirm) return;
        if (step == HotplugStep::OpenForWrite &&
            (NoSuchDrive(error) || error == ERROR_ACCESS_DENIED)) {
            return;
        }
        ShowDeviceError(api, owner, error, step);
    });
}

bool DriveGone(const HotplugResult& result) {
    return result.FailedStep == HotplugStep::OpenForWrite && NoSuchDrive(result.Error);
}

HotplugResult ReadFlagsQuietly(WindowsApi& api, std::int32_t driveNumber) {
    return ReadReporting(api, driveNumber, Quiet);
}

HotplugResult WriteFlagsQuietly(WindowsApi& api, std::int32_t driveNumber,
                                const HotplugChange& change) {
    return WriteReporting(api, driveNumber, change, Quiet);
}

}  // namespace plumvane::hotplug
