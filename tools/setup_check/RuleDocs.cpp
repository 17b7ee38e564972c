#include "tools/setup_check/RuleDocs.h"

namespace setwell::check {
namespace {

constexpr RuleDoc kRuleDocs[] = {
#include "RuleDocs.inc"
};

}  // namespace

const RuleDoc* FindRuleDoc(std::string_view code) {
  for (const RuleDoc& doc : kRuleDocs) {
    if (code == doc.code) return &doc;
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

}  // namespace setwell::check
