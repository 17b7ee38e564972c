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

namespace {

// The registry values ContentsOf leaves out: every value of the NT ports
// key, and a port class key's "DCB".
bool Counted(bool ntPorts, bool portClass, const sim::RegValue& value) {
  return !ntPorts && !(portClass && EqualsNoCase(value.name, "DCB"));
}

}  // namespace

bool SurelySameContents(const sim::SimMachine& a, const sim::SimMachine& b) {
  // Files on writable drives, in key order.
  {
    const auto& fa = a.files.Files();
    const auto& fb = b.files.Files();
    auto ia = fa.begin();
    auto ib = fb.begin();
    const auto skip = [](const sim::SimMachine& m, auto& it, const auto& end) {
      while (it != end && m.files.IsReadOnly(it->second.path)) ++it;
    };
    for (;;) {
      skip(a, ia, fa.end());
      skip(b, ib, fb.end());
      if (ia == fa.end() || ib == fb.end()) {
        if (ia != fa.end() || ib != fb.end()) return false;
        break;
      }
      const sim::SimFile& x = ia->second;
      const sim::SimFile& y = ib->second;
      if (ia->first != ib->first || x.path != y.path || x.attributes != y.attributes) return false;
      if (x.data != y.data) {
        if (!EqualsNoCase(sim::SimFileSystem::Name(x.path), "win.ini") ||
            WithoutPortsSection(x.data) != WithoutPortsSection(y.data)) {
          return false;
        }
      }
      ++ia;
      ++ib;
    }
  }
  // Registry keys with their counted values, in order.
  {
    const auto& ka = a.registry.Keys();
    const auto& kb = b.registry.Keys();
    if (ka.size() != kb.size()) return false;
    const std::string ntPorts = LowerAscii(sim::kNtPortsKey);
    for (auto ia = ka.begin(), ib = kb.begin(); ia != ka.end(); ++ia, ++ib) {
      if (ia->first != ib->first || ia->second.path != ib->second.path) return false;
      const bool nt = ia->first == ntPorts;
      const bool portClass = ia->first.find("services\\class\\ports\\") != std::string::npos;
      const std::vector<sim::RegValue>& va = ia->second.values;
      const std::vector<sim::RegValue>& vb = ib->second.values;
      std::size_t i = 0;
      std::size_t j = 0;
      for (;;) {
        while (i < va.size() && !Counted(nt, portClass, va[i])) ++i;
        while (j < vb.size() && !Counted(nt, portClass, vb[j])) ++j;
        if (i == va.size() || j == vb.size()) {
          if (i != va.size() || j != vb.size()) return false;
          break;
        }
        if (!(va[i] == vb[j])) return false;
        ++i;
        ++j;
      }
    }
  }
  return a.spooler.Drivers() == b.spooler.Drivers() &&
         a.spooler.Printers() == b.spooler.Printers() &&
         a.spooler.Ports() == b.spooler.Ports() &&
         a.spooler.DefaultPrinter() == b.spooler.DefaultPrinter();
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
