#pragma once
// The replug sweep: a click on every visible box of the last row of each kind
// of disk in a session, and a plumvane-cli set of the last USB disk of each
// kind, each run again for every Windows call it makes with its disk replaced
// just before that call, by a lookalike (same model and instance id, another
// size), by one a few cylinders smaller (the same size text), by a twin that
// differs in its disk signature alone, by another model at the same number, or
// by nothing (pulled); a click runs once more for every I/O control it sends to
// its drive, that call failing once. After every run: no SET reached a device
// other than the one the row (or the named disk) was made for, at most one SET
// per click, nothing left open, and the user saw a refusal, an error or a
// successful write to the right device. After a click, the user is told of a
// changed disk only when it changed, and both boxes show a value the device
// holds or held before the click (unless the list was scanned again).

#include <string>
#include <vector>

#include "sim/Machine.h"
#include "sweep/SweepReport.h"

namespace plumvane::sweep {

enum class Replacement { Lookalike, SameSizeText, Twin, OtherModel, Pulled };

// Disk `number` of `machine` replaced as `how` says (its volumes go with a
// pulled disk).
void Replace(sim::Machine& machine, int number, Replacement how);

struct ReplugResult : SweepResult {
    long wrongWrites = 0;  // SETs that reached another device
    long untrueRows = 0;   // clicks that left a box showing what no driver held
    void Add(const ReplugResult& other) {
        SweepResult::Add(other);
        wrongWrites += other.wrongWrites;
        untrueRows += other.untrueRows;
    }
};

ReplugResult ReplugSweep(const sim::Machine& machine, const std::string& label, int threads);

}  // namespace plumvane::sweep
