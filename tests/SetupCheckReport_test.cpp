// setup-check's report in its forms: the grouped text at most half the
// one-by-one listing with no rule lost, repeats told once, the gnu lines
// that editors jump from, and the SARIF log with its rules, levels and
// locations, valid by the published SARIF 2.1.0 schema.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

#include "tests/MiniJson.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_check/GroupedReport.h"
#include "tools/setup_check/ReportText.h"
#include "tools/setup_check/RuleDocs.h"
#include "tools/setup_check/SetupCheck.h"

namespace setwell::check {
namespace {

using testing_support::JsonReader;
using testing_support::JsonValue;
using testing_support::ReadText;
using testing_support::RunResult;
using testing_support::RunSetupCheck;
using testing_support::ShellQuoted;
using testing_support::TempDir;
using testing_support::WriteText;

const std::string kSource = SETWELL_SOURCE_DIR;
const std::string kSample = kSource + "/examples/distribution";
const std::string kBroken = kSource + "/examples/broken-distribution";

CheckResult Check(const std::string& folder) {
  CheckResult result;
  std::string error;
  EXPECT_TRUE(RunCheck(folder, CheckOptions{}, result, error)) << error;
  return result;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The codes of the findings of the JSON report.
std::multiset<std::string> JsonCodes(const std::string& json) {
  std::multiset<std::string> codes;
  const JsonValue report = JsonReader::Parse(json);
  for (const JsonValue& f : report["findings"].items) codes.insert(f["code"].text);
  return codes;
}

// The line of "DEVICENAMEn=" in the general file: where a model is listed.
int EntryLine(const std::string& folder, std::int32_t entry) {
  const std::vector<std::string> lines = LinesOf(ReadText(folder + "/DRVCONFIG/setup.ini"));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("DEVICENAME" + std::to_string(entry) + "=", 0) == 0) return static_cast<int>(i + 1);
  }
  return 0;
}

TEST(SetupCheckReportTest, GroupedReportIsAtMostHalfTheVerboseListingAndLosesNoRule) {
  TempDir scratch;
  const CheckResult result = Check(kBroken);
  const RunResult grouped = RunSetupCheck({kBroken}, scratch);
  const RunResult verbose = RunSetupCheck({kBroken, "--verbose"}, scratch);
  const RunResult gnu = RunSetupCheck({kBroken, "--format", "gnu"}, scratch);
  const RunResult sarif = RunSetupCheck({kBroken, "--format", "sarif"}, scratch);
  for (const RunResult* run : {&grouped, &verbose, &gnu, &sarif}) EXPECT_EQ(run->status, 1) << run->err;
  EXPECT_EQ(verbose.out, FormatText(result));
  EXPECT_EQ(grouped.out, FormatGroupedText(result));

  const std::vector<std::string> groupedLines = LinesOf(grouped.out);
  const std::vector<std::string> verboseLines = LinesOf(verbose.out);
  EXPECT_LE(2 * groupedLines.size(), verboseLines.size()) << grouped.out;
  // The summary closes both, as scripts and the Windows test read it.
  ASSERT_FALSE(groupedLines.empty());
  EXPECT_EQ(groupedLines.back(), verboseLines.back());
  EXPECT_EQ(groupedLines.back().rfind("Summary: ", 0), 0u);

  const std::multiset<std::string> json = JsonCodes(FormatJson(result));
  const std::set<std::string> codes(json.begin(), json.end());
  ASSERT_GE(codes.size(), 38u);  // the broken example trips nearly every rule
  // Where each form names a finding's rule.
  std::multiset<std::string> inGnu, inSarif;
  const std::regex gnuCode(R"(: (?:error|warning|note): (SC[0-9]{3}) )");
  for (const std::string& line : LinesOf(gnu.out)) {
    std::smatch m;
    if (std::regex_search(line, m, gnuCode)) inGnu.insert(m[1]);
  }
  const JsonValue log = JsonReader::Parse(sarif.out);
  for (const JsonValue& r : log["runs"][0]["results"].items) inSarif.insert(r["ruleId"].text);
  EXPECT_EQ(inGnu, json);
  EXPECT_EQ(inSarif, json);
  for (const std::string& code : codes) {
    EXPECT_NE(grouped.out.find(" " + code + " "), std::string::npos) << code << " lost";
  }
}

// Six models new to the checker that share a form name too long in three
// sections each, as a maker's distribution shows them, among other faults.
CheckResult SixModels(const std::set<std::string>& ignored = {}) {
  CheckResult result;
  result.distribution = "/dist";
  result.generalFile = "DRVCONFIG/setup.ini";
  FindingList findings(ignored);
  const std::string general = "DRVCONFIG/setup.ini";
  const std::string receipt = "DRVCONFIG/setup_receipt.ini";
  int line = 100;
  for (int m = 1; m <= 6; ++m) {
    const std::string name = "QX-" + std::to_string(m);
    result.models.push_back(ListedModel{name, 0, m, m + 2});
    for (const char* suffix : {"DEVMODE2K", "DEVMODEXP", "DEVMODE2003"}) {
      findings.Add("SC209", receipt, name + "." + suffix, "FORMNAME", line += 10, name,
                   "FORMNAME has 22 characters; 19 are kept: \"Roll Paper 80 x 200\"");
    }
  }
  findings.Add("SC301", receipt, "OLD-1.PORT", "", 500, "",
               "[OLD-1.PORT] belongs to no model listed in this category");
  findings.Add("SC112", general, "COMMON-MONITOR.NT", "", 0, "",
               "no [COMMON-MONITOR.NT]: serial installs on Windows NT 4.0 add no port monitor");
  // The same fault, told with each model's name in it.
  for (int m = 1; m <= 2; ++m) {
    const std::string name = "QX-" + std::to_string(m);
    findings.Add("SC116", general, "DEVICENAME", "DEVICENAME" + std::to_string(m), m + 2, name,
                 "USB port \"USB_" + name + "_1\" has more than 51 characters");
  }
  // The same rule saying something else: told apart.
  findings.Add("SC209", receipt, "QX-1.PRINTERINFO2K", "COMMENT", 90, "QX-1",
               "COMMENT has 60 characters; 49 are kept");
  findings.Add("SC301", receipt, "OLD-2.PORT", "", 510, "",
               "[OLD-2.PORT] belongs to no model listed in this category");
  findings.Add("SC106", receipt, "QX-3.NT", "STDDataFile", 300, "QX-3",
               "\"QX3TXT.DLL\" is not in \\winnt\\: \"Copy driver files error\" on Windows NT 4.0");
  result.findings = std::move(findings.All());
  return result;
}

TEST(SetupCheckReportTest, FindingsThatSayTheSameAtSeveralPlacesAreToldOnce) {
  const CheckResult result = SixModels();
  const std::string grouped = FormatGroupedText(result);
  const std::string verbose = FormatText(result);
  struct Told {
    const char* text;
    int grouped;
    int verbose;
  };
  const Told cases[] = {
      {"FORMNAME has 22 characters; 19 are kept", 1, 18},
      {"key FORMNAME in 18 sections: DRVCONFIG/setup_receipt.ini:110 [QX-1.DEVMODE2K], :120 "
       "[QX-1.DEVMODEXP], :130 [QX-1.DEVMODE2003], :140 [QX-2.DEVMODE2K]",
       1, 0},
      {"USB port \"USB_<model>_1\" has more than 51 characters", 1, 0},
      {"2 places: DRVCONFIG/setup.ini:3 [DEVICENAME] DEVICENAME1, :4 [DEVICENAME] DEVICENAME2", 1, 0},
      {"COMMENT has 60 characters; 49 are kept", 1, 1},
      {"[<section>] belongs to no model listed in this category", 1, 0},
      {"2 sections: DRVCONFIG/setup_receipt.ini:500 [OLD-1.PORT], :510 [OLD-2.PORT]", 1, 0},
      {"hint: shorten the value: it is cut", 1, 19},
  };
  for (const Told& c : cases) {
    EXPECT_EQ(Occurrences(grouped, c.text), c.grouped) << c.text << "\n" << grouped;
    EXPECT_EQ(Occurrences(verbose, c.text), c.verbose) << c.text;
  }
  for (const ListedModel& model : result.models) {
    for (const char* suffix : {"DEVMODE2K", "DEVMODEXP", "DEVMODE2003"})
      EXPECT_EQ(Occurrences(grouped, "[" + model.name + "." + suffix + "]"), 1) << model.name << suffix;
  }
  // Groups of several models stand with the distribution's findings, the
  // errors first, then the warnings, then the notes; a model's own after.
  const std::size_t errors[] = {grouped.find("error   SC112"), grouped.find("error   SC116")};
  const std::size_t warning = grouped.find("warning SC209 FORMNAME");
  const std::size_t note = grouped.find("note    SC301");
  const std::size_t firstModel = grouped.find("\nModel QX-1");
  for (std::size_t error : errors) {
    EXPECT_LT(grouped.find("\nDistribution\n"), error);
    EXPECT_LT(error, warning);
  }
  EXPECT_LT(warning, note);
  EXPECT_LT(note, firstModel);
  EXPECT_LT(firstModel, grouped.find("warning SC209 DRVCONFIG/setup_receipt.ini:90 [QX-1.PRINTERINFO2K]"));
  EXPECT_LT(grouped.find("\nModel QX-3"), grouped.find("error   SC106 DRVCONFIG/setup_receipt.ini:300"));
  // The JSON keeps every finding.
  EXPECT_EQ(JsonCodes(FormatJson(result)).count("SC209"), 19u);
}

Combination Failed(std::int32_t target, std::int32_t setup, const std::string& port, bool second,
                   std::vector<std::string> messages) {
  Combination c;
  c.model = "QX-1";
  c.target = target;
  c.os = target == 1 ? "nt4" : target == 2 ? "2000" : "xp";
  c.setupType = setup;
  c.port = port;
  c.mode = port.find("COM") != std::string::npos ? 0 : 1;
  c.second = second;
  c.outcome = "closed";
  c.messages = std::move(messages);
  return c;
}

TEST(SetupCheckReportTest, FailingCombinationsThatShowedTheSameMessagesAreToldOnce) {
  std::vector<Combination> combinations;
  for (std::int32_t target : {1, 2})
    for (std::int32_t setup : {1, 0})
      for (const char* port : {"TVCOM1:", "LPT1:", "USB_QX-1_1"})
        combinations.push_back(Failed(target, setup, port, false, {"Add monitor error"}));
  combinations.push_back(Failed(3, 1, "LPT1:", false, {"Add printer error", "error = 1796"}));
  for (const char* port : {"TVCOM1:", "LPT1:"})
    combinations.push_back(Failed(3, 1, port, true, {"Add printer error", "error = 1801"}));
  Combination good = Failed(3, 0, "LPT1:", false, {});
  good.ok = true;
  good.outcome = "completed";
  combinations.push_back(good);

  const std::string monitor =
      "12 combinations: Windows NT 4.0 and 2000; typical and advanced; TVCOM1:, LPT1: and "
      "USB_QX-1_1; standard and raster drivers: closed after \"Add monitor error\"";
  const std::string printer =
      "Windows XP, typical, LPT1:, raster driver: closed after \"Add printer error\", \"error = 1796\"";
  const std::string second =
      "2 combinations: Windows XP; typical; TVCOM1: and LPT1:; standard and raster drivers; second "
      "install: closed after \"Add printer error\", \"error = 1801\"";
  struct Case {
    std::set<std::string> ignored;
    std::vector<std::string> lines;  // in this order
  };
  const Case cases[] = {
      {{}, {"  error   SC190 " + monitor, "  error   SC190 " + printer, "  error   SC191 " + second}},
      {{"SC190"}, {"  FAIL    " + monitor, "  FAIL    " + printer, "  error   SC191 " + second}},
      {{"SC190", "SC191"}, {"  FAIL    " + monitor, "  FAIL    " + printer, "  FAIL    " + second}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.ignored));
    CheckResult result = SixModels(c.ignored);
    result.rehearsed = true;
    result.combinations = combinations;
    FindingList rehearsal(c.ignored);
    AddRehearsalFindings(result.combinations, rehearsal);
    for (Finding& f : rehearsal.All()) result.findings.push_back(f);

    const std::string grouped = FormatGroupedText(result);
    const std::vector<std::string> lines = LinesOf(grouped);
    std::size_t previous = 0;
    for (const std::string& expected : c.lines) {
      const auto at = std::find(lines.begin(), lines.end(), expected);
      ASSERT_NE(at, lines.end()) << expected << "\n" << grouped;
      const std::size_t index = static_cast<std::size_t>(at - lines.begin());
      EXPECT_GT(index, previous) << expected;
      previous = index;
    }
    EXPECT_EQ(Occurrences(grouped, "Add monitor error"), 1);
    EXPECT_EQ(Occurrences(FormatText(result), "\"Add monitor error\""), 12 + (c.ignored.count("SC190") ? 0 : 1));
    EXPECT_NE(grouped.find("Model QX-1 (receipt): 16 combinations rehearsed, 15 failing"), std::string::npos);
  }
}

TEST(SetupCheckReportTest, GnuLinesGiveFileLineSeverityAndCodeOfEveryFinding) {
  TempDir scratch;
  const CheckResult result = Check(kBroken);
  const RunResult run = RunSetupCheck({kBroken, "--format", "gnu"}, scratch);
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = LinesOf(run.out);
  ASSERT_EQ(lines.size(), result.findings.size()) << run.out;
  const std::regex form(R"(^(.+?)(?::([0-9]+))?: (error|warning|note): (SC[0-9]{3}) (.+)$)");
  // The files that these rules find missing.
  const std::set<std::string> missingFiles = {"SC101", "SC103", "SC303"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Finding& f = result.findings[i];
    SCOPED_TRACE(lines[i]);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, form));
    const std::string file = m[1];
    const int line = m[2].matched ? std::stoi(m[2]) : 0;
    EXPECT_EQ(m[3], SeverityName(f.severity));
    EXPECT_EQ(m[4], f.code);
    EXPECT_NE(std::string(m[5]).find(OneLine(f.message)), std::string::npos);
    ASSERT_EQ(file.rfind(kBroken + "/", 0), 0u);
    if (FromRehearsal(f)) {
      // The model's entry, where the model page lists it.
      const auto model = std::find_if(result.models.begin(), result.models.end(),
                                      [&](const ListedModel& l) { return l.name == f.model; });
      ASSERT_NE(model, result.models.end());
      EXPECT_EQ(file, kBroken + "/DRVCONFIG/setup.ini");
      EXPECT_EQ(line, EntryLine(kBroken, model->entry));
      EXPECT_NE(std::string(m[5]).rfind(f.model + ": ", 0), std::string::npos);
    } else {
      EXPECT_EQ(file, kBroken + "/" + f.file);
      EXPECT_EQ(line, f.line);
    }
    if (missingFiles.count(f.code) == 0) {
      EXPECT_TRUE(std::filesystem::exists(file));
    }
  }
}

TEST(SetupCheckReportTest, GnuFileNamesFollowTheFolderAsTheCallerNamedIt) {
  CheckResult result = SixModels();
  result.findings.clear();
  const std::set<std::string> none;
  FindingList findings(none);
  findings.Add("SC113", "DRVCONFIG/setup.ini", "COMMON-MONITOR.2003", "COMMONitorPName", 85, "",
               "no name");
  findings.Add("SC303", "Guide.CHM", "", "", 0, "", "Guide.CHM is missing");
  findings.Add("SC190", "", "", "", 0, "QX-2", "2 combinations fail");
  result.findings = std::move(findings.All());
  struct Case {
    const char* folder;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"dist",
       {"dist/DRVCONFIG/setup.ini:85: error: SC113 no name", "dist/Guide.CHM: note: SC303 Guide.CHM is missing",
        "dist/DRVCONFIG/setup.ini:4: error: SC190 QX-2: 2 combinations fail"}},
      {"../dist/",
       {"../dist/DRVCONFIG/setup.ini:85: error: SC113 no name",
        "../dist/Guide.CHM: note: SC303 Guide.CHM is missing",
        "../dist/DRVCONFIG/setup.ini:4: error: SC190 QX-2: 2 combinations fail"}},
      {"D:\\dist",
       {"D:\\dist\\DRVCONFIG\\setup.ini:85: error: SC113 no name",
        "D:\\dist\\Guide.CHM: note: SC303 Guide.CHM is missing",
        "D:\\dist\\DRVCONFIG\\setup.ini:4: error: SC190 QX-2: 2 combinations fail"}},
  };
  for (const Case& c : cases) EXPECT_EQ(LinesOf(FormatGnu(result, c.folder)), c.lines) << c.folder;
}

TEST(SetupCheckReportTest, SarifResultsCarryRulesLevelsAndLocations) {
  const CheckResult result = Check(kBroken);
  const JsonValue log = JsonReader::Parse(FormatSarif(result));
  EXPECT_EQ(log["version"].text, "2.1.0");
  ASSERT_EQ(log["runs"].items.size(), 1u);
  const JsonValue& run = log["runs"][0];
  EXPECT_EQ(run["originalUriBaseIds"]["DISTRIBUTION"]["uri"].text, "file://" + kBroken + "/");

  // One rule per code, with the help the documentation gives.
  const JsonValue& rules = run["tool"]["driver"]["rules"];
  ASSERT_EQ(rules.items.size(), Rules().size());
  for (std::size_t i = 0; i < Rules().size(); ++i) {
    const Rule& rule = Rules()[i];
    SCOPED_TRACE(rule.code);
    const RuleDoc* doc = FindRuleDoc(rule.code);
    ASSERT_NE(doc, nullptr) << "docs/setup-check.md does not list it";
    EXPECT_EQ(rules[i]["id"].text, rule.code);
    EXPECT_EQ(rules[i]["defaultConfiguration"]["level"].text, SeverityName(rule.severity));
    EXPECT_EQ(rules[i]["fullDescription"]["text"].text, PlainText(doc->rule));
    const std::string help = rules[i]["help"]["text"].text;
    EXPECT_EQ(help.rfind(rule.hint, 0), 0u) << help;
    EXPECT_NE(help.find(PlainText(doc->example)), std::string::npos) << help;
    EXPECT_NE(rules[i]["help"]["markdown"].text.find(doc->example), std::string::npos);
  }

  const JsonValue& results = run["results"];
  ASSERT_EQ(results.items.size(), result.findings.size());
  for (std::size_t i = 0; i < results.items.size(); ++i) {
    const Finding& f = result.findings[i];
    const JsonValue& r = results[i];
    SCOPED_TRACE(f.code + " " + f.message);
    EXPECT_EQ(r["ruleId"].text, f.code);
    EXPECT_EQ(rules[static_cast<std::size_t>(r["ruleIndex"].number)]["id"].text, f.code);
    EXPECT_EQ(r["level"].text, SeverityName(f.severity));
    EXPECT_NE(r["message"]["text"].text.find(OneLine(f.message)), std::string::npos);
    ASSERT_EQ(r["locations"].items.size(), 1u);
    const JsonValue& physical = r["locations"][0]["physicalLocation"];
    EXPECT_EQ(physical["artifactLocation"]["uriBaseId"].text, "DISTRIBUTION");
    std::string uri = physical["artifactLocation"]["uri"].text;
    int line = physical.Has("region") ? static_cast<int>(physical["region"]["startLine"].number) : 0;
    if (FromRehearsal(f)) {
      const auto model = std::find_if(result.models.begin(), result.models.end(),
                                      [&](const ListedModel& l) { return l.name == f.model; });
      ASSERT_NE(model, result.models.end());
      EXPECT_EQ(uri, "DRVCONFIG/setup.ini");
      EXPECT_EQ(line, EntryLine(kBroken, model->entry));
      EXPECT_EQ(r["properties"]["model"].text, f.model);
    } else {
      EXPECT_EQ(uri, f.file);
      EXPECT_EQ(line, f.line);  // no region for a finding without a line
      if (!f.section.empty()) {
        EXPECT_EQ(r["properties"]["section"].text, f.section);
      }
    }
  }
}

TEST(SetupCheckReportTest, SarifFileNamesAreUriReferences) {
  CheckResult result = SixModels();
  result.distribution = "/work/a dist%";
  result.findings.resize(1);
  result.findings[0].file = "DRVCONFIG/setup 1:2.ini";
  const JsonValue run = JsonReader::Parse(FormatSarif(result))["runs"][0];
  EXPECT_EQ(run["originalUriBaseIds"]["DISTRIBUTION"]["uri"].text, "file:///work/a%20dist%25/");
  EXPECT_EQ(run["results"][0]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"].text,
            "DRVCONFIG/setup%201%3A2.ini");
  result.distribution = "Z:\\work\\dist";
  EXPECT_EQ(JsonReader::Parse(FormatSarif(result))["runs"][0]["originalUriBaseIds"]["DISTRIBUTION"]["uri"].text,
            "file:///Z:/work/dist/");
}

// Runs the schema validator on the files; its status (77: not installed).
int Validate(const std::vector<std::string>& files, std::string& errors, const TempDir& scratch) {
  // Debian's validator is a module of Debian's Python, which need not be
  // the first python3 on the path.
  std::string command =
      "for py in python3 /usr/bin/python3; do if \"$py\" -c 'import jsonschema' 2>/dev/null; then "
      "exec \"$py\" " +
      ShellQuoted(kSource + "/tests/scripts/validate-json-schema") + " " +
      ShellQuoted(kSource + "/tests/data/sarif-schema-2.1.0.json");
  for (const std::string& file : files) command += " " + ShellQuoted(file);
  command += "; fi; done; exit 77";
  command = "sh -c " + ShellQuoted(command) + " 2>" + ShellQuoted(scratch / "errors");
  const int raw = std::system(command.c_str());
  errors = ReadText(scratch / "errors");
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(SetupCheckReportTest, SarifValidatesAgainstThePublishedSchema) {
  TempDir scratch;
  const std::string broken = FormatSarif(Check(kBroken));
  struct Case {
    const char* name;
    std::string log;
    const char* refused;  // what the validator's errors name; null: valid
  };
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string log = broken;
    const std::size_t at = log.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? log : log.replace(at, from.size(), to);
  };
  const Case cases[] = {
      {"broken", broken, nullptr},
      {"sample", FormatSarif(Check(kSample)), nullptr},
      {"no_findings", FormatSarif(CheckResult{"/dist", "DRVCONFIG/setup.ini", {}, {}, {}, false}), nullptr},
      // The validator must refuse what the schema does: else a pass says nothing.
      {"unknown_level", replaced("\"level\": \"warning\"", "\"level\": \"fatal\""), "'fatal'"},
      {"line_zero", replaced("\"startLine\": ", "\"startLine\": 0, \"endLine\": "), "startLine"},
      {"other_version", replaced("\"version\": \"2.1.0\"", "\"version\": \"2.0.0\""), "'2.0.0'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = scratch / (std::string(c.name) + ".sarif");
    WriteText(file, c.log);
    std::string errors;
    const int status = Validate({file}, errors, scratch);
    if (status == 77) GTEST_SKIP() << "python3-jsonschema is not installed: " << errors;
    EXPECT_EQ(status, c.refused ? 1 : 0) << errors;
    if (c.refused) {
      EXPECT_NE(errors.find(c.refused), std::string::npos) << errors;
    }
  }
}

}  // namespace
}  // namespace setwell::check
