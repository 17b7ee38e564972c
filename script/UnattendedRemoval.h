// Removal and repair as the unattended install's front ends run them
// (setup-install.exe on the real host, setup-sim on the simulated machine):
//
//   --remove PRINTER...   the named printers of the distribution's family,
//                         then every component of the family no remaining
//                         printer uses
//   --remove-all          every printer of the family, then the same
//   --repair SCRIPT       the printer SCRIPT installs (by the name the
//                         install gives it) taken away with what no other
//                         printer uses, then SCRIPT run
//
// Exit codes as removal/Removal.h has them; a repair ends with the install's.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "removal/Removal.h"
#include "script/ScriptRunner.h"
#include "system/Platform.h"

namespace setwell::install {

struct RemovalCommand {
  enum class Kind { kNone, kRemove, kRemoveAll, kRepair };
  Kind kind = Kind::kNone;
  std::vector<std::string> printers;  // --remove
  std::string script;                 // --repair
  bool Given() const { return kind != Kind::kNone; }
};

// The options' lines for a program's usage text.
extern const char kRemovalUsage[];

// Takes the option at argv[i] when it is --remove, --remove-all or
// --repair, with its values (--remove takes every argument up to the next
// one that begins with "--"); i is then on the last argument taken. False
// when argv[i] is none of them. `error` says why a removal option cannot be
// taken (no printer named, no script, two of them given).
bool TakeRemovalOption(int argc, char** argv, int& i, RemovalCommand& command, std::string& error);

// Refuses, before anything changes, a run from elsewhere than a
// distribution and a system the family's install does not serve; then
// plans and carries out the removal, logging to `out`.
removal::RemovalOutcome RunRemoval(Platform& platform, const removal::RemovalRequest& request,
                                   std::ostream& out);

struct RepairResult {
  int exitCode = removal::kExitNothingRemoved;
  // The closing lines of the removal and of the install, as written to `out`.
  std::string closing;
};

// The repair: the script rehearsed on the host without changing it, for the
// name of its printer; that printer (and the numbered names earlier
// installs over it took) removed with what nothing else uses; then the
// script run as the unattended install runs it. A removal that leaves
// anything, or that leaves files for the restart, ends the repair before
// the install (exit 1): an install over it would be undone at the restart.
RepairResult RunRepair(Platform& platform, term::ScriptedHost& host,
                       std::vector<term::ScriptStep> steps, const std::string& scriptName,
                       std::ostream& out);

// The command as setup-install.exe runs it over `platform`: the repair's
// script read and parsed (a script that cannot be read is refused, 2), the
// removal or repair run, its closing lines written; the exit code.
int RunRemovalCommand(Platform& platform, term::ScriptedHost& host, const RemovalCommand& command,
                      std::ostream& out);

}  // namespace setwell::install
