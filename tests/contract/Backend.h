#pragma once
// The backend a contract test runs on: the simulated machine natively, the
// real Windows functions under Wine.

#include <memory>
#include <string>

#include "platform/WindowsApi.h"

namespace plumvane::contract {

std::unique_ptr<platform::WindowsApi> MakeBackend();
bool BackendIsSimulated();
// A folder (with a trailing backslash) where file tests may create files;
// each call gives a fresh, empty one.
std::string FreshTempFolder();

}  // namespace plumvane::contract
