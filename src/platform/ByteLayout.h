#pragma once
// Little-endian field access at explicit byte offsets. Structures that cross
// the device boundary are handled as byte images, so the same code is right on
// any host. Callers check that offset + width lies inside the buffer.

#include <cstddef>
#include <cstdint>
#include <span>

namespace plumvane::platform {

inline std::uint8_t ReadU8(std::span<const std::uint8_t> b, std::size_t off) { return b[off]; }

inline std::uint16_t ReadU16LE(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}

inline std::uint32_t ReadU32LE(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint32_t>(b[off]) | (static_cast<std::uint32_t>(b[off + 1]) << 8) |
           (static_cast<std::uint32_t>(b[off + 2]) << 16) |
           (static_cast<std::uint32_t>(b[off + 3]) << 24);
}

inline std::int32_t ReadI32LE(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::int32_t>(ReadU32LE(b, off));
}

inline std::uint64_t ReadU64LE(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint64_t>(ReadU32LE(b, off)) |
           (static_cast<std::uint64_t>(ReadU32LE(b, off + 4)) << 32);
}

inline std::int64_t ReadI64LE(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::int64_t>(ReadU64LE(b, off));
}

inline void WriteU16LE(std::span<std::uint8_t> b, std::size_t off, std::uint16_t v) {
    b[off] = static_cast<std::uint8_t>(v);
    b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteU32LE(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void WriteI32LE(std::span<std::uint8_t> b, std::size_t off, std::int32_t v) {
    WriteU32LE(b, off, static_cast<std::uint32_t>(v));
}

inline void WriteU64LE(std::span<std::uint8_t> b, std::size_t off, std::uint64_t v) {
    WriteU32LE(b, off, static_cast<std::uint32_t>(v));
    WriteU32LE(b, off + 4, static_cast<std::uint32_t>(v >> 32));
}

inline void WriteI64LE(std::span<std::uint8_t> b, std::size_t off, std::int64_t v) {
    WriteU64LE(b, off, static_cast<std::uint64_t>(v));
}

}  // namespace plumvane::platform
