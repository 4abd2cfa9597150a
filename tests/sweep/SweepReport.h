#pragma once
// What both sweeps count, and how their tests report it: a line per kept
// scenario with its runs and time, then the first of the broken rules.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/Machine.h"
#include "sim/Scenario.h"

namespace plumvane::sweep {

// Runs and broken rules (one line each), added up over threads and machines.
struct SweepResult {
    long runs = 0;
    std::vector<std::string> violations;
    void Add(const SweepResult& other) {
        runs += other.runs;
        violations.insert(violations.end(), other.violations.begin(), other.violations.end());
    }
};

// `sweep(machine, name)` on every kept scenario the sweeps cover, each one's
// runs and time printed; then at most 40 of all the broken rules. Gives the
// sum, added with Result::Add.
template <typename Result, typename Sweep>
Result SweepKeptScenarios(Sweep sweep) {
    const std::filesystem::path dir = std::filesystem::path(PLUMVANE_TEST_DATA_DIR) / "scenarios";
    Result total;
    for (const char* name : {"plain", "hub16", "failures", "demo", "window/unelevated"}) {
        const auto began = std::chrono::steady_clock::now();
        const Result one = sweep(sim::LoadScenarioFile(dir / (std::string(name) + ".json")), name);
        std::printf(
            "%s: %ld runs in %.1f s\n", name, one.runs,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        total.Add(one);
    }
    for (std::size_t i = 0; i < total.violations.size() && i < 40; ++i) {
        std::printf("  %s\n", total.violations[i].c_str());
    }
    return total;
}

}  // namespace plumvane::sweep
