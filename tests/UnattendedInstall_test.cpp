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
    {"RestartAnsweredYesOn98", sim::kWin98, 0,
     kToPorts + "port LPT1:\nfinish\nanswer restart yes\n", install::kExitRestartInitiated,
     "answered Yes", true},
    // A plain yes written for the rename question: on 98/Me, where the
    // attached printer's number is already right, no rename question comes,
    // and the yes must not restart the till.
    {"PlainYesNeverRestarts", sim::kWin98, 0,
     kToPorts + "port USB_SW-R80_1\nfinish\nanswer yes\n", install::kExitRestartNeeded,
     "answered No", true},
    // Named answers go to their own question, in whichever order.
    {"NamedAnswersInAnyOrder", sim::kWin98, 9,
     kToPorts + "port USB_SW-R80_1\nfinish\nanswer restart no\nanswer rename yes\n",
     install::kExitRestartNeeded, "answered No", true},
    {"RenameAnswerNeverTakesTheRestart", sim::kWinMe, 0,
     kToPorts + "port LPT1:\nfinish\nanswer rename yes\n", install::kExitRestartNeeded,
     "answered No", true},
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
    // An answer no question takes is passed over.
    {"AnswerWithoutAQuestion", sim::kWinXP, 0, kToPorts + "answer yes\nport LPT1:\nfinish\n",
     install::kExitInstalled, "installed", true},
    {"RenameNoStopsBeforeAnyChange", sim::kWinXP, 9,
     kToPorts + "port USB_SW-R80_1\nfinish\nanswer rename no\n", install::kExitNothingInstalled,
     "still open on the port page", false},
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
  const install::UnattendedResult refused =
      Run(kToPorts + "port LPT1:\nfinish\nanswer restart yes\n");
  // Installed, and the restart still to do: not a failure to retry.
  EXPECT_EQ(refused.exitCode, install::kExitRestartNeeded) << transcript.str();
  EXPECT_NE(refused.reason.find("refused"), std::string::npos) << refused.reason;
  ASSERT_FALSE(refused.warnings.empty());
  EXPECT_NE(refused.warnings.back().find("restart request was refused"), std::string::npos);
}

TEST_F(UnattendedInstallTest, AnAnswerNoQuestionTookIsNamedAndChangesNothing) {
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  const install::UnattendedResult result =
      Run(kToPorts + "port LPT1:\nfinish\nanswer restart yes\n");
  EXPECT_EQ(result.exitCode, install::kExitInstalled) << transcript.str();
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_NE(result.warnings[0].find("line 10 (answer restart yes)"), std::string::npos)
      << result.warnings[0];
  EXPECT_NE(install::FormatResult(result).find("warning: the answer of line 10"),
            std::string::npos);
  EXPECT_TRUE(machine->restartRequests.empty());
}

// The exit code is what the host holds afterwards: an error that did not
// stop a complete install is a warning, a part the host lacks a failure.
TEST_F(UnattendedInstallTest, TheExitCodeIsWhatTheHostHoldsAfterwards) {
  // The USB monitor's UI file cannot be copied: message 122, and every part
  // of the install is in place.
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  machine->InstallUsbLibrary(machine->system.systemDirectory);
  machine->usb.Attach(0, 0);
  sim::DeclareFamilyMonitorPorts(*machine);
  machine->faults.FailOnce("CopyFileA", ERROR_FILE_NOT_FOUND, "SWUSBUI.DLL");
  install::UnattendedResult result = Run(kToPorts + "port USB_SW-R80_1\nfinish\n");
  EXPECT_EQ(result.exitCode, install::kExitInstalled) << result.reason << transcript.str();
  // The message and the two paths it shows after it.
  ASSERT_EQ(result.errors.size(), 3u);
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_NE(result.warnings[0].find("SWUSBUI.DLL"), std::string::npos) << result.warnings[0];
  EXPECT_NE(result.warnings[0].find("Copy driver files error"), std::string::npos);
  EXPECT_NE(result.warnings[0].find("a file copy"), std::string::npos) << result.warnings[0];

  // The default printer cannot be set, silently: the host says who is the
  // default, and the run fails naming it.
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  machine->faults.FailAlways("CallSetDefaultPrinterA", ERROR_ACCESS_DENIED);
  result = Run("accept\nnext\nmodel SW-R80\ndefault-printer on\nnext\ntypical\nnext\nnext\n"
               "port LPT1:\nfinish\n");
  EXPECT_EQ(result.exitCode, install::kExitFailed) << transcript.str();
  EXPECT_NE(result.reason.find("the default printer \"SW-R80(P)\""), std::string::npos)
      << result.reason;
  EXPECT_NE(result.summary.find("default printer none"), std::string::npos) << result.summary;

  // The language monitor's record refused: the printer is there, the
  // monitor is not.
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  machine->faults.FailAlways("AddMonitorA", ERROR_ACCESS_DENIED, "SW Status Monitor");
  result = Run(kToPorts + "port LPT1:\nfinish\n");
  ASSERT_FALSE(machine->faults.fired.empty());
  EXPECT_EQ(result.exitCode, install::kExitFailed) << transcript.str();
  EXPECT_NE(result.reason.find("the monitor \"SW Status Monitor\""), std::string::npos)
      << result.reason;
}

// Started with another current directory, the run stops before the wizard
// and changes nothing.
TEST_F(UnattendedInstallTest, ARunFromAnotherFolderChangesNothing) {
  machine.emplace(sim::kWinXP);
  ASSERT_TRUE(machine->MountDistribution(kDistribution));
  sim::DeclareFamilyMonitorPorts(*machine);
  machine->currentDirectory = machine->system.windowsDirectory + "\\";
  const install::UnattendedResult result = Run(kToPorts + "port LPT1:\nfinish\n");
  EXPECT_EQ(result.exitCode, install::kExitNothingInstalled);
  EXPECT_NE(result.reason.find("\\winnt\\"), std::string::npos) << result.reason;
  EXPECT_TRUE(machine->ui.boxes.empty());
  for (const char* call : {"CopyFileA", "AddMonitorA", "RegCreateKeyExA", "RegSetValueExA"}) {
    EXPECT_FALSE(Called(call)) << call;
  }
}

// Scripts as editors save them: with a UTF-8 mark, or as UTF-16 with or
// without its mark; UTF-16 beyond ASCII is refused with how to save it.
TEST(ScriptTextTest, ReadsWhatEditorsSave) {
  const std::string plain = "accept\r\nnext\r\n";
  auto utf16 = [](const std::string& text, bool bigEndian, bool mark) {
    std::string out = mark ? (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) : "";
    for (char c : text) {
      out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
  };
  for (const std::string& text :
       {"\xEF\xBB\xBF" + plain, utf16(plain, false, true), utf16(plain, true, true),
        utf16(plain, false, false)}) {
    std::vector<term::ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(term::ParseScript(text, "s.txt", steps, error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].verb, "accept");
    EXPECT_EQ(steps[1].line, 2);
  }
  std::vector<term::ScriptStep> steps;
  std::string error;
  EXPECT_FALSE(term::ParseScript(utf16("accept\nmodel SW-\xE9\n", false, true), "s.txt", steps,
                                 error));
  EXPECT_EQ(error.rfind("s.txt line 2: ", 0), 0u) << error;
  EXPECT_NE(error.find("save it as ANSI"), std::string::npos) << error;
  // Cut short in the middle of a character: named with its line too.
  std::string cut = utf16("accept\nnext", false, true);
  cut.pop_back();
  EXPECT_FALSE(term::ParseScript(cut, "s.txt", steps, error));
  EXPECT_EQ(error.rfind("s.txt line 2: ", 0), 0u) << error;
}

TEST(ScriptTextTest, AnswersNameTheirQuestion) {
  struct Case {
    const char* line;
    bool ok;
    const char* question;
    const char* errorHas;
  } cases[] = {
      {"answer yes", true, "", ""},
      {"answer Rename YES", true, "rename", ""},
      {"answer restart no", true, "restart", ""},
      {"answer ok", false, "", "no message box of this program has OK and Cancel"},
      {"answer reboot yes", false, "", "\"reboot\" is not a question"},
      {"answer rename maybe", false, "", "is not an answer"},
  };
  for (const Case& c : cases) {
    std::vector<term::ScriptStep> steps;
    std::string error;
    EXPECT_EQ(term::ParseScript(c.line, "s.txt", steps, error), c.ok) << c.line << ": " << error;
    if (c.ok) {
      ASSERT_EQ(steps.size(), 1u);
      EXPECT_EQ(steps[0].question, c.question) << c.line;
    } else {
      EXPECT_NE(error.find(c.errorHas), std::string::npos) << c.line << ": " << error;
    }
  }
}

}  // namespace
}  // namespace setwell
