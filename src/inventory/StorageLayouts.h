#pragma once
// Byte images of the storage structures that the queries exchange with the
// drivers, at the offsets of the 32-bit Windows definitions. They are read
// and written with platform/ByteLayout.h, never by casting a buffer.

#include <cstddef>
#include <cstdint>

namespace plumvane::inventory {

// STORAGE_PROPERTY_QUERY: the input of IOCTL_STORAGE_QUERY_PROPERTY.
namespace storage_property_query {
inline constexpr std::size_t kPropertyId = 0;            // u32: StorageDeviceProperty (0)
inline constexpr std::size_t kQueryType = 4;             // u32: PropertyStandardQuery (0)
inline constexpr std::size_t kAdditionalParameters = 8;  // u8, then 3 bytes of alignment
inline constexpr std::size_t kSize = 12;
static_assert(kAdditionalParameters + 1 + 3 == kSize);
}  // namespace storage_property_query

// STORAGE_DEVICE_DESCRIPTOR: the answer, received into a fixed buffer.
namespace storage_device_descriptor {
inline constexpr std::size_t kBufferSize = 1024;
inline constexpr std::size_t kVendorIdOffset = 12;       // i32: position of the vendor text
inline constexpr std::size_t kProductIdOffset = 16;      // i32: position of the product text
inline constexpr std::size_t kSerialNumberOffset = 24;   // i32: position of the serial number text
inline constexpr std::size_t kBusType = 28;              // i32: STORAGE_BUS_TYPE
inline constexpr std::size_t kRawPropertiesLength = 32;  // u32, not read
// At most this many bytes of a descriptor text are looked at.
inline constexpr std::size_t kMaxTextBytes = 127;
static_assert(kBusType + 4 == kRawPropertiesLength && kRawPropertiesLength + 4 <= kBufferSize);
}  // namespace storage_device_descriptor

// STORAGE_DEVICE_NUMBER: the answer of IOCTL_STORAGE_GET_DEVICE_NUMBER.
namespace storage_device_number {
inline constexpr std::size_t kDeviceType = 0;       // u32
inline constexpr std::size_t kDeviceNumber = 4;     // u32, read signed
inline constexpr std::size_t kPartitionNumber = 8;  // u32
inline constexpr std::size_t kSize = 12;
static_assert(kPartitionNumber + 4 == kSize);
}  // namespace storage_device_number

// DISK_GEOMETRY: the answer of IOCTL_DISK_GET_DRIVE_GEOMETRY.
namespace disk_geometry {
inline constexpr std::size_t kCylinders = 0;           // i64
inline constexpr std::size_t kMediaType = 8;           // u32
inline constexpr std::size_t kTracksPerCylinder = 12;  // i32
inline constexpr std::size_t kSectorsPerTrack = 16;    // i32
inline constexpr std::size_t kBytesPerSector = 20;     // i32
inline constexpr std::size_t kSize = 24;
static_assert(kCylinders + 8 == kMediaType && kBytesPerSector + 4 == kSize);
}  // namespace disk_geometry

// DRIVE_LAYOUT_INFORMATION_EX: the answer of IOCTL_DISK_GET_DRIVE_LAYOUT_EX.
// A header, then PartitionCount PARTITION_INFORMATION_EX entries; the union
// of the MBR and GPT parts is as wide as its GPT member, padded to 8 bytes.
namespace drive_layout {
inline constexpr std::size_t kPartitionStyle = 0;  // u32: 0 MBR, 1 GPT, 2 RAW
inline constexpr std::size_t kPartitionCount = 4;  // u32
inline constexpr std::size_t kUnion = 8;
inline constexpr std::size_t kMbrSignature = kUnion;      // u32 (then CheckSum, u32)
inline constexpr std::size_t kGptDiskId = kUnion;         // GUID, 16 bytes
inline constexpr std::size_t kGptStartingUsable = 24;     // i64
inline constexpr std::size_t kGptUsableLength = 32;       // i64
inline constexpr std::size_t kGptMaxPartitionCount = 40;  // u32, then 4 bytes of alignment
inline constexpr std::size_t kGuidSize = 16;
inline constexpr std::size_t kPartitionEntries = 48;
inline constexpr std::size_t kPartitionEntrySize = 144;  // PARTITION_INFORMATION_EX
inline constexpr std::uint32_t kStyleMbr = 0;
inline constexpr std::uint32_t kStyleGpt = 1;
inline constexpr std::uint32_t kStyleRaw = 2;
static_assert(kGptDiskId + kGuidSize == kGptStartingUsable);
static_assert(kGptMaxPartitionCount + 4 + 4 == kPartitionEntries);
// sizeof(DRIVE_LAYOUT_INFORMATION_EX), with its one declared entry.
static_assert(kPartitionEntries + kPartitionEntrySize == 192);
}  // namespace drive_layout

}  // namespace plumvane::inventory
