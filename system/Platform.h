// The one seam between the installer and the host.
//
// Every host call the installer makes goes through this interface, named and
// shaped like the Win32 call it stands for, with 8-bit ANSI strings and no
// server name. Failures come back the Win32 way: a false or null result and
// the last-error number (GetLastError), or, for the registry calls, the error
// number as the result. The installer's decisions depend on those numbers
// (32 and 5 from a copy, 1802 from AddPrinterA, 3006 from AddMonitorA ...),
// so implementations must give the documented ones.
//
// Two implementations exist: Win32Platform (the real host, built only for
// Windows) and the simulated machine in sim/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "system/WinTypes.h"

namespace setwell {

// Opaque handles. A null handle is the failure value for all of them; for
// files the failure value is kInvalidFile, as with CreateFileA.
using RegKeyHandle = void*;
using PrinterHandle = void*;
using ServiceHandle = void*;
using ModuleHandle = void*;
using FileHandle = void*;
using WindowHandle = void*;
// An entry point returned by GetProcAddress; call it through the typed
// Call... operations below.
using ProcAddress = void*;

inline FileHandle const kInvalidFile = reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(-1));

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Errors -------------------------------------------------------------
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;

  // --- Version, restart, pauses -------------------------------------------
  // Fills dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformId and
  // szCSDVersion; dwOSVersionInfoSize must be set by the caller.
  virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
  // IsWow64Process for this process: whether this 32-bit program runs on
  // 64-bit Windows. Systems before XP SP2 and Server 2003 SP1 (98, Me, NT
  // 4.0, 2000) do not have the call: FALSE, last error 127.
  virtual BOOL IsWow64Process(BOOL* wow64) = 0;
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;
  virtual void Sleep(DWORD milliseconds) = 0;

  // --- Directories and module path ----------------------------------------
  // As the Win32 calls: the result is the length copied without the
  // terminator, or the size needed (terminator included) when the buffer is
  // too small, or 0 on failure.
  virtual UINT GetSystemDirectoryA(char* buffer, UINT size) = 0;
  virtual UINT GetWindowsDirectoryA(char* buffer, UINT size) = 0;
  virtual DWORD GetCurrentDirectoryA(DWORD size, char* buffer) = 0;
  // Copies at most size - 1 characters and a terminator; a path that does
  // not fit is cut, the result is size and the last error 122.
  virtual DWORD GetModuleFileNameA(char* buffer, DWORD size) = 0;

  // --- Files --------------------------------------------------------------
  virtual BOOL CopyFileA(const char* existing, const char* target, BOOL failIfExists) = 0;
  virtual BOOL SetFileAttributesA(const char* path, DWORD attributes) = 0;
  virtual DWORD GetFileAttributesA(const char* path) = 0;
  virtual FileHandle CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation,
                                 DWORD flags) = 0;
  virtual BOOL CloseHandle(FileHandle handle) = 0;
  // Reads a whole existing file (the private-profile reader's source). The
  // path is a host path in Windows form; letter case does not matter. False
  // with the last error when the file cannot be read.
  virtual bool ReadWholeFile(const char* path, std::string& contents) = 0;
  // ReadWholeFile for a reader that holds the file as it was: kSame when the
  // file still holds `known` (contents then need not be filled), kRead with
  // the file in contents when it differs, kUnreadable as ReadWholeFile's
  // false. This reads and compares; a host that can tell more cheaply may.
  enum class FileLook { kUnreadable, kSame, kRead };
  virtual FileLook ReadWholeFileUnlessSame(const char* path, std::string_view known,
                                           std::string& contents) {
    if (!ReadWholeFile(path, contents)) return FileLook::kUnreadable;
    return contents == known ? FileLook::kSame : FileLook::kRead;
  }
  // What the file system records of a file: its size and last write time,
  // enough to tell a file unchanged without reading it. `settled` says the
  // time lay further back, when looked at, than the coarsest file system's
  // granularity (two seconds), so that any later write shows as another
  // time; a stamp that is not settled tells nothing. False when the host
  // keeps no such record of the file (a reader then compares contents).
  struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // in the host's own units
    bool settled = false;
    bool SameAs(const FileStamp& other) const {
      return size == other.size && writeTime == other.writeTime;
    }
  };
  virtual bool GetFileStamp(const char* /*path*/, FileStamp& /*stamp*/) { return false; }
  // GetFileAttributesExA at level GetFileExInfoStandard: attributes, times
  // and size of a file or folder (a folder's size is 0). False with 2 or 3
  // when it is not there. Windows 98 and NT 4.0 have it.
  virtual BOOL GetFileAttributesExA(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) = 0;
  // What a folder holds, as FindFirstFileA / FindNextFileA / FindClose on
  // "folder\*" give it, without "." and "..": each file's and subfolder's
  // name, its short (8.3) name when the host gives one, and its attributes.
  // False with the last error when the folder cannot be listed (3 for a
  // missing one). Windows 98 and NT 4.0 have the calls.
  struct FolderEntry {
    std::string name;
    std::string shortName;  // empty: none
    DWORD attributes = 0;
  };
  virtual bool ListFolder(const char* folder, std::vector<FolderEntry>& entries) = 0;
  // DeleteFileA. A missing file gives 2 (3 for a missing folder), a folder
  // or a read-only file 5, a file another process holds open without
  // delete sharing 32. A module a process has loaded gives 5 on NT (the
  // image section cannot go) and 32 on Windows 98/Me.
  virtual BOOL DeleteFileA(const char* path) = 0;
  // MoveFileExA. target null with MOVEFILE_DELAY_UNTIL_REBOOT schedules
  // path for deletion at the next restart; the host records the request in
  // "SYSTEM\CurrentControlSet\Control\Session Manager"
  // "PendingFileRenameOperations" and asks the caller for administrator
  // rights (5 without). Immediately: 2 / 3 for a missing source, 183 for a
  // target there is without MOVEFILE_REPLACE_EXISTING, 17 across drives
  // without MOVEFILE_COPY_ALLOWED, 87 for a null target. Windows 98/Me
  // lack the call (their kernel32 answers 120 to everything): a removal
  // there writes WININIT.INI's [rename] section with
  // WritePrivateProfileStringA ("NUL=C:\path" deletes at restart).
  virtual BOOL MoveFileExA(const char* path, const char* target, DWORD flags) = 0;

  // --- Registry, always below HKEY_LOCAL_MACHINE ---------------------------
  // These return the error number, ERROR_SUCCESS on success, as RegXxx do.
  virtual LONG RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) = 0;
  // Creates the key and its missing parents, or opens it when it exists.
  virtual LONG RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) = 0;
  virtual LONG RegCloseKey(RegKeyHandle key) = 0;
  // type and data may be null; *size is in/out as with RegQueryValueExA:
  // a too small buffer gives ERROR_MORE_DATA with *size the size needed.
  virtual LONG RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                                DWORD* size) = 0;
  virtual LONG RegSetValueExA(RegKeyHandle key, const char* name, DWORD type, const BYTE* data,
                              DWORD size) = 0;
  // *nameSize is in/out in characters (terminator excluded on return);
  // ERROR_NO_MORE_ITEMS past the last value. type, data, dataSize may be null.
  virtual LONG RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize,
                             DWORD* type, BYTE* data, DWORD* dataSize) = 0;
  // RegEnumKeyExA without class and time: the names of the keys directly
  // below key, in the registry's order (by name, letter case aside).
  // *nameSize is in/out in characters, terminator excluded on return;
  // ERROR_MORE_DATA when the name does not fit, ERROR_NO_MORE_ITEMS past the
  // last key. The key must be open with KEY_ENUMERATE_SUB_KEYS (else 5).
  virtual LONG RegEnumKeyExA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize) = 0;
  // RegDeleteValueA: 2 for a missing value; the key must be open with
  // KEY_SET_VALUE (else 5). name null or "" is the key's default value.
  virtual LONG RegDeleteValueA(RegKeyHandle key, const char* name) = 0;
  // RegDeleteKeyA of a key below HKEY_LOCAL_MACHINE: 2 when it is not
  // there. NT refuses a key that has subkeys with 5; Windows 95/98/Me delete
  // the key with everything below it. Handles still open on a deleted key
  // then give ERROR_KEY_DELETED (1018).
  virtual LONG RegDeleteKeyA(const char* subKey) = 0;

  // --- Print spooler -------------------------------------------------------
  // environment null: the running system's own.
  virtual BOOL GetPrinterDriverDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                          DWORD size, DWORD* needed) = 0;
  virtual BOOL GetPrintProcessorDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                           DWORD size, DWORD* needed) = 0;
  virtual BOOL AddPrinterDriverA(DWORD level, BYTE* driverInfo) = 0;
  virtual BOOL AddMonitorA(DWORD level, BYTE* monitorInfo) = 0;
  virtual BOOL AddPrintProcessorA(const char* environment, const char* pathName,
                                  const char* printProcessorName) = 0;
  virtual PrinterHandle AddPrinterA(DWORD level, BYTE* printerInfo) = 0;
  // With no defaults: NT grants PRINTER_ACCESS_USE, which reads and sets a
  // printer but does not delete it.
  virtual BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer) = 0;
  // OpenPrinterA with PRINTER_DEFAULTS naming only the access wanted
  // (PRINTER_ACCESS_ADMINISTER, PRINTER_ALL_ACCESS ...). NT refuses rights
  // the user lacks with 5; 9x has no printer security and ignores it.
  virtual BOOL OpenPrinterA(const char* printerName, PrinterHandle* printer,
                            DWORD desiredAccess) = 0;
  virtual BOOL GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                           DWORD* needed) = 0;
  virtual BOOL SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) = 0;
  virtual BOOL ClosePrinter(PrinterHandle printer) = 0;
  virtual BOOL EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                          DWORD* returned) = 0;
  // The enumerations all answer alike: the records one after another, then
  // their strings; a buffer too small gives 122 with the size needed and
  // *returned 0; an empty list succeeds with both 0.
  // EnumPrintersA with no name: flags PRINTER_ENUM_LOCAL lists this
  // machine's printers; level 2 (PRINTER_INFO_2A) or 4 (PRINTER_INFO_4A,
  // NT only: 9x gives ERROR_INVALID_LEVEL).
  virtual BOOL EnumPrintersA(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                             DWORD* returned) = 0;
  // EnumPrinterDriversA of one environment (null: the running system's;
  // 1805 for one the spooler does not serve); level 1, 2 or 3
  // (DRIVER_INFO_3A, the dependent files as a list of strings ending in an
  // empty one); the file names are full paths.
  virtual BOOL EnumPrinterDriversA(const char* environment, DWORD level, BYTE* buffer,
                                   DWORD size, DWORD* needed, DWORD* returned) = 0;
  // EnumMonitorsA: level 1 (MONITOR_INFO_1A) or 2 (MONITOR_INFO_2A with the
  // environment and the DLL the spooler loads).
  virtual BOOL EnumMonitorsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                             DWORD* returned) = 0;
  // EnumPrintProcessorsA of one environment, level 1 (PRINTPROCESSOR_INFO_1A).
  virtual BOOL EnumPrintProcessorsA(const char* environment, DWORD level, BYTE* buffer,
                                    DWORD size, DWORD* needed, DWORD* returned) = 0;
  // DeletePrinter through an open handle, which stays to be closed. On NT
  // the handle needs PRINTER_ACCESS_ADMINISTER (else 5); 6 for a handle that
  // is not open. A default printer that goes is no longer the default: the
  // spooler makes the first remaining printer the default, or leaves none.
  virtual BOOL DeletePrinter(PrinterHandle printer) = 0;
  // DeletePrinterDriverA: removes the driver of an environment (null: the
  // running system's) from the spooler's list; its files stay. 1797 for a
  // driver the environment does not have, 3001 while a printer uses it,
  // 1805 for an unknown environment.
  virtual BOOL DeletePrinterDriverA(const char* environment, const char* driverName) = 0;
  // DeletePrinterDriverExA (Windows 2000 and later; before: FALSE, 127, as
  // the call is looked up at run time): as DeletePrinterDriverA, and with
  // DPD_DELETE_UNUSED_FILES the driver's files no other driver names go
  // too; DPD_DELETE_ALL_FILES refuses (3001) when another driver names one
  // of them; DPD_DELETE_SPECIFIC_VERSION deletes only versionFlag's
  // version (1797 when the driver is not of that version).
  virtual BOOL DeletePrinterDriverExA(const char* environment, const char* driverName,
                                      DWORD deleteFlag, DWORD versionFlag) = 0;
  // DeleteMonitorA: 3000 for a monitor the spooler does not know, 3008 while
  // a printer is on one of its ports, 87 for no name. The spooler forgets
  // the monitor with its ports and unloads its DLL; the file stays. The
  // environment is not looked at for the local machine.
  virtual BOOL DeleteMonitorA(const char* environment, const char* monitorName) = 0;
  // DeletePrintProcessorA: 1798 for a processor the environment does not
  // have, 1003 (ERROR_CAN_NOT_COMPLETE) while a printer uses it, 1805 for an
  // unknown environment. Its file stays.
  virtual BOOL DeletePrintProcessorA(const char* environment, const char* name) = 0;

  // --- Service control manager --------------------------------------------
  virtual ServiceHandle OpenSCManagerA(DWORD access) = 0;
  virtual ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, DWORD access) = 0;
  virtual BOOL ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) = 0;
  virtual BOOL StartServiceA(ServiceHandle service) = 0;
  virtual BOOL QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) = 0;
  virtual BOOL CloseServiceHandle(ServiceHandle handle) = 0;

  // --- Profile and settings broadcast --------------------------------------
  // All null: flush the profile cache.
  virtual BOOL WriteProfileStringA(const char* section, const char* key, const char* value) = 0;
  // GetProfileStringA of win.ini (on NT the sections the host maps
  // elsewhere, "windows" to the user's hive and "Ports" to the Local Port
  // monitor's key, come from there). The default printer is
  // [windows] "device", "name,driver-or-winspool,port", on every system.
  // The result is the length copied without the terminator; a value that
  // does not fit is cut to size - 1 characters. key null lists the
  // section's keys, each ending in a zero, the list in another.
  virtual DWORD GetProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, DWORD size) = 0;
  // WritePrivateProfileStringA of an INI file (a bare name is in the Windows
  // folder): value null deletes the key, key null the section. False with 3
  // when the file's folder is missing, 5 when it cannot be written.
  virtual BOOL WritePrivateProfileStringA(const char* section, const char* key,
                                          const char* value, const char* fileName) = 0;
  // WritePrivateProfileSectionA: the section replaced by entries, "key=value"
  // strings each ending in a zero, the list in another (null deletes the
  // section). Keys may repeat, which WritePrivateProfileStringA cannot
  // write: WININIT.INI's [rename] holds one "NUL=" line per file to delete.
  virtual BOOL WritePrivateProfileSectionA(const char* section, const char* entries,
                                           const char* fileName) = 0;
  // WM_WININICHANGE to all top-level windows (HWND_BROADCAST). text may be
  // null. SendMessageTimeoutA waits at most timeoutMs for each window;
  // SendNotifyMessageA does not wait.
  virtual BOOL BroadcastWinIniChangeTimeout(const char* text, UINT timeoutMs) = 0;
  virtual BOOL BroadcastWinIniChangeNotify(const char* text) = 0;

  // --- Run-time libraries --------------------------------------------------
  virtual ModuleHandle LoadLibraryA(const char* fileName) = 0;
  virtual ProcAddress GetProcAddress(ModuleHandle module, const char* procName) = 0;
  virtual BOOL FreeLibrary(ModuleHandle module) = 0;
  // Typed calls through entry points found with GetProcAddress.
  // "winspool.drv": SetDefaultPrinterA(name).
  virtual BOOL CallSetDefaultPrinterA(ProcAddress proc, const char* printerName) = 0;
  // "TvUsbInt.dll": 32-bit stdcall entry points.
  virtual std::int32_t CallOpenDeviceX(ProcAddress proc, std::int32_t index) = 0;
  virtual std::int32_t CallGetDescriptor(ProcAddress proc, std::int32_t device, BYTE* buffer) = 0;
  virtual std::int32_t CallUWrite(ProcAddress proc, std::int32_t device, std::int32_t reserved,
                                  const BYTE* data, std::int32_t length) = 0;
  virtual void CallCloseDevice(ProcAddress proc, std::int32_t device) = 0;

  // --- Security -------------------------------------------------------------
  // ConvertStringSecurityDescriptorToSecurityDescriptorA, revision 1: a
  // self-relative descriptor from its string form, or null with the last
  // error when the text is not a valid descriptor string or the host lacks
  // the call (before Windows 2000). Release with FreeSecurityDescriptor.
  virtual PSECURITY_DESCRIPTOR ConvertStringSecurityDescriptor(const char* sddl) = 0;
  virtual void FreeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) = 0;

  // --- User interaction -----------------------------------------------------
  // A modal message box owned by the wizard; returns IDOK, IDYES, IDNO ...
  virtual int MessageBoxA(const char* text, const char* caption, UINT type) = 0;
  // The help window search and the shell's "open" verb.
  virtual WindowHandle FindWindowA(const char* className, const char* windowName) = 0;
  virtual bool ActivateWindow(WindowHandle window) = 0;
  // Opens file with the shell's "open" verb, its window shown with the
  // ShowWindow command given (SW_SHOW ...).
  virtual bool ShellOpen(const char* file, int showCommand) = 0;
};

}  // namespace setwell
