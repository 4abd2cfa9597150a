// The disk list that BuildDiskList makes: rows, captions, check states,
// stripes, pane and scroll geometry, reruns, icons, themes and fonts.

#include <gtest/gtest.h>

#include "frmMainTestSupport.h"
#include "platform/WinDefs.h"

namespace plumvane::ui::testing {
namespace {

// --- geometry for any number of rows ------------------------------------------

struct Geometry {
    int usbRows;
    int paneHeight;
    int scrollMax;
    bool scrollVisible;
};

class ListGeometryTest : public WindowTest, public ::testing::WithParamInterface<Geometry> {};

TEST_P(ListGeometryTest, PaneEndsAtTheLastRowAndTheScrollBarShowsOnlyWhenNeeded) {
    const Geometry g = GetParam();
    Start(UsbMachine(g.usbRows));

    EXPECT_EQ(RowCount(), std::max(1, g.usbRows));
    EXPECT_EQ(C(Ctl(kPicList)).height, g.paneHeight);
    EXPECT_EQ(C(Ctl(kPicList)).top, 4);
    EXPECT_EQ(Scroll().min, -4);
    EXPECT_EQ(Scroll().max, g.scrollMax);
    EXPECT_EQ(Scroll().smallChange, 17);
    EXPECT_EQ(Scroll().largeChange, 259);
    EXPECT_EQ(C(Ctl(kListVScroll)).height, 259);
    EXPECT_EQ(C(Ctl(kListVScroll)).visible, g.scrollVisible);
    for (std::int16_t r = 0; r < g.usbRows; ++r) {
        for (const char* name : {kLblDisks, kChkWCEO, kChkHPD}) {
            EXPECT_EQ(Row(name, r).top, 17 * r) << name << r;
            EXPECT_TRUE(Row(name, r).visible) << name << r;
        }
    }
}

// Zero and one row follow the rule of two and more: the design's 117-pixel
// pane and visible scroll bar would otherwise stay beside a list that fits.
// The maximum leaves the last row 4 pixels above the frame's inside bottom;
// a range 8 pixels shorter would cut the last of 16 rows in half.
INSTANTIATE_TEST_SUITE_P(RowCounts, ListGeometryTest,
                         ::testing::Values(Geometry{0, 17, -238, false},
                                           Geometry{1, 17, -238, false},
                                           Geometry{2, 34, -221, false},
                                           Geometry{15, 255, 0, false}, Geometry{16, 272, 17, true},
                                           Geometry{99, 1683, 1428, true}));

// --- rows, captions and states (the stripes are in the golden files) --------------

TEST_F(WindowTest, UsbDisksOnlyGetRowsCaptionedWithTheirDriveNumbers) {
    sim::Machine m;
    m.disks = {
        WindowDisk(0, 11), WindowUsb(1, Flags(true, false)), WindowDisk(2, 17),
        WindowDisk(3, 11), WindowUsb(4, Flags(false, true)), WindowUsb(5, Flags(true, true))};
    sim::SimVolume e;
    e.letter = 'E';
    e.disk = 4u;
    e.driveType = 2;
    m.volumes = {e};
    Start(m);

    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(Row(kLblDisks, 0).caption, "Disk 1:  SanDisk Cruzer Blade  (14.9 GB)  ");
    EXPECT_EQ(Row(kLblDisks, 1).caption, "Disk 4:  SanDisk Cruzer Blade  (14.9 GB)  E: ");
    EXPECT_EQ(Row(kLblDisks, 2).caption, "Disk 5:  SanDisk Cruzer Blade  (14.9 GB)  ");
    EXPECT_EQ(Row(kChkHPD, 0).check, kChecked);
    EXPECT_EQ(Row(kChkWCEO, 0).check, kUnchecked);
    EXPECT_EQ(Row(kChkHPD, 1).check, kUnchecked);
    EXPECT_EQ(Row(kChkWCEO, 1).check, kChecked);
    EXPECT_EQ(Row(kChkHPD, 2).check, kChecked);
    EXPECT_EQ(Row(kChkWCEO, 2).check, kChecked);
    // What a screen reader says for each box: its disk and its flag.
    const std::pair<std::int16_t, int> rowDisks[] = {{0, 1}, {1, 4}, {2, 5}};
    for (const auto& [row, disk] : rowDisks) {
        const std::string prefix = "Disk " + std::to_string(disk) + " ";
        EXPECT_EQ(Row(kChkWCEO, row).accessibleName, prefix + "WriteCacheEnableOverride");
        EXPECT_EQ(Row(kChkHPD, row).accessibleName, prefix + "DeviceHotplug");
    }
    // Disks off the USB bus are not asked for their flags.
    for (const auto& call : win.calls()) {
        EXPECT_EQ(call.detail.find("PhysicalDrive0"), std::string::npos);
        EXPECT_EQ(call.detail.find("PhysicalDrive2"), std::string::npos);
        EXPECT_EQ(call.detail.find("PhysicalDrive3"), std::string::npos);
    }
    // The build's own settings of the boxes are not clicks.
    EXPECT_TRUE(win.hotplugWrites().empty());
    EXPECT_TRUE(win.messageBoxes().empty());
    EXPECT_FALSE(form.LockMe);
    EXPECT_TRUE(tk.IsShown());
}

// Flags that cannot be read are unknown, not off.
TEST_F(WindowTest, ANewRowWhoseFlagsCannotBeReadShowsGrayedBoxes) {
    sim::Machine m;
    m.disks = {WindowUsb(1, Flags(true, true)), WindowUsb(2, Flags(true, true))};
    m.disks[1].errors.getHotplug = 1;
    Start(m);
    EXPECT_EQ(Row(kChkWCEO, 0).check, kChecked);
    EXPECT_EQ(Row(kChkWCEO, 1).check, kGrayed);
    EXPECT_EQ(Row(kChkHPD, 1).check, kGrayed);
    EXPECT_EQ(Row(kLblDisks, 1).caption.rfind("Disk 2:  ", 0), 0u);
}

TEST_F(WindowTest, NoUsbDiskHidesRowZerosBoxesUntilAUsbDiskComes) {
    Start(UsbMachine(1));
    win.SetMachine(UsbMachine(0));
    PressF5();
    // Named after a disk that is gone, the hidden boxes would mislead a reader.
    EXPECT_EQ(Row(kChkWCEO, 0).accessibleName, "");
    EXPECT_EQ(Row(kChkHPD, 0).accessibleName, "");
    EXPECT_EQ(Row(kLblDisks, 0).caption, "No USB disks found. Press F5 to scan again.");
    EXPECT_TRUE(Row(kLblDisks, 0).visible);
    EXPECT_FALSE(Row(kChkWCEO, 0).visible);
    EXPECT_FALSE(Row(kChkHPD, 0).visible);
    // The hidden boxes cannot be clicked, so nothing reaches drive 0.
    EXPECT_NE(tk.UserClickCheck(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_TRUE(win.hotplugWrites().empty());

    win.SetMachine(UsbMachine(2));
    PressF5();
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(Row(kLblDisks, 0).caption.rfind("Disk 1:  ", 0), 0u);
    EXPECT_TRUE(Row(kChkWCEO, 0).visible);
    EXPECT_TRUE(Row(kChkHPD, 0).visible);
}

// --- reruns ------------------------------------------------------------------------

TEST_F(WindowTest, ARerunKeepsTheRowsThatStayAndDestroysOnlyThoseGone) {
    Start(UsbMachine(6));
    const platform::Hwnd keptBox = Row(kChkHPD, 5).hwnd;
    tk.destroys.clear();
    win.SetMachine(UsbMachine(15));
    PressF5();

    // Rows 1 to 5 stay; only the attempts at the first index past the list fail.
    ASSERT_EQ(tk.destroys.size(), 3u);
    for (const auto& d : tk.destroys) {
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.index, 15);
    }
    EXPECT_EQ(Row(kChkHPD, 5).hwnd, keptBox);
    EXPECT_EQ(RowCount(), 15);
    EXPECT_EQ(Row(kLblDisks, 14).caption.rfind("Disk 15:  ", 0), 0u);
    EXPECT_EQ(Row(kChkHPD, 14).top, 17 * 14);
    EXPECT_EQ(C(Ctl(kPicList)).height, 255);

    // And back to fewer rows: rows 2 to 14 go, in row order, and nothing of
    // the longer list stays behind.
    tk.destroys.clear();
    win.SetMachine(UsbMachine(2));
    PressF5();
    ASSERT_EQ(tk.destroys.size(), 42u);
    for (std::size_t i = 0; i < 39; ++i) {
        EXPECT_TRUE(tk.destroys[i].ok);
        EXPECT_EQ(tk.destroys[i].index, static_cast<std::int16_t>(2 + i / 3));
        EXPECT_EQ(tk.destroys[i].name,
                  std::vector<std::string>({kLblDisks, kChkWCEO, kChkHPD})[i % 3]);
    }
    for (std::size_t i = 39; i < 42; ++i) EXPECT_FALSE(tk.destroys[i].ok);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(tk.Find(Elem(kChkHPD, 2)), nullptr);
    EXPECT_EQ(C(Ctl(kPicList)).height, 34);
    EXPECT_FALSE(C(Ctl(kListVScroll)).visible);
}

// A kept row whose read fails shows grayed boxes, as a new row does, not the
// flags of the disk it showed before.
TEST_F(WindowTest, AKeptRowWhoseFlagsCannotBeReadShowsGrayedBoxes) {
    sim::Machine m;
    m.disks = {WindowUsb(1, Flags(true, true)), WindowUsb(2, Flags(true, true))};
    Start(m);
    ASSERT_EQ(Row(kChkWCEO, 1).check, kChecked);

    m.disks = {WindowUsb(1, Flags(true, true)), WindowUsb(4, Flags(true, true))};
    m.disks[1].errors.getHotplug = 1;
    win.SetMachine(m);
    PressF5();
    EXPECT_EQ(Row(kLblDisks, 1).caption.rfind("Disk 4:  ", 0), 0u);
    EXPECT_EQ(Row(kChkWCEO, 1).check, kGrayed);
    EXPECT_EQ(Row(kChkHPD, 1).check, kGrayed);
    EXPECT_EQ(Row(kChkHPD, 0).check, kChecked);
    EXPECT_TRUE(win.hotplugWrites().empty());
}

// A build that changes rows with the list's painting on flickers.
TEST_F(WindowTest, RowsComeAndGoWhileTheListsPaintingIsHeld) {
    Start(UsbMachine(3));
    win.SetMachine(UsbMachine(6));
    PressF5();
    win.SetMachine(UsbMachine(2));
    PressF5();
    ASSERT_FALSE(tk.changes.empty());
    for (const auto& change : tk.changes) EXPECT_TRUE(change.held) << change.what;
    // One hold per build, let go at its end.
    EXPECT_EQ(tk.RedrawHoldCount(), 3);
    EXPECT_EQ(tk.RedrawReleaseCount(), 3);
    EXPECT_EQ(C(Ctl(kPicListFrame)).redrawHolds, 0);
}

// A rerun takes the scroll minimum from the unscrolled layout: taken from the
// scrolled pane's top, it would leave the rows scrolled out above the view
// unreachable.
TEST_F(WindowTest, ARerunAfterScrollingStartsFromTheTop) {
    Start(UsbMachine(16));
    const ScrollSettings first = Scroll();
    ASSERT_EQ(tk.UserScroll(kListVScroll, 5), Status::Ok);
    ASSERT_EQ(C(Ctl(kPicList)).top, -5);

    tk.minTaken.clear();
    PressF5();
    // The layout of the rerun is computed from the first build's state.
    ASSERT_EQ(tk.minTaken.size(), 1u);
    EXPECT_EQ(tk.minTaken[0].value, 0);
    EXPECT_EQ(tk.minTaken[0].listTop, 4);
    EXPECT_EQ(tk.minTaken[0].min, -4);
    EXPECT_EQ(Scroll(), first);
    EXPECT_EQ(Scroll().min, -4);
    EXPECT_EQ(Scroll().max, 17);
    EXPECT_EQ(C(Ctl(kPicList)).top, 4);
    // The whole range still reaches both ends of the list: at the maximum the
    // last row ends 4 pixels above the frame's inside bottom (259).
    ASSERT_EQ(tk.UserScroll(kListVScroll, -4), Status::Ok);
    EXPECT_EQ(C(Ctl(kPicList)).top, 4);
    ASSERT_EQ(tk.UserScroll(kListVScroll, 17), Status::Ok);
    EXPECT_EQ(C(Ctl(kPicList)).top + C(Ctl(kPicList)).height, 255);
}

// A rerun clears row 0 before reading it: left alone, a failed read would show
// the flags of whatever disk row 0 showed last.
TEST_F(WindowTest, ARerunClearsRowZeroBeforeReadingIt) {
    sim::Machine m;
    m.disks = {WindowUsb(1, Flags(true, true))};
    Start(m);
    ASSERT_EQ(Row(kChkHPD, 0).check, kChecked);

    m.disks = {WindowUsb(3, Flags(true, true))};
    m.disks[0].errors.getHotplug = 1;
    win.SetMachine(m);
    PressF5();
    EXPECT_EQ(Row(kLblDisks, 0).caption.rfind("Disk 3:  ", 0), 0u);
    EXPECT_EQ(Row(kChkWCEO, 0).check, kGrayed);
    EXPECT_EQ(Row(kChkHPD, 0).check, kGrayed);
    EXPECT_TRUE(win.hotplugWrites().empty());
}

TEST_F(WindowTest, F5RebuildsWhateverTheShiftStateAndNoOtherKeyDoes) {
    Start(UsbMachine(1));
    for (int shift : {0, 1, 2, 4, 7}) {
        const int rows = RowCount() + 1;
        win.SetMachine(UsbMachine(rows));
        PressF5(static_cast<std::int16_t>(shift));
        EXPECT_EQ(RowCount(), rows) << "shift " << shift;
    }
    win.SetMachine(UsbMachine(1));
    win.ClearCalls();
    for (int key : {115, 117, 9, 116 + 256}) {
        ASSERT_EQ(tk.UserKeyDown(static_cast<std::int16_t>(key), 0), Status::Ok);
    }
    EXPECT_TRUE(win.calls().empty());
    EXPECT_EQ(RowCount(), 6);
}

// --- the last step: themes and fonts; the icons -------------------------------------

TEST_F(WindowTest, EveryControlWithAHandleLosesItsThemeAndTheOldFaceIsReplaced) {
    Start(UsbMachine(3));
    for (const ModelControl& c : tk.Inspect()) {
        if (c.HasHwnd()) {
            EXPECT_TRUE(win.themeOff().contains(c.hwnd)) << RefText(c.Ref());
        }
        if (c.HasFont()) {
            EXPECT_EQ(c.fontName, "Microsoft Sans Serif") << RefText(c.Ref());
        }
    }
    EXPECT_FALSE(win.themeOff().contains(*tk.WindowHwnd()));

    // Only an exact match is replaced.
    ASSERT_EQ(tk.SetFontName(Ctl(kLblAbout), "ms sans serif"), Status::Ok);
    ASSERT_EQ(tk.SetFontName(Ctl(kLblHPD), "MS Sans Serif "), Status::Ok);
    ASSERT_EQ(tk.SetFontName(Ctl(kCmdClose), "Tahoma"), Status::Ok);
    ASSERT_EQ(tk.SetFontName(Elem(kChkHPD, 0), "MS Sans Serif"), Status::Ok);
    PressF5();
    EXPECT_EQ(C(Ctl(kLblAbout)).fontName, "ms sans serif");
    EXPECT_EQ(C(Ctl(kLblHPD)).fontName, "MS Sans Serif ");
    EXPECT_EQ(C(Ctl(kCmdClose)).fontName, "Tahoma");
    EXPECT_EQ(Row(kChkHPD, 0).fontName, "Microsoft Sans Serif");
}

TEST_F(WindowTest, AFailingThemeCallIsSkippedAndTheRunGoesOn) {
    win.InjectFault({"SetWindowTheme", "", 0x80070057, 1});
    Start(UsbMachine(2));
    // Only the first control with a handle keeps its theme.
    int themed = 0;
    for (const ModelControl& c : tk.Inspect()) {
        if (c.HasHwnd() && !win.themeOff().contains(c.hwnd)) ++themed;
    }
    EXPECT_EQ(themed, 1);
    EXPECT_EQ(Row(kChkHPD, 1).fontName, "Microsoft Sans Serif");
    EXPECT_FALSE(form.LockMe);
}

TEST_F(WindowTest, TheWindowGetsTheApplicationIconBigAndSmall) {
    Start(UsbMachine(1));
    const platform::Hwnd window = *tk.WindowHwnd();
    const auto icon = static_cast<platform::LRESULT>(win.LoadImageA(win.GetModuleHandleA(nullptr),
                                                                    "APPICON", platform::IMAGE_ICON,
                                                                    16, 16, platform::LR_SHARED));
    ASSERT_NE(icon, 0);
    EXPECT_EQ(win.SendMessageA(window, platform::WM_GETICON, platform::ICON_BIG, 0), icon);
    EXPECT_EQ(win.SendMessageA(window, platform::WM_GETICON, platform::ICON_SMALL, 0), icon);

    // Each build loads each icon at the size the system gives for it: an
    // icon loaded at the other's size is scaled and blurs.
    win.ClearCalls();
    PressF5();
    std::vector<std::string> loads;
    for (const auto& call : win.calls()) {
        if (call.function == "LoadImageA") loads.push_back(call.detail);
    }
    EXPECT_EQ(loads, (std::vector<std::string>{"APPICON 32x32", "APPICON 16x16"}));
}

TEST_F(WindowTest, AMissingIconStillLetsTheListBeBuilt) {
    win.InjectFault({"LoadImageA", "", 1813, -1});
    Start(UsbMachine(2));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(win.SendMessageA(*tk.WindowHwnd(), platform::WM_GETICON, platform::ICON_BIG, 0), 0);
}

}  // namespace
}  // namespace plumvane::ui::testing
