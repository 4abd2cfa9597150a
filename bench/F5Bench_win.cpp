// What F5 costs on the real controls under Windows (or Wine): the window over
// a simulated duplicator of two internal disks and n USB sticks, F5 sent as
// the keyboard sends it, every message it causes handled, painting included.
// Prints the median time with the rows kept and with every row made anew.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/Win32Session.h"
#include "sim/TestMachines.h"
#include "platform/NativeWindows.h"

namespace {

using namespace plumvane;

constexpr int kUsbCounts[] = {16, 97};
constexpr int kPresses = 15;

// Median milliseconds of one F5 on a fresh window; -1 when it did not open.
double MedianF5(platform::WindowsApi& real, int usb, bool allRows) {
    app::Win32Session session(sim::testing::HubMachine(usb), real, false);
    session.form.rebuildAllRows = allRows;
    if (!ui::Succeeded(session.form.Start())) return -1;
    session.toolkit.PumpMessages();
    std::vector<double> times;
    for (int i = 0; i < kPresses + 1; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!session.user.KeyDown(ui::kKeyF5, 0)) return -1;
        const auto end = std::chrono::steady_clock::now();
        // The first press pays for what the first build left to paint.
        if (i > 0) times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    session.toolkit.Unload();
    session.toolkit.PumpMessages();
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    platform::NativeWindows real;
    std::printf("%8s | %14s %16s %6s\n", "USB rows", "kept rows ms", "full rebuild ms", "ratio");
    for (const int usb : kUsbCounts) {
        const double kept = MedianF5(real, usb, false);
        const double full = MedianF5(real, usb, true);
        if (kept < 0 || full < 0) {
            std::printf("%8d | the window could not be opened or driven\n", usb);
            return 1;
        }
        std::printf("%8d | %14.2f %16.2f %6.2f\n", usb, kept, full, kept / full);
    }
    return 0;
}
