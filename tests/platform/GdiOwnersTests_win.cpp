// The GDI owners on the real Windows API (under Wine): each object freed
// exactly once, by its owner.
#include <gtest/gtest.h>

#include <utility>

#include "platform/GdiOwners_win.h"

namespace plumvane::platform {
namespace {

bool Alive(HGDIOBJ o) { return GetObjectType(o) != 0; }

TEST(GdiOwnersTest, AnOwnerFreesItsObjectWhenItGoes) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(raw, nullptr);
    {
        UniqueBrush brush(raw);
        EXPECT_TRUE(Alive(raw));
    }
    EXPECT_FALSE(Alive(raw));
}

TEST(GdiOwnersTest, MovingHandsTheObjectOnAndResetFreesTheOldOne) {
    UniqueFont first(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
    ASSERT_TRUE(first);
    const HFONT raw = first.get();
    UniqueFont second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    UniqueFont third;
    third = std::move(second);
    EXPECT_TRUE(Alive(raw));
    third.reset();
    EXPECT_FALSE(Alive(raw));
    EXPECT_FALSE(third);
}

TEST(GdiOwnersTest, FreeingKeepsTheLastErrorCode) {
    // A cleanup must not replace the code the caller is about to report.
    {
        UniqueBrush brush(CreateSolidBrush(RGB(0, 0, 0)));
        const WindowDc screen(nullptr);
        EXPECT_TRUE(screen);
        SetLastError(ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace plumvane::platform
