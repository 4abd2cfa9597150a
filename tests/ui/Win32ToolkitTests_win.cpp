// The toolkit on real Win32 windows, run under Wine: the rules both toolkits
// keep (ToolkitRules.h), then what only real windows show: the design's
// rectangles, the events raised from Win32 notifications, key preview, the
// keyboard and the names screen readers get.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>

#include "app/Win32Session.h"
#include "platform/GdiOwners_win.h"
#include "ui/DesignPixels.h"
#include "ui/EventRecorder.h"
#include "ui/FormDesign.h"
#include "ui/ToolkitRules.h"
#include "ui/Win32Toolkit.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h, which it needs
#include <dbt.h>
// after windows.h; defines the accessibility ids in this file
#include <initguid.h>
#include <oleacc.h>

#include "platform/DevicePaths.h"

namespace plumvane::ui::testing {

struct Win32Rig {
    Win32Toolkit tk;
    app::Win32UserDriver user{tk};
    void Settle() { tk.PumpMessages(); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ToolkitRulesTest, Win32Rig);

}  // namespace plumvane::ui::testing

namespace plumvane::ui {
namespace {

using testing::EventRecorder;
using Events = std::vector<std::string>;

HWND H(platform::Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }

class Win32ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok)
            << "no window: under Wine this needs an X display (DISPLAY)";
        tk.SetEventSink(&rec);
    }
    void ShowAndSettle() {
        ASSERT_EQ(tk.Show(), Status::Ok);
        tk.PumpMessages();
    }
    HWND Native(const ControlRef& ref) { return H(tk.NativeHandle(ref).value()); }
    // The control's rectangle in its parent's client coordinates.
    std::tuple<int, int, int, int> RectOf(const ControlRef& ref) {
        HWND h = Native(ref);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    Win32Toolkit tk;
    EventRecorder rec;
};

TEST_F(Win32ToolkitTest, DesignControlsStandAtTheirPixelRectanglesAt96Dpi) {
    if (tk.Dpi() != 96) GTEST_SKIP() << "screen is at " << tk.Dpi() << " DPI";
    HWND window = H(tk.WindowHwnd().value());
    for (const testing::DesignPixels& row : testing::DesignAt96Dpi()) {
        SCOPED_TRACE(RefText(row.ref));
        EXPECT_EQ(RectOf(row.ref), std::tuple(row.left, row.top, row.width, row.height));
        HWND parent = *row.parent ? Native(Ctl(row.parent)) : window;
        EXPECT_EQ(GetParent(Native(row.ref)), parent);
    }
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(590L, 319L));
    GetClientRect(Native(Ctl(kPicListFrame)), &client);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(581L, 259L));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
}

TEST_F(Win32ToolkitTest, ControlsAreTheStandardWindowClasses) {
    char cls[64];
    GetClassNameA(Native(Elem(kLblDisks, 0)), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "Static");
    GetClassNameA(Native(Elem(kChkHPD, 0)), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "Button");
    GetClassNameA(Native(Ctl(kListVScroll)), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "ScrollBar");
    EXPECT_NE(GetWindowLongW(Native(Ctl(kListVScroll)), GWL_STYLE) & SBS_VERT, 0);
    char text[32];
    GetWindowTextA(Native(Elem(kLblDisks, 0)), text, sizeof text);
    EXPECT_STREQ(text, "Disk 0: ");
    // Labels are windows here but report none, as the form expects.
    EXPECT_EQ(tk.GetHwnd(Elem(kLblDisks, 0)), std::nullopt);
    EXPECT_EQ(tk.GetHwnd(Ctl(kCmdClose)), tk.NativeHandle(Ctl(kCmdClose)));
}

TEST_F(Win32ToolkitTest, DefaultFontIsMsSansSerifAndAFaceChangeReachesTheWindow) {
    const auto faceOf = [&](const ControlRef& ref) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(Native(ref), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        if (!font || !GetObjectA(font, sizeof lf, &lf)) return std::string("(none)");
        return std::string(lf.lfFaceName);
    };
    EXPECT_EQ(faceOf(Ctl(kCmdClose)), "MS Sans Serif");
    EXPECT_EQ(tk.GetFontName(Ctl(kCmdClose)), "MS Sans Serif");
    ASSERT_EQ(tk.SetFontName(Ctl(kCmdClose), "Microsoft Sans Serif"), Status::Ok);
    EXPECT_EQ(faceOf(Ctl(kCmdClose)), "Microsoft Sans Serif");
    EXPECT_EQ(faceOf(Elem(kLblDisks, 0)), "MS Sans Serif");
    EXPECT_EQ(tk.SetFontName(Ctl(kListVScroll), "Arial"), Status::NoSuchProperty);
}

// The toolkit's side of a click is the shared suite's; here the window's own
// messages.
TEST_F(Win32ToolkitTest, BmClickAndBmSetCheckEachRaiseOneClick) {
    ShowAndSettle();
    HWND box = Native(Elem(kChkWCEO, 0));
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(rec.events, Events{"click:chkWCEO(0)"});
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kChecked);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);

    // BM_SETCHECK from any code counts as a change; the same state does not.
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(rec.events.size(), 1u);
    SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(rec.events.size(), 2u);
    EXPECT_EQ(tk.GetCheck(Elem(kChkWCEO, 0)), kUnchecked);
}

TEST_F(Win32ToolkitTest, ABoxSetBackInsideItsClickHandlerShowsTheStateItWasSetTo) {
    ShowAndSettle();
    rec.onCheck = [&](const std::string&, std::int16_t) {
        if (tk.GetCheck(Elem(kChkWCEO, 0)) == kChecked) tk.SetCheck(Elem(kChkWCEO, 0), kUnchecked);
    };
    SendMessageW(Native(Elem(kChkWCEO, 0)), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(Native(Elem(kChkWCEO, 0)), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Win32ToolkitTest, F5OnAFocusedCheckBoxReachesTheWindowFirst) {
    ShowAndSettle();
    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 0)), Status::Ok);
    HWND box = Native(Elem(kChkHPD, 0));
    EXPECT_EQ(GetFocus(), box);
    PostMessageW(box, WM_KEYDOWN, VK_F5, 1);
    tk.PumpMessages();
    EXPECT_EQ(rec.events, Events{"key:116:0"});
    // A sent key goes the same way, and so does one on the pane or the window.
    SendMessageW(Native(Ctl(kPicList)), WM_KEYDOWN, VK_F5, 1);
    SendMessageW(H(tk.WindowHwnd().value()), WM_SYSKEYDOWN, VK_F5, 1);
    EXPECT_EQ(rec.events.size(), 3u);
}

// A key pressed and released on the window that has the focus, as the
// keyboard sends it.
void PressKey(HWND focus, WPARAM key) {
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

TEST_F(Win32ToolkitTest, TabGoesThroughTheButtonAndEveryRowsBoxesBothWays) {
    for (const char* box : {kChkWCEO, kChkHPD}) {
        ASSERT_EQ(tk.CreateElement(box, 1), Status::Ok);
        ASSERT_EQ(tk.SetVisible(Elem(box, 1), true), Status::Ok);
    }
    ShowAndSettle();
    EXPECT_EQ(tk.FocusedControl(), Ctl(kCmdClose));
    const ControlRef cycle[] = {Ctl(kCmdClose), Elem(kChkWCEO, 0), Elem(kChkHPD, 0),
                                Elem(kChkWCEO, 1), Elem(kChkHPD, 1)};
    constexpr int n = static_cast<int>(std::size(cycle));
    for (int i = 1; i <= n; ++i) {
        PressKey(GetFocus(), VK_TAB);
        tk.PumpMessages();
        EXPECT_EQ(GetFocus(), Native(cycle[i % n])) << i;
    }
    BYTE keys[256];
    ASSERT_TRUE(GetKeyboardState(keys));
    keys[VK_SHIFT] = 0x80;
    ASSERT_TRUE(SetKeyboardState(keys));
    for (int i = n - 1; i >= 0; --i) {
        PressKey(GetFocus(), VK_TAB);
        tk.PumpMessages();
        EXPECT_EQ(GetFocus(), Native(cycle[i])) << i;
    }
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "key:9:0"), n);
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "key:9:1"), n);
}

// Which keys work which control is the shared suite's; a key pressed as the
// keyboard sends it (down, then up) checks the real box.
TEST_F(Win32ToolkitTest, SpaceOnAFocusedBoxChecksTheRealBox) {
    ShowAndSettle();
    ASSERT_EQ(tk.Focus(Elem(kChkWCEO, 0)), Status::Ok);
    PressKey(Native(Elem(kChkWCEO, 0)), VK_SPACE);
    tk.PumpMessages();
    EXPECT_EQ(rec.events, (Events{"key:32:0", "click:chkWCEO(0)"}));
    EXPECT_EQ(SendMessageW(Native(Elem(kChkWCEO, 0)), BM_GETCHECK, 0, 0), BST_CHECKED);
}

// The name a screen reader gets for a window, through the accessibility
// interface; empty when it gets none.
std::wstring AccessibleNameOf(HWND h) {
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))) ||
        !acc) {
        return L"(no accessible object)";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT hr = acc->get_accName(self, &name);
    std::wstring text = SUCCEEDED(hr) && name ? std::wstring(name) : std::wstring();
    SysFreeString(name);
    acc->Release();
    return text;
}

// Whether this system's accessibility takes names set on a window (Wine 8's
// property service answers E_NOTIMPL).
bool SystemTakesAnnotations(HWND h) {
    IAccPropServices* service = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&service))) ||
        !service) {
        return false;
    }
    const HRESULT hr = service->SetHwndPropStr(h, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                               PROPID_ACC_HELP, L"probe");
    MSAAPROPID help = PROPID_ACC_HELP;
    service->ClearHwndProps(h, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &help, 1);
    service->Release();
    return hr == S_OK;
}

TEST_F(Win32ToolkitTest, ACheckBoxsAccessibleNameReachesScreenReadersAndShowsNothing) {
    ASSERT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 0), "Disk 3 DeviceHotplug"), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    ASSERT_EQ(tk.SetAccessibleName(Elem(kChkWCEO, 0), "Disk 3 WriteCacheEnableOverride"),
              Status::Ok);
    ShowAndSettle();
    // The boxes keep no text of their own that they could draw.
    EXPECT_EQ(GetWindowTextLengthW(Native(Elem(kChkHPD, 0))), 0);
    EXPECT_EQ(GetWindowTextLengthW(Native(Elem(kChkWCEO, 0))), 0);

    HWND box = Native(Elem(kChkHPD, 0));
    if (!SystemTakesAnnotations(Native(Elem(kChkHPD, 1)))) {
        GTEST_SKIP() << "this system's accessibility takes no names set on a window";
    }
    EXPECT_EQ(AccessibleNameOf(box), L"Disk 3 DeviceHotplug");
    EXPECT_EQ(AccessibleNameOf(Native(Elem(kChkHPD, 1))), L"Disk 3 DeviceHotplug");
    EXPECT_EQ(AccessibleNameOf(Native(Elem(kChkWCEO, 0))), L"Disk 3 WriteCacheEnableOverride");
    ASSERT_EQ(tk.SetAccessibleName(Elem(kChkHPD, 0), ""), Status::Ok);
    EXPECT_EQ(AccessibleNameOf(box), L"");
}

TEST_F(Win32ToolkitTest, ScrollLineDownRaisesOneChangeAndThumbTrackNone) {
    ShowAndSettle();
    HWND frame = Native(Ctl(kPicListFrame));
    HWND bar = Native(Ctl(kListVScroll));
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), reinterpret_cast<LPARAM>(bar));
    EXPECT_TRUE(rec.events.empty());
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(rec.events, Events{"scroll:ListVScroll"});
    EXPECT_EQ(tk.GetScroll(Ctl(kListVScroll), ScrollField::Value), 1);
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(bar));
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), reinterpret_cast<LPARAM>(bar));
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(rec.events.size(), 2u) << "a step past the end is no change";

    // The thumb let go at position 120 after a drag: one change, at the end.
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 60), reinterpret_cast<LPARAM>(bar));
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 120), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(rec.events.size(), 2u);
    SendMessageW(frame, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120),
                 reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(rec.events.size(), 3u);
    EXPECT_EQ(tk.GetScroll(Ctl(kListVScroll), ScrollField::Value), 120);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 120);
}

TEST_F(Win32ToolkitTest, RangeBelowItsMinimumRunsInvertedOnTheWin32Bar) {
    ShowAndSettle();
    const ControlRef ref = Ctl(kListVScroll);
    HWND bar = Native(ref);
    ASSERT_EQ(tk.SetScroll(ref, ScrollField::Min, -4), Status::Ok);
    ASSERT_EQ(tk.SetScroll(ref, ScrollField::Max, -233), Status::Ok);
    ASSERT_EQ(tk.SetScroll(ref, ScrollField::SmallChange, 17), Status::Ok);
    EXPECT_EQ(tk.GetScroll(ref, ScrollField::Value), -4);
    EXPECT_EQ(rec.events, Events{"scroll:ListVScroll"});
    int lo = 0, hi = 0;
    GetScrollRange(bar, SB_CTL, &lo, &hi);
    EXPECT_EQ(std::pair(lo, hi), std::pair(0, 229));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);

    // The arrow key on the focused bar: the bar's own line-down.
    ASSERT_EQ(tk.Focus(ref), Status::Ok);
    PostMessageW(bar, WM_KEYDOWN, VK_DOWN, 1);
    tk.PumpMessages();
    EXPECT_EQ(tk.GetScroll(ref, ScrollField::Value), -21);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 17);
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "scroll:ListVScroll"), 2);
    EXPECT_EQ(tk.SetScroll(ref, ScrollField::Value, -233), Status::Ok);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 229);
}

TEST_F(Win32ToolkitTest, ArrayElementsAreRealWindowsMadeAndDestroyed) {
    ASSERT_EQ(tk.SetCheck(Elem(kChkWCEO, 0), kChecked), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    HWND copy = Native(Elem(kChkWCEO, 1));
    EXPECT_NE(copy, Native(Elem(kChkWCEO, 0)));
    EXPECT_FALSE(IsWindowVisible(copy));
    EXPECT_EQ(GetParent(copy), Native(Ctl(kPicList)));
    EXPECT_EQ(RectOf(Elem(kChkWCEO, 1)), RectOf(Elem(kChkWCEO, 0)));
    EXPECT_EQ(SendMessageW(copy, BM_GETCHECK, 0, 0), BST_CHECKED);

    EXPECT_EQ(tk.SetTop(Elem(kChkWCEO, 1), 17), Status::Ok);
    EXPECT_EQ(std::get<1>(RectOf(Elem(kChkWCEO, 1))), 17);
    EXPECT_EQ(tk.DestroyElement(kChkWCEO, 1), Status::Ok);
    EXPECT_FALSE(IsWindow(copy));
}

TEST_F(Win32ToolkitTest, BackgroundsComeFromTheControlsColour) {
    HWND pane = Native(Ctl(kPicList));
    HWND label = Native(Elem(kLblDisks, 0));
    const platform::WindowDc dc(label);
    const auto brushColour = [&](HWND child, UINT msg) {
        auto b = reinterpret_cast<HBRUSH>(SendMessageW(
            pane, msg, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(child)));
        LOGBRUSH lb{};
        GetObjectW(b, sizeof lb, &lb);
        return lb.lbColor;
    };
    EXPECT_EQ(brushColour(label, WM_CTLCOLORSTATIC), 0xF0F0F0u);
    EXPECT_EQ(brushColour(Native(Elem(kChkHPD, 0)), WM_CTLCOLORSTATIC), GetSysColor(COLOR_BTNFACE));
    ASSERT_EQ(tk.SetBackColor(Elem(kChkHPD, 0), 0xF8F8F8), Status::Ok);
    EXPECT_EQ(brushColour(Native(Elem(kChkHPD, 0)), WM_CTLCOLORSTATIC), 0xF8F8F8u);
}

TEST(Win32ToolkitLifetimeTest, FontsAndBrushesItMadeDieWithTheToolkit) {
    HGDIOBJ font = nullptr, brush = nullptr;
    {
        Win32Toolkit tk;
        ASSERT_EQ(CreateFromDesign(tk, MainFormDesign()), Status::Ok);
        ASSERT_EQ(tk.SetFontName(Ctl(kCmdClose), "Arial"), Status::Ok);
        ASSERT_EQ(tk.SetBackColor(Elem(kChkHPD, 0), 0x123456), Status::Ok);
        HWND box = H(tk.NativeHandle(Elem(kChkHPD, 0)).value());
        const platform::WindowDc dc(box);
        font = reinterpret_cast<HGDIOBJ>(
            SendMessageW(H(tk.NativeHandle(Ctl(kCmdClose)).value()), WM_GETFONT, 0, 0));
        brush = reinterpret_cast<HGDIOBJ>(SendMessageW(GetParent(box), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc.get()),
                                                       reinterpret_cast<LPARAM>(box)));
        EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    }
    // A toolkit that forgot them would leak one GDI object per face and colour.
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

// What the window does on F5 and Close: rows destroyed while a key or a click
// of theirs is being handled, and the window unloaded from its own button.
class ReactingSink : public EventSink {
public:
    explicit ReactingSink(Win32Toolkit& tk) : tk(tk) {}
    void OnKeyDown(std::int16_t key, std::int16_t) override {
        if (key == kKeyF5) destroyed = Succeeded(tk.DestroyElement(kChkHPD, 1));
    }
    void OnCheckClick(const std::string&, std::int16_t index) override {
        if (index == 2) destroyed = Succeeded(tk.DestroyElement(kChkHPD, 2));
    }
    void OnButtonClick(const std::string&) override { tk.Unload(); }
    Win32Toolkit& tk;
    bool destroyed = false;
};

TEST_F(Win32ToolkitTest, ControlsMayBeDestroyedInsideTheirOwnEvents) {
    ReactingSink sink(tk);
    tk.SetEventSink(&sink);
    ShowAndSettle();
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 2), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 1), true), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 2), true), Status::Ok);

    ASSERT_EQ(tk.Focus(Elem(kChkHPD, 1)), Status::Ok);
    HWND focused = Native(Elem(kChkHPD, 1));
    PostMessageW(focused, WM_KEYDOWN, VK_F5, 1);
    tk.PumpMessages();
    EXPECT_TRUE(sink.destroyed);
    EXPECT_FALSE(IsWindow(focused));

    sink.destroyed = false;
    HWND clicked = Native(Elem(kChkHPD, 2));
    SendMessageW(clicked, BM_CLICK, 0, 0);
    tk.PumpMessages();
    EXPECT_TRUE(sink.destroyed);
    EXPECT_FALSE(IsWindow(clicked));

    PostMessageW(Native(Ctl(kCmdClose)), BM_CLICK, 0, 0);
    EXPECT_EQ(tk.RunMessageLoop(), 0);
    EXPECT_FALSE(tk.IsOpen());
}

TEST_F(Win32ToolkitTest, TimersFireOnceFromTheMessageLoop) {
    ASSERT_EQ(tk.StartTimer(1, 0), Status::Ok);
    ASSERT_EQ(tk.StartTimer(2, 0), Status::Ok);
    ASSERT_EQ(tk.StopTimer(2), Status::Ok);
    ASSERT_EQ(tk.StartTimer(3, 30), Status::Ok);
    EXPECT_TRUE(rec.events.empty());
    tk.PumpMessages();
    EXPECT_EQ(rec.events, Events{"timer:1"});
    tk.PumpMessagesFor(300);
    EXPECT_EQ(rec.events, (Events{"timer:1", "timer:3"}));
    // Restarted for later: the message already posted for 0 ms fires nothing.
    ASSERT_EQ(tk.StartTimer(4, 0), Status::Ok);
    ASSERT_EQ(tk.StartTimer(4, 5000), Status::Ok);
    tk.PumpMessagesFor(100);
    EXPECT_EQ(rec.events.size(), 2u);
}

TEST_F(Win32ToolkitTest, DeviceChangesOfDisksAndVolumesBecomeEvents) {
    EXPECT_TRUE(tk.HearsDiskInterfaces());
    DEV_BROADCAST_DEVICEINTERFACE_A disk{};
    disk.dbcc_size = sizeof disk;
    disk.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    const platform::Guid& g = platform::kDiskInterfaceClass;
    disk.dbcc_classguid = GUID{g.Data1, g.Data2, g.Data3, {}};
    std::copy(std::begin(g.Data4), std::end(g.Data4), disk.dbcc_classguid.Data4);
    DEV_BROADCAST_DEVICEINTERFACE_A otherClass = disk;
    otherClass.dbcc_classguid.Data1 ^= 1;
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << 4;
    DEV_BROADCAST_VOLUME cutShort = volume;
    cutShort.dbcv_size = sizeof(DEV_BROADCAST_HDR) - 1;

    struct Case {
        WPARAM event;
        const void* data;
        const char* seen;
    };
    const Case cases[] = {
        {DBT_DEVICEARRIVAL, &disk, "device:arrival:disk"},
        {DBT_DEVICEREMOVECOMPLETE, &disk, "device:removed:disk"},
        {DBT_DEVICEARRIVAL, &volume, "device:arrival:volume"},
        {DBT_DEVICEREMOVECOMPLETE, &volume, "device:removed:volume"},
        {DBT_DEVICEARRIVAL, &otherClass, "device:arrival:other"},
        {DBT_DEVICEARRIVAL, &cutShort, "device:arrival:other"},
        {DBT_DEVICEARRIVAL, nullptr, "device:arrival:other"},
        {DBT_DEVICEREMOVEPENDING, &disk, "device:other:other"},
        {DBT_DEVNODES_CHANGED, nullptr, "device:other:other"},
    };
    HWND window = H(tk.WindowHwnd().value());
    for (const Case& c : cases) {
        rec.events.clear();
        EXPECT_EQ(SendMessageW(window, WM_DEVICECHANGE, c.event, reinterpret_cast<LPARAM>(c.data)),
                  TRUE);
        EXPECT_EQ(rec.events, Events{c.seen});
    }
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_FALSE(tk.HearsDiskInterfaces());
}

// The toolkit converts at the old DPI until the program takes the change; a
// control left with a freed font would draw in the system font.
TEST_F(Win32ToolkitTest, WmDpiChangedBecomesAnEventAndSetDpiRemakesEveryFont) {
    const HWND window = H(tk.WindowHwnd().value());
    const int start = tk.Dpi();
    RECT suggested{10, 20, 700, 500};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(rec.events, (Events{"dpi:144 10,20,700,500"}));
    EXPECT_EQ(tk.Dpi(), start);

    const auto fontOf = [this](const char* name) {
        return reinterpret_cast<HFONT>(SendMessageW(Native(Ctl(name)), WM_GETFONT, 0, 0));
    };
    const HFONT old = fontOf(kCmdClose);
    EXPECT_EQ(tk.SetDpi(platform::kMaxScreenDpi + 1), Status::OutOfRange);
    ASSERT_EQ(tk.SetDpi(144), Status::Ok);
    EXPECT_EQ(tk.Dpi(), 144);
    const HFONT remade = fontOf(kCmdClose);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(remade, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -16);  // 8 points at 144 DPI
    EXPECT_EQ(fontOf(kLblHPD), remade);
    EXPECT_EQ(GetObjectType(old), 0u);

    ASSERT_EQ(tk.PlaceWindow(30, 40, 885, 479), Status::Ok);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(885L, 479L));
}

TEST_F(Win32ToolkitTest, UnloadDestroysTheWindowAndEndsTheMessageLoop) {
    ShowAndSettle();
    HWND window = H(tk.WindowHwnd().value());
    ASSERT_EQ(tk.Unload(), Status::Ok);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(tk.RunMessageLoop(), 0);
}

// Painting held back with WM_SETREDRAW, which clears WS_VISIBLE while it
// holds and sets it again when let go: the pane must come back as it was.
TEST_F(Win32ToolkitTest, HeldPaintingComesBackOnceAtTheLastResumeAndAHiddenPaneStaysHidden) {
    ShowAndSettle();
    HWND frame = Native(Ctl(kPicListFrame));
    const auto styleVisible = [](HWND h) {
        return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0;
    };
    ASSERT_TRUE(styleVisible(frame));
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_FALSE(styleVisible(frame));
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkHPD, 1), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkHPD, 1), true), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_FALSE(styleVisible(frame));  // still held by the outer hold
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_TRUE(styleVisible(frame));
    EXPECT_TRUE(IsWindowVisible(Native(Elem(kChkHPD, 1))));
    EXPECT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::NotAllowed);

    // Setting WM_SETREDRAW TRUE on a hidden pane would show it.
    ASSERT_EQ(tk.SetVisible(Ctl(kPicListFrame), false), Status::Ok);
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_FALSE(styleVisible(frame));
}

// The hold drops what the controls invalidate meanwhile; painting all again at
// its end would make F5 over unchanged rows cost as much as making them anew.
TEST_F(Win32ToolkitTest, AfterAHoldExactlyWhatChangedIsPaintedAgain) {
    ShowAndSettle();
    const int listTop = tk.GetTop(Ctl(kPicList)).value();
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.SetCheck(Elem(kChkHPD, 0), kChecked), Status::Ok);
    // Moved and put back: nothing to paint.
    ASSERT_EQ(tk.SetTop(Ctl(kPicList), listTop + 7), Status::Ok);
    ASSERT_EQ(tk.SetTop(Ctl(kPicList), listTop), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);

    RECT r;
    EXPECT_TRUE(GetUpdateRect(Native(Elem(kChkHPD, 0)), &r, FALSE));
    EXPECT_FALSE(GetUpdateRect(Native(Elem(kChkWCEO, 0)), &r, FALSE));
    EXPECT_FALSE(GetUpdateRect(Native(Elem(kLblDisks, 0)), &r, FALSE));
    EXPECT_FALSE(GetUpdateRect(Native(Ctl(kListVScroll)), &r, FALSE));

    // A new row and a moved pane are painted with what lies around them.
    tk.PumpMessages();
    ASSERT_EQ(tk.SuspendRedraw(Ctl(kPicListFrame)), Status::Ok);
    ASSERT_EQ(tk.CreateElement(kChkWCEO, 1), Status::Ok);
    ASSERT_EQ(tk.SetTop(Elem(kChkWCEO, 1), 17), Status::Ok);
    ASSERT_EQ(tk.SetVisible(Elem(kChkWCEO, 1), true), Status::Ok);
    ASSERT_EQ(tk.ResumeRedraw(Ctl(kPicListFrame)), Status::Ok);
    EXPECT_TRUE(GetUpdateRect(Native(Elem(kChkWCEO, 1)), &r, FALSE));
    EXPECT_TRUE(GetUpdateRect(Native(Ctl(kPicList)), &r, FALSE));
}

}  // namespace
}  // namespace plumvane::ui
