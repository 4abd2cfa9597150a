#pragma once
// A simulated Windows whose device I/O controls answer as a driver that bends
// the rules would: each answer passes through `bend` before the caller sees it.

#include <functional>
#include <span>

#include "sim/SimulatedWindows.h"

namespace plumvane::sim::testing {

class BentDriverWindows : public SimulatedWindows {
public:
    // The control code, the caller's output buffer and the simulation's
    // result; gives the result the caller sees.
    std::function<platform::BOOL(platform::DWORD code, std::span<platform::Byte> out,
                                 platform::BOOL result)>
        bend;

    platform::BOOL DeviceIoControl(platform::Handle h, platform::DWORD code,
                                   std::span<const platform::Byte> in,
                                   std::span<platform::Byte> out,
                                   platform::DWORD* bytesReturned) override {
        const platform::BOOL result =
            SimulatedWindows::DeviceIoControl(h, code, in, out, bytesReturned);
        return bend ? bend(code, out, result) : result;
    }
};

}  // namespace plumvane::sim::testing
