// A DPI change under the open window: the window laid out anew is the window
// started at the new DPI, and nothing of the machine is touched.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/ModelSession.h"
#include "sim/Scenario.h"

namespace plumvane::app {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

const fs::path kSixteen = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios/window/sixteen-usb.json";

std::unique_ptr<ModelSession> StartedAt(int dpi) {
    sim::Machine machine = sim::LoadScenarioFile(kSixteen);
    machine.dpi = dpi;
    return std::make_unique<ModelSession>(std::move(machine));
}

struct Window {
    Json doc;
    std::pair<int, int> client;
    std::pair<int, int> position;
    std::optional<ui::ControlRef> focus;
    friend bool operator==(const Window&, const Window&) = default;
};

Window Seen(const ModelSession& s) {
    return {s.State(), s.toolkit.ClientSize(), s.toolkit.WindowPosition(),
            s.toolkit.FocusedControl()};
}

// For each ordered pair of DPIs and each history: started at the first DPI,
// then changed to the second, the window is the one started at the second
// with the same history; changed back, it is where it was. No Windows call
// is made for either change: no scan, no read, no write.
TEST(DpiChangeTest, ChangedIsStartedThereAndBackIsUnchanged) {
    struct History {
        const char* name;
        std::function<void(ModelSession&)> perform;
    };
    const History histories[] = {
        {"as started", [](ModelSession&) {}},
        // The arrows scroll row by row: row 1 first in view.
        {"one row scrolled",
         [](ModelSession& s) {
             ASSERT_EQ(s.toolkit.UserScrollStep(ui::kListVScroll, ui::ScrollAction::LineDown),
                       ui::Status::Ok);
         }},
        // A write, and the focus on the clicked box.
        {"clicked", [](ModelSession& s) { ASSERT_TRUE(s.user.ClickCheck(ui::kChkHPD, 2)); }},
    };
    const int dpis[] = {96, 120, 144, 192};
    for (const History& history : histories) {
        for (const int from : dpis) {
            for (const int to : dpis) {
                SCOPED_TRACE(std::string(history.name) + ", " + std::to_string(from) + " to " +
                             std::to_string(to));
                auto changed = StartedAt(from);
                history.perform(*changed);
                const Window before = Seen(*changed);
                changed->machine.ClearCalls();
                ASSERT_TRUE(changed->user.DpiChange(to));
                EXPECT_TRUE(changed->machine.calls().empty());

                auto started = StartedAt(to);
                history.perform(*started);
                Window there = Seen(*started);
                there.position = Seen(*changed).position;  // the window may be anywhere
                EXPECT_EQ(Seen(*changed), there) << Seen(*changed).doc.dump(1);

                ASSERT_TRUE(changed->user.DpiChange(from));
                EXPECT_EQ(Seen(*changed), before);
                EXPECT_TRUE(changed->machine.calls().empty());
            }
        }
    }
}

}  // namespace
}  // namespace plumvane::app
