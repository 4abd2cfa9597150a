// plumvane-sim.exe SCENARIO.json [--out FILE.json] [ACTION ...]
// The real window over the simulated machine of a scenario. Without --out it
// is an interactive demo with real message boxes. With --out it performs the
// actions (see app/Actions.h) through real window messages, answers message
// boxes without showing them, writes the window's state as JSON to FILE and
// exits; with code 3 when a control on the screen differs from what the
// toolkit reports. A bad scenario, action or output file exits with code 2.
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/ModelSession.h"  // Perform
#include "app/StateDump.h"
#include "app/Win32Session.h"
#include "platform/NativeWindows.h"
#include "sim/Scenario.h"

namespace {

struct Options {
    std::string scenario;
    std::optional<std::string> out;
    std::vector<std::string> actionTexts;
    std::vector<plumvane::app::Action> actions;
};

constexpr const char* kUsage =
    "usage: plumvane-sim SCENARIO.json [--out FILE.json] [ACTION ...]\n"
    "actions: click:chkWCEO:<row> click:chkHPD:<row> key:<code>[:<shift>]\n"
    "         scroll:<value> machine:<scenario.json> close\n";

// Empty after printing why, for arguments that cannot run.
std::optional<Options> ParseArguments(int argc, char** argv) {
    using namespace plumvane;
    Options o;
    if (argc < 2) {
        std::cerr << kUsage;
        return std::nullopt;
    }
    o.scenario = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out") {
            if (i + 1 >= argc || o.out) {
                std::cerr << kUsage;
                return std::nullopt;
            }
            o.out = argv[++i];
            continue;
        }
        std::string error;
        auto action = app::ParseAction(arg, error);
        if (!action) {
            std::cerr << "plumvane-sim: " << error << "\n";
            return std::nullopt;
        }
        o.actionTexts.push_back(arg);
        o.actions.push_back(*action);
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace plumvane;
    auto options = ParseArguments(argc, argv);
    if (!options) return 2;

    sim::Machine machine;
    try {
        machine = sim::LoadScenarioFile(options->scenario);
        // Every scenario is read now, so a bad one refuses the whole run.
        for (const auto& a : options->actions) {
            if (a.kind == app::Action::Kind::Machine) sim::LoadScenarioFile(a.path);
        }
    } catch (const sim::ScenarioError& e) {
        std::cerr << "plumvane-sim: " << e.what() << "\n";
        return 2;
    }
    // Opened before the window, so a bad path costs no window.
    std::ofstream out;
    if (options->out) {
        out.open(*options->out, std::ios::binary | std::ios::trunc);
        if (!out) {
            std::cerr << "plumvane-sim: cannot write " << *options->out << "\n";
            return 2;
        }
    }

    platform::NativeWindows real;
    app::Win32Session session(std::move(machine), real, /*showMessageBoxes=*/!options->out);
    if (!ui::Succeeded(session.form.Start())) {
        std::cerr << "plumvane-sim: the window could not be created\n";
        return 1;
    }
    session.toolkit.PumpMessages();
    for (std::size_t i = 0; i < options->actions.size(); ++i) {
        std::string note;
        if (!app::Perform(options->actions[i], session.user, session.machine, note)) {
            std::cerr << "plumvane-sim: " << options->actionTexts[i] << ": " << note << "\n";
        }
    }
    if (!options->out) return session.toolkit.RunMessageLoop();

    out << app::DumpState(
               {session.toolkit, session.inventory, session.machine, session.form.LockMe})
               .dump(2)
        << "\n";
    out.close();
    if (!out) {
        std::cerr << "plumvane-sim: cannot write " << *options->out << "\n";
        return 2;
    }
    // The dump comes from what the toolkit keeps; it must be what the real
    // controls show.
    const auto differences = app::DifferencesFromRealWindows(session.toolkit);
    for (const auto& line : differences) std::cerr << "plumvane-sim: " << line << "\n";
    // For the end-to-end checks at each DPI; not a difference.
    for (const auto& line : app::CutCaptions(session.toolkit)) {
        std::cerr << "plumvane-sim: caption cut: " << line << "\n";
    }
    if (session.toolkit.IsOpen()) session.toolkit.Unload();
    return differences.empty() ? 0 : 3;
}
