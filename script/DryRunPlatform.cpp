#include "script/DryRunPlatform.h"

#include <algorithm>

namespace setwell::install {
namespace {

// The rights that let a registry key or a printer be changed.
constexpr REGSAM kKeyChangeRights = KEY_SET_VALUE | 0x0004 /* KEY_CREATE_SUB_KEY */ |
                                    0x00010000 /* DELETE */ | 0x00040000 /* WRITE_DAC */ |
                                    0x00080000 /* WRITE_OWNER */ | 0x0020 /* KEY_CREATE_LINK */;

}  // namespace

DryRunPlatform::~DryRunPlatform() = default;

BOOL DryRunPlatform::NotMade(const char* call) {
  notMade_.emplace_back(call);
  host_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

void* DryRunPlatform::OwnHandle() {
  // The address of an allocation of ours is no handle the host gave out.
  own_.push_back(std::make_unique<char>('\0'));
  return own_.back().get();
}

bool DryRunPlatform::IsOwn(const void* handle) const {
  return handle != nullptr &&
         std::any_of(own_.begin(), own_.end(), [&](const auto& own) { return own.get() == handle; });
}

void DryRunPlatform::DropOwn(const void* handle) {
  own_.erase(std::remove_if(own_.begin(), own_.end(),
                            [&](const auto& own) { return own.get() == handle; }),
             own_.end());
}

BOOL DryRunPlatform::ExitWindowsEx(UINT, DWORD) { return NotMade("ExitWindowsEx"); }
void DryRunPlatform::Sleep(DWORD) { notMade_.emplace_back("Sleep"); }

BOOL DryRunPlatform::CopyFileA(const char*, const char*, BOOL) { return NotMade("CopyFileA"); }
BOOL DryRunPlatform::SetFileAttributesA(const char*, DWORD) {
  return NotMade("SetFileAttributesA");
}

FileHandle DryRunPlatform::CreateFileA(const char* path, DWORD access, DWORD share,
                                       DWORD creation, DWORD flags) {
  if (creation == OPEN_EXISTING && (access & ~GENERIC_READ) == 0) {
    return host_.CreateFileA(path, access, share, creation, flags);
  }
  notMade_.emplace_back("CreateFileA");
  host_.SetLastError(ERROR_ACCESS_DENIED);
  return kInvalidFile;
}

BOOL DryRunPlatform::DeleteFileA(const char*) { return NotMade("DeleteFileA"); }
BOOL DryRunPlatform::MoveFileExA(const char*, const char*, DWORD) {
  return NotMade("MoveFileExA");
}

LONG DryRunPlatform::RegOpenKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  // Read rights only: the key may not be changed through this handle.
  const REGSAM read = (access & ~kKeyChangeRights) | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  return host_.RegOpenKeyExA(subKey, read, key);
}

LONG DryRunPlatform::RegCreateKeyExA(const char* subKey, REGSAM access, RegKeyHandle* key) {
  notMade_.emplace_back("RegCreateKeyExA");
  if (RegOpenKeyExA(subKey, access, key) == ERROR_SUCCESS) return ERROR_SUCCESS;
  *key = OwnHandle();
  return ERROR_SUCCESS;
}

LONG DryRunPlatform::RegCloseKey(RegKeyHandle key) {
  if (IsOwn(key)) {
    DropOwn(key);
    return ERROR_SUCCESS;
  }
  return host_.RegCloseKey(key);
}

LONG DryRunPlatform::RegQueryValueExA(RegKeyHandle key, const char* name, DWORD* type, BYTE* data,
                                      DWORD* size) {
  if (IsOwn(key)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  return host_.RegQueryValueExA(key, name, type, data, size);
}

LONG DryRunPlatform::RegSetValueExA(RegKeyHandle, const char*, DWORD, const BYTE*, DWORD) {
  notMade_.emplace_back("RegSetValueExA");
  return ERROR_SUCCESS;
}

LONG DryRunPlatform::RegEnumValueA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize,
                                   DWORD* type, BYTE* data, DWORD* dataSize) {
  if (IsOwn(key)) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
  return host_.RegEnumValueA(key, index, name, nameSize, type, data, dataSize);
}

LONG DryRunPlatform::RegEnumKeyExA(RegKeyHandle key, DWORD index, char* name, DWORD* nameSize) {
  if (IsOwn(key)) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
  return host_.RegEnumKeyExA(key, index, name, nameSize);
}

LONG DryRunPlatform::RegDeleteValueA(RegKeyHandle, const char*) {
  notMade_.emplace_back("RegDeleteValueA");
  return ERROR_SUCCESS;
}

LONG DryRunPlatform::RegDeleteKeyA(const char*) {
  notMade_.emplace_back("RegDeleteKeyA");
  return ERROR_SUCCESS;
}

BOOL DryRunPlatform::AddPrinterDriverA(DWORD, BYTE*) { return NotMade("AddPrinterDriverA"); }
BOOL DryRunPlatform::AddMonitorA(DWORD, BYTE*) { return NotMade("AddMonitorA"); }
BOOL DryRunPlatform::AddPrintProcessorA(const char*, const char*, const char*) {
  return NotMade("AddPrintProcessorA");
}

PrinterHandle DryRunPlatform::AddPrinterA(DWORD level, BYTE* printerInfo) {
  if (level == 2 && printerInfo != nullptr) {
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(printerInfo);
    printersAdded_.emplace_back(info->pPrinterName != nullptr ? info->pPrinterName : "");
  }
  NotMade("AddPrinterA");
  return OwnHandle();
}

BOOL DryRunPlatform::OpenPrinterA(const char* printerName, PrinterHandle* printer, DWORD) {
  return host_.OpenPrinterA(printerName, printer);
}

BOOL DryRunPlatform::GetPrinterA(PrinterHandle printer, DWORD level, BYTE* buffer, DWORD size,
                                 DWORD* needed) {
  if (IsOwn(printer)) {
    host_.SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return host_.GetPrinterA(printer, level, buffer, size, needed);
}

BOOL DryRunPlatform::SetPrinterA(PrinterHandle, DWORD, BYTE*, DWORD) {
  return NotMade("SetPrinterA");
}

BOOL DryRunPlatform::ClosePrinter(PrinterHandle printer) {
  if (IsOwn(printer)) {
    DropOwn(printer);
    return TRUE;
  }
  return host_.ClosePrinter(printer);
}

BOOL DryRunPlatform::DeletePrinter(PrinterHandle) { return NotMade("DeletePrinter"); }
BOOL DryRunPlatform::DeletePrinterDriverA(const char*, const char*) {
  return NotMade("DeletePrinterDriverA");
}
BOOL DryRunPlatform::DeletePrinterDriverExA(const char*, const char*, DWORD, DWORD) {
  return NotMade("DeletePrinterDriverExA");
}
BOOL DryRunPlatform::DeleteMonitorA(const char*, const char*) { return NotMade("DeleteMonitorA"); }
BOOL DryRunPlatform::DeletePrintProcessorA(const char*, const char*) {
  return NotMade("DeletePrintProcessorA");
}

ServiceHandle DryRunPlatform::OpenSCManagerA(DWORD) {
  return host_.OpenSCManagerA(0x0001 /* SC_MANAGER_CONNECT */);
}

ServiceHandle DryRunPlatform::OpenServiceA(ServiceHandle manager, const char* name, DWORD) {
  return host_.OpenServiceA(manager, name, 0x0004 /* SERVICE_QUERY_STATUS */);
}

BOOL DryRunPlatform::ControlService(ServiceHandle service, DWORD, SERVICE_STATUS* status) {
  if (status != nullptr) host_.QueryServiceStatus(service, status);
  return NotMade("ControlService");
}

BOOL DryRunPlatform::StartServiceA(ServiceHandle) { return NotMade("StartServiceA"); }

BOOL DryRunPlatform::WriteProfileStringA(const char*, const char*, const char*) {
  return NotMade("WriteProfileStringA");
}
BOOL DryRunPlatform::WritePrivateProfileStringA(const char*, const char*, const char*,
                                                const char*) {
  return NotMade("WritePrivateProfileStringA");
}
BOOL DryRunPlatform::WritePrivateProfileSectionA(const char*, const char*, const char*) {
  return NotMade("WritePrivateProfileSectionA");
}
BOOL DryRunPlatform::BroadcastWinIniChangeTimeout(const char*, UINT) {
  return NotMade("BroadcastWinIniChangeTimeout");
}
BOOL DryRunPlatform::BroadcastWinIniChangeNotify(const char*) {
  return NotMade("BroadcastWinIniChangeNotify");
}
BOOL DryRunPlatform::CallSetDefaultPrinterA(ProcAddress, const char*) {
  return NotMade("CallSetDefaultPrinterA");
}

std::int32_t DryRunPlatform::CallUWrite(ProcAddress, std::int32_t, std::int32_t, const BYTE*,
                                        std::int32_t length) {
  notMade_.emplace_back("CallUWrite");
  return length;
}

int DryRunPlatform::MessageBoxA(const char* text, const char* caption, UINT type) {
  return boxes_.Show(text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

}  // namespace setwell::install
