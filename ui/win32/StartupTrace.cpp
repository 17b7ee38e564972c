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

}  // namespace

void StartupMark(const char* what) {
  FILETIME now{}, created{}, exited{}, kernel{}, user{};
  ::GetSystemTimeAsFileTime(&now);
  char path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("SETWELL_STARTUP_TRACE", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%.2f\t%s\n", Milliseconds(now) - Milliseconds(created), what);
    std::fclose(file);
  }
}

}  // namespace setwell

#endif
