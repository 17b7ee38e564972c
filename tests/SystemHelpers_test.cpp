// The system helpers against the simulated spooler and system.
#include "system/SystemHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr const char* kDriver = "KP Thermal Driver";

// A machine whose spooler knows the driver; printers on "LPT1:".
void AddDriver(sim::SimMachine& machine) {
  sim::SimDriver driver;
  driver.environment = machine.system.Environment();
  driver.name = kDriver;
  machine.spooler.AddDriverRecord(driver);
}

void AddExistingPrinter(sim::SimMachine& machine, const std::string& name,
                        const std::string& port = "LPT1:") {
  sim::SimPrinter printer;
  printer.name = name;
  printer.driverName = kDriver;
  printer.portName = port;
  printer.printProcessor = "WinPrint";
  machine.spooler.AddPrinterRecord(printer);
}

// A level-2 record with its name in a field of the record builder's size.
struct PrinterRecord {
  explicit PrinterRecord(const std::string& name, const char* port = "LPT1:") {
    std::memcpy(nameField, name.data(), name.size());
    info.pPrinterName = nameField;
    info.pPortName = const_cast<char*>(port);
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
  }
  bool NameCleared() const {
    for (char c : nameField) {
      if (c != '\0') return false;
    }
    return true;
  }
  char nameField[kPrinterNameFieldSize] = {};
  PRINTER_INFO_2A info{};
};

int CountCalls(const sim::SimMachine& machine, const std::string& call) {
  int count = 0;
  for (const sim::SimCallRecord& record : machine.trace) count += record.call == call;
  return count;
}

std::vector<std::string> PrinterNames(const sim::SimMachine& machine) {
  std::vector<std::string> names;
  for (const sim::SimPrinter& printer : machine.spooler.Printers()) names.push_back(printer.name);
  return names;
}

TEST(AddPrinterWithSuffixTest, TakenNamesGetTheNextSuffix) {
  struct Case {
    std::vector<std::string> existing;
    bool usbPort;
    std::int32_t result;
    const char* name;  // in the record afterwards; "" when cleared
    std::vector<std::string> messages;
  };
  const std::string limit = "Maximum count of printers using the same port has been reached";
  const Case cases[] = {
      {{}, false, 1, "KP-200", {}},
      {{"KP-200"}, false, 1, "KP-200(1)", {}},
      {{"KP-200", "KP-200(1)"}, false, 1, "KP-200(2)", {}},
      {{"KP-200(1)"}, false, 1, "KP-200", {}},
      {{"KP-200", "KP-200(2)"}, false, 1, "KP-200(1)", {}},
      {{"KP-200", "KP-200(1)", "KP-200(2)"}, false, 0, "", {limit}},
      {{"KP-200"}, true, 0, "", {limit}},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine;
    AddDriver(machine);
    for (const std::string& name : c.existing) AddExistingPrinter(machine, name);
    PrinterRecord record("KP-200");
    const std::size_t before = machine.spooler.Printers().size();
    EXPECT_EQ(AddPrinterWithSuffix(machine, record.info, c.usbPort), c.result) << c.name;
    EXPECT_STREQ(record.nameField, c.name);
    EXPECT_EQ(machine.ui.Texts(), c.messages) << c.name;
    EXPECT_EQ(machine.spooler.Printers().size(), before + (c.result == 1 ? 1 : 0));
    if (c.result == 1) {
      EXPECT_NE(machine.spooler.FindPrinter(c.name), nullptr);
    }
  }
}

TEST(AddPrinterWithSuffixTest, OtherSpoolerErrorsShowTheirNumber) {
  struct Case {
    const char* name;
    std::vector<std::string> existing;
    const char* faultMatch;  // the add that fails with access denied
  };
  const Case cases[] = {
      {"plain add", {}, "KP-200"},
      {"suffixed add", {"KP-200"}, "(1)"},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine;
    AddDriver(machine);
    for (const std::string& name : c.existing) AddExistingPrinter(machine, name);
    machine.faults.FailOnce("AddPrinterA", ERROR_ACCESS_DENIED, c.faultMatch);
    PrinterRecord record("KP-200");
    EXPECT_EQ(AddPrinterWithSuffix(machine, record.info, false), 0) << c.name;
    EXPECT_EQ(machine.ui.Texts(), (std::vector<std::string>{"Add printer error", "error = 5"}))
        << c.name;
    EXPECT_TRUE(record.NameCleared()) << c.name;
    EXPECT_EQ(PrinterNames(machine), c.existing) << c.name;
  }
  // An unknown port is the spooler's own refusal, reported alike.
  sim::SimMachine machine;
  AddDriver(machine);
  PrinterRecord record("KP-200", "USB_KP-200_1");
  EXPECT_EQ(AddPrinterWithSuffix(machine, record.info, true), 0);
  EXPECT_EQ(machine.ui.Texts(),
            (std::vector<std::string>{"Add printer error",
                                      "error = " + std::to_string(ERROR_UNKNOWN_PORT)}));
}

TEST(AddPrinterWithSuffixTest, SuffixedNameThatWouldNotFitItsFieldIsRefused) {
  // 196 characters and "(1)" fill the 200-byte field with its terminator.
  const std::string fits(196, 'K');
  const std::string tooLong(197, 'K');
  {
    sim::SimMachine machine;
    AddDriver(machine);
    AddExistingPrinter(machine, fits);
    PrinterRecord record(fits);
    EXPECT_EQ(AddPrinterWithSuffix(machine, record.info, false), 1);
    EXPECT_EQ(std::string(record.nameField), fits + "(1)");
  }
  {
    sim::SimMachine machine;
    AddDriver(machine);
    AddExistingPrinter(machine, tooLong);
    // Guard bytes right behind the field catch a write past it.
    struct {
      PrinterRecord record{std::string(197, 'K')};
      char guard[8] = {'g', 'g', 'g', 'g', 'g', 'g', 'g', 'g'};
    } block;
    EXPECT_EQ(AddPrinterWithSuffix(machine, block.record.info, false), 0);
    EXPECT_TRUE(block.record.NameCleared());
    EXPECT_EQ(std::string(block.guard, 8), "gggggggg");
    EXPECT_EQ(machine.ui.Texts(), (std::vector<std::string>{"Add printer error", "error = 1801"}));
    EXPECT_EQ(PrinterNames(machine), std::vector<std::string>{tooLong});
  }
}

TEST(InstallPrinterDriverTest, RefusedDriverShowsMessage118) {
  sim::SimMachine machine;
  char name[] = "KP Thermal Driver";
  char file[] = "kpdrv.dll";
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = name;
  driver.pDriverPath = file;
  driver.pDataFile = file;
  driver.pConfigFile = file;
  // The file is not in the driver directory: the spooler refuses.
  EXPECT_EQ(InstallPrinterDriver(machine, driver), 0);
  EXPECT_EQ(machine.ui.Texts(), std::vector<std::string>{"Add printer driver error"});

  machine.files.WriteFile(machine.system.DriverDirectory(machine.system.Environment()) +
                              "\\kpdrv.dll",
                          "driver");
  machine.ui.boxes.clear();
  EXPECT_EQ(InstallPrinterDriver(machine, driver), 1);
  EXPECT_TRUE(machine.ui.boxes.empty());
  EXPECT_NE(machine.spooler.FindDriver(name), nullptr);
}

TEST(CheckPortListTest, EnumerationFailuresShowMessage125) {
  for (sim::SimOs os : {sim::kWin98, sim::kWinNT4, sim::kWinXP}) {
    sim::SimMachine machine(os);
    EXPECT_EQ(CheckPortList(machine), 1) << os;
    EXPECT_TRUE(machine.ui.boxes.empty()) << os;
  }
  {
    sim::SimMachine machine;
    machine.faults.FailOnce("EnumPortsA", ERROR_ACCESS_DENIED);
    EXPECT_EQ(CheckPortList(machine), 0);
    EXPECT_EQ(machine.ui.Texts(), std::vector<std::string>{"Enum ports error"});
  }
  {
    sim::SimMachine machine;
    machine.SetSpoolerRunning(false);
    EXPECT_EQ(CheckPortList(machine), 0);
    EXPECT_EQ(machine.ui.Texts(), std::vector<std::string>{"Enum ports error"});
  }
}

TEST(MakeDefaultPrinterTest, EachRunningSystemKeepsTheDefaultItsOwnWay) {
  struct Case {
    sim::SimOs os;
    std::optional<std::string> profileWrite;  // "device" value written by the installer
    std::optional<std::string> broadcastText;
  };
  const Case cases[] = {
      {sim::kWin98, std::nullopt, "windows"},
      {sim::kWinMe, std::nullopt, "windows"},
      {sim::kWinNT4, "KP-200,KP Thermal Driver,LPT1:", std::nullopt},
      {sim::kWin2000, std::nullopt, std::nullopt},
      {sim::kWinXP, std::nullopt, std::nullopt},
      {sim::kWin2003, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine(c.os);
    AddDriver(machine);
    AddExistingPrinter(machine, "Other");
    AddExistingPrinter(machine, "KP-200");
    EXPECT_EQ(MakeDefaultPrinter(machine, "KP-200"), 1) << machine.system.name;
    EXPECT_EQ(machine.spooler.DefaultPrinter(), "KP-200") << machine.system.name;
    std::vector<sim::ProfileWrite> expectedWrites;
    if (c.profileWrite) expectedWrites.push_back(sim::ProfileWrite{"windows", "device", c.profileWrite});
    EXPECT_EQ(machine.profile.writes, expectedWrites) << machine.system.name;
    const std::vector<sim::Broadcast> broadcasts = {sim::Broadcast{c.broadcastText, true, 1000}};
    EXPECT_EQ(machine.profile.broadcasts, broadcasts) << machine.system.name;
    EXPECT_EQ(CountCalls(machine, "OpenPrinterA"), CountCalls(machine, "ClosePrinter"));
    EXPECT_EQ(CountCalls(machine, "LoadLibraryA"), CountCalls(machine, "FreeLibrary"));
    EXPECT_TRUE(machine.ui.boxes.empty());
  }
}

TEST(MakeDefaultPrinterTest, FailuresChangeNothingAndTellNoOne) {
  struct Case {
    const char* name;
    sim::SimOs os;
    const char* printer;
    const char* faultCall;  // or null
    int held;               // printers opened, libraries loaded: each must be released
  };
  const Case cases[] = {
      {"no name", sim::kWinXP, "", nullptr, 0},
      {"unknown printer 98", sim::kWin98, "Missing", nullptr, 0},
      {"unknown printer NT 4.0", sim::kWinNT4, "Missing", nullptr, 0},
      {"unknown printer XP", sim::kWinXP, "Missing", nullptr, 1},
      {"record unread 98", sim::kWin98, "KP-200", "GetPrinterA", 1},
      {"record unread NT 4.0", sim::kWinNT4, "KP-200", "GetPrinterA", 1},
      {"record unwritten 98", sim::kWin98, "KP-200", "SetPrinterA", 1},
      {"no winspool.drv", sim::kWin2000, "KP-200", "LoadLibraryA", 0},
      {"no SetDefaultPrinterA", sim::kWinXP, "KP-200", "GetProcAddress", 1},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine(c.os);
    AddDriver(machine);
    AddExistingPrinter(machine, "KP-200");
    if (c.faultCall != nullptr) machine.faults.FailAlways(c.faultCall, ERROR_ACCESS_DENIED);
    EXPECT_EQ(MakeDefaultPrinter(machine, c.printer), 0) << c.name;
    EXPECT_EQ(machine.spooler.DefaultPrinter(), "") << c.name;
    EXPECT_TRUE(machine.profile.writes.empty()) << c.name;
    EXPECT_TRUE(machine.profile.broadcasts.empty()) << c.name;
    EXPECT_TRUE(machine.ui.boxes.empty()) << c.name;
    EXPECT_EQ(CountCalls(machine, "ClosePrinter") + CountCalls(machine, "FreeLibrary"), c.held)
        << c.name;
  }
}

TEST(MakeDefaultPrinterTest, UnknownPlatformFamilyDoesNothing) {
  sim::SimMachine machine(sim::kUnknownFamily);
  AddDriver(machine);
  AddExistingPrinter(machine, "KP-200");
  EXPECT_EQ(MakeDefaultPrinter(machine, "KP-200"), 1);
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "");
  EXPECT_TRUE(machine.profile.writes.empty());
  EXPECT_TRUE(machine.profile.broadcasts.empty());
}

TEST(RestartComputerTest, ReportsWhetherTheRequestWasAccepted) {
  // NT refuses a program without the shutdown privilege, which is not asked for.
  for (DWORD refusal : {ERROR_SUCCESS, ERROR_PRIVILEGE_NOT_HELD}) {
    sim::SimMachine machine;
    machine.restartRefusal = refusal;
    EXPECT_EQ(RestartComputer(machine), refusal == ERROR_SUCCESS ? 1 : 0);
    ASSERT_EQ(machine.restartRequests.size(), 1u);
    EXPECT_EQ(machine.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT));
  }
}

}  // namespace
}  // namespace setwell
