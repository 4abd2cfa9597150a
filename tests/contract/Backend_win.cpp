// Under Windows (or Wine) the contract suite runs on the real functions.
#include <memory>
#include <string>

#include "contract/Backend.h"
#include "platform/NativeWindows.h"

// The SDK last: it defines many of the seam's names as macros.
#include <windows.h>

namespace plumvane::contract {

std::unique_ptr<platform::WindowsApi> MakeBackend() {
    return std::make_unique<platform::NativeWindows>();
}

bool BackendIsSimulated() { return false; }

std::string FreshTempFolder() {
    static int next = 0;
    char temp[MAX_PATH + 1] = {};
    const ::DWORD n = ::GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string(".\\");
    if (base.back() != '\\') base += '\\';
    // A new folder per call: a number past any a previous run left behind.
    for (;;) {
        const std::string folder = base + "plumvane-contract-" +
                                   std::to_string(::GetCurrentProcessId()) + "-" +
                                   std::to_string(++next) + "\\";
        if (::CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    }
}

}  // namespace plumvane::contract
