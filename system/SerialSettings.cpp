#include "system/SerialSettings.h"

#include <cstdio>

#include "system/Platform.h"
#include "system/RegistryKey.h"

namespace setwell {
namespace {

// Windows 98/Me keeps one class key per port; "PortSubClass" 1 marks a
// serial port (0 a parallel one). Only the first four keys are searched.
constexpr const char* kPortClassKey = "System\\CurrentControlSet\\Services\\Class\\Ports\\000%d";
constexpr int kPortClassKeys = 4;
constexpr const char* kNtPortsKey = kNtSerialPortsKey;
constexpr const char* kPortsSection = "Ports";

BYTE ParityCode(char parity) {
  switch (parity) {
    case 'o': return ODDPARITY;
    case 'e': return EVENPARITY;
    case 'm': return MARKPARITY;
    case 's': return SPACEPARITY;
    default: return NOPARITY;
  }
}

BYTE StopBitsCode(double stopBits) {
  if (stopBits == 1.5) return ONE5STOPBITS;
  if (stopBits == 2.0) return TWOSTOPBITS;
  return ONESTOPBIT;
}

}  // namespace

std::string SerialClassKey(Platform& platform, std::int32_t portNumber) {
  std::int32_t serialPorts = 0;
  for (int i = 0; i < kPortClassKeys; ++i) {
    char path[64];
    std::snprintf(path, sizeof path, kPortClassKey, i);
    RegistryKey key(platform);
    if (!key.Open(path)) continue;
    BYTE subClass[3] = {};
    DWORD size = sizeof subClass;
    // A value that does not fit three bytes is not a port subclass.
    if (!key.ReadValue("PortSubClass", subClass, size) || size == 0 || subClass[0] != 1) continue;
    if (++serialPorts == portNumber) return path;
  }
  return {};
}


SerialPort SerialPortOf(const std::string& selectedPort) {
  SerialPort port;
  const std::size_t at = selectedPort.find("COM");
  if (at == std::string::npos) return port;
  port.name = selectedPort.substr(at);
  // Only the one character after "COM" is the number: "COM12:" is port 1.
  const std::size_t digit = at + 3;
  if (digit < selectedPort.size() && selectedPort[digit] >= '0' && selectedPort[digit] <= '9') {
    port.number = selectedPort[digit] - '0';
  }
  return port;
}

std::string SerialSettingsLine(std::int32_t baudRate, std::int32_t byteSize, double stopBits,
                               char parity, char flow) {
  char line[64];
  std::snprintf(line, sizeof line, stopBits == 1.5 ? "%d,%c,%d,%.1f,%c" : "%d,%c,%d,%.0f,%c",
                static_cast<int>(baudRate), parity, static_cast<int>(byteSize), stopBits, flow);
  return line;
}

DCB BuildSerialDcb(std::int32_t baudRate, std::int32_t byteSize, double stopBits, char parity,
                   char flow) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = static_cast<DWORD>(baudRate);
  dcb.fBinary = 1;
  if (ParityCode(parity) != NOPARITY) {
    dcb.fParity = 1;
    dcb.fErrorChar = 1;
  }
  if (flow == 'p') {
    dcb.fOutxCtsFlow = 1;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
  } else if (flow == 'x') {
    dcb.fOutX = 1;
    dcb.fInX = 1;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
  }
  dcb.ByteSize = static_cast<BYTE>(byteSize);
  dcb.Parity = ParityCode(parity);
  dcb.StopBits = StopBitsCode(stopBits);
  return dcb;
}

void WriteSerialSettings98(Platform& platform, std::int32_t portNumber,
                           const std::string& portName, std::int32_t baudRate,
                           std::int32_t byteSize, double stopBits, char parity, char flow) {
  if (portNumber == 1 || portNumber == 2) {
    const std::string classKey = SerialClassKey(platform, portNumber);
    RegistryKey key(platform);
    if (!classKey.empty() && key.Open(classKey)) {
      const DCB dcb = BuildSerialDcb(baudRate, byteSize, stopBits, parity, flow);
      // The serial driver reads the block back as raw bytes, untyped.
      key.WriteBytes("DCB", REG_NONE, &dcb, sizeof dcb);
    }
  }
  const std::string line = SerialSettingsLine(baudRate, byteSize, stopBits, parity, flow);
  platform.WriteProfileStringA(kPortsSection, portName.c_str(), line.c_str());
  platform.BroadcastWinIniChangeNotify(kPortsSection);
  // Windows 98/Me caches profile writes; an all-null write flushes the cache.
  platform.WriteProfileStringA(nullptr, nullptr, nullptr);
}

void WriteSerialSettingsNT(Platform& platform, const std::string& portName,
                           std::int32_t baudRate, std::int32_t byteSize, double stopBits,
                           char parity, char flow) {
  RegistryKey key(platform);
  // The spooler's local port monitor owns this list; a machine without it
  // gets no entry of ours.
  if (!key.Open(kNtPortsKey)) return;
  key.WriteString(portName, SerialSettingsLine(baudRate, byteSize, stopBits, parity, flow));
}

}  // namespace setwell
