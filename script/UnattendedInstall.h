// The unattended install: the wizard itself (frame, pages, install
// sequence) with in-memory dialogs, driven by a setup-sim script, over any
// platform: the real host in setup-install.exe, the simulated machine in
// setup-sim --exit-codes, so that a script can be rehearsed before it is
// deployed. Its result is an exit code that deployment tools understand.
//
//   0     installed
//   3010  installed; a restart is needed (the restart question answered No,
//         or not answered: the computer is never restarted by surprise)
//   1641  installed; the restart was asked for (the question answered Yes)
//   1     the install failed: it stopped with an error after Finish, or the
//         host lacks a part of it when asked afterwards
//   2     nothing installed: the script could not be run to Finish (a step
//         the wizard refuses, an unanswered question, a script that ends
//         with the wizard open or cancels it)
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/InstallSequence.h"
#include "system/Platform.h"
#include "script/ScriptRunner.h"

namespace setwell::install {

constexpr int kExitInstalled = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNothingInstalled = 2;
constexpr int kExitRestartInitiated = 1641;
constexpr int kExitRestartNeeded = 3010;

struct UnattendedResult {
  int exitCode = kExitNothingInstalled;
  // One line: why the run ended so (for the log's last lines).
  std::string reason;
  // "Summary: printer ... ; N errors shown"
  std::string summary;
  std::vector<std::string> errors;  // the error messages shown after Finish
  // What the log must tell beside the outcome: errors after Finish that did
  // not stop a complete install, answers no question took, a refused restart.
  std::vector<std::string> warnings;
  // Every message box: "error|question|information: "TEXT" -> ANSWER",
  // the text's lines joined by " / ".
  std::vector<std::string> messages;
};

// The closing lines of a run, the same from every front end: the message
// boxes, the summary and the exit code with its reason.
std::string FormatResult(const UnattendedResult& result);

// What the host holds of a completed install, asked afterwards: the
// printer as the spooler has it, the default printer, and what of the
// install's parts the host lacks (empty: all there).
struct HostReadBack {
  bool printerFound = false;
  std::string port;
  std::string driver;
  std::string printProcessor;
  std::string defaultPrinter;
  std::vector<std::string> missing;
};
HostReadBack ReadBackInstall(Platform& platform, const InstalledParts& parts);

// Runs the script's steps on the wizard over `platform`, whose message
// boxes `host` records and answers, writing the transcript to `out`.
UnattendedResult RunUnattended(Platform& platform, term::ScriptedHost& host,
                               std::vector<term::ScriptStep> steps, const std::string& scriptName,
                               std::ostream& out);

// Whether the run can get through before anything changes: the
// configuration beside the program and the running system's driver folder
// below the current directory, as the install finds them. Empty when both
// are there, else why not.
std::string CheckDistributionFolders(Platform& platform);

// What each exit code means, for the log.
std::string ExitCodeMeaning(int exitCode);

}  // namespace setwell::install
