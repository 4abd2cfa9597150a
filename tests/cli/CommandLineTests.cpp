#include <gtest/gtest.h>

#include <variant>
#include <vector>

#include "cli/CommandLine.h"

namespace plumvane::cli {
namespace {

ParsedCommand Parse(std::vector<std::string> args, bool simulation = false) {
    return ParseCommandLine(args, simulation);
}

Command Accepted(std::vector<std::string> args, bool simulation = false) {
    const ParsedCommand parsed = Parse(args, simulation);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) {
        ADD_FAILURE() << "refused: " << refusal->text;
        return {};
    }
    return std::get<Command>(parsed);
}

TEST(CommandLineTest, CommandsAndTheirOptions) {
    Command c = Accepted({"list"});
    EXPECT_EQ(c.verb, Verb::List);
    EXPECT_FALSE(c.all || c.json);

    c = Accepted({"list", "--json", "--all"});
    EXPECT_TRUE(c.all && c.json);
    EXPECT_TRUE(Accepted({"list", "-q"}).quiet);

    c = Accepted({"get", "E:", "--json", "--any-bus"});
    EXPECT_EQ(c.verb, Verb::Get);
    EXPECT_EQ(c.disk, "E:");
    EXPECT_TRUE(c.json && c.anyBus);

    c = Accepted({"set", "--hotplug", "on", "3"});
    EXPECT_EQ(c.verb, Verb::Set);
    EXPECT_EQ(c.disk, "3");
    EXPECT_EQ(c.deviceHotplug, true);
    EXPECT_EQ(c.writeCacheEnableOverride, std::nullopt);
    EXPECT_FALSE(c.dryRun || c.force);

    c = Accepted({"set", "USBSTOR\\X", "--write-cache-override", "off", "--hotplug", "off",
                  "--dry-run", "--force"});
    EXPECT_EQ(c.deviceHotplug, false);
    EXPECT_EQ(c.writeCacheEnableOverride, false);
    EXPECT_TRUE(c.dryRun && c.force);

    // --help wins over anything, even a broken line; then --version.
    EXPECT_EQ(Accepted({"set", "--bogus", "--help"}).verb, Verb::Help);
    EXPECT_EQ(Accepted({"-h"}).verb, Verb::Help);
    EXPECT_EQ(Accepted({"--version"}).verb, Verb::Version);
    EXPECT_EQ(Accepted({"list", "--version"}).verb, Verb::Version);
}

TEST(CommandLineTest, SimulationOptionsOnlyWhereTheMachineIsSimulated) {
    const Command c =
        Accepted({"--scenario", "m.json", "set", "1", "--hotplug", "on", "--show-writes"}, true);
    EXPECT_EQ(c.scenario, "m.json");
    EXPECT_TRUE(c.showWrites);
    EXPECT_EQ(Accepted({"--version"}, true).verb, Verb::Version);

    EXPECT_TRUE(std::holds_alternative<Refusal>(Parse({"list"}, true)));
    EXPECT_TRUE(std::holds_alternative<Refusal>(Parse({"list", "--scenario", "m.json"})));
    EXPECT_TRUE(std::holds_alternative<Refusal>(Parse({"--show-writes", "list"})));
}

TEST(CommandLineTest, Refusals) {
    struct Case {
        std::vector<std::string> args;
        std::string text;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"format", "1"}, "unknown command \"format\""},
        {{"--json", "list"}, "the command comes first: list, get, set or record"},
        {{"list", "3"}, "list takes no disk"},
        {{"list", "--dry-run"}, "--dry-run does not go with this command"},
        {{"get", "1", "--force"}, "--force does not go with this command"},
        {{"get", "1", "--all"}, "--all does not go with this command"},
        {{"get"},
         "get needs a disk: a drive number (3), a drive letter (E:, e or E:\\), "
         "\\\\.\\PhysicalDrive3 or a device instance id as list shows it"},
        {{"get", "1", "2"}, "one disk only; \"2\" is one too many"},
        {{"get", ""}, "the disk is empty"},
        {{"get", "-1"}, "unknown option -1"},
        {{"set", "1"}, "set needs --hotplug on|off, --write-cache-override on|off or both"},
        {{"set", "1", "--hotplug"}, "--hotplug needs a value"},
        {{"set", "1", "--hotplug", "--dry-run"}, "--hotplug needs a value"},
        {{"set", "1", "--hotplug", "yes"}, "--hotplug takes on or off, not \"yes\""},
        {{"set", "1", "--hotplug", "on", "--hotplug", "off"}, "--hotplug is given twice"},
        {{"list", "-q", "--json"}, "--quiet and --json do not go together"},
        {{"get", "1", "-q"}, "--quiet does not go with this command"},
        {{"get", "USBSTOR"},
         "\"USBSTOR\" is not a disk: give a drive number (3), a drive letter (E:, e or E:\\), "
         "\\\\.\\PhysicalDrive3 or a device instance id as list shows it"},
        {{"list", "--colour"}, "unknown option --colour"},
        {{"list", "--scenario", "m.json"}, "unknown option --scenario"},
    };
    for (const Case& c : cases) {
        const ParsedCommand parsed = Parse(c.args);
        ASSERT_TRUE(std::holds_alternative<Refusal>(parsed)) << ::testing::PrintToString(c.args);
        EXPECT_EQ(std::get<Refusal>(parsed).text, c.text);
    }
}

}  // namespace
}  // namespace plumvane::cli
