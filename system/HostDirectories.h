// The host's own directories, each asked for into a buffer of the size the
// host's directory calls are given (256 bytes: paths of up to 255
// characters). Nothing when the host cannot give the directory or its path
// does not fit.
#pragma once

#include <optional>
#include <string>

#include "system/Platform.h"

namespace setwell {

inline constexpr DWORD kHostPathBuffer = 256;

namespace detail {
// Calls ask(buffer, size) and keeps its answer when it is a length that fit.
template <typename Ask>
std::optional<std::string> AskForDirectory(Ask ask) {
  char buffer[kHostPathBuffer] = {};
  const auto length = static_cast<DWORD>(ask(buffer, kHostPathBuffer));
  if (length == 0 || length >= kHostPathBuffer) return std::nullopt;
  return std::string(buffer, length);
}
}  // namespace detail

inline std::optional<std::string> SystemDirectory(Platform& platform) {
  return detail::AskForDirectory(
      [&](char* buffer, DWORD size) { return platform.GetSystemDirectoryA(buffer, size); });
}

inline std::optional<std::string> WindowsDirectory(Platform& platform) {
  return detail::AskForDirectory(
      [&](char* buffer, DWORD size) { return platform.GetWindowsDirectoryA(buffer, size); });
}

inline std::optional<std::string> CurrentDirectory(Platform& platform) {
  return detail::AskForDirectory(
      [&](char* buffer, DWORD size) { return platform.GetCurrentDirectoryA(size, buffer); });
}

}  // namespace setwell
