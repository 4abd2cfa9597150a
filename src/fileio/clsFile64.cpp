#include "fileio/clsFile64.h"

#include <stdexcept>
#include <string>

#include "platform/WinDefs.h"

namespace plumvane::fileio {

namespace pf = platform;

namespace {

constexpr char kCrLf[] = "\r\n";

// A count past the end of the caller's buffer would make Windows read or
// write memory that is not the buffer's.
void RequireWithin(std::uint32_t count, std::size_t bufferSize, const char* member) {
    if (count > bufferSize) {
        throw std::invalid_argument(std::string(member) + ": byte count " + std::to_string(count) +
                                    " exceeds the buffer of " + std::to_string(bufferSize) +
                                    " bytes");
    }
}

}  // namespace

clsFile64::clsFile64(pf::WindowsApi& api) : api_(api), handle_(api) {}

pf::Handle clsFile64::FileHandle() const {
    RequireOpenFile();
    return handle_.get();
}

std::string clsFile64::FileName() const {
    RequireOpenFile();
    return fileName_;
}

bool clsFile64::IsOpen() const noexcept { return handle_.valid(); }

bool clsFile64::AutoFlush() const {
    RequireOpenFile();
    return autoFlush_;
}

void clsFile64::AutoFlush(bool NewVal) {
    RequireOpenFile();
    autoFlush_ = NewVal;
}

bool clsFile64::OpenFile(std::string_view sFileName, std::uint32_t FileFlags) {
    // Opening over a held file would lose its handle; keep the first file.
    if (IsOpen()) return false;
    handle_.reset(api_.CreateFileA(sFileName, pf::GENERIC_READ | pf::GENERIC_WRITE, 0,
                                   pf::OPEN_ALWAYS, FileFlags | pf::FILE_ATTRIBUTE_NORMAL));
    fileName_ = std::string(sFileName);
    return IsOpen();
}

void clsFile64::CloseFile() {
    RequireOpenFile();
    handle_.reset();
    fileName_.clear();
    autoFlush_ = false;
}

std::uint32_t clsFile64::ReadBytes(std::uint32_t ByteCount, std::span<std::uint8_t> Bytes) {
    RequireOpenFile();
    RequireWithin(ByteCount, Bytes.size(), "ReadBytes");
    pf::DWORD read = 0;
    api_.ReadFile(handle_.get(), Bytes, ByteCount, &read);
    return read;
}

std::uint32_t clsFile64::WriteBytesN(std::uint32_t BytesToDeal,
                                     std::span<const std::uint8_t> DataBytes) {
    RequireOpenFile();
    RequireWithin(BytesToDeal, DataBytes.size(), "WriteBytesN");
    pf::DWORD written = 0;
    api_.WriteFile(handle_.get(), DataBytes, BytesToDeal, &written);
    if (autoFlush_) Flush();
    return written;
}

void clsFile64::WriteBytes(std::span<const std::uint8_t> DataBytes) {
    RequireOpenFile();
    pf::DWORD written = 0;
    api_.WriteFile(handle_.get(), DataBytes, static_cast<pf::DWORD>(DataBytes.size()), &written);
    if (autoFlush_) Flush();
}

void clsFile64::Flush() {
    RequireOpenFile();
    api_.FlushFileBuffers(handle_.get());
}

void clsFile64::SeekAbsolute(std::int32_t HighPos, std::uint32_t LowPos) {
    RequireOpenFile();
    pf::LONG high = HighPos;
    api_.SetFilePointer(handle_.get(), static_cast<pf::LONG>(LowPos), &high, pf::FILE_BEGIN);
}

void clsFile64::SeekRelative(std::int32_t Offset) {
    RequireOpenFile();
    // 0xFFFFFFFF is also a valid position; only a non-zero last error after
    // the call tells a refusal. Clear it first so a stale code cannot count.
    api_.SetLastError(pf::ERROR_SUCCESS);
    const pf::DWORD low = api_.SetFilePointer(handle_.get(), Offset, nullptr, pf::FILE_CURRENT);
    if (low != pf::INVALID_SET_FILE_POINTER) return;
    const pf::DWORD code = api_.GetLastError();
    if (code != pf::ERROR_SUCCESS) {
        const std::string number = std::to_string(code);
        RaiseError(kErrSeek, "Error " + number + "." + kCrLf + number);
    }
}

void clsFile64::RaiseError(std::int32_t number, std::string_view detail) const {
    if (number == kErrSeek) {
        throw FileError(kErrSeek, "Seek Error." + std::string(kCrLf) + std::string(detail));
    }
    throw FileError(kErrNoOpenFile, "There is no open file.");
}

void clsFile64::RequireOpenFile() const {
    if (!IsOpen()) RaiseError(kErrNoOpenFile);
}

}  // namespace plumvane::fileio
