#include "sim/SimMachine.h"

#include <cstring>

#include "sim/Sddl.h"

namespace setwell::sim {
namespace {

void* AsHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }
std::uintptr_t AsValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

}  // namespace

SimMachine::SimMachine() {
  files.MakeFolder(systemDirectory);
  files.MakeFolder(currentDirectory);
}

std::string SimMachine::FullPath(const std::string& path) const {
  // "X:\..." and "\\server\..." are absolute; anything else hangs off the
  // current directory.
  if (path.size() >= 2 && path[1] == ':') return path;
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    return currentDirectory.substr(0, 2) + path;
  }
  std::string base = currentDirectory;
  if (!base.empty() && base.back() != '\\') base.push_back('\\');
  return base + path;
}

BOOL SimMachine::GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  info->dwMajorVersion = version.major;
  info->dwMinorVersion = version.minor;
  info->dwBuildNumber = version.build;
  info->dwPlatformId = version.platformId;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

BOOL SimMachine::ExitWindowsEx(UINT, DWORD) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }

UINT SimMachine::CopyOut(const std::string& text, char* buffer, UINT size) {
  if (text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

UINT SimMachine::GetSystemDirectoryA(char* buffer, UINT size) {
  return CopyOut(systemDirectory, buffer, size);
}

UINT SimMachine::GetWindowsDirectoryA(char* buffer, UINT size) {
  return CopyOut(windowsDirectory, buffer, size);
}

DWORD SimMachine::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return CopyOut(currentDirectory, buffer, size);
}

DWORD SimMachine::GetModuleFileNameA(char* buffer, DWORD size) {
  if (size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (moduleFileName.size() + 1 > size) {
    std::memcpy(buffer, moduleFileName.data(), size - 1);
    buffer[size - 1] = '\0';
    lastError_ = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::memcpy(buffer, moduleFileName.c_str(), moduleFileName.size() + 1);
  return static_cast<DWORD>(moduleFileName.size());
}

BOOL SimMachine::CopyFileA(const char* existing, const char* target, BOOL failIfExists) {
  DWORD error = files.Copy(FullPath(Text(existing)), FullPath(Text(target)), failIfExists != FALSE);
  return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL SimMachine::SetFileAttributesA(const char* path, DWORD attributes) {
  SimFile* file = files.Find(FullPath(Text(path)));
  if (file == nullptr) return Fail(ERROR_FILE_NOT_FOUND);
  if (file->denied) return Fail(ERROR_ACCESS_DENIED);
  file->attributes = attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes;
  return TRUE;
}

DWORD SimMachine::GetFileAttributesA(const char* path) {
  std::string full = FullPath(Text(path));
  if (const SimFile* file = files.Find(full)) {
    return file->attributes == 0 ? FILE_ATTRIBUTE_NORMAL : file->attributes;
  }
  if (files.FolderExists(full)) return FILE_ATTRIBUTE_DIRECTORY;
  lastError_ = ERROR_FILE_NOT_FOUND;
  return INVALID_FILE_ATTRIBUTES;
}

FileHandle SimMachine::CreateFileA(const char* path, DWORD access, DWORD, DWORD creation, DWORD) {
  std::string full = FullPath(Text(path));
  if (creation != OPEN_EXISTING) {
    lastError_ = ERROR_CALL_NOT_IMPLEMENTED;
    return kInvalidFile;
  }
  const SimFile* file = files.Find(full);
  if (file == nullptr) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return kInvalidFile;
  }
  if (file->denied) {
    lastError_ = ERROR_ACCESS_DENIED;
    return kInvalidFile;
  }
  // Opening with no access rights is allowed even while another process
  // holds the file; reading or writing it is not.
  if (file->inUse && access != 0) {
    lastError_ = ERROR_SHARING_VIOLATION;
    return kInvalidFile;
  }
  std::uintptr_t handle = nextHandle_++;
  openFiles_[handle] = full;
  return AsHandle(handle);
}

BOOL SimMachine::CloseHandle(FileHandle handle) {
  return openFiles_.erase(AsValue(handle)) != 0 ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

bool SimMachine::ReadWholeFile(const char* path, std::string& contents) {
  const SimFile* file = files.Find(FullPath(Text(path)));
  if (file == nullptr) return Fail(ERROR_FILE_NOT_FOUND) != FALSE;
  if (file->denied) return Fail(ERROR_ACCESS_DENIED) != FALSE;
  contents = file->data;
  return true;
}

const std::string* SimMachine::KeyPath(RegKeyHandle key) const {
  auto it = openKeys_.find(AsValue(key));
  return it == openKeys_.end() ? nullptr : &it->second;
}

LONG SimMachine::RegOpenKeyExA(const char* subKey, REGSAM, RegKeyHandle* key) {
  if (key == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const RegKey* found = registry.FindKey(Text(subKey));
  if (found == nullptr) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  std::uintptr_t handle = nextHandle_++;
  openKeys_[handle] = found->path;
  *key = AsHandle(handle);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimMachine::RegCreateKeyExA(const char* subKey, REGSAM, RegKeyHandle* key) {
  if (key == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const RegKey& created = registry.CreateKey(Text(subKey));
  std::uintptr_t handle = nextHandle_++;
  openKeys_[handle] = created.path;
  *key = AsHandle(handle);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimMachine::RegCloseKey(RegKeyHandle key) {
  return openKeys_.erase(AsValue(key)) != 0 ? static_cast<LONG>(ERROR_SUCCESS)
                                            : static_cast<LONG>(ERROR_INVALID_HANDLE);
}

LONG SimMachine::RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                                  DWORD* size) {
  const std::string* path = KeyPath(key);
  if (path == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (!registry.KeyExists(*path)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  const RegValue* value = registry.FindValue(*path, Text(name));
  if (value == nullptr) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  if (type != nullptr) *type = value->type;
  if (data != nullptr && size == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  if (size == nullptr) return static_cast<LONG>(ERROR_SUCCESS);
  const DWORD needed = static_cast<DWORD>(value->data.size());
  if (data == nullptr) {
    *size = needed;
    return static_cast<LONG>(ERROR_SUCCESS);
  }
  if (*size < needed) {
    *size = needed;
    return static_cast<LONG>(ERROR_MORE_DATA);
  }
  std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimMachine::RegSetValueExA(RegKeyHandle key, const char* name, DWORD type, const BYTE* data,
                                DWORD size) {
  const std::string* path = KeyPath(key);
  if (path == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (!registry.KeyExists(*path)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  if (data == nullptr && size != 0) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  registry.SetValue(*path, Text(name), type,
                    std::string(reinterpret_cast<const char*>(data), data == nullptr ? 0 : size));
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimMachine::RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize,
                               DWORD* type, BYTE* data, DWORD* dataSize) {
  const std::string* path = KeyPath(key);
  if (path == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  const RegKey* found = registry.FindKey(*path);
  if (found == nullptr) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  if (index >= found->values.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
  if (name == nullptr || nameSize == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const RegValue& value = found->values[index];
  if (value.name.size() + 1 > *nameSize) return static_cast<LONG>(ERROR_MORE_DATA);
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameSize = static_cast<DWORD>(value.name.size());
  if (type != nullptr) *type = value.type;
  if (dataSize != nullptr) {
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr) {
      if (*dataSize < needed) {
        *dataSize = needed;
        return static_cast<LONG>(ERROR_MORE_DATA);
      }
      std::memcpy(data, value.data.data(), needed);
    }
    *dataSize = needed;
  }
  return static_cast<LONG>(ERROR_SUCCESS);
}

// The print spooler, the service control manager, profile writes, run-time
// libraries and the help window are not simulated yet.
BOOL SimMachine::GetPrinterDriverDirectoryA(const char*, DWORD, BYTE*, DWORD, DWORD*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::GetPrintProcessorDirectoryA(const char*, DWORD, BYTE*, DWORD, DWORD*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::AddPrinterDriverA(DWORD, BYTE*) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::AddMonitorA(DWORD, BYTE*) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::AddPrintProcessorA(const char*, const char*, const char*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
PrinterHandle SimMachine::AddPrinterA(DWORD, BYTE*) {
  Fail(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}
BOOL SimMachine::OpenPrinterA(const char*, PrinterHandle*) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::GetPrinterA(PrinterHandle, DWORD, BYTE*, DWORD, DWORD*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::SetPrinterA(PrinterHandle, DWORD, BYTE*, DWORD) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::ClosePrinter(PrinterHandle) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::EnumPortsA(DWORD, BYTE*, DWORD, DWORD*, DWORD*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
ServiceHandle SimMachine::OpenSCManagerA(DWORD) {
  Fail(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}
ServiceHandle SimMachine::OpenServiceA(ServiceHandle, const char*, DWORD) {
  Fail(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}
BOOL SimMachine::ControlService(ServiceHandle, DWORD, SERVICE_STATUS*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::StartServiceA(ServiceHandle) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::QueryServiceStatus(ServiceHandle, SERVICE_STATUS*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::CloseServiceHandle(ServiceHandle) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL SimMachine::WriteProfileStringA(const char*, const char*, const char*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::BroadcastWinIniChangeTimeout(const char*, UINT) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
BOOL SimMachine::BroadcastWinIniChangeNotify(const char*) { return Fail(ERROR_CALL_NOT_IMPLEMENTED); }
ModuleHandle SimMachine::LoadLibraryA(const char*) {
  Fail(ERROR_MOD_NOT_FOUND);
  return nullptr;
}
ProcAddress SimMachine::GetProcAddress(ModuleHandle, const char*) {
  Fail(ERROR_INVALID_HANDLE);
  return nullptr;
}
BOOL SimMachine::FreeLibrary(ModuleHandle) { return Fail(ERROR_INVALID_HANDLE); }
BOOL SimMachine::CallSetDefaultPrinterA(ProcAddress, const char*) {
  return Fail(ERROR_CALL_NOT_IMPLEMENTED);
}
std::int32_t SimMachine::CallOpenDeviceX(ProcAddress, std::int32_t) { return 0; }
std::int32_t SimMachine::CallGetDescriptor(ProcAddress, std::int32_t, BYTE*) { return 0; }
std::int32_t SimMachine::CallUWrite(ProcAddress, std::int32_t, std::int32_t, const BYTE*,
                                    std::int32_t) {
  return 0;
}
void SimMachine::CallCloseDevice(ProcAddress, std::int32_t) {}

PSECURITY_DESCRIPTOR SimMachine::ConvertStringSecurityDescriptor(const char* sddl) {
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
  descriptors_.erase(descriptor);
}

int SimMachine::MessageBoxA(const char* text, const char* caption, UINT type) {
  MessageBoxRecord record{Text(text), Text(caption), type, IDOK};
  if ((type & 0xF) != MB_OK) {
    if (!answers.empty()) {
      record.answer = answers.front();
      answers.pop_front();
    } else {
      record.answer = 0;  // unanswered question: visible to the test
    }
  }
  messageBoxes.push_back(record);
  return record.answer;
}

WindowHandle SimMachine::FindWindowA(const char*, const char*) { return nullptr; }
bool SimMachine::ActivateWindow(WindowHandle) { return false; }
bool SimMachine::ShellOpen(const char*) { return false; }

}  // namespace setwell::sim
