#include "tools/setup_sim/SimScriptedHost.h"

namespace setwell::term {

std::string SimScriptedHost::ResolvePath(const std::string& file) const {
  std::string path = file.rfind(".\\", 0) == 0 ? file.substr(2) : file;
  if (path.size() < 2 || path[1] != ':') path = machine_.currentDirectory + path;
  return path;
}

ScriptRunner::ScriptRunner(HeadlessUi& ui, sim::SimMachine& machine, std::vector<ScriptStep> steps,
                           std::string scriptName, std::ostream& out)
    : ScriptRunner(ui, *new SimScriptedHost(machine), std::move(steps), std::move(scriptName),
                   out) {
  ownHost_.reset(&host_);
}

}  // namespace setwell::term
