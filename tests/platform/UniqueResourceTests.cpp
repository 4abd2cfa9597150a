// Owners of Windows objects: close exactly once, never the empty sentinel,
// and never clobber the last-error code a caller is about to report.
#include <gtest/gtest.h>

#include <vector>

#include "platform/UniqueResource.h"

namespace plumvane::platform {
namespace {

// Records closes; every other call is unused here.
class CloseRecorder : public WindowsApi {
public:
    std::vector<Handle> closed;
    std::vector<DevInfoSet> destroyed;
    DWORD lastError = 0;
    DWORD GetLastError() override { return lastError; }
    void SetLastError(DWORD c) override { lastError = c; }
    BOOL CloseHandle(Handle h) override {
        closed.push_back(h);
        lastError = 999;  // a cleanup that would clobber the caller's code
        return TRUE;
    }
    BOOL SetupDiDestroyDeviceInfoList(DevInfoSet s) override {
        destroyed.push_back(s);
        return TRUE;
    }
    Handle CreateFileA(std::string_view, DWORD, DWORD, DWORD, DWORD) override { return {}; }
    BOOL DeviceIoControl(Handle, DWORD, std::span<const Byte>, std::span<Byte>, DWORD*) override {
        return 0;
    }
    UINT GetDriveTypeA(std::string_view) override { return 0; }
    DWORD QueryDosDeviceA(std::string_view, std::span<Byte>) override { return 0; }
    BOOL ReadFile(Handle, std::span<Byte>, DWORD, DWORD*) override { return 0; }
    BOOL WriteFile(Handle, std::span<const Byte>, DWORD, DWORD*) override { return 0; }
    DWORD SetFilePointer(Handle, LONG, LONG*, DWORD) override { return 0; }
    BOOL FlushFileBuffers(Handle) override { return 0; }
    DWORD FormatMessageA(DWORD, DWORD, std::string&) override { return 0; }
    Hinstance GetModuleHandleA(std::nullptr_t) override { return {}; }
    DWORD GetModuleFileNameW(std::nullptr_t, std::string&) override { return 0; }
    BOOL OpenProcessToken(DWORD, Handle&) override { return 0; }
    BOOL GetTokenInformation(Handle, DWORD, std::span<Byte>, DWORD*) override { return 0; }
    BOOL ShellExecuteExW(Hwnd, std::string_view, std::string_view, std::string_view,
                         std::string_view) override {
        return 0;
    }
    std::string DecodeAnsi(std::span<const Byte>) override { return {}; }
    NumberFormat GetUserNumberFormat() override { return {}; }
    DevInfoSet SetupDiGetClassDevsA(const Guid*, DWORD) override { return {}; }
    BOOL SetupDiEnumDeviceInterfaces(DevInfoSet, const Guid&, DWORD, std::span<Byte>) override {
        return 0;
    }
    BOOL SetupDiGetDeviceInterfaceDetailA(DevInfoSet, std::span<const Byte>, std::span<Byte>,
                                          DWORD*, std::span<Byte>) override {
        return 0;
    }
    CONFIGRET CM_Get_Device_IDA(DWORD, std::span<Byte>, DWORD) override { return 0; }
    HRESULT CLSIDFromString(std::wstring_view, Guid&) override { return 0; }
    int MessageBoxA(Hwnd, std::string_view, std::string_view, UINT) override { return 0; }
    int GetSystemMetrics(int) override { return 0; }
    Handle LoadImageA(Hinstance, std::string_view, UINT, int, int, UINT) override { return {}; }
    LRESULT SendMessageA(Hwnd, UINT, WPARAM, LPARAM) override { return 0; }
    Hwnd GetWindow(Hwnd, UINT) override { return {}; }
    LONG GetWindowLongA(Hwnd, int) override { return 0; }
    HRESULT SetWindowTheme(Hwnd, std::wstring_view, std::wstring_view) override { return 0; }
};

TEST(UniqueResource, ClosesOnceAndKeepsTheCallersLastError) {
    CloseRecorder api;
    {
        UniqueDeviceHandle h(api, static_cast<Handle>(40));
        api.lastError = 5;
        UniqueDeviceHandle moved = std::move(h);
        EXPECT_FALSE(h.valid());
    }
    ASSERT_EQ(api.closed.size(), 1u);
    EXPECT_EQ(api.closed[0], static_cast<Handle>(40));
    EXPECT_EQ(api.lastError, 5u);
}

TEST(UniqueResource, EmptyIsInvalidHandleValueNotNull) {
    CloseRecorder api;
    { UniqueDeviceHandle failedOpen(api, INVALID_HANDLE_VALUE); }
    { UniqueDeviceHandle nullHandle(api, NULL_HANDLE); }  // null is a value to close
    ASSERT_EQ(api.closed.size(), 1u);
    EXPECT_EQ(api.closed[0], NULL_HANDLE);
    { UniqueDevInfoSet none(api, INVALID_DEVINFO_SET); }
    EXPECT_TRUE(api.destroyed.empty());
    // A token is the other way round: null is empty.
    { UniqueTokenHandle failedOpen(api, NULL_HANDLE); }
    { UniqueTokenHandle token(api, static_cast<Handle>(44)); }
    ASSERT_EQ(api.closed.size(), 2u);
    EXPECT_EQ(api.closed[1], static_cast<Handle>(44));
}

}  // namespace
}  // namespace plumvane::platform
