#include "script/UnattendedRemoval.h"

#include "config/Family.h"
#include "config/InstallConfig.h"
#include "pages/CTargetSystemPage.h"
#include "script/DryRunPlatform.h"
#include "script/UnattendedInstall.h"

namespace setwell::install {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool IsOption(const char* arg) { return arg[0] == '-' && arg[1] == '-'; }

// The target system the family's install serves here, or why there is none.
bool ServedTarget(Platform& platform, std::int32_t& target, std::string& why) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  int button = 0;
  if (!platform.GetVersionExA(&version) || !TargetSystemOf(version, target, button) ||
      (target == kWin98 && version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)) {
    why = "this system is not one the family's install serves (Windows 98/Me, NT 4.0, 2000, XP, "
          "Server 2003), so nothing on it is the family's";
    return false;
  }
  BOOL wow64 = FALSE;
  if (platform.IsWow64Process(&wow64) && wow64) {
    why = "this is 64-bit Windows, on which the family's install installs nothing";
    return false;
  }
  return true;
}

}  // namespace

const char kRemovalUsage[] =
    "  --remove PRINTER...   remove these printers of the distribution's family, then\n"
    "                        every component of the family no remaining printer uses\n"
    "  --remove-all          remove every printer of the family, then the same\n"
    "  --repair SCRIPT       remove the printer SCRIPT installs, with what no other\n"
    "                        printer uses, then run SCRIPT\n"
    "Removal exit codes: 0 removed; 3010 removed, files go at the next restart;\n"
    "1 something could not be removed (named); 2 nothing removed (no such printer,\n"
    "not the family's, a bad name, no distribution). A repair ends with the install's.\n";

bool TakeRemovalOption(int argc, char** argv, int& i, RemovalCommand& command, std::string& error) {
  const std::string arg = argv[i];
  RemovalCommand::Kind kind = RemovalCommand::Kind::kNone;
  if (arg == "--remove") kind = RemovalCommand::Kind::kRemove;
  if (arg == "--remove-all") kind = RemovalCommand::Kind::kRemoveAll;
  if (arg == "--repair") kind = RemovalCommand::Kind::kRepair;
  if (kind == RemovalCommand::Kind::kNone) return false;
  error.clear();
  if (command.Given()) {
    error = arg + ": one of --remove, --remove-all and --repair only";
    return true;
  }
  command.kind = kind;
  if (kind == RemovalCommand::Kind::kRemove) {
    while (i + 1 < argc && !IsOption(argv[i + 1])) command.printers.emplace_back(argv[++i]);
    if (command.printers.empty()) error = "--remove needs the names of the printers to remove";
  } else if (kind == RemovalCommand::Kind::kRepair) {
    if (i + 1 >= argc || IsOption(argv[i + 1])) {
      error = "--repair needs the script of the install to repair";
    } else {
      command.script = argv[++i];
    }
  }
  return true;
}

removal::RemovalOutcome RunRemoval(Platform& platform, const removal::RemovalRequest& request,
                                   std::ostream& out) {
  if (const std::string why = CheckDistributionFolders(platform); !why.empty()) {
    return removal::Refused(why);
  }
  std::int32_t target = 0;
  std::string why;
  if (!ServedTarget(platform, target, why)) return removal::Refused(why);
  const Family family = ReadFamily(platform, target);
  removal::RemovalPlan plan;
  std::string refusal;
  if (!removal::PlanRemoval(platform, family, request, plan, refusal)) {
    return removal::Refused(refusal);
  }
  return removal::CarryOutRemoval(platform, plan, out);
}

RepairResult RunRepair(Platform& platform, term::ScriptedHost& host,
                       std::vector<term::ScriptStep> steps, const std::string& scriptName,
                       std::ostream& out) {
  RepairResult repair;
  // The script rehearsed over the host, changing nothing, for the name its
  // install gives the printer; its transcript is not the run's.
  DryRunPlatform dryRun(platform);
  std::ostream silent(nullptr);
  const UnattendedResult rehearsal = RunUnattended(dryRun, dryRun, steps, scriptName, silent);
  if (rehearsal.exitCode == kExitNothingInstalled || dryRun.PrintersAdded().empty()) {
    repair.exitCode = removal::kExitNothingRemoved;
    repair.closing = "Summary: nothing removed, nothing installed; nothing changed\n"
                     "exit code 2: the script does not get to installing a printer: " +
                     rehearsal.reason + "\n";
    out << repair.closing << std::flush;
    return repair;
  }
  const std::string printer = dryRun.PrintersAdded().front();
  out << "== repair: " << scriptName << " installs the printer " << Quoted(printer)
      << "; it goes first, with what no other printer uses\n";
  removal::RemovalRequest request;
  // The numbered names an install takes when the name is in use (a rerun
  // over a broken install) are the same printer's.
  request.printers = {printer, printer + "(1)", printer + "(2)"};
  request.absentIsFine = true;
  const removal::RemovalOutcome removed = RunRemoval(platform, request, out);
  std::string closing = removal::FormatRemoval(removed);
  // The removal's code is not the run's: its line is told as the removal's.
  if (const std::size_t at = closing.rfind("exit code "); at != std::string::npos) {
    closing.replace(at, 10, "removal: code ");
  }
  out << closing << std::flush;
  repair.closing = closing;
  if (removed.exitCode != removal::kExitRemoved) {
    repair.exitCode = removed.exitCode == removal::kExitNothingRemoved ? removal::kExitNothingRemoved
                                                                       : removal::kExitFailed;
    const std::string end =
        removed.exitCode == removal::kExitNothingRemoved
            ? "exit code 2: nothing removed, nothing installed: " + removed.reason + "\n"
        : removed.exitCode == removal::kExitRestartNeeded
            ? std::string("exit code 1: not repaired: the removal left files that go at the next "
                          "restart, and an install now would lose them then; restart the "
                          "computer, then run the repair again (nothing was installed)\n")
            : "exit code 1: not repaired: " + removed.reason + " (nothing was installed)\n";
    out << end << std::flush;
    repair.closing += end;
    return repair;
  }
  const UnattendedResult installed = RunUnattended(platform, host, std::move(steps), scriptName, out);
  UnattendedResult result = installed;
  if (result.exitCode == kExitNothingInstalled) {
    // Something was removed: "nothing changed" would not be true.
    result.exitCode = kExitFailed;
    result.reason = "the printer was removed, then the install did not run: " + installed.reason;
  } else {
    result.reason = "repaired: " + result.reason;
  }
  const std::string text = FormatResult(result);
  out << text << std::flush;
  repair.closing += text;
  repair.exitCode = result.exitCode;
  return repair;
}

int RunRemovalCommand(Platform& platform, term::ScriptedHost& host, const RemovalCommand& command,
                      std::ostream& out) {
  if (command.kind == RemovalCommand::Kind::kRepair) {
    std::string text;
    std::vector<term::ScriptStep> steps;
    std::string error;
    if (!platform.ReadWholeFile(command.script.c_str(), text)) {
      error = command.script + ": cannot read it (error " + std::to_string(platform.GetLastError()) +
              ")";
    } else {
      term::ParseScript(text, command.script, steps, error);
    }
    if (!error.empty()) {
      out << "Summary: nothing removed, nothing installed; nothing changed\n"
          << "exit code 2: " << error << "\n" << std::flush;
      return removal::kExitNothingRemoved;
    }
    return RunRepair(platform, host, std::move(steps), command.script, out).exitCode;
  }
  removal::RemovalRequest request;
  request.printers = command.printers;
  request.all = command.kind == RemovalCommand::Kind::kRemoveAll;
  const removal::RemovalOutcome outcome = RunRemoval(platform, request, out);
  out << removal::FormatRemoval(outcome) << std::flush;
  return outcome.exitCode;
}

}  // namespace setwell::install
