// setup-check's waivers, parallel rehearsal, --explain and the answers of
// its new options to bad input.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/SetupSimTestSupport.h"
#include "tools/setup_check/CheckReport.h"
#include "tools/setup_check/RuleDocs.h"
#include "tools/setup_check/SetupCheck.h"
#include "tools/setup_check/Waivers.h"

namespace setwell::check {
namespace {

using testing_support::ReadText;
using testing_support::RunSetupCheck;
using testing_support::TempDir;
using testing_support::WriteText;

const std::string kBroken = std::string(SETWELL_SOURCE_DIR) + "/examples/broken-distribution";

CheckResult Check(const std::string& folder, CheckOptions options) {
  CheckResult result;
  std::string error;
  EXPECT_TRUE(RunCheck(folder, options, result, error)) << error;
  return result;
}

TEST(WaiverTest, WildcardsMatchAsShellPatternsWithoutCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {"BK-*", "bk-missKey", true}, {"BK-*", "BK", false},          {"*", "", true},
      {"?K-A", "BK-A", true},       {"?K-A", "K-A", false},         {"*.DEVMODE*", "X.DEVMODEXP", true},
      {"a*b*c", "aXbYbZc", true},   {"a*b*c", "aXbYbZ", false},     {"BK-A", "BK-AB", false},
      {"**x", "x", true},           {"DRVCONFIG/*.ini", "DRVCONFIG/setup.ini", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches) << c.pattern << " ~ " << c.text;
  }
}

TEST(WaiverTest, BadLinesAreErrorsWithTheirLineNumbers) {
  const struct {
    const char* line;
    const char* error;  // part of the message; "" for a good line
  } cases[] = {
      {"SC209 key=COMMENT : cut on purpose", ""},
      {"SC117 model=BK_2-* section=*.PORT file=DRVCONFIG\\setup_receipt.ini : family name", ""},
      {"SC209 key=COMMENT", "no reason"},
      {"SC209 key=COMMENT :   ", "reason is empty"},
      {"SC999 key=COMMENT : why", "no rule code"},
      {"SC209 kee=COMMENT : why", "none of file=, section=, key=, model="},
      {"SC209 key=A key=B : why", "given twice"},
      {"SC209 model= : why", "without a pattern"},
      {": why", "no rule code before the reason"},
      {"SC218 : why", "cannot be waived"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    // Behind a comment and a blank line, so that the line number counts them.
    const std::string text = std::string("# waivers\n\n") + c.line + "\n";
    std::vector<Waiver> waivers;
    std::vector<std::string> errors;
    const bool ok = ParseWaivers(text, "w.txt", waivers, errors);
    if (*c.error == '\0') {
      EXPECT_TRUE(ok) << (errors.empty() ? "" : errors[0]);
      ASSERT_EQ(waivers.size(), 1u);
      EXPECT_EQ(waivers[0].line, 3);
      EXPECT_FALSE(waivers[0].reason.empty());
    } else {
      EXPECT_FALSE(ok);
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors[0].rfind("w.txt:3: ", 0), 0u) << errors[0];
      EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
    }
  }
  std::vector<Waiver> waivers;
  std::vector<std::string> errors;
  EXPECT_TRUE(ParseWaivers("SC209 file=DRVCONFIG\\setup.ini : a reason: with a colon\n", "w", waivers,
                           errors));
  ASSERT_EQ(waivers.size(), 1u);
  EXPECT_EQ(waivers[0].file, "DRVCONFIG/setup.ini");
  EXPECT_EQ(waivers[0].reason, "a reason: with a colon");
}

// The broken example with a waiver file of its own beside it: one waiver
// that covers findings, one that covers none.
struct WaivedBroken {
  TempDir dir;
  std::string waivers = dir / "waivers.txt";
  CheckResult plain;
  CheckResult waived;

  WaivedBroken() {
    WriteText(waivers, "# known\nSC104 model=bk-miss* : the missing key is the example's point\n"
                       "SC209 key=NOSUCHKEY : stale\n");
    CheckOptions options;
    options.rehearse = false;
    plain = Check(kBroken, options);
    options.waivers = waivers;
    waived = Check(kBroken, options);
  }
};

TEST(WaiverTest, AWaivedFindingCountsForNothingButIsToldWithItsReason) {
  WaivedBroken b;
  int covered = 0;
  for (const Finding& f : b.waived.findings) {
    if (f.waived.empty()) continue;
    ++covered;
    EXPECT_EQ(f.code, "SC104");
    EXPECT_EQ(f.model, "BK-MISSKEY");
    EXPECT_EQ(f.waiverLine, 2);
  }
  ASSERT_GT(covered, 0);
  EXPECT_EQ(b.waived.Count(Severity::kError), b.plain.Count(Severity::kError) - covered);
  EXPECT_EQ(b.waived.Waived(), covered);
  // The stale waiver is a warning at its line.
  int stale = 0;
  for (const Finding& f : b.waived.findings) {
    if (f.code != "SC218") continue;
    ++stale;
    EXPECT_EQ(f.line, 3);
    EXPECT_NE(f.message.find("SC209"), std::string::npos);
  }
  EXPECT_EQ(stale, 1);
  EXPECT_EQ(b.waived.Count(Severity::kWarning), b.plain.Count(Severity::kWarning) + 1);

  // Text: out of the model's part, into the waived part with the reason.
  const std::string text = FormatGroupedText(b.waived);
  const std::size_t waivedPart = text.find("\nWaived (");
  ASSERT_NE(waivedPart, std::string::npos);
  EXPECT_EQ(text.find("SC104"), text.find("SC104", waivedPart));
  EXPECT_NE(text.find("the missing key is the example's point", waivedPart), std::string::npos);
  EXPECT_NE(text.find("more waived)"), std::string::npos);
  EXPECT_NE(FormatText(b.waived).find("\nWaived ("), std::string::npos);
  // Editors are not sent to it; SARIF suppresses it with the reason.
  EXPECT_EQ(FormatGnu(b.waived, "d").find("SC104"), std::string::npos);
  const std::string sarif = FormatSarif(b.waived);
  std::size_t suppressions = 0;
  for (std::size_t at = 0; (at = sarif.find("\"suppressions\"", at)) != std::string::npos; ++at)
    ++suppressions;
  EXPECT_EQ(suppressions, static_cast<std::size_t>(covered));
  EXPECT_NE(sarif.find("\"justification\": \"the missing key is the example's point\""),
            std::string::npos);
}

TEST(WaiverTest, TheDistributionsOwnFileIsTakenByDefault) {
  TempDir dir;
  const std::filesystem::path copy = std::filesystem::path(dir / "dist");
  std::filesystem::copy(kBroken, copy, std::filesystem::copy_options::recursive);
  WriteText(copy / kWaiverFileName, "SC303 : the guide ships on the maker's site\n");
  CheckOptions options;
  options.rehearse = false;
  const CheckResult result = Check(copy.string(), options);
  EXPECT_EQ(result.waiverFile, kWaiverFileName);
  bool waived = false;
  for (const Finding& f : result.findings) waived |= f.code == "SC303" && !f.waived.empty();
  EXPECT_TRUE(waived);
}

TEST(RehearsalTest, TheReportIsTheSameWhateverTheNumberOfJobs) {
  CheckOptions options;
  options.jobs = 1;
  const CheckResult one = Check(kBroken, options);
  ASSERT_GT(one.Failing(), 0);
  for (const unsigned jobs : {2u, 3u, 16u}) {
    SCOPED_TRACE(jobs);
    options.jobs = jobs;
    const CheckResult many = Check(kBroken, options);
    EXPECT_EQ(FormatJson(many), FormatJson(one));
    EXPECT_EQ(FormatGroupedText(many), FormatGroupedText(one));
    EXPECT_EQ(FormatHtml(many), FormatHtml(one));
  }
}

TEST(RehearsalTest, TheProgressLineTellsDoneRateAndTimeLeft) {
  const struct {
    std::size_t done, total;
    double seconds;
    const char* line;
  } cases[] = {
      {0, 100, 0.0, "rehearsing: 0 of 100 combinations"},
      {50, 100, 5.0, "rehearsing: 50 of 100 combinations, 10/s, 5 s left"},
      {1000, 74000, 2.0, "rehearsing: 1000 of 74000 combinations, 500/s, 2 min 26 s left"},
      {100, 100, 4.0, "rehearsing: 100 of 100 combinations, 25/s, 0 s left"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressLine(c.done, c.total, c.seconds), c.line);
}

TEST(ExplainTest, EveryRuleHasItsSectionWithTheFourParts) {
  for (const Rule& rule : Rules()) {
    SCOPED_TRACE(rule.code);
    const std::string text = ExplainRule(rule.code);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind(std::string(rule.code) + " (" + SeverityName(rule.severity) + "): ", 0), 0u);
    std::size_t at = 0;
    for (const char* part : {"Checks:", "On a customer's machine:", "Example:", "Fix:"}) {
      const std::size_t found = text.find(part, at);
      EXPECT_NE(found, std::string::npos) << part;
      if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(text.find('`'), std::string::npos);
    EXPECT_EQ(text.find("\n#"), std::string::npos) << "the next section ran in";
  }
  EXPECT_EQ(ExplainRule("SC999"), "");
}

TEST(SetupCheckProgramTest, TheNewOptionsAnswerBadInputWithStatus2) {
  TempDir scratch;
  WriteText(scratch / "bad.txt", "# fine\nSC209 : fine\nSC209 key=X\n");
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--explain", "SC999"}, "is no rule code"},
      {{"--explain"}, "needs a value"},
      {{kBroken, "--waivers", scratch / "none.txt"}, "cannot read the waiver file"},
      {{kBroken, "--waivers", scratch.path()}, "cannot read the waiver file"},
      {{kBroken, "--waivers", scratch / "bad.txt"}, "bad.txt:3: no reason"},
      {{kBroken, "--jobs", "0"}, "--jobs"},
      {{kBroken, "--jobs", "two"}, "--jobs"},
      {{kBroken, "--format", "html", "--output", scratch / "no/such/r.html"},
       "cannot write the report there"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto run = RunSetupCheck(c.args, scratch);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // And the good answers: the explanation on standard output, the page in
  // its file, no progress line when standard error is not a terminal.
  const auto explain = RunSetupCheck({"--explain", "SC104"}, scratch);
  EXPECT_EQ(explain.status, 0);
  EXPECT_EQ(explain.out, ExplainRule("SC104"));
  const std::string page = scratch / "r.html";
  const auto html = RunSetupCheck({kBroken, "--no-rehearsal", "--format", "html", "--output", page},
                                  scratch);
  EXPECT_EQ(html.status, 1);
  EXPECT_EQ(html.out, "");
  EXPECT_EQ(html.err, "");
  EXPECT_EQ(ReadText(page).rfind("<!DOCTYPE html>", 0), 0u);
}

}  // namespace
}  // namespace setwell::check
