#include "inventory/DiskTable.h"

namespace plumvane::inventory {

DiskInventory& ProcessDiskInventory() {
    static DiskInventory inventory;
    return inventory;
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
    }
}

void ClearDiskTable() { ClearDiskTable(ProcessDiskInventory()); }

}  // namespace plumvane::inventory
