#pragma once
// What a scan knew about a disk, and the check that drive N is still that
// disk just before its flags are written: between a scan and a write, disks
// may be plugged, pulled or renumbered, and a number alone would then name
// another disk.

#include <cstdint>
#include <string>

#include "inventory/DiskTable.h"
#include "platform/WindowsApi.h"

namespace plumvane::inventory {

struct DiskIdentity {
    std::int32_t Number = -1;
    std::string DeviceInstanceId;
    // Compared only for a disk without a device instance id.
    std::string Description;
    std::string SizeText;
    std::uint32_t BusType = 7;  // USB
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

// Opens drive N without access rights, asks its device number, its storage
// descriptor's bus type and its device instance id (its description and
// size text instead when the identity has no id) and compares them with the
// identity. The drive is closed again before this returns.
DiskConfirmation ConfirmDisk(platform::WindowsApi& api, const DiskIdentity& identity);

}  // namespace plumvane::inventory
