#pragma once
// plumvane-cli record: this machine as Windows answers the calls the scan and
// the list make, kept as the description the simulated machine loads, so
// that a machine met in the field can be replayed anywhere.
//
// Drives, interfaces and volumes are opened without access rights only, as
// the scan opens them: recording needs no elevation and changes nothing.

#include <string>
#include <vector>

#include "platform/WindowsApi.h"
#include "sim/Machine.h"

namespace plumvane::cli {

// What Windows answered that a scenario cannot say, for the file's
// description. A note about a disk interface keeps its path apart, so that
// the serial number in it is masked with the disks'.
struct RecordingNote {
    std::string interfacePath;  // empty: the note is about no interface
    std::string text;           // the rest of the line
    std::string Line() const;
};

struct Recording {
    sim::Machine machine;
    std::vector<RecordingNote> notes;
};

// Drives 0 to 99 (the open's error, or the device number, the raw storage
// descriptor, the geometry and the hotplug bytes, each query's error where it
// failed), the disk-class interfaces that answer a device number (path,
// device node, instance id), the letters A to Z (drive type, DOS device, the
// volume's disk or its open's error), the user's number format and whether
// the process runs elevated.
Recording RecordMachine(platform::WindowsApi& api);

// Serial numbers replaced by stand-ins of the same length and character
// classes (digits by digits, letters by letters in the same case, anything
// else kept): the instance part of each device instance id and interface
// path, and the storage descriptor's serial number text. The same serial
// (ignoring case) gets the same stand-in within one machine, different
// serials different ones, so identical and different sticks stay so. A
// trailing "&<digits>" (the logical unit) is kept. The interface paths of the
// notes are masked too.
void MaskSerials(Recording& recording);

// The machine as a scenario file (docs/scenarios.md) with the "recorded"
// header: by what program, and whether serials were masked. Every field the
// recording knows is written, none left to the loader's defaults.
std::string ScenarioText(const Recording& recording, bool serialsMasked);

}  // namespace plumvane::cli
