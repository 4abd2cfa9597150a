// The storage device descriptor exactly as a device returns it: any length,
// any offsets, any text bytes. The input is the answer to
// IOCTL_STORAGE_QUERY_PROPERTY.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "inventory/StorageQueries.h"
#include "platform/UniqueResource.h"
#include "sim/SimulatedWindows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plumvane;
    using namespace plumvane::platform;
    sim::SimDisk disk;
    disk.descriptor = std::vector<std::uint8_t>(data, data + size);
    sim::Machine machine;
    machine.disks.push_back(disk);
    sim::SimulatedWindows win(std::move(machine));
    {
        UniqueDeviceHandle drive(
            win, win.CreateFileA("\\\\.\\PHYSICALDRIVE0", 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, 0));
        FUZZ_CHECK(drive.valid());
        std::int32_t busType = -1;
        const std::string description = inventory::GetStorageDescription(win, drive.get(), busType);
        // Shown as it is in a row's caption: never empty, no NUL, no leading
        // blank; one trailing blank only where a vendor has no product.
        FUZZ_CHECK(!description.empty());
        FUZZ_CHECK(description.find('\0') == std::string::npos);
        FUZZ_CHECK(description.front() != ' ' && !description.ends_with("  "));
        // The bus type is the little-endian field at 28, zero where the answer
        // is shorter.
        std::uint32_t expectedBus = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            if (28 + i < size) expectedBus |= std::uint32_t{data[28 + i]} << (8 * i);
        }
        FUZZ_CHECK(static_cast<std::uint32_t>(busType) == expectedBus);
    }
    FUZZ_CHECK(win.OpenHandleCount() == 0);
    return 0;
}
