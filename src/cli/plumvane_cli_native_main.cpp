// plumvane-cli over a simulated machine (the native build): the same
// commands as plumvane-cli.exe, on the machine of --scenario FILE.
// --show-writes prints every hotplug SET its driver received.
#include <fstream>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/Cli.h"
#include "cli/DiskReport.h"
#include "platform/HexText.h"
#include "platform/TerminalText.h"
#include "sim/Scenario.h"
#include "sim/SimulatedWindows.h"

int main(int argc, char** argv) {
    using namespace plumvane;
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::Output output;
    int code = cli::kExitOk;
    const cli::ParsedCommand parsed = cli::ParseCommandLine(args, true);
    if (const auto* refusal = std::get_if<cli::Refusal>(&parsed)) {
        code = cli::RefuseUsage(*refusal, true, output);
    } else {
        const cli::Command& command = std::get<cli::Command>(parsed);
        sim::Machine machine;
        try {
            if (!command.scenario.empty()) machine = sim::LoadScenarioFile(command.scenario);
        } catch (const sim::ScenarioError& e) {
            std::cerr << "plumvane-cli: " << platform::TerminalSafe(e.what()) << "\n";
            return cli::kExitUsage;
        }
        sim::SimulatedWindows windows(std::move(machine));
        code = cli::RunCommand(command, windows, true, output);
        if (command.verb == cli::Verb::Record && !command.file.empty() && code == cli::kExitOk) {
            std::ofstream file(command.file, std::ios::binary | std::ios::trunc);
            file << output.out << std::flush;
            code = cli::FinishRecordFile(command, file ? "" : "it cannot be opened or written",
                                         output);
        }
        if (command.showWrites) {
            for (const sim::HotplugWrite& w : windows.hotplugWrites()) {
                const std::string hex = platform::HexBytes(w.bytes, platform::HexCase::Upper);
                output.err += "SET disk " + std::to_string(w.disk) + ": " + hex +
                              (w.ok ? " accepted\n" : " refused\n");
            }
        }
    }
    std::cout << output.out << std::flush;
    std::cerr << output.err << std::flush;
    return code;
}
