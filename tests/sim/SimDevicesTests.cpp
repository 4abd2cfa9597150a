// The simulated storage stack: what callers rely on when they open drives and
// volumes and send the storage I/O controls.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/ByteLayout.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::sim {
namespace {

using namespace platform;

// Only the numbers matter here; the answers drawn from the rest of a disk's
// description are checked by the inventory's tests.
SimDisk Stick(int number) {
    SimDisk d;
    d.number = number;
    d.deviceNumber = static_cast<std::uint32_t>(number);
    return d;
}

Machine TwoSticks() {
    Machine m;
    m.disks = {Stick(1), Stick(3)};
    m.volumes = {{'E', 1u, 2, "\\Device\\HarddiskVolume5", 0},
                 {'S', std::nullopt, 3, "\\Device\\HarddiskVolume9", 0}};
    return m;
}

Handle Open(SimulatedWindows& w, std::string_view path, DWORD access = 0) {
    return w.CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

BOOL Ioctl(SimulatedWindows& w, Handle h, DWORD code, std::span<const Byte> in,
           std::span<Byte> out) {
    DWORD returned = 0xDEAD;
    return w.DeviceIoControl(h, code, in, out, &returned);
}

TEST(SimDevices, OpensDrivesByAnySpellingAndCountsHandles) {
    SimulatedWindows w(TwoSticks());
    const Handle a = Open(w, "\\\\.\\PHYSICALDRIVE1");
    const Handle b = Open(w, "\\\\.\\PhysicalDrive3");
    const Handle e = Open(w, "\\\\.\\e:");
    for (Handle h : {a, b, e}) {
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_NE(h, NULL_HANDLE);
        EXPECT_EQ(static_cast<std::intptr_t>(h) % 4, 0);
    }
    EXPECT_NE(a, b);
    EXPECT_EQ(w.OpenHandleCount(), 3);
    EXPECT_EQ(w.CloseHandle(a), TRUE);
    EXPECT_EQ(w.CloseHandle(b), TRUE);
    EXPECT_EQ(w.CloseHandle(e), TRUE);
    EXPECT_EQ(w.OpenHandleCount(), 0);
    // A second close of the same handle is an invalid handle.
    EXPECT_EQ(w.CloseHandle(a), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(SimDevices, MissingDevicesFailWithFileNotFound) {
    SimulatedWindows w(TwoSticks());
    for (std::string_view path : {"\\\\.\\PHYSICALDRIVE2", "\\\\.\\PHYSICALDRIVE01",
                                  "\\\\.\\PHYSICALDRIVE10", "\\\\.\\Q:", "\\\\.\\E:\\"}) {
        w.SetLastError(0);
        EXPECT_EQ(Open(w, path), INVALID_HANDLE_VALUE) << path;
        EXPECT_EQ(w.GetLastError(), ERROR_FILE_NOT_FOUND) << path;
    }
    EXPECT_EQ(w.OpenHandleCount(), 0);
}

// The numbers themselves, of disks and of volumes, are pinned down by the scan.
TEST(SimDevices, DeviceNumberNeedsRoomForTheWholeAnswer) {
    SimulatedWindows w(TwoSticks());
    std::array<Byte, 11> small{};
    const Handle d = Open(w, "\\\\.\\PHYSICALDRIVE3");
    EXPECT_EQ(Ioctl(w, d, IOCTL_STORAGE_GET_DEVICE_NUMBER, {}, small), FALSE);
    EXPECT_EQ(w.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    w.CloseHandle(d);
}

TEST(SimDevices, UnknownControlsAreInvalidFunctions) {
    SimulatedWindows w(TwoSticks());
    std::array<Byte, 24> out{};
    const Handle d = Open(w, "\\\\.\\PHYSICALDRIVE1");
    EXPECT_EQ(Ioctl(w, d, 0x00070048, {}, out), FALSE);  // IOCTL_DISK_GET_PARTITION_INFO_EX
    EXPECT_EQ(w.GetLastError(), ERROR_INVALID_FUNCTION);
    w.CloseHandle(d);
}

// A disk that names no vendor (an ATA disk) reports vendor offset 0, as
// Windows does; the texts themselves are checked by the inventory's tests.
TEST(SimDevices, AnEmptyTextHasOffsetZeroAndSizeIsWhatWasReturned) {
    Machine m = TwoSticks();
    m.disks[0].product = "ST500DM002";
    SimulatedWindows w(m);
    const std::array<Byte, 12> query{};
    std::vector<Byte> out(1024, 0);
    const Handle d = Open(w, "\\\\.\\PHYSICALDRIVE1");
    DWORD returned = 0;
    ASSERT_EQ(w.DeviceIoControl(d, IOCTL_STORAGE_QUERY_PROPERTY, query, out, &returned), TRUE);
    EXPECT_EQ(ReadU32LE(out, 4), returned);
    EXPECT_EQ(ReadU32LE(out, 12), 0u);
    EXPECT_NE(ReadU32LE(out, 16), 0u);
    w.CloseHandle(d);
}

// The decoded answers themselves are pinned down by the inventory's tests.
TEST(SimDevices, PerDeviceErrorsFailTheirQueryWithTheirCode) {
    Machine m = TwoSticks();
    m.disks[1].errors = {0, 0, 0, 50, 21, 1, 0};
    SimulatedWindows w(m);
    std::array<Byte, 24> geo{};
    std::vector<Byte> desc(1024);
    const std::array<Byte, 12> query{};
    const Handle d3 = Open(w, "\\\\.\\PHYSICALDRIVE3");
    EXPECT_EQ(Ioctl(w, d3, IOCTL_STORAGE_QUERY_PROPERTY, query, desc), FALSE);
    EXPECT_EQ(w.GetLastError(), 50u);
    EXPECT_EQ(Ioctl(w, d3, IOCTL_DISK_GET_DRIVE_GEOMETRY, {}, geo), FALSE);
    EXPECT_EQ(w.GetLastError(), 21u);
    std::array<Byte, 8> hp{};
    EXPECT_EQ(Ioctl(w, d3, IOCTL_STORAGE_GET_HOTPLUG_INFO, {}, hp), FALSE);
    EXPECT_EQ(w.GetLastError(), 1u);
    w.CloseHandle(d3);
    EXPECT_EQ(w.OpenHandleCount(), 0);
}

TEST(SimDevices, VolumesDriveTypesAndDosDevices) {
    SimulatedWindows w(TwoSticks());
    EXPECT_EQ(w.GetDriveTypeA("E:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(w.GetDriveTypeA("e:"), DRIVE_REMOVABLE);

    std::vector<Byte> buf(260, ' ');
    const DWORD n = w.QueryDosDeviceA("E:", buf);
    const std::string target = "\\Device\\HarddiskVolume5";
    ASSERT_EQ(n, target.size() + 2);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + target.size()), target);
    EXPECT_EQ(buf[target.size()], 0);
    EXPECT_EQ(buf[target.size() + 1], 0);

    std::vector<Byte> small(target.size() + 1);
    EXPECT_EQ(w.QueryDosDeviceA("E:", small), 0u);
    EXPECT_EQ(w.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(SimDevices, InjectedFaultsHitTheNamedDeviceOnly) {
    SimulatedWindows w(TwoSticks());
    w.InjectFault({"CreateFileA", "PHYSICALDRIVE1", ERROR_SHARING_VIOLATION, 1});
    w.SetMachine([] {
        Machine m = TwoSticks();
        m.disks.push_back(Stick(10));
        return m;
    }());
    // PHYSICALDRIVE1 does not name PHYSICALDRIVE10.
    const Handle ten = Open(w, "\\\\.\\PHYSICALDRIVE10");
    EXPECT_NE(ten, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(w, "\\\\.\\PhysicalDrive1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(w.GetLastError(), ERROR_SHARING_VIOLATION);
    // Used up after one failure.
    const Handle one = Open(w, "\\\\.\\PHYSICALDRIVE1");
    EXPECT_NE(one, INVALID_HANDLE_VALUE);
    w.CloseHandle(ten);
    w.CloseHandle(one);

    const auto& log = w.calls();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1].function, "CreateFileA");
    EXPECT_TRUE(log[1].failed);
    EXPECT_EQ(log[1].error, ERROR_SHARING_VIOLATION);
}

TEST(SimDevices, InjectedFaultsCanSkipCallsAndMatchTheWholeDetail) {
    struct Case {
        const char* what;
        Fault fault;
        std::vector<bool> failed;  // the four calls below: E:\, E:, E:\, E:
    };
    const Case cases[] = {
        {"the second matching call only",
         {"GetDriveTypeA", "E:", 5, 1, 1, false},
         {false, true, false, false}},
        {"every call from the third on",
         {"GetDriveTypeA", "E:", 5, -1, 2, false},
         {false, false, true, true}},
        {"the whole detail: E: but not E:\\",
         {"GetDriveTypeA", "E:", 5, -1, 0, true},
         {false, true, false, true}},
        {"the second E: alone",
         {"GetDriveTypeA", "E:", 5, 1, 1, true},
         {false, false, false, true}},
    };
    for (const Case& c : cases) {
        SimulatedWindows w(TwoSticks());
        w.InjectFault(c.fault);
        for (const char* root : {"E:\\", "E:", "E:\\", "E:"}) w.GetDriveTypeA(root);
        ASSERT_EQ(w.calls().size(), 4u) << c.what;
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(w.calls()[i].failed, c.failed[i]) << c.what << ", call " << i;
        }
    }
}

TEST(SimDevices, SuccessfulCallsKeepTheLastError) {
    SimulatedWindows w(TwoSticks());
    w.SetLastError(1234);
    const Handle d = Open(w, "\\\\.\\PHYSICALDRIVE1");
    std::array<Byte, 12> out{};
    Ioctl(w, d, IOCTL_STORAGE_GET_DEVICE_NUMBER, {}, out);
    w.CloseHandle(d);
    EXPECT_EQ(w.GetLastError(), 1234u);
}

}  // namespace
}  // namespace plumvane::sim

namespace plumvane::sim {
namespace {

// A handle reaches the device it was opened on, never the one that takes its
// number later; the call log says which device each call reached.
TEST(SimDevices, AHandleIsBoundToItsDevice) {
    struct Case {
        const char* name;
        void (*change)(Machine&);
        bool reachable;
    };
    const Case cases[] = {
        {"unchanged but for its flags and errors",
         [](Machine& m) {
             m.disks[0].hotplug[7] = 1;
             m.disks[0].errors.setHotplug = 0;
         },
         true},
        {"pulled", [](Machine& m) { m.disks.erase(m.disks.begin()); }, false},
        {"a lookalike of another size", [](Machine& m) { m.disks[0].geometry.cylinders = 3890; },
         false},
        {"another model at the same number", [](Machine& m) { m.disks[0].product = "Other"; },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedWindows w(TwoSticks());
        const Handle h = Open(w, "\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE);
        c.change(w.machine());
        std::array<Byte, 8> info{};
        const BOOL got = Ioctl(w, h, IOCTL_STORAGE_GET_HOTPLUG_INFO, {}, info);
        const std::array<Byte, 8> set{8, 0, 0, 0, 1, 0, 1, 1};
        const BOOL sent = Ioctl(w, h, IOCTL_STORAGE_SET_HOTPLUG_INFO, set, {});
        EXPECT_EQ(got, c.reachable ? TRUE : FALSE);
        EXPECT_EQ(sent, c.reachable ? TRUE : FALSE);
        if (!c.reachable) {
            EXPECT_EQ(w.GetLastError(), ERROR_NO_SUCH_DEVICE);
        }
        // A refused SET on a removed device reached nothing.
        EXPECT_EQ(w.hotplugWrites().size(), c.reachable ? 1u : 0u);
        const CallRecord open = w.calls().front();
        const CallRecord last = w.calls().back();
        EXPECT_EQ(open.access, GENERIC_READ | GENERIC_WRITE);
        EXPECT_EQ(open.disk, 1);
        EXPECT_EQ(last.ioctl, IOCTL_STORAGE_SET_HOTPLUG_INFO);
        EXPECT_EQ(last.device, c.reachable ? open.device : 0u);
        EXPECT_EQ(w.CloseHandle(h), TRUE);
        // A new open reaches whatever has the number now.
        const Handle again = Open(w, "\\\\.\\PhysicalDrive1");
        if (again != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(w.calls().back().device != open.device, !c.reachable);
            w.CloseHandle(again);
        }
    }
}

TEST(SimDevices, StrictModeRefusesWritesOnReadOnlyPaths) {
    SimulatedWindows w(TwoSticks());
    std::vector<std::string> forbidden;
    w.ForbidWrites([&](const std::string& call) { forbidden.push_back(call); });
    EXPECT_EQ(Open(w, "\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE), INVALID_HANDLE_VALUE);
    const Handle h = Open(w, "\\\\.\\PhysicalDrive1");
    const std::array<Byte, 8> set{8, 0, 0, 0, 1, 0, 1, 1};
    EXPECT_EQ(Ioctl(w, h, IOCTL_STORAGE_SET_HOTPLUG_INFO, set, {}), FALSE);
    w.CloseHandle(h);
    EXPECT_EQ(forbidden.size(), 2u);
    EXPECT_TRUE(w.hotplugWrites().empty());
}

}  // namespace
}  // namespace plumvane::sim
