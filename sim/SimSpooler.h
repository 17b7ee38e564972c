// The print spooler of a simulated machine.
//
// What it knows:
// - Port monitors and print processors are known through their registry
//   keys, as on the host: "...\Control\Print\Monitors\<name>" and
//   "...\Print\Environments\<env>\Print Processors\<name>" below
//   "SYSTEM\CurrentControlSet", each with the value "Driver" naming its DLL.
//   A key exists exactly when the spooler knows the component; a key written
//   by hand (as the installer does on Windows 98/Me) is known from then on.
// - Drivers (per environment), printers and monitor port declarations are its
//   own records.
// - Ports: the Local Port monitor's ports are the value names of
//   "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Ports" on NT and the keys
//   of win.ini's [Ports] on 9x; every other monitor's ports are the subkeys
//   of its key's "Ports" subkey. A monitor added with AddMonitorA creates the
//   ports declared for it with DeclareMonitorPorts (the DLL's own port list).
// - The default printer is the first field of win.ini's [windows] "device".
//
// While the spooler runs, the DLLs of its monitors (in the system folder)
// and of its environment's print processors (in the print processor folder)
// are loaded: copying over them gives 32 until it stops. On 9x the spooler
// always runs; on NT it runs while the "Spooler" service does, and every call
// fails with RPC_S_SERVER_UNAVAILABLE (1722) while it does not.
//
// The answers follow the host's spooler (Wine's conformance tests record
// them for 9x and NT): ERROR_INVALID_LEVEL for levels it does not serve,
// ERROR_INVALID_ENVIRONMENT for unknown environments, 3006 (NT) / 183 (9x)
// for a known monitor, 126 (NT) / 87 (9x) for a monitor DLL that is not in
// the system folder, 3005 for a known print processor, 2 for a driver file
// missing from the driver folder, 1801 / 1802 for printer names, 1797 / 1796 /
// 1798 for an unknown driver / port / print processor, and 122 with the size
// needed from every size query.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/Platform.h"

namespace setwell::sim {

class SimFileSystem;
class SimProfile;
class SimRecordFile;
class SimRegistry;
struct SimSystem;

inline constexpr char kMonitorsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
std::string ProcessorsKey(const std::string& environment);

struct SimDriver {
  std::string environment;
  std::string name;
  DWORD version = 3;
  // Full paths of the files where the spooler keeps them.
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;
  std::string monitorName;
  std::string defaultDataType;

  bool operator==(const SimDriver&) const = default;
};

struct SimPrinter {
  std::string name;
  std::string shareName;
  std::string portName;
  std::string driverName;
  std::string comment;
  std::string location;
  std::string sepFile;
  std::string printProcessor;
  std::string datatype;
  std::string parameters;
  std::string devMode;  // dmSize + dmDriverExtra bytes; empty: the driver's default
  DWORD attributes = 0;
  DWORD priority = 0;
  DWORD defaultPriority = 0;
  DWORD startTime = 0;
  DWORD untilTime = 0;
  DWORD status = 0;

  bool operator==(const SimPrinter&) const = default;
};

class SimSpooler {
 public:
  SimSpooler(const SimSystem& system, SimFileSystem& files, SimRegistry& registry,
             SimProfile& profile)
      : system_(&system), files_(&files), registry_(&registry), profile_(&profile) {}

  // After the machine's state was copied from another's: this spooler works
  // on these parts.
  void Rebind(const SimSystem& system, SimFileSystem& files, SimRegistry& registry,
              SimProfile& profile) {
    system_ = &system;
    files_ = &files;
    registry_ = &registry;
    profile_ = &profile;
  }

  // --- Setting up a machine ----------------------------------------------
  // A monitor as an earlier installation left it: its key with "Driver", its
  // ports, and a stand-in DLL in the system folder when none is there.
  void InstallMonitor(const std::string& name, const std::string& dll,
                      const std::vector<std::string>& ports = {});
  // A print processor of an environment ("" = the running system's), with a
  // stand-in DLL in its print processor folder when none is there.
  void InstallPrintProcessor(const std::string& name, const std::string& dll,
                             const std::string& environment = "");
  // The ports a monitor creates when AddMonitorA adds it.
  void DeclareMonitorPorts(const std::string& monitor, std::vector<std::string> ports);
  SimDriver& AddDriverRecord(SimDriver driver);
  SimPrinter& AddPrinterRecord(SimPrinter printer);
  bool RemovePrinter(const std::string& name);
  bool RemoveDriver(const std::string& name, const std::string& environment = "");

  // --- Looking at it ------------------------------------------------------
  const std::vector<SimDriver>& Drivers() const { return drivers_; }
  const std::vector<SimPrinter>& Printers() const { return printers_; }
  const SimDriver* FindDriver(const std::string& name, const std::string& environment = "") const;
  const SimPrinter* FindPrinter(const std::string& name) const;
  SimPrinter* FindPrinter(const std::string& name);
  bool KnowsMonitor(const std::string& name) const;
  bool KnowsPrintProcessor(const std::string& name, const std::string& environment = "") const;
  // Every port: the Local Port monitor's first, then each monitor's.
  std::vector<std::string> Ports() const;
  // The monitor that serves a port, or "".
  std::string MonitorOfPort(const std::string& port) const;
  // Every port of Ports() with the monitor MonitorOfPort gives it, found in
  // one walk of the monitors: with thousands of ports, asking MonitorOfPort
  // for each would walk them once a port.
  struct PortEntry {
    std::string port;
    std::string monitor;
  };
  std::vector<PortEntry> PortsAndMonitors() const;
  std::string DefaultPrinter() const;
  // The DLLs loaded by the running spooler (full paths).
  const std::vector<std::string>& LoadedModules() const { return loaded_; }
  const std::map<std::string, std::vector<std::string>>& DeclaredMonitorPorts() const {
    return declaredPorts_;
  }

  // --- Running state --------------------------------------------------------
  bool IsRunning() const { return running_; }
  // Starting loads the monitors and print processors the registry names;
  // stopping unloads them.
  void SetRunning(bool running);

  // --- The spooler calls; each returns ERROR_SUCCESS or the error ----------
  DWORD GetDriverDirectory(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                           DWORD* needed) const;
  DWORD GetProcessorDirectory(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                              DWORD* needed) const;
  DWORD AddDriver(DWORD level, const BYTE* info);
  DWORD AddMonitor(DWORD level, const BYTE* info);
  DWORD AddPrintProcessor(const char* environment, const char* pathName, const char* name);
  DWORD AddPrinter(DWORD level, const BYTE* info, PrinterHandle* printer);
  DWORD OpenPrinter(const char* name, PrinterHandle* printer);
  DWORD GetPrinter(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed);
  DWORD SetPrinter(PrinterHandle printer, DWORD level, const BYTE* info, DWORD command);
  DWORD ClosePrinter(PrinterHandle printer);
  DWORD EnumPorts(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) const;
  // SetDefaultPrinterA of winspool.drv (Windows 2000 and later).
  DWORD SetDefaultPrinter(const char* name);
  DWORD OpenPrinter(const char* name, PrinterHandle* printer, DWORD access);
  DWORD EnumPrinters(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) const;
  DWORD EnumDrivers(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                    DWORD* needed, DWORD* returned) const;
  DWORD EnumMonitors(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) const;
  DWORD EnumPrintProcessors(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                            DWORD* needed, DWORD* returned) const;
  DWORD DeletePrinter(PrinterHandle printer);
  // DeletePrinterDriverA (ex false) and DeletePrinterDriverExA.
  DWORD DeleteDriver(const char* environment, const char* name, DWORD deleteFlag,
                     DWORD versionFlag, bool ex);
  DWORD DeleteMonitor(const char* environment, const char* name);
  DWORD DeletePrintProcessor(const char* environment, const char* name);

  // --- Persistence ----------------------------------------------------------
  void Save(SimRecordFile& record) const;
  bool Load(const SimRecordFile& record, std::string* error);

  // Records only: what is loaded and which handles are open belongs to the
  // running processes.
  bool operator==(const SimSpooler& other) const {
    return drivers_ == other.drivers_ && printers_ == other.printers_ &&
           declaredPorts_ == other.declaredPorts_;
  }

 private:
  DWORD Unavailable() const { return running_ ? ERROR_SUCCESS : RPC_S_SERVER_UNAVAILABLE; }
  DWORD DirectoryAnswer(const std::string& path, BYTE* buffer, DWORD size, DWORD* needed) const;
  std::string MonitorDllPath(const std::string& dll) const;
  std::string ProcessorDllPath(const std::string& environment, const std::string& dll) const;
  void LoadModule(const std::string& path);
  DWORD CheckPrinterFields(const SimPrinter& printer) const;
  SimPrinter* PrinterOf(PrinterHandle handle);
  void MakeDefault(const SimPrinter& printer, bool viaWinspool);
  void UnloadModule(const std::string& path);
  // The attributes a printer's record shows: on 9x the default mark too.
  DWORD Attributes(const SimPrinter& printer) const;
  // Every port a printer is on, each of a printer's comma-separated list.
  std::vector<std::string> PortsInUse() const;
  template <typename Fill>
  DWORD Enumerate(std::size_t entry, std::size_t count, Fill fill, BYTE* buffer, DWORD size,
                  DWORD* needed, DWORD* returned) const;

  const SimSystem* system_;
  SimFileSystem* files_;
  SimRegistry* registry_;
  SimProfile* profile_;

  std::vector<SimDriver> drivers_;
  std::vector<SimPrinter> printers_;
  std::map<std::string, std::vector<std::string>> declaredPorts_;

  bool running_ = false;
  std::vector<std::string> loaded_;
  std::uintptr_t nextHandle_ = 0x30000;
  struct OpenHandle {
    std::string printer;
    DWORD access = 0;
  };
  std::map<std::uintptr_t, OpenHandle> handles_;
};

}  // namespace setwell::sim
