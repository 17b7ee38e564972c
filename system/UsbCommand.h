// The device-number command of the printer family's USB printers, sent with
// the USB interface library's "uWrite":
//
//   byte 0      0x1B
//   bytes 1..5  kUsbAccessCode, the code the firmware expects in this command
//   bytes 6..8  0x1D 0x49 0x20
//   byte 9      the new device number minus 1 (0 to 7)
//
// Once powered again, the printer reports a descriptor value (the device
// release number of its USB device descriptor) whose remainder modulo 8 is
// byte 9, so its device number, (value % 8) + 1, is the one asked for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace setwell {

inline constexpr std::array<std::uint8_t, 5> kUsbAccessCode = {0x53, 0x57, 0x4C, 0x9E, 0x07};
inline constexpr std::size_t kUsbCommandSize = 10;

}  // namespace setwell
