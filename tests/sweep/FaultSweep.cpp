#include "sweep/FaultSweep.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "app/ModelSession.h"
#include "platform/DevicePaths.h"
#include "platform/WinDefs.h"
#include "sweep/Parallel.h"
#include "ui/FormDesign.h"
#include "ui/frmMain.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace plumvane::sweep {

namespace {

using platform::DWORD;

// The window starts as the first step, after the fault is injected.
using Session = app::ModelSession;

struct Run {
    explicit Run(const sim::Machine& m) : s(m, Session::Start::Later) {}
    Session s;
    std::string step;
    std::vector<std::string> violations;
    void Note(const std::string& what) { violations.push_back(step + ": " + what); }
};

// The drive number a row caption shows ("Disk 3:  ..."), read here
// independently of the window's own parser; -1 for anything else.
int DriveOfCaption(std::string_view caption) {
    constexpr std::string_view kPrefix = "Disk ";
    if (caption.substr(0, kPrefix.size()) != kPrefix) return -1;
    const std::string_view rest = caption.substr(kPrefix.size());
    int number = -1;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    if (ec != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != ':') {
        return -1;
    }
    return number;
}

void ClickBox(Run& run, const char* box, std::int16_t row) {
    Session& s = run.s;
    const int disk =
        DriveOfCaption(s.toolkit.GetCaption(ui::Elem(ui::kLblDisks, row)).value_or(""));
    const std::size_t writes = s.machine.hotplugWrites().size();
    const std::size_t boxes = s.machine.messageBoxes().size();
    s.user.ClickCheck(box, row);
    const auto& after = s.machine.hotplugWrites();
    const std::string what = std::string(box) + "(" + std::to_string(row) + ")";
    if (after.size() > writes + 1) {
        run.Note("a click on " + what + " gave " + std::to_string(after.size() - writes) + " SETs");
    }
    for (std::size_t i = writes; i < after.size(); ++i) {
        if (after[i].disk != disk) {
            run.Note("a click on " + what + " of disk " + std::to_string(disk) +
                     " sent a SET to disk " + std::to_string(after[i].disk));
        }
    }
    // A click refused because its disk changed ends with its exclamation box;
    // the boxes after it belong to the rebuild that the refusal starts.
    const auto& shownBoxes = s.machine.messageBoxes();
    std::size_t shown = shownBoxes.size() - boxes;
    for (std::size_t i = boxes; i < shownBoxes.size(); ++i) {
        if ((shownBoxes[i].type & platform::MB_ICONEXCLAMATION) == platform::MB_ICONEXCLAMATION) {
            shown = i + 1 - boxes;
            break;
        }
    }
    if (shown > 2) {
        run.Note("a click on " + what + " gave " + std::to_string(shown) + " message boxes");
    }
}

// The session, one row per step. Each step's disk table is compared with the
// fault-free run's after it.
struct Step {
    const char* name;
    void (*perform)(Run&);
};

const Step kSteps[] = {
    {"start", [](Run& r) { r.s.form.Start(); }},
    {"a click on every visible box",
     [](Run& r) {
         ui::Toolkit& tk = r.s.toolkit;
         for (std::int16_t row = 0; tk.KindOf(ui::Elem(ui::kLblDisks, row)); ++row) {
             for (const char* box : {ui::kChkWCEO, ui::kChkHPD}) {
                 if (tk.GetVisible(ui::Elem(box, row)).value_or(false)) ClickBox(r, box, row);
             }
         }
     }},
    {"F5", [](Run& r) { r.s.user.KeyDown(ui::kKeyF5, 0); }},
    // The machine stays as it is, so the faults stay aimed where they were:
    // what is swept is the notification's path to a rebuild.
    {"a disk interface arrives, and the list follows",
     [](Run& r) {
         r.s.user.DeviceChange(/*arrival=*/true);
         r.s.user.Wait(ui::kPlugSettleMs);
     }},
    {"Close", [](Run& r) { r.s.user.ClickClose(); }},
};

// A run's description, for a crash: the sanitizers call back before they end
// the process.
thread_local std::string gCurrentRun;

[[maybe_unused]] void ReportCrashedRun() {
    std::fprintf(stderr, "fault sweep: the process ended in run %s\n", gCurrentRun.c_str());
}

std::string Describe(const sim::Fault& f) {
    std::string text = f.function + " \"" + f.device + "\" failing with " + std::to_string(f.error);
    text += f.times < 0 ? " every time" : " at call " + std::to_string(f.skip + 1);
    return text;
}

// The part of a device call's detail that is a path.
std::string_view PathOf(const std::string& function, std::string_view detail) {
    if (function == "DeviceIoControl") {
        const std::size_t on = detail.find(" on ");
        return on == std::string_view::npos ? std::string_view() : detail.substr(on + 4);
    }
    return detail;
}

// N of "\\.\PHYSICALDRIVE<N>", the scan's spelling; -1 otherwise.
int ScanDriveOf(std::string_view path) {
    const std::string prefix = "\\\\.\\" + std::string(platform::kScanDriveSpelling);
    if (path.substr(0, prefix.size()) != prefix) return -1;
    const std::string_view digits = path.substr(prefix.size());
    int n = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size() ? n : -1;
}

bool IsVolumePath(std::string_view path) {
    return path.size() == 6 && path.substr(0, 4) == "\\\\.\\" && path[5] == ':';
}

bool IsInterfacePath(std::string_view path) { return path.substr(0, 4) == "\\\\?\\"; }

std::string IoctlText(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// The error codes of the sweep; the first, ERROR_GEN_FAILURE, is tried first.
constexpr DWORD kCodes[] = {31, 1, 2, 5, 6, 21, 87, 122, 1117, 1167};

std::string LettersOf(const inventory::DiskRecord& r) {
    std::string letters;
    for (int i = 0; i < r.LetterCount && i < inventory::kLetterSlots; ++i) {
        letters += r.Letters[static_cast<std::size_t>(i)];
    }
    return letters;
}

bool IsSubsequence(std::string_view part, std::string_view whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    return true;
}

// Whether a message box of the run shows `code`, as a number of its own.
bool CodeShown(const sim::SimulatedWindows& machine, DWORD code) {
    const std::string number = std::to_string(static_cast<std::int32_t>(code));
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (const sim::MessageBoxRecord& box : machine.messageBoxes()) {
        const std::string& text = box.text;
        for (std::size_t at = text.find(number); at != std::string::npos;
             at = text.find(number, at + 1)) {
            const std::size_t end = at + number.size();
            if ((at == 0 || !digit(text[at - 1])) && (end == text.size() || !digit(text[end]))) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

Allowance AllowanceFor(const std::string& function, const std::string& detail) {
    Allowance a;
    const std::string_view path = PathOf(function, detail);
    const bool onDevice = function == "CreateFileA" || function == "DeviceIoControl";
    if (function == "CLSIDFromString" || function.rfind("SetupDi", 0) == 0 ||
        (onDevice && IsInterfacePath(path))) {
        a.noDevInst = true;
    } else if (function == "CM_Get_Device_IDA") {
        a.noInstanceId = true;
    } else if (function == "GetDriveTypeA" || function == "QueryDosDeviceA" ||
               (onDevice && IsVolumePath(path))) {
        a.lettersLost = true;
    } else if (const int n = ScanDriveOf(path); onDevice && n >= 0) {
        if (function == "CreateFileA") a.gone.insert(n);
        if (detail.find(IoctlText(platform::IOCTL_STORAGE_QUERY_PROPERTY)) != std::string::npos) {
            a.noDescriptor.insert(n);
        }
        if (detail.find(IoctlText(platform::IOCTL_DISK_GET_DRIVE_GEOMETRY)) != std::string::npos) {
            a.noSize.insert(n);
        }
        if (detail.find(IoctlText(platform::IOCTL_DISK_GET_DRIVE_LAYOUT_EX)) != std::string::npos) {
            a.noLayout.insert(n);
        }
    }
    return a;
}

std::vector<std::string> CompareTables(const inventory::DiskInventory& reference,
                                       const inventory::DiskInventory& run,
                                       const Allowance& allowed) {
    std::vector<std::string> out;
    int highestPresent = -1;
    for (int n = 0; n < inventory::kDiskSlots; ++n) {
        const inventory::DiskRecord& want = reference.Table[static_cast<std::size_t>(n)];
        const inventory::DiskRecord& got = run.Table[static_cast<std::size_t>(n)];
        if (got.Present) highestPresent = n;
        auto differs = [&](const char* field, const std::string& value) {
            out.push_back("disk " + std::to_string(n) + " " + field + " is \"" + value + "\"");
        };
        if (got.Path != want.Path) differs("Path", got.Path);

        if (allowed.gone.count(n) && !got.Present && want.Present) {
            // A drive that did not open carries the values of one that is not there.
            if (got.Description != "------------------------")
                differs("Description", got.Description);
            if (got.SizeMB != 0) differs("SizeMB", std::to_string(got.SizeMB));
            if (got.SizeText != "no disk") differs("SizeText", got.SizeText);
            if (got.BusType != 0) differs("BusType", std::to_string(got.BusType));
            if (got.DevInst != 0) differs("DevInst", std::to_string(got.DevInst));
            if (!got.DeviceInstanceId.empty()) differs("DeviceInstanceId", got.DeviceInstanceId);
            if (!got.DriveLayoutId.empty()) differs("DriveLayoutId", got.DriveLayoutId);
        } else {
            if (got.Present != want.Present) differs("Present", got.Present ? "true" : "false");
            const bool noDescriptor = allowed.noDescriptor.count(n) > 0;
            const bool noSize = allowed.noSize.count(n) > 0;
            if (got.Description != want.Description &&
                !(noDescriptor && got.Description == "unknown")) {
                differs("Description", got.Description);
            }
            if (got.BusType != want.BusType && !(noDescriptor && got.BusType == 0)) {
                differs("BusType", std::to_string(got.BusType));
            }
            if (got.SizeMB != want.SizeMB && !(noSize && got.SizeMB == -1)) {
                differs("SizeMB", std::to_string(got.SizeMB));
            }
            if (got.SizeText != want.SizeText && !(noSize && got.SizeText == "no media")) {
                differs("SizeText", got.SizeText);
            }
            if (!(got.Geometry == want.Geometry) &&
                !(noSize && got.Geometry == inventory::DISK_GEOMETRY{})) {
                differs("Geometry", std::to_string(got.Geometry.Cylinders) + " cylinders");
            }
            if (got.DriveLayoutId != want.DriveLayoutId &&
                !(allowed.noLayout.count(n) > 0 &&
                  got.DriveLayoutId == inventory::kNoDriveLayout)) {
                differs("DriveLayoutId", got.DriveLayoutId);
            }
            if (got.DevInst != want.DevInst && !(allowed.noDevInst && got.DevInst == 0)) {
                differs("DevInst", std::to_string(got.DevInst));
            }
            if (got.DeviceInstanceId != want.DeviceInstanceId &&
                !((allowed.noDevInst || allowed.noInstanceId) && got.DeviceInstanceId.empty())) {
                differs("DeviceInstanceId", got.DeviceInstanceId);
            }
        }

        const std::string letters = LettersOf(got);
        const std::string wantLetters = LettersOf(want);
        if (letters != wantLetters &&
            !(allowed.lettersLost && IsSubsequence(letters, wantLetters))) {
            differs("Letters", letters);
        }
        std::string text;
        for (char c : letters) text += std::string(1, c) + ": ";
        if (got.LettersText != text) differs("LettersText", got.LettersText);
        for (int i = got.LetterCount; i < inventory::kLetterSlots; ++i) {
            if (i >= 0 && !got.Letters[static_cast<std::size_t>(i)].empty()) {
                differs("Letters beyond LetterCount", got.Letters[static_cast<std::size_t>(i)]);
            }
        }
        if (got.DriveType != want.DriveType && !(allowed.lettersLost && got.DriveType == 0)) {
            differs("DriveType", std::to_string(got.DriveType));
        }
    }
    const bool countMayDrop = !allowed.gone.empty();
    if (run.DiskCount != highestPresent + 1 ||
        (run.DiskCount != reference.DiskCount && !countMayDrop)) {
        out.push_back("DiskCount is " + std::to_string(run.DiskCount));
    }
    return out;
}

RunOutcome RunSession(const sim::Machine& machine, const sim::Fault* fault,
                      const Reference* reference, Reference* record) {
    Run run(machine);
    if (fault) run.s.machine.InjectFault(*fault);
    // The first offer to start as administrator is taken, so an unelevated
    // machine's session also makes the start; later ones are declined.
    run.s.machine.QueueAnswer(platform::IDYES);
    const Allowance allowed = fault ? AllowanceFor(fault->function, fault->device) : Allowance{};
    std::size_t index = 0;
    for (const Step& step : kSteps) {
        run.step = step.name;
        const std::size_t writes = run.s.machine.hotplugWrites().size();
        try {
            step.perform(run);
        } catch (const std::exception& e) {
            run.Note(std::string("threw ") + e.what());
            break;
        }
        if (std::string_view(step.name).find("click") == std::string_view::npos &&
            run.s.machine.hotplugWrites().size() != writes) {
            run.Note("a SET without a click");
        }
        if (record) record->tables.push_back(run.s.inventory);
        if (reference && index < reference->tables.size()) {
            for (const std::string& d :
                 CompareTables(reference->tables[index], run.s.inventory, allowed)) {
                run.Note(d);
            }
        }
        ++index;
    }

    // A close that Windows refused leaves its object open; anything else open
    // was never closed.
    run.step = "end";
    int refusedCloses = 0;
    int refusedDestroys = 0;
    int timesMade = 0;
    for (const sim::CallRecord& c : run.s.machine.calls()) {
        if (fault && c.function == fault->function && c.detail == fault->device) ++timesMade;
        if (!c.failed) continue;
        if (c.function == "CloseHandle" && c.detail.rfind("handle 0x", 0) == 0) {
            run.Note("CloseHandle of something never opened: " + c.detail);
        }
        if (!fault || c.function != fault->function || c.detail != fault->device ||
            c.error != fault->error) {
            continue;
        }
        if (c.function == "CloseHandle") ++refusedCloses;
        if (c.function == "SetupDiDestroyDeviceInfoList") ++refusedDestroys;
    }
    // "Error <code> ..." shows the code of the call that failed last, apart
    // from the box's own work: the token query that chooses the box (its open,
    // read and close; a failed query counts as elevated) and the lookup of the
    // system's text. A refused close is never it either: the handle owners
    // keep the caller's code across a close, and the box of a query refused
    // while the disk was confirmed comes after the write's handle is closed.
    const auto& calls = run.s.machine.calls();
    const auto boxWork = [](const sim::CallRecord& c) {
        return c.function == "MessageBoxA" || c.function == "OpenProcessToken" ||
               c.function == "GetTokenInformation" || c.function == "FormatMessageA" ||
               c.function == "CloseHandle";
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].function != "MessageBoxA" || calls[i].detail.rfind("Error ", 0) != 0) continue;
        std::size_t j = i;
        while (j > 0 && (!calls[j - 1].failed || boxWork(calls[j - 1]))) --j;
        const std::string want =
            j == 0 ? "none" : std::to_string(static_cast<std::int32_t>(calls[j - 1].error));
        if (calls[i].detail.rfind("Error " + want + " ", 0) != 0) {
            run.Note("\"" + calls[i].detail + "\" after a failure with " + want);
        }
    }
    if (run.s.machine.OpenHandleCount() != refusedCloses) {
        run.Note(std::to_string(run.s.machine.OpenHandleCount()) + " handles open");
    }
    if (run.s.machine.OpenDeviceInfoSetCount() != refusedDestroys) {
        run.Note(std::to_string(run.s.machine.OpenDeviceInfoSetCount()) +
                 " device-information sets open");
    }
    if (record) record->calls = run.s.machine.calls();
    return RunOutcome{std::move(run.violations), fault && CodeShown(run.s.machine, fault->error),
                      timesMade};
}

std::vector<Target> SweepTargets(const Reference& reference) {
    std::vector<Target> targets;
    std::map<std::pair<std::string, std::string>, std::size_t> index;
    for (const sim::CallRecord& c : reference.calls) {
        // Never fails on Windows: the program's own module is always there.
        if (c.function == "GetModuleHandleA") continue;
        auto [it, added] = index.try_emplace({c.function, c.detail}, targets.size());
        if (added) targets.push_back({c.function, c.detail, 0, true});
        Target& t = targets[it->second];
        ++t.times;
        t.failsAlready = t.failsAlready && c.failed;
    }
    return targets;
}

std::vector<DWORD> FirstCodes(const std::string& function) {
    // These answer their code as the result, which the program tests against
    // success alone: two codes stand for all.
    if (function == "CLSIDFromString")
        return {0x80070005u, 0x80070057u};                   // E_ACCESSDENIED, E_INVALIDARG
    if (function == "SetWindowTheme") return {0x80070057u};  // its result is not looked at
    if (function == "CM_Get_Device_IDA")
        return {0x05, 0x1A};  // CR_INVALID_DEVNODE, CR_BUFFER_SMALL
    // A refused open may be told apart by "not found".
    if (function == "CreateFileA") return {kCodes[0], 2};
    return {kCodes[0]};
}

namespace {

// The runs of one target: its first time failing once, and failing always. The other codes of the
// list are tried where a message showed the first (elsewhere the program does not tell codes
// apart), once per call. A call that fails in the fault-free run already only changes its code, so
// it fails always, and a call made once fails always only if failing it once made the program call
// it again.
void SweepTarget(const sim::Machine& machine, const Reference& reference, const Target& t,
                 const std::string& label, SweepResult& result) {
    const std::vector<DWORD> first = FirstCodes(t.function);
    auto run = [&](int times, int skip, DWORD code) {
        const sim::Fault fault{t.function, t.detail, code, times, skip, true};
        gCurrentRun = label + ", " + Describe(fault);
        ++result.runs;
        RunOutcome outcome = RunSession(machine, &fault, &reference, nullptr);
        for (const std::string& v : outcome.violations) {
            result.violations.push_back(gCurrentRun + ": " + v);
        }
        return outcome;
    };
    // The first codes everywhere; the rest of the list once per call, where a
    // message showed the code: in the run where it fails always, or at its
    // first time when it is not also made to fail always.
    auto firstCodes = [&](int times, int skip, bool& shown) {
        int timesMade = 0;
        for (DWORD code : first) {
            const RunOutcome o = run(times, skip, code);
            shown = shown || o.codeShown;
            timesMade = std::max(timesMade, o.timesMade);
        }
        return timesMade;
    };
    auto otherCodes = [&](int times, int skip) {
        for (DWORD code : kCodes) {
            if (std::find(first.begin(), first.end(), code) == first.end()) run(times, skip, code);
        }
    };
    bool alwaysDiffers = t.failsAlready || t.times > 1;
    if (!t.failsAlready) {
        // The first time only: a call made once per disk and click (the
        // confirmation's interface walk) would otherwise multiply the runs by
        // the clicks without reaching a new path.
        bool shown = false;
        if (firstCodes(1, 0, shown) > 1) alwaysDiffers = true;
        if (shown && !alwaysDiffers) otherCodes(1, 0);
    }
    if (alwaysDiffers) {
        bool shown = false;
        firstCodes(-1, 0, shown);
        if (shown) otherCodes(-1, 0);
    }
}

}  // namespace

SweepResult Sweep(const sim::Machine& machine, const std::string& label, int threads) {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(ReportCrashedRun);
#endif
    SweepResult result;
    Reference reference;
    gCurrentRun = label + ", no fault";
    for (const std::string& v : RunSession(machine, nullptr, nullptr, &reference).violations) {
        result.violations.push_back(gCurrentRun + ": " + v);
    }
    const std::vector<Target> targets = SweepTargets(reference);
    ForEachInParallel<SweepResult>(
        targets.size(), threads,
        [&](std::size_t i, SweepResult& mine) {
            SweepTarget(machine, reference, targets[i], label, mine);
        },
        [&](SweepResult& mine) {
            gCurrentRun.clear();
            result.Add(mine);
        });
    std::sort(result.violations.begin(), result.violations.end());
    return result;
}

}  // namespace plumvane::sweep
