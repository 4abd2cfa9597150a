#pragma once
// The rules both toolkits keep, written once against Toolkit and the user's
// actions of a session (app::UserDriver): ModelToolkitTests.cpp runs them on
// the in-memory toolkit, Win32ToolkitTests_win.cpp on real windows under Wine.
// What only one realisation can show (window messages, the model's counters)
// stays in that file.
//
// A rig holds a toolkit `tk` and the driver `user` that works it as a user
// would; Settle() handles what the toolkit still has to deliver.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Actions.h"
#include "ui/EventRecorder.h"
#include "ui/FormDesign.h"

namespace plumvane::ui::testing {

template <typename Rig>
class ToolkitRulesTest : public ::testing::Test {
protected:
    using Events = std::vector<std::string>;
    void SetUp() override {
        ASSERT_EQ(CreateFromDesign(rig.tk, MainFormDesign()), Status::Ok)
            << "no window (under Wine this needs an X display)";
        rig.tk.SetEventSink(&rec);
        ASSERT_EQ(rig.tk.Show(), Status::Ok);
        rig.Settle();
    }
    Rig rig;
    Toolkit& tk = rig.tk;
    app::UserDriver& user = rig.user;
    EventRecorder rec;
};

TYPED_TEST_SUITE_P(ToolkitRulesTest);

TYPED_TEST_P(ToolkitRulesTest, ProgramChangeRaisesOneClickAndSameStateNone) {
    Toolkit& tk = this->tk;
    auto& events = this->rec.events;
    const ControlRef box = Elem(kChkHPD, 0);
    EXPECT_EQ(tk.SetCheck(box, kChecked), Status::Ok);
    EXPECT_EQ(tk.SetCheck(box, kChecked), Status::Ok);
    EXPECT_EQ(events, std::vector<std::string>{"click:chkHPD(0)"});
    EXPECT_EQ(tk.SetCheck(box, kGrayed), Status::Ok);
    EXPECT_EQ(tk.SetCheck(box, kUnchecked), Status::Ok);
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(tk.SetCheck(box, 3), Status::OutOfRange);
    EXPECT_EQ(tk.GetCheck(box), kUnchecked);
    EXPECT_EQ(events.size(), 3u);
}

TYPED_TEST_P(ToolkitRulesTest, UserClickTogglesAndGrayedBecomesChecked) {
    Toolkit& tk = this->tk;
    const ControlRef box = Elem(kChkWCEO, 0);
    EXPECT_TRUE(this->user.ClickCheck(kChkWCEO, 0));
    EXPECT_EQ(tk.GetCheck(box), kChecked);
    EXPECT_TRUE(this->user.ClickCheck(kChkWCEO, 0));
    EXPECT_EQ(tk.GetCheck(box), kUnchecked);
    ASSERT_EQ(tk.SetCheck(box, kGrayed), Status::Ok);
    EXPECT_TRUE(this->user.ClickCheck(kChkWCEO, 0));
    EXPECT_EQ(tk.GetCheck(box), kChecked);
    EXPECT_EQ(this->rec.events.size(), 4u);
}

TYPED_TEST_P(ToolkitRulesTest, NestedChangesInsideAHandlerRaiseNestedEvents) {
    Toolkit& tk = this->tk;
    auto& events = this->rec.events;
    // The handler of the first box sets both boxes back, as a refused write does.
    bool restoring = false;
    this->rec.onCheck = [&](const std::string& name, std::int16_t) {
        if (name != kChkWCEO || restoring) return;
        restoring = true;
        events.push_back("restore-begin");
        tk.SetCheck(Elem(kChkWCEO, 0), kUnchecked);
        tk.SetCheck(Elem(kChkHPD, 0), kUnchecked);  // already clear: nothing
        events.push_back("restore-end");
        restoring = false;
    };
    ASSERT_TRUE(this->user.ClickCheck(kChkWCEO, 0));
    EXPECT_EQ(events, (std::vector<std::string>{"click:chkWCEO(0)", "restore-begin",
                                                "click:chkWCEO(0)", "restore-end"}));
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kUnchecked);
}

TYPED_TEST_P(ToolkitRulesTest, SpaceAndReturnWorkTheFocusedControlAfterTheWindowSawThem) {
    Toolkit& tk = this->tk;
    struct Case {
        ControlRef focus;
        std::int16_t key;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {Elem(kChkWCEO, 0), kKeySpace, {"key:32:0", "click:chkWCEO(0)"}},
        {Elem(kChkWCEO, 0), kKeyReturn, {"key:13:0"}},
        {Elem(kChkHPD, 0), kKeyEscape, {"key:27:0"}},
        {Ctl(kCmdClose), kKeySpace, {"key:32:0", "button:cmdClose"}},
        {Ctl(kCmdClose), kKeyReturn, {"key:13:0", "button:cmdClose"}},
        {Ctl(kListVScroll), kKeySpace, {"key:32:0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RefText(c.focus) + " key " + std::to_string(c.key));
        ASSERT_EQ(tk.Focus(c.focus), Status::Ok);
        this->rig.Settle();
        this->rec.events.clear();
        ASSERT_TRUE(this->user.KeyDown(c.key, 0));
        EXPECT_EQ(this->rec.events, c.events);
    }
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kChecked);
}

TYPED_TEST_P(ToolkitRulesTest, NewElementIsAHiddenCopyOfElementZeroAndDestroyedByIndex) {
    Toolkit& tk = this->tk;
    const ControlRef first = Elem(kChkWCEO, 0);
    ASSERT_EQ(tk.SetCheck(first, kChecked), Status::Ok);
    ASSERT_EQ(tk.SetBackColor(first, 0xF8F8F8), Status::Ok);
    ASSERT_EQ(tk.SetTop(first, 9), Status::Ok);
    this->rec.events.clear();

    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    const ControlRef copy = Elem(kChkWCEO, 1);
    EXPECT_EQ(tk.GetVisible(copy), false);
    EXPECT_EQ(tk.GetLeft(copy), tk.GetLeft(first));
    EXPECT_EQ(tk.GetTop(copy), 9);
    EXPECT_EQ(tk.GetWidth(copy), tk.GetWidth(first));
    EXPECT_EQ(tk.GetHeight(copy), tk.GetHeight(first));
    EXPECT_EQ(tk.GetBackColor(copy), 0xF8F8F8u);
    EXPECT_EQ(tk.GetCheck(copy), kChecked);
    EXPECT_TRUE(this->rec.events.empty()) << "creating a checked copy is no change of state";
    EXPECT_NE(tk.GetHwnd(copy), tk.GetHwnd(first));
    EXPECT_NE(tk.GetHwnd(copy), platform::Hwnd{});

    EXPECT_EQ(tk.SetTop(copy, 17), Status::Ok);
    EXPECT_EQ(tk.GetTop(copy), 17);
    EXPECT_EQ(tk.DestroyElement(kChkWCEO, 0), Status::NotAllowed);
    EXPECT_EQ(tk.DestroyElement(kChkWCEO, 1), Status::Ok);
    EXPECT_EQ(tk.DestroyElement(kChkWCEO, 1), Status::NoSuchControl);
    EXPECT_EQ(tk.GetCheck(copy), std::nullopt);
}

TYPED_TEST_P(ToolkitRulesTest, AccessibleNameIsACheckBoxPropertyCopiedToNewElements) {
    Toolkit& tk = this->tk;
    EXPECT_EQ(tk.GetAccessibleName(Elem(kChkHPD, 0)), "");
    ASSERT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 0), "Disk 3 DeviceHotplug"), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.GetAccessibleName(Elem(kChkHPD, 1)), "Disk 3 DeviceHotplug");
    EXPECT_EQ(tk.SetAccessibleName(Ctl(kCmdClose), "Close"), Status::NoSuchProperty);
    EXPECT_EQ(tk.GetAccessibleName(Elem(kLblDisks, 0)), std::nullopt);
    EXPECT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 9), "x"), Status::NoSuchControl);
}

// Holds nest: only the first holds painting back and only the last lets go;
// a new element does not inherit element 0's hold.
TYPED_TEST_P(ToolkitRulesTest, RedrawHoldsNestAndALooseResumeIsRefused) {
    Toolkit& tk = this->tk;
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    EXPECT_EQ(tk.ResumeRedraw(Elem(kChkHPD, 1)), Status::NotAllowed);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::NotAllowed);
    EXPECT_EQ(tk.SuspendRedraw(Ctl("nothing")), Status::NoSuchControl);
}

TYPED_TEST_P(ToolkitRulesTest, CloseClickAndUnloadEndEveryOperation) {
    Toolkit& tk = this->tk;
    ASSERT_TRUE(this->user.ClickClose());
    EXPECT_EQ(this->rec.events, std::vector<std::string>{"button:cmdClose"});
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_FALSE(tk.IsOpen());
    EXPECT_EQ(tk.SetCheck(Elem(kChkHPD, 0), kChecked), Status::NoWindow);
    EXPECT_EQ(tk.GetCaption(Ctl(kCmdClose)), std::nullopt);
    EXPECT_EQ(tk.WindowHwnd(), std::nullopt);
    EXPECT_TRUE(tk.Controls().empty());
    EXPECT_EQ(tk.Unload(), Status::NoWindow);
    EXPECT_EQ(this->rec.events.size(), 1u);
}

REGISTER_TYPED_TEST_SUITE_P(ToolkitRulesTest, ProgramChangeRaisesOneClickAndSameStateNone,
                            UserClickTogglesAndGrayedBecomesChecked,
                            NestedChangesInsideAHandlerRaiseNestedEvents,
                            SpaceAndReturnWorkTheFocusedControlAfterTheWindowSawThem,
                            NewElementIsAHiddenCopyOfElementZeroAndDestroyedByIndex,
                            AccessibleNameIsACheckBoxPropertyCopiedToNewElements,
                            RedrawHoldsNestAndALooseResumeIsRefused,
                            CloseClickAndUnloadEndEveryOperation);

}  // namespace plumvane::ui::testing
