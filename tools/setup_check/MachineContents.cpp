#include "tools/setup_check/MachineContents.h"

#include <sstream>

#include "sim/SimProfile.h"
#include "system/AsciiCase.h"

namespace setwell::check {
namespace {

// win.ini without its [Ports] section: Windows 98/Me's serial line settings.
std::string WithoutPortsSection(const std::string& text) {
  std::string out;
  bool skipping = false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') {
      skipping = EqualsNoCase(line.substr(1, line.find(']') - 1), "Ports");
    }
    if (!skipping) out += line + "\n";
  }
  return out;
}

}  // namespace

MachineContents ContentsOf(const sim::SimMachine& machine) {
  MachineContents contents;
  for (const auto& [key, file] : machine.files.Files()) {
    if (machine.files.IsReadOnly(file.path)) continue;
    const bool winIni = EqualsNoCase(sim::SimFileSystem::Name(file.path), "win.ini");
    contents["file " + file.path] =
        (winIni ? WithoutPortsSection(file.data) : file.data) + "|" + std::to_string(file.attributes);
  }
  const std::string ntPorts = LowerAscii(sim::kNtPortsKey);
  for (const auto& [lowered, key] : machine.registry.Keys()) {
    contents["registry key HKLM\\" + key.path] = "";
    if (lowered == ntPorts) continue;
    for (const sim::RegValue& value : key.values) {
      if (EqualsNoCase(value.name, "DCB") &&
          lowered.find("services\\class\\ports\\") != std::string::npos) {
        continue;
      }
      contents["registry value HKLM\\" + key.path + " \"" + value.name + "\""] =
          std::to_string(value.type) + ":" + value.data;
    }
  }
  for (const sim::SimDriver& d : machine.spooler.Drivers()) {
    std::string files = d.driverPath + "," + d.dataFile + "," + d.configFile + "," + d.helpFile;
    for (const std::string& f : d.dependentFiles) files += "," + f;
    contents["driver \"" + d.name + "\" (" + d.environment + ")"] =
        std::to_string(d.version) + " " + files + " " + d.monitorName;
  }
  for (const sim::SimPrinter& p : machine.spooler.Printers()) {
    contents["printer \"" + p.name + "\""] = p.portName + "," + p.driverName + "," +
                                             p.printProcessor + "," + p.devMode;
  }
  for (const std::string& port : machine.spooler.Ports()) contents["port " + port] = "";
  contents["the default printer"] = machine.spooler.DefaultPrinter();
  return contents;
}

ContentsChange CompareContents(const MachineContents& before, const MachineContents& after) {
  ContentsChange change;
  for (const auto& [name, value] : after) {
    const auto was = before.find(name);
    if (was == before.end()) {
      change.added.push_back(name);
    } else if (was->second != value) {
      change.changed.push_back(name);
    }
  }
  for (const auto& [name, value] : before) {
    if (after.count(name) == 0) change.lost.push_back(name);
  }
  return change;
}

}  // namespace setwell::check
