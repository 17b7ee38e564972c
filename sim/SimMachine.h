// The simulated Windows machine: a Platform over in-memory state, so the
// installer can be built and exercised without the host.
//
// It holds the running system's version and directories, a file system, the
// HKEY_LOCAL_MACHINE registry, a virtual clock and the record of every
// message box. Calls it does not simulate yet fail with
// ERROR_CALL_NOT_IMPLEMENTED.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimFileSystem.h"
#include "sim/SimRegistry.h"
#include "system/Platform.h"

namespace setwell::sim {

constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;

struct SimVersion {
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
};

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
};

class SimMachine : public Platform {
 public:
  SimMachine();

  // --- State, open to tests and tools -----------------------------------
  SimVersion version;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string currentDirectory = "D:\\";
  std::string moduleFileName = "D:\\Setup.exe";
  SimFileSystem files;
  SimRegistry registry;
  std::uint64_t clockMs = 0;
  std::vector<MessageBoxRecord> messageBoxes;
  // Answers to questions (boxes with other buttons than OK), in order.
  std::deque<int> answers;

  // --- Platform ----------------------------------------------------------
  DWORD GetLastError() override { return lastError_; }
  void SetLastError(DWORD error) override { lastError_ = error; }

  BOOL GetVersionExA(OSVERSIONINFOA* info) override;
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  void Sleep(DWORD milliseconds) override { clockMs += milliseconds; }

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

  LONG RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) override;
  LONG RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) override;
  LONG RegCloseKey(RegKeyHandle key) override;
  LONG RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                        DWORD* size) override;
  LONG RegSetValueExA(RegKeyHandle key, const char* name, DWORD type, const BYTE* data,
                      DWORD size) override;
  LONG RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize, DWORD* type,
                     BYTE* data, DWORD* dataSize) override;

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
  BOOL GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                   DWORD* needed) override;
  BOOL SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) override;
  BOOL ClosePrinter(PrinterHandle printer) override;
  BOOL EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override;

  ServiceHandle OpenSCManagerA(DWORD access) override;
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, DWORD access) override;
  BOOL ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) override;
  BOOL StartServiceA(ServiceHandle service) override;
  BOOL QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) override;
  BOOL CloseServiceHandle(ServiceHandle handle) override;

  BOOL WriteProfileStringA(const char* section, const char* key, const char* value) override;
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
  bool ShellOpen(const char* file) override;

 private:
  BOOL Fail(DWORD error) {
    lastError_ = error;
    return FALSE;
  }
  // Copies text into a caller's buffer the way the directory calls do.
  UINT CopyOut(const std::string& text, char* buffer, UINT size);
  const std::string* KeyPath(RegKeyHandle key) const;
  // Resolves a relative path against the current directory.
  std::string FullPath(const std::string& path) const;

  DWORD lastError_ = ERROR_SUCCESS;
  std::uintptr_t nextHandle_ = 0x1000;
  std::map<std::uintptr_t, std::string> openKeys_;
  std::map<std::uintptr_t, std::string> openFiles_;
  std::map<const void*, std::unique_ptr<std::string>> descriptors_;
};

}  // namespace setwell::sim
