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
  return !resolved.empty() && ReadHostFile(resolved, contents);
}

bool ReadHostFile(const std::string& path, std::string& contents, std::string* why) {
  auto fail = [&](const std::string& reason) {
    if (why != nullptr) *why = reason;
    return false;
  };
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return fail("there is no such file");
  if (error) return fail(error.message());
  if (fs::is_directory(status)) return fail("it is a folder, not a file");
  if (!fs::is_regular_file(status)) return fail("it is not a regular file");
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("it cannot be opened");
    // Straight into the string, sized by the file and grown should the file
    // grow meanwhile: a distribution of thousands of models is megabytes.
    std::string data;
    const std::uintmax_t size = fs::file_size(path, error);
    std::size_t got = 0;
    data.resize(error ? 65536 : static_cast<std::size_t>(size) + 1);
    for (;;) {
      if (got == data.size()) data.resize(data.size() * 2);
      in.read(data.data() + got, static_cast<std::streamsize>(data.size() - got));
      got += static_cast<std::size_t>(in.gcount());
      if (!in) break;
    }
    if (in.bad()) return fail("it cannot be read");
    data.resize(got);
    contents = std::move(data);
    return true;
  } catch (const std::exception& e) {
    // libstdc++'s file buffer throws when the system's read fails.
    return fail(std::string("it cannot be read: ") + e.what());
  }
}

}  // namespace setwell::sim
