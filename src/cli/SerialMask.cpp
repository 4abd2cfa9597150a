// Serial numbers of a recorded machine replaced by stand-ins (MaskSerials).

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "cli/MachineRecorder.h"
#include "inventory/StorageLayouts.h"
#include "platform/AsciiCase.h"
#include "platform/ByteLayout.h"

namespace plumvane::cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

// Stand-ins chosen by the order serials are met, never from the serial
// itself, so a stand-in tells nothing about what it replaced.
class StandIns {
public:
    std::string For(std::string_view serial) {
        std::string key(serial);
        for (char& c : key) c = platform::AsciiUpper(c);
        auto it = byKey_.find(key);
        if (it == byKey_.end()) it = byKey_.emplace(key, Make(key)).first;
        // The stand-in takes each letter's case from the serial.
        std::string out = it->second;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (IsLower(serial[i])) out[i] = platform::AsciiLower(out[i]);
        }
        return out;
    }

private:
    std::uint32_t Next() {
        // xorshift32: any fixed sequence would do; this one has no short cycles.
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    std::string Make(const std::string& key) {
        bool hasAlnum = false;
        for (char c : key) hasAlnum = hasAlnum || IsDigit(c) || platform::IsAsciiLetter(c);
        if (!hasAlnum) return key;
        // A stand-in is never the serial itself nor another serial's; a short
        // serial may run out of choices, and then keeps a repeat.
        std::string out;
        for (int attempt = 0; attempt < 256; ++attempt) {
            out = key;
            for (char& c : out) {
                if (IsDigit(c)) c = static_cast<char>('0' + Next() % 10);
                if (c >= 'A' && c <= 'Z') c = static_cast<char>('A' + Next() % 26);
            }
            if (out != key && used_.insert(out).second) break;
        }
        return out;
    }

    std::map<std::string, std::string> byKey_;
    std::set<std::string> used_;
    std::uint32_t state_ = 0x2545F491u;
};

// The serial part of an id's instance part or a path's component: all of it
// but a trailing "&<digits>", the logical unit.
std::string MaskPart(std::string_view part, StandIns& standIns) {
    std::size_t end = part.size();
    const std::size_t amp = part.rfind('&');
    if (amp != std::string_view::npos && amp + 1 < part.size()) {
        bool digits = true;
        for (char c : part.substr(amp + 1)) digits = digits && IsDigit(c);
        if (digits) end = amp;
    }
    return standIns.For(part.substr(0, end)) + std::string(part.substr(end));
}

// USBSTOR\DISK&VEN_X&PROD_Y\<instance part>
std::string MaskInstanceId(const std::string& id, StandIns& standIns) {
    const std::size_t slash = id.rfind('\\');
    if (slash == std::string::npos) return id;
    return id.substr(0, slash + 1) + MaskPart(std::string_view(id).substr(slash + 1), standIns);
}

// \\?\usbstor#disk&ven_x&prod_y#<instance part>#{class guid}
std::string MaskInterfacePath(const std::string& path, StandIns& standIns) {
    const std::size_t last = path.rfind('#');
    if (last == std::string::npos || last == 0) return path;
    const std::size_t before = path.rfind('#', last - 1);
    if (before == std::string::npos) return path;
    return path.substr(0, before + 1) +
           MaskPart(std::string_view(path).substr(before + 1, last - before - 1), standIns) +
           path.substr(last);
}

// The descriptor's serial number text, up to its NUL or the end of the bytes.
void MaskDescriptorSerial(std::vector<std::uint8_t>& descriptor, StandIns& standIns) {
    namespace sdd = inventory::storage_device_descriptor;
    if (descriptor.size() < sdd::kSerialNumberOffset + 4) return;
    const std::uint32_t offset = platform::ReadU32LE(descriptor, sdd::kSerialNumberOffset);
    if (offset == 0 || offset >= descriptor.size()) return;
    std::size_t end = offset;
    while (end < descriptor.size() && descriptor[end] != 0) ++end;
    // Drives pad the text with blanks; the serial between them is what an id
    // shows, so it gets the id's stand-in.
    std::size_t begin = offset;
    while (begin < end && descriptor[begin] == ' ') ++begin;
    while (end > begin && descriptor[end - 1] == ' ') --end;
    const std::string serial(descriptor.begin() + static_cast<std::ptrdiff_t>(begin),
                             descriptor.begin() + static_cast<std::ptrdiff_t>(end));
    const std::string standIn = standIns.For(serial);
    std::copy(standIn.begin(), standIn.end(),
              descriptor.begin() + static_cast<std::ptrdiff_t>(begin));
}

}  // namespace

void MaskSerials(Recording& recording) {
    StandIns standIns;
    for (sim::SimDisk& disk : recording.machine.disks) {
        disk.instanceId = MaskInstanceId(disk.instanceId, standIns);
        disk.interfacePath = MaskInterfacePath(disk.interfacePath, standIns);
        if (disk.descriptor) MaskDescriptorSerial(*disk.descriptor, standIns);
    }
    for (RecordingNote& note : recording.notes) {
        note.interfacePath = MaskInterfacePath(note.interfacePath, standIns);
    }
}

}  // namespace plumvane::cli
