// setup-install.exe: the wizard's own install, unattended, for deployment
// tools. Started from the driver distribution folder like Setup.exe:
//
//   setup-install.exe SCRIPT [--log FILE]
//
// SCRIPT is a setup-sim script: the steps a person takes in the wizard. The
// program runs the wizard itself (frame, pages, install sequence) over the
// real host with in-memory dialogs instead of windows; message boxes are
// written out with their answers instead of shown. Exit codes: see
// UnattendedInstall.h; 2 also for bad arguments, an unreadable script and a
// folder that is no distribution, with nothing changed.
#include <windows.h>

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "tools/setup_install/UnattendedHost.h"
#include "script/UnattendedInstall.h"

namespace {

using setwell::install::kExitNothingInstalled;

constexpr char kUsage[] =
    "usage: setup-install.exe SCRIPT [--log FILE]\n"
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
    "  answer yes|no                     the question the step before asks\n"
    "  about | help | show\n"
    "The restart question of Windows 98/Me, unanswered, is taken as No; any other\n"
    "question must be answered.\n"
    "\n"
    "Exit codes: 0 installed; 3010 installed, restart needed; 1641 installed,\n"
    "restarting; 1 the install failed (an error was shown); 2 nothing installed\n"
    "(bad arguments, an unreadable script, a step the wizard refuses, a question\n"
    "not answered, a script that does not reach Finish).\n";

// Writes to standard output and, when open, to the log file, where each
// line begins with the local date and time.
class TeeBuffer : public std::streambuf {
 public:
  ~TeeBuffer() override {
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
    const char byte = static_cast<char>(c);
    std::fputc(byte, stdout);
    if (log_ != INVALID_HANDLE_VALUE) {
      if (atLineStart_) WriteLog(Stamp());
      if (byte == '\n') {
        WriteLog("\r\n");
      } else {
        WriteLog(std::string(1, byte));
      }
    }
    atLineStart_ = byte == '\n';
    return c;
  }
  int sync() override {
    std::fflush(stdout);
    return 0;
  }

 private:
  static std::string Stamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u  ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
  }
  void WriteLog(const std::string& text) {
    DWORD written = 0;
    ::WriteFile(log_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  HANDLE log_ = INVALID_HANDLE_VALUE;
  bool atLineStart_ = true;
};

int Refuse(std::ostream& out, const std::string& why) {
  out << "setup-install: " << why << "\n"
      << "exit code " << kExitNothingInstalled << ": nothing installed\n";
  out.flush();
  return kExitNothingInstalled;
}

std::string FolderOfProgram() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  const std::size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  TeeBuffer buffer;
  std::ostream out(&buffer);
  std::string script;
  std::string log;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      out << kUsage;
      out.flush();
      return 0;
    }
    if (arg == "--log") {
      if (i + 1 >= argc) return Refuse(out, std::string("--log needs a file name\n") + kUsage);
      log = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Refuse(out, "unknown option " + arg + "\n" + kUsage);
    } else if (script.empty()) {
      script = arg;
    } else {
      return Refuse(out, "one script only (" + script + ", then " + arg + ")\n" + kUsage);
    }
  }
  if (script.empty()) return Refuse(out, std::string("no script given\n") + kUsage);
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

  // The configuration is read beside the program, as Setup.exe reads it.
  const std::string folder = FolderOfProgram();
  const std::string general = folder + "DRVCONFIG\\setup.ini";
  const DWORD attributes = ::GetFileAttributesA(general.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Refuse(out, folder + " is not a driver distribution (no DRVCONFIG\\setup.ini in it)");
  }

  const DWORD started = ::GetTickCount();
  char current[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, current);
  out << "setup-install: " << script << " on the distribution in " << folder
      << " (current directory " << current << ")\n";
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
