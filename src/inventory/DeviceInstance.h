#pragma once
// The device node behind a physical drive: found by walking the present
// interfaces of the disk class and matching their device numbers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowsApi.h"

namespace plumvane::inventory {

inline constexpr std::wstring_view kDiskInterfaceClass = L"{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

// SP_DEVICE_INTERFACE_DETAIL_DATA_A as a fixed buffer: cbSize, then the
// device path (260 ANSI characters with its NUL).
namespace sp_device_interface_detail_data {
inline constexpr std::size_t kCbSize = 0;
inline constexpr std::size_t kDevicePath = 4;
inline constexpr std::size_t kDevicePathChars = 260;
inline constexpr std::size_t kBufferSize = kDevicePath + kDevicePathChars;
// Pointer width of the Windows the buffer goes to. A Windows build hands it
// to setupapi as it is; other builds talk to the simulated machine, whose
// detail structure is that of 32-bit Windows on every host.
#if defined(_WIN32)
inline constexpr std::size_t kTargetPointerSize = sizeof(void*);
#else
inline constexpr std::size_t kTargetPointerSize = 4;
#endif
// The size of the structure's fixed part (cbSize): byte-packed on 32-bit
// Windows, padded to pointer alignment on 64-bit.
inline constexpr platform::DWORD kFixedPartSize = kTargetPointerSize == 4 ? 5 : 8;
static_assert(kBufferSize == 264);
static_assert(kTargetPointerSize != 4 || kFixedPartSize == 5);
static_assert(kTargetPointerSize != 8 || kFixedPartSize == 8);
}  // namespace sp_device_interface_detail_data

// DevInst of the disk-class interface whose device number is driveNumber;
// 0 when none matches or the walk cannot be made.
std::int32_t FindDiskDevInst(platform::WindowsApi& api, std::int32_t driveNumber);

// The device instance identifier; empty unless the configuration manager
// answers CR_SUCCESS.
std::string GetDeviceInstanceId(platform::WindowsApi& api, std::int32_t devInst);

// "ACCESS_DENIED" for the codes the program knows, the decimal code otherwise.
std::string Win32ErrorName(std::int32_t code);

}  // namespace plumvane::inventory
