// The report for editors and CI logs: one compiler-style line per finding.
#include <sstream>

#include "tools/setup_check/CheckReport.h"
#include "tools/setup_check/ReportText.h"

namespace setwell::check {
namespace {

const ListedModel* FindModel(const CheckResult& result, const std::string& name) {
  for (const ListedModel& model : result.models) {
    if (model.name == name) return &model;
  }
  return nullptr;
}

}  // namespace

ToolPlace PlaceForTools(const CheckResult& result, const Finding& finding) {
  if (!finding.file.empty()) return {finding.file, finding.line};
  const ListedModel* model = FindModel(result, finding.model);
  if (model == nullptr || result.generalFile.empty()) return {};
  return {result.generalFile, model->line};
}

std::string MessageForTools(const Finding& finding) {
  const std::string message = OneLine(finding.message);
  if (FromRehearsal(finding) && !finding.model.empty()) return finding.model + ": " + message;
  return message;
}

std::string FormatGnu(const CheckResult& result, const std::string& folder) {
  // The files named as the caller named the folder, so that an editor
  // started where the checker ran opens them; a Windows folder keeps its
  // separator.
  std::string prefix = folder;
  const char separator =
      folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos ? '\\' : '/';
  if (prefix.empty()) prefix = ".";
  std::ostringstream out;
  // A waived finding is no mark for an editor to stop at.
  for (const Finding& f : result.findings) {
    if (!f.waived.empty()) continue;
    const ToolPlace place = PlaceForTools(result, f);
    std::string file = prefix;
    const bool absolute = !place.file.empty() &&
                          (place.file[0] == '/' || place.file.find(':') != std::string::npos);
    if (absolute) {
      file = place.file;  // a waiver file named outside the distribution
    } else if (!place.file.empty()) {
      if (file.back() != '/' && file.back() != '\\') file += separator;
      std::string name = place.file;
      if (separator == '\\') {
        for (char& c : name) c = c == '/' ? '\\' : c;
      }
      file += name;
    }
    out << file;
    if (place.line > 0) out << ":" << place.line;
    out << ": " << SeverityName(f.severity) << ": " << f.code << " " << MessageForTools(f) << "\n";
  }
  return out.str();
}

}  // namespace setwell::check
