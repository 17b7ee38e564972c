// setup-check: checks a printer driver distribution before it ships. The
// static rules read its configuration through the installer's own reader
// and record builders; the rehearsal runs the installer's install sequence
// for every combination the wizard offers, each on a fresh simulated
// machine, and once more over the first install.
//
//   setup-check DIST [--os LIST] [--format text|json|gnu|sarif] [--verbose]
//               [--warnings-as-errors] [--ignore RULES] [--no-rehearsal]
//
// Exit status: 0 clean (notes and warnings allowed); 1 errors found, or
// warnings with --warnings-as-errors; 2 bad arguments or a folder that
// cannot be read.
#include <unistd.h>

#include <iostream>
#include <sstream>

#include "tools/setup_check/SetupCheck.h"

namespace {

using namespace setwell::check;

constexpr int kExitFindings = 1;
constexpr int kExitBadInput = 2;

constexpr char kUsage[] =
    "usage: setup-check DIST [--os LIST] [--format text|json|gnu|sarif] [--verbose]\n"
    "                   [--warnings-as-errors] [--ignore RULES] [--no-rehearsal]\n"
    "\n"
    "Checks the driver distribution in folder DIST: its configuration against the\n"
    "rules SC1xx (errors), SC2xx (warnings) and SC3xx (notes), and a rehearsal of\n"
    "every install the wizard offers on fresh simulated machines.\n"
    "  --os LIST             systems to check, comma-separated: 98, me, nt4, 2000,\n"
    "                        xp, 2003 (default 98,nt4,2000,xp,2003)\n"
    "  --format FORM         the report's form (default text):\n"
    "                          text   for a person; a rule's finding at several\n"
    "                                 places once, with the places\n"
    "                          json   every finding, for build scripts\n"
    "                          gnu    FILE:LINE: error: SCnnn MESSAGE, a line per\n"
    "                                 finding, for editors and CI logs\n"
    "                          sarif  SARIF 2.1.0, for CI code annotations\n"
    "  --verbose             text: every finding and failing combination one by one\n"
    "  --warnings-as-errors  exit 1 on warnings too\n"
    "  --ignore RULES        rule codes to leave out, comma-separated (SC201,SC303)\n"
    "  --no-rehearsal        the static rules only\n";

int Fail(const std::string& message) {
  std::cerr << "setup-check: " << message << "\n";
  return kExitBadInput;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) items.push_back(item);
  if (!text.empty() && text.back() == ',') items.push_back("");
  return items;
}

}  // namespace

int main(int argc, char** argv) {
  CheckOptions options;
  std::string folder;
  std::string format = "text";
  bool warningsAsErrors = false;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--os" || arg == "--format" || arg == "--ignore";
    if (takesValue && i + 1 >= argc) return Fail(arg + " needs a value\n" + kUsage);
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--os") {
      options.targets.clear();
      options.osNames.clear();
      for (const std::string& name : SplitList(argv[++i])) {
        static const std::pair<const char*, int> kSystems[] = {
            {"98", 0}, {"me", 0}, {"nt4", 1}, {"2000", 2}, {"xp", 3}, {"2003", 4}};
        int target = -1;
        for (const auto& [option, index] : kSystems) {
          if (name == option) target = index;
        }
        if (target < 0)
          return Fail("--os: \"" + name + "\" is not one of 98, me, nt4, 2000, xp, 2003");
        options.targets.push_back(target);
        options.osNames.push_back(name);
      }
    } else if (arg == "--format") {
      format = argv[++i];
      if (format != "text" && format != "json" && format != "gnu" && format != "sarif")
        return Fail("--format: \"" + format + "\" is none of text, json, gnu, sarif");
    } else if (arg == "--ignore") {
      for (const std::string& code : SplitList(argv[++i])) {
        if (FindRule(code) == nullptr) return Fail("--ignore: \"" + code + "\" is no rule code");
        options.ignored.insert(code);
      }
    } else if (arg == "--verbose") {
      verbose = true;
    } else if (arg == "--warnings-as-errors") {
      warningsAsErrors = true;
    } else if (arg == "--no-rehearsal") {
      options.rehearse = false;
    } else if (!arg.empty() && arg[0] == '-') {
      return Fail("unknown option " + arg + "\n" + kUsage);
    } else if (folder.empty()) {
      folder = arg;
    } else {
      return Fail("one distribution folder, please (" + folder + ", " + arg + ")\n" + kUsage);
    }
  }
  if (folder.empty()) return Fail(std::string("which distribution folder?\n") + kUsage);

  // A progress line while the rehearsal runs, when someone watches.
  const bool progress = ::isatty(2) != 0;
  RehearsalProgress report;
  if (progress) {
    report = [](std::size_t done, std::size_t total) {
      std::cerr << "\rrehearsing: " << done << " of " << total << " models" << std::flush;
    };
  }
  CheckResult result;
  std::string error;
  if (!RunCheck(folder, options, result, error, report)) return Fail(error);
  if (progress && result.rehearsed) std::cerr << "\r\033[K" << std::flush;

  if (format == "json") {
    std::cout << FormatJson(result);
  } else if (format == "gnu") {
    std::cout << FormatGnu(result, folder);
  } else if (format == "sarif") {
    std::cout << FormatSarif(result);
  } else {
    std::cout << (verbose ? FormatText(result) : FormatGroupedText(result));
  }
  const bool failed = result.Count(Severity::kError) > 0 ||
                      (warningsAsErrors && result.Count(Severity::kWarning) > 0);
  return failed ? kExitFindings : 0;
}
