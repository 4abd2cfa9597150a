// Scenario files: JSON in, Machine out. Every problem is refused with the
// path of the field and what is wrong with it; unknown fields are refused too,
// so a misspelt name cannot silently fall back to its default.

#include "sim/Scenario.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "platform/AsciiCase.h"
#include "platform/DevicePaths.h"
#include "platform/HexText.h"
#include "platform/WinDefs.h"
#include "sim/SimImpl.h"

namespace plumvane::sim {

namespace {

using nlohmann::json;

[[noreturn]] void Refuse(const std::string& path, const std::string& problem) {
    throw ScenarioError(path + ": " + problem);
}

std::string Child(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

// An object whose keys must all be among `known`.
const json& Object(const json& v, const std::string& path,
                   std::initializer_list<std::string_view> known) {
    if (!v.is_object()) Refuse(path.empty() ? "scenario" : path, "expected an object");
    for (auto it = v.begin(); it != v.end(); ++it) {
        bool ok = false;
        for (std::string_view k : known) ok = ok || it.key() == k;
        if (!ok) Refuse(Child(path, it.key()), "unknown field");
    }
    return v;
}

std::int64_t Integer(const json& v, const std::string& path, std::int64_t min, std::int64_t max) {
    if (!v.is_number_integer()) Refuse(path, "expected an integer");
    // nlohmann keeps non-negative numbers unsigned, which may exceed int64.
    const bool inRange =
        v.is_number_unsigned()
            ? max >= 0 && v.get<std::uint64_t>() <= static_cast<std::uint64_t>(max) &&
                  (min <= 0 || v.get<std::uint64_t>() >= static_cast<std::uint64_t>(min))
            : v.get<std::int64_t>() >= min && v.get<std::int64_t>() <= max;
    if (!inRange) {
        Refuse(path,
               "expected an integer from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return v.get<std::int64_t>();
}

constexpr std::int64_t kU32Max = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();

std::string Text(const json& v, const std::string& path) {
    if (!v.is_string()) Refuse(path, "expected a string");
    return v.get<std::string>();
}

bool Boolean(const json& v, const std::string& path) {
    if (!v.is_boolean()) Refuse(path, "expected true or false");
    return v.get<bool>();
}

// Hex digits, two per byte; blanks between them are ignored.
std::vector<std::uint8_t> BytesFromHexField(const json& v, const std::string& path) {
    std::string error;
    auto bytes = platform::ParseHexBytes(Text(v, path), error);
    if (!bytes) Refuse(path, error);
    return std::move(*bytes);
}

template <typename F>
void IfPresent(const json& object, std::string_view key, F&& f) {
    auto it = object.find(key);
    if (it != object.end()) f(*it);
}

DWORD ErrorCode(const json& v, const std::string& path) {
    return static_cast<DWORD>(Integer(v, path, 0, kU32Max));
}

platform::NumberFormat ReadNumberFormat(const json& v, const std::string& path) {
    Object(v, path, {"decimalSeparator", "groupSeparator", "grouping", "leadingZero"});
    platform::NumberFormat f;
    IfPresent(v, "decimalSeparator", [&](const json& x) {
        f.decimalSeparator = Text(x, Child(path, "decimalSeparator"));
    });
    IfPresent(v, "groupSeparator",
              [&](const json& x) { f.groupSeparator = Text(x, Child(path, "groupSeparator")); });
    IfPresent(v, "grouping", [&](const json& x) {
        f.grouping = static_cast<unsigned>(Integer(x, Child(path, "grouping"), 0, 9));
    });
    IfPresent(v, "leadingZero",
              [&](const json& x) { f.leadingZero = Boolean(x, Child(path, "leadingZero")); });
    return f;
}

void ReadGeometry(const json& v, const std::string& path, DiskGeometry& g) {
    Object(v, path,
           {"cylinders", "mediaType", "tracksPerCylinder", "sectorsPerTrack", "bytesPerSector"});
    IfPresent(v, "cylinders", [&](const json& x) {
        g.cylinders = Integer(x, Child(path, "cylinders"), std::numeric_limits<std::int64_t>::min(),
                              std::numeric_limits<std::int64_t>::max());
    });
    IfPresent(v, "mediaType", [&](const json& x) {
        g.mediaType = static_cast<std::uint32_t>(Integer(x, Child(path, "mediaType"), 0, kU32Max));
    });
    auto i32 = [&](std::string_view key, std::int32_t& out) {
        IfPresent(v, key, [&](const json& x) {
            out = static_cast<std::int32_t>(Integer(x, Child(path, key), kI32Min, kI32Max));
        });
    };
    i32("tracksPerCylinder", g.tracksPerCylinder);
    i32("sectorsPerTrack", g.sectorsPerTrack);
    i32("bytesPerSector", g.bytesPerSector);
}

void ReadHotplug(const json& v, const std::string& path, std::array<std::uint8_t, 8>& info) {
    if (v.is_string()) {
        const std::vector<std::uint8_t> bytes = BytesFromHexField(v, path);
        if (bytes.size() != 8) Refuse(path, "expected 8 bytes (16 hex digits)");
        std::copy(bytes.begin(), bytes.end(), info.begin());
        return;
    }
    if (!v.is_object()) Refuse(path, "expected an object or 16 hex digits");
    Object(v, path,
           {"size", "mediaRemovable", "mediaHotplug", "deviceHotplug", "writeCacheEnableOverride"});
    IfPresent(v, "size", [&](const json& x) {
        const auto size = static_cast<std::uint32_t>(Integer(x, Child(path, "size"), 0, kU32Max));
        for (int i = 0; i < 4; ++i) info[i] = static_cast<std::uint8_t>(size >> (8 * i));
    });
    auto flag = [&](std::string_view key, std::size_t at) {
        IfPresent(v, key, [&](const json& x) {
            info[at] = static_cast<std::uint8_t>(Integer(x, Child(path, key), 0, 255));
        });
    };
    flag("mediaRemovable", 4);
    flag("mediaHotplug", 5);
    flag("deviceHotplug", 6);
    flag("writeCacheEnableOverride", 7);
}

void ReadDiskErrors(const json& v, const std::string& path, DeviceErrors& e) {
    Object(v, path,
           {"open", "openWrite", "deviceNumber", "queryProperty", "geometry", "driveLayout",
            "getHotplug", "setHotplug"});
    const std::pair<std::string_view, DWORD*> fields[] = {{"open", &e.open},
                                                          {"openWrite", &e.openWrite},
                                                          {"deviceNumber", &e.deviceNumber},
                                                          {"queryProperty", &e.queryProperty},
                                                          {"geometry", &e.geometry},
                                                          {"driveLayout", &e.driveLayout},
                                                          {"getHotplug", &e.getHotplug},
                                                          {"setHotplug", &e.setHotplug}};
    // Not a structured binding: clang 14 (the fuzz build) cannot capture one.
    for (const auto& field : fields) {
        IfPresent(v, field.first,
                  [&](const json& x) { *field.second = ErrorCode(x, Child(path, field.first)); });
    }
}

// "1A2B3C4D": an MBR disk signature; "{...}": a GPT disk GUID; null: a raw
// disk without a partition table.
void ReadDiskSignature(const json& v, const std::string& path, SimDisk& d) {
    if (v.is_null()) {
        d.partitionStyle = PartitionStyle::Raw;
        return;
    }
    const std::string text = Text(v, path);
    if (text.size() == 8 && std::all_of(text.begin(), text.end(),
                                        [](char c) { return platform::HexDigitValue(c) >= 0; })) {
        d.partitionStyle = PartitionStyle::Mbr;
        d.diskSignature = static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
        return;
    }
    const std::wstring wide(text.begin(), text.end());
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::optional<platform::Guid> guid = ascii ? platform::ParseGuidText(wide) : std::nullopt;
    if (!guid) {
        Refuse(path,
               "expected an MBR signature (8 hex digits), a GPT disk GUID in braces, or null");
    }
    d.partitionStyle = PartitionStyle::Gpt;
    d.gptDiskId = *guid;
}

// defaultNumber: the previous disk's number + 1, nullopt when that is past
// the largest number.
SimDisk ReadDisk(const json& v, const std::string& path, std::optional<int> defaultNumber) {
    Object(
        v, path,
        {"number", "deviceNumber", "vendor", "product", "bus", "descriptor", "geometry",
         "diskSignature", "hotplug", "devInst", "instanceId", "interfacePath", "errors", "note"});
    SimDisk d;
    if (v.find("number") == v.end() && !defaultNumber) {
        Refuse(Child(path, "number"),
               "missing, and the previous disk's number + 1 is past " + std::to_string(kI32Max));
    }
    d.number = defaultNumber.value_or(0);
    IfPresent(v, "number", [&](const json& x) {
        d.number = static_cast<int>(Integer(x, Child(path, "number"), 0, kI32Max));
    });
    d.deviceNumber = static_cast<std::uint32_t>(d.number);
    IfPresent(v, "deviceNumber", [&](const json& x) {
        if (x.is_null()) {
            d.deviceNumber.reset();
        } else {
            d.deviceNumber =
                static_cast<std::uint32_t>(Integer(x, Child(path, "deviceNumber"), 0, kU32Max));
        }
    });
    d.vendor = "Generic";
    d.product = "Flash Disk";
    IfPresent(v, "vendor", [&](const json& x) { d.vendor = Text(x, Child(path, "vendor")); });
    IfPresent(v, "product", [&](const json& x) { d.product = Text(x, Child(path, "product")); });
    d.bus = platform::BusTypeUsb;
    IfPresent(v, "bus", [&](const json& x) {
        d.bus = static_cast<std::int32_t>(Integer(x, Child(path, "bus"), kI32Min, kI32Max));
    });
    IfPresent(v, "descriptor", [&](const json& x) {
        d.descriptor = BytesFromHexField(x, Child(path, "descriptor"));
    });
    // A 16 GB stick (a fixed disk gets FixedMedia).
    d.geometry = {1946, d.bus == platform::BusTypeUsb ? 11u : 12u, 255, 63, 512};
    IfPresent(v, "geometry",
              [&](const json& x) { ReadGeometry(x, Child(path, "geometry"), d.geometry); });
    IfPresent(v, "diskSignature",
              [&](const json& x) { ReadDiskSignature(x, Child(path, "diskSignature"), d); });
    d.hotplug = {8, 0, 0, 0, 1, 0, 0, 0};
    IfPresent(v, "hotplug",
              [&](const json& x) { ReadHotplug(x, Child(path, "hotplug"), d.hotplug); });
    IfPresent(v, "devInst", [&](const json& x) {
        if (!x.is_null()) {
            d.devInst = static_cast<std::uint32_t>(Integer(x, Child(path, "devInst"), 1, kU32Max));
        }
    });
    IfPresent(v, "instanceId",
              [&](const json& x) { d.instanceId = Text(x, Child(path, "instanceId")); });
    IfPresent(v, "interfacePath", [&](const json& x) {
        d.interfacePath = Text(x, Child(path, "interfacePath"));
        const std::string_view prefix = std::string_view(d.interfacePath).substr(0, 4);
        if (d.interfacePath.size() <= 4 || (prefix != "\\\\?\\" && prefix != "\\\\.\\")) {
            Refuse(Child(path, "interfacePath"), "expected a device path starting with \\\\?\\");
        }
    });
    IfPresent(v, "errors",
              [&](const json& x) { ReadDiskErrors(x, Child(path, "errors"), d.errors); });
    IfPresent(v, "note", [&](const json& x) { Text(x, Child(path, "note")); });
    return d;
}

SimVolume ReadVolume(const json& v, const std::string& path, std::size_t index,
                     const std::vector<SimDisk>& disks) {
    Object(v, path, {"letter", "disk", "driveType", "dosDevice", "errors", "note"});
    SimVolume vol;
    auto letter = v.find("letter");
    if (letter == v.end()) Refuse(Child(path, "letter"), "missing");
    const std::string l = Text(*letter, Child(path, "letter"));
    if (l.size() != 1 || !std::isalpha(static_cast<unsigned char>(l[0]))) {
        Refuse(Child(path, "letter"), "expected one letter A to Z");
    }
    vol.letter = platform::AsciiUpper(l[0]);

    auto disk = v.find("disk");
    if (disk == v.end()) {
        Refuse(Child(path, "disk"), "missing (a disk number, or null for a volume spanning disks)");
    }
    if (!disk->is_null()) {
        vol.disk = static_cast<std::uint32_t>(Integer(*disk, Child(path, "disk"), 0, kU32Max));
    }
    bool onUsb = false;
    for (const SimDisk& d : disks) {
        onUsb = onUsb ||
                (vol.disk && std::uint32_t(d.number) == *vol.disk && d.bus == platform::BusTypeUsb);
    }
    vol.driveType = onUsb ? platform::DRIVE_REMOVABLE : platform::DRIVE_FIXED;
    IfPresent(v, "driveType", [&](const json& x) {
        vol.driveType =
            static_cast<std::uint32_t>(Integer(x, Child(path, "driveType"), 0, kU32Max));
    });
    vol.dosDevice = "\\Device\\HarddiskVolume" + std::to_string(index + 1);
    IfPresent(v, "dosDevice",
              [&](const json& x) { vol.dosDevice = Text(x, Child(path, "dosDevice")); });
    IfPresent(v, "errors", [&](const json& x) {
        const std::string p = Child(path, "errors");
        Object(x, p, {"open"});
        IfPresent(x, "open",
                  [&](const json& o) { vol.openError = ErrorCode(o, Child(p, "open")); });
    });
    IfPresent(v, "note", [&](const json& x) { Text(x, Child(path, "note")); });
    return vol;
}

const json& Array(const json& v, const std::string& path) {
    if (!v.is_array()) Refuse(path, "expected an array");
    return v;
}

// The library's text without its "[json.exception.<kind>.<id>] " tag.
std::string LibraryReason(const json::exception& e) {
    std::string what = e.what();
    if (auto at = what.find("] "); at != std::string::npos) what = what.substr(at + 2);
    return what;
}

Machine ReadMachine(const json& root) {
    Object(root, "",
           {"description", "recorded", "numberFormat", "dpi", "elevated", "elevateError", "disks",
            "volumes"});
    Machine m;
    IfPresent(root, "description", [](const json& x) { Text(x, "description"); });
    // Written by plumvane-cli record; the machine is the same either way.
    IfPresent(root, "recorded", [](const json& x) {
        Object(x, "recorded", {"by", "serials"});
        IfPresent(x, "by", [](const json& by) { Text(by, "recorded.by"); });
        IfPresent(x, "serials", [](const json& serials) {
            const std::string v = Text(serials, "recorded.serials");
            if (v != "masked" && v != "kept") Refuse("recorded.serials", "expected masked or kept");
        });
    });
    IfPresent(root, "elevated", [&](const json& x) { m.elevated = Boolean(x, "elevated"); });
    IfPresent(root, "elevateError",
              [&](const json& x) { m.elevateError = ErrorCode(x, "elevateError"); });
    IfPresent(root, "numberFormat",
              [&](const json& x) { m.numberFormat = ReadNumberFormat(x, "numberFormat"); });
    IfPresent(root, "dpi", [&](const json& x) {
        m.dpi =
            static_cast<int>(Integer(x, "dpi", platform::kMinScreenDpi, platform::kMaxScreenDpi));
    });
    IfPresent(root, "disks", [&](const json& x) {
        std::set<int> numbers;
        std::set<std::uint32_t> devInsts;
        // Windows compares instance ids without regard to case.
        std::set<std::string> instanceIds;
        std::optional<int> next = 0;
        for (std::size_t i = 0; i < Array(x, "disks").size(); ++i) {
            const std::string path = "disks[" + std::to_string(i) + "]";
            SimDisk d = ReadDisk(x[i], path, next);
            if (!numbers.insert(d.number).second) {
                Refuse(Child(path, "number"), std::to_string(d.number) + " is used twice");
            }
            if (d.devInst && !devInsts.insert(*d.devInst).second) {
                Refuse(Child(path, "devInst"), std::to_string(*d.devInst) + " is used twice");
            }
            const std::string id = EffectiveInstanceId(d);
            if (!instanceIds.insert(platform::AsciiLowered(id)).second) {
                Refuse(Child(path, "instanceId"), id + " is used twice");
            }
            next = d.number < kI32Max ? std::optional<int>(d.number + 1) : std::nullopt;
            m.disks.push_back(std::move(d));
        }
    });
    IfPresent(root, "volumes", [&](const json& x) {
        std::set<char> letters;
        for (std::size_t i = 0; i < Array(x, "volumes").size(); ++i) {
            const std::string path = "volumes[" + std::to_string(i) + "]";
            SimVolume vol = ReadVolume(x[i], path, i, m.disks);
            if (!letters.insert(vol.letter).second) {
                Refuse(Child(path, "letter"), std::string(1, vol.letter) + " is used twice");
            }
            m.volumes.push_back(std::move(vol));
        }
    });
    return m;
}

// Follows the parser through the document to refuse a key given twice in
// one object, which the library would take silently, the last one winning.
class DuplicateKeyCheck {
public:
    bool operator()(int /*depth*/, json::parse_event_t event, json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
                frames_.push_back({false, 0, {}, {}});
                break;
            case json::parse_event_t::array_start:
                frames_.push_back({true, 0, {}, {}});
                break;
            case json::parse_event_t::key: {
                Frame& top = frames_.back();
                top.key = parsed.get<std::string>();
                if (!top.keys.insert(top.key).second) Refuse(Path(), "given twice");
                break;
            }
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                frames_.pop_back();
                Completed();
                break;
            case json::parse_event_t::value:
                Completed();
                break;
        }
        return true;
    }

private:
    struct Frame {
        bool array;
        std::size_t index;
        std::set<std::string> keys;
        std::string key;
    };
    void Completed() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    }
    // The path of the current key, e.g. disks[1].vendor.
    std::string Path() const {
        std::string path;
        for (const Frame& f : frames_) {
            path = f.array ? path + "[" + std::to_string(f.index) + "]" : Child(path, f.key);
        }
        return path;
    }
    std::vector<Frame> frames_;
};

}  // namespace

Machine ParseScenario(std::string_view text) {
    json root;
    // Any exception of the library is a refusal: besides syntax errors it
    // throws out_of_range for a number no double holds (1e400).
    try {
        root = json::parse(text.begin(), text.end(), DuplicateKeyCheck{}, true,
                           /*ignore_comments=*/true);
    } catch (const json::exception& e) {
        throw ScenarioError("not valid JSON: " + LibraryReason(e));
    }
    try {
        return ReadMachine(root);
    } catch (const json::exception& e) {
        throw ScenarioError("scenario: " + LibraryReason(e));
    }
}

Machine LoadScenarioFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScenarioError(path.string() + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ParseScenario(text.str());
    } catch (const ScenarioError& e) {
        throw ScenarioError(path.string() + ": " + e.what());
    }
}

}  // namespace plumvane::sim
