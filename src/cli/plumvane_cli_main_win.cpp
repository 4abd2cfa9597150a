// plumvane-cli.exe: the console program over the real Windows API. The
// arguments are read in UTF-16, whatever the ANSI code page. Results go to
// standard output, errors to standard error: as UTF-16 to a console (every
// character shows, whatever its code page), as UTF-8 when redirected to a
// file or a pipe.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/Arguments_win.h"
#include "cli/Cli.h"
#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"

namespace {

void WriteBytes(HANDLE out, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 20));
        if (!WriteFile(out, data + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

void WriteConsoleText(HANDLE console, const std::wstring& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        // Consoles of old Windows refuse large writes.
        std::size_t chunk = std::min<std::size_t>(text.size() - done, 8192);
        // A character of two UTF-16 units goes out whole.
        const wchar_t last = text[done + chunk - 1];
        if (chunk > 1 && done + chunk < text.size() && last >= 0xD800 && last <= 0xDBFF) --chunk;
        if (!WriteConsoleW(console, text.data() + done, static_cast<DWORD>(chunk), &written,
                           nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

// The standard handles belong to the process: written to, never closed.
void Write(DWORD which, const std::string& utf8) {
    if (utf8.empty()) return;
    const HANDLE out = GetStdHandle(which);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) return;
    DWORD mode = 0;
    if (GetFileType(out) == FILE_TYPE_CHAR && GetConsoleMode(out, &mode)) {
        const std::wstring wide = plumvane::platform::Utf8ToWide(utf8);
        // Not converted: the bytes, better than nothing.
        if (!wide.empty()) {
            WriteConsoleText(out, wide);
            return;
        }
    }
    WriteBytes(out, utf8.data(), utf8.size());
}

// The text into a new file of that name (UTF-8, any character): "" when all
// of it was written, else the error.
std::string WriteFileWhole(const std::string& name, const std::string& text) {
    const std::wstring wide = plumvane::platform::Utf8ToWide(name);
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (wide.empty() || file == INVALID_HANDLE_VALUE) {
        return "error " + std::to_string(GetLastError()) + " opening it";
    }
    std::size_t done = 0;
    DWORD error = 0;
    while (done < text.size() && error == 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) {
            // A write that moved nothing and set no code would loop for ever.
            error = GetLastError();
            if (error == 0) error = ERROR_WRITE_FAULT;
        }
        done += written;
    }
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    return error == 0 ? "" : "error " + std::to_string(error) + " writing it";
}

}  // namespace

int main() {
    using namespace plumvane;
    platform::RestrictDllSearchToSystemFolder();
    cli::Output output;
    int code = cli::kExitOk;
    // main's own argv is in the ANSI code page: a character outside it would
    // arrive as '?'.
    const std::optional<std::vector<std::string>> args = cli::Utf8Arguments(GetCommandLineW());
    if (!args) {
        output.err += "plumvane-cli: the command line cannot be read\n";
        Write(STD_ERROR_HANDLE, output.err);
        return cli::kExitWindowsFailure;
    }
    const cli::ParsedCommand parsed = cli::ParseCommandLine(*args, false);
    if (const auto* refusal = std::get_if<cli::Refusal>(&parsed)) {
        code = cli::RefuseUsage(*refusal, false, output);
    } else {
        const cli::Command& command = std::get<cli::Command>(parsed);
        platform::NativeWindows windows;
        code = cli::RunCommand(command, windows, false, output);
        if (command.verb == cli::Verb::Record && !command.file.empty() && code == cli::kExitOk) {
            code = cli::FinishRecordFile(command, WriteFileWhole(command.file, output.out), output);
        }
    }
    Write(STD_OUTPUT_HANDLE, output.out);
    Write(STD_ERROR_HANDLE, output.err);
    return code;
}
