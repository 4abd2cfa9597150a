#include <gtest/gtest.h>

#include "cli/Arguments_win.h"

namespace plumvane::cli {
namespace {

// Windows' own splitting, then UTF-8: characters outside any ANSI code page
// arrive whole.
TEST(ArgumentsTest, TheWideCommandLineInUtf8) {
    const auto args = Utf8Arguments(
        L"\"C:\\Program Files\\plumvane-cli.exe\" get \u00e9 \u4e2d\u6587 \"E:\\\\\" "
        L"\"a \\\"b\\\"\" \U0001F4BE \"\"");
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(*args, (std::vector<std::string>{"get", "\xc3\xa9", "\xe4\xb8\xad\xe6\x96\x87",
                                               "E:\\", "a \"b\"", "\xf0\x9f\x92\xbe", ""}));
    EXPECT_EQ(Utf8Arguments(L"plumvane-cli.exe"), std::vector<std::string>{});
}

}  // namespace
}  // namespace plumvane::cli
