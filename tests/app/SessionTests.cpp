// The headless session: the acceptance machine as the dump shows it, the
// user's actions as text, and what the session records.

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>

#include "app/ModelSession.h"
#include "app/StateDump.h"
#include "platform/WinDefs.h"
#include "sim/Scenario.h"
#include "ui/FormDesign.h"
#include "ui/frmMain.h"

namespace plumvane::app {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

const fs::path kWindowScenarios = fs::path(PLUMVANE_TEST_DATA_DIR) / "scenarios/window";

Json Dump(const ModelSession& s) { return s.State(); }

Action Make(Action::Kind kind) {
    Action a;
    a.kind = kind;
    return a;
}

const Json* Control(const Json& doc, const std::string& name, std::optional<int> index) {
    for (const Json& c : doc["controls"]) {
        if (c["name"] == name && (index ? c["index"] == *index : c["index"].is_null())) return &c;
    }
    return nullptr;
}

TEST(SessionTest, ThreeUsbDisksAndTwoOthersGiveThreeStripedRows) {
    ModelSession s(sim::LoadScenarioFile(kWindowScenarios / "three-usb-two-other.json"));
    const Json doc = Dump(s);

    EXPECT_EQ(doc["window"]["caption"], "Plumvane");
    EXPECT_EQ(doc["window"]["open"], true);
    EXPECT_EQ(doc["lockMe"], false);
    EXPECT_EQ(doc["diskCount"], 5);
    // The present records, in drive-number order, each with its number.
    ASSERT_EQ(doc["disks"].size(), 5u);
    for (int n = 0; n < 5; ++n) EXPECT_EQ(doc["disks"][n]["number"], n);
    EXPECT_EQ(doc["disks"][3]["letters"], Json::array({"F", "G"}));
    EXPECT_EQ(doc["disks"][3]["lettersText"], "F: G: ");
    EXPECT_EQ(doc["disks"][2]["busType"], 17);

    const char* captions[] = {
        "Disk 1:  SanDisk Cruzer Blade  (14.9 GB)  E: ",
        "Disk 3:  Kingston DataTraveler 3.0  (29.8 GB)  F: G: ",
        "Disk 4:  WD Elements 25A2  (931.5 GB)  ",
    };
    const int wceo[] = {0, 0, 1};
    const int hpd[] = {0, 1, 0};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const Json* label = Control(doc, "lblDisks", r);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ((*label)["caption"], captions[r]);
        const std::uint32_t stripe = r % 2 ? 0xF8F8F8 : 0xF0F0F0;
        EXPECT_EQ((*label)["background"], stripe);
        EXPECT_EQ((*label)["top"], 17 * r);
        EXPECT_EQ((*Control(doc, "chkWCEO", r))["state"], wceo[r]);
        EXPECT_EQ((*Control(doc, "chkHPD", r))["state"], hpd[r]);
        EXPECT_EQ((*Control(doc, "chkHPD", r))["background"], stripe);
        EXPECT_EQ((*Control(doc, "chkHPD", r))["themeOff"], true);
        EXPECT_EQ(label->contains("themeOff"), false);
    }
    EXPECT_EQ(Control(doc, "lblDisks", 3), nullptr);
    const Json& scroll = *Control(doc, "ListVScroll", std::nullopt);
    EXPECT_EQ(scroll["visible"], false);
    EXPECT_EQ(scroll["min"], -4);
    EXPECT_EQ(scroll["max"], 51 + 4 - 259);
    EXPECT_EQ((*Control(doc, "picList", std::nullopt))["height"], 51);
    EXPECT_TRUE(doc["messages"].empty());
    EXPECT_TRUE(doc["deviceWrites"].empty());
    EXPECT_EQ(doc["openHandles"], 0);
    EXPECT_EQ(doc["openDeviceInfoSets"], 0);
}

TEST(SessionTest, TheDumpListsMessagesAndWritesInOrder) {
    ModelSession s(sim::LoadScenarioFile(kWindowScenarios / "three-usb-two-other.json"));
    ASSERT_TRUE(s.user.ClickCheck("chkWCEO", 1));
    // The window's own "error" box reaches the machine's record too, in order.
    ASSERT_EQ(s.toolkit.SetCaption(ui::Elem("lblDisks", 0), "Disk:"), ui::Status::Ok);
    ASSERT_TRUE(s.user.ClickCheck("chkHPD", 0));
    s.machine.machine().disks[4].errors.openWrite = 5;
    ASSERT_TRUE(s.user.ClickCheck("chkHPD", 2));

    const Json doc = Dump(s);
    ASSERT_EQ(doc["deviceWrites"].size(), 1u);
    EXPECT_EQ(doc["deviceWrites"][0],
              (Json{{"disk", 3}, {"bytes", "0800000001000101"}, {"ok", true}}));
    ASSERT_EQ(doc["messages"].size(), 2u);
    EXPECT_EQ(doc["messages"][0], (Json{{"text", "error"}, {"caption", "Plumvane"}, {"type", 0}}));
    EXPECT_EQ(doc["messages"][1], (Json{{"text", "Error 5 opening disk device with write access"},
                                        {"caption", "Error"},
                                        {"type", 0x10}}));
}

TEST(SessionTest, ActionsTheWindowCannotTakeAreReportedNotPerformed) {
    ModelSession s(sim::LoadScenarioFile(kWindowScenarios / "no-usb.json"));
    std::string note;
    Action click = Make(Action::Kind::ClickCheck);
    click.name = "chkHPD";
    EXPECT_FALSE(Perform(click, s.user, s.machine, note));  // hidden without USB disks
    EXPECT_FALSE(note.empty());
    click.index = 5;
    EXPECT_FALSE(Perform(click, s.user, s.machine, note));

    Action machine = Make(Action::Kind::Machine);
    machine.path = (kWindowScenarios / "write-refused.json").string();
    EXPECT_TRUE(Perform(machine, s.user, s.machine, note));
    EXPECT_EQ(s.inventory.DiskCount, 1);  // the window stays as it was until F5
    Action f5 = Make(Action::Kind::Key);
    f5.key = 116;
    EXPECT_TRUE(Perform(f5, s.user, s.machine, note));
    EXPECT_EQ(s.inventory.DiskCount, 2);

    EXPECT_TRUE(Perform(Make(Action::Kind::Close), s.user, s.machine, note));
    EXPECT_FALSE(s.toolkit.IsOpen());
    EXPECT_FALSE(Perform(f5, s.user, s.machine, note));
    EXPECT_EQ(Dump(s)["window"]["open"], false);
}

// The plugging cases, as the drivers perform them from their command line.
TEST(SessionTest, PlugUnplugAndWaitFollowTheMachine) {
    struct Case {
        std::vector<std::string> actions;
        int listBuilds;
        const char* firstRow;
    };
    const std::string pulled = "unplug:" + (kWindowScenarios / "usb1-pulled.json").string();
    const std::string plugged = "plug:" + (kWindowScenarios / "usb3-usb4-swapped.json").string();
    const Case cases[] = {
        // Three notifications 200 ms apart: one rebuild 750 ms after the last.
        {{plugged, "wait:200", plugged, "wait:200", plugged, "wait:749"}, 1, "Disk 1:"},
        {{plugged, "wait:200", plugged, "wait:200", pulled, "wait:1000"}, 2, "Disk 3:"},
        // F5 rebuilds at once and cancels the timer.
        {{pulled, "wait:300", "key:116", "wait:5000"}, 2, "Disk 3:"},
        // machine: tells the window nothing.
        {{"machine:" + (kWindowScenarios / "usb1-pulled.json").string(), "wait:5000"},
         1,
         "Disk 1:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.actions));
        ModelSession s(sim::LoadScenarioFile(kWindowScenarios / "three-usb-two-other.json"));
        for (const std::string& text : c.actions) {
            std::string error, note;
            const auto action = ParseAction(text, error);
            ASSERT_TRUE(action) << error;
            EXPECT_TRUE(Perform(*action, s.user, s.machine, note)) << note;
        }
        const Json doc = Dump(s);
        EXPECT_EQ(doc["listBuilds"], c.listBuilds);
        const std::string first = (*Control(doc, "lblDisks", 0))["caption"];
        EXPECT_EQ(first.rfind(c.firstRow, 0), 0u) << first;
        EXPECT_EQ(doc["openHandles"], 0);
    }
}

// The first click without administrator rights, as the user answers it. The
// stick reports DeviceHotplug on and WriteCacheEnableOverride off; the click
// clears DeviceHotplug. Nothing is ever written: only an elevated process
// may write, and it is a new one.
TEST(SessionTest, AWriteRefusedForWantOfRightsOffersAStartAsAdministrator) {
    struct Case {
        const char* what;
        bool elevated;
        platform::DWORD elevateError;
        std::optional<int> answer;  // none: the question goes unanswered
        const char* failingCall;    // a fault injected there, or none
        int boxes;                  // all of them "Error ..." boxes
        bool asked;                 // the first box asks, Yes and No, No the default
        int starts;
        bool startOk;
        bool open;  // the window after the click
    };
    const Case cases[] = {
        {"Yes", false, 0, platform::IDYES, nullptr, 1, true, 1, true, false},
        {"No", false, 0, platform::IDNO, nullptr, 1, true, 0, false, true},
        {"unanswered is No", false, 0, std::nullopt, nullptr, 1, true, 0, false, true},
        {"prompt declined", false, platform::ERROR_CANCELLED, platform::IDYES, nullptr, 1, true, 1,
         false, true},
        {"start fails", false, 1155, platform::IDYES, nullptr, 2, true, 1, false, true},
        {"own file unknown", false, 0, platform::IDYES, "GetModuleFileNameW", 2, true, 0, false,
         true},
        // No User Account Control, or a token that cannot be read: nothing to offer.
        {"token not opened", false, 0, platform::IDYES, "OpenProcessToken", 1, false, 0, false,
         true},
        {"token not read", false, 0, platform::IDYES, "GetTokenInformation", 1, false, 0, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Machine m = sim::LoadScenarioFile(kWindowScenarios / "unelevated.json");
        m.elevated = c.elevated;
        m.elevateError = c.elevateError;
        ModelSession s(std::move(m));
        if (c.failingCall) s.machine.InjectFault({c.failingCall, "", 31, -1, 0, false});
        if (c.answer) s.machine.QueueAnswer(*c.answer);
        s.machine.ClearCalls();
        ASSERT_TRUE(s.user.ClickCheck(ui::kChkHPD, 0));

        const Json doc = Dump(s);
        ASSERT_EQ(doc["messages"].size(), static_cast<std::size_t>(c.boxes));
        const Json& first = doc["messages"][0];
        EXPECT_EQ(first["caption"], "Error");
        if (c.asked) {
            EXPECT_EQ(first["text"], ui::RunAsAdministratorQuestion(
                                         "Error 5 opening disk device with write access"));
            EXPECT_EQ(first["type"],
                      platform::MB_YESNO | platform::MB_ICONERROR | platform::MB_DEFBUTTON2);
        } else {
            EXPECT_EQ(first["text"], "Error 5 opening disk device with write access");
            EXPECT_EQ(first["type"], platform::MB_OK | platform::MB_ICONERROR);
        }
        if (c.boxes == 2) {
            const std::string code = c.failingCall ? "31" : "1155";
            EXPECT_EQ(doc["messages"][1]["text"].get<std::string>().rfind(
                          "Error " + code + " starting Plumvane as administrator: ", 0),
                      0u);
        }
        ASSERT_EQ(doc["elevationStarts"].size(), static_cast<std::size_t>(c.starts));
        if (c.starts) {
            EXPECT_EQ(doc["elevationStarts"][0],
                      (Json{{"verb", "runas"},
                            {"path", sim::SimulatedWindows::kProgramPath},
                            {"ok", c.startOk}}));
        }
        EXPECT_EQ(doc["deviceWrites"].size(), 0u);
        EXPECT_EQ(doc["window"]["open"], c.open);
        EXPECT_EQ(doc["openHandles"], 0);
        // The row as the disk reports it: the click's change did not stay.
        if (c.open) {
            EXPECT_EQ((*Control(doc, ui::kChkHPD, 0))["state"], 1);
        }
    }
}

// The disk refuses the write in an elevated process too: the box as before,
// no question, no token kept open.
TEST(SessionTest, AnElevatedProcessShowsARefusedWriteWithoutAQuestion) {
    ModelSession s(sim::LoadScenarioFile(kWindowScenarios / "write-refused.json"));
    s.machine.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(s.user.ClickCheck(ui::kChkWCEO, 0));
    const Json doc = Dump(s);
    ASSERT_EQ(doc["messages"].size(), 1u);
    EXPECT_EQ(doc["messages"][0]["text"], "Error 5 opening disk device with write access");
    EXPECT_EQ(doc["messages"][0]["type"], platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_EQ(doc["elevated"], true);
    EXPECT_TRUE(doc["elevationStarts"].empty());
    EXPECT_EQ(doc["openHandles"], 0);
}

// --- actions as text ---------------------------------------------------------------

TEST(ParseActionTest, TakesEveryFormOfTheCommandLine) {
    using K = Action::Kind;
    // text, then kind, name, index, key, shift, value, path as parsed
    const std::pair<const char*, Action> forms[] = {
        {"click:chkWCEO:3", {K::ClickCheck, "chkWCEO", 3, 0, 0, 0, ""}},
        {"key:116", {K::Key, "", 0, 116, 0, 0, ""}},
        {"key:116:4", {K::Key, "", 0, 116, 4, 0, ""}},
        {"scroll:-4", {K::Scroll, "", 0, 0, 0, -4, ""}},
        {"machine:dir/with:colon.json", {K::Machine, "", 0, 0, 0, 0, "dir/with:colon.json"}},
        {"close", {K::Close, "", 0, 0, 0, 0, ""}},
        {"plug:a.json", {K::Plug, "", 0, 0, 0, 0, "a.json"}},
        {"unplug:b.json", {K::Unplug, "", 0, 0, 0, 0, "b.json"}},
        {"wait:0", {K::Wait, "", 0, 0, 0, 0, "", 0}},
        {"wait:60000", {K::Wait, "", 0, 0, 0, 0, "", 60000}},
        {"dpi:96", {K::Dpi, "", 0, 0, 0, 0, "", 0, false, 96}},
        {"dpi:480", {K::Dpi, "", 0, 0, 0, 0, "", 0, false, 480}},
        {"answer:yes", {K::Answer, "", 0, 0, 0, 0, "", 0, true}},
        {"answer:no", {K::Answer, "", 0, 0, 0, 0, "", 0, false}},
    };
    for (const auto& [text, expected] : forms) {
        SCOPED_TRACE(text);
        std::string error;
        const auto a = ParseAction(text, error);
        ASSERT_TRUE(a);
        EXPECT_EQ(std::tie(a->kind, a->name, a->index, a->key, a->shift, a->value, a->path,
                           a->milliseconds, a->yes, a->dpi),
                  std::tie(expected.kind, expected.name, expected.index, expected.key,
                           expected.shift, expected.value, expected.path, expected.milliseconds,
                           expected.yes, expected.dpi));
    }
}

// An empty part is refused, not read as 0: "key:116:" would pass for F5 without
// shift and hide a missing shift state.
TEST(ParseActionTest, RefusesAnythingElseWithAReason) {
    const char* const notActions[] = {"",
                                      "clik:chkHPD:0",
                                      "click:chkHPD",
                                      "click:chkHPD:",
                                      "click:lblDisks:0",
                                      "click:chkHPD:-1",
                                      "click:chkHPD:1:2",
                                      "click:chkHPD:x",
                                      "key",
                                      "key:",
                                      "key:F5",
                                      "key:116:",
                                      "key:116:1:2",
                                      "key:70000",
                                      "scroll",
                                      "scroll:",
                                      "scroll:32768",
                                      "scroll:1.5",
                                      "machine",
                                      "machine:",
                                      "plug",
                                      "plug:",
                                      "unplug:",
                                      "wait",
                                      "wait:",
                                      "wait:60001",
                                      "wait:-1",
                                      "wait:1.5",
                                      "wait:4294967296",
                                      "dpi",
                                      "dpi:",
                                      "dpi:95",
                                      "dpi:481",
                                      "dpi:144.5",
                                      "answer",
                                      "answer:Yes",
                                      "close:now",
                                      "Close"};
    for (const char* text : notActions) {
        std::string error;
        EXPECT_FALSE(ParseAction(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace plumvane::app
