#include "script/UnattendedInstall.h"

#include <algorithm>
#include <exception>

#include "app/CSetupApp.h"
#include "resources/StringTable.h"
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

// The driver of an installed printer, as the spooler holds it.
std::string DriverOf(Platform& platform, const std::string& printer) {
  PrinterHandle handle = nullptr;
  if (!platform.OpenPrinterA(printer.c_str(), &handle)) return {};
  DWORD needed = 0;
  platform.GetPrinterA(handle, 2, nullptr, 0, &needed);
  std::string driver;
  if (needed > 0) {
    std::vector<BYTE> buffer(needed);
    if (platform.GetPrinterA(handle, 2, buffer.data(), needed, &needed)) {
      const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
      if (info->pDriverName != nullptr) driver = info->pDriverName;
    }
  }
  platform.ClosePrinter(handle);
  return driver;
}

}  // namespace

std::string FormatResult(const UnattendedResult& result) {
  std::string out = "== messages: " + std::to_string(result.messages.size()) + "\n";
  for (const std::string& line : result.messages) out += "  " + line + "\n";
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
  MessageBoxRecorder& boxes = host.MessageBoxes();
  // A simulated machine keeps the boxes of its earlier runs.
  const std::size_t first = boxes.boxes.size();
  const std::string restartQuestion = LoadStringText(IDS_RESTART_QUESTION);
  HeadlessUi ui;
  term::ScriptRunner runner(ui, host, std::move(steps), scriptName, out);
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
  }

  const term::WizardEnd& end = runner.End();
  const std::size_t fromFinish =
      std::max(first, std::min(runner.BoxesBeforeLastFinish(), boxes.boxes.size()));
  int restart = 0;  // the restart question's answer, 0 when not asked
  for (std::size_t i = first; i < boxes.boxes.size(); ++i) {
    const MessageBoxRecord& box = boxes.boxes[i];
    if (box.text == restartQuestion) restart = box.answer;
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

  const bool installed = end.ended && end.finished && end.outcome == InstallOutcome::kCompleted;
  if (!end.ended || !end.finished) {
    result.exitCode = kExitNothingInstalled;
    result.reason = !scriptError.empty() ? scriptError
                    : end.ended          ? "the script cancelled the wizard"
                                         : "the wizard did not run";
  } else if (!installed || !result.errors.empty()) {
    result.exitCode = kExitFailed;
    std::string shown;
    for (const std::string& text : result.errors) {
      shown += (shown.empty() ? "" : ", ") + Quoted(FirstLine(text));
    }
    result.reason = "the install failed" + (shown.empty() ? std::string() : ": " + shown);
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
  // A step the script still had after the wizard closed does not undo the
  // install: the outcome stands, and the step is named.
  if (end.ended && end.finished && !scriptError.empty()) {
    result.reason += " (then: " + scriptError + ")";
  }

  std::string summary = "Summary: ";
  if (installed) {
    const InstallSelections& s = end.selections;
    const std::string driver = DriverOf(platform, s.modelName);
    summary += "printer " + Quoted(s.modelName) + " on " + s.portName + " with driver " +
               (driver.empty() ? std::string("(not found)") : Quoted(driver)) +
               "; default printer " + (s.defaultPrinter ? Quoted(s.modelName) : "unchanged");
  } else {
    summary += "no printer installed";
  }
  summary += restart == IDNO    ? "; restart needed"
             : restart == IDYES ? "; restart requested"
                                : "; no restart pending";
  summary += "; " + std::to_string(result.errors.size()) +
             (result.errors.size() == 1 ? " error" : " errors") + " shown";
  result.summary = summary;
  return result;
}

}  // namespace setwell::install
