#include "sim/SimFamilyPorts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "config/InstallConfig.h"

namespace setwell::sim {
namespace {

constexpr int kTargets = 5;  // 98/Me, NT 4.0, 2000, XP, Server 2003
constexpr int kVirtualSerialPorts = 8;
constexpr int kUsbPortsPerModel = 4;

bool Names(const char* name) { return name != nullptr && name[0] != '\0' && name[0] != '0'; }

void AddOnce(std::vector<std::string>& ports, const std::string& port) {
  if (std::find(ports.begin(), ports.end(), port) == ports.end()) ports.push_back(port);
}

}  // namespace

void DeclareFamilyMonitorPorts(SimMachine& machine) {
  InstallConfig config(machine);
  std::vector<std::string> usbPorts;
  const std::int32_t count = config.GetSupportedUsbDeviceCount();
  for (const std::int32_t i : config.ExistingSupportedUsbDevices(count)) {
    AddOnce(usbPorts, config.GetSupportedUsbDevice(i));
  }
  std::string model;
  for (const std::int32_t n : config.ExistingModelEntries(config.GetModelCount())) {
    const std::int32_t category = config.GetModelEntry(n, model);
    if (category < 0) continue;
    config.SetCategory(category);
    if (config.GetModelPortSetting(model, "USBSUPPORTED") == 0) continue;
    for (int i = 1; i <= kUsbPortsPerModel; ++i) AddOnce(usbPorts, "USB_" + model + "_" + std::to_string(i));
  }
  DeclareFamilyMonitorPorts(machine, usbPorts);
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
