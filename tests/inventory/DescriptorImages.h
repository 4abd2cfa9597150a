#pragma once
// The inventory tests' byte images of a device's answers, and their check
// that nothing is left open; the machines come from sim/TestMachines.h.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteLayout.h"
#include "sim/SimulatedWindows.h"
#include "sim/TestMachines.h"

namespace plumvane::inventory::testing {

using namespace sim::testing;  // NOLINT: the machine builders, by their short names

// A STORAGE_DEVICE_DESCRIPTOR image of `size` zero bytes with the given
// offsets and bus type; texts are placed with Put.
inline std::vector<std::uint8_t> Descriptor(std::int32_t vendorOffset, std::int32_t productOffset,
                                            std::int32_t bus = 7, std::size_t size = 1024) {
    std::vector<std::uint8_t> d(size, 0);
    platform::WriteU32LE(d, 0, 40);
    platform::WriteU32LE(d, 4, static_cast<std::uint32_t>(size));
    platform::WriteI32LE(d, 12, vendorOffset);
    platform::WriteI32LE(d, 16, productOffset);
    platform::WriteI32LE(d, 28, bus);
    return d;
}

inline void Put(std::vector<std::uint8_t>& d, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && offset + i < d.size(); ++i) {
        d[offset + i] = static_cast<std::uint8_t>(text[i]);
    }
}

inline void ExpectNothingOpen(const sim::SimulatedWindows& win) {
    EXPECT_EQ(win.OpenHandleCount(), 0);
    EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
}

}  // namespace plumvane::inventory::testing
