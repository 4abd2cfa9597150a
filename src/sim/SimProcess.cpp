// The simulated process itself: its token (elevated or not, as the machine
// says), its own file, and the programs it starts through the shell.

#include "platform/ByteLayout.h"
#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

DWORD SimulatedWindows::GetModuleFileNameW(std::nullptr_t, std::string& fileName) {
    Impl::Call call(*this, "GetModuleFileNameW", "null");
    fileName.clear();
    if (auto e = call.Fault()) return call.Fail(*e, DWORD{0});
    fileName = kProgramPath;
    return call.Ok(static_cast<DWORD>(fileName.size()));
}

BOOL SimulatedWindows::OpenProcessToken(DWORD desiredAccess, Handle& token) {
    Impl::Call call(*this, "OpenProcessToken", "current process");
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    token = impl_->Add(Impl::OpenHandle(Impl::Kind::Token, "process token", desiredAccess));
    return call.Ok(TRUE);
}

BOOL SimulatedWindows::GetTokenInformation(Handle token, DWORD tokenInformationClass,
                                           std::span<Byte> information, DWORD* returnLength) {
    Impl::Call call(*this, "GetTokenInformation", std::to_string(tokenInformationClass));
    if (returnLength) *returnLength = 0;
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    const Impl::OpenHandle* entry = impl_->Find(token);
    if (!entry || entry->kind != Impl::Kind::Token) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if ((entry->access & TOKEN_QUERY) == 0) return call.Fail(ERROR_ACCESS_DENIED, FALSE);
    if (tokenInformationClass != TokenElevation) return call.Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (returnLength) *returnLength = kTokenElevationSize;
    if (information.size() < kTokenElevationSize) {
        return call.Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    }
    WriteU32LE(information, 0, machine_.elevated ? 1u : 0u);
    return call.Ok(TRUE);
}

BOOL SimulatedWindows::ShellExecuteExW(Hwnd, std::string_view verb, std::string_view file,
                                       std::string_view, std::string_view) {
    Impl::Call call(*this, "ShellExecuteExW", std::string(verb) + " " + std::string(file));
    ShellStart& start = shellStarts_.emplace_back(ShellStart{std::string(verb), std::string(file)});
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    if (machine_.elevateError != ERROR_SUCCESS) return call.Fail(machine_.elevateError, FALSE);
    start.ok = true;
    return call.Ok(TRUE);
}

}  // namespace plumvane::sim
