#include "cli/CommandLine.h"

#include <set>

#include "platform/AsciiCase.h"

namespace plumvane::cli {

namespace {

constexpr std::string_view kDiskForms =
    "a drive number (3), a drive letter (E:, e or E:\\), \\\\.\\PhysicalDrive3 or a device "
    "instance id as list shows it";

bool IsDigits(std::string_view s) {
    if (s.empty()) return false;
    for (const char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

using platform::AsciiUpper;
using platform::IsAsciiLetter;

struct Parser {
    Parser(std::span<const std::string> a, bool sim) : args(a), simulation(sim) {}
    std::span<const std::string> args;
    bool simulation;
    std::size_t next = 0;
    std::set<std::string> seen;
    std::optional<Refusal> refusal;

    bool Refuse(std::string text) {
        if (!refusal) refusal = Refusal{std::move(text)};
        return false;
    }

    // The value after an option; a missing one or another option is refused.
    std::optional<std::string> Value(const std::string& option) {
        if (next >= args.size() || args[next].starts_with("--")) {
            Refuse(option + " needs a value");
            return std::nullopt;
        }
        return args[next++];
    }

    std::optional<bool> OnOff(const std::string& option) {
        const std::optional<std::string> value = Value(option);
        if (!value) return std::nullopt;
        if (*value == "on") return true;
        if (*value == "off") return false;
        Refuse(option + " takes on or off, not \"" + *value + "\"");
        return std::nullopt;
    }

    bool Allowed(const std::string& option, Verb verb, std::initializer_list<Verb> verbs) {
        for (const Verb v : verbs) {
            if (v == verb) return true;
        }
        return Refuse(option + " does not go with this command");
    }

    bool Option(const std::string& option, Command& c) {
        if (!seen.insert(option).second) return Refuse(option + " is given twice");
        if (option == "--all") {
            c.all = Allowed(option, c.verb, {Verb::List});
        } else if (option == "--json") {
            c.json = Allowed(option, c.verb, {Verb::List, Verb::Get, Verb::Set});
        } else if (option == "--quiet") {
            c.quiet = Allowed(option, c.verb, {Verb::List});
        } else if (option == "--any-bus") {
            c.anyBus = Allowed(option, c.verb, {Verb::Get, Verb::Set});
        } else if (option == "--keep-serials") {
            c.keepSerials = Allowed(option, c.verb, {Verb::Record});
        } else if (option == "--dry-run") {
            c.dryRun = Allowed(option, c.verb, {Verb::Set});
        } else if (option == "--force") {
            c.force = Allowed(option, c.verb, {Verb::Set});
        } else if (option == "--hotplug") {
            if (!Allowed(option, c.verb, {Verb::Set})) return false;
            c.deviceHotplug = OnOff(option);
        } else if (option == "--write-cache-override") {
            if (!Allowed(option, c.verb, {Verb::Set})) return false;
            c.writeCacheEnableOverride = OnOff(option);
        } else if (simulation && option == "--scenario") {
            if (const auto file = Value(option)) c.scenario = *file;
        } else if (simulation && option == "--show-writes") {
            c.showWrites = true;
        } else {
            return Refuse("unknown option " + option);
        }
        return !refusal;
    }
};

}  // namespace

std::optional<DiskSelector> ParseDiskSelector(std::string_view text) {
    using Kind = DiskSelector::Kind;
    if (IsDigits(text)) return DiskSelector{Kind::Number, std::string(text)};
    constexpr std::string_view kDrive = "\\\\.\\PhysicalDrive";
    if (platform::StartsWithIgnoringAsciiCase(text, kDrive) &&
        IsDigits(text.substr(kDrive.size()))) {
        return DiskSelector{Kind::Number, std::string(text.substr(kDrive.size()))};
    }
    if (!text.empty() && IsAsciiLetter(text[0]) &&
        (text.size() == 1 || text.substr(1) == ":" || text.substr(1) == ":\\")) {
        return DiskSelector{Kind::Letter, std::string(1, AsciiUpper(text[0]))};
    }
    const bool path =
        text.starts_with('\\') || (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':');
    if (!path && text.find('\\') != std::string_view::npos) {
        return DiskSelector{Kind::InstanceId, std::string(text)};
    }
    return std::nullopt;
}

ParsedCommand ParseCommandLine(std::span<const std::string> args, bool simulation) {
    // --help and --version answer whatever else is there.
    Command c;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h" || a == "/?") return c;
    }
    for (const std::string& a : args) {
        if (a == "--version") {
            c.verb = Verb::Version;
            return c;
        }
    }

    Parser p(args, simulation);
    std::optional<std::string> verb;
    // Options for the simulated machine may come before the command.
    while (p.next < args.size()) {
        const std::string& a = args[p.next] == "-q" ? "--quiet" : args[p.next];
        ++p.next;
        if (!verb && !a.starts_with("-")) {
            verb = a;
            if (a == "list") {
                c.verb = Verb::List;
            } else if (a == "get") {
                c.verb = Verb::Get;
            } else if (a == "set") {
                c.verb = Verb::Set;
            } else if (a == "record") {
                c.verb = Verb::Record;
            } else {
                return Refusal{"unknown command \"" + a + "\""};
            }
            continue;
        }
        if (a.starts_with("--")) {
            if (!verb && a != "--scenario" && a != "--show-writes") {
                return Refusal{"the command comes first: list, get, set or record"};
            }
            if (!p.Option(a, c)) return *p.refusal;
            continue;
        }
        if (a.starts_with("-") && a.size() > 1) return Refusal{"unknown option " + a};
        if (c.verb == Verb::List) return Refusal{"list takes no disk"};
        if (c.verb == Verb::Record) {
            if (!c.file.empty()) return Refusal{"one file only; \"" + a + "\" is one too many"};
            if (a.empty()) return Refusal{"the file name is empty"};
            c.file = a;
            continue;
        }
        if (!c.disk.empty()) return Refusal{"one disk only; \"" + a + "\" is one too many"};
        if (a.empty()) return Refusal{"the disk is empty"};
        const std::optional<DiskSelector> selector = ParseDiskSelector(a);
        if (!selector)
            return Refusal{"\"" + a + "\" is not a disk: give " + std::string(kDiskForms)};
        c.disk = a;
        c.selector = *selector;
    }

    if (!verb) return Refusal{"no command given"};
    if ((c.verb == Verb::Get || c.verb == Verb::Set) && c.disk.empty()) {
        return Refusal{*verb + " needs a disk: " + std::string(kDiskForms)};
    }
    if (c.verb == Verb::Set && !c.deviceHotplug && !c.writeCacheEnableOverride) {
        return Refusal{"set needs --hotplug on|off, --write-cache-override on|off or both"};
    }
    if (c.quiet && c.json) return Refusal{"--quiet and --json do not go together"};
    if (simulation && c.scenario.empty()) return Refusal{"--scenario FILE is required"};
    return c;
}

std::string UsageText(bool simulation) {
    const std::string scenario = simulation ? "--scenario FILE [--show-writes] " : "";
    return "usage: plumvane-cli " + scenario + "list [--all] [--json | --quiet]\n" +
           "       plumvane-cli " + scenario + "get <disk> [--any-bus] [--json]\n" +
           "       plumvane-cli " + scenario +
           "set <disk> [--hotplug on|off] [--write-cache-override on|off] [--any-bus] "
           "[--force] [--dry-run] [--json]\n" +
           "       plumvane-cli " + scenario + "record [FILE] [--keep-serials]\n" +
           "       plumvane-cli --help | --version\n";
}

std::string HelpText(bool simulation) {
    std::string help =
        "plumvane-cli shows and sets the DeviceHotplug and WriteCacheEnableOverride flags\n"
        "that Windows keeps for each disk.\n\n" +
        UsageText(simulation) +
        "\n"
        "  list              the USB disks (--all: every disk) in drive-number order\n"
        "  get <disk>        one disk\n"
        "  set <disk>        change one flag or both; a flag not named keeps its value.\n"
        "                    When the flags named already hold their values, no SET is\n"
        "                    sent: it says nothing changed and exits 0\n"
        "  --json            one JSON document (UTF-8) instead of a table; for set: the\n"
        "                    disk, the flags before and after, whether they changed and\n"
        "                    whether a SET was sent (a dry run: whether one would be)\n"
        "  --quiet, -q       list: the disks' numbers alone, one a line\n"
        "  --any-bus         allow a disk that is not on the USB bus\n"
        "  --force           set: send the SET even when nothing would change\n"
        "  --dry-run         do everything but the write, and show whether it would send\n"
        "                    a SET and what it would write\n"
        "  record [FILE]     this machine's disks and volumes as Windows answers them, as\n"
        "                    a scenario file for a bug report (standard output without\n"
        "                    FILE); serial numbers are masked unless --keep-serials\n\n"
        "<disk> is a drive number (3 or \\\\.\\PhysicalDrive3), a drive letter of one of\n"
        "its volumes (E:, e or E:\\) or a whole device instance id as list shows it\n"
        "(any case).\n\n"
        "Exit codes: 0 done; 1 a Windows call failed; 2 bad usage; 3 no such disk, or\n"
        "not on the USB bus without --any-bus; 4 the disk changed since the scan;\n"
        "5 access denied (writing needs an elevated prompt).\n";
    if (simulation) {
        help +=
            "\nOn the simulated machine: --scenario FILE loads it; --show-writes prints\n"
            "every hotplug SET its driver received on standard error.\n";
    }
    return help;
}

}  // namespace plumvane::cli
