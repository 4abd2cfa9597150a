#pragma once
// Owners for GDI objects and device contexts, like the handle owners of
// UniqueResource.h: move-only, empty at null, given back once by the
// destructor and never by hand. Freeing keeps the thread's last-error code.
// Windows builds only.

#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/KeepLastError_win.h"
#include "platform/UniqueWinObject_win.h"

namespace plumvane::platform {

// A font, brush, pen or bitmap the program created: DeleteObject frees it.
inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
template <typename T>
using UniqueGdiObject = UniqueWinObject<T, DeleteGdiObject>;

using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;

// A window's device context from GetDC (the screen's for a null window),
// given back to that window with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) {
            KeepLastError keep;
            ::ReleaseDC(window_, dc_);
        }
    }

    [[nodiscard]] HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace plumvane::platform
