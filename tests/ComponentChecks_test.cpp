// Port monitors and print processors: installed when absent, found outdated
// by their recorded version when present; and the spooler service control.
#include <gtest/gtest.h>

#include "config/InstallConfig.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "system/RegistryKey.h"
#include "system/Spooler.h"
#include "tests/InstallTestMachine.h"

namespace setwell {
namespace {

using testing::CopyTargets;
using testing::PutTestDistribution;

constexpr const char* kSerial = "Test Serial Monitor";
constexpr const char* kUsb = "Test USB Monitor";

bool ReadVersion(sim::SimMachine& machine, const std::string& key, DWORD& version) {
  return machine.registry.GetDword(key, "DriverVersion", version);
}

TEST(CheckPortMonitorTest, PortsThatNeedNoMonitorTouchNothing) {
  struct Case {
    sim::SimOs os;
    int target;
    const char* port;
  };
  const Case cases[] = {
      {sim::kWinXP, kWinXP, "LPT1:"},
      {sim::kWin98, kWin98, "COM1:"},          // 98/Me never use the serial monitor
      {sim::kWinNT4, kWinNT4, "USB_TP_1"},     // NT 4.0 never uses the USB monitor
      {sim::kWinXP, kWinXP, "FILE:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    sim::SimMachine machine(c.os);
    PutTestDistribution(machine);
    EXPECT_EQ(CheckPortMonitor(machine, c.target, c.port), 0);
    EXPECT_TRUE(CopyTargets(machine).empty());
    EXPECT_FALSE(machine.spooler.KnowsMonitor(kSerial));
    EXPECT_FALSE(machine.spooler.KnowsMonitor(kUsb));
  }
}

TEST(CheckPortMonitorTest, AbsentMonitorIsCopiedAddedAndRecorded) {
  struct Case {
    sim::SimOs os;
    int target;
    const char* port;
    const char* monitor;
    const char* dll;
    const char* ui;
    DWORD version;
  };
  const Case cases[] = {
      {sim::kWinXP, kWinXP, "TVCOM3:", kSerial, "tsermon.dll", "tserui.dll", 105},
      {sim::kWinNT4, kWinNT4, "COM1:", kSerial, "tsermon.dll", "tserui.dll", 105},
      {sim::kWin2003, kWin2003, "USB_TP_2", kUsb, "tusbmon.dll", "tusbui.dll", 112},
      {sim::kWin98, kWin98, "USB_TP_1", kUsb, "tusbmon.dll", "tusbui.dll", 112},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    sim::SimMachine machine(c.os);
    PutTestDistribution(machine);
    EXPECT_EQ(CheckPortMonitor(machine, c.target, c.port), 0);
    EXPECT_TRUE(machine.spooler.KnowsMonitor(c.monitor));
    const std::string system = machine.system.systemDirectory + "\\";
    EXPECT_EQ(CopyTargets(machine), (std::vector<std::string>{system + c.dll, system + c.ui}));
    DWORD version = 0;
    EXPECT_TRUE(ReadVersion(machine, MonitorKey(c.monitor), version));
    EXPECT_EQ(version, c.version);
    EXPECT_TRUE(machine.ui.boxes.empty());
  }
}

TEST(CheckPortMonitorTest, InstalledMonitorIsOnlyCompared) {
  struct Case {
    const char* port;
    const char* monitor;
    const char* dll;
    std::optional<DWORD> recorded;
    int expected;
  };
  const Case cases[] = {
      {"COM2:", kSerial, "tsermon.dll", 105, 0},
      {"COM2:", kSerial, "tsermon.dll", 200, 0},
      {"COM2:", kSerial, "tsermon.dll", 104, kUpdateSerialMonitor},
      {"COM2:", kSerial, "tsermon.dll", std::nullopt, kUpdateSerialMonitor},
      {"USB_TP_1", kUsb, "tusbmon.dll", 111, kUpdateUsbMonitor},
      {"USB_TP_1", kUsb, "tusbmon.dll", std::nullopt, kUpdateUsbMonitor},
      {"USB_TP_1", kUsb, "tusbmon.dll", 0xFFFFFFFF, 0},  // compared unsigned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.port) + " " + std::to_string(c.recorded.value_or(0)));
    sim::SimMachine machine(sim::kWinXP);
    PutTestDistribution(machine);
    machine.spooler.InstallMonitor(c.monitor, c.dll);
    if (c.recorded) machine.registry.SetDword(MonitorKey(c.monitor), "DriverVersion", *c.recorded);
    EXPECT_EQ(CheckPortMonitor(machine, kWinXP, c.port), c.expected);
    EXPECT_TRUE(CopyTargets(machine).empty());
  }
}

TEST(CheckPortMonitorTest, MonitorInUseIsInstalledUnderTheAlternateName) {
  sim::SimMachine machine(sim::kWinXP);
  PutTestDistribution(machine);
  // Another monitor's spooler-loaded DLL of the same file name.
  machine.spooler.InstallMonitor("Other Monitor", "tsermon.dll");
  EXPECT_EQ(CheckPortMonitor(machine, kWinXP, "COM1:"), 0);
  EXPECT_NE(machine.files.Find(machine.system.systemDirectory + "\\ntsermon.dll"), nullptr);
  EXPECT_EQ(machine.registry.FindValue(MonitorKey(kSerial), "Driver")->data, std::string("ntsermon.dll\0", 13));
}

TEST(CheckPortMonitorTest, AddMonitorAnswers) {
  struct Case {
    DWORD error;
    int expected;
    bool recorded;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {ERROR_PRINT_MONITOR_ALREADY_INSTALLED, 0, true, {}},
      {ERROR_ALREADY_EXISTS, 0, true, {}},
      {ERROR_ACCESS_DENIED, kPortMonitorFailed, false, {"Add monitor error"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    sim::SimMachine machine(sim::kWinXP);
    PutTestDistribution(machine);
    machine.faults.FailOnce("AddMonitorA", c.error);
    // The key must exist for the version to be written after a "known" answer.
    if (c.recorded) machine.registry.CreateKey(MonitorKey(kSerial) + "\\Ports");
    if (c.recorded) machine.faults.FailOnce("RegOpenKeyExA", ERROR_FILE_NOT_FOUND, kSerial);
    EXPECT_EQ(CheckPortMonitor(machine, kWinXP, "COM1:"), c.expected);
    DWORD version = 0;
    EXPECT_EQ(ReadVersion(machine, MonitorKey(kSerial), version), c.recorded);
    EXPECT_EQ(machine.ui.Texts(), c.boxes);
  }
}

TEST(CheckPrintProcessorTest, WinPrintIsNeverExamined) {
  sim::SimMachine machine(sim::kWinXP);
  PutTestDistribution(machine);
  EXPECT_EQ(CheckPrintProcessor(machine, kWinXP, "WinPrint", "tpproc.dll"), 0);
  for (const sim::SimCallRecord& call : machine.trace) {
    EXPECT_EQ(call.call.rfind("Reg", 0), std::string::npos) << call.call;
  }
  EXPECT_TRUE(CopyTargets(machine).empty());
  // Another letter case is examined as a processor of the model's own: the
  // registry finds the system's key whatever the case, without a version.
  EXPECT_EQ(CheckPrintProcessor(machine, kWinXP, "winprint", "tpproc.dll"), kUpdatePrintProcessor);
  EXPECT_TRUE(machine.ui.boxes.empty());
}

TEST(CheckPrintProcessorTest, FreshInstallRegistersAndRecordsUnderTheTargetsEnvironment) {
  struct Case {
    sim::SimOs os;
    int target;
    const char* environmentKey;
  };
  const Case cases[] = {{sim::kWin98, kWin98, "Windows 4.0"},
                        {sim::kWinXP, kWinXP, "Windows NT x86"},
                        {sim::kWin2003, kWin2003, "Windows NT x86"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.environmentKey);
    sim::SimMachine machine(c.os);
    PutTestDistribution(machine);
    const std::uint64_t before = machine.clock.TotalSleptMs();
    EXPECT_EQ(CheckPrintProcessor(machine, c.target, "TP Processor", "tpproc.dll"), 0);
    EXPECT_TRUE(machine.spooler.KnowsPrintProcessor("TP Processor"));
    const std::string key = PrintProcessorKey(c.target, "TP Processor");
    EXPECT_NE(key.find(c.environmentKey), std::string::npos);
    DWORD version = 0;
    EXPECT_TRUE(ReadVersion(machine, key, version));
    EXPECT_EQ(version, 120u);
    EXPECT_EQ(machine.clock.TotalSleptMs() - before, 200u);
    EXPECT_EQ(CopyTargets(machine),
              std::vector<std::string>{machine.system.ProcessorDirectory("") + "\\tpproc.dll"});
  }
}

TEST(CheckPrintProcessorTest, InstalledProcessorIsOnlyCompared) {
  struct Case {
    std::optional<DWORD> recorded;
    int expected;
  };
  for (const Case& c : {Case{120, 0}, Case{121, 0}, Case{119, kUpdatePrintProcessor},
                        Case{std::nullopt, kUpdatePrintProcessor}}) {
    sim::SimMachine machine(sim::kWinXP);
    PutTestDistribution(machine);
    machine.spooler.InstallPrintProcessor("TP Processor", "tpproc.dll");
    const std::string key = PrintProcessorKey(kWinXP, "TP Processor");
    if (c.recorded) machine.registry.SetDword(key, "DriverVersion", *c.recorded);
    EXPECT_EQ(CheckPrintProcessor(machine, kWinXP, "TP Processor", "tpproc.dll"), c.expected);
    EXPECT_TRUE(CopyTargets(machine).empty());
  }
}

TEST(CheckPrintProcessorTest, RefusedRegistrationEndsTheInstallWithOneMessage) {
  for (DWORD error : {ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED, ERROR_ALREADY_EXISTS,
                      ERROR_INVALID_PARAMETER, ERROR_ACCESS_DENIED}) {
    SCOPED_TRACE(error);
    sim::SimMachine machine(sim::kWinXP);
    PutTestDistribution(machine);
    machine.faults.FailOnce("AddPrintProcessorA", error);
    EXPECT_EQ(CheckPrintProcessor(machine, kWinXP, "TP Processor", "tpproc.dll"),
              kPrintProcessorFailed);
    EXPECT_EQ(machine.ui.boxes.size(), 1u);
    EXPECT_FALSE(machine.registry.KeyExists(PrintProcessorKey(kWinXP, "TP Processor")));
  }
  sim::SimMachine machine(sim::kWinXP);
  machine.faults.FailOnce("AddPrintProcessorA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegisterPrintProcessor(machine, "P", "p.dll", kWinXP), 0);
  machine.faults.FailOnce("AddPrintProcessorA", ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);
  EXPECT_EQ(RegisterPrintProcessor(machine, "P", "p.dll", kWinXP), 3005);
}

TEST(SpoolerControlTest, StopAndStartAnswersThatAreNoError) {
  sim::SimMachine machine(sim::kWinXP);
  StartSpooler(machine);  // running already: 1056, silent
  StopSpooler(machine);
  EXPECT_FALSE(machine.services.IsRunning("Spooler"));
  StopSpooler(machine);  // stopped already: 1062, silent
  EXPECT_TRUE(machine.ui.boxes.empty());
  EXPECT_EQ(machine.clock.sleeps, (std::vector<DWORD>{100, 100}));
  StartSpooler(machine);
  EXPECT_TRUE(machine.services.IsRunning("Spooler"));
  EXPECT_EQ(WaitSpoolerRunning(machine), 1);
  EXPECT_TRUE(machine.ui.boxes.empty());
}

TEST(SpoolerControlTest, FailuresAreReportedWithTheirCode) {
  sim::SimMachine machine(sim::kWinXP);
  machine.faults.FailOnce("ControlService", ERROR_ACCESS_DENIED);
  StopSpooler(machine);
  machine.faults.FailOnce("StartServiceA", 1058);
  StartSpooler(machine);
  EXPECT_EQ(machine.ui.Texts(), (std::vector<std::string>{"Stop spool service error, error code = 5",
                                                          "Start spool service error, error code = 1058"}));
}

TEST(SpoolerControlTest, WaitQueriesTenTimesAtMost) {
  struct Case {
    int startAfterQueries;
    int expected;
    std::vector<DWORD> sleeps;
  };
  const Case cases[] = {
      {3, 1, {300, 300, 300}},
      {sim::SimService::kNever, 0, std::vector<DWORD>(10, 300)},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine(sim::kWinXP);
    machine.SetSpoolerStartup(c.startAfterQueries);
    machine.SetSpoolerRunning(false);
    StartSpooler(machine);
    machine.clock.sleeps.clear();
    EXPECT_EQ(WaitSpoolerRunning(machine), c.expected);
    EXPECT_EQ(machine.clock.sleeps, c.sleeps);
    EXPECT_EQ(machine.ui.Texts(), c.expected ? std::vector<std::string>{}
                                             : std::vector<std::string>{"StartSpoolService error"});
  }
}

}  // namespace
}  // namespace setwell
