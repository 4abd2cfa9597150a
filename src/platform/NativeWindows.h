#pragma once
// The platform seam on the real Windows API (Windows builds only). Each call
// forwards to the function of the same name; text is converted between UTF-8
// and the ANSI code page (or UTF-16 for the wide functions) at the call.

#include "platform/WindowsApi.h"

namespace plumvane::platform {

class NativeWindows final : public WindowsApi {
public:
    DWORD GetLastError() override;
    void SetLastError(DWORD code) override;
    Handle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override;
    BOOL CloseHandle(Handle h) override;
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, std::span<const Byte> in,
                         std::span<Byte> out, DWORD* bytesReturned) override;
    UINT GetDriveTypeA(std::string_view rootPathName) override;
    DWORD QueryDosDeviceA(std::string_view deviceName, std::span<Byte> targetPath) override;
    BOOL ReadFile(Handle h, std::span<Byte> buffer, DWORD numberOfBytesToRead,
                  DWORD* numberOfBytesRead) override;
    BOOL WriteFile(Handle h, std::span<const Byte> buffer, DWORD numberOfBytesToWrite,
                   DWORD* numberOfBytesWritten) override;
    DWORD SetFilePointer(Handle h, LONG distanceToMove, LONG* distanceToMoveHigh,
                         DWORD moveMethod) override;
    BOOL FlushFileBuffers(Handle h) override;
    DWORD FormatMessageA(DWORD flags, DWORD messageId, std::string& text) override;
    Hinstance GetModuleHandleA(std::nullptr_t) override;
    DWORD GetModuleFileNameW(std::nullptr_t, std::string& fileName) override;
    BOOL OpenProcessToken(DWORD desiredAccess, Handle& token) override;
    BOOL GetTokenInformation(Handle token, DWORD tokenInformationClass, std::span<Byte> information,
                             DWORD* returnLength) override;
    BOOL ShellExecuteExW(Hwnd owner, std::string_view verb, std::string_view file,
                         std::string_view parameters, std::string_view directory) override;
    std::string DecodeAnsi(std::span<const Byte> bytes) override;
    NumberFormat GetUserNumberFormat() override;
    DevInfoSet SetupDiGetClassDevsA(const Guid* classGuid, DWORD flags) override;
    BOOL SetupDiEnumDeviceInterfaces(DevInfoSet set, const Guid& interfaceClassGuid,
                                     DWORD memberIndex, std::span<Byte> interfaceData) override;
    BOOL SetupDiGetDeviceInterfaceDetailA(DevInfoSet set, std::span<const Byte> interfaceData,
                                          std::span<Byte> detail, DWORD* requiredSize,
                                          std::span<Byte> devInfoData) override;
    BOOL SetupDiDestroyDeviceInfoList(DevInfoSet set) override;
    CONFIGRET CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) override;
    HRESULT CLSIDFromString(std::wstring_view text, Guid& clsid) override;
    int MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                    UINT type) override;
    int GetSystemMetrics(int index) override;
    Handle LoadImageA(Hinstance instance, std::string_view name, UINT type, int cx, int cy,
                      UINT loadFlags) override;
    LRESULT SendMessageA(Hwnd window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    Hwnd GetWindow(Hwnd window, UINT command) override;
    LONG GetWindowLongA(Hwnd window, int index) override;
    HRESULT SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                           std::wstring_view subIdList) override;
};

}  // namespace plumvane::platform
