// The printer family's port monitors: installed when absent, found
// outdated by their recorded version when present.
#pragma once

#include <cstdint>
#include <string>

#include "system/Platform.h"

namespace setwell {

// Pending-update bits, and the check's result that ends the install.
constexpr int kUpdateSerialMonitor = 0x1;
constexpr int kUpdateUsbMonitor = 0x2;
constexpr int kPortMonitorFailed = -15;

// The key whose "DriverVersion" records an installed monitor's version; it
// exists exactly when the print system knows the monitor.
std::string MonitorKey(const std::string& monitorName);

// Installs the port monitor the port needs when the print system lacks it;
// returns 0, kUpdateSerialMonitor or kUpdateUsbMonitor when the installed
// one is older than the distribution's, or kPortMonitorFailed.
// `checked`, when given, receives the name of the monitor the port needs
// (empty when it needs none of the family's).
int CheckPortMonitor(Platform& platform, std::int32_t target, const std::string& portName,
                     std::string* checked = nullptr);

// AddMonitorA at level 2. A monitor the print system already knows (3006,
// 183) counts as added. Otherwise message 119 and 0.
int AddPortMonitor(Platform& platform, const char* name, const char* environment,
                   const char* dllName);

}  // namespace setwell
