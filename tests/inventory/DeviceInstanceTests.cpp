#include <gtest/gtest.h>

#include "inventory/DescriptorImages.h"
#include "inventory/DeviceInstance.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

class DeviceInstanceTest : public ::testing::Test {
protected:
    void TearDown() override { ExpectNothingOpen(win); }
    sim::SimulatedWindows win;
};

TEST_F(DeviceInstanceTest, FindsTheInterfaceWithTheDriveNumber) {
    win.machine().disks = {Disk(0, "ATA", "System", 11), UsbDisk(1)};
    win.machine().disks[0].devInst = 4242;
    win.machine().disks[1].devInst = 0x80000001u;  // the handle's bits, read signed
    EXPECT_EQ(FindDiskDevInst(win, 0), 4242);
    ExpectNothingOpen(win);
    EXPECT_EQ(FindDiskDevInst(win, 1), static_cast<std::int32_t>(0x80000001u));
    ExpectNothingOpen(win);
    EXPECT_EQ(FindDiskDevInst(win, 5), 0);
}

TEST_F(DeviceInstanceTest, FirstMatchWinsAndStopsTheWalk) {
    win.machine().disks = {UsbDisk(0), UsbDisk(1), UsbDisk(2)};
    win.ClearCalls();
    EXPECT_EQ(FindDiskDevInst(win, 1), 1001);
    int opens = 0;
    for (const sim::CallRecord& c : win.calls()) opens += c.function == "CreateFileA";
    EXPECT_EQ(opens, 2);
    // The set is destroyed after the matching handle is closed.
    ASSERT_GE(win.calls().size(), 2u);
    EXPECT_EQ(win.calls()[win.calls().size() - 2].function, "CloseHandle");
    EXPECT_EQ(win.calls().back().function, "SetupDiDestroyDeviceInfoList");
}

TEST_F(DeviceInstanceTest, DriveWithoutDiskInterfaceHasNoDevInst) {
    win.machine().disks = {UsbDisk(0)};
    win.machine().disks[0].devInst.reset();
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
}

TEST_F(DeviceInstanceTest, InterfacesThatCannotBeReadOrOpenedAreSkipped) {
    win.machine().disks = {UsbDisk(0), UsbDisk(1), UsbDisk(2), UsbDisk(3)};
    // 260 characters: one more than the detail buffer holds.
    win.machine().disks[0].interfacePath = "\\\\?\\usbstor#" + std::string(248, 'x');
    ASSERT_EQ(win.machine().disks[0].interfacePath.size(), 260u);
    win.machine().disks[1].errors.open = 5;
    // A disk whose device-number query fails never matches, not even -1:
    // compared as is, its failure value -1 would match a wanted -1.
    win.machine().disks[2].deviceNumber.reset();
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
    EXPECT_EQ(FindDiskDevInst(win, 1), 0);
    EXPECT_EQ(FindDiskDevInst(win, -1), 0);
    EXPECT_EQ(FindDiskDevInst(win, 3), 1003);

    // 259 characters still fit with their NUL.
    win.machine().disks[0].interfacePath.pop_back();
    EXPECT_EQ(FindDiskDevInst(win, 0), 1000);
}

// Without the check, the walk opens "" and leaves the outcome to Windows.
TEST_F(DeviceInstanceTest, InterfaceWithEmptyPathIsSkippedWithoutAnOpen) {
    win.machine().disks = {UsbDisk(0), UsbDisk(1)};
    win.machine().disks[0].interfacePath = std::string(1, '\0') + "\\\\?\\usbstor#empty";
    win.ClearCalls();
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
    EXPECT_EQ(FindDiskDevInst(win, 1), 1001);
    for (const sim::CallRecord& c : win.calls()) {
        EXPECT_FALSE(c.function == "CreateFileA" && c.detail.empty());
    }
}

TEST_F(DeviceInstanceTest, FailedSizeQuerySkipsOnlyThatInterface) {
    win.machine().disks = {UsbDisk(0), UsbDisk(1)};
    // The size query of the first interface fails and reports no size.
    win.InjectFault({"SetupDiGetDeviceInterfaceDetailA", "", 13, 1});
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
    win.InjectFault({"SetupDiGetDeviceInterfaceDetailA", "", 13, 1});
    EXPECT_EQ(FindDiskDevInst(win, 1), 1001);
    EXPECT_EQ(FindDiskDevInst(win, 0), 1000);
}

TEST_F(DeviceInstanceTest, FailedSetOrEnumerationGivesZero) {
    win.machine().disks = {UsbDisk(0)};
    win.InjectFault({"SetupDiGetClassDevsA", "", 8, 1});
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
    ExpectNothingOpen(win);
    win.InjectFault({"SetupDiEnumDeviceInterfaces", "", 8, 1});
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
    ExpectNothingOpen(win);
    win.InjectFault({"CLSIDFromString", "", 0x800401F3u, 1});
    EXPECT_EQ(FindDiskDevInst(win, 0), 0);
}

TEST_F(DeviceInstanceTest, InstanceIdOfTheDeviceNode) {
    win.machine().disks = {UsbDisk(0)};
    win.machine().disks[0].instanceId = "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER\\4C530001";
    EXPECT_EQ(GetDeviceInstanceId(win, 1000), "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER\\4C530001");
    EXPECT_EQ(GetDeviceInstanceId(win, 0), "");
    EXPECT_EQ(GetDeviceInstanceId(win, 999), "");
    // An id that does not fit the 260-character buffer is no id.
    win.machine().disks[0].instanceId = std::string(260, 'A');
    EXPECT_EQ(GetDeviceInstanceId(win, 1000), "");
    win.machine().disks[0].instanceId = std::string(259, 'A');
    EXPECT_EQ(GetDeviceInstanceId(win, 1000), std::string(259, 'A'));
}

}  // namespace
}  // namespace plumvane::inventory
