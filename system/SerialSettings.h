// The serial line settings of the port page made the port's settings in the
// operating system: on Windows 98/Me in the port's class key (a raw DCB) and
// the profile section "Ports"; on NT-family systems in the registry's
// "Ports" list.
#pragma once

#include <cstdint>
#include <string>

#include "system/WinTypes.h"

namespace setwell {

class Platform;

// The part of a selected port name that names the serial port, and its
// number. Both the plain ports ("COM1:") and the maker's virtual ports
// ("TVCOM3:") carry "COM"; the settings belong to the "COMn:" part.
struct SerialPort {
  std::string name;         // from the first "COM" on; empty when there is none
  std::int32_t number = 0;  // the digit after "COM"; 0 when no digit follows
};
SerialPort SerialPortOf(const std::string& selectedPort);

// "baud,parity,bits,stop,flow": stop bits with one decimal when they are 1.5,
// without otherwise ("9600,n,8,1,x"). A flow letter ' ' (None) leaves the line
// ending in a comma and a space.
std::string SerialSettingsLine(std::int32_t baudRate, std::int32_t byteSize, double stopBits,
                               char parity, char flow);

// The 28-byte device-control block for these settings; fields the settings
// do not name are zero.
DCB BuildSerialDcb(std::int32_t baudRate, std::int32_t byteSize, double stopBits, char parity,
                   char flow);

// Windows 98/Me: writes the block into the class key of serial port 1 or 2
// (other numbers write none), the settings line into the profile, and tells
// the running programs. Reports nothing.
void WriteSerialSettings98(Platform& platform, std::int32_t portNumber,
                           const std::string& portName, std::int32_t baudRate,
                           std::int32_t byteSize, double stopBits, char parity, char flow);

// Where NT-family systems keep the settings lines, a value per port name.
inline constexpr char kNtSerialPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
// Windows 98/Me: the class key of the n-th serial port (1-based), or an
// empty text.
std::string SerialClassKey(Platform& platform, std::int32_t portNumber);

// NT-family systems: the settings line under the port's name in the
// registry's list of ports, when that list exists. Reports nothing.
void WriteSerialSettingsNT(Platform& platform, const std::string& portName,
                           std::int32_t baudRate, std::int32_t byteSize, double stopBits,
                           char parity, char flow);

}  // namespace setwell
