#include "sim/SimFamilyPorts.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "config/InstallConfig.h"

namespace setwell::sim {
namespace {

constexpr int kTargets = 5;  // 98/Me, NT 4.0, 2000, XP, Server 2003
constexpr int kVirtualSerialPorts = 8;
constexpr int kUsbPortsPerModel = 4;
constexpr std::size_t kUsbSupportedLimit = 199;  // as the port page reads it

bool Names(const char* name) { return name != nullptr && name[0] != '\0' && name[0] != '0'; }

// The ports in the order first named, each once.
class PortList {
 public:
  void Add(const std::string& port) {
    if (seen_.insert(port).second) ports_.push_back(port);
  }
  const std::vector<std::string>& Ports() const { return ports_; }

 private:
  std::vector<std::string> ports_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

void DeclareFamilyMonitorPorts(SimMachine& machine) {
  InstallConfig config(machine);
  PortList usbPorts;
  const std::int32_t usbCount = config.GetSupportedUsbDeviceCount();
  for (const std::int32_t i : config.ExistingSupportedUsbDevices(usbCount)) {
    usbPorts.Add(config.GetSupportedUsbDevice(i));
  }
  // Each model's "USBSUPPORTED" is read from the category files as parsed
  // once here: asking the configuration reader model by model would look at
  // the category file again for each of thousands of models.
  IniFileSet categoryFiles(machine);
  std::string model;
  for (const std::int32_t n : config.ExistingModelEntries(config.GetModelCount())) {
    const std::int32_t category = config.GetModelEntry(n, model);
    if (category < 0) continue;
    if (categoryFiles.GetNumber(config.CategoryPath(category), model + ".PORT", "USBSUPPORTED",
                                kUsbSupportedLimit) == 0) {
      continue;
    }
    for (int i = 1; i <= kUsbPortsPerModel; ++i) usbPorts.Add("USB_" + model + "_" + std::to_string(i));
  }
  DeclareFamilyMonitorPorts(machine, usbPorts.Ports());
}

void DeclareFamilyMonitorPorts(SimMachine& machine, const std::vector<std::string>& usbPorts) {
  InstallConfig config(machine);
  std::vector<std::string> serialPorts;
  for (int i = 1; i <= kVirtualSerialPorts; ++i) serialPorts.push_back("TVCOM" + std::to_string(i) + ":");
  for (std::int32_t target = 0; target < kTargets; ++target) {
    PortMonitorSet set{};
    config.GetPortMonitors(target, set);
    if (Names(set.serial.pName)) machine.spooler.DeclareMonitorPorts(set.serial.pName, serialPorts);
    if (Names(set.usb.pName)) machine.spooler.DeclareMonitorPorts(set.usb.pName, usbPorts);
  }
}

}  // namespace setwell::sim
