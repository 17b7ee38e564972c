#include "sim/SimSystem.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

struct SystemCase {
  SimOs os;
  DWORD platform;
  DWORD major;
  DWORD minor;
  DWORD buildNumber;  // as GetVersionExA reports it
  const char* windows;
  const char* system;
  const char* driverDirectory;
  const char* processorDirectory;
  const char* versionFolder;  // the spooler's folder for added drivers, or ""
  bool serviceManager;
  bool setDefaultPrinter;
  friend void PrintTo(const SystemCase& c, std::ostream* os) { *os << SimSystem::For(c.os).name; }
};

std::string Directory(SimMachine& machine, bool driver, const char* environment = nullptr) {
  char buffer[512] = {};
  DWORD needed = 0;
  const BOOL ok = driver ? machine.GetPrinterDriverDirectoryA(
                               environment, 1, reinterpret_cast<BYTE*>(buffer), sizeof buffer,
                               &needed)
                         : machine.GetPrintProcessorDirectoryA(
                               environment, 1, reinterpret_cast<BYTE*>(buffer), sizeof buffer,
                               &needed);
  return ok ? std::string(buffer) : "error " + std::to_string(machine.GetLastError());
}

class SimSystemTest : public ::testing::TestWithParam<SystemCase> {};

TEST_P(SimSystemTest, ReportsItsVersionFoldersAndServices) {
  const SystemCase& c = GetParam();
  SimMachine machine(c.os);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(machine.GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, c.platform);
  EXPECT_EQ(info.dwMajorVersion, c.major);
  EXPECT_EQ(info.dwMinorVersion, c.minor);
  EXPECT_EQ(info.dwBuildNumber, c.buildNumber);

  char buffer[256];
  ASSERT_GT(machine.GetWindowsDirectoryA(buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, c.windows);
  ASSERT_GT(machine.GetSystemDirectoryA(buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, c.system);
  EXPECT_EQ(Directory(machine, true), c.driverDirectory);
  EXPECT_EQ(Directory(machine, false), c.processorDirectory);
  for (const std::string& folder : {std::string(c.driverDirectory), std::string(c.processorDirectory),
                                    std::string(c.versionFolder)}) {
    if (!folder.empty()) {
      EXPECT_TRUE(machine.files.FolderExists(folder)) << folder;
    }
  }

  ServiceHandle manager = machine.OpenSCManagerA(SC_MANAGER_ALL_ACCESS);
  EXPECT_EQ(manager != nullptr, c.serviceManager);
  if (!c.serviceManager) {
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  }
  ModuleHandle winspool = machine.LoadLibraryA("winspool.drv");
  ASSERT_NE(winspool, nullptr);
  EXPECT_EQ(machine.GetProcAddress(winspool, "SetDefaultPrinterA") != nullptr,
            c.setDefaultPrinter);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, SimSystemTest,
    ::testing::Values(
        SystemCase{kWin95, VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, "C:\\WINDOWS",
                   "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "",
                   false, false},
        SystemCase{kWin98, VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, "C:\\WINDOWS",
                   "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "",
                   false, false},
        SystemCase{kWinMe, VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, "C:\\WINDOWS",
                   "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "",
                   false, false},
        SystemCase{kWinNT4, VER_PLATFORM_WIN32_NT, 4, 0, 1381, "C:\\WINNT", "C:\\WINNT\\system32",
                   "C:\\WINNT\\system32\\spool\\drivers\\w32x86",
                   "C:\\WINNT\\system32\\spool\\prtprocs\\w32x86",
                   "C:\\WINNT\\system32\\spool\\drivers\\w32x86\\2", true, false},
        SystemCase{kWin2000, VER_PLATFORM_WIN32_NT, 5, 0, 2195, "C:\\WINNT",
                   "C:\\WINNT\\system32", "C:\\WINNT\\system32\\spool\\drivers\\w32x86",
                   "C:\\WINNT\\system32\\spool\\prtprocs\\w32x86",
                   "C:\\WINNT\\system32\\spool\\drivers\\w32x86\\3", true, true},
        SystemCase{kWinXP, VER_PLATFORM_WIN32_NT, 5, 1, 2600, "C:\\WINDOWS",
                   "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\prtprocs\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3", true, true},
        SystemCase{kWin2003, VER_PLATFORM_WIN32_NT, 5, 2, 3790, "C:\\WINDOWS",
                   "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\prtprocs\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3", true, true},
        SystemCase{kWinNT6, VER_PLATFORM_WIN32_NT, 6, 0, 6000, "C:\\Windows",
                   "C:\\Windows\\System32", "C:\\Windows\\System32\\spool\\drivers\\w32x86",
                   "C:\\Windows\\System32\\spool\\prtprocs\\w32x86",
                   "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3", true, true},
        SystemCase{kUnknownFamily, 3, 4, 0, 0, "C:\\WINDOWS", "C:\\WINDOWS\\system32",
                   "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\prtprocs\\w32x86",
                   "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3", true, false}),
    [](const ::testing::TestParamInfo<SystemCase>& info) {
      std::string out;
      for (char c : SimSystem::For(info.param.os).name) {
        if (std::isalnum(static_cast<unsigned char>(c))) out.push_back(c);
      }
      return out;
    });

TEST(SimSystemTest, EnvironmentsAreTheRunningFamilysAndAnNtSpoolerServesWindows40) {
  const SimSystem nt = SimSystem::For(kWinXP);
  EXPECT_EQ(nt.Environment(), "Windows NT x86");
  EXPECT_EQ(nt.ResolveEnvironment(nullptr), "Windows NT x86");
  EXPECT_EQ(nt.ResolveEnvironment(""), "Windows NT x86");
  EXPECT_EQ(nt.ResolveEnvironment("windows 4.0"), "Windows 4.0");
  EXPECT_EQ(nt.DriverDirectory("Windows 4.0"), "C:\\WINDOWS\\system32\\spool\\drivers\\win40");
  EXPECT_EQ(nt.DriverVersionDirectory("Windows 4.0"),
            "C:\\WINDOWS\\system32\\spool\\drivers\\win40\\0");
  EXPECT_EQ(nt.ResolveEnvironment("Windows IA64"), std::nullopt);

  const SimSystem me = SimSystem::For(kWinMe);
  EXPECT_EQ(me.Environment(), "Windows 4.0");
  EXPECT_EQ(me.ResolveEnvironment("Windows NT x86"), std::nullopt);
  EXPECT_EQ(me.DriverVersionDirectory("Windows 4.0"), "");
  EXPECT_EQ(SimSystem::Named("windows me"), kWinMe);
  EXPECT_EQ(SimSystem::Named("OS/2"), std::nullopt);
}

}  // namespace
}  // namespace setwell::sim
