// A simulated machine with a small driver distribution, for the tests of
// the install operations.
#pragma once

#include <string>
#include <vector>

#include "app/InstallSelections.h"
#include "sim/SimMachine.h"

namespace setwell::testing {

constexpr const char* kTestGeneralFile =
    "[Version]\r\nDriverVersion=120\r\n"
    "[COMMON-MONITOR.98]\r\nUSBMONitorPName=Test USB Monitor\r\nUSBMONitorPDLLName=tusbmon.dll\r\n"
    "USBMONitorPUIDLLName=tusbui.dll\r\nUSBMONitorVersion=112\r\n"
    "[COMMON-MONITOR.NT]\r\nCOMMONitorPName=Test Serial Monitor\r\nCOMMONitorPDLLName=tsermon.dll\r\n"
    "COMMONitorPUIDLLName=tserui.dll\r\nCOMMONitorVersion=105\r\n"
    "[COMMON-MONITOR.2K]\r\nCOMMONitorPName=Test Serial Monitor\r\nCOMMONitorPDLLName=tsermon.dll\r\n"
    "COMMONitorPUIDLLName=tserui.dll\r\nCOMMONitorVersion=105\r\n"
    "USBMONitorPName=Test USB Monitor\r\nUSBMONitorPDLLName=tusbmon.dll\r\n"
    "USBMONitorPUIDLLName=tusbui.dll\r\nUSBMONitorVersion=112\r\n"
    "[COMMON-MONITOR.XP]\r\nCOMMONitorPName=Test Serial Monitor\r\nCOMMONitorPDLLName=tsermon.dll\r\n"
    "COMMONitorPUIDLLName=tserui.dll\r\nCOMMONitorVersion=105\r\n"
    "USBMONitorPName=Test USB Monitor\r\nUSBMONitorPDLLName=tusbmon.dll\r\n"
    "USBMONitorPUIDLLName=tusbui.dll\r\nUSBMONitorVersion=112\r\n"
    "[COMMON-MONITOR.2003]\r\nCOMMONitorPName=Test Serial Monitor\r\nCOMMONitorPDLLName=tsermon.dll\r\n"
    "COMMONitorPUIDLLName=tserui.dll\r\nCOMMONitorVersion=105\r\n"
    "USBMONitorPName=Test USB Monitor\r\nUSBMONitorPDLLName=tusbmon.dll\r\n"
    "USBMONitorPUIDLLName=tusbui.dll\r\nUSBMONitorVersion=112\r\n";

// Every file the tests name, in each per-system folder.
inline void PutTestDistribution(sim::SimMachine& machine) {
  machine.PutDistributionFile("DRVCONFIG\\setup.ini", kTestGeneralFile);
  const char* names[] = {"tp.drv",      "tp.gpd",      "tpui.dll",    "tp.hlp",     "tpres.dll",
                         "tpoem.dll",   "tpoem.ini",   "tplm.dll",    "tpproc.dll", "tsermon.dll",
                         "tserui.dll",  "tusbmon.dll", "tusbui.dll",  "UNIRES.DLL", "STDNAMES.GPD",
                         "TTFSUB.GPD",  "ICONLIB.DLL", "UNIDRV.DLL",  "DMCOLOR.DLL"};
  for (const char* folder : {"win98", "winnt", "win2003"}) {
    for (const char* name : names) {
      machine.PutDistributionFile(std::string(folder) + "\\" + name,
                                  std::string("stand-in ") + folder + " " + name);
    }
  }
}

// Selections for an install of model on port: typical setup, the driver
// mode the port page gives the port (standard for serial ports).
inline InstallSelections Selections(int target, const std::string& model, int category,
                                    const std::string& port, int setupType = kTypicalSetup) {
  InstallSelections s;
  s.target = target;
  s.modelName = model;
  s.category = category;
  s.portName = port;
  s.setupType = setupType;
  s.rasterGraphics = port.find("COM") != std::string::npos ? kStandardDriver : kRasterDriver;
  return s;
}

// The targets of the file copies made, as "directory kind\name" relative
// to the machine's folders, in order.
inline std::vector<std::string> CopyTargets(const sim::SimMachine& machine) {
  std::vector<std::string> targets;
  for (const sim::SimCallRecord& call : machine.trace) {
    if (call.call != "CopyFileA") continue;
    const std::size_t comma = call.arguments.find(", ");
    targets.push_back(call.arguments.substr(comma + 2));
  }
  return targets;
}

inline std::vector<std::string> CopySources(const sim::SimMachine& machine) {
  std::vector<std::string> sources;
  for (const sim::SimCallRecord& call : machine.trace) {
    if (call.call == "CopyFileA") sources.push_back(call.arguments.substr(0, call.arguments.find(", ")));
  }
  return sources;
}

}  // namespace setwell::testing
