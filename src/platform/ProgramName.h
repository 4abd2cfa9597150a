#pragma once
// The program's name as the user sees it: the window's caption and the
// caption of every message box it shows.

namespace plumvane::platform {

inline constexpr const char* kProgramName = "Plumvane";

}  // namespace plumvane::platform
