// The geometry a device returns, turned into the size text of a row.
// Input: the 24-byte DISK_GEOMETRY image (zero-filled when shorter), then one
// byte of digits per group (mod 10), one byte whose low bit is the leading
// zero, then the decimal and group separators split at the first newline.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "inventory/StorageQueries.h"
#include "platform/ByteLayout.h"
#include "platform/UniqueResource.h"
#include "sim/SimulatedWindows.h"

namespace {

using namespace plumvane;

// The size text by wider arithmetic than the program's, in the plain format
// ("." and no groups): bytes / 1024^k with one decimal, half away from zero.
// The product is taken in the documented order; a step that leaves 64 bits
// gives no size.
std::string ExpectedPlainText(const inventory::DISK_GEOMETRY& g) {
    const auto fits = [](__int128 v) { return v >= INT64_MIN && v <= INT64_MAX; };
    __int128 size = g.Cylinders > 8 ? __int128{g.Cylinders} + 1 : __int128{g.Cylinders};
    for (const std::int32_t factor : {g.TracksPerCylinder, g.SectorsPerTrack, g.BytesPerSector}) {
        if (!fits(size)) return "no media";
        size *= factor;
    }
    if (size == 0 || !fits(size)) return "no media";
    unsigned shift = 40;
    const char* suffix = " TB";
    if (size < (__int128{1} << 20)) {
        shift = 10;
        suffix = " KB";
    } else if (size < (__int128{1} << 30)) {
        shift = 20;
        suffix = " MB";
    } else if (size < (__int128{1} << 40)) {
        shift = 30;
        suffix = " GB";
    }
    const __int128 magnitude = size < 0 ? -size : size;
    const __int128 tenths = (magnitude * 20 + (__int128{1} << shift)) / (__int128{2} << shift);
    std::string text = size < 0 && tenths != 0 ? "-" : "";
    text += std::to_string(static_cast<std::uint64_t>(tenths / 10)) + "." +
            static_cast<char>('0' + static_cast<int>(tenths % 10)) + suffix;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plumvane::platform;
    std::array<Byte, 24> image{};
    std::copy_n(data, std::min(size, image.size()), image.begin());
    const std::string_view rest(reinterpret_cast<const char*>(data) + std::min(size, image.size()),
                                size - std::min(size, image.size()));

    sim::SimDisk disk;
    disk.geometry = {ReadI64LE(image, 0), ReadU32LE(image, 8), ReadI32LE(image, 12),
                     ReadI32LE(image, 16), ReadI32LE(image, 20)};
    sim::Machine machine;
    machine.disks.push_back(disk);
    machine.numberFormat = {".", "", 0, true};
    sim::SimulatedWindows win(machine);
    inventory::DISK_GEOMETRY geometry;
    {
        UniqueDeviceHandle drive(
            win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, 0));
        geometry = inventory::GetDriveGeometry(win, drive.get());
    }
    FUZZ_CHECK(win.OpenHandleCount() == 0);
    FUZZ_CHECK(inventory::FormatDiskSize(win, geometry) == ExpectedPlainText(geometry));

    // The user's own format: any separators, any grouping.
    if (rest.size() >= 2) {
        const std::string_view separators = rest.substr(2);
        const std::size_t newline = separators.find('\n');
        machine.numberFormat = {
            std::string(separators.substr(0, newline)),
            newline == std::string_view::npos ? std::string()
                                              : std::string(separators.substr(newline + 1)),
            static_cast<unsigned>(static_cast<std::uint8_t>(rest[0]) % 10), (rest[1] & 1) != 0};
        win.SetMachine(machine);
        const std::string text = inventory::FormatDiskSize(win, geometry);
        FUZZ_CHECK(text == "no media" || text.ends_with(" KB") || text.ends_with(" MB") ||
                   text.ends_with(" GB") || text.ends_with(" TB"));
    }
    return 0;
}
