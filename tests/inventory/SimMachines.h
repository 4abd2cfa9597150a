#pragma once
// Simulated machines for the inventory's tests and the scan benchmark: single
// disks and volumes, and a whole duplicator hub.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/Machine.h"

namespace plumvane::inventory::testing {

// A working drive with the common geometry of 255 tracks, 63 sectors and 512
// bytes per sector.
inline sim::SimDisk Disk(int number, std::string vendor, std::string product, std::int32_t bus,
                         std::int64_t cylinders = 1946) {
    sim::SimDisk disk;
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

inline sim::SimDisk UsbDisk(int number) { return Disk(number, "SanDisk", "Cruzer Blade", 7); }

inline sim::SimVolume Volume(char letter, std::optional<std::uint32_t> disk,
                             std::uint32_t driveType = 3, std::string dosDevice = {}) {
    sim::SimVolume volume;
    volume.letter = letter;
    volume.disk = disk;
    volume.driveType = driveType;
    volume.dosDevice = std::move(dosDevice);
    return volume;
}

// Two internal disks (0 and 1) and `usbDisks` USB sticks numbered from 2, as
// on a duplicator; each disk has one volume while letters last, C to Z and
// then A and B.
inline sim::Machine HubMachine(int usbDisks) {
    sim::Machine machine;
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

}  // namespace plumvane::inventory::testing
