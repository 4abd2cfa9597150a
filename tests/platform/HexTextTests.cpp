#include <gtest/gtest.h>

#include "platform/HexText.h"

namespace plumvane::platform {
namespace {

TEST(HexTextTest, WritesTwoDigitsAByteInTheCaseAskedFor) {
    const std::vector<std::uint8_t> bytes = {0x08, 0x00, 0xAB, 0xFF};
    EXPECT_EQ(HexBytes(bytes), "0800abff");
    EXPECT_EQ(HexBytes(bytes, HexCase::Upper), "0800ABFF");
    EXPECT_EQ(HexBytes({}), "");
}

TEST(HexTextTest, ReadsEitherCaseSkipsBlanksAndRefusesTheRest) {
    struct Case {
        std::string_view text;
        std::optional<std::vector<std::uint8_t>> bytes;
        std::string error;
    };
    const Case cases[] = {
        {"0800abFF", std::vector<std::uint8_t>{0x08, 0x00, 0xAB, 0xFF}, ""},
        {" 08 0 0 ", std::vector<std::uint8_t>{0x08, 0x00}, ""},
        {"", std::vector<std::uint8_t>{}, ""},
        {"0x08", std::nullopt, "expected hex digits, found 'x'"},
        {"08\t00", std::nullopt, "expected hex digits, found '\t'"},
        {"080", std::nullopt, "expected an even number of hex digits"},
        {"0g", std::nullopt, "expected hex digits, found 'g'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        std::string error;
        EXPECT_EQ(ParseHexBytes(c.text, error), c.bytes);
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace plumvane::platform
