#pragma once
// What the main window's source files share (frmMain.cpp, frmMainList.cpp,
// frmMainClick.cpp, frmMainEvents.cpp); not for other code.

#include <cstdint>
#include <string_view>

#include "ui/frmMain.h"

namespace plumvane::ui {

inline constexpr int kRowParts = 3;      // lblDisks, chkWCEO and chkHPD
inline constexpr int kFrameBorders = 4;  // picListFrame's sunken border, 2 pixels on each side
// What a build puts in place of the design's kDefaultFontName.
inline constexpr const char* kModernFontName = "Microsoft Sans Serif";
// A row's caption starts with it; the click path reads the drive number after it.
inline constexpr std::string_view kDiskCaptionPrefix = "Disk ";

inline std::int16_t CheckState(bool on) { return on ? kChecked : kUnchecked; }

// Sets a flag for as long as it lives and clears it on scope exit, so an
// early return cannot leave it set.
class SetWhileInScope {
public:
    explicit SetWhileInScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~SetWhileInScope() { flag_ = false; }
    SetWhileInScope(const SetWhileInScope&) = delete;
    SetWhileInScope& operator=(const SetWhileInScope&) = delete;

private:
    bool& flag_;
};

class frmMain::BusyScope {
public:
    explicit BusyScope(frmMain& form) : form_(form) { ++form_.busy_; }
    ~BusyScope() {
        if (--form_.busy_ > 0) return;
        if (form_.pendingDpi_) form_.tk_.StartTimer(kDeferredDpiTimer, 0);
        if (!form_.rebuildPending_) return;
        form_.rebuildPending_ = false;
        form_.tk_.StartTimer(kDeferredRebuildTimer, 0);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    frmMain& form_;
};

}  // namespace plumvane::ui
