// What an install (or a removal) changed on the simulated machine: the
// machine as it was before the wizard ran (a snapshot) against the machine
// after it. Files written or removed, with the distribution file each was
// copied from; registry values; port monitors, print processors, drivers,
// ports and printers added or removed; the default printer; the serial settings; the profile writes;
// the spooler service's stops and starts and the pauses on the virtual
// clock; the messages shown; what was sent to USB printers; restarts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::term {

struct MachineSnapshot {
  sim::SimFileSystem::FileMap files;  // by key; writable drives only
  sim::SimRegistry registry;
  std::vector<sim::SimDriver> drivers;
  std::vector<sim::SimPrinter> printers;
  std::vector<std::string> ports;
  std::string defaultPrinter;
  std::uint64_t clockMs = 0;
  std::size_t sleeps = 0, boxes = 0, profileWrites = 0, broadcasts = 0, usbWrites = 0,
              restartRequests = 0, shellOpened = 0, trace = 0, serviceLog = 0;
};

MachineSnapshot TakeSnapshot(const sim::SimMachine& machine);

class InstallReport {
 public:
  struct FileChange {
    std::string path;   // as on the machine
    bool added = true;  // false: an existing file replaced or changed
    bool removed = false;
    bool contentChanged = true;  // false: only its attributes changed
    std::size_t size = 0;
    DWORD attributes = 0;
    DWORD attributesBefore = 0;
    std::string source;  // the copy's source ("D:\winnt\X.DLL"), or ""
  };
  struct ValueChange {
    std::string key;     // "HKLM\..."
    std::string name;    // "(default)" for the unnamed value
    std::string before;  // "" when new
    std::string after;   // "" when removed
  };
  struct Named {
    std::string name;
    std::string detail;
  };

  InstallReport(const MachineSnapshot& before, const sim::SimMachine& after);

  // The report as text: `heading`, the summary, every section, and the
  // summary again as its last line. With a width, lines longer than it are
  // wrapped after a path separator (else at a blank), continued indented.
  std::string Format(const std::string& heading, std::size_t width = 0) const;
  // One line: the printers added with their ports and drivers, the default
  // printer, whether a restart is pending, and how many errors were shown.
  std::string Summary() const;

  std::vector<FileChange> files;
  std::vector<ValueChange> values;
  std::vector<Named> monitors;       // name, DLL
  std::vector<Named> processors;     // name, "environment, DLL"
  std::vector<std::string> drivers;  // description lines
  std::vector<std::string> ports;
  std::vector<std::string> printers;  // description lines
  std::string defaultBefore, defaultAfter;
  std::vector<std::string> serial;
  std::vector<std::string> profile;
  std::vector<std::string> spooler;
  std::vector<std::uint32_t> pauses;  // ms, in order
  std::vector<std::string> messages;
  std::vector<std::string> usb;
  std::vector<std::string> restarts;
  std::vector<std::string> help;
  std::vector<Named> printersAdded;  // name, "port\tdriver"
  // What is gone that was there before (a removal's), by the same
  // descriptions.
  std::vector<std::string> monitorsRemoved;
  std::vector<std::string> processorsRemoved;
  std::vector<std::string> driversRemoved;
  std::vector<std::string> portsRemoved;
  std::vector<std::string> printersRemoved;
  int errorsShown = 0;
  bool restartPending = false;
  bool hasServices = true;
};

// line wrapped to width: after the last path separator (or blank) that
// fits, continuation lines indented by `indent` blanks.
std::string WrapAtSeparators(const std::string& line, std::size_t width, std::size_t indent);

// A registry value as the report shows it: "text", dword:0000000a (10),
// hex(3):01,02 ...
std::string FormatRegistryValue(const sim::RegValue& value);

}  // namespace setwell::term
