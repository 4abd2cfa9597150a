#pragma once
// Windows SDK values the program uses, under their SDK names. Portable code
// includes this; files that include <windows.h> must not (the SDK defines many
// of these names as macros).

#include "platform/WindowsApi.h"

namespace plumvane::platform {

// INVALID_HANDLE_VALUE is -1, NOT the null handle; both sentinels occur.
inline constexpr Handle INVALID_HANDLE_VALUE = static_cast<Handle>(-1);
inline constexpr Handle NULL_HANDLE = static_cast<Handle>(0);
inline constexpr DevInfoSet INVALID_DEVINFO_SET = static_cast<DevInfoSet>(-1);
inline constexpr Hwnd NULL_HWND = static_cast<Hwnd>(0);

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// A BOOL result is documented as nonzero on success, and most calls are read
// that way. Device calls (DeviceIoControl) count success only as TRUE: their
// result comes through the storage driver stack, and a driver that answers
// any other value is taken to have failed.
constexpr bool CallSucceeded(BOOL result) { return result != FALSE; }
constexpr bool DeviceCallSucceeded(BOOL result) { return result == TRUE; }

// Access, sharing, disposition, attributes.
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// Error codes.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_READY = 21;
inline constexpr DWORD ERROR_SECTOR_NOT_FOUND = 27;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
// "A device which does not exist was specified": what a request on a handle
// to a removed device gets.
inline constexpr DWORD ERROR_NO_SUCH_DEVICE = 433;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
// A buffer too small for the length a call was given.
inline constexpr DWORD ERROR_NOACCESS = 998;
// The user declined the User Account Control prompt.
inline constexpr DWORD ERROR_CANCELLED = 1223;

// Tokens: TOKEN_ELEVATION is one DWORD, TokenIsElevated, nonzero when elevated.
inline constexpr DWORD TOKEN_QUERY = 0x0008;
inline constexpr DWORD TokenElevation = 20;
inline constexpr std::size_t kTokenElevationSize = 4;
// "The request could not be performed because of an I/O device error."
inline constexpr DWORD ERROR_IO_DEVICE = 1117;

// Drive types (GetDriveTypeA).
inline constexpr UINT DRIVE_UNKNOWN = 0;
inline constexpr UINT DRIVE_NO_ROOT_DIR = 1;
inline constexpr UINT DRIVE_REMOVABLE = 2;
inline constexpr UINT DRIVE_FIXED = 3;
inline constexpr UINT DRIVE_REMOTE = 4;
inline constexpr UINT DRIVE_CDROM = 5;
inline constexpr UINT DRIVE_RAMDISK = 6;

// Storage I/O controls: CTL_CODE(device type, function, method, access).
constexpr DWORD CTL_CODE(DWORD deviceType, DWORD function, DWORD method, DWORD access) {
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
inline constexpr DWORD METHOD_BUFFERED = 0;
inline constexpr DWORD FILE_ANY_ACCESS = 0;
inline constexpr DWORD FILE_READ_ACCESS = 1;
inline constexpr DWORD FILE_WRITE_ACCESS = 2;
inline constexpr DWORD IOCTL_STORAGE_BASE = 0x2D;
inline constexpr DWORD IOCTL_DISK_BASE = 0x07;

inline constexpr DWORD IOCTL_STORAGE_QUERY_PROPERTY =
    CTL_CODE(IOCTL_STORAGE_BASE, 0x0500, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr DWORD IOCTL_STORAGE_GET_DEVICE_NUMBER =
    CTL_CODE(IOCTL_STORAGE_BASE, 0x0420, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY =
    CTL_CODE(IOCTL_DISK_BASE, 0x0000, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT_EX =
    CTL_CODE(IOCTL_DISK_BASE, 0x0014, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr DWORD IOCTL_STORAGE_GET_HOTPLUG_INFO =
    CTL_CODE(IOCTL_STORAGE_BASE, 0x0305, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr DWORD IOCTL_STORAGE_SET_HOTPLUG_INFO =
    CTL_CODE(IOCTL_STORAGE_BASE, 0x0306, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == 0x002D1400);
static_assert(IOCTL_STORAGE_GET_DEVICE_NUMBER == 0x002D1080);
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY == 0x00070000);
static_assert(IOCTL_DISK_GET_DRIVE_LAYOUT_EX == 0x00070050);
static_assert(IOCTL_STORAGE_GET_HOTPLUG_INFO == 0x002D0C14);
static_assert(IOCTL_STORAGE_SET_HOTPLUG_INFO == 0x002DCC18);

inline constexpr std::int32_t BusTypeUnknown = 0;
inline constexpr std::int32_t BusTypeUsb = 7;

// SetupAPI and the configuration manager.
inline constexpr DWORD DIGCF_PRESENT = 0x02;
inline constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;
inline constexpr CONFIGRET CR_SUCCESS = 0;
inline constexpr CONFIGRET CR_INVALID_DEVNODE = 0x05;
inline constexpr CONFIGRET CR_BUFFER_SMALL = 0x1A;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);

// user32.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr UINT IMAGE_ICON = 1;
inline constexpr UINT LR_SHARED = 0x8000;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_GETICON = 0x007F;
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;
inline constexpr UINT GW_OWNER = 4;
inline constexpr int GWL_HWNDPARENT = -8;

}  // namespace plumvane::platform
