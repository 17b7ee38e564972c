// profile-get FILE SECTION KEY [LIMIT]
//
// Prints what the installer's INI reader returns for SECTION and KEY of FILE
// (found without regard to letter case), with LIMIT the most characters kept
// (default 199) and the default "0": the value's bytes, then a newline.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/IniFile.h"
#include "sim/HostFiles.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: %s FILE SECTION KEY [LIMIT]\n", argv[0]);
    return 2;
  }
  std::size_t limit = 199;
  if (argc == 5) {
    char* end = nullptr;
    long parsed = std::strtol(argv[4], &end, 10);
    if (end == argv[4] || *end != '\0' || parsed < 0) {
      std::fprintf(stderr, "%s: LIMIT must be a number of characters\n", argv[0]);
      return 2;
    }
    limit = static_cast<std::size_t>(parsed);
  }
  std::string contents;
  setwell::IniFile file;
  if (setwell::sim::ReadHostFileNoCase(argv[1], contents)) file = setwell::IniFile(contents);
  const std::string value = file.GetString(argv[2], argv[3], limit);
  std::fwrite(value.data(), 1, value.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}
