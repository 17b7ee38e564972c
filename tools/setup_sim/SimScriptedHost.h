// The simulated machine as the scripted wizard's host (setup-sim and its
// tests); apart from the runner, so that the Windows programs that drive the
// wizard by script do not carry the simulated machine.
#pragma once

#include <string>

#include "sim/SimMachine.h"
#include "script/ScriptRunner.h"

namespace setwell::term {

// The simulated machine as a scripted host.
class SimScriptedHost : public ScriptedHost {
 public:
  explicit SimScriptedHost(sim::SimMachine& machine) : machine_(machine) {}
  MessageBoxRecorder& MessageBoxes() override { return machine_.ui; }
  std::size_t ShellOpenCount() const override { return machine_.shellOpened.size(); }
  std::string LastShellOpened() const override {
    return machine_.shellOpened.empty() ? std::string() : machine_.shellOpened.back();
  }
  std::string ResolvePath(const std::string& file) const override;
  bool FileExists(const std::string& path) const override {
    return machine_.files.Find(path) != nullptr;
  }

 private:
  sim::SimMachine& machine_;
};

}  // namespace setwell::term
