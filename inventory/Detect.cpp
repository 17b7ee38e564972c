#include "inventory/Detect.h"

#include <algorithm>

#include "pages/CTargetSystemPage.h"
#include "system/AsciiCase.h"
#include "system/HostQueries.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "system/RegistryKey.h"

namespace setwell::inventory {
namespace {

std::optional<DWORD> RecordedVersion(Platform& platform, const std::string& key) {
  RegistryKey record(platform);
  DWORD version = 0;
  if (!record.Open(key) || !record.ReadDword("DriverVersion", version)) return std::nullopt;
  return version;
}

DetectResult CannotTell(const std::string& why) {
  return DetectResult{Detection::kCannotTell, why, std::nullopt};
}

}  // namespace

DetectResult DetectPrinter(Platform& platform, const std::string& name,
                           std::optional<DWORD> minimumVersion) {
  PrinterDetails printer;
  if (!QueryPrinter(platform, name, printer)) {
    const DWORD error = platform.GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) {
      return DetectResult{Detection::kAbsent, "no printer \"" + name + "\"", std::nullopt};
    }
    return CannotTell("the spooler did not answer for printer \"" + name + "\" (error " +
                      std::to_string(error) + ")");
  }
  bool ok = false;
  const std::vector<DriverDetails> drivers = ListDrivers(platform, nullptr, &ok);
  if (!ok) return CannotTell("the spooler did not list its drivers (error " +
                             std::to_string(platform.GetLastError()) + ")");
  const auto driver = std::find_if(drivers.begin(), drivers.end(), [&](const DriverDetails& d) {
    return EqualsNoCase(d.name, printer.driver);
  });
  const std::vector<PortDetails> ports = ListPortsWithMonitors(platform, &ok);
  if (!ok) return CannotTell("the spooler did not list its ports (error " +
                             std::to_string(platform.GetLastError()) + ")");
  const auto port = std::find_if(ports.begin(), ports.end(), [&](const PortDetails& p) {
    return EqualsNoCase(p.name, printer.port);
  });
  DetectResult result;
  result.state = Detection::kAbsent;
  if (driver == drivers.end()) {
    result.text = "printer \"" + printer.name + "\" is there, its driver \"" + printer.driver + "\" is not";
    return result;
  }
  if (port == ports.end()) {
    result.text = "printer \"" + printer.name + "\" is there, its port " + printer.port + " is not";
    return result;
  }

  // The versions its components record: the print processor it names (the
  // system's own records none), the monitor of its port and its driver's
  // language monitor.
  OSVERSIONINFOA system{};
  system.dwOSVersionInfoSize = sizeof system;
  std::int32_t target = kWinXP;
  int button = 0;
  if (!platform.GetVersionExA(&system) || !TargetSystemOf(system, target, button)) target = kWinXP;
  std::vector<std::string> keys;
  if (!printer.printProcessor.empty() && !EqualsNoCase(printer.printProcessor, "WinPrint")) {
    keys.push_back(PrintProcessorKey(target, printer.printProcessor));
  }
  if (!port->monitor.empty()) keys.push_back(MonitorKey(port->monitor));
  if (!driver->monitor.empty()) keys.push_back(MonitorKey(driver->monitor));
  for (const std::string& key : keys) {
    if (const std::optional<DWORD> version = RecordedVersion(platform, key)) {
      result.version = result.version ? std::min(*result.version, *version) : *version;
    }
  }
  const std::string found = "\"" + printer.name + "\" on " + printer.port + " with driver \"" +
                            printer.driver + "\"" +
                            (result.version ? ", version " + std::to_string(*result.version)
                                            : ", no version recorded");
  if (minimumVersion && (!result.version || *result.version < *minimumVersion)) {
    result.text = found + ": older than version " + std::to_string(*minimumVersion);
    return result;
  }
  result.state = Detection::kPresent;
  result.text = "detected: " + found;
  return result;
}

}  // namespace setwell::inventory
