// The family's USB printers, through the maker's USB interface library
// "TvUsbInt.dll". A host tells up to eight of them apart by the device number
// (1 to 8) each printer keeps: its descriptor value modulo 8, plus 1.
//
// The library is loaded and unloaded within each operation; every failure is
// shown in a message box where it happens.
#pragma once

#include <array>
#include <cstdint>

#include "system/UsbCommand.h"

namespace setwell {

class Platform;

inline constexpr const char* kUsbLibrary = "TvUsbInt.dll";

// ProbeUsbPrinter results besides a descriptor value.
inline constexpr std::int32_t kNoUsbPrinter = -1;
inline constexpr std::int32_t kSeveralUsbPrinters = -2;

// The one attached printer's descriptor value (0 to 65535: the device release
// number, the 16-bit little-endian field at offset 12 of its USB device
// descriptor); kNoUsbPrinter when none is attached or the library or one of
// its entry points is missing; kSeveralUsbPrinters (after message 144) when
// more than one is attached.
std::int32_t ProbeUsbPrinter(Platform& platform);

// 1 to 8 from a descriptor value.
constexpr std::int32_t UsbDeviceNumber(std::int32_t descriptorValue) {
  return descriptorValue % 8 + 1;
}

// The device-number command for device number 1 to 8.
std::array<std::uint8_t, kUsbCommandSize> UsbDeviceNumberCommand(std::int32_t deviceNumber);

// Gives the first attached printer the device number 1 to 8; any other number
// does nothing. It takes effect once the printer is powered again.
void WriteUsbDeviceNumber(Platform& platform, std::int32_t deviceNumber);

}  // namespace setwell
