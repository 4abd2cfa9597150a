// Natively the contract suite runs on the simulated machine, empty of disks:
// what it answers must be what Windows answers.
#include <memory>
#include <string>

#include "contract/Backend.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::contract {

std::unique_ptr<platform::WindowsApi> MakeBackend() {
    return std::make_unique<sim::SimulatedWindows>();
}

bool BackendIsSimulated() { return true; }

std::string FreshTempFolder() {
    // Folders exist in the simulated file system until a test says otherwise.
    static int next = 0;
    return "C:\\contract" + std::to_string(++next) + "\\";
}

}  // namespace plumvane::contract
