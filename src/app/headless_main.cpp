// plumvane-headless SCENARIO.json [ACTION ...]
// Opens the window on the in-memory toolkit over the simulated machine of the
// scenario, performs the actions in order and prints the resulting state as
// JSON. A bad scenario or action exits with code 2.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/CommandLine.h"
#include "app/ModelSession.h"
#include "app/StateDump.h"

int main(int argc, char** argv) {
    using namespace plumvane;
    const app::Driver& driver = app::kHeadlessDriver;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = app::ParseCommandLine(driver, args);
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        std::cerr << *refusal;
        return 2;
    }
    const auto& line = std::get<app::CommandLine>(parsed);
    std::string refusal;
    auto machine = app::LoadScenarios(driver, line, refusal);
    if (!machine) {
        std::cerr << refusal;
        return 2;
    }

    app::ModelSession session(std::move(*machine));
    if (!app::PerformAll(driver, line, session.user, session.machine, std::cerr)) return 2;
    std::cout << app::DumpState(
                     {session.toolkit, session.inventory, session.machine, session.form.LockMe})
                     .dump(2)
              << "\n";
    return 0;
}
