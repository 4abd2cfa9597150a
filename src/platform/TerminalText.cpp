#include "platform/TerminalText.h"

#include <cstddef>
#include <cstdint>

namespace plumvane::platform {

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr char32_t kEsc = 0x1B;
constexpr char32_t kBel = 0x07;
// The 8-bit forms of ESC [ (CSI) and ESC \ (ST).
constexpr char32_t kCsi = 0x9B;
constexpr char32_t kSt = 0x9C;

struct Character {
    char32_t code = kInvalid;  // kInvalid: the byte at the position is not UTF-8
    std::size_t length = 1;
};

// The UTF-8 character at `at`, strictly: the shortest form, no surrogate,
// nothing above U+10FFFF.
Character Decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (text.size() - at < length) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {};
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

bool IsControlString(char32_t introducer) {
    // OSC, DCS, SOS, PM, APC in their 8-bit forms.
    return introducer == 0x9D || introducer == 0x90 || introducer == 0x98 || introducer == 0x9E ||
           introducer == 0x9F;
}

// The 8-bit form of ESC followed by `c` (0x40 to 0x5F), else kInvalid.
char32_t EightBitForm(char32_t c) { return (c >= 0x40 && c <= 0x5F) ? c + 0x40 : kInvalid; }

// Where the escape sequence that starts at `at` ends, or `at` when it does
// not complete.
std::size_t SequenceEnd(std::string_view text, std::size_t at) {
    Character first = Decode(text, at);
    std::size_t i = at + first.length;
    char32_t kind = first.code;
    if (kind == kEsc) {
        if (i >= text.size()) return at;
        const auto next = static_cast<unsigned char>(text[i]);
        if (EightBitForm(next) == kCsi || IsControlString(EightBitForm(next))) {
            kind = EightBitForm(next);
            ++i;
        } else {
            // ESC, intermediates (0x20 to 0x2F), one final byte (0x30 to 0x7E).
            while (i < text.size() && text[i] >= 0x20 && text[i] <= 0x2F) ++i;
            return (i < text.size() && text[i] >= 0x30 && text[i] <= 0x7E) ? i + 1 : at;
        }
    }
    if (kind == kCsi) {
        // Parameters and intermediates (0x20 to 0x3F), one final byte (0x40 to 0x7E).
        while (i < text.size() && text[i] >= 0x20 && text[i] <= 0x3F) ++i;
        return (i < text.size() && text[i] >= 0x40 && text[i] <= 0x7E) ? i + 1 : at;
    }
    if (!IsControlString(kind)) return at;
    // The string's text runs to BEL or ST; any other control cuts it.
    while (i < text.size()) {
        const Character c = Decode(text, i);
        if (c.code == kBel || c.code == kSt) return i + c.length;
        if (c.code == kEsc) return (i + 1 < text.size() && text[i + 1] == '\\') ? i + 2 : at;
        if (c.code < 0x20 || (c.code >= 0x7F && c.code <= 0x9F)) return at;
        i += c.length;  // a byte that is not UTF-8 is swallowed with the rest
    }
    return at;
}

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const Character c = Decode(text, i);
        if (c.code == kInvalid) {
            out += '?';
            ++i;
        } else if (c.code < 0x20 || (c.code >= 0x7F && c.code <= 0x9F)) {
            const std::size_t end = SequenceEnd(text, i);
            out += '?';
            i = end > i ? end : i + c.length;
        } else {
            out.append(text.substr(i, c.length));
            i += c.length;
        }
    }
    return out;
}

}  // namespace plumvane::platform
