// The pieces of the grouped text report: findings of one rule that say the
// same thing at several places, and failing combinations that showed the
// same messages, each told once.
#pragma once

#include <string>
#include <vector>

#include "tools/setup_check/CheckReport.h"

namespace setwell::check {

struct FindingGroup {
  std::vector<const Finding*> members;  // in the order the checker found them
  // The model whose part of the report shows the group; empty for the
  // distribution's part, which also takes the groups of several models.
  std::string model;
  // The message as shown: the members' own when they agree; else with the
  // section and model names that tell them apart written <section> and
  // <model>.
  std::string message;
};

// Findings of one code whose messages agree once each one's section and
// model names are set aside. The rehearsal's findings are grouped by model
// only: each model's part lists its own failing combinations. A finding of
// a model that is not listed goes to the distribution's part.
std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings,
                                        const std::vector<ListedModel>& models);

// The places of a group on one line: "key FORMNAME in 18 sections:
// DRVCONFIG/setup_qx.ini:120 [QX-1.DEVMODE2K], :148 [QX-1.DEVMODE2003], ...".
std::string DescribePlaces(const std::vector<const Finding*>& members);

// Failing combinations (one model's) grouped by install (first or second),
// outcome and messages, in the order of their first member.
std::vector<std::vector<const Combination*>> GroupFailures(
    const std::vector<const Combination*>& failing);

// What a group of combinations covers, dimension by dimension: "12
// combinations: Windows NT 4.0 and 2000; typical and advanced; TVCOM1: and
// LPT1:; standard driver"; one combination as Describe tells it. Not every
// mix of the values need be among them: the count says how many are.
std::string DescribeCombinations(const std::vector<const Combination*>& group);

}  // namespace setwell::check
