// The ports the maker's port monitors make when the spooler adds them. The
// distribution's monitor DLLs are stand-ins, so the simulated spooler is
// told their port lists: the serial port monitor serves the virtual serial
// ports "TVCOM1:" to "TVCOM8:", the USB port monitor the supported USB port
// names of the general configuration file (the names the install records
// under SOFTWARE\TALVORN\PRINTERPORT before it adds the monitor).
#pragma once

#include "sim/SimMachine.h"

namespace setwell::term {

// Declares the ports of every monitor the mounted distribution names, for
// every target system.
void DeclareDistributionMonitorPorts(sim::SimMachine& machine);

}  // namespace setwell::term
