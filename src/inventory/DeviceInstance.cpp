#include "inventory/DeviceInstance.h"

#include <array>
#include <cstring>

#include "inventory/StorageQueries.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {

using namespace platform;

namespace {

namespace detail = sp_device_interface_detail_data;

// The device path up to its NUL; a path that fills the field without one is
// taken whole and never read past.
std::string DevicePathOf(WindowsApi& api, std::span<const Byte> detailBuffer) {
    const auto path = detailBuffer.subspan(detail::kDevicePath, detail::kDevicePathChars);
    std::size_t length = 0;
    while (length < path.size() && path[length] != 0) ++length;
    return api.DecodeAnsi(path.first(length));
}

// Walks the present disk-class interfaces in enumeration order and hands the
// device number, DevInst and path of each one that answers a number to `visit`,
// which returns true to end the walk. An interface failing any step is
// skipped; the handle is closed before the visit, the set after the walk.
template <typename Visit>
void WalkDiskInterfaces(WindowsApi& api, Visit visit) {
    Guid diskClass;
    if (api.CLSIDFromString(kDiskInterfaceClassText, diskClass) != S_OK) return;

    UniqueDevInfoSet set(
        api, api.SetupDiGetClassDevsA(&diskClass, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return;

    for (DWORD index = 0;; ++index) {
        std::array<Byte, kSpDeviceInterfaceDataSize> interfaceData{};
        WriteU32LE(interfaceData, 0, kSpDeviceInterfaceDataSize);
        if (!CallSucceeded(
                api.SetupDiEnumDeviceInterfaces(set.get(), diskClass, index, interfaceData))) {
            return;  // the end of the list, or a failed walk
        }

        DWORD requiredSize = 0;
        api.SetupDiGetDeviceInterfaceDetailA(set.get(), interfaceData, {}, &requiredSize, {});
        if (requiredSize == 0) continue;

        std::array<Byte, detail::kBufferSize> detailBuffer{};
        WriteU32LE(detailBuffer, detail::kCbSize, detail::kFixedPartSize);
        std::array<Byte, kSpDevinfoDataSize> devInfoData{};
        WriteU32LE(devInfoData, 0, kSpDevinfoDataSize);
        // Fails for a path longer than the buffer holds; that interface is skipped.
        if (!CallSucceeded(api.SetupDiGetDeviceInterfaceDetailA(
                set.get(), interfaceData, detailBuffer, &requiredSize, devInfoData))) {
            continue;
        }
        const std::string path = DevicePathOf(api, detailBuffer);
        // An empty path names no device: it is never handed to CreateFileA.
        if (path.empty()) continue;

        UniqueDeviceHandle device = OpenForQueries(api, path);
        if (!device) continue;
        const std::int32_t number = GetDeviceNumber(api, device.get());
        device.reset();
        // A failed query (-1) names no drive.
        if (number < 0) continue;
        if (visit(number, ReadI32LE(devInfoData, kSpDevinfoDataDevInstOffset), path)) return;
    }
}

}  // namespace

std::int32_t FindDiskDevInst(WindowsApi& api, std::int32_t driveNumber) {
    std::int32_t found = 0;
    WalkDiskInterfaces(api, [&](std::int32_t number, std::int32_t devInst, const std::string&) {
        if (number != driveNumber) return false;
        found = devInst;
        return true;
    });
    return found;
}

DiskDevInstMap MapDiskDevInsts(WindowsApi& api) {
    DiskDevInstMap devInsts;
    WalkDiskInterfaces(api, [&](std::int32_t number, std::int32_t devInst, const std::string&) {
        devInsts.try_emplace(number, devInst);
        return false;
    });
    return devInsts;
}

std::vector<DiskInterface> ListDiskInterfaces(WindowsApi& api) {
    std::vector<DiskInterface> interfaces;
    WalkDiskInterfaces(api,
                       [&](std::int32_t number, std::int32_t devInst, const std::string& path) {
                           interfaces.push_back({number, devInst, path});
                           return false;
                       });
    return interfaces;
}

std::string GetDeviceInstanceId(WindowsApi& api, std::int32_t devInst) {
    std::array<Byte, kDeviceInstanceIdChars> buffer{};
    if (api.CM_Get_Device_IDA(static_cast<DWORD>(devInst), buffer, 0) != CR_SUCCESS) return {};
    return CutAtNul(api.DecodeAnsi(buffer));
}

}  // namespace plumvane::inventory
