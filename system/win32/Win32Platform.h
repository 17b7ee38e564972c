// The real host: every Platform call forwarded to the Win32 API.
#pragma once

#include "system/Platform.h"

namespace setwell {

class Win32Platform : public Platform {
 public:
  // Message boxes are owned by this window (the wizard) once it is set.
  void SetOwnerWindow(WindowHandle owner) { owner_ = owner; }

  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;

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

  int MessageBoxA(const char* text, const char* caption, UINT type) override;
  WindowHandle FindWindowA(const char* className, const char* windowName) override;
  bool ActivateWindow(WindowHandle window) override;
  bool ShellOpen(const char* file, int showCommand) override;

 private:
  WindowHandle owner_ = nullptr;
};

}  // namespace setwell
