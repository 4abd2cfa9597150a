#pragma once
// Private state of SimulatedWindows, shared by the sim/ files that answer its
// calls, and the helpers they share (the scenario loader uses some too).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/DevicePaths.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace plumvane::sim {

inline constexpr DWORD ERROR_INVALID_USER_BUFFER = 1784;
inline constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
inline constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

// The disk drives setup class {4d36e967-e325-11ce-bfc1-08002be10318}.
inline constexpr Guid kDiskDriveClassGuid{
    0x4d36e967, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

using platform::GuidText;  // "{53f56307-b6bf-...}", lower case
// "<what> 0x<hex>", how the call log names handles, sets and windows.
std::string LabelledHex(std::string_view what, unsigned long long value);
void WriteGuid(std::span<Byte> b, std::size_t offset, const Guid& g);

// The MBR signature a disk answers: the scenario's, or one made from its number.
std::uint32_t EffectiveDiskSignature(const SimDisk& disk);

// The device instance id a disk reports, made up when the scenario gives none.
std::string EffectiveInstanceId(const SimDisk& disk);
// The disk-class interface path of a disk: the scenario's, or the usual form
// made from the instance id.
std::string EffectiveInterfacePath(const SimDisk& disk);

struct SimulatedWindows::Impl {
    enum class Kind { Disk, Volume, File, Token };

    // An open handle. A disk handle keeps a copy of the device it opened, to
    // know it again (SameDevice) on the machine of every later request.
    struct OpenHandle {
        OpenHandle(Kind k, std::string_view p, DWORD a) : kind(k), path(p), access(a) {}
        Kind kind = Kind::File;
        std::string path;  // as opened
        DWORD access = 0;
        SimDisk disk;              // Kind::Disk
        std::uint32_t device = 0;  // Kind::Disk: its number among the devices met
        SimVolume volume;          // Kind::Volume
        std::uint32_t fileId = 0;
    };

    struct Interface {
        int diskNumber = 0;
        std::uint32_t devInst = 0;
        std::string path;
    };

    // One call being answered: checks injected faults, logs the outcome and
    // sets the last error of a failing call.
    class Call {
    public:
        Call(SimulatedWindows& w, std::string function, std::string detail);
        // The error of a matching injected fault (consumed), if any.
        std::optional<DWORD> Fault();
        template <typename T>
        T Fail(DWORD error, T result) {
            Record(true, error);
            w_.lastError_ = error;
            return result;
        }
        // A failure that does not touch the thread's last error (CONFIGRET,
        // HRESULT results).
        template <typename T>
        T FailQuiet(DWORD code, T result) {
            Record(true, code);
            return result;
        }
        template <typename T>
        T Ok(T result) {
            Record(false, 0);
            return result;
        }
        // The typed facts the log keeps beside the detail.
        void Access(DWORD access) { record_.access = access; }
        void Ioctl(DWORD code) { record_.ioctl = code; }
        void Reached(int disk, std::uint32_t device) {
            record_.disk = disk;
            record_.device = device;
        }

    private:
        void Record(bool failed, DWORD error);
        SimulatedWindows& w_;
        CallRecord record_;
    };

    std::map<std::intptr_t, OpenHandle> handles;
    std::intptr_t nextHandle = 4;
    std::map<std::intptr_t, std::vector<Interface>> sets;
    std::intptr_t nextSet = 0x00A00000;
    std::map<std::pair<Hwnd, WPARAM>, LRESULT> icons;

    // Every device met, its number in the call log being its index + 1.
    std::vector<SimDisk> devices;
    std::uint32_t DeviceNumberOf(const SimDisk& disk);

    OpenHandle* Find(Handle h);
    Handle Add(OpenHandle entry);
    // The machine's disk of that number, or null.
    static SimDisk* DiskByNumber(Machine& m, int number);
};

// The fixed fake values of the windowing calls. kAppIcon is no multiple of 4,
// so no open ever returns it; kModuleInstance is where a 32-bit executable
// usually loads.
inline constexpr Handle kAppIcon = static_cast<Handle>(0x00200011);
inline constexpr Hinstance kModuleInstance = static_cast<Hinstance>(0x00400000);

}  // namespace plumvane::sim
