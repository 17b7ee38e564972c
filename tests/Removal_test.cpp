// The removal on the simulated machine, over the sample distribution:
// what an install put there goes and nothing else does, a component another
// printer uses stays, a request that cannot be carried out changes nothing,
// and files the host holds go at the next restart.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/InstallSequence.h"
#include "config/Family.h"
#include "config/InstallConfig.h"
#include "config/UsbPortRecords.h"
#include "removal/Removal.h"
#include "script/UnattendedRemoval.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "system/AsciiCase.h"
#include "tests/RemovalTestSupport.h"
#include "tools/setup_check/Rehearsal.h"

namespace setwell {
namespace {

using removal_testing::Capture;
using removal_testing::Differences;
using removal_testing::Till;

struct System {
  sim::SimOs os;
  std::int32_t target;
  const char* name;
};
constexpr System kSystems[] = {{sim::kWin98, kWin98, "98"},       {sim::kWinMe, kWin98, "me"},
                               {sim::kWinNT4, kWinNT4, "nt4"},    {sim::kWin2000, kWin2000, "2000"},
                               {sim::kWinXP, kWinXP, "xp"},       {sim::kWin2003, kWin2003, "2003"}};

InstallSelections Parallel(std::int32_t target, const std::string& model, std::int32_t category) {
  InstallSelections s;
  s.target = target;
  s.modelName = model;
  s.category = category;
  s.portName = "LPT1:";
  s.setupType = kTypicalSetup;
  s.rasterGraphics = kRasterDriver;
  return s;
}

InstallSelections Usb(std::int32_t target, const std::string& model, std::int32_t category) {
  InstallSelections s = Parallel(target, model, category);
  s.portName = "USB_" + model + "_1";
  return s;
}

// Every install setup-check rehearses on the sample distribution, then its
// printer removed: the machine is as it was before the install, file for
// file and value for value, but for the serial line settings, which are
// the port's and stay.
TEST(RemovalTest, EveryRehearsedInstallRemovedLeavesTheMachineAsBefore) {
  std::size_t runs = 0;
  for (const System& system : kSystems) {
    Till probe(system.os);
    InstallConfig config(probe.machine);
    const Family family = ReadFamily(probe.machine, system.target);
    ASSERT_FALSE(family.models.empty()) << system.name;
    for (const FamilyModel& model : family.models) {
      const check::ListedModel listed{model.name, model.category, 0, 0};
      std::vector<InstallSelections> all = check::WizardSelections(config, listed, system.target);
      for (std::size_t i = 0; i < all.size(); ++i) {
        InstallSelections selections = all[i];
        // Every other install also makes its printer the default.
        selections.defaultPrinter = static_cast<std::int32_t>(i % 2);
        const std::string what = std::string(system.name) + " " + model.name + " on " +
                                 selections.portName + " mode " +
                                 std::to_string(selections.rasterGraphics) + " setup " +
                                 std::to_string(selections.setupType);
        Till till(system.os);
        const auto before = Capture(till.machine);
        const std::string printer = till.Install(selections);
        ASSERT_FALSE(printer.empty()) << what;
        const removal::RemovalOutcome outcome = till.Remove({printer});
        EXPECT_EQ(outcome.exitCode, removal::kExitRemoved) << what << "\n" << till.log.str();
        EXPECT_TRUE(outcome.left.empty()) << what;
        EXPECT_EQ(Differences(before, Capture(till.machine)), "") << what << "\n" << till.log.str();
        EXPECT_EQ(till.machine.spooler.DefaultPrinter(), "") << what;
        ++runs;
      }
    }
  }
  EXPECT_GT(runs, 100u) << "the rehearsal's combinations";
}

// Two printers on one driver: the first removal keeps the driver with its
// files for the other printer; the second takes them.
TEST(RemovalTest, ADriverStaysWhilePrintersUseItAndGoesWithTheLast) {
  for (const System& system : kSystems) {
    SCOPED_TRACE(system.name);
    Till till(system.os);
    const auto before = Capture(till.machine);
    const InstallSelections selections = Parallel(system.target, "SW-R80", kReceipt);
    const std::string first = till.Install(selections);
    const std::string second = till.Install(selections);
    ASSERT_EQ(second, first + "(1)");
    const auto both = Capture(till.machine);
    const sim::SimPrinter* kept = till.machine.spooler.FindPrinter(second);
    ASSERT_NE(kept, nullptr);
    const std::string driver = kept->driverName;

    EXPECT_EQ(till.Remove({first}).exitCode, removal::kExitRemoved) << till.log.str();
    const sim::SimDriver* record = till.machine.spooler.FindDriver(driver);
    ASSERT_NE(record, nullptr) << "the driver the other printer uses";
    std::vector<std::string> files = {record->driverPath, record->dataFile, record->configFile};
    files.insert(files.end(), record->dependentFiles.begin(), record->dependentFiles.end());
    for (const std::string& file : files) {
      EXPECT_NE(till.machine.files.Find(file), nullptr) << file << " went with the first printer";
    }
    // Only the first printer differs from the machine with both.
    const std::string changed = Differences(both, Capture(till.machine));
    EXPECT_NE(changed.find("spooler printer " + LowerAscii(first) + "\n"), std::string::npos) << changed;
    EXPECT_EQ(std::count(changed.begin(), changed.end(), '\n'), 1) << changed;

    const removal::RemovalOutcome last = till.Remove({second});
    EXPECT_EQ(last.exitCode, removal::kExitRemoved) << till.log.str();
    EXPECT_EQ(Differences(before, Capture(till.machine)), "");
  }
}

// Two models whose drivers share files (the Unidrv-based drivers of 2000
// and later, the help file everywhere): the files stay with the model left,
// then go with it.
TEST(RemovalTest, FilesTwoModelsShareStayWithTheModelLeft) {
  for (const System& system : kSystems) {
    SCOPED_TRACE(system.name);
    Till till(system.os);
    const auto before = Capture(till.machine);
    const std::string r58 = till.Install(Parallel(system.target, "SW-R58", kReceipt));
    const auto onlyR58 = Capture(till.machine);
    InstallSelections t80 = Parallel(system.target, "SW-T80", kTicket);
    t80.portName = "LPT2:";
    const std::string other = till.Install(t80);
    ASSERT_FALSE(other.empty());

    EXPECT_EQ(till.Remove({other}).exitCode, removal::kExitRemoved) << till.log.str();
    EXPECT_EQ(Differences(onlyR58, Capture(till.machine)), "") << till.log.str();
    EXPECT_EQ(till.Remove({r58}).exitCode, removal::kExitRemoved);
    EXPECT_EQ(Differences(before, Capture(till.machine)), "");
  }
}

// A USB printer cannot be installed twice ("Maximum count of printers using
// the same port"): once removed, it installs again, and its records are what
// a machine that never had it holds.
TEST(RemovalTest, AUsbPrinterInstallsAgainOnceRemoved) {
  for (const System& system : kSystems) {
    if (system.target == kWinNT4) continue;  // no USB there
    SCOPED_TRACE(system.name);
    Till till(system.os);
    const InstallSelections r80 = Usb(system.target, "SW-R80", kReceipt);
    const std::string first = till.Install(r80);
    ASSERT_FALSE(first.empty());
    const auto installed = Capture(till.machine);
    EXPECT_EQ(till.Remove({first}).exitCode, removal::kExitRemoved) << till.log.str();
    EXPECT_EQ(till.Install(r80), first);
    EXPECT_EQ(Differences(installed, Capture(till.machine)), "");

    // With another of the family's USB printers left, the port records of
    // the one removed go back to those of a machine with the other alone.
    Till alone(system.os);
    alone.Install(Usb(system.target, "SW-T80", kTicket));
    const std::string t80 = till.Install(Usb(system.target, "SW-T80", kTicket));
    ASSERT_FALSE(t80.empty());
    EXPECT_EQ(till.Remove({first}).exitCode, removal::kExitRemoved) << till.log.str();
    EXPECT_EQ(Differences(Capture(alone.machine), Capture(till.machine)), "") << till.log.str();
    DWORD port = 0;
    EXPECT_TRUE(till.machine.registry.GetDword(kUsbPrinterPortKey, "USB_SW-R80_1", port));
    EXPECT_EQ(port, 255u) << "a supported port no printer is on";
  }
}

// What is not the family's stays: another maker's driver that names one of
// the Unidrv files, its monitor and its printer, the records other software
// writes below SOFTWARE\TALVORN.
TEST(RemovalTest, WhatIsNotTheFamilysStays) {
  Till till(sim::kWinXP);
  till.AddForeignPrinter("UNIRES.DLL");
  till.machine.registry.SetDword(kUsbInstallPrinterKey, "SW-R80(U) 3", 0);
  till.machine.registry.SetDword(kUsbPrinterPortKey, "USB_OTHER_1", 0);
  const auto before = Capture(till.machine);
  const std::string printer = till.Install(Usb(kWinXP, "SW-R80", kReceipt));
  ASSERT_FALSE(printer.empty());
  const removal::RemovalOutcome outcome = till.Remove({}, true);
  EXPECT_EQ(outcome.exitCode, removal::kExitRemoved) << till.log.str();
  // The install put the distribution's copy over the other maker's file
  // (the clash setup-check's removal rule tells of); the removal keeps it,
  // as that driver names it, and takes the install's own staging copy.
  // The position the install's walk over INSTALLPRINTER gave that
  // printer's port is the family's record, and goes with the family.
  EXPECT_EQ(Differences(before, Capture(till.machine)),
            "file " + LowerAscii(till.DriverFolder()) + "\\3\\unires.dll (changed)\n")
      << till.log.str();
  EXPECT_NE(till.machine.spooler.FindPrinter(removal_testing::kForeignPrinter), nullptr);
  EXPECT_NE(till.machine.files.Find(till.DriverFolder() + "\\3\\UNIRES.DLL"), nullptr);
  EXPECT_TRUE(till.machine.registry.KeyExists(kUsbRecordsKey)) << "it holds other software's";
}

// A request that cannot be carried out changes nothing, and says why.
TEST(RemovalTest, RequestsThatCannotBeCarriedOutChangeNothing) {
  struct Case {
    std::vector<std::string> printers;
    const char* why;
  };
  const Case cases[] = {
      {{"SW-R99(P)"}, "no printer \"SW-R99(P)\""},
      {{removal_testing::kForeignPrinter}, "not of this distribution's family"},
      {{"SW-R58(P)", "SW-R99(P)"}, "no printer \"SW-R99(P)\""},
      {{"SW-R58*"}, "wildcard"},
      {{"SW-R5?(P)"}, "wildcard"},
      {{"\\\\TILL7\\SW-R58(P)"}, "path character"},
      {{"..\\SW-R58(P)"}, "path character"},
      {{"SW-R58(P),LPT1:"}, "which no printer name can hold"},
      {{""}, "is empty"},
      {{std::string(300, 'R')}, "longer than"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Till till(sim::kWinXP);
    till.AddForeignPrinter("FOREIGN.DLL");
    ASSERT_EQ(till.Install(Parallel(kWinXP, "SW-R58", kReceipt)), "SW-R58(P)");
    const auto before = Capture(till.machine);
    const std::size_t changes = till.ChangingCalls();
    const removal::RemovalOutcome outcome = till.Remove(c.printers);
    EXPECT_EQ(outcome.exitCode, removal::kExitNothingRemoved);
    EXPECT_NE(outcome.reason.find(c.why), std::string::npos) << outcome.reason;
    EXPECT_EQ(Differences(before, Capture(till.machine)), "");
    EXPECT_EQ(till.ChangingCalls(), changes) << "a call that changes the host was made";
  }

  // Started from elsewhere than the distribution.
  Till till(sim::kWinXP);
  ASSERT_EQ(till.Install(Parallel(kWinXP, "SW-R58", kReceipt)), "SW-R58(P)");
  const auto before = Capture(till.machine);
  till.machine.currentDirectory = "C:\\";
  const removal::RemovalOutcome outcome = till.Remove({"SW-R58(P)"});
  EXPECT_EQ(outcome.exitCode, removal::kExitNothingRemoved);
  EXPECT_NE(outcome.reason.find("driver folder"), std::string::npos) << outcome.reason;
  EXPECT_EQ(Differences(before, Capture(till.machine)), "");
}

// A file another program holds is deleted at the next restart: on NT by
// MoveFileExA, after the spooler was stopped and started again; on 98 by
// WININIT.INI, whose lines of other programs stay. 3010 says so; the
// restart takes the file.
TEST(RemovalTest, AFileTheHostHoldsGoesAtTheNextRestart) {
  for (const System& system : {kSystems[0], kSystems[4]}) {
    SCOPED_TRACE(system.name);
    Till till(system.os);
    const auto before = Capture(till.machine);
    const std::string printer = till.Install(Parallel(system.target, "SW-R80", kReceipt));
    const std::string held = till.machine.system.systemDirectory + "\\SWSTMON.DLL";
    ASSERT_NE(till.machine.files.Find(held), nullptr);
    till.machine.files.Find(held)->inUse = true;
    const std::string wininit = till.machine.system.windowsDirectory + "\\WININIT.INI";
    if (system.target == kWin98) {
      till.machine.files.WriteFile(wininit, "[rename]\r\nC:\\OTHER.NEW=C:\\OTHER.TMP\r\n");
    }
    const std::size_t stopsBefore = till.SpoolerStops();

    const removal::RemovalOutcome outcome = till.Remove({printer});
    EXPECT_EQ(outcome.exitCode, removal::kExitRestartNeeded) << till.log.str();
    ASSERT_EQ(outcome.atRestart.size(), 1u);
    EXPECT_TRUE(EqualsNoCase(outcome.atRestart[0], held));
    EXPECT_EQ(till.SpoolerStops() - stopsBefore, system.target == kWin98 ? 0u : 1u);
    EXPECT_TRUE(till.machine.spooler.IsRunning());
    if (system.target == kWin98) {
      std::string text;
      ASSERT_TRUE(till.machine.ReadWholeFile(wininit.c_str(), text));
      EXPECT_NE(text.find("C:\\OTHER.NEW=C:\\OTHER.TMP"), std::string::npos) << text;
    }

    till.machine.files.Find(held)->inUse = false;
    till.machine.Reboot();
    std::string left = Differences(before, Capture(till.machine));
    // What the restart leaves of its own records of the deletions.
    EXPECT_EQ(till.machine.files.Find(held), nullptr);
    EXPECT_EQ(left.find("SWSTMON"), std::string::npos) << left;
  }
}

// What could not be removed is named, and is not counted removed; a
// monitor the spooler refuses to delete keeps its key.
TEST(RemovalTest, WhatCouldNotBeRemovedIsNamed) {
  Till till(sim::kWinXP);
  const std::string printer = till.Install(Usb(kWinXP, "SW-R80", kReceipt));
  till.machine.faults.FailAlways("DeleteMonitorA", ERROR_ACCESS_DENIED, "SW USB Port Monitor");
  const removal::RemovalOutcome outcome = till.Remove({printer});
  EXPECT_EQ(outcome.exitCode, removal::kExitFailed);
  EXPECT_NE(outcome.reason.find("monitor \"SW USB Port Monitor\" (error 5"), std::string::npos)
      << outcome.reason;
  EXPECT_TRUE(till.machine.spooler.KnowsMonitor("SW USB Port Monitor"));
  EXPECT_FALSE(till.machine.spooler.KnowsMonitor("SW Status Monitor"));
  EXPECT_EQ(till.machine.spooler.FindPrinter(printer), nullptr);
  const std::string text = removal::FormatRemoval(outcome);
  EXPECT_NE(text.find("== not removed: "), std::string::npos) << text;

  // Asked again once the host lets it go, the removal takes the rest.
  till.machine.faults.Clear();
  const removal::RemovalOutcome again = till.Remove({}, true);
  EXPECT_EQ(again.exitCode, removal::kExitRemoved) << till.log.str();
  EXPECT_FALSE(till.machine.spooler.KnowsMonitor("SW USB Port Monitor"));
}

// A spooler that cannot be asked afterwards proves nothing gone.
TEST(RemovalTest, ASpoolerThatDoesNotComeBackIsNamed) {
  Till till(sim::kWinXP);
  const std::string printer = till.Install(Parallel(kWinXP, "SW-R80", kReceipt));
  till.machine.files.Find(till.machine.system.systemDirectory + "\\SWSTMON.DLL")->inUse = true;
  till.machine.SetSpoolerStartup(sim::SimService::kNever);
  const removal::RemovalOutcome outcome = till.Remove({printer});
  EXPECT_EQ(outcome.exitCode, removal::kExitFailed);
  EXPECT_NE(outcome.reason.find("the spooler service"), std::string::npos) << outcome.reason;
  EXPECT_NE(outcome.reason.find("cannot be asked whether it is gone"), std::string::npos)
      << outcome.reason;
}

// A spooler that answers a print processor's deletion with success and
// keeps it (as Wine's does): its record goes, with a warning that says so,
// and the host asked afterwards has it no more.
class SpoolerKeepingProcessors : public sim::SimMachine {
 public:
  using SimMachine::SimMachine;
  BOOL DeletePrintProcessorA(const char*, const char*) override {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
};

TEST(RemovalTest, AProcessorTheSpoolerKeepsAfterAnsweringItsDeletionLosesItsRecord) {
  SpoolerKeepingProcessors machine(sim::kWinXP);
  ASSERT_TRUE(machine.MountDistribution(removal_testing::kSampleDistribution));
  sim::DeclareFamilyMonitorPorts(machine);
  InstallSequence sequence(machine, Parallel(kWinXP, "SW-R80", kReceipt));
  ASSERT_EQ(sequence.Run(), InstallOutcome::kCompleted);
  ASSERT_TRUE(machine.spooler.KnowsPrintProcessor("SWPrint"));
  removal::RemovalRequest request;
  request.all = true;
  std::ostringstream log;
  const removal::RemovalOutcome outcome = install::RunRemoval(machine, request, log);
  EXPECT_EQ(outcome.exitCode, removal::kExitRemoved) << log.str();
  EXPECT_FALSE(machine.spooler.KnowsPrintProcessor("SWPrint"));
  ASSERT_EQ(outcome.warnings.size(), 1u);
  EXPECT_NE(outcome.warnings[0].find("\"SWPrint\" and kept it"), std::string::npos);
  EXPECT_TRUE(machine.spooler.KnowsPrintProcessor("WinPrint"));
}

// A family of thousands of models shares a few dozen driver files. The
// removal's plan asks the host the same questions however many drivers list
// them: setup-check plans two removals after every install it rehearses.
TEST(RemovalTest, APlanAsksTheHostAsMuchWhateverTheNumberOfDriversListingItsFiles) {
  for (const System& system : kSystems) {
    SCOPED_TRACE(system.name);
    Till till(system.os);
    const std::string printer = till.Install(Parallel(system.target, "SW-R80", kReceipt));
    ASSERT_FALSE(printer.empty());
    const Family family = ReadFamily(till.machine, system.target);
    ASSERT_FALSE(family.drivers.empty());
    // The same family with a thousand more drivers, each listing the files
    // of one of the family's own.
    Family grown = family;
    for (int i = 0; i < 1000; ++i) {
      FamilyDriver driver = family.drivers[static_cast<std::size_t>(i) % family.drivers.size()];
      driver.name = "SW-G" + std::to_string(i) + " grown";
      driver.models = {"SW-G" + std::to_string(i)};
      grown.drivers.push_back(driver);
    }
    grown.Index();
    ASSERT_EQ(grown.driverFiles.size(), family.driverFiles.size());

    auto plan = [&](const Family& f, std::size_t& calls, std::size_t& looks) {
      removal::RemovalRequest request;
      request.printers = {printer};
      removal::RemovalPlan planned;
      std::string refusal;
      till.machine.traceCalls = true;
      till.machine.trace.clear();
      EXPECT_TRUE(removal::PlanRemoval(till.machine, f, request, planned, refusal)) << refusal;
      calls = till.machine.trace.size();
      looks = 0;
      for (const sim::SimCallRecord& call : till.machine.trace) {
        if (call.call == "GetFileAttributesA") ++looks;
      }
      std::vector<std::string> files;
      for (const removal::PlannedFile& file : planned.files) files.push_back(file.path + " " + file.owner);
      return files;
    };
    std::size_t calls = 0;
    std::size_t looks = 0;
    std::size_t grownCalls = 0;
    std::size_t grownLooks = 0;
    const std::vector<std::string> files = plan(family, calls, looks);
    EXPECT_FALSE(files.empty());
    EXPECT_EQ(plan(grown, grownCalls, grownLooks), files);
    EXPECT_EQ(grownCalls, calls);
    // The driver folders are listed: a name the install did not leave
    // there is not asked for.
    EXPECT_LT(looks, family.driverFiles.size());
    // A host that cannot list them is asked for each name: the same plan.
    till.machine.faults.FailAlways("ListFolder", ERROR_ACCESS_DENIED);
    EXPECT_EQ(plan(family, calls, looks), files);
    EXPECT_GE(looks, family.driverFiles.size());
    till.machine.faults.pending.clear();
  }
}

}  // namespace
}  // namespace setwell
