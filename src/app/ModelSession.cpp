#include "app/ModelSession.h"

#include "platform/WinDefs.h"
#include "sim/Scenario.h"

namespace plumvane::app {

ui::Status RecordingModelToolkit::ShowMessage(const std::string& text) {
    const ui::Status shown = ModelToolkit::ShowMessage(text);
    if (ui::Succeeded(shown)) {
        api_.MessageBoxA(WindowHwnd().value_or(platform::NULL_HWND), text, ui::kMessageCaption,
                         platform::MB_OK);
    }
    return shown;
}

bool ModelUserDriver::ClickCheck(const std::string& name, std::int16_t index) {
    return ui::Succeeded(tk_.UserClickCheck(ui::Elem(name, index)));
}

bool ModelUserDriver::KeyDown(std::int16_t key, std::int16_t shift) {
    return ui::Succeeded(tk_.UserKeyDown(key, shift));
}

bool ModelUserDriver::Scroll(std::int16_t value) {
    return ui::Succeeded(tk_.UserScroll(ui::kListVScroll, value));
}

bool ModelUserDriver::ClickClose() { return ui::Succeeded(tk_.UserClickButton(ui::kCmdClose)); }

ModelSession::ModelSession(sim::Machine m) : machine(std::move(m)) { form.Start(); }

bool Perform(const Action& action, UserDriver& user, sim::SimulatedWindows& machine,
             std::string& note) {
    bool done = false;
    switch (action.kind) {
        case Action::Kind::ClickCheck:
            done = user.ClickCheck(action.name, action.index);
            break;
        case Action::Kind::Key:
            done = user.KeyDown(action.key, action.shift);
            break;
        case Action::Kind::Scroll:
            done = user.Scroll(action.value);
            break;
        case Action::Kind::Close:
            done = user.ClickClose();
            break;
        case Action::Kind::Machine:
            machine.SetMachine(sim::LoadScenarioFile(action.path));
            return true;
    }
    if (!done) note = "the window did not take this action (no such control, hidden, or closed)";
    return done;
}

}  // namespace plumvane::app
