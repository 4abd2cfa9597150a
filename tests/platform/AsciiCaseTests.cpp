#include <gtest/gtest.h>

#include "platform/AsciiCase.h"

namespace plumvane::platform {
namespace {

TEST(AsciiCaseTest, FoldsAsciiLettersOnly) {
    // "é" in UTF-8 and in code page 1252, a digit and punctuation stay as they are.
    EXPECT_EQ(AsciiLowered("USBSTOR\\Disk&Ven_\xC3\xA9\xE9_9"), "usbstor\\disk&ven_\xC3\xA9\xE9_9");
    EXPECT_EQ(AsciiUpper('z'), 'Z');
    EXPECT_EQ(AsciiUpper('\xE9'), '\xE9');
    EXPECT_EQ(AsciiUpper('['), '[');
    EXPECT_TRUE(EqualIgnoringAsciiCase("\\\\.\\PhysicalDrive3", "\\\\.\\PHYSICALDRIVE3"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xE9", "\xC9"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("abc", "abcd"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("\\\\?\\usbstor#disk", "\\\\?\\USBSTOR"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("\\\\?", "\\\\?\\"));
    EXPECT_TRUE(IsAsciiLetter('e'));
    EXPECT_FALSE(IsAsciiLetter('\xE9'));
}

}  // namespace
}  // namespace plumvane::platform
