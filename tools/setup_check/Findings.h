// What setup-check finds: a rule broken at a place of the distribution, or
// a rehearsed install that does not succeed.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tools/setup_check/CheckRules.h"

namespace setwell::check {

struct Finding {
  std::string code;
  Severity severity = Severity::kError;
  std::string file;  // "DRVCONFIG/setup.ini", "winnt/X.DLL"; empty: the distribution
  std::string section;
  std::string key;
  int line = 0;       // 0: no line (a missing file or section)
  std::string model;  // empty: not one model's
  std::string message;
  std::string hint;
  // The reason of the waiver that covers it, and that waiver's line in the
  // waiver file; empty: not waived.
  std::string waived;
  int waiverLine = 0;
};

// One combination the rehearsal ran.
struct Combination {
  std::string model;
  std::int32_t category = -1;
  std::int32_t target = 0;  // target system 0..4
  std::string os;           // the running system's option name: "98", "xp" ...
  std::int32_t setupType = 1;
  std::string port;
  std::int32_t mode = 0;  // driver mode
  bool second = false;    // the second install over the first
  bool ok = false;
  std::string outcome;                // "completed", "closed", "stayed open", or what broke
  std::vector<std::string> messages;  // every message box, in order
  // What the machine held after a failing install: its printers, drivers
  // and port monitors, a line each. Empty for one that succeeded.
  std::vector<std::string> held;
  // What the removal rehearsed after a first install that succeeded did
  // wrong: what of the family it left, what of another model's install it
  // took or changed, a line each. Empty when it did nothing wrong.
  std::vector<std::string> removal;
};

struct CheckOptions {
  std::vector<std::int32_t> targets = {0, 1, 2, 3, 4};
  std::vector<std::string> osNames = {"98", "nt4", "2000", "xp", "2003"};
  std::set<std::string> ignored;
  bool rehearse = true;
  // The waiver file; empty: the distribution's own when it has one.
  std::string waivers;
  unsigned jobs = 1;  // rehearsal threads
};

// Collects findings without repeating one rule at one place.
class FindingList {
 public:
  explicit FindingList(const std::set<std::string>& ignored) : ignored_(&ignored) {}
  // The rule's severity and hint come from the rule table.
  void Add(const std::string& code, const std::string& file, const std::string& section,
           const std::string& key, int line, const std::string& model, const std::string& message);
  std::vector<Finding>& All() { return findings_; }

 private:
  const std::set<std::string>* ignored_;
  std::set<std::string> places_;
  std::vector<Finding> findings_;
};

}  // namespace setwell::check
