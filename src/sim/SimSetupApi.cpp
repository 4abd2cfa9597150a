// SetupAPI and the configuration manager of the simulated machine: the
// disk-class device interfaces, their details and the device instance ids;
// and CLSIDFromString, which is how the program names the interface class.

#include <algorithm>
#include <cstdio>

#include "platform/ByteLayout.h"
#include "platform/DevicePaths.h"
#include "sim/SimImpl.h"

namespace plumvane::sim {

using namespace platform;

namespace {

constexpr DWORD SPINT_ACTIVE = 1;
constexpr std::size_t kDetailPathOffset = 4;  // offsetof(..._DETAIL_DATA_A, DevicePath)
constexpr std::uint32_t kDetailDataCbSize = kSpDeviceInterfaceDetailDataACbSize;
constexpr std::size_t kInterfaceReservedOffset = 24;
constexpr CONFIGRET CR_INVALID_FLAG = 0x0B;
constexpr CONFIGRET CR_INVALID_POINTER = 0x03;

std::string DevInfoSetText(DevInfoSet set) {
    return LabelledHex("set", static_cast<unsigned long long>(static_cast<std::intptr_t>(set)));
}

}  // namespace

DevInfoSet SimulatedWindows::SetupDiGetClassDevsA(const Guid* classGuid, DWORD flags) {
    Impl::Call call(*this, "SetupDiGetClassDevsA", classGuid ? GuidText(*classGuid) : "null");
    if (auto e = call.Fault()) return call.Fail(*e, INVALID_DEVINFO_SET);
    if (!classGuid) return call.Fail(ERROR_INVALID_PARAMETER, INVALID_DEVINFO_SET);
    std::vector<Impl::Interface> members;
    if (*classGuid == kDiskInterfaceClass && (flags & DIGCF_DEVICEINTERFACE)) {
        for (const SimDisk& disk : machine_.disks) {
            if (disk.devInst) {
                members.push_back({disk.number, *disk.devInst, EffectiveInterfacePath(disk)});
            }
        }
    }
    const std::intptr_t value = impl_->nextSet;
    impl_->nextSet += 8;
    impl_->sets.emplace(value, std::move(members));
    return call.Ok(static_cast<DevInfoSet>(value));
}

BOOL SimulatedWindows::SetupDiEnumDeviceInterfaces(DevInfoSet set, const Guid& interfaceClassGuid,
                                                   DWORD memberIndex,
                                                   std::span<Byte> interfaceData) {
    Impl::Call call(*this, "SetupDiEnumDeviceInterfaces",
                    DevInfoSetText(set) + " index " + std::to_string(memberIndex));
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    auto it = impl_->sets.find(static_cast<std::intptr_t>(set));
    if (it == impl_->sets.end()) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (interfaceData.size() < kSpDeviceInterfaceDataSize ||
        ReadU32LE(interfaceData, 0) != kSpDeviceInterfaceDataSize) {
        return call.Fail(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    if (interfaceClassGuid != kDiskInterfaceClass || memberIndex >= it->second.size()) {
        return call.Fail(ERROR_NO_MORE_ITEMS, FALSE);
    }
    WriteGuid(interfaceData, 4, kDiskInterfaceClass);
    WriteU32LE(interfaceData, 20, SPINT_ACTIVE);
    // Reserved: which member this is, for the detail call.
    WriteU32LE(interfaceData, kInterfaceReservedOffset, memberIndex + 1);
    return call.Ok(TRUE);
}

BOOL SimulatedWindows::SetupDiGetDeviceInterfaceDetailA(DevInfoSet set,
                                                        std::span<const Byte> interfaceData,
                                                        std::span<Byte> detail, DWORD* requiredSize,
                                                        std::span<Byte> devInfoData) {
    Impl::Call call(*this, "SetupDiGetDeviceInterfaceDetailA", DevInfoSetText(set));
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    auto it = impl_->sets.find(static_cast<std::intptr_t>(set));
    if (it == impl_->sets.end()) return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    if (interfaceData.size() < kSpDeviceInterfaceDataSize ||
        ReadU32LE(interfaceData, 0) != kSpDeviceInterfaceDataSize) {
        return call.Fail(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    const std::uint32_t cookie = ReadU32LE(interfaceData, kInterfaceReservedOffset);
    if (cookie == 0 || cookie > it->second.size()) return call.Fail(ERROR_INVALID_PARAMETER, FALSE);
    const Impl::Interface& member = it->second[cookie - 1];

    if (!detail.empty() &&
        (detail.size() < kDetailPathOffset || ReadU32LE(detail, 0) != kDetailDataCbSize)) {
        return call.Fail(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    if (!devInfoData.empty() && (devInfoData.size() < kSpDevinfoDataSize ||
                                 ReadU32LE(devInfoData, 0) != kSpDevinfoDataSize)) {
        return call.Fail(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    const std::size_t needed = kDetailPathOffset + member.path.size() + 1;
    if (requiredSize) *requiredSize = static_cast<DWORD>(needed);
    if (!devInfoData.empty()) {
        WriteGuid(devInfoData, 4, kDiskDriveClassGuid);
        WriteU32LE(devInfoData, kSpDevinfoDataDevInstOffset, member.devInst);
        WriteU32LE(devInfoData, 24, 0);
    }
    if (detail.size() < needed) return call.Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    std::copy(member.path.begin(), member.path.end(), detail.begin() + kDetailPathOffset);
    detail[kDetailPathOffset + member.path.size()] = 0;
    return call.Ok(TRUE);
}

BOOL SimulatedWindows::SetupDiDestroyDeviceInfoList(DevInfoSet set) {
    Impl::Call call(*this, "SetupDiDestroyDeviceInfoList", DevInfoSetText(set));
    if (auto e = call.Fault()) return call.Fail(*e, FALSE);
    if (impl_->sets.erase(static_cast<std::intptr_t>(set)) == 0) {
        return call.Fail(ERROR_INVALID_HANDLE, FALSE);
    }
    return call.Ok(TRUE);
}

CONFIGRET SimulatedWindows::CM_Get_Device_IDA(DWORD devInst, std::span<Byte> buffer, DWORD flags) {
    Impl::Call call(*this, "CM_Get_Device_IDA", "devInst " + std::to_string(devInst));
    // The configuration manager answers with its CONFIGRET and leaves the
    // thread's last error alone.
    if (auto e = call.Fault()) return call.FailQuiet(*e, CONFIGRET{*e});
    if (flags != 0) return call.FailQuiet(CR_INVALID_FLAG, CR_INVALID_FLAG);
    if (buffer.empty()) return call.FailQuiet(CR_INVALID_POINTER, CR_INVALID_POINTER);
    const SimDisk* disk = nullptr;
    for (const SimDisk& d : machine_.disks) {
        if (d.devInst && *d.devInst == devInst && devInst != 0) disk = &d;
    }
    if (!disk) return call.FailQuiet(CR_INVALID_DEVNODE, CR_INVALID_DEVNODE);
    const std::string id = EffectiveInstanceId(*disk);
    // As much of the id as fits is copied; without room for it and its NUL
    // the call reports CR_BUFFER_SMALL.
    const std::size_t n = std::min(id.size(), buffer.size());
    std::copy_n(id.begin(), n, buffer.begin());
    if (buffer.size() < id.size() + 1) return call.FailQuiet(CR_BUFFER_SMALL, CR_BUFFER_SMALL);
    buffer[id.size()] = 0;
    return call.Ok(CR_SUCCESS);
}

HRESULT SimulatedWindows::CLSIDFromString(std::wstring_view text, Guid& clsid) {
    std::string narrow;
    for (wchar_t c : text) narrow += (c < 0x80) ? static_cast<char>(c) : '?';
    Impl::Call call(*this, "CLSIDFromString", narrow);
    if (auto e = call.Fault()) return call.FailQuiet(*e, static_cast<HRESULT>(*e));
    clsid = Guid{};
    // An empty text stands for CLSID_NULL.
    if (text.empty()) return call.Ok(S_OK);
    const std::optional<Guid> g = ParseGuidText(text);
    // Other texts would be looked up as ProgIDs; the simulated registry has none.
    if (!g) return call.FailQuiet(static_cast<DWORD>(CO_E_CLASSSTRING), CO_E_CLASSSTRING);
    clsid = *g;
    return call.Ok(S_OK);
}

}  // namespace plumvane::sim
