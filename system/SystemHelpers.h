// Single operations on the print system and the operating system that the
// install sequence calls once each: the port list check, adding the driver
// and the printer, making the printer the default one, and the restart.
// Every failure the user must know of is shown in a message box here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "system/WinTypes.h"

namespace setwell {

class Platform;

// The size of the printer record's name field, terminator included.
inline constexpr std::size_t kPrinterNameFieldSize = 200;

// Whether the spooler can list its ports. 1, or 0 after message 125 (the
// enumeration failed) or 104 (no memory for the list).
std::int32_t CheckPortList(Platform& platform);

// Adds the level-3 driver record. 1, or 0 after message 118.
std::int32_t InstallPrinterDriver(Platform& platform, DRIVER_INFO_3A& driver);

// Adds the level-2 printer record. When the name is taken, tries it with "(1)"
// and then "(2)" appended, except on a USB port, whose printer names already
// carry the port's number. Returns 1 with record.pPrinterName (a field of
// nameFieldSize bytes) holding the name the printer now has, or 0 after a
// message with that field cleared.
std::int32_t AddPrinterWithSuffix(Platform& platform, PRINTER_INFO_2A& record, bool usbPort,
                                  std::size_t nameFieldSize = kPrinterNameFieldSize);

// Makes the printer the default one, the way the running system keeps it
// (the printer's attribute on Windows 95/98/Me, the profile's "device" value
// on NT 4.0, SetDefaultPrinterA from NT 5 on), and tells the running
// programs. 1, or 0 without a message.
std::int32_t MakeDefaultPrinter(Platform& platform, const std::string& printerName);

// Asks the operating system to restart; 1 when the request was accepted.
std::int32_t RestartComputer(Platform& platform);

}  // namespace setwell
