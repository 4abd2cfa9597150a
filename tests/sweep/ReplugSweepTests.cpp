// The replug sweep over the kept scenarios.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "sim/Scenario.h"
#include "sweep/ReplugSweep.h"

namespace plumvane::sweep {
namespace {

namespace fs = std::filesystem;

// The suite's longest test with the fault sweep; it prints its run count.
TEST(ReplugSweep, NoSetReachesADeviceNobodyChose) {
    const fs::path dir = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios";
    const auto started = std::chrono::steady_clock::now();
    long runs = 0;
    long wrong = 0;
    long untrue = 0;
    std::vector<std::string> violations;
    for (const char* name : {"plain", "hub16", "failures", "demo", "window/unelevated"}) {
        const auto began = std::chrono::steady_clock::now();
        ReplugResult r =
            ReplugSweep(sim::LoadScenarioFile(dir / (std::string(name) + ".json")), name, 2);
        std::printf(
            "%s: %ld runs in %.1f s\n", name, r.runs,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        runs += r.runs;
        wrong += r.wrongWrites;
        untrue += r.untrueRows;
        violations.insert(violations.end(), r.violations.begin(), r.violations.end());
    }
    for (std::size_t i = 0; i < violations.size() && i < 40; ++i) {
        std::printf("  %s\n", violations[i].c_str());
    }
    std::printf("replug sweep took %.0f s, %zu violations\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                violations.size());
    std::printf("replug sweep: %ld runs, %ld wrong writes, %ld untrue rows\n", runs, wrong, untrue);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(untrue, 0);
    EXPECT_TRUE(violations.empty());
}

}  // namespace
}  // namespace plumvane::sweep
