#include "sim/SimFamilyPorts.h"

#include <set>

#include "config/IniFile.h"

namespace setwell::sim {

void DeclareFamilyMonitorPorts(SimMachine& machine) {
  std::string contents;
  const std::string general = SimFileSystem::Parent(machine.moduleFileName) + "\\DRVCONFIG\\setup.ini";
  const SimFile* file = machine.files.Find(general);
  if (file == nullptr) return;
  const IniFile ini(file->data);

  std::vector<std::string> serialPorts;
  for (int i = 1; i <= 8; ++i) serialPorts.push_back("TVCOM" + std::to_string(i) + ":");
  std::vector<std::string> usbPorts;
  const std::int32_t count = ini.GetNumber("SUPPORTED-USB-DEVICE", "PRNCOUNT", 199);
  for (std::int32_t i = 0; i < count; ++i) {
    usbPorts.push_back(ini.GetString("SUPPORTED-USB-DEVICE", std::to_string(i), 29));
  }

  std::set<std::string> done;
  for (const char* suffix : {"98", "NT", "2K", "XP", "2003"}) {
    const std::string section = std::string("COMMON-MONITOR.") + suffix;
    const std::string serial = ini.GetString(section, "COMMONitorPName", 49, "");
    const std::string usb = ini.GetString(section, "USBMONitorPName", 49, "");
    if (!serial.empty() && serial != "0" && done.insert(serial).second) {
      machine.spooler.DeclareMonitorPorts(serial, serialPorts);
    }
    if (!usb.empty() && usb != "0" && done.insert(usb).second) {
      machine.spooler.DeclareMonitorPorts(usb, usbPorts);
    }
  }
}

}  // namespace setwell::sim
