// setup-check's report: as text for a person, grouped by model with a
// summary line, or as JSON for build scripts.
#pragma once

#include <string>
#include <vector>

#include "tools/setup_check/Distribution.h"
#include "tools/setup_check/Findings.h"

namespace setwell::check {

struct CheckResult {
  std::string distribution;
  std::vector<ListedModel> models;
  std::vector<Finding> findings;
  std::vector<Combination> combinations;
  bool rehearsed = false;

  int Count(Severity severity) const;
  int Failing() const;
};

// The findings SC190 and SC191 from the rehearsal's failing combinations,
// one of each per model.
void AddRehearsalFindings(const std::vector<Combination>& combinations, FindingList& findings);

std::string Describe(const Combination& combination);
std::string FormatText(const CheckResult& result);
std::string FormatJson(const CheckResult& result);

}  // namespace setwell::check
