// Replacing one outdated component per install.
#include "system/ComponentUpdate.h"

#include <gtest/gtest.h>

#include "config/InstallConfig.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "tests/InstallTestMachine.h"

namespace setwell {
namespace {

using testing::CopySources;
using testing::CopyTargets;
using testing::PutTestDistribution;

constexpr const char* kSerial = "Test Serial Monitor";
constexpr const char* kUsb = "Test USB Monitor";
constexpr const char* kProcessor = "TP Processor";

// A machine where all three components are installed in version 1.
struct Outdated {
  explicit Outdated(sim::SimOs os, int target) : machine(os), target(target) {
    PutTestDistribution(machine);
    machine.spooler.InstallMonitor(kSerial, "tsermon.dll");
    machine.spooler.InstallMonitor(kUsb, "tusbmon.dll");
    machine.spooler.InstallPrintProcessor(kProcessor, "tpproc.dll");
    for (const std::string& key :
         {MonitorKey(kSerial), MonitorKey(kUsb), PrintProcessorKey(target, kProcessor)}) {
      machine.registry.SetDword(key, "DriverVersion", 1);
    }
  }
  bool Update(int flags) { return UpdateComponent(machine, flags, target, kProcessor, "tpproc.dll"); }
  DWORD Version(const std::string& key) {
    DWORD version = 0;
    machine.registry.GetDword(key, "DriverVersion", version);
    return version;
  }
  sim::SimMachine machine;
  int target;
};

TEST(UpdateComponentTest, NtReplacesOnlyTheFirstPendingComponentWithTheSpoolerStopped) {
  Outdated o(sim::kWinXP, kWinXP);
  ASSERT_TRUE(o.Update(kUpdateSerialMonitor | kUpdatePrintProcessor));
  EXPECT_EQ(o.Version(MonitorKey(kSerial)), 105u);
  EXPECT_EQ(o.Version(PrintProcessorKey(kWinXP, kProcessor)), 1u);  // left for another install
  // Only the monitor DLL, never its user-interface DLL.
  EXPECT_EQ(CopyTargets(o.machine),
            std::vector<std::string>{o.machine.system.systemDirectory + "\\tsermon.dll"});
  EXPECT_EQ(o.machine.files.Find(o.machine.system.systemDirectory + "\\tsermon.dll")->data,
            "stand-in winnt tsermon.dll");
  EXPECT_TRUE(o.machine.services.IsRunning("Spooler"));
  // Stop (100), 500, start, 2500, start, 1000, and the first status query runs.
  EXPECT_EQ(o.machine.clock.sleeps, (std::vector<DWORD>{100, 500, 2500, 1000}));
  EXPECT_TRUE(o.machine.ui.boxes.empty());
}

TEST(UpdateComponentTest, ProcessorOnServer2003ComesFromItsOwnFolder) {
  Outdated o(sim::kWin2003, kWin2003);
  ASSERT_TRUE(o.Update(kUpdatePrintProcessor));
  EXPECT_EQ(o.Version(PrintProcessorKey(kWin2003, kProcessor)), 120u);
  EXPECT_EQ(CopySources(o.machine), std::vector<std::string>{"D:\\\\win2003\\tpproc.dll"});
  EXPECT_EQ(o.machine.clock.sleeps, (std::vector<DWORD>{100, 500, 2500, 1000}));

  Outdated nt4(sim::kWinNT4, kWinNT4);
  ASSERT_TRUE(nt4.Update(kUpdateSerialMonitor));
  EXPECT_EQ(nt4.machine.clock.sleeps, (std::vector<DWORD>{100, 500, 1000, 1000}));
}

TEST(UpdateComponentTest, NtFailuresEndTheInstallWithTheSpoolerRunning) {
  {
    Outdated o(sim::kWinXP, kWinXP);
    o.machine.faults.FailOnce("GetPrintProcessorDirectoryA", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(o.Update(kUpdatePrintProcessor));
    EXPECT_EQ(o.machine.ui.Texts(), std::vector<std::string>{"Cannot get printer processor directory"});
    EXPECT_TRUE(o.machine.services.IsRunning("Spooler"));  // never stopped
  }
  {
    Outdated o(sim::kWinXP, kWinXP);
    o.machine.faults.FailOnce("CopyFileA", 112);
    EXPECT_FALSE(o.Update(kUpdatePrintProcessor));
    EXPECT_EQ(o.machine.ui.Texts(), (std::vector<std::string>{"Copy driver files error", "112"}));
    EXPECT_EQ(o.Version(PrintProcessorKey(kWinXP, kProcessor)), 1u);
    EXPECT_TRUE(o.machine.services.IsRunning("Spooler"));  // started again before the end
  }
  {
    Outdated o(sim::kWinXP, kWinXP);
    o.machine.SetSpoolerStartup(sim::SimService::kNever);
    EXPECT_FALSE(o.Update(kUpdateUsbMonitor));
    EXPECT_EQ(o.machine.ui.Texts(), std::vector<std::string>{"StartSpoolService error"});
    EXPECT_EQ(o.Version(MonitorKey(kUsb)), 112u);  // nothing is undone
  }
}

TEST(UpdateComponentTest, VersionIsRecordedOnlyForAFilePutInPlace) {
  {
    // The stopped spooler has not let go of the DLL yet.
    Outdated o(sim::kWinXP, kWinXP);
    o.machine.faults.FailOnce("CopyFileA", ERROR_SHARING_VIOLATION, "tsermon.dll");
    ASSERT_TRUE(o.Update(kUpdateSerialMonitor));
    EXPECT_EQ(o.Version(MonitorKey(kSerial)), 1u);
    // Shown as the processor branch shows it; the install goes on.
    EXPECT_EQ(o.machine.ui.Texts(), (std::vector<std::string>{"Copy driver files error", "32"}));
    EXPECT_TRUE(o.machine.services.IsRunning("Spooler"));
  }
  {
    Outdated o(sim::kWin98, kWin98);
    o.machine.faults.FailOnce("CopyFileA", 112, "tpproc.dll");
    ASSERT_TRUE(o.Update(kUpdatePrintProcessor));
    EXPECT_EQ(o.Version(PrintProcessorKey(kWin98, kProcessor)), 1u);
    EXPECT_EQ(o.machine.registry.FindValue(PrintProcessorKey(kWin98, kProcessor), "Driver")->data,
              std::string("tpproc.dll\0", 11));
    EXPECT_EQ(o.machine.ui.boxes.size(), 3u);  // the copy's own three boxes
  }
}

TEST(UpdateComponentTest, MonitorAddedUnderTheAlternateNameIsReplacedUnderIt) {
  Outdated o(sim::kWinXP, kWinXP);
  o.machine.spooler.InstallMonitor(kSerial, "ntsermon.dll");  // "Driver" names the n-file
  ASSERT_TRUE(o.Update(kUpdateSerialMonitor));
  EXPECT_EQ(CopyTargets(o.machine),
            std::vector<std::string>{o.machine.system.systemDirectory + "\\ntsermon.dll"});
  EXPECT_EQ(o.machine.files.Find(o.machine.system.systemDirectory + "\\ntsermon.dll")->data,
            "stand-in winnt tsermon.dll");
  EXPECT_EQ(o.Version(MonitorKey(kSerial)), 105u);

  // Not replaced: the version stays.
  Outdated refused(sim::kWinXP, kWinXP);
  refused.machine.spooler.InstallMonitor(kSerial, "ntsermon.dll");
  refused.machine.faults.FailOnce("CopyFileA", ERROR_ACCESS_DENIED, "ntsermon.dll");
  ASSERT_TRUE(refused.Update(kUpdateSerialMonitor));
  EXPECT_EQ(refused.Version(MonitorKey(kSerial)), 1u);
  EXPECT_EQ(refused.machine.ui.Texts(), (std::vector<std::string>{"Copy driver files error", "5"}));
}

TEST(UpdateComponentTest, Windows98RewritesTheRecordsAndUsesTheAlternateNameWhenInUse) {
  Outdated o(sim::kWin98, kWin98);
  // The 9x spooler always runs and holds its monitors' DLLs.
  ASSERT_TRUE(o.Update(kUpdateUsbMonitor | kUpdatePrintProcessor));
  const sim::RegValue* driver = o.machine.registry.FindValue(MonitorKey(kUsb), "Driver");
  ASSERT_NE(driver, nullptr);
  EXPECT_EQ(driver->data, std::string("ntusbmon.dll\0", 13));
  EXPECT_EQ(o.Version(MonitorKey(kUsb)), 112u);
  EXPECT_NE(o.machine.files.Find(o.machine.system.systemDirectory + "\\ntusbmon.dll"), nullptr);
  EXPECT_TRUE(o.machine.clock.sleeps.empty());
  EXPECT_TRUE(o.machine.ui.boxes.empty());
}

TEST(UpdateComponentTest, Windows98CreatesAMissingKeyAndReportsAFileItCannotReplace) {
  {
    sim::SimMachine machine(sim::kWin98);
    PutTestDistribution(machine);
    ASSERT_TRUE(UpdateComponent(machine, kUpdatePrintProcessor, kWin98, kProcessor, "tpproc.dll"));
    const std::string key = PrintProcessorKey(kWin98, kProcessor);
    EXPECT_EQ(machine.registry.FindValue(key, "Driver")->data, std::string("tpproc.dll\0", 11));
    DWORD version = 0;
    EXPECT_TRUE(machine.registry.GetDword(key, "DriverVersion", version));
    EXPECT_EQ(version, 120u);
  }
  {
    Outdated o(sim::kWin98, kWin98);
    o.machine.faults.FailTimes("CopyFileA", ERROR_SHARING_VIOLATION, 2);
    EXPECT_FALSE(o.Update(kUpdateUsbMonitor));
    EXPECT_EQ(o.machine.ui.Texts(), std::vector<std::string>{"Fatal error, try rebooting the system"});
  }
  {
    // The serial monitor alone is nothing to do on Windows 98/Me.
    Outdated o(sim::kWin98, kWin98);
    EXPECT_TRUE(o.Update(kUpdateSerialMonitor));
    EXPECT_TRUE(CopyTargets(o.machine).empty());
  }
}

}  // namespace
}  // namespace setwell
