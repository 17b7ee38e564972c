#include "tools/setup_check/CheckReport.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <tuple>

#include "tools/setup_check/ReportText.h"

namespace setwell::check {
namespace {

void WriteFinding(std::ostringstream& out, const Finding& f) {
  out << "  " << SeverityColumn(f.severity) << f.code << " " << Place(f) << "\n"
      << "          " << OneLine(f.message) << "\n"
      << "          hint: " << f.hint << "\n";
}

}  // namespace

int CheckResult::Count(Severity severity) const {
  int n = 0;
  for (const Finding& f : findings) n += f.severity == severity ? 1 : 0;
  return n;
}

std::string CheckResult::SummaryLine() const {
  return "Summary: " + Plural(Count(Severity::kError), "error") + ", " +
         Plural(Count(Severity::kWarning), "warning") + ", " +
         Plural(Count(Severity::kNote), "note") + "; " +
         Plural(static_cast<int>(combinations.size()), "combination") + " rehearsed, " +
         std::to_string(Failing()) + " failing\n";
}

int CheckResult::Failing() const {
  int n = 0;
  for (const Combination& c : combinations) n += c.ok ? 0 : 1;
  return n;
}

std::string Describe(const Combination& c) {
  std::string text = kTargetNames[c.target];
  if (c.os == "me") text = "Windows Me";
  text += std::string(", ") + (c.setupType == 1 ? "typical" : "advanced") + ", " + c.port + ", " +
          (c.mode == 1 ? "raster driver" : "standard driver");
  if (c.second) text += ", second install";
  return text;
}

void AddRehearsalFindings(const std::vector<Combination>& combinations, FindingList& findings) {
  struct Tally {
    int failing = 0;
    const Combination* example = nullptr;
  };
  std::map<std::pair<std::string, bool>, Tally> tallies;
  std::vector<std::pair<std::string, bool>> order;
  for (const Combination& c : combinations) {
    if (c.ok) continue;
    auto key = std::make_pair(c.model, c.second);
    Tally& tally = tallies[key];
    if (tally.failing++ == 0) {
      tally.example = &c;
      order.push_back(key);
    }
  }
  for (const auto& key : order) {
    const Tally& tally = tallies[key];
    const Combination& c = *tally.example;
    const std::string message =
        Plural(tally.failing, "combination") + " fail; " + Describe(c) + ": " + OutcomeText(c);
    findings.Add(key.second ? "SC191" : "SC190", "", "", "", 0, c.model, message);
  }
}

std::string FormatText(const CheckResult& result) {
  std::ostringstream out;
  out << "setup-check " << result.distribution << "\n";
  std::map<std::string, std::vector<const Finding*>> byModel;
  for (const Finding& f : result.findings) byModel[f.model].push_back(&f);
  // Errors first, then by file and line, as a person mends them; what the
  // rehearsal saw after what explains it.
  for (auto& [model, findings] : byModel) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding* a, const Finding* b) {
      const bool aRehearsal = FromRehearsal(*a);
      const bool bRehearsal = FromRehearsal(*b);
      return std::tie(a->severity, aRehearsal, a->file, a->line) <
             std::tie(b->severity, bRehearsal, b->file, b->line);
    });
  }
  if (!byModel[""].empty()) {
    out << "\nDistribution\n";
    for (const Finding* f : byModel[""]) WriteFinding(out, *f);
  }
  std::map<std::string, bool> shown;
  for (const ListedModel& model : result.models) {
    if (shown[model.name]) continue;
    shown[model.name] = true;
    std::vector<const Combination*> combos;
    int failing = 0;
    for (const Combination& c : result.combinations) {
      if (c.model != model.name) continue;
      combos.push_back(&c);
      failing += c.ok ? 0 : 1;
    }
    const auto& findings = byModel[model.name];
    if (findings.empty() && failing == 0 && !result.rehearsed) continue;
    out << "\nModel " << model.name << " (" << kCategoryNames[model.category] << ")";
    if (result.rehearsed) {
      out << ": " << Plural(static_cast<int>(combos.size()), "combination") << " rehearsed, "
          << failing << " failing";
    }
    out << "\n";
    for (const Finding* f : findings) WriteFinding(out, *f);
    for (const Combination* c : combos) {
      if (c->ok) continue;
      out << "  FAIL  " << Describe(*c) << ": " << c->outcome << "\n";
      for (const std::string& message : c->messages) out << "          \"" << OneLine(message) << "\"\n";
    }
  }
  out << "\n" << result.SummaryLine();
  return out.str();
}

std::string FormatJson(const CheckResult& result) {
  std::ostringstream out;
  out << "{\n  \"distribution\": " << Json(result.distribution) << ",\n  \"summary\": {\"errors\": "
      << result.Count(Severity::kError) << ", \"warnings\": " << result.Count(Severity::kWarning)
      << ", \"notes\": " << result.Count(Severity::kNote)
      << ", \"combinations\": " << result.combinations.size()
      << ", \"failing\": " << result.Failing() << "},\n  \"findings\": [";
  for (std::size_t i = 0; i < result.findings.size(); ++i) {
    const Finding& f = result.findings[i];
    out << (i == 0 ? "\n" : ",\n") << "    {\"code\": " << Json(f.code)
        << ", \"severity\": " << Json(SeverityName(f.severity)) << ", \"file\": " << Json(f.file)
        << ", \"section\": " << Json(f.section) << ", \"key\": " << Json(f.key)
        << ", \"line\": " << f.line << ", \"model\": " << Json(f.model)
        << ", \"message\": " << Json(f.message) << ", \"hint\": " << Json(f.hint) << "}";
  }
  // The failing combinations only: a large distribution rehearses tens of
  // thousands, and the summary counts them all.
  out << (result.findings.empty() ? "" : "\n  ") << "],\n  \"failing\": [";
  bool first = true;
  for (const Combination& c : result.combinations) {
    if (c.ok) continue;
    out << (first ? "\n" : ",\n") << "    {\"model\": " << Json(c.model)
        << ", \"target\": " << c.target << ", \"os\": " << Json(c.os)
        << ", \"setup\": " << Json(c.setupType == 1 ? "typical" : "advanced")
        << ", \"port\": " << Json(c.port) << ", \"mode\": " << c.mode
        << ", \"second\": " << (c.second ? "true" : "false")
        << ", \"ok\": " << (c.ok ? "true" : "false") << ", \"outcome\": " << Json(c.outcome)
        << ", \"messages\": [";
    for (std::size_t j = 0; j < c.messages.size(); ++j)
      out << (j == 0 ? "" : ", ") << Json(c.messages[j]);
    out << "]}";
    first = false;
  }
  out << (first ? "" : "\n  ") << "]\n}\n";
  return out.str();
}

}  // namespace setwell::check
