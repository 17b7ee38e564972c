#include "tools/setup_check/Rehearsal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <mutex>
#include <thread>

#include "app/InstallSequence.h"
#include "config/Family.h"
#include "removal/Removal.h"
#include "system/PortNames.h"
#include "sim/SimFamilyPorts.h"
#include "tools/setup_check/MachineContents.h"

namespace setwell::check {
namespace {

constexpr const char* kRestartQuestion = "Restart the computer";
constexpr const char* kInstalled = "Successfully installed printer driver";
constexpr const char* kPortTaken = "Maximum count of printers using the same port";
// The USB printer attached for a USB install: descriptor value 0, device
// number 1, the number of the first USB port.
constexpr WORD kUsbDescriptor = 0;
constexpr std::int32_t kCountMax = 100000;

sim::SimOs MachineFor(const std::string& os) {
  if (os == "98") return sim::kWin98;
  if (os == "me") return sim::kWinMe;
  if (os == "nt4") return sim::kWinNT4;
  if (os == "2000") return sim::kWin2000;
  if (os == "2003") return sim::kWin2003;
  return sim::kWinXP;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// One install on machine; fills outcome and messages; true when it ended
// as `expected` says.
void RunInstall(sim::SimMachine& machine, const InstallSelections& selections,
                Combination& combination, std::string& finalName) {
  machine.ui.boxes.clear();
  machine.ui.script.clear();
  if (selections.target == kWin98) machine.ui.Answer(IDNO, kRestartQuestion);
  try {
    InstallSequence sequence(machine, selections);
    const InstallOutcome outcome = sequence.Run();
    if (outcome == InstallOutcome::kCompleted) sequence.Complete();
    finalName = sequence.FinalPrinterName();
    combination.outcome = outcome == InstallOutcome::kCompleted ? "completed"
                          : outcome == InstallOutcome::kClose   ? "closed"
                                                                : "stayed open";
  } catch (const sim::UnansweredQuestion& question) {
    combination.outcome = "asked a question the wizard's user would have to answer";
  } catch (const std::exception& e) {
    combination.outcome = std::string("broke off: ") + e.what();
  }
  for (const sim::MessageBoxRecord& box : machine.ui.boxes) combination.messages.push_back(box.text);
}

}  // namespace

std::vector<InstallSelections> WizardSelections(InstallConfig& config, const ListedModel& model,
                                                std::int32_t target) {
  std::vector<InstallSelections> all;
  config.SetCategory(model.category);
  if (target == kWin2003 && config.GetModelPortSetting(model.name, "System2003Supported") == 0)
    return all;  // the frame refuses the target system page for it
  const bool advanced = config.GetModelPortSetting(model.name, "AdvancedSetup") != 0;
  const bool usb = config.GetModelPortSetting(model.name, "USBSUPPORTED") != 0 && target != kWinNT4;
  InstallSelections base;
  base.target = target;
  base.category = model.category;
  base.modelName = model.name;
  // The port page's serial settings before the user touches them, with the
  // frame's baud rate.
  base.serial.baudRate = config.GetModelPortSetting(model.name, "BaudRate");
  base.serial.byteSize = 8;
  base.serial.stopBits = 1.0;
  base.serial.parity = 'n';
  base.serial.flow = 'p';
  std::vector<std::string> ports = {target == kWin98 ? "COM1:" : "TVCOM1:", "LPT1:"};
  if (usb) ports.push_back("USB_" + model.name + "_1");
  for (const std::int32_t setupType : {kTypicalSetup, kAdvancedSetup}) {
    if (setupType == kAdvancedSetup && !advanced) continue;
    for (const std::string& port : ports) {
      const bool serial = GetPortKind(port) == PortKind::kSerial;
      // Serial ports always take the standard driver; other ports the
      // raster driver, and in advanced setup the user may untick it.
      std::vector<std::int32_t> modes = {serial ? kStandardDriver : kRasterDriver};
      if (!serial && setupType == kAdvancedSetup) modes.push_back(kStandardDriver);
      for (const std::int32_t mode : modes) {
        InstallSelections s = base;
        s.setupType = setupType;
        s.portName = port;
        s.rasterGraphics = mode;
        all.push_back(s);
      }
    }
  }
  return all;
}

namespace {

// One model on one system: the wizard's selections for it, and what their
// installs gave.
struct RehearsalJob {
  const ListedModel* model = nullptr;
  std::size_t target = 0;  // index into options.targets
  std::vector<InstallSelections> selections;
  std::vector<Combination> results;
  // Another model's install on the same system, which the removal after
  // each install must leave as it was; none when no other model installs
  // there.
  std::optional<InstallSelections> neighbour;
};

// What the machine holds after an install, for a failing one's report.
std::vector<std::string> HeldBy(const sim::SimMachine& machine) {
  std::vector<std::string> held;
  for (const sim::SimPrinter& p : machine.spooler.Printers())
    held.push_back("printer \"" + p.name + "\" on " + p.portName + ", driver \"" + p.driverName +
                   "\"" + (p.printProcessor.empty() ? "" : ", processor " + p.printProcessor));
  for (const sim::SimDriver& d : machine.spooler.Drivers())
    held.push_back("driver \"" + d.name + "\" (" + d.environment + ", " + d.driverPath + ", " +
                   std::to_string(d.dependentFiles.size()) + " dependent files)");
  for (const std::string& monitor : machine.registry.SubKeys(sim::kMonitorsKey))
    held.push_back("port monitor " + monitor);
  if (held.empty()) held.push_back("no printer, driver or port monitor");
  return held;
}

// Where the installs of one model on one system start from, with or
// without the USB printer attached: a fresh machine holding the
// distribution, and the same after the neighbour's install, each with what
// it holds. Made once for all of the job's selections, each of which
// installs on a copy. What each holds is listed when a removal is first
// found to leave something else: most never do.
struct Start {
  std::unique_ptr<sim::SimMachine> fresh;
  std::unique_ptr<sim::SimMachine> beside;  // the fresh machine when the neighbour failed
  std::string other;  // the neighbour's model; empty without it

  const MachineContents& Clean() const { return Listed(clean, *fresh); }
  const MachineContents& Before() const { return Listed(before, *beside); }

 private:
  static const MachineContents& Listed(std::optional<MachineContents>& contents,
                                       const sim::SimMachine& machine) {
    if (!contents) contents = ContentsOf(machine);
    return *contents;
  }
  mutable std::optional<MachineContents> clean;
  mutable std::optional<MachineContents> before;
};

Start MakeStart(const sim::SimMachine& base, const std::function<void(sim::SimMachine&)>& prepare,
                const std::optional<InstallSelections>& neighbour) {
  Start start;
  start.fresh = std::make_unique<sim::SimMachine>(sim::SimMachine::StateOf{base});
  prepare(*start.fresh);
  start.beside = std::make_unique<sim::SimMachine>(sim::SimMachine::StateOf{*start.fresh});
  if (neighbour) {
    Combination scratch;
    std::string name;
    RunInstall(*start.beside, *neighbour, scratch, name);
    if (scratch.outcome == "completed") {
      start.other = neighbour->modelName;
    } else {
      // Its own findings tell why; the removal is rehearsed without it.
      start.beside->CopyStateFrom(*start.fresh);
    }
  }
  return start;
}

// The removal after the install of `selections`: on a machine holding the
// neighbour's install, the install's printer is removed, which must leave
// the machine as the neighbour's install left it; then the family's
// printers all, which must leave it as it was fresh.
std::vector<std::string> RehearseRemoval(const Start& start, const InstallSelections& selections,
                                         const Family& family) {
  std::vector<std::string> problems;
  auto tell = [&](const std::string& line) {
    if (std::find(problems.begin(), problems.end(), line) == problems.end()) problems.push_back(line);
  };
  sim::SimMachine machine(sim::SimMachine::StateOf{*start.beside});
  const std::string& other = start.other;
  Combination installed;
  std::string printer;
  RunInstall(machine, selections, installed, printer);
  if (installed.outcome != "completed" || printer.empty()) return problems;

  auto remove = [&](const removal::RemovalRequest& request, const sim::SimMachine& as,
                    const std::function<const MachineContents&()>& expected,
                    const std::string& what) {
    removal::RemovalPlan plan;
    std::string refusal;
    if (!removal::PlanRemoval(machine, family, request, plan, refusal)) {
      tell(what + " is refused: " + refusal);
      return;
    }
    std::ostringstream log;
    const removal::RemovalOutcome outcome = removal::CarryOutRemoval(machine, plan, log);
    if (outcome.exitCode != removal::kExitRemoved) {
      tell(what + " ends with exit code " + std::to_string(outcome.exitCode) + ": " + outcome.reason);
    }
    if (SurelySameContents(machine, as)) return;
    const ContentsChange change = CompareContents(expected(), ContentsOf(machine));
    for (const std::string& item : change.added) tell(what + " leaves the family's " + item);
    const std::string whose = other.empty() ? std::string() : " of the " + other + " install";
    for (const std::string& item : change.lost) tell(what + " takes " + item + whose);
    for (const std::string& item : change.changed) tell(what + " leaves " + item + whose + " changed");
  };
  removal::RemovalRequest one;
  one.printers = {printer};
  remove(one, *start.beside, [&]() -> const MachineContents& { return start.Before(); },
         "removing \"" + printer + "\"" + (other.empty() ? std::string() : " beside " + other));
  if (!other.empty()) {
    removal::RemovalRequest all;
    all.all = true;
    remove(all, *start.fresh, [&]() -> const MachineContents& { return start.Clean(); },
           "removing every printer of the family");
  }
  return problems;
}

void RunJob(const CheckOptions& options, const sim::SimMachine& base, const Family& family,
            RehearsalJob& job) {
  const ListedModel& model = *job.model;
  const std::int32_t target = options.targets[job.target];
  // The USB port monitor's ports: setup-sim declares the supported USB
  // devices and every USB port of every model with USB. An install looks
  // only at the port it is given (the spooler lists the others, but nothing
  // reads them), so each rehearsal declares the model's own four: with
  // thousands of models, declaring them all on every fresh machine would
  // cost more than the install.
  std::vector<std::string> modelPorts;
  for (int i = 1; i <= 4; ++i) modelPorts.push_back("USB_" + model.name + "_" + std::to_string(i));
  const std::string success = target == kWin98 ? kRestartQuestion : kInstalled;
  std::optional<Start> starts[2];  // without, with the USB printer
  for (const InstallSelections& selections : job.selections) {
    const bool usb = GetPortKind(selections.portName) == PortKind::kUsb;
    std::optional<Start>& start = starts[usb ? 1 : 0];
    if (!start) {
      start = MakeStart(
          base,
          [&](sim::SimMachine& machine) {
            sim::DeclareFamilyMonitorPorts(machine, modelPorts);
            if (usb) machine.usb.Attach(0, kUsbDescriptor);
          },
          job.neighbour);
    }
    sim::SimMachine machine(sim::SimMachine::StateOf{*start->fresh});

    Combination first;
    first.model = model.name;
    first.category = model.category;
    first.target = target;
    first.os = options.osNames[job.target];
    first.setupType = selections.setupType;
    first.port = selections.portName;
    first.mode = selections.rasterGraphics;
    std::string firstName;
    RunInstall(machine, selections, first, firstName);
    first.ok = first.outcome == "completed" && first.messages.size() == 1 &&
               StartsWith(first.messages[0], success.c_str());
    if (!first.ok) {
      first.held = HeldBy(machine);
      job.results.push_back(std::move(first));
      continue;
    }
    first.removal = RehearseRemoval(*start, selections, family);
    job.results.push_back(first);

    // Again over the first: the monitor, processor and driver are known
    // and up to date; a serial or parallel printer takes the name with
    // "(1)", while a USB printer's name carries its port, which is taken.
    Combination second = std::move(first);
    second.second = true;
    second.messages.clear();
    second.removal.clear();
    std::string secondName;
    RunInstall(machine, selections, second, secondName);
    if (usb) {
      second.ok = second.outcome == "closed" && second.messages.size() == 1 &&
                  StartsWith(second.messages[0], kPortTaken);
    } else {
      second.ok = second.outcome == "completed" && second.messages.size() == 1 &&
                  StartsWith(second.messages[0], success.c_str()) &&
                  secondName == firstName + "(1)";
      if (second.outcome == "completed" && secondName != firstName + "(1)")
        second.outcome = "completed as \"" + secondName + "\", not \"" + firstName + "(1)\"";
    }
    if (!second.ok) second.held = HeldBy(machine);
    job.results.push_back(std::move(second));
  }
}

}  // namespace

std::string ProgressLine(std::size_t done, std::size_t total, double seconds) {
  std::string line =
      "rehearsing: " + std::to_string(done) + " of " + std::to_string(total) + " combinations";
  if (done == 0 || seconds <= 0) return line;
  const double rate = static_cast<double>(done) / seconds;
  const long left = static_cast<long>(static_cast<double>(total - done) / rate + 0.5);
  line += ", " + std::to_string(static_cast<long>(rate + 0.5)) + "/s, ";
  if (left >= 60) line += std::to_string(left / 60) + " min ";
  line += std::to_string(left % 60) + " s left";
  return line;
}

unsigned DefaultJobs() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

std::vector<Combination> Rehearse(Distribution& dist, const CheckOptions& options,
                                  const RehearsalProgress& progress) {
  InstallConfig config(dist.Machine());
  // A USB install walks every supported USB device number: with a count
  // beyond reason it would not end (the static rules report it).
  const bool usbInstallsEnd = config.GetSupportedUsbDeviceCount() <= kCountMax;

  // The selections first, on this thread (they read the configuration
  // through one reader); then the installs, each job on a machine of its
  // own, taken by the threads in turn.
  std::vector<RehearsalJob> jobs;
  std::size_t total = 0;
  for (const ListedModel& model : dist.Models()) {
    for (std::size_t t = 0; t < options.targets.size(); ++t) {
      RehearsalJob job;
      job.model = &model;
      job.target = t;
      for (InstallSelections& s : WizardSelections(config, model, options.targets[t])) {
        if (GetPortKind(s.portName) == PortKind::kUsb && !usbInstallsEnd) continue;
        job.selections.push_back(std::move(s));
      }
      total += job.selections.size();
      if (!job.selections.empty()) jobs.push_back(std::move(job));
    }
  }
  // Each job's neighbour: the next model of the list with an install on
  // the same system, on a parallel port of its own (LPT2:).
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    for (std::size_t step = 1; step < jobs.size() && !jobs[i].neighbour; ++step) {
      const RehearsalJob& other = jobs[(i + step) % jobs.size()];
      if (other.target != jobs[i].target || other.model->name == jobs[i].model->name) continue;
      for (const InstallSelections& s : other.selections) {
        if (s.portName != "LPT1:") continue;
        InstallSelections beside = s;
        beside.portName = "LPT2:";
        jobs[i].neighbour = beside;
        break;
      }
    }
  }

  // The family of each system, read once: the removals ask it what is ours.
  // And each system's fresh machine holding the distribution, which every
  // job's starting machines copy (the threads only read it).
  std::vector<Family> families;
  std::vector<std::unique_ptr<sim::SimMachine>> bases;
  for (std::size_t t = 0; t < options.targets.size(); ++t) {
    auto fresh = [&] {
      auto machine = std::make_unique<sim::SimMachine>(MachineFor(options.osNames[t]));
      machine->traceCalls = false;
      dist.PutInto(*machine, kSystemFolders[options.targets[t]]);
      return machine;
    };
    families.push_back(ReadFamily(*fresh(), options.targets[t]));
    bases.push_back(fresh());
    bases.back()->InstallUsbLibrary(bases.back()->system.systemDirectory);
  }

  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t running = 0;
  std::exception_ptr failure;
  auto work = [&] {
    try {
      for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();) {
        RunJob(options, *bases[jobs[i].target], families[jobs[i].target], jobs[i]);
        done += jobs[i].selections.size();
      }
    } catch (...) {
      // The installs catch what they throw; this is memory running out.
      std::lock_guard<std::mutex> lock(mutex);
      if (!failure) failure = std::current_exception();
      next = jobs.size();
    }
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_all();
  };
  const std::size_t threads =
      std::max<std::size_t>(1, std::min<std::size_t>(options.jobs, jobs.size()));
  std::vector<std::thread> pool;
  {
    std::unique_lock<std::mutex> lock(mutex);
    for (std::size_t i = 0; i < threads; ++i) {
      ++running;
      pool.emplace_back(work);
    }
    while (running > 0) {
      if (progress) {
        lock.unlock();
        progress(done, total);
        lock.lock();
      }
      finished.wait_for(lock, std::chrono::milliseconds(250), [&] { return running == 0; });
    }
  }
  for (std::thread& thread : pool) thread.join();
  if (failure) std::rethrow_exception(failure);
  if (progress) progress(done, total);

  std::vector<Combination> results;
  std::size_t count = 0;
  for (const RehearsalJob& job : jobs) count += job.results.size();
  results.reserve(count);
  for (RehearsalJob& job : jobs) {
    for (Combination& c : job.results) results.push_back(std::move(c));
  }
  return results;
}

}  // namespace setwell::check
