// Shows the main window exactly as its design creates it, before any disk is
// listed: for screenshots of the layout (scripts/screenshot-design.sh).
#include "platform/SystemLibrary.h"
#include "ui/FormDesign.h"
#include "ui/Win32Toolkit.h"

namespace {

// Close ends the preview; nothing else reacts.
class PreviewEvents : public plumvane::ui::EventSink {
public:
    explicit PreviewEvents(plumvane::ui::Toolkit& toolkit) : toolkit_(toolkit) {}
    void OnButtonClick(const std::string& name) override {
        if (name == plumvane::ui::kCmdClose) toolkit_.Unload();
    }

private:
    plumvane::ui::Toolkit& toolkit_;
};

}  // namespace

int main() {
    using namespace plumvane::ui;
    plumvane::platform::RestrictDllSearchToSystemFolder();
    Win32Toolkit toolkit;
    PreviewEvents events(toolkit);
    toolkit.SetEventSink(&events);
    if (!Succeeded(CreateFromDesign(toolkit, MainFormDesign()))) return 1;
    if (!Succeeded(toolkit.Show())) return 1;
    return toolkit.RunMessageLoop();
}
