// profile-get-win32 FILE SECTION KEY [LIMIT]
// profile-get-win32 --batch QUERIES
//
// Prints what the host's GetPrivateProfileStringA returns for SECTION and KEY
// of FILE, with a buffer of LIMIT + 1 bytes (default 199 characters) and the
// default "0": the value's bytes, then a newline. The twin of the Linux tool
// profile-get, for comparing our reader with the host's.
//
// With --batch, QUERIES is a file of queries, each made of four fields that
// end in a NUL byte: file, section, key, limit. One line is printed per query,
// in order. The batch form exists because the command line of a Windows
// program reaches it through the ANSI code page: names with bytes that are
// not valid text on the Unix side (cp1252 letters, control bytes) survive
// only in a file. One process for many queries also keeps Wine start-up out
// of the loop.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool ParseLimit(const char* text, unsigned long& limit) {
  char* end = nullptr;
  limit = std::strtoul(text, &end, 10);
  return end != text && *end == '\0';
}

// Prints one answer; false when the file name cannot be made absolute (the
// host would look for a relative name in the Windows directory).
bool PrintValue(const char* file, const char* section, const char* key, unsigned long limit) {
  char full[MAX_PATH];
  if (GetFullPathNameA(file, MAX_PATH, full, nullptr) == 0) return false;
  std::vector<char> buffer(limit + 1, '\0');
  DWORD length = GetPrivateProfileStringA(section, key, "0", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), full);
  std::fwrite(buffer.data(), 1, length, stdout);
  std::fputc('\n', stdout);
  return true;
}

bool ReadWholeFile(const char* path, std::string& contents) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return false;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) contents.append(chunk, got);
  bool ok = !std::ferror(in);
  std::fclose(in);
  return ok;
}

int RunBatch(const char* program, const char* queriesPath) {
  std::string queries;
  if (!ReadWholeFile(queriesPath, queries)) {
    std::fprintf(stderr, "%s: cannot read %s\n", program, queriesPath);
    return 2;
  }
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t nul; (nul = queries.find('\0', start)) != std::string::npos; start = nul + 1) {
    fields.push_back(queries.substr(start, nul - start));
  }
  if (start != queries.size() || fields.size() % 4 != 0) {
    std::fprintf(stderr, "%s: %s is not a list of four-field queries\n", program, queriesPath);
    return 2;
  }
  for (std::size_t i = 0; i < fields.size(); i += 4) {
    unsigned long limit = 0;
    if (!ParseLimit(fields[i + 3].c_str(), limit)) {
      std::fprintf(stderr, "%s: query %u: bad limit\n", program, static_cast<unsigned>(i / 4 + 1));
      return 2;
    }
    if (!PrintValue(fields[i].c_str(), fields[i + 1].c_str(), fields[i + 2].c_str(), limit)) {
      return 3;
    }
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc == 3 && std::string(argv[1]) == "--batch") return RunBatch(argv[0], argv[2]);
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: %s FILE SECTION KEY [LIMIT]\n       %s --batch QUERIES\n",
                 argv[0], argv[0]);
    return 2;
  }
  unsigned long limit = 199;
  if (argc == 5 && !ParseLimit(argv[4], limit)) {
    std::fprintf(stderr, "%s: LIMIT must be a number of characters\n", argv[0]);
    return 2;
  }
  return PrintValue(argv[1], argv[2], argv[3], limit) ? 0 : 3;
}
