#pragma once
// Keeps the thread's last-error code across work that is not the caller's
// Windows call (text conversions, locale queries, freeing a buffer), so the
// code the caller reads next is the one its call set. Windows builds only;
// include after <windows.h>.

namespace plumvane::platform {

class KeepLastError {
public:
    KeepLastError() : saved_(::GetLastError()) {}
    ~KeepLastError() { ::SetLastError(saved_); }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    ::DWORD saved_;
};

}  // namespace plumvane::platform
