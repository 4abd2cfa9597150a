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

    // Every call reports its outcome in `error` (0 on success). Windows itself
    // leaves the last error untouched when ReadFile, WriteFile, FlushFileBuffers
    // or SetFilePointer succeed (except for the 0xFFFFFFFF position), so only a
    // failure's code, and Open's after OPEN_ALWAYS or CREATE_ALWAYS, belong in
    // the last error.
    //
    // Folders: every folder exists except those given to AddMissingFolder.

    // Each open file is identified by a positive id that SimulatedWindows maps
    // to a handle. On failure returns 0 and sets `error`. On success `error` is
    // what Windows leaves as the last error: ERROR_ALREADY_EXISTS (183) when
    // OPEN_ALWAYS or CREATE_ALWAYS found the file, else 0.
    std::uint32_t Open(std::string_view name, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes, DWORD& error);
    void Close(std::uint32_t id);
    BOOL Read(std::uint32_t id, std::span<std::uint8_t> buffer, DWORD toRead, DWORD* read,
              DWORD& error);
    BOOL Write(std::uint32_t id, std::span<const std::uint8_t> buffer, DWORD toWrite,
               DWORD* written, DWORD& error);
    // Returns the low 32 bits of the new position (high part through
    // distanceHigh when given), or INVALID_SET_FILE_POINTER with `error` set.
    // Without distanceHigh the distance is a signed 32-bit value and a new
    // position that does not fit in 32 bits is refused (87); a position before
    // the start is refused (131). A refused move leaves the position as it was.
    // On success `error` is 0 (Windows sets it only when the low part is
    // 0xFFFFFFFF, so a caller can tell that position from a failure).
    DWORD SetPointer(std::uint32_t id, LONG distance, LONG* distanceHigh, DWORD method,
                     DWORD& error);
    BOOL Flush(std::uint32_t id, DWORD& error);

    // For tests and scenarios.
    bool Exists(std::string_view name) const;
    std::vector<std::uint8_t> Contents(std::string_view name) const;
    void Put(std::string_view name, std::vector<std::uint8_t> contents);
    int OpenCount() const;
    // Names whose folder part lies in `folder` (e.g. "C:\\gone") fail to open
    // with ERROR_PATH_NOT_FOUND; every other folder is taken to exist.
    void AddMissingFolder(std::string_view folder);
    // Total bytes all files may hold; a write that would grow past it fails
    // with ERROR_DISK_FULL and writes nothing. Keeps a seek far out followed by
    // a write from allocating gigabytes.
    void SetCapacity(std::uint64_t bytes);
    static constexpr std::uint64_t kDefaultCapacity = 64u << 20;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plumvane::sim
