#include "platform/SystemErrorText.h"

#include "platform/WinDefs.h"

namespace plumvane::platform {

std::string SystemErrorText(WindowsApi& api, DWORD code) {
    std::string text;
    api.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, code, text);
    for (char& ch : text) {
        if (ch == '\r' || ch == '\n') ch = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text.empty() ? "unknown error" : text;
}

}  // namespace plumvane::platform
