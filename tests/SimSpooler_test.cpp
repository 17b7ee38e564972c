#include "sim/SimSpooler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

constexpr char kUsbMonitor[] = "Setwell USB Port";

DWORD ErrorOf(SimMachine& machine, BOOL ok) { return ok ? ERROR_SUCCESS : machine.GetLastError(); }

DWORD AddMonitor(SimMachine& machine, const char* name, const char* environment,
                 const char* dll) {
  MONITOR_INFO_2A info{const_cast<char*>(name), const_cast<char*>(environment),
                       const_cast<char*>(dll)};
  return ErrorOf(machine, machine.AddMonitorA(2, reinterpret_cast<BYTE*>(&info)));
}

std::vector<std::string> PortsOf(SimMachine& machine) {
  DWORD needed = 0;
  DWORD returned = 0;
  machine.EnumPortsA(1, nullptr, 0, &needed, &returned);
  std::vector<BYTE> buffer(needed);
  std::vector<std::string> names;
  if (!machine.EnumPortsA(1, buffer.data(), needed, &needed, &returned)) return names;
  for (DWORD i = 0; i < returned; ++i) {
    names.emplace_back(reinterpret_cast<PORT_INFO_1A*>(buffer.data())[i].pName);
  }
  return names;
}

// A machine with a driver the printer cases can use.
class SpoolerFixture : public ::testing::Test {
 protected:
  explicit SpoolerFixture(SimOs os = kWinXP) : machine(os) {}
  void AddDriver(const char* name = "KP-200") {
    SimDriver driver;
    driver.name = name;
    machine.spooler.AddDriverRecord(driver);
  }
  PRINTER_INFO_2A Printer(const char* name, const char* port = "LPT1:") {
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(name);
    info.pPortName = const_cast<char*>(port);
    info.pDriverName = const_cast<char*>("KP-200");
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    return info;
  }
  DWORD AddPrinter(PRINTER_INFO_2A info) {
    PrinterHandle handle = machine.AddPrinterA(2, reinterpret_cast<BYTE*>(&info));
    if (handle == nullptr) return machine.GetLastError();
    machine.ClosePrinter(handle);
    return ERROR_SUCCESS;
  }
  SimMachine machine;
};

// --- Windows 95/98/Me answer differently from NT --------------------------------

TEST(SimSpooler9xTest, AnswersAsWindows98Does) {
  SimMachine machine(kWin98);
  machine.files.WriteFile("C:\\WINDOWS\\SYSTEM\\tvusbmon.dll", "monitor");
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, nullptr, "tvusbmon.dll"),
            ERROR_INVALID_ENVIRONMENT);
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, "Windows NT x86", "tvusbmon.dll"),
            ERROR_INVALID_ENVIRONMENT);
  EXPECT_EQ(AddMonitor(machine, "", "Windows 4.0", "tvusbmon.dll"), ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, "Windows 4.0", "missing.dll"),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, "Windows 4.0", "tvusbmon.dll"), ERROR_SUCCESS);
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, "Windows 4.0", "tvusbmon.dll"),
            ERROR_ALREADY_EXISTS);

  // The size is the ANSI path's; the level is not looked at.
  DWORD needed = 0;
  EXPECT_FALSE(machine.GetPrinterDriverDirectoryA(nullptr, 1, nullptr, 0, &needed));
  EXPECT_EQ(needed, std::strlen("C:\\WINDOWS\\SYSTEM") + 1);
  char buffer[64];
  EXPECT_TRUE(machine.GetPrinterDriverDirectoryA(nullptr, 2, reinterpret_cast<BYTE*>(buffer),
                                                 sizeof buffer, &needed));
  DWORD returned = 9;
  EXPECT_TRUE(machine.EnumPortsA(3, nullptr, 0, &needed, &returned));
  EXPECT_EQ(returned, 0u);

  // The Local Port monitor's ports are win.ini's [Ports].
  EXPECT_TRUE(machine.WriteProfileStringA("Ports", "COM5:", "9600,n,8,1,x"));
  EXPECT_EQ(PortsOf(machine), (std::vector<std::string>{"LPT1:", "LPT2:", "LPT3:", "COM1:",
                                                        "COM2:", "COM3:", "COM4:", "FILE:",
                                                        "COM5:"}));
}

// Each port is listed once for each place it is named and owned by the
// first that names it, in any case: the local ports first, then each
// monitor's own in the order of their keys; the Local Port monitor's key
// adds no entries of its own.
TEST(SimSpoolerTest, APortNamedTwiceBelongsToTheFirstMonitorThatNamesIt) {
  SimMachine machine(kWinXP);
  const std::string monitors = kMonitorsKey;
  machine.registry.CreateKey(monitors + "\\Alpha Port\\Ports\\SHARED1");
  machine.registry.CreateKey(monitors + "\\Alpha Port\\Ports\\lpt1:");
  machine.registry.CreateKey(monitors + "\\Beta Port\\Ports\\Shared1");
  machine.registry.CreateKey(monitors + "\\Beta Port\\Ports\\BETA9");
  machine.registry.CreateKey(monitors + "\\Local Port\\Ports\\beta9");
  DWORD needed = 0;
  DWORD returned = 0;
  machine.EnumPortsA(2, nullptr, 0, &needed, &returned);
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(machine.EnumPortsA(2, buffer.data(), needed, &needed, &returned));
  std::vector<std::string> owners;
  for (DWORD i = 0; i < returned; ++i) {
    const PORT_INFO_2A& port = reinterpret_cast<const PORT_INFO_2A*>(buffer.data())[i];
    owners.push_back(std::string(port.pPortName) + " " + port.pMonitorName);
  }
  const std::vector<std::string> last(owners.end() - 4, owners.end());
  EXPECT_EQ(last, (std::vector<std::string>{"lpt1: Local Port", "SHARED1 Alpha Port",
                                            "BETA9 Beta Port", "Shared1 Alpha Port"}));
  EXPECT_NE(std::find(owners.begin(), owners.end() - 4, "LPT1: Local Port"), owners.end() - 4);
}

TEST(SimSpooler9xTest, TheDefaultMarkOfAPrinterMakesItTheDefault) {
  SimMachine machine(kWin98);
  SimDriver driver;
  driver.name = "KP-200";
  machine.spooler.AddDriverRecord(driver);
  PRINTER_INFO_2A info{};
  info.pPrinterName = const_cast<char*>("KP-200");
  info.pPortName = const_cast<char*>("LPT1:");
  info.pDriverName = const_cast<char*>("KP-200");
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  PrinterHandle handle = machine.AddPrinterA(2, reinterpret_cast<BYTE*>(&info));
  ASSERT_NE(handle, nullptr);
  DWORD needed = 0;
  machine.GetPrinterA(handle, 2, nullptr, 0, &needed);
  std::vector<BYTE> record(needed);
  ASSERT_TRUE(machine.GetPrinterA(handle, 2, record.data(), needed, &needed));
  auto* read = reinterpret_cast<PRINTER_INFO_2A*>(record.data());
  EXPECT_EQ(read->Attributes & PRINTER_ATTRIBUTE_DEFAULT, 0u);
  read->Attributes |= PRINTER_ATTRIBUTE_DEFAULT;
  ASSERT_TRUE(machine.SetPrinterA(handle, 2, record.data(), 0));
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "KP-200");
  EXPECT_EQ(machine.profile.Get("windows", "device"), "KP-200,KP-200,LPT1:");
  ASSERT_TRUE(machine.GetPrinterA(handle, 2, record.data(), needed, &needed));
  EXPECT_EQ(read->Attributes & PRINTER_ATTRIBUTE_DEFAULT,
            static_cast<DWORD>(PRINTER_ATTRIBUTE_DEFAULT));
}

// --- Drivers ------------------------------------------------------------------------

TEST_F(SpoolerFixture, ADriverNeedsItsFilesInTheDriverFolderAndIsKeptInTheVersionFolder) {
  const std::string folder = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\";
  char dependent[] = "KPRES.DLL\0KPFONT.GPD\0";
  DRIVER_INFO_3A info{};
  info.pName = const_cast<char*>("KP-200");
  info.pDriverPath = const_cast<char*>("UNIDRV.DLL");
  info.pDataFile = const_cast<char*>("KP200.GPD");
  info.pConfigFile = const_cast<char*>("UNIDRVUI.DLL");
  info.pHelpFile = const_cast<char*>("UNIDRV.HLP");
  info.pDependentFiles = dependent;
  info.pMonitorName = const_cast<char*>(kUsbMonitor);
  for (const char* file : {"UNIDRV.DLL", "KP200.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP", "KPRES.DLL"}) {
    machine.files.WriteFile(folder + file, file);
  }
  EXPECT_EQ(ErrorOf(machine, machine.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&info))),
            ERROR_FILE_NOT_FOUND)
      << "a dependent file is missing";
  EXPECT_EQ(machine.spooler.FindDriver("KP-200"), nullptr);

  machine.files.WriteFile(folder + "kpfont.gpd", "font");
  ASSERT_EQ(ErrorOf(machine, machine.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&info))),
            ERROR_SUCCESS);
  const SimDriver* driver = machine.spooler.FindDriver("kp-200");
  ASSERT_NE(driver, nullptr);
  EXPECT_EQ(driver->version, 3u);
  EXPECT_EQ(driver->driverPath, folder + "3\\UNIDRV.DLL");
  EXPECT_EQ(driver->dependentFiles,
            (std::vector<std::string>{folder + "3\\KPRES.DLL", folder + "3\\KPFONT.GPD"}))
      << "named as the record names them";
  EXPECT_EQ(driver->monitorName, kUsbMonitor);
  ASSERT_NE(machine.files.Find(folder + "3\\KP200.GPD"), nullptr);
  EXPECT_EQ(machine.files.Find(folder + "3\\KP200.GPD")->data, "KP200.GPD");

  info.pEnvironment = const_cast<char*>("Windows IA64");
  EXPECT_EQ(ErrorOf(machine, machine.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&info))),
            ERROR_INVALID_ENVIRONMENT);
  EXPECT_EQ(ErrorOf(machine, machine.AddPrinterDriverA(1, reinterpret_cast<BYTE*>(&info))),
            ERROR_INVALID_LEVEL);
}

// --- Monitors and print processors ---------------------------------------------------

TEST_F(SpoolerFixture, AnAddedMonitorIsInTheRegistryServesItsPortsAndHoldsItsDll) {
  const std::string dll = "C:\\WINDOWS\\system32\\tvusbmon.dll";
  machine.files.WriteFile(dll, "monitor");
  machine.spooler.DeclareMonitorPorts(kUsbMonitor, {"USB_KP-200_1", "USB_KP-200_2"});
  ASSERT_EQ(AddMonitor(machine, kUsbMonitor, nullptr, "tvusbmon.dll"), ERROR_SUCCESS);
  std::string driver;
  EXPECT_TRUE(machine.registry.GetString(
      "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Setwell USB Port", "Driver", driver));
  EXPECT_EQ(driver, "tvusbmon.dll");
  const std::vector<std::string> ports = PortsOf(machine);
  EXPECT_EQ(std::vector<std::string>(ports.end() - 2, ports.end()),
            (std::vector<std::string>{"USB_KP-200_1", "USB_KP-200_2"}));
  EXPECT_EQ(machine.spooler.MonitorOfPort("usb_kp-200_2"), kUsbMonitor);
  EXPECT_EQ(AddMonitor(machine, kUsbMonitor, nullptr, "tvusbmon.dll"),
            ERROR_PRINT_MONITOR_ALREADY_INSTALLED);

  // Loaded while the spooler runs.
  machine.files.WriteFile("C:\\new.dll", "newer monitor");
  EXPECT_EQ(ErrorOf(machine, machine.CopyFileA("C:\\new.dll", dll.c_str(), FALSE)),
            ERROR_SHARING_VIOLATION);
  machine.SetSpoolerRunning(false);
  EXPECT_EQ(ErrorOf(machine, machine.CopyFileA("C:\\new.dll", dll.c_str(), FALSE)),
            ERROR_SUCCESS);

  // The spooler loads what the registry names when it starts.
  machine.files.WriteFile("C:\\WINDOWS\\system32\\ntvusbmon.dll", "alternate");
  machine.registry.SetString(
      "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Setwell USB Port", "Driver",
      "ntvusbmon.dll");
  machine.SetSpoolerRunning(true);
  EXPECT_TRUE(machine.files.IsMapped("C:\\WINDOWS\\system32\\ntvusbmon.dll"));
  EXPECT_FALSE(machine.files.IsMapped(dll));
}

TEST_F(SpoolerFixture, APrintProcessorIsKnownByItsKeyAndHeldByTheSpooler) {
  const std::string folder = "C:\\WINDOWS\\system32\\spool\\prtprocs\\";
  machine.files.WriteFile(folder + "w32x86\\kpproc.dll", "processor");
  EXPECT_EQ(ErrorOf(machine, machine.AddPrintProcessorA(nullptr, "missing.dll", "KPProc")),
            ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(ErrorOf(machine, machine.AddPrintProcessorA(nullptr, "kpproc.dll", "KPProc")),
            ERROR_SUCCESS);
  EXPECT_TRUE(machine.registry.KeyExists(
      "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print "
      "Processors\\KPProc"));
  EXPECT_EQ(ErrorOf(machine, machine.AddPrintProcessorA("", "kpproc.dll", "kpproc")),
            ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);
  EXPECT_TRUE(machine.files.IsMapped(folder + "w32x86\\kpproc.dll"));

  // A processor for Windows 95/98/Me clients is kept, not loaded.
  machine.files.WriteFile(folder + "win40\\kpproc.dll", "processor");
  EXPECT_EQ(ErrorOf(machine, machine.AddPrintProcessorA("Windows 4.0", "kpproc.dll", "KPProc")),
            ERROR_SUCCESS);
  EXPECT_FALSE(machine.files.IsMapped(folder + "win40\\kpproc.dll"));
}

// --- Printers ----------------------------------------------------------------------

struct AddPrinterCase {
  const char* name;
  std::function<void(PRINTER_INFO_2A&)> change;
  DWORD error;
  friend void PrintTo(const AddPrinterCase& c, std::ostream* os) { *os << c.name; }
};

class SimAddPrinterTest : public SpoolerFixture,
                          public ::testing::WithParamInterface<AddPrinterCase> {};

TEST_P(SimAddPrinterTest, RefusesWhatTheSpoolerRefuses) {
  AddDriver();
  ASSERT_EQ(AddPrinter(Printer("KP-200(U) 1")), ERROR_SUCCESS);
  PRINTER_INFO_2A info = Printer("KP-200 second");
  GetParam().change(info);
  EXPECT_EQ(AddPrinter(info), GetParam().error);
  EXPECT_EQ(machine.spooler.Printers().size(), GetParam().error == ERROR_SUCCESS ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimAddPrinterTest,
    ::testing::Values(
        AddPrinterCase{"Accepted", [](PRINTER_INFO_2A&) {}, ERROR_SUCCESS},
        AddPrinterCase{"OnTwoPorts",
                       [](PRINTER_INFO_2A& i) { i.pPortName = const_cast<char*>("LPT1:,lpt2:"); },
                       ERROR_SUCCESS},
        AddPrinterCase{"NameTakenInOtherCase",
                       [](PRINTER_INFO_2A& i) { i.pPrinterName = const_cast<char*>("kp-200(u) 1"); },
                       ERROR_PRINTER_ALREADY_EXISTS},
        AddPrinterCase{"NameWithComma",
                       [](PRINTER_INFO_2A& i) { i.pPrinterName = const_cast<char*>("KP,200"); },
                       ERROR_INVALID_PRINTER_NAME},
        AddPrinterCase{"NameWithBackslash",
                       [](PRINTER_INFO_2A& i) { i.pPrinterName = const_cast<char*>("KP\\200"); },
                       ERROR_INVALID_PRINTER_NAME},
        AddPrinterCase{"EmptyName",
                       [](PRINTER_INFO_2A& i) { i.pPrinterName = const_cast<char*>(""); },
                       ERROR_INVALID_PRINTER_NAME},
        AddPrinterCase{"UnknownDriver",
                       [](PRINTER_INFO_2A& i) { i.pDriverName = const_cast<char*>("KP-300"); },
                       ERROR_UNKNOWN_PRINTER_DRIVER},
        AddPrinterCase{"UnknownPort",
                       [](PRINTER_INFO_2A& i) { i.pPortName = const_cast<char*>("USB_KP-200_1"); },
                       ERROR_UNKNOWN_PORT},
        AddPrinterCase{"UnknownProcessor",
                       [](PRINTER_INFO_2A& i) { i.pPrintProcessor = const_cast<char*>("KPProc"); },
                       ERROR_UNKNOWN_PRINTPROCESSOR}),
    [](const ::testing::TestParamInfo<AddPrinterCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(SpoolerFixture, GetPrinterGivesTheRecordWithItsDeviceModeAfterASizeQuery) {
  AddDriver();
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmDriverExtra = 4;
  mode.dmPaperWidth = 800;
  std::vector<BYTE> withExtra(sizeof mode + 4, 0);
  std::memcpy(withExtra.data(), &mode, sizeof mode);
  std::memcpy(withExtra.data() + sizeof mode, "XTRA", 4);
  PRINTER_INFO_2A info = Printer("KP-200(U) 1");
  info.pDevMode = reinterpret_cast<DEVMODEA*>(withExtra.data());
  info.pComment = const_cast<char*>("receipts");
  PrinterHandle handle = machine.AddPrinterA(2, reinterpret_cast<BYTE*>(&info));
  ASSERT_NE(handle, nullptr);

  DWORD needed = 0;
  EXPECT_FALSE(machine.GetPrinterA(handle, 2, nullptr, 0, &needed));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> record(needed);
  ASSERT_TRUE(machine.GetPrinterA(handle, 2, record.data(), needed, &needed));
  const auto* read = reinterpret_cast<const PRINTER_INFO_2A*>(record.data());
  EXPECT_EQ(read->pServerName, nullptr);
  EXPECT_STREQ(read->pComment, "receipts");
  EXPECT_STREQ(read->pDatatype, "RAW");
  ASSERT_NE(read->pDevMode, nullptr);
  EXPECT_EQ(read->pDevMode->dmPaperWidth, 800);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const BYTE*>(read->pDevMode) + sizeof mode, "XTRA", 4),
            0);
  // Everything lies inside the buffer.
  for (const char* text : {read->pPrinterName, read->pPortName, read->pDriverName,
                           read->pComment, read->pPrintProcessor, read->pParameters}) {
    EXPECT_GE(reinterpret_cast<const BYTE*>(text), record.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(text) + std::strlen(text), record.data() + needed);
  }
  EXPECT_FALSE(machine.GetPrinterA(handle, 1, record.data(), needed, &needed));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST_F(SpoolerFixture, SetPrinterChecksWhatItChanges) {
  AddDriver();
  ASSERT_EQ(AddPrinter(Printer("First")), ERROR_SUCCESS);
  ASSERT_EQ(AddPrinter(Printer("Second")), ERROR_SUCCESS);
  PrinterHandle handle = nullptr;
  ASSERT_TRUE(machine.OpenPrinterA("second", &handle));
  PRINTER_INFO_2A info = Printer("first");
  EXPECT_EQ(ErrorOf(machine, machine.SetPrinterA(handle, 2, reinterpret_cast<BYTE*>(&info), 0)),
            ERROR_PRINTER_ALREADY_EXISTS);
  info = Printer("Renamed", "COM9:");
  EXPECT_EQ(ErrorOf(machine, machine.SetPrinterA(handle, 2, reinterpret_cast<BYTE*>(&info), 0)),
            ERROR_UNKNOWN_PORT);
  info = Printer("Renamed", "COM2:");
  info.Attributes = PRINTER_ATTRIBUTE_DEFAULT;  // NT does not take the mark
  EXPECT_EQ(ErrorOf(machine, machine.SetPrinterA(handle, 2, reinterpret_cast<BYTE*>(&info), 0)),
            ERROR_SUCCESS);
  ASSERT_NE(machine.spooler.FindPrinter("Renamed"), nullptr);
  EXPECT_EQ(machine.spooler.FindPrinter("Renamed")->portName, "COM2:");
  EXPECT_EQ(machine.spooler.FindPrinter("Second"), nullptr);
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "");
  EXPECT_TRUE(machine.ClosePrinter(handle));
}

TEST_F(SpoolerFixture, SetDefaultPrinterRecordsTheWinspoolDevice) {
  AddDriver();
  ModuleHandle winspool = machine.LoadLibraryA("winspool.drv");
  ProcAddress setDefault = machine.GetProcAddress(winspool, "SetDefaultPrinterA");
  ASSERT_NE(setDefault, nullptr);
  EXPECT_EQ(ErrorOf(machine, machine.CallSetDefaultPrinterA(setDefault, "")),
            ERROR_INVALID_PRINTER_NAME)
      << "no printer to fall back on";
  ASSERT_EQ(AddPrinter(Printer("First")), ERROR_SUCCESS);
  ASSERT_EQ(AddPrinter(Printer("Second")), ERROR_SUCCESS);
  EXPECT_TRUE(machine.CallSetDefaultPrinterA(setDefault, nullptr));
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "First");
  EXPECT_TRUE(machine.CallSetDefaultPrinterA(setDefault, "SECOND"));
  EXPECT_EQ(machine.profile.Get("windows", "device"), "Second,winspool,Ne00:");
  EXPECT_TRUE(machine.CallSetDefaultPrinterA(setDefault, ""));
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "Second") << "an existing default is kept";
}

TEST_F(SpoolerFixture, EveryCallFailsWhileTheSpoolerIsStopped) {
  AddDriver();
  ASSERT_EQ(AddPrinter(Printer("First")), ERROR_SUCCESS);
  PrinterHandle handle = nullptr;
  ASSERT_TRUE(machine.OpenPrinterA("First", &handle));
  machine.SetSpoolerRunning(false);
  BYTE buffer[512];
  DWORD needed = 0;
  DWORD returned = 0;
  PRINTER_INFO_2A info = Printer("Second");
  MONITOR_INFO_2A monitor{const_cast<char*>("M"), nullptr, const_cast<char*>("localspl.dll")};
  const std::vector<std::pair<const char*, std::function<BOOL()>>> calls = {
      {"GetPrinterDriverDirectoryA",
       [&] { return machine.GetPrinterDriverDirectoryA(nullptr, 1, buffer, 512, &needed); }},
      {"GetPrintProcessorDirectoryA",
       [&] { return machine.GetPrintProcessorDirectoryA(nullptr, 1, buffer, 512, &needed); }},
      {"AddMonitorA", [&] { return machine.AddMonitorA(2, reinterpret_cast<BYTE*>(&monitor)); }},
      {"AddPrintProcessorA", [&] { return machine.AddPrintProcessorA(nullptr, "a.dll", "A"); }},
      {"AddPrinterA",
       [&] { return BOOL{machine.AddPrinterA(2, reinterpret_cast<BYTE*>(&info)) != nullptr}; }},
      {"OpenPrinterA", [&] { return machine.OpenPrinterA("First", &handle); }},
      {"GetPrinterA", [&] { return machine.GetPrinterA(handle, 2, buffer, 512, &needed); }},
      {"EnumPortsA", [&] { return machine.EnumPortsA(1, buffer, 512, &needed, &returned); }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(call());
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  }
  machine.SetSpoolerRunning(true);
  EXPECT_FALSE(machine.GetPrinterA(handle, 2, buffer, 512, &needed))
      << "handles do not outlive the spooler";
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace setwell::sim
