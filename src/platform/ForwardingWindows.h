#pragma once
// A WindowsApi that hands every call to another one. A wrapper that changes
// a few calls derives from it and overrides just those, so a new Windows call
// is forwarded here, once, for every wrapper.

#include "platform/WindowsApi.h"

namespace plumvane::platform {

class ForwardingWindows : public WindowsApi {
public:
    explicit ForwardingWindows(WindowsApi& inner) : inner_(inner) {}

    DWORD GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(DWORD code) override { inner_.SetLastError(code); }
    Handle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        return inner_.CreateFileA(fileName, desiredAccess, shareMode, creationDisposition,
                                  flagsAndAttributes);
    }
    BOOL CloseHandle(Handle h) override { return inner_.CloseHandle(h); }
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, std::span<const Byte> in,
                         std::span<Byte> out, DWORD* bytesReturned) override {
        return inner_.DeviceIoControl(h, ioControlCode, in, out, bytesReturned);
    }
    UINT GetDriveTypeA(std::string_view rootPathName) override {
        return inner_.GetDriveTypeA(rootPathName);
    }
    DWORD QueryDosDeviceA(std::string_view deviceName, std::span<Byte> targetPath) override {
        return inner_.QueryDosDeviceA(deviceName, targetPath);
    }
    BOOL ReadFile(Handle h, std::span<Byte> buffer, DWORD numberOfBytesToRead,
                  DWORD* numberOfBytesRead) override {
        return inner_.ReadFile(h, buffer, numberOfBytesToRead, numberOfBytesRead);
    }
    BOOL WriteFile(Handle h, std::span<const Byte> buffer, DWORD numberOfBytesToWrite,
                   DWORD* numberOfBytesWritten) override {
        return inner_.WriteFile(h, buffer, numberOfBytesToWrite, numberOfBytesWritten);
    }
    DWORD SetFilePointer(Handle h, LONG distanceToMove, LONG* distanceToMoveHigh,
                         DWORD moveMethod) override {
        return inner_.SetFilePointer(h, distanceToMove, distanceToMoveHigh, moveMethod);
    }
    BOOL FlushFileBuffers(Handle h) override { return inner_.FlushFileBuffers(h); }
    DWORD FormatMessageA(DWORD flags, DWORD messageId, std::string& text) override {
        return inner_.FormatMessageA(flags, messageId, text);
    }
    Hinstance GetModuleHandleA(std::nullptr_t) override { return inner_.GetModuleHandleA(nullptr); }
    DWORD GetModuleFileNameW(std::nullptr_t, std::string& fileName) override {
        return inner_.GetModuleFileNameW(nullptr, fileName);
    }
    std::string DecodeAnsi(std::span<const Byte> bytes) override {
        return inner_.DecodeAnsi(bytes);
    }
    NumberFormat GetUserNumberFormat() override { return inner_.GetUserNumberFormat(); }

    BOOL OpenProcessToken(DWORD desiredAccess, Handle& token) override {
        return inner_.OpenProcessToken(desiredAccess, token);
    }
    BOOL GetTokenInformation(Handle token, DWORD tokenInformationClass, std::span<Byte> information,
                             DWORD* returnLength) override {
        return inner_.GetTokenInformation(token, tokenInformationClass, information, returnLength);
    }
    BOOL ShellExecuteExW(Hwnd owner, std::string_view verb, std::string_view file,
                         std::string_view parameters, std::string_view directory) override {
        return inner_.ShellExecuteExW(owner, verb, file, parameters, directory);
    }

    DevInfoSet SetupDiGetClassDevsA(const Guid* classGuid, DWORD flags) override {
        return inner_.SetupDiGetClassDevsA(classGuid, flags);
    }
    BOOL SetupDiEnumDeviceInterfaces(DevInfoSet set, const Guid& interfaceClassGuid,
                                     DWORD memberIndex, std::span<Byte> interfaceData) override {
        return inner_.SetupDiEnumDeviceInterfaces(set, interfaceClassGuid, memberIndex,
                                                  interfaceData);
    }
    BOOL SetupDiGetDeviceInterfaceDetailA(DevInfoSet set, std::span<const Byte> interfaceData,
                                          std::span<Byte> detail, DWORD* requiredSize,
                                          std::span<Byte> devInfoData) override {
        return inner_.SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, requiredSize,
                                                       devInfoData);
    }
    BOOL SetupDiDestroyDeviceInfoList(DevInfoSet set) override {
        return inner_.SetupDiDestroyDeviceInfoList(set);
    }
    CONFIGRET CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) override {
        return inner_.CM_Get_Device_IDA(devInst, buffer, flags);
    }

    HRESULT CLSIDFromString(std::wstring_view text, Guid& clsid) override {
        return inner_.CLSIDFromString(text, clsid);
    }

    int MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                    UINT type) override {
        return inner_.MessageBoxA(owner, text, caption, type);
    }
    int GetSystemMetrics(int index) override { return inner_.GetSystemMetrics(index); }
    Handle LoadImageA(Hinstance instance, std::string_view name, UINT type, int cx, int cy,
                      UINT loadFlags) override {
        return inner_.LoadImageA(instance, name, type, cx, cy, loadFlags);
    }
    LRESULT SendMessageA(Hwnd window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        return inner_.SendMessageA(window, msg, wParam, lParam);
    }
    Hwnd GetWindow(Hwnd window, UINT command) override { return inner_.GetWindow(window, command); }
    LONG GetWindowLongA(Hwnd window, int index) override {
        return inner_.GetWindowLongA(window, index);
    }
    HRESULT SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                           std::wstring_view subIdList) override {
        return inner_.SetWindowTheme(window, subAppName, subIdList);
    }

private:
    WindowsApi& inner_;
};

}  // namespace plumvane::platform
