// The unattended install on the simulated machine: the exit code each kind
// of run ends with, the restart question's default, and that a run refused
// before Finish leaves the machine as it was.
#include "script/UnattendedInstall.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "tools/setup_sim/SimScriptedHost.h"

namespace setwell {
namespace {

const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

// The walk to the port page of the sample's SW-R80, typical setup.
const std::string kToPorts = "accept\nnext\nmodel SW-R80\nnext\ntypical\nnext\nnext\n";

struct RunCase {
  const char* name;
  sim::SimOs os;
  std::optional<WORD> usb;  // the attached printer's descriptor value
  std::string script;
  int exitCode;
  std::string reasonHas;
  bool installed;  // a printer is there afterwards
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
};

const RunCase kRuns[] = {
    {"ParallelOnXp", sim::kWinXP, 0, kToPorts + "port LPT1:\nfinish\n", install::kExitInstalled,
     "installed", true},
    {"UsbOnXp", sim::kWinXP, 0, kToPorts + "port USB_SW-R80_1\nfinish\n", install::kExitInstalled,
     "installed", true},
    {"RestartUnansweredOn98", sim::kWin98, 0, kToPorts + "port COM1:\nbaud 19200\nfinish\n",
     install::kExitRestartNeeded, "answered No", true},
    {"RestartAnsweredNoOn98", sim::kWin98, 0, kToPorts + "port LPT1:\nfinish\nanswer no\n",
     install::kExitRestartNeeded, "answered No", true},
    {"RestartAnsweredYesOn98", sim::kWin98, 0, kToPorts + "port LPT1:\nfinish\nanswer yes\n",
     install::kExitRestartInitiated, "answered Yes", true},
    // The printer answers device number 2: the rename question comes before
    // the install changes anything, and left open it stops the run.
    {"RenameQuestionUnanswered", sim::kWinXP, 9, kToPorts + "port USB_SW-R80_1\nfinish\n",
     install::kExitNothingInstalled, "does not answer", false},
    {"RenameQuestionAnswered", sim::kWinXP, 9,
     kToPorts + "port USB_SW-R80_1\nfinish\nanswer yes\n", install::kExitInstalled, "installed",
     true},
    {"StepForAnotherPage", sim::kWinXP, 0, "accept\nnext\ntypical\nfinish\n",
     install::kExitNothingInstalled, "line 3 (typical)", false},
    {"ModelNotListed", sim::kWinXP, 0, "accept\nnext\nmodel SW-X99\n",
     install::kExitNothingInstalled, "there is no model \"SW-X99\"", false},
    {"PortNotOffered", sim::kWinXP, 0, kToPorts + "port COM1:\nfinish\n",
     install::kExitNothingInstalled, "there is no port \"COM1:\"", false},
    {"AnswerWithoutAQuestion", sim::kWinXP, 0, "accept\nanswer yes\n",
     install::kExitNothingInstalled, "no question is being asked", false},
    {"EndsWithTheWizardOpen", sim::kWinXP, 0, kToPorts, install::kExitNothingInstalled,
     "still open on the port page", false},
    {"Cancelled", sim::kWinXP, 0, "accept\nnext\ncancel\n", install::kExitNothingInstalled,
     "cancelled", false},
    // Windows NT 4.0 offers no USB port; a 64-bit Windows is refused at
    // Finish (message 115), the wizard staying open.
    {"UsbOnNt4", sim::kWinNT4, 0, kToPorts + "port USB_SW-R80_1\nfinish\n",
     install::kExitNothingInstalled, "there is no port", false},
    {"Server2003x64", sim::kWin2003x64, 0, kToPorts + "port LPT1:\nfinish\n",
     install::kExitNothingInstalled, "still open on the port page", false},
};

class UnattendedFixture : public ::testing::Test {
 protected:
  install::UnattendedResult Run(const std::string& script) {
    std::vector<term::ScriptStep> steps;
    std::string error;
    EXPECT_TRUE(term::ParseScript(script, "unattended.txt", steps, error)) << error;
    term::SimScriptedHost host(*machine);
    return install::RunUnattended(*machine, host, steps, "unattended.txt", transcript);
  }

  bool Called(const std::string& name) const {
    for (const sim::SimCallRecord& call : machine->trace) {
      if (call.call == name) return true;
    }
    return false;
  }

  std::optional<sim::SimMachine> machine;
  std::ostringstream transcript;
};

class UnattendedRunTest : public UnattendedFixture,
                          public ::testing::WithParamInterface<RunCase> {
 protected:
  void SetUp() override {
    machine.emplace(GetParam().os);
    ASSERT_TRUE(machine->MountDistribution(kDistribution));
    machine->InstallUsbLibrary(machine->system.systemDirectory);
    if (GetParam().usb) machine->usb.Attach(0, *GetParam().usb);
    sim::DeclareFamilyMonitorPorts(*machine);
  }
};

TEST_P(UnattendedRunTest, EndsWithTheExitCodeOfItsOutcome) {
  const RunCase& c = GetParam();
  const install::UnattendedResult result = Run(c.script);
  EXPECT_EQ(result.exitCode, c.exitCode) << result.reason << "\n" << transcript.str();
  EXPECT_NE(result.reason.find(c.reasonHas), std::string::npos) << result.reason;
  EXPECT_EQ(!machine->spooler.Printers().empty(), c.installed);
  if (result.exitCode == install::kExitNothingInstalled) {
    // Refused before the install changed anything.
    for (const char* call : {"CopyFileA", "AddMonitorA", "AddPrintProcessorA", "AddPrinterDriverA",
                             "AddPrinterA", "RegSetValueExA", "WriteProfileStringA"}) {
      EXPECT_FALSE(Called(call)) << call;
    }
    EXPECT_NE(result.summary.find("no printer installed"), std::string::npos) << result.summary;
  } else {
    EXPECT_NE(result.summary.find("printer \"" + machine->spooler.Printers().front().name + "\""),
              std::string::npos)
        << result.summary;
  }
  EXPECT_EQ(machine->restartPending, c.exitCode == install::kExitRestartInitiated);
  // Every message box is listed with its answer.
  EXPECT_EQ(result.messages.size(), machine->ui.boxes.size());
}

INSTANTIATE_TEST_SUITE_P(Runs, UnattendedRunTest, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return std::string(info.param.name); });

class UnattendedInstallTest : public UnattendedFixture {};

// An error after Finish is a failed install, and the run names it; errors
// shown before Finish (the USB probe's) are not the install's.
TEST_F(UnattendedInstallTest, AnErrorAfterFinishIsAFailureThatNamesIt) {
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  // No USB library: the port page's probe shows an error before Finish.
  machine->faults.FailAlways("AddPrinterDriverA", ERROR_ACCESS_DENIED);
  const install::UnattendedResult result = Run(kToPorts + "port LPT1:\nfinish\n");
  EXPECT_EQ(result.exitCode, install::kExitFailed) << transcript.str();
  EXPECT_NE(result.reason.find("\"Add printer driver error\""), std::string::npos) << result.reason;
  ASSERT_FALSE(result.errors.empty());
  EXPECT_EQ(result.errors.front(), "Add printer driver error");
  EXPECT_EQ(result.messages.front().rfind("error: ", 0), 0u) << result.messages.front();
  EXPECT_NE(result.summary.find(std::to_string(result.errors.size()) + " error"),
            std::string::npos)
      << result.summary;
}

// The restart question is the only one the run answers by itself, and
// says so in the transcript; the machine is not restarted.
TEST_F(UnattendedInstallTest, TheRestartQuestionAloneHasADefaultAnswer) {
  machine.emplace(sim::kWinMe);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  machine->InstallUsbLibrary(machine->system.systemDirectory);
  sim::DeclareFamilyMonitorPorts(*machine);
  const install::UnattendedResult result = Run(kToPorts + "port LPT1:\nfinish\n");
  EXPECT_EQ(result.exitCode, install::kExitRestartNeeded);
  EXPECT_NE(transcript.str().find("> (not answered by the script: No"), std::string::npos);
  EXPECT_TRUE(machine->restartRequests.empty());
  EXPECT_NE(result.summary.find("restart needed"), std::string::npos) << result.summary;
  ASSERT_FALSE(result.messages.empty());
  EXPECT_EQ(result.messages.back().rfind("question: \"Restart the computer", 0), 0u)
      << result.messages.back();
  EXPECT_NE(result.messages.back().find("-> No"), std::string::npos);
  // A refused restart is an error after Finish.
  machine.emplace(sim::kWin98);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  machine->restartRefusal = ERROR_ACCESS_DENIED;
  const install::UnattendedResult refused = Run(kToPorts + "port LPT1:\nfinish\nanswer yes\n");
  EXPECT_EQ(refused.exitCode, install::kExitFailed);
  EXPECT_NE(refused.reason.find("Exit windows error"), std::string::npos) << refused.reason;
}

}  // namespace
}  // namespace setwell
