// The Win32 toolkit's scroll bar: the toolkit's settings shown on a real bar
// (ScrollThumb.h maps values to thumb positions), and the bar's messages
// turned into new values.

#include "ui/ScrollThumb.h"
#include "ui/Win32ToolkitImpl_win.h"

namespace plumvane::ui {

void Win32Toolkit::Impl::ApplyScrollInfo(const ControlRecord& c) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = ScrollSpan(c.scroll);
    si.nPage = 0;
    si.nPos = ThumbPosition(c.scroll, c.scroll.value);
    SetScrollInfo(ToHwnd(c.hwnd), SB_CTL, &si, TRUE);
}

void Win32Toolkit::ShowScroll(const ControlRecord& c) { impl_->ApplyScrollInfo(c); }

void Win32Toolkit::Impl::OnScroll(ControlRecord& c, int code, int thumb) {
    const ScrollSettings& s = c.scroll;
    int pos = ThumbPosition(s, s.value);
    switch (code) {
        case SB_LINEUP:
            pos -= s.smallChange;
            break;
        case SB_LINEDOWN:
            pos += s.smallChange;
            break;
        case SB_PAGEUP:
            pos -= s.largeChange;
            break;
        case SB_PAGEDOWN:
            pos += s.largeChange;
            break;
        case SB_TOP:
            pos = 0;
            break;
        case SB_BOTTOM:
            pos = ScrollSpan(s);
            break;
        // Positions run from 0 to at most 65535, so the 16 bits the
        // message carries hold every one of them.
        case SB_THUMBPOSITION:
            pos = thumb;
            break;
        default:
            return;  // SB_THUMBTRACK (a drag) and SB_ENDSCROLL
    }
    ScrollSettings next = s;
    next.value = ValueAtThumb(s, pos);
    owner.StoreScroll(c, next);
}

}  // namespace plumvane::ui
