#include "config/Family.h"

#include <algorithm>

#include "config/DevModeLayout.h"
#include "config/InstallConfig.h"
#include "system/AsciiCase.h"

namespace setwell {
namespace {

// A configured file name that names a file: "0..." and empty names none.
bool NamesFile(const char* name) { return name != nullptr && name[0] != '\0' && name[0] != '0'; }

void AddUnique(std::vector<std::string>& list, const std::string& item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

template <typename T>
const T* FindByName(const std::vector<T>& items, const std::string& name) {
  for (const T& item : items) {
    if (EqualsNoCase(item.name, name)) return &item;
  }
  return nullptr;
}

void AddMonitor(Family& family, const FamilyMonitor& monitor) {
  if (monitor.name.empty() || monitor.name[0] == '0' || monitor.dll.empty()) return;
  for (FamilyMonitor& known : family.monitors) {
    if (!EqualsNoCase(known.name, monitor.name)) continue;
    known.usb = known.usb || monitor.usb;
    known.serial = known.serial || monitor.serial;
    known.language = known.language || monitor.language;
    return;
  }
  family.monitors.push_back(monitor);
}

}  // namespace

const FamilyDriver* Family::Driver(const std::string& name) const {
  return FindByName(drivers, name);
}
const FamilyMonitor* Family::Monitor(const std::string& name) const {
  return FindByName(monitors, name);
}
const FamilyProcessor* Family::Processor(const std::string& name) const {
  return FindByName(processors, name);
}
bool Family::HasUsbPort(const std::string& port) const {
  return std::any_of(usbPorts.begin(), usbPorts.end(),
                     [&](const std::string& p) { return EqualsNoCase(p, port); });
}

Family ReadFamily(Platform& platform, std::int32_t target) {
  Family family;
  family.target = target;
  InstallConfig config(platform);

  PortMonitorSet ports{};
  config.GetPortMonitors(target, ports);
  FamilyMonitor serial{ports.serial.pName != nullptr ? ports.serial.pName : "",
                       ports.serial.pDLLName != nullptr ? ports.serial.pDLLName : "",
                       ports.serialUiDll, ports.serialVersion, false, true, false};
  FamilyMonitor usb{ports.usb.pName != nullptr ? ports.usb.pName : "",
                    ports.usb.pDLLName != nullptr ? ports.usb.pDLLName : "", ports.usbUiDll,
                    ports.usbVersion, true, false, false};
  if (!NamesFile(serial.uiDll.c_str())) serial.uiDll.clear();
  if (!NamesFile(usb.uiDll.c_str())) usb.uiDll.clear();
  AddMonitor(family, serial);
  AddMonitor(family, usb);

  for (std::int32_t number : config.ExistingSupportedUsbDevices(config.GetSupportedUsbDeviceCount())) {
    const std::string port = config.GetSupportedUsbDevice(number);
    if (!port.empty() && port[0] != '0') AddUnique(family.usbPorts, port);
  }

  for (std::int32_t number : config.ExistingModelEntries(config.GetModelCount())) {
    std::string model;
    const std::int32_t category = config.GetModelEntry(number, model);
    if (category < 0 || category > 3 || model.empty()) continue;
    if (std::any_of(family.models.begin(), family.models.end(), [&](const FamilyModel& m) {
          return m.name == model && m.category == category;
        })) {
      continue;
    }
    family.models.push_back({model, category});
    config.SetCategory(category);
    for (std::int32_t mode : {0, 1}) {
      DriverFileList files{};
      DRIVER_INFO_3A driver{};
      MONITOR_INFO_2A language{};
      config.GetDriverFiles(model, target, files, mode);
      config.GetDriverInfo(model, target, driver, mode);
      config.GetMonitorInfo(model, target, language, mode);
      const std::string driverName = driver.pName != nullptr ? driver.pName : "";
      if (!driverName.empty() && driverName[0] != '0') {
        FamilyDriver* known = nullptr;
        for (FamilyDriver& d : family.drivers) {
          if (EqualsNoCase(d.name, driverName)) known = &d;
        }
        if (known == nullptr) {
          family.drivers.push_back(
              {driverName, driver.pEnvironment != nullptr ? driver.pEnvironment : "", {}, {}});
          known = &family.drivers.back();
        }
        for (const char* file : {files.driverFile, files.dataFile, files.configFile,
                                 files.helpFile, files.dataFileDll, files.oemPluginDll,
                                 files.oemPluginSettings}) {
          if (NamesFile(file)) AddUnique(known->files, file);
        }
        AddUnique(known->models, model);
      }
      if (NamesFile(files.monitorDll)) {
        const char* dll = NamesFile(language.pDLLName) ? language.pDLLName : files.monitorDll;
        AddMonitor(family, {language.pName != nullptr ? language.pName : "", dll, "", 0, false,
                            false, true});
      }
      PRINTER_INFO_2A printer{};
      DevModeBlock devMode;
      printer.pDevMode = devMode.get();
      config.GetPrinterInfo(model, target, printer, mode);
      const std::string processor = printer.pPrintProcessor != nullptr ? printer.pPrintProcessor : "";
      if (!processor.empty() && processor[0] != '0' && NamesFile(files.printProcessorDll) &&
          FindByName(family.processors, processor) == nullptr) {
        family.processors.push_back({processor, files.printProcessorDll});
      }
    }
  }
  return family;
}

}  // namespace setwell
