#pragma once
// The description of a simulated Windows machine: its physical drives, its
// volumes and the user's settings. Scenario files (docs/scenarios.md) are
// parsed into this; tests may also build it in code.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ScreenDpi.h"
#include "platform/WindowsApi.h"

namespace plumvane::sim {

using platform::DWORD;

// A non-zero code makes that call on the device fail with it.
struct DeviceErrors {
    DWORD open = 0;           // CreateFileA with any access
    DWORD openWrite = 0;      // CreateFileA asking for GENERIC_READ or GENERIC_WRITE
    DWORD deviceNumber = 0;   // IOCTL_STORAGE_GET_DEVICE_NUMBER
    DWORD queryProperty = 0;  // IOCTL_STORAGE_QUERY_PROPERTY
    DWORD geometry = 0;       // IOCTL_DISK_GET_DRIVE_GEOMETRY
    DWORD getHotplug = 0;     // IOCTL_STORAGE_GET_HOTPLUG_INFO
    DWORD setHotplug = 0;     // IOCTL_STORAGE_SET_HOTPLUG_INFO
    DWORD driveLayout = 0;    // IOCTL_DISK_GET_DRIVE_LAYOUT_EX
};

struct DiskGeometry {
    std::int64_t cylinders = 0;
    std::uint32_t mediaType = 12;  // FixedMedia
    std::int32_t tracksPerCylinder = 0;
    std::int32_t sectorsPerTrack = 0;
    std::int32_t bytesPerSector = 0;
};

// How a disk is partitioned: what IOCTL_DISK_GET_DRIVE_LAYOUT_EX answers.
enum class PartitionStyle : std::uint32_t { Mbr = 0, Gpt = 1, Raw = 2 };

// The MBR disk signature of a disk whose scenario names none.
std::uint32_t DefaultDiskSignature(int number);

struct SimDisk {
    int number = 0;  // N of \\.\PHYSICALDRIVE<N>
    // What IOCTL_STORAGE_GET_DEVICE_NUMBER answers; nullopt: the query fails
    // (with errors.deviceNumber, or ERROR_INVALID_FUNCTION when that is 0).
    std::optional<std::uint32_t> deviceNumber;
    std::string vendor;
    std::string product;
    std::int32_t bus = 7;
    // Raw STORAGE_DEVICE_DESCRIPTOR bytes; when set, vendor/product/bus are
    // not used to build the answer.
    std::optional<std::vector<std::uint8_t>> descriptor;
    DiskGeometry geometry;
    PartitionStyle partitionStyle = PartitionStyle::Mbr;
    // The MBR disk signature; nullopt: DefaultDiskSignature(number).
    std::optional<std::uint32_t> diskSignature;
    platform::Guid gptDiskId;  // the GPT disk GUID
    // The driver's STORAGE_HOTPLUG_INFO image: Size, MediaRemovable,
    // MediaHotplug, DeviceHotplug, WriteCacheEnableOverride.
    std::array<std::uint8_t, 8> hotplug{8, 0, 0, 0, 1, 0, 0, 0};
    // Device node; nullopt: the drive is not exposed as a disk-class interface.
    std::optional<std::uint32_t> devInst;
    std::string instanceId;
    // Disk-class interface path; empty: made from the instance id.
    std::string interfacePath;
    DeviceErrors errors;
};

struct SimVolume {
    char letter = 'C';
    // Disk number the volume reports; nullopt: the device-number query fails
    // (a volume that spans disks).
    std::optional<std::uint32_t> disk;
    std::uint32_t driveType = 3;
    std::string dosDevice;  // QueryDosDeviceA target, e.g. \Device\HarddiskVolume5
    DWORD openError = 0;
};

struct Machine {
    platform::NumberFormat numberFormat;
    // The screen's DPI when the window starts. Absent: kDefaultScreenDpi for
    // the in-memory window, the real screen's for real windows.
    std::optional<int> dpi;
    // The process's token: unelevated, every open of a physical drive that
    // asks for GENERIC_READ or GENERIC_WRITE is refused with
    // ERROR_ACCESS_DENIED, as Windows refuses a process without
    // administrator rights.
    bool elevated = true;
    // Nonzero: a ShellExecuteExW start fails with it (ERROR_CANCELLED: the
    // user declined the User Account Control prompt).
    DWORD elevateError = 0;
    std::vector<SimDisk> disks;
    std::vector<SimVolume> volumes;
};

}  // namespace plumvane::sim
