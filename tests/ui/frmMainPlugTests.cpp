// The list against a changing machine: a click confirms its row's disk
// before writing, and plugging or pulling disks rebuilds the list once.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "frmMainTestSupport.h"
#include "hotplug/HotplugInfo.h"
#include "platform/WinDefs.h"

namespace plumvane::ui::testing {
namespace {

constexpr std::uint32_t kExclamationBox = platform::MB_OK | platform::MB_ICONEXCLAMATION;

const DeviceChange kDiskArrived{DeviceEvent::Arrival, DeviceKind::DiskInterface};

// An internal disk at 0, USB sticks at 1 and 2.
sim::Machine TwoSticks() { return UsbMachine(2); }

// The toolkit's own boxes shown through the machine too, so they join its
// record and its hook, as the drivers show them.
class BoxesOnTheMachine : public ModelToolkit {
public:
    explicit BoxesOnTheMachine(TestWindows& win) : win_(win) {}
    Status ShowMessage(const std::string& text, std::uint32_t type) override {
        ModelToolkit::ShowMessage(text, type);
        win_.MessageBoxA(*WindowHwnd(), text, kMessageCaption, type);
        return Status::Ok;
    }

private:
    TestWindows& win_;
};

// A window of its own, for the cases of a table.
struct OwnWindow {
    explicit OwnWindow(sim::Machine machine) {
        win.SetMachine(std::move(machine));
        EXPECT_EQ(form.Start(), Status::Ok);
    }
    int FlagOpens() const { return FlagOpensOf(win); }
    TestWindows win;
    BoxesOnTheMachine tk{win};
    inventory::DiskInventory inventory;
    frmMain form{tk, win, inventory};
};

class PlugTest : public WindowTest {
protected:
    void Plug(sim::Machine machine, DeviceChange change = kDiskArrived) {
        win.SetMachine(std::move(machine));
        ASSERT_EQ(tk.SystemDeviceChange(change), Status::Ok);
    }
    std::string Caption(std::int16_t row) const { return Row(kLblDisks, row).caption; }
};

// --- a click on a row whose disk changed ------------------------------------------

// Without the check the click writes the flags to whatever disk has the
// row's number now.
TEST_F(PlugTest, AClickOnAChangedDiskIsRefusedAndTheListRebuiltOnceAfterTheBox) {
    struct Case {
        const char* name;
        sim::Machine before;
        std::function<void(sim::Machine&)> change;
        std::int16_t row;
        std::int32_t drive;
    };
    sim::Machine noIds = TwoSticks();
    for (auto& d : noIds.disks) d.devInst.reset();
    const Case cases[] = {
        {"USB disk replaced by an internal disk at the same number", TwoSticks(),
         [](sim::Machine& m) { m.disks[1] = WindowDisk(1, 11); }, 0, 1},
        {"disk pulled", TwoSticks(), [](sim::Machine& m) { m.disks.erase(m.disks.begin() + 1); }, 0,
         1},
        {"two USB disks swap numbers", TwoSticks(),
         [](sim::Machine& m) {
             std::swap(m.disks[1].instanceId, m.disks[2].instanceId);
             std::swap(m.disks[1].devInst, m.disks[2].devInst);
         },
         1, 2},
        {"disk renumbered: drive 2's stick is drive 1 now", TwoSticks(),
         [](sim::Machine& m) {
             m.disks.erase(m.disks.begin() + 1);
             m.disks[1].number = 1;
             m.disks[1].deviceNumber = 1;
         },
         0, 1},
        {"a disk without an instance id replaced by one of another size", noIds,
         [](sim::Machine& m) { m.disks[1].geometry.cylinders *= 2; }, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto own = std::make_unique<OwnWindow>(c.before);
        TestWindows& win = own->win;
        c.change(win.machine());
        win.ClearCalls();
        int buildsInBox = -1;
        int driveOpensInBox = -1;
        win.whileBoxOpen = [&] {
            buildsInBox = own->form.ListBuilds();
            driveOpensInBox = FlagOpensOf(win);
        };
        ASSERT_EQ(own->tk.UserClickCheck(Elem(kChkHPD, c.row)), Status::Ok);

        EXPECT_TRUE(win.hotplugWrites().empty());
        ASSERT_EQ(win.messageBoxes().size(), 1u);
        EXPECT_EQ(win.messageBoxes()[0].text, DiskChangedText(c.drive));
        EXPECT_EQ(win.messageBoxes()[0].caption, "Plumvane");
        EXPECT_EQ(win.messageBoxes()[0].type, kExclamationBox);
        EXPECT_EQ(driveOpensInBox, 1);  // the check's: no write, no read-back
        EXPECT_EQ(buildsInBox, 1);
        EXPECT_EQ(own->form.ListBuilds(), 2);
        own->tk.AdvanceClock(10000);
        EXPECT_EQ(own->form.ListBuilds(), 2);
        EXPECT_EQ(win.OpenHandleCount(), 0);
        EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
    }
}

TEST_F(PlugTest, TheRebuildOfARefusedClickWaitsUntilTheClickHasReturned) {
    Start(TwoSticks());
    win.machine().disks.erase(win.machine().disks.begin() + 1);
    form.ApplyRowFlags(0, kChkHPD);
    EXPECT_EQ(form.ListBuilds(), 1);
    tk.AdvanceClock(0);
    EXPECT_EQ(form.ListBuilds(), 2);
    EXPECT_EQ(Caption(0).rfind("Disk 2:", 0), 0u);
}

// What identifies a row's disk is everything the row showed; and a click
// changes only its own flag, whatever another program did to the other.
TEST_F(PlugTest, AClickWritesOnlyToTheRowsDiskAndOnlyItsOwnFlag) {
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> change;
        std::optional<HotplugImage> written;  // none: refused
        std::int16_t wceoAfter;
    };
    // Stick 1 with WriteCacheEnableOverride on, on E:.
    sim::Machine before = UsbMachine(1);
    before.disks[1].hotplug = Flags(false, true);
    before.volumes = {{'C', 0u, 3, "", 0}, {'E', 1u, 2, "", 0}};
    const Case cases[] = {
        {"same id, another size", [](sim::Machine& m) { m.disks[1].geometry.cylinders *= 4; },
         std::nullopt, kChecked},
        {"same id, another model", [](sim::Machine& m) { m.disks[1].product = "Portable SSD"; },
         std::nullopt, kChecked},
        {"its letter is F: now", [](sim::Machine& m) { m.volumes[1].letter = 'F'; }, std::nullopt,
         kChecked},
        {"WriteCacheEnableOverride turned off elsewhere",
         [](sim::Machine& m) { m.disks[1].hotplug = Flags(false, false); }, Flags(true, false),
         kUnchecked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto own = std::make_unique<OwnWindow>(before);
        TestWindows& win = own->win;
        c.change(win.machine());
        ASSERT_EQ(own->tk.UserClickCheck(Elem(kChkHPD, 0)), Status::Ok);
        if (c.written) {
            ASSERT_EQ(win.hotplugWrites().size(), 1u);
            EXPECT_EQ(win.hotplugWrites()[0].bytes,
                      std::vector<std::uint8_t>(c.written->begin(), c.written->end()));
            EXPECT_TRUE(win.messageBoxes().empty());
            EXPECT_EQ(own->form.ListBuilds(), 1);
        } else {
            EXPECT_TRUE(win.hotplugWrites().empty());
            ASSERT_EQ(win.messageBoxes().size(), 1u);
            EXPECT_EQ(win.messageBoxes()[0].type, kExclamationBox);
            EXPECT_EQ(own->form.ListBuilds(), 2);
        }
        // Either what the driver holds, or the rebuilt row: both show the drive.
        EXPECT_EQ(own->tk.GetCheck(Elem(kChkWCEO, 0)), c.wceoAfter);
        EXPECT_EQ(own->tk.GetCheck(Elem(kChkHPD, 0)), c.written ? kChecked : kUnchecked);
        EXPECT_EQ(win.OpenHandleCount(), 0);
    }
}

// The order users' drivers see for a click: one open of the drive for
// reading and writing, the identity asked on that handle, GET and SET on it,
// one close; every other open asks for no access.
TEST_F(PlugTest, AClickConfirmsItsDiskOnTheWritesOwnHandle) {
    Start(TwoSticks());
    win.ClearCalls();
    Click(kChkHPD, 0);
    ASSERT_EQ(win.hotplugWrites().size(), 1u);
    EXPECT_EQ(win.hotplugWrites()[0].disk, 1);
    EXPECT_TRUE(win.messageBoxes().empty());
    EXPECT_EQ(form.ListBuilds(), 1);

    const std::string drive = "\\\\.\\PhysicalDrive1";
    const auto& calls = win.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().function, "CreateFileA");
    EXPECT_EQ(calls.front().detail, drive);
    EXPECT_EQ(calls.front().access, platform::GENERIC_READ | platform::GENERIC_WRITE);
    EXPECT_EQ(calls.back().function, "CloseHandle");
    EXPECT_EQ(calls.back().detail, drive);
    std::vector<platform::DWORD> onDrive;
    int opens = 0;
    for (std::size_t i = 1; i < calls.size(); ++i) {
        const sim::CallRecord& c = calls[i];
        if (c.function == "CreateFileA") {
            opens += c.detail == drive;
            EXPECT_EQ(c.access, 0u) << c.detail;
        }
        if (c.ioctl && c.detail.ends_with(drive)) onDrive.push_back(*c.ioctl);
    }
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(onDrive, (std::vector<platform::DWORD>{
                           platform::IOCTL_STORAGE_GET_DEVICE_NUMBER,
                           platform::IOCTL_STORAGE_QUERY_PROPERTY,
                           platform::IOCTL_DISK_GET_DRIVE_GEOMETRY,
                           platform::IOCTL_DISK_GET_DRIVE_LAYOUT_EX,
                           platform::IOCTL_STORAGE_GET_HOTPLUG_INFO,
                           platform::IOCTL_STORAGE_SET_HOTPLUG_INFO,
                       }));
}

// Every call of the identity check refused in turn: nothing is written. A
// query refused on the write's own handle is shown as the Windows failure it
// is; a drive that no longer opens, or a lookup that finds no id, is a
// changed disk.
TEST_F(PlugTest, AFailedCallOfTheCheckWritesNothing) {
    struct Case {
        sim::Fault fault;
        bool changed;
    };
    const Case cases[] = {
        {{"CreateFileA", "PhysicalDrive1", 2, 1}, true},
        {{"DeviceIoControl", "0x002D1080 on \\\\.\\PhysicalDrive1", 1, 1}, false},
        {{"DeviceIoControl", "0x002D1400 on \\\\.\\PhysicalDrive1", 21, 1}, false},
        {{"CLSIDFromString", "", 0x800401F3u, 1}, true},
        {{"SetupDiGetClassDevsA", "", 8, 1}, true},
        {{"SetupDiEnumDeviceInterfaces", "", 8, 1}, true},
        // Its first call is the size query, which fails by design.
        {{"SetupDiGetDeviceInterfaceDetailA", "", 13, -1}, true},
        {{"CreateFileA", "usbstor#disk&ven_test#1", 5, 1}, true},
        {{"DeviceIoControl", "0x002D1080 on \\\\?\\usbstor#disk&ven_test#1", 1, 1}, true},
        {{"CM_Get_Device_IDA", "", 0x1A, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.function + " " + c.fault.device);
        auto own = std::make_unique<OwnWindow>(TwoSticks());
        TestWindows& win = own->win;
        win.InjectFault(c.fault);
        ASSERT_EQ(own->tk.UserClickCheck(Elem(kChkWCEO, 0)), Status::Ok);
        EXPECT_TRUE(win.hotplugWrites().empty());
        ASSERT_FALSE(win.messageBoxes().empty());
        EXPECT_EQ(win.messageBoxes()[0].type,
                  c.changed ? kExclamationBox : platform::MB_OK | platform::MB_ICONERROR);
        EXPECT_EQ(own->form.ListBuilds(), c.changed ? 2 : 1);
        // The row as the driver holds it: both flags clear.
        if (!c.changed) {
            EXPECT_EQ(own->tk.GetCheck(Elem(kChkWCEO, 0)), kUnchecked);
        }
        EXPECT_EQ(win.OpenHandleCount(), 0);
        EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
    }
}

// A stick pulled during the write, another one at its number by the read-back:
// the read-back puts none of the other stick's flags into the row; the row is
// rebuilt and shows the other stick as it is.
TEST_F(PlugTest, TheReadBackOfAFailedWriteShowsNoOtherDisksFlags) {
    sim::Machine before = TwoSticks();
    OwnWindow probe(before);
    probe.win.ClearCalls();
    ASSERT_EQ(probe.tk.UserClickCheck(Elem(kChkHPD, 0)), Status::Ok);
    const auto& calls = probe.win.calls();
    const auto set = std::find_if(calls.begin(), calls.end(), [](const sim::CallRecord& c) {
        return c.ioctl == platform::IOCTL_STORAGE_SET_HOTPLUG_INFO;
    });
    ASSERT_NE(set, calls.end());

    OwnWindow own(before);
    own.win.ClearCalls();
    own.win.ChangeMachineBeforeCall(static_cast<std::size_t>(set - calls.begin()),
                                    [](sim::Machine& m) {
                                        m.disks[1] = WindowUsb(1, Flags(true, true));
                                        m.disks[1].product = "Other Stick";
                                        m.disks[1].instanceId = "USBSTOR\\DISK&VEN_OTHER\\1";
                                    });
    ASSERT_EQ(own.tk.UserClickCheck(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_TRUE(own.win.hotplugWrites().empty());
    // The SET's own error, then the refusal.
    ASSERT_EQ(own.win.messageBoxes().size(), 2u);
    EXPECT_EQ(own.win.messageBoxes()[1].type, kExclamationBox);
    EXPECT_EQ(own.form.ListBuilds(), 2);
    EXPECT_NE(own.tk.GetCaption(Elem(kLblDisks, 0)).value_or("").find("Other Stick"),
              std::string::npos);
    EXPECT_EQ(own.tk.GetCheck(Elem(kChkHPD, 0)), kChecked);
    EXPECT_EQ(own.win.OpenHandleCount(), 0);
}

// --- plugging and pulling -----------------------------------------------------------------

TEST_F(PlugTest, ABurstOfNotificationsGivesOneRebuildShowingTheNewMachine) {
    Start(TwoSticks());
    for (int i = 0; i < 3; ++i) {
        Plug(UsbMachine(3));
        tk.AdvanceClock(200);
    }
    EXPECT_EQ(form.ListBuilds(), 1);
    tk.AdvanceClock(1000);
    EXPECT_EQ(form.ListBuilds(), 2);
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(Caption(2).rfind("Disk 3:", 0), 0u);
}

TEST_F(PlugTest, OnlyDisksAndVolumesArrivingOrLeavingStartTheTimer) {
    struct Case {
        DeviceChange change;
        bool rebuilds;
    };
    const Case cases[] = {
        {{DeviceEvent::Arrival, DeviceKind::DiskInterface}, true},
        {{DeviceEvent::RemoveComplete, DeviceKind::DiskInterface}, true},
        {{DeviceEvent::Arrival, DeviceKind::Volume}, true},
        {{DeviceEvent::RemoveComplete, DeviceKind::Volume}, true},
        {{DeviceEvent::Other, DeviceKind::Volume}, false},
        {{DeviceEvent::Arrival, DeviceKind::Other}, false},
    };
    Start(TwoSticks());
    for (const Case& c : cases) {
        const int builds = form.ListBuilds();
        Plug(TwoSticks(), c.change);
        tk.AdvanceClock(kPlugSettleMs - 1);
        EXPECT_EQ(form.ListBuilds(), builds);
        tk.AdvanceClock(1);
        EXPECT_EQ(form.ListBuilds(), builds + (c.rebuilds ? 1 : 0));
    }
}

TEST_F(PlugTest, F5CancelsAPendingTimer) {
    Start(TwoSticks());
    Plug(UsbMachine(3));
    tk.AdvanceClock(300);
    PressF5();
    EXPECT_EQ(form.ListBuilds(), 2);
    tk.AdvanceClock(5000);
    EXPECT_EQ(form.ListBuilds(), 2);
}

// A rebuild inside the click would destroy the rows under the running click;
// one inside a build would nest two scans. A new layout inside either would
// leave the rows still to come at the old DPI.
TEST_F(PlugTest, ATimerOrADpiChangeInsideAClickOrABuildWaitsAndIsTakenOnceAfterwards) {
    struct Case {
        const char* name;
        bool byClick;  // else by F5
    };
    const Case cases[] = {{"an error box of a click", true}, {"inside a build", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto own = std::make_unique<OwnWindow>(TwoSticks());
        TestWindows& win = own->win;
        ModelToolkit& fresh = own->tk;
        frmMain& window = own->form;
        if (c.byClick) {
            win.machine().disks[1].errors.openWrite = 5;  // an error box in the click
        } else {
            win.openName = "\\\\.\\PhysicalDrive1";  // the build reading drive 1's flags
        }
        int buildsInBox = -1;
        int dpiInBox = -1;
        win.whileBoxOpen = [&] {
            // The box's own message loop delivers the notification, the
            // timer and the DPI change.
            ASSERT_EQ(fresh.SystemDeviceChange(kDiskArrived), Status::Ok);
            ASSERT_EQ(fresh.SystemDpiChange(144), Status::Ok);
            fresh.AdvanceClock(1000);
            buildsInBox = window.ListBuilds();
            dpiInBox = fresh.Dpi();
        };
        if (c.byClick) {
            ASSERT_EQ(fresh.UserClickCheck(Elem(kChkWCEO, 0)), Status::Ok);
        } else {
            ASSERT_EQ(fresh.UserKeyDown(kKeyF5), Status::Ok);
        }
        const int afterStart = c.byClick ? 1 : 2;
        EXPECT_EQ(buildsInBox, afterStart);
        EXPECT_EQ(dpiInBox, 96);
        EXPECT_EQ(window.ListBuilds(), afterStart + 1);
        fresh.AdvanceClock(5000);
        EXPECT_EQ(window.ListBuilds(), afterStart + 1);
        EXPECT_FALSE(window.LockMe);
        // Both rows at 144 DPI, 26 pixels apart, the list and its range measured from them.
        EXPECT_EQ(fresh.Dpi(), 144);
        for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
            EXPECT_EQ(fresh.GetHeight(Elem(name, 0)), 26) << name;
            EXPECT_EQ(fresh.GetTop(Elem(name, 1)), 26) << name;
        }
        EXPECT_EQ(fresh.GetHeight(Ctl(kPicList)), 52);
        EXPECT_EQ(fresh.GetTop(Ctl(kPicList)), 6);
        const ControlRef bar = Ctl(kListVScroll);
        EXPECT_EQ(fresh.GetScroll(bar, ScrollField::Max), 52 + 6 - (395 - 4));
        EXPECT_EQ(fresh.GetScroll(bar, ScrollField::Value), -6);
    }
}

TEST_F(PlugTest, NoTimerOutlivesTheWindow) {
    Start(TwoSticks());
    Plug(UsbMachine(3));
    ASSERT_EQ(tk.UserClickButton(kCmdClose), Status::Ok);
    tk.AdvanceClock(5000);
    EXPECT_EQ(form.ListBuilds(), 1);
    EXPECT_EQ(tk.SystemDeviceChange(kDiskArrived), Status::NoWindow);
}

// --- what a click leaves the user looking at -----------------------------------

// A failed GET leaves the row as the driver holds it, never as clicked; a query
// failing once at the confirmation is told as that failure, with no rescan; a
// lookalike a few cylinders smaller (or a twin partitioned apart) is a changed
// disk and is not written; flags that could not be read show grayed, not off.
TEST_F(PlugTest, AfterAClickTheRowShowsWhatTheDriverHoldsAndTheMessageTheTruth) {
    const std::string changed = DiskChangedText(1);
    const std::string getError = "Error 1117 IOCTL_STORAGE_GET_HOTPLUG_INFO";
    struct Case {
        const char* name;
        std::function<void(sim::SimDisk&)> atScan;
        std::function<void(TestWindows&)> beforeClick;
        const char* box;
        std::int16_t scanned;  // both boxes after the build
        std::vector<std::string> messages;
        std::int16_t wceo, hpd;  // the boxes after the click
        std::size_t sets;
        bool rescanned;
    };
    auto fault = [](const char* ioctl, int skip = 0) {
        return [=](TestWindows& w) {
            w.InjectFault({"DeviceIoControl", ioctl, platform::ERROR_IO_DEVICE, 1, skip});
        };
    };
    auto none = [](auto&) {};
    const char* kGet = "IOCTL 0x002D0C14";
    // Another disk at the row's number: refused, nothing written, rescanned.
    auto refused = [&](const char* name, std::function<void(TestWindows&)> change) {
        return Case{name, none, std::move(change), kChkWCEO, -1, {changed}, -1, -1, 0, true};
    };
    const Case cases[] = {
        {"GET fails every time",
         [](sim::SimDisk& d) { d.errors.getHotplug = 1117; },
         none,
         kChkWCEO,
         kGrayed,
         {getError},
         kGrayed,
         kGrayed,
         0,
         false},
        {"GET fails at the click only",
         none,
         fault(kGet),
         kChkWCEO,
         -1,
         {getError},
         kUnchecked,
         kChecked,
         0,
         false},
        {"SET refused, then the read-back's GET fails",
         [](sim::SimDisk& d) { d.errors.setHotplug = 31; },
         fault(kGet, 1),
         kChkHPD,
         -1,
         {"Error 31 IOCTL_STORAGE_SET_HOTPLUG_INFO"},
         kUnchecked,
         kChecked,
         1,
         false},
        {"the geometry fails once at the confirmation",
         none,
         fault("IOCTL 0x00070000"),
         kChkWCEO,
         -1,
         {"Error 1117 confirming the disk (its drive geometry)"},
         kUnchecked,
         kChecked,
         0,
         false},
        {"the layout fails once at the confirmation",
         none,
         fault("IOCTL 0x00070050"),
         kChkHPD,
         -1,
         {"Error 1117 confirming the disk (its partition table)"},
         kUnchecked,
         kChecked,
         0,
         false},
        refused("a lookalike four cylinders smaller, the same size text",
                [](TestWindows& w) { w.machine().disks[1].geometry.cylinders -= 4; }),
        refused("a twin with another disk signature",
                [](TestWindows& w) { w.machine().disks[1].diskSignature = 0x12345678u; }),
        {"flags unknown at the scan, readable at the click",
         [](sim::SimDisk& d) { d.errors.getHotplug = 1117; },
         [](TestWindows& w) { w.machine().disks[1].errors = {}; },
         kChkWCEO,
         kGrayed,
         {},
         kChecked,
         kChecked,
         1,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Machine m = TwoSticks();
        m.disks.resize(2);  // the internal disk and the stick at 1
        m.disks[1].hotplug = Flags(true, false);
        m.volumes = {sim::testing::Volume('E', 1, 2)};
        c.atScan(m.disks[1]);
        auto own = std::make_unique<OwnWindow>(m);
        if (c.scanned >= 0) {
            EXPECT_EQ(own->tk.GetCheck(Elem(kChkWCEO, 0)), c.scanned);
            EXPECT_EQ(own->tk.GetCheck(Elem(kChkHPD, 0)), c.scanned);
        }
        const int builds = own->form.ListBuilds();
        c.beforeClick(own->win);
        ASSERT_EQ(own->tk.UserClickCheck(Elem(c.box, 0)), Status::Ok);
        std::vector<std::string> shown;
        for (const auto& box : own->win.messageBoxes()) shown.push_back(box.text);
        EXPECT_EQ(shown, c.messages);
        EXPECT_EQ(own->win.hotplugWrites().size(), c.sets);
        EXPECT_EQ(own->form.ListBuilds() != builds, c.rescanned);
        if (c.wceo >= 0) {
            EXPECT_EQ(own->tk.GetCheck(Elem(kChkWCEO, 0)), c.wceo);
        }
        if (c.hpd >= 0) {
            EXPECT_EQ(own->tk.GetCheck(Elem(kChkHPD, 0)), c.hpd);
        }
        EXPECT_EQ(own->win.OpenHandleCount(), 0);
    }
}

// A line break in a product text would put the size and the letters on a
// hidden second line: control characters show as '?'.
TEST_F(PlugTest, DeviceTextInACaptionIsOneLineEndingWithTheSizeAndLetters) {
    sim::Machine m = TwoSticks();
    m.disks[1].product = "Stick\r\n\x1b[2J\tX";
    m.volumes = {sim::testing::Volume('E', 1, 2)};
    Start(m);
    EXPECT_EQ(Caption(0), "Disk 1:  SanDisk Stick????X  (14.9 GB)  E: ");
}

}  // namespace
}  // namespace plumvane::ui::testing
