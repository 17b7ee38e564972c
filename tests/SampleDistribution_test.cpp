// The sample driver distribution in examples/distribution, read through the
// installer's own configuration reader on a simulated machine started from
// it: every model is complete, every file the install would copy lies in its
// per-system folder, the values fit the fields they are read into, and
// between them the models reach every branch of the install.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "config/DevModeLayout.h"
#include "config/IniFile.h"
#include "config/InstallConfig.h"
#include "sim/HostFiles.h"
#include "sim/SimMachine.h"
#include "system/DriverFiles.h"

namespace setwell {
namespace {

namespace fs = std::filesystem;

const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

constexpr std::int32_t kTargets[] = {kWin98, kWinNT4, kWin2000, kWinXP, kWin2003};
constexpr std::int32_t kModes[] = {kStandardDriver, kRasterDriver};
const char* const kTargetSuffixes[] = {"98", "NT", "2K", "XP", "2003"};
// Printer and device-mode sections: Windows XP shares those of Windows 2000.
const char* const kRecordSuffixes[] = {"98", "NT", "2K", "2003"};
const char* const kCategorySuffixes[] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter",
                                         "-EmbeddedPrinter"};
// The baud rates the port page lists; any other value preselects 38400.
const int kListedBaudRates[] = {110, 300, 1200, 2400, 4800, 9600, 19200, 57600, 115200};

// The copy under the alternate name ("n" + name) has room for 18 characters.
constexpr std::size_t kFileNameMost = 18;
// The device name of the device mode holds 31 characters.
constexpr std::size_t kModelNameMost = 31;
// A supported USB device entry holds 29 characters: "USB_" + model + "_4".
constexpr std::size_t kUsbEntryMost = 29;

enum class Parse { kText, kDecimal };

struct KeySpec {
  const char* key;
  std::size_t limit;
  Parse parse;
};

const KeySpec kPortKeys[] = {
    {"AdvancedSetup", 199, Parse::kDecimal}, {"System2003Supported", 199, Parse::kDecimal},
    {"BaudRate", 199, Parse::kDecimal},      {"USBSUPPORTED", 199, Parse::kDecimal},
    {"LPTDEFAULT", 199, Parse::kDecimal},
};

// Without their "STD" / "GDI" prefix; the "2KDDKDEV" limit is that of the
// shorter reading.
const KeySpec kTargetKeys[] = {
    {"DriverPath", 199, Parse::kText},       {"DataFile", 199, Parse::kText},
    {"ConfigFile", 199, Parse::kText},       {"HelpFile", 199, Parse::kText},
    {"MonitorName", 49, Parse::kText},       {"MonitorDLLName", 199, Parse::kText},
    {"ProcessorDLLName", 199, Parse::kText}, {"PrintProcessor", 49, Parse::kText},
    {"DataFileDLLName", 199, Parse::kText},  {"DataOemuniDLL", 199, Parse::kText},
    {"DataOemuniini", 199, Parse::kText},    {"2KDDKDEV", 4, Parse::kDecimal},
};

const KeySpec kPrinterKeys[] = {
    {"STDDRIVERNAME", 49, Parse::kText},   {"GDIDRIVERNAME", 49, Parse::kText},
    {"SERVERNAME", 49, Parse::kText},      {"COMMENT", 49, Parse::kText},
    {"LOCATION", 49, Parse::kText},        {"SEPFILE", 49, Parse::kText},
    {"DATATYPE", 49, Parse::kText},        {"PARAMETERS", 49, Parse::kText},
    {"SECURITYDESCRIPTOR", 49, Parse::kText}, {"ATTRIBUTES", 49, Parse::kDecimal},
    {"PRIORITY", 49, Parse::kDecimal},     {"DEFAULTPRIORITY", 49, Parse::kDecimal},
    {"STARTTIME", 49, Parse::kDecimal},    {"UNTILTIME", 49, Parse::kDecimal},
    {"STATUS", 49, Parse::kDecimal},       {"CJOBS", 49, Parse::kDecimal},
    {"AVERAGEPPM", 49, Parse::kDecimal},
};

const char* const kDevModeKeys[] = {
    "DRIVERVERSION", "DMDRIVEREXTRA", "ORIENTATION", "PAPERSIZE", "PAPERLENGTH", "PAPERWIDTH",
    "SCALE",         "COPIES",        "DEFAULTSOURCE", "PRINTQUALITY", "COLOR", "DUPLEX",
    "YRESOLUTION",   "TTOPTION",      "COLLATE",     "FORMNAME",  "ICMMETHOD",   "ICMINTENT",
    "MEDIATYPE",     "DITHERTYPE",    "FIELDS",
};

const KeySpec kPortMonitorKeys[] = {
    {"COMMONitorPName", 49, Parse::kText},      {"COMMONitorPDLLName", 199, Parse::kText},
    {"COMMONitorPUIDLLName", 49, Parse::kText}, {"COMMONitorVersion", 9, Parse::kDecimal},
    {"USBMONitorPName", 49, Parse::kText},      {"USBMONitorPDLLName", 199, Parse::kText},
    {"USBMONitorPUIDLLName", 49, Parse::kText}, {"USBMONitorVersion", 9, Parse::kDecimal},
};

bool IsDecimal(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A file name the installer copies: not empty and not beginning with "0".
bool NamesFile(const char* name) { return name != nullptr && name[0] != '\0' && name[0] != '0'; }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

struct Model {
  std::string name;
  std::int32_t category = kNoCategory;
  std::int32_t advancedSetup = 0;
  std::int32_t system2003 = 0;
  std::int32_t baudRate = 0;
  std::int32_t usbSupported = 0;
  std::int32_t lptDefault = 0;
};

class SampleDistributionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.MountDistribution(kDistribution)) << kDistribution;
    config = std::make_unique<InstallConfig>(machine);

    const std::int32_t count = config->GetModelCount();
    for (std::int32_t number = 1; number <= count; ++number) {
      Model model;
      model.category = config->GetModelEntry(number, model.name);
      if (model.category >= kReceipt && model.category <= kEmbedded) {
        const std::string& file = config->CategoryPath(model.category);
        const std::string section = model.name + ".PORT";
        model.advancedSetup = ini.GetNumber(file, section, "AdvancedSetup", 199);
        model.system2003 = ini.GetNumber(file, section, "System2003Supported", 199);
        model.baudRate = ini.GetNumber(file, section, "BaudRate", 199);
        model.usbSupported = ini.GetNumber(file, section, "USBSUPPORTED", 199);
        model.lptDefault = ini.GetNumber(file, section, "LPTDEFAULT", 199);
      }
      models.push_back(model);
    }
  }

  // The target systems a model can be installed for: Windows Server 2003
  // refuses models that say they do not support it.
  static std::vector<std::int32_t> TargetsOf(const Model& model) {
    std::vector<std::int32_t> targets(std::begin(kTargets), std::end(kTargets));
    if (model.system2003 == 0) targets.pop_back();
    return targets;
  }

  std::string FolderOf(std::int32_t target) const {
    return std::string("D:") + DistributionSubfolder(target);
  }

  // Checks that the per-system folder of the target holds the file, with
  // some content, and notes it as used.
  void ExpectDistributionFile(std::int32_t target, const std::string& name) {
    SCOPED_TRACE(name);
    EXPECT_LE(name.size(), kFileNameMost);
    const sim::SimFile* file = machine.files.Find(FolderOf(target) + name);
    ASSERT_NE(file, nullptr) << "missing from " << DistributionSubfolder(target);
    EXPECT_FALSE(file->data.empty());
    used.insert(sim::SimFileSystem::Key(FolderOf(target) + name));
  }

  // Every key of a section is given (the reader's "0" default is never
  // meant), fits its limit and, when numeric, is a plain decimal number.
  void ExpectKeys(const std::string& file, const std::string& section, const std::string& prefix,
                  const KeySpec* begin, const KeySpec* end) {
    for (const KeySpec* keySpec = begin; keySpec != end; ++keySpec) {
      const std::string key = prefix + keySpec->key;
      SCOPED_TRACE("[" + section + "] " + key);
      const auto value = ini.Get(file).Find(section, key);
      if (!value.has_value()) {
        ADD_FAILURE() << "key missing";
        continue;
      }
      EXPECT_LE(ProfileValue(*value, std::string::npos).size(), keySpec->limit);
      if (keySpec->parse == Parse::kDecimal) {
        EXPECT_TRUE(IsDecimal(*value)) << *value;
      }
    }
  }

  sim::SimMachine machine;
  IniFileSet ini{machine};
  std::unique_ptr<InstallConfig> config;
  std::vector<Model> models;
  // Sim keys of the distribution files some check found a use for.
  std::set<std::string> used;
};

TEST_F(SampleDistributionTest, ModelListNamesUsableModelsAndPreselectsAReceiptModel) {
  ASSERT_FALSE(models.empty());
  std::set<std::string> names;
  for (const Model& model : models) {
    SCOPED_TRACE(model.name);
    EXPECT_GE(model.category, kReceipt) << "entry without a category suffix";
    EXPECT_LE(model.category, kEmbedded);
    for (const char* suffix : kCategorySuffixes) {
      EXPECT_EQ(model.name.find(suffix), std::string::npos);
    }
    EXPECT_FALSE(model.name.empty());
    EXPECT_LE(model.name.size(), kModelNameMost);
    EXPECT_LE(("USB_" + model.name + "_4").size(), kUsbEntryMost);
    // Port kinds, USB device numbers and the printer-name-to-port
    // translation are all found by substrings of names built from the model.
    for (const char* part : {"COM", "LPT", "USB", "_", "(", "%"}) {
      EXPECT_EQ(model.name.find(part), std::string::npos) << part;
    }
    // Section names match without regard to case.
    EXPECT_TRUE(names.insert(Upper(model.name)).second) << "listed twice";
  }

  std::string defaultModel;
  EXPECT_EQ(config->GetDefaultModel(defaultModel), kReceipt);
  bool listed = false;
  for (const Model& model : models) {
    if (model.category != kReceipt) continue;
    if (model.name == defaultModel) {
      listed = true;
    } else {
      // The model page finds the default by a prefix search that starts at
      // the second entry: a longer name beginning with it would win.
      EXPECT_NE(Upper(model.name).rfind(Upper(defaultModel), 0), 0u) << model.name;
    }
  }
  EXPECT_TRUE(listed) << defaultModel;
}

TEST_F(SampleDistributionTest, EveryModelGivesEveryKeyTheInstallReads) {
  for (const Model& model : models) {
    SCOPED_TRACE(model.name);
    ASSERT_GE(model.category, kReceipt);
    const std::string& file = config->CategoryPath(model.category);
    ExpectKeys(file, model.name + ".PORT", "", std::begin(kPortKeys), std::end(kPortKeys));
    for (std::int32_t target : TargetsOf(model)) {
      const std::string section = model.name + "." + kTargetSuffixes[target];
      for (const char* prefix : {"STD", "GDI"}) {
        ExpectKeys(file, section, prefix, std::begin(kTargetKeys), std::end(kTargetKeys));
      }
    }
    for (const char* suffix : kRecordSuffixes) {
      if (std::string(suffix) == "2003" && model.system2003 == 0) continue;
      const std::string printer = model.name + ".PRINTERINFO" + suffix;
      ExpectKeys(file, printer, "", std::begin(kPrinterKeys), std::end(kPrinterKeys));
      const std::string devMode = model.name + ".DEVMODE" + suffix;
      for (const char* key : kDevModeKeys) {
        const bool text = std::strcmp(key, "FORMNAME") == 0;
        const KeySpec keySpec{key, 19, text ? Parse::kText : Parse::kDecimal};
        ExpectKeys(file, devMode, "", &keySpec, &keySpec + 1);
      }
    }
  }

  const std::string& general = config->GeneralPath();
  const KeySpec version{"DriverVersion", 11, Parse::kDecimal};
  ExpectKeys(general, "Version", "", &version, &version + 1);
  EXPECT_GT(config->GetDriverVersion(), 0);
  for (const char* suffix : kTargetSuffixes) {
    ExpectKeys(general, std::string("COMMON-MONITOR.") + suffix, "", std::begin(kPortMonitorKeys),
               std::end(kPortMonitorKeys));
  }
}

TEST_F(SampleDistributionTest, EveryFileTheInstallCopiesIsInItsSystemFolder) {
  for (const Model& model : models) {
    config->SetCategory(model.category);
    for (std::int32_t target : TargetsOf(model)) {
      for (std::int32_t mode : kModes) {
        SCOPED_TRACE(model.name + "." + kTargetSuffixes[target] + (mode ? " GDI" : " STD"));
        DriverFileList files{};
        config->GetDriverFiles(model.name, target, files, mode);
        // Missing keys would pass the installer's own check with "0" and
        // leave the driver without its files.
        for (const char* required : {files.driverFile, files.dataFile, files.configFile,
                                     files.helpFile}) {
          EXPECT_TRUE(NamesFile(required)) << "required file: \"" << required << "\"";
          if (NamesFile(required)) ExpectDistributionFile(target, required);
        }

        // The OEM plug-in is copied only as a pair.
        const bool oemDll = NamesFile(files.oemPluginDll);
        const bool oemSettings = NamesFile(files.oemPluginSettings);
        EXPECT_EQ(oemDll, oemSettings) << "plug-in DLL and settings go together";
        std::set<std::string> deployed = {Upper(files.dataFile)};
        if (oemDll && oemSettings) {
          ExpectDistributionFile(target, files.oemPluginDll);
          ExpectDistributionFile(target, files.oemPluginSettings);
          deployed.insert(Upper(files.oemPluginDll));
          deployed.insert(Upper(files.oemPluginSettings));
        }

        const bool ddk = config->IsDdkDriver(model.name, target, mode);
        // On Windows 98/Me and NT 4.0 the data-file DLL would land in the
        // driver folder's "3", which those systems never read.
        if (target < kWin2000) {
          EXPECT_FALSE(ddk);
        }
        if (ddk) {
          EXPECT_TRUE(NamesFile(files.dataFileDll)) << "Unidrv driver without its data-file DLL";
          if (NamesFile(files.dataFileDll)) ExpectDistributionFile(target, files.dataFileDll);
          for (const char* support : {"UNIRES.DLL", "STDNAMES.GPD", "TTFSUB.GPD"}) {
            ExpectDistributionFile(target, support);
            deployed.insert(support);
          }
        }

        // The driver record names its dependent files; each must be one the
        // deployment puts in place.
        DRIVER_INFO_3A driver{};
        config->GetDriverInfo(model.name, target, driver, mode);
        EXPECT_TRUE(NamesFile(driver.pName)) << "driver name";
        const char* dependent = driver.pDependentFiles;
        while (*dependent != '\0') {
          EXPECT_TRUE(deployed.count(Upper(dependent))) << "dependent file not deployed: "
                                                        << dependent;
          dependent += std::strlen(dependent) + 1;
        }
        EXPECT_LE(static_cast<std::size_t>(dependent - driver.pDependentFiles) + 1, 200u)
            << "dependent files exceed their field";

        // The model's own language monitor: a name and its DLL, or neither.
        MONITOR_INFO_2A monitor{};
        config->GetMonitorInfo(model.name, target, monitor, mode);
        EXPECT_STRNE(monitor.pName, "0");
        EXPECT_STRNE(monitor.pDLLName, "0");
        EXPECT_EQ(monitor.pName[0] == '\0', monitor.pDLLName[0] == '\0')
            << "monitor \"" << monitor.pName << "\" with DLL \"" << monitor.pDLLName << "\"";
        if (NamesFile(monitor.pDLLName)) ExpectDistributionFile(target, monitor.pDLLName);

        // The print processor: the print system's own, named exactly as the
        // installer recognises it, or one of ours with its DLL.
        DevModeBlock block;
        PRINTER_INFO_2A printer{};
        printer.pDevMode = block.get();
        config->GetPrinterInfo(model.name, target, printer, mode);
        const std::string processor = printer.pPrintProcessor;
        if (Upper(processor) == "WINPRINT") {
          EXPECT_EQ(processor, "WinPrint");
          EXPECT_FALSE(NamesFile(files.printProcessorDll)) << files.printProcessorDll;
        } else {
          EXPECT_TRUE(NamesFile(processor.c_str())) << "print processor \"" << processor << "\"";
          EXPECT_TRUE(NamesFile(files.printProcessorDll)) << "processor without its DLL";
          if (NamesFile(files.printProcessorDll)) {
            ExpectDistributionFile(target, files.printProcessorDll);
          }
        }

        // Windows 98/Me always receives the Unidrv files of its own, and the
        // colour DLL for the one model that asks for it by name.
        if (target == kWin98) {
          ExpectDistributionFile(target, "ICONLIB.DLL");
          ExpectDistributionFile(target, "UNIDRV.DLL");
          if (model.name.find("RXQ-K880") != std::string::npos) {
            ExpectDistributionFile(target, "DMCOLOR.DLL");
          }
        }
      }
    }
  }

  // The port monitors: serial for every system but Windows 98/Me, USB for
  // every system but NT 4.0.
  for (std::int32_t target : kTargets) {
    SCOPED_TRACE(std::string("COMMON-MONITOR.") + kTargetSuffixes[target]);
    PortMonitorSet set{};
    config->GetPortMonitors(target, set);
    struct Use {
      bool used;
      const MONITOR_INFO_2A& record;
      const char* uiDll;
      std::int32_t version;
    };
    for (const Use& use : {Use{target != kWin98, set.serial, set.serialUiDll, set.serialVersion},
                           Use{target != kWinNT4, set.usb, set.usbUiDll, set.usbVersion}}) {
      if (!use.used) continue;
      EXPECT_TRUE(NamesFile(use.record.pName)) << use.record.pName;
      EXPECT_GT(use.version, 0);
      EXPECT_TRUE(NamesFile(use.record.pDLLName)) << use.record.pDLLName;
      if (NamesFile(use.record.pDLLName)) ExpectDistributionFile(target, use.record.pDLLName);
      if (use.uiDll[0] != '\0') ExpectDistributionFile(target, use.uiDll);
    }
  }

  // And nothing else: a file no configuration names is a leftover.
  for (const auto& [key, file] : machine.files.Files()) {
    const std::string parent = sim::SimFileSystem::Parent(key);
    if (parent == "d:\\win98" || parent == "d:\\winnt" || parent == "d:\\win2003") {
      EXPECT_TRUE(used.count(key)) << "not named by any configuration: " << file.path;
    }
  }
}

TEST_F(SampleDistributionTest, SharedNamesMeanTheSameFiles) {
  using DriverFiles = std::tuple<std::string, std::string, std::string, std::string, std::string>;
  std::map<std::pair<std::int32_t, std::string>, DriverFiles> drivers;
  std::map<std::pair<std::int32_t, std::string>, std::string> monitors;
  std::map<std::pair<std::int32_t, std::string>, std::string> processors;
  for (const Model& model : models) {
    config->SetCategory(model.category);
    for (std::int32_t target : TargetsOf(model)) {
      SCOPED_TRACE(model.name + "." + kTargetSuffixes[target]);
      std::string driverNames[2];
      std::string dataFiles[2];
      for (std::int32_t mode : kModes) {
        DriverFileList files{};
        config->GetDriverFiles(model.name, target, files, mode);
        DRIVER_INFO_3A driver{};
        config->GetDriverInfo(model.name, target, driver, mode);
        std::string dependent;
        for (const char* p = driver.pDependentFiles; *p != '\0'; p += std::strlen(p) + 1) {
          dependent += Upper(p) + ";";
        }
        const DriverFiles named{Upper(files.driverFile), Upper(files.dataFile),
                                Upper(files.configFile), Upper(files.helpFile), dependent};
        // Adding a driver under a name another model uses replaces it.
        const auto [entry, added] = drivers.emplace(std::pair{target, driver.pName}, named);
        EXPECT_TRUE(added || entry->second == named) << "driver \"" << driver.pName << "\"";
        driverNames[mode] = driver.pName;
        dataFiles[mode] = Upper(files.dataFile);

        MONITOR_INFO_2A monitor{};
        config->GetMonitorInfo(model.name, target, monitor, mode);
        if (monitor.pName[0] != '\0') {
          const auto [m, fresh] =
              monitors.emplace(std::pair{target, monitor.pName}, Upper(monitor.pDLLName));
          EXPECT_TRUE(fresh || m->second == Upper(monitor.pDLLName)) << monitor.pName;
        }
        DevModeBlock block;
        PRINTER_INFO_2A printer{};
        printer.pDevMode = block.get();
        config->GetPrinterInfo(model.name, target, printer, mode);
        if (std::strcmp(printer.pPrintProcessor, "WinPrint") != 0) {
          const auto [p, fresh] = processors.emplace(std::pair{target, printer.pPrintProcessor},
                                                     Upper(files.printProcessorDll));
          EXPECT_TRUE(fresh || p->second == Upper(files.printProcessorDll))
              << printer.pPrintProcessor;
        }
      }
      // The standard and the raster graphic printing driver are two drivers.
      EXPECT_NE(driverNames[kStandardDriver], driverNames[kRasterDriver]);
      EXPECT_NE(dataFiles[kStandardDriver], dataFiles[kRasterDriver]);
    }
  }
}

TEST_F(SampleDistributionTest, DeviceModesDescribeThermalRollPaper) {
  // dmFields bits of the members the configuration sets.
  struct Field {
    const char* key;
    DWORD bit;
    long (*value)(const DEVMODEA&);
  };
  const Field fields[] = {
      {"ORIENTATION", 0x1, [](const DEVMODEA& d) -> long { return d.dmOrientation; }},
      {"PAPERSIZE", 0x2, [](const DEVMODEA& d) -> long { return d.dmPaperSize; }},
      {"PAPERLENGTH", 0x4, [](const DEVMODEA& d) -> long { return d.dmPaperLength; }},
      {"PAPERWIDTH", 0x8, [](const DEVMODEA& d) -> long { return d.dmPaperWidth; }},
      {"SCALE", 0x10, [](const DEVMODEA& d) -> long { return d.dmScale; }},
      {"COPIES", 0x100, [](const DEVMODEA& d) -> long { return d.dmCopies; }},
      {"DEFAULTSOURCE", 0x200, [](const DEVMODEA& d) -> long { return d.dmDefaultSource; }},
      {"PRINTQUALITY", 0x400, [](const DEVMODEA& d) -> long { return d.dmPrintQuality; }},
      {"COLOR", 0x800, [](const DEVMODEA& d) -> long { return d.dmColor; }},
      {"DUPLEX", 0x1000, [](const DEVMODEA& d) -> long { return d.dmDuplex; }},
      {"YRESOLUTION", 0x2000, [](const DEVMODEA& d) -> long { return d.dmYResolution; }},
      {"TTOPTION", 0x4000, [](const DEVMODEA& d) -> long { return d.dmTTOption; }},
      {"COLLATE", 0x8000, [](const DEVMODEA& d) -> long { return d.dmCollate; }},
      {"FORMNAME", 0x10000, [](const DEVMODEA& d) -> long { return d.dmFormName[0]; }},
      {"ICMMETHOD", 0x800000, [](const DEVMODEA& d) -> long { return d.dmICMMethod; }},
      {"ICMINTENT", 0x1000000, [](const DEVMODEA& d) -> long { return d.dmICMIntent; }},
      {"MEDIATYPE", 0x2000000, [](const DEVMODEA& d) -> long { return d.dmMediaType; }},
      {"DITHERTYPE", 0x4000000, [](const DEVMODEA& d) -> long { return d.dmDitherType; }},
  };
  constexpr short kUserPaper = 256;  // DMPAPER_USER: length and width in 0.1 mm
  constexpr short kDotsPerInch = 203;

  for (const Model& model : models) {
    config->SetCategory(model.category);
    for (std::int32_t target : TargetsOf(model)) {
      if (target == kWinXP) continue;  // the sections of Windows 2000
      SCOPED_TRACE(model.name + " DEVMODE" + kRecordSuffixes[target == kWin2003 ? 3 : target]);
      DevModeBlock block;
      PRINTER_INFO_2A printer{};
      printer.pDevMode = block.get();
      config->GetPrinterInfo(model.name, target, printer, kStandardDriver);
      const DEVMODEA& dm = *block.get();

      EXPECT_STREQ(reinterpret_cast<const char*>(dm.dmDeviceName), model.name.c_str());
      EXPECT_EQ(dm.dmPaperSize, kUserPaper);
      EXPECT_TRUE(dm.dmPaperWidth == 580 || dm.dmPaperWidth == 800) << dm.dmPaperWidth;
      EXPECT_GT(dm.dmPaperLength, 0);
      EXPECT_EQ(dm.dmPrintQuality, kDotsPerInch);
      EXPECT_EQ(dm.dmYResolution, kDotsPerInch);
      EXPECT_EQ(dm.dmOrientation, 1);
      EXPECT_EQ(dm.dmScale, 100);
      EXPECT_EQ(dm.dmCopies, 1);
      EXPECT_TRUE(dm.dmColor == 1 || dm.dmColor == 2) << dm.dmColor;
      EXPECT_EQ(dm.dmDriverExtra, 0) << "the block carries no private driver data";
      EXPECT_STRNE(reinterpret_cast<const char*>(dm.dmFormName), "0");

      DWORD expected = 0;
      for (const Field& field : fields) {
        if (field.value(dm) != 0) expected |= field.bit;
      }
      EXPECT_EQ(dm.dmFields, expected) << "FIELDS should mark exactly the members given";

      EXPECT_STREQ(printer.pDatatype, "RAW");
      EXPECT_GE(printer.Priority, 1u);
      EXPECT_LE(printer.Priority, 99u);
      EXPECT_LT(printer.StartTime, 1440u);
      EXPECT_LT(printer.UntilTime, 1440u);
      EXPECT_STRNE(printer.pComment, "0");
    }
  }
}

TEST_F(SampleDistributionTest, SupportedUsbDevicesNamePortsTheWizardOffers) {
  const std::string& general = config->GeneralPath();
  const std::int32_t count = ini.GetNumber(general, "SUPPORTED-USB-DEVICE", "PRNCOUNT", 199);
  ASSERT_GT(count, 0);
  // The ports the port page can offer: "_1" in typical setup, "_1" to "_4"
  // in advanced setup, none without USB support.
  std::set<std::string> offered;
  for (const Model& model : models) {
    if (model.usbSupported == 0) continue;
    const int ports = model.advancedSetup != 0 ? 4 : 1;
    for (int i = 1; i <= ports; ++i) offered.insert("USB_" + model.name + "_" + std::to_string(i));
  }
  std::set<std::string> seen;
  for (std::int32_t i = 0; i < count; ++i) {
    const auto raw = ini.Get(general).Find("SUPPORTED-USB-DEVICE", std::to_string(i));
    ASSERT_TRUE(raw.has_value()) << "entry " << i;
    const std::string entry = ProfileValue(*raw, std::string::npos);
    EXPECT_LE(entry.size(), kUsbEntryMost) << entry;
    // Compared byte for byte with the port name, letter case included.
    EXPECT_TRUE(offered.count(entry)) << "no model offers " << entry;
    EXPECT_TRUE(seen.insert(entry).second) << entry << " listed twice";
  }
  EXPECT_FALSE(ini.Get(general).Find("SUPPORTED-USB-DEVICE", std::to_string(count)).has_value())
      << "entries beyond PRNCOUNT";
}

TEST_F(SampleDistributionTest, ModelsCoverEveryBranchOfTheInstall) {
  struct Facts {
    const Model* model;
    bool ownMonitor = false, noMonitor = false;
    bool ownProcessor = false, winPrint = false;
    bool ddkWithPlugin = false, ddkWithoutPlugin = false, ddkAnywhere = false;
    bool usbListed = false;
  };
  std::set<std::string> listedUsb;
  const std::string& general = config->GeneralPath();
  const std::int32_t count = ini.GetNumber(general, "SUPPORTED-USB-DEVICE", "PRNCOUNT", 199);
  for (std::int32_t i = 0; i < count; ++i) {
    listedUsb.insert(ini.GetString(general, "SUPPORTED-USB-DEVICE", std::to_string(i), 29));
  }

  std::vector<Facts> facts;
  for (const Model& model : models) {
    Facts f{&model};
    config->SetCategory(model.category);
    for (std::int32_t target : TargetsOf(model)) {
      for (std::int32_t mode : kModes) {
        DriverFileList files{};
        config->GetDriverFiles(model.name, target, files, mode);
        MONITOR_INFO_2A monitor{};
        config->GetMonitorInfo(model.name, target, monitor, mode);
        (monitor.pDLLName[0] != '\0' ? f.ownMonitor : f.noMonitor) = true;
        DevModeBlock block;
        PRINTER_INFO_2A printer{};
        printer.pDevMode = block.get();
        config->GetPrinterInfo(model.name, target, printer, mode);
        (std::strcmp(printer.pPrintProcessor, "WinPrint") == 0 ? f.winPrint : f.ownProcessor) =
            true;
        if (config->IsDdkDriver(model.name, target, mode)) {
          f.ddkAnywhere = true;
          const bool plugin = NamesFile(files.oemPluginDll) && NamesFile(files.oemPluginSettings);
          (plugin ? f.ddkWithPlugin : f.ddkWithoutPlugin) = true;
        }
      }
    }
    for (int i = 1; i <= 4; ++i) {
      if (listedUsb.count("USB_" + model.name + "_" + std::to_string(i))) f.usbListed = true;
    }
    facts.push_back(f);
  }

  auto listedBaud = [](std::int32_t baud) {
    return std::find(std::begin(kListedBaudRates), std::end(kListedBaudRates), baud) !=
           std::end(kListedBaudRates);
  };
  struct Branch {
    const char* what;
    std::function<bool(const Facts&)> holds;
  };
  const Branch branches[] = {
      {"a receipt model", [](const Facts& f) { return f.model->category == kReceipt; }},
      {"a ticket model", [](const Facts& f) { return f.model->category == kTicket; }},
      {"a label model", [](const Facts& f) { return f.model->category == kLabel; }},
      {"an embedded model", [](const Facts& f) { return f.model->category == kEmbedded; }},
      {"USB in typical setup only",
       [](const Facts& f) { return f.model->usbSupported != 0 && f.model->advancedSetup == 0; }},
      {"USB with advanced setup",
       [](const Facts& f) { return f.model->usbSupported != 0 && f.model->advancedSetup != 0; }},
      {"no USB", [](const Facts& f) { return f.model->usbSupported == 0; }},
      {"the parallel port preselected", [](const Facts& f) { return f.model->lptDefault != 0; }},
      {"the parallel port preselected beside USB ports",
       [](const Facts& f) { return f.model->lptDefault != 0 && f.model->usbSupported != 0; }},
      {"refused on Windows Server 2003", [](const Facts& f) { return f.model->system2003 == 0; }},
      {"installed on Windows Server 2003",
       [](const Facts& f) { return f.model->system2003 != 0; }},
      {"115200 baud", [](const Facts& f) { return f.model->baudRate == 115200; }},
      {"9600 baud", [](const Facts& f) { return f.model->baudRate == 9600; }},
      {"a baud rate the list lacks (38400 preselected)",
       [&](const Facts& f) { return !listedBaud(f.model->baudRate); }},
      {"a language monitor of its own", [](const Facts& f) { return f.ownMonitor; }},
      {"no language monitor", [](const Facts& f) { return f.noMonitor; }},
      {"a print processor of its own", [](const Facts& f) { return f.ownProcessor; }},
      {"WinPrint", [](const Facts& f) { return f.winPrint; }},
      {"Unidrv support files with an OEM plug-in", [](const Facts& f) { return f.ddkWithPlugin; }},
      {"Unidrv support files without a plug-in", [](const Facts& f) { return f.ddkWithoutPlugin; }},
      {"no Unidrv support files", [](const Facts& f) { return !f.ddkAnywhere; }},
      {"the colour DLL on Windows 98/Me",
       [](const Facts& f) { return f.model->name.find("RXQ-K880") != std::string::npos; }},
      {"USB ports among the supported USB devices",
       [](const Facts& f) { return f.model->usbSupported != 0 && f.usbListed; }},
      {"USB ports left out of the supported USB devices",
       [](const Facts& f) { return f.model->usbSupported != 0 && !f.usbListed; }},
  };
  for (const Branch& branch : branches) {
    std::string which;
    for (const Facts& f : facts) {
      if (branch.holds(f)) which += " " + f.model->name;
    }
    EXPECT_FALSE(which.empty()) << "no model with " << branch.what;
  }

  // The model page sorts the embedded list itself; entries out of order
  // show it doing so.
  std::vector<std::string> embedded;
  for (const Model& model : models) {
    if (model.category == kEmbedded) embedded.push_back(Upper(model.name));
  }
  EXPECT_FALSE(std::is_sorted(embedded.begin(), embedded.end()));
}

TEST_F(SampleDistributionTest, ConfigurationFilesAreWindowsTextUnderTheirOwnNames) {
  for (const char* name : {"setup.ini", "setup_receipt.ini", "setup_Ticket.ini",
                           "setup_Lable.ini", "setup_Embedded.ini"}) {
    SCOPED_TRACE(name);
    // Spelt as the installer spells them, for hosts that tell cases apart.
    const fs::path host = fs::path(kDistribution) / "DRVCONFIG" / name;
    EXPECT_TRUE(fs::exists(host)) << host;
    const sim::SimFile* file = machine.files.Find(std::string("D:\\DRVCONFIG\\") + name);
    ASSERT_NE(file, nullptr);
    const std::string& text = file->data;
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "last line unterminated";
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
      }
      ASSERT_TRUE(static_cast<unsigned char>(text[i]) < 0x80) << "non-ASCII byte at " << i;
    }
  }
}

// The help file F1 opens is compiled from docs/guide: every page of the
// guide is in it (a page added without compiling the file again is not).
TEST(SampleDistributionHelpTest, GuideHoldsEveryPageOfTheGuide) {
  const fs::path guide = fs::path(SETWELL_SOURCE_DIR) / "docs" / "guide";
  std::ifstream chm(fs::path(kDistribution) / "Guide.CHM", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(chm)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  int pages = 0;
  for (const auto& entry : fs::directory_iterator(guide)) {
    if (entry.path().extension() != ".html") continue;
    ++pages;
    // The file's directory names each page by its path.
    EXPECT_NE(bytes.find("/" + entry.path().filename().string()), std::string::npos)
        << entry.path().filename();
  }
  // What the port page asks and what the messages mean have pages of their own.
  EXPECT_GE(pages, 10);
  for (const char* page : {"ports.html", "drivers.html", "usbnote.html", "messages.html"}) {
    EXPECT_TRUE(fs::exists(guide / page)) << page;
  }
}

}  // namespace
}  // namespace setwell
