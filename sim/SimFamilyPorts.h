// The ports the printer family's own port monitors create when the spooler
// adds them. The distribution's monitor DLLs are stand-ins, so the
// simulated spooler is told their port lists: the serial port monitor
// serves the maker's virtual serial ports "TVCOM1:" to "TVCOM8:", the USB
// port monitor every USB port the wizard can offer for the distribution's
// models ("USB_<model>_1" to "_4" of each model with "USBSUPPORTED") and
// the supported USB port names of the general configuration file.
#pragma once

#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::sim {

// Declares the ports of every monitor the distribution beside the
// machine's program names, for every target system.
void DeclareFamilyMonitorPorts(SimMachine& machine);
// The same with the USB port monitor's ports given: for a caller that has
// the distribution's models at hand and makes many machines.
void DeclareFamilyMonitorPorts(SimMachine& machine, const std::vector<std::string>& usbPorts);

}  // namespace setwell::sim
