#pragma once
// The fault sweep: a whole session on a simulated machine, run once as it is,
// then again for every distinct Windows call it made, with that call failing
// the first time it is made and, where that can take another path, every time;
// with the first error codes of the call's kind, and the rest of the list where
// a message showed the code. After every run the rules that must hold whatever
// Windows refuses are checked: nothing left open, every SET on the clicked
// row's disk and at most one per click, at most two message boxes per click,
// and every disk-table field either as in the fault-free run or at the fallback
// that the failed call's kind leads to.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "inventory/DiskTable.h"
#include "sim/SimulatedWindows.h"
#include "sweep/SweepReport.h"

namespace plumvane::sweep {

// What the fault-free run saw.
struct Reference {
    std::vector<sim::CallRecord> calls;
    // The disk table after each step of the session.
    std::vector<inventory::DiskInventory> tables;
};

// Which fields a failed call may have sent to their fallbacks.
struct Allowance {
    std::set<int> gone;          // drives that may have given the "no disk" values
    std::set<int> noSize;        // SizeMB -1 and "no media"
    std::set<int> noDescriptor;  // "unknown" and bus type 0
    std::set<int> noLayout;      // no readable partition table
    bool noDevInst = false;      // any drive: DevInst 0 and no instance id
    bool noInstanceId = false;   // any drive: no instance id
    bool lettersLost = false;    // any drive: letters missing, drive type 0
};

// The fields the failure of a call may touch, from its function and detail.
Allowance AllowanceFor(const std::string& function, const std::string& detail);

// Each difference of `run` from `reference` that `allowed` does not explain,
// as one line.
std::vector<std::string> CompareTables(const inventory::DiskInventory& reference,
                                       const inventory::DiskInventory& run,
                                       const Allowance& allowed);

struct RunOutcome {
    std::vector<std::string> violations;  // the broken rules, one line each
    bool codeShown = false;               // a message box showed the injected code
    int timesMade = 0;                    // calls of the faulted function and detail
};

// One session on `machine`: with `fault` injected (none when null), its
// tables checked against `reference` when given. Fills `record` when given.
RunOutcome RunSession(const sim::Machine& machine, const sim::Fault* fault,
                      const Reference* reference, Reference* record);

// A distinct call of the fault-free run: its function and detail, how often
// it was made, and whether it failed every time already.
struct Target {
    std::string function;
    std::string detail;
    int times = 0;
    bool failsAlready = true;
};

std::vector<Target> SweepTargets(const Reference& reference);

// The error codes a call is failed with first; the rest of the list follows
// where a message shows one of them.
std::vector<platform::DWORD> FirstCodes(const std::string& function);

// The reference run of `machine` and every fault run of it, on `threads`
// threads. `label` names the machine in the violations.
SweepResult Sweep(const sim::Machine& machine, const std::string& label, int threads);

}  // namespace plumvane::sweep
