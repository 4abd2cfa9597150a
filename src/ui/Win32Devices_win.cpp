// The Win32 toolkit's timers and device notifications: WM_TIMER, a posted
// message for a timer that is due at once, and WM_DEVICECHANGE for disks and
// volumes.

#include <cstddef>

#include "platform/DevicePaths.h"
#include "ui/Win32ToolkitImpl_win.h"
// after windows.h, which it needs
#include <dbt.h>

namespace plumvane::ui {

const GUID& DiskInterfaceGuid() {
    static const GUID disk = platform::ToGuid(platform::kDiskInterfaceClass);
    return disk;
}

void Win32Toolkit::Impl::ListenForDisks() {
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = DiskInterfaceGuid();
    // Without it the window still hears of volumes, which every top-level
    // window is told about.
    deviceNotification.reset(
        RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

bool Win32Toolkit::HearsDiskInterfaces() const {
    return static_cast<bool>(impl_->deviceNotification);
}

DeviceChange DecodeDeviceChange(WPARAM event, LPARAM data) {
    DeviceChange change;
    if (event == DBT_DEVICEARRIVAL) change.event = DeviceEvent::Arrival;
    if (event == DBT_DEVICEREMOVECOMPLETE) change.event = DeviceEvent::RemoveComplete;
    // Both events carry a header; what follows it is only read as far as
    // the header's own size says it goes.
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (change.event == DeviceEvent::Other || !header || header->dbch_size < sizeof *header) {
        return change;
    }
    if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
        if (header->dbch_size >= sizeof(DEV_BROADCAST_VOLUME)) change.device = DeviceKind::Volume;
    } else if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
        const auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(header);
        if (header->dbch_size >= offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) &&
            IsEqualGUID(iface->dbcc_classguid, DiskInterfaceGuid())) {
            change.device = DeviceKind::DiskInterface;
        }
    }
    return change;
}

bool Win32Toolkit::ArmTimer(std::uint32_t id, std::uint32_t milliseconds, std::uint64_t start) {
    const HWND w = impl_->window;
    if (!w) return false;
    KillTimer(w, id);
    if (milliseconds == 0) {
        // SetTimer would wait its minimum of 10 ms; a posted message comes as
        // soon as the running message is done.
        return PostMessageW(w, Impl::kTimerDueNow, id, static_cast<LPARAM>(start)) != 0;
    }
    return SetTimer(w, id, milliseconds, nullptr) != 0;
}

void Win32Toolkit::DisarmTimer(std::uint32_t id) {
    if (impl_->window) KillTimer(impl_->window, id);
}

}  // namespace plumvane::ui
