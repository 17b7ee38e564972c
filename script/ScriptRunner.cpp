#include "script/ScriptRunner.h"

#include <algorithm>
#include <cctype>

#include "app/CWizardFrame.h"
#include "resources/DialogTemplate.h"
#include "resources/StringTable.h"
#include "script/DialogText.h"

namespace setwell::term {
namespace {

constexpr const char* kOnOff[] = {"on", "off", nullptr};
constexpr const char* kCategories[] = {"receipt", "ticket", "label", "embedded", nullptr};

struct Verb {
  const char* name;
  bool takesArgument;
  const char* const* choices;  // the arguments it takes, or null for any
  const char* usage;
};

constexpr Verb kVerbs[] = {
    {"accept", false, nullptr, "accept"},
    {"reject", false, nullptr, "reject"},
    {"next", false, nullptr, "next"},
    {"back", false, nullptr, "back"},
    {"finish", false, nullptr, "finish"},
    {"cancel", false, nullptr, "cancel"},
    {"category", true, kCategories, "category receipt|ticket|label|embedded"},
    {"model", true, nullptr, "model NAME"},
    {"default-printer", true, kOnOff, "default-printer on|off"},
    {"typical", false, nullptr, "typical"},
    {"advanced", false, nullptr, "advanced"},
    {"port", true, nullptr, "port NAME"},
    {"baud", true, nullptr, "baud RATE"},
    {"parity", true, nullptr, "parity Even|Mark|None|Odd|Space"},
    {"bytesize", true, nullptr, "bytesize 5|6|7|8"},
    {"stopbits", true, nullptr, "stopbits 1|1.5|2"},
    {"protocol", true, nullptr, "protocol None|Xon/Xoff|Hardware"},
    {"raster", true, kOnOff, "raster on|off"},
    {"answer", true, nullptr, "answer [rename|restart] yes|no"},
    {"about", false, nullptr, "about"},
    {"help", false, nullptr, "help"},
    {"show", false, nullptr, "show"},
};

constexpr int kCategoryRadios[4] = {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED};
constexpr int kCategoryLists[4] = {IDC_RECEIPT_MODELS, IDC_TICKET_MODELS, IDC_LABEL_MODELS,
                                   IDC_EMBEDDED_MODELS};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FirstLineOf(const std::string& text) { return text.substr(0, text.find('\n')); }

// An answer step's argument: "[QUESTION] yes|no". False with why.
bool ParseAnswer(ScriptStep& step, std::string& why) {
  std::string words = Lower(step.argument);
  std::string question;
  const std::size_t blank = words.find_first_of(" \t");
  if (blank != std::string::npos) {
    question = words.substr(0, blank);
    words = Trim(words.substr(blank));
    bool known = false;
    for (const NamedQuestion& q : kNamedQuestions) known = known || question == q.name;
    if (!known) {
      why = Quoted(question) + " is not a question of this program: answer rename yes|no (\"" +
            FirstLineOf(LoadStringText(IDS_RENAME_QUESTION)) + " ...\") or answer restart yes|no (\"" +
            FirstLineOf(LoadStringText(IDS_RESTART_QUESTION)) + " ...\")";
      return false;
    }
  }
  if (words == "ok" || words == "cancel") {
    why = "no message box of this program has OK and Cancel buttons: a box with OK alone is "
          "answered by itself, and the questions take yes or no";
    return false;
  }
  if (words != "yes" && words != "no") {
    why = Quoted(step.argument) + " is not an answer (answer [rename|restart] yes|no)";
    return false;
  }
  step.question = question;
  step.argument = words;
  return true;
}

}  // namespace

const NamedQuestion kNamedQuestions[2] = {
    {"rename", IDS_RENAME_QUESTION, "the printer rename question"},
    {"restart", IDS_RESTART_QUESTION, "the restart question"},
};

std::string QuestionName(const std::string& text) {
  for (const NamedQuestion& q : kNamedQuestions) {
    if (text == LoadStringText(q.messageId)) return q.name;
  }
  return {};
}

bool ScriptTextToAnsi(std::string& text, std::string& error) {
  const auto starts = [&](const char* bytes, std::size_t n) {
    return text.size() >= n && text.compare(0, n, bytes, n) == 0;
  };
  if (starts("\xEF\xBB\xBF", 3)) {
    text.erase(0, 3);
    return true;
  }
  // UTF-16 (what PowerShell's Out-File and ">" write) shows by its
  // byte-order mark, or without one by the zero halves of plain ASCII.
  int order = 0;  // 1 little-endian, 2 big-endian
  std::size_t from = 0;
  if (starts("\xFF\xFE", 2)) {
    order = 1;
    from = 2;
  } else if (starts("\xFE\xFF", 2)) {
    order = 2;
    from = 2;
  } else if (text.size() >= 4 && text[0] != '\0' && text[1] == '\0' && text[3] == '\0') {
    order = 1;
  } else if (text.size() >= 4 && text[0] == '\0' && text[2] == '\0' && text[1] != '\0') {
    order = 2;
  }
  if (order == 0) return true;
  std::string ansi;
  int line = 1;
  for (std::size_t i = from; i < text.size(); i += 2) {
    if (i + 1 >= text.size()) {
      error = "line " + std::to_string(line) +
              ": the script is UTF-16 with an odd number of bytes: it is cut short";
      return false;
    }
    const unsigned high = static_cast<unsigned char>(text[order == 1 ? i + 1 : i]);
    const unsigned low = static_cast<unsigned char>(text[order == 1 ? i : i + 1]);
    const unsigned unit = high << 8 | low;
    // The wizard's names and texts are 8-bit ANSI; beyond ASCII, which
    // ANSI code page a character stands for cannot be told.
    if (unit == 0 || unit >= 0x80) {
      error = "line " + std::to_string(line) +
              ": the script is saved as UTF-16 and holds a character that is not plain ASCII; "
              "save it as ANSI (Notepad: Save As, Encoding ANSI; PowerShell: Set-Content "
              "-Encoding Default)";
      return false;
    }
    if (unit == '\n') ++line;
    ansi += static_cast<char>(unit);
  }
  text = std::move(ansi);
  return true;
}

bool ParseScript(const std::string& written, const std::string& name,
                 std::vector<ScriptStep>& steps, std::string& error) {
  steps.clear();
  std::string text = written;
  if (!ScriptTextToAnsi(text, error)) {
    error = name + " " + error;
    return false;
  }
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    // A comment runs from "#" at the start or after a blank to the end.
    for (std::size_t hash = line.find('#'); hash != std::string::npos;
         hash = line.find('#', hash + 1)) {
      if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
        line = Trim(line.substr(0, hash));
        break;
      }
    }
    start = end + 1;
    ++number;
    if (line.empty()) continue;
    const std::size_t blank = line.find_first_of(" \t");
    ScriptStep step;
    step.line = number;
    step.text = line;
    step.verb = Lower(line.substr(0, blank));
    step.argument = blank == std::string::npos ? std::string() : Trim(line.substr(blank));
    const std::string where = name + " line " + std::to_string(number) + ": ";
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs) {
      if (step.verb == v.name) verb = &v;
    }
    if (verb == nullptr) {
      std::vector<std::string> names;
      for (const Verb& v : kVerbs) names.emplace_back(v.name);
      error = where + "unknown step " + Quoted(step.verb) + "; the steps are: " + Join(names, ", ");
      return false;
    }
    if (!verb->takesArgument && !step.argument.empty()) {
      error = where + Quoted(step.verb) + " takes nothing after it (" + verb->usage + ")";
      return false;
    }
    if (verb->takesArgument && step.argument.empty()) {
      error = where + Quoted(step.verb) + " needs a value: " + verb->usage;
      return false;
    }
    if (step.verb == "answer") {
      std::string why;
      if (!ParseAnswer(step, why)) {
        error = where + why;
        return false;
      }
    }
    if (verb->choices != nullptr) {
      bool known = false;
      for (const char* const* choice = verb->choices; *choice != nullptr; ++choice) {
        if (Lower(step.argument) == *choice) known = true;
      }
      if (!known) {
        error = where + Quoted(step.argument) + " is not a value of " + Quoted(step.verb) + " (" +
                verb->usage + ")";
        return false;
      }
      step.argument = Lower(step.argument);
    }
    steps.push_back(std::move(step));
  }
  return true;
}

ScriptRunner::ScriptRunner(HeadlessUi& ui, ScriptedHost& host, std::vector<ScriptStep> steps,
                           std::string scriptName, std::ostream& out)
    : ui_(ui),
      host_(host),
      steps_(std::move(steps)),
      scriptName_(std::move(scriptName)),
      out_(out) {
  ui_.modalDriver = [this](HeadlessWindow& dialog) { RunDialog(dialog); };
  host_.MessageBoxes().responder = [this](const MessageBoxRecord& box) { return Answer(box); };
}

ScriptRunner::~ScriptRunner() {
  ui_.modalDriver = nullptr;
  host_.MessageBoxes().responder = nullptr;
}

void ScriptRunner::Fail(const ScriptStep& step, const std::string& why) const {
  throw ScriptError(scriptName_ + " line " + std::to_string(step.line) + " (" + step.text +
                    "): " + why);
}

void ScriptRunner::RunDialog(HeadlessWindow& dialog) {
  if (dialog.TemplateId() != IDD_WIZARD) {
    // The about box: shown, then closed with its OK button.
    out_ << "== " << PageName(dialog.TemplateId()) << " " << Quoted(dialog.GetTitle()) << "\n"
         << DescribeDialog(dialog) << "> OK\n";
    if (!dialog.Click(IDOK_RESULT)) dialog.Owner().OnCommand(IDOK_RESULT, BN_CLICKED);
    return;
  }
  used_.assign(steps_.size(), false);
  unusedWhy_.assign(steps_.size(), {});
  PrintPageIfNew(dialog, true);
  while (next_ < steps_.size() && !dialog.Ended()) {
    const std::size_t index = next_++;
    const ScriptStep& step = steps_[index];
    if (used_[index]) continue;  // printed when its question took it
    current_ = &step;
    out_ << "> " << step.text << "\n";
    try {
      RunStep(dialog, step);
    } catch (...) {
      // Whatever stops the run, how the wizard ended stands.
      NoteEnd(dialog);
      throw;
    }
    if (dialog.Ended()) {
      endedAtLine_ = step.line;
    } else {
      PrintPageIfNew(dialog);
    }
  }
  current_ = nullptr;
  if (!dialog.Ended()) {
    const HeadlessWindow* page = dialog.VisibleChild();
    throw ScriptError(scriptName_ + ": the script ends with the wizard still open on the " +
                      PageName(page != nullptr ? page->TemplateId() : 0) +
                      " page; end it with \"finish\" or \"cancel\"");
  }
  NoteEnd(dialog);
  out_ << "== the wizard closed: " << outcome_ << "\n";
  // Answers left over are for questions that did not come: named, and
  // passed over. Any other step left has nothing to act on.
  while (next_ < steps_.size()) {
    const std::size_t index = next_;
    const ScriptStep& step = steps_[index];
    if (used_[index] || step.verb == "answer") {
      ++next_;
      if (!used_[index]) {
        PassUnusedAnswer(step, index < unusedWhy_.size() && !unusedWhy_[index].empty()
                                   ? unusedWhy_[index]
                                   : "no such question was asked");
      }
      continue;
    }
    Fail(step, "the wizard closed at line " + std::to_string(endedAtLine_) +
                   "; there is nothing left for this step to do");
  }
}

void ScriptRunner::NoteEnd(HeadlessWindow& dialog) {
  if (end_.ended || !dialog.Ended()) return;
  outcome_ = DescribeWizardEnd(dialog);
  end_.ended = true;
  end_.finished = dialog.Result() == IDOK_RESULT;
  if (const auto* frame = dynamic_cast<const CWizardFrame*>(&dialog.Owner())) {
    end_.outcome = frame->m_lastOutcome;
    end_.selections = frame->m_selections;
    end_.installed = frame->m_installed;
  }
}

void ScriptRunner::PassUnusedAnswer(const ScriptStep& step, const std::string& why) {
  const std::string line = "line " + std::to_string(step.line) + " (" + step.text + "): " + why;
  out_ << "== not used: " << line << "; it changes nothing\n";
  unused_.push_back(line);
}

int ScriptRunner::Answer(const MessageBoxRecord& box) {
  out_ << "== " << DescribeMessageBox(box);
  if (!box.IsQuestion()) return IDOK;
  std::vector<std::string> buttons;
  for (const BoxButton& button : MessageBoxButtons(box.type)) {
    buttons.push_back(ParseCaption(button.caption).text);
  }
  const std::string firstLine = box.text.substr(0, box.text.find('\n'));
  const std::string question = QuestionName(box.text);
  // The answers written after the step that made the program ask, up to
  // the next step that is not an answer: the first that fits is taken.
  const bool restart = question == "restart";
  std::size_t plainForRestart = steps_.size();
  if (used_.size() != steps_.size()) used_.assign(steps_.size(), false);
  if (unusedWhy_.size() != steps_.size()) unusedWhy_.assign(steps_.size(), {});
  for (std::size_t i = next_; i < steps_.size() && steps_[i].verb == "answer"; ++i) {
    const ScriptStep& step = steps_[i];
    if (used_[i]) continue;
    const bool fits = step.question.empty()
                          ? !(restart && rules_ == AnswerRules::kUnattended)
                          : step.question == question;
    if (!fits) {
      if (step.question.empty() && plainForRestart == steps_.size()) plainForRestart = i;
      continue;
    }
    used_[i] = true;
    // Answers taken from the front of the run are done with.
    while (next_ < steps_.size() && used_[next_]) ++next_;
    out_ << "> " << step.text << "\n";
    for (const BoxButton& button : MessageBoxButtons(box.type)) {
      if (Lower(ParseCaption(button.caption).text) == step.argument) return button.id;
    }
    Fail(step, "the question " + Quoted(firstLine) + " has no " + Quoted(step.argument) +
                   " button (it has " + Join(buttons, ", ") + ")");
  }
  if (plainForRestart < steps_.size()) {
    // Left for the end of the run, where it is named as not used.
    unusedWhy_[plainForRestart] =
        "a plain answer never answers the restart question; \"answer restart yes\" restarts the "
        "computer, \"answer restart no\" leaves the restart to you";
    out_ << "== line " << steps_[plainForRestart].line << " (" << steps_[plainForRestart].text
         << ") does not answer the restart question: only \"answer restart yes\" restarts the "
            "computer\n";
  }
  if (defaultAnswer_) {
    std::string note;
    if (const std::optional<int> answer = defaultAnswer_(box, note)) {
      out_ << "> (not answered by the script: " << AnswerName(*answer)
           << (note.empty() ? "" : ", " + note) << ")\n";
      return *answer;
    }
  }
  const std::string where =
      current_ != nullptr
          ? scriptName_ + " line " + std::to_string(current_->line) + " (" + current_->text + ")"
          : scriptName_;
  const std::string name = question.empty() ? std::string() : question + " ";
  throw ScriptError(where + ": the program asks " + Quoted(firstLine) + " (" + Join(buttons, "/") +
                    ") and the script does not answer; put \"answer " + name +
                    Lower(buttons.front()) + "\" or \"answer " + name + Lower(buttons.back()) +
                    "\" right after this step");
}

void ScriptRunner::PrintPageIfNew(HeadlessWindow& wizard, bool always) {
  const HeadlessWindow* page = wizard.VisibleChild();
  const int id = page != nullptr ? page->TemplateId() : 0;
  if (!always && id == shownPage_) return;
  shownPage_ = id;
  const auto* frame = dynamic_cast<const CWizardFrame*>(&wizard.Owner());
  out_ << "== page";
  if (frame != nullptr) {
    out_ << " " << frame->CurrentPage() + 1 << " of " << frame->Captions().size();
  }
  out_ << ": " << PageName(id) << "\n" << DescribeDialog(wizard);
}

HeadlessWindow& ScriptRunner::RequirePage(HeadlessWindow& wizard, const ScriptStep& step,
                                          int templateId) {
  HeadlessWindow* page = wizard.VisibleChild();
  if (page == nullptr || page->TemplateId() != templateId) {
    Fail(step, "this step is for the " + PageName(templateId) + " page, and the wizard shows the " +
                   PageName(page != nullptr ? page->TemplateId() : 0) + " page");
  }
  return *page;
}

void ScriptRunner::ClickControl(HeadlessWindow& window, const ScriptStep& step, int id,
                                const std::string& what) {
  const HeadlessControl* control = window.Find(id);
  if (control == nullptr) Fail(step, "there is no " + what + " here");
  if (!control->visible) Fail(step, "the " + what + " is not shown");
  if (!control->enabled) Fail(step, "the " + what + " is disabled");
  window.Click(id);
}

void ScriptRunner::SetCheck(HeadlessWindow& window, const ScriptStep& step, int id,
                            const std::string& what) {
  const HeadlessControl* control = window.Find(id);
  if (control == nullptr) Fail(step, "there is no " + what + " here");
  if (!control->visible) Fail(step, "the " + what + " is not shown");
  if (!control->enabled) Fail(step, "the " + what + " is disabled");
  const int wanted = step.argument == "on" ? 1 : 0;
  if (control->check != wanted) window.Click(id);
}

void ScriptRunner::SelectItem(HeadlessWindow& window, const ScriptStep& step, int id,
                              const std::string& what) {
  const HeadlessControl* list = window.Find(id);
  if (list == nullptr) Fail(step, "there is no " + what + " list here");
  if (!list->visible) Fail(step, "the " + what + " list is not shown");
  if (!list->enabled) {
    std::string why = "the " + what + " list is disabled";
    if (const HeadlessControl* ports = window.Find(IDC_PORTS);
        ports != nullptr && id != IDC_PORTS) {
      why += " for the port " + Quoted(window.GetText(IDC_PORTS)) + " (choose a serial port first)";
    }
    Fail(step, why);
  }
  auto at = std::find(list->items.begin(), list->items.end(), step.argument);
  if (at == list->items.end()) {
    at = std::find_if(list->items.begin(), list->items.end(),
                      [&](const std::string& item) { return Lower(item) == Lower(step.argument); });
  }
  if (at == list->items.end()) {
    Fail(step, "there is no " + what + " " + Quoted(step.argument) + "; the list holds: " +
                   (list->items.empty() ? std::string("nothing") : Join(list->items, ", ")));
  }
  const int index = static_cast<int>(at - list->items.begin());
  if (index != list->selection) window.Select(id, index);
}

void ScriptRunner::ChooseModel(HeadlessWindow& page, const ScriptStep& step) {
  // The checked category's list first, then the others; exact names before
  // names that differ in letter case only.
  std::vector<int> order;
  for (int k = 0; k < 4; ++k) {
    if (page.GetCheck(kCategoryRadios[k]))
      order.insert(order.begin(), k);
    else
      order.push_back(k);
  }
  for (bool exact : {true, false}) {
    for (int k : order) {
      const HeadlessControl* list = page.Find(kCategoryLists[k]);
      for (std::size_t i = 0; list != nullptr && i < list->items.size(); ++i) {
        const bool match =
            exact ? list->items[i] == step.argument : Lower(list->items[i]) == Lower(step.argument);
        if (!match) continue;
        if (!page.GetCheck(kCategoryRadios[k])) {
          ClickControl(page, step, kCategoryRadios[k], Quoted(kCategories[k]) + " category button");
        }
        if (page.GetCurSel(kCategoryLists[k]) != static_cast<int>(i)) {
          page.Select(kCategoryLists[k], static_cast<int>(i));
        }
        return;
      }
    }
  }
  std::vector<std::string> listed;
  for (int k = 0; k < 4; ++k) {
    const HeadlessControl* list = page.Find(kCategoryLists[k]);
    if (list != nullptr && !list->items.empty()) {
      listed.push_back(std::string(kCategories[k]) + ": " + Join(list->items, ", "));
    }
  }
  Fail(step, "there is no model " + Quoted(step.argument) + "; the distribution lists " +
                 (listed.empty() ? std::string("no models") : Join(listed, "; ")));
}

void ScriptRunner::RunStep(HeadlessWindow& wizard, const ScriptStep& step) {
  const std::string& verb = step.verb;
  auto* frame = dynamic_cast<CWizardFrame*>(&wizard.Owner());
  const int last = frame != nullptr ? static_cast<int>(frame->Captions().size()) - 1 : 0;
  const int current = frame != nullptr ? frame->CurrentPage() : 0;
  if (verb == "accept" || verb == "reject") {
    HeadlessWindow& page = RequirePage(wizard, step, IDD_LICENCE);
    ClickControl(page, step, verb == "accept" ? IDC_ACCEPT : IDC_REJECT,
                 verb == "accept" ? "\"I Accept\" button" : "\"I Reject\" button");
  } else if (verb == "next") {
    if (current == last)
      Fail(step, "this is the last page: its button is Finish (write \"finish\")");
    ClickControl(wizard, step, IDOK_RESULT, "Next button");
  } else if (verb == "finish") {
    if (current != last) {
      const HeadlessWindow* page = wizard.VisibleChild();
      Fail(step, "Finish is on the last page, and the wizard shows the " +
                     PageName(page != nullptr ? page->TemplateId() : 0) + " page");
    }
    out_ << "== the port page at Finish\n" << DescribeDialog(wizard);
    boxesBeforeFinish_ = host_.MessageBoxes().boxes.size();
    ClickControl(wizard, step, IDOK_RESULT, "Finish button");
  } else if (verb == "back") {
    ClickControl(wizard, step, IDC_BACK, "Back button");
  } else if (verb == "cancel") {
    ClickControl(wizard, step, IDCANCEL_RESULT, "Cancel button");
  } else if (verb == "category") {
    HeadlessWindow& page = RequirePage(wizard, step, IDD_MODEL);
    for (int k = 0; k < 4; ++k) {
      if (step.argument != kCategories[k]) continue;
      const HeadlessControl* radio = page.Find(kCategoryRadios[k]);
      if (radio != nullptr && !radio->enabled) {
        Fail(step, "the " + Quoted(kCategories[k]) +
                       " category button is disabled: the distribution lists no such models");
      }
      ClickControl(page, step, kCategoryRadios[k], Quoted(kCategories[k]) + " category button");
    }
  } else if (verb == "model") {
    ChooseModel(RequirePage(wizard, step, IDD_MODEL), step);
  } else if (verb == "default-printer") {
    SetCheck(RequirePage(wizard, step, IDD_MODEL), step, IDC_DEFAULT_PRINTER,
             "\"Set As Default Printer\" check box");
  } else if (verb == "typical" || verb == "advanced") {
    HeadlessWindow& page = RequirePage(wizard, step, IDD_SETUP_TYPE);
    const HeadlessControl* radio = page.Find(verb == "typical" ? IDC_TYPICAL : IDC_ADVANCED);
    if (radio != nullptr && !radio->enabled) {
      Fail(step, "the \"Advanced\" button is disabled: this model has the typical setup only");
    }
    ClickControl(page, step, verb == "typical" ? IDC_TYPICAL : IDC_ADVANCED,
                 Quoted(verb) + " button");
  } else if (verb == "port") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_PORTS, "port");
  } else if (verb == "baud") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_BAUD_RATE, "baud rate");
  } else if (verb == "parity") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_PARITY, "parity");
  } else if (verb == "bytesize") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_BYTE_SIZE, "byte size");
  } else if (verb == "stopbits") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_STOP_BITS, "stop bits");
  } else if (verb == "protocol") {
    SelectItem(RequirePage(wizard, step, IDD_PORT), step, IDC_PROTOCOL, "protocol");
  } else if (verb == "raster") {
    HeadlessWindow& page = RequirePage(wizard, step, IDD_PORT);
    const HeadlessControl* box = page.Find(IDC_RASTER);
    if (box != nullptr && !box->visible) {
      Fail(step, "the \"Raster Graphic Printing\" check box is shown in the advanced setup only");
    }
    SetCheck(page, step, IDC_RASTER, "\"Raster Graphic Printing\" check box");
  } else if (verb == "answer") {
    // An answer that names its question, or any under the unattended rules,
    // that no question took is passed over; a plain one in setup-sim's
    // rules stops the run, as it always has.
    if (!step.question.empty() || rules_ == AnswerRules::kUnattended) {
      PassUnusedAnswer(step, "no such question was asked at this point");
    } else {
      Fail(step,
           "no question is being asked; an answer goes right after the step that makes the "
           "program ask");
    }
  } else if (verb == "about") {
    wizard.SysCommand(IDM_ABOUTBOX);
  } else if (verb == "help") {
    const std::size_t before = host_.ShellOpenCount();
    wizard.PressF1();
    if (host_.ShellOpenCount() > before) {
      const std::string file = host_.LastShellOpened();
      const std::string path = host_.ResolvePath(file);
      out_ << "== help: the wizard asks the shell to open " << file << ", that is " << path
           << (host_.FileExists(path) ? "" : " (not in the distribution)") << "\n";
    }
  } else if (verb == "show") {
    PrintPageIfNew(wizard, true);
  }
}

}  // namespace setwell::term
