// The platform seam on the real Windows API. Each call forwards to the
// function of the same name. Text is UTF-8 inside the program: it goes to the
// ANSI functions through UTF-16 into the ANSI code page, and comes back the
// same way. Structure images are copied in and out with memcpy, so callers'
// byte buffers never need the SDK's alignment.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"
#include "platform/TextConversion_win.h"

// The SDK last: it defines many of the seam's names as macros. windows.h
// comes first among them.
// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <objbase.h>
#include <setupapi.h>
#include <shellapi.h>
// clang-format on

#include "platform/KeepLastError_win.h"
#include "platform/WinConversions_win.h"

namespace plumvane::platform {

static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == kSpDeviceInterfaceDataSize);
static_assert(sizeof(SP_DEVINFO_DATA) == kSpDevinfoDataSize);
static_assert(offsetof(SP_DEVINFO_DATA, DevInst) == kSpDevinfoDataDevInstOffset);
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4);
// The ANSI detail structure is byte-packed on 32-bit Windows.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);
static_assert(sizeof(void*) != 8 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8);
static_assert(sizeof(::GUID) == sizeof(Guid));

namespace {

HANDLE ToWin(Handle h) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(h)); }
Handle FromWin(HANDLE h) { return static_cast<Handle>(reinterpret_cast<std::intptr_t>(h)); }
HDEVINFO ToWin(DevInfoSet s) { return reinterpret_cast<HDEVINFO>(static_cast<std::intptr_t>(s)); }

std::string LocaleText(LCTYPE type) {
    char buf[16] = {};
    const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
    return n > 1 ? AnsiToUtf8(std::string_view(buf, static_cast<std::size_t>(n - 1)))
                 : std::string();
}

}  // namespace

DWORD NativeWindows::GetLastError() { return ::GetLastError(); }

void NativeWindows::SetLastError(DWORD code) { ::SetLastError(code); }

Handle NativeWindows::CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                                  DWORD creationDisposition, DWORD flagsAndAttributes) {
    const std::string name = Utf8ToAnsi(fileName);
    return FromWin(::CreateFileA(name.c_str(), desiredAccess, shareMode, nullptr,
                                 creationDisposition, flagsAndAttributes, nullptr));
}

BOOL NativeWindows::CloseHandle(Handle h) { return ::CloseHandle(ToWin(h)); }

BOOL NativeWindows::DeviceIoControl(Handle h, DWORD ioControlCode, std::span<const Byte> in,
                                    std::span<Byte> out, DWORD* bytesReturned) {
    ::DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(
        ToWin(h), ioControlCode, in.empty() ? nullptr : const_cast<Byte*>(in.data()),
        static_cast<::DWORD>(in.size()), out.empty() ? nullptr : out.data(),
        static_cast<::DWORD>(out.size()), &returned, nullptr);
    if (bytesReturned) *bytesReturned = returned;
    return ok;
}

UINT NativeWindows::GetDriveTypeA(std::string_view rootPathName) {
    const std::string root = Utf8ToAnsi(rootPathName);
    return ::GetDriveTypeA(root.c_str());
}

DWORD NativeWindows::QueryDosDeviceA(std::string_view deviceName, std::span<Byte> targetPath) {
    const std::string name = Utf8ToAnsi(deviceName);
    return ::QueryDosDeviceA(name.c_str(), reinterpret_cast<char*>(targetPath.data()),
                             static_cast<::DWORD>(targetPath.size()));
}

BOOL NativeWindows::ReadFile(Handle h, std::span<Byte> buffer, DWORD numberOfBytesToRead,
                             DWORD* numberOfBytesRead) {
    // A count beyond the buffer would let Windows write past it.
    if (numberOfBytesToRead > buffer.size()) {
        ::SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    ::DWORD read = 0;
    const BOOL ok = ::ReadFile(ToWin(h), buffer.data(), numberOfBytesToRead, &read, nullptr);
    if (numberOfBytesRead) *numberOfBytesRead = read;
    return ok;
}

BOOL NativeWindows::WriteFile(Handle h, std::span<const Byte> buffer, DWORD numberOfBytesToWrite,
                              DWORD* numberOfBytesWritten) {
    if (numberOfBytesToWrite > buffer.size()) {
        ::SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    ::DWORD written = 0;
    const BOOL ok = ::WriteFile(ToWin(h), buffer.data(), numberOfBytesToWrite, &written, nullptr);
    if (numberOfBytesWritten) *numberOfBytesWritten = written;
    return ok;
}

DWORD NativeWindows::SetFilePointer(Handle h, LONG distanceToMove, LONG* distanceToMoveHigh,
                                    DWORD moveMethod) {
    ::LONG high = distanceToMoveHigh ? *distanceToMoveHigh : 0;
    const ::DWORD low = ::SetFilePointer(ToWin(h), distanceToMove,
                                         distanceToMoveHigh ? &high : nullptr, moveMethod);
    if (distanceToMoveHigh) *distanceToMoveHigh = high;
    return low;
}

BOOL NativeWindows::FlushFileBuffers(Handle h) { return ::FlushFileBuffers(ToWin(h)); }

DWORD NativeWindows::FormatMessageA(DWORD flags, DWORD messageId, std::string& text) {
    text.clear();
    char* buffer = nullptr;
    const ::DWORD n = ::FormatMessageA(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, messageId,
                                       0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (n == 0 || !buffer) return 0;
    text = AnsiToUtf8(std::string_view(buffer, n));
    {
        KeepLastError keep;
        ::LocalFree(buffer);
    }
    return static_cast<DWORD>(text.size());
}

Hinstance NativeWindows::GetModuleHandleA(std::nullptr_t) {
    return static_cast<Hinstance>(reinterpret_cast<std::uintptr_t>(::GetModuleHandleA(nullptr)));
}

DWORD NativeWindows::GetModuleFileNameW(std::nullptr_t, std::string& fileName) {
    fileName.clear();
    // A result that fills the buffer may have been cut: try again with more room,
    // up to the longest path Windows has.
    constexpr ::DWORD kLongestPath = 32768;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const ::DWORD n =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<::DWORD>(path.size()));
        if (n == 0) return 0;
        if (n < path.size()) {
            KeepLastError keep;
            fileName = WideToUtf8(std::wstring_view(path.data(), n));
            return n;
        }
        if (path.size() >= kLongestPath) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        path.assign(std::min<std::size_t>(path.size() * 2, kLongestPath), L'\0');
    }
}

// advapi32 and shell32 are not among the DLLs this program imports, so these
// come from the system folder on first use and stay loaded (SystemLibrary.h).
BOOL NativeWindows::OpenProcessToken(DWORD desiredAccess, Handle& token) {
    using OpenProcessTokenFunction = ::BOOL(WINAPI*)(::HANDLE, ::DWORD, ::PHANDLE);
    static const SystemLibrary advapi32(L"advapi32.dll");
    static const auto open = advapi32.Find<OpenProcessTokenFunction>("OpenProcessToken");
    if (!open) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    ::HANDLE opened = nullptr;
    const BOOL ok = open(::GetCurrentProcess(), desiredAccess, &opened);
    if (ok) token = FromWin(opened);
    return ok;
}

BOOL NativeWindows::GetTokenInformation(Handle token, DWORD tokenInformationClass,
                                        std::span<Byte> information, DWORD* returnLength) {
    using GetTokenInformationFunction =
        ::BOOL(WINAPI*)(::HANDLE, ::TOKEN_INFORMATION_CLASS, ::LPVOID, ::DWORD, ::PDWORD);
    static const SystemLibrary advapi32(L"advapi32.dll");
    static const auto get = advapi32.Find<GetTokenInformationFunction>("GetTokenInformation");
    if (!get) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    ::DWORD returned = 0;
    const BOOL ok = get(ToWin(token), static_cast<::TOKEN_INFORMATION_CLASS>(tokenInformationClass),
                        information.empty() ? nullptr : information.data(),
                        static_cast<::DWORD>(information.size()), &returned);
    if (returnLength) *returnLength = returned;
    return ok;
}

BOOL NativeWindows::ShellExecuteExW(Hwnd owner, std::string_view verb, std::string_view file,
                                    std::string_view parameters, std::string_view directory) {
    using ShellExecuteExWFunction = ::BOOL(WINAPI*)(::SHELLEXECUTEINFOW*);
    static const SystemLibrary shell32(L"shell32.dll");
    static const auto execute = shell32.Find<ShellExecuteExWFunction>("ShellExecuteExW");
    if (!execute) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    const std::wstring v = Utf8ToWide(verb);
    const std::wstring f = Utf8ToWide(file);
    const std::wstring p = Utf8ToWide(parameters);
    const std::wstring d = Utf8ToWide(directory);
    ::SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = ToHwnd(owner);
    info.lpVerb = v.c_str();
    info.lpFile = f.c_str();
    info.lpParameters = p.empty() ? nullptr : p.c_str();
    info.lpDirectory = d.empty() ? nullptr : d.c_str();
    info.nShow = SW_SHOWNORMAL;
    return execute(&info);
}

std::string NativeWindows::DecodeAnsi(std::span<const Byte> bytes) {
    return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

NumberFormat NativeWindows::GetUserNumberFormat() {
    KeepLastError keep;
    NumberFormat f;
    if (std::string s = LocaleText(LOCALE_SDECIMAL); !s.empty()) f.decimalSeparator = s;
    f.groupSeparator = LocaleText(LOCALE_STHOUSAND);
    // "3;0", "3;2;0", "0": the first group size is the one that repeats here.
    const std::string grouping = LocaleText(LOCALE_SGROUPING);
    f.grouping = !grouping.empty() && grouping[0] >= '0' && grouping[0] <= '9'
                     ? static_cast<unsigned>(grouping[0] - '0')
                     : 3;
    f.leadingZero = LocaleText(LOCALE_ILZERO) != "0";
    return f;
}

DevInfoSet NativeWindows::SetupDiGetClassDevsA(const Guid* classGuid, DWORD flags) {
    ::GUID guid{};
    if (classGuid) guid = ToGuid(*classGuid);
    const HDEVINFO set =
        ::SetupDiGetClassDevsA(classGuid ? &guid : nullptr, nullptr, nullptr, flags);
    return static_cast<DevInfoSet>(reinterpret_cast<std::intptr_t>(set));
}

BOOL NativeWindows::SetupDiEnumDeviceInterfaces(DevInfoSet set, const Guid& interfaceClassGuid,
                                                DWORD memberIndex, std::span<Byte> interfaceData) {
    SP_DEVICE_INTERFACE_DATA data;
    if (interfaceData.size() < sizeof data) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memcpy(&data, interfaceData.data(), sizeof data);
    const ::GUID guid = ToGuid(interfaceClassGuid);
    const BOOL ok = ::SetupDiEnumDeviceInterfaces(ToWin(set), nullptr, &guid, memberIndex, &data);
    std::memcpy(interfaceData.data(), &data, sizeof data);
    return ok;
}

BOOL NativeWindows::SetupDiGetDeviceInterfaceDetailA(DevInfoSet set,
                                                     std::span<const Byte> interfaceData,
                                                     std::span<Byte> detail, DWORD* requiredSize,
                                                     std::span<Byte> devInfoData) {
    SP_DEVICE_INTERFACE_DATA itf;
    SP_DEVINFO_DATA info;
    if (interfaceData.size() < sizeof itf ||
        (!devInfoData.empty() && devInfoData.size() < sizeof info)) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memcpy(&itf, interfaceData.data(), sizeof itf);
    if (!devInfoData.empty()) std::memcpy(&info, devInfoData.data(), sizeof info);
    // An aligned copy of the caller's detail buffer.
    std::vector<std::uint64_t> aligned((detail.size() + 7) / 8);
    if (!detail.empty()) std::memcpy(aligned.data(), detail.data(), detail.size());
    ::DWORD required = requiredSize ? *requiredSize : 0;
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailA(
        ToWin(set), &itf,
        detail.empty() ? nullptr
                       : reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(aligned.data()),
        static_cast<::DWORD>(detail.size()), requiredSize ? &required : nullptr,
        devInfoData.empty() ? nullptr : &info);
    if (requiredSize) *requiredSize = required;
    if (!detail.empty()) std::memcpy(detail.data(), aligned.data(), detail.size());
    if (!devInfoData.empty()) std::memcpy(devInfoData.data(), &info, sizeof info);
    return ok;
}

BOOL NativeWindows::SetupDiDestroyDeviceInfoList(DevInfoSet set) {
    return ::SetupDiDestroyDeviceInfoList(ToWin(set));
}

CONFIGRET NativeWindows::CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) {
    return ::CM_Get_Device_IDA(devInst, reinterpret_cast<char*>(buffer.data()),
                               static_cast<ULONG>(buffer.size()), flags);
}

HRESULT NativeWindows::CLSIDFromString(std::wstring_view text, Guid& clsid) {
    const std::wstring terminated(text);
    ::CLSID out{};
    const HRESULT hr = ::CLSIDFromString(terminated.c_str(), &out);
    clsid = FromGuid(out);
    return hr;
}

int NativeWindows::MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                               UINT type) {
    const std::string t = Utf8ToAnsi(text);
    const std::string c = Utf8ToAnsi(caption);
    return ::MessageBoxA(ToHwnd(owner), t.c_str(), c.c_str(), type);
}

int NativeWindows::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

Handle NativeWindows::LoadImageA(Hinstance instance, std::string_view name, UINT type, int cx,
                                 int cy, UINT loadFlags) {
    const std::string n = Utf8ToAnsi(name);
    return FromWin(::LoadImageA(reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(instance)),
                                n.c_str(), type, cx, cy, loadFlags));
}

LRESULT NativeWindows::SendMessageA(Hwnd window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(ToHwnd(window), msg, wParam, lParam);
}

Hwnd NativeWindows::GetWindow(Hwnd window, UINT command) {
    return FromHwnd(::GetWindow(ToHwnd(window), command));
}

LONG NativeWindows::GetWindowLongA(Hwnd window, int index) {
    return ::GetWindowLongA(ToHwnd(window), index);
}

HRESULT NativeWindows::SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                                      std::wstring_view subIdList) {
    // uxtheme.dll is not among the DLLs Windows always takes from the system
    // folder, so it is not imported: it is loaded from there on first use and
    // kept for the life of the process. Without it the call fails as a
    // refused theme change does, and the control keeps its look.
    using SetWindowThemeFunction = ::HRESULT(WINAPI*)(::HWND, ::LPCWSTR, ::LPCWSTR);
    static const SystemLibrary uxtheme(L"uxtheme.dll");
    static const auto setWindowTheme = uxtheme.Find<SetWindowThemeFunction>("SetWindowTheme");
    if (!setWindowTheme) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    const std::wstring app(subAppName);
    const std::wstring ids(subIdList);
    return setWindowTheme(ToHwnd(window), app.c_str(), ids.c_str());
}

}  // namespace plumvane::platform
