#include "app/CommandLine.h"

#include <ostream>

#include "sim/Scenario.h"

namespace plumvane::app {

namespace {

std::string Said(const Driver& driver, std::string_view what) {
    return std::string(driver.program) + ": " + std::string(what) + "\n";
}

}  // namespace

std::string UsageText(const Driver& driver) {
    return "usage: " + std::string(driver.program) + " SCENARIO.json " +
           (driver.takesOut ? "[--out FILE.json] " : "") +
           (driver.takesElevated ? "[--elevated] " : "") + "[ACTION ...]\n" + ActionsUsage();
}

std::variant<CommandLine, std::string> ParseCommandLine(const Driver& driver,
                                                        std::span<const std::string> args) {
    // An empty first argument names no file: the same refusal as none.
    if (args.empty() || args[0].empty()) return UsageText(driver);
    CommandLine line;
    line.scenario = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (driver.takesOut && arg == "--out") {
            if (i + 1 >= args.size() || line.out) return UsageText(driver);
            line.out = args[++i];
            continue;
        }
        if (driver.takesElevated && arg == "--elevated") {
            line.elevated = true;
            continue;
        }
        std::string error;
        auto action = ParseAction(arg, error);
        if (!action) return Said(driver, error);
        line.actions.push_back(std::move(*action));
        line.actionTexts.push_back(arg);
    }
    return line;
}

std::optional<sim::Machine> LoadScenarios(const Driver& driver, const CommandLine& line,
                                          std::string& refusal) {
    try {
        sim::Machine machine = sim::LoadScenarioFile(line.scenario);
        for (const Action& a : line.actions) {
            if (NamesScenario(a)) sim::LoadScenarioFile(a.path);
        }
        return machine;
    } catch (const sim::ScenarioError& e) {
        refusal = Said(driver, e.what());
        return std::nullopt;
    }
}

std::optional<PreparedRun> PrepareRun(const Driver& driver, int argc, const char* const* argv,
                                      std::ostream& err) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = ParseCommandLine(driver, args);
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        err << *refusal;
        return std::nullopt;
    }
    PreparedRun run{std::move(std::get<CommandLine>(parsed)), {}};
    std::string refusal;
    auto machine = LoadScenarios(driver, run.line, refusal);
    if (!machine) {
        err << refusal;
        return std::nullopt;
    }
    run.machine = std::move(*machine);
    if (run.line.elevated) run.machine.elevated = true;
    return run;
}

bool PerformAll(const Driver& driver, const CommandLine& line, UserDriver& user,
                sim::SimulatedWindows& machine, std::ostream& err) {
    for (std::size_t i = 0; i < line.actions.size(); ++i) {
        std::string note;
        try {
            if (!Perform(line.actions[i], user, machine, note)) {
                err << Said(driver, line.actionTexts[i] + ": " + note);
            }
        } catch (const sim::ScenarioError& e) {
            err << Said(driver, e.what());
            return false;
        }
    }
    return true;
}

}  // namespace plumvane::app
