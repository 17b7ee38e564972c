// What a port name says about its port: case-sensitive substring tests, as
// the installer has always made them. The tests differ from one place to
// the next, and the differences are kept on purpose:
//
// - The install sequence and the port monitor check take "USB_" for a USB
//   port: the family's USB ports are "USB_<model>_<n>". "COM" is a serial
//   port, the maker's virtual "TVCOM1:".."TVCOM8:" included; "LPT" is
//   parallel. The sequence tests USB first, so a USB port of a model whose
//   name holds "COM" is still a USB port.
// - The port page decides what it shows by "USB" alone (the note and the
//   raster check box) when it builds its list, and by "COM" first when the
//   user picks a port: a name with both is treated as serial there.
#pragma once

#include <string_view>

#include "config/Selections.h"

namespace setwell {

// The install sequence's and the monitor check's tests.
inline bool NamesUsbPort(std::string_view port) { return port.find("USB_") != std::string_view::npos; }
inline bool NamesSerialPort(std::string_view port) { return port.find("COM") != std::string_view::npos; }
inline bool NamesParallelPort(std::string_view port) { return port.find("LPT") != std::string_view::npos; }

// The port page's test for the USB note and the raster check box.
inline bool MentionsUsb(std::string_view port) { return port.find("USB") != std::string_view::npos; }

// The port kind, tested in the order USB, serial, parallel.
inline PortKind GetPortKind(std::string_view port) {
  if (NamesUsbPort(port)) return PortKind::kUsb;
  if (NamesSerialPort(port)) return PortKind::kSerial;
  if (NamesParallelPort(port)) return PortKind::kParallel;
  return PortKind::kUnsupported;
}

}  // namespace setwell
