// setup-sim: the setup wizard in a terminal, on a simulated Windows machine
// kept in a folder between runs.
//
//   setup-sim --dist DIR --machine DIR [--os 98|me|nt4|2000|xp|2003|2003x64]
//             [--usb VALUE,...|none] [--script FILE [--exit-codes]]
//             [--list [--format text|json]] [--machine-from LISTING.json]
//
// Exit status: 0 the wizard ran and the machine was saved; 1 the script
// failed (a step that cannot be done, an unanswered question) or the run
// was broken off; 2 bad arguments or inputs (distribution, machine folder,
// script file, terminal); 3 the machine could not be saved. The machine
// folder is changed only with status 0.
//
// With --exit-codes the script runs as the unattended install runs it
// (setup-install.exe), with its exit codes: 0, 3010, 1641 installed, 1 the
// install failed, 2 nothing installed; the machine is saved whenever the
// wizard ran to Finish.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/CSetupApp.h"
#include "config/Family.h"
#include "inventory/Commands.h"
#include "inventory/Listing.h"
#include "sim/HostFiles.h"
#include "sim/SimMachine.h"
#include "tools/setup_sim/InstallReport.h"
#include "tools/setup_sim/MachineFolder.h"
#include "tools/setup_sim/MachineFromListing.h"
#include "sim/SimFamilyPorts.h"
#include "tools/setup_sim/RawTerminal.h"
#include "script/ScriptRunner.h"
#include "tools/setup_sim/SimScriptedHost.h"
#include "script/UnattendedInstall.h"
#include "script/UnattendedRemoval.h"
#include "tools/setup_sim/TerminalDriver.h"
#include "ui/headless/HeadlessUi.h"

namespace {

namespace fs = std::filesystem;
using namespace setwell;

constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitNotSaved = 3;
constexpr char kDistributionDrive = 'D';
// The last run's report, kept in the machine folder.
constexpr const char* kReportFileName = "report.txt";

constexpr char kUsage[] =
    "usage: setup-sim --dist DIR --machine DIR [--os 98|me|nt4|2000|xp|2003|2003x64]\n"
    "                 [--usb VALUE,...|none] [--script FILE [--exit-codes]]\n"
    "                 [--list [--format text|json]] [--machine-from LISTING.json]\n"
    "\n"
    "Runs the printer driver setup wizard on a simulated Windows machine kept in\n"
    "the --machine folder (made on first use, with the --os system, xp if none is\n"
    "given). The distribution folder is the program's drive D:, read-only. --usb\n"
    "attaches USB printers with these descriptor values. Without --script the\n"
    "wizard is drawn in the terminal; with it, the script's steps drive it. Then a\n"
    "report says what the install changed, and the machine is saved.\n"
    "\n"
    "--exit-codes runs the script as setup-install.exe runs it on a real machine,\n"
    "to rehearse it: a plain \"answer yes|no\" never answers the restart question\n"
    "(\"answer restart yes|no\" does), an unanswered restart question is taken as\n"
    "No, and the exit code is the unattended install's, from what the machine\n"
    "holds afterwards: 0 installed, 3010 installed and a restart\n"
    "needed, 1641 installed and restarting, 1 the install failed, 2 nothing\n"
    "installed (3 the machine could not be saved).\n"
    "\n"
    "--list prints what of the distribution's family the machine holds, as\n"
    "setup-install.exe --list does on a real one (after the script, when one is\n"
    "given; without one nothing is installed and the machine is left as it was).\n"
    "--machine-from makes a new machine folder from a listing that\n"
    "setup-install.exe --list --format json took on a till: its system, and the\n"
    "family's printers, drivers, monitors, print processor, files (of the listed\n"
    "sizes), records and serial line settings. Other software's printers and\n"
    "ports, and file contents, are not in a listing and not on the machine.\n"
    "\n"
    "Instead of an install, as setup-install.exe does them:\n";

struct Options {
  std::string dist;
  std::string machine;
  std::optional<sim::SimOs> os;
  std::optional<std::vector<WORD>> usb;
  std::optional<std::string> script;
  bool exitCodes = false;
  bool list = false;
  std::optional<std::string> format;
  std::optional<std::string> machineFrom;
  // --remove, --remove-all, --repair (script/UnattendedRemoval.h).
  install::RemovalCommand removal;
};

struct SystemName {
  const char* option;
  sim::SimOs os;
};
constexpr SystemName kSystems[] = {{"98", sim::kWin98},   {"me", sim::kWinMe},
                                   {"nt4", sim::kWinNT4}, {"2000", sim::kWin2000},
                                   {"xp", sim::kWinXP},   {"2003", sim::kWin2003},
                                   {"2003x64", sim::kWin2003x64}};

int Fail(int status, const std::string& message) {
  std::cerr << "setup-sim: " << message << "\n";
  return status;
}

bool ParseUsb(const std::string& text, std::vector<WORD>& values, std::string& error) {
  values.clear();
  if (text == "none") return true;
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(item.c_str(), &end, 0);
    if (item.empty() || *end != '\0' || value > 0xFFFF) {
      error = "--usb: " + (item.empty() ? std::string("an empty value") : "\"" + item + "\"") +
              " is not a descriptor value (0 to 65535, decimal or 0x hex)";
      return false;
    }
    values.push_back(static_cast<WORD>(value));
  }
  if (values.size() > static_cast<std::size_t>(sim::SimUsb::kPositions)) {
    error =
        "--usb: a USB bus holds at most " + std::to_string(sim::SimUsb::kPositions) + " printers";
    return false;
  }
  return true;
}

// Returns 0, or the exit status after telling what is wrong (-1: --help).
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage << install::kRemovalUsage;
      return -1;
    }
    // --- Removal and repair -------------------------------------------------------
    if (std::string error; install::TakeRemovalOption(argc, argv, i, options.removal, error)) {
      if (!error.empty()) return Fail(kExitBadInput, error + "\n" + kUsage);
      continue;
    }
    if (arg == "--exit-codes") {
      options.exitCodes = true;
      continue;
    }
    if (arg == "--list") {
      options.list = true;
      continue;
    }
    if (i + 1 >= argc) return Fail(kExitBadInput, arg + " needs a value\n" + kUsage);
    const std::string value = argv[++i];
    if (arg == "--dist") {
      options.dist = value;
    } else if (arg == "--machine") {
      options.machine = value;
    } else if (arg == "--script") {
      options.script = value;
    } else if (arg == "--format") {
      if (value != "text" && value != "json") {
        return Fail(kExitBadInput, "--format: \"" + value + "\" is not text or json");
      }
      options.format = value;
    } else if (arg == "--machine-from") {
      options.machineFrom = value;
    } else if (arg == "--os") {
      for (const SystemName& system : kSystems) {
        if (value == system.option) options.os = system.os;
      }
      if (!options.os) {
        return Fail(kExitBadInput,
                    "--os: \"" + value + "\" is not one of 98, me, nt4, 2000, xp, 2003, 2003x64");
      }
    } else if (arg == "--usb") {
      std::vector<WORD> values;
      std::string error;
      if (!ParseUsb(value, values, error)) return Fail(kExitBadInput, error);
      options.usb = values;
    } else {
      return Fail(kExitBadInput, "unknown option " + arg + "\n" + kUsage);
    }
  }
  if (options.dist.empty() || options.machine.empty()) {
    return Fail(kExitBadInput, std::string("--dist and --machine are needed\n") + kUsage);
  }
  if (options.format && !options.list) {
    return Fail(kExitBadInput, std::string("--format goes with --list\n") + kUsage);
  }
  if (options.removal.Given()) {
    if (options.script || options.exitCodes) {
      return Fail(kExitBadInput, "--script and --exit-codes are for an install; --repair takes "
                                 "its script, and a removal runs by the exit codes anyway");
    }
    // The repair's script is read and run as --script's is.
    if (!options.removal.script.empty()) options.script = options.removal.script;
    return 0;
  }
  if (options.exitCodes && !options.script) {
    return Fail(kExitBadInput, std::string("--exit-codes needs --script\n") + kUsage);
  }
  return 0;
}

bool LocaleIsUtf8() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string text = value;
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find("utf-8") != std::string::npos || text.find("utf8") != std::string::npos;
  }
  return false;
}

void Attach(sim::SimMachine& machine, const std::vector<WORD>& values) {
  for (int i = 0; i < sim::SimUsb::kPositions; ++i) machine.usb.Detach(i);
  for (std::size_t i = 0; i < values.size(); ++i)
    machine.usb.Attach(static_cast<int>(i), values[i]);
}

std::string UsbSummary(const sim::SimMachine& machine) {
  std::string text;
  for (int i = 0; i < sim::SimUsb::kPositions; ++i) {
    if (!machine.usb.bus[i]) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(machine.usb.bus[i]->descriptorValue) +
            " (device number " + std::to_string(machine.usb.DeviceNumber(i)) + ")";
  }
  return text.empty() ? "none" : text;
}

int Run(const Options& options) {
  // --- The inputs, checked before anything is touched ---------------------------------
  std::error_code ec;
  const std::string dist = fs::absolute(options.dist, ec).lexically_normal().string();
  if (ec || !fs::is_directory(dist, ec)) {
    return Fail(kExitBadInput, "--dist " + options.dist + ": no such folder");
  }
  fs::directory_iterator probe(dist, ec);
  if (ec)
    return Fail(kExitBadInput, "--dist " + options.dist + ": cannot read it: " + ec.message());

  std::vector<term::ScriptStep> steps;
  int terminalFd = -1;
  if (options.script) {
    std::string text;
    std::string why;
    if (!sim::ReadHostFile(*options.script, text, &why)) {
      return Fail(kExitBadInput, "--script " + *options.script + ": cannot read it: " + why);
    }
    std::string error;
    if (!term::ParseScript(text, *options.script, steps, error)) return Fail(kExitFailed, error);
  } else if (options.removal.Given() || options.list || options.machineFrom) {
    // Nothing for the terminal: a removal, or the machine listed or made.
  } else {
    // Keys come from standard input; the wizard is drawn on the terminal
    // itself, so that the report can go to a file.
    if (!::isatty(0)) {
      return Fail(kExitBadInput,
                  "the interactive wizard needs a terminal; give --script FILE to run without one");
    }
    terminalFd = ::isatty(1) ? 1 : ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    int columns = 0;
    int rows = 0;
    if (terminalFd < 0 || !term::RawTerminal::QuerySize(terminalFd, columns, rows)) {
      return Fail(kExitBadInput,
                  "cannot find the size of the terminal; give --script FILE to run "
                  "without one");
    }
    if (columns < term::TerminalDriver::kMinColumns || rows < term::TerminalDriver::kMinRows) {
      return Fail(kExitBadInput, "the terminal is too small (" + std::to_string(columns) + "x" +
                                     std::to_string(rows) + "); the wizard needs " +
                                     std::to_string(term::TerminalDriver::kMinColumns) + "x" +
                                     std::to_string(term::TerminalDriver::kMinRows));
    }
  }

  // A till's listing, read and checked before any machine is made.
  inventory::Listing listing;
  std::optional<sim::SimOs> listedOs;
  if (options.machineFrom) {
    std::string text;
    std::string why;
    if (!sim::ReadHostFile(*options.machineFrom, text, &why)) {
      return Fail(kExitBadInput, "--machine-from " + *options.machineFrom + ": cannot read it: " + why);
    }
    if (!inventory::ParseListingJson(text, listing, why)) {
      return Fail(kExitBadInput, "--machine-from " + *options.machineFrom + ": " + why);
    }
    listedOs = term::SystemOfListing(listing.system);
    if (!listedOs) {
      return Fail(kExitBadInput, "--machine-from " + *options.machineFrom + ": the listing's system (" +
                                     listing.system.name + ") is none setup-sim simulates");
    }
    if (options.os && *options.os != *listedOs) {
      return Fail(kExitBadInput, "--machine-from " + *options.machineFrom + " is of " +
                                     listing.system.name + "; --os asks for another system (leave it out)");
    }
  }

  // --- The machine ------------------------------------------------------------------------
  std::vector<std::string> notes = term::CleanUpAbandonedSaves(options.machine);
  std::string why;
  const term::MachineFolderState state = term::InspectMachineFolder(options.machine, &why);
  if (state == term::MachineFolderState::kNotFolder ||
      state == term::MachineFolderState::kForeign) {
    return Fail(kExitBadInput, "--machine " + options.machine + ": " + why +
                                   "; give a new folder or one setup-sim made");
  }
  const bool existing = state == term::MachineFolderState::kMachine;
  if (existing && options.machineFrom) {
    return Fail(kExitBadInput, "--machine " + options.machine +
                                   " holds a machine already; --machine-from makes a new one: give "
                                   "a new folder");
  }
  sim::SimMachine machine(listedOs.value_or(options.os.value_or(sim::kWinXP)));
  if (existing) {
    if (!machine.Load(options.machine, &why)) {
      return Fail(kExitBadInput,
                  "--machine " + options.machine + ": cannot load the machine: " + why);
    }
    if (options.os && machine.system.os != *options.os) {
      return Fail(kExitBadInput, "--machine " + options.machine + " runs " + machine.system.name +
                                     "; --os asks for " + sim::SimSystem::For(*options.os).name +
                                     " (leave --os out, or give a new folder)");
    }
    if (machine.restartPending) {
      machine.Reboot();
      notes.push_back("restarted: the last run accepted a restart");
    }
    bool repowered = false;
    for (const auto& printer : machine.usb.bus)
      repowered = repowered || (printer && printer->pendingNumber);
    if (repowered) {
      machine.usb.PowerCycle();
      notes.push_back(
          "USB printers switched off and on: the device numbers written last time apply");
    }
    machine.files.UnmountDrive(kDistributionDrive);
  } else {
    // The USB interface library in the system folder, where the wizard's
    // search for it ends up whatever the distribution holds.
    machine.InstallUsbLibrary(machine.system.systemDirectory);
  }
  if (options.usb) {
    Attach(machine, *options.usb);
    if (existing) notes.push_back("USB printers attached as --usb says");
  }
  if (!machine.MountDistribution(dist, kDistributionDrive)) {
    return Fail(kExitBadInput, "--dist " + options.dist + ": cannot read the files in it");
  }
  if (machine.files.Find(std::string(1, kDistributionDrive) + ":\\DRVCONFIG\\setup.ini") ==
      nullptr) {
    return Fail(kExitBadInput, "--dist " + options.dist +
                                   ": not a driver distribution (no DRVCONFIG/setup.ini in it)");
  }
  machine.ui.script.clear();
  if (options.machineFrom) {
    const std::string mismatch = term::ListingFamilyMismatch(
        listing, ReadFamily(machine, listing.system.target < 0 ? 0 : listing.system.target));
    if (!mismatch.empty()) {
      return Fail(kExitBadInput, "--machine-from " + *options.machineFrom + ": " + mismatch);
    }
    for (const std::string& note : term::BuildFromListing(listing, machine)) notes.push_back(note);
    notes.insert(notes.begin(), "made from the listing " + *options.machineFrom);
  }
  sim::DeclareFamilyMonitorPorts(machine);

  // Listed without a script: nothing runs, and a machine loaded is left as
  // it was (one made from a listing is kept).
  if (!options.script && !options.removal.Given() && options.list) {
    const inventory::CommandOutput listed =
        inventory::RunList(machine, options.format.value_or("text"));
    std::cout << listed.out << std::flush;
    std::cerr << listed.err;
    if (options.machineFrom && listed.exitCode != kExitBadInput) {
      machine.files.UnmountDrive(kDistributionDrive);
      std::string error;
      if (!term::SaveMachineAtomically(machine, options.machine, error)) {
        return Fail(kExitNotSaved, "--machine " + options.machine + ": " + error);
      }
    }
    return listed.exitCode;
  }
  if (!options.script && !options.removal.Given() && options.machineFrom) {
    // Made, and kept: nothing runs on it.
    std::cout << "Machine: " << machine.system.name << ", new in " << options.machine << "\n";
    for (const std::string& note : notes) std::cout << "  " << note << "\n";
    machine.files.UnmountDrive(kDistributionDrive);
    std::string error;
    if (!term::SaveMachineAtomically(machine, options.machine, error)) {
      return Fail(kExitNotSaved, "--machine " + options.machine + ": " + error);
    }
    std::cout << "Machine saved in " << options.machine << "\n";
    return 0;
  }

  std::ostringstream heading;
  heading << "Machine: " << machine.system.name << ", " << (existing ? "loaded from " : "new in ")
          << options.machine << "\n";
  for (const std::string& note : notes) heading << "  " << note << "\n";
  heading << "Distribution: " << dist << " as " << kDistributionDrive << ":\\ (read-only)\n"
          << "USB printers: " << UsbSummary(machine) << "\n";
  const bool headingFirst = options.script || options.removal.Given();
  if (headingFirst) std::cout << heading.str() << std::flush;

  // --- The wizard ---------------------------------------------------------------------------
  const term::MachineSnapshot before = term::TakeSnapshot(machine);
  std::string outcome;
  HeadlessUi ui;
  std::optional<install::UnattendedResult> unattended;
  std::optional<int> removalCode;
  try {
    if (options.removal.Given()) {
      // --- Removal and repair, as setup-install.exe does them ----------------------
      term::SimScriptedHost host(machine);
      if (options.removal.kind == install::RemovalCommand::Kind::kRepair) {
        removalCode = install::RunRepair(machine, host, steps, *options.script, std::cout).exitCode;
      } else {
        removal::RemovalRequest request;
        request.printers = options.removal.printers;
        request.all = options.removal.kind == install::RemovalCommand::Kind::kRemoveAll;
        const removal::RemovalOutcome removed = install::RunRemoval(machine, request, std::cout);
        std::cout << removal::FormatRemoval(removed);
        removalCode = removed.exitCode;
      }
      if (*removalCode == removal::kExitNothingRemoved) {
        std::cout << "setup-sim: the machine in " << options.machine << " is left as it was\n";
        return *removalCode;
      }
      outcome = options.removal.script.empty() ? "removal" : "repair";
    } else if (options.exitCodes) {
      term::SimScriptedHost host(machine);
      unattended = install::RunUnattended(machine, host, steps, *options.script, std::cout);
      std::cout << install::FormatResult(*unattended);
      if (unattended->exitCode == install::kExitNothingInstalled) {
        std::cout << "setup-sim: the machine in " << options.machine << " is left as it was\n";
        return unattended->exitCode;
      }
      outcome = "finished";
    } else if (options.script) {
      term::SimScriptedHost host(machine);
      term::ScriptRunner runner(ui, host, steps, *options.script, std::cout);
      CSetupApp app(ui, machine);
      app.Run();
      outcome = runner.Outcome();
    } else {
      term::RawTerminal terminal(0, terminalFd);
      if (!terminal.Ok()) return Fail(kExitBadInput, terminal.Error());
      term::TerminalDriver::Options look;
      look.color = std::getenv("NO_COLOR") == nullptr;
      look.unicode = LocaleIsUtf8();
      term::TerminalDriver driver(ui, machine, terminal, look);
      CSetupApp app(ui, machine);
      app.Run();
      outcome = driver.Outcome();
    }
  } catch (const std::exception& e) {
    std::cout << std::flush;
    return Fail(kExitFailed, std::string(e.what()) + "\nsetup-sim: the machine in " +
                                 options.machine + " is left as it was");
  }

  // --- What changed, and the machine kept -----------------------------------------------------
  // On a terminal the report is wrapped to its width; when it is longer
  // than the terminal, its head says where the whole of it is kept.
  const term::InstallReport report(before, machine);
  const std::string title = removalCode ? "== What the " + outcome + " changed"
                                        : "== What the install changed (wizard " + outcome + ")";
  const std::string reportFile = (fs::path(options.machine) / kReportFileName).string();
  const std::string full = report.Format(title);
  std::string shown = full;
  winsize size{};
  if (::isatty(1) && ::ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    shown = report.Format(title, size.ws_col);
    const std::string head = heading.str();
    const auto lines = std::count(shown.begin(), shown.end(), '\n') +
                       std::count(head.begin(), head.end(), '\n');
    if (size.ws_row > 0 && lines >= size.ws_row) {
      shown = report.Format(title + "\n(longer than the terminal: the whole report is in " +
                                reportFile + ")",
                            size.ws_col);
    }
  }
  std::cout << (headingFirst ? "" : heading.str()) << shown;
  std::optional<inventory::CommandOutput> listed;
  if (options.list) listed = inventory::RunList(machine, options.format.value_or("text"));
  machine.files.UnmountDrive(kDistributionDrive);
  std::string error;
  if (!term::SaveMachineAtomically(machine, options.machine, error)) {
    return Fail(kExitNotSaved, "--machine " + options.machine + ": " + error);
  }
  // Beside the machine it describes; the next save replaces the folder, and
  // the next report with it.
  std::ofstream(reportFile, std::ios::binary) << heading.str() << full;
  std::cout << "Machine saved in " << options.machine << "; this report in " << reportFile << "\n";
  if (listed) {
    std::cout << listed->out << std::flush;
    std::cerr << listed->err;
    if (listed->exitCode != 0) return listed->exitCode;
  }
  if (removalCode) return *removalCode;
  return unattended ? unattended->exitCode : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = ParseOptions(argc, argv, options); status != 0)
    return status < 0 ? 0 : status;
  // Whatever goes wrong ends here with a message, never with an abort: the
  // machine folder is only ever replaced at the end of Run.
  try {
    return Run(options);
  } catch (const std::exception& e) {
    std::cout << std::flush;
    return Fail(kExitFailed, std::string(e.what()) + "\nsetup-sim: the machine in " +
                                 options.machine + " is left as it was");
  }
}
