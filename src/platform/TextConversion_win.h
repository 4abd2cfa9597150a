#pragma once
// Text inside the program is UTF-8. These convert it for the Windows calls
// that take UTF-16 (the W functions) or the ANSI code page (the A functions),
// and back; nobody calls MultiByteToWideChar or WideCharToMultiByte by hand.
// Windows builds only. Each keeps the thread's last-error code, so a
// conversion next to a Windows call never replaces the code that call set.
// Text that does not convert comes back empty.

#include <string>
#include <string_view>

namespace plumvane::platform {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// Characters the ANSI code page lacks become its default character.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
// For a console, whose output code page may differ from the ANSI one.
std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage);

}  // namespace plumvane::platform
