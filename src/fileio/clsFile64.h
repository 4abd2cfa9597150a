#pragma once
// One Windows file, opened for reading and writing with no sharing, with
// 64-bit absolute positioning. Use on an object without an open file raises
// FileError 45603; a relative move that Windows refuses raises 45604. Other
// Windows failures show only in OpenFile's result and the byte counts.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fileio/FileError.h"
#include "platform/UniqueResource.h"
#include "platform/WindowsApi.h"

namespace plumvane::fileio {

class clsFile64 {
public:
    explicit clsFile64(platform::WindowsApi& api);
    // Closes a file that is still open, without flushing and without raising.
    ~clsFile64() = default;
    clsFile64(const clsFile64&) = delete;
    clsFile64& operator=(const clsFile64&) = delete;

    platform::Handle FileHandle() const;
    std::string FileName() const;
    bool IsOpen() const noexcept;
    bool AutoFlush() const;
    void AutoFlush(bool NewVal);

    // False when a file was already open (that file stays open, untouched, and
    // nothing is opened) or when Windows refuses the open.
    bool OpenFile(std::string_view sFileName, std::uint32_t FileFlags);
    void CloseFile();
    // ByteCount beyond the buffer is refused with std::invalid_argument before
    // anything is read or written.
    std::uint32_t ReadBytes(std::uint32_t ByteCount, std::span<std::uint8_t> Bytes);
    std::uint32_t WriteBytesN(std::uint32_t BytesToDeal, std::span<const std::uint8_t> DataBytes);
    void WriteBytes(std::span<const std::uint8_t> DataBytes);
    void Flush();
    // Position HighPos * 2^32 + LowPos; a refused move is not reported.
    void SeekAbsolute(std::int32_t HighPos, std::uint32_t LowPos);
    // Fails (45604) when the new position would be before the start or would
    // not fit in 32 bits.
    void SeekRelative(std::int32_t Offset);

private:
    [[noreturn]] void RaiseError(std::int32_t number, std::string_view detail = {}) const;
    void RequireOpenFile() const;

    platform::WindowsApi& api_;
    platform::UniqueFileHandle handle_;
    std::string fileName_;
    bool autoFlush_ = false;
};

}  // namespace plumvane::fileio
