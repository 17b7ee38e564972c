// fuzz_script: setup-sim's script reader (tools/setup_sim/ScriptRunner) on
// any text, and the scripts it takes run against the wizard.
//
// The text is read as a script. A script refused must be refused with its
// name and line; one taken must read back the same from its steps' own
// lines. A taken script of up to 40 steps then drives the wizard on a fresh
// simulated Windows XP machine with the example distribution as drive D:
// and a USB printer attached, as setup-sim runs it. The run may end with a
// ScriptError (a step that cannot be done) or with the wizard closed;
// anything else it throws is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "app/CSetupApp.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "script/ScriptRunner.h"
#include "tools/setup_sim/SimScriptedHost.h"
#include "ui/headless/HeadlessUi.h"

namespace {

using namespace setwell;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_script: %s\n", what.c_str());
  std::abort();
}

bool SameSteps(const std::vector<term::ScriptStep>& a, const std::vector<term::ScriptStep>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].verb != b[i].verb || a[i].argument != b[i].argument || a[i].text != b[i].text) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<term::ScriptStep> steps;
  std::string error;
  if (!term::ParseScript(text, "fuzz.txt", steps, error)) {
    if (error.rfind("fuzz.txt line ", 0) != 0) Fail("a script refused without its line: " + error);
    return 0;
  }
  int line = 0;
  std::string again;
  for (const term::ScriptStep& step : steps) {
    if (step.line <= line) Fail("steps out of line order");
    line = step.line;
    if (step.text.empty() || step.text.find('\n') != std::string::npos) Fail("a step's text is not one line");
    again += step.text + "\n";
  }
  std::vector<term::ScriptStep> reread;
  if (!term::ParseScript(again, "again.txt", reread, error)) {
    Fail("the steps' own lines are refused: " + error);
  }
  if (!SameSteps(steps, reread)) Fail("the steps' own lines read as other steps");
  if (steps.size() > 40) return 0;

  sim::SimMachine machine(sim::kWinXP);
  machine.InstallUsbLibrary(machine.system.systemDirectory);
  machine.usb.Attach(0, 9);
  if (!machine.MountDistribution(SETWELL_SOURCE_DIR "/examples/distribution")) {
    Fail("cannot mount the example distribution");
  }
  sim::DeclareFamilyMonitorPorts(machine);
  std::ostringstream out;
  HeadlessUi ui;
  try {
    term::SimScriptedHost host(machine);
    term::ScriptRunner runner(ui, host, steps, "fuzz.txt", out);
    CSetupApp app(ui, machine);
    app.Run();
  } catch (const term::ScriptError&) {
    // A step that cannot be done: setup-sim says so and stops.
  } catch (const std::exception& e) {
    Fail(std::string("the run threw: ") + e.what());
  }
  return 0;
}
