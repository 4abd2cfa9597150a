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

// Two digits a byte, nothing between them.
std::string HexBytes(std::span<const std::uint8_t> bytes, HexCase letters = HexCase::Lower);

// Two digits a byte, either case; blanks between digits are ignored. Empty,
// with `error` saying why, for any other character or an odd digit count.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, std::string& error);

}  // namespace plumvane::platform
