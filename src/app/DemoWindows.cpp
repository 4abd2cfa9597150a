#include "app/DemoWindows.h"

#include "platform/WinDefs.h"

namespace plumvane::app {

int DemoWindows::MessageBoxA(Hwnd owner, std::string_view text, std::string_view caption,
                             UINT type) {
    const int recorded = sim_.MessageBoxA(owner, text, caption, type);
    // A fault the scenario injects into message boxes wins over the real box.
    if (!showMessageBoxes_ || recorded == 0) return recorded;
    return real_.MessageBoxA(owner, text, caption, type);
}

platform::BOOL DemoWindows::ShellExecuteExW(Hwnd owner, std::string_view verb,
                                            std::string_view file, std::string_view parameters,
                                            std::string_view directory) {
    const platform::BOOL recorded = sim_.ShellExecuteExW(owner, verb, file, parameters, directory);
    if (!showMessageBoxes_ || !platform::CallSucceeded(recorded)) return recorded;
    // The simulation's file stands for the product; the demo starts itself.
    std::string self;
    if (real_.GetModuleFileNameW(nullptr, self) == 0) return platform::FALSE;
    return real_.ShellExecuteExW(owner, verb, self, restartParameters_, directory);
}

platform::HRESULT DemoWindows::SetWindowTheme(Hwnd window, std::wstring_view subAppName,
                                              std::wstring_view subIdList) {
    // The simulation answers first, so a fault the scenario injects leaves the
    // real control themed, just as the record says.
    const HRESULT recorded = sim_.SetWindowTheme(window, subAppName, subIdList);
    if (recorded != 0) return recorded;
    return real_.SetWindowTheme(window, subAppName, subIdList);
}

}  // namespace plumvane::app
