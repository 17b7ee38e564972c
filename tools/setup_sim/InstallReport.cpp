#include "tools/setup_sim/InstallReport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "script/DialogText.h"

namespace setwell::term {
namespace {

using sim::SimFileSystem;
using sim::SimRegistry;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu s", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

std::string OneLine(const std::string& text) {
  std::string out = text;
  for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at)) {
    out.replace(at, 1, " / ");
  }
  return out;
}

std::uint32_t Read(const std::string& bytes, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size && offset + i < bytes.size(); ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

std::string FixedText(const std::string& bytes, std::size_t offset, std::size_t size) {
  std::string text = bytes.substr(std::min(offset, bytes.size()), size);
  return text.substr(0, text.find('\0'));
}

// The fields of a 148-byte device mode that say what the printer prints on.
std::string DescribeDevMode(const std::string& devMode) {
  if (devMode.size() < 148)
    return devMode.empty() ? "the driver's default"
                           : "short (" + std::to_string(devMode.size()) + " bytes)";
  auto signedShort = [&](std::size_t offset) {
    return std::to_string(static_cast<std::int16_t>(Read(devMode, offset, 2)));
  };
  return Quoted(FixedText(devMode, 0, 32)) + ", fields 0x" + Hex(Read(devMode, 40, 4), 8) +
         ", orientation " + signedShort(44) + ", paper " + signedShort(46) + " (" +
         signedShort(50) + " x " + signedShort(48) + " tenths of a mm), copies " + signedShort(54) +
         ", " + signedShort(58) + " x " + signedShort(64) + " dpi";
}

std::string DescribeDcb(const std::string& data) {
  if (data.size() != sizeof(DCB)) return std::to_string(data.size()) + " bytes";
  DCB dcb{};
  std::memcpy(&dcb, data.data(), sizeof dcb);
  static const char* const kParities[] = {"none", "odd", "even", "mark", "space"};
  static const char* const kStopBits[] = {"1", "1.5", "2"};
  const char* flow = dcb.fOutxCtsFlow ? "hardware" : dcb.fOutX ? "Xon/Xoff" : "none";
  return std::to_string(dcb.BaudRate) + " baud, " + std::to_string(dcb.ByteSize) +
         " data bits, parity " + (dcb.Parity < 5 ? kParities[dcb.Parity] : "?") + ", " +
         "stop bits " + (dcb.StopBits < 3 ? kStopBits[dcb.StopBits] : "?") + ", flow control " +
         flow;
}

// A copy's source as the installer named it ("D:\\winnt\X.DLL"): doubled
// separators folded, and a file of the distribution's drive named as such.
std::string DescribeSource(const std::string& source, char distributionDrive) {
  std::string path;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\\' && !path.empty() && path.back() == '\\' && i > 1) continue;
    path.push_back(source[i]);
  }
  if (distributionDrive != '\0' && SimFileSystem::DriveOf(path) == distributionDrive &&
      path.size() > 3) {
    return "distribution " + path.substr(3);
  }
  return path;
}

std::string DescribeDriver(const sim::SimDriver& d) {
  std::string text =
      Quoted(d.name) + " (" + d.environment + ", version " + std::to_string(d.version) + ")";
  text += "\n      driver " + SimFileSystem::Name(d.driverPath) + ", data " +
          SimFileSystem::Name(d.dataFile) + ", configuration " + SimFileSystem::Name(d.configFile);
  if (!d.helpFile.empty()) text += ", help " + SimFileSystem::Name(d.helpFile);
  if (!d.dependentFiles.empty()) {
    text += "\n      dependent files:";
    for (const std::string& file : d.dependentFiles) text += " " + SimFileSystem::Name(file);
  }
  text += "\n      language monitor " +
          (d.monitorName.empty() ? std::string("(none)") : Quoted(d.monitorName)) + ", data type " +
          (d.defaultDataType.empty() ? std::string("(none)") : d.defaultDataType);
  return text;
}

std::string DescribePrinter(const sim::SimPrinter& p) {
  return Quoted(p.name) + " on " + p.portName + ", driver " + Quoted(p.driverName) +
         ", processor " + p.printProcessor + ", data type " + p.datatype + ", attributes 0x" +
         Hex(p.attributes, 8) + "\n      device mode " + DescribeDevMode(p.devMode);
}

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED:
      return "stopped";
    case SERVICE_START_PENDING:
      return "starting";
    case SERVICE_RUNNING:
      return "running";
    default:
      return "changed state";
  }
}

template <typename T>
bool Contains(const std::vector<T>& items, const T& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

std::string FormatRegistryValue(const sim::RegValue& value) {
  std::string data = value.data;
  switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      const std::string text = data.substr(0, data.find('\0'));
      return (value.type == REG_EXPAND_SZ ? "expand:" : "") + Quoted(text);
    }
    case REG_DWORD:
      if (data.size() == 4) {
        const std::uint32_t number = Read(data, 0, 4);
        return "dword:" + Hex(number, 8) + " (" + std::to_string(number) + ")";
      }
      break;
    case REG_MULTI_SZ: {
      std::string out = "multi:";
      std::size_t start = 0;
      bool first = true;
      while (start < data.size() && data[start] != '\0') {
        const std::size_t end = std::min(data.find('\0', start), data.size());
        out += (first ? "" : ",") + Quoted(data.substr(start, end - start));
        first = false;
        start = end + 1;
      }
      return out;
    }
    default:
      break;
  }
  std::string out = "hex(" + std::to_string(value.type) + "):";
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += (i == 0 ? "" : ",") + Hex(static_cast<unsigned char>(data[i]), 2);
  }
  return out;
}

MachineSnapshot TakeSnapshot(const sim::SimMachine& machine) {
  MachineSnapshot s;
  for (const auto& [key, file] : machine.files.Files()) {
    if (!machine.files.IsReadOnly(file.path)) s.files.emplace(key, file);
  }
  s.registry = machine.registry;
  s.drivers = machine.spooler.Drivers();
  s.printers = machine.spooler.Printers();
  s.ports = machine.spooler.Ports();
  s.defaultPrinter = machine.spooler.DefaultPrinter();
  s.clockMs = machine.clock.nowMs;
  s.sleeps = machine.clock.sleeps.size();
  s.boxes = machine.ui.boxes.size();
  s.profileWrites = machine.profile.writes.size();
  s.broadcasts = machine.profile.broadcasts.size();
  s.usbWrites = machine.usb.writes.size();
  s.restartRequests = machine.restartRequests.size();
  s.shellOpened = machine.shellOpened.size();
  s.trace = machine.trace.size();
  s.serviceLog = machine.serviceLog.size();
  return s;
}

InstallReport::InstallReport(const MachineSnapshot& before, const sim::SimMachine& after) {
  // --- Files, with the source of the last copy made onto each --------------------
  std::map<std::string, std::string> sources;
  const char distributionDrive = SimFileSystem::DriveOf(after.currentDirectory);
  for (std::size_t i = before.trace; i < after.trace.size(); ++i) {
    const sim::SimCallRecord& call = after.trace[i];
    if (call.call != "CopyFileA") continue;
    const std::size_t comma = call.arguments.find(", ");
    if (comma == std::string::npos) continue;
    sources[SimFileSystem::Key(call.arguments.substr(comma + 2))] = call.arguments.substr(0, comma);
  }
  for (const auto& [key, file] : after.files.Files()) {
    if (after.files.IsReadOnly(file.path)) continue;
    auto old = before.files.find(key);
    if (old != before.files.end() && old->second.data == file.data &&
        old->second.attributes == file.attributes) {
      continue;
    }
    FileChange change;
    change.path = file.path;
    change.added = old == before.files.end();
    change.size = file.data.size();
    change.attributes = file.attributes;
    if (!change.added) {
      change.attributesBefore = old->second.attributes;
      change.contentChanged = old->second.data != file.data;
    }
    if (!change.contentChanged) {
      // A copy that failed after the attributes were reset (the target
      // was in use) leaves the bytes and changes only the attributes.
      files.push_back(change);
      continue;
    }
    if (auto source = sources.find(key); source != sources.end()) {
      change.source = DescribeSource(source->second, distributionDrive);
    } else {
      // The spooler keeps an added driver's files in a version folder
      // ("\3") below the driver directory the installer copied them to.
      const std::string folder = SimFileSystem::Parent(file.path);
      const std::string name = SimFileSystem::Name(folder);
      const std::string from =
          SimFileSystem::Parent(folder) + "\\" + SimFileSystem::Name(file.path);
      const sim::SimFile* original = after.files.Find(from);
      if ((name == "2" || name == "3") && original != nullptr && original->data == file.data) {
        change.source = original->path + " (by the spooler)";
      }
    }
    files.push_back(change);
  }
  for (const auto& [key, file] : before.files) {
    if (after.files.Files().count(key) == 0) {
      FileChange change;
      change.path = file.path;
      change.added = false;
      change.removed = true;
      files.push_back(change);
    }
  }

  // --- Registry values ---------------------------------------------------------------------
  for (const auto& [lowered, key] : after.registry.Keys()) {
    const sim::RegKey* old = before.registry.FindKey(key.path);
    for (const sim::RegValue& value : key.values) {
      const sim::RegValue* was = old == nullptr ? nullptr : old->Value(value.name);
      if (was != nullptr && was->type == value.type && was->data == value.data) continue;
      values.push_back(ValueChange{
          "HKLM\\" + key.path, value.name.empty() ? "(default)" : value.name,
          was != nullptr ? FormatRegistryValue(*was) : std::string(), FormatRegistryValue(value)});
    }
    if (old == nullptr) continue;
    for (const sim::RegValue& value : old->values) {
      if (key.Value(value.name) == nullptr) {
        values.push_back(ValueChange{"HKLM\\" + key.path,
                                     value.name.empty() ? "(default)" : value.name,
                                     FormatRegistryValue(value), std::string()});
      }
    }
  }
  // The values of keys that went as a whole.
  for (const auto& [lowered, key] : before.registry.Keys()) {
    if (after.registry.FindKey(key.path) != nullptr) continue;
    for (const sim::RegValue& value : key.values) {
      values.push_back(ValueChange{"HKLM\\" + key.path, value.name.empty() ? "(default)" : value.name,
                                   FormatRegistryValue(value), std::string()});
    }
  }

  // --- Monitors and print processors: their keys ---------------------------------------------
  const std::vector<std::string> monitorsBefore = before.registry.SubKeys(sim::kMonitorsKey);
  for (const std::string& name : after.registry.SubKeys(sim::kMonitorsKey)) {
    if (Contains(monitorsBefore, name)) continue;
    std::string dll;
    after.registry.GetString(std::string(sim::kMonitorsKey) + "\\" + name, "Driver", dll);
    monitors.push_back(Named{name, dll});
  }
  const std::vector<std::string> monitorsAfter = after.registry.SubKeys(sim::kMonitorsKey);
  for (const std::string& name : monitorsBefore) {
    if (Contains(monitorsAfter, name)) continue;
    std::string dll;
    before.registry.GetString(std::string(sim::kMonitorsKey) + "\\" + name, "Driver", dll);
    monitorsRemoved.push_back(Quoted(name) + " (" + dll + ")");
  }
  for (const char* environment : {sim::kEnvironmentNtX86, sim::kEnvironment9x}) {
    const std::string key = sim::ProcessorsKey(environment);
    const std::vector<std::string> old = before.registry.SubKeys(key);
    const std::vector<std::string> now = after.registry.SubKeys(key);
    for (const std::string& name : now) {
      if (Contains(old, name)) continue;
      std::string dll;
      after.registry.GetString(key + "\\" + name, "Driver", dll);
      processors.push_back(Named{name, std::string(environment) + ", " + dll});
    }
    for (const std::string& name : old) {
      if (Contains(now, name)) continue;
      std::string dll;
      before.registry.GetString(key + "\\" + name, "Driver", dll);
      processorsRemoved.push_back(Quoted(name) + " (" + environment + ", " + dll + ")");
    }
  }

  // --- Spooler records
  // -----------------------------------------------------------------------------
  for (const sim::SimDriver& driver : after.spooler.Drivers()) {
    auto same =
        std::find_if(before.drivers.begin(), before.drivers.end(), [&](const sim::SimDriver& d) {
          return Lower(d.name) == Lower(driver.name) &&
                 Lower(d.environment) == Lower(driver.environment);
        });
    if (same != before.drivers.end() && *same == driver) continue;
    drivers.push_back((same != before.drivers.end() ? "(replaced) " : "") + DescribeDriver(driver));
  }
  for (const sim::SimDriver& driver : before.drivers) {
    const bool there = std::any_of(after.spooler.Drivers().begin(), after.spooler.Drivers().end(),
                                   [&](const sim::SimDriver& d) {
                                     return Lower(d.name) == Lower(driver.name) &&
                                            Lower(d.environment) == Lower(driver.environment);
                                   });
    if (!there) driversRemoved.push_back(DescribeDriver(driver));
  }
  const std::unordered_set<std::string> portsBefore(before.ports.begin(), before.ports.end());
  const std::vector<std::string> portsNow = after.spooler.Ports();
  const std::unordered_set<std::string> portsAfter(portsNow.begin(), portsNow.end());
  for (const std::string& port : before.ports) {
    if (!portsAfter.contains(port)) portsRemoved.push_back(port);
  }
  for (const sim::SimSpooler::PortEntry& entry : after.spooler.PortsAndMonitors()) {
    if (!portsBefore.contains(entry.port)) ports.push_back(entry.port + " (" + entry.monitor + ")");
  }
  for (const sim::SimPrinter& printer : after.spooler.Printers()) {
    auto same = std::find_if(
        before.printers.begin(), before.printers.end(),
        [&](const sim::SimPrinter& p) { return Lower(p.name) == Lower(printer.name); });
    if (same != before.printers.end() && *same == printer) continue;
    printers.push_back((same != before.printers.end() ? "(changed) " : "") +
                       DescribePrinter(printer));
    if (same == before.printers.end()) {
      printersAdded.push_back(Named{printer.name, printer.portName + "\t" + printer.driverName});
    }
  }
  for (const sim::SimPrinter& printer : before.printers) {
    const bool there = after.spooler.FindPrinter(printer.name) != nullptr;
    if (!there) printersRemoved.push_back(DescribePrinter(printer));
  }
  defaultBefore = before.defaultPrinter;
  defaultAfter = after.spooler.DefaultPrinter();

  // --- Serial settings and profile -------------------------------------------------------------
  const std::string ntPorts = Lower(SimRegistry::Normalise(sim::kNtPortsKey));
  for (const ValueChange& change : values) {
    const std::string path = Lower(SimRegistry::Normalise(change.key.substr(5)));
    if (path == ntPorts && !change.after.empty()) {
      serial.push_back(change.name + " " + change.after +
                       " (registry, the Local Port monitor's ports)");
    }
    if (Lower(change.name) == "dcb" && !change.after.empty()) {
      const sim::RegValue* value = after.registry.FindValue(change.key.substr(5), change.name);
      serial.push_back("DCB of " + change.key + ": " +
                       DescribeDcb(value != nullptr ? value->data : ""));
    }
  }
  for (std::size_t i = before.profileWrites; i < after.profile.writes.size(); ++i) {
    const sim::ProfileWrite& write = after.profile.writes[i];
    if (!write.section && !write.key && !write.value) {
      profile.push_back("flush of the profile cache");
      continue;
    }
    std::string line = "[" + write.section.value_or("(all)") + "] " +
                       (write.key ? *write.key : std::string("(whole section)"));
    line += write.value ? " = " + *write.value : std::string(" deleted");
    profile.push_back(line);
    if (write.section && Lower(*write.section) == "ports" && write.key && write.value) {
      serial.push_back(*write.key + " " + Quoted(*write.value) + " (win.ini [Ports])");
    }
  }
  for (std::size_t i = before.broadcasts; i < after.profile.broadcasts.size(); ++i) {
    const sim::Broadcast& broadcast = after.profile.broadcasts[i];
    profile.push_back("settings change broadcast for " +
                      (broadcast.text ? Quoted(*broadcast.text) : std::string("every section")) +
                      (broadcast.waits
                           ? ", waiting up to " + std::to_string(broadcast.timeoutMs) + " ms"
                           : ", not waiting"));
  }

  // --- What happened over time ---------------------------------------------------------------
  hasServices = after.services.present;
  for (std::size_t i = before.serviceLog; i < after.serviceLog.size(); ++i) {
    const sim::SimServiceEvent& event = after.serviceLog[i];
    spooler.push_back("at " + Seconds(event.atMs - std::min(event.atMs, before.clockMs)) + ": " +
                      event.service + " " + StateName(event.state));
  }
  for (std::size_t i = before.sleeps; i < after.clock.sleeps.size(); ++i) {
    pauses.push_back(after.clock.sleeps[i]);
  }
  for (std::size_t i = before.boxes; i < after.ui.boxes.size(); ++i) {
    const sim::MessageBoxRecord& box = after.ui.boxes[i];
    const std::string icon = MessageBoxIconName(box.type);
    messages.push_back((icon.empty() ? "" : "[" + icon + "] ") + OneLine(box.text) + " -> " +
                       AnswerName(box.answer));
    // The installer shows its failures with the warning icon.
    const UINT kind = box.type & MB_ICONMASK;
    if (kind == MB_ICONWARNING || kind == MB_ICONERROR) ++errorsShown;
  }
  for (std::size_t i = before.usbWrites; i < after.usb.writes.size(); ++i) {
    const sim::SimUsbWrite& write = after.usb.writes[i];
    std::string bytes;
    for (unsigned char c : write.bytes) bytes += (bytes.empty() ? "" : " ") + Hex(c, 2);
    std::string line =
        "to the printer at bus position " + std::to_string(write.index) + ": " + bytes;
    if (write.index >= 0 && write.index < sim::SimUsb::kPositions && after.usb.bus[write.index] &&
        after.usb.bus[write.index]->pendingNumber) {
      line += " (device number " + std::to_string(*after.usb.bus[write.index]->pendingNumber + 1) +
              " once the printer is switched off and on)";
    }
    usb.push_back(line);
  }
  for (std::size_t i = before.restartRequests; i < after.restartRequests.size(); ++i) {
    const sim::RestartRequest& request = after.restartRequests[i];
    if (request.refusedWith == 0) restartPending = true;
    restarts.push_back("restart requested (flags 0x" + Hex(request.flags, 2) + "): " +
                       (request.refusedWith == 0
                            ? std::string("accepted; the machine restarts before its next run")
                            : "refused with error " + std::to_string(request.refusedWith)));
  }
  for (std::size_t i = before.shellOpened; i < after.shellOpened.size(); ++i) {
    help.push_back("the shell was asked to open " + after.shellOpened[i]);
  }
}

std::string InstallReport::Summary() const {
  std::string out = "Summary: ";
  if (printersAdded.empty() && !printersRemoved.empty()) {
    for (std::size_t i = 0; i < printersRemoved.size(); ++i) {
      const std::string& line = printersRemoved[i];
      // The description begins with the quoted name.
      out += (i == 0 ? "printer " : ", printer ") + line.substr(0, line.find("\" on ") + 1) +
             " removed";
    }
  } else if (printersAdded.empty()) {
    out += "no printer added";
  } else {
    for (std::size_t i = 0; i < printersAdded.size(); ++i) {
      const Named& p = printersAdded[i];
      const std::size_t tab = p.detail.find('\t');
      out += (i == 0 ? "printer " : ", printer ") + Quoted(p.name) + " added on " +
             p.detail.substr(0, tab) + " with driver " + Quoted(p.detail.substr(tab + 1));
    }
  }
  out += "; default printer " +
         (defaultAfter.empty() ? std::string("none") : Quoted(defaultAfter)) +
         (defaultAfter == defaultBefore ? " (unchanged)" : "");
  out += restartPending ? "; a restart is pending" : "; no restart pending";
  out += "; " + std::to_string(errorsShown) + (errorsShown == 1 ? " error" : " errors") + " shown";
  return out;
}

std::string WrapAtSeparators(const std::string& line, std::size_t width, std::size_t indent) {
  if (width <= indent + 10 || line.size() <= width) return line;
  std::string out;
  std::string_view rest(line);
  std::size_t room = width;
  while (rest.size() > room) {
    // The last break that keeps the piece within the width: after a path
    // separator, else at a blank; a name longer than the width is cut.
    std::size_t cut = rest.substr(0, room).find_last_of("\\/");
    if (cut == std::string_view::npos || cut < room / 3) {
      const std::size_t blank = rest.substr(0, room).find_last_of(' ');
      cut = blank != std::string_view::npos && blank >= room / 3 ? blank : room - 1;
    }
    out += std::string(rest.substr(0, cut + 1)) + "\n" + std::string(indent, ' ');
    rest.remove_prefix(cut + 1);
    room = width - indent;
  }
  return out + std::string(rest);
}

std::string InstallReport::Format(const std::string& heading, std::size_t width) const {
  std::string out = heading + "\n" + Summary() + "\n";
  auto section = [&](const std::string& title, const std::vector<std::string>& lines) {
    if (lines.empty()) {
      out += title + ": none\n";
      return;
    }
    out += title + " (" + std::to_string(lines.size()) + "):\n";
    for (const std::string& line : lines) {
      out += (width == 0 ? "    " + line : WrapAtSeparators("    " + line, width, 8)) + "\n";
    }
  };

  std::vector<std::string> lines;
  for (const FileChange& f : files) {
    if (f.removed) {
      lines.push_back(f.path + "  removed");
      continue;
    }
    if (!f.contentChanged) {
      lines.push_back(f.path + "  attributes 0x" + Hex(f.attributesBefore, 2) + " -> 0x" +
                      Hex(f.attributes, 2) + ", contents as they were");
      continue;
    }
    std::string line =
        f.path + "  " + std::to_string(f.size) + " bytes" + (f.added ? "" : ", replaced");
    if (f.attributes & FILE_ATTRIBUTE_READONLY) line += ", read-only";
    if (!f.source.empty()) line += "  from " + f.source;
    lines.push_back(line);
  }
  section("Files written", lines);

  lines.clear();
  for (const ValueChange& v : values) {
    std::string line = v.key + "  " + Quoted(v.name) + " = ";
    if (v.after.empty()) {
      line += "(removed; was " + v.before + ")";
    } else {
      line += v.after + (v.before.empty() ? "" : "  (was " + v.before + ")");
    }
    lines.push_back(line);
  }
  section("Registry values set", lines);

  lines.clear();
  for (const Named& m : monitors) lines.push_back(Quoted(m.name) + " (" + m.detail + ")");
  section("Port monitors added", lines);
  // What a removal took is told only when there is some.
  auto removedSection = [&](const std::string& title, const std::vector<std::string>& items) {
    if (!items.empty()) section(title, items);
  };
  removedSection("Port monitors removed", monitorsRemoved);
  lines.clear();
  for (const Named& p : processors) lines.push_back(Quoted(p.name) + " (" + p.detail + ")");
  section("Print processors added", lines);
  removedSection("Print processors removed", processorsRemoved);
  section("Printer drivers added", drivers);
  removedSection("Printer drivers removed", driversRemoved);
  section("Ports added", ports);
  removedSection("Ports removed", portsRemoved);
  section("Printers added", printers);
  removedSection("Printers removed", printersRemoved);
  if (defaultBefore == defaultAfter) {
    out += "Default printer: unchanged (" +
           (defaultAfter.empty() ? std::string("none") : Quoted(defaultAfter)) + ")\n";
  } else {
    out += "Default printer: " + Quoted(defaultAfter) + " (was " +
           (defaultBefore.empty() ? std::string("none") : Quoted(defaultBefore)) + ")\n";
  }
  section("Serial settings", serial);
  section("Profile writes and broadcasts", profile);
  if (!hasServices) {
    out += "Spooler service: none on this system (the spooler always runs)\n";
  } else {
    section("Spooler service", spooler);
  }
  if (pauses.empty()) {
    out += "Time paused: none\n";
  } else {
    std::uint64_t total = 0;
    for (std::uint32_t ms : pauses) total += ms;
    std::string list;
    for (std::size_t i = 0; i < pauses.size();) {
      std::size_t j = i;
      while (j < pauses.size() && pauses[j] == pauses[i]) ++j;
      list += (list.empty() ? "" : ", ") + std::to_string(pauses[i]) + " ms";
      if (j - i > 1) list += " x" + std::to_string(j - i);
      i = j;
    }
    out += "Time paused: " + Seconds(total) + " in " + std::to_string(pauses.size()) + " pause" +
           (pauses.size() == 1 ? "" : "s") + " (" + list + ")\n";
  }
  section("Messages shown", messages);
  section("Sent to USB printers", usb);
  section("Restart", restarts);
  section("Help", help);
  return out + Summary() + "\n";
}

}  // namespace setwell::term
