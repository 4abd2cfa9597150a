// The toolkit's rules on the in-memory realisation: events, control arrays,
// the 16-bit scroll bar, properties by kind.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/EventRecorder.h"
#include "ui/FormDesign.h"
#include "ui/ModelToolkit.h"

namespace plumvane::ui {
namespace {

using testing::EventRecorder;
using Events = std::vector<std::string>;

class ModelToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
        tk.SetEventSink(&rec);
        ASSERT_EQ(tk.Show(), Status::Ok);
    }
    ModelToolkit tk;
    EventRecorder rec;
};

TEST_F(ModelToolkitTest, ProgramChangeRaisesOneClickAndSameStateNone) {
    const ControlRef box = Elem(kChkHPD, 0);
    EXPECT_EQ(tk.SetCheck(box, kChecked), Status::Ok);
    EXPECT_EQ(tk.SetCheck(box, kChecked), Status::Ok);
    EXPECT_EQ(rec.events, Events{"click:chkHPD(0)"});
    EXPECT_EQ(tk.SetCheck(box, kGrayed), Status::Ok);
    EXPECT_EQ(tk.SetCheck(box, kUnchecked), Status::Ok);
    EXPECT_EQ(rec.events.size(), 3u);
    EXPECT_EQ(tk.SetCheck(box, 3), Status::OutOfRange);
    EXPECT_EQ(tk.GetCheck(box), kUnchecked);
    EXPECT_EQ(rec.events.size(), 3u);
}

TEST_F(ModelToolkitTest, UserClickTogglesAndGrayedBecomesChecked) {
    const ControlRef box = Elem(kChkWCEO, 0);
    EXPECT_EQ(tk.UserClickCheck(box), Status::Ok);
    EXPECT_EQ(tk.GetCheck(box), kChecked);
    EXPECT_EQ(tk.UserClickCheck(box), Status::Ok);
    EXPECT_EQ(tk.GetCheck(box), kUnchecked);
    ASSERT_EQ(tk.SetCheck(box, kGrayed), Status::Ok);
    EXPECT_EQ(tk.UserClickCheck(box), Status::Ok);
    EXPECT_EQ(tk.GetCheck(box), kChecked);
    EXPECT_EQ(rec.events.size(), 4u);
    EXPECT_EQ(tk.FocusedControl(), box);
}

TEST_F(ModelToolkitTest, NestedChangesInsideAHandlerRaiseNestedEvents) {
    // The handler of the first box sets both boxes back, as a refused write does.
    bool restoring = false;
    rec.onCheck = [&](const std::string& name, std::int16_t) {
        if (name != kChkWCEO || restoring) return;
        restoring = true;
        rec.events.push_back("restore-begin");
        tk.SetCheck(Elem(kChkWCEO, 0), kUnchecked);
        tk.SetCheck(Elem(kChkHPD, 0), kUnchecked);  // already clear: nothing
        rec.events.push_back("restore-end");
        restoring = false;
    };
    ASSERT_EQ(tk.UserClickCheck(Elem(kChkWCEO, 0)), Status::Ok);
    EXPECT_EQ(rec.events,
              (Events{"click:chkWCEO(0)", "restore-begin", "click:chkWCEO(0)", "restore-end"}));
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kUnchecked);
}

TEST_F(ModelToolkitTest, HiddenBoxOrHiddenWindowTakesNoUserClick) {
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.UserClickCheck(Elem(kChkHPD, 1)), Status::NotAllowed);
    ASSERT_EQ(tk.SetVisible(Ctl(kPicList), false), Status::Ok);
    EXPECT_EQ(tk.UserClickCheck(Elem(kChkHPD, 0)), Status::NotAllowed);
    EXPECT_TRUE(rec.events.empty());
}

TEST_F(ModelToolkitTest, NewElementIsAHiddenCopyOfElementZero) {
    const ControlRef first = Elem(kChkWCEO, 0);
    ASSERT_EQ(tk.SetCheck(first, kChecked), Status::Ok);
    ASSERT_EQ(tk.SetBackColor(first, 0x123456), Status::Ok);
    ASSERT_EQ(tk.SetFontName(first, "Arial"), Status::Ok);
    ASSERT_EQ(tk.SetTop(first, 9), Status::Ok);
    rec.events.clear();

    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    const ControlRef copy = Elem(kChkWCEO, 1);
    EXPECT_EQ(tk.GetVisible(copy), false);
    EXPECT_EQ(tk.GetLeft(copy), 386);
    EXPECT_EQ(tk.GetTop(copy), 9);
    EXPECT_EQ(tk.GetWidth(copy), 17);
    EXPECT_EQ(tk.GetHeight(copy), 17);
    EXPECT_EQ(tk.GetBackColor(copy), 0x123456u);
    EXPECT_EQ(tk.GetFontName(copy), "Arial");
    EXPECT_EQ(tk.GetCheck(copy), kChecked);
    EXPECT_TRUE(rec.events.empty()) << "creating a checked copy is no change of state";
    EXPECT_NE(tk.GetHwnd(copy), tk.GetHwnd(first));
    EXPECT_NE(tk.GetHwnd(copy), platform::Hwnd{});

    ASSERT_EQ(tk.CreateElement(kLblDisks, 1), Status::Ok);
    EXPECT_EQ(tk.GetCaption(Elem(kLblDisks, 1)), "Disk 0: ");
    EXPECT_EQ(tk.GetBackColor(Elem(kLblDisks, 1)), kRowColour);
}

TEST_F(ModelToolkitTest, ArrayElementsCreateAndDestroyByIndex) {
    EXPECT_EQ(tk.CreateElement(kLblDisks, 1), Status::Ok);
    EXPECT_EQ(tk.CreateElement(kLblDisks, 1), Status::AlreadyExists);
    EXPECT_EQ(tk.CreateElement(kLblDisks, -1), Status::OutOfRange);
    EXPECT_EQ(tk.CreateElement(kCmdClose, 1), Status::NoSuchControl);
    EXPECT_EQ(tk.CreateElement("nothing", 1), Status::NoSuchControl);
    EXPECT_EQ(tk.DestroyElement(kLblDisks, 0), Status::NotAllowed);
    EXPECT_EQ(tk.DestroyElement(kLblDisks, 2), Status::NoSuchControl);
    EXPECT_EQ(tk.DestroyElement(kLblDisks, 1), Status::Ok);
    EXPECT_EQ(tk.DestroyElement(kLblDisks, 1), Status::NoSuchControl);
    EXPECT_EQ(tk.GetCaption(Elem(kLblDisks, 1)), std::nullopt);
    EXPECT_EQ(tk.SetTop(Elem(kLblDisks, 1), 3), Status::NoSuchControl);
    EXPECT_EQ(tk.GetVisible(Elem(kLblDisks, 0)), true);
}

TEST_F(ModelToolkitTest, EnumerationKeepsCreationOrder) {
    ASSERT_EQ(tk.CreateElement(kLblDisks, 1), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    const std::vector<ControlRef> all = tk.Controls();
    ASSERT_EQ(all.size(), 13u);
    EXPECT_EQ(all.front(), Ctl(kPicListFrame));
    EXPECT_EQ(all[3], Elem(kChkHPD, 0));
    EXPECT_EQ(all[10], Ctl(kLblUsbDisks));
    EXPECT_EQ(all[11], Elem(kLblDisks, 1));
    EXPECT_EQ(all[12], Elem(kChkWCEO, 1));
}

TEST_F(ModelToolkitTest, PropertiesAKindLacksFail) {
    // Labels have no window handle, the scroll bar no font, boxes no caption.
    EXPECT_EQ(tk.GetHwnd(Elem(kLblDisks, 0)), std::nullopt);
    EXPECT_NE(tk.GetHwnd(Elem(kChkHPD, 0)), std::nullopt);
    EXPECT_EQ(tk.GetFontName(Ctl(kListVScroll)), std::nullopt);
    EXPECT_EQ(tk.SetFontName(Ctl(kListVScroll), "Arial"), Status::NoSuchProperty);
    EXPECT_EQ(tk.GetFontName(Elem(kLblDisks, 0)), kDefaultFontName);
    EXPECT_EQ(tk.SetCaption(Elem(kChkHPD, 0), "x"), Status::NoSuchProperty);
    EXPECT_EQ(tk.GetCheck(Ctl(kCmdClose)), std::nullopt);
    EXPECT_EQ(tk.SetScroll(Ctl(kPicList), ScrollField::Max, 3), Status::NoSuchProperty);
    EXPECT_FALSE(tk.GetProperty(Ctl(kListVScroll), "FontName").has_value());
    EXPECT_FALSE(tk.GetProperty(Elem(kLblDisks, 0), "Hwnd").has_value());
    EXPECT_FALSE(tk.GetProperty(Ctl(kCmdClose), "Nonsense").has_value());
    EXPECT_EQ(tk.GetProperty(Ctl(kCmdClose), "Caption"), PropertyValue(std::string("Close")));
    EXPECT_EQ(tk.GetProperty(Ctl(kListVScroll), "Max"), PropertyValue(std::int32_t{32767}));
    EXPECT_EQ(tk.GetProperty(Elem(kChkHPD, 0), "Value"), PropertyValue(std::int32_t{0}));
    EXPECT_EQ(tk.SetBackColor(Ctl(kPicList), 0x01000000), Status::OutOfRange);
    EXPECT_EQ(tk.SetBackColor(Ctl(kPicList), kButtonFace), Status::Ok);
    EXPECT_EQ(tk.SetHeight(Ctl(kPicList), -1), Status::OutOfRange);
    EXPECT_EQ(tk.GetHeight(Ctl(kPicList)), 117);
}

TEST_F(ModelToolkitTest, ScrollRangeIs16BitAndMayRunBackwards) {
    const ControlRef bar = Ctl(kListVScroll);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Max, 32768), Status::OutOfRange);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Min, -32769), Status::OutOfRange);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Max), 32767);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Min, -32768), Status::Ok);
    EXPECT_TRUE(rec.events.empty());

    // Minimum -4, maximum -233: the value 0 lies outside and moves to -4.
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::Min, -4), Status::Ok);
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::Max, -233), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), -4);
    EXPECT_EQ(rec.events, Events{"scroll:ListVScroll"});
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Value, 0), Status::OutOfRange);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Value, -100), Status::Ok);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::Value, -100), Status::Ok);
    EXPECT_EQ(rec.events.size(), 2u);

    // Down the bar runs from the minimum towards the maximum.
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::SmallChange, 17), Status::Ok);
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::LargeChange, 259), Status::Ok);
    EXPECT_EQ(tk.UserScrollStep(kListVScroll, ScrollAction::LineDown), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), -117);
    EXPECT_EQ(tk.UserScrollStep(kListVScroll, ScrollAction::PageDown), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), -233);
    EXPECT_EQ(tk.UserScrollStep(kListVScroll, ScrollAction::PageDown), Status::Ok);
    EXPECT_EQ(rec.events.size(), 4u) << "a step at the end changes nothing";
    EXPECT_EQ(tk.UserScroll(kListVScroll, 500), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), -4);
    EXPECT_EQ(tk.SetScroll(bar, ScrollField::SmallChange, 0), Status::OutOfRange);
}

TEST_F(ModelToolkitTest, SixteenRowsRange) {
    const ControlRef bar = Ctl(kListVScroll);
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::Min, -4), Status::Ok);
    ASSERT_EQ(tk.SetScroll(bar, ScrollField::Max, 5), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), 0);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(tk.UserScrollStep(kListVScroll, ScrollAction::LineDown), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), 1);
    EXPECT_EQ(tk.UserScrollStep(kListVScroll, ScrollAction::PageUp), Status::Ok);
    EXPECT_EQ(tk.GetScroll(bar, ScrollField::Value), 0);
    EXPECT_EQ(rec.events.size(), 2u);
}

// Holds nest: only the first holds painting back and only the last lets go;
// a new element does not inherit element 0's hold.
TEST_F(ModelToolkitTest, RedrawHoldsNestAndALooseResumeIsRefused) {
    ASSERT_EQ(tk.SuspendRedraw(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.SuspendRedraw(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 1)), Status::NotAllowed);
    ASSERT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_EQ(tk.RedrawReleaseCount(), 0);
    ASSERT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_EQ(tk.RedrawHoldCount(), 1);
    EXPECT_EQ(tk.RedrawReleaseCount(), 1);
    EXPECT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 0)), Status::NotAllowed);
    EXPECT_EQ(tk.SuspendRedraw(Ctl("nothing")), Status::NoSuchControl);
}

TEST_F(ModelToolkitTest, KeysButtonsAndMessages) {
    EXPECT_EQ(tk.UserKeyDown(kKeyF5, kShiftBit), Status::Ok);
    EXPECT_EQ(tk.UserClickButton(kCmdClose), Status::Ok);
    EXPECT_EQ(tk.UserClickButton(kLblAbout), Status::NoSuchProperty);
    EXPECT_EQ(rec.events, (Events{"key:116:1", "button:cmdClose"}));
    EXPECT_EQ(tk.ShowMessage("error", 0), Status::Ok);
    ASSERT_EQ(tk.Messages().size(), 1u);
    EXPECT_EQ(tk.Messages()[0], (RecordedMessage{"error", "Plumvane", 0}));
}

TEST_F(ModelToolkitTest, TimersFireOnceInTheOrderTheyComeDueAsTheClockMoves) {
    ASSERT_EQ(tk.StartTimer(1, 300), Status::Ok);
    ASSERT_EQ(tk.StartTimer(2, 100), Status::Ok);
    ASSERT_EQ(tk.StartTimer(3, 500), Status::Ok);
    ASSERT_EQ(tk.StartTimer(4, 100), Status::Ok);
    ASSERT_EQ(tk.StopTimer(3), Status::Ok);
    EXPECT_EQ(tk.StopTimer(9), Status::Ok);
    tk.AdvanceClock(99);
    EXPECT_TRUE(rec.events.empty());
    ASSERT_EQ(tk.StartTimer(4, 100), Status::Ok);  // restarted: due at 199 now
    tk.AdvanceClock(1000);
    EXPECT_EQ(rec.events, (Events{"timer:2", "timer:4", "timer:1"}));
    tk.AdvanceClock(1000);
    EXPECT_EQ(rec.events.size(), 3u);
    EXPECT_EQ(tk.Now(), 2099u);
}

// A timer started by a handler for 0 ms fires when the action has returned,
// not inside the handler; one started for later waits for the clock.
TEST_F(ModelToolkitTest, ATimerStartedInAnEventFiresAfterTheAction) {
    rec.onCheck = [this](const std::string&, std::int16_t) {
        tk.StartTimer(7, 0);
        tk.StartTimer(8, 10);
        rec.events.push_back("handler done");
    };
    ASSERT_EQ(tk.UserClickCheck(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_EQ(rec.events, (Events{"click:chkHPD(0)", "handler done", "timer:7"}));
    rec.onTimer = [this](std::uint32_t id) {
        if (id == 8) tk.StartTimer(8, 10);  // a timer restarted in its own event
    };
    tk.AdvanceClock(35);
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "timer:8"), 3);
}

TEST_F(ModelToolkitTest, DeviceChangesReachTheOpenWindowOnly) {
    const DeviceChange arrived{DeviceEvent::Arrival, DeviceKind::Volume};
    EXPECT_EQ(tk.SystemDeviceChange(arrived), Status::Ok);
    ASSERT_EQ(tk.StartTimer(1, 10), Status::Ok);
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_EQ(tk.SystemDeviceChange(arrived), Status::NoWindow);
    EXPECT_EQ(tk.StartTimer(1, 10), Status::NoWindow);
    tk.AdvanceClock(100);
    EXPECT_EQ(rec.events, Events{"device:arrival:volume"});
}

TEST_F(ModelToolkitTest, TabGoesThroughTheButtonAndBoxesInTabOrderSkippingHiddenOnes) {
    ASSERT_EQ(tk.FocusedControl(), Ctl(kCmdClose));
    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkWCEO, 1), true), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 1), true), Status::Ok);
    // Panes and the scroll bar are no stops: a key could do nothing there.
    const ControlRef order[] = {Elem(kChkWCEO, 0), Elem(kChkHPD, 0), Elem(kChkWCEO, 1),
                                Elem(kChkHPD, 1), Ctl(kCmdClose)};
    for (const ControlRef& next : order) {
        ASSERT_EQ(tk.UserKeyDown(kKeyTab), Status::Ok);
        EXPECT_EQ(tk.FocusedControl(), next);
    }
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 1), false), Status::Ok);
    ASSERT_EQ(tk.UserKeyDown(kKeyTab, kShiftBit), Status::Ok);
    EXPECT_EQ(tk.FocusedControl(), Elem(kChkWCEO, 1));
    // A pane still takes the focus when asked; Tab goes on from it to a stop.
    ASSERT_EQ(tk.Focus(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.UserKeyDown(kKeyTab), Status::Ok);
    EXPECT_EQ(tk.FocusedControl(), Ctl(kCmdClose));
    EXPECT_EQ(tk.Focus(Ctl(kLblAbout)), Status::NotAllowed);
}

TEST_F(ModelToolkitTest, SpaceAndReturnWorkTheFocusedControlAfterTheWindowSawThem) {
    struct Case {
        ControlRef focus;
        std::int16_t key;
        Events events;
    };
    const Case cases[] = {
        {Elem(kChkWCEO, 0), kKeySpace, {"key:32:0", "click:chkWCEO(0)"}},
        {Elem(kChkWCEO, 0), kKeyReturn, {"key:13:0"}},
        {Ctl(kCmdClose), kKeySpace, {"key:32:0", "button:cmdClose"}},
        {Ctl(kCmdClose), kKeyReturn, {"key:13:0", "button:cmdClose"}},
        {Ctl(kListVScroll), kKeySpace, {"key:32:0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RefText(c.focus) + " key " + std::to_string(c.key));
        rec.events.clear();
        ASSERT_EQ(tk.Focus(c.focus), Status::Ok);
        ASSERT_EQ(tk.UserKeyDown(c.key), Status::Ok);
        EXPECT_EQ(rec.events, c.events);
    }
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kChecked);
    // A focused box that was hidden meanwhile takes no key.
    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 0), false), Status::Ok);
    ASSERT_EQ(tk.UserKeyDown(kKeySpace), Status::Ok);
    EXPECT_EQ(tk.GetCheck(Elem(kChkHPD, 0)), kUnchecked);
}

TEST_F(ModelToolkitTest, AccessibleNameIsACheckBoxPropertyCopiedToNewElements) {
    EXPECT_EQ(tk.GetAccessibleName(Elem(kChkHPD, 0)), "");
    ASSERT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 0), "Disk 3 DeviceHotplug"), Status::Ok);
    EXPECT_EQ(tk.GetProperty(Elem(kChkHPD, 0), "AccessibleName"),
              PropertyValue(std::string("Disk 3 DeviceHotplug")));
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.GetAccessibleName(Elem(kChkHPD, 1)), "Disk 3 DeviceHotplug");
    EXPECT_EQ(tk.SetAccessibleName(Ctl(kCmdClose), "Close"), Status::NoSuchProperty);
    EXPECT_EQ(tk.GetAccessibleName(Elem(kLblDisks, 0)), std::nullopt);
    EXPECT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 9), "x"), Status::NoSuchControl);
}

TEST_F(ModelToolkitTest, UnloadEndsEveryOperationButKeepsTheRecord) {
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_FALSE(tk.IsOpen());
    EXPECT_EQ(tk.SetCheck(Elem(kChkHPD, 0), kChecked), Status::NoWindow);
    EXPECT_EQ(tk.GetCaption(Ctl(kCmdClose)), std::nullopt);
    EXPECT_EQ(tk.WindowHwnd(), std::nullopt);
    EXPECT_TRUE(tk.Controls().empty());
    EXPECT_EQ(tk.UserKeyDown(kKeyF5), Status::NoWindow);
    EXPECT_EQ(tk.Unload(), Status::NoWindow);
    EXPECT_EQ(tk.Inspect().size(), 11u);
    EXPECT_TRUE(rec.events.empty());
}

TEST_F(ModelToolkitTest, HandlerDestroyingElementsDuringAnEventIsSafe) {
    // A handler that rebuilds rows while the event that called it is running.
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    for (std::int16_t i = 2; i < 40; ++i) ASSERT_EQ(tk.CreateElement(kLblDisks, i), Status::Ok);
    rec.onCheck = [&](const std::string&, std::int16_t index) {
        if (index != 1) return;
        tk.DestroyElement(kChkHPD, 1);
        for (std::int16_t i = 40; i < 80; ++i) tk.CreateElement(kLblDisks, i);
    };
    EXPECT_EQ(tk.SetCheck(Elem(kChkHPD, 1), kChecked), Status::Ok);
    EXPECT_EQ(tk.GetCheck(Elem(kChkHPD, 1)), std::nullopt);
}

}  // namespace
}  // namespace plumvane::ui
