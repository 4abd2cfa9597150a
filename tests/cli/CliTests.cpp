#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <variant>
#include <vector>

#include "cli/Cli.h"
#include "platform/Version.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

sim::Machine Scenario(const std::string& name) {
    return sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/" + name);
}

// Between the scan and the write the machine becomes `next`, at the first
// open of a drive by the name the flag calls use (the scan spells it in
// capitals) whose access includes `changeOnAccess`.
class ChangingWindows : public sim::SimulatedWindows {
public:
    using SimulatedWindows::SimulatedWindows;
    platform::Handle CreateFileA(std::string_view name, platform::DWORD access,
                                 platform::DWORD share, platform::DWORD disposition,
                                 platform::DWORD flags) override {
        if (next && name.starts_with("\\\\.\\PhysicalDrive") &&
            (access & changeOnAccess) == changeOnAccess) {
            SetMachine(*std::move(next));
            next.reset();
        }
        return SimulatedWindows::CreateFileA(name, access, share, disposition, flags);
    }
    std::optional<sim::Machine> next;
    platform::DWORD changeOnAccess = 0;
};

class CliTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(win.OpenHandleCount(), 0);
        EXPECT_EQ(win.OpenDeviceInfoSetCount(), 0);
        EXPECT_TRUE(win.messageBoxes().empty()) << "a console program showed a message box";
    }
    int Cli(std::vector<std::string> args) {
        output = {};
        const ParsedCommand parsed = ParseCommandLine(args, false);
        if (const auto* refusal = std::get_if<Refusal>(&parsed)) {
            return RefuseUsage(*refusal, false, output);
        }
        return cli::RunCommand(std::get<Command>(parsed), win, false, output);
    }
    nlohmann::json Json() { return nlohmann::json::parse(output.out); }
    sim::SimDisk& Disk(int number) {
        for (sim::SimDisk& d : win.machine().disks) {
            if (d.number == number) return d;
        }
        throw std::out_of_range("no such disk in the test machine");
    }
    std::vector<int> ListedNumbers() {
        std::vector<int> numbers;
        const nlohmann::json list = Json();
        for (const auto& d : list["disks"]) numbers.push_back(d["number"]);
        return numbers;
    }

    ChangingWindows win{Scenario("plain.json")};
    Output output;
};

TEST_F(CliTest, ListShowsTheUsbDisksOrWithAllEveryDisk) {
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    EXPECT_EQ(output.err, "");
    const nlohmann::json expected = nlohmann::json::parse(R"({"disks": [{
        "number": 2, "description": "SanDisk Cruzer Blade", "sizeText": "14.9 GB",
        "letters": ["E:", "G:"], "busType": 7,
        "deviceInstanceId": "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230413108063&0",
        "writeCacheEnableOverride": false, "deviceHotplug": true}]})");
    EXPECT_EQ(Json(), expected);

    ASSERT_EQ(Cli({"list", "--all", "--json"}), kExitOk);
    EXPECT_EQ(ListedNumbers(), (std::vector<int>{0, 1, 2}));

    ASSERT_EQ(Cli({"list"}), kExitOk);
    EXPECT_EQ(
        output.out,
        "DISK  DESCRIPTION                       SIZE       LETTERS      BUS      WCE-OVERRIDE  "
        "HOTPLUG\n"
        "   2  SanDisk Cruzer Blade              14.9 GB    E: G:        USB      off           "
        "on\n"
        "      id: USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230413108063&0\n");
    EXPECT_TRUE(win.hotplugWrites().empty());
}

// The scan, list and get only read: any open for writing or SET fails here.
TEST_F(CliTest, ReadingCommandsNeverWrite) {
    win.SetMachine(Scenario("failures.json"));
    win.ForbidWrites([](const std::string& call) { ADD_FAILURE() << call; });
    Cli({"list", "--all"});
    Cli({"list", "--json"});
    Cli({"get", "1"});
    Cli({"get", "E:", "--json"});
    win.ForbidWrites(nullptr);
}

TEST_F(CliTest, ListWithoutUsbDisks) {
    win.machine().disks.pop_back();
    ASSERT_EQ(Cli({"list"}), kExitOk);
    EXPECT_EQ(output.out, "no USB disks present\n");
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    EXPECT_EQ(Json(), nlohmann::json::parse(R"({"disks": []})"));
    win.machine().disks.clear();
    ASSERT_EQ(Cli({"list", "--all"}), kExitOk);
    EXPECT_EQ(output.out, "no disks present\n");
}

TEST_F(CliTest, SixteenUsbDisksInNumberOrderWithinOneHundredColumns) {
    win.SetMachine(Scenario("hub16.json"));
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    const std::vector<int> numbers = ListedNumbers();
    EXPECT_EQ(numbers.size(), 16u);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));

    // Long descriptions and ids among them: no line is wider than 100.
    win.machine().disks[5].vendor = std::string(60, 'V');
    win.machine().disks[5].instanceId = "USBSTOR\\" + std::string(190, 'I');
    ASSERT_EQ(Cli({"list", "--all"}), kExitOk);
    std::istringstream lines(output.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_LE(line.size(), 100u) << line;
    }
    EXPECT_GT(count, 40);
    // The id is wrapped, not cut: all of it is there.
    std::string joined;
    for (char c : output.out) {
        if (c != '\n' && c != ' ') joined += c;
    }
    EXPECT_NE(joined.find("id:USBSTOR\\" + std::string(190, 'I')), std::string::npos);
}

// The numbers alone, for a script's loop: an id wrapped over several lines
// (some of them starting with digits) adds none.
TEST_F(CliTest, QuietListIsTheNumbersAlone) {
    win.SetMachine(Scenario("hub16.json"));
    win.machine().disks[3].instanceId =
        "USBSTOR\\" + std::string(60, 'D') + "\\" + std::string(40, '3') + " 0 1&0\n2";
    ASSERT_EQ(Cli({"list", "-q"}), kExitOk);
    std::string expected;
    for (int n : [&] {
             EXPECT_EQ(Cli({"list", "--json"}), kExitOk);
             return ListedNumbers();
         }()) {
        expected += std::to_string(n) + "\n";
    }
    ASSERT_EQ(Cli({"list", "--quiet"}), kExitOk);
    EXPECT_EQ(output.out, expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 16);

    win.machine().disks.clear();
    ASSERT_EQ(Cli({"list", "-q", "--all"}), kExitOk);
    EXPECT_EQ(output.out, "");
}

TEST_F(CliTest, ADeviceTextCannotSteerTheTerminal) {
    // 0x9D is U+009D (OSC) in the machine's code page; it never ends.
    Disk(2).vendor = "Evil\x1b]0;pwned\x07\x9d";
    ASSERT_EQ(Cli({"list"}), kExitOk);
    EXPECT_EQ(output.out.find('\x1b'), std::string::npos);
    EXPECT_NE(output.out.find("Evil?? Cruzer Blade"), std::string::npos);
    // JSON escapes instead, the C1 control too: the value is kept.
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    EXPECT_NE(output.out.find(R"("Evil\u001b]0;pwned\u0007\u009d Cruzer Blade")"),
              std::string::npos);
    EXPECT_EQ(Json()["disks"][0]["description"], "Evil\x1b]0;pwned\x07\u009d Cruzer Blade");
}

// Whatever a device or a command line says: no byte of any output, text or
// error, is a control character (JSON escapes them instead).
TEST_F(CliTest, HostileTextsReachNoTerminalRaw) {
    const std::string texts[] = {
        "\x1b[2J\x1b]0;Administrator: pwned\x07",  // clears the screen, retitles the console
        "\x9b"
        "31m\x9d"
        "0;t\x9c\x90q",               // 8-bit forms, in the machine's code page
        "x\r\n   3  fake\tline\x7f",  // a forged line for a script
    };
    const auto check = [](const std::string& what, const std::string& bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto u = static_cast<unsigned char>(bytes[i]);
            const bool c1 = u == 0xC2 && i + 1 < bytes.size() &&
                            static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
                            static_cast<unsigned char>(bytes[i + 1]) <= 0x9F;
            EXPECT_FALSE((u < 0x20 && u != '\n') || u == 0x7F || c1)
                << what << ": byte " << i << " of " << ::testing::PrintToString(bytes);
        }
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        const struct {
            std::vector<std::string> args;
            void (*setUp)(sim::SimDisk&);
        } runs[] = {
            {{"list"}, nullptr},
            {{"list", "--all", "--json"}, nullptr},
            {{"get", "2"}, [](sim::SimDisk& d) { d.errors.getHotplug = 21; }},
            {{"get", "2", "--json"}, nullptr},
            {{"set", "2", "--hotplug", "off"}, nullptr},
            {{"set", "2", "--hotplug", "off", "--json"}, nullptr},
            {{"set", "2", "--hotplug", "off"}, [](sim::SimDisk& d) { d.errors.setHotplug = 5; }},
            {{"set", "0", "--hotplug", "off"}, nullptr},  // not USB
            {{"get", "USBSTOR\\" + text}, nullptr},       // no such id
            {{"get", text + "\xff\xc0"}, nullptr},        // not a disk, not UTF-8
            {{text}, nullptr},                            // not a command
        };
        for (const auto& run : runs) {
            win.SetMachine(Scenario("plain.json"));
            Disk(0).product = text;
            Disk(2).vendor = text;
            if (run.setUp) run.setUp(Disk(2));
            const int exit = Cli(run.args);
            const std::string what = ::testing::PrintToString(run.args);
            check(what + " out", output.out);
            check(what + " err", output.err);
            EXPECT_FALSE(output.out.empty() && output.err.empty()) << what << " exit " << exit;
            if (run.args.back() == "--json") {
                EXPECT_NO_THROW(Json()) << what;
            }
        }
    }
}

// Every way of naming the USB stick, and names that must not reach it.
TEST_F(CliTest, Selectors) {
    struct Case {
        std::string disk;
        int exit;
    };
    const Case cases[] = {
        {"2", kExitOk},
        {"02", kExitOk},
        {"E:", kExitOk},
        {"e", kExitOk},
        {"g:", kExitOk},
        {"usbstor\\disk&ven_sandisk&prod_cruzer_blade&rev_1.00\\4c530001230413108063&0", kExitOk},
        {"USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230413108063",
         kExitNoSuchDisk},  // a prefix
        {"3", kExitNoSuchDisk},
        {"99", kExitNoSuchDisk},
        {"100", kExitNoSuchDisk},
        {"99999999999999999999", kExitNoSuchDisk},
        {"Q:", kExitNoSuchDisk},
        {"E:\\", kExitOk},
        {"\\\\.\\PhysicalDrive2", kExitOk},
        {"\\\\.\\PHYSICALDRIVE02", kExitOk},
        {"\\\\.\\PhysicalDrive9", kExitNoSuchDisk},
        // Not one of the forms at all.
        {"USBSTOR", kExitUsage},
        {"-", kExitUsage},
        {"E:\\x", kExitUsage},
        {"\\\\.\\PhysicalDrive", kExitUsage},
        {"\\\\?\\usbstor#disk", kExitUsage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disk);
        EXPECT_EQ(Cli({"get", c.disk, "--json"}), c.exit) << output.err;
        if (c.exit == kExitOk) {
            EXPECT_EQ(Json()["number"], 2);
            EXPECT_EQ(Json()["deviceHotplug"], true);
        } else {
            EXPECT_EQ(output.out, "");
            EXPECT_TRUE(output.err.starts_with(
                c.exit == kExitUsage ? "plumvane-cli: \"" + c.disk + "\" is not a disk: give a "
                                     : "plumvane-cli: no "))
                << output.err;
        }
    }
    EXPECT_TRUE(win.hotplugWrites().empty());
}

TEST_F(CliTest, AnIdThatTwoDisksAnswerChoosesNeither) {
    win.machine().disks[1].bus = 7;
    win.machine().disks[1].instanceId = win.machine().disks[2].instanceId;
    win.machine().disks[1].interfacePath =
        "\\\\?\\usbstor#twin#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
    EXPECT_EQ(Cli({"set", win.machine().disks[2].instanceId, "--hotplug", "off"}), kExitNoSuchDisk);
    EXPECT_NE(output.err.find("names more than one disk"), std::string::npos);
    EXPECT_TRUE(win.hotplugWrites().empty());
}

TEST_F(CliTest, ADiskOffTheUsbBusNeedsAnyBus) {
    EXPECT_EQ(Cli({"set", "C:", "--hotplug", "on"}), kExitNoSuchDisk);
    EXPECT_EQ(output.err,
              "plumvane-cli: disk 0 (Samsung SSD 860 EVO 500GB) is on the SATA bus, not USB; add "
              "--any-bus to choose it anyway\n");
    EXPECT_EQ(Cli({"get", "0"}), kExitNoSuchDisk);
    EXPECT_TRUE(win.hotplugWrites().empty());

    EXPECT_EQ(Cli({"get", "0", "--any-bus", "--json"}), kExitOk);
    EXPECT_EQ(Json()["busType"], 11);
    EXPECT_EQ(Cli({"set", "C:", "--hotplug", "on", "--any-bus"}), kExitOk) << output.err;
    ASSERT_EQ(win.hotplugWrites().size(), 1u);
    EXPECT_EQ(win.hotplugWrites()[0].disk, 0);
    EXPECT_EQ(win.hotplugWrites()[0].bytes, (Bytes{8, 0, 0, 0, 0, 0, 1, 0}));
}

// Each case starts from its own driver bytes; the flag not named goes back as
// the driver holds it.
TEST_F(CliTest, SetChangesTheNamedFlagsAndKeepsTheOther) {
    struct Case {
        std::vector<std::string> options;
        Bytes driverBefore;
        Bytes sent;
        std::string hex;
        std::string said;
    };
    const Case cases[] = {
        {{"--write-cache-override", "on"},
         {8, 0, 0, 0, 1, 0, 1, 0},
         {8, 0, 0, 0, 1, 0, 1, 1},
         "0800000001000101",
         "DeviceHotplug on (kept), WriteCacheEnableOverride off -> on"},
        {{"--hotplug", "off"},
         {8, 0, 0, 0, 1, 0, 1, 1},
         {8, 0, 0, 0, 1, 0, 0, 1},
         "0800000001000001",
         "DeviceHotplug on -> off, WriteCacheEnableOverride on (kept)"},
        {{"--hotplug", "on", "--write-cache-override", "off"},
         {8, 0, 0, 0, 1, 0, 0, 1},
         {8, 0, 0, 0, 1, 0, 1, 0},
         "0800000001000100",
         "DeviceHotplug off -> on, WriteCacheEnableOverride on -> off"},
    };
    for (const Case& c : cases) {
        std::copy(c.driverBefore.begin(), c.driverBefore.end(), Disk(2).hotplug.begin());
        std::vector<std::string> args = {"set", "E:"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Cli(args), kExitOk) << output.err;
        EXPECT_EQ(win.hotplugWrites().back().bytes, c.sent);
        EXPECT_EQ(output.out, "disk 2 (SanDisk Cruzer Blade): " + c.said +
                                  "\nwrote STORAGE_HOTPLUG_INFO " + c.hex + "\n");
    }
    EXPECT_EQ(win.hotplugWrites().size(), 3u);
}

TEST_F(CliTest, DryRunWritesNothing) {
    ASSERT_EQ(Cli({"set", "2", "--write-cache-override", "on", "--dry-run"}), kExitOk);
    EXPECT_TRUE(win.hotplugWrites().empty());
    EXPECT_EQ(output.out,
              "disk 2 (SanDisk Cruzer Blade): DeviceHotplug on (kept), WriteCacheEnableOverride "
              "off -> on\ndry run: would write STORAGE_HOTPLUG_INFO 0800000001000101; nothing "
              "was written\n");
    EXPECT_EQ(Disk(2).hotplug, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 0}));
}

// A run that finds the flags as asked sends no SET and says so; --force
// sends it all the same; a dry run says whether it would. Only the flags
// asked for count, each read as on when its byte is nonzero. The driver has
// WriteCacheEnableOverride off and DeviceHotplug as `hotplugByte` says.
TEST_F(CliTest, SetSendsNothingWhenTheFlagsAreAsAsked) {
    const std::string asAsked = "the flags already hold the values asked for";
    const std::string kept = "nothing changed: " + asAsked + "; no SET was sent (--force sends it)";
    const std::string dryKept =
        "dry run: " + asAsked + ", so no SET would be sent; nothing was written";
    const std::string on = "STORAGE_HOTPLUG_INFO 0800000001000100";
    const std::string off = "STORAGE_HOTPLUG_INFO 0800000001000000";
    const auto would = [](const std::string& info) {
        return "dry run: would write " + info + "; nothing was written";
    };
    struct Case {
        std::vector<std::string> options;
        std::uint8_t hotplugByte;
        std::size_t sets;
        std::string said;  // the second line
        std::string json;  // changed, sent, wouldSend ("-": not there)
    };
    const Case cases[] = {
        {{"--hotplug", "on"}, 1, 0, kept, "0 0 -"},
        {{"--hotplug", "on"}, 2, 0, kept, "0 0 -"},
        {{"--hotplug", "on", "--force"}, 1, 1, "wrote " + on, "0 1 -"},
        {{"--hotplug", "on", "--dry-run"}, 1, 0, dryKept, "0 0 0"},
        {{"--hotplug", "on", "--dry-run", "--force"}, 1, 0, would(on), "0 0 1"},
        {{"--hotplug", "off"}, 1, 1, "wrote " + off, "1 1 -"},
        {{"--hotplug", "off", "--force"}, 1, 1, "wrote " + off, "1 1 -"},
        {{"--hotplug", "off", "--dry-run"}, 1, 0, would(off), "0 0 1"},
    };
    const auto bit = [](const nlohmann::json& j, const char* key) {
        return !j.contains(key) ? "-" : j[key] == true ? "1" : "0";
    };
    for (const Case& c : cases) {
        for (const bool json : {false, true}) {
            std::vector<std::string> args = {"set", "E:"};
            args.insert(args.end(), c.options.begin(), c.options.end());
            if (json) args.push_back("--json");
            SCOPED_TRACE(testing::PrintToString(args) + " on byte " +
                         std::to_string(c.hotplugByte));
            Disk(2).hotplug = {8, 0, 0, 0, 1, 0, c.hotplugByte, 0};
            const std::size_t before = win.hotplugWrites().size();
            ASSERT_EQ(Cli(args), kExitOk) << output.err;
            EXPECT_EQ(win.hotplugWrites().size() - before, c.sets);
            if (!json) {
                EXPECT_TRUE(output.out.ends_with("\n" + c.said + "\n")) << output.out;
                continue;
            }
            const nlohmann::json j = Json();
            EXPECT_EQ(
                std::string(bit(j, "changed")) + " " + bit(j, "sent") + " " + bit(j, "wouldSend"),
                c.json);
        }
    }
}

// For a script: the disk, the flags before and after, whether a SET went out.
TEST_F(CliTest, SetAsJson) {
    const auto expected = [](bool wceAfter, const char* hex, bool changed, bool sent) {
        nlohmann::json j = nlohmann::json::parse(R"({
            "disk": {"number": 2, "description": "SanDisk Cruzer Blade",
                     "deviceInstanceId": "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230413108063&0"},
            "before": {"writeCacheEnableOverride": false, "deviceHotplug": true},
            "after": {"writeCacheEnableOverride": false, "deviceHotplug": true}})");
        j["after"]["writeCacheEnableOverride"] = wceAfter;
        j["hotplugInfo"] = hex;
        j["changed"] = changed;
        j["sent"] = sent;
        if (!sent) j["wouldSend"] = true;
        return j;
    };
    ASSERT_EQ(Cli({"set", "E:", "--write-cache-override", "on", "--dry-run", "--json"}), kExitOk);
    EXPECT_EQ(Json(), expected(true, "0800000001000101", false, false));
    EXPECT_TRUE(win.hotplugWrites().empty());
    ASSERT_EQ(Cli({"set", "E:", "--write-cache-override", "on", "--json"}), kExitOk);
    EXPECT_EQ(Json(), expected(true, "0800000001000101", true, true));
    EXPECT_EQ(win.hotplugWrites().size(), 1u);

    // A failure says so on standard error only.
    Disk(2).errors.setHotplug = 5;
    EXPECT_EQ(Cli({"set", "E:", "--hotplug", "off", "--json"}), kExitAccessDenied);
    EXPECT_EQ(output.out, "");
}

TEST_F(CliTest, RefusedAndFailingWrites) {
    struct Case {
        void (*setUp)(sim::SimDisk&);
        int exit;
        std::string err;
        std::size_t sets;
    };
    const Case cases[] = {
        {[](sim::SimDisk& d) { d.errors.openWrite = 5; }, kExitAccessDenied,
         "plumvane-cli: error 5 opening disk device with write access: Access is denied.\n"
         "plumvane-cli: changing the flags needs an elevated prompt: start the command prompt "
         "or PowerShell with \"Run as administrator\", or, where Windows 11 has sudo turned "
         "on, put \"sudo\" before the command\n",
         0},
        {[](sim::SimDisk& d) { d.errors.setHotplug = 5; }, kExitAccessDenied,
         "plumvane-cli: error 5 IOCTL_STORAGE_SET_HOTPLUG_INFO: Access is denied.\n"
         "plumvane-cli: changing the flags needs an elevated prompt: start the command prompt "
         "or PowerShell with \"Run as administrator\", or, where Windows 11 has sudo turned "
         "on, put \"sudo\" before the command\n",
         1},
        {[](sim::SimDisk& d) { d.errors.setHotplug = 87; }, kExitWindowsFailure,
         "plumvane-cli: error 87 IOCTL_STORAGE_SET_HOTPLUG_INFO: The parameter is incorrect.\n", 1},
        {[](sim::SimDisk& d) { d.errors.openWrite = 32; }, kExitWindowsFailure,
         "plumvane-cli: error 32 opening disk device with write access: The process cannot "
         "access the file because it is being used by another process.\n",
         0},
        {[](sim::SimDisk& d) { d.errors.setHotplug = 1117; }, kExitWindowsFailure,
         "plumvane-cli: error 1117 IOCTL_STORAGE_SET_HOTPLUG_INFO: unknown error\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        Disk(2).errors = {};
        c.setUp(Disk(2));
        const std::size_t before = win.hotplugWrites().size();
        EXPECT_EQ(Cli({"set", "2", "--hotplug", "off"}), c.exit);
        EXPECT_EQ(output.err, c.err);
        EXPECT_EQ(output.out, "");
        EXPECT_EQ(win.hotplugWrites().size(), before + c.sets);
        EXPECT_EQ(Disk(2).hotplug, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 0}));
    }
}

TEST_F(CliTest, UnreadableFlagsShowTheErrorInstead) {
    Disk(2).errors.getHotplug = 21;
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    const nlohmann::json disk = Json()["disks"][0];
    EXPECT_FALSE(disk.contains("deviceHotplug"));
    EXPECT_FALSE(disk.contains("writeCacheEnableOverride"));
    EXPECT_EQ(disk["error"],
              nlohmann::json::parse(R"({"code": 21, "text": "The device is not ready."})"));

    ASSERT_EQ(Cli({"list"}), kExitOk);
    EXPECT_NE(output.out.find("      flags not read: error 21 IOCTL_STORAGE_GET_HOTPLUG_INFO: The "
                              "device is not ready.\n"),
              std::string::npos);

    // get is about the flags: a failed read is a failure.
    EXPECT_EQ(Cli({"get", "2", "--json"}), kExitWindowsFailure);
    EXPECT_EQ(Json()["error"]["code"], 21);
    EXPECT_EQ(output.err,
              "plumvane-cli: error 21 IOCTL_STORAGE_GET_HOTPLUG_INFO: The device is not ready.\n");
}

// The disk at the number changes after the scan: nothing is written.
TEST_F(CliTest, AChangedDiskIsRefused) {
    struct Case {
        const char* name;
        void (*change)(sim::Machine&);
        platform::DWORD when;  // the access of the open before which it changes
        std::string reason;
    };
    const Case cases[] = {
        {"an internal disk now at number 2",
         [](sim::Machine& m) {
             m.disks[2].bus = 11;
             m.disks[2].instanceId = "SCSI\\DISK&VEN_&PROD_INTERNAL\\4&0";
         },
         0, "the bus type differs"},
        {"another stick at number 2",
         [](sim::Machine& m) { m.disks[2].instanceId = "USBSTOR\\DISK&VEN_OTHER\\1&0"; }, 0,
         "the device instance id differs"},
        {"pulled", [](sim::Machine& m) { m.disks.pop_back(); }, 0, ""},
        {"the same model and id, another size",
         [](sim::Machine& m) { m.disks[2].geometry.cylinders *= 2; },
         platform::GENERIC_READ | platform::GENERIC_WRITE, "the size differs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win.SetMachine(Scenario("plain.json"));
        sim::Machine next = Scenario("plain.json");
        c.change(next);
        win.next = std::move(next);
        win.changeOnAccess = c.when;
        EXPECT_EQ(Cli({"set", "E:", "--hotplug", "off"}), kExitDiskChanged);
        EXPECT_TRUE(win.hotplugWrites().empty());
        EXPECT_EQ(output.out, "");
        const std::string reason = c.reason.empty()
                                       ? "is gone since the scan"
                                       : "is not the disk the scan found any more: " + c.reason;
        EXPECT_EQ(output.err, "plumvane-cli: disk 2 (SanDisk Cruzer Blade) " + reason +
                                  "; nothing was written, run the command again\n");
    }
}

// kExitDiskChanged (4) says another disk was found, nothing else: a query that
// fails on every try is not 4, since "run the command again" could not help.
TEST_F(CliTest, ExitCodesOfTheConfirmation) {
    const platform::DWORD rw = platform::GENERIC_READ | platform::GENERIC_WRITE;
    struct Case {
        const char* name;
        void (*failure)(sim::SimDisk&);
        bool fromTheScanOn;  // else only from the write's open on
        std::vector<std::string> extra;
        int exit;
        std::string err;
    };
    const Case cases[] = {
        {"descriptor refused on every try",
         [](sim::SimDisk& d) { d.errors.queryProperty = 1; },
         true,
         {"--any-bus"},
         kExitOk,
         ""},
        {"geometry refused on every try",
         [](sim::SimDisk& d) { d.errors.geometry = 21; },
         true,
         {},
         kExitOk,
         ""},
        {"geometry refused at the write only",
         [](sim::SimDisk& d) { d.errors.geometry = 21; },
         false,
         {},
         kExitWindowsFailure,
         "plumvane-cli: error 21 confirming the disk (its drive geometry): The device is not "
         "ready.\n"},
        {"descriptor refused at the write only",
         [](sim::SimDisk& d) { d.errors.queryProperty = 5; },
         false,
         {},
         kExitAccessDenied,
         "plumvane-cli: error 5 confirming the disk (its storage descriptor): Access is denied.\n"
         "plumvane-cli: changing the flags needs an elevated prompt: start the command prompt "
         "or PowerShell with \"Run as administrator\", or, where Windows 11 has sudo turned "
         "on, put \"sudo\" before the command\n"},
        {"device number refused at the write only",
         [](sim::SimDisk& d) { d.errors.deviceNumber = 1; },
         false,
         {},
         kExitWindowsFailure,
         "plumvane-cli: error 1 confirming the disk (its device number): Incorrect function.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win.SetMachine(Scenario("plain.json"));
        sim::Machine failing = Scenario("plain.json");
        c.failure(failing.disks[2]);
        if (c.fromTheScanOn) {
            win.SetMachine(failing);
        } else {
            win.next = failing;
            win.changeOnAccess = rw;
        }
        std::vector<std::string> args{"set", "2", "--hotplug", "off"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const std::size_t before = win.hotplugWrites().size();
        EXPECT_EQ(Cli(args), c.exit);
        EXPECT_EQ(output.err, c.err);
        EXPECT_EQ(win.hotplugWrites().size() - before, c.exit == kExitOk ? 1u : 0u);
    }
}

TEST_F(CliTest, TheScansBoxesBecomeNotes) {
    win.SetMachine(Scenario("failures.json"));
    ASSERT_EQ(Cli({"list", "--json"}), kExitOk);
    EXPECT_FALSE(Json()["disks"].empty());
    EXPECT_NE(output.err.find("plumvane-cli: the scan says: Plumvane: err\n"), std::string::npos);
}

TEST_F(CliTest, UsageHelpAndVersion) {
    EXPECT_EQ(Cli({"set", "1"}), kExitUsage);
    EXPECT_TRUE(output.err.starts_with("plumvane-cli: set needs --hotplug"));
    EXPECT_NE(output.err.find("usage: plumvane-cli list"), std::string::npos);
    EXPECT_EQ(output.out, "");

    EXPECT_EQ(Cli({"--help"}), kExitOk);
    EXPECT_NE(output.out.find("usage: plumvane-cli"), std::string::npos);
    EXPECT_EQ(Cli({"--version"}), kExitOk);
    EXPECT_EQ(output.out, "plumvane-cli " + std::string(platform::kVersionText) + "\n");
    // Neither touches the machine.
    EXPECT_TRUE(win.calls().empty());
}

}  // namespace
}  // namespace plumvane::cli
