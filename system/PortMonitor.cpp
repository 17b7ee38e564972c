#include "system/PortMonitor.h"

#include "config/InstallConfig.h"
#include "resources/StringTable.h"
#include "system/DriverFiles.h"
#include "system/Messages.h"
#include "system/PortNames.h"
#include "system/RegistryKey.h"

namespace setwell {
namespace {

struct MonitorChoice {
  const MONITOR_INFO_2A& record;
  const char* uiDll;
  std::int32_t version;
  int pendingBit;
};

// One branch of the check: an installed monitor is only compared; an absent
// one is copied and added. Returns the pending bit, 0, or the failure.
int CheckOneMonitor(Platform& platform, std::int32_t target, const MonitorChoice& monitor) {
  const std::string key = MonitorKey(monitor.record.pName);
  RegistryKey installed(platform);
  if (installed.Open(key)) {
    DWORD version = 0;
    if (!installed.ReadDword("DriverVersion", version) ||
        version < static_cast<DWORD>(monitor.version)) {
      return monitor.pendingBit;
    }
    return 0;
  }

  // The spooler may hold a DLL of the same name open: then the monitor is
  // installed under the alternate name.
  std::string dllName = monitor.record.pDLLName;
  int copied = CopyDriverFile(platform, dllName.c_str(), kSystemDirectory, target, false);
  if (copied == kCopyInUse || copied == kCopyDenied) {
    CopyDriverFile(platform, dllName.c_str(), kSystemDirectory, target, true);
    dllName = AlternateFileName(dllName);
  }
  if (monitor.uiDll[0] != '\0') {
    CopyDriverFile(platform, monitor.uiDll, kSystemDirectory, target, false);
  }
  if (!AddPortMonitor(platform, monitor.record.pName, monitor.record.pEnvironment,
                      dllName.c_str())) {
    return kPortMonitorFailed;
  }
  if (installed.Open(key)) installed.WriteDword("DriverVersion", static_cast<DWORD>(monitor.version));
  return 0;
}

}  // namespace

std::string MonitorKey(const std::string& monitorName) {
  return "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\" + monitorName;
}

int AddPortMonitor(Platform& platform, const char* name, const char* environment,
                   const char* dllName) {
  MONITOR_INFO_2A info{};
  info.pName = const_cast<char*>(name);
  info.pEnvironment = const_cast<char*>(environment);
  info.pDLLName = const_cast<char*>(dllName);
  if (platform.AddMonitorA(2, reinterpret_cast<BYTE*>(&info))) return 1;
  const DWORD error = platform.GetLastError();
  if (error == ERROR_PRINT_MONITOR_ALREADY_INSTALLED || error == ERROR_ALREADY_EXISTS) return 1;
  ShowError(platform, IDS_ADD_MONITOR_ERROR);
  return 0;
}

int CheckPortMonitor(Platform& platform, std::int32_t target, const std::string& portName,
                     std::string* checked) {
  if (checked != nullptr) checked->clear();
  if (NamesParallelPort(portName)) return 0;
  InstallConfig config(platform);
  PortMonitorSet set{};
  config.GetPortMonitors(target, set);

  int result = 0;
  if (NamesSerialPort(portName) && set.serial.pDLLName[0] != '\0' &&
      target != kWin98) {
    if (checked != nullptr) *checked = set.serial.pName;
    int serial = CheckOneMonitor(
        platform, target, {set.serial, set.serialUiDll, set.serialVersion, kUpdateSerialMonitor});
    if (serial == kPortMonitorFailed) return kPortMonitorFailed;
    result = serial;
  }
  if (NamesUsbPort(portName) && set.usb.pDLLName[0] != '\0' &&
      target != kWinNT4) {
    if (checked != nullptr) *checked = set.usb.pName;
    int usb = CheckOneMonitor(platform, target,
                              {set.usb, set.usbUiDll, set.usbVersion, kUpdateUsbMonitor});
    if (usb == kPortMonitorFailed) return kPortMonitorFailed;
    if (usb != 0) result = usb;
  }
  return result;
}

}  // namespace setwell
