#include "sweep/ReplugSweep.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "app/ModelSession.h"
#include "cli/Cli.h"
#include "cli/CommandLine.h"
#include "inventory/DiskScan.h"
#include "platform/DevicePaths.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"
#include "sweep/Parallel.h"
#include "ui/FormDesign.h"
#include "ui/frmMain.h"

namespace plumvane::sweep {

namespace {

using platform::MB_ICONERROR;
using platform::MB_ICONEXCLAMATION;

constexpr Replacement kReplacements[] = {Replacement::Lookalike, Replacement::SameSizeText,
                                         Replacement::Twin, Replacement::OtherModel,
                                         Replacement::Pulled};

const char* Name(Replacement how) {
    switch (how) {
        case Replacement::Lookalike:
            return "a lookalike";
        case Replacement::SameSizeText:
            return "a lookalike of the same size text";
        case Replacement::Twin:
            return "a twin with another disk signature";
        case Replacement::OtherModel:
            return "another model";
        case Replacement::Pulled:
            break;
    }
    return "nothing";
}

std::int16_t Shown(bool on) { return on ? ui::kChecked : ui::kUnchecked; }

sim::SimDisk* DiskOf(sim::Machine& m, int number) {
    for (sim::SimDisk& d : m.disks) {
        if (d.number == number) return &d;
    }
    return nullptr;
}

// The window's session, not yet started.
struct Session {
    explicit Session(const sim::Machine& m) : machine(m) {}
    sim::SimulatedWindows machine;
    app::RecordingModelToolkit toolkit{machine};
    inventory::DiskInventory inventory;
    ui::frmMain form{toolkit, machine, inventory};
    app::ModelUserDriver user{toolkit};
};

struct Click {
    std::int16_t row;
    const char* box;
    int disk;  // the drive its row shows
};

// How the scan shows a disk, its number and letters aside: disks of one kind
// (a hub of identical sticks) take the same paths.
std::string KindOf(const inventory::DiskRecord& r, const sim::SimDisk* disk) {
    std::string kind = r.Description + "|" + r.SizeText + "|" + std::to_string(r.LetterCount) +
                       "|" + std::to_string(r.DriveType);
    if (disk) kind += "|" + std::string(disk->hotplug.begin(), disk->hotplug.end());
    return kind;
}

// The last of each kind: it walks the most disk interfaces of them.
template <typename T>
std::vector<T> LastOfKind(const std::vector<std::pair<std::string, T>>& all) {
    std::vector<T> kept;
    for (std::size_t i = 0; i < all.size(); ++i) {
        bool last = true;
        for (std::size_t j = i + 1; j < all.size() && last; ++j)
            last = all[j].first != all[i].first;
        if (last) kept.push_back(all[i].second);
    }
    return kept;
}

int DriveOfRow(Session& s, std::int16_t row) {
    const std::string caption = s.toolkit.GetCaption(ui::Elem(ui::kLblDisks, row)).value_or("");
    return ui::frmMain::DiskNumberFromCaption(caption);
}

// What the rules need of the calls made since `writes` and `boxes`.
struct Seen {
    int sets = 0;
    int wrong = 0;
    bool written = false;  // a SET the right device accepted
    bool told = false;     // a refusal or an error message
};

Seen Look(const sim::SimulatedWindows& w, std::size_t writes, std::size_t boxes,
          const std::string& device) {
    Seen seen;
    const auto& all = w.hotplugWrites();
    for (std::size_t i = writes; i < all.size(); ++i) {
        ++seen.sets;
        if (all[i].device != device) {
            ++seen.wrong;
        } else if (all[i].ok) {
            seen.written = true;
        }
    }
    const auto& shown = w.messageBoxes();
    for (std::size_t i = boxes; i < shown.size(); ++i) {
        const auto type = shown[i].type;
        seen.told = seen.told || (type & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION ||
                    (type & MB_ICONERROR) == MB_ICONERROR;
    }
    return seen;
}

struct Job {
    std::function<void(ReplugResult&)> run;
};

void Check(ReplugResult& result, const std::string& what, const Seen& seen, bool told,
           const sim::SimulatedWindows& w) {
    ++result.runs;
    result.wrongWrites += seen.wrong;
    auto note = [&](const std::string& v) { result.violations.push_back(what + ": " + v); };
    if (seen.wrong > 0) note(std::to_string(seen.wrong) + " SET(s) reached another device");
    if (seen.sets > 1) note(std::to_string(seen.sets) + " SETs");
    if (!seen.written && !told) note("neither written nor told");
    if (w.OpenHandleCount() != 0) note(std::to_string(w.OpenHandleCount()) + " handles open");
    if (w.OpenDeviceInfoSetCount() != 0) note("device-information sets open");
}

// The window's runs of one click. The session starts once; before each run
// the machine, the row's boxes and the call log are put back as they were
// after the start, and a list that a refusal rebuilt is built again from the
// machine as it started (a click leaves nothing else behind: its handles are
// closed), so a run costs the click rather than a whole session.
void ClickRuns(const sim::Machine& machine, const Click& click, const std::string& label,
               ReplugResult& result) {
    Session s(machine);
    s.form.Start();
    const sim::Machine started = s.machine.machine();
    const sim::SimDisk* disk = DiskOf(s.machine.machine(), click.disk);
    const std::string device = disk ? sim::DeviceKey(*disk) : std::string();
    const ui::ControlRef wceo = ui::Elem(ui::kChkWCEO, click.row);
    const ui::ControlRef hpd = ui::Elem(ui::kChkHPD, click.row);
    const auto wceoState = s.toolkit.GetCheck(wceo).value_or(ui::kUnchecked);
    const auto hpdState = s.toolkit.GetCheck(hpd).value_or(ui::kUnchecked);
    const std::string what = label + ", " + click.box + "(" + std::to_string(click.row) +
                             ") of disk " + std::to_string(click.disk);
    int builds = s.form.ListBuilds();
    const std::string changedText = ui::DiskChangedText(click.disk);
    bool refusedAsItStands = false;
    // The value each box may show after a click: what it showed before, or
    // what the device held (at the start, or as a SET it accepted left it).
    const std::optional<std::array<std::uint8_t, 8>> startFlags =
        disk ? std::optional(disk->hotplug) : std::nullopt;
    auto heldBefore = [&](std::size_t at) {
        return startFlags ? Shown((*startFlags)[at] != 0) : ui::kGrayed;
    };
    auto run = [&](std::optional<std::size_t> at, Replacement how, const sim::Fault* fault) {
        s.machine.SetMachine(started);
        if (s.form.ListBuilds() != builds) {
            s.form.BuildDiskList();
            builds = s.form.ListBuilds();
        }
        s.form.LockMe = true;
        s.toolkit.SetCheck(wceo, wceoState);
        s.toolkit.SetCheck(hpd, hpdState);
        s.form.LockMe = false;
        s.machine.ClearCalls();
        s.machine.ClearFaults();
        if (fault) s.machine.InjectFault(*fault);
        if (at) {
            s.machine.ChangeMachineBeforeCall(
                *at, [&](sim::Machine& m) { Replace(m, click.disk, how); });
        }
        const std::size_t writes = s.machine.hotplugWrites().size();
        const std::size_t boxes = s.machine.messageBoxes().size();
        s.user.ClickCheck(click.box, click.row);
        const Seen seen = Look(s.machine, writes, boxes, device);
        const std::string label =
            what +
            (at ? std::string(", ") + Name(how) + " before call " + std::to_string(*at) : "") +
            (fault ? ", " + fault->device + " failing once" : "");
        Check(result, label, seen, seen.told, s.machine);
        const auto& shown = s.machine.messageBoxes();
        bool saidChanged = false;
        for (std::size_t i = boxes; i < shown.size(); ++i) {
            saidChanged = saidChanged || shown[i].text == changedText;
        }
        // A disk the click refuses as it stands (one answering another device
        // number) is told so in every run; the rule is for what a run adds.
        if (!fault && !at) refusedAsItStands = saidChanged;
        const bool changed = (at && *at < s.machine.calls().size()) || refusedAsItStands;
        if (saidChanged && !changed) {
            result.violations.push_back(label + ": told of a changed disk that did not change");
        }
        if (s.form.ListBuilds() == builds) {
            // Both boxes as the program left them, the list not scanned again.
            const auto& all = s.machine.hotplugWrites();
            bool untrue = false;
            for (const auto& [ref, before, byte] : {std::tuple{wceo, wceoState, std::size_t{7}},
                                                    std::tuple{hpd, hpdState, std::size_t{6}}}) {
                const std::int16_t now = s.toolkit.GetCheck(ref).value_or(-1);
                bool held = now == before || now == heldBefore(byte);
                for (std::size_t i = writes; i < all.size() && !held; ++i) {
                    held = all[i].ok && all[i].device == device && all[i].bytes.size() > byte &&
                           now == Shown(all[i].bytes[byte] != 0);
                }
                untrue = untrue || !held;
            }
            if (untrue) {
                ++result.untrueRows;
                result.violations.push_back(label + ": a box shows what no driver held");
            }
        }
        return s.machine.calls();
    };
    const std::vector<sim::CallRecord> calls = run(std::nullopt, Replacement::Pulled, nullptr);
    std::map<std::string, int> made;
    const std::string drivePath =
        platform::PhysicalDrivePath(platform::kFlagsDriveSpelling, click.disk);
    for (std::size_t k = 0; k < calls.size(); ++k) {
        for (const Replacement how : kReplacements) run(k, how, nullptr);
        // The same click with this one request on the row's drive failing
        // once, the disk unchanged.
        if (calls[k].function != "DeviceIoControl" || !calls[k].detail.ends_with(drivePath)) {
            continue;
        }
        const sim::Fault once{calls[k].function,         calls[k].detail,
                              platform::ERROR_IO_DEVICE, 1,
                              made[calls[k].detail]++,   true};
        run(std::nullopt, Replacement::Pulled, &once);
    }
    s.user.ClickClose();
    if (s.machine.OpenHandleCount() != 0) result.violations.push_back(what + ": open at Close");
}

// plumvane-cli set of one disk.
void SetRun(const sim::Machine& machine, int number, std::optional<std::size_t> at, Replacement how,
            const std::string& label, ReplugResult& result, std::size_t* first = nullptr,
            std::size_t* end = nullptr) {
    sim::SimulatedWindows w(machine);
    if (at) w.ChangeMachineBeforeCall(*at, [&](sim::Machine& m) { Replace(m, number, how); });
    const sim::SimDisk* disk = DiskOf(w.machine(), number);
    const std::string device = disk ? sim::DeviceKey(*disk) : std::string();
    // --force: the SET is what is followed, also where the disk holds these values already.
    const std::vector<std::string> args = {"set",    std::to_string(number),   "--hotplug",
                                           "on",     "--write-cache-override", "off",
                                           "--force"};
    const auto command = std::get<cli::Command>(cli::ParseCommandLine(args, false));
    cli::Output output;
    const int exit = cli::RunCommand(command, w, false, output);
    const Seen seen = Look(w, 0, 0, device);
    // A refusal or an error is an exit code other than 0 with a line on
    // standard error; a message box is never shown.
    const bool told = exit != cli::kExitOk && !output.err.empty();
    Check(result,
          label + ", set " + std::to_string(number) +
              (at ? std::string(", ") + Name(how) + " before call " + std::to_string(*at) : ""),
          seen, told, w);
    if (!w.messageBoxes().empty()) result.violations.push_back(label + ": a message box");
    if (first && end) {
        // The set's own calls: from its open of the drive for writing.
        const std::string path = platform::PhysicalDrivePath(platform::kFlagsDriveSpelling, number);
        const auto& calls = w.calls();
        *first = *end = calls.size();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].function == "CreateFileA" && calls[i].detail == path) {
                *first = i;
                break;
            }
        }
    }
}

}  // namespace

void Replace(sim::Machine& m, int number, Replacement how) {
    sim::SimDisk* disk = DiskOf(m, number);
    if (!disk) return;
    const bool noMedia = disk->errors.geometry != 0 || disk->geometry.cylinders <= 4;
    const bool noLayout = noMedia || disk->errors.driveLayout != 0;
    // A disk that shows neither is told apart by nothing: it gets a card.
    if ((how == Replacement::SameSizeText && noMedia) || (how == Replacement::Twin && noLayout)) {
        how = Replacement::Lookalike;
    }
    switch (how) {
        case Replacement::SameSizeText:
            // Four cylinders of 8 MB fewer: "14.9 GB" either way.
            disk->geometry.cylinders -= 4;
            break;
        case Replacement::Twin:
            // The same stick, partitioned apart.
            if (disk->partitionStyle == sim::PartitionStyle::Gpt) {
                disk->gptDiskId.Data1 ^= 0x00FF00FFu;
            } else {
                disk->partitionStyle = sim::PartitionStyle::Mbr;
                disk->diskSignature =
                    disk->diskSignature.value_or(sim::DefaultDiskSignature(disk->number)) ^
                    0x00FF00FFu;
            }
            break;
        case Replacement::Lookalike:
            // Another size that shows: a reader without media gets a card.
            disk->errors.geometry = 0;
            disk->geometry.cylinders =
                std::max<std::int64_t>(disk->geometry.cylinders, 1000) * 2 + 3;
            if (disk->geometry.tracksPerCylinder <= 0) disk->geometry.tracksPerCylinder = 255;
            if (disk->geometry.sectorsPerTrack <= 0) disk->geometry.sectorsPerTrack = 63;
            if (disk->geometry.bytesPerSector <= 0) disk->geometry.bytesPerSector = 512;
            break;
        case Replacement::OtherModel: {
            sim::SimDisk other;
            other.number = number;
            other.deviceNumber = static_cast<std::uint32_t>(number);
            other.vendor = "Other";
            other.product = "Replacement " + std::to_string(number);
            other.geometry.cylinders = disk->geometry.cylinders * 3 + 7;
            other.devInst = 900000u + static_cast<std::uint32_t>(number);
            other.instanceId =
                "USBSTOR\\DISK&VEN_OTHER&PROD_REPLACEMENT\\R" + std::to_string(number) + "&0";
            *disk = other;
            break;
        }
        case Replacement::Pulled:
            std::erase_if(m.disks, [&](const sim::SimDisk& d) { return d.number == number; });
            std::erase_if(m.volumes, [&](const sim::SimVolume& v) {
                return v.disk && static_cast<int>(*v.disk) == number;
            });
            break;
    }
}

ReplugResult ReplugSweep(const sim::Machine& machine, const std::string& label, int threads) {
    ReplugResult result;
    std::vector<Job> jobs;

    // The clicks of the session: every visible box of the last row of each
    // kind of disk.
    std::vector<Click> clicks;
    {
        Session s(machine);
        s.form.Start();
        ui::Toolkit& tk = s.toolkit;
        std::vector<std::pair<std::string, Click>> all;
        for (std::int16_t row = 0; tk.KindOf(ui::Elem(ui::kLblDisks, row)); ++row) {
            const int drive = DriveOfRow(s, row);
            if (drive < 0 || drive >= inventory::kDiskSlots) continue;
            const std::string kind = KindOf(s.inventory.Table[static_cast<std::size_t>(drive)],
                                            DiskOf(s.machine.machine(), drive));
            for (const char* box : {ui::kChkWCEO, ui::kChkHPD}) {
                if (!tk.GetVisible(ui::Elem(box, row)).value_or(false)) continue;
                all.push_back({kind + "|" + box, Click{row, box, drive}});
            }
        }
        clicks = LastOfKind(all);
    }
    for (const Click& click : clicks) {
        jobs.push_back(
            {[&machine, click, &label](ReplugResult& r) { ClickRuns(machine, click, label, r); }});
    }

    // plumvane-cli set of the last USB disk of each kind the scan finds.
    {
        sim::SimulatedWindows w(machine);
        auto inventory = std::make_unique<inventory::DiskInventory>();
        inventory::ScanDisks(w, platform::NULL_HWND, *inventory);
        std::vector<std::pair<std::string, int>> all;
        for (int n = 0; n < inventory->DiskCount; ++n) {
            const inventory::DiskRecord& r = inventory->Table[static_cast<std::size_t>(n)];
            if (!r.Present || r.BusType != platform::BusTypeUsb) continue;
            all.push_back({KindOf(r, DiskOf(w.machine(), n)), n});
        }
        for (const int n : LastOfKind(all)) {
            std::size_t first = 0, end = 0;
            SetRun(machine, n, std::nullopt, Replacement::Pulled, label, result, &first, &end);
            for (std::size_t k = first; k < end; ++k) {
                for (const Replacement how : kReplacements) {
                    jobs.push_back({[&machine, n, k, how, &label](ReplugResult& r) {
                        SetRun(machine, n, k, how, label, r);
                    }});
                }
            }
        }
    }

    ForEachInParallel<ReplugResult>(
        jobs.size(), threads, [&](std::size_t i, ReplugResult& mine) { jobs[i].run(mine); },
        [&](ReplugResult& mine) { result.Add(mine); });
    std::sort(result.violations.begin(), result.violations.end());
    return result;
}

}  // namespace plumvane::sweep
