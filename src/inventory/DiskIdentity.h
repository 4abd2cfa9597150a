#pragma once
// What a row (or a command line) showed of a disk, and the check that the
// drive a write has just opened is still that disk: between a scan and a
// write, disks may be plugged, pulled, renumbered or swapped for a lookalike,
// and a number alone would then name another disk.

#include <cstdint>
#include <string>

#include "inventory/DiskTable.h"
#include "inventory/StorageQueries.h"
#include "platform/WindowsApi.h"

namespace plumvane::inventory {

// Every value the scan recorded and the row shows, each as the scan made it,
// fallbacks ("unknown", "no media", an empty id) included, and the exact
// values behind them: the geometry behind the size text and the partition
// table's identity, which tell apart two sticks of one model, one size and
// one port (so one instance id) once they were partitioned apart.
struct DiskIdentity {
    std::int32_t Number = -1;
    std::string DeviceInstanceId;
    std::string Description;
    std::string SizeText;
    std::string LettersText;    // "E: G: "
    std::uint32_t BusType = 7;  // USB
    DISK_GEOMETRY Geometry;
    std::string DriveLayoutId;  // see GetDriveLayoutId
};

// The identity of drive `number` as its scan recorded it.
DiskIdentity IdentityOf(std::int32_t number, const DiskRecord& record);

enum class DiskCheck {
    Confirmed,
    Gone,         // no drive opens under that number any more
    Differs,      // a drive answers, but not the one of the identity
    QueryFailed,  // a query was refused, so nothing can be said
};

struct DiskConfirmation {
    DiskCheck Check = DiskCheck::QueryFailed;
    // The query that failed or the property that differs, e.g. "device number".
    std::string What;
    std::uint32_t Error = 0;  // the failed query's last-error code

    bool Confirmed() const { return Check == DiskCheck::Confirmed; }
    // One sentence for messages, e.g. "the device instance id differs".
    std::string Reason() const;
};

// Asks, on `drive` (the handle the write itself will use), its device
// number, storage descriptor, geometry and partition table, then the device instance id of
// the device at that number and the drive letters of that number, each as a
// scan would make it, and compares all of them with the identity. A handle
// stays bound to the device it was opened on, so once it answers the
// identity's number and the device at that number has the identity's id, a
// request on it can reach no other disk. The handle is left open.
DiskConfirmation ConfirmDisk(platform::WindowsApi& api, platform::Handle drive,
                             const DiskIdentity& identity);

// The check an operation asks on its own handle: ConfirmDisk there, what it
// found left in `found`. All three must outlive the check.
inline auto ConfirmingCheck(platform::WindowsApi& api, const DiskIdentity& identity,
                            DiskConfirmation& found) {
    return [&api, &identity, &found](platform::Handle drive) {
        found = ConfirmDisk(api, drive, identity);
        return found.Confirmed();
    };
}

}  // namespace plumvane::inventory
