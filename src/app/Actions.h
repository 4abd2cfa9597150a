#pragma once
// The user's actions of the headless driver and the simulated demo, one
// command-line argument each:
//   click:chkWCEO:<i>  click:chkHPD:<i>   the user clicks that box of row i
//   key:<code>[:<shift>]                 a key goes down on the window
//   scroll:<value>                       the user moves the scroll bar there
//   machine:<scenario.json>              the machine is replaced by another
//   close                                the user clicks Close

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plumvane::app {

struct Action {
    enum class Kind { ClickCheck, Key, Scroll, Machine, Close };
    Kind kind = Kind::Close;
    std::string name;        // ClickCheck: the check-box array
    std::int16_t index = 0;  // ClickCheck: the row
    std::int16_t key = 0;    // Key
    std::int16_t shift = 0;  // Key
    std::int16_t value = 0;  // Scroll
    std::string path;        // Machine
};

// Empty, with `error` set, for an argument that is not an action.
std::optional<Action> ParseAction(std::string_view text, std::string& error);

// Performs actions on a window, the way a user would.
class UserDriver {
public:
    virtual ~UserDriver() = default;
    virtual bool ClickCheck(const std::string& name, std::int16_t index) = 0;
    virtual bool KeyDown(std::int16_t key, std::int16_t shift) = 0;
    virtual bool Scroll(std::int16_t value) = 0;
    virtual bool ClickClose() = 0;
};

}  // namespace plumvane::app
