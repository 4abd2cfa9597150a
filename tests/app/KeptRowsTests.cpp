// A build keeps the rows of the previous one; the window it leaves must be
// the one a fresh window on the same machine shows. Every scenario kept with
// the tests and every machine of the benchmark goes through start, F5, a disk
// plugged in and one pulled out, with the user's clicks and scrolling between;
// after each step the window, the disk table and what the step showed and
// wrote are compared, as JSON, with a window started afresh on the machine
// as it is then (and given the same clicks and scrolling).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ModelSession.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"
#include "sim/TestMachines.h"

namespace plumvane::app {
namespace {

namespace fs = std::filesystem;

// What the session shows, with what it showed and wrote since `since`: the
// build count and the earlier history are the session's own.
struct Mark {
    std::size_t messages = 0;
    std::size_t writes = 0;
};

Mark MarkOf(const ModelSession& s) {
    return {s.machine.messageBoxes().size(), s.machine.hotplugWrites().size()};
}

std::string Comparable(const ModelSession& s, Mark since) {
    nlohmann::ordered_json doc = s.State();
    doc.erase("listBuilds");
    // A build that finds no USB disk hides row 0's boxes and leaves their
    // state as the last disk left it (kept window case disk-removed holds
    // one checked); a fresh window's are clear. Hidden, they take no click
    // and name no disk, so their state is no part of what the window shows.
    for (auto& control : doc["controls"]) {
        if (control["kind"] == "checkBox" && control["visible"] == false) control.erase("state");
    }
    for (const auto& [key, from] :
         {std::pair{"messages", since.messages}, std::pair{"deviceWrites", since.writes}}) {
        nlohmann::ordered_json tail = nlohmann::ordered_json::array();
        for (std::size_t i = from; i < doc[key].size(); ++i) tail.push_back(doc[key][i]);
        doc[key] = tail;
    }
    return doc.dump(1);
}

struct NamedMachine {
    std::string name;
    sim::Machine machine;
};

std::vector<NamedMachine> AllMachines() {
    std::vector<NamedMachine> all;
    const fs::path scenarios = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios";
    for (const auto& entry : fs::recursive_directory_iterator(scenarios)) {
        const fs::path& path = entry.path();
        if (path.extension() != ".json" || path.filename() == "manifest.json" ||
            path.parent_path().filename() == "expected") {
            continue;
        }
        all.push_back({fs::relative(path, scenarios).string(), sim::LoadScenarioFile(path)});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const int usb : sim::testing::kBenchHubSizes) {
        all.push_back({"hub" + std::to_string(usb), sim::testing::HubMachine(usb)});
    }
    return all;
}

// One more USB stick, at the lowest free drive number, so that on a machine
// with gaps the rows below it move down.
sim::Machine Plugged(sim::Machine m) {
    int number = 0;
    while (std::any_of(m.disks.begin(), m.disks.end(),
                       [&](const sim::SimDisk& d) { return d.number == number; })) {
        ++number;
    }
    if (number < 100) m.disks.push_back(sim::testing::UsbDisk(number));
    return m;
}

// The first USB disk gone, so that every row after it moves up.
sim::Machine Pulled(sim::Machine m) {
    const auto usb = std::find_if(m.disks.begin(), m.disks.end(), [](const sim::SimDisk& d) {
        return d.bus == platform::BusTypeUsb;
    });
    if (usb != m.disks.end()) m.disks.erase(usb);
    return m;
}

const std::vector<NamedMachine>& Machines() {
    static const std::vector<NamedMachine> all = AllMachines();
    return all;
}

std::vector<std::size_t> MachineIndexes() {
    std::vector<std::size_t> indexes(Machines().size());
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = i;
    return indexes;
}

class KeptRowsMachineTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(KeptRowsMachineTest, EveryStepLeavesTheWindowAFreshWindowShows) {
    const NamedMachine& described = Machines().at(GetParam());
    SCOPED_TRACE(described.name);
    ModelSession kept(described.machine);
    const auto expectSame = [](const char* after, const std::string& a, const std::string& b) {
        // EXPECT_EQ on two long texts prints both; the first difference is enough.
        const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
        EXPECT_TRUE(a == b) << "after " << after << ", at character " << (at.first - a.begin())
                            << ":\n  kept rows: " << std::string(at.first, a.end()).substr(0, 200)
                            << "\n  fresh window: "
                            << std::string(at.second, b.end()).substr(0, 200);
    };
    // A build of the kept window against a fresh window on the machine it left.
    const auto build = [&](const char* after, const sim::Machine* machine) {
        const Mark mark = MarkOf(kept);
        if (machine) kept.machine.SetMachine(*machine);
        kept.user.KeyDown(ui::kKeyF5, 0);
        ModelSession fresh(kept.machine.machine());
        expectSame(after, Comparable(kept, mark), Comparable(fresh, {}));
    };
    const auto lastRow = [](const ModelSession& s) {
        std::int16_t r = 0;
        while (s.toolkit.Find(ui::Elem(ui::kLblDisks, static_cast<std::int16_t>(r + 1)))) ++r;
        return r;
    };

    expectSame("start", Comparable(kept, {}), Comparable(ModelSession(described.machine), {}));
    build("F5", nullptr);
    {
        // The user's own states and scroll position before the next build.
        ModelSession fresh(kept.machine.machine());
        const Mark keptMark = MarkOf(kept);
        const Mark freshMark = MarkOf(fresh);
        for (ModelSession* s : {&kept, &fresh}) {
            s->user.ClickCheck(ui::kChkHPD, lastRow(*s));
            if (auto max = s->toolkit.GetScroll(ui::Ctl(ui::kListVScroll), ui::ScrollField::Max)) {
                s->user.Scroll(*max);
            }
        }
        expectSame("a click and scrolling", Comparable(kept, keptMark),
                   Comparable(fresh, freshMark));
    }
    const sim::Machine plugged = Plugged(described.machine);
    build("a disk plugged in", &plugged);
    build("that disk pulled out", &described.machine);
    const sim::Machine pulled = Pulled(described.machine);
    build("the first USB disk pulled out", &pulled);
    build("that disk back", &described.machine);
}

INSTANTIATE_TEST_SUITE_P(ScenariosAndBenchMachines, KeptRowsMachineTest,
                         ::testing::ValuesIn(MachineIndexes()));

// --- what the kept rows save ------------------------------------------------------------

std::vector<platform::Hwnd> Handles(const ui::ModelToolkit& tk) {
    std::vector<platform::Hwnd> handles;
    for (const ui::ModelControl& c : tk.Inspect()) handles.push_back(c.hwnd);
    return handles;
}

int ThemeCalls(const sim::SimulatedWindows& machine) {
    return static_cast<int>(
        std::count_if(machine.calls().begin(), machine.calls().end(),
                      [](const auto& c) { return c.function == "SetWindowTheme"; }));
}

TEST(KeptRowsTest, F5OverUnchangedDisksMakesAndDestroysNoControlAndPaintsOnce) {
    ModelSession s(sim::testing::HubMachine(16));
    const auto before = Handles(s.toolkit);
    const int holds = s.toolkit.RedrawHoldCount();
    s.machine.ClearCalls();
    ASSERT_TRUE(s.user.KeyDown(ui::kKeyF5, 0));

    EXPECT_EQ(Handles(s.toolkit), before);
    EXPECT_EQ(ThemeCalls(s.machine), 0);
    EXPECT_EQ(s.toolkit.RedrawHoldCount(), holds + 1);
    EXPECT_EQ(s.toolkit.RedrawReleaseCount(), s.toolkit.RedrawHoldCount());
}

// Each control loses its visual styles once, when it is made: the design's
// controls at start, a row's when the row is added.
TEST(KeptRowsTest, EveryControlWithAHandleGetsOneThemeCall) {
    ModelSession s(sim::testing::HubMachine(4));
    s.user.KeyDown(ui::kKeyF5, 0);
    s.machine.SetMachine(sim::testing::HubMachine(7));
    s.user.KeyDown(ui::kKeyF5, 0);
    s.machine.SetMachine(sim::testing::HubMachine(2));
    s.user.KeyDown(ui::kKeyF5, 0);
    s.machine.SetMachine(sim::testing::HubMachine(5));
    s.user.KeyDown(ui::kKeyF5, 0);

    // Design controls with a handle, then rows 1 to 6 (two boxes each) made
    // over the four builds: 1 to 3, 4 to 6, none, 2 to 4 again.
    int designHandles = 0;
    for (const ui::ModelControl& c : s.toolkit.Inspect()) {
        if (c.HasHwnd() && c.fromDesign) ++designHandles;
        if (c.HasHwnd()) {
            EXPECT_TRUE(s.machine.themeOff().contains(c.hwnd)) << RefText(c.Ref());
        }
    }
    EXPECT_EQ(ThemeCalls(s.machine), designHandles + 2 * (3 + 3 + 0 + 3));
}

}  // namespace
}  // namespace plumvane::app
