// The listing and the detection as commands, the same from setup-install.exe
// (over the host) and setup-sim (over the simulated machine): what goes to
// standard output, what to standard error, and the exit code.
#pragma once

#include <optional>
#include <string>

#include "system/Platform.h"

namespace setwell::inventory {

struct CommandOutput {
  int exitCode = 0;
  std::string out;
  std::string err;
};

// --list: 0 listed; 1 listed, but the host left a part unanswered (named
// in the listing); 2 nothing listed: no distribution in the current
// directory, a system the wizard does not know, an unknown format.
CommandOutput RunList(Platform& platform, const std::string& format);

// --detect: 0 with one line on standard output when the printer is there,
// 0 with nothing at all when it is not; 2 with the reason on standard error
// when the host cannot tell.
CommandOutput RunDetect(Platform& platform, const std::string& printer,
                        std::optional<DWORD> minimumVersion);

// "--version N": a whole number of 0 to 4294967295.
bool ParseMinimumVersion(const std::string& text, DWORD& version, std::string& error);

}  // namespace setwell::inventory
