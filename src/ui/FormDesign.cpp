#include "ui/FormDesign.h"

#include "platform/ProgramName.h"

namespace plumvane::ui {

namespace {

DesignControl Make(ControlKind kind, const char* name, bool array, const char* parent, int left,
                   int top, int width, int height, int tab, const char* caption = "") {
    DesignControl d;
    d.kind = kind;
    d.name = name;
    d.arrayElement = array;
    d.parent = parent;
    d.left = left;
    d.top = top;
    d.width = width;
    d.height = height;
    d.tabIndex = tab;
    d.caption = caption;
    return d;
}

FormDesign BuildMainFormDesign() {
    using K = ControlKind;
    FormDesign f;
    f.name = "frmMain";
    f.caption = platform::kProgramName;
    f.clientWidth = 8850;
    f.clientHeight = 4785;
    DesignControl frame = Make(K::Pane, kPicListFrame, false, "", 30, 300, 8775, 3945, 4);
    frame.sunkenBorder = true;
    f.controls.push_back(frame);
    f.controls.push_back(
        Make(K::VScrollBar, kListVScroll, false, kPicListFrame, 8460, 0, 255, 2595, 5));
    f.controls.push_back(Make(K::Pane, kPicList, false, kPicListFrame, 60, 60, 8370, 1755, 6));
    f.controls.push_back(Make(K::CheckBox, kChkHPD, true, kPicList, 7560, 0, 255, 255, 10));
    f.controls.push_back(Make(K::CheckBox, kChkWCEO, true, kPicList, 5790, 0, 255, 255, 7));
    DesignControl row = Make(K::Label, kLblDisks, true, kPicList, 0, 0, 8370, 255, 8, "Disk 0: ");
    row.backColor = kRowColour;
    f.controls.push_back(row);
    f.controls.push_back(Make(K::Button, kCmdClose, false, "", 3810, 4335, 1235, 390, 1, "Close"));
    f.controls.push_back(
        Make(K::Label, kLblHPD, false, "", 7260, 75, 1065, 195, 9, "DeviceHotplug"));
    f.controls.push_back(
        Make(K::Label, kLblWCEO, false, "", 4950, 75, 1935, 195, 3, "WriteCacheEnableOverride"));
    f.controls.push_back(Make(K::Label, kLblAbout, false, "", 6870, 4575, 1875, 195, 2, ""));
    f.controls.push_back(
        Make(K::Label, kLblUsbDisks, false, "", 60, 75, 1815, 255, 0, "USB disks:"));
    return f;
}

}  // namespace

const FormDesign& MainFormDesign() {
    static const FormDesign design = BuildMainFormDesign();
    return design;
}

int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = 720;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / 1440 : -((-scaled + half) / 1440));
}

ControlRequest RequestAtDpi(const DesignControl& d, int dpi) {
    ControlRequest s;
    s.kind = d.kind;
    s.name = d.name;
    if (d.arrayElement) s.index = 0;
    s.parent = d.parent;
    s.left = TwipsToPixels(d.left, dpi);
    s.top = TwipsToPixels(d.top, dpi);
    s.width = TwipsToPixels(d.width, dpi);
    s.height = TwipsToPixels(d.height, dpi);
    s.caption = d.caption;
    s.tabIndex = d.tabIndex;
    s.visible = d.visible;
    s.backColor = d.backColor;
    s.sunkenBorder = d.sunkenBorder;
    return s;  // scroll bars keep the toolkit's defaults: no range is stored
}

Status CreateFromDesign(Toolkit& toolkit, const FormDesign& design) {
    const int dpi = toolkit.Dpi();
    Status first = toolkit.CreateMainWindow(design.caption, TwipsToPixels(design.clientWidth, dpi),
                                            TwipsToPixels(design.clientHeight, dpi));
    if (!Succeeded(first)) return first;
    const DesignControl* focus = nullptr;
    for (const DesignControl& d : design.controls) {
        const Status s = toolkit.AddControl(RequestAtDpi(d, dpi));
        if (!Succeeded(s) && Succeeded(first)) first = s;
        const bool takesFocus = d.kind != ControlKind::Label && d.visible;
        if (Succeeded(s) && takesFocus && (!focus || d.tabIndex < focus->tabIndex)) focus = &d;
    }
    if (focus) {
        const Status s = toolkit.Focus(
            {focus->name, focus->arrayElement ? std::optional<std::int16_t>(0) : std::nullopt});
        if (!Succeeded(s) && Succeeded(first)) first = s;
    }
    return first;
}

}  // namespace plumvane::ui
