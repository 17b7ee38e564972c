// reader-vs-host FILE
//
// Reads the model list of a general configuration file ("DEVICENUMBER" of
// section "DEVICENAME", then every "DEVICENAME<n>") as the model page does,
// once with the host's GetPrivateProfileStringA and once with our reader
// over the same file, both settled (the file read once before), and prints
// the median of 7 rounds of each in microseconds, then the ratio:
//   host <us> reader <us> reader-parsing <us> ratio <host/reader>
// "reader-parsing" is a round that parses the file too (a first reader).
// Both readers' answers are compared; a difference is an error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Clock.h"

#include "config/IniFile.h"
#include "system/win32/Win32Platform.h"

namespace {

constexpr int kRounds = 7;

double Now() { return setwell::bench::NowMicroseconds(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<std::string> HostRound(const std::string& path) {
  char value[200];
  ::GetPrivateProfileStringA("DEVICENAME", "DEVICENUMBER", "0", value, 30, path.c_str());
  const long count = std::atol(value);
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (long n = 1; n <= count; ++n) {
    const std::string key = "DEVICENAME" + std::to_string(n);
    ::GetPrivateProfileStringA("DEVICENAME", key.c_str(), "0", value, 200, path.c_str());
    entries.emplace_back(value);
  }
  return entries;
}

// As InstallConfig reads the list: a reader that looks at the file once,
// then one lookup per entry.
std::vector<std::string> ReaderRound(setwell::Platform& platform, const std::string& path) {
  setwell::IniFileSet files(platform);
  const std::int32_t count = files.GetNumber(path, "DEVICENAME", "DEVICENUMBER", 29);
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (std::int32_t n = 1; n <= count; ++n) {
    entries.push_back(files.GetString(path, "DEVICENAME", "DEVICENAME" + std::to_string(n), 199));
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  char full[MAX_PATH];
  if (::GetFullPathNameA(argv[1], MAX_PATH, full, nullptr) == 0) return 2;
  const std::string path = full;
  setwell::Win32Platform platform;

  std::vector<double> parsing;
  for (int i = 0; i < kRounds; ++i) {
    setwell::ProfileCache::Shared().Clear();
    const double start = Now();
    ReaderRound(platform, path);
    parsing.push_back(Now() - start);
  }
  const std::vector<std::string> expected = HostRound(path);  // settles the host's cache
  if (ReaderRound(platform, path) != expected) {
    std::fprintf(stderr, "%s: our reader and the host's differ on %s\n", argv[0], full);
    return 1;
  }
  std::vector<double> host, reader;
  for (int i = 0; i < kRounds; ++i) {
    double start = Now();
    HostRound(path);
    host.push_back(Now() - start);
    start = Now();
    ReaderRound(platform, path);
    reader.push_back(Now() - start);
  }
  const double h = Median(host), r = Median(reader);
  std::printf("entries %zu host %.0f reader %.0f reader-parsing %.0f ratio %.0f\n", expected.size(), h,
              r, Median(parsing), h / r);
  return 0;
}
