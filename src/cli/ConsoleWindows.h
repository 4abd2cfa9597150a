#pragma once
// The platform seam for a console program: every call goes to the Windows
// it wraps, except message boxes, which would stop a script until someone
// answers them. The libraries' boxes are kept as notes for standard error.

#include <string>
#include <vector>

#include "platform/WinDefs.h"

namespace plumvane::cli {

class ConsoleWindows final : public platform::WindowsApi {
public:
    explicit ConsoleWindows(platform::WindowsApi& windows) : w_(windows) {}

    // "caption: text" of every box that was not shown, in order.
    const std::vector<std::string>& notes() const { return notes_; }

    int MessageBoxA(platform::Hwnd, std::string_view text, std::string_view caption,
                    platform::UINT) override {
        notes_.push_back(std::string(caption) + ": " + std::string(text));
        return platform::IDOK;
    }

    platform::DWORD GetLastError() override { return w_.GetLastError(); }
    void SetLastError(platform::DWORD code) override { w_.SetLastError(code); }
    platform::Handle CreateFileA(std::string_view fileName, platform::DWORD desiredAccess,
                                 platform::DWORD shareMode, platform::DWORD creationDisposition,
                                 platform::DWORD flagsAndAttributes) override {
        return w_.CreateFileA(fileName, desiredAccess, shareMode, creationDisposition,
                              flagsAndAttributes);
    }
    platform::BOOL CloseHandle(platform::Handle h) override { return w_.CloseHandle(h); }
    platform::BOOL DeviceIoControl(platform::Handle h, platform::DWORD code,
                                   std::span<const platform::Byte> in,
                                   std::span<platform::Byte> out,
                                   platform::DWORD* bytesReturned) override {
        return w_.DeviceIoControl(h, code, in, out, bytesReturned);
    }
    platform::UINT GetDriveTypeA(std::string_view rootPathName) override {
        return w_.GetDriveTypeA(rootPathName);
    }
    platform::DWORD QueryDosDeviceA(std::string_view deviceName,
                                    std::span<platform::Byte> targetPath) override {
        return w_.QueryDosDeviceA(deviceName, targetPath);
    }
    platform::BOOL ReadFile(platform::Handle h, std::span<platform::Byte> buffer,
                            platform::DWORD toRead, platform::DWORD* read) override {
        return w_.ReadFile(h, buffer, toRead, read);
    }
    platform::BOOL WriteFile(platform::Handle h, std::span<const platform::Byte> buffer,
                             platform::DWORD toWrite, platform::DWORD* written) override {
        return w_.WriteFile(h, buffer, toWrite, written);
    }
    platform::DWORD SetFilePointer(platform::Handle h, platform::LONG distance,
                                   platform::LONG* distanceHigh,
                                   platform::DWORD moveMethod) override {
        return w_.SetFilePointer(h, distance, distanceHigh, moveMethod);
    }
    platform::BOOL FlushFileBuffers(platform::Handle h) override { return w_.FlushFileBuffers(h); }
    platform::DWORD FormatMessageA(platform::DWORD flags, platform::DWORD messageId,
                                   std::string& text) override {
        return w_.FormatMessageA(flags, messageId, text);
    }
    platform::Hinstance GetModuleHandleA(std::nullptr_t) override {
        return w_.GetModuleHandleA(nullptr);
    }
    std::string DecodeAnsi(std::span<const platform::Byte> bytes) override {
        return w_.DecodeAnsi(bytes);
    }
    platform::NumberFormat GetUserNumberFormat() override { return w_.GetUserNumberFormat(); }
    platform::DevInfoSet SetupDiGetClassDevsA(const platform::Guid* classGuid,
                                              platform::DWORD flags) override {
        return w_.SetupDiGetClassDevsA(classGuid, flags);
    }
    platform::BOOL SetupDiEnumDeviceInterfaces(platform::DevInfoSet set,
                                               const platform::Guid& interfaceClassGuid,
                                               platform::DWORD memberIndex,
                                               std::span<platform::Byte> interfaceData) override {
        return w_.SetupDiEnumDeviceInterfaces(set, interfaceClassGuid, memberIndex, interfaceData);
    }
    platform::BOOL SetupDiGetDeviceInterfaceDetailA(
        platform::DevInfoSet set, std::span<const platform::Byte> interfaceData,
        std::span<platform::Byte> detail, platform::DWORD* requiredSize,
        std::span<platform::Byte> devInfoData) override {
        return w_.SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, requiredSize,
                                                   devInfoData);
    }
    platform::BOOL SetupDiDestroyDeviceInfoList(platform::DevInfoSet set) override {
        return w_.SetupDiDestroyDeviceInfoList(set);
    }
    platform::CONFIGRET CM_Get_Device_IDA(platform::DWORD devInst, std::span<platform::Byte> buffer,
                                          platform::DWORD flags) override {
        return w_.CM_Get_Device_IDA(devInst, buffer, flags);
    }
    platform::HRESULT CLSIDFromString(std::wstring_view text, platform::Guid& clsid) override {
        return w_.CLSIDFromString(text, clsid);
    }
    int GetSystemMetrics(int index) override { return w_.GetSystemMetrics(index); }
    platform::Handle LoadImageA(platform::Hinstance instance, std::string_view name,
                                platform::UINT type, int cx, int cy,
                                platform::UINT loadFlags) override {
        return w_.LoadImageA(instance, name, type, cx, cy, loadFlags);
    }
    platform::LRESULT SendMessageA(platform::Hwnd window, platform::UINT msg,
                                   platform::WPARAM wParam, platform::LPARAM lParam) override {
        return w_.SendMessageA(window, msg, wParam, lParam);
    }
    platform::Hwnd GetWindow(platform::Hwnd window, platform::UINT command) override {
        return w_.GetWindow(window, command);
    }
    platform::LONG GetWindowLongA(platform::Hwnd window, int index) override {
        return w_.GetWindowLongA(window, index);
    }
    platform::HRESULT SetWindowTheme(platform::Hwnd window, std::wstring_view subAppName,
                                     std::wstring_view subIdList) override {
        return w_.SetWindowTheme(window, subAppName, subIdList);
    }

private:
    platform::WindowsApi& w_;
    std::vector<std::string> notes_;
};

}  // namespace plumvane::cli
