#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "hotplug/HotplugInfo.h"
#include "platform/WinDefs.h"
#include "sim/BentDriverWindows.h"
#include "sim/Scenario.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::hotplug {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr platform::Hwnd kOwner = static_cast<platform::Hwnd>(0x5150);

sim::SimDisk Drive(int number, std::array<std::uint8_t, 8> hotplug) {
    sim::SimDisk disk;
    disk.number = number;
    disk.deviceNumber = static_cast<std::uint32_t>(number);
    disk.hotplug = hotplug;
    return disk;
}

// The window's write, naming both flags.
bool WriteBoth(sim::SimulatedWindows& win, int drive, bool writeCacheOverride, bool deviceHotplug) {
    return WriteHotplugInfo(win, kOwner, drive,
                            {writeCacheOverride, deviceHotplug, false, {}, false})
        .ok();
}

class HotplugTest : public ::testing::Test {
protected:
    void SetUp() override { win.machine().disks = {Drive(3, {8, 0, 0, 0, 1, 0, 1, 0})}; }
    void TearDown() override {
        EXPECT_EQ(win.OpenHandleCount(), 0);
        EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
    }
    sim::SimDisk& disk() { return win.machine().disks[0]; }
    Bytes DriverBytes() { return Bytes(disk().hotplug.begin(), disk().hotplug.end()); }
    // An empty text: no box at all.
    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(win.messageBoxes().size(), text.empty() ? 0u : 1u);
        if (text.empty()) return;
        const sim::MessageBoxRecord& box = win.messageBoxes()[0];
        EXPECT_EQ(box.owner, kOwner);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.type, platform::MB_ICONERROR);
    }
    std::vector<std::string> Functions() {
        std::vector<std::string> out;
        for (const sim::CallRecord& c : win.calls()) {
            std::string name = c.function;
            if (c.function == "DeviceIoControl") {
                name += c.detail.find("0x002D0C14") != std::string::npos ? " GET" : " SET";
            }
            out.push_back(name);
        }
        return out;
    }

    sim::SimulatedWindows win;
};

// --- reading -----------------------------------------------------------------

// Byte 7 is WriteCacheEnableOverride and byte 6 DeviceHotplug; any nonzero
// byte is true, and a read needs no write access.
TEST_F(HotplugTest, ReadGivesWriteCacheOverrideFirstThenDeviceHotplug) {
    struct Case {
        std::uint8_t deviceHotplug, writeCacheOverride;
        std::uint32_t openWriteError;
        bool wceo, hotplug;
    };
    const Case cases[] = {{0, 1, 0, true, false},
                          {1, 0, 5, false, true},
                          {1, 1, 0, true, true},
                          {2, 2, 0, true, true},
                          {255, 255, 0, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.deviceHotplug});
        disk().hotplug = {8, 0, 0, 0, 1, 0, c.deviceHotplug, c.writeCacheOverride};
        disk().errors.openWrite = c.openWriteError;
        win.ClearCalls();
        bool wceo = !c.wceo;
        bool hotplug = !c.hotplug;
        EXPECT_TRUE(ReadHotplugInfo(win, kOwner, 3, wceo, hotplug));
        EXPECT_EQ(wceo, c.wceo);
        EXPECT_EQ(hotplug, c.hotplug);
        ASSERT_FALSE(win.calls().empty());
        EXPECT_EQ(win.calls()[0].detail, "\\\\.\\PhysicalDrive3");
    }
    EXPECT_TRUE(win.messageBoxes().empty());
}

TEST_F(HotplugTest, FailedReadQueryIsSilentAndStillCloses) {
    disk().errors.getHotplug = 1;
    bool wceo = true;
    bool hotplug = true;
    EXPECT_FALSE(ReadHotplugInfo(win, kOwner, 3, wceo, hotplug));
    EXPECT_TRUE(wceo);
    EXPECT_TRUE(hotplug);
    EXPECT_TRUE(win.messageBoxes().empty());
    EXPECT_EQ(Functions(),
              (std::vector<std::string>{"CreateFileA", "DeviceIoControl GET", "CloseHandle"}));
}

TEST(HotplugSuccessTest, OnlyABoolOfOneIsSuccess) {
    // Device calls that answer a nonzero BOOL other than 1.
    sim::testing::BentDriverWindows win;
    win.bend = [](platform::DWORD, std::span<platform::Byte>, platform::BOOL result) {
        return result == 1 ? 2 : result;
    };
    win.machine().disks = {Drive(0, {8, 0, 0, 0, 1, 0, 1, 1})};
    bool wceo = false;
    bool hotplug = false;
    EXPECT_FALSE(ReadHotplugInfo(win, kOwner, 0, wceo, hotplug));
    EXPECT_FALSE(wceo);
    EXPECT_FALSE(hotplug);
    EXPECT_TRUE(win.messageBoxes().empty());

    // The GET counts as failed, so nothing is sent.
    EXPECT_FALSE(WriteBoth(win, 0, false, false));
    EXPECT_TRUE(win.hotplugWrites().empty());
    ASSERT_EQ(win.messageBoxes().size(), 1u);
    EXPECT_EQ(win.messageBoxes()[0].text, "Error 0 IOCTL_STORAGE_GET_HOTPLUG_INFO");
    EXPECT_EQ(win.OpenHandleCount(), 0);
}

// --- writing -----------------------------------------------------------------

TEST_F(HotplugTest, WriteOpensGetsSetsAndCloses) {
    EXPECT_TRUE(WriteBoth(win, 3, true, false));
    EXPECT_EQ(Functions(), (std::vector<std::string>{"CreateFileA", "DeviceIoControl GET",
                                                     "DeviceIoControl SET", "CloseHandle"}));
    EXPECT_EQ(win.calls()[0].detail, "\\\\.\\PhysicalDrive3");
    EXPECT_TRUE(win.messageBoxes().empty());
    // A later read sees what was written.
    bool wceo = false;
    bool hotplug = true;
    EXPECT_TRUE(ReadHotplugInfo(win, kOwner, 3, wceo, hotplug));
    EXPECT_TRUE(wceo);
    EXPECT_FALSE(hotplug);
}

TEST_F(HotplugTest, SetSendsBytesZeroToFiveAsReadAndFlagsAsZeroOrOne) {
    // MediaRemovable 1 and MediaHotplug 1 must come back as the driver gave them.
    disk().hotplug = {8, 0, 0, 0, 1, 1, 0, 0};
    ASSERT_TRUE(WriteBoth(win, 3, false, true));
    ASSERT_TRUE(WriteBoth(win, 3, true, false));
    ASSERT_TRUE(WriteBoth(win, 3, true, true));
    ASSERT_TRUE(WriteBoth(win, 3, false, false));
    const std::vector<Bytes> sent = {{8, 0, 0, 0, 1, 1, 1, 0},
                                     {8, 0, 0, 0, 1, 1, 0, 1},
                                     {8, 0, 0, 0, 1, 1, 1, 1},
                                     {8, 0, 0, 0, 1, 1, 0, 0}};
    ASSERT_EQ(win.hotplugWrites().size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(win.hotplugWrites()[i].bytes, sent[i]) << i;
        EXPECT_TRUE(win.hotplugWrites()[i].ok);
        EXPECT_EQ(win.hotplugWrites()[i].disk, 3);
    }
    // Flags read as 2 and 255 go back as exactly 1.
    disk().hotplug = {8, 0, 0, 0, 0, 1, 2, 255};
    ASSERT_TRUE(WriteBoth(win, 3, true, true));
    EXPECT_EQ(win.hotplugWrites().back().bytes, (Bytes{8, 0, 0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(DriverBytes(), (Bytes{8, 0, 0, 0, 0, 1, 1, 1}));
}

// Each failure path: one message at most, shown before the handle is closed,
// and the out values of a failed read left as they were. A write's open that
// found no drive or lacked the rights shows none: the window tells those in
// its own words.
struct Failure {
    const char* name;
    bool write;
    int drive;
    void (*setUp)(sim::SimDisk&);
    std::string message;
    std::vector<std::string> calls;
};
class HotplugFailureTest : public HotplugTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(HotplugFailureTest, ShowsAtMostOneMessageBeforeTheClose) {
    const Failure& c = GetParam();
    c.setUp(disk());
    if (c.write) {
        EXPECT_FALSE(WriteBoth(win, c.drive, false, false));
    } else {
        bool wceo = true;
        bool hotplug = false;
        EXPECT_FALSE(ReadHotplugInfo(win, kOwner, c.drive, wceo, hotplug));
        EXPECT_TRUE(wceo);
        EXPECT_FALSE(hotplug);
    }
    ExpectOneMessage(c.message);
    EXPECT_EQ(Functions(), c.calls);
    // Only a SET that was sent is logged, and the driver keeps what it had.
    const bool setSent = c.calls.size() == 5;
    ASSERT_EQ(win.hotplugWrites().size(), setSent ? 1u : 0u);
    if (setSent) {
        EXPECT_FALSE(win.hotplugWrites()[0].ok);
    }
    EXPECT_EQ(DriverBytes(), (Bytes{8, 0, 0, 0, 1, 0, 1, 0}));
}

const std::vector<std::string> kOpenFailed = {"CreateFileA", "MessageBoxA"};
INSTANTIATE_TEST_SUITE_P(
    Paths, HotplugFailureTest,
    ::testing::Values(
        Failure{"ReadMissingDrive", false, 7, [](sim::SimDisk&) {}, "Error 2 opening disk device",
                kOpenFailed},
        Failure{"WriteMissingDrive", true, 99, [](sim::SimDisk&) {}, "", {"CreateFileA"}},
        Failure{"WriteOpenRefused",
                true,
                3,
                [](sim::SimDisk& d) { d.errors.openWrite = 5; },
                "",
                {"CreateFileA"}},
        Failure{"WriteOpenShared", true, 3, [](sim::SimDisk& d) { d.errors.openWrite = 32; },
                "Error 32 opening disk device with write access", kOpenFailed},
        Failure{"NegativeCodeWithMinus", true, 3,
                [](sim::SimDisk& d) { d.errors.openWrite = 0xC0000022u; },
                "Error -1073741790 opening disk device with write access", kOpenFailed},
        Failure{"GetFailed",
                true,
                3,
                [](sim::SimDisk& d) { d.errors.getHotplug = 21; },
                "Error 21 IOCTL_STORAGE_GET_HOTPLUG_INFO",
                {"CreateFileA", "DeviceIoControl GET", "MessageBoxA", "CloseHandle"}},
        Failure{"SetFailed",
                true,
                3,
                [](sim::SimDisk& d) { d.errors.setHotplug = 1117; },
                "Error 1117 IOCTL_STORAGE_SET_HOTPLUG_INFO",
                {"CreateFileA", "DeviceIoControl GET", "DeviceIoControl SET", "MessageBoxA",
                 "CloseHandle"}}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

TEST_F(HotplugTest, SizeOtherThanEightIsSentBackButNeverMoreThanEightBytes) {
    // An input length taken from Size unchecked reads 4 bytes past the
    // structure for a Size of 12.
    const std::vector<std::pair<std::uint8_t, std::size_t>> cases = {{12, 8}, {7, 7}, {0, 0}};
    for (const auto& [size, sentLength] : cases) {
        SCOPED_TRACE(int{size});
        disk().hotplug = {size, 0, 0, 0, 1, 0, 0, 0};
        win.ClearCalls();
        const std::size_t before = win.hotplugWrites().size();
        EXPECT_FALSE(WriteBoth(win, 3, true, true));
        ASSERT_EQ(win.hotplugWrites().size(), before + 1);
        const Bytes full = {size, 0, 0, 0, 1, 0, 1, 1};
        EXPECT_EQ(win.hotplugWrites().back().bytes, Bytes(full.begin(), full.begin() + sentLength));
        EXPECT_EQ(win.messageBoxes().back().text, "Error 87 IOCTL_STORAGE_SET_HOTPLUG_INFO");
        EXPECT_EQ(win.OpenHandleCount(), 0);
    }
    // A huge Size is no exception.
    disk().hotplug = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    EXPECT_FALSE(WriteBoth(win, 3, false, true));
    EXPECT_EQ(win.hotplugWrites().back().bytes, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0}));
    EXPECT_EQ(win.messageBoxes().size(), 4u);
}

// Every USB drive of tests/scenarios/failures.json read, then written.
TEST(HotplugScenarioTest, EachFailureKindGivesItsOneMessage) {
    sim::SimulatedWindows win(
        sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/failures.json"));
    struct Case {
        int drive;
        bool read;
        std::string readMessage;
        bool written;
        std::string writeMessage;
    };
    const std::vector<Case> cases = {
        {1, false, "Error 32 opening disk device", false,
         "Error 32 opening disk device with write access"},
        {2, true, "", false, ""},  // refused for rights: the window's own words
        {8, false, "", false, "Error 1 IOCTL_STORAGE_GET_HOTPLUG_INFO"},
        {9, true, "", false, "Error 1117 IOCTL_STORAGE_SET_HOTPLUG_INFO"},
        {11, true, "", false, "Error 87 IOCTL_STORAGE_SET_HOTPLUG_INFO"},  // Size 7
        {12, true, "", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drive);
        std::size_t boxes = win.messageBoxes().size();
        bool wceo = false;
        bool hotplug = false;
        EXPECT_EQ(ReadHotplugInfo(win, kOwner, c.drive, wceo, hotplug), c.read);
        EXPECT_EQ(win.messageBoxes().size(), boxes + (c.readMessage.empty() ? 0 : 1));
        if (!c.readMessage.empty()) {
            EXPECT_EQ(win.messageBoxes().back().text, c.readMessage);
        }
        if (c.drive == 12) {
            EXPECT_TRUE(wceo && hotplug);  // delivered as 2 and 255
        }

        boxes = win.messageBoxes().size();
        EXPECT_EQ(WriteBoth(win, c.drive, false, true), c.written);
        EXPECT_EQ(win.messageBoxes().size(), boxes + (c.writeMessage.empty() ? 0 : 1));
        if (!c.writeMessage.empty()) {
            EXPECT_EQ(win.messageBoxes().back().text, c.writeMessage);
        }
        EXPECT_EQ(win.OpenHandleCount(), 0);
    }
}

TEST(HotplugLayoutTest, ImageAccessors) {
    STORAGE_HOTPLUG_INFO info;
    info.bytes = {0x08, 0x01, 0x00, 0x00, 1, 0, 0, 0};
    EXPECT_EQ(info.Size(), 0x108u);
    info.SetSize(8);
    info.SetDeviceHotplug(true);
    info.SetWriteCacheEnableOverride(false);
    EXPECT_EQ(info.bytes, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 0}));
}

// --- the quiet forms -----------------------------------------------------------

TEST_F(HotplugTest, QuietFormsMakeTheSameCallsAndShowNothing) {
    HotplugResult read = ReadFlagsQuietly(win, 3);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.Read.bytes, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(Functions(),
              (std::vector<std::string>{"CreateFileA", "DeviceIoControl GET", "CloseHandle"}));

    win.ClearCalls();
    EXPECT_TRUE(WriteFlagsQuietly(win, 3, {false, true, false, {}}).ok());
    EXPECT_EQ(Functions(), (std::vector<std::string>{"CreateFileA", "DeviceIoControl GET",
                                                     "DeviceIoControl SET", "CloseHandle"}));
    EXPECT_EQ(win.calls()[0].detail, "\\\\.\\PhysicalDrive3");
    EXPECT_TRUE(win.messageBoxes().empty());
}

// The flag not named is sent back as the same open's GET gave it.
TEST_F(HotplugTest, QuietWriteKeepsTheFlagNotNamed) {
    struct Case {
        HotplugChange change;
        Bytes sent;
    };
    disk().hotplug = {8, 0, 0, 0, 1, 0, 0, 1};
    const Case cases[] = {
        {{std::nullopt, true, false, {}}, {8, 0, 0, 0, 1, 0, 1, 1}},
        {{false, std::nullopt, false, {}}, {8, 0, 0, 0, 1, 0, 1, 0}},
        {{true, false, false, {}}, {8, 0, 0, 0, 1, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        const HotplugResult result = WriteFlagsQuietly(win, 3, c.change);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(win.hotplugWrites().back().bytes, c.sent);
        EXPECT_EQ(Bytes(result.Written.bytes.begin(), result.Written.bytes.end()), c.sent);
        EXPECT_EQ(DriverBytes(), c.sent);
    }
}

TEST_F(HotplugTest, DryRunDoesEverythingButTheSet) {
    const HotplugResult result = WriteFlagsQuietly(win, 3, {true, std::nullopt, true, {}});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.Written.bytes, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 1}));
    EXPECT_EQ(Functions(),
              (std::vector<std::string>{"CreateFileA", "DeviceIoControl GET", "CloseHandle"}));
    EXPECT_TRUE(win.hotplugWrites().empty());
    EXPECT_EQ(DriverBytes(), (Bytes{8, 0, 0, 0, 1, 0, 1, 0}));
}

TEST_F(HotplugTest, QuietFailuresNameTheStepAndCode) {
    struct Case {
        void (*setUp)(sim::SimDisk&);
        bool write;
        int drive;
        HotplugStep step;
        platform::DWORD error;
    };
    const Case cases[] = {
        {[](sim::SimDisk&) {}, false, 7, HotplugStep::Open, 2},
        {[](sim::SimDisk& d) { d.errors.getHotplug = 21; }, false, 3, HotplugStep::Get, 21},
        {[](sim::SimDisk& d) { d.errors.openWrite = 5; }, true, 3, HotplugStep::OpenForWrite, 5},
        {[](sim::SimDisk& d) { d.errors.getHotplug = 1; }, true, 3, HotplugStep::Get, 1},
        {[](sim::SimDisk& d) { d.errors.setHotplug = 1117; }, true, 3, HotplugStep::Set, 1117},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(HotplugStepName(c.step));
        SetUp();
        c.setUp(disk());
        const HotplugResult result = c.write
                                         ? WriteFlagsQuietly(win, c.drive, {true, true, false, {}})
                                         : ReadFlagsQuietly(win, c.drive);
        EXPECT_EQ(result.FailedStep, c.step);
        EXPECT_EQ(result.Error, c.error);
        EXPECT_TRUE(win.messageBoxes().empty());
        EXPECT_EQ(win.OpenHandleCount(), 0);
    }
}

}  // namespace
}  // namespace plumvane::hotplug
