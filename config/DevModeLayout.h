// The 148-byte ANSI device mode that printer records carry: the published
// DEVMODEA up to dmReserved2, without the panning fields that later SDKs
// append. The offsets below are the published ones; the static_asserts hold
// them against whichever DEVMODEA the build sees (ours on Linux, the SDK's
// on Windows), so a block of kDevModeSize bytes is always filled at the
// offsets the print system reads.
#pragma once

#include <cstddef>

#include "system/WinTypes.h"

namespace setwell {

constexpr std::size_t kDevModeSize = 148;
constexpr WORD kDevModeSpecVersion = 0x0400;

static_assert(offsetof(DEVMODEA, dmDeviceName) == 0);
static_assert(offsetof(DEVMODEA, dmSpecVersion) == 32);
static_assert(offsetof(DEVMODEA, dmDriverVersion) == 34);
static_assert(offsetof(DEVMODEA, dmSize) == 36);
static_assert(offsetof(DEVMODEA, dmDriverExtra) == 38);
static_assert(offsetof(DEVMODEA, dmFields) == 40);
static_assert(offsetof(DEVMODEA, dmOrientation) == 44);
static_assert(offsetof(DEVMODEA, dmPaperSize) == 46);
static_assert(offsetof(DEVMODEA, dmPaperLength) == 48);
static_assert(offsetof(DEVMODEA, dmPaperWidth) == 50);
static_assert(offsetof(DEVMODEA, dmScale) == 52);
static_assert(offsetof(DEVMODEA, dmCopies) == 54);
static_assert(offsetof(DEVMODEA, dmDefaultSource) == 56);
static_assert(offsetof(DEVMODEA, dmPrintQuality) == 58);
static_assert(offsetof(DEVMODEA, dmColor) == 60);
static_assert(offsetof(DEVMODEA, dmDuplex) == 62);
static_assert(offsetof(DEVMODEA, dmYResolution) == 64);
static_assert(offsetof(DEVMODEA, dmTTOption) == 66);
static_assert(offsetof(DEVMODEA, dmCollate) == 68);
static_assert(offsetof(DEVMODEA, dmFormName) == 70);
static_assert(offsetof(DEVMODEA, dmLogPixels) == 102);
static_assert(offsetof(DEVMODEA, dmICMMethod) == 124);
static_assert(offsetof(DEVMODEA, dmICMIntent) == 128);
static_assert(offsetof(DEVMODEA, dmMediaType) == 132);
static_assert(offsetof(DEVMODEA, dmDitherType) == 136);
static_assert(offsetof(DEVMODEA, dmReserved2) + sizeof(DWORD) == kDevModeSize);
static_assert(sizeof(DEVMODEA) >= kDevModeSize);

// A zeroed block for one device mode, aligned for DEVMODEA. Only its
// kDevModeSize bytes exist: never copy a whole DEVMODEA into it.
struct DevModeBlock {
  alignas(DEVMODEA) unsigned char bytes[kDevModeSize] = {};
  DEVMODEA* get() { return reinterpret_cast<DEVMODEA*>(bytes); }
};

}  // namespace setwell
