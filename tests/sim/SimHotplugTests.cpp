// The storage driver's hotplug rules as the simulation enforces them: a write
// needs read and write access, the structure must match the driver's own, and
// every SET is logged.
#include <gtest/gtest.h>

#include <array>

#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::sim {
namespace {

using namespace platform;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

Machine OneStick() {
    SimDisk d;
    d.number = 1;
    d.deviceNumber = 1;
    d.hotplug = {8, 0, 0, 0, 1, 0, 0, 0};
    Machine m;
    m.disks = {d};
    return m;
}

struct Drive {
    SimulatedWindows& w;
    Handle h;
    Drive(SimulatedWindows& win, DWORD access)
        : w(win), h(win.CreateFileA("\\\\.\\PhysicalDrive1", access, 3, OPEN_EXISTING, 0)) {}
    ~Drive() { w.CloseHandle(h); }
    BOOL Get(std::span<Byte> out) {
        DWORD n = 0;
        return w.DeviceIoControl(h, IOCTL_STORAGE_GET_HOTPLUG_INFO, {}, out, &n);
    }
    BOOL Set(std::span<const Byte> in) {
        DWORD n = 0;
        return w.DeviceIoControl(h, IOCTL_STORAGE_SET_HOTPLUG_INFO, in, {}, &n);
    }
};

// A SET kept for later reads is pinned down by the hotplug tests.
TEST(SimHotplug, GetNeedsRoomForTheWholeStructure) {
    SimulatedWindows w(OneStick());
    Drive d(w, 0);
    std::array<Byte, 7> shortOut{};
    EXPECT_EQ(d.Get(shortOut), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(SimHotplug, SetNeedsReadAndWriteAccess) {
    SimulatedWindows w(OneStick());
    const std::array<Byte, 8> info{8, 0, 0, 0, 1, 0, 1, 0};
    for (DWORD access : {DWORD{0}, GENERIC_READ, GENERIC_WRITE}) {
        Drive d(w, access);
        EXPECT_EQ(d.Set(info), FALSE);
        EXPECT_EQ(w.GetLastError(), ERROR_ACCESS_DENIED);
    }
    // Refused SETs are logged too.
    ASSERT_EQ(w.hotplugWrites().size(), 3u);
    EXPECT_FALSE(w.hotplugWrites()[2].ok);
}

TEST(SimHotplug, SetRefusesStructuresThatDifferFromTheDrivers) {
    SimulatedWindows w(OneStick());
    Drive d(w, kReadWrite);
    const std::array<std::array<Byte, 8>, 3> refused{{
        {7, 0, 0, 0, 1, 0, 1, 0},  // Size not 8
        {8, 0, 0, 0, 0, 0, 1, 0},  // MediaRemovable differs
        {8, 0, 0, 0, 1, 1, 1, 0},  // MediaHotplug differs
    }};
    for (const auto& info : refused) {
        EXPECT_EQ(d.Set(info), FALSE);
        EXPECT_EQ(w.GetLastError(), ERROR_INVALID_PARAMETER);
    }
    const std::array<Byte, 7> tooShort{8, 0, 0, 0, 1, 0, 1};
    EXPECT_EQ(d.Set(tooShort), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(w.hotplugWrites().size(), 4u);
    EXPECT_EQ(w.hotplugWrites()[3].bytes.size(), 7u);
    EXPECT_EQ(w.machine().disks[0].hotplug, (std::array<Byte, 8>{8, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(SimHotplug, InjectedSetFailuresAreLoggedAsReceived) {
    SimulatedWindows w(OneStick());
    w.InjectFault({"DeviceIoControl", "0x002DCC18", 31, 1});
    Drive d(w, kReadWrite);
    const std::array<Byte, 8> info{8, 0, 0, 0, 1, 0, 1, 0};
    EXPECT_EQ(d.Set(info), FALSE);
    EXPECT_EQ(w.GetLastError(), 31u);
    EXPECT_EQ(d.Set(info), TRUE);
    ASSERT_EQ(w.hotplugWrites().size(), 2u);
    EXPECT_FALSE(w.hotplugWrites()[0].ok);
    EXPECT_TRUE(w.hotplugWrites()[1].ok);
}

}  // namespace
}  // namespace plumvane::sim
