#include "cli/Cli.h"

#include <charconv>
#include <memory>
#include <vector>

#include "cli/ConsoleWindows.h"
#include "cli/DiskReport.h"
#include "cli/MachineRecorder.h"
#include "hotplug/HotplugInfo.h"
#include "inventory/DiskIdentity.h"
#include "inventory/DiskScan.h"
#include "platform/AsciiCase.h"
#include "platform/SystemErrorText.h"
#include "platform/TerminalText.h"
#include "platform/Version.h"

namespace plumvane::cli {

using namespace platform;
using inventory::DiskInventory;
using inventory::DiskRecord;

namespace {

constexpr std::string_view kPrefix = "plumvane-cli: ";

// Every line but the table's and JSON's (which make their fields safe
// themselves) goes through these: device texts and what was typed are shown,
// never obeyed, and one line stays one line.
void Say(Output& o, std::string_view line) {
    o.out += platform::TerminalSafe(line);
    o.out += "\n";
}

void Error(Output& o, std::string_view line) {
    o.err += kPrefix;
    o.err += platform::TerminalSafe(line);
    o.err += "\n";
}

struct Selection {
    std::int32_t number = -1;
    std::string refusal;  // why nothing was selected
};

const DiskRecord* PresentRecord(const DiskInventory& inv, std::int32_t number) {
    if (number < 0 || number >= inventory::kDiskSlots) return nullptr;
    const DiskRecord& r = inv.Table[static_cast<std::size_t>(number)];
    return r.Present ? &r : nullptr;
}

// The id is compared without regard to case, never by prefix.
Selection Select(const DiskInventory& inv, const DiskSelector& selector) {
    using Kind = DiskSelector::Kind;
    const std::string& text = selector.text;
    if (selector.kind == Kind::Number) {
        std::int32_t number = -1;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (ec == std::errc() && end == text.data() + text.size() && PresentRecord(inv, number)) {
            return {number, {}};
        }
        return {-1, "no disk is present as number " + text};
    }
    if (selector.kind == Kind::Letter) {
        for (std::int32_t n = 0; n < inventory::kDiskSlots; ++n) {
            const DiskRecord* r = PresentRecord(inv, n);
            if (!r) continue;
            for (std::int32_t i = 0; i < r->LetterCount && i < inventory::kLettersPerDisk; ++i) {
                if (r->Letters[static_cast<std::size_t>(i)] == text) return {n, {}};
            }
        }
        return {-1, "no present disk has the drive letter " + text + ":"};
    }
    Selection found;
    int matches = 0;
    for (std::int32_t n = 0; n < inventory::kDiskSlots; ++n) {
        const DiskRecord* r = PresentRecord(inv, n);
        if (r && !r->DeviceInstanceId.empty() &&
            platform::EqualIgnoringAsciiCase(r->DeviceInstanceId, text)) {
            if (matches++ == 0) found.number = n;
        }
    }
    // Windows keeps ids unique; a machine that does not is not guessed at.
    if (matches > 1) return {-1, "the device instance id " + text + " names more than one disk"};
    if (matches == 0) return {-1, "no present disk has the device instance id " + text};
    return found;
}

std::string DiskName(std::int32_t number, const DiskRecord& r) {
    return "disk " + std::to_string(number) + " (" + r.Description + ")";
}

DiskView ReadView(WindowsApi& api, std::int32_t number, const DiskRecord& record) {
    DiskView view{number, &record, hotplug::ReadFlagsQuietly(api, number), {}};
    if (!view.flags.ok()) view.errorText = SystemErrorText(api, view.flags.Error);
    return view;
}

// The exit code of a failed device step, with its lines on standard error.
int ReportFailure(WindowsApi& api, Output& o, std::string_view step, DWORD error, bool writing) {
    Error(o, "error " + std::to_string(error) + " " + std::string(step) + ": " +
                 SystemErrorText(api, error));
    if (error != ERROR_ACCESS_DENIED) return kExitWindowsFailure;
    if (writing) {
        Error(o,
              "changing the flags needs an elevated prompt: start the command prompt or "
              "PowerShell with \"Run as administrator\", or, where Windows 11 has sudo turned "
              "on, put \"sudo\" before the command");
    }
    return kExitAccessDenied;
}

int List(WindowsApi& api, const Command& c, const DiskInventory& inv, Output& o) {
    std::vector<DiskView> views;
    for (std::int32_t n = 0; n < inventory::kDiskSlots; ++n) {
        const DiskRecord* r = PresentRecord(inv, n);
        if (!r || !(c.all || r->BusType == BusTypeUsb)) continue;
        // The numbers alone need no flags: no disk is opened for them.
        if (c.quiet) {
            o.out += std::to_string(n) + "\n";
        } else {
            views.push_back(ReadView(api, n, *r));
        }
    }
    if (c.quiet) return kExitOk;
    if (c.json) {
        o.out += FormatListJson(views);
    } else if (views.empty()) {
        Say(o, c.all ? "no disks present" : "no USB disks present");
    } else {
        o.out += FormatTable(views);
    }
    return kExitOk;
}

int Get(WindowsApi& api, const Command& c, std::int32_t number, const DiskInventory& inv,
        Output& o) {
    const DiskView view = ReadView(api, number, inv.Table[static_cast<std::size_t>(number)]);
    o.out += c.json ? FormatDiskJson(view) : FormatTable(std::span(&view, 1));
    if (view.flags.ok()) return kExitOk;
    return ReportFailure(api, o, hotplug::HotplugStepName(view.flags.FailedStep), view.flags.Error,
                         false);
}

std::string Change(std::string_view name, std::optional<bool> wanted, bool was) {
    if (!wanted) return std::string(name) + " " + OnOffText(was) + " (kept)";
    return std::string(name) + " " + OnOffText(was) + " -> " + OnOffText(*wanted);
}

int Set(WindowsApi& api, const Command& c, std::int32_t number, const DiskInventory& inv,
        Output& o) {
    const DiskRecord& record = inv.Table[static_cast<std::size_t>(number)];
    // The disk is confirmed on the write's own handle, so the SET reaches
    // only the disk the scan found; a dry run does all of it but the SET.
    const inventory::DiskIdentity identity = inventory::IdentityOf(number, record);
    inventory::DiskConfirmation confirmation;
    hotplug::HotplugChange change{
        c.writeCacheEnableOverride, c.deviceHotplug, c.dryRun, {}, !c.force};
    change.Check = inventory::ConfirmingCheck(api, identity, confirmation);
    const hotplug::HotplugResult result = hotplug::WriteFlagsQuietly(api, number, change);
    // A query that fails while the disk is confirmed is a Windows failure
    // like any other; kExitDiskChanged says only that another disk was found.
    if (result.FailedStep == hotplug::HotplugStep::Confirm &&
        confirmation.Check == inventory::DiskCheck::QueryFailed) {
        return ReportFailure(api, o, hotplug::ConfirmQueryStep(confirmation.What),
                             confirmation.Error, true);
    }
    if (result.FailedStep == hotplug::HotplugStep::Confirm) {
        Error(o, DiskName(number, record) + " is not the disk the scan found any more: " +
                     confirmation.Reason() + "; nothing was written, run the command again");
        return kExitDiskChanged;
    }
    if (hotplug::DriveGone(result)) {
        Error(o, DiskName(number, record) +
                     " is gone since the scan; nothing was written, run the command again");
        return kExitDiskChanged;
    }
    if (!result.ok())
        return ReportFailure(api, o, hotplug::HotplugStepName(result.FailedStep), result.Error,
                             true);
    if (c.json) {
        o.out += FormatSetJson(number, record, result, c.dryRun);
        return kExitOk;
    }
    Say(o, DiskName(number, record) + ": " +
               Change("DeviceHotplug", c.deviceHotplug, result.Read.DeviceHotplug()) + ", " +
               Change("WriteCacheEnableOverride", c.writeCacheEnableOverride,
                      result.Read.WriteCacheEnableOverride()));
    const std::string hex = HexBytes(result.Written);
    constexpr std::string_view kAsAsked = "the flags already hold the values asked for";
    if (c.dryRun) {
        Say(o, result.SetWanted
                   ? "dry run: would write STORAGE_HOTPLUG_INFO " + hex + "; nothing was written"
                   : "dry run: " + std::string(kAsAsked) +
                         ", so no SET would be sent; nothing was written");
    } else {
        Say(o, result.SetWanted ? "wrote STORAGE_HOTPLUG_INFO " + hex
                                : "nothing changed: " + std::string(kAsAsked) +
                                      "; no SET was sent (--force sends it)");
    }
    return kExitOk;
}

}  // namespace

int RefuseUsage(const Refusal& refusal, bool simulation, Output& output) {
    Error(output, refusal.text);
    output.err += UsageText(simulation);
    return kExitUsage;
}

int FinishRecordFile(const Command& command, const std::string& error, Output& output) {
    output.out.clear();
    if (!error.empty()) {
        Error(output, "cannot write " + command.file + ": " + error);
        return kExitWindowsFailure;
    }
    Say(output, std::string("recorded this machine into ") + command.file +
                    (command.keepSerials ? " (serial numbers kept)" : " (serial numbers masked)"));
    return kExitOk;
}

int RunCommand(const Command& command, WindowsApi& windows, bool simulation, Output& output) {
    if (command.verb == Verb::Help) {
        output.out += HelpText(simulation);
        return kExitOk;
    }
    if (command.verb == Verb::Version) {
        Say(output, "plumvane-cli " + std::string(platform::kVersionText));
        return kExitOk;
    }

    ConsoleWindows api(windows);
    if (command.verb == Verb::Record) {
        Recording recording = RecordMachine(api);
        if (!command.keepSerials) MaskSerials(recording);
        output.out += ScenarioText(recording, !command.keepSerials);
        return kExitOk;
    }
    const auto inv = std::make_unique<DiskInventory>();
    inventory::ScanDisks(api, NULL_HWND, *inv);
    for (const std::string& note : api.notes()) Error(output, "the scan says: " + note);

    if (command.verb == Verb::List) return List(api, command, *inv, output);

    const Selection selection = Select(*inv, command.selector);
    if (selection.number < 0) {
        Error(output, selection.refusal);
        return kExitNoSuchDisk;
    }
    const DiskRecord& record = inv->Table[static_cast<std::size_t>(selection.number)];
    // A typo must not turn the system disk into a removable one.
    if (!command.anyBus && record.BusType != BusTypeUsb) {
        Error(output, DiskName(selection.number, record) + " is on the " + BusName(record.BusType) +
                          " bus, not USB; add --any-bus to choose it anyway");
        return kExitNoSuchDisk;
    }
    if (command.verb == Verb::Get) return Get(api, command, selection.number, *inv, output);
    return Set(api, command, selection.number, *inv, output);
}

}  // namespace plumvane::cli
