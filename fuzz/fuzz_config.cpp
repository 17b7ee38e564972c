// fuzz_config: the configuration reader (config/InstallConfig) and its
// record builders on any pair of INI files.
//
// The input is split at its first "\n%%\n" into the general file
// (DRVCONFIG\setup.ini) and the category file (the same text serves as
// both when there is no such line), put on the distribution drive of a
// simulated machine. Then the general file's readers run (models, default
// model, version, supported USB devices), and for one model (the default,
// else the first entry, else a section name of the category file) every
// record builder runs for every target system 0..4 and two out of range,
// in both driver modes. Every byte a record points to is read: each text
// to its zero, the dependent-file list to its double zero, and the whole
// 148-byte device mode, which lives in a heap block of exactly that size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "config/DevModeLayout.h"
#include "config/InstallConfig.h"
#include "sim/SimMachine.h"

namespace {

using namespace setwell;

volatile unsigned char gSink;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_config: %s\n", what);
  std::abort();
}

// Reads a zero-terminated text the record points to, no longer than a
// field of `field` bytes allows.
void Touch(const char* text, std::size_t field) {
  if (text == nullptr) return;
  std::size_t i = 0;
  for (; text[i] != '\0'; ++i) gSink = gSink + static_cast<unsigned char>(text[i]);
  if (i >= field) Fail("a text is longer than its field");
}

// A list of zero-terminated names closed by one more zero, in `capacity`
// bytes.
void TouchList(const char* list, std::size_t capacity) {
  std::size_t i = 0;
  while (list[i] != '\0') {
    while (list[i] != '\0') {
      gSink = gSink + static_cast<unsigned char>(list[i]);
      if (++i >= capacity) Fail("the dependent-file list runs past its field");
    }
    if (++i >= capacity) Fail("the dependent-file list has no double zero in its field");
  }
}

void TouchBytes(const void* bytes, std::size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) gSink = gSink + p[i];
}

sim::SimMachine& Machine() {
  static sim::SimMachine* machine = [] {
    auto* m = new sim::SimMachine(sim::kWinXP);
    m->files.MakeFolder("D:\\DRVCONFIG");
    return m;
  }();
  return *machine;
}

// The name before the last "." of the first section header that has one.
std::string SectionModel(std::string_view text) {
  std::size_t pos = 0;
  while ((pos = text.find('[', pos)) != std::string_view::npos) {
    const std::size_t close = text.find(']', pos);
    if (close == std::string_view::npos) break;
    const std::string_view name = text.substr(pos + 1, close - pos - 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && name.find('\n') == std::string_view::npos) {
      return std::string(name.substr(0, dot));
    }
    pos = close;
  }
  return "SW-R80";
}

void BuildRecords(InstallConfig& config, const std::string& model) {
  for (std::int32_t target = -1; target <= 5; ++target) {
    for (std::int32_t mode = 0; mode <= 1; ++mode) {
      DriverFileList files;
      std::memset(&files, 0, sizeof files);
      config.GetDriverFiles(model, target, files, mode);
      for (const char* field : {files.driverFile, files.dataFile, files.configFile,
                                files.helpFile, files.monitorDll, files.printProcessorDll,
                                files.dataFileDll, files.oemPluginDll, files.oemPluginSettings}) {
        Touch(field, kFileNameField);
      }

      DRIVER_INFO_3A driver;
      std::memset(&driver, 0, sizeof driver);
      config.GetDriverInfo(model, target, driver, mode);
      for (const char* text : {driver.pName, driver.pEnvironment, driver.pDriverPath,
                               driver.pDataFile, driver.pConfigFile, driver.pHelpFile,
                               driver.pMonitorName, driver.pDefaultDataType}) {
        Touch(text, 200);
      }
      if (driver.pDependentFiles == nullptr) Fail("no dependent-file list");
      TouchList(driver.pDependentFiles, 200 + 35 + 200 + 200 + 1);

      gSink = gSink + config.IsDdkDriver(model, target, mode);

      // Exactly the device mode's bytes: ASan sees a write past them.
      std::unique_ptr<unsigned char[]> devMode(new unsigned char[kDevModeSize]());
      PRINTER_INFO_2A printer;
      std::memset(&printer, 0, sizeof printer);
      printer.pDevMode = reinterpret_cast<DEVMODEA*>(devMode.get());
      config.GetPrinterInfo(model, target, printer, mode);
      for (const char* text : {printer.pServerName, printer.pDriverName, printer.pComment,
                               printer.pLocation, printer.pSepFile, printer.pDatatype,
                               printer.pParameters, printer.pPrintProcessor}) {
        Touch(text, 50);
      }
      Touch(printer.pPrinterName, InstallConfig::kPrinterNameField);
      if (printer.pDevMode != reinterpret_cast<DEVMODEA*>(devMode.get())) {
        Fail("the printer record's device mode moved");
      }
      TouchBytes(devMode.get(), kDevModeSize);
      const DEVMODEA* dm = printer.pDevMode;
      if (dm->dmSize != kDevModeSize || dm->dmDriverExtra != 0) Fail("a bad device mode size");
      if (std::memchr(dm->dmDeviceName, '\0', sizeof dm->dmDeviceName) == nullptr ||
          std::memchr(dm->dmFormName, '\0', sizeof dm->dmFormName) == nullptr) {
        Fail("a device mode name without its zero");
      }

      MONITOR_INFO_2A monitor;
      std::memset(&monitor, 0, sizeof monitor);
      config.GetMonitorInfo(model, target, monitor, mode);
      Touch(monitor.pName, 50);
      Touch(monitor.pEnvironment, 50);
      Touch(monitor.pDLLName, 200);
    }
    PortMonitorSet monitors;
    std::memset(&monitors, 0, sizeof monitors);
    config.GetPortMonitors(target, monitors);
    for (const MONITOR_INFO_2A* record : {&monitors.serial, &monitors.usb}) {
      Touch(record->pName, 50);
      Touch(record->pEnvironment, 50);
      Touch(record->pDLLName, 200);
    }
    Touch(monitors.serialUiDll, sizeof monitors.serialUiDll);
    Touch(monitors.usbUiDll, sizeof monitors.usbUiDll);
  }
  for (const char* key : {"AdvancedSetup", "System2003Supported", "BaudRate", "USBSUPPORTED",
                          "LPTDEFAULT"}) {
    gSink = gSink + static_cast<unsigned char>(config.GetModelPortSetting(model, key));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find("\n%%\n");
  const std::string_view general = split == std::string_view::npos ? input : input.substr(0, split);
  const std::string_view category =
      split == std::string_view::npos ? input : input.substr(split + 4);

  sim::SimMachine& machine = Machine();
  machine.trace.clear();
  machine.PutDistributionFile("DRVCONFIG\\setup.ini", std::string(general));
  for (const char* name : {"DRVCONFIG\\setup_receipt.ini", "DRVCONFIG\\setup_ticket.ini",
                           "DRVCONFIG\\setup_lable.ini", "DRVCONFIG\\setup_embedded.ini"}) {
    machine.PutDistributionFile(name, std::string(category));
  }

  {
    InstallConfig config(machine);
    // The general file's readers; the entries are read as far as the count
    // says, up to a few.
    const std::int32_t count = config.GetModelCount();
    std::string model;
    std::int32_t modelCategory = kNoCategory;
    for (std::int32_t n = -1; n <= count && n <= 4; ++n) {
      std::string text;
      const std::int32_t c = config.GetModelEntry(n, text);
      if (c < kNoCategory || c > kEmbedded) Fail("a model entry of no category");
      if (text.size() > 199) Fail("a model entry longer than its limit");
      if (n >= 1 && model.empty() && text != "0") {
        model = text;
        modelCategory = c;
      }
    }
    std::string defaultModel;
    const std::int32_t defaultCategory = config.GetDefaultModel(defaultModel);
    if (defaultModel != "0" && !defaultModel.empty()) {
      model = defaultModel;
      modelCategory = defaultCategory;
    }
    if (model.empty() || model == "0") model = SectionModel(category);
    gSink = gSink + static_cast<unsigned char>(config.GetDriverVersion());
    const std::int32_t usbCount = config.GetSupportedUsbDeviceCount();
    for (std::int32_t n = 0; n <= usbCount && n <= 4; ++n) {
      if (config.GetSupportedUsbDevice(n).size() > 29) Fail("a USB port name over 29 characters");
    }

    config.SetCategory(modelCategory == kNoCategory ? kReceipt : modelCategory);
    BuildRecords(config, model);
    // Out of range: every read gives the default.
    config.SetCategory(7);
    DRIVER_INFO_3A driver;
    std::memset(&driver, 0, sizeof driver);
    config.GetDriverInfo(model, kWinXP, driver, kStandardDriver);
    if (std::strcmp(driver.pName, "0") != 0) Fail("a category out of range read a value");
  }
  if (machine.LiveSecurityDescriptors() != 0) Fail("a security descriptor was not freed");
  return 0;
}
