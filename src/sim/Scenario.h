#pragma once
// Scenario files: a simulated machine described in JSON (docs/scenarios.md).

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/Machine.h"

namespace plumvane::sim {

// A scenario that cannot be used; what() names the field and the problem,
// e.g. "disks[2].geometry.cylinders: expected an integer".
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Machine ParseScenario(std::string_view json);
Machine LoadScenarioFile(const std::filesystem::path& path);

}  // namespace plumvane::sim
