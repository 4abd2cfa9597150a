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

platform::UniqueFont Win32Toolkit::Impl::MakeFont(const std::string& face, int dpi) {
    return platform::UniqueFont(
        CreateFontW(-MulDiv(kDefaultFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, platform::Utf8ToWide(face).c_str()));
}

HFONT Win32Toolkit::Impl::FontFor(const std::string& face) {
    auto it = fonts.find(face);
    if (it != fonts.end()) return it->second.get();
    platform::UniqueFont f = MakeFont(face, owner.Dpi());
    if (!f) return nullptr;
    return fonts.emplace(face, std::move(f)).first->second.get();
}

bool Win32Toolkit::Rescale(int dpi) {
    Impl& m = *impl_;
    // Every face in use made at the new DPI first, so a font that cannot be
    // made changes nothing.
    std::map<std::string, platform::UniqueFont> remade;
    for (const ControlRecord& c : Records()) {
        if (!c.HasFont() || remade.contains(c.fontName)) continue;
        platform::UniqueFont f = Impl::MakeFont(c.fontName, dpi);
        if (!f) return false;
        remade.emplace(c.fontName, std::move(f));
    }
    for (const ControlRecord& c : Records()) {
        if (!c.HasFont()) continue;
        const HFONT f = remade.at(c.fontName).get();
        SendMessageW(ToHwnd(c.hwnd), WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    }
    // No control draws with the old fonts any more: their owners free them here.
    m.fonts = std::move(remade);
    if (m.window)
        RedrawWindow(m.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return true;
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
