#include "inventory/Listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "config/InstallConfig.h"
#include "pages/CTargetSystemPage.h"
#include "system/AsciiCase.h"
#include "system/DriverFiles.h"
#include "system/HostDirectories.h"
#include "system/HostQueries.h"
#include "system/PlatformHandle.h"
#include "system/PortMonitor.h"
#include "system/SerialSettings.h"

namespace setwell::inventory {
namespace {

constexpr char kEnvironmentsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments";
constexpr char kRecordsKey[] = "SOFTWARE\\TALVORN";

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

ListedFile FileOf(Platform& platform, const std::string& path) {
  ListedFile file;
  file.path = path;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!path.empty() && platform.GetFileAttributesExA(path.c_str(), &data) &&
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    file.present = true;
    file.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return file;
}

// The "Driver" value of a key of the list, or "".
std::string DriverValue(const std::vector<ListedKey>& keys) {
  if (keys.empty()) return {};
  for (const ListedValue& value : keys.front().values) {
    if (EqualsNoCase(value.name, "Driver") && IsStringType(value.type)) return value.text;
  }
  return {};
}

void ReadTree(Platform& platform, const std::string& path, std::vector<ListedKey>& out,
              int depth) {
  RegKeyHandle raw = nullptr;
  if (platform.RegOpenKeyExA(path.c_str(), KEY_READ, &raw) != ERROR_SUCCESS) return;
  ScopedRegistryKey key(platform, raw);
  ListedKey listed;
  listed.path = path;
  for (DWORD index = 0;; ++index) {
    char name[1024] = {};
    DWORD nameSize = sizeof name - 1;
    DWORD type = 0;
    std::string data(4096, '\0');
    DWORD dataSize = static_cast<DWORD>(data.size());
    LONG result = platform.RegEnumValueA(key.Get(), index, name, &nameSize, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (result == ERROR_MORE_DATA && dataSize > data.size()) {
      data.resize(dataSize);
      nameSize = sizeof name - 1;
      result = platform.RegEnumValueA(key.Get(), index, name, &nameSize, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &dataSize);
    }
    if (result != ERROR_SUCCESS) break;
    data.resize(std::min<std::size_t>(dataSize, data.size()));
    ListedValue value;
    value.name.assign(name, nameSize);
    value.type = type;
    if (IsStringType(type)) {
      value.text = data.substr(0, data.find('\0'));
    } else if (type == REG_DWORD && data.size() == 4) {
      std::memcpy(&value.number, data.data(), 4);
    } else {
      value.data = data;
    }
    listed.values.push_back(std::move(value));
  }
  out.push_back(std::move(listed));
  // Below the monitors' and processors' keys there is a level or two;
  // deeper trees are no record of ours.
  if (depth >= 8) return;
  std::vector<std::string> subkeys;
  for (DWORD index = 0;; ++index) {
    char name[512] = {};
    DWORD nameSize = sizeof name - 1;
    if (platform.RegEnumKeyExA(key.Get(), index, name, &nameSize) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name, nameSize);
  }
  key.Reset();
  for (const std::string& subkey : subkeys) ReadTree(platform, path + "\\" + subkey, out, depth + 1);
}

std::vector<std::string> SubkeyNames(Platform& platform, const std::string& path) {
  std::vector<std::string> names;
  RegKeyHandle raw = nullptr;
  if (platform.RegOpenKeyExA(path.c_str(), KEY_READ, &raw) != ERROR_SUCCESS) return names;
  ScopedRegistryKey key(platform, raw);
  for (DWORD index = 0;; ++index) {
    char name[512] = {};
    DWORD nameSize = sizeof name - 1;
    if (platform.RegEnumKeyExA(key.Get(), index, name, &nameSize) != ERROR_SUCCESS) break;
    names.emplace_back(name, nameSize);
  }
  return names;
}

std::string ProcessorDirectory(Platform& platform, const std::string& environment) {
  BYTE buffer[kHostPathBuffer] = {};
  DWORD needed = 0;
  if (!platform.GetPrintProcessorDirectoryA(environment.c_str(), 1, buffer, sizeof buffer,
                                            &needed)) {
    return {};
  }
  return reinterpret_cast<const char*>(buffer);
}

const char* SystemName(const OSVERSIONINFOA& v) {
  if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 90) return "Windows Me";
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 10) return "Windows 98";
    if (v.dwMajorVersion == 4 && v.dwMinorVersion == 0) return "Windows 95";
    return "Windows 9x";
  }
  if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (v.dwMajorVersion == 4) return "Windows NT 4.0";
    if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return "Windows 2000";
    if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return "Windows XP";
    if (v.dwMajorVersion == 5 && v.dwMinorVersion == 2) return "Windows Server 2003";
    return "Windows NT";
  }
  return "unknown";
}

}  // namespace

std::vector<ListedKey> ReadKeyTree(Platform& platform, const std::string& path) {
  std::vector<ListedKey> keys;
  ReadTree(platform, path, keys, 0);
  return keys;
}

ListedSystem ReadSystem(Platform& platform) {
  ListedSystem system;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!platform.GetVersionExA(&version)) return system;
  system.name = SystemName(version);
  system.platformId = version.dwPlatformId;
  system.major = version.dwMajorVersion;
  system.minor = version.dwMinorVersion;
  // Windows 95/98/Me keep the version in the build number's high word.
  system.build = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS
                     ? (version.dwBuildNumber & 0xFFFF)
                     : version.dwBuildNumber;
  system.servicePack = version.szCSDVersion;
  BOOL wow64 = FALSE;
  system.wow64 = platform.IsWow64Process(&wow64) && wow64;
  std::int32_t target = -1;
  int button = 0;
  if (TargetSystemOf(version, target, button)) system.target = target;
  system.windowsDirectory = WindowsDirectory(platform).value_or("");
  return system;
}

Listing TakeListing(Platform& platform, const Family& family) {
  Listing listing;
  listing.system = ReadSystem(platform);
  for (const FamilyDriver& driver : family.drivers) listing.familyDrivers.push_back(driver.name);

  // The family's drivers, in each environment the install adds them to.
  std::vector<std::string> environments;
  for (const FamilyDriver& driver : family.drivers) {
    if (std::find(environments.begin(), environments.end(), driver.environment) ==
        environments.end()) {
      environments.push_back(driver.environment);
    }
  }
  for (const std::string& environment : environments) {
    bool ok = false;
    const auto drivers =
        ListDrivers(platform, environment.empty() ? nullptr : environment.c_str(), &ok);
    if (!ok) listing.unanswered.push_back("drivers" + (environment.empty() ? "" : " of " + environment));
    for (const DriverDetails& driver : drivers) {
      if (family.Driver(driver.name) == nullptr) continue;
      ListedDriver listed;
      listed.name = driver.name;
      listed.environment = driver.environment;
      listed.version = driver.version;
      listed.monitor = driver.monitor;
      listed.driverPath = driver.driverPath;
      listed.dataFile = driver.dataFile;
      listed.configFile = driver.configFile;
      listed.helpFile = driver.helpFile;
      listed.dependentFiles = driver.dependentFiles;
      std::vector<std::string> paths = {driver.driverPath, driver.dataFile, driver.configFile,
                                        driver.helpFile};
      paths.insert(paths.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
      std::set<std::string> seen;
      for (const std::string& path : paths) {
        if (path.empty() || !seen.insert(LowerAscii(path)).second) continue;
        listed.files.push_back(FileOf(platform, path));
      }
      listing.drivers.push_back(std::move(listed));
    }
  }

  // What the installs put beside the drivers, where it is there.
  if (listing.system.target >= 0) {
    for (const SupportFile& support : SupportFiles(listing.system.target)) {
      std::string directory;
      if (!GetTargetDirectory(platform, support.kind, directory)) continue;
      const ListedFile file = FileOf(platform, directory + "\\" + support.name);
      if (file.present) listing.supportFiles.push_back(file);
    }
  }

  // Its printers: those of a driver of the family.
  bool ok = false;
  const std::vector<PrinterDetails> printers = ListPrinters(platform, &ok);
  if (!ok) listing.unanswered.push_back("printers");
  const std::string defaultPrinter = DefaultPrinterName(platform);
  std::set<std::string> printerPorts;
  for (const PrinterDetails& printer : printers) {
    if (family.Driver(printer.driver) == nullptr) continue;
    ListedPrinter listed;
    listed.name = printer.name;
    listed.port = printer.port;
    listed.driver = printer.driver;
    listed.printProcessor = printer.printProcessor;
    listed.attributes = printer.attributes;
    listed.isDefault = !defaultPrinter.empty() && EqualsNoCase(defaultPrinter, printer.name);
    if (printer.devMode) {
      const DEVMODEA& dm = *printer.devMode;
      ListedDevMode mode;
      mode.deviceName.assign(reinterpret_cast<const char*>(dm.dmDeviceName),
                             strnlen(reinterpret_cast<const char*>(dm.dmDeviceName),
                                     sizeof dm.dmDeviceName));
      mode.specVersion = dm.dmSpecVersion;
      mode.driverVersion = dm.dmDriverVersion;
      mode.size = dm.dmSize;
      mode.driverExtra = dm.dmDriverExtra;
      mode.fields = dm.dmFields;
      mode.orientation = dm.dmOrientation;
      mode.paperSize = dm.dmPaperSize;
      mode.paperLength = dm.dmPaperLength;
      mode.paperWidth = dm.dmPaperWidth;
      mode.scale = dm.dmScale;
      mode.copies = dm.dmCopies;
      mode.defaultSource = dm.dmDefaultSource;
      mode.printQuality = dm.dmPrintQuality;
      mode.color = dm.dmColor;
      mode.duplex = dm.dmDuplex;
      mode.yResolution = dm.dmYResolution;
      mode.ttOption = dm.dmTTOption;
      mode.collate = dm.dmCollate;
      mode.formName.assign(reinterpret_cast<const char*>(dm.dmFormName),
                           strnlen(reinterpret_cast<const char*>(dm.dmFormName),
                                   sizeof dm.dmFormName));
      mode.icmMethod = dm.dmICMMethod;
      mode.icmIntent = dm.dmICMIntent;
      mode.mediaType = dm.dmMediaType;
      mode.ditherType = dm.dmDitherType;
      listed.devMode = mode;
    }
    printerPorts.insert(LowerAscii(printer.port));
    listing.printers.push_back(std::move(listed));
  }

  // The monitors of the family the spooler knows, with the file it loads
  // (the key's "Driver", which an update may have set to the alternate
  // name) and their records.
  const std::vector<MonitorDetails> monitors = ListMonitors(platform, &ok);
  if (!ok) listing.unanswered.push_back("monitors");
  const std::string systemDirectory = SystemDirectory(platform).value_or("");
  for (const MonitorDetails& monitor : monitors) {
    if (family.Monitor(monitor.name) == nullptr) continue;
    ListedComponent listed;
    listed.name = monitor.name;
    listed.keys = ReadKeyTree(platform, MonitorKey(monitor.name));
    std::string file = DriverValue(listed.keys);
    if (file.empty()) file = monitor.dll;
    listed.file = FileOf(platform, systemDirectory + "\\" + file);
    listing.monitors.push_back(std::move(listed));
  }

  // The family's print processor, in every environment that has it.
  for (const std::string& environment : SubkeyNames(platform, kEnvironmentsKey)) {
    for (const FamilyProcessor& processor : family.processors) {
      const std::string key =
          std::string(kEnvironmentsKey) + "\\" + environment + "\\Print Processors\\" + processor.name;
      std::vector<ListedKey> keys = ReadKeyTree(platform, key);
      if (keys.empty()) continue;
      ListedComponent listed;
      listed.name = processor.name;
      listed.environment = environment;
      listed.keys = std::move(keys);
      std::string file = DriverValue(listed.keys);
      if (file.empty()) file = processor.file;
      listed.file = FileOf(platform, ProcessorDirectory(platform, environment) + "\\" + file);
      listing.processors.push_back(std::move(listed));
    }
  }

  // The ports of the family's monitors, its USB port names and the ports
  // its printers use.
  const std::vector<PortDetails> ports = ListPortsWithMonitors(platform, &ok);
  if (!ok) listing.unanswered.push_back("ports");
  for (const PortDetails& port : ports) {
    if (family.Monitor(port.monitor) != nullptr || family.HasUsbPort(port.name) ||
        printerPorts.count(LowerAscii(port.name)) != 0) {
      listing.ports.push_back(ListedPort{port.name, port.monitor});
    }
  }

  listing.records = ReadKeyTree(platform, kRecordsKey);

  // The line settings of each serial port a printer of the family is on.
  std::set<std::string> serialSeen;
  const bool nt = listing.system.platformId == VER_PLATFORM_WIN32_NT;
  for (const ListedPrinter& printer : listing.printers) {
    const SerialPort serial = SerialPortOf(printer.port);
    if (serial.name.empty() || !serialSeen.insert(LowerAscii(serial.name)).second) continue;
    ListedSerial listed;
    listed.port = serial.name;
    if (nt) {
      for (const ListedKey& key : ReadKeyTree(platform, kNtSerialPortsKey)) {
        if (!EqualsNoCase(key.path, kNtSerialPortsKey)) continue;
        for (const ListedValue& value : key.values) {
          if (EqualsNoCase(value.name, serial.name)) listed.settings = value.text;
        }
      }
    } else {
      char line[256] = {};
      const DWORD length =
          platform.GetProfileStringA("Ports", serial.name.c_str(), "", line, sizeof line);
      listed.settings.assign(line, length);
      const std::string classKey = SerialClassKey(platform, serial.number);
      if (!classKey.empty()) listed.keys = ReadKeyTree(platform, classKey);
    }
    listing.serial.push_back(std::move(listed));
  }
  return listing;
}

}  // namespace setwell::inventory
