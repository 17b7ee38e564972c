#include "tools/setup_sim/MonitorPorts.h"

#include <string>
#include <vector>

#include "config/InstallConfig.h"

namespace setwell::term {
namespace {

constexpr int kTargets = 5;  // 98/Me, NT 4.0, 2000, XP, Server 2003
constexpr int kVirtualSerialPorts = 8;

bool Names(const char* name) { return name != nullptr && name[0] != '\0' && name[0] != '0'; }

}  // namespace

void DeclareDistributionMonitorPorts(sim::SimMachine& machine) {
  InstallConfig config(machine);
  std::vector<std::string> usbPorts;
  const std::int32_t count = config.GetSupportedUsbDeviceCount();
  for (std::int32_t i = 0; i < count; ++i) usbPorts.push_back(config.GetSupportedUsbDevice(i));
  std::vector<std::string> serialPorts;
  for (int i = 1; i <= kVirtualSerialPorts; ++i)
    serialPorts.push_back("TVCOM" + std::to_string(i) + ":");
  for (std::int32_t target = 0; target < kTargets; ++target) {
    PortMonitorSet set{};
    config.GetPortMonitors(target, set);
    if (Names(set.serial.pName)) machine.spooler.DeclareMonitorPorts(set.serial.pName, serialPorts);
    if (Names(set.usb.pName)) machine.spooler.DeclareMonitorPorts(set.usb.pName, usbPorts);
  }
}

}  // namespace setwell::term
