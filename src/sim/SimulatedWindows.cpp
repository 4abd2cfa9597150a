// SimulatedWindows: the call bookkeeping (faults, log, last error), the handle
// table, CreateFileA / CloseHandle, and the file calls routed to SimFileSystem.

#include "sim/SimulatedWindows.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "platform/AsciiCase.h"
#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

namespace {

// `device` names a device within a call's detail; "PHYSICALDRIVE1" must not
// also match "PHYSICALDRIVE10".
bool DetailNamesDevice(std::string_view detail, std::string_view device) {
    if (device.empty()) return true;
    const std::string d = AsciiLowered(detail);
    const std::string want = AsciiLowered(device);
    const bool endsInDigit = std::isdigit(static_cast<unsigned char>(want.back())) != 0;
    for (std::size_t at = d.find(want); at != std::string::npos; at = d.find(want, at + 1)) {
        const std::size_t after = at + want.size();
        if (!endsInDigit || after == d.size() ||
            !std::isdigit(static_cast<unsigned char>(d[after]))) {
            return true;
        }
    }
    return false;
}

// What a device-namespace path ("\\.\..." or "\\?\...") names.
struct DevicePath {
    enum class Kind { PhysicalDrive, Volume, Other } kind = Kind::Other;
    int number = -1;
    char letter = 0;
    std::string rest;  // the path after the prefix
};

DevicePath ParseDevicePath(std::string_view rest) {
    DevicePath p;
    p.rest = std::string(rest);
    constexpr std::string_view kDrive = "physicaldrive";
    if (StartsWithIgnoringAsciiCase(rest, kDrive)) {
        const std::string_view digits = rest.substr(kDrive.size());
        // The object names are PhysicalDrive0, PhysicalDrive1, ...: no sign,
        // no leading zero.
        if (!digits.empty() && digits.size() <= 9 && (digits.size() == 1 || digits[0] != '0')) {
            int n = 0;
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            if (ec == std::errc() && end == digits.data() + digits.size()) {
                p.kind = DevicePath::Kind::PhysicalDrive;
                p.number = n;
            }
        }
        return p;
    }
    if (rest.size() == 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        p.kind = DevicePath::Kind::Volume;
        p.letter = AsciiUpper(rest[0]);
    }
    return p;
}

std::string HandleText(Handle h) {
    return LabelledHex("handle", static_cast<unsigned long long>(static_cast<std::intptr_t>(h)));
}

}  // namespace

// --- shared helpers ------------------------------------------------------

std::string LabelledHex(std::string_view what, unsigned long long value) {
    char hex[24];
    std::snprintf(hex, sizeof hex, " 0x%llx", value);
    return std::string(what) + hex;
}

void WriteGuid(std::span<Byte> b, std::size_t offset, const Guid& g) {
    WriteU32LE(b, offset, g.Data1);
    WriteU16LE(b, offset + 4, g.Data2);
    WriteU16LE(b, offset + 6, g.Data3);
    for (std::size_t i = 0; i < 8; ++i) b[offset + 8 + i] = g.Data4[i];
}

std::string EffectiveInstanceId(const SimDisk& disk) {
    if (!disk.instanceId.empty()) return disk.instanceId;
    auto field = [](std::string_view text) {
        std::string s;
        for (char c : text) {
            s += (c == ' ' || c == '\\' || c == '#' || c == '&') ? '_' : AsciiUpper(c);
        }
        return s;
    };
    const std::string n = std::to_string(disk.number);
    if (disk.bus == BusTypeUsb) {
        return "USBSTOR\\DISK&VEN_" + field(disk.vendor) + "&PROD_" + field(disk.product) +
               "&REV_1.00\\" + std::string(8 - std::min<std::size_t>(8, n.size()), '0') + n + "&0";
    }
    return "SCSI\\DISK&VEN_" + field(disk.vendor) + "&PROD_" + field(disk.product) + "\\4&" + n +
           "&0&000000";
}

std::uint32_t DefaultDiskSignature(int number) {
    // Made from the number alone, so a machine swapped for one with the same
    // numbers keeps its signatures.
    return 0x5056D000u + static_cast<std::uint32_t>(number);
}

std::uint32_t EffectiveDiskSignature(const SimDisk& disk) {
    return disk.diskSignature.value_or(DefaultDiskSignature(disk.number));
}

namespace {

// The partition table's identity, as the key shows it.
std::string LayoutKey(const SimDisk& disk) {
    switch (disk.partitionStyle) {
        case PartitionStyle::Mbr:
            return LabelledHex(" mbr", EffectiveDiskSignature(disk));
        case PartitionStyle::Gpt:
            return " gpt " + GuidText(disk.gptDiskId);
        case PartitionStyle::Raw:
            break;
    }
    return " raw";
}

}  // namespace

std::string DeviceKey(const SimDisk& disk) {
    const DiskGeometry& g = disk.geometry;
    std::string key = std::to_string(disk.number) + " " + EffectiveInstanceId(disk) + " \"" +
                      disk.vendor + "\" \"" + disk.product + "\" bus " + std::to_string(disk.bus) +
                      " geometry " + std::to_string(g.cylinders) + "/" +
                      std::to_string(g.tracksPerCylinder) + "/" +
                      std::to_string(g.sectorsPerTrack) + "/" + std::to_string(g.bytesPerSector) +
                      "/" + std::to_string(g.mediaType) + " devInst " +
                      (disk.devInst ? std::to_string(*disk.devInst) : "none") + LayoutKey(disk) +
                      " interface " + EffectiveInterfacePath(disk);
    if (disk.descriptor) {
        // FNV-1a of the raw descriptor: short, and differs where the bytes do.
        std::uint32_t hash = 2166136261u;
        for (const std::uint8_t b : *disk.descriptor) hash = (hash ^ b) * 16777619u;
        key += LabelledHex(" descriptor", hash);
    }
    return key;
}

bool SameDevice(const SimDisk& a, const SimDisk& b) {
    const DiskGeometry& g = a.geometry;
    const DiskGeometry& h = b.geometry;
    return a.number == b.number && a.instanceId == b.instanceId && a.vendor == b.vendor &&
           a.product == b.product && a.bus == b.bus && a.descriptor == b.descriptor &&
           g.cylinders == h.cylinders && g.mediaType == h.mediaType &&
           g.tracksPerCylinder == h.tracksPerCylinder && g.sectorsPerTrack == h.sectorsPerTrack &&
           g.bytesPerSector == h.bytesPerSector && a.devInst == b.devInst &&
           a.interfacePath == b.interfacePath && LayoutKey(a) == LayoutKey(b);
}

std::string EffectiveInterfacePath(const SimDisk& disk) {
    if (!disk.interfacePath.empty()) return disk.interfacePath;
    std::string id = AsciiLowered(EffectiveInstanceId(disk));
    for (char& c : id) {
        if (c == '\\') c = '#';
    }
    return "\\\\?\\" + id + "#" + GuidText(kDiskInterfaceClass);
}

// --- Impl -----------------------------------------------------------------

SimulatedWindows::Impl::Call::Call(SimulatedWindows& w, std::string function, std::string detail)
    : w_(w) {
    record_.function = std::move(function);
    record_.detail = std::move(detail);
    if (w_.changeAt_ && *w_.changeAt_ == w_.calls_.size()) {
        w_.changeAt_.reset();
        auto change = std::move(w_.change_);
        w_.change_ = nullptr;
        change(w_.machine_);
    }
}

std::uint32_t SimulatedWindows::Impl::DeviceNumberOf(const SimDisk& disk) {
    for (std::size_t i = devices.size(); i-- > 0;) {
        if (SameDevice(devices[i], disk)) return static_cast<std::uint32_t>(i + 1);
    }
    devices.push_back(disk);
    return static_cast<std::uint32_t>(devices.size());
}

std::optional<DWORD> SimulatedWindows::Impl::Call::Fault() {
    for (auto it = w_.faults_.begin(); it != w_.faults_.end(); ++it) {
        if (!it->function.empty() && it->function != record_.function) continue;
        if (it->wholeDetail ? record_.detail != it->device
                            : !DetailNamesDevice(record_.detail, it->device)) {
            continue;
        }
        if (it->times == 0) continue;
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        const DWORD error = it->error;
        if (it->times > 0 && --it->times == 0) w_.faults_.erase(it);
        return error;
    }
    return std::nullopt;
}

void SimulatedWindows::Impl::Call::Record(bool failed, DWORD error) {
    record_.failed = failed;
    record_.error = error;
    w_.calls_.push_back(std::move(record_));
}

SimulatedWindows::Impl::OpenHandle* SimulatedWindows::Impl::Find(Handle h) {
    auto it = handles.find(static_cast<std::intptr_t>(h));
    return it == handles.end() ? nullptr : &it->second;
}

Handle SimulatedWindows::Impl::Add(OpenHandle entry) {
    // Never reused: a stale handle fails with ERROR_INVALID_HANDLE instead of
    // reaching whatever was opened later.
    const std::intptr_t value = nextHandle;
    nextHandle += 4;
    handles.emplace(value, std::move(entry));
    return static_cast<Handle>(value);
}

SimDisk* SimulatedWindows::Impl::DiskByNumber(Machine& m, int number) {
    for (SimDisk& d : m.disks) {
        if (d.number == number) return &d;
    }
    return nullptr;
}

// --- SimulatedWindows ------------------------------------------------------

SimulatedWindows::SimulatedWindows(Machine machine)
    : machine_(std::move(machine)),
      files_(std::make_unique<SimFileSystem>()),
      impl_(std::make_unique<Impl>()) {}

SimulatedWindows::~SimulatedWindows() = default;

void SimulatedWindows::ChangeMachineBeforeCall(std::size_t index,
                                               std::function<void(Machine&)> change) {
    changeAt_ = index;
    change_ = std::move(change);
}

std::string SimulatedWindows::DeviceKeyOf(std::uint32_t device) const {
    if (device == 0 || device > impl_->devices.size()) return {};
    return DeviceKey(impl_->devices[device - 1]);
}

int SimulatedWindows::OpenHandleCount() const { return static_cast<int>(impl_->handles.size()); }

int SimulatedWindows::OpenDeviceInfoSetCount() const {
    return static_cast<int>(impl_->sets.size());
}

Handle SimulatedWindows::CreateFileA(std::string_view fileName, DWORD desiredAccess,
                                     DWORD shareMode, DWORD creationDisposition,
                                     DWORD flagsAndAttributes) {
    Impl::Call call(*this, "CreateFileA", std::string(fileName));
    call.Access(desiredAccess);
    if (auto e = call.Fault()) return call.Fail(*e, INVALID_HANDLE_VALUE);
    if (forbidWrites_ && (desiredAccess & GENERIC_WRITE) != 0) {
        forbidWrites_("CreateFileA " + std::string(fileName) + " for writing");
        return call.Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }

    const bool deviceNamespace = StartsWithIgnoringAsciiCase(fileName, "\\\\.\\") ||
                                 StartsWithIgnoringAsciiCase(fileName, "\\\\?\\");
    std::string_view fileNameForFs = fileName;
    if (deviceNamespace) {
        const DevicePath p = ParseDevicePath(fileName.substr(4));
        const bool wantsData = (desiredAccess & (GENERIC_READ | GENERIC_WRITE)) != 0;
        // By number or by interface path, a disk opens by the same rules.
        const auto openDisk = [&](const SimDisk& disk) {
            if (disk.errors.open) return call.Fail(disk.errors.open, INVALID_HANDLE_VALUE);
            if (wantsData && !machine_.elevated) {
                return call.Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
            }
            if (wantsData && disk.errors.openWrite) {
                return call.Fail(disk.errors.openWrite, INVALID_HANDLE_VALUE);
            }
            Impl::OpenHandle h(Impl::Kind::Disk, fileName, desiredAccess);
            h.disk = disk;
            h.device = impl_->DeviceNumberOf(disk);
            call.Reached(disk.number, h.device);
            return call.Ok(impl_->Add(std::move(h)));
        };
        if (p.kind == DevicePath::Kind::PhysicalDrive) {
            const SimDisk* disk = Impl::DiskByNumber(machine_, p.number);
            if (!disk) return call.Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
            return openDisk(*disk);
        }
        if (p.kind == DevicePath::Kind::Volume) {
            for (const SimVolume& v : machine_.volumes) {
                if (AsciiUpper(v.letter) != p.letter) continue;
                if (v.openError) return call.Fail(v.openError, INVALID_HANDLE_VALUE);
                Impl::OpenHandle h(Impl::Kind::Volume, fileName, desiredAccess);
                h.volume = v;
                return call.Ok(impl_->Add(std::move(h)));
            }
            return call.Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
        }
        // A disk-class interface path opens the same disk; "\\.\" and "\\?\"
        // both name the device namespace.
        const std::string wanted = AsciiLowered(p.rest);
        for (const SimDisk& disk : machine_.disks) {
            if (!disk.devInst) continue;
            const std::string itf = EffectiveInterfacePath(disk);
            if (itf.size() < 4 || AsciiLowered(std::string_view(itf).substr(4)) != wanted) {
                continue;
            }
            return openDisk(disk);
        }
        // "\\?\C:\dir\file" is an ordinary file name without parsing.
        const std::string_view rest = fileName.substr(4);
        if (rest.size() > 3 && rest[1] == ':' && rest[2] == '\\') {
            fileNameForFs = rest;
        } else {
            return call.Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
        }
    }

    DWORD error = 0;
    const std::uint32_t id = files_->Open(fileNameForFs, desiredAccess, shareMode,
                                          creationDisposition, flagsAndAttributes, error);
    if (id == 0) return call.Fail(error ? error : ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    // Windows reports whether OPEN_ALWAYS / CREATE_ALWAYS found the file.
    if (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS) {
        lastError_ = error;
    }
    Impl::OpenHandle h(Impl::Kind::File, fileName, desiredAccess);
    h.fileId = id;
    return call.Ok(impl_->Add(std::move(h)));
}

BOOL SimulatedWindows::CloseHandle(Handle h) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(*this, "CloseHandle", entry ? entry->path : HandleText(h));
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    // INVALID_HANDLE_VALUE is also the current process's pseudo handle (and
    // -2 the current thread's): closing one succeeds and does nothing.
    const auto value = static_cast<std::intptr_t>(h);
    if (!entry && (value == -1 || value == -2)) return call.Ok(TRUE);
    if (!entry) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (entry->kind == Impl::Kind::File) files_->Close(entry->fileId);
    impl_->handles.erase(static_cast<std::intptr_t>(h));
    return call.Ok(TRUE);
}

// --- file calls --------------------------------------------------------------

BOOL SimulatedWindows::ReadFile(Handle h, std::span<Byte> buffer, DWORD numberOfBytesToRead,
                                DWORD* numberOfBytesRead) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(*this, "ReadFile", entry ? entry->path : HandleText(h));
    if (numberOfBytesRead) *numberOfBytesRead = 0;
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    if (!entry) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (numberOfBytesToRead > buffer.size()) return call.Fail(ERROR_NOACCESS, FALSE);
    if (entry->kind != Impl::Kind::File) {
        // The simulated devices carry no sectors.
        return call.Fail(
            (entry->access & GENERIC_READ) ? ERROR_INVALID_FUNCTION : ERROR_ACCESS_DENIED, FALSE);
    }
    DWORD error = 0;
    const BOOL ok =
        files_->Read(entry->fileId, buffer, numberOfBytesToRead, numberOfBytesRead, error);
    return ok ? call.Ok(ok) : call.Fail(error, ok);
}

BOOL SimulatedWindows::WriteFile(Handle h, std::span<const Byte> buffer, DWORD numberOfBytesToWrite,
                                 DWORD* numberOfBytesWritten) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(*this, "WriteFile", entry ? entry->path : HandleText(h));
    if (numberOfBytesWritten) *numberOfBytesWritten = 0;
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    if (!entry) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (numberOfBytesToWrite > buffer.size()) return call.Fail(ERROR_NOACCESS, FALSE);
    if (entry->kind != Impl::Kind::File) {
        return call.Fail(
            (entry->access & GENERIC_WRITE) ? ERROR_INVALID_FUNCTION : ERROR_ACCESS_DENIED, FALSE);
    }
    DWORD error = 0;
    const BOOL ok =
        files_->Write(entry->fileId, buffer, numberOfBytesToWrite, numberOfBytesWritten, error);
    return ok ? call.Ok(ok) : call.Fail(error, ok);
}

DWORD SimulatedWindows::SetFilePointer(Handle h, LONG distanceToMove, LONG* distanceToMoveHigh,
                                       DWORD moveMethod) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(*this, "SetFilePointer", entry ? entry->path : HandleText(h));
    if (auto e = call.Fault()) return call.Fail(*e, INVALID_SET_FILE_POINTER);
    if (!entry) return call.Fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
    if (entry->kind != Impl::Kind::File) {
        return call.Fail(ERROR_INVALID_FUNCTION, INVALID_SET_FILE_POINTER);
    }
    DWORD error = 0;
    const DWORD pos =
        files_->SetPointer(entry->fileId, distanceToMove, distanceToMoveHigh, moveMethod, error);
    if (pos == INVALID_SET_FILE_POINTER && error != 0) return call.Fail(error, pos);
    // A position whose low part looks like the failure value: Windows clears
    // the last error so the caller can tell.
    if (pos == INVALID_SET_FILE_POINTER) lastError_ = ERROR_SUCCESS;
    return call.Ok(pos);
}

BOOL SimulatedWindows::FlushFileBuffers(Handle h) {
    Impl::OpenHandle* entry = impl_->Find(h);
    Impl::Call call(*this, "FlushFileBuffers", entry ? entry->path : HandleText(h));
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    if (!entry) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (entry->kind != Impl::Kind::File) {
        return (entry->access & GENERIC_WRITE) ? call.Ok(TRUE)
                                               : call.Fail(ERROR_ACCESS_DENIED, FALSE);
    }
    DWORD error = 0;
    const BOOL ok = files_->Flush(entry->fileId, error);
    return ok ? call.Ok(ok) : call.Fail(error, ok);
}

}  // namespace plumvane::sim
