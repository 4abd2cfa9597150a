// The replug sweep over the kept scenarios.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "sweep/ReplugSweep.h"

namespace plumvane::sweep {
namespace {

// The suite's longest test with the fault sweep; it prints its run count.
TEST(ReplugSweep, NoSetReachesADeviceNobodyChose) {
    const auto started = std::chrono::steady_clock::now();
    const ReplugResult total =
        SweepKeptScenarios<ReplugResult>([](const sim::Machine& machine, const char* name) {
            return ReplugSweep(machine, name, 2);
        });
    std::printf("replug sweep took %.0f s, %zu violations\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                total.violations.size());
    std::printf("replug sweep: %ld runs, %ld wrong writes, %ld untrue rows\n", total.runs,
                total.wrongWrites, total.untrueRows);
    EXPECT_EQ(total.wrongWrites, 0);
    EXPECT_EQ(total.untrueRows, 0);
    EXPECT_TRUE(total.violations.empty());
}

}  // namespace
}  // namespace plumvane::sweep
