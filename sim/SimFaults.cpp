#include "sim/SimFaults.h"

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

// Every Platform call but GetLastError and SetLastError, which are the
// errors themselves.
const char* const kCalls[] = {
    "GetVersionExA", "IsWow64Process", "ExitWindowsEx", "Sleep", "GetSystemDirectoryA",
    "GetWindowsDirectoryA", "GetCurrentDirectoryA", "GetModuleFileNameA", "CopyFileA",
    "SetFileAttributesA", "GetFileAttributesA", "CreateFileA", "CloseHandle", "ReadWholeFile",
    "ListFolder",
    "ReadWholeFileUnlessSame", "GetFileStamp", "GetFileAttributesExA", "DeleteFileA",
    "MoveFileExA", "RegOpenKeyExA", "RegCreateKeyExA", "RegCloseKey", "RegQueryValueExA",
    "RegSetValueExA", "RegEnumValueA", "RegEnumKeyExA", "RegDeleteValueA", "RegDeleteKeyA",
    "GetPrinterDriverDirectoryA", "GetPrintProcessorDirectoryA", "AddPrinterDriverA",
    "AddMonitorA", "AddPrintProcessorA", "AddPrinterA", "OpenPrinterA", "GetPrinterA",
    "SetPrinterA", "ClosePrinter", "EnumPortsA", "EnumPrintersA", "EnumPrinterDriversA",
    "EnumMonitorsA", "EnumPrintProcessorsA", "DeletePrinter", "DeletePrinterDriverA",
    "DeletePrinterDriverExA", "DeleteMonitorA", "DeletePrintProcessorA", "OpenSCManagerA",
    "OpenServiceA", "ControlService", "StartServiceA", "QueryServiceStatus", "CloseServiceHandle",
    "WriteProfileStringA", "GetProfileStringA", "WritePrivateProfileStringA",
    "WritePrivateProfileSectionA", "BroadcastWinIniChangeTimeout", "BroadcastWinIniChangeNotify",
    "LoadLibraryA", "GetProcAddress", "FreeLibrary", "CallSetDefaultPrinterA", "CallOpenDeviceX",
    "CallGetDescriptor", "CallUWrite", "CallCloseDevice", "ConvertStringSecurityDescriptor",
    "FreeSecurityDescriptor", "MessageBoxA", "FindWindowA", "ActivateWindow", "ShellOpen"};

}  // namespace

bool SimFaults::IsKnownCall(const std::string& call) {
  for (const char* known : kCalls) {
    if (call == known) return true;
  }
  return false;
}

void SimFaults::FailOnce(const std::string& call, DWORD error, const std::string& match) {
  FailTimes(call, error, 1, match);
}

void SimFaults::FailTimes(const std::string& call, DWORD error, int times,
                          const std::string& match) {
  if (!IsKnownCall(call)) throw std::invalid_argument("no Platform call named " + call);
  pending.push_back(SimFault{call, error, times, match});
}

void SimFaults::FailAlways(const std::string& call, DWORD error, const std::string& match) {
  FailTimes(call, error, SimFault::kAlways, match);
}

std::optional<DWORD> SimFaults::Take(const std::string& call,
                                     std::initializer_list<const char*> arguments) {
  for (auto it = pending.begin(); it != pending.end(); ++it) {
    if (it->call != call) continue;
    if (!it->match.empty()) {
      bool matched = false;
      for (const char* argument : arguments) {
        if (argument != nullptr && ContainsNoCase(argument, it->match)) matched = true;
      }
      if (!matched) continue;
    }
    const DWORD error = it->error;
    if (it->remaining != SimFault::kAlways && --it->remaining <= 0) pending.erase(it);
    fired.push_back(call + ": " + std::to_string(error));
    return error;
  }
  return std::nullopt;
}

void SimFaults::Save(SimRecordFile& record) const {
  for (const SimFault& fault : pending) {
    SimRecordFile::Section& section = record.Add("fault", fault.call);
    section.Add("error", std::to_string(fault.error));
    section.Add("times", fault.remaining == SimFault::kAlways ? std::string("always")
                                                              : std::to_string(fault.remaining));
    if (!fault.match.empty()) section.Add("match", fault.match);
  }
  if (fired.empty()) return;
  SimRecordFile::Section& log = record.Add("faults-fired");
  for (const std::string& line : fired) log.Add("fired", line);
}

bool SimFaults::Load(const SimRecordFile& record, std::string* error) {
  pending.clear();
  fired.clear();
  for (const SimRecordFile::Section& section : record.Sections()) {
    if (section.kind == "fault") {
      std::optional<std::uint64_t> number = ParseNumber(section.GetOr("error", ""));
      const std::string times = section.GetOr("times", "1");
      std::optional<std::uint64_t> count = ParseNumber(times);
      // A fault fires 1 to INT_MAX times, or always; an error is a DWORD.
      const bool countOk = count ? *count >= 1 && *count <= INT_MAX : times == "always";
      if (!IsKnownCall(section.name) || !number || *number > 0xFFFFFFFFu || !countOk) {
        if (error != nullptr) *error = section.Where() + "bad fault " + section.name;
        return false;
      }
      pending.push_back(SimFault{section.name, static_cast<DWORD>(*number),
                                 count ? static_cast<int>(*count) : SimFault::kAlways,
                                 section.GetOr("match", "")});
    } else if (section.kind == "faults-fired") {
      fired = section.GetAll("fired");
    }
  }
  return true;
}

}  // namespace setwell::sim
