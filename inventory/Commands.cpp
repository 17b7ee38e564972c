#include "inventory/Commands.h"


#include "config/Family.h"
#include "config/InstallConfig.h"
#include "inventory/Detect.h"
#include "inventory/Listing.h"

namespace setwell::inventory {

CommandOutput RunList(Platform& platform, const std::string& format) {
  CommandOutput result;
  if (format != "text" && format != "json") {
    result.exitCode = 2;
    result.err = "--format " + format + ": the listing is \"text\" or \"json\"\n";
    return result;
  }
  const InstallConfig config(platform);
  const DWORD attributes = platform.GetFileAttributesA(config.GeneralPath().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.exitCode = 2;
    result.err = "the configuration " + config.GeneralPath() +
                 " is not there: the listing shows what of the distribution's family the "
                 "machine holds, so it is started from the distribution folder\n";
    return result;
  }
  const ListedSystem system = ReadSystem(platform);
  if (system.target < 0) {
    result.exitCode = 2;
    result.err = "this system (" + system.name + " " + std::to_string(system.major) + "." +
                 std::to_string(system.minor) + ") is none the distribution installs on\n";
    return result;
  }
  const Listing listing = TakeListing(platform, ReadFamily(platform, system.target));
  result.out = format == "json" ? FormatListingJson(listing) : FormatListingText(listing);
  if (!listing.unanswered.empty()) {
    result.exitCode = 1;
    result.err = "the host did not answer for all of it: the listing is incomplete\n";
  }
  return result;
}

CommandOutput RunDetect(Platform& platform, const std::string& printer,
                        std::optional<DWORD> minimumVersion) {
  CommandOutput result;
  if (printer.empty()) {
    result.exitCode = 2;
    result.err = "--detect needs the printer's name\n";
    return result;
  }
  const DetectResult detected = DetectPrinter(platform, printer, minimumVersion);
  switch (detected.state) {
    case Detection::kPresent:
      result.out = detected.text + "\n";
      break;
    case Detection::kAbsent:
      // A detection rule reads any output as "there" (and standard error
      // as a failed rule): not there is silence.
      break;
    case Detection::kCannotTell:
      result.exitCode = 2;
      result.err = "cannot tell: " + detected.text + "\n";
      break;
  }
  return result;
}

bool ParseMinimumVersion(const std::string& text, DWORD& version, std::string& error) {
  unsigned long long value = 0;
  bool ok = !text.empty() && text.size() <= 10;
  for (char c : text) {
    if (c < '0' || c > '9') ok = false;
    if (ok) value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (!ok || value > 0xFFFFFFFFull) {
    error = "--version " + text + ": a version is a whole number (0 to 4294967295)";
    return false;
  }
  version = static_cast<DWORD>(value);
  return true;
}

}  // namespace setwell::inventory
