// plumvane-cli.exe: the console program over the real Windows API. Results
// go to standard output, errors to standard error: in the console's output
// code page on a console, as UTF-8 when redirected to a file or a pipe.
#include <windows.h>

#include <string>
#include <variant>
#include <vector>

#include "cli/Cli.h"
#include "platform/NativeWindows.h"

namespace {

std::string ToCodePage(const std::string& utf8, UINT codePage) {
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return utf8;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wideLength);
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return utf8;
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
}

// The standard handles belong to the process: written to, never closed.
void Write(DWORD which, const std::string& utf8) {
    if (utf8.empty()) return;
    const HANDLE out = GetStdHandle(which);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) return;
    std::string bytes = utf8;
    DWORD mode = 0;
    if (GetFileType(out) == FILE_TYPE_CHAR && GetConsoleMode(out, &mode)) {
        const UINT codePage = GetConsoleOutputCP();
        if (codePage != CP_UTF8) bytes = ToCodePage(utf8, codePage);
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
