// The window cases kept in tests/scenarios/window/manifest.json: each runs
// its actions on a session and must dump exactly the JSON kept in
// tests/scenarios/expected/<name>.json, so any change of behaviour shows as a
// diff. Each case is a test of its own
// (KeptCases/GoldenTest.DumpsItsExpectedState/<name>, the name's dashes as
// underscores). PLUMVANE_UPDATE_GOLDEN=1 writes the files anew instead.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ModelSession.h"
#include "sim/Scenario.h"

namespace plumvane::app {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

const fs::path kTests = PLUMVANE_TEST_DATA_DIR;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The changed stretch between the common head and tail, with three lines of
// context: enough to see what moved without a full diff tool.
std::string Diff(const std::string& expected, const std::string& actual) {
    const auto a = Lines(expected);
    const auto b = Lines(actual);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t from = head >= 3 ? head - 3 : 0;
    std::ostringstream out;
    out << "@@ expected line " << head + 1 << ", actual line " << head + 1 << " @@\n";
    for (std::size_t i = from; i < head; ++i) out << "  " << a[i] << "\n";
    for (std::size_t i = head; i < a.size() - tail; ++i) out << "- " << a[i] << "\n";
    for (std::size_t i = head; i < b.size() - tail; ++i) out << "+ " << b[i] << "\n";
    for (std::size_t i = a.size() - tail; i < std::min(a.size(), a.size() - tail + 3); ++i) {
        out << "  " << a[i] << "\n";
    }
    return out.str();
}

// What plumvane-headless prints for this case, run from the tests folder.
std::string RunCase(const Json& entry) {
    ModelSession session(sim::LoadScenarioFile(kTests / entry.at("scenario").get<std::string>()));
    for (const auto& text : entry.at("actions")) {
        std::string error;
        auto action = ParseAction(text.get<std::string>(), error);
        if (!action) throw std::runtime_error(error);
        if (NamesScenario(*action)) action->path = (kTests / action->path).string();
        std::string note;
        Perform(*action, session.user, session.machine, note);
    }
    return session.State().dump(2) + "\n";
}

Json Manifest() { return Json::parse(ReadText(kTests / "scenarios/window/manifest.json")); }

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    const Json manifest = Manifest();
    for (const auto& entry : manifest.at("cases")) names.push_back(entry.at("name"));
    return names;
}

// One test a case, named for it, so that `ctest -R stale_usb_pulled` runs one.
std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, DumpsItsExpectedState) {
    const std::string& name = GetParam();
    const Json manifest = Manifest();
    const auto& cases = manifest.at("cases");
    const auto entry = std::find_if(cases.begin(), cases.end(),
                                    [&](const Json& c) { return c.at("name") == name; });
    ASSERT_NE(entry, cases.end());
    const fs::path expectedFile = kTests / "scenarios/expected" / (name + ".json");
    const std::string actual = RunCase(*entry);
    const char* update = std::getenv("PLUMVANE_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(expectedFile, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(fs::exists(expectedFile))
        << expectedFile << " is missing; PLUMVANE_UPDATE_GOLDEN=1 writes it";
    const std::string expected = ReadText(expectedFile);
    EXPECT_TRUE(expected == actual) << name << ": the window's state differs from " << expectedFile
                                    << " (PLUMVANE_UPDATE_GOLDEN=1 accepts the new state)\n"
                                    << Diff(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(KeptCases, GoldenTest, ::testing::ValuesIn(CaseNames()), TestName);

TEST(GoldenManifestTest, HoldsCases) { EXPECT_FALSE(Manifest().at("cases").empty()); }

// Every kept case has its expected file, and every expected file its case.
TEST(GoldenManifestTest, ManifestAndExpectedFilesMatch) {
    const Json manifest = Manifest();
    std::vector<std::string> names;
    for (const auto& entry : manifest.at("cases")) {
        names.push_back(entry.at("name").get<std::string>());
        EXPECT_TRUE(fs::exists(kTests / entry.at("scenario").get<std::string>())) << names.back();
    }
    for (const auto& file : fs::directory_iterator(kTests / "scenarios/expected")) {
        EXPECT_NE(std::find(names.begin(), names.end(), file.path().stem().string()), names.end())
            << file.path() << " belongs to no case";
    }
}

}  // namespace
}  // namespace plumvane::app
