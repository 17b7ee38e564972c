// The host's answers about printers, drivers, monitors and print
// processors, as plain values: the spooler's enumerations and queries asked
// with a buffer of the size they say they need. What the host cannot answer
// comes back empty (an empty list, false, an empty name); the caller tells
// "absent" from "cannot tell" by the last error where it matters.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "system/Platform.h"

namespace setwell {

struct PrinterDetails {
  std::string name;
  std::string port;
  std::string driver;
  std::string printProcessor;
  DWORD attributes = 0;
  // The device mode the spooler holds for the printer, when it has one.
  std::optional<DEVMODEA> devMode;
};

struct DriverDetails {
  std::string name;
  std::string environment;
  DWORD version = 0;
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;
  std::string monitor;
};

struct MonitorDetails {
  std::string name;
  std::string environment;
  std::string dll;
};

// OpenPrinterA and GetPrinterA at level 2; false when the printer cannot be
// opened or read (the last error says why).
bool QueryPrinter(Platform& platform, const std::string& name, PrinterDetails& details);
// EnumPrintersA of the local printers at level 2; nothing when enumeration fails.
std::vector<PrinterDetails> ListPrinters(Platform& platform, bool* ok = nullptr);
// EnumPrinterDriversA at level 3 for one environment (null: the running
// system's own).
std::vector<DriverDetails> ListDrivers(Platform& platform, const char* environment,
                                       bool* ok = nullptr);
std::vector<MonitorDetails> ListMonitors(Platform& platform, bool* ok = nullptr);
std::vector<std::string> ListPrintProcessors(Platform& platform, const char* environment,
                                             bool* ok = nullptr);
std::vector<std::string> ListPorts(Platform& platform, bool* ok = nullptr);
struct PortDetails {
  std::string name;
  std::string monitor;
};
// EnumPortsA at level 2: each port with the monitor that serves it.
std::vector<PortDetails> ListPortsWithMonitors(Platform& platform, bool* ok = nullptr);
// The default printer: on Windows 95/98/Me the printer with the default
// attribute, else (and on the NT family) the name in the profile value
// [windows] "device" ("NAME,DRIVER,PORT"); empty when there is none.
std::string DefaultPrinterName(Platform& platform);

}  // namespace setwell
