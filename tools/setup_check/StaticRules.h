// The static rules: what the configuration says, read through InstallConfig
// and its record builders exactly as an install reads it, checked against
// what the install then does with each value.
#pragma once

#include "tools/setup_check/Distribution.h"
#include "tools/setup_check/Findings.h"

namespace setwell::check {

void RunStaticRules(Distribution& dist, const CheckOptions& options, FindingList& findings);

// "A:" "x\y" "x/y" ".." and names the host cannot open as a plain file of
// the per-system folder.
bool IsPlainFileName(const std::string& name);

}  // namespace setwell::check
