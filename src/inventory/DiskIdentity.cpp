#include "inventory/DiskIdentity.h"

#include "inventory/DeviceInstance.h"
#include "inventory/StorageQueries.h"
#include "platform/DevicePaths.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {

using namespace platform;

namespace {

DiskConfirmation Outcome(DiskCheck check, std::string what = {}, DWORD error = 0) {
    return DiskConfirmation{check, std::move(what), error};
}

}  // namespace

DiskIdentity IdentityOf(std::int32_t number, const DiskRecord& record) {
    return DiskIdentity{number, record.DeviceInstanceId, record.Description, record.SizeText,
                        static_cast<std::uint32_t>(record.BusType)};
}

std::string DiskConfirmation::Reason() const {
    switch (Check) {
        case DiskCheck::Confirmed:
            return "the disk is the same";
        case DiskCheck::Gone:
            return "the disk is gone";
        case DiskCheck::Differs:
            return "the " + What + " differs";
        case DiskCheck::QueryFailed:
            break;
    }
    return "the " + What + " cannot be read (error " +
           std::to_string(static_cast<std::int32_t>(Error)) + ")";
}

DiskConfirmation ConfirmDisk(WindowsApi& api, const DiskIdentity& identity) {
    // The table has no drive beyond 99; no such name is ever opened.
    if (identity.Number < 0 || identity.Number >= kDiskSlots) return Outcome(DiskCheck::Gone);

    // The spelling of the flag write's own open; access 0 needs no rights.
    const std::string path = PhysicalDrivePath(kFlagsDriveSpelling, identity.Number);
    UniqueDeviceHandle drive(
        api, api.CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
    if (!drive) {
        const DWORD error = api.GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return Outcome(DiskCheck::Gone);
        }
        return Outcome(DiskCheck::QueryFailed, "disk (opening it)", error);
    }

    const std::int32_t number = GetDeviceNumber(api, drive.get());
    if (number < 0) return Outcome(DiskCheck::QueryFailed, "device number", api.GetLastError());
    if (number != identity.Number) return Outcome(DiskCheck::Differs, "device number");

    std::string description;
    std::int32_t busType = 0;
    if (!QueryStorageDescription(api, drive.get(), description, busType)) {
        return Outcome(DiskCheck::QueryFailed, "storage descriptor", api.GetLastError());
    }
    if (static_cast<std::uint32_t>(busType) != identity.BusType) {
        return Outcome(DiskCheck::Differs, "bus type");
    }

    if (identity.DeviceInstanceId.empty()) {
        DISK_GEOMETRY geometry;
        if (!QueryDriveGeometry(api, drive.get(), geometry)) {
            return Outcome(DiskCheck::QueryFailed, "drive geometry", api.GetLastError());
        }
        if (description != identity.Description) return Outcome(DiskCheck::Differs, "description");
        if (FormatDiskSize(api, geometry) != identity.SizeText) {
            return Outcome(DiskCheck::Differs, "size");
        }
    }

    // A disk that has gained an instance id since the scan is another disk
    // as well, so the id is compared even when the identity has none.
    const std::string instanceId = GetDeviceInstanceId(api, FindDiskDevInst(api, identity.Number));
    if (instanceId != identity.DeviceInstanceId) {
        return Outcome(DiskCheck::Differs, "device instance id");
    }
    return Outcome(DiskCheck::Confirmed);
}

}  // namespace plumvane::inventory
