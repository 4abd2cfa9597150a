#include "cli/Arguments_win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"
#include "platform/UniqueWinObject_win.h"

namespace plumvane::cli {

namespace {

// shell32 is not among the DLLs the executables import (see SystemLibrary.h).
using CommandLineToArgvWFunction = LPWSTR*(WINAPI*)(LPCWSTR, int*);

// CommandLineToArgvW's array, one LocalAlloc block with the strings inside.
void FreeArgv(LPWSTR* argv) { ::LocalFree(argv); }
using UniqueArgv = platform::UniqueWinObject<LPWSTR*, FreeArgv>;

}  // namespace

std::optional<std::vector<std::string>> Utf8Arguments(const wchar_t* commandLine) {
    const platform::SystemLibrary shell32(L"shell32.dll");
    const auto split = shell32.Find<CommandLineToArgvWFunction>("CommandLineToArgvW");
    if (!split || !commandLine) return std::nullopt;
    int count = 0;
    const UniqueArgv argv(split(commandLine, &count));
    if (!argv || count < 0) return std::nullopt;
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view wide = argv.get()[i];
        std::string utf8 = platform::WideToUtf8(wide);
        if (utf8.empty() && !wide.empty()) return std::nullopt;
        args.push_back(std::move(utf8));
    }
    return args;
}

}  // namespace plumvane::cli
