// Each rule as docs/setup-check.md tells it: what it says in the rule
// column and the example that trips it, in that page's Markdown. Built from
// the page, so the help that tools show is the documentation's.
#pragma once

#include <string>
#include <string_view>

namespace setwell::check {

struct RuleDoc {
  const char* code;
  const char* rule;     // Markdown
  const char* example;  // Markdown
};

// Null for a code docs/setup-check.md does not list.
const RuleDoc* FindRuleDoc(std::string_view code);

// The rule's section of docs/setup-check.md (what it checks, what happens
// on a customer's machine, an example, the fix), Markdown; null for none.
const char* RuleSectionText(std::string_view code);

// What --explain prints: the code, severity and title, then the section as
// plain text; empty for an unknown code.
std::string ExplainRule(std::string_view code);

// Markdown of a table cell as plain text: `code` spans lose their marks.
std::string PlainText(std::string_view markdown);

}  // namespace setwell::check
