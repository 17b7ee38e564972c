// The simulated Windows machine: a Platform over in-memory state, so the
// installer can be built and exercised without the host. It behaves as the
// documented host does (the answers are pinned by tests/PlatformConformance
// and, where the host is at hand, by the same table under Wine).
//
// Setting up
//   SimMachine machine(kWinXP);                    // or SimMachine::ForSystem(kWin98)
//   machine.MountDistribution("/path/examples");  // drive D: read-only, current
//                                                  // directory D:\, program D:\Setup.exe
//   machine.PutDistributionFile("winnt\\kp.dll", "...");   // or files.WriteFile(...)
//   machine.spooler.InstallMonitor("Setwell USB Port", "tvusbmon.dll", {"USB_KP-200_1"});
//   machine.spooler.DeclareMonitorPorts("Setwell USB Port", {"USB_KP-200_1"});
//   machine.SetSpoolerStartup(3);                  // running at the 4th status query
//   machine.SetSpoolerRunning(false);              // as an administrator would
//   machine.InstallUsbLibrary();  machine.usb.Attach(5, 9);
//   machine.restartRefusal = 0;                    // accept ExitWindowsEx
//
// Between steps
//   machine.usb.PowerCycle();   // written device numbers take effect
//   machine.Reboot();           // after an accepted restart: the pending
//                               // renames of MoveFileExA (NT) or WININIT.INI
//                               // (9x) are carried out first
//
// Faults and answers
//   machine.faults.FailOnce("CopyFileA", ERROR_SHARING_VIOLATION, "unidrv");
//   machine.faults.FailAlways("AddMonitorA", ERROR_ACCESS_DENIED);
//   machine.ui.Answer(IDYES, "Restart the computer");   // an unanswered question throws
//
// Looking afterwards
//   machine.ui.boxes / ui.Texts(), profile.writes, profile.broadcasts,
//   restartRequests, clock.sleeps, usb.writes / usb.calls, trace (every call),
//   spooler.FindPrinter(...), spooler.DefaultPrinter(), registry.GetDword(...),
//   files.Find(...).
//
// Keeping it
//   machine.Save(folder) writes machine.txt, registry.reg (REGEDIT4),
//   spooler.txt, usb.txt, records.txt, files.txt and drives/<letter>/...;
//   Load(folder) reads them back; == compares whole machines.
//
// Handles (registry keys, files, printers, services, modules) belong to the
// running program: they are neither saved nor compared.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimClock.h"
#include "sim/SimFaults.h"
#include "sim/SimFileSystem.h"
#include "sim/SimLibraries.h"
#include "sim/SimProfile.h"
#include "sim/SimRegistry.h"
#include "sim/SimServices.h"
#include "sim/SimSpooler.h"
#include "sim/SimSystem.h"
#include "sim/SimUi.h"
#include "sim/SimUsb.h"
#include "system/Platform.h"

namespace setwell::sim {

inline constexpr char kSpoolerService[] = "Spooler";
// Where NT keeps MoveFileExA's renames and deletions for the next restart:
// a REG_MULTI_SZ of pairs, "\\??\\" and the source, then "" (delete) or the
// target ("!" before it: replace what is there).
inline constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr char kPendingRenamesValue[] = "PendingFileRenameOperations";

struct RestartRequest {
  UINT flags = 0;
  DWORD refusedWith = 0;  // 0: accepted

  bool operator==(const RestartRequest&) const = default;
};

// A service changing state through the program's calls, on the virtual
// clock.
struct SimServiceEvent {
  std::uint64_t atMs = 0;
  std::string service;
  DWORD state = 0;  // SERVICE_STOPPED, SERVICE_START_PENDING, SERVICE_RUNNING
};

// One Platform call, for tests that check what was (not) touched.
struct SimCallRecord {
  std::string call;
  std::string arguments;
};

class SimMachine : public Platform {
 public:
  explicit SimMachine(SimOs os = kWinXP);
  static SimMachine ForSystem(SimOs os) { return SimMachine(os); }
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;
  // Puts this machine in `other`'s state, everything == compares and the
  // running program's handles and libraries too: for a tool that installs
  // many times from one starting point, cheaper than making the machine
  // and its distribution again. Security descriptors handed out stay with
  // `other`.
  void CopyStateFrom(const SimMachine& other);
  // A new machine in `other`'s state, as CopyStateFrom makes it.
  struct StateOf {
    const SimMachine& other;
  };
  explicit SimMachine(StateOf copy) { CopyStateFrom(copy.other); }

  // --- State, open to tests and tools -----------------------------------
  SimSystem system;
  std::string currentDirectory = "D:\\";
  std::string moduleFileName = "D:\\Setup.exe";
  SimFileSystem files;
  SimRegistry registry;
  SimProfile profile{system, files, registry};
  SimSpooler spooler{system, files, registry, profile};
  SimServices services;
  SimUsb usb;
  SimUi ui;
  SimFaults faults;
  SimClock clock;
  // ExitWindowsEx fails with this error; 0 accepts. NT refuses a program
  // that has not enabled the shutdown privilege (1314), 9x does not ask.
  DWORD restartRefusal = 0;
  std::vector<RestartRequest> restartRequests;
  bool restartPending = false;
  std::vector<std::string> shellOpened;
  std::vector<SimCallRecord> trace;
  // Off, the calls are not traced: for a tool that runs thousands of
  // installs and reads only what they left.
  bool traceCalls = true;
  // What the program's service calls did. Like the trace, this belongs to
  // the running program: neither saved nor compared.
  std::vector<SimServiceEvent> serviceLog;

  // --- Setting up -----------------------------------------------------------
  // Mounts hostFolder read-only as drive `drive`, the program's current
  // directory, with the program (Setup.exe) in it.
  bool MountDistribution(const std::string& hostFolder, char drive = 'D');
  // A file of the distribution (below the current directory), read-only as
  // on its medium.
  SimFile& PutDistributionFile(const std::string& relativePath, std::string data);
  // A stand-in "TvUsbInt.dll" in folder (default: beside the program).
  void InstallUsbLibrary(const std::string& folder = {});
  // The "Spooler" service comes up at the (queries + 1)-th status query
  // after a start; SimService::kNever keeps it pending.
  void SetSpoolerStartup(int queries);
  // Stops or starts the spooler as the administrator would.
  void SetSpoolerRunning(bool running);
  // Carries out an accepted restart: the program's libraries go, services
  // start again, the spooler reloads its monitors and processors.
  void Reboot();

  // --- Keeping it -------------------------------------------------------------
  bool Save(const std::string& folder, std::string* error = nullptr) const;
  // Replaces this machine's state with the one saved in folder. On failure
  // the machine is left partly loaded: load into a fresh machine.
  bool Load(const std::string& folder, std::string* error = nullptr);
  bool operator==(const SimMachine& other) const;
  // The names of the parts that differ ("files", "registry" ...), for a
  // test's message.
  std::vector<std::string> DifferingParts(const SimMachine& other) const;

  // --- Platform ----------------------------------------------------------
  DWORD GetLastError() override { return lastError_; }
  void SetLastError(DWORD error) override { lastError_ = error; }

  BOOL GetVersionExA(OSVERSIONINFOA* info) override;
  BOOL IsWow64Process(BOOL* wow64) override;
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  void Sleep(DWORD milliseconds) override;

  UINT GetSystemDirectoryA(char* buffer, UINT size) override;
  UINT GetWindowsDirectoryA(char* buffer, UINT size) override;
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override;
  DWORD GetModuleFileNameA(char* buffer, DWORD size) override;

  BOOL CopyFileA(const char* existing, const char* target, BOOL failIfExists) override;
  BOOL SetFileAttributesA(const char* path, DWORD attributes) override;
  DWORD GetFileAttributesA(const char* path) override;
  FileHandle CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation,
                         DWORD flags) override;
  BOOL CloseHandle(FileHandle handle) override;
  bool ReadWholeFile(const char* path, std::string& contents) override;
  bool ListFolder(const char* folder, std::vector<FolderEntry>& entries) override;
  FileLook ReadWholeFileUnlessSame(const char* path, std::string_view known,
                                   std::string& contents) override;
  // The machine keeps no write times: the reader compares contents.
  bool GetFileStamp(const char* path, FileStamp& stamp) override;
  BOOL GetFileAttributesExA(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) override;
  BOOL DeleteFileA(const char* path) override;
  BOOL MoveFileExA(const char* path, const char* target, DWORD flags) override;

  LONG RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) override;
  LONG RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) override;
  LONG RegCloseKey(RegKeyHandle key) override;
  LONG RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                        DWORD* size) override;
  LONG RegSetValueExA(RegKeyHandle key, const char* name, DWORD type, const BYTE* data,
                      DWORD size) override;
  LONG RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize, DWORD* type,
                     BYTE* data, DWORD* dataSize) override;
  LONG RegEnumKeyExA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize) override;
  LONG RegDeleteValueA(RegKeyHandle key, const char* name) override;
  LONG RegDeleteKeyA(const char* subKey) override;

  BOOL GetPrinterDriverDirectoryA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                                  DWORD* needed) override;
  BOOL GetPrintProcessorDirectoryA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                                   DWORD* needed) override;
  BOOL AddPrinterDriverA(DWORD level, BYTE* driverInfo) override;
  BOOL AddMonitorA(DWORD level, BYTE* monitorInfo) override;
  BOOL AddPrintProcessorA(const char* environment, const char* pathName,
                          const char* printProcessorName) override;
  PrinterHandle AddPrinterA(DWORD level, BYTE* printerInfo) override;
  BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer) override;
  BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer, DWORD desiredAccess) override;
  BOOL GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                   DWORD* needed) override;
  BOOL SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) override;
  BOOL ClosePrinter(PrinterHandle printer) override;
  BOOL EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override;
  BOOL EnumPrintersA(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override;
  BOOL EnumPrinterDriversA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD* returned) override;
  BOOL EnumMonitorsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override;
  BOOL EnumPrintProcessorsA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                            DWORD* needed, DWORD* returned) override;
  BOOL DeletePrinter(PrinterHandle printer) override;
  BOOL DeletePrinterDriverA(const char* environment, const char* driverName) override;
  BOOL DeletePrinterDriverExA(const char* environment, const char* driverName, DWORD deleteFlag,
                              DWORD versionFlag) override;
  BOOL DeleteMonitorA(const char* environment, const char* monitorName) override;
  BOOL DeletePrintProcessorA(const char* environment, const char* name) override;

  ServiceHandle OpenSCManagerA(DWORD access) override;
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, DWORD access) override;
  BOOL ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) override;
  BOOL StartServiceA(ServiceHandle service) override;
  BOOL QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) override;
  BOOL CloseServiceHandle(ServiceHandle handle) override;

  BOOL WriteProfileStringA(const char* section, const char* key, const char* value) override;
  DWORD GetProfileStringA(const char* section, const char* key, const char* defaultValue,
                          char* buffer, DWORD size) override;
  BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* fileName) override;
  BOOL WritePrivateProfileSectionA(const char* section, const char* entries,
                                   const char* fileName) override;
  BOOL BroadcastWinIniChangeTimeout(const char* text, UINT timeoutMs) override;
  BOOL BroadcastWinIniChangeNotify(const char* text) override;

  ModuleHandle LoadLibraryA(const char* fileName) override;
  ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override;
  BOOL FreeLibrary(ModuleHandle module) override;
  BOOL CallSetDefaultPrinterA(ProcAddress proc, const char* printerName) override;
  std::int32_t CallOpenDeviceX(ProcAddress proc, std::int32_t index) override;
  std::int32_t CallGetDescriptor(ProcAddress proc, std::int32_t device, BYTE* buffer) override;
  std::int32_t CallUWrite(ProcAddress proc, std::int32_t device, std::int32_t reserved,
                          const BYTE* data, std::int32_t length) override;
  void CallCloseDevice(ProcAddress proc, std::int32_t device) override;

  PSECURITY_DESCRIPTOR ConvertStringSecurityDescriptor(const char* sddl) override;
  void FreeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) override;
  // Descriptors handed out and not yet freed.
  std::size_t LiveSecurityDescriptors() const { return descriptors_.size(); }

  int MessageBoxA(const char* text, const char* caption, UINT type) override;
  WindowHandle FindWindowA(const char* className, const char* windowName) override;
  bool ActivateWindow(WindowHandle window) override;
  bool ShellOpen(const char* file, int showCommand) override;

 private:
  struct OpenKey {
    std::string path;
    REGSAM access = 0;
    std::string lookup;  // the registry's own key of the path
  };

  void Setup();
  // Records the call and takes the fault it is to fail with, if any.
  std::optional<DWORD> Enter(const char* call, std::initializer_list<const char*> arguments = {});
  BOOL Fail(DWORD error) {
    lastError_ = error;
    return FALSE;
  }
  BOOL Answer(DWORD error) { return error == ERROR_SUCCESS ? TRUE : Fail(error); }
  // Copies text into a caller's buffer the way the directory calls do.
  UINT CopyOut(const std::string& text, char* buffer, UINT size);
  const OpenKey* Key(RegKeyHandle key) const;
  // The file at a full path, which the caller may open; null, with the last
  // error, when there is none or it is denied.
  const SimFile* ExistingFile(const std::string& full);
  // The file ReadWholeFile reads; null, with the last error, when it cannot.
  const SimFile* FileToRead(const char* path, const char* alsoCall = nullptr);
  // Resolves a relative path against the current directory.
  std::string FullPath(std::string path) const;
  // Where LoadLibraryA finds a file: the program's folder, the system and
  // Windows folders, the current directory; "" when nowhere.
  std::string FindLibrary(const std::string& name) const;
  // The folder of the program (no trailing "\"), or the current directory
  // when its file name has no folder.
  std::string ProgramFolder() const;
  // The spooler runs while its service does (always on 9x).
  void SyncSpooler();
  // Appends to serviceLog the services whose state differs from `before`
  // (the states in the order of services.services).
  void LogServiceChanges(const std::vector<DWORD>& before);
  std::vector<DWORD> ServiceStates() const;
  // The file a private-profile call names: a bare name is in the Windows
  // folder.
  std::string ProfilePath(const char* fileName) const;
  // What a restart does before anything loads: NT's pending renames and
  // deletions, then 9x's WININIT.INI.
  void RunPendingRenames();
  void CheckEntry(ProcAddress proc, const char* call, const char* module, const char* entry) const;

  DWORD lastError_ = ERROR_SUCCESS;
  SimLibraries libraries_{files};
  std::uintptr_t nextHandle_ = 0x10000;
  std::map<std::uintptr_t, OpenKey> openKeys_;
  std::map<std::uintptr_t, std::string> openFiles_;
  std::map<const void*, std::unique_ptr<std::string>> descriptors_;
};

}  // namespace setwell::sim
