#include <algorithm>
#include <iterator>
#include <optional>
#include <sstream>

#include "app/Win32Session.h"
#include "platform/GdiOwners_win.h"
#include "platform/TextConversion_win.h"
#include "ui/FormDesign.h"
#include "ui/ScrollThumb.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// after windows.h, which it needs
#include <dbt.h>

#include <cstddef>
#include <cstring>

#include "platform/DevicePaths.h"
#include "platform/WinConversions_win.h"

namespace plumvane::app {

namespace {

using platform::ToHwnd;

// The keyboard state the key-down handler reads its shift state from, set
// for one synthesised key press and put back afterwards.
class HeldModifiers {
public:
    explicit HeldModifiers(std::int16_t shift) {
        saved_ok_ = GetKeyboardState(saved_) != 0;
        if (!saved_ok_) return;
        BYTE held[256];
        std::copy(std::begin(saved_), std::end(saved_), std::begin(held));
        const auto hold = [&held](int vk, bool down) { held[vk] = down ? 0x80 : 0; };
        hold(VK_SHIFT, (shift & ui::kShiftBit) != 0);
        hold(VK_CONTROL, (shift & ui::kCtrlBit) != 0);
        hold(VK_MENU, (shift & ui::kAltBit) != 0);
        SetKeyboardState(held);
    }
    ~HeldModifiers() {
        if (saved_ok_) SetKeyboardState(saved_);
    }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;

private:
    BYTE saved_[256] = {};
    bool saved_ok_ = false;
};

std::string WindowText(HWND h) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return platform::WideToUtf8(text);
}

std::string FontFace(HWND h) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf) return {};
    return platform::WideToUtf8(lf.lfFaceName);
}

// The size of a text drawn in the window's own font.
SIZE TextExtent(HWND h, const std::string& text) {
    SIZE size{};
    const platform::WindowDc dc(h);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    if (!dc || !font) return size;
    SelectObject(dc.get(), font);  // the DC is given back right after
    const std::wstring wide = platform::Utf8ToWide(text);
    GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

// Collects "what: toolkit X, window Y" for values that differ.
class Differences {
public:
    explicit Differences(std::string control) : control_(std::move(control)) {}
    template <typename T>
    void Check(const char* what, const std::optional<T>& toolkit, const T& real) {
        if (toolkit && *toolkit == real) return;
        std::ostringstream line;
        line << control_ << " " << what << ": toolkit ";
        if (toolkit) {
            line << *toolkit;
        } else {
            line << "(none)";
        }
        line << ", window " << real;
        lines_.push_back(line.str());
    }
    std::vector<std::string> Take() { return std::move(lines_); }

private:
    std::string control_;
    std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> DifferencesFromRealWindows(const ui::Win32Toolkit& tk) {
    std::vector<std::string> all;
    for (const ui::ControlRef& ref : tk.Controls()) {
        Differences d(ui::RefText(ref));
        const auto native = tk.NativeHandle(ref);
        if (!native || !IsWindow(ToHwnd(*native))) {
            all.push_back(ui::RefText(ref) + ": no real window");
            continue;
        }
        const HWND h = ToHwnd(*native);
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        d.Check("left", tk.GetLeft(ref), static_cast<int>(r.left));
        d.Check("top", tk.GetTop(ref), static_cast<int>(r.top));
        d.Check("width", tk.GetWidth(ref), static_cast<int>(r.right - r.left));
        d.Check("height", tk.GetHeight(ref), static_cast<int>(r.bottom - r.top));
        d.Check("visible", tk.GetVisible(ref), (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0);
        if (const auto caption = tk.GetCaption(ref)) d.Check("caption", caption, WindowText(h));
        // A pane draws no text of its own, so its window keeps no font.
        if (tk.KindOf(ref) != ui::ControlKind::Pane) {
            if (const auto face = tk.GetFontName(ref)) d.Check("font", face, FontFace(h));
        }
        if (const auto state = tk.GetCheck(ref)) {
            d.Check("state", std::optional<int>(*state),
                    static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0)));
        }
        const auto min = tk.GetScroll(ref, ui::ScrollField::Min);
        const auto max = tk.GetScroll(ref, ui::ScrollField::Max);
        const auto value = tk.GetScroll(ref, ui::ScrollField::Value);
        if (min && max && value) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_POS;
            GetScrollInfo(h, SB_CTL, &si);
            const ui::ScrollSettings s = ui::ScrollRange(*min, *max);
            d.Check("scroll span", std::optional<int>(ui::ScrollSpan(s)),
                    static_cast<int>(si.nMax - si.nMin));
            d.Check("scroll position", std::optional<int>(ui::ThumbPosition(s, *value)),
                    static_cast<int>(si.nPos - si.nMin));
        }
        for (auto& line : d.Take()) all.push_back(std::move(line));
    }
    if (const auto window = tk.WindowHwnd()) {
        Differences d("window");
        d.Check("caption", tk.GetWindowCaption(), WindowText(ToHwnd(*window)));
        for (auto& line : d.Take()) all.push_back(std::move(line));
    }
    return all;
}

std::vector<std::string> CutCaptions(const ui::Win32Toolkit& tk) {
    std::vector<std::string> cut;
    for (const ui::ControlRef& ref : tk.Controls()) {
        const auto caption = tk.GetCaption(ref);
        const auto native = tk.NativeHandle(ref);
        // A row's caption may end at the list's edge; the design's may not.
        if (ref.index || !caption || caption->empty() || !native) continue;
        const HWND h = ToHwnd(*native);
        const SIZE text = TextExtent(h, *caption);
        RECT room{};
        GetClientRect(h, &room);
        // A push button draws a 2-pixel edge on each side of its text.
        const int edge = tk.KindOf(ref) == ui::ControlKind::Button ? 4 : 0;
        const int width = room.right - edge, height = room.bottom - edge;
        if (text.cx > width || text.cy > height) {
            std::ostringstream line;
            line << ui::RefText(ref) << " " << text.cx << "x" << text.cy << " in " << width << "x"
                 << height;
            cut.push_back(line.str());
        }
    }
    return cut;
}

ui::Status RecordingWin32Toolkit::ShowMessage(const std::string& text, std::uint32_t type) {
    if (!IsOpen()) return ui::Status::NoWindow;
    const int answer =
        api_.MessageBoxA(WindowHwnd().value_or(platform::Hwnd{}), text, ui::kMessageCaption, type);
    return answer == IDOK ? ui::Status::Ok : ui::Status::Failed;
}

bool Win32UserDriver::Click(const ui::ControlRef& ref) {
    const auto native = tk_.NativeHandle(ref);
    if (!native) return false;
    const HWND h = ToHwnd(*native);
    // A user cannot click what is not on the screen.
    if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
    SendMessageW(h, BM_CLICK, 0, 0);
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::ClickCheck(const std::string& name, std::int16_t index) {
    return Click(ui::Elem(name, index));
}

bool Win32UserDriver::ClickClose() { return Click(ui::Ctl(ui::kCmdClose)); }

bool Win32UserDriver::KeyDown(std::int16_t key, std::int16_t shift) {
    const auto window = tk_.WindowHwnd();
    if (!window || !IsWindowVisible(ToHwnd(*window))) return false;
    // The key goes where the keyboard focus is; key preview hands it to the
    // window first.
    HWND target = ToHwnd(*window);
    if (const auto focused = tk_.FocusedControl()) {
        if (const auto native = tk_.NativeHandle(*focused)) target = ToHwnd(*native);
    }
    {
        HeldModifiers modifiers(shift);
        const auto vk = static_cast<WPARAM>(static_cast<std::uint16_t>(key));
        SendMessageW(target, WM_KEYDOWN, vk, 1);
        // A press ends with the release, on which a button or box acts on Space.
        if (IsWindow(target)) SendMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    }
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::Scroll(std::int16_t value) {
    const ui::ControlRef bar = ui::Ctl(ui::kListVScroll);
    const auto native = tk_.NativeHandle(bar);
    const auto min = tk_.GetScroll(bar, ui::ScrollField::Min);
    const auto max = tk_.GetScroll(bar, ui::ScrollField::Max);
    if (!native || !min || !max) return false;
    const HWND h = ToHwnd(*native);
    if (!IsWindowVisible(h)) return false;
    const int position =
        ui::ThumbPosition(ui::ScrollRange(*min, *max), ui::ClampToRange(value, *min, *max));
    const HWND parent = GetParent(h);
    // What a scroll bar sends when the user lets the thumb go there.
    SendMessageW(parent, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(h));
    SendMessageW(parent, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(h));
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::DeviceChange(bool arrival) {
    const auto window = tk_.WindowHwnd();
    if (!window) return false;
    // What the system sends for a stick's disk interface: the structure with
    // its name behind it, dbcc_size counting both.
    std::string name = "\\\\?\\usbstor#disk&ven_plumvane&prod_sim#0#";
    for (const wchar_t c : platform::kDiskInterfaceClassText) name += static_cast<char>(c);
    const std::size_t nameAt = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    std::vector<DWORD> storage((nameAt + name.size() + 1 + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(storage.data());
    broadcast->dbcc_size = static_cast<DWORD>(nameAt + name.size() + 1);
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->dbcc_classguid = platform::ToGuid(platform::kDiskInterfaceClass);
    std::memcpy(reinterpret_cast<char*>(broadcast) + nameAt, name.c_str(), name.size() + 1);
    SendMessageW(ToHwnd(*window), WM_DEVICECHANGE,
                 arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                 reinterpret_cast<LPARAM>(broadcast));
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::DpiChange(int dpi) {
    const auto window = tk_.WindowHwnd();
    RECT r{};
    if (!window || !GetWindowRect(ToHwnd(*window), &r)) return false;
    const int old = tk_.Dpi();
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, old),
                   r.top + MulDiv(r.bottom - r.top, dpi, old)};
    SendMessageW(ToHwnd(*window), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    tk_.PumpMessages();
    return true;
}

bool Win32UserDriver::Wait(std::uint32_t milliseconds) {
    tk_.PumpMessagesFor(milliseconds);
    return true;
}

}  // namespace plumvane::app
