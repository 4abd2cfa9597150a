#pragma once
// plumvane-cli's commands over any Windows behind the platform seam: the
// real one in plumvane-cli.exe, a simulated one in tests and in the native
// build. Output is collected as UTF-8 text; the entry point writes it out.

#include <string>
#include <string_view>

#include "cli/CommandLine.h"
#include "platform/WindowsApi.h"

namespace plumvane::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitWindowsFailure = 1,
    kExitUsage = 2,
    kExitNoSuchDisk = 3,  // also: not on the USB bus without --any-bus
    kExitDiskChanged = 4,
    kExitAccessDenied = 5,
};

struct Output {
    std::string out;  // results
    std::string err;  // errors and notes as "plumvane-cli: " lines; after a refusal, the usage
};

// A refusal of the command line: the reason and the usage, exit code 2.
int RefuseUsage(const Refusal& refusal, bool simulation, Output& output);

// Runs a parsed command. No message box is ever shown: what the libraries
// would show goes to output.err.
int RunCommand(const Command& command, platform::WindowsApi& windows, bool simulation,
               Output& output);

// record FILE: RunCommand leaves the scenario in output.out and the entry
// point writes it to the file (its own way of opening files, which takes any
// name). Then this says how that went: `error` is empty when the file was
// written whole, else why not. Returns the exit code.
int FinishRecordFile(const Command& command, const std::string& error, Output& output);

}  // namespace plumvane::cli
