#pragma once
// The builders of simulated machines for every test and benchmark: single
// disks and volumes, a whole duplicator hub, and the small machines of the
// window's tests.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/Machine.h"

namespace plumvane::sim::testing {

// A working drive with the common geometry of 255 tracks, 63 sectors and 512
// bytes per sector.
inline SimDisk Disk(int number, std::string vendor, std::string product, std::int32_t bus,
                    std::int64_t cylinders = 1946) {
    SimDisk disk;
    disk.number = number;
    disk.deviceNumber = static_cast<std::uint32_t>(number);
    disk.vendor = std::move(vendor);
    disk.product = std::move(product);
    disk.bus = bus;
    disk.geometry = {cylinders, 12, 255, 63, 512};
    disk.devInst = static_cast<std::uint32_t>(1000 + number);
    disk.instanceId = "USBSTOR\\DISK&VEN_TEST&PROD_DISK" + std::to_string(number) + "\\0001";
    return disk;
}

inline SimDisk UsbDisk(int number) { return Disk(number, "SanDisk", "Cruzer Blade", 7); }

inline SimVolume Volume(char letter, std::optional<std::uint32_t> disk, std::uint32_t driveType = 3,
                        std::string dosDevice = {}) {
    SimVolume volume;
    volume.letter = letter;
    volume.disk = disk;
    volume.driveType = driveType;
    volume.dosDevice = std::move(dosDevice);
    return volume;
}

// Two internal disks (0 and 1) and `usbDisks` USB sticks numbered from 2, as
// on a duplicator; each disk has one volume while letters last, C to Z and
// then A and B.
inline Machine HubMachine(int usbDisks) {
    Machine machine;
    machine.disks.push_back(Disk(0, "ATA", "System SSD", 11, 60801));
    machine.disks.push_back(Disk(1, "ATA", "Data HDD", 11, 243201));
    for (int i = 0; i < usbDisks; ++i) machine.disks.push_back(UsbDisk(2 + i));
    const std::string letters = "CDEFGHIJKLMNOPQRSTUVWXYZAB";
    for (std::size_t i = 0; i < letters.size() && i < machine.disks.size(); ++i) {
        const std::uint32_t disk = static_cast<std::uint32_t>(machine.disks[i].number);
        machine.volumes.push_back(Volume(letters[i], disk, disk < 2 ? 3 : 2));
    }
    return machine;
}

// The numbers of USB sticks on the hubs the scan benchmark measures; the kept
// rows' tests run the same machines.
inline constexpr int kBenchHubSizes[] = {0, 1, 4, 16, 32, 64, 97};

// --- the window's tests --------------------------------------------------------

using HotplugImage = std::array<std::uint8_t, 8>;
// Size 8, MediaRemovable 1, then DeviceHotplug and WriteCacheEnableOverride.
inline HotplugImage Flags(bool deviceHotplug, bool writeCacheEnableOverride) {
    return {8, 0, 0, 0, 1, 0, deviceHotplug, writeCacheEnableOverride};
}

// A disk of the window's tests: a USB stick, or an internal disk on `bus`,
// with the driver's flags. Removable media (type 11) for a stick.
inline SimDisk WindowDisk(int number, std::int32_t bus,
                          HotplugImage hotplug = Flags(false, false)) {
    SimDisk disk = bus == 7 ? UsbDisk(number) : Disk(number, "", "Internal SSD", bus);
    disk.geometry.mediaType = bus == 7 ? 11u : 12u;
    disk.hotplug = hotplug;
    disk.devInst = static_cast<std::uint32_t>(3000 + number);
    disk.instanceId = "USBSTOR\\DISK&VEN_TEST\\" + std::to_string(number);
    return disk;
}
inline SimDisk WindowUsb(int number, HotplugImage hotplug = Flags(false, false)) {
    return WindowDisk(number, 7, hotplug);
}

// An internal SATA disk at 0 and `usbCount` USB sticks at 1, 2, ...
inline Machine UsbMachine(int usbCount) {
    Machine m;
    m.disks.push_back(WindowDisk(0, 11));
    for (int i = 1; i <= usbCount; ++i) m.disks.push_back(WindowUsb(i));
    return m;
}

}  // namespace plumvane::sim::testing
