#include "platform/DevicePaths.h"

#include "platform/UniqueResource.h"

namespace plumvane::platform {

std::string PhysicalDrivePath(std::string_view spelling, std::int32_t number) {
    return "\\\\.\\" + std::string(spelling) + std::to_string(number);
}

UniqueDeviceHandle OpenForQueries(WindowsApi& api, std::string_view path) {
    return UniqueDeviceHandle(
        api, api.CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
}

}  // namespace plumvane::platform
