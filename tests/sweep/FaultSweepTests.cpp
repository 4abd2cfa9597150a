// The fault sweep over the kept scenarios, and the table rule it rests on.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "sweep/FaultSweep.h"

namespace plumvane::sweep {
namespace {

// The suite's longest test with the replug sweep; it prints its run count.
TEST(FaultSweep, EveryCallOfASessionFailingOnceAndAlways) {
    const SweepResult total = SweepKeptScenarios<SweepResult>(
        [](const sim::Machine& machine, const char* name) { return Sweep(machine, name, 2); });
    std::printf("fault sweep: %ld runs, %zu violations\n", total.runs, total.violations.size());
    EXPECT_TRUE(total.violations.empty());
}

// Drive 2 as a scan finds it: a USB stick with the letters E and G.
inventory::DiskInventory DriveTwoScanned() {
    inventory::DiskInventory inv;
    for (int n = 0; n < inventory::kDiskSlots; ++n) {
        inventory::DiskRecord& r = inv.Table[static_cast<std::size_t>(n)];
        r.Path = "\\\\.\\PHYSICALDRIVE" + std::to_string(n);
        r.Description = "------------------------";
        r.SizeText = "no disk";
    }
    inventory::DiskRecord& d = inv.Table[2];
    d.Present = true;
    d.Description = "SanDisk Cruzer Blade";
    d.SizeMB = 16007;
    d.SizeText = "14.9 GB";
    d.DeviceInstanceId = "USBSTOR\\DISK&VEN_SANDISK\\1&0";
    d.Letters[0] = "E";
    d.Letters[1] = "G";
    d.LetterCount = 2;
    d.LettersText = "E: G: ";
    d.DriveType = 2;
    d.BusType = 7;
    d.DevInst = 4242;
    inv.DiskCount = 3;
    return inv;
}

TEST(FaultSweep, ATableFieldIsAsWithoutFaultOrAtTheFallbackOfTheFailedCall) {
    using Change = std::function<void(inventory::DiskInventory&)>;
    struct Case {
        const char* function;
        const char* detail;
        Change change;
        bool accepted;
    };
    const Change noMedia = [](auto& t) {
        t.Table[2].SizeMB = -1;
        t.Table[2].SizeText = "no media";
    };
    const Change unknown = [](auto& t) {
        t.Table[2].Description = "unknown";
        t.Table[2].BusType = 0;
    };
    const Change gone = [](auto& t) {
        inventory::DiskRecord& d = t.Table[2];
        d.Present = false;
        d.Description = "------------------------";
        d.SizeMB = 0;
        d.SizeText = "no disk";
        d.DeviceInstanceId.clear();
        d.BusType = 0;
        d.DevInst = 0;
        t.DiskCount = 0;
    };
    const Change lostG = [](auto& t) {
        t.Table[2].Letters[1].clear();
        t.Table[2].LetterCount = 1;
        t.Table[2].LettersText = "E: ";
    };
    const Change swapped = [](auto& t) {
        std::swap(t.Table[2].Letters[0], t.Table[2].Letters[1]);
        t.Table[2].LettersText = "G: E: ";
    };
    const Change noId = [](auto& t) { t.Table[2].DeviceInstanceId.clear(); };
    const Change noNode = [](auto& t) {
        t.Table[2].DevInst = 0;
        t.Table[2].DeviceInstanceId.clear();
    };
    const char* geometry = "IOCTL 0x00070000 on \\\\.\\PHYSICALDRIVE2";
    const char* property = "IOCTL 0x002D1400 on \\\\.\\PHYSICALDRIVE2";
    const Case cases[] = {
        {"DeviceIoControl", geometry, noMedia, true},
        {"DeviceIoControl", geometry, unknown, false},
        {"DeviceIoControl", property, unknown, true},
        {"DeviceIoControl", property, noMedia, false},
        {"DeviceIoControl", "IOCTL 0x00070000 on \\\\.\\PHYSICALDRIVE3", noMedia, false},
        {"CreateFileA", "\\\\.\\PHYSICALDRIVE2", gone, true},
        {"CreateFileA", "\\\\.\\PHYSICALDRIVE2", noMedia, false},
        {"CreateFileA", "\\\\.\\PhysicalDrive2", gone, false},
        {"CreateFileA", "\\\\.\\G:", lostG, true},
        {"GetDriveTypeA", "G:\\", swapped, false},
        {"CM_Get_Device_IDA", "devInst 4242", noId, true},
        {"CM_Get_Device_IDA", "devInst 4242", noNode, false},
        {"SetupDiEnumDeviceInterfaces", "set 0xa00000 index 0", noNode, true},
        {"CloseHandle", "\\\\.\\PHYSICALDRIVE2", noMedia, false},
    };
    const inventory::DiskInventory reference = DriveTwoScanned();
    for (const Case& c : cases) {
        inventory::DiskInventory run = reference;
        c.change(run);
        const auto found = CompareTables(reference, run, AllowanceFor(c.function, c.detail));
        EXPECT_EQ(found.empty(), c.accepted)
            << c.function << " " << c.detail << ": " << (found.empty() ? "" : found.front());
    }
}

}  // namespace
}  // namespace plumvane::sweep
