// What F5 costs on the real controls under Windows (or Wine): the window over
// a simulated duplicator of two internal disks and n USB sticks, F5 sent as
// the keyboard sends it, every message it causes handled, painting included.
// Prints the median time of F5 (the rows kept) beside that of a fresh window
// on the same machine (every row made anew).

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

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Median milliseconds of one F5 on an open window; -1 when it did not open.
double MedianF5(platform::WindowsApi& real, int usb) {
    app::Win32Session session(sim::testing::HubMachine(usb), real, false);
    if (!ui::Succeeded(session.form.Start())) return -1;
    session.toolkit.PumpMessages();
    std::vector<double> times;
    for (int i = 0; i < kPresses + 1; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!session.user.KeyDown(ui::kKeyF5, 0)) return -1;
        // The first press pays for what the first build left to paint.
        if (i > 0) times.push_back(Milliseconds(start));
    }
    session.toolkit.Unload();
    session.toolkit.PumpMessages();
    return Median(times);
}

// Median milliseconds from nothing to a fresh window with its list built and
// painted; -1 when it did not open.
double MedianFreshWindow(platform::WindowsApi& real, int usb) {
    std::vector<double> times;
    for (int i = 0; i < kPresses; ++i) {
        app::Win32Session session(sim::testing::HubMachine(usb), real, false);
        const auto start = std::chrono::steady_clock::now();
        if (!ui::Succeeded(session.form.Start())) return -1;
        session.toolkit.PumpMessages();
        times.push_back(Milliseconds(start));
        session.toolkit.Unload();
        session.toolkit.PumpMessages();
    }
    return Median(times);
}

}  // namespace

int main() {
    platform::NativeWindows real;
    std::printf("median of %d presses of F5, and of %d fresh windows\n", kPresses, kPresses);
    std::printf("%8s | %14s %16s %6s\n", "USB rows", "F5 ms", "fresh window ms", "ratio");
    for (const int usb : kUsbCounts) {
        const double kept = MedianF5(real, usb);
        const double fresh = MedianFreshWindow(real, usb);
        if (kept < 0 || fresh < 0) {
            std::printf("%8d | the window could not be opened or driven\n", usb);
            return 1;
        }
        std::printf("%8d | %14.2f %16.2f %6.2f\n", usb, kept, fresh, kept / fresh);
    }
    return 0;
}
