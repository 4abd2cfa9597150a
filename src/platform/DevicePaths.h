#pragma once
// The names the program opens devices by.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/HexText.h"
#include "platform/WindowsApi.h"

namespace plumvane::platform {

// The object manager matches these names without regard to case, but filter
// drivers and logs see exactly what is sent: the scan sends its spelling, the
// hotplug flags the other, and each keeps to its own.
inline constexpr std::string_view kScanDriveSpelling = "PHYSICALDRIVE";
inline constexpr std::string_view kFlagsDriveSpelling = "PhysicalDrive";

// "\\.\<spelling><number>", e.g. \\.\PHYSICALDRIVE3.
std::string PhysicalDrivePath(std::string_view spelling, std::int32_t number);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", any letter case.
constexpr std::optional<Guid> ParseGuidText(std::wstring_view s) {
    if (s.size() != 38 || s.front() != L'{' || s.back() != L'}') return std::nullopt;
    std::uint8_t bytes[16] = {};
    std::size_t b = 0;
    for (std::size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (s[i] != L'-') return std::nullopt;
            ++i;
            continue;
        }
        const int hi = HexDigitValue(s[i]);
        const int lo = HexDigitValue(s[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[b++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    Guid g;
    g.Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
              (std::uint32_t(bytes[2]) << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", the form ParseGuidText reads.
std::string GuidText(const Guid& g, HexCase letters = HexCase::Lower);

// The disk-class device interface. The program hands Windows the text (to
// CLSIDFromString); the value is what that text stands for.
inline constexpr std::wstring_view kDiskInterfaceClassText =
    L"{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
inline constexpr Guid kDiskInterfaceClass = *ParseGuidText(kDiskInterfaceClassText);

}  // namespace plumvane::platform
