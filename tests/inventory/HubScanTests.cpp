// A whole scan of a machine with a hub of 16 USB sticks beside four internal
// disks (tests/scenarios/hub16.json).

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "inventory/DiskScan.h"
#include "inventory/TestMachines.h"
#include "sim/Scenario.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

struct Expected {
    std::string description;
    std::int32_t bus;
    std::string sizeText;
    std::int32_t sizeMB;
    std::string letters;
};

TEST(HubScanTest, SixteenUsbSticksAndFourInternalDisks) {
    sim::SimulatedWindows win(
        sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) + "/scenarios/hub16.json"));
    auto inventory = std::make_unique<DiskInventory>();
    ScanDisks(win, static_cast<platform::Hwnd>(0x42), *inventory);
    ExpectNothingOpen(win);
    EXPECT_TRUE(win.messageBoxes().empty());

    const Expected ultra{"SanDisk Ultra", 7, "14.9 GB", 16015, ""};
    const Expected kingston{"Kingston DataTraveler 3.0", 7, "29.8 GB", 32021, ""};
    const Expected verbatim{"Verbatim STORE N GO", 7, "59.6 GB", 64026, ""};
    const Expected intenso{"Intenso Speed Line", 7, "119.2 GB", 128043, ""};
    std::map<int, Expected> expected = {
        {0, {"Samsung SSD 970 EVO Plus 1TB", 17, "931.5 GB", 1000210, "C: "}},
        {1, {"ST2000DM008-2FR102", 11, "1.8 TB", 2000405, "D: "}},
        {2, {"CT500MX500SSD1", 11, "465.8 GB", 500113, "F: "}},
        {3, {"Msft Virtual Disk", 21, "125.5 GB", 134763, ""}},
        {4, ultra},
        {5, kingston},
        {6, verbatim},
        {7, intenso},
        {8, ultra},
        {10, kingston},
        {11, verbatim},
        {12, intenso},
        {13, ultra},
        {14, kingston},
        {16, verbatim},
        {17, intenso},
        {18, ultra},
        {19, kingston},
        {20, verbatim},
        {21, intenso}};
    const std::string usbLetters = "GHIJKLMNOPRSTUVW";  // Q is not assigned
    int usb = 0;
    for (auto& [n, e] : expected) {
        if (e.bus == 7)
            e.letters = std::string(1, usbLetters[static_cast<std::size_t>(usb++)]) + ": ";
    }
    ASSERT_EQ(usb, 16);

    EXPECT_EQ(inventory->DiskCount, 22);
    int listed = 0;
    for (int n = 0; n < kDiskSlots; ++n) {
        SCOPED_TRACE(n);
        const DiskRecord& r = inventory->Table[static_cast<std::size_t>(n)];
        EXPECT_EQ(r.Path, "\\\\.\\PHYSICALDRIVE" + std::to_string(n));
        auto it = expected.find(n);
        if (it == expected.end()) {
            EXPECT_FALSE(r.Present);
            EXPECT_EQ(r.Description, std::string(24, '-'));
            EXPECT_EQ(r.SizeText, "no disk");
            EXPECT_EQ(r.BusType, 0);
            EXPECT_EQ(r.LetterCount, 0);
            continue;
        }
        const Expected& e = it->second;
        EXPECT_TRUE(r.Present);
        EXPECT_EQ(r.Description, e.description);
        EXPECT_EQ(r.BusType, e.bus);
        EXPECT_EQ(r.SizeText, e.sizeText);
        EXPECT_EQ(r.SizeMB, e.sizeMB);
        EXPECT_EQ(r.LettersText, e.letters);
        EXPECT_EQ(r.LetterCount, e.letters.empty() ? 0 : 1);
        EXPECT_EQ(r.DevInst, (e.bus == 7 ? 6000 : 5000) + n);
        EXPECT_FALSE(r.DeviceInstanceId.empty());
        if (e.bus == 7) {
            ++listed;
            const std::string hub = (n < 10 ? "HUB0" : "HUB") + std::to_string(n) + "&0";
            EXPECT_EQ(r.DeviceInstanceId.substr(r.DeviceInstanceId.size() - hub.size()), hub);
        }
    }
    EXPECT_EQ(listed, 16);
}

}  // namespace
}  // namespace plumvane::inventory
