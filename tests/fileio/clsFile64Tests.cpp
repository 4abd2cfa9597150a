// The file class on the simulated machine: what it asks of Windows (seen in
// the call log), how it treats Windows failures, and its refusal of counts
// that do not fit the caller's buffer. What real Windows must agree with is in
// the contract tests.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "fileio/clsFile64.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::fileio {
namespace {

using namespace platform;  // NOLINT: Windows names throughout

constexpr char kName[] = "C:\\data\\file.bin";

// Keeps the arguments of every CreateFileA, which the call log does not show.
class OpenRecorder : public sim::SimulatedWindows {
public:
    struct Open {
        std::string name;
        DWORD access, share, disposition, flags;
    };
    std::vector<Open> opens;

    Handle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        opens.push_back({std::string(fileName), desiredAccess, shareMode, creationDisposition,
                         flagsAndAttributes});
        return SimulatedWindows::CreateFileA(fileName, desiredAccess, shareMode,
                                             creationDisposition, flagsAndAttributes);
    }
};

std::vector<std::string> Functions(const sim::SimulatedWindows& api) {
    std::vector<std::string> names;
    for (const auto& call : api.calls()) names.push_back(call.function);
    return names;
}

int Count(const sim::SimulatedWindows& api, const std::string& function) {
    int n = 0;
    for (const auto& call : api.calls()) n += call.function == function ? 1 : 0;
    return n;
}

std::int32_t SeekErrorNumber(clsFile64& file, std::int32_t offset, std::string& description) {
    try {
        file.SeekRelative(offset);
    } catch (const FileError& e) {
        description = e.description();
        return e.number();
    }
    return 0;
}

// A file object with kName open on a fresh simulated machine.
class OpenedFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(file.OpenFile(kName, 0)); }
    sim::SimulatedWindows api;
    clsFile64 file{api};
};

TEST(clsFile64, OpenFileAsksForReadWriteNoSharingOpenAlwaysAndPassesFlagsThrough) {
    OpenRecorder api;
    clsFile64 file(api);
    ASSERT_TRUE(file.OpenFile(kName, 0x08000000));  // FILE_FLAG_SEQUENTIAL_SCAN
    ASSERT_EQ(api.opens.size(), 1u);
    EXPECT_EQ(api.opens[0].name, kName);
    EXPECT_EQ(api.opens[0].access, 0xC0000000u);
    EXPECT_EQ(api.opens[0].share, 0u);
    EXPECT_EQ(api.opens[0].disposition, OPEN_ALWAYS);
    EXPECT_EQ(api.opens[0].flags, 0x08000080u);
    EXPECT_TRUE(api.files().Exists(kName));
    // An object holding a file makes no Windows call for a second one.
    EXPECT_FALSE(file.OpenFile("C:\\data\\other.bin", 0));
    EXPECT_EQ(api.opens.size(), 1u);
    EXPECT_EQ(api.OpenHandleCount(), 1);
    EXPECT_FALSE(api.files().Exists("C:\\data\\other.bin"));
}

TEST_F(OpenedFile, AutoFlushFlushesAfterEveryWriteAndOnlyThen) {
    const std::vector<std::uint8_t> data{1, 2, 3};
    file.WriteBytes(data);
    EXPECT_EQ(Count(api, "FlushFileBuffers"), 0);

    file.AutoFlush(true);
    api.ClearCalls();
    file.WriteBytes(data);
    EXPECT_EQ(file.WriteBytesN(2, data), 2u);
    EXPECT_EQ(Functions(api), (std::vector<std::string>{"WriteFile", "FlushFileBuffers",
                                                        "WriteFile", "FlushFileBuffers"}));
}

TEST_F(OpenedFile, WindowsFailuresOfReadWriteAndFlushShowOnlyInTheCounts) {
    file.AutoFlush(true);
    api.InjectFault({"WriteFile", "", ERROR_DISK_FULL, 2});
    api.InjectFault({"FlushFileBuffers", "", ERROR_ACCESS_DENIED, -1});
    const std::vector<std::uint8_t> data{1, 2, 3};
    EXPECT_EQ(file.WriteBytesN(3, data), 0u);
    EXPECT_NO_THROW(file.WriteBytes(data));
    EXPECT_NO_THROW(file.Flush());
    EXPECT_TRUE(api.files().Contents(kName).empty());

    api.files().Put(kName, {4, 5, 6});
    api.InjectFault({"ReadFile", "", ERROR_NOT_READY, 1});
    std::array<std::uint8_t, 3> buffer{};
    EXPECT_EQ(file.ReadBytes(3, buffer), 0u);
    EXPECT_EQ(file.ReadBytes(3, buffer), 3u);
}

TEST_F(OpenedFile, CountsBeyondTheBufferAreRefusedBeforeAnyTransfer) {
    // A count larger than the buffer would make Windows read into or write
    // from memory past the caller's buffer.
    api.files().Put(kName, std::vector<std::uint8_t>(16, 0xAB));
    std::array<std::uint8_t, 4> buffer{};
    api.ClearCalls();
    EXPECT_THROW((void)file.ReadBytes(5, buffer), std::invalid_argument);
    EXPECT_THROW((void)file.WriteBytesN(5, buffer), std::invalid_argument);
    EXPECT_EQ(Count(api, "ReadFile") + Count(api, "WriteFile"), 0);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(file.ReadBytes(4, buffer), 4u);  // the exact size is fine
    // Without a file the guard comes first.
    file.CloseFile();
    EXPECT_THROW((void)file.ReadBytes(5, buffer), FileError);
}

TEST_F(OpenedFile, SeekRelativeBeyond32BitsIsRefusedWithInvalidParameter) {
    // Windows refuses a move without a high part whose result does not fit in
    // 32 bits (Wine lets it through, so this is checked on the simulation).
    file.SeekAbsolute(1, 0);
    std::string description;
    EXPECT_EQ(SeekErrorNumber(file, 0, description), kErrSeek);
    EXPECT_EQ(description, "Seek Error.\r\nError 87.\r\n87");

    file.SeekAbsolute(0, 0x7FFFFFFF);
    EXPECT_EQ(SeekErrorNumber(file, 0x7FFFFFFF, description), 0);  // 0xFFFFFFFE
    EXPECT_EQ(SeekErrorNumber(file, 1, description), 0);           // 0xFFFFFFFF
    EXPECT_EQ(SeekErrorNumber(file, 1, description), kErrSeek);
    EXPECT_EQ(description, "Seek Error.\r\nError 87.\r\n87");
    // The refused move left the position where it was.
    LONG high = 0;
    EXPECT_EQ(api.SetFilePointer(file.FileHandle(), 0, &high, FILE_CURRENT), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0);
    // Whatever code Windows gives is reported.
    api.InjectFault({"SetFilePointer", "", 1234567, 1});
    EXPECT_EQ(SeekErrorNumber(file, 10, description), kErrSeek);
    EXPECT_EQ(description, "Seek Error.\r\nError 1234567.\r\n1234567");
}

TEST(clsFile64, CloseFileAndDestructionCloseWithoutFlushingEvenWhenCloseFails) {
    sim::SimulatedWindows api;
    {
        clsFile64 file(api);
        ASSERT_TRUE(file.OpenFile(kName, 0));
        file.AutoFlush(true);
        api.ClearCalls();
    }
    EXPECT_EQ(Functions(api), std::vector<std::string>{"CloseHandle"});
    EXPECT_EQ(api.OpenHandleCount(), 0);

    clsFile64 file(api);
    ASSERT_TRUE(file.OpenFile(kName, 0));
    api.InjectFault({"CloseHandle", "", ERROR_INVALID_HANDLE, 1});
    EXPECT_NO_THROW(file.CloseFile());
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace plumvane::fileio
