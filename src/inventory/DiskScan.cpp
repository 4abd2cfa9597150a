#include "inventory/DiskScan.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "inventory/DeviceInstance.h"
#include "inventory/StorageQueries.h"
#include "platform/AsciiCase.h"
#include "platform/DevicePaths.h"
#include "platform/ProgramName.h"
#include "platform/UniqueResource.h"
#include "platform/WinDefs.h"

namespace plumvane::inventory {

using namespace platform;

namespace {

constexpr std::string_view kNoDiskDescription = "------------------------";

// Capacity in units of 1,000,000 bytes, ties to even; -1 without cylinders.
std::int32_t SizeInMegabytes(const DISK_GEOMETRY& geometry) {
    if (geometry.Cylinders == 0) return -1;
    const std::optional<std::int64_t> bytes = DiskSizeBytes(geometry);
    if (!bytes) return -1;  // an impossible geometry: shown as "no media" too
    const double megabytes = std::nearbyint(static_cast<double>(*bytes) * 0.001 * 0.001);
    // Kept inside the field's range; only nonsense geometries come near it.
    if (megabytes >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (megabytes <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(megabytes);
}

void RecordMissingDrive(DiskRecord& record) {
    record.Present = false;
    record.SizeMB = 0;
    record.SizeText = "no disk";
    record.Description = kNoDiskDescription;
}

// The device nodes of the disk interfaces, looked up once per scan, when the
// first drive opens: a walk per drive would open every interface again.
class DevInstLookup {
public:
    explicit DevInstLookup(WindowsApi& api) : api_(api) {}
    std::int32_t operator()(std::int32_t driveNumber) {
        if (!map_) map_ = MapDiskDevInsts(api_);
        const auto it = map_->find(driveNumber);
        return it == map_->end() ? 0 : it->second;
    }

private:
    WindowsApi& api_;
    std::optional<DiskDevInstMap> map_;
};

void ScanDrive(WindowsApi& api, Hwnd owner, DiskInventory& inventory, DevInstLookup& devInsts,
               std::int32_t number) {
    DiskRecord& record = inventory.Table[static_cast<std::size_t>(number)];
    record.Path = PhysicalDrivePath(kScanDriveSpelling, number);
    UniqueDeviceHandle drive = OpenForQueries(api, record.Path);
    if (!drive) {
        RecordMissingDrive(record);
        return;
    }
    // The data still goes under the number the drive was opened by.
    if (GetDeviceNumber(api, drive.get()) != number) {
        api.MessageBoxA(owner, "err", kProgramName, MB_OK);
    }
    record.DevInst = devInsts(number);
    record.Present = true;
    const DISK_GEOMETRY geometry = GetDriveGeometry(api, drive.get());
    record.Geometry = geometry;
    record.SizeMB = SizeInMegabytes(geometry);
    record.SizeText = FormatDiskSize(api, geometry);
    record.Description = GetStorageDescription(api, drive.get(), record.BusType);
    record.DeviceInstanceId = GetDeviceInstanceId(api, record.DevInst);
    // Last, on the same handle: it tells apart sticks that agree on all the rest.
    record.DriveLayoutId = GetDriveLayoutId(api, drive.get());
    drive.reset();
    inventory.DiskCount = number + 1;
}

// The disk a volume lies on; -1 when it cannot be opened or spans disks.
std::int32_t DiskOfVolume(WindowsApi& api, const std::string& volumePath) {
    UniqueDeviceHandle volume = OpenForQueries(api, volumePath);
    if (!volume) return -1;
    return GetDeviceNumber(api, volume.get());
}

// What the walk over the letters learns of one letter: the disk its volume
// lies on (-1 when none is learnt), the drive type asked the second time, and
// whether the letter is filed under that disk.
struct LetterProbe {
    std::int32_t disk = -1;
    std::int32_t driveType = 0;
    bool filed = false;
};

// "E: G: ": the row shows the text and the click compares it, so both make it here.
void AppendLetter(std::string& letters, char letter) {
    letters += letter;
    letters += ": ";
}

LetterProbe ProbeLetter(WindowsApi& api, char letter) {
    const std::string volumePath = std::string("\\\\.\\") + letter + ':';
    const std::string rootPath = std::string(1, letter) + ":\\";
    const std::string driveName = std::string(1, letter) + ':';

    LetterProbe probe;
    if (!IsListedDriveType(static_cast<std::int32_t>(api.GetDriveTypeA(rootPath)))) return probe;
    if (IsFloppyDevice(api, driveName)) return probe;
    const std::int32_t disk = DiskOfVolume(api, volumePath);
    // The table has no record beyond drive 99; such a letter is skipped.
    if (disk < 0 || disk >= kDiskSlots) return probe;

    probe.disk = disk;
    // Asked again, for "X:" this time: without the backslash Windows answers
    // for the drive's current directory rather than its root, which can differ.
    // The record keeps this second answer and files the letter by it; drivers
    // and monitors see both calls, in this order.
    probe.driveType = static_cast<std::int32_t>(api.GetDriveTypeA(driveName));
    probe.filed = IsListedDriveType(probe.driveType);
    return probe;
}

void ScanLetter(WindowsApi& api, DiskInventory& inventory, char letter) {
    const LetterProbe probe = ProbeLetter(api, letter);
    if (probe.disk < 0) return;
    DiskRecord& record = inventory.Table[static_cast<std::size_t>(probe.disk)];
    record.DriveType = probe.driveType;
    if (!probe.filed) return;
    if (record.LetterCount >= kLettersPerDisk) return;  // one per letter; never reached
    record.Letters[static_cast<std::size_t>(record.LetterCount)] = std::string(1, letter);
    ++record.LetterCount;
    AppendLetter(record.LettersText, letter);
}

}  // namespace

void ScanDisks(WindowsApi& api, Hwnd owner, DiskInventory& inventory) {
    ClearDiskTable(inventory);
    DevInstLookup devInsts(api);
    for (std::int32_t number = 0; number < kDiskSlots; ++number) {
        ScanDrive(api, owner, inventory, devInsts, number);
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) ScanLetter(api, inventory, letter);
}

std::string LettersOfDisk(WindowsApi& api, std::int32_t number) {
    std::string letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const LetterProbe probe = ProbeLetter(api, letter);
        if (probe.disk != number || !probe.filed) continue;
        AppendLetter(letters, letter);
    }
    return letters;
}

bool IsListedDriveType(std::int32_t driveType) {
    switch (driveType) {
        case static_cast<std::int32_t>(DRIVE_UNKNOWN):
        case static_cast<std::int32_t>(DRIVE_REMOVABLE):
        case static_cast<std::int32_t>(DRIVE_FIXED):
        case static_cast<std::int32_t>(DRIVE_RAMDISK):
            return true;
        default:
            return false;
    }
}

bool IsFloppyDevice(WindowsApi& api, std::string_view driveName) {
    std::array<Byte, kDosDeviceChars> target;
    target.fill(' ');
    if (api.QueryDosDeviceA(driveName, target) == 0) return false;
    // The whole buffer is searched, case-insensitively: the target list may
    // spell it "\Floppy0" or "\floppy0".
    constexpr std::string_view kNeedle = "\\floppy";
    for (std::size_t start = 0; start + kNeedle.size() <= target.size(); ++start) {
        bool match = true;
        for (std::size_t i = 0; i < kNeedle.size() && match; ++i) {
            match = AsciiLower(static_cast<char>(target[start + i])) == kNeedle[i];
        }
        if (match) return true;
    }
    return false;
}

}  // namespace plumvane::inventory
