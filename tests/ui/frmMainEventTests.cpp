// The window's reactions: clicks on a row's boxes, LockMe, the caption
// parser, scrolling and Close.

#include <gtest/gtest.h>

#include "frmMainTestSupport.h"
#include "platform/WinDefs.h"

namespace plumvane::ui::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ClickTest : public WindowTest {
protected:
    // Drive 0 internal, drive 2 a USB stick with DeviceHotplug set.
    void SetUp() override {
        sim::Machine m;
        m.disks = {WindowDisk(0, 11), WindowUsb(2, Flags(true, false))};
        machine = m;
    }
    sim::Machine machine;
};

TEST_F(ClickTest, AClickSetsItsOwnFlagAndSendsTheOtherUnchanged) {
    Start(machine);
    win.ClearCalls();
    Click(kChkWCEO, 0);  // WCEO on, HPD stays on
    // A successful write keeps the user's states and reads nothing back.
    EXPECT_EQ(FlagOpens(), 1);
    EXPECT_EQ(Row(kChkWCEO, 0).check, kChecked);
    EXPECT_EQ(Row(kChkHPD, 0).check, kChecked);
    Click(kChkHPD, 0);  // HPD off, WCEO stays on
    ASSERT_EQ(win.hotplugWrites().size(), 2u);
    EXPECT_EQ(win.hotplugWrites()[0].disk, 2);
    EXPECT_EQ(win.hotplugWrites()[0].bytes, (Bytes{8, 0, 0, 0, 1, 0, 1, 1}));
    EXPECT_TRUE(win.hotplugWrites()[0].ok);
    EXPECT_EQ(win.hotplugWrites()[1].bytes, (Bytes{8, 0, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(win.machine().disks[1].hotplug, Flags(false, true));
    EXPECT_TRUE(win.messageBoxes().empty());
}

// Restoring the boxes raises their click events; those neither write again nor
// show the error a second time: one click, one write, one message.
TEST_F(ClickTest, ARefusedWriteRestoresTheDrivesFlagsWithOneWriteAndOneMessage) {
    machine.disks[1].errors.openWrite = 5;
    Start(machine);
    win.ClearCalls();
    Click(kChkWCEO, 0);

    ASSERT_EQ(win.messageBoxes().size(), 1u);
    EXPECT_EQ(win.messageBoxes()[0].text, "Error 5 opening disk device with write access");
    EXPECT_EQ(win.messageBoxes()[0].caption, "Error");
    EXPECT_EQ(win.messageBoxes()[0].type, 0x10u);
    EXPECT_EQ(win.messageBoxes()[0].owner, *tk.WindowHwnd());
    EXPECT_EQ(FlagOpens(), 2);  // the refused write, then the read-back
    EXPECT_EQ(Row(kChkWCEO, 0).check, kUnchecked);
    EXPECT_EQ(Row(kChkHPD, 0).check, kChecked);
    EXPECT_TRUE(tk.Messages().empty());

    // A SET the driver refuses is sent once, too, and the row shows the drive.
    win.machine().disks[1].errors = {};
    win.machine().disks[1].errors.setHotplug = 31;
    Click(kChkHPD, 0);
    ASSERT_EQ(win.hotplugWrites().size(), 1u);
    EXPECT_FALSE(win.hotplugWrites()[0].ok);
    ASSERT_EQ(win.messageBoxes().size(), 2u);
    EXPECT_EQ(win.messageBoxes()[1].text, "Error 31 IOCTL_STORAGE_SET_HOTPLUG_INFO");
    EXPECT_EQ(Row(kChkHPD, 0).check, kChecked);
    EXPECT_EQ(Row(kChkWCEO, 0).check, kUnchecked);
}

TEST_F(ClickTest, LockMeMakesAClickChangeTheBoxAndNothingElse) {
    Start(machine);
    form.LockMe = true;
    win.ClearCalls();
    Click(kChkHPD, 0);
    EXPECT_EQ(Row(kChkHPD, 0).check, kUnchecked);
    EXPECT_TRUE(win.calls().empty());
    EXPECT_TRUE(tk.Messages().empty());
}

TEST_F(ClickTest, ARowWithoutADiskNumberShowsErrorAndWritesNothing) {
    Start(machine);
    ASSERT_EQ(tk.SetCaption(Elem(kLblDisks, 0), "Disk:  SanDisk"), Status::Ok);
    win.ClearCalls();
    Click(kChkWCEO, 0);
    ASSERT_EQ(tk.Messages().size(), 1u);
    EXPECT_EQ(tk.Messages()[0].text, "error");
    EXPECT_EQ(tk.Messages()[0].caption, "Plumvane");
    EXPECT_EQ(tk.Messages()[0].type, 0u);
    EXPECT_EQ(FlagOpens(), 0);
}

TEST_F(ClickTest, AClickOnALaterRowAddressesThatRowsDrive) {
    machine.disks.push_back(WindowUsb(7));
    Start(machine);
    Click(kChkHPD, 1);
    ASSERT_EQ(win.hotplugWrites().size(), 1u);
    EXPECT_EQ(win.hotplugWrites()[0].disk, 7);
    EXPECT_EQ(win.hotplugWrites()[0].bytes, (Bytes{8, 0, 0, 0, 1, 0, 1, 0}));
}

// --- the caption parser and IsEven ----------------------------------------------

struct CaptionCase {
    const char* caption;
    std::int32_t number;
};

class CaptionTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTest, GivesTheNumberBetweenDiskAndTheFirstColonOrMinusOne) {
    EXPECT_EQ(frmMain::DiskNumberFromCaption(GetParam().caption), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, CaptionTest,
    ::testing::Values(
        CaptionCase{"Disk 12:  SanDisk Cruzer Blade  (14.9 GB)  E: ", 12},
        CaptionCase{"Disk 7:  X", 7}, CaptionCase{"Disk 0:  ", 0}, CaptionCase{"Disk 0:", 0},
        CaptionCase{"Disk 99:  a: b:", 99}, CaptionCase{"Disk 007:", 7},
        // Only the exact prefix "Disk " leads the number: any other five characters
        // would make a click address whichever drive they precede.
        CaptionCase{"Xyzzy3:", -1}, CaptionCase{"XXXX 9:", -1}, CaptionCase{"disk 9:", -1},
        CaptionCase{"Disk9:", -1}, CaptionCase{" Disk 9:", -1}, CaptionCase{"Disc 9:", -1},
        // No colon, or the first one at position 6 or before.
        CaptionCase{"Disk 7", -1}, CaptionCase{"", -1}, CaptionCase{"Disk :7:", -1},
        CaptionCase{"Disk: 7:", -1}, CaptionCase{"D:isk 7:", -1},
        // Not a whole number.
        CaptionCase{"Disk x:", -1}, CaptionCase{"Disk 7x:", -1}, CaptionCase{"Disk 7 :", -1},
        CaptionCase{"Disk  7:", -1}, CaptionCase{"Disk -3:", -1}, CaptionCase{"Disk +3:", -1},
        CaptionCase{"Disk 1.5:", -1}, CaptionCase{"Disk 99999999999:", -1},
        CaptionCase{"No USB disks found. Press F5 to scan again.", -1}));

TEST(IsEvenTest, EvenNumbersIncludingZeroAndNegativesAreEven) {
    for (std::int32_t n : {0, 2, -2, INT32_MIN}) EXPECT_TRUE(frmMain::IsEven(n)) << n;
    for (std::int32_t n : {1, -3, INT32_MAX}) EXPECT_FALSE(frmMain::IsEven(n)) << n;
}

// --- scrolling and Close --------------------------------------------------------------

TEST_F(WindowTest, AScrollValuePutsTheListPaneAtMinusThatValue) {
    Start(UsbMachine(16));
    for (int v : {0, 3, 5, -4, 1}) {
        ASSERT_EQ(tk.UserScroll(kListVScroll, v), Status::Ok);
        EXPECT_EQ(C(Ctl(kPicList)).top, -v) << v;
    }
    // Outside the range the thumb stops at the end.
    ASSERT_EQ(tk.UserScroll(kListVScroll, 40), Status::Ok);
    EXPECT_EQ(C(Ctl(kPicList)).top, -17);
}

// --- the keyboard ---------------------------------------------------------------------

TEST_F(WindowTest, TabVisitsCloseAndEachRowsTwoBoxesInRowOrderBothWays) {
    Start(UsbMachine(3));
    const ControlRef cycle[] = {Ctl(kCmdClose),    Elem(kChkWCEO, 0), Elem(kChkHPD, 0),
                                Elem(kChkWCEO, 1), Elem(kChkHPD, 1),  Elem(kChkWCEO, 2),
                                Elem(kChkHPD, 2)};
    constexpr int n = static_cast<int>(std::size(cycle));
    ASSERT_EQ(tk.FocusedControl(), cycle[0]);
    for (int i = 1; i <= n; ++i) {
        ASSERT_EQ(tk.UserKeyDown(kKeyTab), Status::Ok);
        EXPECT_EQ(tk.FocusedControl(), cycle[i % n]) << i;
    }
    for (int i = n - 1; i >= 0; --i) {
        ASSERT_EQ(tk.UserKeyDown(kKeyTab, kShiftBit), Status::Ok);
        EXPECT_EQ(tk.FocusedControl(), cycle[i]) << i;
    }
    // F5 rebuilds the rows wherever the focus is.
    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 2)), Status::Ok);
    win.SetMachine(UsbMachine(4));
    PressF5();
    EXPECT_EQ(RowCount(), 4);
}

TEST_F(WindowTest, TheFocusedRowIsScrolledIntoViewWithTheDesignMargin) {
    Start(UsbMachine(16));  // scroll range -4 to 17 at 96 DPI
    struct Step {
        std::int16_t key, shift;
        ControlRef focus;
        int value;
    };
    // Without the scrolling, Tab would reach boxes below the frame, out of sight.
    const Step steps[] = {
        {kKeyTab, kShiftBit, Elem(kChkHPD, 15), 17}, {kKeyTab, kShiftBit, Elem(kChkWCEO, 15), 17},
        {kKeyTab, 0, Elem(kChkHPD, 15), 17},         {kKeyTab, 0, Ctl(kCmdClose), 17},
        {kKeyTab, 0, Elem(kChkWCEO, 0), -4},         {kKeyTab, 0, Elem(kChkHPD, 0), -4}};
    for (const Step& s : steps) {
        ASSERT_EQ(tk.UserKeyDown(s.key, s.shift), Status::Ok);
        EXPECT_EQ(tk.FocusedControl(), s.focus);
        EXPECT_EQ(Scroll().value, s.value) << RefText(s.focus);
        EXPECT_EQ(C(Ctl(kPicList)).top, -s.value);
    }
    // A box partly below the frame, clicked, comes whole into view; one still
    // whole inside leaves the list where it is.
    ASSERT_EQ(tk.UserScroll(kListVScroll, 3), Status::Ok);
    Click(kChkWCEO, 14);
    EXPECT_EQ(Scroll().value, 3);
    Click(kChkWCEO, 15);
    EXPECT_EQ(Scroll().value, 17);
}

TEST_F(WindowTest, SpaceOnAFocusedBoxWritesOnceAsAClickDoes) {
    Start(UsbMachine(2));
    win.ClearCalls();
    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 1)), Status::Ok);
    ASSERT_EQ(tk.UserKeyDown(kKeySpace), Status::Ok);
    ASSERT_EQ(win.hotplugWrites().size(), 1u);
    EXPECT_EQ(win.hotplugWrites()[0].disk, 2);
    EXPECT_EQ(Row(kChkHPD, 1).check, kChecked);
    EXPECT_TRUE(tk.IsOpen());
}

TEST_F(WindowTest, EnterOrSpaceOnCloseAndEscapeAnywhereCloseTheWindow) {
    struct Case {
        ControlRef focus;
        std::int16_t key;
    };
    const Case cases[] = {{Ctl(kCmdClose), kKeyReturn},
                          {Ctl(kCmdClose), kKeySpace},
                          {Ctl(kCmdClose), kKeyEscape},
                          {Elem(kChkWCEO, 0), kKeyEscape}};
    for (const Case& c : cases) {
        SCOPED_TRACE(RefText(c.focus) + " key " + std::to_string(c.key));
        sim::SimulatedWindows machine;
        machine.SetMachine(UsbMachine(1));
        ModelToolkit toolkit;
        inventory::DiskInventory disks;
        frmMain window(toolkit, machine, disks);
        ASSERT_EQ(window.Start(), Status::Ok);
        ASSERT_EQ(toolkit.Focus(c.focus), Status::Ok);
        ASSERT_EQ(toolkit.UserKeyDown(c.key), Status::Ok);
        EXPECT_FALSE(toolkit.IsOpen());
        EXPECT_TRUE(machine.hotplugWrites().empty());
    }
}

TEST_F(WindowTest, CloseUnloadsTheWindow) {
    Start(UsbMachine(2));
    ASSERT_EQ(tk.UserClickButton(kCmdClose), Status::Ok);
    EXPECT_FALSE(tk.IsOpen());
    EXPECT_FALSE(tk.IsShown());
    EXPECT_NE(tk.UserKeyDown(kKeyF5, 0), Status::Ok);
}

}  // namespace
}  // namespace plumvane::ui::testing
