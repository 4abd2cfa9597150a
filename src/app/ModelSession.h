#pragma once
// The window on the in-memory toolkit over a simulated machine: what the
// headless driver and the window tests run.

#include <memory>
#include <string>

#include "app/Actions.h"
#include "app/StateDump.h"
#include "inventory/DiskTable.h"
#include "sim/SimulatedWindows.h"
#include "ui/ModelToolkit.h"
#include "ui/frmMain.h"

namespace plumvane::app {

// The model toolkit, with its message boxes also shown through the machine,
// so the machine's record holds every box of the session in order.
class RecordingModelToolkit : public ui::ModelToolkit {
public:
    explicit RecordingModelToolkit(platform::WindowsApi& api, int dpi = platform::kDefaultScreenDpi)
        : ModelToolkit(dpi), api_(api) {}
    ui::Status ShowMessage(const std::string& text, std::uint32_t type) override;

private:
    platform::WindowsApi& api_;
};

class ModelUserDriver : public UserDriver {
public:
    explicit ModelUserDriver(ui::ModelToolkit& tk) : tk_(tk) {}
    bool ClickCheck(const std::string& name, std::int16_t index) override;
    bool KeyDown(std::int16_t key, std::int16_t shift) override;
    bool Scroll(std::int16_t value) override;
    bool ClickClose() override;
    bool DeviceChange(bool arrival) override;
    bool Wait(std::uint32_t milliseconds) override;
    bool DpiChange(int dpi) override;

private:
    ui::ModelToolkit& tk_;
};

// A machine, the toolkit, the disk table and the window: the one session the
// headless driver, the benchmark and the tests run on.
struct ModelSession {
    // Later: the window is not started, so that a test can first prepare the
    // machine (inject a fault, say) and then call form.Start().
    enum class Start { Now, Later };
    explicit ModelSession(sim::Machine machine, Start start = Start::Now);
    // The window and the machine as DumpState shows them.
    nlohmann::ordered_json State() const;
    sim::SimulatedWindows machine;
    // At the scenario's DPI, 96 when it names none.
    RecordingModelToolkit toolkit{machine,
                                  machine.machine().dpi.value_or(platform::kDefaultScreenDpi)};
    inventory::DiskInventory inventory;
    ui::frmMain form{toolkit, machine, inventory};
    ModelUserDriver user{toolkit};
};

}  // namespace plumvane::app
