#pragma once
// The simulated machine's small in-memory file system: files by name, share
// modes, and one file position per open handle, with Windows' error codes.
// SimulatedWindows routes the file calls on file handles here.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowsApi.h"

namespace plumvane::sim {

class SimFileSystem {
public:
    using DWORD = platform::DWORD;
    using LONG = platform::LONG;
    using BOOL = platform::BOOL;

    SimFileSystem();
    ~SimFileSystem();

    // Each open file is identified by a positive id that SimulatedWindows maps
    // to a handle. On failure returns 0 and sets `error`.
    std::uint32_t Open(std::string_view name, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes, DWORD& error);
    void Close(std::uint32_t id);
    BOOL Read(std::uint32_t id, std::span<std::uint8_t> buffer, DWORD toRead, DWORD* read,
              DWORD& error);
    BOOL Write(std::uint32_t id, std::span<const std::uint8_t> buffer, DWORD toWrite,
               DWORD* written, DWORD& error);
    // Returns the low 32 bits of the new position (high part through
    // distanceHigh when given), or INVALID_SET_FILE_POINTER with `error` set.
    DWORD SetPointer(std::uint32_t id, LONG distance, LONG* distanceHigh, DWORD method,
                     DWORD& error);
    BOOL Flush(std::uint32_t id, DWORD& error);

    // For tests and scenarios.
    bool Exists(std::string_view name) const;
    std::vector<std::uint8_t> Contents(std::string_view name) const;
    void Put(std::string_view name, std::vector<std::uint8_t> contents);
    int OpenCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plumvane::sim
