#include "platform/Elevation.h"

#include <array>
#include <string>

#include "platform/ByteLayout.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::platform {

bool ProcessRunsElevated(WindowsApi& api) {
    Handle opened = NULL_HANDLE;
    if (!CallSucceeded(api.OpenProcessToken(TOKEN_QUERY, opened))) return true;
    const UniqueTokenHandle token(api, opened);
    std::array<Byte, kTokenElevationSize> elevation{};
    DWORD returned = 0;
    if (!CallSucceeded(
            api.GetTokenInformation(token.get(), TokenElevation, elevation, &returned)) ||
        returned != kTokenElevationSize) {
        return true;
    }
    return ReadU32LE(elevation, 0) != 0;
}

DWORD StartSelfElevated(WindowsApi& api, Hwnd owner) {
    std::string self;
    if (api.GetModuleFileNameW(nullptr, self) == 0 || self.empty()) {
        const DWORD error = api.GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND;
    }
    if (CallSucceeded(api.ShellExecuteExW(owner, "runas", self, {}, {}))) return ERROR_SUCCESS;
    const DWORD error = api.GetLastError();
    // A failure must never read as a start.
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_FUNCTION;
}
}  // namespace plumvane::platform
