// DLL search limited to the system folder; see SystemLibrary.h.

#include <windows.h>

#include <string>

#include "platform/SystemLibrary.h"

namespace plumvane::platform {

namespace {

// Older SDK headers may lack them; the values are fixed by Windows.
constexpr ::DWORD kLoadLibrarySearchSystem32 = 0x00000800;
constexpr ::DWORD kLoadWithAlteredSearchPath = 0x00000008;

using SetDefaultDllDirectoriesFunction = ::BOOL(WINAPI*)(::DWORD);

// Present from Windows 8, and on Vista and 7 with update KB2533623; where it
// is present, LoadLibraryExW also knows the LOAD_LIBRARY_SEARCH_* flags.
SetDefaultDllDirectoriesFunction SetDefaultDllDirectoriesOfThisWindows() {
    // kernel32 is in every process; GetModuleHandleW takes no reference.
    const ::HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel32) return nullptr;
    return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, "SetDefaultDllDirectories")));
}

::HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    if (SetDefaultDllDirectoriesOfThisWindows()) {
        return ::LoadLibraryExW(fileName, nullptr, kLoadLibrarySearchSystem32);
    }
    // Without the flag: the full path, and the DLL's own dependencies looked
    // for beside it, in the system folder.
    wchar_t folder[MAX_PATH];
    const ::UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + fileName;
    return ::LoadLibraryExW(path.c_str(), nullptr, kLoadWithAlteredSearchPath);
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
    if (const auto setDefault = SetDefaultDllDirectoriesOfThisWindows()) {
        setDefault(kLoadLibrarySearchSystem32);
    }
    // Takes the current directory out of the search on every version.
    ::SetDllDirectoryW(L"");
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(LoadFromSystemFolder(fileName)) {}

SystemLibrary::~SystemLibrary() {
    if (module_) ::FreeLibrary(static_cast<::HMODULE>(module_));
}

SystemLibrary::AnyFunction SystemLibrary::FindExport(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<AnyFunction>(::GetProcAddress(static_cast<::HMODULE>(module_), name));
}

}  // namespace plumvane::platform
