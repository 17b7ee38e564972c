// A till for the removal tests: a simulated machine with the sample
// distribution, the USB library and one USB printer attached; installs as
// the wizard's Finish makes them, removals as the front ends run them, and
// the machine's state compared as the removal promises it: files, registry
// values and the spooler's records, but for the serial line settings.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/InstallSequence.h"
#include "removal/Removal.h"
#include "script/UnattendedRemoval.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "sim/SimProfile.h"
#include "system/AsciiCase.h"

namespace setwell::removal_testing {

inline const std::string kSampleDistribution =
    std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";
constexpr const char* kForeignPrinter = "Other Maker Receipt";

// Everything of a machine the removal answers for, by a name per item.
using State = std::map<std::string, std::string>;

inline std::string WithoutSection(const std::string& text, const std::string& section) {
  std::string out;
  bool skipping = false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') {
      skipping = EqualsNoCase(line.substr(1, line.find(']') - 1), section);
    }
    if (!skipping) out += line + "\n";
  }
  return out;
}

inline State Capture(const sim::SimMachine& machine) {
  State state;
  for (const auto& [key, file] : machine.files.Files()) {
    if (machine.files.IsReadOnly(file.path)) continue;
    std::string data = file.data;
    // The serial line settings of Windows 98/Me are win.ini's [Ports].
    if (key.size() >= 8 && key.compare(key.size() - 8, 8, "\\win.ini") == 0) {
      data = WithoutSection(data, "Ports");
    }
    state["file " + key] = data + "|" + std::to_string(file.attributes);
  }
  const std::string ntPorts = LowerAscii(sim::kNtPortsKey);
  for (const auto& [lowered, key] : machine.registry.Keys()) {
    state["key " + lowered] = "";
    for (const sim::RegValue& value : key.values) {
      // The serial line settings of the NT family, and the port block of
      // Windows 98/Me.
      if (lowered == ntPorts) continue;
      if (EqualsNoCase(value.name, "DCB") &&
          lowered.find("services\\class\\ports\\") != std::string::npos) {
        continue;
      }
      state["value " + lowered + " | " + LowerAscii(value.name)] =
          std::to_string(value.type) + ":" + value.data;
    }
  }
  for (const sim::SimDriver& d : machine.spooler.Drivers()) {
    std::string files = d.driverPath + "," + d.dataFile + "," + d.configFile + "," + d.helpFile;
    for (const std::string& f : d.dependentFiles) files += "," + f;
    state["spooler driver " + LowerAscii(d.name) + " | " + d.environment] =
        std::to_string(d.version) + " " + files + " " + d.monitorName;
  }
  for (const sim::SimPrinter& p : machine.spooler.Printers()) {
    state["spooler printer " + LowerAscii(p.name)] = p.portName + "," + p.driverName + "," +
                                                      p.printProcessor + "," +
                                                      std::to_string(p.attributes) + "," + p.devMode;
  }
  for (const std::string& port : machine.spooler.Ports()) state["spooler port " + port] = "";
  state["spooler default"] = machine.spooler.DefaultPrinter();
  return state;
}

// One line for each item that is in one state and not the other, or that
// differs: "" when the two are the same.
inline std::string Differences(const State& before, const State& after) {
  std::string out;
  for (const auto& [name, value] : before) {
    auto there = after.find(name);
    if (there == after.end()) {
      out += name + "\n";
    } else if (there->second != value) {
      out += name + " (changed)\n";
    }
  }
  for (const auto& [name, value] : after) {
    if (before.count(name) == 0) out += name + " (new)\n";
  }
  return out;
}

// The calls that change a host.
inline bool ChangesHost(const std::string& call) {
  static const char* const kChanging[] = {
      "CopyFileA", "SetFileAttributesA", "DeleteFileA", "MoveFileExA", "RegCreateKeyExA",
      "RegSetValueExA", "RegDeleteValueA", "RegDeleteKeyA", "AddPrinterDriverA", "AddMonitorA",
      "AddPrintProcessorA", "AddPrinterA", "SetPrinterA", "DeletePrinter", "DeletePrinterDriverA",
      "DeletePrinterDriverExA", "DeleteMonitorA", "DeletePrintProcessorA", "ControlService",
      "StartServiceA", "WriteProfileStringA", "WritePrivateProfileStringA",
      "WritePrivateProfileSectionA", "CallSetDefaultPrinterA", "CallUWrite", "ExitWindowsEx"};
  return std::any_of(std::begin(kChanging), std::end(kChanging),
                     [&](const char* name) { return call == name; });
}

struct Till {
  explicit Till(sim::SimOs os) : machine(os) {
    EXPECT_TRUE(machine.MountDistribution(kSampleDistribution));
    machine.InstallUsbLibrary(machine.system.systemDirectory);
    sim::DeclareFamilyMonitorPorts(machine);
    machine.usb.Attach(0, 0);
  }

  // The wizard's Finish with these selections; the printer's name, or
  // empty (a failure) when the install did not complete.
  std::string Install(const InstallSelections& selections) {
    machine.ui.script.clear();
    if (selections.target == kWin98) machine.ui.Answer(IDNO, "Restart the computer");
    InstallSequence sequence(machine, selections);
    if (sequence.Run() != InstallOutcome::kCompleted) {
      std::string shown;
      for (const std::string& text : machine.ui.Texts()) shown += text + " / ";
      ADD_FAILURE() << "the install of " << selections.modelName << " on " << selections.portName
                    << " did not complete: " << shown;
      return {};
    }
    sequence.Complete();
    return sequence.FinalPrinterName();
  }

  removal::RemovalOutcome Remove(const std::vector<std::string>& printers, bool all = false) {
    removal::RemovalRequest request;
    request.printers = printers;
    request.all = all;
    log.str("");
    return install::RunRemoval(machine, request, log);
  }

  std::string DriverFolder() const {
    return machine.system.DriverDirectory(machine.system.Environment());
  }

  // Another maker's printer on its own monitor's port, its driver naming
  // `sharedFile` among its files.
  void AddForeignPrinter(const std::string& sharedFile) {
    const std::string home = machine.system.DriverVersionDirectory(machine.system.Environment());
    const std::string folder = home.empty() ? DriverFolder() : home;
    for (const std::string& file : {std::string("OTHER.DRV"), std::string("OTHERUI.DLL"), sharedFile}) {
      machine.files.WriteFile(folder + "\\" + file, "another maker's " + file);
    }
    sim::SimDriver driver;
    driver.name = "Other Maker Driver";
    driver.environment = machine.system.Environment();
    driver.version = machine.system.DriverVersion(machine.system.Environment());
    driver.driverPath = folder + "\\OTHER.DRV";
    driver.dataFile = folder + "\\OTHER.DRV";
    driver.configFile = folder + "\\OTHERUI.DLL";
    driver.dependentFiles = {folder + "\\" + sharedFile};
    machine.spooler.AddDriverRecord(driver);
    machine.spooler.InstallMonitor("Other Port Monitor", "othermon.dll", {"OTH1:"});
    sim::SimPrinter printer;
    printer.name = kForeignPrinter;
    printer.portName = "OTH1:";
    printer.driverName = driver.name;
    printer.printProcessor = "WinPrint";
    machine.spooler.AddPrinterRecord(printer);
  }

  std::size_t ChangingCalls() const {
    return static_cast<std::size_t>(std::count_if(
        machine.trace.begin(), machine.trace.end(),
        [](const sim::SimCallRecord& call) { return ChangesHost(call.call); }));
  }

  std::size_t SpoolerStops() const {
    return static_cast<std::size_t>(std::count_if(
        machine.serviceLog.begin(), machine.serviceLog.end(), [](const sim::SimServiceEvent& e) {
          return e.service == sim::kSpoolerService && e.state == SERVICE_STOPPED;
        }));
  }

  sim::SimMachine machine;
  std::ostringstream log;
};

}  // namespace setwell::removal_testing
