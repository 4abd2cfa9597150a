// Scenario files: the examples load as described, missing fields get their
// defaults, and a malformed file is refused with the field and the problem.
#include <gtest/gtest.h>

#include "platform/DevicePaths.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"

namespace plumvane::sim {
namespace {

using platform::BusTypeUsb;
using platform::DRIVE_REMOVABLE;

std::filesystem::path Example(const char* name) {
    return std::filesystem::path(PLUMVANE_TEST_DATA_DIR) / "scenarios" / name;
}

std::string RefusalOf(std::string_view json) {
    try {
        ParseScenario(json);
    } catch (const ScenarioError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(Scenario, PlainExampleLoads) {
    const Machine plain = LoadScenarioFile(Example("plain.json"));
    ASSERT_EQ(plain.disks.size(), 3u);
    EXPECT_EQ(plain.disks[2].bus, BusTypeUsb);
    EXPECT_EQ(plain.disks[2].hotplug, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(plain.volumes.size(), 4u);
    // hub16.json and failures.json are scanned whole by the inventory's tests.
}

TEST(Scenario, MissingFieldsGiveAPresentWorkingDrive) {
    const Machine m = ParseScenario(R"({"disks": [{}, {"number": 5, "deviceNumber": null}],
                                        "volumes": [{"letter": "e", "disk": 0}]})");
    ASSERT_EQ(m.disks.size(), 2u);
    const SimDisk& d = m.disks[0];
    EXPECT_EQ(d.number, 0);
    EXPECT_EQ(d.deviceNumber, 0u);
    EXPECT_EQ(d.bus, BusTypeUsb);
    EXPECT_EQ(d.geometry.cylinders, 1946);
    EXPECT_EQ(d.geometry.bytesPerSector, 512);
    EXPECT_EQ(d.hotplug, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(d.devInst);
    EXPECT_EQ(d.errors.open, 0u);
    EXPECT_FALSE(m.disks[1].deviceNumber);
    EXPECT_EQ(m.volumes[0].letter, 'E');
    EXPECT_EQ(m.volumes[0].driveType, DRIVE_REMOVABLE);
    EXPECT_FALSE(m.dpi);
    EXPECT_EQ(ParseScenario(R"({"dpi": 480})").dpi, 480);
}

TEST(Scenario, RefusalsNameTheFieldAndTheProblem) {
    EXPECT_EQ(RefusalOf(R"({"disks": [{}, {"bus": "usb"}]})"), "disks[1].bus: expected an integer");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"geometry": {"cylinders": 1.5}}]})"),
              "disks[0].geometry.cylinders: expected an integer");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"vendr": "x"}]})"), "disks[0].vendr: unknown field");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"hotplug": "08000000"}]})"),
              "disks[0].hotplug: expected 8 bytes (16 hex digits)");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"descriptor": "28zz"}]})"),
              "disks[0].descriptor: expected hex digits, found 'z'");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"errors": {"open": -1}}]})"),
              "disks[0].errors.open: expected an integer from 0 to 4294967295");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"number": 1}, {"number": 1}]})"),
              "disks[1].number: 1 is used twice");
    EXPECT_EQ(RefusalOf(R"({"volumes": [{"letter": "EF", "disk": 0}]})"),
              "volumes[0].letter: expected one letter A to Z");
    EXPECT_EQ(RefusalOf(R"({"volumes": [{"letter": "E"}]})"),
              "volumes[0].disk: missing (a disk number, or null for a volume spanning disks)");
    EXPECT_EQ(RefusalOf(R"({"numberFormat": {"leadingZero": 1}})"),
              "numberFormat.leadingZero: expected true or false");
    // A number is checked against both ends of its range, the lower one too.
    EXPECT_EQ(RefusalOf(R"({"dpi": 72})"), "dpi: expected an integer from 96 to 480");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"devInst": 0}]})"),
              "disks[0].devInst: expected an integer from 1 to 4294967295");
    EXPECT_EQ(RefusalOf(R"({"elevated": "no"})"), "elevated: expected true or false");
    EXPECT_EQ(RefusalOf(R"({"elevateError": -5})"),
              "elevateError: expected an integer from 0 to 4294967295");
    EXPECT_EQ(RefusalOf(R"({"disks": [{"interfacePath": "usb#1"}]})"),
              R"(disks[0].interfacePath: expected a device path starting with \\?\)");
    EXPECT_EQ(RefusalOf("[]"), "scenario: expected an object");
    EXPECT_EQ(RefusalOf(R"({"disks": [}")").rfind("not valid JSON: ", 0), 0u);
}

// What the loader would otherwise take silently: a disk number counted on past
// the largest int, a key given twice (the last would win), two disks with one
// instance id or device node (which Windows never shows), a signature of no form.
TEST(Scenario, WhatNoWindowsMachineHasIsRefusedWithItsPath) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"disks": [{"number": 2147483647}, {}]})",
         "disks[1].number: missing, and the previous disk's number + 1 is past 2147483647"},
        {R"({"disks": [{"vendor": "A", "vendor": "B"}]})", "disks[0].vendor: given twice"},
        {R"({"disks": [{}, {"geometry": {"cylinders": 1, "cylinders": 2}}]})",
         "disks[1].geometry.cylinders: given twice"},
        {R"({"disks": [{"instanceId": "USB\\A"}, {"instanceId": "usb\\a"}]})",
         "disks[1].instanceId: usb\\a is used twice"},
        {R"({"disks": [{"devInst": 7}, {"devInst": 7}]})", "disks[1].devInst: 7 is used twice"},
        {R"({"disks": [{"diskSignature": "1234"}]})",
         "disks[0].diskSignature: expected an MBR signature (8 hex digits), a GPT disk GUID in "
         "braces, or null"},
    };
    for (const auto& [json, refusal] : cases) EXPECT_EQ(RefusalOf(json), refusal) << json;
    // The largest number itself is fine when nothing follows it.
    EXPECT_EQ(ParseScenario(R"({"disks": [{"number": 2147483647}]})").disks.size(), 1u);
}

TEST(Scenario, ADiskSignatureIsMadeFromTheNumberUnlessGiven) {
    const Machine m = ParseScenario(
        R"({"disks": [{"number": 3}, {"diskSignature": "0a1B2c3D"},
                      {"diskSignature": "{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}"},
                      {"diskSignature": null}]})");
    ASSERT_EQ(m.disks.size(), 4u);
    EXPECT_EQ(m.disks[0].partitionStyle, PartitionStyle::Mbr);
    EXPECT_EQ(m.disks[0].diskSignature, std::nullopt);
    EXPECT_EQ(m.disks[1].diskSignature, 0x0A1B2C3Du);
    EXPECT_EQ(m.disks[2].partitionStyle, PartitionStyle::Gpt);
    EXPECT_EQ(m.disks[2].gptDiskId, platform::kDiskInterfaceClass);
    EXPECT_EQ(m.disks[3].partitionStyle, PartitionStyle::Raw);
}

// The JSON library throws out_of_range for such a number; the loader turns it
// into its own refusal, so no driver aborts on it.
TEST(Scenario, ANumberNoDoubleHoldsIsRefusedAsInvalidJson) {
    for (const char* text : {R"({"disks": [{"number": 1e400}]})", "1e400",
                             R"({"description": "x", "note": -1E+999})"}) {
        EXPECT_EQ(RefusalOf(text).rfind("not valid JSON: number overflow parsing", 0), 0u) << text;
    }
}

TEST(Scenario, CommentsAndHexForms) {
    const Machine m = ParseScenario(R"({
        // a stick with its flags given as bytes
        "disks": [{"hotplug": "08000000 01000101", "descriptor": "28 00 00 00"}]})");
    EXPECT_EQ(m.disks[0].hotplug, (std::array<std::uint8_t, 8>{8, 0, 0, 0, 1, 0, 1, 1}));
    EXPECT_EQ(m.disks[0].descriptor, (std::vector<std::uint8_t>{0x28, 0, 0, 0}));
}

TEST(Scenario, UnreadableFileNamesThePath) {
    try {
        LoadScenarioFile(Example("no-such-scenario.json"));
        FAIL() << "accepted";
    } catch (const ScenarioError& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-scenario.json"), std::string::npos);
    }
}

}  // namespace
}  // namespace plumvane::sim
