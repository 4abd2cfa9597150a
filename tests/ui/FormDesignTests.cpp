// The main window's design, created on the in-memory toolkit.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/DesignPixels.h"
#include "ui/FormDesign.h"
#include "ui/ModelToolkit.h"

namespace plumvane::ui {
namespace {

TEST(TwipsToPixels, RoundsToTheNearestPixel) {
    EXPECT_EQ(TwipsToPixels(1235, 96), 82);  // 82 1/3
    EXPECT_EQ(TwipsToPixels(8850, 96), 590);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
    EXPECT_EQ(TwipsToPixels(-8, 96), -1);
    EXPECT_EQ(TwipsToPixels(255, 120), 21);    // 21.25
    EXPECT_EQ(TwipsToPixels(1235, 144), 124);  // 123.5 rounds up
}

TEST(MainFormDesign, CreatesElevenControlsAtTheirPixelsAt96Dpi) {
    ModelToolkit tk(96);
    ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
    const auto& expected = testing::DesignAt96Dpi();
    ASSERT_EQ(tk.Inspect().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ModelControl& c = tk.Inspect()[i];
        const testing::DesignPixels& e = expected[i];
        SCOPED_TRACE(RefText(e.ref));
        EXPECT_EQ(c.Ref(), e.ref);
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(c.parent, e.parent);
        EXPECT_EQ(std::tie(c.left, c.top, c.width, c.height),
                  std::tie(e.left, e.top, e.width, e.height));
        EXPECT_TRUE(c.visible);
        EXPECT_EQ(c.fontName, c.kind == ControlKind::VScrollBar ? "" : kDefaultFontName);
    }
    EXPECT_EQ(tk.ClientSize(), (std::pair{590, 319}));
    EXPECT_EQ(tk.GetWindowCaption(), "Plumvane");
    EXPECT_EQ(tk.InsideSize(Ctl(kPicListFrame)), (std::pair{581, 259}));
    EXPECT_EQ(tk.InsideSize(Ctl(kPicList)), (std::pair{558, 117}));
}

TEST(MainFormDesign, StartsWithRowZeroClearAndCloseFocused) {
    ModelToolkit tk;
    ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
    EXPECT_FALSE(tk.IsShown());
    EXPECT_EQ(tk.GetCaption(Elem(kLblDisks, 0)), "Disk 0: ");
    EXPECT_EQ(tk.GetBackColor(Elem(kLblDisks, 0)), kRowColour);
    EXPECT_EQ(tk.GetBackColor(Ctl(kPicList)), kButtonFace);
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kUnchecked);
    EXPECT_EQ(tk.GetCheck(Elem(kChkHPD, 0)), kUnchecked);
    EXPECT_EQ(tk.GetCaption(Ctl(kCmdClose)), "Close");
    EXPECT_EQ(tk.GetCaption(Ctl(kLblWCEO)), "WriteCacheEnableOverride");
    EXPECT_EQ(tk.GetCaption(Ctl(kLblHPD)), "DeviceHotplug");
    EXPECT_EQ(tk.GetCaption(Ctl(kLblUsbDisks)), "USB disks:");
    EXPECT_EQ(tk.GetCaption(Ctl(kLblAbout)), "");
    EXPECT_EQ(tk.FocusedControl(), Ctl(kCmdClose));
    const ScrollSettings defaults{0, 32767, 1, 1, 0};
    EXPECT_EQ(tk.Find(Ctl(kListVScroll))->scroll, defaults);
}

TEST(MainFormDesign, ScalesWithTheDpi) {
    ModelToolkit tk(120);
    ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
    EXPECT_EQ(tk.ClientSize(), (std::pair{738, 399}));  // 737.5 and 398.75
    EXPECT_EQ(tk.GetHeight(Elem(kLblDisks, 0)), 21);
}

TEST(MainFormDesign, SecondCreationOnTheSameToolkitFails) {
    ModelToolkit tk;
    ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
    EXPECT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::AlreadyExists);
    EXPECT_EQ(tk.Inspect().size(), 11u);
}

}  // namespace
}  // namespace plumvane::ui
