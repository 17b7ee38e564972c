// The user's choices, gathered from the wizard pages when Finish is pressed.
#pragma once

#include <cstdint>
#include <string>

namespace setwell {

enum SetupType : std::int32_t {
  kAdvancedSetup = 0,
  kTypicalSetup = 1,
};

struct SerialLineSettings {
  std::int32_t baudRate = 9600;
  std::int32_t byteSize = 8;
  double stopBits = 1.0;
  char parity = 'N';  // first letter of the parity list's text: E, M, N, O or S
  char flow = ' ';    // 'x' Xon/Xoff, 'p' hardware, ' ' none
};

struct InstallSelections {
  std::int32_t setupType = kTypicalSetup;
  std::int32_t target = 3;
  std::int32_t category = -1;
  std::string modelName;
  bool defaultPrinter = false;
  std::string portName;
  std::int32_t rasterGraphics = 0;  // the driver mode
  SerialLineSettings serial;
};

// Port kinds, from the port name by case-sensitive substring tests in this
// order: "USB_", then "COM" (the maker's "TVCOM" ports too), then "LPT".
enum class PortKind { kSerial = 0, kParallel = 1, kUsb = 2, kUnsupported = 3 };
PortKind GetPortKind(const std::string& portName);

}  // namespace setwell
