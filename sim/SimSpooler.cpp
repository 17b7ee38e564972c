#include "sim/SimSpooler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "sim/SimFileSystem.h"
#include "sim/SimProfile.h"
#include "sim/SimRecordFile.h"
#include "sim/SimRegistry.h"
#include "sim/SimSystem.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

void* AsHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }
std::uintptr_t AsValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

bool HasPath(const std::string& name) {
  return name.find('\\') != std::string::npos || name.find(':') != std::string::npos;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return HasPath(name) ? name : folder + "\\" + name;
}

// Lays a record out as the spooler does: the fixed part first, then blocks
// and strings; Measure and Fill walk the same fields.
class Packer {
 public:
  Packer(BYTE* buffer, std::size_t fixed) : buffer_(buffer), used_(fixed) {}
  std::size_t Used() const { return used_; }
  char* String(const std::string& text) {
    char* at = buffer_ == nullptr ? nullptr : reinterpret_cast<char*>(buffer_ + used_);
    if (at != nullptr) std::memcpy(at, text.c_str(), text.size() + 1);
    used_ += text.size() + 1;
    return at;
  }
  void* Block(const std::string& bytes) {
    used_ = (used_ + 7) & ~static_cast<std::size_t>(7);
    void* at = buffer_ == nullptr ? nullptr : buffer_ + used_;
    if (at != nullptr) std::memcpy(at, bytes.data(), bytes.size());
    used_ += bytes.size();
    return at;
  }

 private:
  BYTE* buffer_;
  std::size_t used_;
};

// The driver's default device mode: the printer's name and the sizes.
std::string DefaultDevMode(const std::string& printerName) {
  DEVMODEA mode{};
  std::memcpy(mode.dmDeviceName, printerName.data(),
              std::min(printerName.size(), static_cast<std::size_t>(CCHDEVICENAME - 1)));
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  return std::string(reinterpret_cast<const char*>(&mode), sizeof mode);
}

bool ValidPrinterName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  const std::string text(name);
  return text.size() < 221 && text.find('\\') == std::string::npos &&
         text.find(',') == std::string::npos;
}

std::vector<std::string> MultiSz(const char* list) {
  std::vector<std::string> items;
  if (list == nullptr) return items;
  // A runaway list (no empty string at its end) is cut rather than read on.
  for (int i = 0; i < 1024 && *list != '\0'; ++i) {
    items.emplace_back(list);
    list += items.back().size() + 1;
  }
  return items;
}

constexpr char kLocalPort[] = "Local Port";

// A printer's level-2 record, its strings and device mode laid out by
// packer.
PRINTER_INFO_2A PackPrinter(Packer& packer, const SimPrinter& printer, DWORD attributes) {
  const std::string devMode =
      printer.devMode.empty() ? DefaultDevMode(printer.name) : printer.devMode;
  PRINTER_INFO_2A record{};
  record.pServerName = nullptr;
  record.pPrinterName = packer.String(printer.name);
  record.pShareName = packer.String(printer.shareName);
  record.pPortName = packer.String(printer.portName);
  record.pDriverName = packer.String(printer.driverName);
  record.pComment = packer.String(printer.comment);
  record.pLocation = packer.String(printer.location);
  record.pDevMode = static_cast<DEVMODEA*>(packer.Block(devMode));
  record.pSepFile = packer.String(printer.sepFile);
  record.pPrintProcessor = packer.String(printer.printProcessor);
  record.pDatatype = packer.String(printer.datatype);
  record.pParameters = packer.String(printer.parameters);
  record.pSecurityDescriptor = nullptr;
  record.Attributes = attributes;
  record.Priority = printer.priority;
  record.DefaultPriority = printer.defaultPriority;
  record.StartTime = printer.startTime;
  record.UntilTime = printer.untilTime;
  record.Status = printer.status;
  return record;
}

// A list of strings, each ending in a zero, the list in another.
std::string MultiSzOf(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += item + std::string(1, '\0');
  return out;
}

}  // namespace

std::string ProcessorsKey(const std::string& environment) {
  return "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" + environment +
         "\\Print Processors";
}

// --- Setting up --------------------------------------------------------------

void SimSpooler::InstallMonitor(const std::string& name, const std::string& dll,
                                const std::vector<std::string>& ports) {
  const std::string key = std::string(kMonitorsKey) + "\\" + name;
  registry_->SetString(key, "Driver", dll);
  for (const std::string& port : ports) registry_->CreateKey(key + "\\Ports\\" + port);
  const std::string path = MonitorDllPath(dll);
  if (files_->Find(path) == nullptr) files_->WriteFile(path, "stand-in port monitor " + dll);
  if (running_) LoadModule(path);
}

void SimSpooler::InstallPrintProcessor(const std::string& name, const std::string& dll,
                                       const std::string& environment) {
  const std::string env = environment.empty() ? system_->Environment() : environment;
  registry_->SetString(ProcessorsKey(env) + "\\" + name, "Driver", dll);
  const std::string path = ProcessorDllPath(env, dll);
  files_->MakeFolder(system_->ProcessorDirectory(env));
  if (files_->Find(path) == nullptr) files_->WriteFile(path, "stand-in print processor " + dll);
  if (running_ && env == system_->Environment()) LoadModule(path);
}

void SimSpooler::DeclareMonitorPorts(const std::string& monitor, std::vector<std::string> ports) {
  declaredPorts_[monitor] = std::move(ports);
}

SimDriver& SimSpooler::AddDriverRecord(SimDriver driver) {
  if (driver.environment.empty()) driver.environment = system_->Environment();
  for (SimDriver& existing : drivers_) {
    if (existing.environment == driver.environment && EqualsNoCase(existing.name, driver.name)) {
      existing = std::move(driver);
      return existing;
    }
  }
  drivers_.push_back(std::move(driver));
  return drivers_.back();
}

SimPrinter& SimSpooler::AddPrinterRecord(SimPrinter printer) {
  if (SimPrinter* existing = FindPrinter(printer.name)) {
    *existing = std::move(printer);
    return *existing;
  }
  printers_.push_back(std::move(printer));
  return printers_.back();
}

bool SimSpooler::RemovePrinter(const std::string& name) {
  for (auto it = printers_.begin(); it != printers_.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      printers_.erase(it);
      return true;
    }
  }
  return false;
}

bool SimSpooler::RemoveDriver(const std::string& name, const std::string& environment) {
  const std::string env = environment.empty() ? system_->Environment() : environment;
  for (auto it = drivers_.begin(); it != drivers_.end(); ++it) {
    if (EqualsNoCase(it->environment, env) && EqualsNoCase(it->name, name)) {
      drivers_.erase(it);
      return true;
    }
  }
  return false;
}

// --- Looking ---------------------------------------------------------------

const SimDriver* SimSpooler::FindDriver(const std::string& name,
                                        const std::string& environment) const {
  const std::string env = environment.empty() ? system_->Environment() : environment;
  for (const SimDriver& driver : drivers_) {
    if (EqualsNoCase(driver.environment, env) && EqualsNoCase(driver.name, name)) return &driver;
  }
  return nullptr;
}

const SimPrinter* SimSpooler::FindPrinter(const std::string& name) const {
  for (const SimPrinter& printer : printers_) {
    if (EqualsNoCase(printer.name, name)) return &printer;
  }
  return nullptr;
}

SimPrinter* SimSpooler::FindPrinter(const std::string& name) {
  for (SimPrinter& printer : printers_) {
    if (EqualsNoCase(printer.name, name)) return &printer;
  }
  return nullptr;
}

bool SimSpooler::KnowsMonitor(const std::string& name) const {
  return !name.empty() && registry_->KeyExists(std::string(kMonitorsKey) + "\\" + name);
}

bool SimSpooler::KnowsPrintProcessor(const std::string& name,
                                     const std::string& environment) const {
  const std::string env = environment.empty() ? system_->Environment() : environment;
  return !name.empty() && registry_->KeyExists(ProcessorsKey(env) + "\\" + name);
}

std::vector<std::string> SimSpooler::Ports() const {
  std::vector<std::string> ports = profile_->Keys("Ports");
  for (const std::string& monitor : registry_->SubKeys(kMonitorsKey)) {
    if (EqualsNoCase(monitor, kLocalPort)) continue;
    for (const std::string& port :
         registry_->SubKeys(std::string(kMonitorsKey) + "\\" + monitor + "\\Ports")) {
      ports.push_back(port);
    }
  }
  return ports;
}

std::vector<SimSpooler::PortEntry> SimSpooler::PortsAndMonitors() const {
  // The first monitor of each port name (in any case), in the order
  // MonitorOfPort looks: the local ports, then every monitor's key, the
  // Local Port monitor's own included. Looked up by views of the lists
  // read here: each enumeration of the ports asks this.
  const std::vector<std::string> locals = profile_->Keys("Ports");
  const std::vector<std::string> monitors = registry_->SubKeys(kMonitorsKey);
  std::vector<std::vector<std::string>> listed(monitors.size());
  std::string key = std::string(kMonitorsKey) + "\\";
  const std::size_t base = key.size();
  std::size_t count = locals.size();
  for (std::size_t m = 0; m < monitors.size(); ++m) {
    key.resize(base);
    key += monitors[m];
    key += "\\Ports";
    listed[m] = registry_->SubKeys(key);
    count += listed[m].size();
  }
  struct FoldedHash {
    std::size_t operator()(std::string_view name) const {
      std::size_t hash = 14695981039346656037u;
      for (char c : name) hash = (hash ^ static_cast<unsigned char>(ToLowerAscii(c))) * 1099511628211u;
      return hash;
    }
  };
  struct SameNoCase {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
  };
  std::unordered_map<std::string_view, std::string_view, FoldedHash, SameNoCase> owner;
  owner.reserve(count);
  for (const std::string& local : locals) owner.emplace(local, kLocalPort);
  for (std::size_t m = 0; m < monitors.size(); ++m) {
    for (const std::string& port : listed[m]) owner.emplace(port, monitors[m]);
  }
  std::vector<PortEntry> ports;
  ports.reserve(count);
  for (const std::string& local : locals) ports.push_back({local, kLocalPort});
  for (std::size_t m = 0; m < monitors.size(); ++m) {
    if (EqualsNoCase(monitors[m], kLocalPort)) continue;
    for (const std::string& port : listed[m]) {
      ports.push_back({port, std::string(owner.find(port)->second)});
    }
  }
  return ports;
}

std::string SimSpooler::MonitorOfPort(const std::string& port) const {
  for (const std::string& local : profile_->Keys("Ports")) {
    if (EqualsNoCase(local, port)) return kLocalPort;
  }
  for (const std::string& monitor : registry_->SubKeys(kMonitorsKey)) {
    if (registry_->KeyExists(std::string(kMonitorsKey) + "\\" + monitor + "\\Ports\\" + port)) {
      return monitor;
    }
  }
  return {};
}

std::string SimSpooler::DefaultPrinter() const {
  std::optional<std::string> device = profile_->Get("windows", "device");
  if (!device) return {};
  return device->substr(0, device->find(','));
}

// --- Running -----------------------------------------------------------------

std::string SimSpooler::MonitorDllPath(const std::string& dll) const {
  return Joined(system_->systemDirectory, dll);
}

std::string SimSpooler::ProcessorDllPath(const std::string& environment,
                                         const std::string& dll) const {
  return Joined(system_->ProcessorDirectory(environment), dll);
}

void SimSpooler::LoadModule(const std::string& path) {
  if (files_->Find(path) == nullptr) return;  // the host logs it and goes on
  for (const std::string& loaded : loaded_) {
    if (EqualsNoCase(loaded, path)) return;
  }
  files_->MapImage(path);
  loaded_.push_back(path);
}

void SimSpooler::SetRunning(bool running) {
  if (running == running_) return;
  running_ = running;
  if (!running) {
    for (const std::string& path : loaded_) files_->UnmapImage(path);
    loaded_.clear();
    handles_.clear();
    return;
  }
  std::string dll;
  for (const std::string& monitor : registry_->SubKeys(kMonitorsKey)) {
    if (registry_->GetString(std::string(kMonitorsKey) + "\\" + monitor, "Driver", dll)) {
      LoadModule(MonitorDllPath(dll));
    }
  }
  const std::string env = system_->Environment();
  for (const std::string& processor : registry_->SubKeys(ProcessorsKey(env))) {
    if (registry_->GetString(ProcessorsKey(env) + "\\" + processor, "Driver", dll)) {
      LoadModule(ProcessorDllPath(env, dll));
    }
  }
}

// --- Spooler calls --------------------------------------------------------

DWORD SimSpooler::DirectoryAnswer(const std::string& path, BYTE* buffer, DWORD size,
                                  DWORD* needed) const {
  // NT's ANSI call asks for the size of the Unicode path.
  const DWORD bytes =
      static_cast<DWORD>(path.size() + 1) * (system_->IsNtLike() ? 2u : 1u);
  if (needed == nullptr) {
    if (system_->IsNtLike()) return RPC_X_NULL_REF_POINTER;
  } else {
    *needed = bytes;
  }
  if (size < bytes) return ERROR_INSUFFICIENT_BUFFER;
  if (buffer == nullptr) return ERROR_INVALID_USER_BUFFER;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::GetDriverDirectory(const char* environment, DWORD level, BYTE* buffer,
                                     DWORD size, DWORD* needed) const {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (level != 1 && system_->IsNtLike()) return ERROR_INVALID_LEVEL;
  return DirectoryAnswer(system_->DriverDirectory(*env), buffer, size, needed);
}

DWORD SimSpooler::GetProcessorDirectory(const char* environment, DWORD level, BYTE* buffer,
                                        DWORD size, DWORD* needed) const {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (level != 1 && system_->IsNtLike()) return ERROR_INVALID_LEVEL;
  return DirectoryAnswer(system_->ProcessorDirectory(*env), buffer, size, needed);
}

DWORD SimSpooler::AddDriver(DWORD level, const BYTE* info) {
  if (DWORD error = Unavailable()) return error;
  if (level != 2 && level != 3) return ERROR_INVALID_LEVEL;
  if (info == nullptr) return ERROR_INVALID_PARAMETER;
  const auto* two = reinterpret_cast<const DRIVER_INFO_2A*>(info);
  const auto* three = level == 3 ? reinterpret_cast<const DRIVER_INFO_3A*>(info) : nullptr;
  auto empty = [](const char* text) { return text == nullptr || text[0] == '\0'; };
  if (empty(two->pName) || empty(two->pDriverPath) || empty(two->pDataFile) ||
      empty(two->pConfigFile)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::optional<std::string> env = system_->ResolveEnvironment(two->pEnvironment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;

  // Every file the record names must be in the driver folder.
  std::vector<std::string> names = {two->pDriverPath, two->pDataFile, two->pConfigFile};
  if (three != nullptr && !empty(three->pHelpFile)) names.emplace_back(three->pHelpFile);
  const std::vector<std::string> dependent =
      three != nullptr ? MultiSz(three->pDependentFiles) : std::vector<std::string>{};
  names.insert(names.end(), dependent.begin(), dependent.end());
  const std::string driverFolder = system_->DriverDirectory(*env);
  // Each named file as found there, by its place in `names`.
  std::vector<const SimFile*> found;
  found.reserve(names.size());
  for (const std::string& name : names) {
    found.push_back(files_->Find(Joined(driverFolder, name)));
    if (found.back() == nullptr) return ERROR_FILE_NOT_FOUND;
  }

  // NT keeps the files of its drivers in the version folder.
  const std::string version = system_->DriverVersionDirectory(*env);
  const std::string home = version.empty() ? driverFolder : version;
  if (home != driverFolder) files_->MakeFolder(home);
  std::size_t next = 0;  // the record's fields come in the order of `names`
  auto place = [&](const std::string& name) -> std::string {
    const SimFile* source = found[next++];
    const std::string target = home + "\\" + SimFileSystem::Name(Joined(driverFolder, name));
    if (home != driverFolder) {
      SimFile& copy = files_->WriteFile(target, source->data);
      copy.attributes = FILE_ATTRIBUTE_ARCHIVE;
    }
    return target;
  };
  SimDriver driver;
  driver.environment = *env;
  driver.name = two->pName;
  driver.version = system_->DriverVersion(*env);
  driver.driverPath = place(two->pDriverPath);
  driver.dataFile = place(two->pDataFile);
  driver.configFile = place(two->pConfigFile);
  if (three != nullptr) {
    if (!empty(three->pHelpFile)) driver.helpFile = place(three->pHelpFile);
    for (const std::string& name : dependent) driver.dependentFiles.push_back(place(name));
    driver.monitorName = Text(three->pMonitorName);
    driver.defaultDataType = Text(three->pDefaultDataType);
  }
  AddDriverRecord(std::move(driver));
  return ERROR_SUCCESS;
}

DWORD SimSpooler::AddMonitor(DWORD level, const BYTE* info) {
  if (DWORD error = Unavailable()) return error;
  if (level != 2) return ERROR_INVALID_LEVEL;
  if (info == nullptr) return ERROR_INVALID_PARAMETER;
  const auto* monitor = reinterpret_cast<const MONITOR_INFO_2A*>(info);
  const bool is9x = system_->Is9x();
  // 9x wants its environment named; NT takes none as its own.
  if (is9x && monitor->pEnvironment == nullptr) return ERROR_INVALID_ENVIRONMENT;
  std::optional<std::string> env = system_->ResolveEnvironment(monitor->pEnvironment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (monitor->pName == nullptr || monitor->pName[0] == '\0') {
    return is9x ? ERROR_PRIVILEGE_NOT_HELD : ERROR_INVALID_PARAMETER;
  }
  if (monitor->pDLLName == nullptr) return is9x ? ERROR_PRIVILEGE_NOT_HELD : ERROR_INVALID_PARAMETER;
  if (monitor->pDLLName[0] == '\0') return ERROR_INVALID_PARAMETER;
  if (KnowsMonitor(monitor->pName)) {
    return is9x ? ERROR_ALREADY_EXISTS : ERROR_PRINT_MONITOR_ALREADY_INSTALLED;
  }
  const std::string path = MonitorDllPath(monitor->pDLLName);
  if (files_->Find(path) == nullptr) return is9x ? ERROR_INVALID_PARAMETER : ERROR_MOD_NOT_FOUND;

  const std::string key = std::string(kMonitorsKey) + "\\" + monitor->pName;
  registry_->SetString(key, "Driver", monitor->pDLLName);
  for (const auto& [name, ports] : declaredPorts_) {
    if (!EqualsNoCase(name, monitor->pName)) continue;
    for (const std::string& port : ports) registry_->CreateKey(key + "\\Ports\\" + port);
  }
  if (running_) LoadModule(path);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::AddPrintProcessor(const char* environment, const char* pathName,
                                    const char* name) {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (pathName == nullptr || name == nullptr || pathName[0] == '\0' || name[0] == '\0') {
    return ERROR_INVALID_PARAMETER;
  }
  if (KnowsPrintProcessor(name, *env)) return ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED;
  const std::string path = ProcessorDllPath(*env, pathName);
  if (files_->Find(path) == nullptr) return ERROR_MOD_NOT_FOUND;
  registry_->SetString(ProcessorsKey(*env) + "\\" + name, "Driver", pathName);
  if (*env == system_->Environment()) LoadModule(path);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::CheckPrinterFields(const SimPrinter& printer) const {
  if (FindDriver(printer.driverName) == nullptr) return ERROR_UNKNOWN_PRINTER_DRIVER;
  const std::vector<std::string> known = Ports();
  const std::vector<std::string> wanted = Split(printer.portName, ',');
  for (const std::string& port : wanted) {
    const bool found = std::any_of(known.begin(), known.end(),
                                   [&](const std::string& k) { return EqualsNoCase(k, port); });
    if (!found) return ERROR_UNKNOWN_PORT;
  }
  if (!KnowsPrintProcessor(printer.printProcessor)) return ERROR_UNKNOWN_PRINTPROCESSOR;
  return ERROR_SUCCESS;
}

void SimSpooler::MakeDefault(const SimPrinter& printer, bool viaWinspool) {
  // Windows 2000 and later record "name,winspool,Ne00:"; 9x and NT 4.0 the
  // driver and the port.
  const std::string device = viaWinspool
                                 ? printer.name + ",winspool,Ne00:"
                                 : printer.name + "," + printer.driverName + "," + printer.portName;
  profile_->Write("windows", "device", device.c_str());
}

DWORD SimSpooler::AddPrinter(DWORD level, const BYTE* info, PrinterHandle* handle) {
  if (DWORD error = Unavailable()) return error;
  if (level != 2) return ERROR_INVALID_LEVEL;
  if (info == nullptr) return ERROR_INVALID_PARAMETER;
  const auto* record = reinterpret_cast<const PRINTER_INFO_2A*>(info);
  if (!ValidPrinterName(record->pPrinterName)) return ERROR_INVALID_PRINTER_NAME;
  if (FindPrinter(record->pPrinterName) != nullptr) return ERROR_PRINTER_ALREADY_EXISTS;

  SimPrinter printer;
  printer.name = record->pPrinterName;
  printer.shareName = Text(record->pShareName);
  printer.portName = Text(record->pPortName);
  printer.driverName = Text(record->pDriverName);
  printer.comment = Text(record->pComment);
  printer.location = Text(record->pLocation);
  printer.sepFile = Text(record->pSepFile);
  printer.printProcessor = Text(record->pPrintProcessor);
  printer.datatype = record->pDatatype != nullptr ? record->pDatatype : "RAW";
  printer.parameters = Text(record->pParameters);
  if (record->pDevMode != nullptr) {
    const DEVMODEA& mode = *record->pDevMode;
    if (mode.dmSize < offsetof(DEVMODEA, dmFields) + sizeof(DWORD) || mode.dmSize > 1024) {
      return ERROR_INVALID_PARAMETER;
    }
    printer.devMode.assign(reinterpret_cast<const char*>(&mode),
                           static_cast<std::size_t>(mode.dmSize) + mode.dmDriverExtra);
  }
  printer.attributes = record->Attributes;
  printer.priority = record->Priority;
  printer.defaultPriority = record->DefaultPriority;
  printer.startTime = record->StartTime;
  printer.untilTime = record->UntilTime;
  if (DWORD error = CheckPrinterFields(printer)) return error;

  // The default mark is Windows 95/98/Me's; NT ignores it.
  const bool makeDefault = (printer.attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0;
  printer.attributes &= ~PRINTER_ATTRIBUTE_DEFAULT;
  const SimPrinter& added = AddPrinterRecord(std::move(printer));
  if (makeDefault && system_->Is9x()) MakeDefault(added, false);
  if (handle != nullptr) {
    // The creator's handle carries every right.
    const std::uintptr_t value = nextHandle_++;
    handles_[value] = OpenHandle{added.name, PRINTER_ALL_ACCESS};
    *handle = AsHandle(value);
  }
  return ERROR_SUCCESS;
}

DWORD SimSpooler::OpenPrinter(const char* name, PrinterHandle* handle) {
  return OpenPrinter(name, handle, PRINTER_ACCESS_USE);
}

DWORD SimSpooler::OpenPrinter(const char* name, PrinterHandle* handle, DWORD access) {
  if (DWORD error = Unavailable()) return error;
  if (name == nullptr || handle == nullptr) return ERROR_INVALID_PARAMETER;
  const SimPrinter* printer = FindPrinter(name);
  if (printer == nullptr) return ERROR_INVALID_PRINTER_NAME;
  const std::uintptr_t value = nextHandle_++;
  // No defaults, or no rights named, is the user's right to print.
  handles_[value] = OpenHandle{printer->name, access == 0 ? PRINTER_ACCESS_USE : access};
  *handle = AsHandle(value);
  return ERROR_SUCCESS;
}

SimPrinter* SimSpooler::PrinterOf(PrinterHandle handle) {
  auto it = handles_.find(AsValue(handle));
  return it == handles_.end() ? nullptr : FindPrinter(it->second.printer);
}

DWORD SimSpooler::GetPrinter(PrinterHandle handle, DWORD level, BYTE* buffer, DWORD size,
                             DWORD* needed) {
  if (DWORD error = Unavailable()) return error;
  const SimPrinter* printer = PrinterOf(handle);
  if (printer == nullptr) return ERROR_INVALID_HANDLE;
  if (level != 2) return ERROR_INVALID_LEVEL;
  if (needed == nullptr) return RPC_X_NULL_REF_POINTER;

  auto fill = [&](BYTE* out) {
    Packer packer(out, sizeof(PRINTER_INFO_2A));
    const PRINTER_INFO_2A record = PackPrinter(packer, *printer, Attributes(*printer));
    if (out != nullptr) std::memcpy(out, &record, sizeof record);
    return packer.Used();
  };
  const DWORD bytes = static_cast<DWORD>(fill(nullptr));
  *needed = bytes;
  if (size < bytes) return ERROR_INSUFFICIENT_BUFFER;
  if (buffer == nullptr) return ERROR_INVALID_USER_BUFFER;
  fill(buffer);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::SetPrinter(PrinterHandle handle, DWORD level, const BYTE* info, DWORD command) {
  if (DWORD error = Unavailable()) return error;
  SimPrinter* printer = PrinterOf(handle);
  if (printer == nullptr) return ERROR_INVALID_HANDLE;
  if (level != 2) return ERROR_INVALID_LEVEL;
  if (info == nullptr || command != 0) return ERROR_INVALID_PARAMETER;
  const auto* record = reinterpret_cast<const PRINTER_INFO_2A*>(info);

  SimPrinter changed = *printer;
  if (record->pPrinterName != nullptr && !EqualsNoCase(record->pPrinterName, printer->name)) {
    if (!ValidPrinterName(record->pPrinterName)) return ERROR_INVALID_PRINTER_NAME;
    if (FindPrinter(record->pPrinterName) != nullptr) return ERROR_PRINTER_ALREADY_EXISTS;
    changed.name = record->pPrinterName;
  }
  auto take = [](const char* from, std::string& to) {
    if (from != nullptr) to = from;
  };
  take(record->pShareName, changed.shareName);
  take(record->pPortName, changed.portName);
  take(record->pDriverName, changed.driverName);
  take(record->pComment, changed.comment);
  take(record->pLocation, changed.location);
  take(record->pSepFile, changed.sepFile);
  take(record->pPrintProcessor, changed.printProcessor);
  take(record->pDatatype, changed.datatype);
  take(record->pParameters, changed.parameters);
  if (record->pDevMode != nullptr) {
    const DEVMODEA& mode = *record->pDevMode;
    if (mode.dmSize < offsetof(DEVMODEA, dmFields) + sizeof(DWORD) || mode.dmSize > 1024) {
      return ERROR_INVALID_PARAMETER;
    }
    changed.devMode.assign(reinterpret_cast<const char*>(&mode),
                           static_cast<std::size_t>(mode.dmSize) + mode.dmDriverExtra);
  }
  changed.attributes = record->Attributes & ~PRINTER_ATTRIBUTE_DEFAULT;
  changed.priority = record->Priority;
  changed.defaultPriority = record->DefaultPriority;
  changed.startTime = record->StartTime;
  changed.untilTime = record->UntilTime;
  if (DWORD error = CheckPrinterFields(changed)) return error;

  const std::string oldName = printer->name;
  *printer = std::move(changed);
  for (auto& [value, open] : handles_) {
    if (EqualsNoCase(open.printer, oldName)) open.printer = printer->name;
  }
  if (system_->Is9x() && (record->Attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0) {
    MakeDefault(*printer, false);
  }
  return ERROR_SUCCESS;
}

DWORD SimSpooler::ClosePrinter(PrinterHandle handle) {
  if (DWORD error = Unavailable()) return error;
  return handles_.erase(AsValue(handle)) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD SimSpooler::EnumPorts(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                            DWORD* returned) const {
  if (DWORD error = Unavailable()) return error;
  const bool nt = system_->IsNtLike();
  if (level != 1 && level != 2) {
    if (nt) return ERROR_INVALID_LEVEL;
    if (needed != nullptr) *needed = 0;
    if (returned != nullptr) *returned = 0;
    return ERROR_SUCCESS;
  }
  if ((needed == nullptr || returned == nullptr) && nt) return RPC_X_NULL_REF_POINTER;
  const std::vector<PortEntry> ports = PortsAndMonitors();
  const std::size_t entry = level == 1 ? sizeof(PORT_INFO_1A) : sizeof(PORT_INFO_2A);
  auto fill = [&](BYTE* out) {
    Packer packer(out, entry * ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      if (level == 1) {
        PORT_INFO_1A record{packer.String(ports[i].port)};
        if (out != nullptr) std::memcpy(out + i * entry, &record, sizeof record);
      } else {
        const std::string& monitor = ports[i].monitor;
        PORT_INFO_2A record{};
        record.pPortName = packer.String(ports[i].port);
        record.pMonitorName = packer.String(monitor);
        record.pDescription = packer.String(monitor);
        record.fPortType = PORT_TYPE_WRITE | PORT_TYPE_READ;
        if (out != nullptr) std::memcpy(out + i * entry, &record, sizeof record);
      }
    }
    return packer.Used();
  };
  const DWORD bytes = static_cast<DWORD>(fill(nullptr));
  if (needed != nullptr) *needed = bytes;
  if (size < bytes) {
    if (returned != nullptr) *returned = 0;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  if (buffer == nullptr && bytes != 0) return ERROR_INVALID_USER_BUFFER;
  if (buffer != nullptr) fill(buffer);
  if (returned != nullptr) *returned = static_cast<DWORD>(ports.size());
  return ERROR_SUCCESS;
}

DWORD SimSpooler::SetDefaultPrinter(const char* name) {
  if (DWORD error = Unavailable()) return error;
  if (name == nullptr || name[0] == '\0') {
    // Keeps a default there is; otherwise the first printer becomes it.
    if (FindPrinter(DefaultPrinter()) != nullptr) return ERROR_SUCCESS;
    if (printers_.empty()) return ERROR_INVALID_PRINTER_NAME;
    MakeDefault(printers_.front(), true);
    return ERROR_SUCCESS;
  }
  const SimPrinter* printer = FindPrinter(name);
  if (printer == nullptr) return ERROR_INVALID_PRINTER_NAME;
  MakeDefault(*printer, true);
  return ERROR_SUCCESS;
}

// --- Enumerations and deletions ------------------------------------------------

DWORD SimSpooler::Attributes(const SimPrinter& printer) const {
  DWORD attributes = printer.attributes;
  if (system_->Is9x() && EqualsNoCase(DefaultPrinter(), printer.name)) {
    attributes |= PRINTER_ATTRIBUTE_DEFAULT;
  }
  return attributes;
}

template <typename Fill>
DWORD SimSpooler::Enumerate(std::size_t entry, std::size_t count, Fill fill, BYTE* buffer,
                            DWORD size, DWORD* needed, DWORD* returned) const {
  if ((needed == nullptr || returned == nullptr) && system_->IsNtLike()) {
    return RPC_X_NULL_REF_POINTER;
  }
  auto layout = [&](BYTE* out) {
    Packer packer(out, entry * count);
    for (std::size_t i = 0; i < count; ++i) fill(packer, out == nullptr ? nullptr : out + i * entry, i);
    return packer.Used();
  };
  const DWORD bytes = static_cast<DWORD>(layout(nullptr));
  if (needed != nullptr) *needed = bytes;
  if (size < bytes) {
    if (returned != nullptr) *returned = 0;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  if (buffer == nullptr && bytes != 0) return ERROR_INVALID_USER_BUFFER;
  if (buffer != nullptr) layout(buffer);
  if (returned != nullptr) *returned = static_cast<DWORD>(count);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::EnumPrinters(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                               DWORD* returned) const {
  if (DWORD error = Unavailable()) return error;
  // Level 4 is NT's quick list; 9x serves 1, 2 and 5 only.
  if (level != 2 && (level != 4 || system_->Is9x())) return ERROR_INVALID_LEVEL;
  // This machine holds local printers only: connections and remote lists
  // are empty.
  const std::size_t count = (flags & PRINTER_ENUM_LOCAL) != 0 ? printers_.size() : 0;
  if (level == 2) {
    return Enumerate(
        sizeof(PRINTER_INFO_2A), count,
        [&](Packer& packer, BYTE* out, std::size_t i) {
          const PRINTER_INFO_2A record = PackPrinter(packer, printers_[i], Attributes(printers_[i]));
          if (out != nullptr) std::memcpy(out, &record, sizeof record);
        },
        buffer, size, needed, returned);
  }
  return Enumerate(
      sizeof(PRINTER_INFO_4A), count,
      [&](Packer& packer, BYTE* out, std::size_t i) {
        PRINTER_INFO_4A record{};
        record.pPrinterName = packer.String(printers_[i].name);
        record.pServerName = nullptr;
        record.Attributes = Attributes(printers_[i]);
        if (out != nullptr) std::memcpy(out, &record, sizeof record);
      },
      buffer, size, needed, returned);
}

DWORD SimSpooler::EnumDrivers(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                              DWORD* needed, DWORD* returned) const {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (level < 1 || level > 3) return ERROR_INVALID_LEVEL;
  std::vector<const SimDriver*> listed;
  for (const SimDriver& driver : drivers_) {
    if (EqualsNoCase(driver.environment, *env)) listed.push_back(&driver);
  }
  const std::size_t entry = level == 1   ? sizeof(DRIVER_INFO_1A)
                            : level == 2 ? sizeof(DRIVER_INFO_2A)
                                         : sizeof(DRIVER_INFO_3A);
  return Enumerate(
      entry, listed.size(),
      [&](Packer& packer, BYTE* out, std::size_t i) {
        const SimDriver& driver = *listed[i];
        if (level == 1) {
          DRIVER_INFO_1A record{packer.String(driver.name)};
          if (out != nullptr) std::memcpy(out, &record, sizeof record);
          return;
        }
        DRIVER_INFO_3A record{};
        record.cVersion = driver.version;
        record.pName = packer.String(driver.name);
        record.pEnvironment = packer.String(driver.environment);
        record.pDriverPath = packer.String(driver.driverPath);
        record.pDataFile = packer.String(driver.dataFile);
        record.pConfigFile = packer.String(driver.configFile);
        if (level == 3) {
          record.pHelpFile = packer.String(driver.helpFile);
          record.pDependentFiles = packer.String(MultiSzOf(driver.dependentFiles));
          record.pMonitorName = packer.String(driver.monitorName);
          record.pDefaultDataType = packer.String(driver.defaultDataType);
        }
        // DRIVER_INFO_2A is DRIVER_INFO_3A's first fields.
        if (out != nullptr) std::memcpy(out, &record, entry);
      },
      buffer, size, needed, returned);
}

DWORD SimSpooler::EnumMonitors(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                               DWORD* returned) const {
  if (DWORD error = Unavailable()) return error;
  if (level != 1 && level != 2) return ERROR_INVALID_LEVEL;
  const std::vector<std::string> names = registry_->SubKeys(kMonitorsKey);
  const std::string env = system_->Environment();
  // Each monitor's module, read once for the measuring and the filling.
  std::vector<std::string> dlls(level == 2 ? names.size() : 0);
  for (std::size_t i = 0; i < dlls.size(); ++i) {
    registry_->GetString(std::string(kMonitorsKey) + "\\" + names[i], "Driver", dlls[i]);
  }
  return Enumerate(
      level == 1 ? sizeof(MONITOR_INFO_1A) : sizeof(MONITOR_INFO_2A), names.size(),
      [&](Packer& packer, BYTE* out, std::size_t i) {
        if (level == 1) {
          MONITOR_INFO_1A record{packer.String(names[i])};
          if (out != nullptr) std::memcpy(out, &record, sizeof record);
          return;
        }
        MONITOR_INFO_2A record{};
        record.pName = packer.String(names[i]);
        record.pEnvironment = packer.String(env);
        record.pDLLName = packer.String(dlls[i]);
        if (out != nullptr) std::memcpy(out, &record, sizeof record);
      },
      buffer, size, needed, returned);
}

DWORD SimSpooler::EnumPrintProcessors(const char* environment, DWORD level, BYTE* buffer,
                                      DWORD size, DWORD* needed, DWORD* returned) const {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (level != 1) return ERROR_INVALID_LEVEL;
  const std::vector<std::string> names = registry_->SubKeys(ProcessorsKey(*env));
  return Enumerate(
      sizeof(PRINTPROCESSOR_INFO_1A), names.size(),
      [&](Packer& packer, BYTE* out, std::size_t i) {
        PRINTPROCESSOR_INFO_1A record{packer.String(names[i])};
        if (out != nullptr) std::memcpy(out, &record, sizeof record);
      },
      buffer, size, needed, returned);
}

std::vector<std::string> SimSpooler::PortsInUse() const {
  std::vector<std::string> ports;
  for (const SimPrinter& printer : printers_) {
    for (const std::string& port : Split(printer.portName, ',')) {
      if (!port.empty()) ports.push_back(port);
    }
  }
  return ports;
}

void SimSpooler::UnloadModule(const std::string& path) {
  for (auto it = loaded_.begin(); it != loaded_.end(); ++it) {
    if (EqualsNoCase(*it, path)) {
      files_->UnmapImage(*it);
      loaded_.erase(it);
      return;
    }
  }
}

DWORD SimSpooler::DeletePrinter(PrinterHandle handle) {
  if (DWORD error = Unavailable()) return error;
  auto open = handles_.find(AsValue(handle));
  if (open == handles_.end()) return ERROR_INVALID_HANDLE;
  const SimPrinter* printer = FindPrinter(open->second.printer);
  // A handle whose printer went already no longer names one.
  if (printer == nullptr) return ERROR_INVALID_PRINTER_NAME;
  if (system_->IsNtLike() && (open->second.access & PRINTER_ACCESS_ADMINISTER) == 0) {
    return ERROR_ACCESS_DENIED;
  }
  const bool wasDefault = EqualsNoCase(DefaultPrinter(), printer->name);
  RemovePrinter(open->second.printer);
  if (wasDefault) {
    // The default goes with its printer. Windows 2000 and later then take
    // the first printer left, as SetDefaultPrinterA(NULL) documents and as
    // Wine's DeletePrinter does; that 98/Me and NT 4.0 choose the same way
    // is our reading of their Printers folder, not a documented rule.
    profile_->Write("windows", "device", nullptr);
    if (!printers_.empty()) MakeDefault(printers_.front(), system_->HasSetDefaultPrinter());
  }
  return ERROR_SUCCESS;
}

DWORD SimSpooler::DeleteDriver(const char* environment, const char* name, DWORD deleteFlag,
                               DWORD versionFlag, bool ex) {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (name == nullptr || name[0] == '\0') return ERROR_INVALID_PARAMETER;
  const SimDriver* found = FindDriver(name, *env);
  if (found == nullptr) return ERROR_UNKNOWN_PRINTER_DRIVER;
  if (ex && (deleteFlag & DPD_DELETE_SPECIFIC_VERSION) != 0 && found->version != versionFlag) {
    return ERROR_UNKNOWN_PRINTER_DRIVER;
  }
  // Printers use the drivers of the running system's environment.
  if (EqualsNoCase(*env, system_->Environment())) {
    for (const SimPrinter& printer : printers_) {
      if (EqualsNoCase(printer.driverName, found->name)) return ERROR_PRINTER_DRIVER_IN_USE;
    }
  }
  std::vector<std::string> files = {found->driverPath, found->dataFile, found->configFile,
                                    found->helpFile};
  files.insert(files.end(), found->dependentFiles.begin(), found->dependentFiles.end());
  auto sharedWithAnother = [&](const std::string& path) {
    for (const SimDriver& other : drivers_) {
      if (&other == found) continue;
      std::vector<std::string> names = {other.driverPath, other.dataFile, other.configFile,
                                        other.helpFile};
      names.insert(names.end(), other.dependentFiles.begin(), other.dependentFiles.end());
      for (const std::string& named : names) {
        if (EqualsNoCase(named, path)) return true;
      }
    }
    return false;
  };
  const bool deleteFiles =
      ex && (deleteFlag & (DPD_DELETE_UNUSED_FILES | DPD_DELETE_ALL_FILES)) != 0;
  if (ex && (deleteFlag & DPD_DELETE_ALL_FILES) != 0) {
    for (const std::string& path : files) {
      if (!path.empty() && sharedWithAnother(path)) return ERROR_PRINTER_DRIVER_IN_USE;
    }
  }
  std::vector<std::string> doomed;
  if (deleteFiles) {
    for (const std::string& path : files) {
      if (!path.empty() && !sharedWithAnother(path)) doomed.push_back(path);
    }
  }
  const std::string driverName = found->name;
  RemoveDriver(driverName, *env);
  for (const std::string& path : doomed) files_->Remove(path);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::DeleteMonitor(const char*, const char* name) {
  if (DWORD error = Unavailable()) return error;
  if (name == nullptr || name[0] == '\0') return ERROR_INVALID_PARAMETER;
  // A name is one key below the monitors' key: "Local Port\Ports" names
  // no monitor, and must not reach the key of one.
  if (HasPath(name) || !KnowsMonitor(name)) return ERROR_UNKNOWN_PRINT_MONITOR;
  for (const std::string& port : PortsInUse()) {
    if (EqualsNoCase(MonitorOfPort(port), name)) return ERROR_PRINT_MONITOR_IN_USE;
  }
  const std::string key = std::string(kMonitorsKey) + "\\" + name;
  std::string dll;
  if (registry_->GetString(key, "Driver", dll)) UnloadModule(MonitorDllPath(dll));
  registry_->DeleteKey(key);
  return ERROR_SUCCESS;
}

DWORD SimSpooler::DeletePrintProcessor(const char* environment, const char* name) {
  if (DWORD error = Unavailable()) return error;
  std::optional<std::string> env = system_->ResolveEnvironment(environment);
  if (!env) return ERROR_INVALID_ENVIRONMENT;
  if (name == nullptr || name[0] == '\0') return ERROR_INVALID_PARAMETER;
  if (HasPath(name) || !KnowsPrintProcessor(name, *env)) return ERROR_UNKNOWN_PRINTPROCESSOR;
  if (EqualsNoCase(*env, system_->Environment())) {
    for (const SimPrinter& printer : printers_) {
      if (EqualsNoCase(printer.printProcessor, name)) return ERROR_CAN_NOT_COMPLETE;
    }
  }
  const std::string key = ProcessorsKey(*env) + "\\" + name;
  std::string dll;
  if (registry_->GetString(key, "Driver", dll)) UnloadModule(ProcessorDllPath(*env, dll));
  registry_->DeleteKey(key);
  return ERROR_SUCCESS;
}

// --- Persistence ---------------------------------------------------------------

void SimSpooler::Save(SimRecordFile& record) const {
  for (const SimDriver& driver : drivers_) {
    SimRecordFile::Section& section = record.Add("driver", driver.name);
    section.Add("environment", driver.environment);
    section.Add("version", std::to_string(driver.version));
    section.Add("driver-path", driver.driverPath);
    section.Add("data-file", driver.dataFile);
    section.Add("config-file", driver.configFile);
    section.Add("help-file", driver.helpFile);
    for (const std::string& file : driver.dependentFiles) section.Add("dependent-file", file);
    section.Add("monitor", driver.monitorName);
    section.Add("default-datatype", driver.defaultDataType);
  }
  for (const SimPrinter& printer : printers_) {
    SimRecordFile::Section& section = record.Add("printer", printer.name);
    section.Add("share", printer.shareName);
    section.Add("port", printer.portName);
    section.Add("driver", printer.driverName);
    section.Add("comment", printer.comment);
    section.Add("location", printer.location);
    section.Add("separator-file", printer.sepFile);
    section.Add("print-processor", printer.printProcessor);
    section.Add("datatype", printer.datatype);
    section.Add("parameters", printer.parameters);
    section.Add("devmode", HexBytes(printer.devMode, '\0'));
    section.Add("attributes", HexNumber(printer.attributes));
    section.Add("priority", std::to_string(printer.priority));
    section.Add("default-priority", std::to_string(printer.defaultPriority));
    section.Add("start-time", std::to_string(printer.startTime));
    section.Add("until-time", std::to_string(printer.untilTime));
    section.Add("status", HexNumber(printer.status));
  }
  for (const auto& [monitor, ports] : declaredPorts_) {
    SimRecordFile::Section& section = record.Add("monitor-ports", monitor);
    for (const std::string& port : ports) section.Add("port", port);
  }
}

bool SimSpooler::Load(const SimRecordFile& record, std::string* error) {
  drivers_.clear();
  printers_.clear();
  declaredPorts_.clear();
  auto number = [&](const SimRecordFile::Section& section, const char* key, DWORD& out) {
    std::optional<std::uint64_t> value = ParseNumber(section.GetOr(key, "0"));
    if (!value || *value > 0xFFFFFFFFu) {
      if (error != nullptr) *error = section.Where() + "bad " + std::string(key) + " of " + section.name;
      return false;
    }
    out = static_cast<DWORD>(*value);
    return true;
  };
  for (const SimRecordFile::Section& section : record.Sections()) {
    if (section.kind == "driver") {
      SimDriver driver;
      driver.name = section.name;
      driver.environment = section.GetOr("environment", system_->Environment());
      if (!number(section, "version", driver.version)) return false;
      driver.driverPath = section.GetOr("driver-path", "");
      driver.dataFile = section.GetOr("data-file", "");
      driver.configFile = section.GetOr("config-file", "");
      driver.helpFile = section.GetOr("help-file", "");
      driver.dependentFiles = section.GetAll("dependent-file");
      driver.monitorName = section.GetOr("monitor", "");
      driver.defaultDataType = section.GetOr("default-datatype", "");
      drivers_.push_back(std::move(driver));
    } else if (section.kind == "printer") {
      SimPrinter printer;
      printer.name = section.name;
      printer.shareName = section.GetOr("share", "");
      printer.portName = section.GetOr("port", "");
      printer.driverName = section.GetOr("driver", "");
      printer.comment = section.GetOr("comment", "");
      printer.location = section.GetOr("location", "");
      printer.sepFile = section.GetOr("separator-file", "");
      printer.printProcessor = section.GetOr("print-processor", "");
      printer.datatype = section.GetOr("datatype", "");
      printer.parameters = section.GetOr("parameters", "");
      std::optional<std::string> devMode = ParseHexBytes(section.GetOr("devmode", ""));
      if (!devMode) {
        if (error != nullptr) *error = section.Where() + "bad devmode of " + section.name;
        return false;
      }
      printer.devMode = *devMode;
      if (!number(section, "attributes", printer.attributes) ||
          !number(section, "priority", printer.priority) ||
          !number(section, "default-priority", printer.defaultPriority) ||
          !number(section, "start-time", printer.startTime) ||
          !number(section, "until-time", printer.untilTime) ||
          !number(section, "status", printer.status)) {
        return false;
      }
      printers_.push_back(std::move(printer));
    } else if (section.kind == "monitor-ports") {
      declaredPorts_[section.name] = section.GetAll("port");
    }
  }
  return true;
}

}  // namespace setwell::sim
