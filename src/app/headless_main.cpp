// plumvane-headless SCENARIO.json [ACTION ...]
// Opens the window on the in-memory toolkit over the simulated machine of the
// scenario, performs the actions in order and prints the resulting state as
// JSON. A bad scenario or action exits with code 2.
#include <iostream>

#include "app/CommandLine.h"
#include "app/ModelSession.h"

int main(int argc, char** argv) {
    using namespace plumvane;
    const app::Driver& driver = app::kHeadlessDriver;
    auto run = app::PrepareRun(driver, argc, argv, std::cerr);
    if (!run) return 2;

    app::ModelSession session(std::move(run->machine));
    if (!app::PerformAll(driver, run->line, session.user, session.machine, std::cerr)) return 2;
    std::cout << session.State().dump(2) << "\n";
    return 0;
}
