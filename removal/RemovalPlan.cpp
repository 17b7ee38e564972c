#include <algorithm>
#include <unordered_set>

#include "config/InstallConfig.h"
#include "config/UsbPortRecords.h"
#include "removal/Removal.h"
#include "removal/RemovalHost.h"
#include "system/AsciiCase.h"
#include "system/DriverFiles.h"
#include "system/HostDirectories.h"
#include "system/HostQueries.h"
#include "system/PortMonitor.h"
#include "system/PortNames.h"
#include "system/PrintProcessor.h"

namespace setwell::removal {
namespace {

// The spooler's limit on a printer name, in characters.
constexpr std::size_t kPrinterNameLimit = 220;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// File names and paths compared without letter case, as the host compares
// them.
class NameSet {
 public:
  void insert(const std::string& name) { names_.insert(LowerAscii(name)); }
  std::size_t count(const std::string& lowered) const { return names_.count(lowered); }

 private:
  std::unordered_set<std::string> names_;
};

bool IsFile(Platform& platform, const std::string& path) {
  const DWORD attributes = platform.GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> PortsOf(const PrinterDetails& printer) {
  std::vector<std::string> ports;
  std::size_t start = 0;
  while (start <= printer.port.size()) {
    const std::size_t comma = std::min(printer.port.find(',', start), printer.port.size());
    std::string port = printer.port.substr(start, comma - start);
    while (!port.empty() && port.front() == ' ') port.erase(port.begin());
    if (!port.empty()) ports.push_back(port);
    start = comma + 1;
  }
  return ports;
}

std::vector<std::string> DriverPaths(const DriverDetails& driver) {
  std::vector<std::string> paths = {driver.driverPath, driver.dataFile, driver.configFile,
                                    driver.helpFile};
  paths.insert(paths.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
  paths.erase(std::remove(paths.begin(), paths.end(), std::string()), paths.end());
  return paths;
}

void AddMonitorNames(const FamilyMonitor& monitor, NameSet& names) {
  names.insert(monitor.dll);
  names.insert(AlternateFileName(monitor.dll));
  if (!monitor.uiDll.empty()) names.insert(monitor.uiDll);
}

// The spooler's answer to "which monitor serves this port", for every port;
// false when it cannot say.
bool PortMonitors(Platform& platform, std::vector<std::pair<std::string, std::string>>& ports) {
  ports.clear();
  bool ok = false;
  for (const PortDetails& port : ListPortsWithMonitors(platform, &ok)) {
    ports.emplace_back(port.name, port.monitor);
  }
  return ok;
}

class Planner {
 public:
  Planner(Platform& platform, const Family& family, RemovalPlan& plan, std::string& refusal)
      : platform_(platform), family_(family), plan_(plan), refusal_(refusal) {}

  bool Run(const RemovalRequest& request);

 private:
  bool Refuse(const std::string& why) {
    refusal_ = why;
    return false;
  }
  bool ChoosePrinters(const RemovalRequest& request);
  void ChooseDrivers();
  bool ChooseMonitors();
  void ChooseProcessors();
  bool ChooseFiles();
  void ChooseUsbRecords();
  void Candidate(const std::string& folder, const std::string& name, const std::string& owner);
  // Lists a folder the candidates are looked for in, so that a name that is
  // not there is told without asking the host for it.
  void ListCandidateFolder(const std::string& folder);
  bool StaysInUse(const std::string& owner, const std::string& what, const std::string& by);

  Platform& platform_;
  const Family& family_;
  RemovalPlan& plan_;
  std::string& refusal_;

  std::vector<PrinterDetails> printers_;
  std::vector<PrinterDetails> remaining_;  // every printer that stays, the family's or not
  std::vector<DriverDetails> drivers_;
  std::vector<DriverDetails> stayingDrivers_;
  std::vector<MonitorDetails> monitors_;
  std::vector<const FamilyMonitor*> goingMonitors_;
  std::vector<const FamilyProcessor*> goingProcessors_;
  // What stays needs: the files of the components of the family that stay,
  // by name wherever the install put them (their staging copies too, as a
  // machine with those components alone holds them), and every file that
  // another maker's driver or monitor names, by its path.
  NameSet neededNames_;
  NameSet neededPaths_;
  NameSet seen_;  // candidate paths already planned
  // The files of the folders listed, by the folder as the plan names it; a
  // folder that could not be listed, or that is named otherwise, is not
  // here and its names are looked at one by one.
  std::unordered_map<std::string, NameSet> listed_;
  std::vector<const FamilyDriver*> stayingFamily_;
};

bool Planner::Run(const RemovalRequest& request) {
  plan_ = RemovalPlan{};
  plan_.target = family_.target;
  plan_.ntFamily = family_.target != kWin98;
  const char* environment = RecordEnvironment(family_.target);
  plan_.environment = environment != nullptr ? environment : "";
  if (family_.models.empty()) {
    return Refuse("the distribution's configuration lists no printer models, so nothing on this "
                  "machine can be told to be of its family");
  }
  if (!ChoosePrinters(request)) return false;
  bool listed = false;
  drivers_ = ListDrivers(platform_, environment, &listed);
  if (!listed) {
    return Refuse("the spooler cannot list its drivers (error " +
                  std::to_string(platform_.GetLastError()) + "), so it cannot be told which "
                  "files another driver needs");
  }
  ChooseDrivers();
  if (!ChooseMonitors()) return false;
  ChooseProcessors();
  if (!ChooseFiles()) return false;
  ChooseUsbRecords();
  return true;
}

bool Planner::ChoosePrinters(const RemovalRequest& request) {
  for (const std::string& name : request.printers) {
    if (const std::string why = CheckPrinterName(name); !why.empty()) {
      return Refuse("the printer name " + Quoted(name) + " " + why);
    }
  }
  if (!request.all && request.printers.empty() && !request.absentIsFine) {
    return Refuse("no printer named: give the printers to remove, or remove all of the family's");
  }
  bool listed = false;
  printers_ = ListPrinters(platform_, &listed);
  if (!listed) {
    return Refuse("the spooler cannot list its printers (error " +
                  std::to_string(platform_.GetLastError()) + ")");
  }
  const auto ours = [&](const PrinterDetails& printer) {
    return family_.Driver(printer.driver) != nullptr;
  };
  std::string familyHere;
  for (const PrinterDetails& printer : printers_) {
    if (ours(printer)) familyHere += (familyHere.empty() ? "" : ", ") + Quoted(printer.name);
  }
  std::vector<bool> going(printers_.size(), request.all);
  for (std::size_t i = 0; i < printers_.size() && request.all; ++i) going[i] = ours(printers_[i]);
  for (const std::string& name : request.printers) {
    const auto found = std::find_if(printers_.begin(), printers_.end(), [&](const PrinterDetails& p) {
      return EqualsNoCase(p.name, name);
    });
    if (found == printers_.end()) {
      if (request.absentIsFine) continue;
      return Refuse("there is no printer " + Quoted(name) + " on this machine; the family's " +
                    "printers here: " + (familyHere.empty() ? std::string("none") : familyHere));
    }
    if (!ours(*found)) {
      return Refuse("the printer " + Quoted(found->name) + " uses the driver " +
                    Quoted(found->driver) + ", which is not of this distribution's family: it " +
                    "is not removed");
    }
    going[static_cast<std::size_t>(found - printers_.begin())] = true;
  }
  for (std::size_t i = 0; i < printers_.size(); ++i) {
    if (going[i]) {
      plan_.printers.push_back(printers_[i]);
    } else {
      remaining_.push_back(printers_[i]);
      if (ours(printers_[i])) plan_.remaining.push_back(printers_[i].name);
    }
  }
  return true;
}

bool Planner::StaysInUse(const std::string& owner, const std::string& what, const std::string& by) {
  plan_.kept.push_back(owner + " " + Quoted(what) + ": " + by);
  return true;
}

void Planner::ChooseDrivers() {
  for (const DriverDetails& driver : drivers_) {
    if (family_.Driver(driver.name) == nullptr) {
      stayingDrivers_.push_back(driver);
      continue;
    }
    const auto user = std::find_if(remaining_.begin(), remaining_.end(), [&](const PrinterDetails& p) {
      return EqualsNoCase(p.driver, driver.name);
    });
    if (user != remaining_.end()) {
      // One line for a driver however many versions of it there are.
      const bool told = std::any_of(stayingDrivers_.begin(), stayingDrivers_.end(),
                                    [&](const DriverDetails& d) { return d.name == driver.name; });
      if (!told) StaysInUse("driver", driver.name, "the printer " + Quoted(user->name) + " uses it");
      stayingDrivers_.push_back(driver);
      continue;
    }
    plan_.drivers.push_back(driver);
  }
  for (const DriverDetails& driver : stayingDrivers_) {
    const FamilyDriver* ours = family_.Driver(driver.name);
    for (const std::string& path : DriverPaths(driver)) {
      neededPaths_.insert(path);
      if (ours != nullptr) neededNames_.insert(FileNameOf(path));
    }
    if (ours != nullptr) {
      // The family's files the driver's record leaves out (the data file's
      // resource DLL) are needed all the same.
      for (const std::string& file : ours->files) neededNames_.insert(file);
      if (std::find(stayingFamily_.begin(), stayingFamily_.end(), ours) == stayingFamily_.end()) {
        stayingFamily_.push_back(ours);
      }
    }
  }
}

bool Planner::ChooseMonitors() {
  bool listed = false;
  monitors_ = ListMonitors(platform_, &listed);
  if (!listed) {
    return Refuse("the spooler cannot list its monitors (error " +
                  std::to_string(platform_.GetLastError()) + ")");
  }
  std::vector<std::pair<std::string, std::string>> ports;
  const bool portsKnown = PortMonitors(platform_, ports);
  for (const FamilyMonitor& monitor : family_.monitors) {
    const auto host = std::find_if(monitors_.begin(), monitors_.end(), [&](const MonitorDetails& m) {
      return EqualsNoCase(m.name, monitor.name);
    });
    bool inUse = false;
    if (monitor.usb || monitor.serial) {
      if (!portsKnown && !remaining_.empty()) {
        inUse = StaysInUse("monitor", monitor.name,
                           "the spooler cannot say which monitor serves each port, so a printer "
                           "left on the machine may be on one of its ports");
      }
      for (const PrinterDetails& printer : remaining_) {
        if (inUse) break;
        for (const std::string& port : PortsOf(printer)) {
          const auto served = std::find_if(ports.begin(), ports.end(), [&](const auto& entry) {
            return EqualsNoCase(entry.first, port);
          });
          if (served != ports.end() && EqualsNoCase(served->second, monitor.name)) {
            inUse = StaysInUse("monitor", monitor.name,
                               "the printer " + Quoted(printer.name) + " is on its port " + port);
            break;
          }
        }
      }
    }
    if (monitor.language && !inUse) {
      for (const DriverDetails& driver : stayingDrivers_) {
        if (EqualsNoCase(driver.monitor, monitor.name)) {
          inUse = StaysInUse("monitor", monitor.name,
                             "the driver " + Quoted(driver.name) + " names it as its language "
                             "monitor");
          break;
        }
      }
    }
    if (inUse) {
      AddMonitorNames(monitor, neededNames_);
      if (host != monitors_.end()) neededNames_.insert(FileNameOf(host->dll));
      continue;
    }
    goingMonitors_.push_back(&monitor);
    if (host != monitors_.end()) {
      plan_.monitors.push_back(*host);
      plan_.recordKeys.push_back(MonitorKey(host->name));
    }
  }
  // Monitors not of the family keep their files (the spooler loads them
  // from the system folder).
  std::string systemDirectory;
  GetTargetDirectory(platform_, kSystemDirectory, systemDirectory);
  for (const MonitorDetails& monitor : monitors_) {
    if (family_.Monitor(monitor.name) == nullptr && !monitor.dll.empty()) {
      neededPaths_.insert(systemDirectory + "\\" + FileNameOf(monitor.dll));
    }
  }
  return true;
}

void Planner::ChooseProcessors() {
  const char* environment = plan_.environment.empty() ? nullptr : plan_.environment.c_str();
  const std::vector<std::string> listed = ListPrintProcessors(platform_, environment);
  for (const FamilyProcessor& processor : family_.processors) {
    // The print system's own processor is never the family's to remove.
    if (EqualsNoCase(processor.name, "WinPrint")) continue;
    const auto user = std::find_if(remaining_.begin(), remaining_.end(), [&](const PrinterDetails& p) {
      return EqualsNoCase(p.printProcessor, processor.name);
    });
    if (user != remaining_.end()) {
      StaysInUse("print processor", processor.name, "the printer " + Quoted(user->name) + " uses it");
      neededNames_.insert(processor.file);
      neededNames_.insert(AlternateFileName(processor.file));
      continue;
    }
    goingProcessors_.push_back(&processor);
    const auto host = std::find_if(listed.begin(), listed.end(), [&](const std::string& name) {
      return EqualsNoCase(name, processor.name);
    });
    if (host != listed.end()) {
      plan_.processors.push_back(*host);
      // The key of the environment the spooler serves, as its driver
      // records name it ("Windows x64" for a 64-bit twin), else the one the
      // install writes to.
      const auto named = std::find_if(drivers_.begin(), drivers_.end(),
                                      [](const DriverDetails& d) { return !d.environment.empty(); });
      plan_.recordKeys.push_back(
          named == drivers_.end()
              ? PrintProcessorKey(family_.target, *host)
              : "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" + named->environment +
                    "\\Print Processors\\" + *host);
    }
  }
}

void Planner::ListCandidateFolder(const std::string& folder) {
  std::vector<Platform::FolderEntry> entries;
  if (!platform_.ListFolder(folder.c_str(), entries)) return;
  NameSet& files = listed_[folder];
  for (const Platform::FolderEntry& entry : entries) {
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    files.insert(entry.name);
    if (!entry.shortName.empty()) files.insert(entry.shortName);
  }
}

void Planner::Candidate(const std::string& folder, const std::string& name,
                        const std::string& owner) {
  if (name.empty()) return;
  const std::string loweredName = LowerAscii(name);
  const auto list = listed_.find(folder);
  const bool listed = list != listed_.end();
  if (listed && list->second.count(loweredName) == 0) return;  // not there
  if (!IsPlainFileName(name) || neededNames_.count(loweredName) != 0) return;
  const std::string path = folder + "\\" + name;
  const std::string lowered = LowerAscii(path);
  if (neededPaths_.count(lowered) != 0 || seen_.count(lowered) != 0) return;
  if (!listed && !IsFile(platform_, path)) return;
  seen_.insert(lowered);
  plan_.files.push_back(PlannedFile{path, owner});
}

bool Planner::ChooseFiles() {
  std::string driverDirectory;
  std::string processorDirectory;
  std::string systemDirectory;
  if (!GetTargetDirectory(platform_, kDriverDirectory, driverDirectory) ||
      !GetTargetDirectory(platform_, kProcessorDirectory, processorDirectory) ||
      !GetTargetDirectory(platform_, kSystemDirectory, systemDirectory)) {
    return Refuse("the host cannot give its driver, print processor or system folder (error " +
                  std::to_string(platform_.GetLastError()) + ")");
  }
  const bool version3 = family_.target >= kWin2000;
  const std::string version3Directory = driverDirectory + "\\3";
  // The family's driver files are looked for in these two by name, a few
  // dozen names each.
  ListCandidateFolder(driverDirectory);
  if (version3) ListCandidateFolder(version3Directory);

  // The spooler's copies, where its records say they are.
  for (const DriverDetails& driver : plan_.drivers) {
    const std::string owner = "driver " + Quoted(driver.name);
    for (const std::string& path : DriverPaths(driver)) {
      const std::size_t slash = path.find_last_of('\\');
      if (slash == std::string::npos) continue;
      Candidate(path.substr(0, slash), path.substr(slash + 1), owner);
    }
  }
  // The install's copies: every file of a family driver that no printer
  // keeps, whether or not the spooler took it in, in driver order, owned by
  // the first such driver that lists it. A name is looked at once, however
  // many of the family's drivers list it.
  {
    const auto stays = [&](std::size_t driver) {
      return std::find(stayingFamily_.begin(), stayingFamily_.end(), &family_.drivers[driver]) !=
             stayingFamily_.end();
    };
    std::vector<FamilyDriverFile::Owner> first;
    for (const FamilyDriverFile& file : family_.driverFiles) {
      const auto owner = std::find_if(file.owners.begin(), file.owners.end(),
                                      [&](const FamilyDriverFile::Owner& o) { return !stays(o.driver); });
      if (owner != file.owners.end()) first.push_back(*owner);
    }
    std::sort(first.begin(), first.end(), [](const auto& a, const auto& b) {
      return a.driver != b.driver ? a.driver < b.driver : a.place < b.place;
    });
    std::string owner;  // of the driver before, in order: named once for its files
    std::size_t ownerOf = family_.drivers.size();
    for (const FamilyDriverFile::Owner& o : first) {
      const FamilyDriver& driver = family_.drivers[o.driver];
      if (o.driver != ownerOf) {
        owner = "driver " + Quoted(driver.name);
        ownerOf = o.driver;
      }
      Candidate(driverDirectory, driver.files[o.place], owner);
      if (version3) Candidate(version3Directory, driver.files[o.place], owner);
    }
  }
  // The Unidrv support files go when no driver of the family that stays
  // needs them, and only as the install left them: a copy that is not the
  // distribution's own is the system's or another maker's.
  {
    const std::optional<std::string> current = CurrentDirectory(platform_);
    for (const char* name : UnidrvSupportFileNames(family_.target)) {
      if (std::any_of(stayingFamily_.begin(), stayingFamily_.end(), [&](const FamilyDriver* d) {
            return NeedsUnidrvSupportFile(*d, family_.target, name);
          })) {
        continue;
      }
      std::string ours;
      if (!current ||
          !platform_.ReadWholeFile((*current + DistributionSubfolder(family_.target) + name).c_str(),
                                   ours)) {
        continue;
      }
      std::vector<std::string> folders = {driverDirectory, systemDirectory};
      if (version3) folders.push_back(version3Directory);
      for (const std::string& folder : folders) {
        std::string there;
        if (!platform_.ReadWholeFile((folder + "\\" + name).c_str(), there) || there != ours) {
          continue;
        }
        Candidate(folder, name, "the Unidrv support files the family's drivers need");
      }
    }
  }
  for (const FamilyMonitor* monitor : goingMonitors_) {
    const std::string owner = "monitor " + Quoted(monitor->name);
    Candidate(systemDirectory, monitor->dll, owner);
    Candidate(systemDirectory, AlternateFileName(monitor->dll), owner);
    Candidate(systemDirectory, monitor->uiDll, owner);
  }
  for (const MonitorDetails& monitor : plan_.monitors) {
    // The name the spooler loads may be the alternate one an update chose.
    Candidate(systemDirectory, FileNameOf(monitor.dll), "monitor " + Quoted(monitor.name));
  }
  for (const FamilyProcessor* processor : goingProcessors_) {
    const std::string owner = "print processor " + Quoted(processor->name);
    Candidate(processorDirectory, processor->file, owner);
    Candidate(processorDirectory, AlternateFileName(processor->file), owner);
  }
  return true;
}

void Planner::ChooseUsbRecords() {
  const bool usbStays = std::any_of(remaining_.begin(), remaining_.end(), [&](const PrinterDetails& p) {
    if (family_.Driver(p.driver) == nullptr) return false;
    const std::vector<std::string> ports = PortsOf(p);
    return std::any_of(ports.begin(), ports.end(),
                       [](const std::string& port) { return NamesUsbPort(port); });
  });
  std::vector<std::string> goingPorts;
  for (const PrinterDetails& printer : plan_.printers) {
    for (const std::string& port : PortsOf(printer)) {
      const bool shared = std::any_of(remaining_.begin(), remaining_.end(), [&](const PrinterDetails& p) {
        const std::vector<std::string> ports = PortsOf(p);
        return std::any_of(ports.begin(), ports.end(),
                           [&](const std::string& other) { return EqualsNoCase(other, port); });
      });
      if (NamesUsbPort(port) && !shared) goingPorts.push_back(port);
    }
  }
  const std::vector<std::string> portNames = ListValueNames(platform_, kUsbPortNameKey);
  const std::vector<std::string> printerPorts = ListValueNames(platform_, kUsbPrinterPortKey);
  const auto among = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  if (!usbStays) {
    // No printer of the family on a USB port is left: the records go as a
    // machine without a USB install of the family has none.
    for (const std::string& value : portNames) {
      if (family_.ListsUsbPort(value) || among(goingPorts, value)) {
        plan_.usbRecords.push_back({kUsbPortNameKey, value, false});
      }
    }
    for (const std::string& value : printerPorts) {
      const bool deviceFlag = value.size() == 2 && value[0] == 'D' && value[1] >= '1' && value[1] <= '8';
      // "0" is what the install records for a gap in the supported list.
      if (deviceFlag || value == "0" || family_.ListsUsbPort(value) || among(goingPorts, value)) {
        plan_.usbRecords.push_back({kUsbPrinterPortKey, value, false});
      }
    }
    plan_.keysIfEmpty = {kUsbPortNameKey, kUsbPrinterPortKey, kUsbRecordsKey};
    return;
  }
  // Other USB printers of the family stay: the ports of the ones going are
  // recorded as a machine that never had them records them.
  const std::vector<std::string> others = ListValueNames(platform_, kUsbInstallPrinterKey);
  for (const std::string& port : goingPorts) {
    if (among(printerPorts, port)) {
      plan_.usbRecords.push_back({kUsbPrinterPortKey, port, family_.ListsUsbPort(port)});
    }
    const bool otherSoftware = std::any_of(others.begin(), others.end(), [&](const std::string& name) {
      return UsbPortNameOfPrinter(name) == port;
    });
    if (among(portNames, port) && !otherSoftware) {
      plan_.usbRecords.push_back({kUsbPortNameKey, port, false});
    }
  }
}

}  // namespace

std::string CheckPrinterName(const std::string& name) {
  if (name.empty()) return "is empty";
  if (name.size() > kPrinterNameLimit) {
    return "is longer than the " + std::to_string(kPrinterNameLimit) + " characters a printer "
           "name can have";
  }
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return "holds a control character";
    if (c == '*' || c == '?') {
      return "holds a wildcard (" + std::string(1, c) + "): name each printer in full";
    }
    if (c == '\\' || c == '/') {
      return "holds a path character (" + std::string(1, c) + "): a printer name is no path, "
             "and one of another machine is not removed from here";
    }
    if (c == ',' || c == '"' || c == '<' || c == '>' || c == '|') {
      return "holds " + std::string(1, c) + ", which no printer name can hold";
    }
  }
  return {};
}

bool PlanRemoval(Platform& platform, const Family& family, const RemovalRequest& request,
                 RemovalPlan& plan, std::string& refusal) {
  refusal.clear();
  Planner planner(platform, family, plan, refusal);
  return planner.Run(request);
}

}  // namespace setwell::removal
