// The simulated file system beneath the file class: the parts that the
// contract tests cannot reach through real Windows (folders that are missing,
// a full disk, moves past the largest position, buffers too small for a
// count). The 32-bit limit of a move is checked through the file class.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/WinDefs.h"
#include "sim/SimFileSystem.h"

namespace plumvane::sim {
namespace {

using namespace platform;  // NOLINT: Windows names throughout

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

struct SimFileSystemTest : ::testing::Test {
    SimFileSystem fs;
    DWORD error = 0;

    std::uint32_t Open(std::string_view name, DWORD disposition = OPEN_ALWAYS,
                       DWORD access = kReadWrite, DWORD share = 0) {
        return fs.Open(name, access, share, disposition, FILE_ATTRIBUTE_NORMAL, error);
    }
};

// Case is checked on both backends by the contract tests; real Windows also
// takes either slash.
TEST_F(SimFileSystemTest, NamesIgnoreSlashDirection) {
    ASSERT_NE(Open("C:\\Data\\Log.TXT"), 0u);
    EXPECT_TRUE(fs.Exists("c:/data/log.txt"));
    EXPECT_EQ(Open("C:/Data/Log.TXT"), 0u);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
}

TEST_F(SimFileSystemTest, BadNamesAndMissingFoldersAreRefused) {
    fs.AddMissingFolder("C:\\gone\\");
    EXPECT_EQ(Open("C:\\gone\\a.bin"), 0u);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Open("C:\\GONE\\deeper\\a.bin"), 0u);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_NE(Open("C:\\gone2\\a.bin"), 0u) << "only the named folder is missing";
    EXPECT_TRUE(fs.Exists("c:/GONE2/A.BIN"));
    EXPECT_EQ(Open(""), 0u);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Open("C:\\a?.bin"), 0u);
    EXPECT_EQ(error, 123u);  // ERROR_INVALID_NAME
    EXPECT_EQ(Open("C:\\data\\"), 0u);
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("C:\\x.bin", 6), 0u);
    EXPECT_EQ(error, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(fs.OpenCount(), 1);
}

TEST_F(SimFileSystemTest, TruncatingNeedsWriteAccessAndNoOtherOpener) {
    fs.Put("C:\\t.bin", {1, 2});
    EXPECT_EQ(Open("C:\\t.bin", TRUNCATE_EXISTING, GENERIC_READ), 0u);
    EXPECT_EQ(error, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(fs.Contents("C:\\t.bin").size(), 2u);
    EXPECT_NE(Open("C:\\t.bin", TRUNCATE_EXISTING), 0u);
    EXPECT_TRUE(fs.Contents("C:\\t.bin").empty());
    // A truncating open refused by sharing leaves the contents.
    fs.Put("C:\\t.bin", {1, 2});
    EXPECT_EQ(Open("C:\\t.bin", CREATE_ALWAYS), 0u);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(fs.Contents("C:\\t.bin").size(), 2u);
}

TEST_F(SimFileSystemTest, SixtyFourBitMovesReachFarAndNeverWrapBelowZero) {
    const std::uint32_t id = Open("C:\\p.bin");
    LONG high = 0x7FFFFFFF;
    EXPECT_EQ(fs.SetPointer(id, -1, &high, FILE_BEGIN, error), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0x7FFFFFFF);
    // One more byte would pass the largest signed position.
    high = 0;
    EXPECT_EQ(fs.SetPointer(id, 1, &high, FILE_CURRENT, error), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(error, ERROR_NEGATIVE_SEEK);
    high = 0;
    EXPECT_EQ(fs.SetPointer(id, 0, &high, FILE_CURRENT, error), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0x7FFFFFFF);
    // An empty write out there touches no byte.
    DWORD written = 99;
    EXPECT_EQ(fs.Write(id, {}, 0, &written, error), TRUE);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(fs.Contents("C:\\p.bin").empty());
}

TEST_F(SimFileSystemTest, AWriteFarOutFailsAsADiskFullInsteadOfAllocating) {
    const std::uint32_t id = Open("C:\\big.bin");
    LONG high = 1;
    fs.SetPointer(id, 0, &high, FILE_BEGIN, error);
    const std::array<std::uint8_t, 1> one{7};
    DWORD written = 99;
    EXPECT_EQ(fs.Write(id, one, 1, &written, error), FALSE);
    EXPECT_EQ(error, ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(fs.Contents("C:\\big.bin").empty());

    fs.SetCapacity(4);
    fs.SetPointer(id, 3, nullptr, FILE_BEGIN, error);
    EXPECT_EQ(fs.Write(id, one, 1, &written, error), TRUE);
    EXPECT_EQ(fs.Write(id, one, 1, &written, error), FALSE);
    EXPECT_EQ(error, ERROR_DISK_FULL);
    EXPECT_EQ(fs.Contents("C:\\big.bin"), (std::vector<std::uint8_t>{0, 0, 0, 7}));
}

TEST_F(SimFileSystemTest, CountsBeyondTheBufferAreRefused) {
    fs.Put("C:\\b.bin", {1, 2, 3, 4});
    const std::uint32_t id = Open("C:\\b.bin");
    std::array<std::uint8_t, 2> buffer{};
    DWORD count = 99;
    EXPECT_EQ(fs.Read(id, buffer, 3, &count, error), FALSE);
    EXPECT_EQ(error, 998u);  // ERROR_NOACCESS
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(fs.Write(id, buffer, 3, &count, error), FALSE);
    EXPECT_EQ(error, 998u);
    EXPECT_EQ(fs.Contents("C:\\b.bin").size(), 4u);
}

TEST_F(SimFileSystemTest, ClosedOrUnknownIdsAreInvalidHandles) {
    const std::uint32_t id = Open("C:\\c.bin");
    fs.Close(id);
    std::array<std::uint8_t, 1> buffer{};
    DWORD count = 0;
    EXPECT_EQ(fs.Read(id, buffer, 1, &count, error), FALSE);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(fs.Flush(id, error), FALSE);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(fs.SetPointer(12345, 0, nullptr, FILE_BEGIN, error), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(fs.OpenCount(), 0);
}

TEST_F(SimFileSystemTest, EachHandleHasItsOwnPosition) {
    fs.Put("C:\\shared.bin", {1, 2, 3});
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const std::uint32_t a = Open("C:\\shared.bin", OPEN_EXISTING, kReadWrite, share);
    const std::uint32_t b = Open("C:\\shared.bin", OPEN_EXISTING, kReadWrite, share);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    std::array<std::uint8_t, 2> buffer{};
    DWORD count = 0;
    ASSERT_EQ(fs.Read(a, buffer, 2, &count, error), TRUE);
    const std::array<std::uint8_t, 1> nine{9};
    ASSERT_EQ(fs.Write(b, nine, 1, &count, error), TRUE);
    ASSERT_EQ(fs.Read(a, buffer, 2, &count, error), TRUE);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(fs.Contents("C:\\shared.bin"), (std::vector<std::uint8_t>{9, 2, 3}));
}

}  // namespace
}  // namespace plumvane::sim
