// setup-check's rehearsal of the removal after each install (SC192): sound
// on the sample distribution, and a finding that names what stayed behind
// when two models give one monitor name two DLLs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "sim/SimMachine.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_check/MachineContents.h"
#include "tools/setup_check/SetupCheck.h"

namespace setwell::check {
namespace {

using testing_support::ReadText;
using testing_support::TempDir;
using testing_support::WriteText;

CheckResult CheckXp(const std::string& folder) {
  CheckOptions options;
  options.targets = {kWinXP};
  options.osNames = {"xp"};
  CheckResult result;
  std::string error;
  EXPECT_TRUE(RunCheck(folder, options, result, error)) << error;
  return result;
}

std::vector<const Finding*> Removals(const CheckResult& result) {
  std::vector<const Finding*> found;
  for (const Finding& f : result.findings) {
    if (f.code == "SC192") found.push_back(&f);
  }
  return found;
}

TEST(SetupCheckRemovalTest, TheSampleDistributionRemovesCleanly) {
  const CheckResult result = CheckXp(testing_support::kDistribution);
  EXPECT_TRUE(result.rehearsed);
  EXPECT_TRUE(Removals(result).empty()) << Removals(result)[0]->message;
}

TEST(SetupCheckRemovalTest, OneMonitorNameWithTwoDllsLeavesTheSecondBehind) {
  TempDir dir;
  const std::string dist = dir / "dist";
  std::filesystem::copy(testing_support::kDistribution, dist,
                        std::filesystem::copy_options::recursive);
  // SW-R58, listed before SW-RXQ-K880 (its neighbour in the rehearsal),
  // names K880's language monitor with a DLL of its own.
  const std::string receipt = dist + "/DRVCONFIG/setup_receipt.ini";
  std::string text = ReadText(receipt);
  const std::size_t section = text.find("[SW-R58.XP]");
  ASSERT_NE(section, std::string::npos);
  const std::size_t end = text.find("\n[", section + 1);
  std::string sectionText = text.substr(section, end - section);
  sectionText = std::regex_replace(sectionText, std::regex("(STD|GDI)MonitorName=[^\r\n]*"),
                                   "$1MonitorName=SW Status Monitor");
  sectionText = std::regex_replace(sectionText, std::regex("(STD|GDI)MonitorDLLName=[^\r\n]*"),
                                   "$1MonitorDLLName=SWR58LM.DLL");
  text.replace(section, end - section, sectionText);
  WriteText(receipt, text);
  WriteText(dist + "/winnt/SWR58LM.DLL", "the SW-R58's own status monitor");

  // Whichever of the two models installs first gives the monitor its DLL;
  // the other's stays behind its removal: SW-R80's beside SW-R58 (its
  // neighbour), SW-R58's beside SW-RXQ-K880.
  const CheckResult result = CheckXp(dist);
  const std::vector<const Finding*> found = Removals(result);
  ASSERT_EQ(found.size(), 2u);
  const struct {
    const char* model;
    const char* says;
  } expected[] = {
      {"SW-R80", "beside SW-R58 leaves the family's file C:\\WINDOWS\\system32\\SWSTMON.DLL"},
      {"SW-R58", "beside SW-RXQ-K880 leaves the family's file C:\\WINDOWS\\system32\\SWR58LM.DLL"},
  };
  for (const auto& e : expected) {
    const auto f = std::find_if(found.begin(), found.end(),
                                [&](const Finding* x) { return x->model == e.model; });
    ASSERT_NE(f, found.end()) << e.model;
    EXPECT_NE((*f)->message.find(e.says), std::string::npos) << (*f)->message;
    EXPECT_EQ((*f)->severity, Severity::kError);
    EXPECT_FALSE((*f)->hint.empty());
  }
  // The installs themselves succeed: the finding is the removal's alone.
  for (const Finding& f : result.findings) {
    EXPECT_NE(f.code, "SC190") << f.message;
  }
}

// The rehearsal compares each removal's machine with the one it must equal
// without listing either when it can: that shortcut may only say "the same"
// where the listings are the same, and says it for what a removal keeps
// (the serial line settings).
TEST(SetupCheckRemovalTest, TheQuickComparisonOnlySaysSameWhereTheContentsAre) {
  struct Case {
    const char* name;
    sim::SimOs os;
    std::function<void(sim::SimMachine&)> change;
    bool surely;  // what the quick comparison must say
  };
  auto printer = [](sim::SimMachine& m, const char* name, const char* port) {
    sim::SimPrinter p;
    p.name = name;
    p.portName = port;
    p.driverName = "Test Driver";
    m.spooler.AddPrinterRecord(p);
  };
  const std::vector<Case> cases = {
      {"nothing changed", sim::kWinXP, [](sim::SimMachine&) {}, true},
      {"a file's bytes", sim::kWinXP,
       [](sim::SimMachine& m) { m.files.WriteFile("C:\\WINDOWS\\system32\\SWT.DLL", "other"); }, false},
      {"a file's attributes", sim::kWinXP,
       [](sim::SimMachine& m) { m.files.Find("C:\\WINDOWS\\system32\\SWT.DLL")->attributes = 1; },
       false},
      {"a file's letter case", sim::kWinXP,
       [](sim::SimMachine& m) {
         m.files.Remove("C:\\WINDOWS\\system32\\SWT.DLL");
         m.files.WriteFile("C:\\WINDOWS\\system32\\swt.dll", "ours");
       },
       false},
      {"a file more", sim::kWinXP,
       [](sim::SimMachine& m) { m.files.WriteFile("C:\\WINDOWS\\SWT2.DLL", "x"); }, false},
      {"a registry value", sim::kWinXP,
       [](sim::SimMachine& m) { m.registry.SetString("SOFTWARE\\Setwell Test", "Kept", "no"); }, false},
      {"a registry key more", sim::kWinXP,
       [](sim::SimMachine& m) { m.registry.CreateKey("SOFTWARE\\Setwell Test\\More"); }, false},
      {"NT's serial line settings", sim::kWinXP,
       [](sim::SimMachine& m) { m.registry.SetString(sim::kNtPortsKey, "COM1:", "19200,n,8,1"); },
       true},
      {"9x's serial line settings in win.ini", sim::kWin98,
       [](sim::SimMachine& m) { ASSERT_TRUE(m.WriteProfileStringA("Ports", "COM1:", "19200,n,8,1")); },
       true},
      {"win.ini beside its serial line settings", sim::kWin98,
       [](sim::SimMachine& m) { ASSERT_TRUE(m.WriteProfileStringA("windows", "device", "x")); }, false},
      {"a printer more", sim::kWinXP, [&](sim::SimMachine& m) { printer(m, "Second", "LPT2:"); }, false},
      {"a printer's port", sim::kWinXP,
       [](sim::SimMachine& m) { m.spooler.FindPrinter("First")->portName = "LPT3:"; }, false},
      {"the default printer", sim::kWinXP,
       [&](sim::SimMachine& m) {
         printer(m, "Second", "LPT2:");
         ASSERT_EQ(m.spooler.SetDefaultPrinter("Second"), static_cast<DWORD>(ERROR_SUCCESS));
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimMachine before(c.os);
    before.files.WriteFile(before.system.systemDirectory + "\\SWT.DLL", "ours");
    before.registry.SetString("SOFTWARE\\Setwell Test", "Kept", "yes");
    printer(before, "First", "LPT1:");
    sim::SimMachine after(sim::SimMachine::StateOf{before});
    c.change(after);
    const bool same = ContentsOf(before) == ContentsOf(after);
    const bool surely = SurelySameContents(before, after);
    EXPECT_TRUE(!surely || same);
    EXPECT_EQ(surely, c.surely);
    EXPECT_EQ(SurelySameContents(after, before), surely);
  }
}

}  // namespace
}  // namespace setwell::check
