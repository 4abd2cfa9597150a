#pragma once
// Move-only owners for Windows objects that the program opens and must close
// on every path. The empty value is part of the type: a device handle is empty
// at INVALID_HANDLE_VALUE (not at null), a device-information set likewise.
//
// Closing preserves the thread's last-error code, so a cleanup never replaces
// the code that a caller is about to show the user.

#include <string_view>
#include <utility>

#include "platform/WinDefs.h"

namespace plumvane::platform {

template <typename T, T Empty, BOOL (WindowsApi::*Close)(T)>
class UniqueResource {
public:
    explicit UniqueResource(WindowsApi& api, T value = Empty) noexcept
        : api_(&api), value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept
        : api_(other.api_), value_(std::exchange(other.value_, Empty)) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset();
            api_ = other.api_;
            value_ = std::exchange(other.value_, Empty);
        }
        return *this;
    }
    ~UniqueResource() { reset(); }

    [[nodiscard]] T get() const noexcept { return value_; }
    [[nodiscard]] bool valid() const noexcept { return value_ != Empty; }
    explicit operator bool() const noexcept { return valid(); }

    [[nodiscard]] T release() noexcept { return std::exchange(value_, Empty); }

    void reset(T value = Empty) noexcept {
        T old = std::exchange(value_, value);
        if (old != Empty) {
            const DWORD saved = api_->GetLastError();
            (api_->*Close)(old);
            api_->SetLastError(saved);
        }
    }

private:
    WindowsApi* api_;
    T value_;
};

using UniqueDeviceHandle = UniqueResource<Handle, INVALID_HANDLE_VALUE, &WindowsApi::CloseHandle>;
using UniqueFileHandle = UniqueDeviceHandle;
// A process token: null when empty, as OpenProcessToken leaves it on failure.
using UniqueTokenHandle = UniqueResource<Handle, NULL_HANDLE, &WindowsApi::CloseHandle>;

// Opens a drive, volume or device interface to query it: no access right is
// asked for, which every user may do, and the device stays shared for reading
// and writing. Empty when the open fails (GetLastError says why).
UniqueDeviceHandle OpenForQueries(WindowsApi& api, std::string_view path);
using UniqueDevInfoSet =
    UniqueResource<DevInfoSet, INVALID_DEVINFO_SET, &WindowsApi::SetupDiDestroyDeviceInfoList>;

}  // namespace plumvane::platform
