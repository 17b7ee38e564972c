// Copying a driver distribution's files into the print system's folders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/DriverFileList.h"
#include "system/Platform.h"

namespace setwell {

class InstallConfig;

// Destination folders, by the identifiers printer INF files use for them
// (999 is our own: the driver folder's "3" subfolder).
enum DirectoryKind : std::int32_t {
  kDriverDirectory = 66000,
  kDriverVersion3Directory = 999,
  kProcessorDirectory = 66001,
  kSystemDirectory = 66002,
};

// Results of CopyDriverFile besides 0 (nothing copied, already reported)
// and 1 (copied): the target is in use or access to it is denied. Both are
// silent so that the caller can retry under the alternate file name.
constexpr int kCopyInUse = 32;
constexpr int kCopyDenied = 5;

// The per-system folder of a target system below the distribution folder:
// "\win98\", "\winnt\" or "\win2003\".
const char* DistributionSubfolder(std::int32_t target);

// Whether name is a plain file name that stays inside the folder it is
// joined to: not empty, no folder separators or drive ("\\", "/", ":"), no
// "..", no wildcard or control characters, no trailing dot or blank (the
// host drops them, so the name would be another), and no device name
// ("CON", "NUL", "COM1", "LPT1.DLL" ...), which the host opens as a device
// in every folder.
bool IsPlainFileName(std::string_view name);

// The file name with the prefix "n": used when the target file is in use.
std::string AlternateFileName(const std::string& fileName);

// The folder of a directory kind, without a trailing backslash; false when
// the host cannot give it (no message).
bool GetTargetDirectory(Platform& platform, std::int32_t kind, std::string& directory);

// Copies fileName from the distribution's per-system folder into the folder
// of `kind`, replacing a read-only target. A name that is missing or begins
// with "0" copies nothing, silently. A name that is not a plain file name
// is never copied: it fails as a copy does, with the message and both paths.
int CopyDriverFile(Platform& platform, const char* fileName, std::int32_t kind,
                   std::int32_t target, bool useAlternateName);

// The files of fixed names that DeployDriverFiles puts beside the drivers
// for a target system (the Unidrv support files, the icon library, the
// colour library of one model), each with the folder it goes to. A
// machine's listing shows them; a removal takes those no driver left needs.
struct SupportFile {
  std::int32_t kind;
  const char* name;
};
std::vector<SupportFile> SupportFiles(std::int32_t target);

// Copies the model's driver files in their fixed order, the Unidrv support
// files, and adds the model's own language monitor. False when the install
// must end (files missing from the configuration, message 142).
bool DeployDriverFiles(Platform& platform, InstallConfig& config, const DriverFileList& files,
                       const MONITOR_INFO_2A& modelMonitor, std::int32_t target,
                       const std::string& model, std::int32_t mode);

// The Unidrv support files the driver needs on the target system.
void InstallUnidrvSupport(Platform& platform, std::int32_t target, bool ddkDriver);

}  // namespace setwell
