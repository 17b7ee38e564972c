// reader-vs-host FILE
//
// Reads the model list of a general configuration file ("DEVICENUMBER" of
// section "DEVICENAME", then every "DEVICENAME<n>", each kept up to its
// category suffix) as the model page does,
// once with the host's GetPrivateProfileStringA and once with our reader
// over the same file, both settled (the file read once before), and prints
// the median of 15 rounds of each in microseconds, then the ratio:
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

constexpr int kRounds = 15;

double Now() { return setwell::bench::NowMicroseconds(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The model page keeps each entry up to its category suffix ("SW-R80" of
// "SW-R80-ReceiptPrinter"), the whole entry when it has none.
constexpr const char* kSuffixes[4] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter",
                                      "-EmbeddedPrinter"};
std::size_t ModelLength(std::string_view entry) {
  for (const char* suffix : kSuffixes) {
    const std::size_t at = entry.find(suffix);
    if (at != std::string_view::npos) return at;
  }
  return entry.size();
}

std::vector<std::string> HostRound(const std::string& path) {
  char value[200];
  ::GetPrivateProfileStringA("DEVICENAME", "DEVICENUMBER", "0", value, 30, path.c_str());
  const long count = std::atol(value);
  std::vector<std::string> models;
  models.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (long n = 1; n <= count; ++n) {
    const std::string key = "DEVICENAME" + std::to_string(n);
    const DWORD length =
        ::GetPrivateProfileStringA("DEVICENAME", key.c_str(), "0", value, 200, path.c_str());
    const std::string_view entry(value, length);
    models.emplace_back(entry.substr(0, ModelLength(entry)));
  }
  return models;
}

// As InstallConfig reads the list for the model page: a reader that looks at
// the file once, then one lookup per entry into the page's own buffer.
std::vector<std::string> ReaderRound(setwell::Platform& platform, const std::string& path) {
  setwell::IniFileSet files(platform);
  const std::int32_t count = files.GetNumber(path, "DEVICENAME", "DEVICENUMBER", 29);
  std::vector<std::string> models;
  models.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  std::string entry;
  for (std::int32_t n = 1; n <= count; ++n) {
    files.ReadString(path, "DEVICENAME", "DEVICENAME" + std::to_string(n), 199, entry);
    entry.resize(ModelLength(entry));
    models.push_back(entry);
  }
  return models;
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
