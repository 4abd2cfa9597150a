#include "app/StateDump.h"

#include "platform/HexText.h"

namespace plumvane::app {

namespace {

using Json = nlohmann::ordered_json;

// A present record, with its slot (the drive number) first.
Json DumpDisk(std::size_t slot, const inventory::DiskRecord& d) {
    Json letters = Json::array();
    for (std::int32_t i = 0; i < d.LetterCount && i < inventory::kLettersPerDisk; ++i) {
        letters.push_back(d.Letters[i]);
    }
    return Json{{"number", slot},
                {"path", d.Path},
                {"description", d.Description},
                {"sizeMB", d.SizeMB},
                {"sizeText", d.SizeText},
                {"deviceInstanceId", d.DeviceInstanceId},
                {"letters", letters},
                {"letterCount", d.LetterCount},
                {"lettersText", d.LettersText},
                {"driveType", d.DriveType},
                {"busType", d.BusType},
                {"devInst", d.DevInst}};
}

Json DumpControl(const ui::Toolkit& tk, const sim::SimulatedWindows& machine,
                 const ui::ControlRef& ref) {
    Json c;
    c["name"] = ref.name;
    c["index"] = ref.index ? Json(*ref.index) : Json(nullptr);
    const auto kind = tk.KindOf(ref);
    c["kind"] = kind ? ui::KindName(*kind) : "?";
    const auto put = [&c](const char* key, const auto& value) {
        if (value) c[key] = *value;
    };
    put("left", tk.GetLeft(ref));
    put("top", tk.GetTop(ref));
    put("width", tk.GetWidth(ref));
    put("height", tk.GetHeight(ref));
    put("visible", tk.GetVisible(ref));
    put("background", tk.GetBackColor(ref));
    put("caption", tk.GetCaption(ref));
    put("font", tk.GetFontName(ref));
    put("state", tk.GetCheck(ref));
    put("accessibleName", tk.GetAccessibleName(ref));
    if (kind == ui::ControlKind::VScrollBar) {
        put("min", tk.GetScroll(ref, ui::ScrollField::Min));
        put("max", tk.GetScroll(ref, ui::ScrollField::Max));
        put("smallChange", tk.GetScroll(ref, ui::ScrollField::SmallChange));
        put("largeChange", tk.GetScroll(ref, ui::ScrollField::LargeChange));
        put("value", tk.GetScroll(ref, ui::ScrollField::Value));
    }
    if (auto hwnd = tk.GetHwnd(ref)) c["themeOff"] = machine.themeOff().contains(*hwnd);
    return c;
}

}  // namespace

nlohmann::ordered_json DumpState(const DumpInput& in) {
    Json doc;
    doc["window"] = {{"caption", in.toolkit.GetWindowCaption().value_or("")},
                     {"open", in.toolkit.IsOpen()}};
    doc["dpi"] = in.toolkit.Dpi();
    doc["lockMe"] = in.lockMe;
    doc["listBuilds"] = in.listBuilds;
    doc["diskCount"] = in.inventory.DiskCount;
    // The present records only: an absent one holds nothing a scan set (the
    // disk-table tests pin how a vacated slot is reset).
    Json disks = Json::array();
    for (std::size_t slot = 0; slot < in.inventory.Table.size(); ++slot) {
        const inventory::DiskRecord& d = in.inventory.Table[slot];
        if (d.Present) disks.push_back(DumpDisk(slot, d));
    }
    doc["disks"] = disks;

    Json controls = Json::array();
    for (const auto& ref : in.toolkit.Controls()) {
        controls.push_back(DumpControl(in.toolkit, in.machine, ref));
    }
    doc["controls"] = controls;

    Json messages = Json::array();
    for (const auto& m : in.machine.messageBoxes()) {
        messages.push_back({{"text", m.text}, {"caption", m.caption}, {"type", m.type}});
    }
    doc["messages"] = messages;

    Json writes = Json::array();
    for (const auto& w : in.machine.hotplugWrites()) {
        writes.push_back({{"disk", w.disk}, {"bytes", platform::HexBytes(w.bytes)}, {"ok", w.ok}});
    }
    doc["deviceWrites"] = writes;
    doc["elevated"] = in.machine.machine().elevated;
    Json starts = Json::array();
    for (const auto& s : in.machine.shellStarts()) {
        starts.push_back({{"verb", s.verb}, {"path", s.path}, {"ok", s.ok}});
    }
    doc["elevationStarts"] = starts;
    doc["openHandles"] = in.machine.OpenHandleCount();
    doc["openDeviceInfoSets"] = in.machine.OpenDeviceInfoSetCount();
    return doc;
}

}  // namespace plumvane::app
