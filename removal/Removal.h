// Removal: what an install of the distribution's family put on a machine,
// taken away again, printer by printer, with every component of the family
// that no remaining printer uses.
//
// A removal is planned first, by asking the host (printers, drivers,
// monitors, ports, processors, files, records) and the family of the
// distribution (config/Family.h): nothing changes while it is planned, and
// a request that cannot be carried out (a printer that is not there or not
// the family's, a name that could stand for others) is refused with the
// reason, the machine untouched. Then it is carried out, each step logged,
// and its outcome is what the host holds when asked afterwards.
//
// Never removed: anything not of the family; a component that a printer
// left on the machine uses (a driver, a monitor with a printer on one of
// its ports, a language monitor a remaining driver names, a print
// processor); a file that a driver, monitor or processor left on the machine
// names; the serial line settings (they are the port's); the records other
// software writes (SOFTWARE\TALVORN\INSTALLPRINTER).
//
// Exit codes, as the unattended install's:
//   0     removed: nothing of what was to go is on the host any longer
//   3010  removed, but files the host would not let go are deleted at the
//         next restart
//   1     something could not be removed (named)
//   2     nothing removed, nothing changed: no such printer, a printer that
//         is not the family's, a bad name, no distribution
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "config/Family.h"
#include "system/HostQueries.h"
#include "system/Platform.h"

namespace setwell::removal {

constexpr int kExitRemoved = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNothingRemoved = 2;
constexpr int kExitRestartNeeded = 3010;

struct RemovalRequest {
  std::vector<std::string> printers;  // by name, letter case aside
  bool all = false;                   // every printer of the family
  // A named printer that is not on the machine is no refusal: the repair
  // takes away what a broken install left, whatever that is.
  bool absentIsFine = false;
};

// Why `name` cannot be the name of one printer (wildcards, path or list
// characters, control characters, too long), or empty.
std::string CheckPrinterName(const std::string& name);

// A value of the USB port records: deleted, or marked free again (255, as
// the install leaves a supported port no printer has been installed on).
struct UsbRecordStep {
  std::string key;
  std::string value;
  bool markFree = false;
};

struct PlannedFile {
  std::string path;
  std::string owner;  // "driver \"X\"", "monitor \"Y\"" ...
};

struct RemovalPlan {
  std::int32_t target = 0;
  bool ntFamily = true;
  std::string environment;  // the records' environment; empty: the running system's
  std::vector<PrinterDetails> printers;
  std::vector<DriverDetails> drivers;  // each environment and version there is of them
  std::vector<MonitorDetails> monitors;
  std::vector<std::string> processors;
  // Keys of the monitors and processors going: the spooler deletes them
  // with its record; one left behind (Windows 98/Me keys the install wrote
  // itself, a spooler that answers without deleting) goes after it.
  std::vector<std::string> recordKeys;
  std::vector<UsbRecordStep> usbRecords;
  // Keys deleted once they are empty, in this order (SOFTWARE\TALVORN last).
  std::vector<std::string> keysIfEmpty;
  std::vector<PlannedFile> files;
  // What stays, and why.
  std::vector<std::string> kept;
  // The family's printers that stay.
  std::vector<std::string> remaining;
};

// Plans the removal. False with `refusal` (one line) when the request
// cannot be carried out; nothing is changed either way.
bool PlanRemoval(Platform& platform, const Family& family, const RemovalRequest& request,
                 RemovalPlan& plan, std::string& refusal);

struct RemovalOutcome {
  int exitCode = kExitNothingRemoved;
  std::string reason;
  std::vector<std::string> removed;  // gone from the host, asked afterwards
  std::vector<std::string> atRestart;  // files the host deletes at the next restart
  std::vector<std::string> left;     // still on the host, each with why when known
  std::vector<std::string> kept;
  std::vector<std::string> warnings;
  std::string summary;
};

// Carries the plan out, writing each step to `log` as a line, and reads the
// host back for the outcome.
RemovalOutcome CarryOutRemoval(Platform& platform, const RemovalPlan& plan, std::ostream& log);

// An outcome for a request refused before anything changed.
RemovalOutcome Refused(const std::string& why);

// The closing lines: what went, what is left for the restart, what could
// not go, what stays and why, the warnings, the summary and the exit code.
std::string FormatRemoval(const RemovalOutcome& outcome);

}  // namespace setwell::removal
