// The window side of the simulated machine, as the list builder uses it.
#include <gtest/gtest.h>

#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::sim {
namespace {

using namespace platform;

TEST(SimWindowing, TheSharedIconIsNoOpenHandleAndWindowIconsAreKept) {
    SimulatedWindows w;
    const Hinstance inst = w.GetModuleHandleA(nullptr);
    const Handle icon = w.LoadImageA(inst, "APPICON", IMAGE_ICON, 16, 16, LR_SHARED);
    EXPECT_NE(icon, NULL_HANDLE);
    EXPECT_EQ(w.OpenHandleCount(), 0);
    EXPECT_EQ(w.LoadImageA(inst, "OTHER", IMAGE_ICON, 16, 16, LR_SHARED), NULL_HANDLE);
    EXPECT_EQ(w.GetLastError(), 1813u);

    const Hwnd form = static_cast<Hwnd>(0x1234);
    const auto iconValue = static_cast<LPARAM>(icon);
    EXPECT_EQ(w.SendMessageA(form, WM_SETICON, ICON_SMALL, iconValue), 0);
    EXPECT_EQ(w.SendMessageA(form, WM_SETICON, ICON_SMALL, iconValue), iconValue);
    EXPECT_EQ(w.SendMessageA(form, WM_GETICON, ICON_SMALL, 0), iconValue);
    EXPECT_EQ(w.SendMessageA(form, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(w.GetWindow(form, GW_OWNER), NULL_HWND);
    EXPECT_EQ(w.GetWindowLongA(form, GWL_HWNDPARENT), 0);
}

// A queued answer is for the next question: an error box shown before it
// must not take it, and a question nobody answered gets its default, No.
TEST(SimWindowing, AQueuedAnswerWaitsForTheNextQuestion) {
    SimulatedWindows w;
    const Hwnd owner = static_cast<Hwnd>(0x1234);
    w.QueueAnswer(IDYES);
    EXPECT_EQ(w.MessageBoxA(owner, "Error 5", "Error", MB_ICONERROR), IDOK);
    EXPECT_EQ(w.MessageBoxA(owner, "Start?", "Plumvane", MB_YESNO | MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(w.MessageBoxA(owner, "Start?", "Plumvane", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(w.messageBoxes().size(), 3u);
}

TEST(SimWindowing, SystemMessages) {
    SimulatedWindows w;
    std::string text;
    constexpr DWORD kFromSystem = 0x1000;
    EXPECT_GT(w.FormatMessageA(kFromSystem, ERROR_ACCESS_DENIED, text), 0u);
    EXPECT_EQ(text, "Access is denied.\r\n");
    EXPECT_EQ(w.FormatMessageA(kFromSystem, 0xDEAD, text), 0u);
    EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace plumvane::sim
