#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "inventory/DescriptorImages.h"
#include "inventory/StorageLayouts.h"
#include "inventory/StorageQueries.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"
#include "sim/BentDriverWindows.h"

namespace plumvane::inventory {
namespace {

using namespace testing;
using platform::INVALID_HANDLE_VALUE;
using platform::UniqueDeviceHandle;

// A machine with one drive 0, opened the way the scan opens it.
class StorageQueryTest : public ::testing::Test {
protected:
    void SetUpDrive(sim::SimDisk disk) {
        disk.number = 0;
        win.machine().disks = {std::move(disk)};
    }
    void SetUpDescriptor(std::vector<std::uint8_t> descriptor) {
        sim::SimDisk disk = UsbDisk(0);
        disk.descriptor = std::move(descriptor);
        SetUpDrive(disk);
    }
    std::string Describe(std::int32_t& bus) {
        UniqueDeviceHandle drive(win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, 3, 3, 0));
        EXPECT_TRUE(drive.valid());
        return GetStorageDescription(win, drive.get(), bus);
    }
    std::string Describe() {
        std::int32_t bus = -99;
        return Describe(bus);
    }
    void TearDown() override { ExpectNothingOpen(win); }

    sim::SimulatedWindows win;
};

TEST_F(StorageQueryTest, DescriptionJoinsVendorAndProductWithOneSpace) {
    const std::array<std::array<const char*, 3>, 4> cases{{
        {"SanDisk", "Cruzer Blade", "SanDisk Cruzer Blade"},
        {"Kingston", "", "Kingston "},  // vendor without product keeps the space
        {"", "DataTraveler", "DataTraveler"},
        {"", "", "unknown"},
    }};
    for (const auto& [vendor, product, description] : cases) {
        SetUpDrive(Disk(0, vendor, product, 7));
        std::int32_t bus = 0;
        EXPECT_EQ(Describe(bus), description);
        EXPECT_EQ(bus, 7);
    }
}

TEST_F(StorageQueryTest, DescriptionTextsAreTrimmedAndCutAtTheirNul) {
    auto d = Descriptor(100, 200, 7);
    Put(d, 100, "  Generic   ");  // blanks before the NUL go too
    Put(d, 200, std::string_view("Flash Disk\0garbage", 18));
    SetUpDescriptor(d);
    EXPECT_EQ(Describe(), "Generic Flash Disk");
}

TEST_F(StorageQueryTest, DescriptionTextsAreDecodedFromTheAnsiCodePage) {
    auto d = Descriptor(100, 0, 7);
    Put(d, 100, "Caf\xE9");  // é in Windows-1252
    SetUpDescriptor(d);
    EXPECT_EQ(Describe(), "Caf\xC3\xA9 ");
}

TEST_F(StorageQueryTest, TextWithoutNulIsCutAfter127Bytes) {
    std::string text = "   ";  // leading blanks, then 197 characters
    for (int i = 0; text.size() < 200; ++i) text += static_cast<char>('a' + i % 26);
    text[126] = ' ';  // the 127th byte: a trailing blank once cut
    auto d = Descriptor(300, 0, 7);
    Put(d, 300, text);
    SetUpDescriptor(d);
    EXPECT_EQ(Describe(), text.substr(3, 123) + " ");
}

TEST_F(StorageQueryTest, TextsAtAndPastTheBufferEndStayInsideIt) {
    // Only the 4 bytes inside the 1024-byte buffer count; the driver's
    // answer is longer than the buffer here.
    auto d = Descriptor(1020, 0, 7, 1100);
    Put(d, 1020, "ABCDEFGH");
    SetUpDescriptor(d);
    EXPECT_EQ(Describe(), "ABCD ");

    for (std::int32_t offset : {1024, 1025, 5000, 0x7FFFFFFF}) {
        SCOPED_TRACE(offset);
        auto past = Descriptor(offset, 64, 7, 1100);
        Put(past, 64, "Product");
        Put(past, 1024, "XXXX");
        SetUpDescriptor(past);
        EXPECT_EQ(Describe(), "Product");
    }
}

TEST_F(StorageQueryTest, NegativeOffsetsAreNoText) {
    for (std::int32_t offset : {-1, -4, static_cast<std::int32_t>(0x80000000u)}) {
        SCOPED_TRACE(offset);
        auto d = Descriptor(offset, offset, 7);
        SetUpDescriptor(d);
        EXPECT_EQ(Describe(), "unknown");
    }
}

TEST_F(StorageQueryTest, ShortDescriptorLeavesTheRestOfTheBufferZero) {
    // Only the fixed part arrives; the vendor offset points past it.
    auto d = Descriptor(60, 0, 3, 40);
    SetUpDescriptor(d);
    std::int32_t bus = 0;
    EXPECT_EQ(Describe(bus), "unknown");
    EXPECT_EQ(bus, 3);
}

TEST_F(StorageQueryTest, FailedQueriesGiveTheirFallbacks) {
    sim::SimDisk disk = UsbDisk(0);
    disk.errors.queryProperty = 31;
    disk.errors.geometry = 21;
    disk.errors.deviceNumber = 1;
    SetUpDrive(disk);
    {
        UniqueDeviceHandle drive(win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, 3, 3, 0));
        std::int32_t bus = 7;
        EXPECT_EQ(GetStorageDescription(win, drive.get(), bus), "unknown");
        EXPECT_EQ(bus, 0);
        EXPECT_EQ(GetDeviceNumber(win, drive.get()), -1);
        EXPECT_EQ(GetDriveGeometry(win, drive.get()), DISK_GEOMETRY{});
        EXPECT_EQ(FormatDiskSize(win, GetDriveGeometry(win, drive.get())), "no media");
    }
    std::int32_t bus = 7;
    EXPECT_EQ(GetStorageDescription(win, INVALID_HANDLE_VALUE, bus), "unknown");
    EXPECT_EQ(bus, 0);
    EXPECT_EQ(GetDeviceNumber(win, INVALID_HANDLE_VALUE), -1);
    // The geometry query is not even sent on an invalid handle.
    win.ClearCalls();
    EXPECT_EQ(GetDriveGeometry(win, INVALID_HANDLE_VALUE), DISK_GEOMETRY{});
    EXPECT_TRUE(win.calls().empty());
}

TEST_F(StorageQueryTest, GeometryAndDeviceNumberAreDecoded) {
    sim::SimDisk disk = UsbDisk(0);
    disk.deviceNumber = 42;
    disk.geometry = {0x123456789LL, 11, 255, 63, 4096};
    SetUpDrive(disk);
    UniqueDeviceHandle drive(win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, 3, 3, 0));
    EXPECT_EQ(GetDeviceNumber(win, drive.get()), 42);
    EXPECT_EQ(GetDriveGeometry(win, drive.get()),
              (DISK_GEOMETRY{0x123456789LL, 11, 255, 63, 4096}));
}

// --- sizes -------------------------------------------------------------------

// A geometry of exactly `bytes` bytes: one cylinder is never adjusted.
DISK_GEOMETRY Bytes(std::int64_t bytes) {
    // Split so that every factor fits its 32-bit field.
    std::int32_t tracks = 1;
    while (bytes / tracks > 0x7FFFFFFF || (bytes % tracks) != 0) ++tracks;
    return {1, 12, tracks, static_cast<std::int32_t>(bytes / tracks), 1};
}

class SizeTextTest : public ::testing::Test {
protected:
    std::string Format(const DISK_GEOMETRY& g) { return FormatDiskSize(win, g); }
    sim::SimulatedWindows win;
};

TEST_F(SizeTextTest, UnitTableInThePointCommaLocale) {
    EXPECT_EQ(Format(Bytes(512)), "0.5 KB");
    EXPECT_EQ(Format(Bytes(1'048'575)), "1,024.0 KB");
    EXPECT_EQ(Format(Bytes(1'048'576)), "1.0 MB");
    EXPECT_EQ(Format(Bytes(1'073'741'823)), "1,024.0 MB");
    EXPECT_EQ(Format(Bytes(16'008'609'792)), "14.9 GB");
    EXPECT_EQ(Format(Bytes(1'099'511'627'776)), "1.0 TB");
    EXPECT_EQ(Format(Bytes(2'000'398'934'016)), "1.8 TB");
    EXPECT_EQ(Format(Bytes(1)), "0.0 KB");
}

TEST_F(SizeTextTest, TiesRoundAwayFromZero) {
    // 0.25 and 14.75 are exact in binary; printf-style rounding gives 0.2.
    EXPECT_EQ(Format(Bytes(256)), "0.3 KB");
    EXPECT_EQ(Format(Bytes(768)), "0.8 KB");
    EXPECT_EQ(Format(Bytes(14LL * (1LL << 30) + 3 * (1LL << 28))), "14.8 GB");
    EXPECT_EQ(Format(Bytes(1'048'524)), "1,023.9 KB");  // 1023.949... stays below the tie
}

TEST_F(SizeTextTest, OneCylinderIsAddedAboveEightOnly) {
    EXPECT_EQ(Format({8, 12, 255, 63, 512}), "62.8 MB");     // 8 cylinders, as reported
    EXPECT_EQ(Format({9, 12, 255, 63, 512}), "78.4 MB");     // 10 cylinders
    EXPECT_EQ(Format({1946, 12, 255, 63, 512}), "14.9 GB");  // 1947 cylinders
    EXPECT_EQ(Format({1, 12, 255, 63, 512}), "7.8 MB");
    EXPECT_EQ(DiskSizeBytes({9, 12, 255, 63, 512}), 10 * 8'225'280LL);
    EXPECT_EQ(DiskSizeBytes({8, 12, 255, 63, 512}), 8 * 8'225'280LL);
}

TEST_F(SizeTextTest, NoMedia) {
    EXPECT_EQ(Format({}), "no media");
    EXPECT_EQ(Format({0, 12, 255, 63, 512}), "no media");  // no cylinders, no size
    EXPECT_EQ(Format({1946, 12, 255, 63, 0}), "no media");
}

TEST_F(SizeTextTest, ImpossibleGeometriesNeitherOverflowNorCrash) {
    // The plain product of these fields overflows 64 bits.
    EXPECT_EQ(Format({0x7FFFFFFFFFFFFFFFLL, 12, 255, 63, 512}), "no media");
    EXPECT_EQ(Format({0x7FFFFFFFFFFFFFFFLL, 12, 1, 1, 1}), "no media");
    EXPECT_EQ(DiskSizeBytes({0x7FFFFFFFFFFFFFFFLL, 12, 1, 1, 1}), std::nullopt);
    // A negative size is shown as the driver gives it, in the smallest unit.
    EXPECT_EQ(Format({1, 12, -1, 1, 512}), "-0.5 KB");
    EXPECT_EQ(Format({1, 12, 1, 1, -0x7FFFFFFF - 1}), "-2,097,152.0 KB");
}

TEST_F(SizeTextTest, OtherLocales) {
    win.machine().numberFormat = {",", ".", 3, true};
    EXPECT_EQ(Format(Bytes(1'048'575)), "1.024,0 KB");
    EXPECT_EQ(Format(Bytes(512)), "0,5 KB");
    EXPECT_EQ(Format(Bytes(16'008'609'792)), "14,9 GB");

    win.machine().numberFormat = {",", "\xC2\xA0", 3, false};  // non-breaking space
    EXPECT_EQ(Format(Bytes(1'048'575)),
              "1\xC2\xA0"
              "024,0 KB");
    EXPECT_EQ(Format(Bytes(512)), ",5 KB");
    EXPECT_EQ(Format(Bytes(1)), ",0 KB");

    win.machine().numberFormat = {".", ",", 0, true};  // no grouping
    EXPECT_EQ(Format(Bytes(1'048'575)), "1024.0 KB");

    win.machine().numberFormat = {".", "'", 2, true};
    EXPECT_EQ(Format({1, 12, 1, 1, -0x7FFFFFFF - 1}), "-2'09'71'52.0 KB");
}

TEST(CutAtNulTest, TrimsThenCuts) {
    using namespace std::string_literals;
    EXPECT_EQ(CutAtNul(""), "");
    EXPECT_EQ(CutAtNul("  abc\0def"s), "abc");
    EXPECT_EQ(CutAtNul("\0abc"s), "");
    EXPECT_EQ(CutAtNul("abc  \0def"s), "abc  ");   // blanks before the NUL stay
    EXPECT_EQ(CutAtNul("\tabc \t "), "\tabc \t");  // only U+0020 is a blank
    EXPECT_EQ(CutAtNul("   "), "");
}

// The partition table's identity as the scan and the click read it; a
// layout longer than the first buffer (the driver says 122) is asked again
// with room for it, and a disk without media has none.
TEST_F(StorageQueryTest, DriveLayoutIdNamesThePartitionTableOrNone) {
    struct Case {
        const char* name;
        std::function<void(sim::SimDisk&, sim::SimulatedWindows&)> setUp;
        bool answered;
        std::string id;
    };
    const Case cases[] = {
        {"MBR", [](sim::SimDisk& d, auto&) { d.diskSignature = 0x0A1B2C3Du; }, true,
         "MBR 0A1B2C3D"},
        {"MBR by default", [](sim::SimDisk&, auto&) {}, true, "MBR 5056D000"},
        {"GPT",
         [](sim::SimDisk& d, auto&) {
             d.partitionStyle = sim::PartitionStyle::Gpt;
             d.gptDiskId = platform::kDiskInterfaceClass;
         },
         true, "GPT {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}"},
        {"raw", [](sim::SimDisk& d, auto&) { d.partitionStyle = sim::PartitionStyle::Raw; }, true,
         "RAW"},
        {"too small once",
         [](sim::SimDisk&, sim::SimulatedWindows& w) {
             w.InjectFault({"DeviceIoControl", "IOCTL 0x00070050", 122, 1});
         },
         true, "MBR 5056D000"},
        {"no media", [](sim::SimDisk& d, auto&) { d.errors.geometry = 21; }, false, "none"},
        {"refused", [](sim::SimDisk& d, auto&) { d.errors.driveLayout = 1117; }, false, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win.ClearFaults();
        sim::SimDisk disk = UsbDisk(0);
        c.setUp(disk, win);
        SetUpDrive(disk);
        UniqueDeviceHandle drive(win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, 3, 3, 0));
        std::string id = "?";
        EXPECT_EQ(QueryDriveLayoutId(win, drive.get(), id), c.answered);
        EXPECT_EQ(id, c.id);
    }
}

// Every digit of an unknown style is kept: two such tables must not read as
// one when a disk is confirmed.
TEST(StorageQueryOddStyleTest, AnUnknownStyleKeepsEveryDigit) {
    for (const std::uint32_t style : {3u, 4294967290u, 4294967295u}) {
        // A driver answering a partition style the program does not know.
        sim::testing::BentDriverWindows win;
        win.bend = [style](platform::DWORD code, std::span<platform::Byte> out,
                           platform::BOOL result) {
            if (result && code == platform::IOCTL_DISK_GET_DRIVE_LAYOUT_EX) {
                platform::WriteU32LE(out, drive_layout::kPartitionStyle, style);
            }
            return result;
        };
        win.machine().disks = {UsbDisk(0)};
        UniqueDeviceHandle drive(win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, 3, 3, 0));
        EXPECT_EQ(GetDriveLayoutId(win, drive.get()), "style " + std::to_string(style));
    }
}

}  // namespace
}  // namespace plumvane::inventory
