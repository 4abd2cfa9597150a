// The drivers' command line: what it runs, what it refuses and why, and
// scenarios that cannot be read.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "app/CommandLine.h"
#include "app/ModelSession.h"

namespace plumvane::app {
namespace {

namespace fs = std::filesystem;

const fs::path kWindowScenarios = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios/window";

TEST(CommandLineTest, ReadsTheScenarioTheOutputAndTheActionsInOrder) {
    const std::vector<std::string> args = {"s.json", "key:116", "--out", "o.json", "close"};
    const auto parsed = ParseCommandLine(kSimDriver, args);
    const auto* line = std::get_if<CommandLine>(&parsed);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->scenario, "s.json");
    EXPECT_EQ(line->out, "o.json");
    ASSERT_EQ(line->actions.size(), 2u);
    EXPECT_EQ(line->actions[0].kind, Action::Kind::Key);
    EXPECT_EQ(line->actions[1].kind, Action::Kind::Close);
    EXPECT_EQ(line->actionTexts, (std::vector<std::string>{"key:116", "close"}));
}

TEST(CommandLineTest, RefusesWithTheUsageOrTheReason) {
    struct Case {
        const Driver* driver;
        std::vector<std::string> args;
        std::string refusal;  // the start of it
    };
    const Case cases[] = {
        {&kHeadlessDriver, {}, "usage: plumvane-headless SCENARIO.json [ACTION ...]\nactions: "},
        {&kSimDriver,
         {},
         "usage: plumvane-sim SCENARIO.json [--out FILE.json] [--elevated] [ACTION ...]\n"},
        {&kSimDriver, {"s.json", "--out"}, "usage: plumvane-sim"},
        // An empty scenario argument is no file name: the usage.
        {&kHeadlessDriver, {"", "close"}, "usage: plumvane-headless"},
        {&kSimDriver, {"s.json", "--out", "a", "--out", "b"}, "usage: plumvane-sim"},
        // Only a driver that writes a file takes --out.
        {&kHeadlessDriver, {"s.json", "--out", "a"}, "plumvane-headless: unknown action: --out\n"},
        {&kSimDriver, {"s.json", "close", "scroll:x"}, "plumvane-sim: scroll takes a value"},
        // The in-memory window has no real token to stand for.
        {&kHeadlessDriver,
         {"s.json", "--elevated"},
         "plumvane-headless: unknown action: --elevated\n"},
        {&kHeadlessDriver, {"s.json", "answer:ok"}, "plumvane-headless: answer takes yes or no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto parsed = ParseCommandLine(*c.driver, c.args);
        const auto* refusal = std::get_if<std::string>(&parsed);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->substr(0, c.refusal.size()), c.refusal);
        EXPECT_EQ(refusal->back(), '\n');
    }
}

TEST(CommandLineTest, UsageNamesEveryActionTheParserTakes) {
    const std::string usage = UsageText(kHeadlessDriver);
    for (const char* verb :
         {"click:", "key:", "scroll:", "machine:", "plug:", "unplug:", "wait:", "close"}) {
        EXPECT_NE(usage.find(verb), std::string::npos) << verb;
    }
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(CommandLineTest, AnUnreadableScenarioAnywhereRefusesTheRun) {
    const std::string good = (kWindowScenarios / "no-usb.json").string();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"missing.json"},
                                                 {good, "close", "machine:missing.json"},
                                                 {good, "plug:missing.json"},
                                                 {good, "unplug:missing.json"}}) {
        const auto line = std::get<CommandLine>(ParseCommandLine(kHeadlessDriver, args));
        std::string refusal;
        EXPECT_FALSE(LoadScenarios(kHeadlessDriver, line, refusal));
        EXPECT_EQ(refusal.rfind("plumvane-headless: ", 0), 0u) << refusal;
    }
}

// A scenario that vanishes between the check and its action stops the actions
// with the driver's reason, not with an exception.
TEST(CommandLineTest, AScenarioThatVanishedStopsTheActionsWithAReason) {
    const fs::path copy = fs::temp_directory_path() / "plumvane-vanishing-scenario.json";
    fs::copy_file(kWindowScenarios / "write-refused.json", copy,
                  fs::copy_options::overwrite_existing);
    const std::vector<std::string> args = {(kWindowScenarios / "no-usb.json").string(),
                                           "machine:" + copy.string(), "key:116"};
    const auto line = std::get<CommandLine>(ParseCommandLine(kSimDriver, args));
    std::string refusal;
    auto machine = LoadScenarios(kSimDriver, line, refusal);
    ASSERT_TRUE(machine) << refusal;
    fs::remove(copy);

    ModelSession session(std::move(*machine));
    std::ostringstream err;
    EXPECT_FALSE(PerformAll(kSimDriver, line, session.user, session.machine, err));
    EXPECT_EQ(err.str().rfind("plumvane-sim: ", 0), 0u) << err.str();
    EXPECT_EQ(session.inventory.DiskCount, 1);  // F5 after it never ran
}

}  // namespace
}  // namespace plumvane::app
