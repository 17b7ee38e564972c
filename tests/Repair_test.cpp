// The repair on the simulated machine: the script's rehearsal over the host
// changes nothing, and after any one fault in an install the repair with
// the same script leaves the machine as a clean install does.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "script/DryRunPlatform.h"
#include "script/UnattendedInstall.h"
#include "script/UnattendedRemoval.h"
#include "tests/RemovalTestSupport.h"
#include "tools/setup_sim/SimScriptedHost.h"

namespace setwell {
namespace {

using removal_testing::Capture;
using removal_testing::Differences;
using removal_testing::Till;

const std::string kToPorts = "accept\nnext\nmodel SW-R80\ndefault-printer on\nnext\ntypical\nnext\nnext\n";

struct Script {
  const char* name;
  sim::SimOs os;
  std::string text;
  std::string printer;
};

const Script kScripts[] = {
    {"UsbOnXp", sim::kWinXP, kToPorts + "port USB_SW-R80_1\nfinish\n", "SW-R80(U) 1"},
    {"ParallelOn2000", sim::kWin2000, kToPorts + "port LPT2:\nfinish\n", "SW-R80(P)"},
    {"SerialOnNt4", sim::kWinNT4, kToPorts + "port TVCOM3:\nbaud 19200\nfinish\n", "SW-R80(S)"},
    {"SerialOn98", sim::kWin98, kToPorts + "port COM2:\nparity Even\nfinish\nanswer restart no\n",
     "SW-R80(S)"},
    {"UsbOnMe", sim::kWinMe, kToPorts + "port USB_SW-R80_1\nfinish\nanswer restart no\n",
     "SW-R80(U) 1"},
};

std::vector<term::ScriptStep> Steps(const std::string& text) {
  std::vector<term::ScriptStep> steps;
  std::string error;
  EXPECT_TRUE(term::ParseScript(text, "repair.txt", steps, error)) << error;
  return steps;
}

int RunScript(Till& till, const std::string& text) {
  term::SimScriptedHost host(till.machine);
  std::ostringstream out;
  return install::RunUnattended(till.machine, host, Steps(text), "repair.txt", out).exitCode;
}

install::RepairResult Repair(Till& till, const std::string& text, std::string* log = nullptr) {
  term::SimScriptedHost host(till.machine);
  std::ostringstream out;
  install::RepairResult result = install::RunRepair(till.machine, host, Steps(text), "repair.txt", out);
  if (log != nullptr) *log = out.str();
  return result;
}

// The script run over the machine through the rehearsal host: its
// printer's name comes out, and the machine has not been changed by a
// single call, whatever the script answers (a rename that would write the
// printer's device number, a restart).
TEST(RepairTest, TheScriptsRehearsalChangesNothing) {
  std::vector<Script> scripts(std::begin(kScripts), std::end(kScripts));
  scripts.push_back({"RenameAndRestartOn98", sim::kWin98,
                     kToPorts + "port USB_SW-R80_1\nfinish\nanswer rename yes\nanswer restart yes\n",
                     "SW-R80(U) 1"});
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.name);
    Till till(script.os);
    if (std::string(script.name) == "RenameAndRestartOn98") till.machine.usb.Attach(0, 9);
    // A printer of the name there already: the default printer's write
    // reads it, and must not change it.
    const int installed = RunScript(till, script.text);
    ASSERT_NE(installed, install::kExitFailed);
    ASSERT_NE(installed, install::kExitNothingInstalled);
    const auto before = Capture(till.machine);
    const std::size_t restarts = till.machine.restartRequests.size();
    const std::size_t changes = till.ChangingCalls();
    const std::size_t usbWrites = till.machine.usb.writes.size();
    const std::size_t boxes = till.machine.ui.boxes.size();

    install::DryRunPlatform dryRun(till.machine);
    std::ostringstream out;
    const install::UnattendedResult result =
        install::RunUnattended(dryRun, dryRun, Steps(script.text), "repair.txt", out);
    EXPECT_NE(result.exitCode, install::kExitNothingInstalled) << result.reason;
    ASSERT_FALSE(dryRun.PrintersAdded().empty());
    EXPECT_EQ(dryRun.PrintersAdded().front(), script.printer);
    EXPECT_FALSE(dryRun.ChangesNotMade().empty());
    EXPECT_EQ(Differences(before, Capture(till.machine)), "");
    EXPECT_EQ(till.ChangingCalls(), changes) << "a call that changes the host reached it";
    EXPECT_EQ(till.machine.usb.writes.size(), usbWrites);
    EXPECT_EQ(till.machine.ui.boxes.size(), boxes) << "the rehearsal's boxes are its own";
    EXPECT_EQ(till.machine.restartRequests.size(), restarts);
  }
}

// One fault at a time, at a sample of the places a clean install calls the
// host (every call it makes at least once); the install fails, or takes, or
// takes partly; the repair with the same script then leaves the machine as
// a clean install leaves a fresh one.
TEST(RepairTest, AfterAnyOneFaultTheRepairEqualsACleanInstall) {
  std::size_t faults = 0;
  for (const Script& script : kScripts) {
    SCOPED_TRACE(script.name);
    Till clean(script.os);
    const std::size_t first = clean.machine.trace.size();
    const int cleanCode = RunScript(clean, script.text);
    ASSERT_TRUE(cleanCode == install::kExitInstalled || cleanCode == install::kExitRestartNeeded);
    const auto installed = Capture(clean.machine);

    // The calls of the install, each with its first argument, once.
    std::vector<std::pair<std::string, std::string>> sites;
    std::set<std::string> names;
    for (std::size_t i = first; i < clean.machine.trace.size(); ++i) {
      const sim::SimCallRecord& call = clean.machine.trace[i];
      const std::string argument = call.arguments.substr(0, call.arguments.find(", "));
      const std::pair<std::string, std::string> site(call.call, argument);
      if (std::find(sites.begin(), sites.end(), site) == sites.end()) sites.push_back(site);
      names.insert(call.call);
    }
    std::set<std::string> covered;
    for (std::size_t i = 0; i < sites.size(); ++i) {
      const auto& [call, argument] = sites[i];
      // Every third site, and the first of each call.
      if (i % 3 != 0 && covered.count(call) != 0) continue;
      covered.insert(call);
      SCOPED_TRACE(call + "(" + argument + ")");
      Till till(script.os);
      till.machine.faults.FailOnce(call, ERROR_ACCESS_DENIED, argument);
      RunScript(till, script.text);
      till.machine.faults.Clear();
      std::string log;
      const install::RepairResult repaired = Repair(till, script.text, &log);
      EXPECT_EQ(repaired.exitCode, cleanCode) << log;
      EXPECT_EQ(Differences(installed, Capture(till.machine)), "") << log;
      ++faults;
    }
    EXPECT_EQ(covered, names);
  }
  EXPECT_GT(faults, 100u);
}

// A repair that cannot be carried out changes nothing: a script that does
// not get to Finish, a printer of that name that is another maker's.
TEST(RepairTest, ARepairThatCannotBeCarriedOutChangesNothing) {
  Till till(sim::kWinXP);
  ASSERT_EQ(RunScript(till, kScripts[0].text), install::kExitInstalled);
  const auto before = Capture(till.machine);
  std::string log;
  install::RepairResult result = Repair(till, "accept\nnext\nmodel SW-Z99\n", &log);
  EXPECT_EQ(result.exitCode, removal::kExitNothingRemoved);
  EXPECT_NE(log.find("SW-Z99"), std::string::npos) << log;
  EXPECT_EQ(Differences(before, Capture(till.machine)), "");

  Till foreign(sim::kWinXP);
  foreign.AddForeignPrinter("OTHER.DAT");
  sim::SimPrinter* clash = foreign.machine.spooler.FindPrinter(removal_testing::kForeignPrinter);
  ASSERT_NE(clash, nullptr);
  clash->name = "SW-R80(P)";
  clash->portName = "LPT1:";
  const auto other = Capture(foreign.machine);
  result = Repair(foreign, kToPorts + "port LPT1:\nfinish\n", &log);
  EXPECT_EQ(result.exitCode, removal::kExitNothingRemoved) << log;
  EXPECT_NE(log.find("not of this distribution's family"), std::string::npos) << log;
  EXPECT_EQ(Differences(other, Capture(foreign.machine)), "");
}

// A removal that leaves files for the restart ends the repair before the
// install: an install now would lose those files at the restart.
TEST(RepairTest, FilesLeftForTheRestartStopTheRepairBeforeTheInstall) {
  Till till(sim::kWinXP);
  ASSERT_EQ(RunScript(till, kScripts[0].text), install::kExitInstalled);
  till.machine.files.Find(till.machine.system.systemDirectory + "\\SWUSBMON.DLL")->inUse = true;
  std::string log;
  const install::RepairResult result = Repair(till, kScripts[0].text, &log);
  EXPECT_EQ(result.exitCode, removal::kExitFailed);
  EXPECT_NE(log.find("restart the computer, then run the repair again"), std::string::npos) << log;
  EXPECT_EQ(till.machine.spooler.FindPrinter("SW-R80(U) 1"), nullptr) << "nothing was installed";

  // After the restart the repair goes through.
  till.machine.files.Find(till.machine.system.systemDirectory + "\\SWUSBMON.DLL")->inUse = false;
  till.machine.Reboot();
  EXPECT_EQ(Repair(till, kScripts[0].text, &log).exitCode, install::kExitInstalled) << log;
  EXPECT_NE(till.machine.spooler.FindPrinter("SW-R80(U) 1"), nullptr);
}

}  // namespace
}  // namespace setwell
