#include "sim/SimMachine.h"

#include <algorithm>
#include <cstring>

#include "sim/Sddl.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

void* AsHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }
std::uintptr_t AsValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

LONG AsLong(DWORD error) { return static_cast<LONG>(error); }

constexpr char kWinspool[] = "winspool.drv";

// What a fresh installation of each family holds for the spooler and the
// serial ports.
std::string WinIni(const SimSystem& system) {
  std::string text = "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\n\r\n[fonts]\r\n";
  if (system.Is9x()) {
    text +=
        "\r\n[Ports]\r\nLPT1:=\r\nLPT2:=\r\nLPT3:=\r\nCOM1:=9600,n,8,1,x\r\n"
        "COM2:=9600,n,8,1,x\r\nCOM3:=9600,n,8,1,x\r\nCOM4:=9600,n,8,1,x\r\nFILE:=\r\n";
  }
  return text;
}

}  // namespace

SimMachine::SimMachine(SimOs os) : system(SimSystem::For(os)) { Setup(); }

void SimMachine::Setup() {
  files.MakeFolder("C:\\");
  files.MakeFolder(system.windowsDirectory);
  files.MakeFolder(system.systemDirectory);
  files.MakeFolder(currentDirectory);
  files.WriteFile(system.windowsDirectory + "\\win.ini", WinIni(system));
  files.WriteFile(system.systemDirectory + "\\" + kWinspool, "stand-in winspool.drv");

  const std::string own = system.Environment();
  const bool modernNt = system.IsNtLike() && system.DriverVersion(own) == 3;
  if (system.Is9x()) {
    files.MakeFolder(system.windowsDirectory + "\\SYSBCKUP");
    // Every Windows holds its software's settings below this key; an
    // install's keys there are made below it, never it.
    registry.CreateKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    // The serial and parallel ports' device classes.
    struct PortClass {
      const char* number;
      const char* description;
      char subClass;  // 1: serial, 0: parallel
    };
    const PortClass kClasses[] = {{"0000", "Communications Port (COM1)", 1},
                                  {"0001", "Communications Port (COM2)", 1},
                                  {"0002", "Printer Port (LPT1)", 0}};
    for (const PortClass& entry : kClasses) {
      const std::string key =
          std::string("System\\CurrentControlSet\\Services\\Class\\Ports\\") + entry.number;
      registry.SetString(key, "DriverDesc", entry.description);
      registry.SetValue(key, "PortSubClass", REG_BINARY, std::string(1, entry.subClass));
    }
  } else {
    for (const char* env : {kEnvironmentNtX86, kEnvironment9x}) {
      files.MakeFolder(system.DriverVersionDirectory(env));
      files.MakeFolder(system.ProcessorDirectory(env));
    }
    for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:"}) {
      registry.SetString(kNtPortsKey, port, "9600,n,8,1");
    }
    for (const char* port : {"FILE:", "LPT1:", "LPT2:", "LPT3:"}) {
      registry.SetString(kNtPortsKey, port, "");
    }
  }
  spooler.InstallMonitor("Local Port", modernNt ? "localspl.dll" : "localmon.dll");
  spooler.InstallPrintProcessor("WinPrint", "winprint.dll");

  services.present = system.IsNtLike();
  if (services.present) services.services.push_back(SimService{kSpoolerService});
  restartRefusal = system.IsNtLike() ? ERROR_PRIVILEGE_NOT_HELD : ERROR_SUCCESS;
  SyncSpooler();
}

void SimMachine::SyncSpooler() {
  spooler.SetRunning(system.Is9x() || services.IsRunning(kSpoolerService));
}

std::optional<DWORD> SimMachine::Enter(const char* call,
                                       std::initializer_list<const char*> arguments) {
  if (traceCalls) {
    std::string text;
    for (const char* argument : arguments) {
      if (!text.empty()) text += ", ";
      text += argument == nullptr ? "(null)" : argument;
    }
    trace.push_back(SimCallRecord{call, text});
  }
  if (faults.pending.empty()) return std::nullopt;
  return faults.Take(call, arguments);
}

std::string SimMachine::FullPath(std::string path) const {
  // "X:\..." and "\\server\..." are absolute; "\..." is on the current
  // drive; anything else hangs off the current directory.
  if (path.size() >= 2 && path[1] == ':') return path;
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    if (path.size() >= 2 && (path[1] == '\\' || path[1] == '/')) return path;
    return currentDirectory.substr(0, 2) + path;
  }
  std::string base = currentDirectory;
  if (!base.empty() && base.back() != '\\') base.push_back('\\');
  return base + path;
}

// --- Setting up ---------------------------------------------------------------

bool SimMachine::MountDistribution(const std::string& hostFolder, char drive) {
  if (!files.MountHostFolder(drive, hostFolder, true)) return false;
  currentDirectory = std::string(1, drive) + ":\\";
  moduleFileName = currentDirectory + "Setup.exe";
  return true;
}

SimFile& SimMachine::PutDistributionFile(const std::string& relativePath, std::string data) {
  SimFile& file = files.WriteFile(FullPath(relativePath), std::move(data));
  file.attributes = FILE_ATTRIBUTE_READONLY;
  return file;
}

std::string SimMachine::ProgramFolder() const {
  const std::size_t slash = moduleFileName.find_last_of("\\/");
  std::string folder =
      slash == std::string::npos ? currentDirectory : moduleFileName.substr(0, slash);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

void SimMachine::InstallUsbLibrary(const std::string& folder) {
  std::string where = folder.empty() ? ProgramFolder() : folder;
  while (!where.empty() && where.back() == '\\') where.pop_back();
  files.WriteFile(where + "\\" + kUsbLibraryName, "stand-in USB interface library");
}

void SimMachine::SetSpoolerStartup(int queries) {
  if (SimService* spoolerService = services.Find(kSpoolerService)) {
    spoolerService->startAfterQueries = queries;
  }
}

void SimMachine::SetSpoolerRunning(bool running) {
  if (SimService* spoolerService = services.Find(kSpoolerService)) {
    spoolerService->state = running ? SERVICE_RUNNING : SERVICE_STOPPED;
    spoolerService->pendingQueries = 0;
  }
  SyncSpooler();
}

void SimMachine::Reboot() {
  libraries_.Reset();
  openKeys_.clear();
  openFiles_.clear();
  spooler.SetRunning(false);
  RunPendingRenames();
  // Services start with the system, the spooler as it is told to.
  for (SimService& service : services.services) {
    service.pendingQueries = service.startAfterQueries;
    service.state = service.startAfterQueries == 0 ? SERVICE_RUNNING : SERVICE_START_PENDING;
  }
  restartPending = false;
  SyncSpooler();
}

void SimMachine::RunPendingRenames() {
  // NT: the session manager works through its list before any service, and
  // forgets it.
  if (const RegValue* pending = registry.FindValue(kSessionManagerKey, kPendingRenamesValue)) {
    std::vector<std::string> items;
    std::string item;
    for (char c : pending->data) {
      if (c != '\0') {
        item.push_back(c);
        continue;
      }
      items.push_back(item);
      item.clear();
    }
    auto strip = [](std::string path) {
      if (path.rfind("\\??\\", 0) == 0) path.erase(0, 4);
      return path;
    };
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
      if (items[i].empty()) break;  // the list's end
      const std::string source = strip(items[i]);
      std::string target = items[i + 1];
      const bool replace = !target.empty() && target[0] == '!';
      if (replace) target.erase(0, 1);
      // Nothing holds a file yet: a rename that cannot be done is skipped.
      if (target.empty()) {
        files.Delete(source, true);
      } else {
        files.Move(source, strip(target), replace, true);
      }
    }
    registry.DeleteValue(kSessionManagerKey, kPendingRenamesValue);
  }
  // 9x: WININIT.EXE reads [rename] ("NUL=source" deletes, "target=source"
  // moves) before Windows loads, then keeps the file as WININIT.BAK.
  const std::string wininit = system.windowsDirectory + "\\WININIT.INI";
  if (system.Is9x() && files.Find(wininit) != nullptr) {
    for (const auto& [target, source] : profile.SectionOf(wininit, "rename")) {
      if (EqualsNoCase(target, "NUL")) {
        files.Delete(source, false);
      } else {
        files.Move(source, target, true, false);
      }
    }
    files.Move(wininit, system.windowsDirectory + "\\WININIT.BAK", true, false);
  }
}

// --- Version, restart, pauses -------------------------------------------------

BOOL SimMachine::GetVersionExA(OSVERSIONINFOA* info) {
  if (auto fault = Enter("GetVersionExA")) return Fail(*fault);
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  info->dwMajorVersion = system.major;
  info->dwMinorVersion = system.minor;
  // 9x keeps the version in the build number's high word.
  info->dwBuildNumber = system.Is9x() ? (system.major << 24 | system.minor << 16 | system.build)
                                      : system.build;
  info->dwPlatformId = system.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::strncpy(info->szCSDVersion, system.servicePack.c_str(), sizeof info->szCSDVersion - 1);
  return TRUE;
}

BOOL SimMachine::IsWow64Process(BOOL* wow64) {
  if (auto fault = Enter("IsWow64Process")) return Fail(*fault);
  if (!system.HasIsWow64Process()) return Fail(ERROR_PROC_NOT_FOUND);
  if (wow64 == nullptr) return Fail(ERROR_NOACCESS);
  *wow64 = system.wow64 ? TRUE : FALSE;
  return TRUE;
}

BOOL SimMachine::ExitWindowsEx(UINT flags, DWORD) {
  if (auto fault = Enter("ExitWindowsEx")) return Fail(*fault);
  restartRequests.push_back(RestartRequest{flags, restartRefusal});
  if (restartRefusal != ERROR_SUCCESS) return Fail(restartRefusal);
  restartPending = true;
  return TRUE;
}

void SimMachine::Sleep(DWORD milliseconds) {
  trace.push_back(SimCallRecord{"Sleep", std::to_string(milliseconds)});
  // Sleep cannot fail; a fault named for it only sets the last error.
  if (!faults.pending.empty()) {
    if (auto fault = faults.Take("Sleep")) lastError_ = *fault;
  }
  clock.Sleep(milliseconds);
}

// --- Directories --------------------------------------------------------------

UINT SimMachine::CopyOut(const std::string& text, char* buffer, UINT size) {
  if (text.size() + 1 > size || buffer == nullptr) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

UINT SimMachine::GetSystemDirectoryA(char* buffer, UINT size) {
  if (auto fault = Enter("GetSystemDirectoryA")) return Fail(*fault);
  return CopyOut(system.systemDirectory, buffer, size);
}

UINT SimMachine::GetWindowsDirectoryA(char* buffer, UINT size) {
  if (auto fault = Enter("GetWindowsDirectoryA")) return Fail(*fault);
  return CopyOut(system.windowsDirectory, buffer, size);
}

DWORD SimMachine::GetCurrentDirectoryA(DWORD size, char* buffer) {
  if (auto fault = Enter("GetCurrentDirectoryA")) return Fail(*fault);
  return CopyOut(currentDirectory, buffer, size);
}

DWORD SimMachine::GetModuleFileNameA(char* buffer, DWORD size) {
  if (auto fault = Enter("GetModuleFileNameA")) return Fail(*fault);
  if (size == 0 || buffer == nullptr) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (moduleFileName.size() + 1 > size) {
    std::memcpy(buffer, moduleFileName.data(), size - 1);
    buffer[size - 1] = '\0';
    lastError_ = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::memcpy(buffer, moduleFileName.c_str(), moduleFileName.size() + 1);
  return static_cast<DWORD>(moduleFileName.size());
}

// --- Files ----------------------------------------------------------------------

BOOL SimMachine::CopyFileA(const char* existing, const char* target, BOOL failIfExists) {
  if (auto fault = Enter("CopyFileA", {existing, target})) return Fail(*fault);
  if (existing == nullptr || target == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return Answer(files.Copy(FullPath(existing), FullPath(target), failIfExists != FALSE));
}

BOOL SimMachine::SetFileAttributesA(const char* path, DWORD attributes) {
  if (auto fault = Enter("SetFileAttributesA", {path})) return Fail(*fault);
  if (path == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return Answer(files.SetAttributes(FullPath(path), attributes));
}

bool SimMachine::ListFolder(const char* folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  if (auto fault = Enter("ListFolder", {folder})) {
    Fail(*fault);
    return false;
  }
  std::vector<std::pair<std::string, DWORD>> found;
  if (!files.List(FullPath(Text(folder)), found)) {
    Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  for (auto& [name, attributes] : found) entries.push_back({std::move(name), {}, attributes});
  SetLastError(ERROR_SUCCESS);
  return true;
}

DWORD SimMachine::GetFileAttributesA(const char* path) {
  if (auto fault = Enter("GetFileAttributesA", {path})) {
    Fail(*fault);
    return INVALID_FILE_ATTRIBUTES;
  }
  const SimFileSystem::Look look = files.LookAt(FullPath(Text(path)));
  if (look.file != nullptr) {
    return look.file->attributes == 0 ? FILE_ATTRIBUTE_NORMAL : look.file->attributes;
  }
  if (look.folder) return FILE_ATTRIBUTE_DIRECTORY;
  Fail(look.parentFolder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
  return INVALID_FILE_ATTRIBUTES;
}

const SimFile* SimMachine::ExistingFile(const std::string& full) {
  const SimFile* file = files.Find(full);
  if (file == nullptr) {
    Fail((files.ParentExists(full) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND));
    return nullptr;
  }
  if (file->denied) {
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

FileHandle SimMachine::CreateFileA(const char* path, DWORD access, DWORD, DWORD creation, DWORD) {
  if (auto fault = Enter("CreateFileA", {path})) {
    Fail(*fault);
    return kInvalidFile;
  }
  const std::string full = FullPath(Text(path));
  if (creation != OPEN_EXISTING) {
    Fail(ERROR_CALL_NOT_IMPLEMENTED);
    return kInvalidFile;
  }
  const SimFile* file = ExistingFile(full);
  if (file == nullptr) return kInvalidFile;
  // Opening with no access rights is allowed even while another process
  // holds the file; reading or writing it is not. A loaded module can be
  // read but not written.
  if ((file->inUse && access != 0) || (files.IsMapped(full) && (access & GENERIC_WRITE) != 0)) {
    Fail(ERROR_SHARING_VIOLATION);
    return kInvalidFile;
  }
  const std::uintptr_t handle = nextHandle_++;
  openFiles_[handle] = full;
  return AsHandle(handle);
}

BOOL SimMachine::CloseHandle(FileHandle handle) {
  if (auto fault = Enter("CloseHandle")) return Fail(*fault);
  return openFiles_.erase(AsValue(handle)) != 0 ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

const SimFile* SimMachine::FileToRead(const char* path, const char* alsoCall) {
  std::optional<DWORD> fault = Enter("ReadWholeFile", {path});
  // A fault named for the looking-again call fires there only.
  if (!fault && alsoCall != nullptr && !faults.pending.empty()) fault = faults.Take(alsoCall, {path});
  if (fault) {
    Fail(*fault);
    return nullptr;
  }
  const SimFile* file = ExistingFile(FullPath(Text(path)));
  if (file == nullptr) return nullptr;
  if (file->inUse) {
    Fail(ERROR_SHARING_VIOLATION);
    return nullptr;
  }
  return file;
}

bool SimMachine::ReadWholeFile(const char* path, std::string& contents) {
  const SimFile* file = FileToRead(path);
  if (file == nullptr) return false;
  contents = file->data;
  return true;
}

// The same call as ReadWholeFile to the faults and the counts, without the
// copy of an unchanged file: a distribution's category files are megabytes,
// and each reader looks at them again.
Platform::FileLook SimMachine::ReadWholeFileUnlessSame(const char* path, std::string_view known,
                                                       std::string& contents) {
  const SimFile* file = FileToRead(path, "ReadWholeFileUnlessSame");
  if (file == nullptr) return FileLook::kUnreadable;
  if (file->data == known) return FileLook::kSame;
  contents = file->data;
  return FileLook::kRead;
}

bool SimMachine::GetFileStamp(const char* path, FileStamp&) {
  if (auto fault = Enter("GetFileStamp", {path})) Fail(*fault);
  return false;
}

BOOL SimMachine::GetFileAttributesExA(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  if (auto fault = Enter("GetFileAttributesExA", {path})) return Fail(*fault);
  if (path == nullptr || data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::string full = FullPath(path);
  // The machine keeps no file times: they read as 0.
  WIN32_FILE_ATTRIBUTE_DATA record{};
  if (const SimFile* file = files.Find(full)) {
    record.dwFileAttributes = file->attributes == 0 ? FILE_ATTRIBUTE_NORMAL : file->attributes;
    const std::uint64_t size = file->data.size();
    record.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    record.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  } else if (files.FolderExists(full)) {
    record.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  } else {
    return Fail((files.ParentExists(full) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND));
  }
  *data = record;
  return TRUE;
}

BOOL SimMachine::DeleteFileA(const char* path) {
  if (auto fault = Enter("DeleteFileA", {path})) return Fail(*fault);
  if (path == nullptr || path[0] == '\0') return Fail(ERROR_PATH_NOT_FOUND);
  return Answer(files.Delete(FullPath(path), system.IsNtLike()));
}

BOOL SimMachine::MoveFileExA(const char* path, const char* target, DWORD flags) {
  if (auto fault = Enter("MoveFileExA", {path, target})) return Fail(*fault);
  // The kernel32 of Windows 95/98/Me has the entry as a stub only.
  if (system.Is9x()) return Fail(ERROR_CALL_NOT_IMPLEMENTED);
  if (path == nullptr || path[0] == '\0') return Fail(ERROR_INVALID_PARAMETER);
  const std::string source = FullPath(path);
  if ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0) {
    // Recorded, not checked: the file is looked for at the restart.
    std::string data;
    if (const RegValue* pending = registry.FindValue(kSessionManagerKey, kPendingRenamesValue)) {
      data = pending->data;
      // The list ends in an empty string; the new pair goes before it. A
      // deletion's pair ends in an empty target, which stays.
      if (!data.empty() && data.back() == '\0') data.pop_back();
    }
    data += "\\??\\" + source + std::string(1, '\0');
    if (target != nullptr && target[0] != '\0') {
      data += ((flags & MOVEFILE_REPLACE_EXISTING) != 0 ? "!\\??\\" : "\\??\\") +
              FullPath(target);
    }
    data += std::string(2, '\0');
    registry.SetValue(kSessionManagerKey, kPendingRenamesValue, REG_MULTI_SZ, std::move(data));
    return TRUE;
  }
  if (target == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::string to = FullPath(target);
  if (SimFileSystem::DriveOf(source) != SimFileSystem::DriveOf(to)) {
    if ((flags & MOVEFILE_COPY_ALLOWED) == 0) return Fail(ERROR_NOT_SAME_DEVICE);
    if (DWORD error = files.Copy(source, to, (flags & MOVEFILE_REPLACE_EXISTING) == 0)) {
      return Fail(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error);
    }
    return Answer(files.Delete(source, true));
  }
  return Answer(files.Move(source, to, (flags & MOVEFILE_REPLACE_EXISTING) != 0, true));
}

// --- Registry -------------------------------------------------------------------

const SimMachine::OpenKey* SimMachine::Key(RegKeyHandle key) const {
  auto it = openKeys_.find(AsValue(key));
  return it == openKeys_.end() ? nullptr : &it->second;
}

LONG SimMachine::RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  if (auto fault = Enter("RegOpenKeyExA", {subKey})) return AsLong(*fault);
  if (key == nullptr) return AsLong(ERROR_INVALID_PARAMETER);
  const RegKey* found = registry.FindKey(Text(subKey));
  if (found == nullptr) return AsLong(ERROR_FILE_NOT_FOUND);
  const std::uintptr_t handle = nextHandle_++;
  openKeys_[handle] = OpenKey{found->path, access, SimRegistry::LookupKey(found->path)};
  *key = AsHandle(handle);
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  if (auto fault = Enter("RegCreateKeyExA", {subKey})) return AsLong(*fault);
  if (key == nullptr || SimRegistry::Normalise(Text(subKey)).empty()) {
    return AsLong(ERROR_INVALID_PARAMETER);
  }
  const RegKey& created = registry.CreateKey(Text(subKey));
  const std::uintptr_t handle = nextHandle_++;
  openKeys_[handle] = OpenKey{created.path, access, SimRegistry::LookupKey(created.path)};
  *key = AsHandle(handle);
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegCloseKey(RegKeyHandle key) {
  if (auto fault = Enter("RegCloseKey")) return AsLong(*fault);
  return openKeys_.erase(AsValue(key)) != 0 ? AsLong(ERROR_SUCCESS)
                                            : AsLong(ERROR_INVALID_HANDLE);
}

LONG SimMachine::RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                                  DWORD* size) {
  if (auto fault = Enter("RegQueryValueExA", {name})) return AsLong(*fault);
  const OpenKey* open = Key(key);
  if (open == nullptr) return AsLong(ERROR_INVALID_HANDLE);
  if ((open->access & KEY_QUERY_VALUE) == 0) return AsLong(ERROR_ACCESS_DENIED);
  const RegKey* found = registry.FindByLookupKey(open->lookup);
  if (found == nullptr) return AsLong(ERROR_KEY_DELETED);
  const RegValue* value = found->Value(Text(name));
  if (value == nullptr) return AsLong(ERROR_FILE_NOT_FOUND);
  if (data != nullptr && size == nullptr) return AsLong(ERROR_INVALID_PARAMETER);
  if (type != nullptr) *type = value->type;
  if (size == nullptr) return AsLong(ERROR_SUCCESS);
  const DWORD needed = static_cast<DWORD>(value->data.size());
  if (data == nullptr) {
    *size = needed;
    return AsLong(ERROR_SUCCESS);
  }
  if (*size < needed) {
    *size = needed;
    return AsLong(ERROR_MORE_DATA);
  }
  std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegSetValueExA(RegKeyHandle key, const char* name, DWORD type, const BYTE* data,
                                DWORD size) {
  if (auto fault = Enter("RegSetValueExA", {name})) return AsLong(*fault);
  const OpenKey* open = Key(key);
  if (open == nullptr) return AsLong(ERROR_INVALID_HANDLE);
  if ((open->access & KEY_SET_VALUE) == 0) return AsLong(ERROR_ACCESS_DENIED);
  RegKey* found = registry.FindByLookupKey(open->lookup);
  if (found == nullptr) return AsLong(ERROR_KEY_DELETED);
  if (data == nullptr && size != 0) return AsLong(ERROR_NOACCESS);
  SimRegistry::SetValue(*found, Text(name), type,
                        std::string(reinterpret_cast<const char*>(data), data == nullptr ? 0 : size));
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize,
                               DWORD* type, BYTE* data, DWORD* dataSize) {
  if (auto fault = Enter("RegEnumValueA")) return AsLong(*fault);
  const OpenKey* open = Key(key);
  if (open == nullptr) return AsLong(ERROR_INVALID_HANDLE);
  if ((open->access & KEY_QUERY_VALUE) == 0) return AsLong(ERROR_ACCESS_DENIED);
  const RegKey* found = registry.FindByLookupKey(open->lookup);
  if (found == nullptr) return AsLong(ERROR_KEY_DELETED);
  if (index >= found->values.size()) return AsLong(ERROR_NO_MORE_ITEMS);
  if (name == nullptr || nameSize == nullptr) return AsLong(ERROR_INVALID_PARAMETER);
  const RegValue& value = found->values[index];
  if (value.name.size() + 1 > *nameSize) return AsLong(ERROR_MORE_DATA);
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameSize = static_cast<DWORD>(value.name.size());
  if (type != nullptr) *type = value.type;
  if (dataSize != nullptr) {
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr) {
      if (*dataSize < needed) {
        *dataSize = needed;
        return AsLong(ERROR_MORE_DATA);
      }
      std::memcpy(data, value.data.data(), needed);
    }
    *dataSize = needed;
  }
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegEnumKeyExA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize) {
  if (auto fault = Enter("RegEnumKeyExA")) return AsLong(*fault);
  const OpenKey* open = Key(key);
  if (open == nullptr) return AsLong(ERROR_INVALID_HANDLE);
  if ((open->access & KEY_ENUMERATE_SUB_KEYS) == 0) return AsLong(ERROR_ACCESS_DENIED);
  const RegKey* found = registry.FindByLookupKey(open->lookup);
  if (found == nullptr) return AsLong(ERROR_KEY_DELETED);
  const std::vector<std::string> names = registry.SubKeys(found->path);
  if (index >= names.size()) return AsLong(ERROR_NO_MORE_ITEMS);
  if (name == nullptr || nameSize == nullptr) return AsLong(ERROR_INVALID_PARAMETER);
  const std::string& subKey = names[index];
  if (subKey.size() + 1 > *nameSize) return AsLong(ERROR_MORE_DATA);
  std::memcpy(name, subKey.c_str(), subKey.size() + 1);
  *nameSize = static_cast<DWORD>(subKey.size());
  return AsLong(ERROR_SUCCESS);
}

LONG SimMachine::RegDeleteValueA(RegKeyHandle key, const char* name) {
  if (auto fault = Enter("RegDeleteValueA", {name})) return AsLong(*fault);
  const OpenKey* open = Key(key);
  if (open == nullptr) return AsLong(ERROR_INVALID_HANDLE);
  if ((open->access & KEY_SET_VALUE) == 0) return AsLong(ERROR_ACCESS_DENIED);
  const RegKey* found = registry.FindByLookupKey(open->lookup);
  if (found == nullptr) return AsLong(ERROR_KEY_DELETED);
  return AsLong(registry.DeleteValue(found->path, Text(name)) ? ERROR_SUCCESS
                                                              : ERROR_FILE_NOT_FOUND);
}

LONG SimMachine::RegDeleteKeyA(const char* subKey) {
  if (auto fault = Enter("RegDeleteKeyA", {subKey})) return AsLong(*fault);
  const std::string path = SimRegistry::Normalise(Text(subKey));
  // HKEY_LOCAL_MACHINE itself is never deleted through the seam.
  if (path.empty()) return AsLong(ERROR_INVALID_PARAMETER);
  if (!registry.KeyExists(path)) return AsLong(ERROR_FILE_NOT_FOUND);
  // NT deletes only a key without subkeys; 9x takes the tree.
  if (system.IsNtLike() && !registry.SubKeys(path).empty()) return AsLong(ERROR_ACCESS_DENIED);
  registry.DeleteKey(path);
  return AsLong(ERROR_SUCCESS);
}

// --- Print spooler --------------------------------------------------------------

BOOL SimMachine::GetPrinterDriverDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                            DWORD size, DWORD* needed) {
  if (auto fault = Enter("GetPrinterDriverDirectoryA", {environment})) return Fail(*fault);
  return Answer(spooler.GetDriverDirectory(environment, level, buffer, size, needed));
}

BOOL SimMachine::GetPrintProcessorDirectoryA(const char* environment, DWORD level, BYTE* buffer,
                                             DWORD size, DWORD* needed) {
  if (auto fault = Enter("GetPrintProcessorDirectoryA", {environment})) return Fail(*fault);
  return Answer(spooler.GetProcessorDirectory(environment, level, buffer, size, needed));
}

BOOL SimMachine::AddPrinterDriverA(DWORD level, BYTE* driverInfo) {
  const char* name = level == 3 && driverInfo != nullptr
                         ? reinterpret_cast<DRIVER_INFO_3A*>(driverInfo)->pName
                         : nullptr;
  if (auto fault = Enter("AddPrinterDriverA", {name})) return Fail(*fault);
  return Answer(spooler.AddDriver(level, driverInfo));
}

BOOL SimMachine::AddMonitorA(DWORD level, BYTE* monitorInfo) {
  const auto* monitor =
      level == 2 && monitorInfo != nullptr ? reinterpret_cast<MONITOR_INFO_2A*>(monitorInfo)
                                           : nullptr;
  if (auto fault = Enter("AddMonitorA", {monitor != nullptr ? monitor->pName : nullptr,
                                         monitor != nullptr ? monitor->pDLLName : nullptr})) {
    return Fail(*fault);
  }
  return Answer(spooler.AddMonitor(level, monitorInfo));
}

BOOL SimMachine::AddPrintProcessorA(const char* environment, const char* pathName,
                                    const char* printProcessorName) {
  if (auto fault = Enter("AddPrintProcessorA", {environment, pathName, printProcessorName})) {
    return Fail(*fault);
  }
  return Answer(spooler.AddPrintProcessor(environment, pathName, printProcessorName));
}

PrinterHandle SimMachine::AddPrinterA(DWORD level, BYTE* printerInfo) {
  const char* name = level == 2 && printerInfo != nullptr
                         ? reinterpret_cast<PRINTER_INFO_2A*>(printerInfo)->pPrinterName
                         : nullptr;
  if (auto fault = Enter("AddPrinterA", {name})) {
    Fail(*fault);
    return nullptr;
  }
  PrinterHandle printer = nullptr;
  if (DWORD error = spooler.AddPrinter(level, printerInfo, &printer)) {
    Fail(error);
    return nullptr;
  }
  return printer;
}

BOOL SimMachine::OpenPrinterA(const char* printerName, PrinterHandle* printer) {
  if (auto fault = Enter("OpenPrinterA", {printerName})) return Fail(*fault);
  return Answer(spooler.OpenPrinter(printerName, printer));
}

BOOL SimMachine::OpenPrinterA(const char* printerName, PrinterHandle* printer,
                              DWORD desiredAccess) {
  if (auto fault = Enter("OpenPrinterA", {printerName})) return Fail(*fault);
  return Answer(spooler.OpenPrinter(printerName, printer, desiredAccess));
}

BOOL SimMachine::GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                             DWORD* needed) {
  if (auto fault = Enter("GetPrinterA")) return Fail(*fault);
  return Answer(spooler.GetPrinter(printer, level, buffer, size, needed));
}

BOOL SimMachine::SetPrinterA(PrinterHandle printer, DWORD level, BYTE* info, DWORD command) {
  if (auto fault = Enter("SetPrinterA")) return Fail(*fault);
  return Answer(spooler.SetPrinter(printer, level, info, command));
}

BOOL SimMachine::ClosePrinter(PrinterHandle printer) {
  if (auto fault = Enter("ClosePrinter")) return Fail(*fault);
  return Answer(spooler.ClosePrinter(printer));
}

BOOL SimMachine::EnumPortsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                            DWORD* returned) {
  if (auto fault = Enter("EnumPortsA")) return Fail(*fault);
  return Answer(spooler.EnumPorts(level, buffer, size, needed, returned));
}

BOOL SimMachine::EnumPrintersA(DWORD flags, DWORD level, BYTE* buffer, DWORD size,
                               DWORD* needed, DWORD* returned) {
  if (auto fault = Enter("EnumPrintersA")) return Fail(*fault);
  return Answer(spooler.EnumPrinters(flags, level, buffer, size, needed, returned));
}

BOOL SimMachine::EnumPrinterDriversA(const char* environment, DWORD level, BYTE* buffer,
                                     DWORD size, DWORD* needed, DWORD* returned) {
  if (auto fault = Enter("EnumPrinterDriversA", {environment})) return Fail(*fault);
  return Answer(spooler.EnumDrivers(environment, level, buffer, size, needed, returned));
}

BOOL SimMachine::EnumMonitorsA(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                               DWORD* returned) {
  if (auto fault = Enter("EnumMonitorsA")) return Fail(*fault);
  return Answer(spooler.EnumMonitors(level, buffer, size, needed, returned));
}

BOOL SimMachine::EnumPrintProcessorsA(const char* environment, DWORD level, BYTE* buffer,
                                      DWORD size, DWORD* needed, DWORD* returned) {
  if (auto fault = Enter("EnumPrintProcessorsA", {environment})) return Fail(*fault);
  return Answer(spooler.EnumPrintProcessors(environment, level, buffer, size, needed, returned));
}

BOOL SimMachine::DeletePrinter(PrinterHandle printer) {
  if (auto fault = Enter("DeletePrinter")) return Fail(*fault);
  return Answer(spooler.DeletePrinter(printer));
}

BOOL SimMachine::DeletePrinterDriverA(const char* environment, const char* driverName) {
  if (auto fault = Enter("DeletePrinterDriverA", {environment, driverName})) return Fail(*fault);
  return Answer(spooler.DeleteDriver(environment, driverName, 0, 0, false));
}

BOOL SimMachine::DeletePrinterDriverExA(const char* environment, const char* driverName,
                                        DWORD deleteFlag, DWORD versionFlag) {
  if (auto fault = Enter("DeletePrinterDriverExA", {environment, driverName})) {
    return Fail(*fault);
  }
  // winspool.drv has it from Windows 2000 on; the caller looks it up.
  if (!system.HasSetDefaultPrinter()) return Fail(ERROR_PROC_NOT_FOUND);
  return Answer(spooler.DeleteDriver(environment, driverName, deleteFlag, versionFlag, true));
}

BOOL SimMachine::DeleteMonitorA(const char* environment, const char* monitorName) {
  if (auto fault = Enter("DeleteMonitorA", {environment, monitorName})) return Fail(*fault);
  return Answer(spooler.DeleteMonitor(environment, monitorName));
}

BOOL SimMachine::DeletePrintProcessorA(const char* environment, const char* name) {
  if (auto fault = Enter("DeletePrintProcessorA", {environment, name})) return Fail(*fault);
  return Answer(spooler.DeletePrintProcessor(environment, name));
}

// --- Service control manager -------------------------------------------------

ServiceHandle SimMachine::OpenSCManagerA(DWORD access) {
  if (auto fault = Enter("OpenSCManagerA")) {
    Fail(*fault);
    return nullptr;
  }
  ServiceHandle manager = nullptr;
  if (DWORD error = services.OpenManager(access, &manager)) {
    Fail(error);
    return nullptr;
  }
  return manager;
}

ServiceHandle SimMachine::OpenServiceA(ServiceHandle manager, const char* name, DWORD access) {
  if (auto fault = Enter("OpenServiceA", {name})) {
    Fail(*fault);
    return nullptr;
  }
  ServiceHandle service = nullptr;
  if (DWORD error = services.OpenService(manager, name, access, &service)) {
    Fail(error);
    return nullptr;
  }
  return service;
}

BOOL SimMachine::ControlService(ServiceHandle service, DWORD control, SERVICE_STATUS* status) {
  if (auto fault = Enter("ControlService")) return Fail(*fault);
  const std::vector<DWORD> before = ServiceStates();
  const DWORD error = services.Control(service, control, status);
  LogServiceChanges(before);
  SyncSpooler();
  return Answer(error);
}

BOOL SimMachine::StartServiceA(ServiceHandle service) {
  if (auto fault = Enter("StartServiceA")) return Fail(*fault);
  const std::vector<DWORD> before = ServiceStates();
  const DWORD error = services.Start(service);
  LogServiceChanges(before);
  SyncSpooler();
  return Answer(error);
}

BOOL SimMachine::QueryServiceStatus(ServiceHandle service, SERVICE_STATUS* status) {
  if (auto fault = Enter("QueryServiceStatus")) return Fail(*fault);
  const std::vector<DWORD> before = ServiceStates();
  const DWORD error = services.Query(service, status);
  LogServiceChanges(before);
  SyncSpooler();
  return Answer(error);
}

std::vector<DWORD> SimMachine::ServiceStates() const {
  std::vector<DWORD> states;
  for (const SimService& service : services.services) states.push_back(service.state);
  return states;
}

void SimMachine::LogServiceChanges(const std::vector<DWORD>& before) {
  for (std::size_t i = 0; i < services.services.size() && i < before.size(); ++i) {
    const SimService& service = services.services[i];
    if (service.state != before[i]) {
      serviceLog.push_back(SimServiceEvent{clock.nowMs, service.name, service.state});
    }
  }
}

BOOL SimMachine::CloseServiceHandle(ServiceHandle handle) {
  if (auto fault = Enter("CloseServiceHandle")) return Fail(*fault);
  return Answer(services.Close(handle));
}

// --- Profile and broadcasts -----------------------------------------------------

BOOL SimMachine::WriteProfileStringA(const char* section, const char* key, const char* value) {
  if (auto fault = Enter("WriteProfileStringA", {section, key, value})) return Fail(*fault);
  auto optional = [](const char* text) {
    return text == nullptr ? std::nullopt : std::optional<std::string>(text);
  };
  profile.writes.push_back(ProfileWrite{optional(section), optional(key), optional(value)});
  // A flush (all null) reports zero, as the host documents.
  if (section == nullptr && key == nullptr && value == nullptr) return FALSE;
  return profile.Write(section, key, value) ? TRUE : Fail(ERROR_ACCESS_DENIED);
}

std::string SimMachine::ProfilePath(const char* fileName) const {
  const std::string name = Text(fileName);
  if (name.find('\\') == std::string::npos && name.find('/') == std::string::npos &&
      name.find(':') == std::string::npos) {
    return system.windowsDirectory + "\\" + name;
  }
  return FullPath(name);
}

DWORD SimMachine::GetProfileStringA(const char* section, const char* key,
                                    const char* defaultValue, char* buffer, DWORD size) {
  if (auto fault = Enter("GetProfileStringA", {section, key})) {
    Fail(*fault);
    return 0;
  }
  if (buffer == nullptr || size == 0) return 0;
  std::string text;
  if (section != nullptr && key == nullptr) {
    for (const std::string& name : profile.Keys(section)) text += name + std::string(1, '\0');
  } else {
    std::optional<std::string> value =
        section == nullptr ? std::nullopt : profile.Get(section, key);
    text = value ? *value : Text(defaultValue);
  }
  const bool list = section != nullptr && key == nullptr;
  // A list that does not fit ends in two zeros at size - 2; a value is cut
  // to size - 1 characters.
  const std::size_t room = list ? (size >= 2 ? size - 2 : 0) : size - 1;
  const std::size_t copied = std::min(text.size(), room);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  if (list && copied + 1 < size) buffer[copied + 1] = '\0';
  if (list && text.size() > room) return size - 2;
  return static_cast<DWORD>(copied);
}

BOOL SimMachine::WritePrivateProfileStringA(const char* section, const char* key,
                                            const char* value, const char* fileName) {
  if (auto fault = Enter("WritePrivateProfileStringA", {section, key, value, fileName})) {
    return Fail(*fault);
  }
  if (fileName == nullptr || fileName[0] == '\0') return Fail(ERROR_INVALID_PARAMETER);
  return Answer(profile.WriteTo(ProfilePath(fileName), section, key, value));
}

BOOL SimMachine::WritePrivateProfileSectionA(const char* section, const char* entries,
                                             const char* fileName) {
  if (auto fault = Enter("WritePrivateProfileSectionA", {section, fileName})) {
    return Fail(*fault);
  }
  if (fileName == nullptr || fileName[0] == '\0') return Fail(ERROR_INVALID_PARAMETER);
  return Answer(profile.WriteSectionTo(ProfilePath(fileName), section, entries));
}

BOOL SimMachine::BroadcastWinIniChangeTimeout(const char* text, UINT timeoutMs) {
  if (auto fault = Enter("BroadcastWinIniChangeTimeout", {text})) return Fail(*fault);
  profile.broadcasts.push_back(
      Broadcast{text == nullptr ? std::nullopt : std::optional<std::string>(text), true,
                timeoutMs});
  return TRUE;
}

BOOL SimMachine::BroadcastWinIniChangeNotify(const char* text) {
  if (auto fault = Enter("BroadcastWinIniChangeNotify", {text})) return Fail(*fault);
  profile.broadcasts.push_back(
      Broadcast{text == nullptr ? std::nullopt : std::optional<std::string>(text), false, 0});
  return TRUE;
}

// --- Run-time libraries ---------------------------------------------------------

std::string SimMachine::FindLibrary(const std::string& name) const {
  if (name.find('\\') != std::string::npos || name.find(':') != std::string::npos) {
    const std::string full = FullPath(name);
    return files.Find(full) != nullptr ? full : std::string();
  }
  for (std::string folder : {ProgramFolder(), system.systemDirectory, system.windowsDirectory,
                             currentDirectory}) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const std::string path = folder + "\\" + name;
    if (files.Find(path) != nullptr) return files.Find(path)->path;
  }
  return {};
}

ModuleHandle SimMachine::LoadLibraryA(const char* fileName) {
  if (auto fault = Enter("LoadLibraryA", {fileName})) {
    Fail(*fault);
    return nullptr;
  }
  const std::string path = FindLibrary(Text(fileName));
  if (path.empty()) {
    Fail(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return libraries_.Load(path);
}

ProcAddress SimMachine::GetProcAddress(ModuleHandle module, const char* procName) {
  if (auto fault = Enter("GetProcAddress", {procName})) {
    Fail(*fault);
    return nullptr;
  }
  const SimModule* loaded = libraries_.Find(module);
  if (loaded == nullptr) {
    Fail(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const std::string file = SimFileSystem::Name(loaded->path);
  const std::string entry = Text(procName);
  const bool exported =
      (EqualsNoCase(file, kWinspool) && entry == "SetDefaultPrinterA" &&
       system.HasSetDefaultPrinter()) ||
      (EqualsNoCase(file, kUsbLibraryName) && usb.Exports(entry));
  if (!exported) {
    Fail(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return libraries_.Export(module, entry);
}

BOOL SimMachine::FreeLibrary(ModuleHandle module) {
  if (auto fault = Enter("FreeLibrary")) return Fail(*fault);
  return libraries_.Free(module) ? TRUE : Fail(ERROR_MOD_NOT_FOUND);
}

void SimMachine::CheckEntry(ProcAddress proc, const char* call, const char* module,
                            const char* entry) const {
  const auto [file, name] = libraries_.Resolve(proc, call);
  if (file != LowerAscii(module) || name != entry) {
    throw SimCrash(std::string(call) + " through \"" + name + "\" of " + file);
  }
}

BOOL SimMachine::CallSetDefaultPrinterA(ProcAddress proc, const char* printerName) {
  CheckEntry(proc, "CallSetDefaultPrinterA", kWinspool, "SetDefaultPrinterA");
  if (auto fault = Enter("CallSetDefaultPrinterA", {printerName})) return Fail(*fault);
  return Answer(spooler.SetDefaultPrinter(printerName));
}

std::int32_t SimMachine::CallOpenDeviceX(ProcAddress proc, std::int32_t index) {
  CheckEntry(proc, "CallOpenDeviceX", kUsbLibraryName, "OpenDeviceX");
  if (auto fault = Enter("CallOpenDeviceX")) {
    Fail(*fault);
    return -1;
  }
  return usb.OpenDeviceX(index);
}

std::int32_t SimMachine::CallGetDescriptor(ProcAddress proc, std::int32_t device, BYTE* buffer) {
  CheckEntry(proc, "CallGetDescriptor", kUsbLibraryName, "GetDescriptor");
  if (auto fault = Enter("CallGetDescriptor")) {
    Fail(*fault);
    return 0;
  }
  return usb.GetDescriptor(device, buffer);
}

std::int32_t SimMachine::CallUWrite(ProcAddress proc, std::int32_t device, std::int32_t reserved,
                                    const BYTE* data, std::int32_t length) {
  CheckEntry(proc, "CallUWrite", kUsbLibraryName, "uWrite");
  if (auto fault = Enter("CallUWrite")) {
    Fail(*fault);
    return 0;
  }
  return usb.UWrite(device, reserved, data, length);
}

void SimMachine::CallCloseDevice(ProcAddress proc, std::int32_t device) {
  CheckEntry(proc, "CallCloseDevice", kUsbLibraryName, "CloseDevice");
  if (auto fault = Enter("CallCloseDevice")) {
    Fail(*fault);
    return;
  }
  usb.CloseDevice(device);
}

// --- User interaction -------------------------------------------------------------

PSECURITY_DESCRIPTOR SimMachine::ConvertStringSecurityDescriptor(const char* sddl) {
  if (auto fault = Enter("ConvertStringSecurityDescriptor", {sddl})) {
    Fail(*fault);
    return nullptr;
  }
  if (sddl == nullptr || !IsValidSddl(sddl)) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  // The simulated descriptor is the text itself, owned until freed.
  auto descriptor = std::make_unique<std::string>(sddl);
  const void* key = descriptor.get();
  descriptors_.emplace(key, std::move(descriptor));
  return const_cast<void*>(key);
}

void SimMachine::FreeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  // LocalFree has no failure the caller sees; a fault only sets the error.
  if (auto fault = Enter("FreeSecurityDescriptor")) Fail(*fault);
  descriptors_.erase(descriptor);
}

int SimMachine::MessageBoxA(const char* text, const char* caption, UINT type) {
  if (auto fault = Enter("MessageBoxA", {text})) {
    Fail(*fault);
    return 0;
  }
  return ui.Show(Text(text), Text(caption), type);
}

WindowHandle SimMachine::FindWindowA(const char* className, const char* windowName) {
  if (auto fault = Enter("FindWindowA", {className, windowName})) Fail(*fault);
  return nullptr;  // no other program has a window here
}

bool SimMachine::ActivateWindow(WindowHandle) {
  if (auto fault = Enter("ActivateWindow")) Fail(*fault);
  return false;
}

bool SimMachine::ShellOpen(const char* file, int showCommand) {
  const std::string show = std::to_string(showCommand);
  if (auto fault = Enter("ShellOpen", {file, show.c_str()})) return Fail(*fault) != FALSE;
  shellOpened.push_back(Text(file));
  return files.Find(FullPath(Text(file))) != nullptr;
}

}  // namespace setwell::sim
