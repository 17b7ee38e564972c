#include "sim/HostFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "sim/SimFileSystem.h"
#include "system/AsciiCase.h"

namespace setwell::sim {
namespace {

namespace fs = std::filesystem;

}  // namespace

std::string ResolveHostPathNoCase(const std::string& path) {
  std::error_code error;
  if (path.empty()) return {};
  if (fs::exists(path, error)) return path;
  fs::path input(path);
  fs::path resolved = input.has_root_path() ? input.root_path() : fs::path(".");
  for (const fs::path& part : input.relative_path()) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      resolved /= part;
      continue;
    }
    fs::path exact = resolved / part;
    if (fs::exists(exact, error)) {
      resolved = exact;
      continue;
    }
    bool found = false;
    for (fs::directory_iterator it(resolved, error), end; !error && it != end; it.increment(error)) {
      if (EqualsNoCase(it->path().filename().string(), name)) {
        resolved = it->path();
        found = true;
        break;
      }
    }
    if (!found) return {};
  }
  return resolved.string();
}

bool ReadHostFileNoCase(const std::string& path, std::string& contents) {
  const std::string resolved = ResolveHostPathNoCase(path);
  if (resolved.empty()) return false;
  std::error_code error;
  if (!fs::is_regular_file(resolved, error)) return false;
  std::ifstream in(resolved, std::ios::binary);
  if (!in) return false;
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  contents = std::move(data);
  return true;
}

}  // namespace setwell::sim
