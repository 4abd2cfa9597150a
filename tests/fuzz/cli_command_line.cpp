// plumvane-cli's command line. Input: the arguments, separated by NUL bytes;
// the first byte picks the Windows program or the simulated one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "FuzzCheck.h"
#include "cli/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plumvane::cli;
    if (size == 0) return 0;
    const bool simulation = (data[0] & 1) != 0;
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    while (true) {
        const std::size_t nul = rest.find('\0');
        args.emplace_back(rest.substr(0, nul));
        if (nul == std::string_view::npos) break;
        rest.remove_prefix(nul + 1);
    }
    const ParsedCommand parsed = ParseCommandLine(args, simulation);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) {
        FUZZ_CHECK(!refusal->text.empty());
        return 0;
    }
    const Command& c = std::get<Command>(parsed);
    // A write names a disk and at least one flag; only the simulated program
    // takes a scenario or shows its writes.
    if (c.verb == Verb::Set) {
        FUZZ_CHECK(!c.disk.empty());
        FUZZ_CHECK(c.deviceHotplug || c.writeCacheEnableOverride);
    }
    if (c.verb == Verb::Get) FUZZ_CHECK(!c.disk.empty());
    // A disk named is one of the forms: a number is digits, a letter one capital.
    if (!c.disk.empty()) {
        const std::string& t = c.selector.text;
        if (c.selector.kind == DiskSelector::Kind::Number) {
            FUZZ_CHECK(!t.empty() && t.find_first_not_of("0123456789") == std::string::npos);
        } else if (c.selector.kind == DiskSelector::Kind::Letter) {
            FUZZ_CHECK(t.size() == 1 && t[0] >= 'A' && t[0] <= 'Z');
        } else {
            FUZZ_CHECK(t == c.disk && t.find('\\') != std::string::npos && t[0] != '\\');
        }
    }
    FUZZ_CHECK(!(c.quiet && c.json));
    if (!simulation) FUZZ_CHECK(c.scenario.empty() && !c.showWrites);
    return 0;
}
