// USB device identification: device numbers, the device-number command and
// the talk with the USB interface library.
#include "system/UsbDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

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

// --- Against the simulated USB bus ------------------------------------------

int CountCalls(const sim::SimMachine& machine, const std::string& call) {
  int count = 0;
  for (const sim::SimCallRecord& record : machine.trace) count += record.call == call;
  return count;
}

// The library is loaded once and unloaded again within each operation, and
// no device is left open.
void ExpectLibraryReleased(const sim::SimMachine& machine) {
  EXPECT_EQ(CountCalls(machine, "LoadLibraryA"), 1);
  EXPECT_EQ(CountCalls(machine, "FreeLibrary"), 1);
  EXPECT_TRUE(machine.usb.OpenDevices().empty());
}

std::vector<std::string> Entries(const sim::SimMachine& machine) {
  std::vector<std::string> entries;
  for (const sim::SimUsbCall& call : machine.usb.calls) {
    entries.push_back(call.entry + " " + std::to_string(call.argument));
  }
  return entries;
}

TEST(UsbDeviceTest, ProbeWalksEveryIndexThenOpensTheOnePrinterAgain) {
  for (std::int32_t emptyResult : {-1, 0}) {
    sim::SimMachine machine;
    machine.InstallUsbLibrary();
    machine.usb.noDeviceResult = emptyResult;
    machine.usb.Attach(5, 9);
    EXPECT_EQ(ProbeUsbPrinter(machine), 9);
    EXPECT_TRUE(machine.ui.boxes.empty());

    const std::vector<sim::SimUsbCall>& calls = machine.usb.calls;
    ASSERT_EQ(calls.size(), 16u + 6u + 2u);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(calls[2 * i].entry, "OpenDeviceX");
      EXPECT_EQ(calls[2 * i].argument, i);
      // Every index is closed with what it opened, printer or not.
      EXPECT_EQ(calls[2 * i + 1].entry, "CloseDevice");
      EXPECT_EQ(calls[2 * i + 1].argument, calls[2 * i].result);
    }
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(calls[16 + i].entry, "OpenDeviceX");
      EXPECT_EQ(calls[16 + i].argument, i);
    }
    const std::int32_t device = calls[21].result;
    EXPECT_EQ(calls[22].entry, "GetDescriptor");
    EXPECT_EQ(calls[22].argument, device);
    EXPECT_EQ(calls[23].entry, "CloseDevice");
    EXPECT_EQ(calls[23].argument, device);
    ExpectLibraryReleased(machine);
  }
}

TEST(UsbDeviceTest, ProbeGivesTheDescriptorValueWhoseDeviceNumberNamesThePort) {
  const std::pair<WORD, std::int32_t> cases[] = {{9, 2}, {8, 1}, {0x1237, 8}, {0, 1}};
  for (const auto& [value, number] : cases) {
    sim::SimMachine machine;
    machine.InstallUsbLibrary();
    machine.usb.Attach(0, value);
    const std::int32_t probed = ProbeUsbPrinter(machine);
    EXPECT_EQ(probed, value);
    EXPECT_EQ(UsbDeviceNumber(probed), number) << value;
  }
}

TEST(UsbDeviceTest, TwoPrintersGiveMessage144WithoutReadingADescriptor) {
  sim::SimMachine machine;
  machine.InstallUsbLibrary();
  machine.usb.Attach(1, 3);
  machine.usb.Attach(6, 4);
  EXPECT_EQ(ProbeUsbPrinter(machine), kSeveralUsbPrinters);
  EXPECT_EQ(machine.ui.Texts(), std::vector<std::string>{"Connect just one USB printer to host"});
  for (const std::string& entry : Entries(machine)) {
    EXPECT_EQ(entry.find("GetDescriptor"), std::string::npos);
  }
  // The walk stops at the second printer.
  EXPECT_EQ(machine.usb.calls.back().entry, "CloseDevice");
  EXPECT_EQ(Entries(machine)[Entries(machine).size() - 2], "OpenDeviceX 6");
  ExpectLibraryReleased(machine);
}

TEST(UsbDeviceTest, ProbeFailuresAndTheirMessages) {
  struct Case {
    const char* name;
    bool library;
    const char* missing;  // entry point left out, or null
    bool printer;
    bool descriptorFails;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"no library", false, nullptr, true, false, {"Can not load TvUsbInt.dll"}},
      {"no OpenDeviceX", true, "OpenDeviceX", true, false, {"open function error"}},
      {"no GetDescriptor", true, "GetDescriptor", true, false, {"open function error"}},
      {"no CloseDevice", true, "CloseDevice", true, false, {}},
      {"no printer", true, nullptr, false, false, {}},
      {"descriptor unread", true, nullptr, true, true, {"Get Device ID error"}},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine;
    if (c.library) machine.InstallUsbLibrary();
    if (c.missing != nullptr) machine.usb.missingEntryPoints.insert(c.missing);
    if (c.printer) machine.usb.Attach(2, 10);
    if (c.descriptorFails) machine.faults.FailOnce("CallGetDescriptor", ERROR_INVALID_HANDLE);
    EXPECT_EQ(ProbeUsbPrinter(machine), kNoUsbPrinter) << c.name;
    EXPECT_EQ(machine.ui.Texts(), c.messages) << c.name;
    EXPECT_TRUE(machine.usb.OpenDevices().empty()) << c.name;
    if (c.missing != nullptr) {
      EXPECT_TRUE(machine.usb.calls.empty()) << c.name;
    }
    EXPECT_EQ(CountCalls(machine, "FreeLibrary"), c.library ? 1 : 0) << c.name;
  }
}

TEST(UsbDeviceTest, WriteUsbDeviceNumberSendsTheCommandTheFirstPrinterObeys) {
  for (std::int32_t n = 1; n <= 8; ++n) {
    sim::SimMachine machine;
    machine.InstallUsbLibrary();
    machine.usb.Attach(3, 0x0100);
    WriteUsbDeviceNumber(machine, n);
    EXPECT_TRUE(machine.ui.boxes.empty()) << n;
    ASSERT_EQ(machine.usb.writes.size(), 1u) << n;
    EXPECT_EQ(machine.usb.writes[0].index, 3);
    const auto command = UsbDeviceNumberCommand(n);
    EXPECT_EQ(machine.usb.writes[0].bytes, std::string(command.begin(), command.end()));
    machine.usb.PowerCycle();
    EXPECT_EQ(machine.usb.DeviceNumber(3), n);
    EXPECT_EQ(CountCalls(machine, "FreeLibrary"), 1);
    EXPECT_TRUE(machine.usb.OpenDevices().empty());
  }
}

TEST(UsbDeviceTest, WriteUsbDeviceNumberOutsideOneToEightTouchesNothing) {
  for (std::int32_t n : {0, 9, -1}) {
    sim::SimMachine machine;
    machine.InstallUsbLibrary();
    machine.usb.Attach(0, 1);
    WriteUsbDeviceNumber(machine, n);
    EXPECT_EQ(CountCalls(machine, "LoadLibraryA"), 0) << n;
    EXPECT_TRUE(machine.usb.calls.empty()) << n;
    EXPECT_TRUE(machine.ui.boxes.empty()) << n;
  }
}

TEST(UsbDeviceTest, WriteUsbDeviceNumberFailuresAndTheirMessages) {
  struct Case {
    const char* name;
    bool library;
    const char* missing;
    bool printer;
    bool refusesWrite;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      // Never called into: the sim fails the test with SimCrash if it were.
      {"no library", false, nullptr, true, false, {"Can not load TvUsbInt.dll"}},
      {"no OpenDeviceX", true, "OpenDeviceX", true, false, {"open function error"}},
      {"no uWrite", true, "uWrite", true, false, {"open function error"}},
      {"no CloseDevice", true, "CloseDevice", true, false, {}},
      {"no printer", true, nullptr, false, false, {"Can not find USB device."}},
      {"write refused", true, nullptr, true, true, {"write ID error"}},
  };
  for (const Case& c : cases) {
    sim::SimMachine machine;
    if (c.library) machine.InstallUsbLibrary();
    if (c.missing != nullptr) machine.usb.missingEntryPoints.insert(c.missing);
    if (c.printer) {
      machine.usb.Attach(4, 2);
      machine.usb.bus[4]->acceptsWrites = !c.refusesWrite;
    }
    WriteUsbDeviceNumber(machine, 6);
    EXPECT_EQ(machine.ui.Texts(), c.messages) << c.name;
    EXPECT_EQ(machine.usb.writes.size(), c.refusesWrite ? 1u : 0u) << c.name;
    EXPECT_TRUE(machine.usb.OpenDevices().empty()) << c.name;
    EXPECT_EQ(CountCalls(machine, "FreeLibrary"), c.library ? 1 : 0) << c.name;
    machine.usb.PowerCycle();
    if (c.printer) {
      EXPECT_EQ(machine.usb.DeviceNumber(4), 3) << c.name;
    }
  }
}

}  // namespace
}  // namespace setwell
