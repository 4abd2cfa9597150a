// The scan on the real Windows functions (under Wine in the build): whatever
// the machine holds, the table comes out consistent.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>

#include "inventory/DeviceInstance.h"
#include "inventory/DiskScan.h"
#include "inventory/StorageQueries.h"
#include "platform/NativeWindows.h"
#include "platform/UniqueResource.h"

namespace plumvane::inventory {
namespace {

using platform::NativeWindows;
using platform::UniqueDeviceHandle;

// Which drives open, found without the scan. Empty when a drive answers
// another number: that would raise the modal "err" box, which nobody is there
// to close.
std::optional<std::array<bool, kDiskSlots>> DrivesThatOpen(NativeWindows& win) {
    std::array<bool, kDiskSlots> opens{};
    for (int n = 0; n < kDiskSlots; ++n) {
        UniqueDeviceHandle drive(
            win, win.CreateFileA("\\\\.\\PHYSICALDRIVE" + std::to_string(n), 0, 3, 3, 0));
        if (drive && GetDeviceNumber(win, drive.get()) != n) return std::nullopt;
        opens[static_cast<std::size_t>(n)] = static_cast<bool>(drive);
    }
    return opens;
}

TEST(NativeScanTest, TableIsConsistentAfterAScan) {
    NativeWindows win;
    const auto opens = DrivesThatOpen(win);
    if (!opens) GTEST_SKIP() << "a drive reports another number";
    auto inventory = std::make_unique<DiskInventory>();
    ScanDisks(win, platform::NULL_HWND, *inventory);

    ASSERT_GE(inventory->DiskCount, 0);
    ASSERT_LE(inventory->DiskCount, kDiskSlots);
    if (inventory->DiskCount > 0) {
        EXPECT_TRUE(inventory->Table[static_cast<std::size_t>(inventory->DiskCount - 1)].Present);
    }
    for (int n = 0; n < kDiskSlots; ++n) {
        SCOPED_TRACE(n);
        const DiskRecord& r = inventory->Table[static_cast<std::size_t>(n)];
        EXPECT_EQ(r.Path, "\\\\.\\PHYSICALDRIVE" + std::to_string(n));
        EXPECT_EQ(r.Present, (*opens)[static_cast<std::size_t>(n)]);
        if (n >= inventory->DiskCount) {
            EXPECT_FALSE(r.Present);
        }
        if (r.Present) {
            EXPECT_FALSE(r.Description.empty());
            EXPECT_FALSE(r.SizeText.empty());
        } else {
            EXPECT_EQ(r.Description, std::string(24, '-'));
            EXPECT_EQ(r.SizeText, "no disk");
            EXPECT_EQ(r.SizeMB, 0);
            EXPECT_EQ(r.BusType, 0);
        }
        std::string letters;
        for (int i = 0; i < r.LetterCount; ++i) {
            letters += r.Letters[static_cast<std::size_t>(i)] + ": ";
        }
        EXPECT_EQ(r.LettersText, letters);
    }
}

TEST(NativeScanTest, LookupsWithoutAMatch) {
    NativeWindows win;
    EXPECT_EQ(FindDiskDevInst(win, 99), 0);
    EXPECT_EQ(GetDeviceInstanceId(win, 0), "");
    EXPECT_EQ(GetDeviceNumber(win, platform::INVALID_HANDLE_VALUE), -1);
    std::int32_t bus = 7;
    EXPECT_EQ(GetStorageDescription(win, platform::INVALID_HANDLE_VALUE, bus), "unknown");
    EXPECT_EQ(bus, 0);
}

}  // namespace
}  // namespace plumvane::inventory
