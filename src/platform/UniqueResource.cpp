#include "platform/UniqueResource.h"

namespace plumvane::platform {

UniqueDeviceHandle OpenForQueries(WindowsApi& api, std::string_view path) {
    return UniqueDeviceHandle(
        api, api.CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
}

}  // namespace plumvane::platform
