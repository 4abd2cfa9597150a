#include <gtest/gtest.h>

#include <cstdint>

#include "platform/ByteLayout.h"

namespace plumvane::platform {
namespace {

TEST(ByteLayout, LittleEndianAtOffsets) {
    std::uint8_t b[12] = {};
    WriteI64LE(b, 0, -2);
    WriteU32LE(b, 8, 0x11223344u);
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[7], 0xFF);
    EXPECT_EQ(b[8], 0x44);
    EXPECT_EQ(ReadI64LE(b, 0), -2);
    EXPECT_EQ(ReadI32LE(b, 8), 0x11223344);
}

}  // namespace
}  // namespace plumvane::platform
