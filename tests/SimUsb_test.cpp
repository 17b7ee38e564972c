#include "sim/SimUsb.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

// The library's entry points, found as the installer finds them.
struct Library {
  explicit Library(SimMachine& m) : machine(m), module(m.LoadLibraryA("TvUsbInt.dll")) {
    if (module == nullptr) return;
    open = m.GetProcAddress(module, "OpenDeviceX");
    descriptor = m.GetProcAddress(module, "GetDescriptor");
    write = m.GetProcAddress(module, "uWrite");
    close = m.GetProcAddress(module, "CloseDevice");
  }
  ~Library() {
    if (module != nullptr) machine.FreeLibrary(module);
  }
  SimMachine& machine;
  ModuleHandle module;
  ProcAddress open = nullptr;
  ProcAddress descriptor = nullptr;
  ProcAddress write = nullptr;
  ProcAddress close = nullptr;
};

std::array<BYTE, 10> Command(int deviceNumber, const std::array<BYTE, 5>& code = kUsbAccessCode) {
  return {0x1B, code[0], code[1], code[2], code[3], code[4], 0x1D, 0x49, 0x20,
          static_cast<BYTE>(deviceNumber - 1)};
}

TEST(SimUsbTest, TheLibraryIsFoundWhereLoadLibraryLooks) {
  SimMachine machine(kWinXP);
  EXPECT_EQ(machine.LoadLibraryA("TvUsbInt.dll"), nullptr);
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  machine.InstallUsbLibrary();  // beside the program
  EXPECT_NE(machine.files.Find("D:\\TvUsbInt.dll"), nullptr);
  Library beside(machine);
  EXPECT_NE(beside.module, nullptr);

  SimMachine other(kWinXP);
  other.InstallUsbLibrary(other.system.systemDirectory);
  Library inSystem(other);
  EXPECT_NE(inSystem.module, nullptr);
  // Loaded, it cannot be replaced.
  other.files.WriteFile("C:\\new.dll", "new");
  EXPECT_FALSE(other.CopyFileA("C:\\new.dll", "C:\\WINDOWS\\system32\\tvusbint.dll", FALSE));
  EXPECT_EQ(other.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

class SimUsbEntryTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SimUsbEntryTest, AMissingEntryPointIsNotFoundAndTheOthersAre) {
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.missingEntryPoints = {GetParam()};
  Library library(machine);
  for (const char* entry : {"OpenDeviceX", "GetDescriptor", "uWrite", "CloseDevice"}) {
    SCOPED_TRACE(entry);
    const bool missing = std::string(entry) == GetParam();
    EXPECT_EQ(machine.GetProcAddress(library.module, entry) == nullptr, missing);
    if (missing) {
      EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Entries, SimUsbEntryTest,
                         ::testing::Values("OpenDeviceX", "GetDescriptor", "uWrite",
                                           "CloseDevice"));

TEST(SimUsbTest, EachIndexOfTheBusAnswersForItsPrinter) {
  for (std::int32_t empty : {-1, 0}) {
    SimMachine machine(kWinXP);
    machine.InstallUsbLibrary();
    machine.usb.noDeviceResult = empty;
    machine.usb.Attach(2, 17);
    machine.usb.Attach(5, 9);
    Library library(machine);
    std::vector<bool> found;
    for (std::int32_t index = 0; index < 8; ++index) {
      const std::int32_t device = machine.CallOpenDeviceX(library.open, index);
      found.push_back(device != empty);
      machine.CallCloseDevice(library.close, device);
    }
    EXPECT_EQ(found, (std::vector<bool>{false, false, true, false, false, true, false, false}));
    EXPECT_EQ(machine.CallOpenDeviceX(library.open, 8), empty);
    EXPECT_TRUE(machine.usb.OpenDevices().empty());
    EXPECT_EQ(machine.usb.calls.size(), 17u);
  }
}

TEST(SimUsbTest, TheDescriptorIsTheStandardOneWithTheValueAtOffsetTwelve) {
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 0x1234);
  Library library(machine);
  const std::int32_t device = machine.CallOpenDeviceX(library.open, 0);
  BYTE buffer[20];
  std::fill(std::begin(buffer), std::end(buffer), BYTE{0xEE});
  ASSERT_NE(machine.CallGetDescriptor(library.descriptor, device, buffer), 0);
  EXPECT_EQ(buffer[0], 18);
  EXPECT_EQ(buffer[1], 1);
  EXPECT_EQ(buffer[12] | buffer[13] << 8, 0x1234);
  EXPECT_EQ(buffer[18], 0xEE) << "nothing past the 18 bytes";
  EXPECT_EQ(buffer[19], 0xEE);
  machine.CallCloseDevice(library.close, device);
  EXPECT_EQ(machine.CallGetDescriptor(library.descriptor, device, buffer), 0)
      << "a closed device gives nothing";
}

struct NumberCase {
  WORD before;
  int deviceNumber;
  WORD after;
  friend void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << "descriptor " << c.before << ", device number " << c.deviceNumber;
  }
};

class SimUsbNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SimUsbNumberTest, TheWrittenNumberComesBackAfterThePowerCycle) {
  const NumberCase& c = GetParam();
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.Attach(3, c.before);
  Library library(machine);
  const std::int32_t device = machine.CallOpenDeviceX(library.open, 3);
  const std::array<BYTE, 10> command = Command(c.deviceNumber);
  EXPECT_EQ(machine.CallUWrite(library.write, device, 0, command.data(), 10), 10);
  machine.CallCloseDevice(library.close, device);
  ASSERT_EQ(machine.usb.writes.size(), 1u);
  EXPECT_EQ(machine.usb.writes[0].index, 3);
  EXPECT_EQ(machine.usb.writes[0].bytes, std::string(command.begin(), command.end()));
  EXPECT_EQ(machine.usb.bus[3]->descriptorValue, c.before) << "not before the power cycle";
  machine.usb.PowerCycle();
  EXPECT_EQ(machine.usb.bus[3]->descriptorValue, c.after);
  EXPECT_EQ(machine.usb.DeviceNumber(3), c.deviceNumber);
}

INSTANTIATE_TEST_SUITE_P(Numbers, SimUsbNumberTest,
                         ::testing::Values(NumberCase{9, 1, 8}, NumberCase{8, 8, 15},
                                           NumberCase{0, 3, 2}, NumberCase{0xFFFF, 2, 0xFFF9},
                                           NumberCase{0x0105, 6, 0x0105}));

TEST(SimUsbTest, OtherBytesAreRecordedAndIgnored) {
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 16);
  Library library(machine);
  const std::int32_t device = machine.CallOpenDeviceX(library.open, 0);
  std::array<BYTE, 10> wrongCode = Command(4, {1, 2, 3, 4, 5});
  std::array<BYTE, 10> numberTooHigh = Command(9);
  const BYTE shortCommand[3] = {0x1B, 0x1D, 0x49};
  EXPECT_EQ(machine.CallUWrite(library.write, device, 0, wrongCode.data(), 10), 10);
  EXPECT_EQ(machine.CallUWrite(library.write, device, 0, numberTooHigh.data(), 10), 10);
  EXPECT_EQ(machine.CallUWrite(library.write, device, 0, shortCommand, 3), 3);
  EXPECT_EQ(machine.usb.writes.size(), 3u);
  machine.usb.PowerCycle();
  EXPECT_EQ(machine.usb.DeviceNumber(0), 1);

  // A printer that takes nothing.
  machine.usb.bus[0]->acceptsWrites = false;
  const std::int32_t again = machine.CallOpenDeviceX(library.open, 0);
  const std::array<BYTE, 10> command = Command(2);
  EXPECT_EQ(machine.CallUWrite(library.write, again, 0, command.data(), 10), 0);
  machine.usb.PowerCycle();
  EXPECT_EQ(machine.usb.DeviceNumber(0), 1);
}

TEST(SimUsbTest, CallingIntoAFreedLibraryCrashesTheProgram) {
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 1);
  ModuleHandle module = machine.LoadLibraryA("TvUsbInt.dll");
  ProcAddress open = machine.GetProcAddress(module, "OpenDeviceX");
  ProcAddress close = machine.GetProcAddress(module, "CloseDevice");
  EXPECT_THROW(machine.CallCloseDevice(open, 1), SimCrash) << "through the wrong entry point";
  EXPECT_TRUE(machine.FreeLibrary(module));
  EXPECT_THROW(machine.CallOpenDeviceX(open, 0), SimCrash);
  EXPECT_THROW(machine.CallCloseDevice(close, 1), SimCrash);
  int notAnEntryPoint = 0;
  EXPECT_THROW(machine.CallOpenDeviceX(&notAnEntryPoint, 0), SimCrash);
}

}  // namespace
}  // namespace setwell::sim
