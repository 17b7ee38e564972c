// setup-install.exe: the wizard's own install, unattended, for deployment
// tools. Started from the driver distribution folder like Setup.exe:
//
//   setup-install.exe SCRIPT [--log FILE]
//   setup-install.exe --list [--format text|json] [--log FILE]
//   setup-install.exe --detect PRINTER [--version N]
//
// SCRIPT is a setup-sim script: the steps a person takes in the wizard. The
// program runs the wizard itself (frame, pages, install sequence) over the
// real host with in-memory dialogs instead of windows; message boxes are
// written out with their answers instead of shown. Exit codes: see
// UnattendedInstall.h; 2 also for bad arguments, an unreadable script and a
// folder that is no distribution, with nothing changed.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "inventory/Commands.h"
#include "tools/setup_install/UnattendedHost.h"
#include "script/UnattendedInstall.h"
#include "script/UnattendedRemoval.h"

namespace {

using setwell::install::kExitNothingInstalled;

constexpr char kUsage[] =
    "usage: setup-install.exe SCRIPT [--log FILE]\n"
    "       setup-install.exe --list [--format text|json] [--log FILE]\n"
    "       setup-install.exe --detect PRINTER [--version N]\n"
    "       setup-install.exe --remove PRINTER... | --remove-all | --repair SCRIPT [--log FILE]\n"
    "\n"
    "Installs a printer unattended: runs the setup wizard of the distribution this\n"
    "program is in, driven by the steps of SCRIPT, with no window and no message\n"
    "box on the screen. Each message is written out with its answer; --log writes\n"
    "the same, each line with its time, to FILE.\n"
    "\n"
    "Script steps, one a line (\"#\" starts a comment):\n"
    "  accept | reject                   the licence agreement\n"
    "  next | back | finish | cancel     the wizard's buttons\n"
    "  category receipt|ticket|label|embedded\n"
    "  model NAME                        a model of the distribution\n"
    "  default-printer on|off            \"Set As Default Printer\"\n"
    "  typical | advanced                the setup type\n"
    "  port NAME                         a port of the port page's list\n"
    "  baud N | parity NAME | bytesize N | stopbits N | protocol NAME\n"
    "  raster on|off                     \"Raster Graphic Printing\" (advanced)\n"
    "  answer rename yes|no              \"This application will change printer name\"\n"
    "  answer restart yes|no             \"Restart the computer ...\" (Windows 98/Me)\n"
    "  about | help | show\n"
    "Answers follow the step that makes the program ask (finish), in any order.\n"
    "A plain \"answer yes|no\" takes the next question but never the restart\n"
    "question: the computer restarts only on \"answer restart yes\". The restart\n"
    "question, unanswered, is taken as No; the rename question must be answered.\n"
    "An answer no question took is named in the log and changes nothing.\n"
    "\n"
    "Exit codes, from how the wizard ended and what the host holds afterwards:\n"
    "0 installed; 3010 installed, restart needed; 1641 installed, restarting;\n"
    "1 the install failed (it stopped with an error, or a part of it is missing\n"
    "when the host is asked afterwards); 2 nothing installed (bad arguments, an\n"
    "unreadable script, no distribution in the current directory, a step the\n"
    "wizard refuses, a question not answered, a script that does not reach Finish).\n"
    "\n"
    "--list shows what of this distribution's family the machine holds: printers,\n"
    "drivers and their files, monitors, the print processor, ports, records and\n"
    "serial line settings (--format json: for a program, and for setup-sim\n"
    "--machine-from). Exit code 0 listed, 1 the host left a part unanswered, 2\n"
    "no distribution in the current directory.\n"
    "--detect PRINTER, for a deployment tool's detection rule, needs no more than\n"
    "this program: the printer there with its driver and port (and with --version,\n"
    "the version its components record at least N) prints one line, exit code 0;\n"
    "not there prints nothing, exit code 0; 2 with the reason when it cannot tell.\n";

// Writes to standard output and, when open, to the log file, a line at a
// time: each line goes out whole as soon as it ends, to the console and to
// the log (after the local date, time and UTC offset), so a run that dies
// loses no line it has printed.
class TeeBuffer : public std::streambuf {
 public:
  ~TeeBuffer() override {
    sync();
    if (log_ != INVALID_HANDLE_VALUE) ::CloseHandle(log_);
  }
  bool OpenLog(const std::string& path) {
    log_ = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return log_ != INVALID_HANDLE_VALUE;
  }

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    line_ += static_cast<char>(c);
    if (c == '\n') EmitLine();
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    for (std::streamsize i = 0; i < count; ++i) overflow(static_cast<unsigned char>(text[i]));
    return count;
  }
  int sync() override {
    // A line not yet ended is written as it stands, ended.
    if (!line_.empty()) {
      line_ += '\n';
      EmitLine();
    }
    return 0;
  }

 private:
  void EmitLine() {
    std::fwrite(line_.data(), 1, line_.size(), stdout);
    std::fflush(stdout);
    if (log_ != INVALID_HANDLE_VALUE) {
      std::string entry = Stamp() + line_.substr(0, line_.size() - 1) + "\r\n";
      DWORD written = 0;
      ::WriteFile(log_, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    }
    line_.clear();
  }
  static std::string Stamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    // Local time is UTC minus the bias, in minutes, with daylight saving's
    // own bias when it is in force.
    TIME_ZONE_INFORMATION zone{};
    const DWORD kind = ::GetTimeZoneInformation(&zone);
    long bias = zone.Bias;
    if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    const long offset = kind == TIME_ZONE_ID_INVALID ? 0 : -bias;
    const long magnitude = offset < 0 ? -offset : offset;
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u %c%02ld:%02ld  ",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                  now.wMilliseconds, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
  }

  HANDLE log_ = INVALID_HANDLE_VALUE;
  std::string line_;
};

// Whether two paths name one file: the full paths, letter case aside.
bool SameFile(const std::string& a, const std::string& b) {
  char fullA[MAX_PATH] = {};
  char fullB[MAX_PATH] = {};
  const DWORD lengthA = ::GetFullPathNameA(a.c_str(), MAX_PATH, fullA, nullptr);
  const DWORD lengthB = ::GetFullPathNameA(b.c_str(), MAX_PATH, fullB, nullptr);
  if (lengthA == 0 || lengthA >= MAX_PATH || lengthB == 0 || lengthB >= MAX_PATH) return a == b;
  return ::lstrcmpiA(fullA, fullB) == 0;
}

// A line for standard error, written whole.
void Complain(const std::string& text) {
  const std::string line = "setup-install: " + text;
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

int Refuse(std::ostream& out, const std::string& why) {
  out << "setup-install: " << why << "\n"
      << "exit code " << kExitNothingInstalled << ": nothing installed\n";
  out.flush();
  return kExitNothingInstalled;
}

}  // namespace

int main(int argc, char** argv) {
  // No box of the system's may wait for a person: a missing disk, a file
  // that cannot be opened, a loader fault are failures to report.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  TeeBuffer buffer;
  std::ostream out(&buffer);
  std::string script;
  std::string log;
  bool list = false;
  std::optional<std::string> format;
  std::optional<std::string> detect;
  std::optional<std::string> version;
  setwell::install::RemovalCommand removal;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      out << kUsage << "\nRemoval and repair, instead of an install:\n"
          << setwell::install::kRemovalUsage;
      out.flush();
      return 0;
    }
    // --- Removal and repair (script/UnattendedRemoval.h) ---------------------------
    if (std::string error; setwell::install::TakeRemovalOption(argc, argv, i, removal, error)) {
      if (!error.empty()) return Refuse(out, error + "\n" + kUsage);
      continue;
    }
    if (arg == "--list") {
      list = true;
    } else if (arg == "--log" || arg == "--format" || arg == "--detect" || arg == "--version") {
      if (i + 1 >= argc) return Refuse(out, arg + " needs a value\n" + kUsage);
      const std::string value = argv[++i];
      if (arg == "--log") log = value;
      if (arg == "--format") format = value;
      if (arg == "--detect") detect = value;
      if (arg == "--version") version = value;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Refuse(out, "unknown option " + arg + "\n" + kUsage);
    } else if (script.empty()) {
      script = arg;
    } else {
      return Refuse(out, "one script only (" + script + ", then " + arg + ")\n" + kUsage);
    }
  }
  const int modes = (script.empty() ? 0 : 1) + (list ? 1 : 0) + (detect ? 1 : 0) +
                    (removal.Given() ? 1 : 0);
  if (modes > 1) {
    return Refuse(out, std::string("a script, --list, --detect or a removal: one of them\n") + kUsage);
  }
  if (format && !list) return Refuse(out, "--format goes with --list");
  if (version && !detect) return Refuse(out, "--version goes with --detect");

  if (detect) {
    // Standard output is the detection's answer alone: no log, no heading.
    if (!log.empty()) return Refuse(out, "--detect writes no log: its answer is its output");
    std::optional<DWORD> minimum;
    if (version) {
      DWORD parsed = 0;
      std::string error;
      if (!setwell::inventory::ParseMinimumVersion(*version, parsed, error)) {
        Complain(error + "\n");
        return kExitNothingInstalled;
      }
      minimum = parsed;
    }
    setwell::install::UnattendedHost host;
    const setwell::inventory::CommandOutput result =
        setwell::inventory::RunDetect(host, *detect, minimum);
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    if (!result.err.empty()) Complain(result.err);
    return result.exitCode;
  }
  if (list) {
    if (!log.empty() && !buffer.OpenLog(log)) {
      return Refuse(out, "--log " + log + ": cannot write it (error " +
                             std::to_string(::GetLastError()) + ")");
    }
    setwell::install::UnattendedHost host;
    const setwell::inventory::CommandOutput result =
        setwell::inventory::RunList(host, format.value_or("text"));
    out << result.out;
    out.flush();
    if (!result.err.empty()) Complain(result.err);
    return result.exitCode;
  }
  // --- Removal and repair, instead of an install -----------------------------------
  if (removal.Given()) {
    if (!script.empty()) {
      return Refuse(out, script + ": a script is for an install; --repair takes the script of "
                                  "the install it repairs");
    }
    if (!log.empty() && !removal.script.empty() && SameFile(log, removal.script)) {
      return Refuse(out, "--log " + log + " is the script itself; name another file for the log");
    }
    if (!log.empty() && !buffer.OpenLog(log)) {
      return Refuse(out, "--log " + log + ": cannot write it (error " +
                             std::to_string(::GetLastError()) + ")");
    }
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    out << "setup-install: " << (removal.script.empty() ? "removal" : "repair with " + removal.script)
        << " (current directory " << folder << ")\n";
    setwell::install::UnattendedHost host;
    return setwell::install::RunRemovalCommand(host, host, removal, out);
  }
  if (script.empty()) return Refuse(out, std::string("no script given\n") + kUsage);
  if (!log.empty() && SameFile(log, script)) {
    return Refuse(out, "--log " + log + " is the script itself; name another file for the log");
  }
  if (!log.empty() && !buffer.OpenLog(log)) {
    return Refuse(out, "--log " + log + ": cannot write it (error " +
                           std::to_string(::GetLastError()) + ")");
  }

  setwell::install::UnattendedHost host;
  std::string text;
  if (!host.ReadWholeFile(script.c_str(), text)) {
    return Refuse(out, script + ": cannot read it (error " + std::to_string(host.GetLastError()) +
                           ")");
  }
  std::vector<setwell::term::ScriptStep> steps;
  std::string error;
  if (!setwell::term::ParseScript(text, script, steps, error)) return Refuse(out, error);

  const DWORD started = ::GetTickCount();
  char current[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, current);
  char program[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  out << "setup-install: " << script << " with " << program << " (current directory " << current
      << ")\n";
  const setwell::install::UnattendedResult result =
      setwell::install::RunUnattended(host, host, std::move(steps), script, out);
  out << setwell::install::FormatResult(result);
  // How long the run took, and how much of it the install's own pauses
  // (scripts/bench reads this line).
  out << "time: " << (::GetTickCount() - started) << " ms, of which " << host.PausedMs()
      << " ms the install's fixed pauses\n";
  out.flush();
  return result.exitCode;
}
