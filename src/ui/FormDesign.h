#pragma once
// frmMain's design as data, and the creation of a window from a design on any
// toolkit. The design is in twips (1/1440 inch); the toolkit works in pixels
// at its own DPI.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Toolkit.h"

namespace plumvane::ui {

// Control names the window code uses.
inline constexpr const char* kPicListFrame = "picListFrame";
inline constexpr const char* kListVScroll = "ListVScroll";
inline constexpr const char* kPicList = "picList";
inline constexpr const char* kChkHPD = "chkHPD";
inline constexpr const char* kChkWCEO = "chkWCEO";
inline constexpr const char* kLblDisks = "lblDisks";
inline constexpr const char* kCmdClose = "cmdClose";
inline constexpr const char* kLblHPD = "lblHPD";
// The heading of the chkWCEO column. The design spells the control lblWCOE,
// and that is the name windows, dumps and checks find it by.
inline constexpr const char* kLblWCEO = "lblWCOE";
inline constexpr const char* kLblAbout = "lblAbout";
inline constexpr const char* kLblUsbDisks = "lblUsbDisks";

inline constexpr std::uint32_t kRowColour = 0xF0F0F0;  // red, green and blue 240

struct DesignControl {
    ControlKind kind = ControlKind::Label;
    std::string name;
    bool arrayElement = false;                     // element 0 of a control array
    std::string parent;                            // empty: the window
    int left = 0, top = 0, width = 0, height = 0;  // twips
    std::string caption;
    int tabIndex = 0;
    bool visible = true;
    std::uint32_t backColor = kButtonFace;
    bool sunkenBorder = false;
};

struct FormDesign {
    std::string name;
    std::string caption;
    int clientWidth = 0, clientHeight = 0;  // twips
    std::vector<DesignControl> controls;    // in creation order
};

// The main window's design.
const FormDesign& MainFormDesign();

// Rounded to the nearest pixel, halves away from zero: 1235 twips at 96 DPI
// (82 1/3 pixels) give 82.
int TwipsToPixels(int twips, int dpi);

// What a design entry becomes at this DPI, in pixels.
ControlRequest RequestAtDpi(const DesignControl& d, int dpi);

// Creates the window and all its controls, hidden, and gives the focus to the
// first control in tab order that takes it. Every step is tried; the result
// is the first failure, or Ok. The program then sets its event sink and
// raises the load event, whose handler shows the window:
//   CreateFromDesign(toolkit, MainFormDesign());
//   toolkit.SetEventSink(&form);
//   toolkit.RaiseLoad();
Status CreateFromDesign(Toolkit& toolkit, const FormDesign& design);

}  // namespace plumvane::ui
