// A recorded machine written as a scenario file (ScenarioText). The loader
// (sim/Scenario.cpp) reads it back; the round-trip tests hold the two together.

#include <cstdio>
#include <string>

#include "cli/DiskReport.h"
#include "cli/MachineRecorder.h"
#include "inventory/StorageLayouts.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "platform/HexText.h"
#include "platform/Version.h"

namespace plumvane::cli {

namespace {

using Json = nlohmann::ordered_json;

// Hex in groups of four bytes, so that a reader can count offsets.
std::string GroupedHex(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += 4) {
        if (at > 0) out += ' ';
        out += platform::HexBytes(bytes.subspan(at, std::min<std::size_t>(4, bytes.size() - at)));
    }
    return out;
}

// A descriptor text for the reader of the file (the descriptor's bytes are
// what the machine answers): up to its NUL, as the bytes came.
std::string DescriptorText(const std::vector<std::uint8_t>& d, std::size_t offsetField) {
    namespace sdd = inventory::storage_device_descriptor;
    if (d.size() < offsetField + 4) return {};
    const std::uint32_t offset = platform::ReadU32LE(d, offsetField);
    if (offset == 0 || offset >= d.size()) return {};
    std::string text;
    for (std::size_t i = offset; i < d.size() && d[i] != 0 && text.size() < sdd::kMaxTextBytes;
         ++i) {
        text += static_cast<char>(d[i]);
    }
    return text;
}

Json Errors(const sim::DeviceErrors& e) {
    Json j = Json::object();
    const std::pair<const char*, platform::DWORD> fields[] = {{"open", e.open},
                                                              {"openWrite", e.openWrite},
                                                              {"deviceNumber", e.deviceNumber},
                                                              {"queryProperty", e.queryProperty},
                                                              {"geometry", e.geometry},
                                                              {"driveLayout", e.driveLayout},
                                                              {"getHotplug", e.getHotplug},
                                                              {"setHotplug", e.setHotplug}};
    for (const auto& field : fields) {
        if (field.second != 0) j[field.first] = field.second;
    }
    return j;
}

Json DiskObject(const sim::SimDisk& d) {
    namespace sdd = inventory::storage_device_descriptor;
    Json j;
    j["number"] = d.number;
    if (d.errors.open == 0) {
        j["deviceNumber"] = d.deviceNumber ? Json(*d.deviceNumber) : Json(nullptr);
    }
    if (d.descriptor) {
        const std::vector<std::uint8_t>& bytes = *d.descriptor;
        j["vendor"] = DescriptorText(bytes, sdd::kVendorIdOffset);
        j["product"] = DescriptorText(bytes, sdd::kProductIdOffset);
        if (bytes.size() >= sdd::kBusType + 4) j["bus"] = platform::ReadI32LE(bytes, sdd::kBusType);
        j["descriptor"] = GroupedHex(bytes);
    }
    if (d.errors.open == 0 && d.errors.geometry == 0) {
        const sim::DiskGeometry& g = d.geometry;
        j["geometry"] = {{"cylinders", g.cylinders},
                         {"mediaType", g.mediaType},
                         {"tracksPerCylinder", g.tracksPerCylinder},
                         {"sectorsPerTrack", g.sectorsPerTrack},
                         {"bytesPerSector", g.bytesPerSector}};
    }
    if (d.errors.open == 0 && d.errors.driveLayout == 0) {
        switch (d.partitionStyle) {
            case sim::PartitionStyle::Mbr:
                // None recorded: the layout named no signature the program
                // reads, and the replay's default stands.
                if (d.diskSignature) {
                    char text[9];
                    std::snprintf(text, sizeof text, "%08X",
                                  static_cast<unsigned>(*d.diskSignature));
                    j["diskSignature"] = text;
                }
                break;
            case sim::PartitionStyle::Gpt:
                j["diskSignature"] = platform::GuidText(d.gptDiskId, platform::HexCase::Upper);
                break;
            case sim::PartitionStyle::Raw:
                j["diskSignature"] = nullptr;
                break;
        }
    }
    if (d.errors.open == 0 && d.errors.getHotplug == 0)
        j["hotplug"] = platform::HexBytes(d.hotplug);
    j["devInst"] = d.devInst ? Json(*d.devInst) : Json(nullptr);
    if (d.devInst) {
        j["instanceId"] = d.instanceId;
        j["interfacePath"] = d.interfacePath;
    }
    if (Json e = Errors(d.errors); !e.empty()) j["errors"] = e;
    return j;
}

Json VolumeObject(const sim::SimVolume& v) {
    Json j;
    j["letter"] = std::string(1, v.letter);
    j["disk"] = v.disk ? Json(*v.disk) : Json(nullptr);
    j["driveType"] = v.driveType;
    j["dosDevice"] = v.dosDevice;
    if (v.openError != 0) j["errors"] = {{"open", v.openError}};
    return j;
}

}  // namespace

std::string ScenarioText(const Recording& recording, bool serialsMasked) {
    const sim::Machine& m = recording.machine;
    Json doc;
    std::string description = "A machine recorded by plumvane-cli record.";
    for (const RecordingNote& note : recording.notes) description += " " + note.Line() + ".";
    doc["description"] = description;
    doc["recorded"] = {{"by", "plumvane-cli " + std::string(platform::kVersionText)},
                       {"serials", serialsMasked ? "masked" : "kept"}};
    // Unelevated, the window offers to start itself again at a refused write.
    doc["elevated"] = m.elevated;
    doc["numberFormat"] = {{"decimalSeparator", m.numberFormat.decimalSeparator},
                           {"groupSeparator", m.numberFormat.groupSeparator},
                           {"grouping", m.numberFormat.grouping},
                           {"leadingZero", m.numberFormat.leadingZero}};
    Json disks = Json::array();
    for (const sim::SimDisk& d : m.disks) disks.push_back(DiskObject(d));
    doc["disks"] = disks;
    Json volumes = Json::array();
    for (const sim::SimVolume& v : m.volumes) volumes.push_back(VolumeObject(v));
    doc["volumes"] = volumes;
    return JsonText(doc);
}

}  // namespace plumvane::cli
