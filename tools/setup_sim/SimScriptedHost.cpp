#include "tools/setup_sim/SimScriptedHost.h"

namespace setwell::term {

std::string SimScriptedHost::ResolvePath(const std::string& file) const {
  std::string path = file.rfind(".\\", 0) == 0 ? file.substr(2) : file;
  if (path.size() < 2 || path[1] != ':') path = machine_.currentDirectory + path;
  return path;
}

}  // namespace setwell::term
