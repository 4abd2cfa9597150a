#pragma once
// The error clsFile64 raises: a number, the source "Win32File Object" and a
// description, as a C++ exception so that the failing member stops there.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace plumvane::fileio {

// An operation on an object that holds no open file.
inline constexpr std::int32_t kErrNoOpenFile = 45603;
// Windows refused a relative move.
inline constexpr std::int32_t kErrSeek = 45604;

inline constexpr char kFileErrorSource[] = "Win32File Object";

class FileError : public std::runtime_error {
public:
    FileError(std::int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    std::int32_t number() const noexcept { return number_; }
    std::string source() const { return kFileErrorSource; }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string description_;
};

}  // namespace plumvane::fileio
