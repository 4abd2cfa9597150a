// plumvane-sim.exe SCENARIO.json [--out FILE.json] [--elevated] [ACTION ...]
// The real window over the simulated machine of a scenario. Without --out it
// is an interactive demo with real message boxes. With --out it performs the
// actions (see app/Actions.h) through real window messages, answers message
// boxes without showing them, writes the window's state as JSON to FILE and
// exits; with code 3 when a control on the screen differs from what the
// toolkit reports. A bad scenario, action or output file exits with code 2.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/CommandLine.h"
#include "app/StateDump.h"
#include "app/Win32Session.h"
#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"

int main(int argc, char** argv) {
    using namespace plumvane;
    platform::RestrictDllSearchToSystemFolder();
    const app::Driver& driver = app::kSimDriver;
    auto run = app::PrepareRun(driver, argc, argv, std::cerr);
    if (!run) return 2;
    const app::CommandLine& options = run->line;
    // Opened before the window, so a bad path costs no window.
    std::ofstream out;
    if (options.out) {
        out.open(*options.out, std::ios::binary | std::ios::trunc);
        if (!out) {
            std::cerr << "plumvane-sim: cannot write " << *options.out << "\n";
            return 2;
        }
    }

    platform::NativeWindows real;
    // Started again as administrator, the demo opens the same scenario,
    // elevated (the real token cannot tell the two apart under Wine).
    std::error_code absoluteError;
    const std::string restart =
        "\"" + std::filesystem::absolute(options.scenario, absoluteError).string() +
        "\" --elevated";
    app::Win32Session session(std::move(run->machine), real, /*showMessageBoxes=*/!options.out,
                              restart);
    if (!ui::Succeeded(session.form.Start())) {
        std::cerr << "plumvane-sim: the window could not be created\n";
        return 1;
    }
    session.toolkit.PumpMessages();
    if (!app::PerformAll(driver, options, session.user, session.machine, std::cerr)) {
        if (session.toolkit.IsOpen()) session.toolkit.Unload();
        return 2;
    }
    if (!options.out) return session.toolkit.RunMessageLoop();

    out << app::DumpState({session.toolkit, session.inventory, session.machine, session.form.LockMe,
                           session.form.ListBuilds()})
               .dump(2)
        << "\n";
    out.close();
    if (!out) {
        std::cerr << "plumvane-sim: cannot write " << *options.out << "\n";
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
