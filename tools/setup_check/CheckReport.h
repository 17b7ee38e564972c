// setup-check's report: as text for a person, grouped by model with a
// summary line (findings that say the same at several places once, or one
// by one); as JSON for build scripts; as compiler-style lines for editors
// and CI logs; as SARIF for the CI systems that annotate a change with it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/setup_check/Distribution.h"
#include "tools/setup_check/Findings.h"

namespace setwell::check {

struct CheckResult {
  std::string distribution;
  std::string generalFile;  // "DRVCONFIG/setup.ini", as the distribution spells it
  std::vector<ListedModel> models;
  std::vector<Finding> findings;
  std::vector<Combination> combinations;
  bool rehearsed = false;
  // The waiver file as the reports name it (below the distribution when it
  // is there) and as it was read; empty: none.
  std::string waiverFile;
  std::string waiverPath;
  // Lines of the files around the findings' lines: file, line number, text.
  std::map<std::string, std::map<int, std::string>> context;
  std::vector<std::string> systems;  // the rehearsed systems' option names, in order

  // The findings not waived, of a severity: what the exit status counts.
  int Count(Severity severity) const;
  int Waived() const;
  int Failing() const;
  // "Summary: 29 errors, 17 warnings, 3 notes; 934 combinations rehearsed,
  // 42 failing", with its line break.
  std::string SummaryLine() const;
};

// The findings SC190 and SC191 from the rehearsal's failing combinations,
// one of each per model.
void AddRehearsalFindings(const std::vector<Combination>& combinations, FindingList& findings);

std::string Describe(const Combination& combination);
// Every finding and every failing combination one by one.
std::string FormatText(const CheckResult& result);
// The same report with the findings of one rule that say the same at
// several places printed once with their places, and the failing
// combinations that showed the same messages printed once.
std::string FormatGroupedText(const CheckResult& result);
std::string FormatJson(const CheckResult& result);
// One line per finding, "FILE:LINE: error: SC104 MESSAGE" (no ":LINE" for
// a finding without a line), FILE being the file below `folder`, the
// distribution folder as the caller named it.
std::string FormatGnu(const CheckResult& result, const std::string& folder);
// A SARIF 2.1.0 log: the rules with their help, and every finding as a
// result at its file (relative to the distribution) and line.
std::string FormatSarif(const CheckResult& result);
// One HTML page holding the report's JSON and drawing from it: a matrix of
// each model's combinations, a summary matrix of all models, the findings
// by file with their lines in context and their rules' explanations.
std::string FormatHtml(const CheckResult& result);

// The matrix of a model: kCellRows rows (typical: serial, parallel, USB;
// advanced: serial, parallel raster, parallel standard, USB raster, USB
// standard) by the systems, row by row, a character a cell: "p" passed,
// "f" the first install failed, "s" the second failed, "." not offered.
inline constexpr std::size_t kCellRows = 8;
extern const char* const kCellRowNames[kCellRows][3];  // setup type, port kind, driver mode
int CellRow(const Combination& combination);
std::string Cells(const CheckResult& result, const std::vector<const Combination*>& combinations);
std::map<std::string, std::vector<const Combination*>> CombinationsByModel(
    const CheckResult& result);

// The findings that are not waived.
std::vector<Finding> Unwaived(const std::vector<Finding>& findings);
// The waived findings as text, after the rest: place, message and reason.
std::string WaivedText(const CheckResult& result);

// Where a finding is shown to tools that want a file: its own place, or for
// a rehearsed model's failures the model's entry in the general file (file
// empty when the model is not listed).
struct ToolPlace {
  std::string file;
  int line = 0;
};
ToolPlace PlaceForTools(const CheckResult& result, const Finding& finding);
// The message as tools show it, on one line; a rehearsal's finding names
// its model, since its place is the model's entry.
std::string MessageForTools(const Finding& finding);

}  // namespace setwell::check
