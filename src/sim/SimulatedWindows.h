#pragma once
// A simulated Windows machine behind the platform seam. It answers every call
// as Windows documents it, from a Machine description; it logs every call,
// counts open handles and device-information sets so tests can assert that
// nothing leaks, records message boxes (answered with OK, or a question with
// its queued answer), every hotplug SET the storage driver receives and every
// program start, and can be told to fail any call.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowsApi.h"
#include "sim/Machine.h"
#include "sim/SimFileSystem.h"

namespace plumvane::sim {

// The Windows types the simulation's declarations are written in.
using platform::BOOL;
using platform::Byte;
using platform::CONFIGRET;
using platform::DevInfoSet;
using platform::DWORD;
using platform::Guid;
using platform::Handle;
using platform::Hinstance;
using platform::HRESULT;
using platform::Hwnd;
using platform::LONG;
using platform::LPARAM;
using platform::LRESULT;
using platform::NumberFormat;
using platform::UINT;
using platform::WPARAM;

struct CallRecord {
    std::string function;  // e.g. "CreateFileA", "DeviceIoControl"
    std::string detail;    // the call's main argument, e.g. a path or "IOCTL 0x002D1080 on
                           // \\.\PHYSICALDRIVE1"
    bool failed = false;
    DWORD error = 0;  // last-error set by a failing call
    // The typed facts of device calls, so tests need not read the detail.
    std::optional<DWORD> access;  // CreateFileA: the access asked for
    std::optional<DWORD> ioctl;   // DeviceIoControl: the control code
    int disk = -1;                // the physical drive reached; -1: none
    // Which device that was: one number per device the simulation has met
    // (SameDevice), from 1; 0: none. DeviceKeyOf tells what it was.
    std::uint32_t device = 0;
};

struct MessageBoxRecord {
    Hwnd owner{};
    std::string text;
    std::string caption;
    UINT type = 0;
};

// A start asked of ShellExecuteExW.
struct ShellStart {
    std::string verb;
    std::string path;
    bool ok = false;
};

struct HotplugWrite {
    int disk = 0;                     // physical drive number
    std::vector<std::uint8_t> bytes;  // the SET's input buffer as received
    bool ok = false;
    std::string device;  // DeviceKey of the drive that received it
};

// What makes a drive one device rather than another that took its place:
// its number, instance id, vendor, product and bus, descriptor, geometry,
// partition table identity, device node and interface path; SameDevice
// compares them, DeviceKey names them. Flags and injected errors are its
// state, not its identity. A lookalike (same model,
// same id, another size) is another device; so, in this simulation, is a
// card reader whose card was changed for one of another size.
std::string DeviceKey(const SimDisk& disk);
bool SameDevice(const SimDisk& a, const SimDisk& b);

// A fault: calls of `function` (empty: any) whose detail contains `device`
// (empty: any) fail with `error`; `times` < 0 means every time. The first
// `skip` matching calls still go through, so {.., times 1, skip 2} fails only
// the third. With `wholeDetail`, `device` must be the call's whole detail
// ("C:" then does not also match "C:\").
struct Fault {
    std::string function;
    std::string device;
    DWORD error = 0;
    int times = -1;
    int skip = 0;
    bool wholeDetail = false;
};

class SimulatedWindows : public platform::WindowsApi {
public:
    explicit SimulatedWindows(Machine machine = {});
    ~SimulatedWindows() override;

    // The machine may be replaced between operations (a disk plugged in or
    // pulled out). A disk handle stays bound to the device it was opened on:
    // while that device is on the machine (SameDevice) it reaches it, and
    // once it is not, every request on the handle fails with
    // ERROR_NO_SUCH_DEVICE, never reaching the drive that now has its number.
    Machine& machine() { return machine_; }
    const Machine& machine() const { return machine_; }
    void SetMachine(Machine machine) { machine_ = std::move(machine); }

    void InjectFault(Fault fault) { faults_.push_back(std::move(fault)); }
    void ClearFaults() { faults_.clear(); }

    const std::vector<CallRecord>& calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Runs `change` on the machine just before the call that will be logged
    // at index `index` of calls() (once).
    void ChangeMachineBeforeCall(std::size_t index, std::function<void(Machine&)> change);
    // Strict mode for paths that only read: an open asking for GENERIC_WRITE
    // or a hotplug SET is reported to `forbidden` (a test fails there) and
    // refused with ERROR_ACCESS_DENIED. An empty function ends the mode.
    void ForbidWrites(std::function<void(const std::string& call)> forbidden) {
        forbidWrites_ = std::move(forbidden);
    }
    int OpenHandleCount() const;
    // The DeviceKey of a device number of the call log; empty when unknown.
    std::string DeviceKeyOf(std::uint32_t device) const;
    int OpenDeviceInfoSetCount() const;
    const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }
    const std::vector<HotplugWrite>& hotplugWrites() const { return hotplugWrites_; }
    const std::vector<ShellStart>& shellStarts() const { return shellStarts_; }
    // The answer (IDYES or IDNO) to the next message box that asks a
    // question (MB_YESNO); a question without a queued answer gets IDNO,
    // its default button. Every other box is answered with IDOK.
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // The file GetModuleFileNameW names: the program of the simulated process.
    static constexpr const char* kProgramPath = "C:\\Program Files\\Plumvane\\plumvane.exe";
    // Windows on which SetWindowTheme turned visual styles off.
    const std::set<Hwnd>& themeOff() const { return themeOff_; }
    SimFileSystem& files() { return *files_; }

    // --- WindowsApi ---
    DWORD GetLastError() override { return lastError_; }
    void SetLastError(DWORD code) override { lastError_ = code; }
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
    NumberFormat GetUserNumberFormat() override { return machine_.numberFormat; }
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

private:
    // Implementation state; see SimImpl.h.
    struct Impl;
    Machine machine_;
    std::vector<Fault> faults_;
    std::vector<CallRecord> calls_;
    std::vector<MessageBoxRecord> messageBoxes_;
    std::vector<HotplugWrite> hotplugWrites_;
    std::vector<ShellStart> shellStarts_;
    std::deque<int> answers_;
    std::set<Hwnd> themeOff_;
    std::optional<std::size_t> changeAt_;
    std::function<void(Machine&)> change_;
    std::function<void(const std::string&)> forbidWrites_;
    std::unique_ptr<SimFileSystem> files_;
    std::unique_ptr<Impl> impl_;
    DWORD lastError_ = 0;
};

}  // namespace plumvane::sim
