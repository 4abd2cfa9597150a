#pragma once
// The disk scan: refills the disk table from the machine's present state,
// first the physical drives 0 to 99, then the drive letters A to Z.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "inventory/DiskTable.h"
#include "platform/WindowsApi.h"

namespace plumvane::inventory {

// owner: the window that owns the "err" box shown for a drive whose device
// number differs from the one it was opened by.
void ScanDisks(platform::WindowsApi& api, platform::Hwnd owner, DiskInventory& inventory);

// The letters of drive `number` as a scan files them, e.g. "E: G: ": the
// same walk over A to Z with the same calls.
std::string LettersOfDisk(platform::WindowsApi& api, std::int32_t number);

// Drive types whose letters are filed: unknown, removable, fixed, RAM disk.
bool IsListedDriveType(std::int32_t driveType);

// The room given to QueryDosDeviceA for a drive name's target list.
inline constexpr std::size_t kDosDeviceChars = 260;

// True when the DOS device behind a drive name ("A:") is a floppy.
bool IsFloppyDevice(platform::WindowsApi& api, std::string_view driveName);

}  // namespace plumvane::inventory
