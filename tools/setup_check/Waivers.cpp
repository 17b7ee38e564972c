#include "tools/setup_check/Waivers.h"

#include <sstream>

#include "system/AsciiCase.h"

namespace setwell::check {
namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& text) {
  // The classic walk with one point to come back to: a "*" swallows one
  // more character each time what follows it fails.
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' ||
                               ToLowerAscii(pattern[p]) == ToLowerAscii(text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ParseWaivers(const std::string& text, const std::string& name, std::vector<Waiver>& waivers,
                  std::vector<std::string>& errors) {
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  const std::size_t errorsBefore = errors.size();
  while (std::getline(in, raw)) {
    ++number;
    const std::string line = Trimmed(raw);
    if (line.empty() || line[0] == '#') continue;
    auto bad = [&](const std::string& why) {
      errors.push_back(name + ":" + std::to_string(number) + ": " + why);
    };
    // The reason follows the first " : " or a ":" after the place: a file
    // pattern such as DRVCONFIG/setup.ini holds no colon, a reason may.
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
      bad("no reason: write the rule and place, then \": \" and why the finding is waived");
      continue;
    }
    Waiver waiver;
    waiver.line = number;
    waiver.reason = Trimmed(line.substr(colon + 1));
    if (waiver.reason.empty()) {
      bad("the reason is empty: say why the finding is waived");
      continue;
    }
    std::istringstream words(line.substr(0, colon));
    std::string word;
    bool ok = true;
    while (ok && words >> word) {
      if (waiver.code.empty()) {
        if (FindRule(word) == nullptr) {
          bad("\"" + word + "\" is no rule code (SC101 to SC304)");
          ok = false;
        } else if (word == "SC218") {
          bad("SC218 (a waiver that covers nothing) cannot be waived");
          ok = false;
        }
        waiver.code = word;
        continue;
      }
      const std::size_t equals = word.find('=');
      const std::string field = LowerAscii(word.substr(0, equals));
      std::string* target = field == "file"      ? &waiver.file
                            : field == "section" ? &waiver.section
                            : field == "key"     ? &waiver.key
                            : field == "model"   ? &waiver.model
                                                 : nullptr;
      if (equals == std::string::npos || target == nullptr) {
        bad("\"" + word + "\" is none of file=, section=, key=, model=");
        ok = false;
      } else if (!target->empty()) {
        bad(field + "= given twice");
        ok = false;
      } else if (equals + 1 == word.size()) {
        bad(field + "= without a pattern");
        ok = false;
      } else {
        *target = word.substr(equals + 1);
        // Either separator for a file: the reports write "/".
        for (char& c : waiver.file) c = c == '\\' ? '/' : c;
      }
    }
    if (!ok) continue;
    if (waiver.code.empty()) {
      bad("no rule code before the reason");
      continue;
    }
    waivers.push_back(std::move(waiver));
  }
  return errors.size() == errorsBefore;
}

bool Matches(const Waiver& waiver, const Finding& f) {
  auto field = [](const std::string& pattern, const std::string& value) {
    return pattern.empty() || WildcardMatch(pattern, value);
  };
  return waiver.code == f.code && field(waiver.file, f.file) &&
         field(waiver.section, f.section) && field(waiver.key, f.key) &&
         field(waiver.model, f.model);
}

void ApplyWaivers(const std::vector<Waiver>& waivers, const std::string& shownName,
                  FindingList& list) {
  std::vector<bool> used(waivers.size(), false);
  for (Finding& f : list.All()) {
    for (std::size_t i = 0; i < waivers.size(); ++i) {
      if (!Matches(waivers[i], f)) continue;
      f.waived = waivers[i].reason;
      f.waiverLine = waivers[i].line;
      used[i] = true;
      break;
    }
  }
  for (std::size_t i = 0; i < waivers.size(); ++i) {
    if (used[i]) continue;
    list.Add("SC218", shownName, "", "", waivers[i].line, "",
             "the waiver of " + waivers[i].code + " covers no finding: the finding it was made "
             "for is gone or has moved (waived because: " + waivers[i].reason + ")");
  }
}

}  // namespace setwell::check
