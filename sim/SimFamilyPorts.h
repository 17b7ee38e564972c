// The ports the printer family's own port monitors create when they are
// added: the serial port monitor the maker's virtual serial ports
// "TVCOM1:" to "TVCOM8:", the USB port monitor one port per supported USB
// device of the distribution. Real monitor DLLs know their ports; the
// simulated machine learns them from the distribution it installs from.
#pragma once

#include "sim/SimMachine.h"

namespace setwell::sim {

// Declares the family's monitor ports as the general configuration file of
// the distribution below the machine's current directory names the
// monitors ("COMMON-MONITOR.*") and the USB devices
// ("SUPPORTED-USB-DEVICE").
void DeclareFamilyMonitorPorts(SimMachine& machine);

}  // namespace setwell::sim
