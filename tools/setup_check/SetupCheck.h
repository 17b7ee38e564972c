// setup-check as a library: the whole check of one distribution folder.
#pragma once

#include <string>

#include "tools/setup_check/CheckReport.h"
#include "tools/setup_check/Rehearsal.h"

namespace setwell::check {

// False with `error` set when the folder cannot be read as a distribution
// (missing, not a folder, unreadable); anything it holds gives findings.
bool RunCheck(const std::string& folder, const CheckOptions& options, CheckResult& result,
              std::string& error, const RehearsalProgress& progress = {});

}  // namespace setwell::check
