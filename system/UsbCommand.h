// The device-number command of the family's USB printers, sent through the
// USB interface library's "uWrite":
//
//   0x1B, the 5-byte access code, 0x1D 0x49 0x20, new device number - 1
//
// Once powered again the printer reports a descriptor value whose remainder
// modulo 8 is the last byte, so its device number becomes the one asked for.
#pragma once

#include <array>
#include <cstdint>

namespace setwell {

// The firmware accepts the command only with this code after the ESC.
inline constexpr std::array<std::uint8_t, 5> kUsbAccessCode = {0x53, 0x57, 0x44, 0x4E, 0x4F};

inline constexpr std::size_t kUsbCommandSize = 10;

}  // namespace setwell
