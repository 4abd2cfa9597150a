#include "ui/frmMain.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/WinDefs.h"
#include "ui/FormDesign.h"
#include "ui/frmMainParts.h"

namespace plumvane::ui {

std::string DiskChangedText(std::int32_t driveNumber) {
    return "Disk " + std::to_string(driveNumber) +
           " is not the disk this row was made for any more. The list has been scanned again: "
           "check the row and click once more.";
}

frmMain::frmMain(Toolkit& toolkit, platform::WindowsApi& api, inventory::DiskInventory& inventory)
    : tk_(toolkit), api_(api), inventory_(inventory) {}

frmMain::~frmMain() {
    if (tk_.Sink() == this) tk_.SetEventSink(nullptr);
}

Status frmMain::Start() {
    tk_.SetEventSink(this);
    const Status created = CreateFromDesign(tk_, MainFormDesign());
    if (!Succeeded(created)) return created;
    // Each design control loses its visual styles once, when it is made.
    for (const ControlRef& control : tk_.Controls()) TurnOffTheme(control);
    tk_.RaiseLoad();
    return Status::Ok;
}

platform::Hwnd frmMain::Owner() const { return tk_.WindowHwnd().value_or(platform::NULL_HWND); }

bool frmMain::IsEven(std::int32_t n) {
    const double half = static_cast<double>(n) / 2.0;
    return half == std::floor(half);
}

std::int32_t frmMain::DiskNumberFromCaption(std::string_view caption) {
    // Text other than the prefix the rows are built with names no drive.
    const std::size_t colon = caption.find(':');
    if (!caption.starts_with(kDiskCaptionPrefix) || colon == std::string_view::npos ||
        colon <= kDiskCaptionPrefix.size()) {
        return -1;
    }
    const std::string_view digits =
        caption.substr(kDiskCaptionPrefix.size(), colon - kDiskCaptionPrefix.size());
    std::int32_t number = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    // Only a plain decimal number counts; anything else would address a
    // drive nobody chose.
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') {
        return -1;
    }
    return number;
}

}  // namespace plumvane::ui
