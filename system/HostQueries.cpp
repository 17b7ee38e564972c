#include "system/HostQueries.h"

#include <cstring>

namespace setwell {
namespace {

std::string Text(const char* text) { return text != nullptr ? text : ""; }

// Asks an enumeration twice: once for the size, once to fill. The list can
// grow between the two calls (another program adds a printer), so a second
// "too small" asks again with the new size.
template <typename Enumerate>
bool Ask(Enumerate enumerate, std::vector<BYTE>& buffer, DWORD& returned) {
  DWORD needed = 0;
  returned = 0;
  buffer.assign(1, 0);
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (enumerate(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned)) {
      return true;
    }
    if (needed <= buffer.size()) return false;
    buffer.assign(needed, 0);
  }
  return false;
}

std::vector<std::string> StringList(const char* list) {
  std::vector<std::string> items;
  for (const char* item = list; item != nullptr && *item != '\0'; item += std::strlen(item) + 1) {
    items.emplace_back(item);
  }
  return items;
}

PrinterDetails FromRecord(const PRINTER_INFO_2A& info) {
  PrinterDetails details;
  details.name = Text(info.pPrinterName);
  details.port = Text(info.pPortName);
  details.driver = Text(info.pDriverName);
  details.printProcessor = Text(info.pPrintProcessor);
  details.attributes = info.Attributes;
  if (info.pDevMode != nullptr) {
    DEVMODEA mode{};
    std::memcpy(&mode, info.pDevMode, sizeof mode);
    details.devMode = mode;
  }
  return details;
}

}  // namespace

bool QueryPrinter(Platform& platform, const std::string& name, PrinterDetails& details) {
  PrinterHandle handle = nullptr;
  if (!platform.OpenPrinterA(name.c_str(), &handle)) return false;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool ok = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        *returned = 1;
        return platform.GetPrinterA(handle, 2, data, size, needed);
      },
      buffer, count);
  const DWORD error = platform.GetLastError();
  platform.ClosePrinter(handle);
  if (!ok) {
    platform.SetLastError(error);
    return false;
  }
  details = FromRecord(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()));
  return true;
}

std::vector<PrinterDetails> ListPrinters(Platform& platform, bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumPrintersA(PRINTER_ENUM_LOCAL, 2, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<PrinterDetails> printers;
  if (!answered) return printers;
  const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) printers.push_back(FromRecord(records[i]));
  return printers;
}

std::vector<DriverDetails> ListDrivers(Platform& platform, const char* environment, bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumPrinterDriversA(environment, 3, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<DriverDetails> drivers;
  if (!answered) return drivers;
  const auto* records = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const DRIVER_INFO_3A& r = records[i];
    drivers.push_back(DriverDetails{Text(r.pName), Text(r.pEnvironment), r.cVersion,
                                    Text(r.pDriverPath), Text(r.pDataFile), Text(r.pConfigFile),
                                    Text(r.pHelpFile), StringList(r.pDependentFiles),
                                    Text(r.pMonitorName)});
  }
  return drivers;
}

std::vector<MonitorDetails> ListMonitors(Platform& platform, bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumMonitorsA(2, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<MonitorDetails> monitors;
  if (!answered) return monitors;
  const auto* records = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    monitors.push_back(MonitorDetails{Text(records[i].pName), Text(records[i].pEnvironment),
                                      Text(records[i].pDLLName)});
  }
  return monitors;
}

std::vector<std::string> ListPrintProcessors(Platform& platform, const char* environment,
                                             bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumPrintProcessorsA(environment, 1, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<std::string> names;
  if (!answered) return names;
  const auto* records = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(Text(records[i].pName));
  return names;
}

std::vector<std::string> ListPorts(Platform& platform, bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumPortsA(1, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<std::string> names;
  if (!answered) return names;
  const auto* records = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(Text(records[i].pName));
  return names;
}

std::vector<PortDetails> ListPortsWithMonitors(Platform& platform, bool* ok) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool answered = Ask(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return platform.EnumPortsA(2, data, size, needed, returned);
      },
      buffer, count);
  if (ok != nullptr) *ok = answered;
  std::vector<PortDetails> ports;
  if (!answered) return ports;
  const auto* records = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    ports.push_back(PortDetails{Text(records[i].pPortName), Text(records[i].pMonitorName)});
  }
  return ports;
}

std::string DefaultPrinterName(Platform& platform) {
  // Windows 95/98/Me mark the default printer with an attribute, which is
  // what the install sets there (the profile follows it on Windows itself;
  // Wine in its 9x guise leaves the profile as it was).
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (platform.GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    for (const PrinterDetails& printer : ListPrinters(platform)) {
      if ((printer.attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0) return printer.name;
    }
  }
  char value[1024] = {};
  const DWORD length = platform.GetProfileStringA("windows", "device", "", value, sizeof value);
  const std::string device(value, length);
  return device.substr(0, device.find(','));
}

}  // namespace setwell
