// What the removal asks of the host and does to it besides the spooler's
// calls: registry keys listed and deleted
// with what is below them, and files the host deletes at the next restart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/Family.h"
#include "system/Platform.h"

namespace setwell::removal {

// The last part of a path ("C:\A\B.DLL" gives "B.DLL"; a bare name is itself).
std::string FileNameOf(const std::string& path);

// The value names of a key below HKEY_LOCAL_MACHINE; none when it is not there.
std::vector<std::string> ListValueNames(Platform& platform, const std::string& key);
// The names of the keys directly below it.
std::vector<std::string> ListSubKeys(Platform& platform, const std::string& key);
bool KeyExists(Platform& platform, const std::string& key);
// Whether the key holds no value and no key.
bool KeyIsEmpty(Platform& platform, const std::string& key);
// Deletes the key with everything below it, the deepest keys first (NT
// refuses a key that has keys below it). ERROR_SUCCESS, or the first error.
LONG DeleteKeyTree(Platform& platform, const std::string& key);

// The Unidrv support files the install copies for a target system besides
// the model's own (InstallUnidrvSupport and the model-specific copies of
// DeployDriverFiles): Windows' own file names, which other drivers may use.
std::vector<const char*> UnidrvSupportFileNames(std::int32_t target);
// Whether a driver of the family needs one of them: on Windows 98/Me every
// install copies ICONLIB.DLL and UNIDRV.DLL, and DMCOLOR.DLL for the
// RXQ-K880 models; on 2000 and later a driver needs those its record names.
bool NeedsUnidrvSupportFile(const FamilyDriver& driver, std::int32_t target, const std::string& name);

// Asks the host to delete `path` at the next restart: on the NT family
// MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT, on Windows 98/Me a
// "NUL=path" line in WININIT.INI's [rename] section (which holds other
// programs' lines too, kept). ERROR_SUCCESS or the error.
DWORD DeleteAtRestart(Platform& platform, bool ntFamily, const std::string& path);
// Whether the host holds a deletion of `path` for the next restart.
bool IsDeletedAtRestart(Platform& platform, bool ntFamily, const std::string& path);

}  // namespace setwell::removal
