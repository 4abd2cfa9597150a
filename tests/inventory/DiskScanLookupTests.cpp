// The device nodes a scan files: one walk of the disk interfaces per scan,
// giving every drive what a lookup of that drive alone gives.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "inventory/DescriptorImages.h"
#include "inventory/DeviceInstance.h"
#include "inventory/DiskScan.h"
#include "sim/Scenario.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

constexpr platform::Hwnd kOwner = static_cast<platform::Hwnd>(0x1234);

std::unique_ptr<DiskInventory> ScanOf(sim::SimulatedWindows& win) {
    auto inventory = std::make_unique<DiskInventory>();
    win.ClearCalls();
    ScanDisks(win, kOwner, *inventory);
    ExpectNothingOpen(win);
    return inventory;
}

int CountCalls(const sim::SimulatedWindows& win, std::string_view function,
               std::string_view detailPart = {}) {
    int count = 0;
    for (const sim::CallRecord& c : win.calls()) {
        count += c.function == function && c.detail.find(detailPart) != std::string::npos;
    }
    return count;
}

// Interfaces in odd states: two answering one number, one without a number,
// one that cannot be opened, one too long for the detail buffer, one with an
// empty path, a drive without an interface, a drive reporting another number.
sim::Machine AwkwardInterfaces() {
    sim::Machine m;
    m.disks = {UsbDisk(0), UsbDisk(1), UsbDisk(2), UsbDisk(3), UsbDisk(4),
               UsbDisk(5), UsbDisk(6), UsbDisk(7), UsbDisk(8)};
    m.disks[1].deviceNumber = 2;  // answers 2 before drive 2's own interface
    m.disks[3].deviceNumber.reset();
    m.disks[4].errors.open = 5;
    m.disks[5].interfacePath = "\\\\?\\usbstor#" + std::string(248, 'x');
    m.disks[6].interfacePath = std::string(1, '\0') + "\\\\?\\usbstor#empty";
    m.disks[7].devInst.reset();
    m.disks[8].deviceNumber = 40;
    return m;
}

TEST(DiskScanLookupTest, EveryDriveGetsWhatItsOwnLookupGives) {
    std::vector<std::pair<std::string, sim::Machine>> machines;
    const std::filesystem::path scenarios = std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios";
    for (const auto& folder : {scenarios, scenarios / "window"}) {
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            const std::filesystem::path& path = file.path();
            if (path.extension() != ".json" || path.filename() == "manifest.json") continue;
            machines.emplace_back(path.filename().string(), sim::LoadScenarioFile(path));
        }
    }
    ASSERT_GE(machines.size(), 8u);
    machines.emplace_back("hub of 16", HubMachine(16));
    machines.emplace_back("awkward interfaces", AwkwardInterfaces());

    for (auto& [name, machine] : machines) {
        SCOPED_TRACE(name);
        sim::SimulatedWindows win(machine);
        const auto inventory = ScanOf(win);
        int withNode = 0;
        for (int n = 0; n < kDiskSlots; ++n) {
            const DiskRecord& r = inventory->Table[static_cast<std::size_t>(n)];
            if (!r.Present) {
                EXPECT_EQ(r.DevInst, 0) << n;
                continue;
            }
            EXPECT_EQ(r.DevInst, FindDiskDevInst(win, n)) << n;
            EXPECT_EQ(r.DeviceInstanceId, GetDeviceInstanceId(win, r.DevInst)) << n;
            withNode += r.DevInst != 0;
        }
        EXPECT_GT(withNode, 0);
    }
}

TEST(DiskScanLookupTest, FirstInterfaceAnsweringANumberWins) {
    sim::SimulatedWindows win(AwkwardInterfaces());
    const auto inventory = ScanOf(win);
    const std::int32_t expected[] = {1000, 0, 1001, 0, 0, 0, 0, 0, 0};
    for (int n = 0; n < 9; ++n) EXPECT_EQ(inventory->Table[n].DevInst, expected[n]) << n;
    EXPECT_EQ(inventory->Table[2].DeviceInstanceId, "USBSTOR\\DISK&VEN_TEST&PROD_DISK1\\0001");
}

// Each interface costs one enumeration, two detail calls (size, then the
// detail), an open, a number query and a close: 6 a disk, plus the class
// text, the set, the enumeration's end and the set's release. With D disks
// present and L letters, a scan makes
//   100 drive opens + 6 D (number, geometry, descriptor, instance id,
//   partition table, close) + 4 + 6 D (the interface walk) + 26 root types
//   + 5 L (device name, open, number, close, type)
// = 130 + 12 D + 5 L calls.
TEST(DiskScanLookupTest, CallsOfOneScanGrowLinearlyInTheDisks) {
    struct Case {
        int usbDisks;
        std::size_t calls;
    };
    // With two internal disks: D = usbDisks + 2, and every disk has a letter.
    for (const Case c : {Case{1, 130 + 12 * 3 + 5 * 3}, Case{16, 130 + 12 * 18 + 5 * 18}}) {
        SCOPED_TRACE(c.usbDisks);
        sim::SimulatedWindows win(HubMachine(c.usbDisks));
        ScanOf(win);
        EXPECT_EQ(win.calls().size(), c.calls);
        EXPECT_EQ(CountCalls(win, "CLSIDFromString"), 1);
        EXPECT_EQ(CountCalls(win, "SetupDiGetClassDevsA"), 1);
        EXPECT_EQ(CountCalls(win, "CreateFileA", "\\\\?\\"), c.usbDisks + 2);
    }
}

TEST(DiskScanLookupTest, NoDriveNoWalk) {
    sim::SimulatedWindows win;
    ScanOf(win);
    EXPECT_EQ(CountCalls(win, "SetupDiGetClassDevsA"), 0);
    EXPECT_EQ(win.calls().size(), 100u + 26u);
}

// A step of the walk failing, once or every time: the drives the walk did not
// reach get DevInst 0 and no instance id; every other field, and every other
// drive, is what a scan without the fault gives.
TEST(DiskScanLookupTest, FailingStepsOfTheWalkFallBackToNoDeviceNode) {
    struct Case {
        const char* step;
        const char* device;
        bool everyTime;
        std::set<int> withoutNode;
    };
    const std::set<int> all = {0, 1, 2, 3};
    const Case cases[] = {
        {"CLSIDFromString", "", false, all},
        {"CLSIDFromString", "", true, all},
        {"SetupDiGetClassDevsA", "", false, all},
        {"SetupDiGetClassDevsA", "", true, all},
        {"SetupDiEnumDeviceInterfaces", "", false, all},
        {"SetupDiEnumDeviceInterfaces", "", true, all},
        {"SetupDiEnumDeviceInterfaces", "index 2", false, {2, 3}},  // the walk ends there
        {"SetupDiGetDeviceInterfaceDetailA", "", false, {0}},
        {"SetupDiGetDeviceInterfaceDetailA", "", true, all},
        {"CreateFileA", "\\\\?\\", false, {0}},
        {"CreateFileA", "\\\\?\\", true, all},
        {"CreateFileA", "prod_disk2", false, {2}},
        {"DeviceIoControl", "\\\\?\\", false, {0}},
        {"DeviceIoControl", "\\\\?\\", true, all},
    };
    sim::Machine machine = HubMachine(2);
    sim::SimulatedWindows clean(machine);
    const auto expected = ScanOf(clean);

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " on '" + c.device +
                     (c.everyTime ? "' always" : "' once"));
        sim::SimulatedWindows win(machine);
        win.InjectFault({c.step, c.device, 31, c.everyTime ? -1 : 1});
        const auto inventory = ScanOf(win);
        EXPECT_TRUE(win.messageBoxes().empty());
        EXPECT_EQ(inventory->DiskCount, expected->DiskCount);
        for (int n = 0; n < kDiskSlots; ++n) {
            SCOPED_TRACE(n);
            DiskRecord want = expected->Table[static_cast<std::size_t>(n)];
            if (c.withoutNode.contains(n)) {
                want.DevInst = 0;
                want.DeviceInstanceId.clear();
            }
            const DiskRecord& got = inventory->Table[static_cast<std::size_t>(n)];
            EXPECT_EQ(got.DevInst, want.DevInst);
            EXPECT_EQ(got.DeviceInstanceId, want.DeviceInstanceId);
            EXPECT_EQ(got.Present, want.Present);
            EXPECT_EQ(got.Description, want.Description);
            EXPECT_EQ(got.BusType, want.BusType);
            EXPECT_EQ(got.SizeText, want.SizeText);
            EXPECT_EQ(got.LettersText, want.LettersText);
        }
    }
}

// Without the check, the scan opens "" and leaves the outcome to Windows.
TEST(DiskScanLookupTest, InterfaceWithEmptyPathIsSkippedWithoutAnOpen) {
    sim::SimulatedWindows win(AwkwardInterfaces());
    ScanOf(win);
    // The drive opens, and the interfaces but 5 (too long), 6 (empty) and 7 (none).
    EXPECT_EQ(CountCalls(win, "CreateFileA"), 100 + 6);
    for (const sim::CallRecord& c : win.calls()) {
        EXPECT_FALSE(c.function == "CreateFileA" && c.detail.empty());
    }
}

}  // namespace
}  // namespace plumvane::inventory
