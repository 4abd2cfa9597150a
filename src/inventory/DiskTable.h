#pragma once
// The disk table: one record per physical drive number 0 to 99, refilled by
// every scan. The program keeps one table for the whole process; tests and
// tools may hold their own DiskInventory and scan into it.

#include <array>
#include <cstdint>
#include <string>

#include "inventory/StorageQueries.h"

namespace plumvane::inventory {

inline constexpr int kDiskSlots = 100;   // \\.\PHYSICALDRIVE0 to 99
inline constexpr int kLetterSlots = 27;  // one per letter A to Z; the last stays empty
inline constexpr int kLettersPerDisk = 26;

struct DiskRecord {
    bool Present = false;
    std::string Path;
    std::string Description;
    std::int32_t SizeMB = 0;
    std::string SizeText;
    std::string DeviceInstanceId;
    std::array<std::string, kLetterSlots> Letters{};
    std::int32_t LetterCount = 0;
    std::string LettersText;
    std::int32_t DriveType = 0;
    std::int32_t BusType = 0;
    std::int32_t DevInst = 0;
    // The exact values behind the size text and the partition table's
    // identity: what tells two sticks of one model and one size apart.
    DISK_GEOMETRY Geometry;
    std::string DriveLayoutId;
};

using DiskTable = std::array<DiskRecord, kDiskSlots>;

struct DiskInventory {
    DiskTable Table{};
    // One more than the highest drive number that opened in the last scan.
    std::int32_t DiskCount = 0;
};

// The process-wide table that the main window reads.
DiskInventory& ProcessDiskInventory();

// Empties every record, DeviceInstanceId, DriveType and BusType included, so
// a disk that has gone since the last scan is not taken for a USB disk.
void ClearDiskTable(DiskInventory& inventory);

}  // namespace plumvane::inventory
