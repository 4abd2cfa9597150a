#pragma once
// The command line of the drivers that open the window over a scenario:
//   <program> SCENARIO.json [--out FILE.json] [--elevated] [ACTION ...]
// --out only for a driver that writes the window's state to a file;
// --elevated only for the real window, which passes it when it starts itself
// as administrator: the simulated process is then elevated whatever the
// scenario says (the real token cannot tell, see docs/scenarios.md).

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/Actions.h"
#include "sim/Machine.h"

namespace plumvane::app {

struct Driver {
    std::string_view program;  // how its messages begin
    bool takesOut = false;
    bool takesElevated = false;
};
inline constexpr Driver kHeadlessDriver{"plumvane-headless", false, false};
inline constexpr Driver kSimDriver{"plumvane-sim", true, true};

struct CommandLine {
    std::string scenario;
    std::optional<std::string> out;
    bool elevated = false;
    std::vector<Action> actions;
    std::vector<std::string> actionTexts;  // as given, to name an action in a message
};

std::string UsageText(const Driver& driver);

// `args` are the arguments after the program's name. A refusal is the text to
// print on standard error. Reads no file.
std::variant<CommandLine, std::string> ParseCommandLine(const Driver& driver,
                                                        std::span<const std::string> args);

// The scenario's machine, after reading every scenario the actions name, so
// that a bad one refuses the whole run before anything happens. Empty, with
// `refusal` set, otherwise.
std::optional<sim::Machine> LoadScenarios(const Driver& driver, const CommandLine& line,
                                          std::string& refusal);

// What a driver runs: its command line and the scenario's machine.
struct PreparedRun {
    CommandLine line;
    sim::Machine machine;
};

// ParseCommandLine and LoadScenarios over main's arguments; empty after
// printing the refusal on `err`.
std::optional<PreparedRun> PrepareRun(const Driver& driver, int argc, const char* const* argv,
                                      std::ostream& err);

// Performs the actions in order, saying on `err` which ones the window did not
// take. False, after saying why, when a scenario can no longer be read (it
// changed or vanished since LoadScenarios).
bool PerformAll(const Driver& driver, const CommandLine& line, UserDriver& user,
                sim::SimulatedWindows& machine, std::ostream& err);

}  // namespace plumvane::app
