// What Finish does: checks the selections, builds the print-system records
// from the chosen model's configuration and installs, in a fixed order, the
// port monitor, the print processor, one outdated component, the driver
// files, the driver, the printer, the default printer and the serial line
// settings. Nothing is undone after a stop.
#pragma once

#include <string>

#include "app/InstallSelections.h"
#include "system/Platform.h"

namespace setwell {

enum class InstallOutcome {
  kStayOpen,   // the wizard stays on the port page with its selections
  kClose,      // the wizard closes; the failure has been shown
  kCompleted,  // the wizard closes, then Complete() tells the outcome
};

// What a completed install put in place, by the names its own records
// gave: what a front end asks the host for afterwards to tell whether the
// install took. Empty names: nothing of that kind was installed.
struct InstalledParts {
  std::string printerName;     // as added (after any change of name)
  std::string portName;
  std::string driverName;
  std::string environment;     // the driver's; empty: the running system's own
  std::string printProcessor;
  std::string portMonitor;     // the family's monitor of the port kind
  std::string languageMonitor;
  bool defaultPrinter = false;  // whether the printer was to be made the default
};

class InstallSequence {
 public:
  InstallSequence(Platform& platform, const InstallSelections& selections)
      : platform_(platform), selections_(selections) {}

  // Runs up to the end of the wizard. The caller closes the wizard on
  // kClose and kCompleted.
  InstallOutcome Run();
  // After the wizard has closed on kCompleted: the success message, or on
  // Windows 98/Me the restart question.
  void Complete();

  // The name under which the printer was added (empty before that).
  const std::string& FinalPrinterName() const { return finalPrinterName_; }
  PortKind Kind() const { return kind_; }
  // Filled as the run goes; whole once Run() has answered kCompleted.
  const InstalledParts& Parts() const { return parts_; }

 private:
  // The USB printer's device number against the chosen port; false when the
  // wizard is to stay open.
  bool MatchUsbDeviceNumber();

  Platform& platform_;
  InstallSelections selections_;
  PortKind kind_ = PortKind::kUnsupported;
  std::string finalPrinterName_;
  InstalledParts parts_;
};

}  // namespace setwell
