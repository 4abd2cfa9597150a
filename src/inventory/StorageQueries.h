#pragma once
// Small stateless queries on an open disk or volume handle, and the texts made
// from their answers. A failed I/O control gives a fixed fallback value; the
// Get... forms say nothing more, the Query... forms also return false and
// leave the driver's last-error code.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowsApi.h"

namespace plumvane::inventory {

// The decoded answer of IOCTL_DISK_GET_DRIVE_GEOMETRY.
struct DISK_GEOMETRY {
    std::int64_t Cylinders = 0;
    std::uint32_t MediaType = 0;
    std::int32_t TracksPerCylinder = 0;
    std::int32_t SectorsPerTrack = 0;
    std::int32_t BytesPerSector = 0;
    friend bool operator==(const DISK_GEOMETRY&, const DISK_GEOMETRY&) = default;
};

// "Vendor Product" from the storage device descriptor, "unknown" when the
// descriptor names neither; busType receives its STORAGE_BUS_TYPE (0 when
// the query fails).
std::string GetStorageDescription(platform::WindowsApi& api, platform::Handle device,
                                  std::int32_t& busType);
// The same query for callers that must tell a refusal from a descriptor that
// names nothing: false when the driver refused it (the thread's last-error
// code is then the driver's); description and busType get the values above
// either way.
bool QueryStorageDescription(platform::WindowsApi& api, platform::Handle device,
                             std::string& description, std::int32_t& busType);

// The physical drive number behind a disk or volume handle; -1 on failure.
std::int32_t GetDeviceNumber(platform::WindowsApi& api, platform::Handle device);

// All zero for INVALID_HANDLE_VALUE (no call made) and for a drive without
// media or refusing the query.
DISK_GEOMETRY GetDriveGeometry(platform::WindowsApi& api, platform::Handle device);
// The same, false when the driver refused the query (last-error code set);
// geometry then holds the all-zero fallback.
bool QueryDriveGeometry(platform::WindowsApi& api, platform::Handle device,
                        DISK_GEOMETRY& geometry);

// The identity of a disk's partition table, from IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
// "MBR 1A2B3C4D" (the disk signature), "GPT {...}" (the disk GUID), "RAW"
// (no partition table), or kNoDriveLayout when none can be read (no media).
// Two sticks of one model told apart by nothing else differ here once they
// were partitioned apart.
inline constexpr std::string_view kNoDriveLayout = "none";
std::string GetDriveLayoutId(platform::WindowsApi& api, platform::Handle device);
// The same, false when the driver refused the query (last-error code set);
// id then holds kNoDriveLayout.
bool QueryDriveLayoutId(platform::WindowsApi& api, platform::Handle device, std::string& id);

// The head of a drive layout: which table, and what names it.
struct DriveLayout {
    std::uint32_t Style = 0;  // drive_layout::kStyleMbr, kStyleGpt, kStyleRaw, or another
    std::uint32_t MbrSignature = 0;
    platform::Guid GptDiskId{};
};
// The layout's head; false when the driver refused the query (last-error code
// set). `layout` is empty after a refusal or an answer without the whole head.
bool QueryDriveLayout(platform::WindowsApi& api, platform::Handle device,
                      std::optional<DriveLayout>& layout);
// The identity as GetDriveLayoutId gives it; kNoDriveLayout for no layout.
std::string DriveLayoutIdText(const std::optional<DriveLayout>& layout);

// Bytes of the geometry. Cylinders counts whole cylinders only, so counts
// above 8 get one more for the partial cylinder at the end of the disk.
// nullopt when the product does not fit 64 bits, which no real disk reaches.
std::optional<std::int64_t> DiskSizeBytes(const DISK_GEOMETRY& geometry);

// "14.9 GB" in the user's number format, or "no media".
std::string FormatDiskSize(platform::WindowsApi& api, const DISK_GEOMETRY& geometry);

// Trims blanks (U+0020 only), then cuts at the first NUL.
std::string CutAtNul(std::string_view text);

// Removes leading and trailing U+0020 blanks.
std::string TrimBlanks(std::string_view text);

}  // namespace plumvane::inventory
