#pragma once
// The platform seam for a console program: every call goes to the Windows
// it wraps, except message boxes, which would stop a script until someone
// answers them, and program starts, whose prompt would do the same. The
// libraries' boxes are kept as notes for standard error.

#include <string>
#include <vector>

#include "platform/ForwardingWindows.h"
#include "platform/WinDefs.h"

namespace plumvane::cli {

class ConsoleWindows final : public platform::ForwardingWindows {
public:
    explicit ConsoleWindows(platform::WindowsApi& windows) : ForwardingWindows(windows) {}

    // "caption: text" of every box that was not shown, in order.
    const std::vector<std::string>& notes() const { return notes_; }

    int MessageBoxA(platform::Hwnd, std::string_view text, std::string_view caption,
                    platform::UINT) override {
        notes_.push_back(std::string(caption) + ": " + std::string(text));
        return platform::IDOK;
    }
    platform::BOOL ShellExecuteExW(platform::Hwnd, std::string_view, std::string_view,
                                   std::string_view, std::string_view) override {
        SetLastError(platform::ERROR_ACCESS_DENIED);
        return platform::FALSE;
    }

private:
    std::vector<std::string> notes_;
};

}  // namespace plumvane::cli
