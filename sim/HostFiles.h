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

}  // namespace setwell::sim
