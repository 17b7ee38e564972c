// The rules of setup-check: a stable code for each way a distribution's
// configuration can break an install, its severity and a hint of the mend.
// Codes never change meaning; a retired rule keeps its number unused.
//   SC1xx errors: an install shows an error, fails or leaves a file out.
//   SC2xx warnings: the configuration says something the installer reads
//         differently (cut, ignored, misread) without failing at once.
//   SC3xx notes: worth knowing, harmless to the install.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace setwell::check {

enum class Severity { kError, kWarning, kNote };

struct Rule {
  const char* code;
  Severity severity;
  const char* title;  // what is wrong, in a few words
  const char* hint;   // how to mend it
};

const std::vector<Rule>& Rules();
// Null for an unknown code.
const Rule* FindRule(std::string_view code);
const char* SeverityName(Severity severity);

}  // namespace setwell::check
