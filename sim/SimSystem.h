// The running system of a simulated machine: the version GetVersionExA
// reports, its folders, and its print environments.
//
//   family          Windows      system         driver dir (own env)            env
//   95 / 98 / Me    C:\WINDOWS   ..\SYSTEM      the system folder               "Windows 4.0"
//   NT 4.0, 2000    C:\WINNT     ..\system32    ..\spool\drivers\w32x86         "Windows NT x86"
//   XP, 2003        C:\WINDOWS   ..\system32    ..\spool\drivers\w32x86         "Windows NT x86"
//   NT 6.0          C:\Windows   ..\System32    ..\spool\drivers\w32x86         "Windows NT x86"
//
// An NT spooler also serves "Windows 4.0" (folder "win40"), the environment
// of the drivers it hands to Windows 95/98/Me clients. Version-3 drivers
// (Windows 2000 and later) are kept in the "\3" folder of the driver
// directory, NT 4.0's version-2 drivers in "\2". An unknown platform family
// (kUnknownFamily) keeps the NT layout and services; only its version record
// is foreign.
#pragma once

#include <optional>
#include <string>

#include "system/WinTypes.h"

namespace setwell::sim {

enum SimOs {
  kWin95,
  kWin98,
  kWinMe,
  kWinNT4,
  kWin2000,
  kWinXP,
  kWin2003,
  kWinNT6,         // an NT version the installer does not know (Windows Vista)
  kUnknownFamily,  // a platform id that is neither 9x nor NT
  kWin2003x64,     // Server 2003 x64 (and XP x64, also 5.2): the program runs under WOW64
};

inline constexpr char kEnvironment9x[] = "Windows 4.0";
inline constexpr char kEnvironmentNtX86[] = "Windows NT x86";

struct SimSystem {
  SimOs os = kWinXP;
  std::string name;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
  std::string servicePack;
  std::string windowsDirectory;
  std::string systemDirectory;
  // A 64-bit Windows, where this 32-bit program runs under WOW64: its
  // spooler is a 64-bit process that loads no 32-bit monitor, processor or
  // driver.
  bool wow64 = false;

  static SimSystem For(SimOs os);
  // The SimOs named by For(os).name ("Windows XP"), or nothing.
  static std::optional<SimOs> Named(const std::string& name);

  bool Is9x() const { return platformId == VER_PLATFORM_WIN32_WINDOWS; }
  // NT layout, services and spooler: every family but 9x.
  bool IsNtLike() const { return !Is9x(); }
  // SetDefaultPrinterA is exported by winspool.drv from Windows 2000 on.
  bool HasSetDefaultPrinter() const {
    return platformId == VER_PLATFORM_WIN32_NT && major >= 5;
  }

  // kernel32 exports IsWow64Process from XP SP2 and Server 2003 SP1 on,
  // and on every 64-bit Windows.
  bool HasIsWow64Process() const {
    return platformId == VER_PLATFORM_WIN32_NT && (major > 5 || (major == 5 && minor >= 1));
  }

  // The running system's own print environment.
  std::string Environment() const { return Is9x() ? kEnvironment9x : kEnvironmentNtX86; }
  // The canonical name of an environment this spooler serves ("windows 4.0"
  // gives "Windows 4.0"); null or "" is the running system's own. Nothing
  // for an environment the spooler does not know.
  std::optional<std::string> ResolveEnvironment(const char* environment) const;

  std::string DriverDirectory(const std::string& environment) const;
  // The folder the spooler keeps the files of added drivers in; empty when
  // it keeps them in the driver directory itself (9x).
  std::string DriverVersionDirectory(const std::string& environment) const;
  // The driver version the spooler records for an environment.
  DWORD DriverVersion(const std::string& environment) const;
  std::string ProcessorDirectory(const std::string& environment) const;

  bool operator==(const SimSystem&) const = default;
};

}  // namespace setwell::sim
