#include "platform/TextConversion_win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/KeepLastError_win.h"

namespace plumvane::platform {

namespace {

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int n =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              n);
    }
    return wide;
}

std::string Narrow(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                              n, nullptr, nullptr);
    }
    return text;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    KeepLastError keep;
    return Widen(utf8, CP_UTF8);
}

std::string WideToUtf8(std::wstring_view wide) {
    KeepLastError keep;
    return Narrow(wide, CP_UTF8);
}

std::string Utf8ToAnsi(std::string_view utf8) {
    KeepLastError keep;
    return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::string AnsiToUtf8(std::string_view ansi) {
    KeepLastError keep;
    return Narrow(Widen(ansi, CP_ACP), CP_UTF8);
}

std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage) {
    KeepLastError keep;
    return Narrow(Widen(utf8, CP_UTF8), codePage);
}

}  // namespace plumvane::platform
