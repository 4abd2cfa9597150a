#include "platform/HexText.h"

namespace plumvane::platform {

std::string HexBytes(std::span<const std::uint8_t> bytes, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    int high = -1;  // the first digit of a byte, while its second is awaited
    for (const char c : text) {
        if (c == ' ') continue;
        const int value = HexDigitValue(c);
        if (value < 0) {
            error = "expected hex digits, found '" + std::string(1, c) + "'";
            return std::nullopt;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) {
        error = "expected an even number of hex digits";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace plumvane::platform
