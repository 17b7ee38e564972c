#include "tools/setup_check/SetupCheck.h"

#include "tools/setup_check/StaticRules.h"

namespace setwell::check {

bool RunCheck(const std::string& folder, const CheckOptions& options, CheckResult& result,
              std::string& error, const RehearsalProgress& progress) {
  std::unique_ptr<Distribution> dist = Distribution::Open(folder, error);
  if (!dist) return false;
  result = CheckResult{};
  result.distribution = dist->Folder();
  result.generalFile = dist->General().name;
  result.models = dist->Models();
  FindingList findings(options.ignored);
  RunStaticRules(*dist, options, findings);
  if (options.rehearse && dist->General().present) {
    result.combinations = Rehearse(*dist, options, progress);
    result.rehearsed = true;
    AddRehearsalFindings(result.combinations, findings);
  }
  result.findings = std::move(findings.All());
  return true;
}

}  // namespace setwell::check
