#include "sim/SimFileSystem.h"

#include <algorithm>
#include <cctype>

#include "platform/AsciiCase.h"
#include "platform/WinDefs.h"

namespace plumvane::sim {

namespace {

namespace pf = platform;

// Rights that only the file system needs.
constexpr pf::DWORD kGenericAll = 0x10000000u;
constexpr pf::DWORD kFileReadData = 0x1;
constexpr pf::DWORD kFileWriteData = 0x2;
constexpr pf::DWORD kFileAppendData = 0x4;
constexpr pf::DWORD kDelete = 0x00010000u;
constexpr pf::DWORD kFileShareDelete = 0x4;

struct Rights {
    bool read = false;
    bool write = false;
    bool del = false;
};

Rights RightsOf(pf::DWORD access) {
    const bool all = (access & kGenericAll) != 0;
    return {all || (access & (pf::GENERIC_READ | kFileReadData)) != 0,
            all || (access & (pf::GENERIC_WRITE | kFileWriteData | kFileAppendData)) != 0,
            all || (access & kDelete) != 0};
}

// Windows compares names without regard to case and takes '/' for '\'.
std::string Key(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c == '/') c = '\\';
        c = platform::AsciiUpper(c);
    }
    return key;
}

std::string FolderOf(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool IsInFolder(const std::string& folder, const std::string& missing) {
    if (folder.size() < missing.size()) return false;
    if (folder.compare(0, missing.size(), missing) != 0) return false;
    return folder.size() == missing.size() || folder[missing.size()] == '\\';
}

bool HasInvalidCharacter(const std::string& key) {
    const auto slash = key.rfind('\\');
    const std::string_view last =
        std::string_view(key).substr(slash == std::string::npos ? 0 : slash + 1);
    return last.find_first_of("*?<>|\"") != std::string_view::npos;
}

}  // namespace

struct SimFileSystem::Impl {
    struct File {
        std::string name;  // as first created
        std::vector<std::uint8_t> bytes;
    };
    struct OpenFile {
        std::string key;
        Rights rights;
        DWORD shareMode = 0;
        std::uint64_t position = 0;
    };

    std::map<std::string, File> files;
    std::map<std::uint32_t, OpenFile> open;
    std::vector<std::string> missingFolders;
    std::uint64_t capacity = kDefaultCapacity;
    std::uint32_t nextId = 1;

    std::uint64_t UsedBytes() const {
        std::uint64_t used = 0;
        for (const auto& [key, file] : files) used += file.bytes.size();
        return used;
    }

    // The sharing check is symmetric: the newcomer must allow what every
    // present opener does, and every present opener must allow the newcomer.
    // An opener asking for no data access (attributes only) is never checked.
    bool SharingAllows(const std::string& key, Rights want, DWORD shareMode) const {
        if (!want.read && !want.write && !want.del) return true;
        for (const auto& [id, of] : open) {
            if (of.key != key) continue;
            if (want.read && !(of.shareMode & pf::FILE_SHARE_READ)) return false;
            if (want.write && !(of.shareMode & pf::FILE_SHARE_WRITE)) return false;
            if (want.del && !(of.shareMode & kFileShareDelete)) return false;
            if (of.rights.read && !(shareMode & pf::FILE_SHARE_READ)) return false;
            if (of.rights.write && !(shareMode & pf::FILE_SHARE_WRITE)) return false;
            if (of.rights.del && !(shareMode & kFileShareDelete)) return false;
        }
        return true;
    }
};

SimFileSystem::SimFileSystem() : impl_(std::make_unique<Impl>()) {}
SimFileSystem::~SimFileSystem() = default;

std::uint32_t SimFileSystem::Open(std::string_view name, DWORD desiredAccess, DWORD shareMode,
                                  DWORD creationDisposition, DWORD /*flagsAndAttributes*/,
                                  DWORD& error) {
    const std::string key = Key(name);
    if (key.empty()) {
        error = pf::ERROR_PATH_NOT_FOUND;
        return 0;
    }
    if (HasInvalidCharacter(key)) {
        error = pf::ERROR_INVALID_NAME;
        return 0;
    }
    if (creationDisposition < pf::CREATE_NEW || creationDisposition > pf::TRUNCATE_EXISTING) {
        error = pf::ERROR_INVALID_PARAMETER;
        return 0;
    }
    const std::string folder = FolderOf(key);
    for (const std::string& missing : impl_->missingFolders) {
        if (IsInFolder(folder, missing)) {
            error = pf::ERROR_PATH_NOT_FOUND;
            return 0;
        }
    }
    // A name ending in a backslash names a folder, which exists; Windows
    // refuses to open a folder as a file.
    if (key.back() == '\\') {
        error = pf::ERROR_ACCESS_DENIED;
        return 0;
    }

    const Rights rights = RightsOf(desiredAccess);
    const bool exists = impl_->files.count(key) != 0;
    switch (creationDisposition) {
        case pf::CREATE_NEW:
            if (exists) {
                error = pf::ERROR_FILE_EXISTS;
                return 0;
            }
            break;
        case pf::OPEN_EXISTING:
        case pf::TRUNCATE_EXISTING:
            if (!exists) {
                error = pf::ERROR_FILE_NOT_FOUND;
                return 0;
            }
            break;
        default:
            break;
    }
    if (creationDisposition == pf::TRUNCATE_EXISTING && !rights.write) {
        error = pf::ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (exists && !impl_->SharingAllows(key, rights, shareMode)) {
        error = pf::ERROR_SHARING_VIOLATION;
        return 0;
    }

    if (!exists) {
        impl_->files[key] = Impl::File{std::string(name), {}};
    } else if (creationDisposition == pf::CREATE_ALWAYS ||
               creationDisposition == pf::TRUNCATE_EXISTING) {
        impl_->files[key].bytes.clear();
    }
    const std::uint32_t id = impl_->nextId++;
    impl_->open[id] = Impl::OpenFile{key, rights, shareMode, 0};
    const bool foundExisting = exists && (creationDisposition == pf::OPEN_ALWAYS ||
                                          creationDisposition == pf::CREATE_ALWAYS);
    error = foundExisting ? pf::ERROR_ALREADY_EXISTS : pf::ERROR_SUCCESS;
    return id;
}

void SimFileSystem::Close(std::uint32_t id) { impl_->open.erase(id); }

SimFileSystem::BOOL SimFileSystem::Read(std::uint32_t id, std::span<std::uint8_t> buffer,
                                        DWORD toRead, DWORD* read, DWORD& error) {
    if (read) *read = 0;
    const auto it = impl_->open.find(id);
    if (it == impl_->open.end()) {
        error = pf::ERROR_INVALID_HANDLE;
        return pf::FALSE;
    }
    Impl::OpenFile& of = it->second;
    if (!of.rights.read) {
        error = pf::ERROR_ACCESS_DENIED;
        return pf::FALSE;
    }
    // Windows would write past the caller's buffer; refuse as it does for
    // memory it cannot write.
    if (toRead > buffer.size()) {
        error = pf::ERROR_NOACCESS;
        return pf::FALSE;
    }
    const std::vector<std::uint8_t>& bytes = impl_->files[of.key].bytes;
    std::uint64_t count = 0;
    if (of.position < bytes.size()) {
        count = std::min<std::uint64_t>(toRead, bytes.size() - of.position);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(of.position), count,
                    buffer.begin());
    }
    of.position += count;
    if (read) *read = static_cast<DWORD>(count);
    error = pf::ERROR_SUCCESS;
    return pf::TRUE;
}

SimFileSystem::BOOL SimFileSystem::Write(std::uint32_t id, std::span<const std::uint8_t> buffer,
                                         DWORD toWrite, DWORD* written, DWORD& error) {
    if (written) *written = 0;
    const auto it = impl_->open.find(id);
    if (it == impl_->open.end()) {
        error = pf::ERROR_INVALID_HANDLE;
        return pf::FALSE;
    }
    Impl::OpenFile& of = it->second;
    if (!of.rights.write) {
        error = pf::ERROR_ACCESS_DENIED;
        return pf::FALSE;
    }
    if (toWrite > buffer.size()) {
        error = pf::ERROR_NOACCESS;
        return pf::FALSE;
    }
    std::vector<std::uint8_t>& bytes = impl_->files[of.key].bytes;
    const std::uint64_t end = of.position + toWrite;
    if (toWrite != 0 && end > bytes.size()) {
        const std::uint64_t growth = end - bytes.size();
        if (impl_->UsedBytes() + growth > impl_->capacity) {
            error = pf::ERROR_DISK_FULL;
            return pf::FALSE;
        }
        bytes.resize(static_cast<std::size_t>(end));  // the gap reads as zeros
    }
    // Nothing is copied for an empty write, which may sit far past the end.
    if (toWrite != 0) {
        std::copy_n(buffer.begin(), toWrite,
                    bytes.begin() + static_cast<std::ptrdiff_t>(of.position));
    }
    of.position = end;
    if (written) *written = toWrite;
    error = pf::ERROR_SUCCESS;
    return pf::TRUE;
}

SimFileSystem::DWORD SimFileSystem::SetPointer(std::uint32_t id, LONG distance, LONG* distanceHigh,
                                               DWORD method, DWORD& error) {
    const auto it = impl_->open.find(id);
    if (it == impl_->open.end()) {
        error = pf::ERROR_INVALID_HANDLE;
        return pf::INVALID_SET_FILE_POINTER;
    }
    Impl::OpenFile& of = it->second;
    std::uint64_t base = 0;
    switch (method) {
        case pf::FILE_BEGIN:
            break;
        case pf::FILE_CURRENT:
            base = of.position;
            break;
        case pf::FILE_END:
            base = impl_->files[of.key].bytes.size();
            break;
        default:
            error = pf::ERROR_INVALID_PARAMETER;
            return pf::INVALID_SET_FILE_POINTER;
    }
    // With a high part the two halves form one signed 64-bit distance; without
    // it the distance alone is signed. Sums wrap like LARGE_INTEGER arithmetic.
    const std::int64_t move =
        distanceHigh
            ? static_cast<std::int64_t>(
                  (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                  static_cast<std::uint32_t>(distance))
            : static_cast<std::int64_t>(distance);
    const auto target = static_cast<std::int64_t>(base + static_cast<std::uint64_t>(move));
    if (target < 0) {
        error = pf::ERROR_NEGATIVE_SEEK;
        return pf::INVALID_SET_FILE_POINTER;
    }
    const auto position = static_cast<std::uint64_t>(target);
    if (!distanceHigh && position > 0xFFFFFFFFu) {
        error = pf::ERROR_INVALID_PARAMETER;
        return pf::INVALID_SET_FILE_POINTER;
    }
    of.position = position;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint32_t>(position >> 32));
    error = pf::ERROR_SUCCESS;
    return static_cast<DWORD>(position & 0xFFFFFFFFu);
}

SimFileSystem::BOOL SimFileSystem::Flush(std::uint32_t id, DWORD& error) {
    const auto it = impl_->open.find(id);
    if (it == impl_->open.end()) {
        error = pf::ERROR_INVALID_HANDLE;
        return pf::FALSE;
    }
    // Windows flushes only through a handle that may write.
    if (!it->second.rights.write) {
        error = pf::ERROR_ACCESS_DENIED;
        return pf::FALSE;
    }
    error = pf::ERROR_SUCCESS;
    return pf::TRUE;
}

bool SimFileSystem::Exists(std::string_view name) const {
    return impl_->files.count(Key(name)) != 0;
}

std::vector<std::uint8_t> SimFileSystem::Contents(std::string_view name) const {
    const auto it = impl_->files.find(Key(name));
    return it == impl_->files.end() ? std::vector<std::uint8_t>{} : it->second.bytes;
}

void SimFileSystem::Put(std::string_view name, std::vector<std::uint8_t> contents) {
    Impl::File& file = impl_->files[Key(name)];
    if (file.name.empty()) file.name = std::string(name);
    file.bytes = std::move(contents);
}

int SimFileSystem::OpenCount() const { return static_cast<int>(impl_->open.size()); }

void SimFileSystem::AddMissingFolder(std::string_view folder) {
    std::string key = Key(folder);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    impl_->missingFolders.push_back(std::move(key));
}

void SimFileSystem::SetCapacity(std::uint64_t bytes) { impl_->capacity = bytes; }

}  // namespace plumvane::sim
