// The drivers' command lines: the arguments after the scenario, each read as
// an action. Input: the arguments, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/Actions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using plumvane::app::Action;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (true) {
        const std::size_t nul = rest.find('\0');
        const std::string_view argument = rest.substr(0, nul);
        std::string error;
        const auto action = plumvane::app::ParseAction(argument, error);
        // Either an action the window can be given, or a reason to refuse.
        FUZZ_CHECK(action.has_value() != !error.empty());
        if (action && action->kind == Action::Kind::ClickCheck) {
            FUZZ_CHECK(action->name == "chkWCEO" || action->name == "chkHPD");
            FUZZ_CHECK(action->index >= 0);
        }
        if (action && action->kind == Action::Kind::Machine) FUZZ_CHECK(!action->path.empty());
        if (nul == std::string_view::npos) break;
        rest.remove_prefix(nul + 1);
    }
    return 0;
}
