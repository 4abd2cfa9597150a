// A whole scan of tests/scenarios/failures.json: one disk or letter for each
// way a device can fail the inventory.

#include <gtest/gtest.h>

#include <memory>

#include "inventory/DiskScan.h"
#include "inventory/TestMachines.h"
#include "sim/Scenario.h"

namespace plumvane::inventory {
namespace {

using namespace testing;

class FailureScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        win.SetMachine(sim::LoadScenarioFile(std::string(PLUMVANE_TEST_DATA_DIR) +
                                             "/scenarios/failures.json"));
        ScanDisks(win, static_cast<platform::Hwnd>(0x42), *inventory);
        ExpectNothingOpen(win);
    }
    const DiskRecord& Record(int n) const { return inventory->Table[static_cast<std::size_t>(n)]; }

    sim::SimulatedWindows win;
    std::unique_ptr<DiskInventory> inventory = std::make_unique<DiskInventory>();
};

TEST_F(FailureScanTest, EveryDriveThatOpensIsFiledWithItsFallbacks) {
    EXPECT_EQ(inventory->DiskCount, 14);

    EXPECT_EQ(Record(0).Description, "KINGSTON SA400S37240G");
    EXPECT_EQ(Record(0).SizeText, "223,6 GB");  // comma decimal separator
    EXPECT_EQ(Record(0).SizeMB, 240063);

    EXPECT_FALSE(Record(1).Present);  // open refused
    EXPECT_EQ(Record(1).SizeText, "no disk");
    EXPECT_EQ(Record(1).BusType, 0);

    EXPECT_TRUE(Record(2).Present);  // only the write open is refused
    EXPECT_EQ(Record(2).Description, "Generic Flash Disk");

    // Wrong and failing device numbers: one err box each, filed all the same.
    ASSERT_EQ(win.messageBoxes().size(), 2u);
    EXPECT_EQ(win.messageBoxes()[0].text, "err");
    EXPECT_EQ(win.messageBoxes()[1].text, "err");
    EXPECT_TRUE(Record(3).Present);
    EXPECT_TRUE(Record(4).Present);
    EXPECT_EQ(Record(4).DevInst, 0);  // its interface never reports number 4

    EXPECT_EQ(Record(5).Description, "unknown");
    EXPECT_EQ(Record(5).BusType, 0);
    for (int n : {6, 7}) {
        EXPECT_EQ(Record(n).SizeText, "no media") << n;
        EXPECT_EQ(Record(n).SizeMB, -1) << n;
        EXPECT_TRUE(Record(n).Present) << n;
    }

    // 200 vendor bytes without NUL: the first 127, then the joining space.
    std::string vendor;
    while (vendor.size() < 127) vendor += "LONGVENDOR";
    vendor.resize(127);
    EXPECT_EQ(Record(10).Description, vendor + " ");
    EXPECT_EQ(Record(10).BusType, 7);
    EXPECT_EQ(Record(10).DevInst, 7010);

    EXPECT_EQ(Record(13).DevInst, 0);
    EXPECT_EQ(Record(13).DeviceInstanceId, "");
    EXPECT_EQ(Record(13).Description, "Generic Flash Disk");
}

TEST_F(FailureScanTest, OnlyLettersOfListedReachableVolumesAreFiled) {
    EXPECT_EQ(Record(0).LettersText, "C: ");
    EXPECT_EQ(Record(3).LettersText, "E: ");
    int filed = 0;
    for (int n = 0; n < kDiskSlots; ++n) filed += Record(n).LetterCount;
    EXPECT_EQ(filed, 2);  // not A, D, F, N, S or X
}

}  // namespace
}  // namespace plumvane::inventory
