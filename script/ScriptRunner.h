// The scripted front end: the wizard driven by a text file of steps a
// person can write, one step a line, printing each page and message box
// as text as it goes.
//
//   # comment                 from # (at the start or after a blank) to the end
//   accept | reject           licence agreement page
//   next | back | finish | cancel
//   category receipt|ticket|label|embedded
//   model NAME                picks the model in its category's list
//   default-printer on|off
//   typical | advanced        setup type page
//   port NAME                 port page: the port list
//   baud N | parity NAME | bytesize N | stopbits N | protocol NAME
//   raster on|off             the "Raster Graphic Printing" check box
//   answer rename yes|no      the answer to the printer rename question
//   answer restart yes|no     the answer to the restart question (98/Me)
//   answer yes|no             the answer to the question the step before asks
//   about | help | show       the about box, F1, the current page again
//
// The answers a step's questions take follow that step, in any order. An
// answer that names its question is only ever given to that question; a
// plain one is given to the next question asked, but under the unattended
// rules (AnswerRules::kUnattended) never to the restart question, which
// restarts the computer only when the script says "answer restart yes". An
// answer no question took is named in the transcript (UnusedAnswers()) and
// changes nothing. A step that names a control, model, port or value that
// is not there, or that is not possible where the wizard stands, stops the
// run with a ScriptError naming the step and its line; so does a question
// the script does not answer and a script that ends with the wizard still
// open.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/InstallSelections.h"
#include "app/InstallSequence.h"
#include "ui/headless/MessageBoxes.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::term {

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScriptStep {
  int line = 0;
  std::string verb;      // lower case
  std::string argument;  // as written, trimmed; an answer's is "yes" or "no"
  std::string text;      // the line as written, trimmed
  std::string question;  // an answer's question ("rename", "restart"); empty: any
};

// The questions an answer may name, with the message each stands for.
struct NamedQuestion {
  const char* name;
  std::uint32_t messageId;
  const char* what;
};
extern const NamedQuestion kNamedQuestions[2];
// The name of the question a message box asks, or empty.
std::string QuestionName(const std::string& text);

// A script as text: a UTF-8 byte-order mark is skipped; a UTF-16 script is
// read when it holds plain ASCII only, and refused otherwise (false, with
// the line and how to save it instead), since the wizard's names and texts
// are 8-bit ANSI. ParseScript does this first.
bool ScriptTextToAnsi(std::string& text, std::string& error);

// Reads a script; false with a message naming the line when a step is not
// one of the steps above or lacks (or has a wrong) argument.
bool ParseScript(const std::string& text, const std::string& name, std::vector<ScriptStep>& steps,
                 std::string& error);

// The machine under the scripted wizard, as far as the runner needs it: the
// simulated machine (setup-sim), or the real host with its message boxes
// taken over (the unattended install).
class ScriptedHost {
 public:
  virtual ~ScriptedHost() = default;
  // Every message box is recorded here and answered by its responder.
  virtual MessageBoxRecorder& MessageBoxes() = 0;
  // The files the shell was asked to open (F1 opens the help file), and
  // the help file's path as the machine resolves it, with whether it is
  // there.
  virtual std::size_t ShellOpenCount() const = 0;
  virtual std::string LastShellOpened() const = 0;
  virtual std::string ResolvePath(const std::string& file) const = 0;
  virtual bool FileExists(const std::string& path) const = 0;
};

// How the scripted wizard ended.
struct WizardEnd {
  bool ended = false;
  bool finished = false;  // by Finish, not Cancel
  InstallOutcome outcome = InstallOutcome::kStayOpen;
  InstallSelections selections;  // at the end; the model name is the printer's after an install
  InstalledParts installed;      // what the install put in place, by its records' names
};

// How answers are matched with questions (see above).
enum class AnswerRules {
  kInOrder,     // setup-sim: a plain answer is the next question's, whichever it is
  kUnattended,  // setup-install.exe and --exit-codes: a plain answer never restarts
};

class ScriptRunner {
 public:
  // Hooks itself in as the modal driver and the message box responder.
  ScriptRunner(HeadlessUi& ui, ScriptedHost& host, std::vector<ScriptStep> steps,
               std::string scriptName, std::ostream& out);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // The answer to a question the script does not answer, or nothing to stop
  // the run there (the default: every question must be answered). `note`
  // says why, for the transcript.
  using DefaultAnswer =
      std::function<std::optional<int>(const MessageBoxRecord& box, std::string& note)>;
  void SetDefaultAnswer(DefaultAnswer answer) { defaultAnswer_ = std::move(answer); }
  void SetAnswerRules(AnswerRules rules) { rules_ = rules; }

  // The answers no question took: "line 12 (answer yes): WHY".
  const std::vector<std::string>& UnusedAnswers() const { return unused_; }

  // How the wizard ended, once it has.
  const std::string& Outcome() const { return outcome_; }
  const WizardEnd& End() const { return end_; }
  // The number of message boxes shown before the last "finish" step.
  std::size_t BoxesBeforeLastFinish() const { return boxesBeforeFinish_; }

 private:
  void RunDialog(HeadlessWindow& dialog);
  int Answer(const MessageBoxRecord& box);
  void RunStep(HeadlessWindow& wizard, const ScriptStep& step);
  // Records how the wizard ended, once it has.
  void NoteEnd(HeadlessWindow& wizard);
  // An answer step that the run has reached without a question taking it.
  void PassUnusedAnswer(const ScriptStep& step, const std::string& why);
  void PrintPageIfNew(HeadlessWindow& wizard, bool always = false);

  // The step's page (failing the step when another page is shown).
  HeadlessWindow& RequirePage(HeadlessWindow& wizard, const ScriptStep& step, int templateId);
  void ClickControl(HeadlessWindow& window, const ScriptStep& step, int id,
                    const std::string& what);
  void SetCheck(HeadlessWindow& window, const ScriptStep& step, int id, const std::string& what);
  void SelectItem(HeadlessWindow& window, const ScriptStep& step, int id, const std::string& what);
  void ChooseModel(HeadlessWindow& page, const ScriptStep& step);
  [[noreturn]] void Fail(const ScriptStep& step, const std::string& why) const;

  HeadlessUi& ui_;
  ScriptedHost& host_;
  std::vector<ScriptStep> steps_;
  std::string scriptName_;
  std::ostream& out_;
  std::size_t next_ = 0;
  const ScriptStep* current_ = nullptr;
  int shownPage_ = 0;
  int endedAtLine_ = 0;
  std::string outcome_;
  WizardEnd end_;
  std::size_t boxesBeforeFinish_ = 0;
  DefaultAnswer defaultAnswer_;
  AnswerRules rules_ = AnswerRules::kInOrder;
  std::vector<bool> used_;  // per step: an answer a question took
  std::vector<std::string> unusedWhy_;  // per step: why no question took the answer
  std::vector<std::string> unused_;
};

}  // namespace setwell::term
