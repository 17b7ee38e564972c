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

// Copies the host folder tree below `hostFolder` into `files` below the
// Windows folder `simFolder` (such as "D:\\"), each file and folder under
// the name the host spells it, so that a driver distribution on the host can
// be installed on the simulated machine. Returns the number of files copied,
// or -1 when the host folder or one of its files cannot be read.
int LoadHostFolder(const std::string& hostFolder, SimFileSystem& files,
                   const std::string& simFolder);

}  // namespace setwell::sim
