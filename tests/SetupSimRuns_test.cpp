// setup-sim run as a person runs it, with a script: the sample models
// installed on every target system, the report checked against the machine
// folder the run left (loaded back), a second install on the same machine,
// and the bad inputs that must stop the run with the folder untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "sim/SimMachine.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_sim/InstallReport.h"

namespace setwell {
namespace {

using namespace testing_support;

// The text after `prefix` up to `end` in line, or "".
std::string Between(const std::string& line, const std::string& prefix, const std::string& end) {
  const std::size_t start = line.find(prefix);
  if (start == std::string::npos) return {};
  const std::size_t from = start + prefix.size();
  return line.substr(from, line.find(end, from) - from);
}

// Every item of the report must be true of the machine saved in `folder`.
void ExpectReportMatchesFolder(const std::string& out, const std::string& folder) {
  sim::SimMachine saved;
  std::string why;
  ASSERT_TRUE(saved.Load(folder, &why)) << why;
  auto sections = ReportSections(out);

  for (const std::string& item : sections["Printers added"]) {
    const std::string name = Between(item, "\"", "\"");
    const sim::SimPrinter* printer = saved.spooler.FindPrinter(name);
    ASSERT_NE(printer, nullptr) << item;
    EXPECT_EQ(printer->portName, Between(item, " on ", ",")) << item;
    EXPECT_EQ(printer->driverName, Between(item, "driver \"", "\"")) << item;
    EXPECT_NE(saved.spooler.FindDriver(printer->driverName), nullptr) << item;
  }
  for (const std::string& item : sections["Printer drivers added"]) {
    EXPECT_NE(saved.spooler.FindDriver(Between(item, "\"", "\""), Between(item, "(", ",")), nullptr)
        << item;
  }
  for (const std::string& item : sections["Files written"]) {
    const std::string path = item.substr(0, item.find("  "));
    const sim::SimFile* file = saved.files.Find(path);
    ASSERT_NE(file, nullptr) << item;
    if (item.find("  attributes 0x") != std::string::npos) {
      EXPECT_EQ(std::stoul(Between(item, "-> 0x", ","), nullptr, 16), file->attributes) << item;
      continue;
    }
    EXPECT_EQ(Between(item, "  ", " bytes"), std::to_string(file->data.size())) << item;
    const std::string source = Between(item, "from distribution ", "\n");
    if (!source.empty()) {
      std::string host = source;
      std::replace(host.begin(), host.end(), '\\', '/');
      EXPECT_EQ(file->data, ReadText(kDistribution + "/" + host)) << item;
    }
  }
  for (const std::string& item : sections["Registry values set"]) {
    const std::string key = item.substr(5, item.find("  ") - 5);  // after "HKLM\"
    const std::string name = Between(item, "  \"", "\" = ");
    const sim::RegValue* value = saved.registry.FindValue(key, name == "(default)" ? "" : name);
    ASSERT_NE(value, nullptr) << item;
    const std::string shown = Between(item, "\" = ", "  (was");
    EXPECT_EQ(term::FormatRegistryValue(*value), shown) << item;
  }
  for (const std::string& item : sections["Port monitors added"]) {
    EXPECT_TRUE(saved.spooler.KnowsMonitor(Between(item, "\"", "\""))) << item;
  }
  for (const std::string& item : sections["Ports added"]) {
    const std::vector<std::string> ports = saved.spooler.Ports();
    EXPECT_NE(std::find(ports.begin(), ports.end(), item.substr(0, item.find(' '))), ports.end())
        << item;
  }
  ASSERT_FALSE(sections["Default printer:"].empty());
  const std::string defaultLine = sections["Default printer:"].front();
  if (defaultLine.rfind("unchanged", 0) != 0) {
    EXPECT_EQ(saved.spooler.DefaultPrinter(), Between(defaultLine, "\"", "\""));
  }
}

struct InstallCase {
  const char* name;
  const char* os;
  const char* usb;  // "" for none
  const char* script;
  const char* printer;  // the printer the install adds
  const char* port;
  std::vector<const char*> reportHas;  // texts the report must hold
  friend void PrintTo(const InstallCase& c, std::ostream* os) { *os << c.name; }
};

const InstallCase kInstalls[] = {
    {"Win98SerialWithRestartDeclined",
     "98",
     "",
     "accept\nnext\nmodel SW-R80\nnext\nnext\nnext\nport COM1:\nbaud 19200\nparity Even\n"
     "protocol Xon/Xoff\nfinish\nanswer no\n",
     "SW-R80(S)",
     "COM1:",
     {"COM1: \"19200,e,8,1,x\" (win.ini [Ports])", "19200 baud, 8 data bits, parity even",
      "Restart the computer so that the changes can take effect", "-> No", "Restart: none"}},
    {"WinMeParallelTwoColourModelRestarts",
     "me",
     "",
     "accept\nnext\nmodel SW-RXQ-K880\nnext\nnext\nnext\nfinish\nanswer yes\n",
     "SW-RXQ-K880(P)",
     "LPT1:",
     {"DMCOLOR.DLL", "from distribution win98\\DMCOLOR.DLL", "accepted", "-> Yes"}},
    {"Nt4VirtualSerialPort",
     "nt4",
     "",
     "# the legacy ticket printer on the maker's third virtual port\n"
     "accept\nnext\ncategory ticket\nmodel SW-T58\nnext\nnext\nnext\nport TVCOM3:\nbaud 9600\n"
     "finish\n",
     "SW-T58(S)",
     "TVCOM3:",
     {"COM3: \"9600,n,8,1,p\" (registry", "\"SW Serial Port Monitor\" (SWSERMON.DLL)",
      "TVCOM8: (SW Serial Port Monitor)", "version 2", "Successfully installed printer driver ->"}},
    {"Win2000AdvancedUsbSecondPort",
     "2000",
     "9",
     "accept\nnext\nmodel SW-L80\nnext\nadvanced\nnext\nnext\nport USB_SW-L80_2\nraster "
     "off\nfinish\n",
     "SW-L80(U) 2",
     "USB_SW-L80_2",
     {"\"SW-L80 Standard\"", "\"SW USB Port Monitor\" (SWUSBMON.DLL)",
      "\"USB_SW-L80_2\" = dword:00000000", "Please repower the printer"}},
    {"WinXpTypicalUsbDefaultPrinter",
     "xp",
     "8",
     "accept\nnext\ndefault-printer on\nnext\nnext\nnext\nfinish\n",
     "SW-R80(U) 1",
     "USB_SW-R80_1",
     {"\"SW-R80(U) 1\" (was none)", "\"SW-R80 Raster Graphics\"", "SWR80OEM.DLL",
      "(by the spooler)", "\"SWPrint\" (Windows NT x86, SWPRTPRC.DLL)"}},
    {"Win2003UsbPrinterRenumbered",
     "2003",
     "10",
     "accept\nnext\ncategory embedded\nmodel SW-E80\nnext\nadvanced\nnext\nnext\n"
     "port USB_SW-E80_1\nfinish\nanswer yes\n",
     "SW-E80(U) 1",
     "USB_SW-E80_1",
     {"This application will change printer name", "to the printer at bus position 0:",
      "device number 1 once the printer is switched off and on", "from distribution win2003\\"}},
};

class SetupSimInstall : public ::testing::TestWithParam<InstallCase> {};

TEST_P(SetupSimInstall, ReportMatchesTheSavedMachine) {
  const InstallCase& c = GetParam();
  TempDir scratch;
  WriteText(scratch / "install.txt", c.script);
  std::vector<std::string> args = {"--dist", kDistribution, "--machine", scratch / "machine",
                                   "--os",   c.os,          "--script",  scratch / "install.txt"};
  if (*c.usb != '\0') {
    args.push_back("--usb");
    args.push_back(c.usb);
  }
  const RunResult run = RunSetupSim(args, scratch);
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  EXPECT_NE(run.out.find("(wizard finished: the install ran to its end)"), std::string::npos)
      << run.out;
  for (const char* text : c.reportHas)
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;

  auto sections = ReportSections(run.out);
  ASSERT_EQ(sections["Printers added"].size(), 1u) << run.out;
  EXPECT_EQ(Between(sections["Printers added"].front(), "\"", "\""), c.printer);
  EXPECT_EQ(Between(sections["Printers added"].front(), " on ", ","), c.port);
  ExpectReportMatchesFolder(run.out, scratch / "machine");

  // The report ends with its one-line summary, and is kept in the machine
  // folder whole.
  const std::string summary = "Summary: printer \"" + std::string(c.printer) + "\" added on " +
                              c.port + " with driver \"";
  const std::size_t last = run.out.rfind("Summary: ");
  ASSERT_NE(last, std::string::npos) << run.out;
  EXPECT_EQ(run.out.compare(last, summary.size(), summary), 0) << run.out.substr(last);
  const bool restarts = run.out.find("accepted; the machine restarts") != std::string::npos;
  EXPECT_NE(run.out.find(restarts ? "; a restart is pending" : "; no restart pending", last),
            std::string::npos)
      << run.out.substr(last);
  const std::string kept = ReadText(scratch / "machine/report.txt");
  ASSERT_FALSE(kept.empty());
  const std::size_t reportStart = run.out.find("== What the install changed");
  ASSERT_NE(reportStart, std::string::npos);
  EXPECT_NE(kept.find(run.out.substr(reportStart, run.out.find("Machine saved in") - reportStart)),
            std::string::npos);
  // The folder with its report still loads.
  sim::SimMachine saved;
  EXPECT_TRUE(saved.Load(scratch / "machine"));
}

INSTANTIATE_TEST_SUITE_P(EveryTargetSystem, SetupSimInstall, ::testing::ValuesIn(kInstalls),
                         [](const auto& info) { return std::string(info.param.name); });

// A second install sees the first one's monitors, processor and printer;
// the processor, found older, is replaced with the spooler stopped although
// the first install left it read-only (copied from the read-only medium).
TEST(SetupSimMachineFolder, SecondInstallUpdatesTheReadOnlyProcessorWithTheSpoolerStopped) {
  TempDir scratch;
  const std::string machine = scratch / "machine";
  WriteText(scratch / "first.txt", "accept\nnext\nnext\nnext\nnext\nfinish\n");
  RunResult run = RunSetupSim({"--dist", kDistribution, "--machine", machine, "--usb", "0",
                               "--script", scratch / "first.txt"},
                              scratch);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("SWPRTPRC.DLL  91 bytes, read-only"), std::string::npos) << run.out;

  // The distribution is newer than what is installed.
  const std::string reg = machine + "/registry.reg";
  std::string text = ReadText(reg);
  const std::size_t key = text.find("Print Processors\\SWPrint]");
  const std::string installed = "\"DriverVersion\"=dword:00000078";
  const std::size_t value = text.find(installed, key);
  ASSERT_TRUE(key != std::string::npos && value != std::string::npos) << text;
  text.replace(value, installed.size(), "\"DriverVersion\"=dword:00000064");
  WriteText(reg, text);

  WriteText(scratch / "second.txt", "accept\nnext\nnext\nnext\nnext\nport LPT1:\nfinish\n");
  run = RunSetupSim(
      {"--dist", kDistribution, "--machine", machine, "--script", scratch / "second.txt"}, scratch);
  ASSERT_EQ(run.status, 0) << run.err;
  auto sections = ReportSections(run.out);
  EXPECT_EQ(sections["Port monitors added:"], std::vector<std::string>{"none"});
  EXPECT_EQ(sections["Print processors added:"], std::vector<std::string>{"none"});
  EXPECT_EQ(sections["Spooler service"], (std::vector<std::string>{"at 0.000 s: Spooler stopped",
                                                                   "at 0.600 s: Spooler running"}));
  EXPECT_NE(run.out.find("\"DriverVersion\" = dword:00000078 (120)  (was dword:00000064 (100))"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("Copy driver files error"), std::string::npos) << run.out;
  ASSERT_EQ(sections["Printers added"].size(), 1u) << run.out;
  EXPECT_EQ(Between(sections["Printers added"].front(), "\"", "\""), "SW-R80(P)");
  EXPECT_NE(run.out.find("Time paused: 4.100 s in 4 pauses (100 ms, 500 ms, 2500 ms, 1000 ms)"),
            std::string::npos)
      << run.out;
  ExpectReportMatchesFolder(run.out, machine);
  sim::SimMachine saved;
  ASSERT_TRUE(saved.Load(machine));
  EXPECT_NE(saved.spooler.FindPrinter("SW-R80(U) 1"), nullptr);
}

// What happened between two runs: the restart the first accepted, and the
// USB printer switched off and on with the device number written to it.
TEST(SetupSimMachineFolder, NextRunFindsTheRestartDoneAndTheUsbPrinterRenumbered) {
  struct Case {
    const char* os;
    const char* usb;
    const char* script;
    const char* note;
    const char* usbLine;  // the header's line of USB printers on the second run
  };
  const Case cases[] = {
      {"me", "none", "accept\nnext\nnext\nnext\nnext\nport LPT1:\nfinish\nanswer yes\n",
       "restarted: the last run accepted a restart", "USB printers: none"},
      {"xp", "10", "accept\nnext\nnext\nnext\nnext\nfinish\nanswer yes\n",
       "USB printers switched off and on", "(device number 1)"},
  };
  for (const Case& c : cases) {
    TempDir scratch;
    WriteText(scratch / "first.txt", c.script);
    WriteText(scratch / "second.txt", "cancel\n");
    RunResult run = RunSetupSim({"--dist", kDistribution, "--machine", scratch / "m", "--os", c.os,
                                 "--usb", c.usb, "--script", scratch / "first.txt"},
                                scratch);
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(run.out.find(c.note), std::string::npos) << c.os;
    run = RunSetupSim(
        {"--dist", kDistribution, "--machine", scratch / "m", "--script", scratch / "second.txt"},
        scratch);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(c.note), std::string::npos) << c.os << "\n" << run.out;
    EXPECT_NE(run.out.find(c.usbLine), std::string::npos) << c.os << "\n" << run.out;
  }
}

// The example script of setup-sim's page does what the page says it does.
TEST(SetupSimDocs, ExampleScriptInstallsTheSerialPrinter) {
  const std::string readme = ReadText(std::string(SETWELL_SOURCE_DIR) + "/docs/setup-sim.md");
  const std::size_t section = readme.find("\n## Scripts\n");
  ASSERT_NE(section, std::string::npos);
  const std::size_t open = readme.find("\n```\n", section);
  ASSERT_NE(open, std::string::npos);
  const std::size_t close = readme.find("\n```\n", open + 5);
  ASSERT_NE(close, std::string::npos);
  TempDir scratch;
  WriteText(scratch / "serial.txt", readme.substr(open + 5, close - open - 4));
  const RunResult run = RunSetupSim({"--dist", kDistribution, "--machine", scratch / "w98", "--os",
                                     "98", "--script", scratch / "serial.txt"},
                                    scratch);
  ASSERT_EQ(run.status, 0) << run.err;
  auto sections = ReportSections(run.out);
  ASSERT_EQ(sections["Printers added"].size(), 1u) << run.out;
  EXPECT_EQ(Between(sections["Printers added"].front(), "\"", "\""), "SW-R80(S)");
  EXPECT_EQ(sections["Default printer:"], std::vector<std::string>{"\"SW-R80(S)\" (was none)"});
  EXPECT_NE(run.out.find("COM1: \"19200,e,8,1,x\" (win.ini [Ports])"), std::string::npos)
      << run.out;
}

// --- Bad input -----------------------------------------------------------------------

enum class Machine { kNone, kInstalled, kForeign, kFile, kCorrupt };

struct BadCase {
  const char* name;
  Machine machine;
  std::vector<std::string> args;  // {dist}, {machine}, {script} are replaced
  const char* script;             // written to {script}; null: no script file
  int status;
  std::vector<const char*> errorHas;
  friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

const char* const kGoodScript = "accept\nnext\nnext\nnext\nnext\nfinish\n";

const BadCase kBadCases[] = {
    {"MissingDistribution",
     Machine::kNone,
     {"--dist", "{scratch}/nowhere", "--machine", "{machine}", "--script", "{script}"},
     kGoodScript,
     2,
     {"--dist", "nowhere", "no such folder"}},
    {"FolderThatIsNoDistribution",
     Machine::kNone,
     {"--dist", "{scratch}", "--machine", "{machine}", "--script", "{script}"},
     kGoodScript,
     2,
     {"not a driver distribution", "DRVCONFIG/setup.ini"}},
    {"MachineIsAFile",
     Machine::kFile,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     kGoodScript,
     2,
     {"--machine", "not a folder"}},
    {"MachineFolderOfSomethingElse",
     Machine::kForeign,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     kGoodScript,
     2,
     {"holds other things", "machine.txt"}},
    {"CorruptMachineFolder",
     Machine::kCorrupt,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     kGoodScript,
     2,
     {"cannot load the machine", "machine.txt"}},
    {"OtherSystemThanTheMachine",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--os", "2000", "--script", "{script}"},
     kGoodScript,
     2,
     {"runs Windows XP", "Windows 2000"}},
    {"UnknownSystem",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--os", "vista", "--script", "{script}"},
     kGoodScript,
     2,
     {"--os", "\"vista\""}},
    {"BadUsbValue",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--usb", "9,x", "--script", "{script}"},
     kGoodScript,
     2,
     {"--usb", "\"x\""}},
    {"UnreadableScript",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{scratch}/none.txt"},
     nullptr,
     2,
     {"--script", "cannot read"}},
    {"NoTerminalForTheInteractiveWizard",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}"},
     nullptr,
     2,
     {"needs a terminal", "--script"}},
    {"UnknownStep",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\njump\n",
     1,
     {"line 2", "unknown step \"jump\""}},
    {"StepWithoutItsValue",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\nmodel\n",
     1,
     {"line 3", "\"model\" needs a value"}},
    {"ModelThatDoesNotExist",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\n\nmodel SW-X99\nnext\n",
     1,
     {"line 4 (model SW-X99)", "no model \"SW-X99\"", "SW-R58"}},
    {"PortThatDoesNotExist",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\nnext\nnext\nnext\nport COM7:\nfinish\n",
     1,
     {"line 6", "no port \"COM7:\"", "TVCOM1:"}},
    {"StepForAnotherPage",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nport LPT1:\n",
     1,
     {"line 2", "port page", "licence agreement page"}},
    {"DisabledControl",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\nmodel SW-R58\nnext\nadvanced\n",
     1,
     {"line 5", "\"Advanced\" button is disabled"}},
    {"SerialSettingOnAParallelPort",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\nnext\nnext\nnext\nport LPT1:\nbaud 9600\n",
     1,
     {"line 7", "baud rate list is disabled", "\"LPT1:\""}},
    {"QuestionNotAnswered",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--usb", "10", "--script", "{script}"},
     "accept\nnext\nnext\nnext\nnext\nfinish\n",
     1,
     {"line 6 (finish)", "This application will change printer name", "answer rename yes"}},
    {"AnswerWithoutAQuestion",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nanswer yes\n",
     1,
     {"line 2", "no question is being asked"}},
    {"ScriptEndsWithTheWizardOpen",
     Machine::kInstalled,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "accept\nnext\n",
     1,
     {"still open on the printer model page"}},
    {"StepAfterTheWizardClosed",
     Machine::kNone,
     {"--dist", "{dist}", "--machine", "{machine}", "--script", "{script}"},
     "cancel\nnext\n",
     1,
     {"line 2", "closed at line 1"}},
};

class SetupSimBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(SetupSimBadInput, StopsWithAMessageAndLeavesTheMachineFolderAlone) {
  const BadCase& c = GetParam();
  TempDir scratch;
  const std::string machine = scratch / "machine";
  switch (c.machine) {
    case Machine::kNone:
      break;
    case Machine::kInstalled:
    case Machine::kCorrupt: {
      WriteText(scratch / "first.txt", kGoodScript);
      const RunResult first = RunSetupSim({"--dist", kDistribution, "--machine", machine, "--usb",
                                           "8", "--script", scratch / "first.txt"},
                                          scratch);
      ASSERT_EQ(first.status, 0) << first.err;
      if (c.machine == Machine::kCorrupt)
        WriteText(machine + "/machine.txt", "[system]\nplatform-id=x\n");
      break;
    }
    case Machine::kForeign:
      std::filesystem::create_directory(machine);
      WriteText(machine + "/notes.txt", "my own notes");
      break;
    case Machine::kFile:
      WriteText(machine, "a file");
      break;
  }
  if (c.script != nullptr) WriteText(scratch / "script.txt", c.script);
  std::vector<std::string> args;
  for (std::string arg : c.args) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"{dist}", kDistribution},
                                   {"{machine}", machine},
                                   {"{script}", scratch / "script.txt"},
                                   {"{scratch}", scratch.path()}}) {
      if (const std::size_t at = arg.find(from); at != std::string::npos)
        arg.replace(at, from.size(), to);
    }
    args.push_back(arg);
  }
  const auto treeBefore = ReadTree(machine);
  const RunResult run = RunSetupSim(args, scratch);
  EXPECT_EQ(run.status, c.status) << run.err << run.out;
  for (const char* text : c.errorHas)
    EXPECT_NE(run.err.find(text), std::string::npos) << text << "\n" << run.err;
  EXPECT_EQ(run.err.rfind("setup-sim: ", 0), 0u) << run.err;
  EXPECT_EQ(ReadTree(machine), treeBefore);
  // Nothing is left beside the folder either.
  for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".machine."), std::string::npos)
        << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SetupSimBadInput, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setwell
