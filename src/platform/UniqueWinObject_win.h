#pragma once
// The owner of a user32 or gdi32 object that is null when empty (a font, a
// brush, a device-notification registration), like the handle owners of
// UniqueResource.h: move-only, given back once by the destructor and never
// by hand. Giving back keeps the thread's last-error code, so a cleanup never
// replaces the code a failed call just set. Windows builds only.

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

template <typename T, auto Free>
class UniqueWinObject {
public:
    UniqueWinObject() noexcept = default;
    explicit UniqueWinObject(T object) noexcept : object_(object) {}
    UniqueWinObject(const UniqueWinObject&) = delete;
    UniqueWinObject& operator=(const UniqueWinObject&) = delete;
    UniqueWinObject(UniqueWinObject&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    UniqueWinObject& operator=(UniqueWinObject&& other) noexcept {
        if (this != &other) reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    ~UniqueWinObject() { reset(); }

    [[nodiscard]] T get() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

    void reset(T object = nullptr) noexcept {
        if (T old = std::exchange(object_, object)) {
            KeepLastError keep;
            Free(old);
        }
    }

private:
    T object_ = nullptr;
};

}  // namespace plumvane::platform
