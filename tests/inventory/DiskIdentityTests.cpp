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

// Records the access every open asks for, which the call log leaves out.
class AccessRecordingWindows : public sim::SimulatedWindows {
public:
    platform::Handle CreateFileA(std::string_view name, platform::DWORD access,
                                 platform::DWORD share, platform::DWORD disposition,
                                 platform::DWORD flags) override {
        opens.push_back({std::string(name), access, share});
        return SimulatedWindows::CreateFileA(name, access, share, disposition, flags);
    }
    struct Open {
        std::string name;
        platform::DWORD access;
        platform::DWORD share;
    };
    std::vector<Open> opens;
};

class DiskIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        win.machine().disks = {Disk(0, "ATA", "System", 11), UsbDisk(1), UsbDisk(2)};
    }
    void TearDown() override { ExpectNothingOpen(win); }
    // The identity of drive n as a scan of the present machine records it.
    DiskIdentity Scanned(int n) {
        auto inventory = std::make_unique<DiskInventory>();
        ScanDisks(win, platform::NULL_HWND, *inventory);
        win.ClearCalls();
        win.opens.clear();
        return IdentityOf(n, inventory->Table[static_cast<std::size_t>(n)]);
    }
    AccessRecordingWindows win;
};

TEST_F(DiskIdentityTest, UnchangedDiskIsConfirmedWithOneOpenWithoutAccess) {
    const DiskIdentity id = Scanned(1);
    const DiskConfirmation result = ConfirmDisk(win, id);
    EXPECT_TRUE(result.Confirmed()) << result.Reason();

    int driveOpens = 0;
    for (const auto& open : win.opens) {
        EXPECT_EQ(open.access, 0u) << open.name;
        EXPECT_EQ(open.share, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE);
        driveOpens += open.name == kDrive1;
    }
    EXPECT_EQ(driveOpens, 1);
    int driveCloses = 0;
    for (const sim::CallRecord& c : win.calls()) {
        driveCloses += c.function == "CloseHandle" && c.detail == kDrive1;
        EXPECT_EQ(c.detail.find("0x002DCC18"), std::string::npos) << "a SET was sent";
    }
    EXPECT_EQ(driveCloses, 1);
    // The drive is closed before the check returns, so a write opens it alone.
    EXPECT_EQ(win.OpenHandleCount(), 0);
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const DiskIdentity id = Scanned(1);
        c.change(win.machine());
        const DiskConfirmation result = ConfirmDisk(win, id);
        EXPECT_FALSE(result.Confirmed());
        EXPECT_EQ(result.Check, c.check);
        EXPECT_EQ(result.What, c.what);
        ExpectNothingOpen(win);
    }
}

TEST_F(DiskIdentityTest, DiskWithoutInstanceIdIsKnownByDescriptionAndSize) {
    win.machine().disks[1].devInst.reset();
    const DiskIdentity id = Scanned(1);
    ASSERT_EQ(id.DeviceInstanceId, "");
    EXPECT_TRUE(ConfirmDisk(win, id).Confirmed());
    // Only such a disk has its geometry asked.
    bool askedGeometry = false;
    for (const sim::CallRecord& c : win.calls()) {
        askedGeometry |= c.detail.find("0x00070000") != std::string::npos;
    }
    EXPECT_TRUE(askedGeometry);

    // The same maker's stick, twice the size, at the same number.
    win.machine().disks[1].geometry.cylinders *= 2;
    DiskConfirmation result = ConfirmDisk(win, id);
    EXPECT_EQ(result.Check, DiskCheck::Differs);
    EXPECT_EQ(result.What, "size");

    win.machine().disks[1] = Disk(1, "Kingston", "DataTraveler", 7);
    win.machine().disks[1].devInst.reset();
    result = ConfirmDisk(win, id);
    EXPECT_EQ(result.What, "description");

    // Another stick that does have an id is another disk too.
    win.machine().disks[1] = UsbDisk(1);
    result = ConfirmDisk(win, id);
    EXPECT_EQ(result.What, "device instance id");
}

TEST_F(DiskIdentityTest, NoDriveBeyondTheTableIsOpened) {
    for (const std::int32_t number : {-1, 100, 2147483647}) {
        DiskIdentity id = Scanned(1);
        id.Number = number;
        EXPECT_EQ(ConfirmDisk(win, id).Check, DiskCheck::Gone);
        EXPECT_TRUE(win.opens.empty());
    }
}

// Every call of the check refused in turn: never confirmed, nothing left open.
TEST_F(DiskIdentityTest, AnyFailedQueryMeansNotConfirmed) {
    struct Case {
        sim::Fault fault;
        DiskCheck check;
        const char* what;
        bool withoutId = false;
    };
    const Case cases[] = {
        {{"CreateFileA", "PhysicalDrive1", 5}, DiskCheck::QueryFailed, "disk (opening it)"},
        {{"CreateFileA", "PhysicalDrive1", 2}, DiskCheck::Gone, ""},
        {{"DeviceIoControl", "0x002D1080 on \\\\.\\PhysicalDrive1", 1},
         DiskCheck::QueryFailed,
         "device number"},
        {{"DeviceIoControl", "0x002D1400", 21}, DiskCheck::QueryFailed, "storage descriptor"},
        {{"DeviceIoControl", "0x00070000", 21}, DiskCheck::QueryFailed, "drive geometry", true},
        {{"CLSIDFromString", "", 0x800401F3u}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiGetClassDevsA", "", 8}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiEnumDeviceInterfaces", "", 8}, DiskCheck::Differs, "device instance id"},
        {{"SetupDiGetDeviceInterfaceDetailA", "", 13}, DiskCheck::Differs, "device instance id"},
        {{"CreateFileA", "usbstor", 5}, DiskCheck::Differs, "device instance id"},
        {{"DeviceIoControl", "0x002D1080 on \\\\?\\", 1}, DiskCheck::Differs, "device instance id"},
        {{"CM_Get_Device_IDA", "", 0x1A}, DiskCheck::Differs, "device instance id"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.function + " " + c.fault.device);
        SetUp();
        if (c.withoutId) win.machine().disks[1].devInst.reset();
        const DiskIdentity id = Scanned(1);
        win.InjectFault(c.fault);
        const DiskConfirmation result = ConfirmDisk(win, id);
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
