#pragma once
// The two hotplug flags of a physical drive (DeviceHotplug and
// WriteCacheEnableOverride), read and written through the storage driver's
// STORAGE_HOTPLUG_INFO. Every call opens the drive afresh and closes it. The
// window's ReadHotplugInfo and WriteHotplugInfo show device failures in a
// message box owned by `owner`; the ...Quietly forms show none and return the
// step that failed.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowsApi.h"

namespace plumvane::hotplug {

// The structure as the driver exchanges it: 8 bytes, little-endian, no gaps.
// Kept as its byte image so that a write sends back every byte it does not
// change exactly as the driver gave it.
struct STORAGE_HOTPLUG_INFO {
    static constexpr std::size_t kSizeOffset = 0;  // u32
    static constexpr std::size_t kMediaRemovableOffset = 4;
    static constexpr std::size_t kMediaHotplugOffset = 5;
    static constexpr std::size_t kDeviceHotplugOffset = 6;
    static constexpr std::size_t kWriteCacheEnableOverrideOffset = 7;
    static constexpr std::size_t kImageSize = 8;

    std::array<platform::Byte, kImageSize> bytes{};

    std::uint32_t Size() const;
    void SetSize(std::uint32_t size);
    // Any nonzero byte reads as true.
    bool DeviceHotplug() const { return bytes[kDeviceHotplugOffset] != 0; }
    bool WriteCacheEnableOverride() const { return bytes[kWriteCacheEnableOverrideOffset] != 0; }
    // Written as exactly 1 or 0.
    void SetDeviceHotplug(bool on) { bytes[kDeviceHotplugOffset] = on ? 1 : 0; }
    void SetWriteCacheEnableOverride(bool on) {
        bytes[kWriteCacheEnableOverrideOffset] = on ? 1 : 0;
    }
};
static_assert(sizeof(STORAGE_HOTPLUG_INFO) == STORAGE_HOTPLUG_INFO::kImageSize);
static_assert(STORAGE_HOTPLUG_INFO::kWriteCacheEnableOverrideOffset + 1 ==
              STORAGE_HOTPLUG_INFO::kImageSize);

// The step a failure happened in. Confirm: the caller's check of the drive,
// on the operation's own handle, refused it.
enum class HotplugStep { None, Open, OpenForWrite, Confirm, Get, Set };

// The step as the window's error messages name it, e.g. "opening disk device".
std::string_view HotplugStepName(HotplugStep step);

struct HotplugResult {
    HotplugStep FailedStep = HotplugStep::None;
    platform::DWORD Error = 0;  // the failed step's last-error code
    STORAGE_HOTPLUG_INFO Read;  // the driver's answer to the GET
    // What the SET carried, or, in a dry run, would have carried.
    STORAGE_HOTPLUG_INFO Written;
    // The write calls for a SET: always, or under OnlyWhenChanged only when
    // Changes(). A dry run stops before it all the same.
    bool SetWanted = false;
    bool ok() const { return FailedStep == HotplugStep::None; }
    // A flag asked for differs from the driver's answer, each read as the
    // program reads it (any nonzero byte is on).
    bool Changes() const {
        return Read.DeviceHotplug() != Written.DeviceHotplug() ||
               Read.WriteCacheEnableOverride() != Written.WriteCacheEnableOverride();
    }
};

// Asked on the drive's handle right after the open, before the GET: false
// stops the operation there (FailedStep Confirm, Error 0).
using DriveCheck = std::function<bool(platform::Handle drive)>;

// What a write sends: a flag left empty keeps the value the driver gives
// back in the same open, so a write never changes a flag nobody asked for.
struct HotplugChange {
    std::optional<bool> WriteCacheEnableOverride;
    std::optional<bool> DeviceHotplug;
    bool DryRun = false;  // everything but the SET
    DriveCheck Check;     // none: no check
    // No SET when the flags asked for already hold their values, so that a
    // repeated run changes nothing; a click always sends its SET.
    bool OnlyWhenChanged = false;
};

// --- the window's forms: they show device failures in a message box ---------

// True when the flags were read; the out values change only then. A failed
// open is shown in a box, a failed query is not.
bool ReadHotplugInfo(platform::WindowsApi& api, platform::Hwnd owner, std::int32_t driveNumber,
                     bool& writeCacheEnableOverride, bool& deviceHotplug);

// The same read with `check` asked on its handle before the GET: a refused
// check stops it there without a box.
HotplugResult ReadHotplugInfo(platform::WindowsApi& api, platform::Hwnd owner,
                              std::int32_t driveNumber, const DriveCheck& check);

// Writes the flags `change` names and keeps the rest. Every failure is shown
// in a box while the drive is still open, except those the window tells in
// its own words: a refused check and an open that found no drive (the disk
// changed), and an open refused for want of rights (RefusedForRights).
HotplugResult WriteHotplugInfo(platform::WindowsApi& api, platform::Hwnd owner,
                               std::int32_t driveNumber, const HotplugChange& change);

// --- the quiet forms: the same calls in the same order, never a box ----------

HotplugResult ReadFlagsQuietly(platform::WindowsApi& api, std::int32_t driveNumber);

// Writes the flags `change` names and keeps the rest, as WriteHotplugInfo.
HotplugResult WriteFlagsQuietly(platform::WindowsApi& api, std::int32_t driveNumber,
                                const HotplugChange& change);

// --- what the window's messages are made of -----------------------------------

// The box every device failure is shown in, its text DeviceErrorText's.
void ShowDeviceError(platform::WindowsApi& api, platform::Hwnd owner, platform::DWORD code,
                     std::string_view step);

// The step of a query that failed while the disk was being confirmed, e.g.
// "confirming the disk (its drive geometry)".
std::string ConfirmQueryStep(std::string_view query);

// True when the write's open failed because no drive has that number any more.
bool DriveGone(const HotplugResult& result);

// True when the write's open was refused with ERROR_ACCESS_DENIED.
bool RefusedForRights(const HotplugResult& result);

// A device failure as its box shows it: "Error <code> <step>", the code read
// as signed so that a code with the high bit set shows with a minus sign;
// the box's caption is kDeviceErrorCaption.
std::string DeviceErrorText(platform::DWORD code, std::string_view step);
std::string DeviceErrorText(platform::DWORD code, HotplugStep step);
inline constexpr const char* kDeviceErrorCaption = "Error";

}  // namespace plumvane::hotplug
