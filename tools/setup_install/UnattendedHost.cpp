#include "tools/setup_install/UnattendedHost.h"

#include <windows.h>

namespace setwell::install {

int UnattendedHost::MessageBoxA(const char* text, const char* caption, UINT type) {
  return boxes_.Show(text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

// No window of ours is ever on the screen, so there is none to find.
WindowHandle UnattendedHost::FindWindowA(const char*, const char*) { return nullptr; }
bool UnattendedHost::ActivateWindow(WindowHandle) { return false; }

bool UnattendedHost::ShellOpen(const char* file, int) {
  opened_.emplace_back(file != nullptr ? file : "");
  return true;
}

void UnattendedHost::Sleep(DWORD milliseconds) {
  paused_ += milliseconds;
  Win32Platform::Sleep(milliseconds);
}

std::string UnattendedHost::ResolvePath(const std::string& file) const {
  char full[MAX_PATH] = {};
  const DWORD length = ::GetFullPathNameA(file.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full, length) : file;
}

bool UnattendedHost::FileExists(const std::string& path) const {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace setwell::install
