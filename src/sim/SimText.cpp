// Text services of the simulated machine: its ANSI code page (Windows-1252)
// and the system message table.

#include <cstdint>

#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

namespace {

// Windows-1252 0x80..0x9F; the five undefined bytes map to the C1 controls
// of the same value, as MultiByteToWideChar(1252) does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

const char* SystemMessage(DWORD id) {
    switch (id) {
        case 0:
            return "The operation completed successfully.";
        case 1:
            return "Incorrect function.";
        case 2:
            return "The system cannot find the file specified.";
        case 3:
            return "The system cannot find the path specified.";
        case 5:
            return "Access is denied.";
        case 6:
            return "The handle is invalid.";
        case 21:
            return "The device is not ready.";
        case 27:
            return "The drive cannot find the sector requested.";
        case 32:
            return "The process cannot access the file because it is being used by another "
                   "process.";
        case 50:
            return "The request is not supported.";
        case 80:
            return "The file exists.";
        case 87:
            return "The parameter is incorrect.";
        case 112:
            return "There is not enough space on the disk.";
        case 122:
            return "The data area passed to a system call is too small.";
        case 131:
            return "An attempt was made to move the file pointer before the beginning of the file.";
        case 183:
            return "Cannot create a file when that file already exists.";
        case 433:
            return "A device which does not exist was specified.";
        case 1155:
            return "No application is associated with the specified file for this operation.";
        case 1223:
            return "The operation was canceled by the user.";
        default:
            return nullptr;
    }
}

}  // namespace

std::string SimulatedWindows::DecodeAnsi(std::span<const Byte> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (Byte b : bytes) {
        AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char32_t{b});
    }
    return out;
}

DWORD SimulatedWindows::FormatMessageA(DWORD flags, DWORD messageId, std::string& text) {
    Impl::Call call(*this, "FormatMessageA", std::to_string(messageId));
    text.clear();
    if (auto e = call.Fault()) return call.Fail(*e, DWORD{0});
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM)) return call.Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    const char* message = SystemMessage(messageId);
    if (!message) return call.Fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
    text = std::string(message) + "\r\n";
    return call.Ok(static_cast<DWORD>(text.size()));
}

}  // namespace plumvane::sim
