// The simulated machine's answers to the listing and removal calls, on each
// system, where the conformance table cannot reach: rights, things in use,
// what a restart carries out, and what the machine folder keeps.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimMachine.h"
#include "tests/SimOsPrinter.h"

namespace setwell::sim {
namespace {

constexpr char kMonitor[] = "Setwell Serial Port";
constexpr char kMonitorDll[] = "tvsermon.dll";
constexpr char kProcessor[] = "Setwell Processor";

DWORD ErrorOf(SimMachine& machine, BOOL ok) { return ok ? ERROR_SUCCESS : machine.GetLastError(); }

// A machine with two drivers that share a file, a monitor with one port, a
// print processor, and a printer on that port with the first driver, made
// the default.
struct Till {
  explicit Till(SimOs os) : machine(os) {
    const std::string dir = machine.system.DriverVersionDirectory(machine.system.Environment());
    const std::string folder = dir.empty() ? machine.system.systemDirectory : dir;
    for (const char* file : {"rk40.drv", "rk40ui.dll", "shared.dll", "rk50.drv"}) {
      machine.files.WriteFile(folder + "\\" + file, "stand-in");
    }
    SimDriver first;
    first.name = "RK-40";
    first.version = machine.system.DriverVersion(machine.system.Environment());
    first.driverPath = folder + "\\rk40.drv";
    first.configFile = folder + "\\rk40ui.dll";
    first.dependentFiles = {folder + "\\shared.dll"};
    machine.spooler.AddDriverRecord(first);
    SimDriver second = first;
    second.name = "RK-50";
    second.driverPath = folder + "\\rk50.drv";
    machine.spooler.AddDriverRecord(second);
    machine.spooler.InstallMonitor(kMonitor, kMonitorDll, {"RKCOM1:"});
    machine.spooler.InstallPrintProcessor(kProcessor, "rkproc.dll");
    printer = Printer("RK-40 Receipt", "RK-40", "RKCOM1:");
    shared = folder + "\\shared.dll";
    own = folder + "\\rk40.drv";
  }
  PRINTER_INFO_2A Printer(const char* name, const char* driver, const char* port) {
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(name);
    info.pPortName = const_cast<char*>(port);
    info.pDriverName = const_cast<char*>(driver);
    info.pPrintProcessor = const_cast<char*>(kProcessor);
    return info;
  }
  void Add(PRINTER_INFO_2A info) {
    PrinterHandle handle = machine.AddPrinterA(2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(handle, nullptr) << machine.GetLastError();
    machine.ClosePrinter(handle);
  }
  // Deletes a printer through a handle opened to administer it.
  DWORD Delete(const char* name) {
    PrinterHandle handle = nullptr;
    if (!machine.OpenPrinterA(name, &handle, PRINTER_ACCESS_ADMINISTER)) {
      return machine.GetLastError();
    }
    const DWORD error = ErrorOf(machine, machine.DeletePrinter(handle));
    machine.ClosePrinter(handle);
    return error;
  }
  std::string Default() const { return machine.spooler.DefaultPrinter(); }

  SimMachine machine;
  PRINTER_INFO_2A printer{};
  std::string shared;
  std::string own;
};

const SimOs kSystems[] = {kWin98, kWinMe, kWinNT4, kWin2000, kWinXP, kWin2003};

class SimDeletionsTest : public ::testing::TestWithParam<SimOs> {
 protected:
  Till till{GetParam()};
  SimMachine& machine = till.machine;
  bool Nt() const { return till.machine.system.IsNtLike(); }
};

TEST_P(SimDeletionsTest, ComponentsInUseStayUntilTheirPrinterGoes) {
  till.Add(till.printer);
  struct Step {
    const char* what;
    std::function<BOOL()> call;
    DWORD whileUsed;
  };
  const std::vector<Step> steps = {
      {"driver", [&] { return machine.DeletePrinterDriverA(nullptr, "RK-40"); },
       ERROR_PRINTER_DRIVER_IN_USE},
      {"monitor", [&] { return machine.DeleteMonitorA(nullptr, kMonitor); },
       ERROR_PRINT_MONITOR_IN_USE},
      {"print processor", [&] { return machine.DeletePrintProcessorA(nullptr, kProcessor); },
       ERROR_CAN_NOT_COMPLETE},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(ErrorOf(machine, step.call()), step.whileUsed);
  }
  EXPECT_TRUE(machine.spooler.KnowsMonitor(kMonitor));
  ASSERT_EQ(till.Delete("RK-40 Receipt"), ERROR_SUCCESS);
  const std::vector<DWORD> gone = {ERROR_UNKNOWN_PRINTER_DRIVER, ERROR_UNKNOWN_PRINT_MONITOR,
                                   ERROR_UNKNOWN_PRINTPROCESSOR};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(steps[i].what);
    EXPECT_EQ(ErrorOf(machine, steps[i].call()), ERROR_SUCCESS);
    EXPECT_EQ(ErrorOf(machine, steps[i].call()), gone[i]) << "a second time";
  }
  // The monitor went with its ports, and the spooler let go of its DLL.
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kMonitorsKey) + "\\" + kMonitor));
  const std::string dll = machine.system.systemDirectory + "\\" + kMonitorDll;
  EXPECT_FALSE(machine.files.IsMapped(dll));
  EXPECT_NE(machine.files.Find(dll), nullptr) << "the file stays";
}

TEST_P(SimDeletionsTest, ANameWithAPathReachesNoOtherKey) {
  // "Monitor\Ports" is a key below a monitor's key, not a monitor.
  const std::string ports = std::string(kMonitor) + "\\Ports";
  EXPECT_EQ(ErrorOf(machine, machine.DeleteMonitorA(nullptr, ports.c_str())),
            ERROR_UNKNOWN_PRINT_MONITOR);
  EXPECT_TRUE(machine.registry.KeyExists(std::string(kMonitorsKey) + "\\" + ports + "\\RKCOM1:"));
  const std::string processor = std::string(kProcessor) + "\\..";
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrintProcessorA(nullptr, processor.c_str())),
            ERROR_UNKNOWN_PRINTPROCESSOR);
  EXPECT_TRUE(machine.spooler.KnowsPrintProcessor(kProcessor));
}

TEST_P(SimDeletionsTest, DeletingAPrinterNeedsTheRightOnNtAndMovesTheDefault) {
  till.Add(till.printer);
  till.Add(till.Printer("RK-50 Receipt", "RK-50", "LPT1:"));
  machine.spooler.SetDefaultPrinter("RK-40 Receipt");
  ASSERT_EQ(till.Default(), "RK-40 Receipt");

  PrinterHandle user = nullptr;
  ASSERT_TRUE(machine.OpenPrinterA("RK-40 Receipt", &user));
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrinter(user)),
            Nt() ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
  if (Nt()) {
    EXPECT_NE(machine.spooler.FindPrinter("RK-40 Receipt"), nullptr);
    EXPECT_EQ(till.Delete("RK-40 Receipt"), ERROR_SUCCESS);
  }
  // The handle still closes; it deletes nothing more.
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrinter(user)), ERROR_INVALID_PRINTER_NAME);
  EXPECT_TRUE(machine.ClosePrinter(user));
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrinter(user)), ERROR_INVALID_HANDLE);

  EXPECT_EQ(till.Default(), "RK-50 Receipt") << "the printer left is the default";
  char device[128] = {};
  machine.GetProfileStringA("windows", "device", "", device, sizeof device);
  const std::string expected = machine.system.HasSetDefaultPrinter()
                                   ? "RK-50 Receipt,winspool,Ne00:"
                                   : "RK-50 Receipt,RK-50,LPT1:";
  EXPECT_EQ(std::string(device), expected);

  EXPECT_EQ(till.Delete("RK-50 Receipt"), ERROR_SUCCESS);
  EXPECT_EQ(machine.GetProfileStringA("windows", "device", "", device, sizeof device), 0u)
      << "no printer, no default: " << device;
}

TEST_P(SimDeletionsTest, DeletingADriverWithItsFilesKeepsWhatAnotherNames) {
  const bool nt5 = machine.system.HasSetDefaultPrinter();
  // All files, while another driver names one of them: refused, nothing gone.
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrinterDriverExA(nullptr, "RK-40",
                                                            DPD_DELETE_ALL_FILES, 0)),
            nt5 ? ERROR_PRINTER_DRIVER_IN_USE : ERROR_PROC_NOT_FOUND);
  EXPECT_NE(machine.spooler.FindDriver("RK-40"), nullptr);
  EXPECT_EQ(ErrorOf(machine, machine.DeletePrinterDriverExA(nullptr, "RK-40",
                                                            DPD_DELETE_SPECIFIC_VERSION, 1)),
            nt5 ? ERROR_UNKNOWN_PRINTER_DRIVER : ERROR_PROC_NOT_FOUND)
      << "no version-1 driver of that name";
  if (!nt5) {
    // Before Windows 2000 the driver goes, its files stay.
    EXPECT_TRUE(machine.DeletePrinterDriverA(nullptr, "RK-40"));
    EXPECT_NE(machine.files.Find(till.own), nullptr);
    return;
  }
  ASSERT_TRUE(machine.DeletePrinterDriverExA(nullptr, "RK-40", DPD_DELETE_UNUSED_FILES, 0));
  EXPECT_EQ(machine.files.Find(till.own), nullptr);
  EXPECT_NE(machine.files.Find(till.shared), nullptr) << "RK-50 names it";
  ASSERT_TRUE(machine.DeletePrinterDriverExA(nullptr, "RK-50", DPD_DELETE_ALL_FILES, 0));
  EXPECT_EQ(machine.files.Find(till.shared), nullptr) << "the last driver that named it went";
}

TEST_P(SimDeletionsTest, AFileTheSpoolerHoldsGoesAtTheRestart) {
  const std::string dll = machine.system.systemDirectory + "\\" + kMonitorDll;
  ASSERT_TRUE(machine.files.IsMapped(dll));
  EXPECT_EQ(ErrorOf(machine, machine.DeleteFileA(dll.c_str())),
            Nt() ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION);
  const std::string wininit = machine.system.windowsDirectory + "\\WININIT.INI";
  if (Nt()) {
    ASSERT_TRUE(machine.MoveFileExA(dll.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(machine.MoveFileExA((till.own).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  } else {
    EXPECT_EQ(ErrorOf(machine, machine.MoveFileExA(dll.c_str(), nullptr,
                                                   MOVEFILE_DELAY_UNTIL_REBOOT)),
              ERROR_CALL_NOT_IMPLEMENTED);
    const std::string entries = "NUL=" + dll + std::string(1, '\0') + "NUL=" + till.own +
                                std::string(2, '\0');
    ASSERT_TRUE(machine.WritePrivateProfileSectionA("rename", entries.c_str(), "WININIT.INI"));
  }
  EXPECT_NE(machine.files.Find(dll), nullptr) << "until the restart";

  // The request is the machine's: it survives the folder.
  const std::string folder = ::testing::TempDir() + "setwell-pending-" +
                             std::to_string(static_cast<int>(GetParam()));
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(machine.Save(folder));
  SimMachine loaded;
  std::string error;
  ASSERT_TRUE(loaded.Load(folder, &error)) << error;
  std::filesystem::remove_all(folder);
  EXPECT_TRUE(loaded == machine);

  loaded.Reboot();
  EXPECT_EQ(loaded.files.Find(dll), nullptr);
  EXPECT_EQ(loaded.files.Find(till.own), nullptr);
  EXPECT_NE(loaded.files.Find(till.shared), nullptr) << "only what was named";
  if (Nt()) {
    EXPECT_EQ(loaded.registry.FindValue(kSessionManagerKey, kPendingRenamesValue), nullptr)
        << "done once";
  } else {
    EXPECT_EQ(loaded.files.Find(wininit), nullptr);
    EXPECT_NE(loaded.files.Find(machine.system.windowsDirectory + "\\WININIT.BAK"), nullptr);
  }
}

TEST_P(SimDeletionsTest, PendingRenamesKeepTheirOrderAndReplaceOnlyWhenTold) {
  if (!Nt()) GTEST_SKIP() << "NT's session manager";
  const std::string a = "C:\\Setwell\\a.dll";
  const std::string b = "C:\\Setwell\\b.dll";
  const std::string c = "C:\\Setwell\\c.dll";
  machine.files.WriteFile(a, "new");
  machine.files.WriteFile(b, "old");
  machine.files.WriteFile(c, "kept");
  ASSERT_TRUE(machine.MoveFileExA(a.c_str(), b.c_str(),
                                  MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(machine.MoveFileExA(c.c_str(), b.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
  machine.Reboot();
  ASSERT_NE(machine.files.Find(b), nullptr);
  EXPECT_EQ(machine.files.Find(b)->data, "new") << "the first replaced b; the second did not";
  EXPECT_EQ(machine.files.Find(a), nullptr);
  EXPECT_NE(machine.files.Find(c), nullptr);
}

TEST_P(SimDeletionsTest, RegistryDeletions) {
  machine.registry.SetString("SOFTWARE\\TALVORN\\PRINTERPORT\\USB1", "Port", "USB_RK-40_1");
  machine.registry.SetString("SOFTWARE\\TALVORN\\PRINTERPORT", "D1", "1");
  RegKeyHandle key = nullptr;
  ASSERT_EQ(machine.RegOpenKeyExA("SOFTWARE\\TALVORN\\PRINTERPORT", KEY_ALL_ACCESS, &key), 0);
  EXPECT_EQ(machine.RegDeleteValueA(key, "D1"), 0);
  EXPECT_EQ(machine.RegDeleteValueA(key, "D1"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(machine.RegDeleteKeyA("SOFTWARE\\TALVORN\\PRINTERPORT"),
            static_cast<LONG>(Nt() ? ERROR_ACCESS_DENIED : ERROR_SUCCESS));
  EXPECT_EQ(machine.registry.KeyExists("SOFTWARE\\TALVORN\\PRINTERPORT\\USB1"), Nt());
  if (Nt()) {
    EXPECT_EQ(machine.RegDeleteKeyA("SOFTWARE\\TALVORN\\PRINTERPORT\\USB1"), 0);
    EXPECT_EQ(machine.RegDeleteKeyA("SOFTWARE\\TALVORN\\PRINTERPORT"), 0);
  }
  // The handle outlives its key.
  EXPECT_EQ(machine.RegDeleteValueA(key, "D1"), static_cast<LONG>(ERROR_KEY_DELETED));
  machine.RegCloseKey(key);
  const std::size_t keys = machine.registry.Keys().size();
  for (const char* root : {"", "\\", "\\\\"}) {
    EXPECT_EQ(machine.RegDeleteKeyA(root), static_cast<LONG>(ERROR_INVALID_PARAMETER)) << root;
  }
  EXPECT_EQ(machine.registry.Keys().size(), keys) << "HKEY_LOCAL_MACHINE stays whole";
}

TEST_P(SimDeletionsTest, ListingsAnswerSizeQueriesAndLevels) {
  till.Add(till.printer);
  DWORD needed = 0;
  DWORD returned = 9;
  EXPECT_FALSE(machine.EnumPrintersA(PRINTER_ENUM_LOCAL, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(returned, 0u);
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(machine.EnumPrintersA(PRINTER_ENUM_LOCAL, 2, buffer.data(), needed, &needed,
                                    &returned));
  ASSERT_EQ(returned, 1u);
  const auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  EXPECT_STREQ(info->pPortName, "RKCOM1:");
  ASSERT_NE(info->pDevMode, nullptr);
  EXPECT_EQ(info->pDevMode->dmSize, sizeof(DEVMODEA));
  // Every string lies inside the buffer.
  for (const char* text : {info->pPrinterName, info->pDriverName, info->pPrintProcessor}) {
    EXPECT_GE(reinterpret_cast<const BYTE*>(text), buffer.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(text), buffer.data() + needed);
  }
  EXPECT_EQ(ErrorOf(machine, machine.EnumPrintersA(PRINTER_ENUM_LOCAL, 4, nullptr, 0, &needed,
                                                   &returned)),
            Nt() ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_LEVEL);
  // Nothing but local printers here.
  EXPECT_TRUE(machine.EnumPrintersA(0x4 /* PRINTER_ENUM_CONNECTIONS */, 2, nullptr, 0, &needed,
                                    &returned));
  EXPECT_EQ(returned, 0u);

  machine.EnumPrinterDriversA(nullptr, 3, nullptr, 0, &needed, &returned);
  buffer.assign(needed, 0);
  ASSERT_TRUE(machine.EnumPrinterDriversA(nullptr, 3, buffer.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 2u);
  const auto* driver = reinterpret_cast<DRIVER_INFO_3A*>(buffer.data());
  EXPECT_STREQ(driver->pName, "RK-40");
  EXPECT_EQ(std::string(driver->pDependentFiles), till.shared);
  EXPECT_EQ(driver->pDependentFiles[till.shared.size() + 1], '\0');
  EXPECT_EQ(driver->cVersion, machine.system.DriverVersion(machine.system.Environment()));

  machine.SetSpoolerRunning(false);
  EXPECT_EQ(ErrorOf(machine, machine.EnumMonitorsA(1, nullptr, 0, &needed, &returned)),
            Nt() ? RPC_S_SERVER_UNAVAILABLE : ERROR_INSUFFICIENT_BUFFER);
}

INSTANTIATE_TEST_SUITE_P(EverySystem, SimDeletionsTest, ::testing::ValuesIn(kSystems),
                         [](const ::testing::TestParamInfo<SimOs>& info) {
                           std::string out;
                           for (char c : SimSystem::For(info.param).name) {
                             if (std::isalnum(static_cast<unsigned char>(c))) out.push_back(c);
                           }
                           return out;
                         });

// Every call Platform declares can be named in a fault, in the machine
// folder's records too; a call that cannot fail its own way (Sleep, the
// descriptor release) only sets the last error.
TEST(SimFaultNamesTest, EveryPlatformCallCanBeNamed) {
  std::ifstream header(std::string(SETWELL_SOURCE_DIR) + "/system/Platform.h");
  ASSERT_TRUE(header) << "system/Platform.h";
  std::stringstream text;
  text << header.rdbuf();
  const std::string source = text.str();
  const std::regex declaration(R"(virtual\s+[\w:<>\*\s]+?\b(\w+)\s*\()");
  std::vector<std::string> calls;
  for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it) {
    calls.push_back((*it)[1]);
  }
  ASSERT_GT(calls.size(), 70u) << "the declarations were found";
  for (const std::string& call : calls) {
    if (call == "GetLastError" || call == "SetLastError") continue;
    EXPECT_TRUE(SimFaults::IsKnownCall(call)) << call;
  }

  SimMachine machine(kWinXP);
  machine.faults.FailOnce("IsWow64Process", ERROR_ACCESS_DENIED);
  const std::string folder = ::testing::TempDir() + "setwell-fault-names";
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(machine.Save(folder));
  SimMachine loaded;
  std::string error;
  ASSERT_TRUE(loaded.Load(folder, &error)) << error;
  std::filesystem::remove_all(folder);
  BOOL wow64 = FALSE;
  EXPECT_FALSE(loaded.IsWow64Process(&wow64));
  EXPECT_EQ(loaded.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(SimFaultNamesTest, ANamedFaultFiresAtItsCall) {
  struct Case {
    const char* call;
    std::function<bool(SimMachine&)> fails;
  };
  const std::vector<Case> cases = {
      {"DeleteFileA", [](SimMachine& m) { return !m.DeleteFileA("C:\\WINDOWS\\win.ini"); }},
      {"RegEnumKeyExA",
       [](SimMachine& m) {
         RegKeyHandle key = nullptr;
         m.RegOpenKeyExA("SYSTEM", KEY_READ, &key);
         char name[64];
         DWORD size = sizeof name;
         return m.RegEnumKeyExA(key, 0, name, &size) == static_cast<LONG>(ERROR_GEN_FAILURE);
       }},
      {"EnumPrintersA",
       [](SimMachine& m) {
         DWORD n = 0;
         DWORD r = 0;
         return !m.EnumPrintersA(PRINTER_ENUM_LOCAL, 2, nullptr, 0, &n, &r) &&
                m.GetLastError() == ERROR_GEN_FAILURE;
       }},
      {"ReadWholeFileUnlessSame",
       [](SimMachine& m) {
         std::string contents;
         return m.ReadWholeFileUnlessSame("C:\\WINDOWS\\win.ini", "", contents) ==
                    Platform::FileLook::kUnreadable &&
                m.ReadWholeFile("C:\\WINDOWS\\win.ini", contents);
       }},
      {"ListFolder",
       [](SimMachine& m) {
         std::vector<Platform::FolderEntry> entries;
         return !m.ListFolder("C:\\WINDOWS", entries) && m.GetLastError() == ERROR_GEN_FAILURE &&
                m.ListFolder("C:\\WINDOWS", entries) && !entries.empty();
       }},
      {"ConvertStringSecurityDescriptor",
       [](SimMachine& m) { return m.ConvertStringSecurityDescriptor("D:P(A;;GA;;;SY)") == nullptr; }},
      {"GetProfileStringA",
       [](SimMachine& m) {
         char value[16] = {};
         return m.GetProfileStringA("windows", "NullPort", "", value, sizeof value) == 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    SimMachine machine(kWinXP);
    machine.faults.FailOnce(c.call, ERROR_GEN_FAILURE);
    EXPECT_TRUE(c.fails(machine));
    EXPECT_TRUE(machine.faults.pending.empty()) << "used up";
  }
}

}  // namespace
}  // namespace setwell::sim
