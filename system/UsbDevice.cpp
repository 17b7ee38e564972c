#include "system/UsbDevice.h"

#include "resources/StringTable.h"
#include "system/LoadedLibrary.h"
#include "system/Messages.h"
#include "system/Platform.h"

namespace setwell {
namespace {

// The library numbers its device slots 0 to 7, one per device number.
constexpr std::int32_t kDeviceSlots = 8;
// GetDescriptor fills the 18-byte standard descriptor; the library's own
// callers give it 20 bytes.
constexpr std::size_t kDescriptorBuffer = 20;
constexpr std::size_t kReleaseNumberOffset = 12;

// OpenDeviceX answers 0 or all bits set for an empty slot.
bool IsDevice(std::int32_t handle) { return handle != 0 && handle != -1; }

// The first attached printer's handle, or 0. Slots tried before it are not
// closed: an empty slot yields no handle.
std::int32_t OpenFirstDevice(Platform& platform, ProcAddress openDevice) {
  for (std::int32_t index = 0; index < kDeviceSlots; ++index) {
    const std::int32_t handle = platform.CallOpenDeviceX(openDevice, index);
    if (IsDevice(handle)) return handle;
  }
  return 0;
}

}  // namespace

std::int32_t ProbeUsbPrinter(Platform& platform) {
  LoadedLibrary library(platform, kUsbLibrary);
  if (!library.IsLoaded()) {
    ShowErrorText(platform, "Can not load TvUsbInt.dll");
    return kNoUsbPrinter;
  }
  const ProcAddress openDevice = library.Find("OpenDeviceX");
  const ProcAddress getDescriptor = openDevice == nullptr ? nullptr : library.Find("GetDescriptor");
  if (openDevice == nullptr || getDescriptor == nullptr) {
    ShowErrorText(platform, "open function error");
    return kNoUsbPrinter;
  }
  const ProcAddress closeDevice = library.Find("CloseDevice");
  if (closeDevice == nullptr) return kNoUsbPrinter;

  // Count first: the descriptor is read only when exactly one printer is
  // attached. The library expects every slot opened to be closed, whether a
  // printer answered there or not.
  std::int32_t printers = 0;
  for (std::int32_t index = 0; index < kDeviceSlots; ++index) {
    const std::int32_t handle = platform.CallOpenDeviceX(openDevice, index);
    if (IsDevice(handle) && ++printers == 2) {
      platform.CallCloseDevice(closeDevice, handle);
      ShowError(platform, IDS_ONE_USB_PRINTER);
      return kSeveralUsbPrinters;
    }
    platform.CallCloseDevice(closeDevice, handle);
  }

  const std::int32_t device = OpenFirstDevice(platform, openDevice);
  if (device == 0) return kNoUsbPrinter;

  BYTE descriptor[kDescriptorBuffer] = {};
  if (platform.CallGetDescriptor(getDescriptor, device, descriptor) == 0) {
    ShowErrorText(platform, "Get Device ID error");
    platform.CallCloseDevice(closeDevice, device);
    return kNoUsbPrinter;
  }
  platform.CallCloseDevice(closeDevice, device);
  return descriptor[kReleaseNumberOffset] | (descriptor[kReleaseNumberOffset + 1] << 8);
}

std::array<std::uint8_t, kUsbCommandSize> UsbDeviceNumberCommand(std::int32_t deviceNumber) {
  std::array<std::uint8_t, kUsbCommandSize> command{};
  command[0] = 0x1B;
  for (std::size_t i = 0; i < kUsbAccessCode.size(); ++i) command[1 + i] = kUsbAccessCode[i];
  command[6] = 0x1D;
  command[7] = 0x49;
  command[8] = 0x20;
  command[9] = static_cast<std::uint8_t>(deviceNumber - 1);
  return command;
}

void WriteUsbDeviceNumber(Platform& platform, std::int32_t deviceNumber) {
  if (deviceNumber < 1 || deviceNumber > kDeviceSlots) return;

  LoadedLibrary library(platform, kUsbLibrary);
  // Without the library nothing can be sent; the user asked for the new
  // number, so say why it was not given, as the probe does.
  if (!library.IsLoaded()) {
    ShowErrorText(platform, "Can not load TvUsbInt.dll");
    return;
  }
  const ProcAddress openDevice = library.Find("OpenDeviceX");
  const ProcAddress write = openDevice == nullptr ? nullptr : library.Find("uWrite");
  if (openDevice == nullptr || write == nullptr) {
    ShowErrorText(platform, "open function error");
    return;
  }
  const ProcAddress closeDevice = library.Find("CloseDevice");
  if (closeDevice == nullptr) return;

  const std::int32_t device = OpenFirstDevice(platform, openDevice);
  if (device == 0) {
    ShowErrorText(platform, "Can not find USB device.");
    return;
  }
  const auto command = UsbDeviceNumberCommand(deviceNumber);
  const std::int32_t written = platform.CallUWrite(write, device, 0, command.data(),
                                                   static_cast<std::int32_t>(command.size()));
  if (written <= 0) ShowErrorText(platform, "write ID error");
  platform.CallCloseDevice(closeDevice, device);
}

}  // namespace setwell
