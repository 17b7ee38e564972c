// startup-poller ROUNDS LABEL|TITLE|PROGRAM [LABEL|TITLE|PROGRAM ...]
//
// How long each program takes from its start to its window: starts it
// (its folder the current directory), polls for a visible top-level window
// of that title, then ends the program. The programs take turns, round by
// round, so that a busy machine weighs on each alike. Prints one line per
// program: "<label> <median ms> <min ms>", tab-separated.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Clock.h"

namespace {

double NowMs() { return setwell::bench::NowMicroseconds() / 1e3; }

struct Program {
  std::string label, title, path;
  std::vector<double> times;
};

// Milliseconds to the window, or a negative number when it did not come.
double TimeToWindow(const Program& program) {
  std::string folder = program.path.substr(0, program.path.find_last_of("\\/") + 1);
  std::string command = "\"" + program.path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = NowMs();
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return -1;
  }
  double took = -1;
  while (NowMs() - start < 30000) {
    HWND window = ::FindWindowA(nullptr, program.title.c_str());
    if (window != nullptr && ::IsWindowVisible(window)) {
      took = NowMs() - start;
      break;
    }
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    // A millisecond between looks: polling without a pause kept a processor
    // and the Wine server busy for the poller alone, and the program that
    // asks the server most (the one with more windows) waited for it most.
    ::Sleep(1);
  }
  ::TerminateProcess(process.hProcess, 0);
  ::WaitForSingleObject(process.hProcess, 10000);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ROUNDS LABEL|TITLE|PROGRAM...\n", argv[0]);
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  if (rounds <= 0) return 2;
  std::vector<Program> programs;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const std::size_t first = arg.find('|');
    const std::size_t second = first == std::string::npos ? first : arg.find('|', first + 1);
    if (second == std::string::npos) return 2;
    programs.push_back({arg.substr(0, first), arg.substr(first + 1, second - first - 1),
                        arg.substr(second + 1), {}});
  }
  for (Program& program : programs) TimeToWindow(program);  // a first start fills the caches
  for (int round = 0; round < rounds; ++round) {
    for (Program& program : programs) {
      const double took = TimeToWindow(program);
      if (took < 0) {
        std::fprintf(stderr, "%s: no window \"%s\" from %s\n", argv[0], program.title.c_str(),
                     program.path.c_str());
        return 1;
      }
      program.times.push_back(took);
    }
  }
  for (Program& program : programs) {
    std::sort(program.times.begin(), program.times.end());
    std::printf("%s\t%.1f\t%.1f\n", program.label.c_str(), program.times[program.times.size() / 2],
                program.times.front());
  }
  return 0;
}
