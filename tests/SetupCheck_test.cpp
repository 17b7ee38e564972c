// setup-check: every rule tripped once at the place it names by the broken
// example, the sample distribution clean, bad input refused without a
// crash, and the rehearsal's outcomes the same as setup-sim's.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/SetupSimTestSupport.h"
#include "tools/setup_check/SetupCheck.h"

namespace setwell::check {
namespace {

using testing_support::ReadText;
using testing_support::ReportSections;
using testing_support::RunResult;
using testing_support::RunSetupCheck;
using testing_support::ShellQuoted;
using testing_support::TempDir;
using testing_support::WriteText;

const std::string kSample = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";
const std::string kBroken = std::string(SETWELL_SOURCE_DIR) + "/examples/broken-distribution";

CheckResult Check(const std::string& folder, bool rehearse, std::vector<std::int32_t> targets = {}) {
  CheckOptions options;
  options.rehearse = rehearse;
  if (!targets.empty()) {
    options.targets = targets;
    options.osNames.clear();
    const char* names[5] = {"98", "nt4", "2000", "xp", "2003"};
    for (std::int32_t t : targets) options.osNames.push_back(names[t]);
  }
  CheckResult result;
  std::string error;
  EXPECT_TRUE(RunCheck(folder, options, result, error)) << error;
  return result;
}

std::vector<const Finding*> WithCode(const CheckResult& result, const std::string& code) {
  std::vector<const Finding*> found;
  for (const Finding& f : result.findings) {
    if (f.code == code) found.push_back(&f);
  }
  return found;
}

// The line of `key` in [section] of a file (of the section when key is
// empty), counted the plain way: one line per "\n".
int LineIn(const std::string& path, const std::string& section, const std::string& key) {
  std::istringstream in(ReadText(path));
  std::string line;
  int number = 0;
  bool inSection = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "[" + section + "]") {
      if (key.empty()) return number;
      inSection = true;
    } else if (!line.empty() && line[0] == '[') {
      if (inSection) return 0;
    } else if (inSection && line.rfind(key + "=", 0) == 0) {
      return number;
    }
  }
  return 0;
}

struct Place {
  const char* code;
  const char* file;  // below the distribution; "" for none
  const char* section;
  const char* key;
  int line;  // -1: the key's line in the file, 0: none
};

// Each static rule the broken example trips, at the place it trips it.
const Place kBrokenPlaces[] = {
    {"SC103", "DRVCONFIG/setup_Ticket.ini", "", "", 0},
    {"SC104", "DRVCONFIG/setup_receipt.ini", "BK-MISSKEY.XP", "STDHelpFile", 0},
    {"SC105", "DRVCONFIG/setup_receipt.ini", "BK-EMPTY.XP", "STDConfigFile", -1},
    {"SC106", "DRVCONFIG/setup_receipt.ini", "BK-NOFILE.XP", "GDIDataFile", -1},
    {"SC107", "DRVCONFIG/setup_receipt.ini", "BK-UNSAFE.XP", "STDDataFile", -1},
    {"SC108", "DRVCONFIG/setup_receipt.ini", "BK-DDK.XP", "STD2KDDKDEV", -1},
    {"SC109", "DRVCONFIG/setup_receipt.ini", "BK-OEM.XP", "GDIDataOemuniini", -1},
    {"SC110", "DRVCONFIG/setup_receipt.ini", "BK-UNI98.98", "STD2KDDKDEV", -1},
    {"SC111", "DRVCONFIG/setup_receipt.ini", "BK-NODLL.XP", "GDIDataFileDLLName", -1},
    {"SC112", "DRVCONFIG/setup.ini", "COMMON-MONITOR.2003", "USBMONitorPDLLName", -1},
    {"SC113", "DRVCONFIG/setup.ini", "COMMON-MONITOR.2003", "COMMONitorPName", -1},
    {"SC114", "DRVCONFIG/setup_receipt.ini", "BK-2003.PORT", "System2003Supported", -1},
    {"SC115", "DRVCONFIG/setup_receipt.ini", "BK-PROC.XP", "STDProcessorDLLName", -1},
    {"SC116", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME15", -1},
    {"SC117", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME16", -1},
    {"SC118", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME17", -1},
    {"SC119", "DRVCONFIG/setup_receipt.ini", "BK-NOBAUD.PORT", "BaudRate", 0},
    {"SC201", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENUMBER", -1},
    {"SC202", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME4", -1},
    {"SC203", "DRVCONFIG/setup.ini", "DEVICENAME", "DEFAULTNAME", -1},
    {"SC204", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME24", -1},
    {"SC205", "DRVCONFIG/setup.ini", "SUPPORTED-USB-DEVICE", "2", -1},
    {"SC206", "DRVCONFIG/setup.ini", "SUPPORTED-USB-DEVICE", "PRNCOUNT", -1},
    {"SC207", "DRVCONFIG/setup.ini", "Version", "DriverVersion", 0},
    {"SC208", "DRVCONFIG/setup.ini", "Version", "", 0},
    {"SC209", "DRVCONFIG/setup_receipt.ini", "BK-AB.PRINTERINFO2K", "COMMENT", -1},
    {"SC210", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME15", -1},
    {"SC211", "DRVCONFIG/setup.ini", "DEVICENAME", "DEVICENAME19", -1},
    {"SC212", "DRVCONFIG/setup.ini", "COMMON-MONITOR.XP", "COMMONitorPDLLName", -1},
    {"SC213", "DRVCONFIG/setup_receipt.ini", "BK-AB.PRINTERINFONT", "ATTRIBUTES", -1},
    {"SC214", "DRVCONFIG/setup_receipt.ini", "BK-DEPS.XP", "GDIDataFile", -1},
    {"SC215", "DRVCONFIG/setup_receipt.ini", "BK-BAUD.PORT", "BaudRate", -1},
    {"SC216", "DRVCONFIG/setup_receipt.ini", "BK-NODRV.PRINTERINFO2K", "GDIDRIVERNAME", 0},
    {"SC217", "DRVCONFIG/setup_receipt.ini", "BK-EXTRA.DEVMODE2K", "DMDRIVEREXTRA", -1},
    {"SC301", "DRVCONFIG/setup_receipt.ini", "OLD-MODEL.PORT", "", -1},
    {"SC303", "Guide.CHM", "", "", 0},
    {"SC304", "DRVCONFIG/setup_receipt.ini",
     "BK-A-VERY-LONG-MODEL-NAME-THAT-NO-PORT-NAME-HOLDS.PORT", "USBSUPPORTED", -1},
};

// Rules that cannot share a distribution with the others (a missing or
// empty model list, an absurd count, no DEFAULTNAME beside a wrong one),
// tripped by the bad-input cases; the rehearsal's own (the removal's in
// SetupCheckRemoval_test); and a waiver's, tripped by the waiver tests.
const std::set<std::string> kTrippedElsewhere = {"SC101", "SC102", "SC120", "SC302", "SC190",
                                                 "SC191", "SC192", "SC218"};

TEST(SetupCheckTest, BrokenDistributionTripsEveryRuleOnceAtThePlaceItNames) {
  const CheckResult result = Check(kBroken, false);
  std::set<std::string> expected;
  for (const Place& place : kBrokenPlaces) {
    expected.insert(place.code);
    const std::vector<const Finding*> found = WithCode(result, place.code);
    ASSERT_EQ(found.size(), 1u) << place.code;
    const Finding& f = *found[0];
    EXPECT_EQ(f.file, place.file) << place.code;
    EXPECT_EQ(f.section, place.section) << place.code;
    EXPECT_EQ(f.key, place.key) << place.code;
    // A missing key is pointed at by its section's line.
    const int line = place.line == 0 && *place.section != '\0' && *place.key != '\0'
                         ? LineIn(kBroken + "/" + place.file, place.section, "")
                     : place.line < 0 ? LineIn(kBroken + "/" + place.file, place.section, place.key)
                                      : place.line;
    if (std::string(place.code) != "SC207" && std::string(place.code) != "SC208") {
      EXPECT_EQ(f.line, line) << place.code;
    }
    EXPECT_FALSE(f.message.empty());
    EXPECT_FALSE(f.hint.empty());
  }
  for (const Finding& f : result.findings) {
    EXPECT_EQ(expected.count(f.code), 1u) << "unexpected " << f.code << ": " << f.message;
  }
  // Every rule of the table is tripped here or by a case of its own.
  for (const Rule& rule : Rules()) {
    EXPECT_TRUE(expected.count(rule.code) == 1 || kTrippedElsewhere.count(rule.code) == 1)
        << rule.code << " is tripped nowhere";
  }
}

TEST(SetupCheckTest, RepeatedKeyAndSectionPointAtTheLinesTheReaderIgnores) {
  const CheckResult result = Check(kBroken, false);
  const std::string general = ReadText(kBroken + "/DRVCONFIG/setup.ini");
  // The second DriverVersion of the first [Version], and the second [Version].
  std::istringstream in(general);
  std::string line;
  int number = 0, secondKey = 0, secondSection = 0, versions = 0, keys = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("[Version]", 0) == 0 && ++versions == 2) secondSection = number;
    if (versions == 1 && line.rfind("DriverVersion=", 0) == 0 && ++keys == 2) secondKey = number;
  }
  ASSERT_EQ(WithCode(result, "SC207").size(), 1u);
  ASSERT_EQ(WithCode(result, "SC208").size(), 1u);
  EXPECT_EQ(WithCode(result, "SC207")[0]->line, secondKey);
  EXPECT_EQ(WithCode(result, "SC208")[0]->line, secondSection);
}

TEST(SetupCheckTest, SampleDistributionHasNoErrorAndEveryInstallSucceedsTwice) {
  const CheckResult result = Check(kSample, true);
  EXPECT_EQ(result.Count(Severity::kError), 0);
  for (const Finding& f : result.findings) EXPECT_NE(f.severity, Severity::kError) << f.message;
  ASSERT_FALSE(result.combinations.empty());
  EXPECT_EQ(result.Failing(), 0);
  int firsts = 0, seconds = 0;
  std::set<std::string> modelsRehearsed;
  std::set<std::string> ports;
  for (const Combination& c : result.combinations) {
    (c.second ? seconds : firsts)++;
    modelsRehearsed.insert(c.model);
    ports.insert(c.port.substr(0, 3));
  }
  EXPECT_EQ(firsts, seconds);
  EXPECT_EQ(modelsRehearsed.size(), result.models.size());
  EXPECT_EQ(ports, (std::set<std::string>{"COM", "LPT", "TVC", "USB"}));
}

TEST(SetupCheckTest, WizardSelectionsFollowThePagesRules) {
  // SW-R80 offers advanced setup and USB; SW-T58 neither (in the sample).
  CheckResult result = Check(kSample, true, {1, 3});
  auto count = [&](const std::string& model, std::int32_t target, std::int32_t setup,
                   const std::string& port, std::int32_t mode) {
    return std::count_if(result.combinations.begin(), result.combinations.end(),
                         [&](const Combination& c) {
                           return !c.second && c.model == model && c.target == target &&
                                  c.setupType == setup && c.port.rfind(port, 0) == 0 &&
                                  c.mode == mode;
                         });
  };
  EXPECT_EQ(count("SW-R80", 3, 1, "USB_SW-R80_1", 1), 1);
  EXPECT_EQ(count("SW-R80", 3, 0, "USB_SW-R80_1", 0), 1);  // the raster box unticked
  EXPECT_EQ(count("SW-R80", 3, 1, "USB_SW-R80_1", 0), 0);  // typical: the box is hidden
  EXPECT_EQ(count("SW-R80", 3, 0, "TVCOM1:", 1), 0);       // serial: never the raster driver
  EXPECT_EQ(count("SW-R80", 1, 1, "USB_", 1), 0);          // NT 4.0 lists no USB port
  EXPECT_EQ(count("SW-T58", 3, 0, "LPT1:", 1), 0);         // no advanced setup
}

struct BadInput {
  const char* name;
  std::map<std::string, std::string> files;  // relative path -> contents
  const char* code;                          // the finding expected, or "" for none
};

TEST(SetupCheckTest, BadInputGivesFindingsNeverACrash) {
  const BadInput cases[] = {
      {"empty_folder", {}, "SC101"},
      {"garbage_general_file", {{"DRVCONFIG/setup.ini", std::string("\x00\xff[\x01=\n\r]]==", 11)}},
       "SC102"},
      {"no_models", {{"DRVCONFIG/setup.ini", "[DEVICENAME]\r\nDEVICENUMBER=0\r\n"}}, "SC102"},
      {"huge_count",
       {{"DRVCONFIG/setup.ini",
         "[DEVICENAME]\r\nDEVICENUMBER=2147483647\r\nDEFAULTNAME=1\r\nDEVICENAME1=X-ReceiptPrinter\r\n"},
        {"DRVCONFIG/setup_receipt.ini", "[X.PORT]\r\nBaudRate=9600\r\n"}},
       "SC120"},
      {"huge_usb_count",
       {{"DRVCONFIG/setup.ini",
         "[DEVICENAME]\r\nDEVICENUMBER=1\r\nDEFAULTNAME=1\r\nDEVICENAME1=X-ReceiptPrinter\r\n"
         "[SUPPORTED-USB-DEVICE]\r\nPRNCOUNT=2147483647\r\n0=USB_X_1\r\n"},
        {"DRVCONFIG/setup_receipt.ini", "[X.PORT]\r\nBaudRate=9600\r\nUSBSUPPORTED=1\r\n"}},
       "SC120"},
      {"no_default",
       {{"DRVCONFIG/setup.ini", "[DEVICENAME]\nDEVICENUMBER=1\nDEVICENAME1=X-LabelPrinter\n"},
        {"DRVCONFIG/setup_Lable.ini", "[X.PORT]\nBaudRate=9600\n"}},
       "SC302"},
      {"unicode_and_long_lines",
       {{"DRVCONFIG/setup.ini", "\xEF\xBB\xBF[DEVICENAME]\nDEVICENUMBER=1\nDEVICENAME1=" +
                                    std::string(5000, 'x') + "-TicketPrinter\n"}},
       "SC102"},  // the entry is cut at 199 characters, and its suffix with it
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    for (const auto& [path, contents] : c.files) {
      std::filesystem::create_directories(std::filesystem::path(dir / path).parent_path());
      WriteText(dir / path, contents);
    }
    const auto start = std::chrono::steady_clock::now();
    const CheckResult result = Check(dir.path(), true);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(WithCode(result, c.code).empty());
    EXPECT_GT(result.Count(Severity::kError) + result.Count(Severity::kNote), 0);
  }
}

TEST(SetupCheckTest, UnreadableFolderIsAnError) {
  TempDir dir;
  WriteText(dir / "file", "not a folder");
  for (const std::string& folder : {dir / "missing", dir / "file"}) {
    CheckResult result;
    std::string error;
    EXPECT_FALSE(RunCheck(folder, CheckOptions{}, result, error));
    EXPECT_NE(error.find(folder), std::string::npos) << error;
  }
}

TEST(SetupCheckTest, ExitStatusSaysCleanFindingsOrBadArguments) {
  TempDir scratch;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;  // in the output (standard error for status 2)
  };
  const Case cases[] = {
      {{kSample, "--os", "xp"}, 0, "0 errors"},
      {{kSample, "--no-rehearsal", "--warnings-as-errors"}, 1, "SC215"},
      {{kSample, "--no-rehearsal", "--warnings-as-errors", "--ignore", "SC215,SC304"}, 0, "0 warnings"},
      {{kBroken, "--no-rehearsal"}, 1, "SC104"},
      {{kBroken, "--no-rehearsal", "--format", "json"}, 1, "\"code\": \"SC104\""},
      {{kBroken, "--no-rehearsal", "--format", "gnu"}, 1, ": error: SC104 STDHelpFile is missing"},
      {{kBroken, "--no-rehearsal", "--format", "sarif"}, 1, "\"ruleId\": \"SC104\""},
      {{kBroken, "--no-rehearsal"}, 1, "] STDHelpFile: STDHelpFile is missing"},
      {{kBroken, "--no-rehearsal", "--verbose"}, 1, "] STDHelpFile\n          STDHelpFile is missing"},
      {{kSample, "--format", "gnu", "--os", "xp"}, 0, ":7: warning: SC215 "},
      {{scratch / "nowhere"}, 2, "no such folder"},
      {{kSample, "--os", "vista"}, 2, "vista"},
      {{kSample, "--ignore", "SC999"}, 2, "SC999"},
      {{kSample, "--format", "xml"}, 2, "xml"},
      {{kSample, kBroken}, 2, "one distribution folder"},
      {{}, 2, "which distribution"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunSetupCheck(c.args, scratch);
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE((c.status == 2 ? run.err : run.out).find(c.says), std::string::npos)
        << run.out << run.err;
  }
}

// The messages of a setup-sim report's "Messages shown" section.
std::vector<std::string> SetupSimMessages(const std::string& out) {
  std::vector<std::string> texts;
  auto sections = ReportSections(out);
  for (const std::string& item : sections["Messages shown"]) {
    std::string text = item.substr(item.find("] ") + 2);
    text = text.substr(0, text.rfind(" -> "));
    texts.push_back(text);
  }
  return texts;
}

TEST(SetupCheckTest, FailingInstallsBecomeOneFindingPerModelAndInstall) {
  // No distribution found so far makes a second install fail after a first
  // that succeeded; the report must still tell the two apart.
  auto combination = [](const std::string& model, bool second, bool ok, const char* port) {
    Combination c;
    c.model = model;
    c.target = 3;
    c.os = "xp";
    c.port = port;
    c.second = second;
    c.ok = ok;
    c.outcome = ok ? "completed" : "closed";
    if (!ok) c.messages = {"Add printer error", "error = 1801"};
    return c;
  };
  const std::vector<Combination> all = {
      combination("BK-X", false, true, "TVCOM1:"), combination("BK-X", true, false, "TVCOM1:"),
      combination("BK-X", false, true, "LPT1:"),   combination("BK-X", true, false, "LPT1:"),
      combination("BK-Y", false, false, "LPT1:"),  combination("BK-Z", false, true, "LPT1:"),
      combination("BK-Z", true, true, "LPT1:")};
  const std::set<std::string> none;
  FindingList findings(none);
  AddRehearsalFindings(all, findings);
  ASSERT_EQ(findings.All().size(), 2u);
  const Finding& second = findings.All()[0];
  EXPECT_EQ(second.code, "SC191");
  EXPECT_EQ(second.severity, Severity::kError);
  EXPECT_EQ(second.model, "BK-X");
  EXPECT_NE(second.message.find("2 combinations fail"), std::string::npos) << second.message;
  EXPECT_NE(second.message.find("TVCOM1:"), std::string::npos) << second.message;
  EXPECT_NE(second.message.find("\"error = 1801\""), std::string::npos) << second.message;
  EXPECT_EQ(findings.All()[1].code, "SC190");
  EXPECT_EQ(findings.All()[1].model, "BK-Y");

  const std::set<std::string> ignored = {"SC191"};
  FindingList without(ignored);
  AddRehearsalFindings(all, without);
  ASSERT_EQ(without.All().size(), 1u);
  EXPECT_EQ(without.All()[0].code, "SC190");
}

struct SameRun {
  const char* dist;
  const char* os;
  const char* category;
  const char* model;
  bool advanced;
  const char* port;
  int mode;
};

TEST(SetupCheckTest, RehearsalAgreesWithSetupSimOnTheSameCombination) {
  const SameRun runs[] = {
      {"broken-distribution", "xp", "receipt", "BK-MISSKEY", false, "TVCOM1:", 0},
      {"broken-distribution", "xp", "receipt", "BK-NOFILE", true, "LPT1:", 1},
      {"broken-distribution", "2003", "receipt", "BK-A", false, "TVCOM1:", 0},
      {"broken-distribution", "98", "receipt", "BK-UNI98", false, "COM1:", 0},
      {"distribution", "xp", "receipt", "SW-R80", true, "USB_SW-R80_1", 0},
      {"distribution", "2000", "label", "SW-L58", false, "LPT1:", 1},
  };
  const std::map<std::string, std::int32_t> targets = {{"98", 0}, {"2000", 2}, {"xp", 3}, {"2003", 4}};
  for (const SameRun& run : runs) {
    SCOPED_TRACE(std::string(run.model) + " " + run.os + " " + run.port);
    const std::string dist = std::string(SETWELL_SOURCE_DIR) + "/examples/" + run.dist;
    const CheckResult result = Check(dist, true, {targets.at(run.os)});
    const auto it = std::find_if(result.combinations.begin(), result.combinations.end(),
                                 [&](const Combination& c) {
                                   return !c.second && c.model == run.model &&
                                          c.setupType == (run.advanced ? 0 : 1) &&
                                          c.port == run.port && c.mode == run.mode;
                                 });
    ASSERT_NE(it, result.combinations.end());

    TempDir scratch;
    std::string script = std::string("accept\nnext\ncategory ") + run.category + "\nmodel " +
                         run.model + "\nnext\n" + (run.advanced ? "advanced" : "typical") +
                         "\nnext\nnext\nport " + run.port + "\n";
    if (run.advanced && std::string(run.port).find("COM") == std::string::npos)
      script += std::string("raster ") + (run.mode == 1 ? "on" : "off") + "\n";
    script += "finish\n";
    // A Windows 98/Me install that gets to its end asks to restart.
    if (!it->messages.empty() && it->messages.back().rfind("Restart the computer", 0) == 0)
      script += "answer no\n";
    WriteText(scratch / "script.txt", script);
    std::vector<std::string> args = {"--dist", dist, "--machine", scratch / "machine", "--os",
                                     run.os, "--script", scratch / "script.txt"};
    if (std::string(run.port).rfind("USB_", 0) == 0) {
      args.push_back("--usb");
      args.push_back("0");
    }
    const RunResult sim = testing_support::RunSetupSim(args, scratch);
    ASSERT_EQ(sim.status, 0) << sim.out << sim.err;
    // The report writes a message's line breaks as " / ".
    std::vector<std::string> rehearsed;
    for (std::string text : it->messages) {
      for (std::size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, " / ");
      rehearsed.push_back(text);
    }
    EXPECT_EQ(SetupSimMessages(sim.out), rehearsed) << sim.out;
  }
}

TEST(IniOutlineTest, LinesCountAsAPersonCountsThemAndRepeatsAreMarked) {
  // CRLF, LF and a lone CR each end one line.
  IniOutline outline;
  IniFile file("[A]\r\nk=1\nk=2\r[B]\r\n\r\nx\r\n[a]\nj=3\n", &outline);
  ASSERT_EQ(outline.sections.size(), 4u);
  EXPECT_EQ(outline.sections[1].line, 1);
  EXPECT_EQ(outline.sections[2].line, 4);
  EXPECT_EQ(outline.sections[3].line, 7);
  EXPECT_TRUE(outline.sections[1].first);
  EXPECT_FALSE(outline.sections[3].first);  // [a] is [A] again
  ASSERT_EQ(outline.keys.size(), 4u);
  EXPECT_EQ(outline.keys[0].line, 2);
  EXPECT_TRUE(outline.keys[0].first);
  EXPECT_EQ(outline.keys[1].line, 3);
  EXPECT_FALSE(outline.keys[1].first);
  EXPECT_EQ(outline.keys[2].name, "x");
  EXPECT_FALSE(outline.keys[2].hasValue);
  EXPECT_EQ(outline.keys[2].line, 6);
  EXPECT_FALSE(outline.keys[3].first);  // in the section the reader never returns
  EXPECT_EQ(file.GetString("A", "k", 10), "1");
  EXPECT_EQ(file.GetString("A", "j", 10), "0");
}

}  // namespace
}  // namespace setwell::check
