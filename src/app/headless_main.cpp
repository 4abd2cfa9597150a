// plumvane-headless SCENARIO.json [ACTION ...]
// Opens the window on the in-memory toolkit over the simulated machine of the
// scenario, performs the actions in order and prints the resulting state as
// JSON. A bad scenario or action exits with code 2.
#include <iostream>
#include <vector>

#include "app/ModelSession.h"
#include "app/StateDump.h"
#include "sim/Scenario.h"

int main(int argc, char** argv) {
    using namespace plumvane;
    if (argc < 2) {
        std::cerr << "usage: plumvane-headless SCENARIO.json [ACTION ...]\n"
                     "actions: click:chkWCEO:<row> click:chkHPD:<row> key:<code>[:<shift>]\n"
                     "         scroll:<value> machine:<scenario.json> close\n";
        return 2;
    }
    sim::Machine machine;
    std::vector<app::Action> actions;
    try {
        machine = sim::LoadScenarioFile(argv[1]);
        for (int i = 2; i < argc; ++i) {
            std::string error;
            auto action = app::ParseAction(argv[i], error);
            if (!action) {
                std::cerr << "plumvane-headless: " << error << "\n";
                return 2;
            }
            // Read every scenario now, so a bad one refuses the whole run.
            if (action->kind == app::Action::Kind::Machine) sim::LoadScenarioFile(action->path);
            actions.push_back(*action);
        }
    } catch (const sim::ScenarioError& e) {
        std::cerr << "plumvane-headless: " << e.what() << "\n";
        return 2;
    }

    app::ModelSession session(std::move(machine));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        std::string note;
        try {
            if (!app::Perform(actions[i], session.user, session.machine, note)) {
                std::cerr << "plumvane-headless: " << argv[i + 2] << ": " << note << "\n";
            }
        } catch (const sim::ScenarioError& e) {
            // A scenario that changed or vanished since it was checked above.
            std::cerr << "plumvane-headless: " << e.what() << "\n";
            return 2;
        }
    }
    std::cout << app::DumpState(
                     {session.toolkit, session.inventory, session.machine, session.form.LockMe})
                     .dump(2)
              << "\n";
    return 0;
}
