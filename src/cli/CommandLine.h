#pragma once
// The command line of plumvane-cli: parsed into a command or refused with a
// text for standard error. Pure: no Windows call, no output.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace plumvane::cli {

enum class Verb { Help, Version, List, Get, Set, Record };

// A disk as a Windows user names it, in one of the accepted forms.
struct DiskSelector {
    enum class Kind { Number, Letter, InstanceId };
    Kind kind = Kind::Number;
    // Number: its digits; Letter: the letter in capitals; InstanceId: as typed.
    std::string text;
};

// 3 or \\.\PhysicalDrive3 (any case): a number. E, e:, E:\ : a letter.
// Text with a backslash that is neither of those nor another path (it does
// not start with a backslash or a drive letter): an instance id. Anything
// else is no disk at all.
std::optional<DiskSelector> ParseDiskSelector(std::string_view text);

struct Command {
    Verb verb = Verb::Help;
    bool all = false;                              // list: every disk, not only the USB ones
    bool json = false;                             // list, get, set
    bool quiet = false;                            // list: the numbers alone
    std::string disk;                              // get, set: the selector as typed
    DiskSelector selector;                         // get, set: what it names
    bool anyBus = false;                           // get, set: a disk off the USB bus may be chosen
    std::optional<bool> deviceHotplug;             // set --hotplug
    std::optional<bool> writeCacheEnableOverride;  // set --write-cache-override
    bool dryRun = false;                           // set
    bool force = false;        // set: the SET even when the flags already hold the values
    std::string file;          // record: where to; empty: standard output
    bool keepSerials = false;  // record: serial numbers unmasked
    // Only where the program runs on a simulated machine.
    std::string scenario;
    bool showWrites = false;
};

struct Refusal {
    std::string text;  // one line, without the usage line
};

using ParsedCommand = std::variant<Command, Refusal>;

// args without the program name. `simulation` accepts --scenario FILE
// (then required by every command but --help and --version) and
// --show-writes.
ParsedCommand ParseCommandLine(std::span<const std::string> args, bool simulation);

// The usage line(s) printed with a refusal.
std::string UsageText(bool simulation);
// The whole help, for --help.
std::string HelpText(bool simulation);

}  // namespace plumvane::cli
