// The file class and the file functions beneath it, run on both backends: the
// simulation natively and the real Windows functions under Wine, in a fresh
// temporary folder per test. A test that passes on one and fails on the other
// means the simulation is wrong.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contract/Backend.h"
#include "fileio/clsFile64.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::contract {
namespace {

using fileio::clsFile64;
using fileio::FileError;
using namespace platform;  // NOLINT: Windows names throughout

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

class FileContract : public ::testing::Test {
protected:
    std::unique_ptr<WindowsApi> api = MakeBackend();
    std::string folder = FreshTempFolder();

    std::string Path(const std::string& name) const { return folder + name; }

    // Opens through the raw function; the caller closes.
    Handle Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
        return api->CreateFileA(Path(name), access, share, disposition, FILE_ATTRIBUTE_NORMAL);
    }

    // The 64-bit position of `h`, asked for with a move of 0.
    std::uint64_t Position(Handle h) {
        LONG high = 0;
        const DWORD low = api->SetFilePointer(h, 0, &high, FILE_CURRENT);
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low;
    }

    std::vector<std::uint8_t> ReadAll(const std::string& name) {
        UniqueFileHandle h(*api, Open(name, GENERIC_READ, kShareAll, OPEN_EXISTING));
        EXPECT_TRUE(h.valid()) << "error " << api->GetLastError();
        std::vector<std::uint8_t> bytes(256);
        DWORD read = 0;
        EXPECT_EQ(api->ReadFile(h.get(), bytes, static_cast<DWORD>(bytes.size()), &read), TRUE);
        bytes.resize(read);
        return bytes;
    }
};

void ExpectFileError(const std::function<void()>& action, std::int32_t number,
                     const std::string& description) {
    try {
        action();
        ADD_FAILURE() << "no error raised; expected " << number;
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.source(), "Win32File Object");
        EXPECT_EQ(e.description(), description);
    }
}

// --- the file class ----------------------------------------------------------

TEST_F(FileContract, NewObjectRaisesNoOpenFileFromEveryGuardedMember) {
    clsFile64 file(*api);
    EXPECT_FALSE(file.IsOpen());
    std::array<std::uint8_t, 4> buffer{};
    const std::vector<std::pair<const char*, std::function<void()>>> members = {
        {"FileHandle", [&] { (void)file.FileHandle(); }},
        {"FileName", [&] { (void)file.FileName(); }},
        {"AutoFlush get", [&] { (void)file.AutoFlush(); }},
        {"AutoFlush set", [&] { file.AutoFlush(true); }},
        {"CloseFile", [&] { file.CloseFile(); }},
        {"ReadBytes", [&] { (void)file.ReadBytes(4, buffer); }},
        {"WriteBytesN", [&] { (void)file.WriteBytesN(4, buffer); }},
        {"WriteBytes", [&] { file.WriteBytes(buffer); }},
        {"Flush", [&] { file.Flush(); }},
        {"SeekAbsolute", [&] { file.SeekAbsolute(0, 0); }},
        {"SeekRelative", [&] { file.SeekRelative(0); }},
    };
    for (const auto& [name, call] : members) {
        SCOPED_TRACE(name);
        ExpectFileError(call, 45603, "There is no open file.");
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST_F(FileContract, OpenFileCreatesAMissingEmptyFileAndKeepsAnExistingOnesBytes) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("new.bin"), 0));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_NE(file.FileHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.FileName(), Path("new.bin"));
    EXPECT_FALSE(file.AutoFlush());
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(file.ReadBytes(8, buffer), 0u);
    file.CloseFile();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(ReadAll("new.bin").empty());

    ASSERT_TRUE(file.OpenFile(Path("new.bin"), 0));
    file.WriteBytes(std::vector<std::uint8_t>{7, 8, 9});
    file.CloseFile();
    ASSERT_TRUE(file.OpenFile(Path("new.bin"), 0));
    EXPECT_EQ(file.ReadBytes(8, buffer), 3u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[2], 9);
}

TEST_F(FileContract, OpenFileInAMissingFolderFailsQuietly) {
    // The simulation takes every folder to exist unless told otherwise.
    if (auto* sim = dynamic_cast<sim::SimulatedWindows*>(api.get())) {
        sim->files().AddMissingFolder(Path("absent"));
    }
    clsFile64 file(*api);
    EXPECT_FALSE(file.OpenFile(Path("absent\\x.bin"), 0));
    EXPECT_FALSE(file.IsOpen());
    ExpectFileError([&] { (void)file.FileName(); }, 45603, "There is no open file.");
    // The failed name is not held against the object: a good name opens next.
    EXPECT_TRUE(file.OpenFile(Path("x.bin"), 0));
    EXPECT_EQ(file.FileName(), Path("x.bin"));
}

TEST_F(FileContract, ShareModeZeroRefusesASecondOpener) {
    clsFile64 first(*api);
    clsFile64 second(*api);
    ASSERT_TRUE(first.OpenFile(Path("locked.bin"), 0));
    EXPECT_FALSE(second.OpenFile(Path("locked.bin"), 0));
    EXPECT_FALSE(second.IsOpen());
    // Not even a reader that shares everything gets in.
    EXPECT_EQ(Open("locked.bin", GENERIC_READ, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_SHARING_VIOLATION);
    first.CloseFile();
    EXPECT_TRUE(second.OpenFile(Path("locked.bin"), 0));
}

TEST_F(FileContract, OpenFileOnAnObjectHoldingAFileKeepsTheFirstAndOpensNothing) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("first.bin"), 0));
    const Handle handle = file.FileHandle();
    EXPECT_FALSE(file.OpenFile(Path("second.bin"), 0));
    EXPECT_EQ(file.FileHandle(), handle);
    EXPECT_EQ(file.FileName(), Path("first.bin"));
    EXPECT_EQ(Open("second.bin", GENERIC_READ, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_FILE_NOT_FOUND);
    // The first file is still usable through the object.
    file.WriteBytes(std::vector<std::uint8_t>{1});
    file.CloseFile();
    EXPECT_EQ(ReadAll("first.bin"), std::vector<std::uint8_t>{1});
}

TEST_F(FileContract, WriteBytesWritesExactlyTheBufferAndWriteBytesNThePrefix) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("three.bin"), 0));
    file.WriteBytes(std::vector<std::uint8_t>{0x41, 0x00, 0xFF});
    EXPECT_EQ(Position(file.FileHandle()), 3u);
    const std::vector<std::uint8_t> data{1, 2, 3, 4, 5};
    EXPECT_EQ(file.WriteBytesN(2, data), 2u);
    EXPECT_EQ(file.WriteBytesN(0, data), 0u);
    file.CloseFile();
    EXPECT_EQ(ReadAll("three.bin"), (std::vector<std::uint8_t>{0x41, 0x00, 0xFF, 1, 2}));
}

TEST_F(FileContract, ReadBytesAtEndOfFileGivesZeroAndAShortReadGivesWhatIsLeft) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("eof.bin"), 0));
    file.WriteBytes(std::vector<std::uint8_t>{1, 2, 3});
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(file.ReadBytes(8, buffer), 0u);
    file.SeekAbsolute(0, 1);
    EXPECT_EQ(file.ReadBytes(8, buffer), 2u);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(buffer[1], 3);
    EXPECT_EQ(file.ReadBytes(8, buffer), 0u);
}

TEST_F(FileContract, SeekAbsoluteHighOneLowZeroIsFourGibibytes) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("far.bin"), 0));
    file.WriteBytes(std::vector<std::uint8_t>{1, 2, 3});
    file.SeekAbsolute(1, 0);
    EXPECT_EQ(Position(file.FileHandle()), 4'294'967'296u);
    // Far past the end: nothing to read, and the file did not grow.
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(file.ReadBytes(4, buffer), 0u);
    file.SeekAbsolute(0, 0xFFFFFFFFu);  // the low half is unsigned
    EXPECT_EQ(Position(file.FileHandle()), 0xFFFFFFFFu);
    file.SeekAbsolute(0, 1);
    EXPECT_EQ(Position(file.FileHandle()), 1u);
    // Before the start: refused silently, the position stays.
    file.SeekAbsolute(-1, 0);
    EXPECT_EQ(Position(file.FileHandle()), 1u);
}

TEST_F(FileContract, SeekRelativeBeforeTheStartRaisesSeekErrorWithTheCodeTwice) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("back.bin"), 0));
    file.WriteBytes(std::vector<std::uint8_t>{1, 2, 3});
    ExpectFileError([&] { file.SeekRelative(-4); }, 45604, "Seek Error.\r\nError 131.\r\n131");
    EXPECT_EQ(Position(file.FileHandle()), 3u);
    EXPECT_TRUE(file.IsOpen());
    file.SeekRelative(-3);
    EXPECT_EQ(Position(file.FileHandle()), 0u);
    file.SeekRelative(5);
    EXPECT_EQ(Position(file.FileHandle()), 5u);
    // Landing on 0xFFFFFFFF is a position, not the failure value.
    file.SeekAbsolute(0, 0xFFFFFFFEu);
    file.SeekRelative(1);
    EXPECT_EQ(Position(file.FileHandle()), 0xFFFFFFFFu);
}

TEST_F(FileContract, DestroyingAnObjectClosesItsFile) {
    {
        clsFile64 file(*api);
        ASSERT_TRUE(file.OpenFile(Path("scoped.bin"), 0));
    }
    clsFile64 again(*api);
    EXPECT_TRUE(again.OpenFile(Path("scoped.bin"), 0));
}

TEST_F(FileContract, AutoFlushIsFalseAgainAfterCloseFileAndAReopen) {
    clsFile64 file(*api);
    ASSERT_TRUE(file.OpenFile(Path("flush.bin"), 0));
    file.AutoFlush(true);
    EXPECT_TRUE(file.AutoFlush());
    file.WriteBytes(std::vector<std::uint8_t>{5});
    file.Flush();
    file.CloseFile();
    ExpectFileError([&] { (void)file.AutoFlush(); }, 45603, "There is no open file.");
    ASSERT_TRUE(file.OpenFile(Path("flush.bin"), 0));
    EXPECT_FALSE(file.AutoFlush());
    EXPECT_EQ(file.FileName(), Path("flush.bin"));
}

// --- the raw file functions ----------------------------------------------------

TEST_F(FileContract, CreateFileDispositionsAndTheirLastErrors) {
    api->SetLastError(77);
    UniqueFileHandle created(*api, Open("d.bin", kReadWrite, 0, OPEN_ALWAYS));
    ASSERT_TRUE(created.valid());
    EXPECT_EQ(api->GetLastError(), ERROR_SUCCESS);
    created.reset();

    api->SetLastError(77);
    UniqueFileHandle reopened(*api, Open("D.BIN", kReadWrite, 0, OPEN_ALWAYS));
    ASSERT_TRUE(reopened.valid()) << "names are compared without regard to case";
    EXPECT_EQ(api->GetLastError(), 183u);  // ERROR_ALREADY_EXISTS
    DWORD written = 0;
    const std::array<std::uint8_t, 2> two{1, 2};
    ASSERT_EQ(api->WriteFile(reopened.get(), two, 2, &written), TRUE);
    reopened.reset();

    EXPECT_EQ(Open("d.bin", kReadWrite, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), 80u);  // ERROR_FILE_EXISTS
    EXPECT_EQ(Open("missing.bin", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("missing.bin", kReadWrite, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("d.bin", kReadWrite, 0, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(ReadAll("d.bin").size(), 2u);
    api->SetLastError(77);
    UniqueFileHandle truncated(*api, Open("d.bin", kReadWrite, 0, CREATE_ALWAYS));
    ASSERT_TRUE(truncated.valid());
    EXPECT_EQ(api->GetLastError(), 183u);
    truncated.reset();
    EXPECT_TRUE(ReadAll("d.bin").empty());
}

TEST_F(FileContract, SharingFollowsBothOpenersShareModes) {
    UniqueFileHandle reader(*api, Open("s.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS));
    ASSERT_TRUE(reader.valid());
    UniqueFileHandle reader2(*api, Open("s.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_TRUE(reader2.valid());
    // The present readers do not share writing.
    EXPECT_EQ(Open("s.bin", GENERIC_WRITE, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_SHARING_VIOLATION);
    // The newcomer would not share the reading that is already going on.
    EXPECT_EQ(Open("s.bin", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api->GetLastError(), ERROR_SHARING_VIOLATION);
    // Asking for no data access passes any share mode.
    UniqueFileHandle attributes(*api, Open("s.bin", 0, kShareAll, OPEN_EXISTING));
    EXPECT_TRUE(attributes.valid());
}

TEST_F(FileContract, ReadAndWriteNeedTheMatchingAccess) {
    UniqueFileHandle writer(*api, Open("a.bin", GENERIC_WRITE, 0, OPEN_ALWAYS));
    ASSERT_TRUE(writer.valid());
    std::array<std::uint8_t, 4> buffer{};
    DWORD count = 99;
    EXPECT_EQ(api->ReadFile(writer.get(), buffer, 4, &count), FALSE);
    EXPECT_EQ(api->GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    writer.reset();

    UniqueFileHandle reader(*api, Open("a.bin", GENERIC_READ, 0, OPEN_EXISTING));
    ASSERT_TRUE(reader.valid());
    count = 99;
    EXPECT_EQ(api->WriteFile(reader.get(), buffer, 4, &count), FALSE);
    EXPECT_EQ(api->GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(api->FlushFileBuffers(reader.get()), FALSE);
    EXPECT_EQ(api->GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileContract, ReadAtEndSucceedsWithZeroAndWritingPastTheEndFillsTheGapWithZeros) {
    UniqueFileHandle h(*api, Open("gap.bin", kReadWrite, 0, OPEN_ALWAYS));
    ASSERT_TRUE(h.valid());
    std::array<std::uint8_t, 4> buffer{};
    DWORD count = 99;
    EXPECT_EQ(api->ReadFile(h.get(), buffer, 4, &count), TRUE);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(api->SetFilePointer(h.get(), 3, nullptr, FILE_BEGIN), 3u);
    const std::array<std::uint8_t, 1> one{9};
    DWORD written = 0;
    ASSERT_EQ(api->WriteFile(h.get(), one, 1, &written), TRUE);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(api->WriteFile(h.get(), one, 0, &written), TRUE);
    EXPECT_EQ(written, 0u);
    h.reset();
    EXPECT_EQ(ReadAll("gap.bin"), (std::vector<std::uint8_t>{0, 0, 0, 9}));
}

TEST_F(FileContract, SetFilePointerRefusesNegativePositionsAndKeepsThePosition) {
    UniqueFileHandle h(*api, Open("p.bin", kReadWrite, 0, OPEN_ALWAYS));
    ASSERT_TRUE(h.valid());
    ASSERT_EQ(api->SetFilePointer(h.get(), 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(api->SetFilePointer(h.get(), -3, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(api->GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(api->SetFilePointer(h.get(), -1, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(api->GetLastError(), ERROR_NEGATIVE_SEEK);
    LONG high = -1;
    EXPECT_EQ(api->SetFilePointer(h.get(), 0, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(api->GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(Position(h.get()), 2u);
    EXPECT_EQ(api->SetFilePointer(h.get(), 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(api->GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileContract, SetFilePointerTellsPositionFFFFFFFFFromAFailure) {
    UniqueFileHandle h(*api, Open("f.bin", kReadWrite, 0, OPEN_ALWAYS));
    ASSERT_TRUE(h.valid());
    api->SetLastError(77);
    LONG high = 0;
    EXPECT_EQ(api->SetFilePointer(h.get(), -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(api->GetLastError(), ERROR_SUCCESS);
    // Other successful moves leave the last error alone.
    api->SetLastError(77);
    high = 1;
    EXPECT_EQ(api->SetFilePointer(h.get(), 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(api->GetLastError(), 77u);
    // With a high part, a move back needs the high half's sign too.
    high = -1;
    EXPECT_EQ(api->SetFilePointer(h.get(), -5, &high, FILE_CURRENT), 0u);
    EXPECT_EQ(high, 1);
}

}  // namespace
}  // namespace plumvane::contract
