// Whether a printer is on this machine, for a deployment tool's detection
// rule: the printer with its driver and the port it is on, asked of the
// host. It needs nothing of the distribution, so that a detection script
// runs with setup-install.exe alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "system/Platform.h"

namespace setwell::inventory {

enum class Detection {
  kPresent,     // the printer, its driver and its port are there
  kAbsent,      // no such printer, or it lacks its driver or port, or is too old
  kCannotTell,  // the host did not answer
};

struct DetectResult {
  Detection state = Detection::kCannotTell;
  // kPresent: the one line for standard output. kAbsent: why (for a log,
  // never for standard output). kCannotTell: the reason.
  std::string text;
  // The lowest distribution version ("DriverVersion") recorded for the
  // printer's print processor and monitors; none when none records one.
  std::optional<DWORD> version;
};

// minimumVersion: the printer counts as present only when the lowest
// version its components record is at least this.
DetectResult DetectPrinter(Platform& platform, const std::string& printer,
                           std::optional<DWORD> minimumVersion);

}  // namespace setwell::inventory
