#pragma once
// The owner of a window's registration for device notifications: move-only,
// empty at null, unregistered once by its destructor, keeping the thread's
// last-error code. Windows builds only.

#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/KeepLastError_win.h"

namespace plumvane::platform {

class UniqueDeviceNotification {
public:
    UniqueDeviceNotification() noexcept = default;
    explicit UniqueDeviceNotification(HDEVNOTIFY n) noexcept : n_(n) {}
    UniqueDeviceNotification(const UniqueDeviceNotification&) = delete;
    UniqueDeviceNotification& operator=(const UniqueDeviceNotification&) = delete;
    UniqueDeviceNotification(UniqueDeviceNotification&& other) noexcept
        : n_(std::exchange(other.n_, nullptr)) {}
    UniqueDeviceNotification& operator=(UniqueDeviceNotification&& other) noexcept {
        if (this != &other) reset(std::exchange(other.n_, nullptr));
        return *this;
    }
    ~UniqueDeviceNotification() { reset(); }

    [[nodiscard]] HDEVNOTIFY get() const noexcept { return n_; }
    explicit operator bool() const noexcept { return n_ != nullptr; }

    void reset(HDEVNOTIFY n = nullptr) noexcept {
        if (HDEVNOTIFY old = std::exchange(n_, n)) {
            KeepLastError keep;
            ::UnregisterDeviceNotification(old);
        }
    }

private:
    HDEVNOTIFY n_ = nullptr;
};

}  // namespace plumvane::platform
