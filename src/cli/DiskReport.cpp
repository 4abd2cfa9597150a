#include "cli/DiskReport.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "platform/HexText.h"
#include "platform/TerminalText.h"

namespace plumvane::cli {

namespace {

using platform::TerminalSafe;

constexpr std::size_t kLineWidth = 100;
constexpr std::string_view kIndent = "      ";

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t Width(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// At most `width` characters, cut between characters, "..." marking a cut.
std::string Fit(std::string_view text, std::size_t width) {
    if (Width(text) <= width) return std::string(text);
    std::string out;
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts && ++n > width - 3) break;
        out += text[i];
    }
    return out + "...";
}

std::string Column(std::string_view text, std::size_t width) {
    std::string out = Fit(TerminalSafe(text), width);
    out.append(width - Width(out) + 2, ' ');
    return out;
}

// The drive letters, "E: G:": the record's LettersText without its trailing
// blank, which would take a character of the column.
std::string JoinedLetters(const inventory::DiskRecord& record) {
    std::string out;
    for (std::int32_t i = 0; i < record.LetterCount && i < inventory::kLettersPerDisk; ++i) {
        if (!out.empty()) out += ' ';
        out += record.Letters[static_cast<std::size_t>(i)] + ":";
    }
    return out;
}

// A long text over as many indented lines as it needs.
void AppendWrapped(std::string& out, std::string_view label, std::string_view text) {
    std::string line = std::string(kIndent) + std::string(label);
    const std::string printable = TerminalSafe(text);
    std::string_view rest = printable;
    const std::size_t room = kLineWidth - line.size();
    while (true) {
        // Byte-wise: a wrapped id is ASCII; other text may wrap a little early.
        std::size_t take = std::min(room, rest.size());
        while (take < rest.size() && take > 0 &&
               (static_cast<unsigned char>(rest[take]) & 0xC0) == 0x80) {
            --take;
        }
        if (take == 0) take = std::min(room, rest.size());  // not UTF-8: cut anywhere
        out += line + std::string(rest.substr(0, take)) + "\n";
        rest.remove_prefix(take);
        if (rest.empty()) break;
        line = std::string(kIndent) + std::string(label.size(), ' ');
    }
}

nlohmann::ordered_json DiskObject(const DiskView& d) {
    const inventory::DiskRecord& r = *d.record;
    nlohmann::ordered_json letters = nlohmann::ordered_json::array();
    for (std::int32_t i = 0; i < r.LetterCount && i < inventory::kLettersPerDisk; ++i) {
        letters.push_back(r.Letters[static_cast<std::size_t>(i)] + ":");
    }
    nlohmann::ordered_json j = {{"number", d.number},     {"description", r.Description},
                                {"sizeText", r.SizeText}, {"letters", letters},
                                {"busType", r.BusType},   {"deviceInstanceId", r.DeviceInstanceId}};
    if (d.flags.ok()) {
        j["writeCacheEnableOverride"] = d.flags.Read.WriteCacheEnableOverride();
        j["deviceHotplug"] = d.flags.Read.DeviceHotplug();
    } else {
        j["error"] = {{"code", d.flags.Error}, {"text", d.errorText}};
    }
    return j;
}

}  // namespace

std::string JsonText(const nlohmann::ordered_json& j) {
    // Text that is not UTF-8 is replaced, never thrown over.
    const std::string text =
        j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    // The dump escapes C0 controls but leaves DEL and the C1 controls (U+0080
    // to U+009F) raw, and a terminal may obey those: escaped, the strings'
    // values stay the same. They occur only inside strings.
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        unsigned code = 0x100;
        if (u == 0x7F) {
            code = u;
        } else if (u == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            code = static_cast<unsigned char>(text[++i]);
        }
        if (code == 0x100) {
            out += text[i];
        } else {
            const std::uint8_t byte = static_cast<std::uint8_t>(code);
            out += "\\u00" + platform::HexBytes({&byte, 1});
        }
    }
    return out + "\n";
}

const char* OnOffText(bool on) { return on ? "on" : "off"; }

std::string BusName(std::int32_t busType) {
    static constexpr std::array<const char*, 20> kNames = {
        "unknown", "SCSI", "ATAPI", "ATA", "1394",    "SSA", "Fibre",  "USB",  "RAID", "iSCSI",
        "SAS",     "SATA", "SD",    "MMC", "Virtual", "VHD", "Spaces", "NVMe", "SCM",  "UFS"};
    if (busType >= 0 && static_cast<std::size_t>(busType) < kNames.size()) {
        return kNames[static_cast<std::size_t>(busType)];
    }
    return std::to_string(busType);
}

std::string HexBytes(const hotplug::STORAGE_HOTPLUG_INFO& info) {
    return platform::HexBytes(info.bytes, platform::HexCase::Upper);
}

std::string FormatTable(std::span<const DiskView> disks) {
    // The flags in the window's order.
    std::string out = "DISK  " + Column("DESCRIPTION", 32) + Column("SIZE", 9) +
                      Column("LETTERS", 11) + Column("BUS", 7) + Column("WCE-OVERRIDE", 12) +
                      "HOTPLUG\n";
    for (const DiskView& d : disks) {
        const inventory::DiskRecord& r = *d.record;
        std::string number = std::to_string(d.number);
        out += std::string(number.size() < 4 ? 4 - number.size() : 0, ' ') + number + "  ";
        out += Column(r.Description, 32) + Column(r.SizeText, 9) + Column(JoinedLetters(r), 11) +
               Column(BusName(r.BusType), 7);
        if (d.flags.ok()) {
            out += Column(OnOffText(d.flags.Read.WriteCacheEnableOverride()), 12);
            out += OnOffText(d.flags.Read.DeviceHotplug());
        } else {
            out += Column("-", 12) + "-";
        }
        out += "\n";
        AppendWrapped(out, "id: ", r.DeviceInstanceId.empty() ? "(none)" : r.DeviceInstanceId);
        if (!d.flags.ok()) {
            AppendWrapped(out, "flags not read: ",
                          "error " + std::to_string(d.flags.Error) + " " +
                              std::string(hotplug::HotplugStepName(d.flags.FailedStep)) + ": " +
                              d.errorText);
        }
    }
    return out;
}

std::string FormatDiskJson(const DiskView& disk) { return JsonText(DiskObject(disk)); }

std::string FormatSetJson(std::int32_t number, const inventory::DiskRecord& record,
                          const hotplug::HotplugResult& result, bool dryRun) {
    const auto flags = [](const hotplug::STORAGE_HOTPLUG_INFO& info) {
        return nlohmann::ordered_json{{"writeCacheEnableOverride", info.WriteCacheEnableOverride()},
                                      {"deviceHotplug", info.DeviceHotplug()}};
    };
    nlohmann::ordered_json j;
    j["disk"] = {{"number", number},
                 {"description", record.Description},
                 {"deviceInstanceId", record.DeviceInstanceId}};
    j["before"] = flags(result.Read);
    j["after"] = flags(result.Written);
    j["hotplugInfo"] = HexBytes(result.Written);
    const bool sent = result.SetWanted && !dryRun;
    j["changed"] = sent && result.Changes();
    j["sent"] = sent;
    if (dryRun) j["wouldSend"] = result.SetWanted;
    return JsonText(j);
}

std::string FormatListJson(std::span<const DiskView> disks) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DiskView& d : disks) list.push_back(DiskObject(d));
    nlohmann::ordered_json document;
    document["disks"] = std::move(list);
    return JsonText(document);
}

}  // namespace plumvane::cli
