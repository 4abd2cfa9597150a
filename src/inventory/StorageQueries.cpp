#include "inventory/StorageQueries.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <vector>

#include "inventory/StorageLayouts.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {

using namespace platform;

namespace {

// The text at a descriptor offset: up to kMaxTextBytes bytes, the bytes past
// the end of the buffer counting as NUL. Any offset, however wild, stays
// inside the buffer.
std::string DescriptorText(WindowsApi& api, std::span<const Byte> descriptor, std::int32_t offset) {
    namespace sdd = storage_device_descriptor;
    std::array<Byte, sdd::kMaxTextBytes> text{};
    const auto start = static_cast<std::size_t>(offset);  // offset > 0 here
    if (start < descriptor.size()) {
        const std::size_t available = descriptor.size() - start;
        const std::size_t count = available < text.size() ? available : text.size();
        for (std::size_t i = 0; i < count; ++i) text[i] = descriptor[start + i];
    }
    return TrimBlanks(CutAtNul(api.DecodeAnsi(text)));
}

// Appends the digits of value, grouped from the right.
void AppendGrouped(std::string& out, std::uint64_t value, const NumberFormat& format) {
    const std::string digits = std::to_string(value);
    const std::size_t group = format.grouping;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::size_t fromRight = digits.size() - i;
        if (group > 0 && i > 0 && fromRight % group == 0) out += format.groupSeparator;
        out += digits[i];
    }
}

// magnitude / 2^shift with one decimal, rounded half away from zero, in
// exact integer arithmetic (a double quotient can land just below a tie).
std::string FormatOneDecimal(bool negative, std::uint64_t magnitude, unsigned shift,
                             const NumberFormat& format) {
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    const std::uint64_t whole = magnitude >> shift;
    const std::uint64_t scaledFraction = (magnitude & mask) * 10;  // < 10 * 2^40
    std::uint64_t tenths = whole * 10 + (scaledFraction >> shift);
    if ((scaledFraction & mask) * 2 >= (std::uint64_t{1} << shift)) ++tenths;

    std::string out;
    if (negative && tenths != 0) out += '-';
    const std::uint64_t integerPart = tenths / 10;
    if (integerPart != 0 || format.leadingZero) AppendGrouped(out, integerPart, format);
    out += format.decimalSeparator;
    out += static_cast<char>('0' + tenths % 10);
    return out;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string CutAtNul(std::string_view text) {
    std::string trimmed = TrimBlanks(text);
    const std::size_t nul = trimmed.find('\0');
    if (nul != std::string::npos) trimmed.resize(nul);
    return trimmed;
}

std::string GetStorageDescription(WindowsApi& api, Handle device, std::int32_t& busType) {
    std::string description;
    // The result is not examined: a failed query leaves the buffer zero,
    // which yields "unknown" and bus type 0.
    QueryStorageDescription(api, device, description, busType);
    return description;
}

bool QueryStorageDescription(WindowsApi& api, Handle device, std::string& description,
                             std::int32_t& busType) {
    namespace sdd = storage_device_descriptor;
    std::array<Byte, storage_property_query::kSize> query{};  // device property, standard query
    std::array<Byte, sdd::kBufferSize> descriptor{};
    DWORD bytesReturned = 0;
    const bool answered = DeviceCallSucceeded(api.DeviceIoControl(
        device, IOCTL_STORAGE_QUERY_PROPERTY, query, descriptor, &bytesReturned));

    std::string vendor;
    std::string product;
    const std::int32_t vendorOffset = ReadI32LE(descriptor, sdd::kVendorIdOffset);
    const std::int32_t productOffset = ReadI32LE(descriptor, sdd::kProductIdOffset);
    if (vendorOffset > 0) vendor = DescriptorText(api, descriptor, vendorOffset);
    if (productOffset > 0) product = DescriptorText(api, descriptor, productOffset);

    description = vendor;
    if (!description.empty()) description += ' ';
    description += product;
    if (description.empty()) description = "unknown";

    busType = ReadI32LE(descriptor, sdd::kBusType);
    return answered;
}

std::int32_t GetDeviceNumber(WindowsApi& api, Handle device) {
    std::array<Byte, storage_device_number::kSize> number{};
    DWORD bytesReturned = 0;
    if (!DeviceCallSucceeded(api.DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, {},
                                                 number, &bytesReturned))) {
        return -1;
    }
    return ReadI32LE(number, storage_device_number::kDeviceNumber);
}

DISK_GEOMETRY GetDriveGeometry(WindowsApi& api, Handle device) {
    DISK_GEOMETRY geometry;
    if (device == INVALID_HANDLE_VALUE) return geometry;
    // Whatever the driver reports: a refusal leaves the image zero.
    QueryDriveGeometry(api, device, geometry);
    return geometry;
}

bool QueryDriveGeometry(WindowsApi& api, Handle device, DISK_GEOMETRY& geometry) {
    geometry = {};
    if (device == INVALID_HANDLE_VALUE) {
        api.SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    std::array<Byte, disk_geometry::kSize> raw{};
    DWORD bytesReturned = 0;
    const bool answered = DeviceCallSucceeded(
        api.DeviceIoControl(device, IOCTL_DISK_GET_DRIVE_GEOMETRY, {}, raw, &bytesReturned));
    geometry.Cylinders = ReadI64LE(raw, disk_geometry::kCylinders);
    geometry.MediaType = ReadU32LE(raw, disk_geometry::kMediaType);
    geometry.TracksPerCylinder = ReadI32LE(raw, disk_geometry::kTracksPerCylinder);
    geometry.SectorsPerTrack = ReadI32LE(raw, disk_geometry::kSectorsPerTrack);
    geometry.BytesPerSector = ReadI32LE(raw, disk_geometry::kBytesPerSector);
    return answered;
}

namespace {

// Entries the first layout query makes room for: every MBR disk and a GPT
// disk's usual 128. The buffer doubles while the driver says it is too small.
constexpr std::size_t kFirstLayoutEntries = 128;
constexpr std::size_t kMostLayoutEntries = 4096;

DriveLayout LayoutHead(std::span<const Byte> layout) {
    namespace dl = drive_layout;
    DriveLayout head;
    head.Style = ReadU32LE(layout, dl::kPartitionStyle);
    head.MbrSignature = ReadU32LE(layout, dl::kMbrSignature);
    head.GptDiskId.Data1 = ReadU32LE(layout, dl::kGptDiskId);
    head.GptDiskId.Data2 = ReadU16LE(layout, dl::kGptDiskId + 4);
    head.GptDiskId.Data3 = ReadU16LE(layout, dl::kGptDiskId + 6);
    for (std::size_t i = 0; i < 8; ++i) head.GptDiskId.Data4[i] = layout[dl::kGptDiskId + 8 + i];
    return head;
}

}  // namespace

std::string DriveLayoutIdText(const std::optional<DriveLayout>& layout) {
    namespace dl = drive_layout;
    if (!layout) return std::string(kNoDriveLayout);
    switch (layout->Style) {
        case dl::kStyleMbr: {
            char text[16];
            std::snprintf(text, sizeof text, "MBR %08X",
                          static_cast<unsigned>(layout->MbrSignature));
            return text;
        }
        case dl::kStyleGpt:
            return "GPT " + GuidText(layout->GptDiskId, HexCase::Upper);
        case dl::kStyleRaw:
            return "RAW";
        default:
            // Every digit: a cut id would match another table's.
            return "style " + std::to_string(layout->Style);
    }
}

std::string GetDriveLayoutId(WindowsApi& api, Handle device) {
    std::string id;
    QueryDriveLayoutId(api, device, id);
    return id;
}

bool QueryDriveLayoutId(WindowsApi& api, Handle device, std::string& id) {
    std::optional<DriveLayout> layout;
    const bool answered = QueryDriveLayout(api, device, layout);
    id = DriveLayoutIdText(layout);
    return answered;
}

bool QueryDriveLayout(WindowsApi& api, Handle device, std::optional<DriveLayout>& head) {
    namespace dl = drive_layout;
    head.reset();
    std::vector<Byte> layout;
    for (std::size_t entries = kFirstLayoutEntries;; entries *= 2) {
        layout.assign(dl::kPartitionEntries + entries * dl::kPartitionEntrySize, 0);
        DWORD bytesReturned = 0;
        if (DeviceCallSucceeded(api.DeviceIoControl(device, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, {},
                                                    layout, &bytesReturned))) {
            // Only what the driver returned is read: an answer without the
            // whole header names no table.
            if (bytesReturned >= dl::kPartitionEntries && bytesReturned <= layout.size()) {
                head = LayoutHead(layout);
            }
            return true;
        }
        if (api.GetLastError() != ERROR_INSUFFICIENT_BUFFER || entries >= kMostLayoutEntries) {
            return false;
        }
    }
}

std::optional<std::int64_t> DiskSizeBytes(const DISK_GEOMETRY& geometry) {
    std::int64_t size = geometry.Cylinders;
    if (size > 8 && __builtin_add_overflow(size, 1, &size)) return std::nullopt;
    for (const std::int64_t factor :
         {std::int64_t{geometry.TracksPerCylinder}, std::int64_t{geometry.SectorsPerTrack},
          std::int64_t{geometry.BytesPerSector}}) {
        if (__builtin_mul_overflow(size, factor, &size)) return std::nullopt;
    }
    return size;
}

std::string FormatDiskSize(WindowsApi& api, const DISK_GEOMETRY& geometry) {
    const std::optional<std::int64_t> size = DiskSizeBytes(geometry);
    if (!size || *size == 0) return "no media";

    const bool negative = *size < 0;
    // Magnitude of a negative size without overflowing at INT64_MIN.
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(*size)
                                             : static_cast<std::uint64_t>(*size);
    // A negative size (a driver's nonsense) falls into the first row, as
    // every bound is an upper one.
    const std::int64_t value = *size;
    unsigned shift = 40;
    const char* suffix = " TB";
    if (value < (std::int64_t{1} << 20)) {
        shift = 10;
        suffix = " KB";
    } else if (value < (std::int64_t{1} << 30)) {
        shift = 20;
        suffix = " MB";
    } else if (value < (std::int64_t{1} << 40)) {
        shift = 30;
        suffix = " GB";
    }
    return FormatOneDecimal(negative, magnitude, shift, api.GetUserNumberFormat()) + suffix;
}

}  // namespace plumvane::inventory
