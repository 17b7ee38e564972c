#include "system/win32/Win32Platform.h"

#include <shellapi.h>

#include <algorithm>

namespace setwell {
namespace {

HKEY AsKey(RegKeyHandle key) { return static_cast<HKEY>(key); }
HANDLE AsPrinter(PrinterHandle printer) { return static_cast<HANDLE>(printer); }
SC_HANDLE AsService(ServiceHandle service) { return static_cast<SC_HANDLE>(service); }
HMODULE AsModule(ModuleHandle module) { return static_cast<HMODULE>(module); }
char* Mutable(const char* text) { return const_cast<char*>(text); }

// The entry points of the USB interface library: 32-bit values, standard
// calling convention.
using OpenDeviceXProc = LONG(WINAPI*)(LONG index);
using GetDescriptorProc = LONG(WINAPI*)(LONG device, BYTE* buffer);
using UWriteProc = LONG(WINAPI*)(LONG device, LONG reserved, const BYTE* data, LONG length);
using CloseDeviceProc = void(WINAPI*)(LONG device);
using SetDefaultPrinterProc = BOOL(WINAPI*)(LPCSTR name);
using ConvertSddlProc = BOOL(WINAPI*)(LPCSTR text, DWORD revision, PSECURITY_DESCRIPTOR* descriptor,
                                      PULONG size);

template <typename Proc>
Proc As(ProcAddress proc) {
  return reinterpret_cast<Proc>(proc);
}

// An entry point of a system DLL the program has loaded, found at run
// time; null when this Windows lacks it.
template <typename Proc>
Proc LookUp(const char* module, const char* entry) {
  HMODULE loaded = ::GetModuleHandleA(module);
  if (loaded == nullptr) loaded = ::LoadLibraryA(module);
  if (loaded == nullptr) return nullptr;
  return As<Proc>(reinterpret_cast<ProcAddress>(::GetProcAddress(loaded, entry)));
}

}  // namespace

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }
void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }

BOOL Win32Platform::GetVersionExA(OSVERSIONINFOA* info) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersionExA(info);
#pragma GCC diagnostic pop
}

BOOL Win32Platform::IsWow64Process(BOOL* wow64) {
  // Looked up, not imported: a program that imports it does not load on
  // the systems before XP SP2.
  using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto proc = kernel == nullptr
                        ? nullptr
                        : As<IsWow64ProcessProc>(
                              reinterpret_cast<ProcAddress>(::GetProcAddress(kernel, "IsWow64Process")));
  if (proc == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return proc(::GetCurrentProcess(), wow64);
}

BOOL Win32Platform::ExitWindowsEx(UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason); }
void Win32Platform::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

UINT Win32Platform::GetSystemDirectoryA(char* buffer, UINT size) {
  return ::GetSystemDirectoryA(buffer, size);
}
UINT Win32Platform::GetWindowsDirectoryA(char* buffer, UINT size) {
  return ::GetWindowsDirectoryA(buffer, size);
}
DWORD Win32Platform::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return ::GetCurrentDirectoryA(size, buffer);
}
DWORD Win32Platform::GetModuleFileNameA(char* buffer, DWORD size) {
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, size);
  // Windows XP and Wine leave a cut path without its terminator; the
  // interface promises one.
  if (size != 0 && length >= size) buffer[size - 1] = '\0';
  return length;
}

BOOL Win32Platform::CopyFileA(const char* existing, const char* target, BOOL failIfExists) {
  return ::CopyFileA(existing, target, failIfExists);
}
BOOL Win32Platform::SetFileAttributesA(const char* path, DWORD attributes) {
  return ::SetFileAttributesA(path, attributes);
}
DWORD Win32Platform::GetFileAttributesA(const char* path) { return ::GetFileAttributesA(path); }
FileHandle Win32Platform::CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation,
                                      DWORD flags) {
  return ::CreateFileA(path, access, share, nullptr, creation, flags, nullptr);
}
BOOL Win32Platform::CloseHandle(FileHandle handle) { return ::CloseHandle(handle); }

bool Win32Platform::ListFolder(const char* folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string pattern = folder != nullptr ? folder : "";
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found{};
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // A drive's root without a file in it has nothing to find, not even
    // "." and "..".
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({name, found.cAlternateFileName, found.dwFileAttributes});
  } while (::FindNextFileA(search, &found));
  const DWORD error = ::GetLastError();
  ::FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    ::SetLastError(error);
    return false;
  }
  ::SetLastError(ERROR_SUCCESS);
  return true;
}

bool Win32Platform::ReadWholeFile(const char* path, std::string& contents) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Read into the caller's string, whose storage a reader of the same file
  // uses again: sized by the file, and grown should the file grow meanwhile.
  const DWORD expected = ::GetFileSize(file, nullptr);
  std::size_t size = 0;
  contents.resize(expected == INVALID_FILE_SIZE ? 65536 : static_cast<std::size_t>(expected) + 1);
  bool ok = true;
  for (;;) {
    if (size == contents.size()) contents.resize(contents.size() * 2);
    DWORD got = 0;
    const DWORD room = static_cast<DWORD>(std::min<std::size_t>(contents.size() - size, 1u << 30));
    if (!::ReadFile(file, contents.data() + size, room, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    size += got;
  }
  DWORD error = ::GetLastError();
  ::CloseHandle(file);
  if (!ok) {
    contents.clear();
    ::SetLastError(error);
    return false;
  }
  contents.resize(size);
  return true;
}

bool Win32Platform::GetFileStamp(const char* path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  auto whole = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  // Three seconds, in the 100 ns units of a file time: more than FAT's two.
  constexpr std::uint64_t kSettledAfter = 30'000'000;
  stamp.size = whole(data.nFileSizeHigh, data.nFileSizeLow);
  stamp.writeTime = whole(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  const std::uint64_t current = whole(now.dwHighDateTime, now.dwLowDateTime);
  // A file dated in the future is never taken as settled.
  stamp.settled = stamp.writeTime != 0 && stamp.writeTime <= current &&
                  current - stamp.writeTime >= kSettledAfter;
  return true;
}

BOOL Win32Platform::GetFileAttributesExA(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return ::GetFileAttributesExA(path, GetFileExInfoStandard, data);
}
BOOL Win32Platform::DeleteFileA(const char* path) { return ::DeleteFileA(path); }
BOOL Win32Platform::MoveFileExA(const char* path, const char* target, DWORD flags) {
  // Looked up, not imported: the kernel32 of Windows 98/Me has it only as a
  // stub that answers 120, and a missing entry answers the same here.
  using MoveFileExProc = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto proc = LookUp<MoveFileExProc>("kernel32.dll", "MoveFileExA");
  if (proc == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  return proc(path, target, flags);
}

LONG Win32Platform::RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  HKEY opened = nullptr;
  LONG error = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access, &opened);
  if (error == ERROR_SUCCESS) *key = opened;
  return error;
}
LONG Win32Platform::RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  HKEY created = nullptr;
  LONG error = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access, nullptr, &created, nullptr);
  if (error == ERROR_SUCCESS) *key = created;
  return error;
}
LONG Win32Platform::RegCloseKey(RegKeyHandle key) { return ::RegCloseKey(AsKey(key)); }
LONG Win32Platform::RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                                     DWORD* size) {
  return ::RegQueryValueExA(AsKey(key), name, nullptr, type, data, size);
}
LONG Win32Platform::RegSetValueExA(RegKeyHandle key, const char* name, DWORD type,
                                   const BYTE* data, DWORD size) {
  return ::RegSetValueExA(AsKey(key), name, 0, type, data, size);
}
LONG Win32Platform::RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize,
                                  DWORD* type, BYTE* data, DWORD* dataSize) {
  return ::RegEnumValueA(AsKey(key), index, name, nameSize, nullptr, type, data, dataSize);
}

LONG Win32Platform::RegEnumKeyExA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize) {
  return ::RegEnumKeyExA(AsKey(key), index, name, nameSize, nullptr, nullptr, nullptr, nullptr);
}
LONG Win32Platform::RegDeleteValueA(RegKeyHandle key, const char* name) {
  return ::RegDeleteValueA(AsKey(key), name);
}
LONG Win32Platform::RegDeleteKeyA(const char* subKey) {
  // HKEY_LOCAL_MACHINE itself is never deleted through the seam.
  if (subKey == nullptr || subKey[0] == '\0') return ERROR_INVALID_PARAMETER;
  return ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey);
}

BOOL Win32Platform::GetPrinterDriverDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                               DWORD size, DWORD* needed) {
  return ::GetPrinterDriverDirectoryA(nullptr, Mutable(environment), level, buffer, size, needed);
}
BOOL Win32Platform::GetPrintProcessorDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                                DWORD size, DWORD* needed) {
  return ::GetPrintProcessorDirectoryA(nullptr, Mutable(environment), level, buffer, size, needed);
}
BOOL Win32Platform::AddPrinterDriverA(DWORD level, BYTE* driverInfo) {
  return ::AddPrinterDriverA(nullptr, level, driverInfo);
}
BOOL Win32Platform::AddMonitorA(DWORD level, BYTE* monitorInfo) {
  return ::AddMonitorA(nullptr, level, monitorInfo);
}
BOOL Win32Platform::AddPrintProcessorA(const char* environment, const char* pathName,
                                       const char* printProcessorName) {
  return ::AddPrintProcessorA(nullptr, Mutable(environment), Mutable(pathName),
                              Mutable(printProcessorName));
}
PrinterHandle Win32Platform::AddPrinterA(DWORD level, BYTE* printerInfo) {
  return ::AddPrinterA(nullptr, level, printerInfo);
}
BOOL Win32Platform::OpenPrinterA(const char* printerName, PrinterHandle* printer) {
  HANDLE opened = nullptr;
  BOOL ok = ::OpenPrinterA(Mutable(printerName), &opened, nullptr);
  if (ok) *printer = opened;
  return ok;
}
BOOL Win32Platform::OpenPrinterA(const char* printerName, PrinterHandle* printer,
                                 DWORD desiredAccess) {
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, desiredAccess};
  HANDLE opened = nullptr;
  BOOL ok = ::OpenPrinterA(Mutable(printerName), &opened, &defaults);
  if (ok) *printer = opened;
  return ok;
}
BOOL Win32Platform::GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                                DWORD* needed) {
  return ::GetPrinterA(AsPrinter(printer), level, buffer, size, needed);
}
BOOL Win32Platform::SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) {
  return ::SetPrinterA(AsPrinter(printer), level, info, command);
}
BOOL Win32Platform::ClosePrinter(PrinterHandle printer) { return ::ClosePrinter(AsPrinter(printer)); }
BOOL Win32Platform::EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                               DWORD* returned) {
  return ::EnumPortsA(nullptr, level, buffer, size, needed, returned);
}

BOOL Win32Platform::EnumPrintersA(DWORD flags, DWORD level, BYTE* buffer, DWORD size,
                                  DWORD* needed, DWORD* returned) {
  return ::EnumPrintersA(flags, nullptr, level, buffer, size, needed, returned);
}
BOOL Win32Platform::EnumPrinterDriversA(const char* environment, DWORD level, BYTE* buffer,
                                        DWORD size, DWORD* needed, DWORD* returned) {
  return ::EnumPrinterDriversA(nullptr, Mutable(environment), level, buffer, size, needed,
                               returned);
}
BOOL Win32Platform::EnumMonitorsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                                  DWORD* returned) {
  return ::EnumMonitorsA(nullptr, level, buffer, size, needed, returned);
}
BOOL Win32Platform::EnumPrintProcessorsA(const char* environment, DWORD level, BYTE* buffer,
                                         DWORD size, DWORD* needed, DWORD* returned) {
  return ::EnumPrintProcessorsA(nullptr, Mutable(environment), level, buffer, size, needed,
                                returned);
}
BOOL Win32Platform::DeletePrinter(PrinterHandle printer) {
  return ::DeletePrinter(AsPrinter(printer));
}
BOOL Win32Platform::DeletePrinterDriverA(const char* environment, const char* driverName) {
  return ::DeletePrinterDriverA(nullptr, Mutable(environment), Mutable(driverName));
}
BOOL Win32Platform::DeletePrinterDriverExA(const char* environment, const char* driverName,
                                           DWORD deleteFlag, DWORD versionFlag) {
  // Looked up at run time: winspool.drv has it from Windows 2000 on, and a
  // static import would keep the program from starting on 98/Me and NT 4.0.
  using DeleteDriverExProc = BOOL(WINAPI*)(LPSTR, LPSTR, LPSTR, DWORD, DWORD);
  const auto proc = LookUp<DeleteDriverExProc>("winspool.drv", "DeletePrinterDriverExA");
  if (proc == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return proc(nullptr, Mutable(environment), Mutable(driverName), deleteFlag, versionFlag);
}
BOOL Win32Platform::DeleteMonitorA(const char* environment, const char* monitorName) {
  return ::DeleteMonitorA(nullptr, Mutable(environment), Mutable(monitorName));
}
BOOL Win32Platform::DeletePrintProcessorA(const char* environment, const char* name) {
  return ::DeletePrintProcessorA(nullptr, Mutable(environment), Mutable(name));
}

ServiceHandle Win32Platform::OpenSCManagerA(DWORD access) {
  return ::OpenSCManagerA(nullptr, nullptr, access);
}
ServiceHandle Win32Platform::OpenServiceA(ServiceHandle manager, const char* name, DWORD access) {
  return ::OpenServiceA(AsService(manager), name, access);
}
BOOL Win32Platform::ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) {
  return ::ControlService(AsService(service), control, status);
}
BOOL Win32Platform::StartServiceA(ServiceHandle service) {
  return ::StartServiceA(AsService(service), 0, nullptr);
}
BOOL Win32Platform::QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) {
  return ::QueryServiceStatus(AsService(service), status);
}
BOOL Win32Platform::CloseServiceHandle(ServiceHandle handle) {
  return ::CloseServiceHandle(AsService(handle));
}

BOOL Win32Platform::WriteProfileStringA(const char* section, const char* key, const char* value) {
  return ::WriteProfileStringA(section, key, value);
}
DWORD Win32Platform::GetProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, DWORD size) {
  return ::GetProfileStringA(section, key, defaultValue, buffer, size);
}
BOOL Win32Platform::WritePrivateProfileStringA(const char* section, const char* key,
                                               const char* value, const char* fileName) {
  return ::WritePrivateProfileStringA(section, key, value, fileName);
}
BOOL Win32Platform::WritePrivateProfileSectionA(const char* section, const char* entries,
                                                const char* fileName) {
  return ::WritePrivateProfileSectionA(section, entries, fileName);
}
BOOL Win32Platform::BroadcastWinIniChangeTimeout(const char* text, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(text),
                               SMTO_NORMAL, timeoutMs, &result) != 0;
}
BOOL Win32Platform::BroadcastWinIniChangeNotify(const char* text) {
  return ::SendNotifyMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(text));
}

ModuleHandle Win32Platform::LoadLibraryA(const char* fileName) { return ::LoadLibraryA(fileName); }
ProcAddress Win32Platform::GetProcAddress(ModuleHandle module, const char* procName) {
  return reinterpret_cast<ProcAddress>(::GetProcAddress(AsModule(module), procName));
}
BOOL Win32Platform::FreeLibrary(ModuleHandle module) { return ::FreeLibrary(AsModule(module)); }
BOOL Win32Platform::CallSetDefaultPrinterA(ProcAddress proc, const char* printerName) {
  return As<SetDefaultPrinterProc>(proc)(printerName);
}
std::int32_t Win32Platform::CallOpenDeviceX(ProcAddress proc, std::int32_t index) {
  return As<OpenDeviceXProc>(proc)(index);
}
std::int32_t Win32Platform::CallGetDescriptor(ProcAddress proc, std::int32_t device, BYTE* buffer) {
  return As<GetDescriptorProc>(proc)(device, buffer);
}
std::int32_t Win32Platform::CallUWrite(ProcAddress proc, std::int32_t device, std::int32_t reserved,
                                       const BYTE* data, std::int32_t length) {
  return As<UWriteProc>(proc)(device, reserved, data, length);
}
void Win32Platform::CallCloseDevice(ProcAddress proc, std::int32_t device) {
  As<CloseDeviceProc>(proc)(device);
}

PSECURITY_DESCRIPTOR Win32Platform::ConvertStringSecurityDescriptor(const char* sddl) {
  // Looked up at run time: Windows 98/Me and NT 4.0 lack it, and a static
  // import would keep the program from starting there.
  HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
  if (advapi == nullptr) advapi = ::LoadLibraryA("advapi32.dll");
  FARPROC proc = advapi == nullptr
                     ? nullptr
                     : ::GetProcAddress(advapi, "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  if (proc == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!As<ConvertSddlProc>(reinterpret_cast<ProcAddress>(proc))(sddl, 1, &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

void Win32Platform::FreeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  if (descriptor != nullptr) ::LocalFree(descriptor);
}

int Win32Platform::MessageBoxA(const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(static_cast<HWND>(owner_), text, caption, type);
}
WindowHandle Win32Platform::FindWindowA(const char* className, const char* windowName) {
  return ::FindWindowA(className, windowName);
}
bool Win32Platform::ActivateWindow(WindowHandle window) {
  HWND hwnd = static_cast<HWND>(window);
  if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
  return ::SetForegroundWindow(hwnd) != FALSE;
}
bool Win32Platform::ShellOpen(const char* file, int showCommand) {
  HINSTANCE result =
      ::ShellExecuteA(static_cast<HWND>(owner_), "open", file, nullptr, nullptr, showCommand);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace setwell
