#pragma once
// The owner of a window's registration for device notifications,
// unregistered once by its destructor. Windows builds only.

#include "platform/UniqueWinObject_win.h"

namespace plumvane::platform {

inline void UnregisterNotification(HDEVNOTIFY n) noexcept { ::UnregisterDeviceNotification(n); }
using UniqueDeviceNotification = UniqueWinObject<HDEVNOTIFY, UnregisterNotification>;

}  // namespace plumvane::platform
