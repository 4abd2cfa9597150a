// Record and replay: a machine made from the input, recorded as
// plumvane-cli record writes it (serials kept) and loaded back, gives the
// same window (disk table included) and the same `list --all --json` as the
// machine itself.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "app/ModelSession.h"
#include "cli/Cli.h"
#include "sim/Scenario.h"

namespace {

using namespace plumvane;

// The input read as a stream of choices; past its end every choice is 0.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Byte() % n; }
    std::int32_t Word() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return static_cast<std::int32_t>(v);
    }
    // ASCII with controls, quotes and backslashes: what JSON must escape.
    std::string Text(std::size_t most) {
        std::string s(Below(static_cast<std::uint32_t>(most) + 1), ' ');
        for (char& c : s) c = static_cast<char>(1 + Below(127));
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

sim::Machine Generate(Choices& in) {
    sim::Machine m;
    m.numberFormat.decimalSeparator = in.Text(3);
    m.numberFormat.groupSeparator = in.Text(3);
    m.numberFormat.grouping = in.Below(10);
    m.numberFormat.leadingZero = in.Below(2) != 0;
    std::set<int> numbers;
    const std::uint32_t disks = in.Below(8);
    for (std::uint32_t i = 0; i < disks; ++i) {
        sim::SimDisk d;
        // Drives beyond 99 are neither scanned nor recorded; on Windows their
        // interfaces answer their own numbers, which no scanned drive answers.
        d.number = static_cast<int>(in.Below(100));
        if (!numbers.insert(d.number).second) continue;
        const std::uint32_t answer = in.Below(4);
        if (answer == 0) d.deviceNumber.reset();
        if (answer == 1) d.deviceNumber = static_cast<std::uint32_t>(d.number);
        if (answer >= 2) d.deviceNumber = in.Below(102);
        d.vendor = in.Text(10);
        d.product = in.Text(20);
        d.bus = static_cast<std::int32_t>(in.Below(20));
        if (in.Below(4) == 0) {
            std::vector<std::uint8_t> bytes(in.Below(80));
            for (auto& b : bytes) b = in.Byte();
            d.descriptor = bytes;
        }
        d.geometry = {in.Word(), in.Below(13), static_cast<std::int32_t>(in.Below(256)),
                      static_cast<std::int32_t>(in.Below(64)),
                      512 * static_cast<std::int32_t>(in.Below(9))};
        for (auto& b : d.hotplug) b = in.Byte();
        if (in.Below(4) != 0) {
            d.devInst = 100 + static_cast<std::uint32_t>(d.number);
            // Unique, and its path too (made from it in lower case).
            d.instanceId = in.Text(40) + "\\" + std::to_string(d.number);
        }
        const std::uint32_t codes[] = {0, 0, 0, 0, 1, 2, 5, 21, 32, 433, 1117};
        d.errors.open = codes[in.Below(11)];
        d.errors.deviceNumber = codes[in.Below(11)];
        d.errors.queryProperty = codes[in.Below(11)];
        d.errors.geometry = codes[in.Below(11)];
        d.errors.getHotplug = codes[in.Below(11)];
        m.disks.push_back(d);
    }
    std::set<char> letters;
    const std::uint32_t volumes = in.Below(6);
    for (std::uint32_t i = 0; i < volumes; ++i) {
        sim::SimVolume v;
        v.letter = static_cast<char>('A' + in.Below(26));
        if (!letters.insert(v.letter).second) continue;
        if (in.Below(4) != 0) v.disk = in.Below(121);
        v.driveType = in.Below(8);
        v.dosDevice = in.Below(4) == 0 ? "\\Device\\Floppy0" : in.Text(30);
        v.openError = in.Below(5) == 0 ? 5 : 0;
        m.volumes.push_back(v);
    }
    return m;
}

std::string Run(const sim::Machine& machine, cli::Verb verb, bool all) {
    sim::SimulatedWindows windows(machine);
    cli::Command command;
    command.verb = verb;
    command.all = all;
    command.json = verb == cli::Verb::List;
    command.keepSerials = true;
    cli::Output output;
    cli::RunCommand(command, windows, true, output);
    return output.out + output.err;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices in(data, size);
    const sim::Machine machine = Generate(in);
    const std::string text = Run(machine, cli::Verb::Record, false);
    sim::Machine replayed;
    try {
        replayed = sim::ParseScenario(text);
    } catch (const sim::ScenarioError& e) {
        std::fprintf(stderr, "%s\n%s\n", e.what(), text.c_str());
        FUZZ_CHECK(!"a recording the loader refuses");
    }
    FUZZ_CHECK(Run(replayed, cli::Verb::List, true) == Run(machine, cli::Verb::List, true));
    FUZZ_CHECK(app::ModelSession(replayed).State() == app::ModelSession(machine).State());
    return 0;
}
