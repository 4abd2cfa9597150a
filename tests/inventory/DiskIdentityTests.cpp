#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "inventory/DescriptorImages.h"
#include "inventory/DiskIdentity.h"
#include "inventory/DiskScan.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

const std::string kDrive1 = "\\\\.\\PhysicalDrive1";

class DiskIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        win.machine().disks = {Disk(0, "ATA", "System", 11), UsbDisk(1), UsbDisk(2)};
        win.machine().volumes = {Volume('C', 0), Volume('E', 1, 2), Volume('F', 2, 2)};
    }
    void TearDown() override { ExpectNothingOpen(win); }
    // The identity of drive n as a scan of the present machine records it.
    DiskIdentity Scanned(int n) {
        auto inventory = std::make_unique<DiskInventory>();
        ScanDisks(win, platform::NULL_HWND, *inventory);
        win.ClearCalls();
        return IdentityOf(n, inventory->Table[static_cast<std::size_t>(n)]);
    }
    // The check on a handle opened as the flags write opens it.
    DiskConfirmation ConfirmOnWriteHandle(const DiskIdentity& id) {
        const platform::Handle drive = win.CreateFileA(
            kDrive1, platform::GENERIC_READ | platform::GENERIC_WRITE,
            platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0);
        if (drive == platform::INVALID_HANDLE_VALUE) return {DiskCheck::Gone, "", 0};
        const DiskConfirmation result = ConfirmDisk(win, drive, id);
        win.CloseHandle(drive);
        return result;
    }
    sim::SimulatedWindows win;
};

TEST_F(DiskIdentityTest, UnchangedDiskIsConfirmedOnTheGivenHandleWithoutOpeningTheDriveAgain) {
    const DiskIdentity id = Scanned(1);
    ASSERT_EQ(id.LettersText, "E: ");
    const DiskConfirmation result = ConfirmOnWriteHandle(id);
    EXPECT_TRUE(result.Confirmed()) << result.Reason();

    int driveOpens = 0;
    for (const sim::CallRecord& c : win.calls()) {
        driveOpens += c.function == "CreateFileA" &&
                      (c.detail == kDrive1 || c.detail == "\\\\.\\PHYSICALDRIVE1");
        // Only the test's own open asks for any access.
        if (c.access && c.detail != kDrive1) {
            EXPECT_EQ(*c.access, 0u) << c.detail;
        }
        EXPECT_NE(c.ioctl, std::optional(platform::IOCTL_STORAGE_SET_HOTPLUG_INFO));
    }
    EXPECT_EQ(driveOpens, 1);
    EXPECT_TRUE(win.hotplugWrites().empty());
}

// The machine changes between the scan and the check.
TEST_F(DiskIdentityTest, ChangedDisksAreNotConfirmed) {
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> change;
        DiskCheck check;
        const char* what;
    };
    const Case cases[] = {
        {"internal disk at the same number",
         [](sim::Machine& m) { m.disks[1] = Disk(1, "ATA", "Data", 11); }, DiskCheck::Differs,
         "bus type"},
        {"pulled", [](sim::Machine& m) { m.disks.erase(m.disks.begin() + 1); }, DiskCheck::Gone,
         ""},
        {"two USB disks swap numbers",
         [](sim::Machine& m) {
             std::swap(m.disks[1].instanceId, m.disks[2].instanceId);
             std::swap(m.disks[1].devInst, m.disks[2].devInst);
         },
         DiskCheck::Differs, "device instance id"},
        {"drive 1 now answers to number 2", [](sim::Machine& m) { m.disks[1].deviceNumber = 2; },
         DiskCheck::Differs, "device number"},
        {"the disk lost its disk-class interface",
         [](sim::Machine& m) { m.disks[1].devInst.reset(); }, DiskCheck::Differs,
         "device instance id"},
        {"same model and id, another size",
         [](sim::Machine& m) { m.disks[1].geometry.cylinders *= 4; }, DiskCheck::Differs, "size"},
        {"same id, another model", [](sim::Machine& m) { m.disks[1].product = "Portable SSD"; },
         DiskCheck::Differs, "description"},
        {"its letter is F: now",
         [](sim::Machine& m) {
             m.volumes[1].disk = 2;
             m.volumes[2].disk = 1;
         },
         DiskCheck::Differs, "drive letters"},
        {"a second letter", [](sim::Machine& m) { m.volumes.push_back(Volume('H', 1, 2)); },
         DiskCheck::Differs, "drive letters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const DiskIdentity id = Scanned(1);
        c.change(win.machine());
        const DiskConfirmation result = ConfirmOnWriteHandle(id);
        EXPECT_FALSE(result.Confirmed());
        EXPECT_EQ(result.Check, c.check);
        EXPECT_EQ(result.What, c.what);
        ExpectNothingOpen(win);
    }
}

TEST_F(DiskIdentityTest, FallbacksCompareAsTheScanMadeThem) {
    // A reader without media is "no media" at the scan and at the click.
    win.machine().disks[1].errors.geometry = platform::ERROR_NOT_READY;
    DiskIdentity id = Scanned(1);
    ASSERT_EQ(id.SizeText, "no media");
    EXPECT_TRUE(ConfirmOnWriteHandle(id).Confirmed());
    // The card is in now: another disk as far as the row can tell.
    win.machine().disks[1].errors.geometry = 0;
    EXPECT_EQ(ConfirmOnWriteHandle(id).What, "size");

    // A disk without an id stays one without; gaining one makes it another.
    SetUp();
    win.machine().disks[1].devInst.reset();
    id = Scanned(1);
    ASSERT_EQ(id.DeviceInstanceId, "");
    EXPECT_TRUE(ConfirmOnWriteHandle(id).Confirmed());
    win.machine().disks[1] = UsbDisk(1);
    EXPECT_EQ(ConfirmOnWriteHandle(id).What, "device instance id");
}

TEST_F(DiskIdentityTest, NoDriveBeyondTheTableIsConfirmed) {
    for (const std::int32_t number : {-1, 100, 2147483647}) {
        DiskIdentity id = Scanned(1);
        id.Number = number;
        EXPECT_EQ(ConfirmOnWriteHandle(id).Check, DiskCheck::Gone);
    }
}

// Every query of the check refused in turn: never confirmed, nothing left open.
TEST_F(DiskIdentityTest, AnyFailedQueryMeansNotConfirmed) {
    struct Case {
        sim::Fault fault;
        DiskCheck check;
        const char* what;
    };
    const Case cases[] = {
        {{"DeviceIoControl", "0x002D1080 on \\\\.\\PhysicalDrive1", 1},
         DiskCheck::QueryFailed,
         "device number"},
        // A query that answered at the scan and fails now is that failure,
        // not a changed disk.
        {{"DeviceIoControl", "0x002D1400 on \\\\.\\PhysicalDrive1", 21},
         DiskCheck::QueryFailed,
         "storage descriptor"},
        {{"DeviceIoControl", "0x00070000 on \\\\.\\PhysicalDrive1", 21},
         DiskCheck::QueryFailed,
         "drive geometry"},
        {{"CLSIDFromString", "", 0x800401F3u}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiGetClassDevsA", "", 8}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiEnumDeviceInterfaces", "", 8}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiGetDeviceInterfaceDetailA", "", 13}, DiskCheck::Differs, "device instance id"},
        {{"CreateFileA", "usbstor", 5}, DiskCheck::Differs, "device instance id"},
        {{"DeviceIoControl", "0x002D1080 on \\\\?\\", 1}, DiskCheck::Differs, "device instance id"},
        {{"CM_Get_Device_IDA", "", 0x1A}, DiskCheck::Differs, "device instance id"},
        {{"CreateFileA", "\\\\.\\E:", 5}, DiskCheck::Differs, "drive letters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.function + " " + c.fault.device);
        SetUp();
        const DiskIdentity id = Scanned(1);
        win.InjectFault(c.fault);
        const DiskConfirmation result = ConfirmOnWriteHandle(id);
        win.ClearFaults();
        EXPECT_FALSE(result.Confirmed());
        EXPECT_EQ(result.Check, c.check);
        EXPECT_EQ(result.What, c.what);
        if (c.check == DiskCheck::QueryFailed) {
            EXPECT_EQ(result.Error, c.fault.error);
        }
        ExpectNothingOpen(win);
        EXPECT_TRUE(win.hotplugWrites().empty());
    }
}

}  // namespace
}  // namespace plumvane::inventory
