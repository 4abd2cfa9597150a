// The storage stack of the simulated machine: the I/O controls a disk or a
// volume answers, drive types and DOS device names.

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/AsciiCase.h"
#include "platform/ByteLayout.h"
#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

namespace {

constexpr DWORD FILE_DEVICE_DISK = 7;
constexpr std::size_t kDeviceNumberSize = 12;     // STORAGE_DEVICE_NUMBER
constexpr std::size_t kPropertyQuerySize = 12;    // STORAGE_PROPERTY_QUERY
constexpr std::size_t kDescriptorHeaderSize = 8;  // STORAGE_DESCRIPTOR_HEADER
constexpr std::size_t kDescriptorFixedSize = 40;  // sizeof(STORAGE_DEVICE_DESCRIPTOR)
constexpr std::size_t kGeometrySize = 24;         // DISK_GEOMETRY
constexpr std::size_t kHotplugSize = 8;           // STORAGE_HOTPLUG_INFO
constexpr std::size_t kLayoutHeaderSize = 48;     // DRIVE_LAYOUT_INFORMATION_EX up to its entries
constexpr std::size_t kPartitionEntrySize = 144;  // PARTITION_INFORMATION_EX
constexpr std::int64_t kFirstPartitionOffset = 1 << 20;
constexpr DWORD StorageDeviceProperty = 0;
constexpr DWORD PropertyStandardQuery = 0;
constexpr DWORD PropertyExistsQuery = 1;

std::string IoctlDetail(DWORD code, std::string_view path) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "IOCTL 0x%08X on ", static_cast<unsigned>(code));
    return buf + std::string(path);
}

// STORAGE_DEVICE_DESCRIPTOR as the class driver builds it: the fixed part,
// then the NUL-terminated texts; an absent text has offset 0.
std::vector<Byte> BuildDescriptor(const SimDisk& disk) {
    std::vector<Byte> d(kDescriptorFixedSize, 0);
    auto addText = [&d](std::string_view text, std::size_t offsetField) {
        if (text.empty()) return;
        WriteU32LE(d, offsetField, static_cast<std::uint32_t>(d.size()));
        d.insert(d.end(), text.begin(), text.end());
        d.push_back(0);
    };
    addText(disk.vendor, 12);
    addText(disk.product, 16);
    addText("1.00", 20);
    WriteU32LE(d, 0, kDescriptorFixedSize);  // Version
    WriteU32LE(d, 4, static_cast<std::uint32_t>(d.size()));
    d[8] = 0;                                // DeviceType: direct access
    d[10] = disk.bus == BusTypeUsb ? 1 : 0;  // RemovableMedia
    WriteI32LE(d, 28, disk.bus);
    return d;
}

void WriteDeviceNumber(std::span<Byte> out, std::uint32_t number, std::uint32_t partition) {
    WriteU32LE(out, 0, FILE_DEVICE_DISK);
    WriteU32LE(out, 4, number);
    WriteU32LE(out, 8, partition);
}

// DRIVE_LAYOUT_INFORMATION_EX as the disk class driver returns it: an MBR
// disk reports its four table slots (one partition here), a GPT disk its one
// partition, a raw disk none. Its size, or 0 when `out` is too small for it.
std::size_t WriteDriveLayout(const SimDisk& disk, std::span<Byte> out) {
    const std::size_t entries = disk.partitionStyle == PartitionStyle::Mbr   ? 4
                                : disk.partitionStyle == PartitionStyle::Gpt ? 1
                                                                             : 0;
    const std::size_t size = kLayoutHeaderSize + entries * kPartitionEntrySize;
    if (out.size() < size) return 0;
    std::fill_n(out.begin(), size, Byte{0});
    WriteU32LE(out, 0, static_cast<std::uint32_t>(disk.partitionStyle));
    WriteU32LE(out, 4, static_cast<std::uint32_t>(entries));
    if (disk.partitionStyle == PartitionStyle::Mbr)
        WriteU32LE(out, 8, EffectiveDiskSignature(disk));
    if (disk.partitionStyle == PartitionStyle::Gpt) {
        WriteGuid(out, 8, disk.gptDiskId);
        WriteU32LE(out, 40, 128);  // MaxPartitionCount
    }
    if (entries > 0) {
        const DiskGeometry& g = disk.geometry;
        // Wrapping arithmetic: a scenario's geometry may be any nonsense.
        const auto bytes =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(g.cylinders) *
                                      static_cast<std::uint32_t>(g.tracksPerCylinder) *
                                      static_cast<std::uint32_t>(g.sectorsPerTrack) *
                                      static_cast<std::uint32_t>(g.bytesPerSector));
        const std::size_t first = kLayoutHeaderSize;
        WriteU32LE(out, first, static_cast<std::uint32_t>(disk.partitionStyle));
        WriteI64LE(out, first + 8, kFirstPartitionOffset);
        WriteI64LE(out, first + 16, std::max<std::int64_t>(bytes - kFirstPartitionOffset, 0));
        WriteU32LE(out, first + 24, 1);  // PartitionNumber
    }
    return size;
}

}  // namespace

BOOL SimulatedWindows::DeviceIoControl(Handle h, DWORD ioControlCode, std::span<const Byte> in,
                                       std::span<Byte> out, DWORD* bytesReturned) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(
        *this, "DeviceIoControl",
        IoctlDetail(ioControlCode, entry ? entry->path : std::string("invalid handle")));
    auto fail = [&](DWORD error) {
        if (bytesReturned) *bytesReturned = 0;
        return call.Fail(error, FALSE);
    };
    auto ok = [&](std::size_t returned) {
        if (bytesReturned) *bytesReturned = static_cast<DWORD>(returned);
        return call.Ok(TRUE);
    };
    call.Ioctl(ioControlCode);
    // A disk handle reaches the device it was opened on, and only while that
    // device is on the machine.
    SimDisk* bound = nullptr;
    if (entry && entry->kind == Impl::Kind::Disk) {
        bound = Impl::DiskByNumber(machine_, entry->disk.number);
        if (bound && !SameDevice(*bound, entry->disk)) bound = nullptr;
        if (bound) call.Reached(bound->number, entry->device);
    }
    const bool isSet = ioControlCode == IOCTL_STORAGE_SET_HOTPLUG_INFO;
    if (auto e = call.Fault()) {
        // An injected failure of a SET still counts as a SET the disk received.
        if (bound && isSet) {
            hotplugWrites_.push_back(
                {bound->number, {in.begin(), in.end()}, false, DeviceKey(*bound)});
        }
        return fail(*e);
    }
    if (!entry) return fail(ERROR_INVALID_HANDLE);
    if (entry->kind == Impl::Kind::File || entry->kind == Impl::Kind::Token) {
        return fail(ERROR_INVALID_FUNCTION);
    }
    if (isSet && forbidWrites_) {
        forbidWrites_("IOCTL_STORAGE_SET_HOTPLUG_INFO on " + entry->path);
        return fail(ERROR_ACCESS_DENIED);
    }
    // Every request for a removed device fails with ERROR_NO_SUCH_DEVICE, as
    // USB tools' logs show for a stick pulled while it was in use.
    if (entry->kind == Impl::Kind::Disk && !bound) return fail(ERROR_NO_SUCH_DEVICE);

    // A volume answers its device number itself and passes the storage
    // queries down to the disk it lies on.
    const SimDisk* disk = bound;
    if (entry->kind == Impl::Kind::Volume) {
        // A volume handle, like a disk's, answers only while its volume is
        // there: the same letter on the same disk.
        bool present = false;
        for (const SimVolume& v : machine_.volumes) {
            present = present || (v.letter == entry->volume.letter && v.disk == entry->volume.disk);
        }
        if (!present) return fail(ERROR_NO_SUCH_DEVICE);
        if (ioControlCode == IOCTL_STORAGE_GET_DEVICE_NUMBER) {
            if (out.size() < kDeviceNumberSize) return fail(ERROR_INSUFFICIENT_BUFFER);
            if (!entry->volume.disk) return fail(ERROR_INVALID_FUNCTION);
            WriteDeviceNumber(out, *entry->volume.disk, 1);
            return ok(kDeviceNumberSize);
        }
        if (entry->volume.disk) disk = Impl::DiskByNumber(machine_, int(*entry->volume.disk));
        if (!disk || (ioControlCode != IOCTL_STORAGE_QUERY_PROPERTY &&
                      ioControlCode != IOCTL_DISK_GET_DRIVE_GEOMETRY)) {
            return fail(ERROR_INVALID_FUNCTION);
        }
    }
    const DeviceErrors& errors = disk->errors;

    switch (ioControlCode) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            if (errors.deviceNumber) return fail(errors.deviceNumber);
            if (!disk->deviceNumber) return fail(ERROR_INVALID_FUNCTION);
            if (out.size() < kDeviceNumberSize) return fail(ERROR_INSUFFICIENT_BUFFER);
            WriteDeviceNumber(out, *disk->deviceNumber, 0);
            return ok(kDeviceNumberSize);
        }
        case IOCTL_STORAGE_QUERY_PROPERTY: {
            if (errors.queryProperty) return fail(errors.queryProperty);
            if (in.size() < kPropertyQuerySize) return fail(ERROR_INVALID_PARAMETER);
            const DWORD property = ReadU32LE(in, 0);
            const DWORD queryType = ReadU32LE(in, 4);
            if (property != StorageDeviceProperty) return fail(ERROR_NOT_SUPPORTED);
            if (queryType == PropertyExistsQuery) return ok(0);
            if (queryType != PropertyStandardQuery) return fail(ERROR_INVALID_PARAMETER);
            if (out.size() < kDescriptorHeaderSize) return fail(ERROR_INSUFFICIENT_BUFFER);
            // A short buffer gets the start of the descriptor; its Size field
            // tells the caller how much there is.
            const std::vector<Byte> d =
                disk->descriptor ? *disk->descriptor : BuildDescriptor(*disk);
            const std::size_t n = std::min(d.size(), out.size());
            std::copy_n(d.begin(), n, out.begin());
            return ok(n);
        }
        case IOCTL_DISK_GET_DRIVE_GEOMETRY: {
            if (errors.geometry) return fail(errors.geometry);
            if (out.size() < kGeometrySize) return fail(ERROR_INSUFFICIENT_BUFFER);
            const DiskGeometry& g = disk->geometry;
            WriteI64LE(out, 0, g.cylinders);
            WriteU32LE(out, 8, g.mediaType);
            WriteI32LE(out, 12, g.tracksPerCylinder);
            WriteI32LE(out, 16, g.sectorsPerTrack);
            WriteI32LE(out, 20, g.bytesPerSector);
            return ok(kGeometrySize);
        }
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX: {
            if (errors.driveLayout) return fail(errors.driveLayout);
            // Without media there is no partition table to read.
            if (errors.geometry == ERROR_NOT_READY) return fail(ERROR_NOT_READY);
            const std::size_t size = WriteDriveLayout(*disk, out);
            if (size == 0) return fail(ERROR_INSUFFICIENT_BUFFER);
            return ok(size);
        }
        case IOCTL_STORAGE_GET_HOTPLUG_INFO: {
            if (errors.getHotplug) return fail(errors.getHotplug);
            if (out.size() < kHotplugSize) return fail(ERROR_INSUFFICIENT_BUFFER);
            // The driver's flags are shared by every handle on the disk.
            std::copy(disk->hotplug.begin(), disk->hotplug.end(), out.begin());
            return ok(kHotplugSize);
        }
        case IOCTL_STORAGE_SET_HOTPLUG_INFO: {
            HotplugWrite write{bound->number, std::vector<std::uint8_t>(in.begin(), in.end()),
                               false, DeviceKey(*bound)};
            auto refuse = [&](DWORD error) {
                hotplugWrites_.push_back(write);
                return fail(error);
            };
            // The code demands read and write access to the device.
            if ((entry->access & (GENERIC_READ | GENERIC_WRITE)) !=
                (GENERIC_READ | GENERIC_WRITE)) {
                return refuse(ERROR_ACCESS_DENIED);
            }
            if (errors.setHotplug) return refuse(errors.setHotplug);
            auto& info = bound->hotplug;
            if (in.size() < kHotplugSize || ReadU32LE(in, 0) != kHotplugSize || in[4] != info[4] ||
                in[5] != info[5]) {
                return refuse(ERROR_INVALID_PARAMETER);
            }
            info[6] = in[6];
            info[7] = in[7];
            write.ok = true;
            hotplugWrites_.push_back(write);
            return ok(0);
        }
        default:
            return fail(ERROR_INVALID_FUNCTION);
    }
}

UINT SimulatedWindows::GetDriveTypeA(std::string_view rootPathName) {
    Impl::Call call(*this, "GetDriveTypeA", std::string(rootPathName));
    if (auto e = call.Fault()) return call.Fail(*e, DRIVE_UNKNOWN);
    const bool drivePath = (rootPathName.size() == 2 || rootPathName.size() == 3) &&
                           rootPathName[1] == ':' &&
                           (rootPathName.size() == 2 || rootPathName[2] == '\\');
    if (drivePath) {
        const char letter = platform::AsciiUpper(rootPathName[0]);
        for (const SimVolume& v : machine_.volumes) {
            if (platform::AsciiUpper(v.letter) == letter) {
                return call.Ok(static_cast<UINT>(v.driveType));
            }
        }
    }
    return call.Ok(DRIVE_NO_ROOT_DIR);
}

DWORD SimulatedWindows::QueryDosDeviceA(std::string_view deviceName, std::span<Byte> targetPath) {
    Impl::Call call(*this, "QueryDosDeviceA", std::string(deviceName));
    if (auto e = call.Fault()) return call.Fail(*e, DWORD{0});
    const SimVolume* volume = nullptr;
    if (deviceName.size() == 2 && deviceName[1] == ':') {
        const char letter = platform::AsciiUpper(deviceName[0]);
        for (const SimVolume& v : machine_.volumes) {
            if (platform::AsciiUpper(v.letter) == letter) volume = &v;
        }
    }
    if (!volume) return call.Fail(ERROR_FILE_NOT_FOUND, DWORD{0});
    std::string target = volume->dosDevice;
    if (target.empty()) {
        target =
            "\\Device\\HarddiskVolume" + std::to_string(1 + (volume - machine_.volumes.data()));
    }
    // The list of targets ends with an empty string: two NULs.
    const std::size_t count = target.size() + 2;
    if (targetPath.size() < count) return call.Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    std::copy(target.begin(), target.end(), targetPath.begin());
    targetPath[target.size()] = 0;
    targetPath[target.size() + 1] = 0;
    return call.Ok(static_cast<DWORD>(count));
}

}  // namespace plumvane::sim
