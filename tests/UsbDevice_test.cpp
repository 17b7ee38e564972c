// USB device identification: device numbers, the device-number command and
// the talk with the USB interface library.
#include "system/UsbDevice.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

TEST(UsbDeviceTest, DeviceNumberIsTheDescriptorValueModulo8Plus1) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 1}, {7, 8}, {8, 1}, {9, 2}, {0x0105, 6}, {65535, 8}};
  for (const auto& [value, number] : cases) EXPECT_EQ(UsbDeviceNumber(value), number) << value;
}

TEST(UsbDeviceTest, DeviceNumberCommandForEveryNumber) {
  for (std::int32_t n = 1; n <= 8; ++n) {
    const auto command = UsbDeviceNumberCommand(n);
    std::vector<std::uint8_t> expected = {0x1B};
    expected.insert(expected.end(), kUsbAccessCode.begin(), kUsbAccessCode.end());
    expected.insert(expected.end(), {0x1D, 0x49, 0x20, static_cast<std::uint8_t>(n - 1)});
    EXPECT_EQ(std::vector<std::uint8_t>(command.begin(), command.end()), expected) << n;
    // The printer takes the last byte modulo 8 as its new number.
    EXPECT_EQ(UsbDeviceNumber(command[9]), n);
  }
}

}  // namespace
}  // namespace setwell
