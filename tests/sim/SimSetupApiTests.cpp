// The simulated SetupAPI and configuration manager: the enumeration and the
// required-size protocol that the device instance lookup depends on. Path and
// id lengths at the buffer limits are pinned down by the lookup's own tests.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ByteLayout.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::sim {
namespace {

using namespace platform;

constexpr Guid kDiskClass{
    0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};
constexpr DWORD kFlags = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

SimDisk DiskWithNode(int number, std::optional<std::uint32_t> devInst, std::string id = {}) {
    SimDisk d;
    d.number = number;
    d.deviceNumber = static_cast<std::uint32_t>(number);
    d.vendor = "V";
    d.product = "P";
    d.devInst = devInst;
    d.instanceId = std::move(id);
    return d;
}

std::vector<Byte> InterfaceData() {
    std::vector<Byte> b(kSpDeviceInterfaceDataSize, 0);
    WriteU32LE(b, 0, kSpDeviceInterfaceDataSize);
    return b;
}

std::vector<Byte> DevinfoData() {
    std::vector<Byte> b(kSpDevinfoDataSize, 0);
    WriteU32LE(b, 0, kSpDevinfoDataSize);
    return b;
}

std::string PathOf(const std::vector<Byte>& detail) {
    return reinterpret_cast<const char*>(detail.data() + 4);
}

TEST(SimSetupApi, EnumeratesExposedDisksInMachineOrder) {
    Machine m;
    m.disks = {DiskWithNode(2, 42, "USBSTOR\\DISK&VEN_A&PROD_B\\0001"),
               DiskWithNode(0, std::nullopt), DiskWithNode(1, 17)};
    SimulatedWindows w(m);
    const DevInfoSet set = w.SetupDiGetClassDevsA(&kDiskClass, kFlags);
    ASSERT_NE(set, INVALID_DEVINFO_SET);
    EXPECT_EQ(w.OpenDeviceInfoSetCount(), 1);

    std::vector<std::uint32_t> devInsts;
    for (DWORD i = 0;; ++i) {
        std::vector<Byte> itf = InterfaceData();
        if (w.SetupDiEnumDeviceInterfaces(set, kDiskClass, i, itf) != TRUE) {
            EXPECT_EQ(w.GetLastError(), ERROR_NO_MORE_ITEMS);
            break;
        }
        DWORD required = 0;
        EXPECT_EQ(w.SetupDiGetDeviceInterfaceDetailA(set, itf, {}, &required, {}), FALSE);
        EXPECT_EQ(w.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        std::vector<Byte> detail(264, 0);
        WriteU32LE(detail, 0, 5);
        std::vector<Byte> info = DevinfoData();
        ASSERT_EQ(w.SetupDiGetDeviceInterfaceDetailA(set, itf, detail, &required, info), TRUE);
        EXPECT_EQ(required, 4 + PathOf(detail).size() + 1);
        devInsts.push_back(ReadU32LE(info, kSpDevinfoDataDevInstOffset));
        // That the path opens the disk itself is checked by the lookup's tests.
        if (i == 0) {
            EXPECT_EQ(
                PathOf(detail),
                "\\\\?\\usbstor#disk&ven_a&prod_b#0001#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
        }
    }
    EXPECT_EQ(devInsts, (std::vector<std::uint32_t>{42, 17}));
    EXPECT_EQ(w.SetupDiDestroyDeviceInfoList(set), TRUE);
    EXPECT_EQ(w.OpenDeviceInfoSetCount(), 0);
    EXPECT_EQ(w.SetupDiDestroyDeviceInfoList(set), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(SimSetupApi, StructureSizesAreChecked) {
    Machine m;
    m.disks = {DiskWithNode(0, 9)};
    SimulatedWindows w(m);
    const DevInfoSet set = w.SetupDiGetClassDevsA(&kDiskClass, kFlags);
    // A wrong interface-data size is checked in the contract tests.
    std::vector<Byte> itf = InterfaceData();
    ASSERT_EQ(w.SetupDiEnumDeviceInterfaces(set, kDiskClass, 0, itf), TRUE);

    std::vector<Byte> detail(264, 0);
    DWORD required = 0;
    WriteU32LE(detail, 0, 8);  // the 64-bit form
    EXPECT_EQ(w.SetupDiGetDeviceInterfaceDetailA(set, itf, detail, &required, {}), FALSE);
    EXPECT_EQ(w.GetLastError(), 1784u);
    WriteU32LE(detail, 0, 5);
    std::vector<Byte> info(kSpDevinfoDataSize, 0);  // cbSize left 0
    EXPECT_EQ(w.SetupDiGetDeviceInterfaceDetailA(set, itf, detail, &required, info), FALSE);
    EXPECT_EQ(w.GetLastError(), 1784u);
    w.SetupDiDestroyDeviceInfoList(set);
}

TEST(SimSetupApi, OtherClassesGiveAnEmptySet) {
    Machine m;
    m.disks = {DiskWithNode(0, 9)};
    SimulatedWindows w(m);
    const Guid volumeClass{
        0x53f5630d, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};
    const DevInfoSet set = w.SetupDiGetClassDevsA(&volumeClass, kFlags);
    ASSERT_NE(set, INVALID_DEVINFO_SET);
    std::vector<Byte> itf = InterfaceData();
    EXPECT_EQ(w.SetupDiEnumDeviceInterfaces(set, volumeClass, 0, itf), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_NO_MORE_ITEMS);
    w.SetupDiDestroyDeviceInfoList(set);
}

}  // namespace
}  // namespace plumvane::sim
