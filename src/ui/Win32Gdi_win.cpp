// The Win32 toolkit's GDI objects: the screen's DPI, one brush per colour and
// one font per face, each made once and freed with the toolkit.

#include "platform/TextConversion_win.h"
#include "ui/Win32ToolkitImpl_win.h"

namespace plumvane::ui {

int Win32Toolkit::Impl::ScreenDpi() {
    const platform::WindowDc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

HBRUSH Win32Toolkit::Impl::BrushFor(std::uint32_t colour) {
    if (IsSystemColour(colour)) return GetSysColorBrush(static_cast<int>(colour & 0xFF));
    auto it = brushes.find(colour);
    if (it != brushes.end()) return it->second.get();
    platform::UniqueBrush b(CreateSolidBrush(static_cast<COLORREF>(colour)));
    if (!b) return nullptr;
    return brushes.emplace(colour, std::move(b)).first->second.get();
}

COLORREF Win32Toolkit::Impl::Rgb(std::uint32_t colour) {
    return IsSystemColour(colour) ? GetSysColor(static_cast<int>(colour & 0xFF))
                                  : static_cast<COLORREF>(colour);
}

HFONT Win32Toolkit::Impl::FontFor(const std::string& face) {
    auto it = fonts.find(face);
    if (it != fonts.end()) return it->second.get();
    platform::UniqueFont f(
        CreateFontW(-MulDiv(kDefaultFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, platform::Utf8ToWide(face).c_str()));
    if (!f) return nullptr;
    return fonts.emplace(face, std::move(f)).first->second.get();
}

void Win32Toolkit::Impl::EraseBackground(HWND h, HDC dc) {
    RECT r;
    GetClientRect(h, &r);
    const ControlRecord* c = FromWindow(h);
    FillRect(dc, &r, BrushFor(c ? c->backColor : kButtonFace));
}

std::optional<HBRUSH> Win32Toolkit::Impl::ControlColours(HWND child, HDC dc) {
    const ControlRecord* c = FromWindow(child);
    if (!c) return std::nullopt;
    SetBkColor(dc, Rgb(c->backColor));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return BrushFor(c->backColor);
}

}  // namespace plumvane::ui
