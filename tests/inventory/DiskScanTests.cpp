#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "inventory/DescriptorImages.h"
#include "inventory/DiskScan.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

constexpr platform::Hwnd kOwner = static_cast<platform::Hwnd>(0x1234);
const std::string kDashes(24, '-');

class DiskScanTest : public ::testing::Test {
protected:
    void Scan() {
        win.ClearCalls();
        ScanDisks(win, kOwner, *inventory);
        ExpectNothingOpen(win);
    }
    void ScanScenario(const std::string& name) {
        win.SetMachine(
            sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/" + name));
        Scan();
    }
    const DiskRecord& Record(int n) const { return inventory->Table[static_cast<std::size_t>(n)]; }
    void ExpectNoDisk(int n) const {
        SCOPED_TRACE(n);
        const DiskRecord& r = Record(n);
        EXPECT_FALSE(r.Present);
        EXPECT_EQ(r.Path, "\\\\.\\PHYSICALDRIVE" + std::to_string(n));
        EXPECT_EQ(r.Description, kDashes);
        EXPECT_EQ(r.SizeText, "no disk");
        EXPECT_EQ(r.SizeMB, 0);
        EXPECT_EQ(r.BusType, 0);
        EXPECT_EQ(r.DevInst, 0);
        EXPECT_EQ(r.DeviceInstanceId, "");
    }

    sim::SimulatedWindows win;
    std::unique_ptr<DiskInventory> inventory = std::make_unique<DiskInventory>();
};

TEST_F(DiskScanTest, DriveQueriesRunInOrderOnOneHandle) {
    win.machine().disks = {UsbDisk(0)};
    Scan();
    std::vector<std::string> drive0;
    for (const sim::CallRecord& c : win.calls()) {
        drive0.push_back(c.function +
                         (c.function == "DeviceIoControl" ? c.detail.substr(6, 10) : ""));
        if (c.function == "CloseHandle" && c.detail == "\\\\.\\PHYSICALDRIVE0") break;
    }
    // The device nodes of all interfaces are looked up in between, once.
    const std::vector<std::string> expected = {"CreateFileA",
                                               "DeviceIoControl0x002D1080",
                                               "CLSIDFromString",
                                               "SetupDiGetClassDevsA",
                                               "SetupDiEnumDeviceInterfaces",
                                               "SetupDiGetDeviceInterfaceDetailA",
                                               "SetupDiGetDeviceInterfaceDetailA",
                                               "CreateFileA",
                                               "DeviceIoControl0x002D1080",
                                               "CloseHandle",
                                               "SetupDiEnumDeviceInterfaces",
                                               "SetupDiDestroyDeviceInfoList",
                                               "DeviceIoControl0x00070000",
                                               "DeviceIoControl0x002D1400",
                                               "CM_Get_Device_IDA",
                                               "DeviceIoControl0x00070050",
                                               "CloseHandle"};
    EXPECT_EQ(drive0, expected);
}

TEST_F(DiskScanTest, ErrBoxOncePerDriveWithAnotherNumber) {
    win.machine().disks = {UsbDisk(0), UsbDisk(1), UsbDisk(2), UsbDisk(3)};
    win.machine().disks[1].deviceNumber = 5;
    win.machine().disks[3].deviceNumber.reset();  // the query fails
    Scan();
    ASSERT_EQ(win.messageBoxes().size(), 2u);
    for (const sim::MessageBoxRecord& box : win.messageBoxes()) {
        EXPECT_EQ(box.owner, kOwner);
        EXPECT_EQ(box.text, "err");
        EXPECT_EQ(box.caption, "Plumvane");
        EXPECT_EQ(box.type, platform::MB_OK);
    }
    // Filed under the number they were opened by all the same.
    EXPECT_TRUE(Record(1).Present);
    EXPECT_TRUE(Record(3).Present);
    EXPECT_EQ(Record(3).Description, "SanDisk Cruzer Blade");
    EXPECT_EQ(inventory->DiskCount, 4);
}

TEST_F(DiskScanTest, LettersAreFiledUnderTheDiskTheirVolumeReports) {
    win.machine().disks = {Disk(0, "ATA", "System", 11), UsbDisk(1), UsbDisk(2)};
    win.machine().volumes = {
        Volume('A', 1, 2, "\\Device\\Floppy0"),  // floppy: never filed
        Volume('B', 1, 2, "\\Device\\FLOPPY1"),  // any letter case
        Volume('C', 0, 3),
        Volume('D', 0, 5, "\\Device\\CdRom0"),  // CD-ROM
        Volume('E', 1, 2),
        Volume('F', std::nullopt, 3),  // spans disks
        Volume('G', 1, 2),
        Volume('H', 2, 4, "\\Device\\LanmanRedirector"),  // network
        Volume('I', 120, 3),                              // no record for disk 120
        Volume('J', 2, 6),                                // RAM disk
        Volume('K', 2, 0),                                // unknown type
        Volume('L', 2, 1),                                // no root directory
    };
    win.machine().volumes.push_back(Volume('M', 2, 2));
    win.machine().volumes.back().openError = 5;
    Scan();

    EXPECT_EQ(Record(0).LettersText, "C: ");
    EXPECT_EQ(Record(0).LetterCount, 1);

    const DiskRecord& usb = Record(1);
    EXPECT_EQ(usb.LettersText, "E: G: ");
    EXPECT_EQ(usb.LetterCount, 2);
    EXPECT_EQ(usb.Letters[0], "E");
    EXPECT_EQ(usb.Letters[1], "G");
    EXPECT_EQ(usb.Letters[2], "");
    EXPECT_EQ(usb.DriveType, 2);

    EXPECT_EQ(Record(2).LettersText, "J: K: ");
    EXPECT_EQ(Record(2).LetterCount, 2);
    for (int n = 3; n < kDiskSlots; ++n) EXPECT_EQ(Record(n).LetterCount, 0) << n;
}

TEST_F(DiskScanTest, DriveTypeIsStoredBeforeItIsFiltered) {
    // A network volume whose root-path query fails (type 0, listed) passes
    // the first filter; the drive-name query then tells its real type.
    win.machine().disks = {UsbDisk(0)};
    win.machine().volumes = {Volume('E', 0, 4)};
    win.InjectFault({"GetDriveTypeA", "E:\\", 1, 1});
    Scan();
    EXPECT_EQ(Record(0).DriveType, 4);
    EXPECT_EQ(Record(0).LetterCount, 0);
    EXPECT_EQ(Record(0).LettersText, "");
}

TEST_F(DiskScanTest, AllTwentySixLettersOnOneDisk) {
    win.machine().disks = {UsbDisk(0)};
    for (char l = 'A'; l <= 'Z'; ++l) win.machine().volumes.push_back(Volume(l, 0, 3));
    Scan();
    const DiskRecord& r = Record(0);
    EXPECT_EQ(r.LetterCount, 26);
    EXPECT_EQ(r.Letters[25], "Z");
    EXPECT_EQ(r.Letters[26], "");
    EXPECT_EQ(r.LettersText.size(), 26u * 3);
}

TEST_F(DiskScanTest, RescanAfterADiskMovedForgetsTheOldRecord) {
    win.machine().disks = {Disk(0, "ATA", "System", 11), UsbDisk(1), UsbDisk(2)};
    win.machine().volumes = {Volume('C', 0), Volume('E', 1, 2)};
    Scan();
    ASSERT_EQ(Record(1).BusType, 7);
    ASSERT_EQ(Record(1).LettersText, "E: ");

    // Drive 1 is pulled; its volume comes back on a new drive 3.
    win.machine().disks.erase(win.machine().disks.begin() + 1);
    win.machine().disks.push_back(UsbDisk(3));
    win.machine().volumes = {Volume('C', 0), Volume('E', 3, 2)};
    Scan();
    // Drive 1's record is reset: left as it was, it would keep bus type 7 and
    // list drive 1 as a USB disk with the dash line.
    ExpectNoDisk(1);
    EXPECT_EQ(Record(1).LetterCount, 0);
    EXPECT_EQ(Record(1).LettersText, "");
    EXPECT_EQ(Record(1).DriveType, 0);
    EXPECT_EQ(Record(3).LettersText, "E: ");
    EXPECT_EQ(Record(3).BusType, 7);
    EXPECT_EQ(Record(0).LettersText, "C: ");
    EXPECT_EQ(inventory->DiskCount, 4);

    // All drives gone: nothing of the last scan survives.
    win.machine().disks.clear();
    win.machine().volumes.clear();
    Scan();
    EXPECT_EQ(inventory->DiskCount, 0);
    EXPECT_TRUE(win.messageBoxes().empty());
    for (int n = 0; n < kDiskSlots; ++n) ExpectNoDisk(n);
}

// --- whole scenarios (tests/scenarios) -------------------------------------------

struct Expected {
    std::string description;
    std::int32_t bus;
    std::string sizeText;
    std::int32_t sizeMB;
    std::string letters;
};

// A hub of 16 USB sticks beside four internal disks, with gaps in the numbers.
TEST_F(DiskScanTest, Hub16SixteenUsbSticksAndFourInternalDisks) {
    ScanScenario("hub16.json");
    EXPECT_TRUE(win.messageBoxes().empty());

    const Expected usbKinds[] = {{"SanDisk Ultra", 7, "14.9 GB", 16015, ""},
                                 {"Kingston DataTraveler 3.0", 7, "29.8 GB", 32021, ""},
                                 {"Verbatim STORE N GO", 7, "59.6 GB", 64026, ""},
                                 {"Intenso Speed Line", 7, "119.2 GB", 128043, ""}};
    std::map<int, Expected> expected = {
        {0, {"Samsung SSD 970 EVO Plus 1TB", 17, "931.5 GB", 1000210, "C: "}},
        {1, {"ST2000DM008-2FR102", 11, "1.8 TB", 2000405, "D: "}},
        {2, {"CT500MX500SSD1", 11, "465.8 GB", 500113, "F: "}},
        {3, {"Msft Virtual Disk", 21, "125.5 GB", 134763, ""}}};
    const std::string usbLetters = "GHIJKLMNOPRSTUVW";  // Q is not assigned
    std::size_t usb = 0;
    for (int n : {4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21}) {
        expected[n] = usbKinds[usb % 4];
        expected[n].letters = std::string(1, usbLetters[usb++]) + ": ";
    }

    EXPECT_EQ(inventory->DiskCount, 22);
    for (int n = 0; n < kDiskSlots; ++n) {
        auto it = expected.find(n);
        if (it == expected.end()) {
            ExpectNoDisk(n);
            EXPECT_EQ(Record(n).LetterCount, 0);
            continue;
        }
        SCOPED_TRACE(n);
        const DiskRecord& r = Record(n);
        const Expected& e = it->second;
        EXPECT_TRUE(r.Present);
        EXPECT_EQ(r.Description, e.description);
        EXPECT_EQ(r.BusType, e.bus);
        EXPECT_EQ(r.SizeText, e.sizeText);
        EXPECT_EQ(r.SizeMB, e.sizeMB);
        EXPECT_EQ(r.LettersText, e.letters);
        EXPECT_EQ(r.LetterCount, e.letters.empty() ? 0 : 1);
        EXPECT_EQ(r.DevInst, (e.bus == 7 ? 6000 : 5000) + n);
        EXPECT_FALSE(r.DeviceInstanceId.empty());
        if (e.bus == 7) {
            const std::string hub = (n < 10 ? "HUB0" : "HUB") + std::to_string(n) + "&0";
            EXPECT_TRUE(r.DeviceInstanceId.ends_with(hub));
        }
    }
}

// One disk or letter for each way a device can fail the inventory, each filed
// with its fallbacks.
TEST_F(DiskScanTest, FailuresScenarioFilesEveryDriveThatOpensWithItsFallbacks) {
    ScanScenario("failures.json");
    EXPECT_EQ(inventory->DiskCount, 14);
    EXPECT_EQ(Record(0).Description, "KINGSTON SA400S37240G");
    EXPECT_EQ(Record(0).SizeText, "223,6 GB");  // comma decimal separator
    EXPECT_EQ(Record(0).SizeMB, 240063);
    ExpectNoDisk(1);                 // open refused
    EXPECT_TRUE(Record(2).Present);  // only the write open is refused
    EXPECT_EQ(Record(2).Description, "Generic Flash Disk");
    EXPECT_EQ(win.messageBoxes().size(), 2u);  // drives 3 and 4: wrong or no device number
    EXPECT_TRUE(Record(3).Present);
    EXPECT_EQ(Record(4).DevInst, 0);              // its interface never reports number 4
    EXPECT_EQ(Record(5).Description, "unknown");  // descriptor query fails
    EXPECT_EQ(Record(5).BusType, 0);
    for (int n : {6, 7}) {  // geometry query fails; geometry all zero
        EXPECT_TRUE(Record(n).Present) << n;
        EXPECT_EQ(Record(n).SizeText, "no media") << n;
        EXPECT_EQ(Record(n).SizeMB, -1) << n;
    }
    // 200 vendor bytes without NUL: the first 127, then the joining space.
    std::string vendor;
    while (vendor.size() < 127) vendor += "LONGVENDOR";
    vendor.resize(127);
    EXPECT_EQ(Record(10).Description, vendor + " ");
    EXPECT_EQ(Record(10).DevInst, 7010);
    EXPECT_EQ(Record(13).DevInst, 0);  // no disk interface
    EXPECT_EQ(Record(13).DeviceInstanceId, "");
    EXPECT_EQ(Record(13).Description, "Generic Flash Disk");
    // Only C and E are filed: not the letters A, D, F, N, S or X.
    EXPECT_EQ(Record(0).LettersText, "C: ");
    EXPECT_EQ(Record(3).LettersText, "E: ");
    int filed = 0;
    for (int n = 0; n < kDiskSlots; ++n) filed += Record(n).LetterCount;
    EXPECT_EQ(filed, 2);
}

TEST_F(DiskScanTest, ClearResetsEveryField) {
    DiskRecord& r = inventory->Table[7];
    r = DiskRecord{true, "p", "d", 5, "s", "id", {}, 1, "E: ", 2, 7, 9, {8, 11, 1, 2, 3}, "RAW"};
    r.Letters[0] = "E";
    inventory->DiskCount = 8;
    ClearDiskTable(*inventory);
    EXPECT_EQ(inventory->DiskCount, 0);
    EXPECT_FALSE(r.Present);
    EXPECT_EQ(r.Path, "");
    EXPECT_EQ(r.Description, "");
    EXPECT_EQ(r.SizeMB, 0);
    EXPECT_EQ(r.SizeText, "0");
    EXPECT_EQ(r.DeviceInstanceId, "");
    EXPECT_EQ(r.Letters[0], "");
    EXPECT_EQ(r.LetterCount, 0);
    EXPECT_EQ(r.LettersText, "");
    EXPECT_EQ(r.DriveType, 0);
    EXPECT_EQ(r.BusType, 0);
    EXPECT_EQ(r.DevInst, 0);
    EXPECT_EQ(r.Geometry, DISK_GEOMETRY{});
    EXPECT_EQ(r.DriveLayoutId, "");
}

TEST_F(DiskScanTest, LettersAreFiledOnlyForLocalDriveTypes) {
    // One letter per drive type, E: unknown (0) to L: beyond the known types (7).
    win.machine().disks = {UsbDisk(0)};
    for (std::uint32_t type = 0; type <= 7; ++type) {
        win.machine().volumes.push_back(Volume(static_cast<char>('E' + type), 0, type));
    }
    Scan();
    // Unknown, removable, fixed and RAM disk; not the missing root, remote,
    // CD-ROM or unknown values.
    EXPECT_EQ(Record(0).LettersText, "E: G: H: K: ");
}

TEST(DriveFilterTest, FloppyByItsDosDevice) {
    sim::SimulatedWindows win;
    win.machine().volumes = {Volume('A', std::nullopt, 2, "\\Device\\Floppy0"),
                             Volume('E', 1, 2, "\\Device\\HarddiskVolume5"),
                             Volume('F', 1, 2, "\\Device\\floppyish")};
    EXPECT_TRUE(IsFloppyDevice(win, "A:"));
    EXPECT_FALSE(IsFloppyDevice(win, "E:"));
    EXPECT_TRUE(IsFloppyDevice(win, "F:"));
    EXPECT_FALSE(IsFloppyDevice(win, "Q:"));  // the query fails
}

TEST(ProcessInventoryTest, TheProgramsOwnTableScansAndClears) {
    sim::SimulatedWindows win;
    win.machine().disks = {UsbDisk(0)};
    ScanDisks(win, kOwner, ProcessDiskInventory());
    EXPECT_EQ(ProcessDiskInventory().DiskCount, 1);
    ClearDiskTable(ProcessDiskInventory());
    EXPECT_EQ(ProcessDiskInventory().DiskCount, 0);
    EXPECT_EQ(ProcessDiskInventory().Table[0].SizeText, "0");
}

}  // namespace
}  // namespace plumvane::inventory
