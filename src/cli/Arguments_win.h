#pragma once
// plumvane-cli's arguments as Windows gives them to a console program: the
// command line in UTF-16, split by the shell's rules and converted once to
// the UTF-8 the rest of the program works in. Windows builds only.

#include <optional>
#include <string>
#include <vector>

namespace plumvane::cli {

// The arguments of `commandLine` after the program name; nullopt when
// Windows cannot split it or an argument does not convert.
std::optional<std::vector<std::string>> Utf8Arguments(const wchar_t* commandLine);

}  // namespace plumvane::cli
