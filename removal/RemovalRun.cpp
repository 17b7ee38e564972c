#include <algorithm>

#include "config/Selections.h"
#include "removal/Removal.h"
#include "removal/RemovalHost.h"
#include "system/AsciiCase.h"
#include "system/PlatformHandle.h"
#include "system/Spooler.h"

namespace setwell::removal {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string ErrorText(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION: return "error 32, in use";
    case ERROR_ACCESS_DENIED: return "error 5, access denied";
    case ERROR_PRINTER_DRIVER_IN_USE: return "error 3001, the driver is in use";
    case ERROR_PRINT_MONITOR_IN_USE: return "error 3008, a port of the monitor is in use";
    case ERROR_CAN_NOT_COMPLETE: return "error 1003, a printer uses it";
    default: return "error " + std::to_string(error);
  }
}

std::string DriverLabel(const DriverDetails& driver) {
  return "driver " + Quoted(driver.name) + " (" +
         (driver.environment.empty() ? std::string("this system") : driver.environment) +
         ", version " + std::to_string(driver.version) + ")";
}

bool IsFile(Platform& platform, const std::string& path) {
  const DWORD attributes = platform.GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class Remover {
 public:
  Remover(Platform& platform, const RemovalPlan& plan, std::ostream& log)
      : platform_(platform), plan_(plan), log_(log) {}

  RemovalOutcome Run();

 private:
  const char* Environment() const {
    return plan_.environment.empty() ? nullptr : plan_.environment.c_str();
  }
  void Step(const std::string& line) { log_ << "  " << line << "\n" << std::flush; }
  void DeletePrinters();
  void DeleteDrivers();
  void DeleteMonitorsAndProcessors();
  void DeleteLeftRecordKeys();
  void PutBackUsbRecords();
  void DeleteFiles();
  void ReadBack(RemovalOutcome& outcome);

  Platform& platform_;
  const RemovalPlan& plan_;
  std::ostream& log_;
  // Why a part could not go, by its label, for the read-back's lines.
  std::vector<std::pair<std::string, std::string>> why_;
  std::vector<std::string> warnings_;
  bool spoolerDown_ = false;
  // The processors the spooler answered it deleted.
  std::vector<std::string> answeredDeleted_;
};

void Remover::DeletePrinters() {
  for (const PrinterDetails& printer : plan_.printers) {
    const std::string label = "printer " + Quoted(printer.name);
    PrinterHandle handle = nullptr;
    if (!platform_.OpenPrinterA(printer.name.c_str(), &handle, PRINTER_ALL_ACCESS)) {
      const DWORD error = platform_.GetLastError();
      Step(label + ": cannot be opened to delete it (" + ErrorText(error) + ")");
      why_.emplace_back(label, ErrorText(error));
      continue;
    }
    const ScopedPrinter open(platform_, handle);
    if (platform_.DeletePrinter(open.Get())) {
      Step(label + " deleted");
    } else {
      const DWORD error = platform_.GetLastError();
      Step(label + ": " + ErrorText(error));
      why_.emplace_back(label, ErrorText(error));
    }
  }
}

void Remover::DeleteDrivers() {
  for (const DriverDetails& driver : plan_.drivers) {
    const std::string label = DriverLabel(driver);
    // Windows 2000 and later delete one version at a time; before them,
    // and where the host refuses the flag (Wine answers 87 to every one),
    // the plain call deletes the driver of the environment.
    BOOL deleted = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (plan_.target >= kWin2000) {
      deleted = platform_.DeletePrinterDriverExA(Environment(), driver.name.c_str(),
                                                 DPD_DELETE_SPECIFIC_VERSION, driver.version);
      error = deleted ? ERROR_SUCCESS : platform_.GetLastError();
    }
    if (!deleted && (plan_.target < kWin2000 || error == ERROR_PROC_NOT_FOUND ||
                     error == ERROR_INVALID_PARAMETER)) {
      deleted = platform_.DeletePrinterDriverA(Environment(), driver.name.c_str());
      error = deleted ? ERROR_SUCCESS : platform_.GetLastError();
    }
    // The plain call may have taken every version at the first.
    if (deleted || error == ERROR_UNKNOWN_PRINTER_DRIVER) {
      Step(label + " deleted");
    } else {
      Step(label + ": " + ErrorText(error));
      why_.emplace_back(label, ErrorText(error));
    }
  }
}

void Remover::DeleteMonitorsAndProcessors() {
  for (const MonitorDetails& monitor : plan_.monitors) {
    const std::string label = "monitor " + Quoted(monitor.name);
    if (platform_.DeleteMonitorA(Environment(), monitor.name.c_str())) {
      Step(label + " deleted");
    } else {
      const DWORD error = platform_.GetLastError();
      Step(label + ": " + ErrorText(error));
      why_.emplace_back(label, ErrorText(error));
    }
  }
  for (const std::string& processor : plan_.processors) {
    const std::string label = "print processor " + Quoted(processor);
    if (platform_.DeletePrintProcessorA(Environment(), processor.c_str())) {
      Step(label + " deleted");
      answeredDeleted_.push_back(processor);
    } else {
      const DWORD error = platform_.GetLastError();
      Step(label + ": " + ErrorText(error));
      why_.emplace_back(label, ErrorText(error));
    }
  }
}

void Remover::DeleteLeftRecordKeys() {
  // Only once the spooler no longer lists the component: a key it still
  // serves is its record, not a leftover.
  const std::vector<MonitorDetails> monitors = ListMonitors(platform_);
  const std::vector<std::string> processors = ListPrintProcessors(platform_, Environment());
  for (const std::string& key : plan_.recordKeys) {
    if (!KeyExists(platform_, key)) continue;
    const std::string name = FileNameOf(key);
    const bool listed =
        std::any_of(monitors.begin(), monitors.end(),
                    [&](const MonitorDetails& m) { return EqualsNoCase(m.name, name); }) ||
        std::any_of(processors.begin(), processors.end(),
                    [&](const std::string& p) { return EqualsNoCase(p, name); });
    // A spooler that answers a processor's deletion with success and keeps
    // it (Wine's DeletePrintProcessorA deletes nothing) still has its key:
    // the record goes, which no printer uses (the spooler refuses 1003
    // for one a printer uses, and the plan keeps those).
    const bool keptAfterAnswer =
        listed && std::any_of(answeredDeleted_.begin(), answeredDeleted_.end(),
                              [&](const std::string& p) { return EqualsNoCase(p, name); });
    if (listed && !keptAfterAnswer) continue;
    const LONG error = DeleteKeyTree(platform_, key);
    if (keptAfterAnswer) {
      warnings_.push_back("the spooler answered that it deleted the print processor " +
                          Quoted(name) + " and kept it; its record was deleted instead");
      Step("print processor " + Quoted(name) + ": the spooler answered that it deleted it, and " +
           "kept it; its record HKLM\\" + key +
           (error == ERROR_SUCCESS ? " deleted" : ": " + ErrorText(static_cast<DWORD>(error))));
      continue;
    }
    Step("record HKLM\\" + key + (error == ERROR_SUCCESS ? " deleted (the spooler had left it)"
                                                         : ": " + ErrorText(static_cast<DWORD>(error))));
  }
}

void Remover::PutBackUsbRecords() {
  for (const UsbRecordStep& step : plan_.usbRecords) {
    const std::string label = "record HKLM\\" + step.key + " " + Quoted(step.value);
    RegKeyHandle handle = nullptr;
    LONG error = platform_.RegOpenKeyExA(step.key.c_str(), KEY_SET_VALUE, &handle);
    const ScopedRegistryKey key(platform_, error == ERROR_SUCCESS ? handle : nullptr);
    if (error == ERROR_SUCCESS) {
      if (step.markFree) {
        const DWORD free = 255;
        error = platform_.RegSetValueExA(key.Get(), step.value.c_str(), REG_DWORD,
                                         reinterpret_cast<const BYTE*>(&free), sizeof free);
      } else {
        error = platform_.RegDeleteValueA(key.Get(), step.value.c_str());
      }
    }
    if (error == ERROR_SUCCESS) {
      Step(label + (step.markFree ? " set to 255 (no printer on the port)" : " deleted"));
    } else {
      Step(label + ": " + ErrorText(static_cast<DWORD>(error)));
      why_.emplace_back(label, ErrorText(static_cast<DWORD>(error)));
    }
  }
  for (const std::string& key : plan_.keysIfEmpty) {
    if (!KeyExists(platform_, key) || !KeyIsEmpty(platform_, key)) continue;
    const LONG error = platform_.RegDeleteKeyA(key.c_str());
    Step("key HKLM\\" + key + (error == ERROR_SUCCESS ? " deleted (empty)"
                                                      : ": " + ErrorText(static_cast<DWORD>(error))));
  }
}

void Remover::DeleteFiles() {
  std::vector<const PlannedFile*> held;
  auto attempt = [&](const PlannedFile& file) {
    if (platform_.DeleteFileA(file.path.c_str())) {
      Step("file " + file.path + " deleted");
      return true;
    }
    const DWORD error = platform_.GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      Step("file " + file.path + " is gone already");
      return true;
    }
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) return false;
    Step("file " + file.path + ": " + ErrorText(error));
    why_.emplace_back("file " + file.path, ErrorText(error));
    return true;
  };
  for (const PlannedFile& file : plan_.files) {
    if (!attempt(file)) held.push_back(&file);
  }
  if (held.empty()) return;
  // A read-only copy (from a CD) is made writable first; on the NT family
  // the spooler lets go of the files it holds when it stops, as for the
  // component update.
  for (const PlannedFile* file : held) {
    platform_.SetFileAttributesA(file->path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  }
  bool stopped = false;
  if (plan_.ntFamily) {
    Step("the spooler holds " + std::to_string(held.size()) +
         (held.size() == 1 ? " file" : " files") + ": it is stopped while they are deleted");
    StopSpooler(platform_);
    platform_.Sleep(500);
    stopped = true;
  }
  std::vector<const PlannedFile*> still;
  for (const PlannedFile* file : held) {
    if (!attempt(*file)) still.push_back(file);
  }
  if (stopped) {
    StartSpooler(platform_);
    platform_.Sleep(1000);
    if (!WaitSpoolerRunning(platform_)) {
      StartSpooler(platform_);
      spoolerDown_ = true;
    } else {
      Step("the spooler runs again");
    }
  }
  for (const PlannedFile* file : still) {
    const DWORD error = DeleteAtRestart(platform_, plan_.ntFamily, file->path);
    if (error == ERROR_SUCCESS) {
      Step("file " + file->path + " is held; it is deleted at the next restart");
    } else {
      Step("file " + file->path + " is held, and cannot be left for the restart (" +
           ErrorText(error) + ")");
      why_.emplace_back("file " + file->path, "held, and " + ErrorText(error) +
                                                  " when it was left for the restart");
    }
  }
}

void Remover::ReadBack(RemovalOutcome& outcome) {
  const auto why = [&](const std::string& label) {
    for (const auto& [what, reason] : why_) {
      if (what == label) return " (" + reason + ")";
    }
    return std::string();
  };
  // A list the spooler cannot give tells nothing: what was to go from it
  // is not counted as gone.
  const auto tell = [&](bool listed, bool there, const std::string& label) {
    if (!listed) {
      outcome.left.push_back(label + " (the spooler cannot be asked whether it is gone)");
    } else if (there) {
      outcome.left.push_back(label + why(label));
    } else {
      outcome.removed.push_back(label);
    }
  };
  if (spoolerDown_) {
    outcome.left.push_back("the spooler service, which did not start again after the files were "
                           "deleted: start the \"Spooler\" service, or restart the computer");
  }
  bool listed = false;
  const std::vector<PrinterDetails> printers = ListPrinters(platform_, &listed);
  for (const PrinterDetails& printer : plan_.printers) {
    tell(listed,
         std::any_of(printers.begin(), printers.end(),
                     [&](const PrinterDetails& p) { return EqualsNoCase(p.name, printer.name); }),
         "printer " + Quoted(printer.name));
  }
  const std::vector<DriverDetails> drivers = ListDrivers(platform_, Environment(), &listed);
  for (const DriverDetails& driver : plan_.drivers) {
    tell(listed,
         std::any_of(drivers.begin(), drivers.end(),
                     [&](const DriverDetails& d) {
                       return EqualsNoCase(d.name, driver.name) && d.version == driver.version;
                     }),
         DriverLabel(driver));
  }
  const std::vector<MonitorDetails> monitors = ListMonitors(platform_, &listed);
  for (const MonitorDetails& monitor : plan_.monitors) {
    tell(listed,
         std::any_of(monitors.begin(), monitors.end(),
                     [&](const MonitorDetails& m) { return EqualsNoCase(m.name, monitor.name); }),
         "monitor " + Quoted(monitor.name));
  }
  const std::vector<std::string> processors =
      ListPrintProcessors(platform_, Environment(), &listed);
  for (const std::string& processor : plan_.processors) {
    tell(listed,
         std::any_of(processors.begin(), processors.end(),
                     [&](const std::string& p) { return EqualsNoCase(p, processor); }),
         "print processor " + Quoted(processor));
  }
  for (const std::string& key : plan_.recordKeys) {
    if (KeyExists(platform_, key)) outcome.left.push_back("record HKLM\\" + key);
  }
  for (const UsbRecordStep& step : plan_.usbRecords) {
    const std::string label = "record HKLM\\" + step.key + " " + Quoted(step.value);
    const std::vector<std::string> names = ListValueNames(platform_, step.key);
    const bool there = std::find(names.begin(), names.end(), step.value) != names.end();
    if (!step.markFree) {
      tell(true, there, label);
      continue;
    }
    DWORD value = 0;
    DWORD size = sizeof value;
    RegKeyHandle handle = nullptr;
    bool free = false;
    if (platform_.RegOpenKeyExA(step.key.c_str(), KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS) {
      const ScopedRegistryKey key(platform_, handle);
      free = platform_.RegQueryValueExA(key.Get(), step.value.c_str(), nullptr,
                                        reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
             value == 255;
    }
    if (free) {
      outcome.removed.push_back(label + " (now 255: no printer on the port)");
    } else {
      outcome.left.push_back(label + " (not marked free)" + why(label));
    }
  }
  for (const PlannedFile& file : plan_.files) {
    const std::string label = "file " + file.path;
    if (!IsFile(platform_, file.path)) {
      outcome.removed.push_back(label);
    } else if (IsDeletedAtRestart(platform_, plan_.ntFamily, file.path)) {
      outcome.atRestart.push_back(file.path);
    } else {
      outcome.left.push_back(label + why(label));
    }
  }
}

RemovalOutcome Remover::Run() {
  log_ << "== removal: " << plan_.printers.size()
       << (plan_.printers.size() == 1 ? " printer" : " printers") << ", " << plan_.drivers.size()
       << (plan_.drivers.size() == 1 ? " driver" : " drivers") << ", "
       << plan_.monitors.size() + plan_.processors.size() << " monitors and processors, "
       << plan_.files.size() << (plan_.files.size() == 1 ? " file" : " files") << "\n";
  DeletePrinters();
  DeleteDrivers();
  DeleteMonitorsAndProcessors();
  DeleteLeftRecordKeys();
  PutBackUsbRecords();
  DeleteFiles();

  RemovalOutcome outcome;
  outcome.kept = plan_.kept;
  outcome.warnings = warnings_;
  ReadBack(outcome);
  std::string left;
  for (const std::string& what : outcome.left) left += (left.empty() ? "" : ", ") + what;
  if (!outcome.left.empty()) {
    outcome.exitCode = kExitFailed;
    outcome.reason = "not everything could be removed; the host still holds " + left;
  } else if (!outcome.atRestart.empty()) {
    outcome.exitCode = kExitRestartNeeded;
    outcome.reason = "removed; " + std::to_string(outcome.atRestart.size()) +
                     (outcome.atRestart.size() == 1 ? " file goes" : " files go") +
                     " at the next restart: restart the computer";
  } else {
    outcome.exitCode = kExitRemoved;
    outcome.reason = plan_.printers.empty() && outcome.removed.empty()
                         ? "removed: nothing of the family was left to remove"
                         : "removed";
  }

  // The summary is the host's answers, asked after the run.
  std::string gone;
  bool listed = false;
  const std::vector<PrinterDetails> printers = ListPrinters(platform_, &listed);
  for (const PrinterDetails& printer : plan_.printers) {
    if (!listed) break;
    const bool there = std::any_of(printers.begin(), printers.end(),
                                   [&](const PrinterDetails& p) { return EqualsNoCase(p.name, printer.name); });
    if (!there) gone += (gone.empty() ? "" : ", ") + Quoted(printer.name);
  }
  std::string staying;
  for (const std::string& name : plan_.remaining) staying += (staying.empty() ? "" : ", ") + Quoted(name);
  const std::string defaultPrinter = DefaultPrinterName(platform_);
  outcome.summary = "Summary: " + (gone.empty() ? std::string("no printer removed")
                                                : "printers removed " + gone) +
                    "; the family's printers left: " + (staying.empty() ? "none" : staying) +
                    "; default printer " +
                    (defaultPrinter.empty() ? std::string("none") : Quoted(defaultPrinter)) + "; " +
                    (outcome.atRestart.empty()
                         ? std::string("no restart pending")
                         : std::to_string(outcome.atRestart.size()) +
                               (outcome.atRestart.size() == 1 ? " file" : " files") +
                               " deleted at the next restart") +
                    "; " + std::to_string(outcome.left.size()) + " not removed";
  return outcome;
}

}  // namespace

RemovalOutcome CarryOutRemoval(Platform& platform, const RemovalPlan& plan, std::ostream& log) {
  Remover remover(platform, plan, log);
  return remover.Run();
}

RemovalOutcome Refused(const std::string& why) {
  RemovalOutcome outcome;
  outcome.exitCode = kExitNothingRemoved;
  outcome.reason = why;
  outcome.summary = "Summary: nothing removed; nothing changed";
  return outcome;
}

std::string FormatRemoval(const RemovalOutcome& outcome) {
  std::string out;
  auto list = [&](const char* title, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    out += std::string("== ") + title + ": " + std::to_string(lines.size()) + "\n";
    for (const std::string& line : lines) out += "  " + line + "\n";
  };
  list("removed", outcome.removed);
  list("deleted at the next restart", outcome.atRestart);
  list("not removed", outcome.left);
  list("kept", outcome.kept);
  for (const std::string& line : outcome.warnings) out += "warning: " + line + "\n";
  out += outcome.summary + "\n";
  out += "exit code " + std::to_string(outcome.exitCode) + ": " + outcome.reason + "\n";
  return out;
}

}  // namespace setwell::removal
