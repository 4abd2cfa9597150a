#pragma once
// The platform of the simulated demo: the machine is simulated, the window is
// real. Device, file, SetupAPI, text and message-box calls go to the simulated
// machine; the calls that act on real windows (module handle, icons, system
// metrics, window messages, owners, styles, themes) go to the real system.
// SetWindowTheme is also recorded by the simulation, so its record of which
// windows lost their visual styles matches the real window. Message boxes are
// always recorded; with `showMessageBoxes` they are also shown for real.

#include "platform/WindowsApi.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::app {

class DemoWindows final : public platform::WindowsApi {
public:
    DemoWindows(sim::SimulatedWindows& machine, platform::WindowsApi& real, bool showMessageBoxes)
        : sim_(machine), real_(real), showMessageBoxes_(showMessageBoxes) {}

    using BOOL = platform::BOOL;
    using DWORD = platform::DWORD;
    using UINT = platform::UINT;
    using LONG = platform::LONG;
    using HRESULT = platform::HRESULT;
    using Byte = platform::Byte;
    using Handle = platform::Handle;
    using Hwnd = platform::Hwnd;

    DWORD GetLastError() override { return sim_.GetLastError(); }
    void SetLastError(DWORD code) override { sim_.SetLastError(code); }
    Handle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        return sim_.CreateFileA(fileName, desiredAccess, shareMode, creationDisposition,
                                flagsAndAttributes);
    }
    BOOL CloseHandle(Handle h) override { return sim_.CloseHandle(h); }
    BOOL DeviceIoControl(Handle h, DWORD code, std::span<const Byte> in, std::span<Byte> out,
                         DWORD* bytesReturned) override {
        return sim_.DeviceIoControl(h, code, in, out, bytesReturned);
    }
    UINT GetDriveTypeA(std::string_view root) override { return sim_.GetDriveTypeA(root); }
    DWORD QueryDosDeviceA(std::string_view name, std::span<Byte> target) override {
        return sim_.QueryDosDeviceA(name, target);
    }
    BOOL ReadFile(Handle h, std::span<Byte> buffer, DWORD toRead, DWORD* read) override {
        return sim_.ReadFile(h, buffer, toRead, read);
    }
    BOOL WriteFile(Handle h, std::span<const Byte> buffer, DWORD toWrite, DWORD* written) override {
        return sim_.WriteFile(h, buffer, toWrite, written);
    }
    DWORD SetFilePointer(Handle h, LONG distance, LONG* distanceHigh, DWORD method) override {
        return sim_.SetFilePointer(h, distance, distanceHigh, method);
    }
    BOOL FlushFileBuffers(Handle h) override { return sim_.FlushFileBuffers(h); }
    DWORD FormatMessageA(DWORD flags, DWORD id, std::string& text) override {
        return sim_.FormatMessageA(flags, id, text);
    }
    std::string DecodeAnsi(std::span<const Byte> bytes) override { return sim_.DecodeAnsi(bytes); }
    platform::NumberFormat GetUserNumberFormat() override { return sim_.GetUserNumberFormat(); }
    platform::DevInfoSet SetupDiGetClassDevsA(const platform::Guid* classGuid,
                                              DWORD flags) override {
        return sim_.SetupDiGetClassDevsA(classGuid, flags);
    }
    BOOL SetupDiEnumDeviceInterfaces(platform::DevInfoSet set, const platform::Guid& guid,
                                     DWORD index, std::span<Byte> data) override {
        return sim_.SetupDiEnumDeviceInterfaces(set, guid, index, data);
    }
    BOOL SetupDiGetDeviceInterfaceDetailA(platform::DevInfoSet set,
                                          std::span<const Byte> interfaceData,
                                          std::span<Byte> detail, DWORD* requiredSize,
                                          std::span<Byte> devInfoData) override {
        return sim_.SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, requiredSize,
                                                     devInfoData);
    }
    BOOL SetupDiDestroyDeviceInfoList(platform::DevInfoSet set) override {
        return sim_.SetupDiDestroyDeviceInfoList(set);
    }
    platform::CONFIGRET CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer,
                                          DWORD flags) override {
        return sim_.CM_Get_Device_IDA(devInst, buffer, flags);
    }
    HRESULT CLSIDFromString(std::wstring_view text, platform::Guid& clsid) override {
        return sim_.CLSIDFromString(text, clsid);
    }

    int MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                    UINT type) override;

    // The real window's side.
    platform::Hinstance GetModuleHandleA(std::nullptr_t) override {
        return real_.GetModuleHandleA(nullptr);
    }
    int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
    Handle LoadImageA(platform::Hinstance instance, std::string_view name, UINT type, int cx,
                      int cy, UINT loadFlags) override {
        return real_.LoadImageA(instance, name, type, cx, cy, loadFlags);
    }
    platform::LRESULT SendMessageA(Hwnd window, UINT msg, platform::WPARAM wParam,
                                   platform::LPARAM lParam) override {
        return real_.SendMessageA(window, msg, wParam, lParam);
    }
    Hwnd GetWindow(Hwnd window, UINT command) override { return real_.GetWindow(window, command); }
    LONG GetWindowLongA(Hwnd window, int index) override {
        return real_.GetWindowLongA(window, index);
    }
    HRESULT SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                           std::wstring_view subIdList) override;

private:
    sim::SimulatedWindows& sim_;
    platform::WindowsApi& real_;
    bool showMessageBoxes_;
};

}  // namespace plumvane::app
