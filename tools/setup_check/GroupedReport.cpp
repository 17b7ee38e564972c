#include "tools/setup_check/GroupedReport.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "tools/setup_check/ReportText.h"

namespace setwell::check {
namespace {

constexpr const char* kIndent = "          ";

bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// `text` with each whole occurrence of `name` written `stand`: "BK-A" in
// "[BK-A.PORT]" but not in "BK-AB".
std::string SetAside(const std::string& text, const std::string& name, const char* stand) {
  if (name.empty()) return text;
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = i + name.size();
    if (text.compare(i, name.size(), name) == 0 && (i == 0 || !WordChar(text[i - 1])) &&
        (end == text.size() || !WordChar(text[end]))) {
      out += stand;
      i = end;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// The section goes first: its name holds the model's.
std::string WithoutPlace(const Finding& f) {
  return SetAside(SetAside(f.message, f.section, "<section>"), f.model, "<model>");
}

std::string SystemName(const Combination& c) {
  if (c.os == "me") return "Me";
  return std::string(kTargetNames[c.target]).substr(std::string("Windows ").size());
}

// The distinct values of one dimension, in the order they first come.
template <typename T, typename Value>
std::vector<T> Distinct(const std::vector<const Combination*>& group, Value value) {
  std::vector<T> values;
  for (const Combination* c : group) {
    const T v = value(*c);
    if (std::find(values.begin(), values.end(), v) == values.end()) values.push_back(v);
  }
  return values;
}

std::tuple<Severity, bool, std::string, int> SortKey(const FindingGroup& g) {
  const Finding& f = *g.members.front();
  return {f.severity, FromRehearsal(f), f.file, f.line};
}

}  // namespace

std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings,
                                        const std::vector<ListedModel>& models) {
  std::set<std::string> listed;
  for (const ListedModel& model : models) listed.insert(model.name);
  std::vector<FindingGroup> groups;
  std::vector<std::vector<std::string>> partOf;  // each member's part
  std::map<std::tuple<std::string, std::string, std::string>, std::size_t> index;
  for (const Finding& f : findings) {
    const std::string part = listed.count(f.model) ? f.model : std::string();
    const auto key = std::make_tuple(f.code, WithoutPlace(f), FromRehearsal(f) ? f.model : "");
    auto [at, added] = index.emplace(key, groups.size());
    if (added) {
      groups.push_back(FindingGroup{{}, {}, std::get<1>(key)});
      partOf.emplace_back();
    }
    groups[at->second].members.push_back(&f);
    partOf[at->second].push_back(part);
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    FindingGroup& g = groups[i];
    const auto& parts = partOf[i];
    if (std::all_of(parts.begin(), parts.end(), [&](const std::string& p) { return p == parts[0]; }))
      g.model = parts[0];
    const std::string& own = g.members[0]->message;
    if (std::all_of(g.members.begin(), g.members.end(),
                    [&](const Finding* f) { return f->message == own; }))
      g.message = own;
  }
  return groups;
}

std::string DescribePlaces(const std::vector<const Finding*>& members) {
  const std::string& key = members.front()->key;
  const bool oneKey = !key.empty() && std::all_of(members.begin(), members.end(),
                                                  [&](const Finding* f) { return f->key == key; });
  std::set<std::string> sections;
  for (const Finding* f : members) {
    if (!f->section.empty()) sections.insert(f->section);
  }
  const bool bySection = sections.size() == members.size();
  std::string text = oneKey ? "key " + key + " in " : "";
  text += Plural(static_cast<int>(members.size()), bySection ? "section" : "place") + ":";
  const std::string* lastFile = nullptr;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const Finding& f = *members[i];
    std::string place;
    // The file once for a run of places in it: ":148 [QX-1.DEVMODE2003]".
    if (f.file.empty()) {
      place = f.model.empty() ? "(distribution)" : "model " + f.model;
    } else if (lastFile == nullptr || *lastFile != f.file) {
      place = f.file;
    }
    lastFile = &f.file;
    if (f.line > 0) place += ":" + std::to_string(f.line);
    if (!f.section.empty()) place += (place.empty() ? "[" : " [") + f.section + "]";
    if (!oneKey && !f.key.empty()) place += (place.empty() ? "" : " ") + f.key;
    text += (i == 0 ? " " : ", ") + place;
  }
  return text;
}

std::vector<std::vector<const Combination*>> GroupFailures(
    const std::vector<const Combination*>& failing) {
  std::vector<std::vector<const Combination*>> groups;
  std::map<std::tuple<bool, std::string, std::vector<std::string>>, std::size_t> index;
  for (const Combination* c : failing) {
    auto [at, added] = index.emplace(std::make_tuple(c->second, c->outcome, c->messages), groups.size());
    if (added) groups.emplace_back();
    groups[at->second].push_back(c);
  }
  return groups;
}

std::string DescribeCombinations(const std::vector<const Combination*>& group) {
  if (group.size() == 1) return Describe(*group.front());
  using System = std::pair<std::int32_t, bool>;  // target, Windows Me
  std::vector<std::string> systems;
  std::map<System, std::string> names;
  for (const Combination* c : group) names[{c->target, c->os == "me"}] = SystemName(*c);
  for (const auto& [system, name] : names) systems.push_back(name);
  // Typical before advanced, the standard driver before the raster one,
  // ports as the rehearsal takes them.
  std::vector<std::int32_t> types = Distinct<std::int32_t>(group, [](auto& c) { return c.setupType; });
  std::sort(types.begin(), types.end(), std::greater<>());
  std::vector<std::string> setups;
  for (std::int32_t type : types) setups.push_back(type == 1 ? "typical" : "advanced");
  const std::vector<std::string> ports = Distinct<std::string>(group, [](auto& c) { return c.port; });
  std::vector<std::int32_t> modes = Distinct<std::int32_t>(group, [](auto& c) { return c.mode; });
  std::sort(modes.begin(), modes.end());
  std::vector<std::string> drivers;
  for (std::int32_t mode : modes) drivers.push_back(mode == 1 ? "raster" : "standard");
  // A dimension may list several values with commas: semicolons part them.
  std::string text = Plural(static_cast<int>(group.size()), "combination") + ": Windows " +
                     JoinAnd(systems) + "; " + JoinAnd(setups) + "; " + JoinAnd(ports) + "; " +
                     JoinAnd(drivers) + (drivers.size() == 1 ? " driver" : " drivers");
  if (group.front()->second) text += "; second install";
  return text;
}

std::string FormatGroupedText(const CheckResult& result) {
  std::ostringstream out;
  out << "setup-check " << result.distribution << "\n";
  const std::vector<Finding> unwaived = Unwaived(result.findings);
  const std::vector<FindingGroup> groups = GroupFindings(unwaived, result.models);
  std::map<std::string, std::vector<const FindingGroup*>> byModel;
  for (const FindingGroup& g : groups) byModel[g.model].push_back(&g);
  // Errors first, then by file and line, as a person mends them; what the
  // rehearsal saw after what explains it.
  for (auto& [model, list] : byModel) {
    std::stable_sort(list.begin(), list.end(), [](const FindingGroup* a, const FindingGroup* b) {
      return SortKey(*a) < SortKey(*b);
    });
  }
  // A rule's hint once: the same mend needs saying only once.
  std::set<std::string> hinted;
  auto hint = [&](const Finding& f) {
    if (hinted.insert(f.code).second) out << kIndent << "hint: " << f.hint << "\n";
  };
  auto writeGroup = [&](const FindingGroup& g) {
    const Finding& f = *g.members.front();
    out << "  " << SeverityColumn(f.severity) << f.code << " ";
    if (g.members.size() == 1) {
      out << Place(f) << ": " << OneLine(g.message) << "\n";
    } else {
      out << OneLine(g.message) << "\n" << kIndent << DescribePlaces(g.members) << "\n";
    }
    hint(f);
  };

  if (!byModel[""].empty()) {
    out << "\nDistribution\n";
    for (const FindingGroup* g : byModel[""]) writeGroup(*g);
  }
  std::set<std::string> shown;
  // Each model's combinations found once: a walk of them all for each model
  // would grow with the square of the models.
  const auto combinations = CombinationsByModel(result);
  for (const ListedModel& model : result.models) {
    if (!shown.insert(model.name).second) continue;
    std::vector<const Combination*> failing;
    int rehearsed = 0;
    if (auto found = combinations.find(model.name); found != combinations.end()) {
      rehearsed = static_cast<int>(found->second.size());
      for (const Combination* c : found->second) {
        if (!c->ok) failing.push_back(c);
      }
    }
    const auto& list = byModel[model.name];
    if (list.empty() && failing.empty() && !result.rehearsed) continue;
    out << "\nModel " << model.name << " (" << kCategoryNames[model.category] << ")";
    if (result.rehearsed) {
      out << ": " << Plural(rehearsed, "combination") << " rehearsed, " << failing.size()
          << " failing";
    }
    out << "\n";
    // The rehearsal's findings stand for the failing combinations of their
    // kind (first or second install); failures of an ignored rule still show.
    const Finding* told[2] = {nullptr, nullptr};
    for (const FindingGroup* g : list) {
      const Finding& f = *g->members.front();
      if (f.code == "SC190") told[0] = &f;
      if (f.code == "SC191") told[1] = &f;
    }
    bool kindShown[2] = {false, false};
    auto writeFailures = [&] {
      for (const auto& group : GroupFailures(failing)) {
        const int kind = group.front()->second ? 1 : 0;
        const Finding* finding = told[kind];
        kindShown[kind] = true;
        out << "  " << (finding ? SeverityColumn(finding->severity) + finding->code + " "
                                : std::string("FAIL    "))
            << DescribeCombinations(group) << ": " << OutcomeText(*group.front()) << "\n";
        if (finding) hint(*finding);
      }
      // A rehearsal finding without the combinations behind it is told as
      // it is.
      for (const FindingGroup* g : list) {
        const Finding& f = *g->members.front();
        if (FromRehearsal(f) && !kindShown[f.code == "SC191" ? 1 : 0]) writeGroup(*g);
      }
    };
    bool failuresWritten = false;
    for (const FindingGroup* g : list) {
      const Finding& f = *g->members.front();
      const bool rehearsal = FromRehearsal(f);
      if (!failuresWritten && (rehearsal || f.severity != Severity::kError)) {
        writeFailures();
        failuresWritten = true;
      }
      if (!rehearsal) writeGroup(*g);
    }
    if (!failuresWritten) writeFailures();
  }
  out << WaivedText(result) << "\n" << result.SummaryLine();
  return out.str();
}

}  // namespace setwell::check
