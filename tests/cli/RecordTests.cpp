// plumvane-cli record: a machine recorded and replayed is the machine itself,
// to the disk table, the window and the list; recording only reads; serials
// are masked consistently; hostile texts come back unchanged.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/ModelSession.h"
#include "cli/Cli.h"
#include "cli/MachineRecorder.h"
#include "platform/Version.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::cli {
namespace {

namespace fs = std::filesystem;

// Every scenario file kept with the tests: the examples, the window cases'
// machines and the corpus of real devices.
std::vector<fs::path> ScenarioFiles() {
    std::vector<fs::path> files;
    const fs::path root = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios";
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& p = entry.path();
        if (p.extension() != ".json" || p.filename() == "manifest.json") continue;
        if (p.parent_path().filename() == "expected") continue;
        files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What record prints for the machine, every call checked: nothing asks for
// access, nothing is written, nothing is left open.
std::string Record(const sim::Machine& machine, bool keepSerials) {
    sim::SimulatedWindows windows(machine);
    windows.ForbidWrites(
        [](const std::string& call) { ADD_FAILURE() << "record wrote: " << call; });
    Command command;
    command.verb = Verb::Record;
    command.keepSerials = keepSerials;
    Output output;
    EXPECT_EQ(RunCommand(command, windows, true, output), kExitOk);
    EXPECT_EQ(output.err, "");
    for (const sim::CallRecord& call : windows.calls()) {
        if (call.function == "CreateFileA") {
            EXPECT_EQ(*call.access, 0u) << call.detail;
        }
    }
    EXPECT_EQ(windows.OpenHandleCount(), 0);
    EXPECT_EQ(windows.OpenDeviceInfoSetCount(), 0);
    EXPECT_TRUE(windows.hotplugWrites().empty());
    return output.out;
}

std::string ListAll(const sim::Machine& machine) {
    sim::SimulatedWindows windows(machine);
    Command command;
    command.verb = Verb::List;
    command.all = true;
    command.json = true;
    Output output;
    RunCommand(command, windows, true, output);
    return output.out + output.err;
}

std::string Window(const sim::Machine& machine) {
    return app::ModelSession(machine).State().dump(2);
}

// The instance parts of device instance ids reduced to their character
// classes, so that a masked replay compares with the machine itself.
std::string WithoutSerials(std::string text) {
    const std::string key = "\"deviceInstanceId\": \"";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const std::size_t begin = at + key.size();
        std::size_t end = begin;
        while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
        const std::size_t slash = text.rfind("\\\\", end);
        for (std::size_t i = (slash != std::string::npos && slash >= begin ? slash + 2 : begin);
             i < end && i < text.size(); ++i) {
            char& c = text[i];
            c = (c >= '0' && c <= '9')   ? '9'
                : (c >= 'A' && c <= 'Z') ? 'X'
                : (c >= 'a' && c <= 'z') ? 'x'
                                         : c;
        }
    }
    return text;
}

TEST(RecordRoundTrip, EveryKeptScenarioReplaysToTheSameTableWindowAndList) {
    const std::vector<fs::path> files = ScenarioFiles();
    ASSERT_GE(files.size(), 19u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const sim::Machine machine = sim::LoadScenarioFile(file);
        const std::string window = Window(machine);
        const std::string list = ListAll(machine);

        const sim::Machine kept = sim::ParseScenario(Record(machine, true));
        EXPECT_EQ(Window(kept), window);
        EXPECT_EQ(ListAll(kept), list);

        const sim::Machine masked = sim::ParseScenario(Record(machine, false));
        EXPECT_EQ(WithoutSerials(Window(masked)), WithoutSerials(window));
        EXPECT_EQ(WithoutSerials(ListAll(masked)), WithoutSerials(list));
    }
}

sim::SimDisk Stick(int number, std::string serial, std::string descriptorSerial) {
    sim::SimDisk d;
    d.number = number;
    d.deviceNumber = static_cast<std::uint32_t>(number);
    d.devInst = static_cast<std::uint32_t>(100 + number);
    d.instanceId = "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\" + serial;
    // A descriptor with its serial number text at 60, padded with blanks.
    std::vector<std::uint8_t> bytes(40, 0);
    bytes[0] = 40;
    bytes[28] = 7;
    bytes[24] = 60;
    bytes.resize(60, 0);
    const std::string text = "  " + descriptorSerial + "  ";
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    d.descriptor = bytes;
    d.geometry = {1946, 11, 255, 63, 512};
    return d;
}

TEST(RecordMasking, SameSerialSameStandInOtherSerialOtherAndNoSerialLeft) {
    sim::Machine m;
    m.disks = {Stick(1, "4C530001171012104353&0", "4C530001171012104353"),
               Stick(2, "4C530001171012104354&1", "4C530001171012104354"),
               Stick(3, "7&1A2B3C4&2", ""),
               // Past drive 99: its interface is left out with a note naming its path.
               Stick(150, "5D1234567890ABCDEF12&0", "")};
    const std::string text = Record(m, false);
    for (const char* serial :
         {"4C530001171012104353", "4c530001171012104353", "4C530001171012104354", "1A2B3C4",
          "1a2b3c4", "5D1234567890ABCDEF12", "5d1234567890abcdef12"}) {
        EXPECT_EQ(text.find(serial), std::string::npos) << serial << " left in\n" << text;
    }
    EXPECT_NE(text.find("answers drive 150, which no drive answers"), std::string::npos) << text;
    const sim::Machine back = sim::ParseScenario(text);
    ASSERT_EQ(back.disks.size(), 3u);
    auto serialOf = [](const std::string& id) { return id.substr(id.rfind('\\') + 1); };
    const std::string s1 = serialOf(back.disks[0].instanceId);
    const std::string s2 = serialOf(back.disks[1].instanceId);
    const std::string s3 = serialOf(back.disks[2].instanceId);
    // Same length, digits for digits, letters for letters; the unit kept.
    EXPECT_TRUE(std::regex_match(s1, std::regex("[0-9][A-Z][0-9]{18}&0"))) << s1;
    EXPECT_TRUE(std::regex_match(s2, std::regex("[0-9][A-Z][0-9]{18}&1"))) << s2;
    EXPECT_TRUE(std::regex_match(s3, std::regex("[0-9]&[0-9][A-Z][0-9][A-Z][0-9][A-Z][0-9]&2")))
        << s3;
    EXPECT_NE(s1.substr(0, 20), s2.substr(0, 20));
    // The interface path (lower case) and the descriptor carry the same stand-in.
    std::string lower = s1;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(back.disks[0].interfacePath.find("#" + lower + "#"), std::string::npos)
        << back.disks[0].interfacePath;
    const std::vector<std::uint8_t>& d = *back.disks[0].descriptor;
    EXPECT_EQ(std::string(d.begin() + 60, d.end() - 1), "  " + s1.substr(0, 20) + "  ");
    // The same machine masked again gives the same file: nothing random.
    EXPECT_EQ(Record(m, false), text);
}

TEST(RecordText, HostileTextsLoadBackUnchanged) {
    const std::string hostile = std::string("\"\\q\x1b[2J\x1b]0;t\x07\x7f\xc2\x9b") + "é\t\r\n";
    sim::Machine m;
    m.numberFormat.decimalSeparator = hostile;
    m.numberFormat.groupSeparator = "\xc2\xa0";
    sim::SimDisk d = Stick(0, "AB" + hostile + "\\X&0", "x");
    // The scan opens the path it was given, in the code page: only ASCII reaches the disk.
    d.interfacePath =
        "\\\\?\\usbstor#\"\\q\x1b[2J\x07\x7f\t#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
    m.disks = {d};
    sim::SimVolume v;
    v.letter = 'E';
    v.disk = 0;
    v.driveType = 2;
    v.dosDevice = "\\Device\\" + hostile;
    m.volumes = {v};
    const sim::Machine back = sim::ParseScenario(Record(m, true));
    EXPECT_EQ(back.numberFormat.decimalSeparator, hostile);
    EXPECT_EQ(back.numberFormat.groupSeparator, "\xc2\xa0");
    ASSERT_EQ(back.disks.size(), 1u);
    EXPECT_EQ(back.disks[0].instanceId, d.instanceId);
    EXPECT_EQ(back.disks[0].interfacePath, d.interfacePath);
    ASSERT_EQ(back.volumes.size(), 1u);
    EXPECT_EQ(back.volumes[0].dosDevice, v.dosDevice);
}

TEST(RecordCommand, WritesTheHeaderAndRefusesWhatDoesNotGoWithIt) {
    const std::string text =
        Record(sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/plain.json"),
               false);
    const nlohmann::json doc = nlohmann::json::parse(text);
    EXPECT_EQ(doc["recorded"]["by"], "plumvane-cli " + std::string(platform::kVersionText));
    EXPECT_EQ(doc["recorded"]["serials"], "masked");

    struct Case {
        std::vector<std::string> args;
        std::string file;     // parsed
        bool keepSerials;     // parsed
        std::string refusal;  // or refused with
    };
    const Case cases[] = {
        {{"record"}, "", false, ""},
        {{"record", "out.json", "--keep-serials"}, "out.json", true, ""},
        {{"record", "a.json", "b.json"}, "", false, "one file only"},
        {{"record", "--json"}, "", false, "--json does not go with this command"},
        {{"list", "--keep-serials"}, "", false, "--keep-serials does not go with this command"},
    };
    for (const Case& c : cases) {
        const ParsedCommand parsed = ParseCommandLine(c.args, false);
        if (!c.refusal.empty()) {
            ASSERT_TRUE(std::holds_alternative<Refusal>(parsed)) << c.args.back();
            EXPECT_NE(std::get<Refusal>(parsed).text.find(c.refusal), std::string::npos);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Command>(parsed)) << c.args.back();
        EXPECT_EQ(std::get<Command>(parsed).file, c.file);
        EXPECT_EQ(std::get<Command>(parsed).keepSerials, c.keepSerials);
    }
}

// The corpus of real devices as plumvane-cli lists them: padded texts
// trimmed, empty ones "unknown", readers without media, bridges as USB.
TEST(RealCorpus, ListsEachDiskAsItsLogShowedIt) {
    struct Row {
        const char* file;
        int number;
        const char* description;
        const char* sizeText;
        int busType;
    };
    const Row rows[] = {
        {"sticks-from-rufus-logs.json", 1, "Kingmax Kingmax", "30.3 GB", 7},
        {"sticks-from-rufus-logs.json", 2, "Intenso Speed Line", "14.7 GB", 7},
        {"sticks-from-rufus-logs.json", 3, "ADATA USB Flash Drive", "14.5 GB", 7},
        {"sticks-from-rufus-logs.json", 5, "unknown", "7.5 GB", 7},
        {"sticks-from-rufus-logs.json", 0, "Samsung SSD 860 EVO 500GB", "465.8 GB", 11},
        {"reader-and-bridges.json", 1, "Generic- Multi-Card", "no media", 7},
        {"reader-and-bridges.json", 3, "Generic- Multi-Card", "no media", 7},
        {"reader-and-bridges.json", 4, "ASMT 2115", "931.5 GB", 7},
        {"reader-and-bridges.json", 5, "ADplus SuperVer", "232.9 GB", 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " disk " + std::to_string(row.number));
        const nlohmann::json list = nlohmann::json::parse(ListAll(sim::LoadScenarioFile(
            std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/real/" + row.file)));
        bool found = false;
        for (const auto& disk : list["disks"]) {
            if (disk["number"] != row.number) continue;
            found = true;
            EXPECT_EQ(disk["description"], row.description);
            EXPECT_EQ(disk["sizeText"], row.sizeText);
            EXPECT_EQ(disk["busType"], row.busType);
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace
}  // namespace plumvane::cli
