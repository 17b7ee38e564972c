// Host files named without regard to letter case, as Windows names them, on a
// file system that tells cases apart.
#pragma once

#include <string>

namespace setwell::sim {

class SimFileSystem;

// The existing host path that matches `path` component by component without
// regard to ASCII letter case (an exact match is preferred); empty when
// there is none.
std::string ResolveHostPathNoCase(const std::string& path);

// Reads a whole host file found by ResolveHostPathNoCase.
bool ReadHostFileNoCase(const std::string& path, std::string& contents);

// Reads a whole regular host file. False, with the reason in `why`, for
// anything else: a missing file, a folder, a file that cannot be read. Never
// throws (the C++ library throws when reading a folder fails).
bool ReadHostFile(const std::string& path, std::string& contents, std::string* why = nullptr);

}  // namespace setwell::sim
