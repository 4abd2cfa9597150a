// plumvane-cli.exe: the console program over the real Windows API. Results
// go to standard output, errors to standard error: in the console's output
// code page on a console, as UTF-8 when redirected to a file or a pipe.
#include <windows.h>

#include <string>
#include <variant>
#include <vector>

#include "cli/Cli.h"
#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"

namespace {

// The standard handles belong to the process: written to, never closed.
void Write(DWORD which, const std::string& utf8) {
    if (utf8.empty()) return;
    const HANDLE out = GetStdHandle(which);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) return;
    std::string bytes = utf8;
    DWORD mode = 0;
    if (GetFileType(out) == FILE_TYPE_CHAR && GetConsoleMode(out, &mode)) {
        const UINT codePage = GetConsoleOutputCP();
        if (codePage != CP_UTF8) {
            bytes = plumvane::platform::Utf8ToCodePage(utf8, codePage);
            if (bytes.empty()) bytes = utf8;  // better unconverted than lost
        }
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                       nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace plumvane;
    platform::RestrictDllSearchToSystemFolder();
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::Output output;
    int code = cli::kExitOk;
    const cli::ParsedCommand parsed = cli::ParseCommandLine(args, false);
    if (const auto* refusal = std::get_if<cli::Refusal>(&parsed)) {
        code = cli::RefuseUsage(*refusal, false, output);
    } else {
        platform::NativeWindows windows;
        code = cli::Run(std::get<cli::Command>(parsed), windows, false, output);
    }
    Write(STD_OUTPUT_HANDLE, output.out);
    Write(STD_ERROR_HANDLE, output.err);
    return code;
}
