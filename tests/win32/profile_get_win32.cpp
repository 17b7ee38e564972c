// profile-get-win32 FILE SECTION KEY [LIMIT]
//
// Prints what the host's GetPrivateProfileStringA returns for SECTION and KEY
// of FILE, with a buffer of LIMIT + 1 bytes (default 199 characters) and the
// default "0": the value's bytes, then a newline. The twin of the Linux tool
// profile-get, for comparing our reader with the host's.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: %s FILE SECTION KEY [LIMIT]\n", argv[0]);
    return 2;
  }
  unsigned long limit = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 199;
  char full[MAX_PATH];
  if (GetFullPathNameA(argv[1], MAX_PATH, full, nullptr) == 0) return 3;
  std::vector<char> buffer(limit + 1, '\0');
  DWORD length = GetPrivateProfileStringA(argv[2], argv[3], "0", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), full);
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(buffer.data(), 1, length, stdout);
  std::fputc('\n', stdout);
  return 0;
}
