// The registry records of USB installations, below HKEY_LOCAL_MACHINE:
//
//   SOFTWARE\TALVORN\PORTNAME\       USB port name -> its position among the
//                                     supported USB devices of the general file
//   SOFTWARE\TALVORN\PRINTERPORT\    "D1".."D8" -> 0; each supported USB port
//                                     name -> 255 until a printer is installed
//                                     on it, then 0
//   SOFTWARE\TALVORN\INSTALLPRINTER\ names of installed printers, written by
//                                     other software and only read here
//
// All values are REG_DWORD. Other software of the maker reads the first two;
// the names, types and data are theirs and kept exactly. Every registry
// failure is silent: the installation goes on without the record.
#pragma once

#include <string>

namespace setwell {

class InstallConfig;
class Platform;

// The records' keys, for those that read or remove them.
inline constexpr char kUsbRecordsKey[] = "SOFTWARE\\TALVORN";
inline constexpr char kUsbPortNameKey[] = "SOFTWARE\\TALVORN\\PORTNAME";
inline constexpr char kUsbPrinterPortKey[] = "SOFTWARE\\TALVORN\\PRINTERPORT";
inline constexpr char kUsbInstallPrinterKey[] = "SOFTWARE\\TALVORN\\INSTALLPRINTER";

// Refreshes the records for an installation on the USB port `portName`.
void UpdateUsbPortRecords(Platform& platform, InstallConfig& config, const std::string& portName);

// Marks `portName` as taken, just before its printer is added.
void RecordUsbPortInstall(Platform& platform, const std::string& portName);

// The USB port of a printer named after its model with the suffix "(U) 1" to
// "(U) 4": "USB_", the name up to its first "(", "_" and the digit four
// places after the "(" ("KP-200(U) 2" gives "USB_KP-200_2"). A name without
// "(" gives "USB_" and the whole name; a name that ends before the digit
// gives no digit.
std::string UsbPortNameOfPrinter(const std::string& printerName);

}  // namespace setwell
