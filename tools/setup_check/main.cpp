// setup-check: checks a printer driver distribution before it ships. The
// static rules read its configuration through the installer's own reader
// and record builders; the rehearsal runs the installer's install sequence
// for every combination the wizard offers, each on a fresh simulated
// machine, and once more over the first install.
//
//   setup-check DIST [--os LIST] [--format text|json|gnu|sarif|html] [--verbose]
//               [--output FILE] [--warnings-as-errors] [--ignore RULES]
//               [--waivers FILE] [--no-rehearsal] [--jobs N] [--quiet]
//   setup-check --explain SCnnn
//
// Exit status: 0 clean (notes and warnings allowed); 1 errors found, or
// warnings with --warnings-as-errors; 2 bad arguments or a folder that
// cannot be read.
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/setup_check/RuleDocs.h"
#include "tools/setup_check/SetupCheck.h"

namespace {

using namespace setwell::check;

constexpr int kExitFindings = 1;
constexpr int kExitBadInput = 2;

constexpr char kUsage[] =
    "usage: setup-check DIST [--os LIST] [--format text|json|gnu|sarif|html] [--verbose]\n"
    "                   [--output FILE] [--warnings-as-errors] [--ignore RULES]\n"
    "                   [--waivers FILE] [--no-rehearsal] [--jobs N] [--quiet]\n"
    "       setup-check --explain SCnnn\n"
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
    "                          html   one self-contained page: the matrix of\n"
    "                                 every model, the findings in context\n"
    "  --output FILE         write the report to FILE, not standard output\n"
    "  --verbose             text: every finding and failing combination one by one\n"
    "  --warnings-as-errors  exit 1 on warnings too\n"
    "  --ignore RULES        rule codes to leave out, comma-separated (SC201,SC303)\n"
    "  --waivers FILE        the waivers (default: DIST/setup-check-waivers.txt\n"
    "                        when there is one)\n"
    "  --no-rehearsal        the static rules only\n"
    "  --jobs N              rehearse on N threads (default: the processors)\n"
    "  --quiet               no progress line on standard error\n"
    "  --explain SCnnn       what the rule checks, what it does on a customer's\n"
    "                        machine, an example and the fix\n";

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
  bool quiet = false;
  std::string output;
  options.jobs = DefaultJobs();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--os" || arg == "--format" || arg == "--ignore" ||
                            arg == "--waivers" || arg == "--jobs" || arg == "--output" ||
                            arg == "--explain";
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
      if (format != "text" && format != "json" && format != "gnu" && format != "sarif" &&
          format != "html")
        return Fail("--format: \"" + format + "\" is none of text, json, gnu, sarif, html");
    } else if (arg == "--explain") {
      const std::string code = argv[++i];
      const std::string text = ExplainRule(code);
      if (text.empty()) return Fail("--explain: \"" + code + "\" is no rule code (SC101 to SC304)");
      std::cout << text;
      return 0;
    } else if (arg == "--waivers") {
      options.waivers = argv[++i];
      if (options.waivers.empty()) return Fail("--waivers needs a file name");
    } else if (arg == "--output") {
      output = argv[++i];
      if (output.empty()) return Fail("--output needs a file name");
    } else if (arg == "--jobs") {
      const std::string value = argv[++i];
      const bool digits = !value.empty() && value.size() <= 4 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      if (!digits || std::stoi(value) == 0)
        return Fail("--jobs: \"" + value + "\" is not a number of threads from 1 to 9999");
      options.jobs = static_cast<unsigned>(std::stoi(value));
    } else if (arg == "--quiet") {
      quiet = true;
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
  const bool progress = !quiet && ::isatty(2) != 0;
  RehearsalProgress report;
  const auto started = std::chrono::steady_clock::now();
  if (progress) {
    report = [started](std::size_t done, std::size_t total) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      std::cerr << "\r\033[K" << ProgressLine(done, total, seconds) << std::flush;
    };
  }
  // The output file is made before the rehearsal, so that a place that
  // cannot be written is told at once, not after minutes.
  std::ofstream file;
  if (!output.empty()) {
    file.open(output, std::ios::binary | std::ios::trunc);
    if (!file) return Fail(output + ": cannot write the report there");
  }
  CheckResult result;
  std::string error;
  if (!RunCheck(folder, options, result, error, report)) return Fail(error);
  if (progress && result.rehearsed) std::cerr << "\r\033[K" << std::flush;

  std::string text;
  if (format == "json") {
    text = FormatJson(result);
  } else if (format == "gnu") {
    text = FormatGnu(result, folder);
  } else if (format == "sarif") {
    text = FormatSarif(result);
  } else if (format == "html") {
    text = FormatHtml(result);
  } else {
    text = verbose ? FormatText(result) : FormatGroupedText(result);
  }
  if (!output.empty()) {
    file << text;
    file.close();
    if (!file) return Fail(output + ": the report could not be written whole");
  } else {
    std::cout << text << std::flush;
    if (!std::cout) return Fail("the report could not be written to standard output");
  }
  const bool failed = result.Count(Severity::kError) > 0 ||
                      (warningsAsErrors && result.Count(Severity::kWarning) > 0);
  return failed ? kExitFindings : 0;
}
