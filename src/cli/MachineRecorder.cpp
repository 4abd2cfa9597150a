#include "cli/MachineRecorder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>

#include "hotplug/HotplugInfo.h"
#include "inventory/DeviceInstance.h"
#include "inventory/DiskScan.h"
#include "inventory/DiskTable.h"
#include "inventory/StorageLayouts.h"
#include "inventory/StorageQueries.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/Elevation.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::cli {

using namespace platform;
using sim::DeviceErrors;
using sim::SimDisk;
using sim::SimVolume;

namespace {

// A failure always has a code in the file: 0 there means "no failure".
DWORD ErrorOf(WindowsApi& api) {
    const DWORD error = api.GetLastError();
    return error != 0 ? error : ERROR_INVALID_FUNCTION;
}

// The bytes a driver left in the buffer: what it reported, and further up to
// its last non-zero byte, since the scan reads the whole buffer.
std::vector<Byte> Answered(std::span<const Byte> buffer, DWORD bytesReturned) {
    std::size_t end = std::min<std::size_t>(bytesReturned, buffer.size());
    for (std::size_t i = buffer.size(); i > end; --i) {
        if (buffer[i - 1] != 0) {
            end = i;
            break;
        }
    }
    return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end)};
}

// One query the scan or the list makes on a drive's handle: how it is asked,
// where its answer goes in the recorded disk, and which error field holds its
// failure. A query the program comes to make is one more row. `keep` gets
// the whole buffer (of outSize bytes) and the count the driver reported.
struct DriveQuery {
    DWORD ioctl;
    std::size_t outSize;
    DWORD DeviceErrors::*error;
    void (*keep)(SimDisk& disk, std::span<const Byte> buffer, DWORD bytesReturned);
};

void KeepDeviceNumber(SimDisk& disk, std::span<const Byte> buffer, DWORD) {
    disk.deviceNumber = ReadU32LE(buffer, inventory::storage_device_number::kDeviceNumber);
}

void KeepDescriptor(SimDisk& disk, std::span<const Byte> buffer, DWORD bytesReturned) {
    disk.descriptor = Answered(buffer, bytesReturned);
}

void KeepGeometry(SimDisk& disk, std::span<const Byte> buffer, DWORD) {
    namespace g = inventory::disk_geometry;
    disk.geometry = {ReadI64LE(buffer, g::kCylinders), ReadU32LE(buffer, g::kMediaType),
                     ReadI32LE(buffer, g::kTracksPerCylinder),
                     ReadI32LE(buffer, g::kSectorsPerTrack), ReadI32LE(buffer, g::kBytesPerSector)};
}

void KeepHotplug(SimDisk& disk, std::span<const Byte> buffer, DWORD) {
    std::copy_n(buffer.begin(), hotplug::STORAGE_HOTPLUG_INFO::kImageSize, disk.hotplug.begin());
}

const DriveQuery kDriveQueries[] = {
    {IOCTL_STORAGE_GET_DEVICE_NUMBER, inventory::storage_device_number::kSize,
     &DeviceErrors::deviceNumber, KeepDeviceNumber},
    {IOCTL_STORAGE_QUERY_PROPERTY, inventory::storage_device_descriptor::kBufferSize,
     &DeviceErrors::queryProperty, KeepDescriptor},
    {IOCTL_DISK_GET_DRIVE_GEOMETRY, inventory::disk_geometry::kSize, &DeviceErrors::geometry,
     KeepGeometry},
    {IOCTL_STORAGE_GET_HOTPLUG_INFO, hotplug::STORAGE_HOTPLUG_INFO::kImageSize,
     &DeviceErrors::getHotplug, KeepHotplug},
};

// The one query the program sends with an input: the device property's
// standard query, all zero.
constexpr std::array<Byte, inventory::storage_property_query::kSize> kStandardQuery{};

void AskDrive(WindowsApi& api, Handle drive, const DriveQuery& q, SimDisk& disk) {
    std::array<Byte, inventory::storage_device_descriptor::kBufferSize> out{};
    const std::span<Byte> buffer(out.data(), q.outSize);
    std::span<const Byte> in;
    if (q.ioctl == IOCTL_STORAGE_QUERY_PROPERTY) in = kStandardQuery;
    DWORD bytesReturned = 0;
    if (!DeviceCallSucceeded(api.DeviceIoControl(drive, q.ioctl, in, buffer, &bytesReturned))) {
        disk.errors.*q.error = ErrorOf(api);
        return;
    }
    q.keep(disk, buffer, bytesReturned);
}

// The partition table as the scan reads it. No head, or a style the program
// does not know, keeps the disk's defaults.
void KeepDriveLayout(SimDisk& disk, const std::optional<inventory::DriveLayout>& layout) {
    namespace dl = inventory::drive_layout;
    if (!layout) return;
    switch (layout->Style) {
        case dl::kStyleRaw:
            disk.partitionStyle = sim::PartitionStyle::Raw;
            break;
        case dl::kStyleMbr:
            disk.partitionStyle = sim::PartitionStyle::Mbr;
            disk.diskSignature = layout->MbrSignature;
            break;
        case dl::kStyleGpt:
            disk.partitionStyle = sim::PartitionStyle::Gpt;
            disk.gptDiskId = layout->GptDiskId;
            break;
        default:
            break;
    }
}

// A drive, or nothing where there is no drive at that number.
std::optional<SimDisk> RecordDrive(WindowsApi& api, std::int32_t number) {
    SimDisk disk;
    disk.number = number;
    disk.deviceNumber.reset();
    disk.descriptor.reset();
    UniqueDeviceHandle drive = OpenForQueries(api, PhysicalDrivePath(kScanDriveSpelling, number));
    if (!drive) {
        const DWORD error = ErrorOf(api);
        if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
        disk.errors.open = error;
        return disk;
    }
    for (const DriveQuery& q : kDriveQueries) AskDrive(api, drive.get(), q, disk);
    // Its buffer grows while the driver says it is too small, so it is asked
    // as the scan asks it rather than as one more fixed-size row.
    std::optional<inventory::DriveLayout> layout;
    if (inventory::QueryDriveLayout(api, drive.get(), layout)) {
        KeepDriveLayout(disk, layout);
    } else {
        disk.errors.driveLayout = ErrorOf(api);
    }
    return disk;
}

// The id as the configuration manager gave it, up to its NUL; nullopt when it
// did not answer.
std::optional<std::string> InstanceIdOf(WindowsApi& api, std::int32_t devInst) {
    std::array<Byte, inventory::kDeviceInstanceIdChars> buffer{};
    if (api.CM_Get_Device_IDA(static_cast<DWORD>(devInst), buffer, 0) != CR_SUCCESS) {
        return std::nullopt;
    }
    std::size_t length = 0;
    while (length < buffer.size() && buffer[length] != 0) ++length;
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

// Each interface goes to a drive that answers its number, the drive of that
// number first: the scan takes a drive's device node from the first
// interface answering the drive's number, and so will the replay.
void RecordInterfaces(WindowsApi& api, Recording& r) {
    std::set<std::int32_t> numbers;
    std::set<std::uint32_t> devInsts;
    for (const inventory::DiskInterface& itf : inventory::ListDiskInterfaces(api)) {
        if (!numbers.insert(itf.number).second) continue;  // never read by the scan
        const auto devInst = static_cast<std::uint32_t>(itf.devInst);
        auto note = [&](std::string text) { r.notes.push_back({itf.path, std::move(text)}); };
        if (devInst == 0) continue;  // no device node: the same as none
        const std::string_view prefix = std::string_view(itf.path).substr(0, 4);
        if (itf.path.size() <= 4 || (prefix != "\\\\?\\" && prefix != "\\\\.\\")) {
            note(" is no device path; left out");
            continue;
        }
        if (!devInsts.insert(devInst).second) {
            note(" has the device node of another one; left out");
            continue;
        }
        const std::optional<std::string> id = InstanceIdOf(api, itf.devInst);
        if (!id || id->empty()) {
            note(" has no device instance id; left out");
            continue;
        }
        SimDisk* owner = nullptr;
        for (SimDisk& d : r.machine.disks) {
            const bool answers = d.errors.open == 0 && d.deviceNumber &&
                                 static_cast<std::int32_t>(*d.deviceNumber) == itf.number &&
                                 !d.devInst;
            if (answers && (!owner || d.number == itf.number)) owner = &d;
        }
        if (!owner) {
            note(" answers drive " + std::to_string(itf.number) +
                 ", which no drive answers; left out");
            continue;
        }
        owner->devInst = devInst;
        owner->instanceId = *id;
        owner->interfacePath = itf.path;
    }
}

std::string DosDeviceOf(WindowsApi& api, const std::string& driveName, bool& answered) {
    std::array<Byte, inventory::kDosDeviceChars> target{};
    const DWORD count = api.QueryDosDeviceA(driveName, target);
    answered = count > 0 && count <= target.size();
    if (!answered) return {};
    std::string list(target.begin(), target.begin() + count);
    // The list ends with an empty string; the simulation adds the two NULs.
    while (!list.empty() && list.back() == '\0') list.pop_back();
    return list;
}

// A letter as the scan asks it; nothing for a letter without a root directory.
std::optional<SimVolume> RecordLetter(WindowsApi& api, char letter, Recording& r) {
    const std::string root = std::string(1, letter) + ":\\";
    const std::string driveName = std::string(1, letter) + ':';
    const UINT rootType = api.GetDriveTypeA(root);
    if (rootType == DRIVE_NO_ROOT_DIR) return std::nullopt;
    SimVolume v;
    v.letter = letter;
    v.driveType = rootType;
    bool answered = false;
    v.dosDevice = DosDeviceOf(api, driveName, answered);
    if (!answered) v.dosDevice = "\\Device\\HarddiskVolume" + std::to_string(letter - 'A' + 1);
    // Floppies and drives the scan does not list are never opened, as by the scan.
    if (!inventory::IsListedDriveType(static_cast<std::int32_t>(rootType)) ||
        inventory::IsFloppyDevice(api, driveName)) {
        return v;
    }
    UniqueDeviceHandle volume = OpenForQueries(api, "\\\\.\\" + driveName);
    if (!volume) {
        v.openError = ErrorOf(api);
        return v;
    }
    std::array<Byte, inventory::storage_device_number::kSize> number{};
    DWORD bytesReturned = 0;
    if (DeviceCallSucceeded(api.DeviceIoControl(volume.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, {},
                                                number, &bytesReturned))) {
        v.disk = ReadU32LE(number, inventory::storage_device_number::kDeviceNumber);
    }
    volume.reset();
    const auto disk = static_cast<std::int32_t>(v.disk.value_or(0xFFFFFFFFu));
    if (disk < 0 || disk >= inventory::kDiskSlots) return v;
    // The scan files the letter by its second answer, for "X:".
    const UINT driveType = api.GetDriveTypeA(driveName);
    if (driveType == rootType) return v;
    if (inventory::IsListedDriveType(static_cast<std::int32_t>(driveType))) {
        v.driveType = driveType;
    } else {
        r.notes.push_back({{},
                           driveName + " answers drive type " + std::to_string(rootType) +
                               " for its root and " + std::to_string(driveType) +
                               " without it; kept as " + std::to_string(rootType)});
    }
    return v;
}

}  // namespace

std::string RecordingNote::Line() const {
    return interfacePath.empty() ? text : "the disk interface " + interfacePath + text;
}

Recording RecordMachine(WindowsApi& api) {
    Recording r;
    r.machine.numberFormat = api.GetUserNumberFormat();
    r.machine.elevated = ProcessRunsElevated(api);
    for (std::int32_t number = 0; number < inventory::kDiskSlots; ++number) {
        if (std::optional<SimDisk> disk = RecordDrive(api, number)) {
            r.machine.disks.push_back(std::move(*disk));
        }
    }
    RecordInterfaces(api, r);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (std::optional<SimVolume> v = RecordLetter(api, letter, r)) {
            r.machine.volumes.push_back(std::move(*v));
        }
    }
    return r;
}

}  // namespace plumvane::cli
