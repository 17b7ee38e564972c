// Waivers: findings a distribution ships with on purpose, each with its
// reason, kept in a file beside the distribution's own (not in DRVCONFIG\,
// which the installer reads and which ships). A waived finding stays in
// every report, marked and with its reason, but counts for no exit status.
//
//   # rule  place (any of file=, section=, key=, model=; * and ? match)  : reason
//   SC209 file=DRVCONFIG/setup_receipt.ini section=*.DEVMODE* key=FORMNAME : the 49 kept read well
//   SC117 model=BK_2-* : BK_2 is the family's name on the medium; no USB model of it sells
#pragma once

#include <string>
#include <vector>

#include "tools/setup_check/Findings.h"

namespace setwell::check {

// The name of the waiver file taken by default from the distribution folder.
inline constexpr const char* kWaiverFileName = "setup-check-waivers.txt";

struct Waiver {
  int line = 0;
  std::string code;
  // Patterns; empty: any. Matched without regard to case, "*" any run of
  // characters, "?" one.
  std::string file, section, key, model;
  std::string reason;
};

// The waivers of a file's text; false with one "NAME:LINE: why" per bad
// line in errors.
bool ParseWaivers(const std::string& text, const std::string& name, std::vector<Waiver>& waivers,
                  std::vector<std::string>& errors);

bool WildcardMatch(const std::string& pattern, const std::string& text);
bool Matches(const Waiver& waiver, const Finding& finding);

// Marks each finding the first matching waiver covers with its reason, and
// adds an SC218 warning at each waiver that covers none (placed in the
// waiver file, `shownName` as the reports name it).
void ApplyWaivers(const std::vector<Waiver>& waivers, const std::string& shownName,
                  FindingList& list);

}  // namespace setwell::check
