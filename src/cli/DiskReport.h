#pragma once
// What plumvane-cli shows of a disk: a table that fits 100 columns, or JSON.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>

#include "hotplug/HotplugInfo.h"
#include "inventory/DiskTable.h"

namespace plumvane::cli {

// One disk as the scan recorded it, with its flags as read just now.
struct DiskView {
    std::int32_t number = 0;
    const inventory::DiskRecord* record = nullptr;
    hotplug::HotplugResult flags;
    std::string errorText;  // the system's text for flags.Error, when the read failed
};

// The table: a header, then one line per disk and one with its device
// instance id (and, where reading failed, one with the error).
std::string FormatTable(std::span<const DiskView> disks);

// {"number", "description", "sizeText", "letters", "busType",
//  "deviceInstanceId", then "writeCacheEnableOverride" and "deviceHotplug"
//  or "error": {"code", "text"}}, pretty-printed.
std::string FormatDiskJson(const DiskView& disk);
// {"disks": [...]} in drive-number order.
std::string FormatListJson(std::span<const DiskView> disks);

// What set did: {"disk": {"number", "description", "deviceInstanceId"},
// "before": and "after": {"writeCacheEnableOverride", "deviceHotplug"},
// "hotplugInfo": the 16 hex digits sent (or, not sent, that would have
// been), "changed": whether a SET sent changed a flag, "sent": whether the
// SET went to the driver, and in a dry run "wouldSend"}. `after` is what the
// SET carried: the driver's own answer is not read back.
std::string FormatSetJson(std::int32_t number, const inventory::DiskRecord& record,
                          const hotplug::HotplugResult& result, bool dryRun);

// The document pretty-printed, with a line break at its end. Text that is not
// UTF-8 is replaced, never thrown over; DEL and the C1 controls are escaped
// too, so that no string of it is obeyed by a terminal that shows it.
std::string JsonText(const nlohmann::ordered_json& document);

// "on" or "off", as the table and set's report show a flag.
const char* OnOffText(bool on);

// "USB", "SATA", "NVMe", ... for a STORAGE_BUS_TYPE; the number otherwise.
std::string BusName(std::int32_t busType);

// The STORAGE_HOTPLUG_INFO image as 16 hex digits.
std::string HexBytes(const hotplug::STORAGE_HOTPLUG_INFO& info);

}  // namespace plumvane::cli
