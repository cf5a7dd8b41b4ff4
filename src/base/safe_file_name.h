// Names from outside (service replies, database rows) made into, or checked
// as, one safe Windows file name: never a folder, a drive, a device or a
// place outside the folder it is joined to. Free of Win32.
#pragma once

#include <cstddef>
#include <string>

// `segment` as one safe file name: characters that Windows forbids in names
// (<>:"/\|?* and controls) become "_", trailing dots and spaces are dropped,
// a reserved device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, also with an
// extension or a superscript digit) gets a leading "_", an empty or all-dots
// result becomes "_", and the name is cut to `maxLength` characters (two of
// the default with the data folder still fit the classic path limit).
constexpr std::size_t kMaxSafeNameLength = 96;
std::wstring SafeFileName(const std::wstring& segment,
                          std::size_t maxLength = kMaxSafeNameLength);

// True when `name` is a name this program writes (at most
// kMaxStoredNameLength characters): SafeFileName would leave it as it is.
// Names read back from files and databases pass through this before they
// are joined to a folder.
constexpr std::size_t kMaxStoredNameLength = 255;
bool IsSafeFileName(const std::wstring& name);

// True when Windows takes `name` for a device rather than a file in the
// folder it is joined to, whatever extension follows (see SafeFileName).
bool IsReservedDeviceName(const std::wstring& name);
