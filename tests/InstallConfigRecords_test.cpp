// The print-system records built from a category file: which section and
// key each field comes from, for every target system and driver mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/DevModeLayout.h"
#include "config/InstallConfig.h"
#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr const char* kReceiptFile = "D:\\DRVCONFIG\\setup_receipt.ini";
constexpr const char* kGeneralFile = "D:\\DRVCONFIG\\setup.ini";

// Every target-system section names its files after its suffix, so a test
// can tell which section a field came from.
std::string TargetSectionText(const std::string& model, const std::string& suffix) {
  std::string s = "[" + model + "." + suffix + "]\n";
  for (const char* mode : {"STD", "GDI"}) {
    const std::string tag = std::string(mode) + suffix;
    s += std::string(mode) + "DriverPath=drv" + tag + ".dll\n";
    s += std::string(mode) + "DataFile=data" + tag + ".gpd\n";
    s += std::string(mode) + "ConfigFile=ui" + tag + ".dll\n";
    s += std::string(mode) + "HelpFile=help" + tag + ".hlp\n";
    s += std::string(mode) + "MonitorName=Lang Monitor " + tag + "\n";
    s += std::string(mode) + "MonitorDLLName=lm" + tag + ".dll\n";
    s += std::string(mode) + "ProcessorDLLName=pp" + tag + ".dll\n";
    s += std::string(mode) + "PrintProcessor=Proc" + tag + "\n";
    s += std::string(mode) + "DataFileDLLName=res" + tag + ".dll\n";
    s += std::string(mode) + "DataOemuniDLL=oem" + tag + ".dll\n";
    s += std::string(mode) + "DataOemuniini=oem" + tag + ".ini\n";
  }
  return s;
}

std::string PrinterSectionText(const std::string& model, const std::string& suffix) {
  return "[" + model + ".PRINTERINFO" + suffix + "]\n" +
         "STDDRIVERNAME=Std Driver " + suffix + "\n" +
         "GDIDRIVERNAME=Gdi Driver " + suffix + "\n" +
         "COMMENT=Comment " + suffix + "\nLOCATION=Counter " + suffix + "\n" +
         "SERVERNAME=0\nSEPFILE=sep" + suffix + ".sep\nDATATYPE=RAW\nPARAMETERS=p=" + suffix +
         "\nSHARENAME=ignored\nATTRIBUTES=576\nPRIORITY=1\nDEFAULTPRIORITY=2\nSTARTTIME=60\n"
         "UNTILTIME=1380\nSTATUS=0\nCJOBS=-1\nAVERAGEPPM=12ppm\n";
}

std::string DevModeSectionText(const std::string& model, const std::string& suffix, int paper) {
  return "[" + model + ".DEVMODE" + suffix + "]\n" +
         "DRIVERVERSION=1025\nDMDRIVEREXTRA=0\nORIENTATION=2\nPAPERSIZE=" + std::to_string(paper) +
         "\nPAPERLENGTH=70000\nPAPERWIDTH=800\nSCALE=100\nCOPIES=1\nDEFAULTSOURCE=15\n"
         "PRINTQUALITY=-3\nCOLOR=1\nDUPLEX=1\nYRESOLUTION=203\nTTOPTION=2\nCOLLATE=0\n"
         "FORMNAME=Roll " + suffix + "\nICMMETHOD=1\nICMINTENT=2\nMEDIATYPE=3\nDITHERTYPE=4\n"
         "FIELDS=0x10\n";
}

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.moduleFileName = "D:\\Setup.exe";
    std::string text;
    for (const char* suffix : {"98", "NT", "2K", "XP", "2003"}) {
      text += TargetSectionText("KP-200", suffix);
      // XP has no printer or device-mode sections of its own that are read;
      // these are decoys.
      text += PrinterSectionText("KP-200", suffix);
    }
    text += DevModeSectionText("KP-200", "98", 98) + DevModeSectionText("KP-200", "NT", 40) +
            DevModeSectionText("KP-200", "2K", 2000) + DevModeSectionText("KP-200", "XP", 1) +
            DevModeSectionText("KP-200", "2003", 2003);
    text += "[KP-200.2K]\nGDI2KDDKDEV=1\n";  // a duplicate section: never read
    machine.files.WriteFile(kReceiptFile, text);
  }
  void AddKeys(const std::string& extra) {
    machine.files.Find(kReceiptFile)->data.insert(0, extra);
  }

  sim::SimMachine machine;
};

struct TargetCase {
  int target;
  const char* files;    // suffix of the target-system section
  const char* printer;  // suffix of the printer and device-mode sections
  DWORD version;
  bool environment98;
  short paper;
};

constexpr TargetCase kTargets[] = {
    {kWin98, "98", "98", 0, true, 98},       {kWinNT4, "NT", "NT", 2, false, 40},
    {kWin2000, "2K", "2K", 3, false, 2000},  {kWinXP, "XP", "2K", 3, false, 2000},
    {kWin2003, "2003", "2003", 3, false, 2003},
};

TEST_F(RecordsTest, EachFieldComesFromItsSectionForEveryTargetAndMode) {
  for (const TargetCase& t : kTargets) {
    for (int mode : {kStandardDriver, kRasterDriver}) {
      SCOPED_TRACE(std::string("target ") + t.files + " mode " + std::to_string(mode));
      const std::string prefix = mode == kRasterDriver ? "GDI" : "STD";
      const std::string tag = prefix + t.files;
      InstallConfig config(machine);
      config.SetCategory(kReceipt);

      DriverFileList list{};
      config.GetDriverFiles("KP-200", t.target, list, mode);
      EXPECT_STREQ(list.driverFile, ("drv" + tag + ".dll").c_str());
      EXPECT_STREQ(list.dataFile, ("data" + tag + ".gpd").c_str());
      EXPECT_STREQ(list.configFile, ("ui" + tag + ".dll").c_str());
      EXPECT_STREQ(list.helpFile, ("help" + tag + ".hlp").c_str());
      EXPECT_STREQ(list.monitorDll, ("lm" + tag + ".dll").c_str());
      EXPECT_STREQ(list.printProcessorDll, ("pp" + tag + ".dll").c_str());
      EXPECT_STREQ(list.dataFileDll, ("res" + tag + ".dll").c_str());
      EXPECT_STREQ(list.oemPluginDll, ("oem" + tag + ".dll").c_str());
      EXPECT_STREQ(list.oemPluginSettings, ("oem" + tag + ".ini").c_str());

      DRIVER_INFO_3A driver{};
      config.GetDriverInfo("KP-200", t.target, driver, mode);
      EXPECT_EQ(driver.cVersion, t.version);
      EXPECT_EQ(std::string(driver.pName),
                (mode == kRasterDriver ? "Gdi Driver " : "Std Driver ") + std::string(t.printer));
      if (t.environment98) {
        EXPECT_STREQ(driver.pEnvironment, "Windows 4.0");
      } else {
        EXPECT_EQ(driver.pEnvironment, nullptr);
      }
      EXPECT_STREQ(driver.pDriverPath, list.driverFile);
      EXPECT_STREQ(driver.pDataFile, list.dataFile);
      EXPECT_STREQ(driver.pConfigFile, list.configFile);
      EXPECT_STREQ(driver.pHelpFile, list.helpFile);
      EXPECT_STREQ(driver.pMonitorName, ("Lang Monitor " + tag).c_str());
      EXPECT_EQ(driver.pDefaultDataType, nullptr);
      EXPECT_EQ(driver.pDependentFiles[0], '\0');  // no "GDI2KDDKDEV": empty list

      MONITOR_INFO_2A monitor{};
      config.GetMonitorInfo("KP-200", t.target, monitor, mode);
      EXPECT_STREQ(monitor.pName, driver.pMonitorName);
      EXPECT_STREQ(monitor.pDLLName, list.monitorDll);
      EXPECT_EQ(monitor.pEnvironment, driver.pEnvironment);

      DevModeBlock block;
      PRINTER_INFO_2A printer{};
      printer.pDevMode = block.get();
      config.GetPrinterInfo("KP-200", t.target, printer, mode);
      EXPECT_STREQ(printer.pDriverName, driver.pName);
      EXPECT_STREQ(printer.pComment, (std::string("Comment ") + t.printer).c_str());
      EXPECT_STREQ(printer.pPrintProcessor, ("Proc" + tag).c_str());
      EXPECT_EQ(block.get()->dmPaperSize, t.paper);
      EXPECT_STREQ(reinterpret_cast<const char*>(block.get()->dmFormName),
                   (std::string("Roll ") + t.printer).c_str());
    }
  }
}

TEST_F(RecordsTest, PrinterRecordFieldsAndNumbers) {
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("KP-200", kWin2000, printer, kStandardDriver);
  EXPECT_STREQ(printer.pServerName, "0");
  EXPECT_STREQ(printer.pPrinterName, "KP-200");
  EXPECT_EQ(printer.pPrinterName, config.PrinterNameField());
  EXPECT_EQ(printer.pShareName, nullptr);  // whatever the file says
  EXPECT_EQ(printer.pPortName, nullptr);   // the install sequence sets it
  EXPECT_STREQ(printer.pLocation, "Counter 2K");
  EXPECT_STREQ(printer.pSepFile, "sep2K.sep");
  EXPECT_STREQ(printer.pDatatype, "RAW");
  EXPECT_STREQ(printer.pParameters, "p=2K");
  EXPECT_EQ(printer.pSecurityDescriptor, nullptr);
  EXPECT_EQ(printer.Attributes, 576u);
  EXPECT_EQ(printer.Priority, 1u);
  EXPECT_EQ(printer.DefaultPriority, 2u);
  EXPECT_EQ(printer.StartTime, 60u);
  EXPECT_EQ(printer.UntilTime, 1380u);
  EXPECT_EQ(printer.Status, 0u);
  EXPECT_EQ(printer.cJobs, 0xFFFFFFFFu);  // -1 as 32 bits
  EXPECT_EQ(printer.AveragePPM, 12u);
}

DWORD U32At(const unsigned char* bytes, std::size_t offset) {
  DWORD value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}
WORD U16At(const unsigned char* bytes, std::size_t offset) {
  WORD value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

TEST_F(RecordsTest, DeviceModeBytesSitAtTheirOffsets) {
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("KP-200", kWinNT4, printer, kRasterDriver);
  const unsigned char* b = block.bytes;
  EXPECT_STREQ(reinterpret_cast<const char*>(b), "KP-200");
  EXPECT_EQ(U16At(b, 32), 0x0400);  // specification version
  EXPECT_EQ(U16At(b, 34), 1025);    // driver version
  EXPECT_EQ(U16At(b, 36), 148);     // size
  EXPECT_EQ(U16At(b, 38), 0);       // driver extra
  EXPECT_EQ(U32At(b, 40), 0u);      // fields: "0x10" is not a decimal number
  EXPECT_EQ(U16At(b, 44), 2);       // orientation
  EXPECT_EQ(U16At(b, 46), 40);      // paper size
  EXPECT_EQ(U16At(b, 48), 4464);    // paper length: low 16 bits of 70000
  EXPECT_EQ(U16At(b, 50), 800);
  EXPECT_EQ(U16At(b, 52), 100);
  EXPECT_EQ(U16At(b, 54), 1);
  EXPECT_EQ(U16At(b, 56), 15);
  EXPECT_EQ(U16At(b, 58), 0xFFFD);  // print quality -3
  EXPECT_EQ(U16At(b, 60), 1);
  EXPECT_EQ(U16At(b, 62), 1);
  EXPECT_EQ(U16At(b, 64), 203);
  EXPECT_EQ(U16At(b, 66), 2);
  EXPECT_EQ(U16At(b, 68), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 70), "Roll NT");
  EXPECT_EQ(U16At(b, 102), 0);  // log pixels: not configured
  EXPECT_EQ(U32At(b, 124), 1u);
  EXPECT_EQ(U32At(b, 128), 2u);
  EXPECT_EQ(U32At(b, 132), 3u);
  EXPECT_EQ(U32At(b, 136), 4u);
  for (std::size_t i = 104; i < 124; ++i) EXPECT_EQ(b[i], 0) << "byte " << i;
  for (std::size_t i = 140; i < 148; ++i) EXPECT_EQ(b[i], 0) << "byte " << i;
}

TEST_F(RecordsTest, DeviceModeOfAMissingSectionAndAnOddModel) {
  AddKeys("[Odd%s%d.PRINTERINFO2K]\nFIELDS=1\n[Odd%s%d.DEVMODE2K]\nFIELDS=1\nDMDRIVEREXTRA=64\n");
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("NoSuchModel", kWin2000, printer, kStandardDriver);
  DEVMODEA* dm = block.get();
  EXPECT_STREQ(reinterpret_cast<const char*>(dm->dmDeviceName), "NoSuchModel");
  EXPECT_EQ(dm->dmSpecVersion, 0x0400);
  EXPECT_EQ(dm->dmSize, 148);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm->dmFormName), "0");
  EXPECT_EQ(dm->dmFields, 0u);
  EXPECT_EQ(dm->dmOrientation, 0);
  EXPECT_STREQ(printer.pDatatype, "0");

  // Percent signs are data, never a format. Private driver data is never
  // announced: the block carries none.
  DevModeBlock odd;
  printer = PRINTER_INFO_2A{};
  printer.pDevMode = odd.get();
  config.GetPrinterInfo("Odd%s%d", kWinXP, printer, kStandardDriver);
  EXPECT_STREQ(printer.pPrinterName, "Odd%s%d");
  EXPECT_STREQ(reinterpret_cast<const char*>(odd.get()->dmDeviceName), "Odd%s%d");
  EXPECT_EQ(odd.get()->dmFields, 1u);
  EXPECT_EQ(odd.get()->dmDriverExtra, 0);
}

TEST_F(RecordsTest, LongModelNameIsCutInTheDeviceNameOnly) {
  const std::string model(40, 'M');
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo(model, kWin2000, printer, kStandardDriver);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.get()->dmDeviceName)), model.substr(0, 31));
  EXPECT_EQ(std::string(printer.pPrinterName), model);
  EXPECT_EQ(block.get()->dmSpecVersion, 0x0400);  // the cut did not spill over
}

std::vector<std::string> DependentNames(const char* list) {
  std::vector<std::string> names;
  while (*list != '\0') {
    names.emplace_back(list);
    list += names.back().size() + 1;
  }
  return names;
}

TEST_F(RecordsTest, DependentFilesFollowTheRasterFlagOnWindows2000AndLater) {
  struct Case {
    const char* name;
    const char* keys;  // prepended to the KP-9 sections
    int target;
    int mode;
    std::vector<std::string> expected;
  };
  const std::vector<std::string> unidrv = {"kp9.gpd", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> all = unidrv;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  };
  const Case cases[] = {
      {"no plug-in", "GDI2KDDKDEV=1\nSTDDataOemuniDLL=0\nSTDDataOemuniini=0\n", kWin2000,
       kStandardDriver, unidrv},
      {"plug-in", "GDI2KDDKDEV=1\nSTDDataOemuniDLL=kpoem.dll\nSTDDataOemuniini=kpoem.ini\n",
       kWinXP, kStandardDriver, with({"kpoem.dll", "kpoem.ini"})},
      {"empty plug-in ends the list", "GDI2KDDKDEV=1\nSTDDataOemuniDLL=\nSTDDataOemuniini=x.ini\n",
       kWin2003, kStandardDriver, unidrv},
      {"settings only", "GDI2KDDKDEV=7\nGDIDataOemuniDLL=0x\nGDIDataOemuniini=kpoem.ini\n", kWin2000,
       kRasterDriver, with({"kpoem.ini"})},
      {"NT 4.0 never", "GDI2KDDKDEV=1\n", kWinNT4, kStandardDriver, {}},
      {"98 never", "GDI2KDDKDEV=1\n", kWin98, kRasterDriver, {}},
      {"flag zero", "GDI2KDDKDEV=0\nSTD2KDDKDEV=1\n", kWin2000, kStandardDriver, {}},
      {"flag not a number", "GDI2KDDKDEV=yes\n", kWin2000, kStandardDriver, {}},
  };
  const char* suffixes[] = {"98", "NT", "2K", "XP", "2003"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string prefix = c.mode == kRasterDriver ? "GDI" : "STD";
    machine.files.WriteFile(kReceiptFile, "[KP-9." + std::string(suffixes[c.target]) + "]\n" +
                                              prefix + "DataFile=kp9.gpd\n" + c.keys);
    InstallConfig config(machine);
    config.SetCategory(kReceipt);
    DRIVER_INFO_3A driver{};
    config.GetDriverInfo("KP-9", c.target, driver, c.mode);
    EXPECT_EQ(DependentNames(driver.pDependentFiles), c.expected);
  }
}

TEST_F(RecordsTest, LongestDependentListFitsWhole) {
  const std::string data(199, 'd'), dll(199, 'o'), ini(199, 'i');
  machine.files.WriteFile(kReceiptFile, "[KP-9.2K]\nGDI2KDDKDEV=1\nGDIDataFile=" + data +
                                            "\nGDIDataOemuniDLL=" + dll +
                                            "\nGDIDataOemuniini=" + ini + "\n");
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DRIVER_INFO_3A driver{};
  config.GetDriverInfo("KP-9", kWin2000, driver, kRasterDriver);
  const std::vector<std::string> expected = {data, "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD", dll,
                                             ini};
  EXPECT_EQ(DependentNames(driver.pDependentFiles), expected);
}

TEST_F(RecordsTest, TheTwoReadersOfTheUnidrvFlagDiffer) {
  struct Case {
    const char* keys;
    int mode;
    bool ddk;
    bool dependents;
  };
  const Case cases[] = {
      {"STD2KDDKDEV=1\nGDI2KDDKDEV=0\n", kStandardDriver, true, false},
      {"STD2KDDKDEV=0\nGDI2KDDKDEV=1\n", kStandardDriver, false, true},
      {"STD2KDDKDEV=1abc\n", kStandardDriver, true, false},
      {"STD2KDDKDEV=01\n", kStandardDriver, false, false},
      {"GDI2KDDKDEV=01\n", kRasterDriver, false, true},
      {"GDI2KDDKDEV=1\n", kRasterDriver, true, true},
      {"", kRasterDriver, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    machine.files.WriteFile(kReceiptFile, std::string("[KP-9.XP]\n") + c.keys);
    InstallConfig config(machine);
    config.SetCategory(kReceipt);
    EXPECT_EQ(config.IsDdkDriver("KP-9", kWinXP, c.mode), c.ddk);
    DRIVER_INFO_3A driver{};
    config.GetDriverInfo("KP-9", kWinXP, driver, c.mode);
    EXPECT_EQ(driver.pDependentFiles[0] != '\0', c.dependents);
  }
}

TEST_F(RecordsTest, MissingKeysAndUnsetCategoryGiveZero) {
  InstallConfig config(machine);  // category not set: every category read gives "0"
  DriverFileList list{};
  config.GetDriverFiles("KP-200", kWinXP, list, kStandardDriver);
  EXPECT_STREQ(list.driverFile, "0");
  DRIVER_INFO_3A driver{};
  config.SetCategory(kReceipt);
  config.GetDriverInfo("Absent", kWinXP, driver, kStandardDriver);
  EXPECT_STREQ(driver.pName, "0");
  EXPECT_STREQ(driver.pMonitorName, "0");
  // A target outside 0..4 forms no section.
  config.GetDriverFiles("KP-200", 5, list, kStandardDriver);
  EXPECT_STREQ(list.driverFile, "0");
}

TEST_F(RecordsTest, ValuesAreCutToTheirKeysLimits) {
  const std::string longText(300, 'x');
  machine.files.WriteFile(kReceiptFile,
                          "[KP-9.2K]\nSTDDriverPath=" + longText + "\nSTDMonitorName=" + longText +
                              "\nSTDPrintProcessor=" + longText + "\n[KP-9.PRINTERINFO2K]\nCOMMENT=" +
                              longText + "\nSTDDRIVERNAME=" + longText + "\n[KP-9.DEVMODE2K]\nFORMNAME=" +
                              longText + "\n");
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  DriverFileList list{};
  config.GetDriverFiles("KP-9", kWin2000, list, kStandardDriver);
  EXPECT_EQ(std::strlen(list.driverFile), 199u);
  DRIVER_INFO_3A driver{};
  config.GetDriverInfo("KP-9", kWin2000, driver, kStandardDriver);
  EXPECT_EQ(std::strlen(driver.pMonitorName), 49u);
  EXPECT_EQ(std::strlen(driver.pName), 49u);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("KP-9", kWin2000, printer, kStandardDriver);
  EXPECT_EQ(std::strlen(printer.pComment), 49u);
  EXPECT_EQ(std::strlen(printer.pPrintProcessor), 49u);
  EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(block.get()->dmFormName)), 19u);
}

TEST_F(RecordsTest, PortMonitorsComeFromTheGeneralFileAndLeaveTheModelMonitor) {
  machine.files.WriteFile(
      kGeneralFile,
      "[COMMON-MONITOR.2K]\nCOMMONitorPName=Serial 2K\n"
      "[COMMON-MONITOR.XP]\nCOMMONitorPName=Serial Monitor XP\nCOMMONitorPDLLName=sermon.dll\n"
      "COMMONitorPUIDLLName=sermonui.dll\nCOMMONitorVersion=7\nUSBMONitorPName=USB Monitor XP\n"
      "USBMONitorPDLLName=usbmon.dll\nUSBMONitorPUIDLLName=usbmonui.dll\nUSBMONitorVersion=12abc\n"
      "[COMMON-MONITOR.98]\nUSBMONitorPName=USB Monitor 98\n");
  InstallConfig config(machine);
  config.SetCategory(kReceipt);
  MONITOR_INFO_2A model{};
  config.GetMonitorInfo("KP-200", kWinXP, model, kRasterDriver);

  PortMonitorSet set{};
  config.GetPortMonitors(kWinXP, set);
  EXPECT_STREQ(set.serial.pName, "Serial Monitor XP");
  EXPECT_STREQ(set.serial.pDLLName, "sermon.dll");
  EXPECT_STREQ(set.serialUiDll, "sermonui.dll");
  EXPECT_EQ(set.serialVersion, 7);
  EXPECT_STREQ(set.usb.pName, "USB Monitor XP");
  EXPECT_STREQ(set.usb.pDLLName, "usbmon.dll");
  EXPECT_STREQ(set.usbUiDll, "usbmonui.dll");
  EXPECT_EQ(set.usbVersion, 12);
  EXPECT_EQ(set.serial.pEnvironment, nullptr);
  EXPECT_EQ(set.usb.pEnvironment, nullptr);
  EXPECT_STREQ(model.pName, "Lang Monitor GDIXP");
  EXPECT_STREQ(model.pDLLName, "lmGDIXP.dll");

  InstallConfig noCategory(machine);
  PortMonitorSet set98{};
  noCategory.GetPortMonitors(kWin98, set98);
  EXPECT_STREQ(set98.usb.pName, "USB Monitor 98");
  EXPECT_STREQ(set98.usb.pEnvironment, "Windows 4.0");
  EXPECT_STREQ(set98.serial.pEnvironment, "Windows 4.0");
  EXPECT_STREQ(set98.serial.pName, "0");
  EXPECT_EQ(set98.usbVersion, 0);
}

TEST_F(RecordsTest, SecurityDescriptorOnlyFromAValidDescriptorString) {
  struct Case {
    const char* value;
    bool descriptor;
  };
  const Case cases[] = {
      {"0", false},
      {"", false},
      {"everyone may print", false},
      {"D:(A;;GA;;;WD)", true},
      {"O:BAG:SYD:P(A;;GA;;;SY)(A;;GR;;;WD)", true},
      {"D:(A;;GA;;WD)", false},  // an ACE with five fields
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    machine.files.WriteFile(kReceiptFile,
                            std::string("[KP-9.PRINTERINFO2K]\nSECURITYDESCRIPTOR=") + c.value + "\n");
    {
      InstallConfig config(machine);
      config.SetCategory(kReceipt);
      DevModeBlock block;
      PRINTER_INFO_2A printer{};
      printer.pDevMode = block.get();
      config.GetPrinterInfo("KP-9", kWin2000, printer, kStandardDriver);
      EXPECT_EQ(printer.pSecurityDescriptor != nullptr, c.descriptor);
      // Building the record again releases the earlier descriptor.
      config.GetPrinterInfo("KP-9", kWin2000, printer, kStandardDriver);
      EXPECT_EQ(machine.LiveSecurityDescriptors(), c.descriptor ? 1u : 0u);
    }
    EXPECT_EQ(machine.LiveSecurityDescriptors(), 0u);
  }
}

}  // namespace
}  // namespace setwell

namespace setwell {
namespace {

// Every key of every section at and past its limit, run under the
// sanitizers: no operation may write past a field.
TEST(RecordsHostileTest, EveryValueAtAndPastItsLimit) {
  const char* targetKeys[] = {"DriverPath",   "DataFile",        "ConfigFile",
                              "HelpFile",     "MonitorName",     "MonitorDLLName",
                              "ProcessorDLLName", "PrintProcessor", "DataFileDLLName",
                              "DataOemuniDLL", "DataOemuniini",  "2KDDKDEV"};
  const char* printerKeys[] = {"STDDRIVERNAME", "GDIDRIVERNAME", "SERVERNAME", "COMMENT",
                               "LOCATION", "SEPFILE", "DATATYPE", "PARAMETERS",
                               "SECURITYDESCRIPTOR", "ATTRIBUTES", "PRIORITY", "DEFAULTPRIORITY",
                               "STARTTIME", "UNTILTIME", "STATUS", "CJOBS", "AVERAGEPPM"};
  const char* devModeKeys[] = {"DRIVERVERSION", "DMDRIVEREXTRA", "ORIENTATION", "PAPERSIZE",
                               "PAPERLENGTH", "PAPERWIDTH", "SCALE", "COPIES", "DEFAULTSOURCE",
                               "PRINTQUALITY", "COLOR", "DUPLEX", "YRESOLUTION", "TTOPTION",
                               "COLLATE", "FORMNAME", "ICMMETHOD", "ICMINTENT", "MEDIATYPE",
                               "DITHERTYPE", "FIELDS"};
  const char* monitorKeys[] = {"COMMONitorPName",    "COMMONitorPDLLName", "COMMONitorPUIDLLName",
                               "COMMONitorVersion",  "USBMONitorPName",    "USBMONitorPDLLName",
                               "USBMONitorPUIDLLName", "USBMONitorVersion"};
  const std::string model = "%s%n%99999d" + std::string(190, 'M');  // 201 characters
  for (std::size_t length : {9u, 10u, 19u, 20u, 49u, 50u, 199u, 200u, 5000u}) {
    SCOPED_TRACE(length);
    const std::string value = "1" + std::string(length - 1, '9');
    std::string category, general;
    for (const char* suffix : {"98", "NT", "2K", "XP", "2003"}) {
      category += "[" + model + "." + suffix + "]\n";
      for (const char* key : targetKeys) {
        category += std::string("STD") + key + "=" + value + "\nGDI" + key + "=" + value + "\n";
      }
      category += "[" + model + ".PRINTERINFO" + suffix + "]\n";
      for (const char* key : printerKeys) category += std::string(key) + "=" + value + "\n";
      category += "[" + model + ".DEVMODE" + suffix + "]\n";
      for (const char* key : devModeKeys) category += std::string(key) + "=" + value + "\n";
      general += std::string("[COMMON-MONITOR.") + suffix + "]\n";
      for (const char* key : monitorKeys) general += std::string(key) + "=" + value + "\n";
    }
    sim::SimMachine machine;
    machine.moduleFileName = "D:\\Setup.exe";
    machine.files.WriteFile("D:\\DRVCONFIG\\setup_embedded.ini", category);
    machine.files.WriteFile("D:\\DRVCONFIG\\setup.ini", general);
    InstallConfig config(machine);
    config.SetCategory(kEmbedded);
    for (int target = -1; target <= 5; ++target) {
      for (int mode : {kStandardDriver, kRasterDriver}) {
        DriverFileList list{};
        config.GetDriverFiles(model, target, list, mode);
        DRIVER_INFO_3A driver{};
        config.GetDriverInfo(model, target, driver, mode);
        config.IsDdkDriver(model, target, mode);
        MONITOR_INFO_2A monitor{};
        config.GetMonitorInfo(model, target, monitor, mode);
        DevModeBlock block;
        PRINTER_INFO_2A printer{};
        printer.pDevMode = block.get();
        config.GetPrinterInfo(model, target, printer, mode);
        PortMonitorSet set{};
        config.GetPortMonitors(target, set);
        if (target >= 0 && target <= 4) {
          EXPECT_LE(std::strlen(list.driverFile), 199u);
          EXPECT_LE(std::strlen(driver.pName), 49u);
          EXPECT_LE(std::strlen(monitor.pName), 49u);
          EXPECT_LE(std::strlen(set.usbUiDll), 49u);
          EXPECT_EQ(std::strlen(printer.pPrinterName), 199u);
          EXPECT_EQ(block.get()->dmSize, 148);
          EXPECT_EQ(set.serialVersion, ParseAtol(value.substr(0, 9)));
        }
      }
    }
  }
}

}  // namespace
}  // namespace setwell
