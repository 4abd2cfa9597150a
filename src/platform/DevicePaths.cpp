#include "platform/DevicePaths.h"

namespace plumvane::platform {

std::string PhysicalDrivePath(std::string_view spelling, std::int32_t number) {
    return "\\\\.\\" + std::string(spelling) + std::to_string(number);
}

}  // namespace plumvane::platform
