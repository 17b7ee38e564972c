// Serial line settings: the settings line, the raw device-control block and
// where each system keeps them.
#include "system/SerialSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr const char* kNtPorts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class\\Ports\\000";

TEST(SerialSettingsTest, SettingsLineForEveryStopBitParityAndFlowValue) {
  struct Case {
    std::int32_t baud, bits;
    double stop;
    char parity, flow;
    const char* line;
  };
  const Case cases[] = {
      {9600, 8, 1.0, 'n', 'x', "9600,n,8,1,x"},
      {19200, 7, 1.5, 'e', 'p', "19200,e,7,1.5,p"},
      {115200, 8, 2.0, 'o', ' ', "115200,o,8,2, "},
      {110, 5, 1.5, 'm', 'x', "110,m,5,1.5,x"},
      {4800, 6, 1.0, 's', ' ', "4800,s,6,1, "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SerialSettingsLine(c.baud, c.bits, c.stop, c.parity, c.flow), c.line) << c.line;
  }
}

TEST(SerialSettingsTest, SerialPortIsThePartFromComOn) {
  struct Case {
    const char* selected;
    const char* name;
    std::int32_t number;
  };
  const Case cases[] = {
      {"COM1:", "COM1:", 1},
      {"TVCOM2:", "COM2:", 2},
      {"COM12:", "COM12:", 1},  // one character only
      {"LPT1:", "", 0},
      {"TVCOM", "COM", 0},  // nothing after "COM" to read
      {"COMX:", "COMX:", 0},
  };
  for (const Case& c : cases) {
    const SerialPort port = SerialPortOf(c.selected);
    EXPECT_EQ(port.name, c.name) << c.selected;
    EXPECT_EQ(port.number, c.number) << c.selected;
  }
}

// The block as the serial driver reads it: little-endian fields, flag bits
// from bit 0 of the third double word.
std::vector<BYTE> Bytes(const DCB& dcb) {
  std::vector<BYTE> bytes(sizeof dcb);
  std::memcpy(bytes.data(), &dcb, sizeof dcb);
  return bytes;
}

std::vector<BYTE> ExpectedBlock(DWORD baud, DWORD flags, BYTE bits, BYTE parity, BYTE stop,
                                BYTE xon, BYTE xoff) {
  std::vector<BYTE> b(28, 0);
  b[0] = 28;
  for (int i = 0; i < 4; ++i) {
    b[4 + i] = static_cast<BYTE>(baud >> (8 * i));
    b[8 + i] = static_cast<BYTE>(flags >> (8 * i));
  }
  b[18] = bits;
  b[19] = parity;
  b[20] = stop;
  b[21] = xon;
  b[22] = xoff;
  return b;
}

TEST(SerialSettingsTest, DeviceControlBlockBytes) {
  constexpr DWORD kBinary = 1 << 0, kParity = 1 << 1, kCts = 1 << 2, kOutX = 1 << 8,
                  kInX = 1 << 9, kErrorChar = 1 << 10, kRtsEnable = 1 << 12;
  struct Case {
    std::int32_t baud, bits;
    double stop;
    char parity, flow;
    std::vector<BYTE> expected;
  };
  const Case cases[] = {
      {9600, 8, 1.0, 'n', 'x', ExpectedBlock(9600, kBinary | kOutX | kInX, 8, 0, 0, 0x11, 0x13)},
      {19200, 7, 1.5, 'o', 'p',
       ExpectedBlock(19200, kBinary | kParity | kErrorChar | kCts | kRtsEnable, 7, 1, 1, 0, 0)},
      {115200, 8, 2.0, 'e', ' ',
       ExpectedBlock(115200, kBinary | kParity | kErrorChar, 8, 2, 2, 0, 0)},
      {2400, 5, 1.0, 'm', ' ', ExpectedBlock(2400, kBinary | kParity | kErrorChar, 5, 3, 0, 0, 0)},
      {1200, 6, 2.0, 's', 'x',
       ExpectedBlock(1200, kBinary | kParity | kErrorChar | kOutX | kInX, 6, 4, 2, 0x11, 0x13)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bytes(BuildSerialDcb(c.baud, c.bits, c.stop, c.parity, c.flow)), c.expected)
        << c.baud << "," << c.parity << "," << c.flow;
  }
}

TEST(SerialSettingsTest, NtWritesTheLineIntoAnExistingPortsList) {
  sim::SimMachine machine;
  machine.registry.SetString(kNtPorts, "COM1:", "");
  WriteSerialSettingsNT(machine, "COM2:", 9600, 8, 1.5, 'n', 'p');
  const sim::RegValue* value = machine.registry.FindValue(kNtPorts, "COM2:");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, REG_SZ);
  EXPECT_EQ(value->data, std::string("9600,n,8,1.5,p", 15));  // with its terminator
  EXPECT_TRUE(machine.ui.boxes.empty());
  // NT reads its list of ports from the registry: no profile write, no broadcast.
  EXPECT_TRUE(machine.profile.writes.empty());
  EXPECT_TRUE(machine.profile.broadcasts.empty());
}

TEST(SerialSettingsTest, NtDoesNotCreateAMissingPortsList) {
  sim::SimMachine machine;
  machine.registry.DeleteKey(kNtPorts);
  WriteSerialSettingsNT(machine, "COM1:", 9600, 8, 1.0, 'n', 'x');
  EXPECT_FALSE(machine.registry.KeyExists(kNtPorts));
}

// Windows 98/Me class keys: 0000 a parallel port, 0001 and 0003 serial ports,
// 0002 a value too long to be a subclass.
void AddPortClassKeys(sim::SimMachine& machine) {
  machine.registry.SetValue(std::string(kClassKey) + "0", "PortSubClass", REG_BINARY,
                            std::string(1, '\0'));
  machine.registry.SetValue(std::string(kClassKey) + "1", "PortSubClass", REG_BINARY,
                            std::string(1, '\1'));
  machine.registry.SetValue(std::string(kClassKey) + "2", "PortSubClass", REG_BINARY,
                            std::string("\1\0\0\0", 4));
  machine.registry.SetValue(std::string(kClassKey) + "3", "PortSubClass", REG_BINARY,
                            std::string(1, '\1'));
}

TEST(SerialSettingsTest, Win98BlockGoesToTheSerialClassKeyOfThePortNumber) {
  struct Case {
    std::int32_t number;
    const char* written;  // class key that gets the block, or null
  };
  const Case cases[] = {{1, "1"}, {2, "3"}, {3, nullptr}, {0, nullptr}};
  for (const Case& c : cases) {
    sim::SimMachine machine(sim::kWin98);
    AddPortClassKeys(machine);
    WriteSerialSettings98(machine, c.number, "COM" + std::to_string(c.number) + ":", 9600, 8, 1.0,
                          'n', 'x');
    for (const char* k : {"0", "1", "2", "3"}) {
      const sim::RegValue* dcb = machine.registry.FindValue(std::string(kClassKey) + k, "DCB");
      if (c.written != nullptr && std::string(k) == c.written) {
        ASSERT_NE(dcb, nullptr) << c.number;
        EXPECT_EQ(dcb->type, REG_NONE);
        EXPECT_EQ(std::vector<BYTE>(dcb->data.begin(), dcb->data.end()),
                  Bytes(BuildSerialDcb(9600, 8, 1.0, 'n', 'x')));
      } else {
        EXPECT_EQ(dcb, nullptr) << "port " << c.number << " wrote class key " << k;
      }
    }
  }
}

TEST(SerialSettingsTest, Win98LineGoesToTheProfileAndTheProgramsAreTold) {
  struct Case {
    const char* selected;
    const char* blockKey;  // the machine's class key that gets the block, or null
  };
  // The machine's class keys: 0000 COM1, 0001 COM2 (serial), 0002 LPT1.
  const Case cases[] = {{"COM1:", "0"}, {"TVCOM2:", "1"}, {"COM3:", nullptr}};
  for (const Case& c : cases) {
    sim::SimMachine machine(sim::kWin98);
    const SerialPort port = SerialPortOf(c.selected);
    WriteSerialSettings98(machine, port.number, port.name, 19200, 7, 1.5, 'e', 'p');

    const std::string line = "19200,e,7,1.5,p";
    EXPECT_EQ(machine.profile.Get("Ports", port.name), line) << c.selected;
    const std::vector<sim::ProfileWrite> writes = {
        sim::ProfileWrite{"Ports", port.name, line},
        sim::ProfileWrite{},  // the flush
    };
    EXPECT_EQ(machine.profile.writes, writes) << c.selected;
    const std::vector<sim::Broadcast> broadcasts = {sim::Broadcast{"Ports", false, 0}};
    EXPECT_EQ(machine.profile.broadcasts, broadcasts) << c.selected;

    for (const char* k : {"0", "1", "2"}) {
      const bool written = c.blockKey != nullptr && std::string(k) == c.blockKey;
      EXPECT_EQ(machine.registry.FindValue(std::string(kClassKey) + k, "DCB") != nullptr, written)
          << c.selected << " class key " << k;
    }
  }
}

}  // namespace
}  // namespace setwell
