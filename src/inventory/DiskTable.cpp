#include "inventory/DiskTable.h"

#include <memory>

namespace plumvane::inventory {

DiskInventory& ProcessDiskInventory() {
    // On the heap: a static table this large would be stored in the
    // executable's file once unused sections are dropped (the mingw compiler
    // places such a variable in a data section of its own, not in .bss).
    static const std::unique_ptr<DiskInventory> inventory = std::make_unique<DiskInventory>();
    return *inventory;
}

void ClearDiskTable(DiskInventory& inventory) {
    inventory.DiskCount = 0;
    for (DiskRecord& record : inventory.Table) {
        record.Present = false;
        record.Path.clear();
        record.SizeMB = 0;
        // The decimal text of zero, not an empty text. (Assigned as one
        // character: GCC 12 warns falsely on the literal at -O3.)
        record.SizeText.assign(1, '0');
        record.Description.clear();
        record.LettersText.clear();
        record.LetterCount = 0;
        for (std::string& letter : record.Letters) letter.clear();
        record.DevInst = 0;
        record.DeviceInstanceId.clear();
        record.DriveType = 0;
        record.BusType = 0;
        record.Geometry = {};
        record.DriveLayoutId.clear();
    }
}

}  // namespace plumvane::inventory
