// UTF-8 <-> UTF-16 and ANSI conversion on the real Windows API (under Wine).
#include <gtest/gtest.h>

#include <string>

#include "platform/TextConversion_win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace plumvane::platform {
namespace {

TEST(TextConversionTest, Utf8RoundTripsThroughUtf16) {
    struct Case {
        const char* utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", L""},
        {"Plumvane", L"Plumvane"},
        {"Gr\xC3\xB6\xC3\x9F"
         "e 2 GB",
         L"Gr\u00F6\u00DFe 2 GB"},
        // A character outside the basic plane: a surrogate pair in UTF-16.
        {"\xF0\x9F\x92\xBE", L"\U0001F4BE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    }
    // Embedded NULs are text like any other, not an end.
    EXPECT_EQ(Utf8ToWide(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(TextConversionTest, AnsiKeepsWhatTheCodePageHas) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
    EXPECT_EQ(Utf8ToAnsi("Gr\xC3\xB6\xC3\x9F"
                         "e"),
              "Gr\xF6\xDF"
              "e");
    EXPECT_EQ(AnsiToUtf8("Gr\xF6\xDF"
                         "e"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    // What 1252 lacks becomes its default character.
    EXPECT_EQ(Utf8ToAnsi("\xE6\x97\xA5"), "?");
    EXPECT_EQ(Utf8ToAnsi(""), "");
}

TEST(TextConversionTest, ConversionsKeepTheLastErrorCode) {
    // Without the guard the code a Windows call just set would be lost.
    SetLastError(ERROR_ACCESS_DENIED);
    (void)Utf8ToWide("x");
    (void)WideToUtf8(L"x");
    (void)Utf8ToAnsi("x");
    (void)AnsiToUtf8("x");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace plumvane::platform
