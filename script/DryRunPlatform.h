// A host that is only looked at: the install runs over it as over the host
// below, reading what that host holds, but every call that would change
// the host (a file copied or deleted, a registry value or key written, a
// driver, monitor, processor or printer added, the spooler stopped, a
// profile written, a USB printer's device number, a restart) is answered
// as done and not made. The repair runs its script over it first, to learn
// the name the install gives the printer before anything changes.
//
// Its message boxes are its own (answered by the script runner), not the
// host's; what was "added" is not there to be read back.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "script/ScriptRunner.h"
#include "system/Platform.h"
#include "ui/headless/MessageBoxes.h"

namespace setwell::install {

class DryRunPlatform : public Platform, public term::ScriptedHost {
 public:
  explicit DryRunPlatform(Platform& host) : host_(host) {}
  ~DryRunPlatform() override;
  DryRunPlatform(const DryRunPlatform&) = delete;
  DryRunPlatform& operator=(const DryRunPlatform&) = delete;

  // The names of the printers the install asked to add, in order.
  const std::vector<std::string>& PrintersAdded() const { return printersAdded_; }
  // The calls that would have changed the host, by name, in order.
  const std::vector<std::string>& ChangesNotMade() const { return notMade_; }

  // --- ScriptedHost -----------------------------------------------------------
  MessageBoxRecorder& MessageBoxes() override { return boxes_; }
  std::size_t ShellOpenCount() const override { return 0; }
  std::string LastShellOpened() const override { return {}; }
  std::string ResolvePath(const std::string& file) const override { return file; }
  bool FileExists(const std::string&) const override { return false; }

  // --- Platform ---------------------------------------------------------------
  DWORD GetLastError() override { return host_.GetLastError(); }
  void SetLastError(DWORD error) override { host_.SetLastError(error); }

  BOOL GetVersionExA(OSVERSIONINFOA* info) override { return host_.GetVersionExA(info); }
  BOOL IsWow64Process(BOOL* wow64) override { return host_.IsWow64Process(wow64); }
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  void Sleep(DWORD milliseconds) override;

  UINT GetSystemDirectoryA(char* buffer, UINT size) override {
    return host_.GetSystemDirectoryA(buffer, size);
  }
  UINT GetWindowsDirectoryA(char* buffer, UINT size) override {
    return host_.GetWindowsDirectoryA(buffer, size);
  }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    return host_.GetCurrentDirectoryA(size, buffer);
  }
  DWORD GetModuleFileNameA(char* buffer, DWORD size) override {
    return host_.GetModuleFileNameA(buffer, size);
  }

  BOOL CopyFileA(const char* existing, const char* target, BOOL failIfExists) override;
  BOOL SetFileAttributesA(const char* path, DWORD attributes) override;
  DWORD GetFileAttributesA(const char* path) override { return host_.GetFileAttributesA(path); }
  // Only an existing file opened to read (or to ask about) reaches the host.
  FileHandle CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation,
                         DWORD flags) override;
  BOOL CloseHandle(FileHandle handle) override { return host_.CloseHandle(handle); }
  bool ReadWholeFile(const char* path, std::string& contents) override {
    return host_.ReadWholeFile(path, contents);
  }
  bool ListFolder(const char* folder, std::vector<FolderEntry>& entries) override {
    return host_.ListFolder(folder, entries);
  }
  FileLook ReadWholeFileUnlessSame(const char* path, std::string_view known,
                                   std::string& contents) override {
    return host_.ReadWholeFileUnlessSame(path, known, contents);
  }
  bool GetFileStamp(const char* path, FileStamp& stamp) override {
    return host_.GetFileStamp(path, stamp);
  }
  BOOL GetFileAttributesExA(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) override {
    return host_.GetFileAttributesExA(path, data);
  }
  BOOL DeleteFileA(const char* path) override;
  BOOL MoveFileExA(const char* path, const char* target, DWORD flags) override;

  // Keys are opened on the host to be read; a key that would be created
  // and is not there is one of ours, holding nothing.
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
                                  DWORD* needed) override {
    return host_.GetPrinterDriverDirectoryA(environment, level, buffer, size, needed);
  }
  BOOL GetPrintProcessorDirectoryA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                                   DWORD* needed) override {
    return host_.GetPrintProcessorDirectoryA(environment, level, buffer, size, needed);
  }
  BOOL AddPrinterDriverA(DWORD level, BYTE* driverInfo) override;
  BOOL AddMonitorA(DWORD level, BYTE* monitorInfo) override;
  BOOL AddPrintProcessorA(const char* environment, const char* pathName,
                          const char* printProcessorName) override;
  PrinterHandle AddPrinterA(DWORD level, BYTE* printerInfo) override;
  BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer) override {
    return host_.OpenPrinterA(printerName, printer);
  }
  // Opened to read only: the rights to change it are not asked for.
  BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer, DWORD desiredAccess) override;
  BOOL GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                   DWORD* needed) override;
  BOOL SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) override;
  BOOL ClosePrinter(PrinterHandle printer) override;
  BOOL EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override {
    return host_.EnumPortsA(level, buffer, size, needed, returned);
  }
  BOOL EnumPrintersA(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override {
    return host_.EnumPrintersA(flags, level, buffer, size, needed, returned);
  }
  BOOL EnumPrinterDriversA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD* returned) override {
    return host_.EnumPrinterDriversA(environment, level, buffer, size, needed, returned);
  }
  BOOL EnumMonitorsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override {
    return host_.EnumMonitorsA(level, buffer, size, needed, returned);
  }
  BOOL EnumPrintProcessorsA(const char* environment, DWORD level, BYTE* buffer, DWORD size,
                            DWORD* needed, DWORD* returned) override {
    return host_.EnumPrintProcessorsA(environment, level, buffer, size, needed, returned);
  }
  BOOL DeletePrinter(PrinterHandle printer) override;
  BOOL DeletePrinterDriverA(const char* environment, const char* driverName) override;
  BOOL DeletePrinterDriverExA(const char* environment, const char* driverName, DWORD deleteFlag,
                              DWORD versionFlag) override;
  BOOL DeleteMonitorA(const char* environment, const char* monitorName) override;
  BOOL DeletePrintProcessorA(const char* environment, const char* name) override;

  // The service manager is asked about the spooler, which is never stopped
  // or started.
  ServiceHandle OpenSCManagerA(DWORD access) override;
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, DWORD access) override;
  BOOL ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) override;
  BOOL StartServiceA(ServiceHandle service) override;
  BOOL QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) override {
    return host_.QueryServiceStatus(service, status);
  }
  BOOL CloseServiceHandle(ServiceHandle handle) override { return host_.CloseServiceHandle(handle); }

  BOOL WriteProfileStringA(const char* section, const char* key, const char* value) override;
  DWORD GetProfileStringA(const char* section, const char* key, const char* defaultValue,
                          char* buffer, DWORD size) override {
    return host_.GetProfileStringA(section, key, defaultValue, buffer, size);
  }
  BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* fileName) override;
  BOOL WritePrivateProfileSectionA(const char* section, const char* entries,
                                   const char* fileName) override;
  BOOL BroadcastWinIniChangeTimeout(const char* text, UINT timeoutMs) override;
  BOOL BroadcastWinIniChangeNotify(const char* text) override;

  ModuleHandle LoadLibraryA(const char* fileName) override { return host_.LoadLibraryA(fileName); }
  ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override {
    return host_.GetProcAddress(module, procName);
  }
  BOOL FreeLibrary(ModuleHandle module) override { return host_.FreeLibrary(module); }
  BOOL CallSetDefaultPrinterA(ProcAddress proc, const char* printerName) override;
  std::int32_t CallOpenDeviceX(ProcAddress proc, std::int32_t index) override {
    return host_.CallOpenDeviceX(proc, index);
  }
  std::int32_t CallGetDescriptor(ProcAddress proc, std::int32_t device, BYTE* buffer) override {
    return host_.CallGetDescriptor(proc, device, buffer);
  }
  // The device number is not sent to the printer.
  std::int32_t CallUWrite(ProcAddress proc, std::int32_t device, std::int32_t reserved,
                          const BYTE* data, std::int32_t length) override;
  void CallCloseDevice(ProcAddress proc, std::int32_t device) override {
    host_.CallCloseDevice(proc, device);
  }

  PSECURITY_DESCRIPTOR ConvertStringSecurityDescriptor(const char* sddl) override {
    return host_.ConvertStringSecurityDescriptor(sddl);
  }
  void FreeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) override {
    host_.FreeSecurityDescriptor(descriptor);
  }

  int MessageBoxA(const char* text, const char* caption, UINT type) override;
  WindowHandle FindWindowA(const char*, const char*) override { return nullptr; }
  bool ActivateWindow(WindowHandle) override { return false; }
  bool ShellOpen(const char*, int) override { return true; }

 private:
  // Answers a change as made, without making it.
  BOOL NotMade(const char* call);
  // A handle of our own, told apart from every handle of the host's.
  void* OwnHandle();
  bool IsOwn(const void* handle) const;
  void DropOwn(const void* handle);

  Platform& host_;
  MessageBoxRecorder boxes_;
  std::vector<std::string> printersAdded_;
  std::vector<std::string> notMade_;
  std::vector<std::unique_ptr<char>> own_;
};

}  // namespace setwell::install
