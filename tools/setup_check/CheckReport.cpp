#include "tools/setup_check/CheckReport.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <tuple>

#include "system/PortNames.h"
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
  for (const Finding& f : findings) n += f.severity == severity && f.waived.empty() ? 1 : 0;
  return n;
}

int CheckResult::Waived() const {
  int n = 0;
  for (const Finding& f : findings) n += f.waived.empty() ? 0 : 1;
  return n;
}

std::vector<Finding> Unwaived(const std::vector<Finding>& findings) {
  std::vector<Finding> out;
  for (const Finding& f : findings) {
    if (f.waived.empty()) out.push_back(f);
  }
  return out;
}

std::string WaivedText(const CheckResult& result) {
  if (result.Waived() == 0) return "";
  std::string out = "\nWaived (" + result.waiverFile + ")\n";
  for (const Finding& f : result.findings) {
    if (f.waived.empty()) continue;
    out += "  waived  " + f.code + " " + Place(f) + ": " + OneLine(MessageForTools(f)) + "\n" +
           "          reason (line " + std::to_string(f.waiverLine) + "): " + f.waived + "\n";
  }
  return out;
}

std::map<std::string, std::vector<const Combination*>> CombinationsByModel(
    const CheckResult& result) {
  std::map<std::string, std::vector<const Combination*>> byModel;
  for (const Combination& c : result.combinations) byModel[c.model].push_back(&c);
  return byModel;
}

const char* const kCellRowNames[kCellRows][3] = {
    {"typical", "serial", "standard"},   {"typical", "parallel", "raster"},
    {"typical", "USB", "raster"},        {"advanced", "serial", "standard"},
    {"advanced", "parallel", "raster"},  {"advanced", "parallel", "standard"},
    {"advanced", "USB", "raster"},       {"advanced", "USB", "standard"}};

int CellRow(const Combination& c) {
  const PortKind kind = GetPortKind(c.port);
  const bool raster = c.mode == 1;
  if (c.setupType == 1) return kind == PortKind::kSerial ? 0 : kind == PortKind::kUsb ? 2 : 1;
  if (kind == PortKind::kSerial) return 3;
  if (kind == PortKind::kUsb) return raster ? 6 : 7;
  return raster ? 4 : 5;
}

std::string Cells(const CheckResult& result, const std::vector<const Combination*>& combos) {
  const std::size_t columns = result.systems.size();
  std::string cells(kCellRows * columns, '.');
  for (const Combination* c : combos) {
    std::size_t column = 0;
    while (column < columns && result.systems[column] != c->os) ++column;
    if (column == columns) continue;
    char& cell = cells[static_cast<std::size_t>(CellRow(*c)) * columns + column];
    // A failing first install is the worst a cell can say, then a failing
    // second one over a first that passed.
    const char mark = !c->ok ? (c->second ? 's' : 'f') : 'p';
    auto rank = [](char m) { return m == 'f' ? 3 : m == 's' ? 2 : m == 'p' ? 1 : 0; };
    if (rank(mark) > rank(cell)) cell = mark;
  }
  return cells;
}

std::string CheckResult::SummaryLine() const {
  const int waived = Waived();
  return "Summary: " + Plural(Count(Severity::kError), "error") + ", " +
         Plural(Count(Severity::kWarning), "warning") + ", " +
         Plural(Count(Severity::kNote), "note") +
         (waived > 0 ? " (" + std::to_string(waived) + " more waived)" : "") + "; " +
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
  // The removals rehearsed after the installs, a finding per model.
  std::map<std::string, Tally> removals;
  std::vector<std::string> removalOrder;
  for (const Combination& c : combinations) {
    if (c.removal.empty()) continue;
    Tally& tally = removals[c.model];
    if (tally.failing++ == 0) {
      tally.example = &c;
      removalOrder.push_back(c.model);
    }
  }
  for (const std::string& model : removalOrder) {
    const Tally& tally = removals[model];
    const Combination& c = *tally.example;
    std::string what;
    for (const std::string& line : c.removal) what += (what.empty() ? "" : "; ") + line;
    findings.Add("SC192", "", "", "", 0, model,
                 Plural(tally.failing, "removal") + " after an install go wrong; " + Describe(c) +
                     ": " + what);
  }
}

std::string FormatText(const CheckResult& result) {
  std::ostringstream out;
  out << "setup-check " << result.distribution << "\n";
  std::map<std::string, std::vector<const Finding*>> byModel;
  for (const Finding& f : result.findings) {
    if (f.waived.empty()) byModel[f.model].push_back(&f);
  }
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
  const auto combinations = CombinationsByModel(result);
  static const std::vector<const Combination*> kNone;
  for (const ListedModel& model : result.models) {
    if (shown[model.name]) continue;
    shown[model.name] = true;
    const auto found = combinations.find(model.name);
    const std::vector<const Combination*>& combos =
        found == combinations.end() ? kNone : found->second;
    int failing = 0;
    for (const Combination* c : combos) failing += c->ok ? 0 : 1;
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
  out << WaivedText(result) << "\n" << result.SummaryLine();
  return out.str();
}

std::string FormatJson(const CheckResult& result) {
  std::ostringstream out;
  out << "{\n  \"distribution\": " << Json(result.distribution) << ",\n  \"summary\": {\"errors\": "
      << result.Count(Severity::kError) << ", \"warnings\": " << result.Count(Severity::kWarning)
      << ", \"notes\": " << result.Count(Severity::kNote)
      << ", \"combinations\": " << result.combinations.size()
      << ", \"failing\": " << result.Failing() << ", \"waived\": " << result.Waived()
      << "},\n  \"waivers\": " << Json(result.waiverFile) << ",\n  \"findings\": [";
  for (std::size_t i = 0; i < result.findings.size(); ++i) {
    const Finding& f = result.findings[i];
    out << (i == 0 ? "\n" : ",\n") << "    {\"code\": " << Json(f.code)
        << ", \"severity\": " << Json(SeverityName(f.severity)) << ", \"file\": " << Json(f.file)
        << ", \"section\": " << Json(f.section) << ", \"key\": " << Json(f.key)
        << ", \"line\": " << f.line << ", \"model\": " << Json(f.model)
        << ", \"message\": " << Json(f.message) << ", \"hint\": " << Json(f.hint);
    if (!f.waived.empty())
      out << ", \"waived\": " << Json(f.waived) << ", \"waiverLine\": " << f.waiverLine;
    out << "}";
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
        << ", \"port\": " << Json(c.port) << ", \"mode\": " << c.mode << ", \"row\": " << CellRow(c)
        << ", \"second\": " << (c.second ? "true" : "false")
        << ", \"ok\": " << (c.ok ? "true" : "false") << ", \"outcome\": " << Json(c.outcome)
        << ", \"messages\": [";
    for (std::size_t j = 0; j < c.messages.size(); ++j)
      out << (j == 0 ? "" : ", ") << Json(c.messages[j]);
    out << "], \"held\": [";
    for (std::size_t j = 0; j < c.held.size(); ++j) out << (j == 0 ? "" : ", ") << Json(c.held[j]);
    out << "]}";
    first = false;
  }
  // Each listed model's matrix: a character a cell, row by row (kCellRows
  // rows of setup type, port kind and driver mode), a column a system.
  out << (first ? "" : "\n  ") << "],\n  \"rows\": [";
  for (std::size_t i = 0; i < kCellRows; ++i) {
    out << (i == 0 ? "" : ", ") << "[" << Json(kCellRowNames[i][0]) << ", "
        << Json(kCellRowNames[i][1]) << ", " << Json(kCellRowNames[i][2]) << "]";
  }
  out << "],\n  \"systems\": [";
  for (std::size_t i = 0; i < result.systems.size(); ++i)
    out << (i == 0 ? "" : ", ") << Json(result.systems[i]);
  out << "],\n  \"models\": [";
  const auto combinations = CombinationsByModel(result);
  static const std::vector<const Combination*> kNone;
  for (std::size_t i = 0; i < result.models.size(); ++i) {
    const ListedModel& m = result.models[i];
    const auto found = combinations.find(m.name);
    out << (i == 0 ? "\n" : ",\n") << "    {\"name\": " << Json(m.name)
        << ", \"category\": " << Json(kCategoryNames[m.category]) << ", \"entry\": " << m.entry
        << ", \"line\": " << m.line << ", \"cells\": "
        << Json(result.rehearsed ? Cells(result, found == combinations.end() ? kNone : found->second)
                                 : std::string())
        << "}";
  }
  out << (result.models.empty() ? "" : "\n  ") << "]\n}\n";
  return out.str();
}

}  // namespace setwell::check
