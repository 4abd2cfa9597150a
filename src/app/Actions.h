#pragma once
// The user's actions of the headless driver and the simulated demo, one
// command-line argument each (ActionsUsage lists them). Each action is one row
// of the table in Actions.cpp: its verb, how the usage shows it, how its
// text is read and how it is performed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plumvane::sim {
class SimulatedWindows;
}

namespace plumvane::app {

struct Action {
    enum class Kind { ClickCheck, Key, Scroll, Machine, Plug, Unplug, Wait, Dpi, Close, Answer };
    Kind kind = Kind::Close;
    std::string name;                // ClickCheck: the check-box array
    std::int16_t index = 0;          // ClickCheck: the row
    std::int16_t key = 0;            // Key
    std::int16_t shift = 0;          // Key
    std::int16_t value = 0;          // Scroll
    std::string path;                // Machine, Plug, Unplug
    std::uint32_t milliseconds = 0;  // Wait
    bool yes = false;                // Answer: Yes, else No
    int dpi = 0;                     // Dpi
};

inline constexpr std::uint32_t kMaxWaitMs = 60000;

// Whether the action names a scenario file to read.
inline bool NamesScenario(const Action& a) {
    return a.kind == Action::Kind::Machine || a.kind == Action::Kind::Plug ||
           a.kind == Action::Kind::Unplug;
}

// Empty, with `error` set, for an argument that is not an action.
std::optional<Action> ParseAction(std::string_view text, std::string& error);

// "actions: click:chkWCEO:<row> ...", wrapped for a terminal, ending in a
// newline.
std::string ActionsUsage();

// Performs actions on a window, the way a user would.
class UserDriver {
public:
    virtual ~UserDriver() = default;
    virtual bool ClickCheck(const std::string& name, std::int16_t index) = 0;
    virtual bool KeyDown(std::int16_t key, std::int16_t shift) = 0;
    virtual bool Scroll(std::int16_t value) = 0;
    virtual bool ClickClose() = 0;
    // The system tells the window that a disk interface arrived or left.
    virtual bool DeviceChange(bool arrival) = 0;
    // Time passes; the window's timers fire as they come due.
    virtual bool Wait(std::uint32_t milliseconds) = 0;
    // The screen's DPI under the window changes, with the suggested window
    // rectangle scaled from the current one.
    virtual bool DpiChange(int dpi) = 0;
};

// Performs one action; `note` explains an action that had no effect. Throws
// sim::ScenarioError when a machine action's scenario cannot be read.
bool Perform(const Action& action, UserDriver& user, sim::SimulatedWindows& machine,
             std::string& note);

}  // namespace plumvane::app
