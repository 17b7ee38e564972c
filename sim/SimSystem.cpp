#include "sim/SimSystem.h"

#include "sim/SimText.h"

namespace setwell::sim {
namespace {

SimSystem Make(SimOs os, const char* name, DWORD platform, DWORD major, DWORD minor, DWORD build,
               const char* servicePack, const char* windows, const char* system) {
  SimSystem s;
  s.os = os;
  s.name = name;
  s.platformId = platform;
  s.major = major;
  s.minor = minor;
  s.build = build;
  s.servicePack = servicePack;
  s.windowsDirectory = windows;
  s.systemDirectory = system;
  return s;
}

constexpr SimOs kAll[] = {kWin95,  kWin98,  kWinMe,         kWinNT4,    kWin2000,
                          kWinXP,  kWin2003, kWinNT6, kUnknownFamily, kWin2003x64};

}  // namespace

SimSystem SimSystem::For(SimOs os) {
  constexpr DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
  constexpr DWORD kNt = VER_PLATFORM_WIN32_NT;
  switch (os) {
    case kWin95:
      return Make(os, "Windows 95", k9x, 4, 0, 950, "", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    case kWin98:
      return Make(os, "Windows 98", k9x, 4, 10, 2222, " A ", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    case kWinMe:
      return Make(os, "Windows Me", k9x, 4, 90, 3000, " ", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    case kWinNT4:
      return Make(os, "Windows NT 4.0", kNt, 4, 0, 1381, "Service Pack 6", "C:\\WINNT",
                  "C:\\WINNT\\system32");
    case kWin2000:
      return Make(os, "Windows 2000", kNt, 5, 0, 2195, "Service Pack 4", "C:\\WINNT",
                  "C:\\WINNT\\system32");
    case kWinXP:
      return Make(os, "Windows XP", kNt, 5, 1, 2600, "Service Pack 2", "C:\\WINDOWS",
                  "C:\\WINDOWS\\system32");
    case kWin2003:
      return Make(os, "Windows Server 2003", kNt, 5, 2, 3790, "Service Pack 1", "C:\\WINDOWS",
                  "C:\\WINDOWS\\system32");
    case kWinNT6:
      return Make(os, "Windows NT 6.0", kNt, 6, 0, 6000, "", "C:\\Windows",
                  "C:\\Windows\\System32");
    case kWin2003x64: {
      SimSystem s = Make(os, "Windows Server 2003 x64", kNt, 5, 2, 3790, "Service Pack 1",
                         "C:\\WINDOWS", "C:\\WINDOWS\\system32");
      s.wow64 = true;
      return s;
    }
    case kUnknownFamily:
      break;
  }
  return Make(kUnknownFamily, "Unknown family", 3, 4, 0, 0, "", "C:\\WINDOWS",
              "C:\\WINDOWS\\system32");
}

std::optional<SimOs> SimSystem::Named(const std::string& name) {
  for (SimOs os : kAll) {
    if (EqualsNoCase(For(os).name, name)) return os;
  }
  return std::nullopt;
}

std::optional<std::string> SimSystem::ResolveEnvironment(const char* environment) const {
  if (environment == nullptr || environment[0] == '\0') return Environment();
  if (EqualsNoCase(environment, kEnvironment9x)) return std::string(kEnvironment9x);
  if (IsNtLike() && EqualsNoCase(environment, kEnvironmentNtX86)) {
    return std::string(kEnvironmentNtX86);
  }
  return std::nullopt;
}

std::string SimSystem::DriverDirectory(const std::string& environment) const {
  if (Is9x()) return systemDirectory;
  return systemDirectory + "\\spool\\drivers\\" +
         (environment == kEnvironment9x ? "win40" : "w32x86");
}

std::string SimSystem::DriverVersionDirectory(const std::string& environment) const {
  if (Is9x()) return {};
  const DWORD version = DriverVersion(environment);
  return DriverDirectory(environment) + "\\" + std::to_string(version);
}

DWORD SimSystem::DriverVersion(const std::string& environment) const {
  if (environment == kEnvironment9x) return 0;
  return platformId == VER_PLATFORM_WIN32_NT && major < 5 ? 2 : 3;
}

std::string SimSystem::ProcessorDirectory(const std::string& environment) const {
  if (Is9x()) return systemDirectory;
  return systemDirectory + "\\spool\\prtprocs\\" +
         (environment == kEnvironment9x ? "win40" : "w32x86");
}

}  // namespace setwell::sim
