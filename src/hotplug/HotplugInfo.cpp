#include "hotplug/HotplugInfo.h"

#include <algorithm>
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

// "Error <code><suffix>", the code read as signed so that a code with the
// high bit set shows with a minus sign.
void ShowDeviceError(WindowsApi& api, Hwnd owner, DWORD code, std::string_view suffix) {
    const std::string text =
        "Error " + std::to_string(static_cast<std::int32_t>(code)) + std::string(suffix);
    api.MessageBoxA(owner, text, "Error", MB_OK | MB_ICONERROR);
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

bool ReadHotplugInfo(WindowsApi& api, Hwnd owner, std::int32_t driveNumber,
                     bool& writeCacheEnableOverride, bool& deviceHotplug) {
    // Access 0: the query needs no right, so reading works for every user.
    UniqueDeviceHandle drive(api,
                             api.CreateFileA(PhysicalDrivePath(kFlagsDriveSpelling, driveNumber), 0,
                                             kShareReadWrite, OPEN_EXISTING, 0));
    if (!drive) {
        ShowDeviceError(api, owner, api.GetLastError(), " opening disk device");
        return false;
    }
    STORAGE_HOTPLUG_INFO info;
    if (!GetHotplugInfo(api, drive.get(), info)) return false;
    writeCacheEnableOverride = info.WriteCacheEnableOverride();
    deviceHotplug = info.DeviceHotplug();
    return true;
}

bool WriteHotplugInfo(WindowsApi& api, Hwnd owner, std::int32_t driveNumber,
                      bool writeCacheEnableOverride, bool deviceHotplug) {
    UniqueDeviceHandle drive(
        api, api.CreateFileA(PhysicalDrivePath(kFlagsDriveSpelling, driveNumber),
                             GENERIC_READ | GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING, 0));
    if (!drive) {
        ShowDeviceError(api, owner, api.GetLastError(), " opening disk device with write access");
        return false;
    }

    // Read-modify-write: the driver checks that the fields the program does
    // not own come back unchanged.
    STORAGE_HOTPLUG_INFO info;
    if (!GetHotplugInfo(api, drive.get(), info)) {
        // The box is shown while the drive is still open.
        ShowDeviceError(api, owner, api.GetLastError(), " IOCTL_STORAGE_GET_HOTPLUG_INFO");
        return false;
    }
    info.SetDeviceHotplug(deviceHotplug);
    info.SetWriteCacheEnableOverride(writeCacheEnableOverride);

    // The input length is the Size the driver gave back, but never more than
    // the structure: a driver answering another Size gets its own structure
    // back and decides.
    const std::size_t length = std::min<std::size_t>(info.Size(), STORAGE_HOTPLUG_INFO::kImageSize);
    DWORD bytesReturned = 0;
    if (!DeviceCallSucceeded(api.DeviceIoControl(drive.get(), IOCTL_STORAGE_SET_HOTPLUG_INFO,
                                                 std::span<const Byte>(info.bytes.data(), length),
                                                 {}, &bytesReturned))) {
        ShowDeviceError(api, owner, api.GetLastError(), " IOCTL_STORAGE_SET_HOTPLUG_INFO");
        return false;
    }
    return true;
}

}  // namespace plumvane::hotplug
