#pragma once
// The screen DPIs the window lays itself out at: Windows' scale settings run
// from 100 % (96 DPI) to 500 %. Portable; the scenario files and the toolkits
// share it.

namespace plumvane::platform {

inline constexpr int kDefaultScreenDpi = 96;
inline constexpr int kMinScreenDpi = 96;
inline constexpr int kMaxScreenDpi = 480;
inline constexpr bool ScreenDpiInRange(int dpi) {
    return dpi >= kMinScreenDpi && dpi <= kMaxScreenDpi;
}

}  // namespace plumvane::platform
