#pragma once
// The main window's controls at 96 dots per inch, as both toolkits must place
// them: kind, parent (empty: the window), and the rectangle in the parent.

#include <vector>

#include "ui/FormDesign.h"

namespace plumvane::ui::testing {

struct DesignPixels {
    ControlRef ref;
    ControlKind kind;
    const char* parent;
    int left, top, width, height;
};

inline const std::vector<DesignPixels>& DesignAt96Dpi() {
    static const std::vector<DesignPixels> controls = {
        {Ctl(kPicListFrame), ControlKind::Pane, "", 2, 20, 585, 263},
        {Ctl(kListVScroll), ControlKind::VScrollBar, kPicListFrame, 564, 0, 17, 173},
        {Ctl(kPicList), ControlKind::Pane, kPicListFrame, 4, 4, 558, 117},
        {Elem(kChkHPD, 0), ControlKind::CheckBox, kPicList, 504, 0, 17, 17},
        {Elem(kChkWCEO, 0), ControlKind::CheckBox, kPicList, 386, 0, 17, 17},
        {Elem(kLblDisks, 0), ControlKind::Label, kPicList, 0, 0, 558, 17},
        {Ctl(kCmdClose), ControlKind::Button, "", 254, 289, 82, 26},
        {Ctl(kLblHPD), ControlKind::Label, "", 484, 5, 71, 13},
        {Ctl(kLblWCEO), ControlKind::Label, "", 330, 5, 129, 13},
        {Ctl(kLblAbout), ControlKind::Label, "", 458, 305, 125, 13},
        {Ctl(kLblUsbDisks), ControlKind::Label, "", 4, 5, 121, 17},
    };
    return controls;
}

}  // namespace plumvane::ui::testing
