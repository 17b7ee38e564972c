#include "script/UnattendedInstall.h"

#include <algorithm>
#include <exception>

#include "app/CSetupApp.h"
#include "config/InstallConfig.h"
#include "pages/CTargetSystemPage.h"
#include "resources/StringTable.h"
#include "system/DriverFiles.h"
#include "system/HostDirectories.h"
#include "system/AsciiCase.h"
#include "system/HostQueries.h"
#include "script/DialogText.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::install {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool IsError(const MessageBoxRecord& box) {
  const UINT icon = box.Icon();
  return !box.IsQuestion() && (icon == MB_ICONWARNING || icon == MB_ICONERROR);
}

// What an error box after Finish concerns, for the warning that names it.
std::string Concerns(const std::string& text) {
  struct Concern {
    std::uint32_t id;
    const char* what;
  };
  static constexpr Concern kConcerns[] = {
      {IDS_ADD_MONITOR_ERROR, "a monitor (the port monitor or the model's language monitor)"},
      {IDS_ADD_DRIVER_ERROR, "the printer driver"},
      {IDS_COPY_ERROR, "a file copy"},
      {IDS_EXIT_WINDOWS_ERROR, "the restart request"},
      {IDS_ENUM_PORTS_ERROR, "the port list"},
  };
  for (const Concern& concern : kConcerns) {
    if (text.rfind(LoadStringText(concern.id), 0) == 0) return concern.what;
  }
  return {};
}

}  // namespace

HostReadBack ReadBackInstall(Platform& platform, const InstalledParts& parts) {
  HostReadBack host;
  PrinterDetails printer;
  if (!parts.printerName.empty() && QueryPrinter(platform, parts.printerName, printer)) {
    host.printerFound = true;
    host.port = printer.port;
    host.driver = printer.driver;
    host.printProcessor = printer.printProcessor;
  }
  host.defaultPrinter = DefaultPrinterName(platform);
  // Windows 98/Me keep the default as a printer's attribute, and Wine in its
  // 9x guise leaves it on the printer that had it before: the printer's own
  // attribute is the answer for it.
  if (host.printerFound && (printer.attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (platform.GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
      host.defaultPrinter = printer.name;
    }
  }
  if (!host.printerFound) {
    host.missing.push_back("the printer " + Quoted(parts.printerName));
  } else {
    if (!EqualsNoCase(host.port, parts.portName)) {
      host.missing.push_back("the printer's port " + Quoted(parts.portName) + " (the spooler has " +
                             Quoted(host.port) + ")");
    }
    if (!EqualsNoCase(host.driver, parts.driverName)) {
      host.missing.push_back("the printer's driver " + Quoted(parts.driverName) +
                             " (the spooler has " + Quoted(host.driver) + ")");
    }
  }
  const char* environment = parts.environment.empty() ? nullptr : parts.environment.c_str();
  const std::vector<DriverDetails> drivers = ListDrivers(platform, environment);
  const auto driver = std::find_if(drivers.begin(), drivers.end(), [&](const DriverDetails& d) {
    return EqualsNoCase(d.name, parts.driverName);
  });
  if (driver == drivers.end()) {
    host.missing.push_back("the driver " + Quoted(parts.driverName) +
                           (environment != nullptr ? " for " + parts.environment : std::string()));
  } else {
    // A driver is there when the files the spooler loads for it are (a
    // spooler may record a driver whose files never arrived).
    for (const std::string* file : {&driver->driverPath, &driver->dataFile, &driver->configFile}) {
      if (file->empty()) continue;
      const DWORD attributes = platform.GetFileAttributesA(file->c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        host.missing.push_back("the driver's file " + *file);
      }
    }
  }
  const std::vector<MonitorDetails> monitors = ListMonitors(platform);
  for (const std::string* monitor : {&parts.portMonitor, &parts.languageMonitor}) {
    if (monitor->empty()) continue;
    if (std::none_of(monitors.begin(), monitors.end(),
                     [&](const MonitorDetails& m) { return EqualsNoCase(m.name, *monitor); })) {
      host.missing.push_back("the monitor " + Quoted(*monitor));
    }
  }
  // The processor the printer names, which the spooler needs to print.
  const std::string& processor = host.printerFound ? host.printProcessor : parts.printProcessor;
  if (!processor.empty()) {
    const std::vector<std::string> processors = ListPrintProcessors(platform, environment);
    // The spooler knows names whatever their letter case ("WinPrint" is
    // "winprint" in some lists).
    if (std::none_of(processors.begin(), processors.end(),
                     [&](const std::string& p) { return EqualsNoCase(p, processor); })) {
      host.missing.push_back("the print processor " + Quoted(processor));
    }
  }
  if (parts.defaultPrinter && host.printerFound &&
      !EqualsNoCase(host.defaultPrinter, parts.printerName)) {
    host.missing.push_back("the default printer " + Quoted(parts.printerName) +
                           " (the default is " +
                           (host.defaultPrinter.empty() ? std::string("none")
                                                        : Quoted(host.defaultPrinter)) +
                           ")");
  }
  return host;
}

std::string CheckDistributionFolders(Platform& platform) {
  const auto isFile = [&](const std::string& path) {
    const DWORD attributes = platform.GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  };
  const InstallConfig config(platform);
  if (!isFile(config.GeneralPath())) {
    return "the configuration " + config.GeneralPath() +
           " is not there: setup-install.exe reads the DRVCONFIG folder beside it, so it must be "
           "in the driver distribution";
  }
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  std::int32_t target = 0;
  int button = 0;
  // A system the wizard does not know is its own message (115), from the
  // wizard itself.
  if (!platform.GetVersionExA(&version) || !TargetSystemOf(version, target, button)) return {};
  const std::optional<std::string> current = CurrentDirectory(platform);
  if (!current) return "the current directory cannot be read";
  const std::string folder = *current + DistributionSubfolder(target);
  const DWORD attributes = platform.GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return "the driver folder " + folder +
           " of this system is not there: start setup-install.exe with the distribution "
           "folder as the current directory (pushd, or the deployment tool's working folder)";
  }
  return {};
}

std::string FormatResult(const UnattendedResult& result) {
  std::string out = "== messages: " + std::to_string(result.messages.size()) + "\n";
  for (const std::string& line : result.messages) out += "  " + line + "\n";
  for (const std::string& line : result.warnings) out += "warning: " + line + "\n";
  out += result.summary + "\n";
  out += "exit code " + std::to_string(result.exitCode) + ": " + result.reason + "\n";
  return out;
}

std::string ExitCodeMeaning(int exitCode) {
  switch (exitCode) {
    case kExitInstalled: return "installed";
    case kExitRestartNeeded: return "installed; restart the computer for the changes to take effect";
    case kExitRestartInitiated: return "installed; the computer is restarting";
    case kExitFailed: return "the install failed";
    case kExitNothingInstalled: return "nothing installed";
  }
  return "unknown";
}

UnattendedResult RunUnattended(Platform& platform, term::ScriptedHost& host,
                               std::vector<term::ScriptStep> steps, const std::string& scriptName,
                               std::ostream& out) {
  UnattendedResult result;
  // Nothing changes unless the run can get through.
  if (const std::string why = CheckDistributionFolders(platform); !why.empty()) {
    result.exitCode = kExitNothingInstalled;
    result.reason = why;
    result.summary = "Summary: no printer installed; nothing changed";
    return result;
  }
  MessageBoxRecorder& boxes = host.MessageBoxes();
  // A simulated machine keeps the boxes of its earlier runs.
  const std::size_t first = boxes.boxes.size();
  const std::string restartQuestion = LoadStringText(IDS_RESTART_QUESTION);
  const std::string restartRefused = LoadStringText(IDS_EXIT_WINDOWS_ERROR);
  HeadlessUi ui;
  term::ScriptRunner runner(ui, host, std::move(steps), scriptName, out);
  runner.SetAnswerRules(term::AnswerRules::kUnattended);
  // The restart question alone has an answer that is safe unasked: No.
  // Any other question left open stops the run (the printer rename comes
  // before the install changes anything).
  runner.SetDefaultAnswer([&](const MessageBoxRecord& box, std::string& note) {
    if (box.text != restartQuestion) return std::optional<int>();
    note = "the computer is not restarted; the exit code says a restart is needed";
    return std::optional<int>(IDNO);
  });
  std::string scriptError;
  try {
    CSetupApp app(ui, platform);
    app.Run();
  } catch (const std::exception& e) {
    scriptError = e.what();
  } catch (...) {
    scriptError = "the run stopped on an unknown fault";
  }

  // How the wizard ended decides; nothing after that does.
  const term::WizardEnd& end = runner.End();
  const std::size_t fromFinish =
      std::max(first, std::min(runner.BoxesBeforeLastFinish(), boxes.boxes.size()));
  int restart = 0;  // the restart question's answer, 0 when not asked
  bool refused = false;
  for (std::size_t i = first; i < boxes.boxes.size(); ++i) {
    const MessageBoxRecord& box = boxes.boxes[i];
    if (box.text == restartQuestion) restart = box.answer;
    if (restart == IDYES && box.text == restartRefused) refused = true;
    if (i >= fromFinish && end.finished && IsError(box)) result.errors.push_back(box.text);
    std::string text = box.text;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
      text.replace(at, 1, " / ");
    }
    const char* kind = box.IsQuestion() ? "question" : IsError(box) ? "error" : "information";
    result.messages.push_back(std::string(kind) + ": " + Quoted(text) + " -> " +
                              (box.unanswered ? std::string("not answered")
                                              : term::AnswerName(box.answer)));
  }
  for (const std::string& unused : runner.UnusedAnswers()) {
    result.warnings.push_back("the answer of " + unused);
  }

  const bool completed = end.ended && end.finished && end.outcome == InstallOutcome::kCompleted;
  HostReadBack readBack;
  if (completed) readBack = ReadBackInstall(platform, end.installed);
  std::string shown;
  for (const std::string& text : result.errors) {
    shown += (shown.empty() ? "" : ", ") + Quoted(FirstLine(text));
  }
  if (!end.ended || !end.finished) {
    result.exitCode = kExitNothingInstalled;
    result.reason = !scriptError.empty() ? scriptError
                    : end.ended          ? "the script cancelled the wizard"
                                         : "the wizard did not run";
  } else if (!completed) {
    result.exitCode = kExitFailed;
    result.reason = "the install failed" + (shown.empty() ? std::string() : ": " + shown);
  } else if (!readBack.missing.empty()) {
    result.exitCode = kExitFailed;
    std::string missing;
    for (const std::string& what : readBack.missing) missing += (missing.empty() ? "" : ", ") + what;
    result.reason = "the install ended, and the host lacks " + missing +
                    (shown.empty() ? std::string() : " (shown: " + shown + ")");
  } else {
    // Every part is there: errors that did not stop the install are told,
    // and do not make a deployment tool install again.
    // A failed copy shows its message, then the two paths: one warning.
    std::vector<std::pair<std::string, std::vector<std::string>>> shownAfter;
    for (const std::string& text : result.errors) {
      if (text == restartRefused) continue;
      const std::string concern = Concerns(text);
      if (concern.empty() && !shownAfter.empty()) {
        shownAfter.back().second.push_back(Quoted(text));
        continue;
      }
      shownAfter.emplace_back(Quoted(FirstLine(text)) + " was shown after Finish; it concerns " +
                                  (concern.empty() ? std::string("the install") : concern),
                              std::vector<std::string>());
    }
    for (const auto& [head, details] : shownAfter) {
      std::string detail;
      for (const std::string& d : details) detail += (detail.empty() ? "" : ", ") + d;
      result.warnings.push_back(head + (detail.empty() ? "" : " (" + detail + ")") +
                                "; every part of the install is in place");
    }
    if (refused) {
      result.exitCode = kExitRestartNeeded;
      result.reason = "installed; the restart was asked for and the system refused it "
                      "(\"" + restartRefused + "\"): restart the computer";
      result.warnings.push_back("the restart request was refused: the computer is not restarting");
    } else if (restart == IDNO) {
      result.exitCode = kExitRestartNeeded;
      result.reason = "installed; the restart question was answered No";
    } else if (restart == IDYES) {
      result.exitCode = kExitRestartInitiated;
      result.reason = "installed; the restart question was answered Yes";
    } else {
      result.exitCode = kExitInstalled;
      result.reason = "installed";
    }
  }
  // A step the script still had after the wizard closed does not undo the
  // install: the outcome stands, and the step is named.
  if (end.ended && end.finished && !scriptError.empty()) {
    result.reason += " (then: " + scriptError + ")";
  }

  // The summary is the host's answers, asked after the run.
  std::string summary = "Summary: ";
  if (completed && readBack.printerFound) {
    summary += "printer " + Quoted(end.installed.printerName) + " on " + readBack.port +
               " with driver " + Quoted(readBack.driver) + "; default printer " +
               (readBack.defaultPrinter.empty() ? std::string("none")
                                                : Quoted(readBack.defaultPrinter));
  } else if (completed) {
    summary += "the printer " + Quoted(end.installed.printerName) + " is not on the host";
  } else {
    summary += "no printer installed";
  }
  summary += refused            ? "; restart needed (refused)"
             : restart == IDNO  ? "; restart needed"
             : restart == IDYES ? "; restart requested"
                                : "; no restart pending";
  summary += "; " + std::to_string(result.errors.size()) +
             (result.errors.size() == 1 ? " error" : " errors") + " shown";
  result.summary = summary;
  return result;
}

}  // namespace setwell::install
