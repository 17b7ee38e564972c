// The registry records of USB installations.
#include "config/UsbPortRecords.h"

#include <gtest/gtest.h>

#include <string>

#include "config/InstallConfig.h"
#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr const char* kPortName = "SOFTWARE\\TALVORN\\PORTNAME";
constexpr const char* kPrinterPort = "SOFTWARE\\TALVORN\\PRINTERPORT";
constexpr const char* kInstallPrinter = "SOFTWARE\\TALVORN\\INSTALLPRINTER";

// A machine with the general file's supported USB devices.
class RecordsMachine {
 public:
  void WriteGeneral(const std::string& usbSection) {
    machine.files.WriteFile("D:\\DRVCONFIG\\setup.ini",
                            "[DEVICENAME]\nDEVICENUMBER=1\n[SUPPORTED-USB-DEVICE]\n" + usbSection);
  }
  void Update(const std::string& port) {
    InstallConfig config(machine);
    UpdateUsbPortRecords(machine, config, port);
  }
  // The DWORD data of a value, or -1 when it is missing or not a REG_DWORD.
  std::int64_t Data(const char* key, const std::string& name) const {
    const sim::RegValue* value = machine.registry.FindValue(key, name);
    if (value == nullptr || value->type != REG_DWORD) return -1;
    DWORD data = 0;
    if (!machine.registry.GetDword(key, name, data)) return -1;
    return data;
  }
  std::size_t ValueCount(const char* key) const {
    const sim::RegKey* k = machine.registry.FindKey(key);
    return k == nullptr ? 0 : k->values.size();
  }
  void ExpectDeviceSlotsCleared() {
    for (int d = 1; d <= 8; ++d) EXPECT_EQ(Data(kPrinterPort, "D" + std::to_string(d)), 0) << d;
  }

  sim::SimMachine machine;
};

constexpr const char* kThreePorts =
    "PRNCOUNT=3\n0=USB_KP-200_1\n1=USB_KP-200_2\n2=USB_TX8_1\n";

TEST(UsbPortRecordsTest, ChosenPortGetsItsPositionAndEverySupportedPortIsMarkedFree) {
  RecordsMachine r;
  r.WriteGeneral(kThreePorts);
  r.Update("USB_KP-200_2");
  EXPECT_EQ(r.Data(kPortName, "USB_KP-200_2"), 1);
  EXPECT_EQ(r.ValueCount(kPortName), 1u);
  r.ExpectDeviceSlotsCleared();
  EXPECT_EQ(r.Data(kPrinterPort, "USB_KP-200_1"), 255);
  EXPECT_EQ(r.Data(kPrinterPort, "USB_KP-200_2"), 255);
  EXPECT_EQ(r.Data(kPrinterPort, "USB_TX8_1"), 255);
  EXPECT_EQ(r.ValueCount(kPrinterPort), 11u);
  EXPECT_FALSE(r.machine.registry.KeyExists(kInstallPrinter));
  EXPECT_TRUE(r.machine.ui.boxes.empty());
}

TEST(UsbPortRecordsTest, NoSupportedDevicesStillCreatesTheKeysAndClearsTheSlots) {
  for (const char* section : {"PRNCOUNT=0\n0=USB_KP-200_1\n", "0=USB_KP-200_1\n"}) {
    RecordsMachine r;
    r.WriteGeneral(section);
    r.Update("USB_KP-200_1");
    EXPECT_TRUE(r.machine.registry.KeyExists(kPortName)) << section;
    EXPECT_EQ(r.ValueCount(kPortName), 0u) << section;
    r.ExpectDeviceSlotsCleared();
    EXPECT_EQ(r.ValueCount(kPrinterPort), 8u) << section;
  }
}

TEST(UsbPortRecordsTest, PortNamesMatchOnlyWithTheirLetterCase) {
  struct Case {
    const char* chosen;
    const char* entries;
    std::int64_t position;
  };
  const Case cases[] = {
      {"USB_KP-200_1", "PRNCOUNT=2\n0=usb_kp-200_1\n1=USB_KP-200_1\n", 1},
      {"USB_KP-200_1", "PRNCOUNT=1\n0=usb_kp-200_1\n", -1},
      {"USB_LB40_3", kThreePorts, -1},  // not supported at all
  };
  for (const Case& c : cases) {
    RecordsMachine r;
    r.WriteGeneral(c.entries);
    r.Update(c.chosen);
    EXPECT_EQ(r.Data(kPortName, c.chosen), c.position) << c.chosen << " in " << c.entries;
    // The records that do not depend on the chosen port are written all the same.
    r.ExpectDeviceSlotsCleared();
  }
}

TEST(UsbPortRecordsTest, EntriesAreCutAt29Characters) {
  RecordsMachine r;
  const std::string longPort = "USB_" + std::string(26, 'M') + "_1";  // 32 characters
  r.WriteGeneral("PRNCOUNT=1\n0=" + longPort + "\n");
  r.Update(longPort);
  EXPECT_EQ(r.Data(kPortName, longPort), -1);
  EXPECT_EQ(r.Data(kPrinterPort, longPort.substr(0, 29)), 255);
  EXPECT_EQ(r.Data(kPrinterPort, longPort), -1);
}

TEST(UsbPortRecordsTest, ExistingPortValuesKeepTheirData) {
  RecordsMachine r;
  r.WriteGeneral(kThreePorts);
  r.machine.registry.SetDword(kPrinterPort, "USB_KP-200_1", 0);
  r.machine.registry.SetDword(kPrinterPort, "D3", 7);
  // Not four bytes: not a record of ours, replaced.
  r.machine.registry.SetString(kPrinterPort, "USB_TX8_1", "0");
  r.Update("USB_TX8_1");
  EXPECT_EQ(r.Data(kPrinterPort, "USB_KP-200_1"), 0);
  EXPECT_EQ(r.Data(kPrinterPort, "USB_KP-200_2"), 255);
  EXPECT_EQ(r.Data(kPrinterPort, "USB_TX8_1"), 255);
  r.ExpectDeviceSlotsCleared();
}

TEST(UsbPortRecordsTest, InstalledPrintersGetThePositionsOfTheirPorts) {
  RecordsMachine r;
  r.WriteGeneral(kThreePorts);
  r.machine.registry.SetDword(kInstallPrinter, "KP-200(U) 2", 1);
  r.machine.registry.SetDword(kInstallPrinter, "TX8(U) 1", 1);
  r.machine.registry.SetDword(kInstallPrinter, "LB40(U) 1", 1);  // not supported
  r.machine.registry.SetDword(kInstallPrinter, "KP-200(U", 1);   // cut short
  r.Update("USB_KP-200_1");
  EXPECT_EQ(r.Data(kPortName, "USB_KP-200_1"), 0);
  EXPECT_EQ(r.Data(kPortName, "USB_KP-200_2"), 1);
  EXPECT_EQ(r.Data(kPortName, "USB_TX8_1"), 2);
  EXPECT_EQ(r.ValueCount(kPortName), 3u);
  EXPECT_EQ(r.ValueCount(kInstallPrinter), 4u);  // only read
}

TEST(UsbPortRecordsTest, RecordUsbPortInstallMarksThePortTakenOnlyWhenTheKeyExists) {
  RecordsMachine r;
  RecordUsbPortInstall(r.machine, "USB_KP-200_1");
  EXPECT_FALSE(r.machine.registry.KeyExists(kPrinterPort));

  r.machine.registry.SetDword(kPrinterPort, "USB_KP-200_1", 255);
  RecordUsbPortInstall(r.machine, "USB_KP-200_1");
  EXPECT_EQ(r.Data(kPrinterPort, "USB_KP-200_1"), 0);
}

TEST(UsbPortNameOfPrinterTest, TranslatesPrinterNamesWithoutReadingPastTheirEnd) {
  struct Case {
    const char* printer;
    const char* port;
  };
  const Case cases[] = {
      {"KP-200(U) 1", "USB_KP-200_1"},
      {"TX 8 Plus(U) 4", "USB_TX 8 Plus_4"},
      {"KP-200", "USB_KP-200"},
      {"KP-200(1)", "USB_KP-200_"},  // "(1)" ends before the digit's place
      {"KP-200(U)", "USB_KP-200_"},
      {"(", "USB__"},
      {"KP(U) 3(2)", "USB_KP_3"},  // the first "(" counts
  };
  for (const Case& c : cases) EXPECT_EQ(UsbPortNameOfPrinter(c.printer), c.port) << c.printer;
}

}  // namespace
}  // namespace setwell
