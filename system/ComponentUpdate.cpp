#include "system/ComponentUpdate.h"

#include <string_view>

#include "config/InstallConfig.h"
#include "system/AsciiCase.h"
#include "resources/StringTable.h"
#include "system/DriverFiles.h"
#include "system/HostDirectories.h"
#include "system/Messages.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "system/RegistryKey.h"
#include "system/Spooler.h"

namespace setwell {
namespace {

void WriteVersion(Platform& platform, const std::string& key, std::int32_t version) {
  RegistryKey record(platform);
  if (record.Open(key)) record.WriteDword("DriverVersion", static_cast<DWORD>(version));
}

// Copies the processor file over the installed one, with the spooler
// stopped. False after the failure has been shown.
bool ReplaceProcessorFile(Platform& platform, std::int32_t target, const std::string& directory,
                          const std::string& processorFile) {
  const std::optional<std::string> current = CurrentDirectory(platform);
  if (!current) {
    ShowError(platform, IDS_NO_CURRENT_DIRECTORY);
    return false;
  }
  const std::string source = *current + DistributionSubfolder(target) + processorFile;
  const std::string destination = directory + "\\" + processorFile;
  if (!IsPlainFileName(processorFile)) {
    // A name with a folder part would replace a file outside the folder.
    ShowError(platform, IDS_COPY_ERROR);
    ShowErrorText(platform, source);
    ShowErrorText(platform, destination);
    return false;
  }
  // A processor copied from read-only media is read-only itself, and the
  // host refuses to copy over it (5): it is made writable first, as every
  // other driver file copy does.
  platform.SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  if (!platform.CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
    const DWORD error = platform.GetLastError();
    ShowError(platform, IDS_COPY_ERROR);
    ShowErrorText(platform, std::to_string(static_cast<int>(error)));
    return false;
  }
  return true;
}

// The file name that the print system loads for a monitor: its key's
// "Driver" value. A monitor installed while its DLL was in use was added
// under the alternate name; true then.
bool MonitorLoadsAlternateName(Platform& platform, const MONITOR_INFO_2A& monitor) {
  RegistryKey key(platform);
  if (!key.Open(MonitorKey(monitor.pName))) return false;
  char driver[kHostPathBuffer] = {};
  DWORD size = sizeof driver - 1;
  DWORD type = 0;
  if (!key.ReadValue("Driver", driver, size, &type) || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  // The value may be a path; the file name is its last part.
  std::string_view loaded(driver);  // the last byte of the buffer stays 0
  if (const std::size_t slash = loaded.find_last_of("\\/"); slash != std::string_view::npos) {
    loaded.remove_prefix(slash + 1);
  }
  return EqualsNoCase(loaded, AlternateFileName(monitor.pDLLName));
}

// Replaces the monitor DLL that the print system loads, with the spooler
// stopped. A target still in use (the spooler may not have let go of it
// yet) or denied is shown, as the processor branch shows its failure; the
// install goes on with the monitor already installed.
void ReplaceMonitorFile(Platform& platform, std::int32_t target, const MONITOR_INFO_2A& monitor,
                        std::int32_t version) {
  const bool alternate = MonitorLoadsAlternateName(platform, monitor);
  const int copied = CopyDriverFile(platform, monitor.pDLLName, kSystemDirectory, target, alternate);
  if (copied == 1) {
    WriteVersion(platform, MonitorKey(monitor.pName), version);
  } else if (copied == kCopyInUse || copied == kCopyDenied) {
    ShowError(platform, IDS_COPY_ERROR);
    ShowErrorText(platform, std::to_string(copied));
  }
}

bool UpdateOnNt(Platform& platform, int pending, std::int32_t target, const PortMonitorSet& set,
                std::int32_t packageVersion, const std::string& processorName,
                const std::string& processorFile) {
  std::string processorDirectory;
  if ((pending & kUpdatePrintProcessor) &&
      !GetTargetDirectory(platform, kProcessorDirectory, processorDirectory)) {
    ShowError(platform, IDS_NO_PROCESSOR_DIRECTORY);
    return false;
  }
  StopSpooler(platform);
  platform.Sleep(500);

  // A version is recorded only for a file that was put in place: a copy
  // that failed (the spooler still holding the DLL, say) must leave the old
  // version, so that the next install tries the update again.
  if (pending & kUpdateSerialMonitor) {
    ReplaceMonitorFile(platform, target, set.serial, set.serialVersion);
  } else if (pending & kUpdateUsbMonitor) {
    ReplaceMonitorFile(platform, target, set.usb, set.usbVersion);
  } else if (pending & kUpdatePrintProcessor) {
    if (!ReplaceProcessorFile(platform, target, processorDirectory, processorFile)) {
      // The install ends here; the print system must not be left without
      // its spooler.
      StartSpooler(platform);
      return false;
    }
    WriteVersion(platform, PrintProcessorKey(target, processorName), packageVersion);
  }

  StartSpooler(platform);
  platform.Sleep(target == kWinNT4 || target == kWin2000 ? 1000 : 2500);
  StartSpooler(platform);
  platform.Sleep(1000);
  if (!WaitSpoolerRunning(platform)) {
    StartSpooler(platform);
    return false;
  }
  return true;
}

// Windows 98/Me: copy the file (under the alternate name when the old one
// is in use) and point the print system's record at it.
bool UpdateOn98(Platform& platform, const std::string& key, const char* fileName,
                std::int32_t kind, std::int32_t version) {
  // A record that cannot be made is not written; the file is copied all
  // the same.
  RegistryKey record(platform);
  const bool recordable = record.CreateOrOpen(key);
  std::string recorded = fileName;
  int copied = CopyDriverFile(platform, fileName, kind, kWin98, false);
  if (copied == kCopyInUse || copied == kCopyDenied) {
    copied = CopyDriverFile(platform, fileName, kind, kWin98, true);
    if (copied == kCopyInUse || copied == kCopyDenied) {
      ShowError(platform, IDS_FATAL_REBOOT);
      return false;
    }
    recorded = AlternateFileName(fileName);
  }
  // Nothing put in place (the copy has shown why): the records keep naming
  // the old file and version, and the install goes on.
  if (copied != 1 || !recordable) return true;
  record.WriteString("Driver", recorded);
  record.WriteDword("DriverVersion", static_cast<DWORD>(version));
  return true;
}

}  // namespace

bool UpdateComponent(Platform& platform, int pendingUpdates, std::int32_t target,
                     const std::string& processorName, const std::string& processorFile) {
  InstallConfig config(platform);
  PortMonitorSet set{};
  config.GetPortMonitors(target, set);
  const std::int32_t packageVersion = config.GetDriverVersion();

  if (target != kWin98) {
    return UpdateOnNt(platform, pendingUpdates, target, set, packageVersion, processorName,
                      processorFile);
  }
  if (pendingUpdates & kUpdateUsbMonitor) {
    return UpdateOn98(platform, MonitorKey(set.usb.pName), set.usb.pDLLName, kSystemDirectory,
                      set.usbVersion);
  }
  if (pendingUpdates & kUpdatePrintProcessor) {
    return UpdateOn98(platform, PrintProcessorKey(kWin98, processorName), processorFile.c_str(),
                      kProcessorDirectory, packageVersion);
  }
  return true;
}

}  // namespace setwell
