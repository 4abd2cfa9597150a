#pragma once
// Owners for GDI objects and device contexts: given back once, never by
// hand, keeping the thread's last-error code. Windows builds only.

#include "platform/UniqueWinObject_win.h"  // <windows.h>, then KeepLastError

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
