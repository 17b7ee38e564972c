#include "tools/setup_sim/MachineFromListing.h"

#include <algorithm>
#include <cstring>

#include "system/AsciiCase.h"
#include "system/SerialSettings.h"

namespace setwell::term {
namespace {

using inventory::ListedFile;
using inventory::ListedKey;
using inventory::ListedValue;
using inventory::Listing;

// A path of the till's, below its Windows folder, on the machine's.
std::string OnMachine(const std::string& path, const std::string& fromWindows,
                      const std::string& toWindows) {
  if (!fromWindows.empty() && StartsWithNoCase(path, fromWindows) &&
      (path.size() == fromWindows.size() || path[fromWindows.size()] == '\\')) {
    return toWindows + path.substr(fromWindows.size());
  }
  return path;
}

void PutKeys(sim::SimMachine& machine, const std::vector<ListedKey>& keys) {
  for (const ListedKey& key : keys) {
    machine.registry.CreateKey(key.path);
    for (const ListedValue& value : key.values) {
      std::string data;
      if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        data = value.text + '\0';
      } else if (value.type == REG_DWORD && value.data.empty()) {
        data.resize(4);
        std::memcpy(data.data(), &value.number, 4);
      } else {
        data = value.data;
      }
      machine.registry.SetValue(key.path, value.name, value.type, std::move(data));
    }
  }
}

// What the listing says of a file: there, of its size (its bytes are not
// listed: zeros stand in), or not there.
void PutFile(sim::SimMachine& machine, const ListedFile& file, const Listing& listing) {
  if (!file.present || file.path.empty()) return;
  const std::string path =
      OnMachine(file.path, listing.system.windowsDirectory, machine.system.windowsDirectory);
  machine.files.WriteFile(path, std::string(static_cast<std::size_t>(file.size), '\0'));
}

std::string DevModeBytes(const inventory::ListedDevMode& d) {
  DEVMODEA dm{};
  std::memcpy(dm.dmDeviceName, d.deviceName.data(),
              std::min(d.deviceName.size(), sizeof dm.dmDeviceName - 1));
  dm.dmSpecVersion = static_cast<WORD>(d.specVersion);
  dm.dmDriverVersion = static_cast<WORD>(d.driverVersion);
  dm.dmSize = static_cast<WORD>(d.size);
  dm.dmDriverExtra = static_cast<WORD>(d.driverExtra);
  dm.dmFields = d.fields;
  dm.dmOrientation = static_cast<short>(d.orientation);
  dm.dmPaperSize = static_cast<short>(d.paperSize);
  dm.dmPaperLength = static_cast<short>(d.paperLength);
  dm.dmPaperWidth = static_cast<short>(d.paperWidth);
  dm.dmScale = static_cast<short>(d.scale);
  dm.dmCopies = static_cast<short>(d.copies);
  dm.dmDefaultSource = static_cast<short>(d.defaultSource);
  dm.dmPrintQuality = static_cast<short>(d.printQuality);
  dm.dmColor = static_cast<short>(d.color);
  dm.dmDuplex = static_cast<short>(d.duplex);
  dm.dmYResolution = static_cast<short>(d.yResolution);
  dm.dmTTOption = static_cast<short>(d.ttOption);
  dm.dmCollate = static_cast<short>(d.collate);
  std::memcpy(dm.dmFormName, d.formName.data(),
              std::min(d.formName.size(), sizeof dm.dmFormName - 1));
  dm.dmICMMethod = d.icmMethod;
  dm.dmICMIntent = d.icmIntent;
  dm.dmMediaType = d.mediaType;
  dm.dmDitherType = d.ditherType;
  // The spooler keeps the block and its private part; none is listed, and a
  // size beyond the block's is not believed.
  const std::size_t size = std::min<std::size_t>(d.size, sizeof dm);
  return std::string(reinterpret_cast<const char*>(&dm), size);
}

}  // namespace

std::optional<sim::SimOs> SystemOfListing(const inventory::ListedSystem& listed) {
  for (sim::SimOs os : {sim::kWin98, sim::kWinMe, sim::kWinNT4, sim::kWin2000, sim::kWinXP,
                        sim::kWin2003, sim::kWin2003x64}) {
    const sim::SimSystem system = sim::SimSystem::For(os);
    if (system.platformId == listed.platformId && system.major == listed.major &&
        system.minor == listed.minor && system.wow64 == listed.wow64) {
      return os;
    }
  }
  return std::nullopt;
}

std::string ListingFamilyMismatch(const Listing& listing, const Family& family) {
  for (const inventory::ListedDriver& driver : listing.drivers) {
    if (family.Driver(driver.name) == nullptr) {
      return "the listing's driver \"" + driver.name + "\" is none of this distribution's";
    }
  }
  for (const inventory::ListedPrinter& printer : listing.printers) {
    if (family.Driver(printer.driver) == nullptr) {
      return "the listing's printer \"" + printer.name + "\" has the driver \"" + printer.driver +
             "\", none of this distribution's";
    }
  }
  const bool shared = std::any_of(
      listing.familyDrivers.begin(), listing.familyDrivers.end(),
      [&](const std::string& name) { return family.Driver(name) != nullptr; });
  if (!shared) {
    return "the listing was taken for a family of other drivers (" +
           (listing.familyDrivers.empty() ? std::string("none named")
                                          : "\"" + listing.familyDrivers.front() + "\" ...") +
           ") than this distribution's";
  }
  return {};
}

std::vector<std::string> BuildFromListing(const Listing& listing, sim::SimMachine& machine) {
  std::vector<std::string> notes;
  // Monitors and print processors are known to the spooler by their keys;
  // their files are where the keys say.
  for (const inventory::ListedComponent& monitor : listing.monitors) {
    PutKeys(machine, monitor.keys);
    PutFile(machine, monitor.file, listing);
  }
  for (const inventory::ListedComponent& processor : listing.processors) {
    PutKeys(machine, processor.keys);
    PutFile(machine, processor.file, listing);
  }
  PutKeys(machine, listing.records);

  const std::string& from = listing.system.windowsDirectory;
  const std::string& to = machine.system.windowsDirectory;
  for (const inventory::ListedDriver& listed : listing.drivers) {
    for (const ListedFile& file : listed.files) PutFile(machine, file, listing);
    sim::SimDriver driver;
    driver.environment = listed.environment;
    driver.name = listed.name;
    driver.version = listed.version;
    driver.driverPath = OnMachine(listed.driverPath, from, to);
    driver.dataFile = OnMachine(listed.dataFile, from, to);
    driver.configFile = OnMachine(listed.configFile, from, to);
    driver.helpFile = OnMachine(listed.helpFile, from, to);
    for (const std::string& file : listed.dependentFiles) {
      driver.dependentFiles.push_back(OnMachine(file, from, to));
    }
    driver.monitorName = listed.monitor;
    machine.spooler.AddDriverRecord(std::move(driver));
  }

  for (const ListedFile& file : listing.supportFiles) PutFile(machine, file, listing);

  for (const inventory::ListedSerial& serial : listing.serial) {
    if (machine.system.Is9x()) {
      if (!serial.settings.empty()) {
        machine.profile.Write("Ports", serial.port.c_str(), serial.settings.c_str());
      }
      PutKeys(machine, serial.keys);
    } else if (!serial.settings.empty()) {
      machine.registry.SetValue(kNtSerialPortsKey, serial.port, REG_SZ, serial.settings + '\0');
    }
  }

  // The spooler loads what its keys now name, as after a start: the files
  // it holds are in use on the made machine as on the till.
  machine.spooler.SetRunning(false);
  machine.spooler.SetRunning(true);

  const std::vector<std::string> ports = machine.spooler.Ports();
  const auto hasPort = [&](const std::string& name) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const std::string& p) { return EqualsNoCase(p, name); });
  };
  for (const inventory::ListedPort& port : listing.ports) {
    if (!hasPort(port.name)) {
      notes.push_back("port " + port.name + " (" + port.monitor +
                      ") left out: no monitor of the family's makes it here");
    }
  }
  for (const inventory::ListedPrinter& listed : listing.printers) {
    if (!hasPort(listed.port)) {
      notes.push_back("printer \"" + listed.name + "\" is on " + listed.port +
                      ", which this machine does not have");
    }
    sim::SimPrinter printer;
    printer.name = listed.name;
    printer.portName = listed.port;
    printer.driverName = listed.driver;
    printer.printProcessor = listed.printProcessor;
    printer.attributes = listed.attributes;
    if (listed.devMode) printer.devMode = DevModeBytes(*listed.devMode);
    machine.spooler.AddPrinterRecord(std::move(printer));
    if (listed.isDefault) {
      const std::string device = listed.name + "," +
                                 (machine.system.Is9x() ? listed.driver : "winspool") + "," +
                                 listed.port;
      machine.profile.Write("windows", "device", device.c_str());
    }
  }
  return notes;
}

}  // namespace setwell::term
