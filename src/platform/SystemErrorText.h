#pragma once
// The system's text for an error code, for messages that show the code.

#include <string>

#include "platform/WindowsApi.h"

namespace plumvane::platform {

// FormatMessageA's text on one line, without trailing blanks; "unknown
// error" when the system has none.
std::string SystemErrorText(WindowsApi& api, DWORD code);

}  // namespace plumvane::platform
