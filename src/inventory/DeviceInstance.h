#pragma once
// The device node behind a physical drive: found by walking the present
// interfaces of the disk class and matching their device numbers.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowsApi.h"

namespace plumvane::inventory {

// SP_DEVICE_INTERFACE_DETAIL_DATA_A as a fixed buffer: cbSize, then the
// device path (260 ANSI characters with its NUL).
namespace sp_device_interface_detail_data {
inline constexpr std::size_t kCbSize = 0;
inline constexpr std::size_t kDevicePath = 4;
inline constexpr std::size_t kDevicePathChars = 260;
inline constexpr std::size_t kBufferSize = kDevicePath + kDevicePathChars;
// The size of the structure's fixed part (cbSize) for the target Windows.
inline constexpr platform::DWORD kFixedPartSize = platform::kSpDeviceInterfaceDetailDataACbSize;
static_assert(kBufferSize == 264);
}  // namespace sp_device_interface_detail_data

// The room given to CM_Get_Device_IDA for a device instance id, its NUL
// included.
inline constexpr std::size_t kDeviceInstanceIdChars = 260;

// DevInst of the disk-class interface whose device number is driveNumber;
// 0 when none matches or the walk cannot be made.
std::int32_t FindDiskDevInst(platform::WindowsApi& api, std::int32_t driveNumber);

// Device number -> DevInst for every disk-class interface that answers a
// number, the first in enumeration order winning: what FindDiskDevInst
// would give for each number, from one walk. Empty when the walk cannot be
// made; interfaces that fail a step are left out.
using DiskDevInstMap = std::map<std::int32_t, std::int32_t>;
DiskDevInstMap MapDiskDevInsts(platform::WindowsApi& api);

// One disk-class interface that answered a device number: its path, as the
// walk opened it, and its device node.
struct DiskInterface {
    std::int32_t number = 0;
    std::int32_t devInst = 0;
    std::string path;
};
// Every such interface in enumeration order, by the walk the scan makes.
std::vector<DiskInterface> ListDiskInterfaces(platform::WindowsApi& api);

// The device instance identifier; empty unless the configuration manager
// answers CR_SUCCESS.
std::string GetDeviceInstanceId(platform::WindowsApi& api, std::int32_t devInst);

}  // namespace plumvane::inventory
