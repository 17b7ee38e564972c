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
const T* FindByName(const std::vector<T>& items,
                    const std::unordered_map<std::string, std::size_t>& index,
                    const std::string& name) {
  const auto found = index.find(LowerAscii(name));
  return found == index.end() ? nullptr : &items[found->second];
}

// The first of each name (without regard to case) in `items`.
template <typename T>
void IndexByName(const std::vector<T>& items, std::unordered_map<std::string, std::size_t>& index) {
  index.clear();
  for (std::size_t i = 0; i < items.size(); ++i) index.emplace(LowerAscii(items[i].name), i);
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
  return FindByName(drivers, driverIndex_, name);
}
const FamilyMonitor* Family::Monitor(const std::string& name) const {
  return FindByName(monitors, monitorIndex_, name);
}
const FamilyProcessor* Family::Processor(const std::string& name) const {
  return FindByName(processors, processorIndex_, name);
}
bool Family::HasUsbPort(const std::string& port) const {
  return usbPortLowered_.count(LowerAscii(port)) != 0;
}

void Family::Index() {
  IndexByName(drivers, driverIndex_);
  IndexByName(monitors, monitorIndex_);
  IndexByName(processors, processorIndex_);
  usbPortSet_ = {usbPorts.begin(), usbPorts.end()};
  usbPortLowered_.clear();
  for (const std::string& port : usbPorts) usbPortLowered_.insert(LowerAscii(port));
  driverFiles.clear();
  std::unordered_map<std::string, std::size_t> files;
  for (std::size_t d = 0; d < drivers.size(); ++d) {
    for (std::size_t place = 0; place < drivers[d].files.size(); ++place) {
      const auto [it, added] = files.emplace(LowerAscii(drivers[d].files[place]), driverFiles.size());
      if (added) driverFiles.emplace_back();
      driverFiles[it->second].owners.push_back({d, place});
    }
  }
}

Family ReadFamily(Platform& platform, std::int32_t target) {
  Family family;
  family.target = target;
  InstallConfig config(platform);
  // What is already listed, for families of thousands of models.
  std::unordered_set<std::string> modelsSeen;  // category, then the name
  std::unordered_map<std::string, std::size_t> driversSeen;  // lower-cased name

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
    if (!modelsSeen.insert(std::to_string(category) + "|" + model).second) continue;
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
        const auto [seen, added] = driversSeen.emplace(LowerAscii(driverName), family.drivers.size());
        if (added) {
          family.drivers.push_back(
              {driverName, driver.pEnvironment != nullptr ? driver.pEnvironment : "", {}, {}});
        }
        FamilyDriver* known = &family.drivers[seen->second];
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
          std::none_of(family.processors.begin(), family.processors.end(),
                       [&](const FamilyProcessor& p) { return EqualsNoCase(p.name, processor); })) {
        family.processors.push_back({processor, files.printProcessorDll});
      }
    }
  }
  family.Index();
  return family;
}

}  // namespace setwell
