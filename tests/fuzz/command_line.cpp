// The drivers' command lines (plumvane-headless and plumvane-sim), through
// the parser both share. Input: the arguments, separated by NUL bytes; the
// first byte picks the driver.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "FuzzCheck.h"
#include "app/CommandLine.h"

namespace {

std::vector<std::string> SplitAtNul(std::string_view rest) {
    std::vector<std::string> args;
    while (true) {
        const std::size_t nul = rest.find('\0');
        args.emplace_back(rest.substr(0, nul));
        if (nul == std::string_view::npos) return args;
        rest.remove_prefix(nul + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plumvane::app;
    if (size == 0) return 0;
    const Driver& driver = (data[0] & 1) ? kSimDriver : kHeadlessDriver;
    const std::vector<std::string> args =
        SplitAtNul(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const auto parsed = ParseCommandLine(driver, args);
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        FUZZ_CHECK(!refusal->empty());
        return 0;
    }
    // Accepted: a scenario, an output file only where the driver takes one,
    // and every action one the window can be given.
    const CommandLine& line = std::get<CommandLine>(parsed);
    FUZZ_CHECK(!line.scenario.empty());
    FUZZ_CHECK(driver.takesOut || !line.out);
    FUZZ_CHECK(line.actions.size() == line.actionTexts.size());
    for (const Action& action : line.actions) {
        if (action.kind == Action::Kind::ClickCheck) {
            FUZZ_CHECK(action.name == "chkWCEO" || action.name == "chkHPD");
            FUZZ_CHECK(action.index >= 0);
        }
        if (action.kind == Action::Kind::Machine) FUZZ_CHECK(!action.path.empty());
    }
    return 0;
}
