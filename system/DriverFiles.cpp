#include "system/DriverFiles.h"

#include "config/InstallConfig.h"
#include "resources/StringTable.h"
#include "system/AsciiCase.h"
#include "system/HostDirectories.h"
#include "system/Messages.h"
#include "system/PlatformHandle.h"
#include "system/PortMonitor.h"

#include <array>
#include <string_view>

namespace setwell {
namespace {

bool IsNoFile(const char* name) { return name == nullptr || name[0] == '0'; }

// The three boxes of a failed copy: the message, then the two paths.
void ReportCopyFailure(Platform& platform, const std::string& source, const std::string& target) {
  ShowError(platform, IDS_COPY_ERROR);
  ShowErrorText(platform, source);
  ShowErrorText(platform, target);
}

std::uint32_t MissingDirectoryMessage(std::int32_t kind) {
  switch (kind) {
    case kProcessorDirectory:
      return IDS_NO_PROCESSOR_DIRECTORY;
    case kSystemDirectory:
      return IDS_NO_SYSTEM_DIRECTORY;
    default:
      return IDS_NO_DRIVER_DIRECTORY;
  }
}

}  // namespace

const char* DistributionSubfolder(std::int32_t target) {
  switch (target) {
    case kWin98:
      return "\\win98\\";
    case kWin2003:
      return "\\win2003\\";
    default:
      return "\\winnt\\";
  }
}

// Bytes are tested one by one: a double-byte name whose trail byte is "\\"
// (0x5C, possible in code page 936) is refused too, on the safe side.
bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.find("..") != std::string_view::npos) return false;
  // The bytes no file name holds: control characters and \ / : * ? " < > |.
  static constexpr auto kNever = [] {
    std::array<bool, 256> never{};
    for (int byte = 0; byte < 0x20; ++byte) never[byte] = true;
    for (const char c : std::string_view("\\/:*?\"<>|")) never[static_cast<unsigned char>(c)] = true;
    return never;
  }();
  for (const char c : name) {
    if (kNever[static_cast<unsigned char>(c)]) return false;
  }
  if (name.back() == '.' || name.back() == ' ') return false;
  // The host takes a device name with any extension as the device itself.
  const std::string_view stem = name.substr(0, name.find('.'));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$"}) {
    if (EqualsNoCase(stem, device)) return false;
  }
  return !(stem.size() == 4 && (StartsWithNoCase(stem, "COM") || StartsWithNoCase(stem, "LPT")) &&
           stem[3] >= '1' && stem[3] <= '9');
}

std::string AlternateFileName(const std::string& fileName) {
  // Never cut: a shortened name would register a file that was not copied.
  return "n" + fileName;
}

std::vector<SupportFile> SupportFiles(std::int32_t target) {
  if (target == kWin98) {
    return {{kDriverDirectory, "ICONLIB.DLL"},
            {kSystemDirectory, "UNIDRV.DLL"},
            {kDriverDirectory, "DMCOLOR.DLL"}};  // the RXQ-K880's only
  }
  if (target >= kWin2000 && target <= kWin2003) {
    std::vector<SupportFile> files;
    for (std::int32_t kind : {kDriverVersion3Directory, kDriverDirectory}) {
      for (const char* name : {"UNIRES.DLL", "STDNAMES.GPD", "TTFSUB.GPD"}) files.push_back({kind, name});
    }
    return files;
  }
  return {};
}

bool GetTargetDirectory(Platform& platform, std::int32_t kind, std::string& directory) {
  char buffer[kHostPathBuffer] = {};
  DWORD needed = 0;
  switch (kind) {
    case kDriverDirectory:
    case kDriverVersion3Directory:
      if (!platform.GetPrinterDriverDirectoryA(nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                               sizeof buffer, &needed)) {
        return false;
      }
      directory = buffer;
      if (kind == kDriverVersion3Directory) directory += "\\3";
      return true;
    case kProcessorDirectory:
      if (!platform.GetPrintProcessorDirectoryA(nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                                sizeof buffer, &needed)) {
        return false;
      }
      directory = buffer;
      return true;
    case kSystemDirectory: {
      std::optional<std::string> system = SystemDirectory(platform);
      if (!system) return false;
      directory = *system;
      return true;
    }
    default:
      return false;
  }
}

int CopyDriverFile(Platform& platform, const char* fileName, std::int32_t kind,
                   std::int32_t target, bool useAlternateName) {
  if (IsNoFile(fileName)) return 0;
  std::string directory;
  if (!GetTargetDirectory(platform, kind, directory)) {
    ShowError(platform, MissingDirectoryMessage(kind));
    return 0;
  }
  const std::optional<std::string> current = CurrentDirectory(platform);
  if (!current) {
    ShowError(platform, IDS_NO_CURRENT_DIRECTORY);
    return 0;
  }
  const std::string source = *current + DistributionSubfolder(target) + fileName;
  const std::string targetPath =
      directory + "\\" + (useAlternateName ? AlternateFileName(fileName) : std::string(fileName));
  // A configured name must name a file inside the two folders; one with a
  // folder part ("..\\..\\X.DLL") would write elsewhere on the machine.
  // An empty name is a copy of the bare folders, which the host refuses.
  if (fileName[0] != '\0' && !IsPlainFileName(fileName)) {
    ReportCopyFailure(platform, source, targetPath);
    return 0;
  }

  // A read-only target could not be replaced; a missing one fails here
  // harmlessly.
  platform.SetFileAttributesA(targetPath.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  if (platform.CopyFileA(source.c_str(), targetPath.c_str(), FALSE)) return 1;
  const DWORD error = platform.GetLastError();
  if (error == ERROR_SHARING_VIOLATION) return kCopyInUse;
  if (error == ERROR_ACCESS_DENIED) return kCopyDenied;
  ReportCopyFailure(platform, source, targetPath);
  return 0;
}

void InstallUnidrvSupport(Platform& platform, std::int32_t target, bool ddkDriver) {
  if (target == kWin98) {
    CopyDriverFile(platform, "ICONLIB.DLL", kDriverDirectory, target, false);
    const std::optional<std::string> system = SystemDirectory(platform);
    if (!system) {
      ShowError(platform, IDS_NO_SYSTEM_DIRECTORY);
      return;
    }
    const std::optional<std::string> windows = WindowsDirectory(platform);
    if (!windows) {
      ShowError(platform, IDS_NO_WINDOWS_DIRECTORY);
      return;
    }
    const std::string unidrv = *system + "\\UNIDRV.DLL";
    const ScopedFile existing(platform, platform.CreateFileA(unidrv.c_str(), 0,
                                                             FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                             OPEN_EXISTING, 0));
    if (existing) return;
    // Windows 98 keeps a copy of its system files in "Sysbckup"; the
    // distribution's own copy is the last resort.
    const std::string backup = *windows + "\\Sysbckup\\UNIDRV.DLL";
    if (!platform.CopyFileA(backup.c_str(), unidrv.c_str(), TRUE)) {
      CopyDriverFile(platform, "UNIDRV.DLL", kDriverDirectory, target, false);
    }
    return;
  }
  if (ddkDriver && target >= kWin2000 && target <= kWin2003) {
    for (const char* name : {"UNIRES.DLL", "STDNAMES.GPD", "TTFSUB.GPD"}) {
      CopyDriverFile(platform, name, kDriverVersion3Directory, target, false);
    }
    for (const char* name : {"TTFSUB.GPD", "STDNAMES.GPD", "UNIRES.DLL"}) {
      CopyDriverFile(platform, name, kDriverDirectory, target, false);
    }
  }
}

bool DeployDriverFiles(Platform& platform, InstallConfig& config, const DriverFileList& files,
                       const MONITOR_INFO_2A& modelMonitor, std::int32_t target,
                       const std::string& model, std::int32_t mode) {
  if (files.driverFile[0] == '\0' || files.dataFile[0] == '\0' || files.configFile[0] == '\0' ||
      files.helpFile[0] == '\0') {
    ShowError(platform, IDS_DRIVER_FILES_LOST);
    return false;
  }
  CopyDriverFile(platform, files.configFile, kDriverDirectory, target, false);
  CopyDriverFile(platform, files.dataFile, kDriverDirectory, target, false);
  if (target >= kWin2000) {
    CopyDriverFile(platform, files.dataFile, kDriverVersion3Directory, target, false);
  }
  CopyDriverFile(platform, files.driverFile, kDriverDirectory, target, false);
  CopyDriverFile(platform, files.helpFile, kDriverDirectory, target, false);

  if (files.oemPluginDll[0] != '0' && files.oemPluginSettings[0] != '0') {
    CopyDriverFile(platform, files.oemPluginDll, kDriverDirectory, target, false);
    CopyDriverFile(platform, files.oemPluginSettings, kDriverDirectory, target, false);
  }

  const bool ddk = config.IsDdkDriver(model, target, mode);
  InstallUnidrvSupport(platform, target, ddk);

  if (target == kWin98 && model.find("RXQ-K880") != std::string::npos) {
    CopyDriverFile(platform, "DMCOLOR.DLL", kDriverDirectory, target, false);
  }

  if (ddk) {
    if (files.dataFileDll[0] == '\0') {
      ShowError(platform, IDS_DRIVER_FILES_LOST);
      return false;
    }
    CopyDriverFile(platform, files.dataFileDll, kDriverVersion3Directory, target, false);
  }

  // The model's own language monitor. Monitors load from the system folder.
  // A name beginning with "0" (the key is missing) means no monitor, as for
  // every other optional file.
  if (!IsNoFile(files.monitorDll) && files.monitorDll[0] != '\0') {
    CopyDriverFile(platform, files.monitorDll, kSystemDirectory, target, false);
    AddPortMonitor(platform, modelMonitor.pName, modelMonitor.pEnvironment, modelMonitor.pDLLName);
  }
  return true;
}

}  // namespace setwell
