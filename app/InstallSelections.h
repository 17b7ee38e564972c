// The user's choices, gathered from the wizard pages when Finish is pressed.
#pragma once

#include <cstdint>
#include <string>

#include "config/Selections.h"

namespace setwell {

struct SerialLineSettings {
  std::int32_t baudRate = 9600;
  std::int32_t byteSize = 8;
  double stopBits = 1.0;
  char parity = 'N';  // first letter of the parity list's text: E, M, N, O or S
  char flow = ' ';    // 'x' Xon/Xoff, 'p' hardware, ' ' none
};

struct InstallSelections {
  std::int32_t setupType = kTypicalSetup;
  std::int32_t target = kWinXP;
  std::int32_t category = kNoCategory;
  std::string modelName;
  bool defaultPrinter = false;
  std::string portName;
  std::int32_t rasterGraphics = kStandardDriver;  // the driver mode
  SerialLineSettings serial;
};

}  // namespace setwell
