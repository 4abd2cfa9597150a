// The texts the device setup layer hands back: the device path of a disk
// interface's detail and a device instance identifier, as any driver or
// broken setup database may fill them.
// Input: the bytes written at DevicePath (up to the first newline), then the
// bytes written for the instance identifier. Neither needs a NUL.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "inventory/DeviceInstance.h"
#include "platform/ByteLayout.h"
#include "platform/WinDefs.h"
#include "sim/SimulatedWindows.h"

namespace {

using namespace plumvane;
using namespace plumvane::platform;

constexpr std::int32_t kDevInst = 0x21;

// The simulated machine with one USB disk, whose setup layer answers with
// the fuzzed texts instead of its own.
class FuzzedSetupTexts : public sim::SimulatedWindows {
public:
    FuzzedSetupTexts(sim::Machine machine, std::string_view path, std::string_view id)
        : SimulatedWindows(std::move(machine)), path_(path), id_(id) {}

    BOOL SetupDiGetDeviceInterfaceDetailA(DevInfoSet set, std::span<const Byte> interfaceData,
                                          std::span<Byte> detail, DWORD* requiredSize,
                                          std::span<Byte> devInfoData) override {
        // The simulation checks the arguments and fills devInfoData; its own
        // path goes to a scratch buffer.
        std::vector<Byte> scratch(1024);
        WriteU32LE(scratch, 0, kSpDeviceInterfaceDetailDataACbSize);
        const BOOL ok = SimulatedWindows::SetupDiGetDeviceInterfaceDetailA(
            set, interfaceData, detail.empty() ? std::span<Byte>() : std::span<Byte>(scratch),
            nullptr, devInfoData);
        constexpr std::size_t kPathOffset = 4;
        if (requiredSize) *requiredSize = static_cast<DWORD>(kPathOffset + path_.size() + 1);
        if (ok != TRUE) return ok;
        // A path that does not fit is refused, as Windows does; one that just
        // fits comes without its NUL.
        if (detail.size() < kPathOffset + path_.size()) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::copy(path_.begin(), path_.end(), detail.begin() + kPathOffset);
        return TRUE;
    }

    CONFIGRET CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) override {
        const CONFIGRET result = SimulatedWindows::CM_Get_Device_IDA(devInst, buffer, flags);
        if (result != CR_SUCCESS) return result;
        std::fill(buffer.begin(), buffer.end(), Byte{0});
        std::copy_n(id_.begin(), std::min(id_.size(), buffer.size()), buffer.begin());
        return id_.size() <= buffer.size() ? CR_SUCCESS : CR_BUFFER_SMALL;
    }

private:
    std::string path_;
    std::string id_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view path = input.substr(0, newline);
    const std::string_view id =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    sim::SimDisk disk;
    disk.number = 3;
    disk.deviceNumber = 3;
    disk.vendor = "SanDisk";
    disk.product = "Cruzer Blade";
    disk.devInst = kDevInst;
    sim::Machine machine;
    machine.disks.push_back(disk);
    FuzzedSetupTexts win(machine, path, id);

    // Only the disk's own interface path leads to its device node.
    const std::int32_t devInst = inventory::FindDiskDevInst(win, 3);
    FUZZ_CHECK(devInst == 0 || devInst == kDevInst);
    FUZZ_CHECK(inventory::FindDiskDevInst(win, 4) == 0);

    const std::string instanceId = inventory::GetDeviceInstanceId(win, kDevInst);
    FUZZ_CHECK(instanceId.find('\0') == std::string::npos);
    // At most the buffer's 260 bytes, each of which may take up to three
    // bytes of UTF-8.
    FUZZ_CHECK(instanceId.size() <= 3 * 260);
    FUZZ_CHECK(win.OpenHandleCount() == 0);
    FUZZ_CHECK(win.OpenDeviceInfoSetCount() == 0);
    return 0;
}
