#pragma once
// Text from outside the program (a device's strings, a scenario, the command
// line, the system's messages) on its way to a console or a terminal: shown,
// never obeyed. Portable; every console line of the program goes through it.

#include <string>
#include <string_view>

namespace plumvane::platform {

// The text as valid UTF-8 without a single control character. Each of these
// becomes one '?':
//  - a complete escape sequence, 7-bit or 8-bit: ESC with its intermediates
//    and final byte (ESC c, ESC ( B), a control sequence (ESC [ or U+009B,
//    its parameters and final byte), a control string (OSC, DCS, SOS, PM,
//    APC: ESC ] P X ^ _ or U+009D U+0090 U+0098 U+009E U+009F) with its text
//    up to BEL or ST (ESC \ or U+009C);
//  - any other C0 control (tab and line breaks too: one text stays one line),
//    DEL, and any other C1 control (U+0080 to U+009F);
//  - each byte that is not part of a valid UTF-8 character (overlong forms,
//    surrogates and values above U+10FFFF included).
// An introducer whose sequence never completes (a control string without its
// terminator, a control sequence cut by a foreign byte) is one '?' by itself
// and what follows it is shown as text.
std::string TerminalSafe(std::string_view text);

}  // namespace plumvane::platform
