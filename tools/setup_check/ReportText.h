// Small pieces of text that every form of setup-check's report writes the
// same way.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "inventory/Json.h"
#include "tools/setup_check/Findings.h"

namespace setwell::check {

// Message texts hold line breaks; a report line does not.
inline std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string(" / ") : std::string(1, c);
  return out;
}

inline std::string Plural(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// "a", "a and b", "a, b and c".
inline std::string JoinAnd(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
    out += items[i];
  }
  return out;
}

// A JSON string (bytes above 0x7F as the code points of their value).
inline std::string Json(const std::string& text) { return json::Quote(text); }

// Text for HTML: the markup characters as entities.
inline std::string HtmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

inline constexpr const char* kCategoryNames[4] = {"receipt", "ticket", "label", "embedded"};

// The severity in a column of its own, wide enough for "warning ".
inline std::string SeverityColumn(Severity severity) {
  std::string name = SeverityName(severity);
  return name + std::string(name.size() < 8 ? 8 - name.size() : 1, ' ');
}

// The rehearsal's findings (SC190, SC191) have no file: they are told by
// their model.
inline bool FromRehearsal(const Finding& f) { return f.code.rfind("SC19", 0) == 0; }

// How a combination ended: "closed after "Add printer error", "error = 1796"".
inline std::string OutcomeText(const Combination& c) {
  std::string text = c.outcome;
  if (!c.messages.empty()) {
    text += " after";
    for (std::size_t i = 0; i < c.messages.size(); ++i)
      text += (i == 0 ? " \"" : ", \"") + OneLine(c.messages[i]) + "\"";
  }
  return text;
}

// "DRVCONFIG/setup.ini:85 [COMMON-MONITOR.2003] COMMONitorPName".
inline std::string Place(const Finding& f) {
  std::string place = !f.file.empty() ? f.file
                      : FromRehearsal(f) ? std::string("(rehearsal)")
                                         : std::string("(distribution)");
  if (f.line > 0) place += ":" + std::to_string(f.line);
  if (!f.section.empty()) place += " [" + f.section + "]";
  if (!f.key.empty()) place += " " + f.key;
  return place;
}

}  // namespace setwell::check
