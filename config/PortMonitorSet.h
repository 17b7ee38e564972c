// The two port monitors of the printer family, as the general configuration
// file describes them for one target system.
#pragma once

#include <cstdint>

#include "system/WinTypes.h"

namespace setwell {

// Filled by InstallConfig::GetPortMonitors; owned by the caller. The names
// and DLL names of the two records point into the InstallConfig.
struct PortMonitorSet {
  MONITOR_INFO_2A serial;
  MONITOR_INFO_2A usb;
  char serialUiDll[200];
  char usbUiDll[200];
  std::int32_t serialVersion;
  std::int32_t usbVersion;
};

}  // namespace setwell
