#pragma once
// Whether the process runs elevated, and its start again with the rights of
// an administrator. Windows starts programs unelevated, an administrator's
// too, and a drive opens for writing only to an elevated process; reading
// needs no rights, so the program starts without a prompt and asks only when
// a write needs it.

#include "platform/WindowsApi.h"

namespace plumvane::platform {

// The token's TokenElevation. Where the query fails (Windows without User
// Account Control, a token that cannot be read) the process counts as
// elevated: there is nothing to offer then.
bool ProcessRunsElevated(WindowsApi& api);

// Starts the program's own file (GetModuleFileNameW) with the "runas" verb,
// without arguments, in the current directory. ERROR_SUCCESS when it started;
// else the error of the call that failed (ERROR_CANCELLED: the user declined
// the User Account Control prompt).
DWORD StartSelfElevated(WindowsApi& api, Hwnd owner);

}  // namespace plumvane::platform
