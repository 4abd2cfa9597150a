// The toolkit's rules on the in-memory realisation: the rules both toolkits
// keep (ToolkitRules.h), then the model's own: control arrays, the 16-bit
// scroll bar, properties by kind, its clock and its counters.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/ModelSession.h"
#include "ui/EventRecorder.h"
#include "ui/FormDesign.h"
#include "ui/ModelToolkit.h"
#include "ui/ToolkitRules.h"

namespace plumvane::ui::testing {

struct ModelRig {
    ModelToolkit tk;
    app::ModelUserDriver user{tk};
    void Settle() {}
};
INSTANTIATE_TYPED_TEST_SUITE_P(Model, ToolkitRulesTest, ModelRig);

}  // namespace plumvane::ui::testing

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

TEST_F(ModelToolkitTest, AUserClickFocusesTheBox) {
    const ControlRef box = Elem(kChkWCEO, 0);
    EXPECT_EQ(tk.UserClickCheck(box), Status::Ok);
    EXPECT_EQ(tk.FocusedControl(), box);
}

TEST_F(ModelToolkitTest, HiddenBoxOrHiddenWindowTakesNoUserClick) {
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.UserClickCheck(Elem(kChkHPD, 1)), Status::NotAllowed);
    ASSERT_EQ(tk.SetVisible(Ctl(kPicList), false), Status::Ok);
    EXPECT_EQ(tk.UserClickCheck(Elem(kChkHPD, 0)), Status::NotAllowed);
    EXPECT_TRUE(rec.events.empty());
}

// The rest of a copy's rules are the shared suite's (ToolkitRules.h).
TEST_F(ModelToolkitTest, NewElementTakesElementZerosDesignFontAndCaption) {
    const ControlRef first = Elem(kChkWCEO, 0);
    ASSERT_EQ(tk.SetFontName(first, "Arial"), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    const ControlRef copy = Elem(kChkWCEO, 1);
    EXPECT_EQ(tk.GetLeft(copy), 386);
    EXPECT_EQ(tk.GetWidth(copy), 17);
    EXPECT_EQ(tk.GetHeight(copy), 17);
    EXPECT_EQ(tk.GetFontName(copy), "Arial");

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
    EXPECT_EQ(tk.GetCaption(Ctl(kCmdClose)), "Close");
    EXPECT_EQ(tk.GetScroll(Ctl(kListVScroll), ScrollField::Max), 32767);
    EXPECT_EQ(tk.GetCheck(Elem(kChkHPD, 0)), kUnchecked);
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

TEST_F(ModelToolkitTest, ARangeAroundTheValueKeepsItAndStepsMoveByTheChanges) {
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

// How often painting was held back and let go: one hold however deeply nested.
TEST_F(ModelToolkitTest, NestedHoldsCountOnce) {
    ASSERT_EQ(tk.SuspendRedraw(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.SuspendRedraw(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_EQ(tk.RedrawReleaseCount(), 0);
    ASSERT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 0)), Status::Ok);
    EXPECT_EQ(tk.RedrawHoldCount(), 1);
    EXPECT_EQ(tk.RedrawReleaseCount(), 1);
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

TEST_F(ModelToolkitTest, AFocusedBoxHiddenMeanwhileTakesNoKey) {
    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 0)), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 0), false), Status::Ok);
    ASSERT_EQ(tk.UserKeyDown(kKeySpace), Status::Ok);
    EXPECT_EQ(tk.GetCheck(Elem(kChkHPD, 0)), kUnchecked);
}

// Unload's other rules are the shared suite's.
TEST_F(ModelToolkitTest, UnloadEndsUserActionsButKeepsTheRecord) {
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_EQ(tk.UserKeyDown(kKeyF5), Status::NoWindow);
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
