#pragma once
// Bytes as hex text and back: the state dump, plumvane-cli's output and the
// scenario files all write and read bytes this way.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plumvane::platform {

enum class HexCase { Lower, Upper };

// The value of one hex digit, either case; -1 for any other character.
template <typename Char>
constexpr int HexDigitValue(Char c) {
    if (c >= Char('0') && c <= Char('9')) return static_cast<int>(c - Char('0'));
    if (c >= Char('a') && c <= Char('f')) return static_cast<int>(c - Char('a')) + 10;
    if (c >= Char('A') && c <= Char('F')) return static_cast<int>(c - Char('A')) + 10;
    return -1;
}

// Two digits a byte, nothing between them.
std::string HexBytes(std::span<const std::uint8_t> bytes, HexCase letters = HexCase::Lower);

// Two digits a byte, either case; blanks between digits are ignored, and blank
// text gives no bytes. No value, with `error` saying why, for any other
// character or an odd digit count.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, std::string& error);

}  // namespace plumvane::platform
