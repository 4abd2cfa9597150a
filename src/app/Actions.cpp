#include "app/Actions.h"

#include <charconv>
#include <limits>

#include "platform/ScreenDpi.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::app {

namespace {

std::optional<std::int16_t> ParseInt16(std::string_view s) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(v);
}

std::string_view NextField(std::string_view& rest) {
    const auto colon = rest.find(':');
    std::string_view field = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    return field;
}

// Reads an action's text: `text` whole, `rest` what follows "<verb>:". Fills
// `a` and returns true; or returns false with `error` set, or empty when the
// text is no form of the action at all.
using ParseFn = bool (*)(std::string_view text, std::string_view rest, Action& a,
                         std::string& error);
// Performs a parsed action; false when the window did not take it.
using PerformFn = bool (*)(const Action& a, UserDriver& user, sim::SimulatedWindows& machine);

struct ActionForm {
    Action::Kind kind;
    std::string_view verb;
    std::string_view usage;
    ParseFn parse;
    PerformFn perform;
};

// Adding an action: a Kind, and a row here.
constexpr ActionForm kActionForms[] = {
    {Action::Kind::ClickCheck, "click", "click:chkWCEO:<row> click:chkHPD:<row>",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         const std::string_view name = NextField(rest);
         const auto index = ParseInt16(rest);
         if ((name == "chkWCEO" || name == "chkHPD") && index && *index >= 0) {
             a.name = std::string(name);
             a.index = *index;
             return true;
         }
         error = "click takes chkWCEO or chkHPD and a row number: " + std::string(text);
         return false;
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows&) {
         return user.ClickCheck(a.name, a.index);
     }},
    {Action::Kind::Key, "key", "key:<code>[:<shift>]",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         const auto key = ParseInt16(NextField(rest));
         // "key:116:" names a shift state and then gives none.
         const bool hasShift = text.find(':') != text.rfind(':');
         const auto shift = hasShift ? ParseInt16(rest) : std::optional<std::int16_t>(0);
         if (key && shift) {
             a.key = *key;
             a.shift = *shift;
             return true;
         }
         error = "key takes a key code and an optional shift state: " + std::string(text);
         return false;
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows&) {
         return user.KeyDown(a.key, a.shift);
     }},
    {Action::Kind::Scroll, "scroll", "scroll:<value>",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         if (const auto value = ParseInt16(rest)) {
             a.value = *value;
             return true;
         }
         error = "scroll takes a value from -32768 to 32767: " + std::string(text);
         return false;
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows&) {
         return user.Scroll(a.value);
     }},
    {Action::Kind::Machine, "machine", "machine:<scenario.json>",
     [](std::string_view, std::string_view rest, Action& a, std::string&) {
         a.path = std::string(rest);
         return !rest.empty();
     },
     [](const Action& a, UserDriver&, sim::SimulatedWindows& machine) {
         machine.SetMachine(sim::LoadScenarioFile(a.path));
         return true;
     }},
    {Action::Kind::Plug, "plug", "plug:<scenario.json>",
     [](std::string_view, std::string_view rest, Action& a, std::string&) {
         a.path = std::string(rest);
         return !rest.empty();
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows& machine) {
         machine.SetMachine(sim::LoadScenarioFile(a.path));
         return user.DeviceChange(/*arrival=*/true);
     }},
    {Action::Kind::Unplug, "unplug", "unplug:<scenario.json>",
     [](std::string_view, std::string_view rest, Action& a, std::string&) {
         a.path = std::string(rest);
         return !rest.empty();
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows& machine) {
         machine.SetMachine(sim::LoadScenarioFile(a.path));
         return user.DeviceChange(/*arrival=*/false);
     }},
    {Action::Kind::Wait, "wait", "wait:<ms>",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         std::uint32_t ms = 0;
         const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), ms);
         if (!rest.empty() && ec == std::errc() && end == rest.data() + rest.size() &&
             ms <= kMaxWaitMs) {
             a.milliseconds = ms;
             return true;
         }
         error = "wait takes milliseconds from 0 to " + std::to_string(kMaxWaitMs) + ": " +
                 std::string(text);
         return false;
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows&) {
         return user.Wait(a.milliseconds);
     }},
    {Action::Kind::Dpi, "dpi", "dpi:<n>",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         const auto dpi = ParseInt16(rest);
         if (dpi && platform::ScreenDpiInRange(*dpi)) {
             a.dpi = *dpi;
             return true;
         }
         error = "dpi takes dots per inch from " + std::to_string(platform::kMinScreenDpi) +
                 " to " + std::to_string(platform::kMaxScreenDpi) + ": " + std::string(text);
         return false;
     },
     [](const Action& a, UserDriver& user, sim::SimulatedWindows&) {
         return user.DpiChange(a.dpi);
     }},
    // The answer to the next question box, given before the action that asks it.
    {Action::Kind::Answer, "answer", "answer:yes answer:no",
     [](std::string_view text, std::string_view rest, Action& a, std::string& error) {
         if (rest == "yes" || rest == "no") {
             a.yes = rest == "yes";
             return true;
         }
         error = "answer takes yes or no: " + std::string(text);
         return false;
     },
     [](const Action& a, UserDriver&, sim::SimulatedWindows& machine) {
         machine.QueueAnswer(a.yes ? platform::IDYES : platform::IDNO);
         return true;
     }},
    {Action::Kind::Close, "close", "close",
     [](std::string_view text, std::string_view, Action&, std::string&) { return text == "close"; },
     [](const Action&, UserDriver& user, sim::SimulatedWindows&) { return user.ClickClose(); }},
};

}  // namespace

std::optional<Action> ParseAction(std::string_view text, std::string& error) {
    std::string_view rest = text;
    const std::string_view verb = NextField(rest);
    for (const ActionForm& form : kActionForms) {
        if (form.verb != verb) continue;
        Action a;
        a.kind = form.kind;
        std::string why;
        if (form.parse(text, rest, a, why)) return a;
        if (!why.empty()) {
            error = why;
            return std::nullopt;
        }
        break;
    }
    error = "unknown action: " + std::string(text);
    return std::nullopt;
}

std::string ActionsUsage() {
    constexpr std::size_t kWidth = 80;
    constexpr std::string_view kLead = "actions: ";
    std::string text(kLead);
    std::size_t lineStart = 0;
    bool first = true;
    for (const ActionForm& form : kActionForms) {
        // A row may show several forms; they wrap one by one.
        std::string_view forms = form.usage;
        while (!forms.empty()) {
            const auto space = forms.find(' ');
            const std::string_view one = forms.substr(0, space);
            forms = space == std::string_view::npos ? std::string_view() : forms.substr(space + 1);
            if (!first && text.size() - lineStart + 1 + one.size() > kWidth) {
                text += '\n';
                lineStart = text.size();
                text.append(kLead.size(), ' ');
            } else if (!first) {
                text += ' ';
            }
            text += one;
            first = false;
        }
    }
    return text + "\n";
}

bool Perform(const Action& action, UserDriver& user, sim::SimulatedWindows& machine,
             std::string& note) {
    for (const ActionForm& form : kActionForms) {
        if (form.kind != action.kind) continue;
        if (form.perform(action, user, machine)) return true;
        break;
    }
    note = "the window did not take this action (no such control, hidden, or closed)";
    return false;
}

}  // namespace plumvane::app
