#pragma once
// The seam between the program and Windows: exactly the Windows calls the
// program makes, named as Windows names them, with portable fixed-width types.
//
// Results are what Windows returns: a raw BOOL (callers read it with
// CallSucceeded, any nonzero value, or for device I/O controls with
// DeviceCallSucceeded, exactly TRUE; so an implementation may answer 2),
// handles with their own sentinels, and the thread's last-error code, read
// with GetLastError() right after a failing call.
//
// Text crosses this seam as UTF-8; implementations convert to and from the
// ANSI code page (or UTF-16 for the wide functions) at the call.
//
// Nothing here may use a name that <windows.h> defines as a macro: the
// Windows-only implementations include both.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plumvane::platform {

using BOOL = std::int32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using HRESULT = std::int32_t;
using CONFIGRET = std::uint32_t;
using LRESULT = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using Byte = std::uint8_t;

// Kernel object handle (files, devices, icons from LoadImageA). The failed-open
// sentinel is INVALID_HANDLE_VALUE (-1), which is NOT the null handle.
enum class Handle : std::intptr_t {};
// SetupAPI device information set; failure is INVALID_HANDLE_VALUE too.
enum class DevInfoSet : std::intptr_t {};
enum class Hwnd : std::uintptr_t {};
enum class Hinstance : std::uintptr_t {};

struct Guid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    friend bool operator==(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16);

// The pointer width of the Windows process the program runs as: the build's
// own on Windows; elsewhere the simulated machine plays the product, a 32-bit
// Windows process. SetupAPI's structures depend on it.
#if defined(_WIN32)
inline constexpr std::size_t kWindowsPointerSize = sizeof(void*);
#else
inline constexpr std::size_t kWindowsPointerSize = 4;
#endif

// SP_DEVICE_INTERFACE_DATA and SP_DEVINFO_DATA travel as their Windows byte
// images (cbSize at offset 0): each ends in a pointer-sized Reserved field, so
// 28 bytes in a 32-bit process and 32 in a 64-bit one. The implementation owns
// what is inside beyond the documented fields.
inline constexpr std::size_t kSpDeviceInterfaceDataSize = 4 + 16 + 4 + kWindowsPointerSize;
inline constexpr std::size_t kSpDevinfoDataSize = 4 + 16 + 4 + kWindowsPointerSize;
inline constexpr std::size_t kSpDevinfoDataDevInstOffset = 20;
// sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), the cbSize it must carry: the
// fixed part is byte-packed on 32-bit Windows and pointer-aligned on 64-bit.
inline constexpr std::uint32_t kSpDeviceInterfaceDetailDataACbSize =
    kWindowsPointerSize == 4 ? 5 : 8;
static_assert(kWindowsPointerSize != 4 ||
              (kSpDeviceInterfaceDataSize == 28 && kSpDeviceInterfaceDetailDataACbSize == 5));
static_assert(kWindowsPointerSize != 8 ||
              (kSpDeviceInterfaceDataSize == 32 && kSpDeviceInterfaceDetailDataACbSize == 8));

// The user's number format, as the regional settings give it.
struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
    unsigned grouping = 3;  // digits per group; 0: no grouping
    bool leadingZero = true;
};

class WindowsApi {
public:
    virtual ~WindowsApi() = default;

    // --- kernel32 -------------------------------------------------------
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD code) = 0;

    // Security attributes and template file are always null in this program.
    virtual Handle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) = 0;
    virtual BOOL CloseHandle(Handle h) = 0;
    // No overlapped I/O. An empty span stands for a null buffer of length 0.
    virtual BOOL DeviceIoControl(Handle h, DWORD ioControlCode, std::span<const Byte> in,
                                 std::span<Byte> out, DWORD* bytesReturned) = 0;
    virtual UINT GetDriveTypeA(std::string_view rootPathName) = 0;
    // Fills targetPath with the NUL-separated target list; returns the count
    // of characters stored, 0 on failure.
    virtual DWORD QueryDosDeviceA(std::string_view deviceName, std::span<Byte> targetPath) = 0;
    virtual BOOL ReadFile(Handle h, std::span<Byte> buffer, DWORD numberOfBytesToRead,
                          DWORD* numberOfBytesRead) = 0;
    virtual BOOL WriteFile(Handle h, std::span<const Byte> buffer, DWORD numberOfBytesToWrite,
                           DWORD* numberOfBytesWritten) = 0;
    virtual DWORD SetFilePointer(Handle h, LONG distanceToMove, LONG* distanceToMoveHigh,
                                 DWORD moveMethod) = 0;
    virtual BOOL FlushFileBuffers(Handle h) = 0;
    // FORMAT_MESSAGE_FROM_SYSTEM text of a message id; 0 and empty on failure.
    virtual DWORD FormatMessageA(DWORD flags, DWORD messageId, std::string& text) = 0;
    virtual Hinstance GetModuleHandleA(std::nullptr_t moduleName) = 0;
    // The program's own file, as a full path; the count of UTF-16 characters
    // Windows gave, 0 on failure (a path too long for 32767 characters fails
    // with ERROR_INSUFFICIENT_BUFFER rather than coming back cut).
    virtual DWORD GetModuleFileNameW(std::nullptr_t module, std::string& fileName) = 0;

    // The system ANSI code page, and the user's number format.
    virtual std::string DecodeAnsi(std::span<const Byte> bytes) = 0;
    virtual NumberFormat GetUserNumberFormat() = 0;

    // --- advapi32 ---------------------------------------------------------
    // The token of the current process (GetCurrentProcess()); `token` is set
    // only on success and is closed with CloseHandle.
    virtual BOOL OpenProcessToken(DWORD desiredAccess, Handle& token) = 0;
    virtual BOOL GetTokenInformation(Handle token, DWORD tokenInformationClass,
                                     std::span<Byte> information, DWORD* returnLength) = 0;

    // --- shell32 -----------------------------------------------------------
    // SHELLEXECUTEINFOW with SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI and
    // SW_SHOWNORMAL: the caller shows its own failures, and the start is
    // complete when the call returns, so the caller may end right after.
    // Empty parameters or directory stand for null (none, and the current
    // directory). No process handle is asked for.
    virtual BOOL ShellExecuteExW(Hwnd owner, std::string_view verb, std::string_view file,
                                 std::string_view parameters, std::string_view directory) = 0;

    // --- setupapi / cfgmgr32 -------------------------------------------
    // No enumerator and no window in this program.
    virtual DevInfoSet SetupDiGetClassDevsA(const Guid* classGuid, DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInterfaces(DevInfoSet set, const Guid& interfaceClassGuid,
                                             DWORD memberIndex, std::span<Byte> interfaceData) = 0;
    // detail: the SP_DEVICE_INTERFACE_DETAIL_DATA_A buffer (empty = null);
    // devInfoData: an SP_DEVINFO_DATA image or an empty span (null).
    virtual BOOL SetupDiGetDeviceInterfaceDetailA(DevInfoSet set,
                                                  std::span<const Byte> interfaceData,
                                                  std::span<Byte> detail, DWORD* requiredSize,
                                                  std::span<Byte> devInfoData) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(DevInfoSet set) = 0;
    virtual CONFIGRET CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) = 0;

    // --- ole32 -----------------------------------------------------------
    virtual HRESULT CLSIDFromString(std::wstring_view text, Guid& clsid) = 0;

    // --- user32 / uxtheme --------------------------------------------------
    virtual int MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                            UINT type) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual Handle LoadImageA(Hinstance instance, std::string_view name, UINT type, int cx, int cy,
                              UINT loadFlags) = 0;
    virtual LRESULT SendMessageA(Hwnd window, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual Hwnd GetWindow(Hwnd window, UINT command) = 0;
    virtual LONG GetWindowLongA(Hwnd window, int index) = 0;
    virtual HRESULT SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                                   std::wstring_view subIdList) = 0;
};

}  // namespace plumvane::platform
