#include "platform/DevicePaths.h"

#include <cstdio>

namespace plumvane::platform {

std::string PhysicalDrivePath(std::string_view spelling, std::int32_t number) {
    return "\\\\.\\" + std::string(spelling) + std::to_string(number);
}

std::string GuidText(const Guid& g, HexCase letters) {
    const char* format = letters == HexCase::Upper
                             ? "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}"
                             : "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}";
    char buf[40];
    std::snprintf(buf, sizeof buf, format, static_cast<unsigned>(g.Data1), g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return buf;
}

}  // namespace plumvane::platform
