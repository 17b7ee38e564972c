// The values of the user's choices, by the numbers the configuration, the
// pages and the install sequence use for them. No dependencies: every layer
// names them.
#pragma once

#include <cstdint>

namespace setwell {

// Target systems, in the order of the wizard's target system page.
enum TargetSystem : std::int32_t {
  kWin98 = 0,  // Windows 98/Me
  kWinNT4 = 1,
  kWin2000 = 2,
  kWinXP = 3,
  kWin2003 = 4,
};

enum SetupType : std::int32_t {
  kAdvancedSetup = 0,
  kTypicalSetup = 1,
};

enum Category : std::int32_t {
  kNoCategory = -1,
  kReceipt = 0,
  kTicket = 1,
  kLabel = 2,
  kEmbedded = 3,
};

// Driver modes: the standard driver ("STD" keys) or the raster graphic
// printing driver ("GDI" keys). The port page's raster check box.
enum DriverMode : std::int32_t {
  kStandardDriver = 0,
  kRasterDriver = 1,
};

// Port kinds, as the install sequence tells them from the port name (see
// system/PortNames.h).
enum class PortKind { kSerial = 0, kParallel = 1, kUsb = 2, kUnsupported = 3 };

}  // namespace setwell
