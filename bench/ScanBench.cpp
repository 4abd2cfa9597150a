// What one scan and one list build cost on a simulated duplicator: two
// internal disks and n USB sticks, each disk with one letter while letters
// last. Prints the Windows calls next to the fewest the work needs, their
// ratio and the median time.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/ModelSession.h"
#include "inventory/DiskScan.h"
#include "sim/TestMachines.h"
#include "platform/WinDefs.h"

namespace {

using namespace plumvane;

constexpr int kRepetitions = 15;

struct Machine {
    int disks = 0;     // present, each with one disk interface
    int letters = 0;   // volumes with a letter
    int usbDisks = 0;  // rows of the list
};

// The fewest calls a scan can make: every drive number probed once; per
// present disk its number, geometry, descriptor, instance id and partition
// table queried and its handle closed (its open is one of the probes); one
// interface enumeration, per interface its detail, an open, its number and a
// close; per letter its type, its DOS device, an open, its number and a close.
long MinimumScanCalls(const Machine& m) {
    return 100 + 6L * m.disks + 1 + 4L * m.disks + 5L * m.letters;
}

// A list build needs the scan, and per USB row an open, the flags' GET and a
// close.
long MinimumListCalls(const Machine& m) { return MinimumScanCalls(m) + 3L * m.usbDisks; }

template <typename Work>
double MedianMilliseconds(Work work) {
    std::vector<double> times;
    for (int i = 0; i < kRepetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    std::printf("%4s %5s %7s | %10s %8s %6s %9s | %10s %8s %6s %9s\n", "USB", "disks", "letters",
                "scan calls", "minimum", "ratio", "median ms", "list calls", "minimum", "ratio",
                "median ms");
    for (const int usb : sim::testing::kBenchHubSizes) {
        const sim::Machine described = sim::testing::HubMachine(usb);
        const Machine m{static_cast<int>(described.disks.size()),
                        static_cast<int>(described.volumes.size()), usb};

        sim::SimulatedWindows win(described);
        auto table = std::make_unique<inventory::DiskInventory>();
        win.ClearCalls();
        inventory::ScanDisks(win, platform::NULL_HWND, *table);
        const long scanCalls = static_cast<long>(win.calls().size());
        const double scanMs = MedianMilliseconds([&] {
            win.ClearCalls();
            inventory::ScanDisks(win, platform::NULL_HWND, *table);
        });

        app::ModelSession session(described);
        session.machine.ClearCalls();
        session.form.BuildDiskList();
        const long listCalls = static_cast<long>(session.machine.calls().size());
        const double listMs = MedianMilliseconds([&] {
            session.machine.ClearCalls();
            session.form.BuildDiskList();
        });

        const long scanMin = MinimumScanCalls(m);
        const long listMin = MinimumListCalls(m);
        std::printf("%4d %5d %7d | %10ld %8ld %6.2f %9.3f | %10ld %8ld %6.2f %9.3f\n", usb, m.disks,
                    m.letters, scanCalls, scanMin, static_cast<double>(scanCalls) / scanMin, scanMs,
                    listCalls, listMin, static_cast<double>(listCalls) / listMin, listMs);
    }
    return 0;
}
