#include "tools/setup_check/Rehearsal.h"

#include <exception>

#include "app/InstallSequence.h"
#include "system/PortNames.h"
#include "sim/SimFamilyPorts.h"

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

std::vector<Combination> Rehearse(Distribution& dist, const CheckOptions& options,
                                  const RehearsalProgress& progress) {
  std::vector<Combination> results;
  InstallConfig config(dist.Machine());
  const std::vector<ListedModel>& models = dist.Models();

  // The USB port monitor's ports: setup-sim declares the supported USB
  // devices and every USB port of every model with USB. An install looks
  // only at the port it is given (the spooler lists the others, but nothing
  // reads them), so each rehearsal declares the model's own four: with
  // thousands of models, declaring them all on every fresh machine would
  // cost more than the install.
  const std::int32_t usbDevices = config.GetSupportedUsbDeviceCount();
  // A USB install walks every supported USB device number: with a count
  // beyond reason it would not end (the static rules report it).
  const bool usbInstallsEnd = usbDevices <= kCountMax;

  for (std::size_t m = 0; m < models.size(); ++m) {
    const ListedModel& model = models[m];
    std::vector<std::string> modelPorts;
    for (int i = 1; i <= 4; ++i) modelPorts.push_back("USB_" + model.name + "_" + std::to_string(i));
    for (std::size_t t = 0; t < options.targets.size(); ++t) {
      const std::int32_t target = options.targets[t];
      for (const InstallSelections& selections : WizardSelections(config, model, target)) {
        const bool usb = GetPortKind(selections.portName) == PortKind::kUsb;
        if (usb && !usbInstallsEnd) continue;
        sim::SimMachine machine(MachineFor(options.osNames[t]));
        machine.traceCalls = false;
        dist.PutInto(machine, kSystemFolders[target]);
        machine.InstallUsbLibrary(machine.system.systemDirectory);
        sim::DeclareFamilyMonitorPorts(machine, modelPorts);
        if (usb) machine.usb.Attach(0, kUsbDescriptor);

        Combination first;
        first.model = model.name;
        first.category = model.category;
        first.target = target;
        first.os = options.osNames[t];
        first.setupType = selections.setupType;
        first.port = selections.portName;
        first.mode = selections.rasterGraphics;
        std::string firstName;
        RunInstall(machine, selections, first, firstName);
        const std::string success = target == kWin98 ? kRestartQuestion : kInstalled;
        first.ok = first.outcome == "completed" && first.messages.size() == 1 &&
                   StartsWith(first.messages[0], success.c_str());
        results.push_back(first);
        if (!first.ok) continue;

        // Again over the first: the monitor, processor and driver are known
        // and up to date; a serial or parallel printer takes the name with
        // "(1)", while a USB printer's name carries its port, which is taken.
        Combination second = first;
        second.second = true;
        second.messages.clear();
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
        results.push_back(second);
      }
    }
    if (progress) progress(m + 1, models.size());
  }
  return results;
}

}  // namespace setwell::check
