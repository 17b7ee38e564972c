#include "tools/setup_check/RuleDocs.h"

#include "tools/setup_check/CheckRules.h"

namespace setwell::check {
namespace {

struct RuleSection {
  const char* code;
  const char* text;  // Markdown
};

#define RULE_ROW(code, rule, example) {code, rule, example},
#define RULE_EXPLAIN(code, text)
constexpr RuleDoc kRuleDocs[] = {
#include "RuleDocs.inc"
};
#undef RULE_ROW
#undef RULE_EXPLAIN

#define RULE_ROW(code, rule, example)
#define RULE_EXPLAIN(code, text) {code, text},
constexpr RuleSection kRuleSections[] = {
#include "RuleDocs.inc"
};
#undef RULE_ROW
#undef RULE_EXPLAIN

}  // namespace

const RuleDoc* FindRuleDoc(std::string_view code) {
  for (const RuleDoc& doc : kRuleDocs) {
    if (code == doc.code) return &doc;
  }
  return nullptr;
}

const char* RuleSectionText(std::string_view code) {
  for (const RuleSection& section : kRuleSections) {
    if (code == section.code) return section.text;
  }
  return nullptr;
}

std::string PlainText(std::string_view markdown) {
  std::string out;
  for (char c : markdown) {
    if (c != '`') out += c;
  }
  return out;
}

std::string ExplainRule(std::string_view code) {
  const Rule* rule = FindRule(code);
  const char* section = RuleSectionText(code);
  if (rule == nullptr || section == nullptr) return "";
  return std::string(rule->code) + " (" + SeverityName(rule->severity) + "): " + rule->title +
         "\n\n" + PlainText(section) + "\n";
}

}  // namespace setwell::check
