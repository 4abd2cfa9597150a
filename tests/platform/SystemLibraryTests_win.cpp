// DLLs loaded at run time come from the system folder, and a missing one or a
// missing function is an empty answer, never a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <span>
#include <string>

#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"

namespace plumvane::platform {
namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return Lower(std::wstring(folder, length));
}

std::wstring LoadedFrom(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    const DWORD length =
        GetModuleFileNameW(fileName ? GetModuleHandleW(fileName) : nullptr, path, MAX_PATH);
    return Lower(std::wstring(path, length));
}

// A top-level window of the test, destroyed with it.
class TestWindow {
public:
    TestWindow()
        : hwnd_(CreateWindowExW(0, L"STATIC", L"theme", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TestWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    Hwnd get() const { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(hwnd_)); }

private:
    HWND hwnd_;
};

TEST(SystemLibrary, LoadsTheThemeLibraryFromTheSystemFolder) {
    RestrictDllSearchToSystemFolder();
    const SystemLibrary uxtheme(L"uxtheme.dll");
    ASSERT_TRUE(uxtheme.loaded());
    EXPECT_NE(uxtheme.Find<void (*)()>("SetWindowTheme"), nullptr);
    EXPECT_EQ(LoadedFrom(L"uxtheme.dll"), SystemFolder() + L"\\uxtheme.dll");
}

TEST(SystemLibrary, AMissingLibraryOrFunctionIsNull) {
    const SystemLibrary missing(L"plumvane-no-such-library.dll");
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(missing.Find<void (*)()>("SetWindowTheme"), nullptr);
    const SystemLibrary uxtheme(L"uxtheme.dll");
    EXPECT_EQ(uxtheme.Find<void (*)()>("PlumvaneNoSuchFunction"), nullptr);
}

TEST(SystemLibrary, ThemeCallsReachTheLibraryLoadedAtRunTime) {
    const TestWindow window;
    ASSERT_NE(window.get(), Hwnd{});
    NativeWindows api;
    EXPECT_EQ(api.SetWindowTheme(window.get(), L" ", L" "), S_OK);
}

// The token and the program's own file through the libraries loaded at run
// time. Wine gives every program a full administrator token; Windows gives a
// test run from an unelevated prompt a limited one: either is an answer.
TEST(SystemLibrary, TheTokenAndTheOwnFileReachTheLibrariesLoadedAtRunTime) {
    NativeWindows api;
    Handle token = static_cast<Handle>(0);
    ASSERT_TRUE(api.OpenProcessToken(TOKEN_QUERY, token));
    TOKEN_ELEVATION elevation{};
    DWORD returned = 0;
    EXPECT_TRUE(api.GetTokenInformation(
        token, ::TokenElevation, std::span(reinterpret_cast<Byte*>(&elevation), sizeof elevation),
        &returned));
    EXPECT_EQ(returned, sizeof elevation);
    EXPECT_TRUE(api.CloseHandle(token));

    std::string self;
    const DWORD length = api.GetModuleFileNameW(nullptr, self);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(Lower(Utf8ToWide(self)), LoadedFrom(nullptr));
}

}  // namespace
}  // namespace plumvane::platform
