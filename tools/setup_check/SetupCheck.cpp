#include "tools/setup_check/SetupCheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "tools/setup_check/StaticRules.h"
#include "tools/setup_check/Waivers.h"

namespace setwell::check {
namespace {

namespace fs = std::filesystem;

bool ReadFile(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The waivers named, or the distribution's own file when it has one.
bool TakeWaivers(const std::string& folder, const CheckOptions& options, FindingList& findings,
                 CheckResult& result, std::string& error) {
  fs::path path = options.waivers;
  std::error_code ec;
  if (path.empty()) {
    path = fs::path(folder) / kWaiverFileName;
    if (!fs::exists(path, ec)) return true;
  }
  std::string text;
  if (fs::is_directory(path, ec) || !ReadFile(path, text)) {
    error = path.string() + ": cannot read the waiver file";
    return false;
  }
  // Named below the distribution when it lies there, as the reports name
  // the distribution's files; else as given.
  std::string shown = path.string();
  const fs::path relative = fs::absolute(path, ec).lexically_normal().lexically_relative(
      fs::absolute(folder, ec).lexically_normal());
  if (!relative.empty() && *relative.begin() != "..") shown = relative.generic_string();
  std::vector<Waiver> waivers;
  std::vector<std::string> errors;
  if (!ParseWaivers(text, path.string(), waivers, errors)) {
    error.clear();
    for (const std::string& e : errors) error += (error.empty() ? "" : "\n") + e;
    return false;
  }
  result.waiverFile = shown;
  result.waiverPath = path.string();
  ApplyWaivers(waivers, shown, findings);
  return true;
}

// The lines around each finding's line, for the reports that show the
// configuration in context.
void AddContext(CheckResult& result) {
  constexpr int kAround = 3;
  std::map<std::string, std::vector<std::string>> lines;
  for (const Finding& f : result.findings) {
    if (f.file.empty() || f.line <= 0) continue;
    auto [it, added] = lines.try_emplace(f.file);
    if (added) {
      std::string text;
      const fs::path path = f.file == result.waiverFile && !result.waiverPath.empty()
                                ? fs::path(result.waiverPath)
                                : fs::path(result.distribution) / f.file;
      if (!ReadFile(path, text)) continue;
      std::size_t at = 0;
      while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        it->second.push_back(std::move(line));
        at = end + 1;
      }
    }
    std::map<int, std::string>& held = result.context[f.file];
    const int count = static_cast<int>(it->second.size());
    for (int n = std::max(1, f.line - kAround); n <= std::min(count, f.line + kAround); ++n)
      held.emplace(n, it->second[n - 1]);
  }
}

}  // namespace

bool RunCheck(const std::string& folder, const CheckOptions& options, CheckResult& result,
              std::string& error, const RehearsalProgress& progress) {
  std::unique_ptr<Distribution> dist = Distribution::Open(folder, error);
  if (!dist) return false;
  result = CheckResult{};
  result.distribution = dist->Folder();
  result.generalFile = dist->General().name;
  result.models = dist->Models();
  if (options.rehearse) result.systems = options.osNames;
  FindingList findings(options.ignored);
  RunStaticRules(*dist, options, findings);
  if (options.rehearse && dist->General().present) {
    result.combinations = Rehearse(*dist, options, progress);
    result.rehearsed = true;
    AddRehearsalFindings(result.combinations, findings);
  }
  if (!TakeWaivers(folder, options, findings, result, error)) return false;
  result.findings = std::move(findings.All());
  AddContext(result);
  return true;
}

}  // namespace setwell::check
