#include "inventory/DiskIdentity.h"

#include "inventory/DeviceInstance.h"
#include "inventory/DiskScan.h"
#include "inventory/StorageQueries.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {

using namespace platform;

namespace {

DiskConfirmation Outcome(DiskCheck check, std::string what = {}, DWORD error = 0) {
    return DiskConfirmation{check, std::move(what), error};
}

}  // namespace

DiskIdentity IdentityOf(std::int32_t number, const DiskRecord& record) {
    return DiskIdentity{
        number,          record.DeviceInstanceId, record.Description,
        record.SizeText, record.LettersText,      static_cast<std::uint32_t>(record.BusType),
        record.Geometry, record.DriveLayoutId};
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

DiskConfirmation ConfirmDisk(WindowsApi& api, Handle drive, const DiskIdentity& identity) {
    // The table has no drive beyond 99.
    if (identity.Number < 0 || identity.Number >= kDiskSlots) return Outcome(DiskCheck::Gone);

    const std::int32_t number = GetDeviceNumber(api, drive);
    if (number < 0) return Outcome(DiskCheck::QueryFailed, "device number", api.GetLastError());
    if (number != identity.Number) return Outcome(DiskCheck::Differs, "device number");

    // Each value as the scan makes it, so a fallback compares as the scan
    // recorded it: a reader without media is "no media" both times, and a
    // query that failed at the scan but answers now shows a changed disk. A
    // query that answered at the scan and fails now says nothing about the
    // disk, so it is reported as the failure it is.
    std::string description;
    std::int32_t busType = 0;
    if (!QueryStorageDescription(api, drive, description, busType)) {
        const DWORD error = api.GetLastError();
        if (static_cast<std::uint32_t>(busType) != identity.BusType ||
            description != identity.Description) {
            return Outcome(DiskCheck::QueryFailed, "storage descriptor", error);
        }
    }
    if (static_cast<std::uint32_t>(busType) != identity.BusType) {
        return Outcome(DiskCheck::Differs, "bus type");
    }
    if (description != identity.Description) return Outcome(DiskCheck::Differs, "description");
    // The exact numbers: a stick a few cylinders smaller shows the same size text.
    DISK_GEOMETRY geometry;
    const bool measured = QueryDriveGeometry(api, drive, geometry);
    if (geometry != identity.Geometry) {
        if (!measured) return Outcome(DiskCheck::QueryFailed, "drive geometry", api.GetLastError());
        const bool sizeShows = FormatDiskSize(api, geometry) != identity.SizeText;
        return Outcome(DiskCheck::Differs, sizeShows ? "size" : "drive geometry");
    }
    std::string layout;
    if (!QueryDriveLayoutId(api, drive, layout) && layout != identity.DriveLayoutId) {
        return Outcome(DiskCheck::QueryFailed, "partition table", api.GetLastError());
    }
    if (layout != identity.DriveLayoutId) return Outcome(DiskCheck::Differs, "partition table");
    // Compared empty or not: a disk that has gained or lost an id is another disk.
    const std::string instanceId = GetDeviceInstanceId(api, FindDiskDevInst(api, identity.Number));
    if (instanceId != identity.DeviceInstanceId) {
        return Outcome(DiskCheck::Differs, "device instance id");
    }
    // Another letter is another disk as far as the user can tell.
    if (LettersOfDisk(api, identity.Number) != identity.LettersText) {
        return Outcome(DiskCheck::Differs, "drive letters");
    }
    return Outcome(DiskCheck::Confirmed);
}

}  // namespace plumvane::inventory
