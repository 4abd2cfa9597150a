#include "app/Actions.h"

#include <charconv>
#include <limits>

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

}  // namespace

std::optional<Action> ParseAction(std::string_view text, std::string& error) {
    std::string_view rest = text;
    const std::string_view verb = NextField(rest);
    Action a;
    if (verb == "close" && rest.empty() && text == "close") {
        a.kind = Action::Kind::Close;
        return a;
    }
    if (verb == "machine" && !rest.empty()) {
        a.kind = Action::Kind::Machine;
        a.path = std::string(rest);
        return a;
    }
    if (verb == "click") {
        const std::string_view name = NextField(rest);
        const auto index = ParseInt16(rest);
        if ((name == "chkWCEO" || name == "chkHPD") && index && *index >= 0) {
            a.kind = Action::Kind::ClickCheck;
            a.name = std::string(name);
            a.index = *index;
            return a;
        }
        error = "click takes chkWCEO or chkHPD and a row number: " + std::string(text);
        return std::nullopt;
    }
    if (verb == "key") {
        const auto key = ParseInt16(NextField(rest));
        // "key:116:" names a shift state and then gives none.
        const bool hasShift = text.find(':') != text.rfind(':');
        const auto shift = hasShift ? ParseInt16(rest) : std::optional<std::int16_t>(0);
        if (key && shift) {
            a.kind = Action::Kind::Key;
            a.key = *key;
            a.shift = *shift;
            return a;
        }
        error = "key takes a key code and an optional shift state: " + std::string(text);
        return std::nullopt;
    }
    if (verb == "scroll") {
        if (const auto value = ParseInt16(rest)) {
            a.kind = Action::Kind::Scroll;
            a.value = *value;
            return a;
        }
        error = "scroll takes a value from -32768 to 32767: " + std::string(text);
        return std::nullopt;
    }
    error = "unknown action: " + std::string(text);
    return std::nullopt;
}

}  // namespace plumvane::app
