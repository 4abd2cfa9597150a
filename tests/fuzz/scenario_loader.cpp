// Scenario files: any text is either a machine or a ScenarioError with a
// reason; nothing else may leave the loader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "sim/Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plumvane::sim;
    try {
        const Machine machine =
            ParseScenario(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const SimVolume& volume : machine.volumes) {
            FUZZ_CHECK(volume.letter >= 'A' && volume.letter <= 'Z');
        }
    } catch (const ScenarioError& e) {
        FUZZ_CHECK(std::string_view(e.what()).size() > 2);
    }
    return 0;
}
