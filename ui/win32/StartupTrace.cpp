#include "ui/StartupTrace.h"

#ifdef SETWELL_STARTUP_TRACE

#include "system/WinTypes.h"

#include <cstdio>

namespace setwell {
namespace {

double Milliseconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e4;
}

// The file is opened at the first mark and stays open, each mark written
// through at once: a mark costs a write, not an open and a close, so that
// the marks weigh little on what they measure, and a process ended from
// outside leaves every mark it made.
struct TraceFile {
  std::FILE* file = nullptr;
  double created = 0;

  TraceFile() {
    char path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("SETWELL_STARTUP_TRACE", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    FILETIME creation{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &creation, &exited, &kernel, &user);
    created = Milliseconds(creation);
    file = std::fopen(path, "a");
  }
};

}  // namespace

void StartupMark(const char* what) {
  static TraceFile trace;
  if (trace.file == nullptr) return;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  std::fprintf(trace.file, "%.2f\t%s\n", Milliseconds(now) - trace.created, what);
  std::fflush(trace.file);
}

}  // namespace setwell

#endif
