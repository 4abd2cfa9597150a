#pragma once
// The seam's window handle and GUID as the SDK's types and back, for every
// module that hands them to Windows. Windows builds only; include after
// <windows.h>.

#include <cstdint>
#include <cstring>

#include "platform/WindowsApi.h"

namespace plumvane::platform {

inline HWND ToHwnd(Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }
inline Hwnd FromHwnd(HWND h) { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h)); }

inline ::GUID ToGuid(const Guid& g) {
    ::GUID out{};
    out.Data1 = g.Data1;
    out.Data2 = g.Data2;
    out.Data3 = g.Data3;
    std::memcpy(out.Data4, g.Data4, sizeof out.Data4);
    return out;
}

inline Guid FromGuid(const ::GUID& g) {
    Guid out;
    out.Data1 = static_cast<std::uint32_t>(g.Data1);
    out.Data2 = g.Data2;
    out.Data3 = g.Data3;
    std::memcpy(out.Data4, g.Data4, sizeof out.Data4);
    return out;
}

}  // namespace plumvane::platform
