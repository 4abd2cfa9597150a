#include <gtest/gtest.h>

#include "platform/TerminalText.h"

namespace plumvane::platform {
namespace {

TEST(TerminalTextTest, ShownNeverObeyed) {
    struct Case {
        std::string_view text;
        std::string_view shown;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"SanDisk Cruzer Blade", "SanDisk Cruzer Blade"},
        {"Clé USB 中文 💾", "Clé USB 中文 💾"},
        // Whole sequences, 7-bit and 8-bit, are one '?' each.
        {"a\x1b[2Jb", "a?b"},
        {"a\x1b[?1049;2hb", "a?b"},
        {"a\x1b]0;pwned\x07"
         "b",
         "a?b"},
        {"a\x1b]8;;http://x\x1b\\link\x1b]8;;\x1b\\b", "a?link?b"},
        {"a\xc2\x9b"
         "31mb",
         "a?b"},
        {"a\xc2\x9d"
         "0;t\xc2\x9c"
         "b",
         "a?b"},
        {"a\x1b"
         "Pq#0\x1b\\b",
         "a?b"},
        {"a\x1b"
         "cb",
         "a?b"},
        {"a\x1b(Bb", "a?b"},
        // Unfinished: the introducer alone, the rest as text.
        {"a\x1b]0;no end", "a?]0;no end"},
        {"a\x1b[12", "a?[12"},
        {"a\x1b[1\xc3\xa9", "a?[1é"},
        {"a\x1b", "a?"},
        {"a\xc2\x9d"
         "0;t\nb",
         "a?0;t?b"},
        // Lone controls, DEL and C1.
        {"a\tb\r\nc\0d"sv, "a?b??c?d"},
        {"a\x7f"
         "b\xc2\x85"
         "c",
         "a?b?c"},
        // Not UTF-8: each byte.
        {"a\xe9"
         "b",
         "a?b"},
        {"a\xc0\xaf"
         "b",
         "a??b"},
        {"a\xed\xa0\x80"
         "b",
         "a???b"},
        {"a\xf4\x90\x80\x80", "a????"},
        {"a\xe4\xb8", "a??"},
        {"\x9b"
         "2J",
         "?2J"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalSafe(c.text), c.shown) << ::testing::PrintToString(std::string(c.text));
    }
}

}  // namespace
}  // namespace plumvane::platform
