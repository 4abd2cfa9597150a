// The scroll value <-> thumb position mapping both toolkits and the Win32
// session share: position 0 is the minimum, whichever way the range runs.
#include <gtest/gtest.h>

#include "ui/ScrollThumb.h"

namespace plumvane::ui {
namespace {

TEST(ScrollThumbTest, PositionsCountFromTheMinimumEitherWayRound) {
    struct Case {
        std::int16_t min, max, value;
        int span, position;
    };
    const Case cases[] = {
        {0, 100, 0, 100, 0},
        {0, 100, 37, 100, 37},
        {100, 0, 100, 100, 0},
        {100, 0, 30, 100, 70},
        {-4, -233, -117, 229, 113},
        {-32768, 32767, 32767, 65535, 65535},
        {32767, -32768, -32768, 65535, 65535},
        {5, 5, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " value " << c.value);
        const ScrollSettings s = ScrollRange(c.min, c.max);
        EXPECT_EQ(ScrollSpan(s), c.span);
        EXPECT_EQ(ThumbPosition(s, c.value), c.position);
        EXPECT_EQ(ValueAtThumb(s, c.position), c.value);
    }
}

TEST(ScrollThumbTest, APositionOffTheBarGivesTheNearerEnd) {
    const ScrollSettings backwards = ScrollRange(10, -10);
    EXPECT_EQ(ValueAtThumb(backwards, -1), 10);
    EXPECT_EQ(ValueAtThumb(backwards, 21), -10);
    // A whole page past the end of a full 16-bit bar must not wrap around.
    const ScrollSettings full = ScrollRange(-32768, 32767);
    EXPECT_EQ(ValueAtThumb(full, 65535 + 32767), 32767);
    EXPECT_EQ(ValueAtThumb(full, -32767), -32768);
}

}  // namespace
}  // namespace plumvane::ui
