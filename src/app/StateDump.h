#pragma once
// What the window and the simulated machine look like, as one JSON document:
// the headless driver prints it, the simulated demo writes it, and tests
// compare it with the expected output kept beside their scenarios.

#include <nlohmann/json.hpp>

#include "inventory/DiskTable.h"
#include "sim/SimulatedWindows.h"
#include "ui/Toolkit.h"

namespace plumvane::app {

struct DumpInput {
    const ui::Toolkit& toolkit;
    const inventory::DiskInventory& inventory;
    const sim::SimulatedWindows& machine;
    bool lockMe = false;
    int listBuilds = 0;
};

nlohmann::ordered_json DumpState(const DumpInput& in);

}  // namespace plumvane::app
