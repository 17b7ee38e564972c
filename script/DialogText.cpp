#include "script/DialogText.h"

#include <cctype>

#include "app/CWizardFrame.h"
#include "resources/DialogTemplate.h"
#include "script/RichText.h"

namespace setwell::term {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool IsPushButton(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton;
}

std::string ListLine(const HeadlessControl& c) {
  std::string line = c.selection >= 0 ? Quoted(c.items[c.selection]) : std::string("(none)");
  line += " of ";
  if (c.items.empty()) line += "(empty)";
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    if (i != 0) line += " | ";
    line += c.items[i];
  }
  return line;
}

std::string Disabled(const HeadlessControl& c) { return c.enabled ? "" : "  [disabled]"; }

void DescribeControls(const HeadlessWindow& window, std::string& out) {
  const std::vector<HeadlessControl>& controls = window.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const HeadlessControl& c = controls[i];
    if (!c.visible) continue;
    const std::string caption = ParseCaption(c.text).text;
    switch (c.kind) {
      case ControlKind::kGroupBox:
        out += "  group " + Quoted(caption) + "\n";
        break;
      case ControlKind::kStatic: {
        // A label ending in ':' is the name of the list that follows it.
        const HeadlessControl* next = i + 1 < controls.size() ? &controls[i + 1] : nullptr;
        if (!caption.empty() && caption.back() == ':' && next != nullptr && next->visible &&
            next->kind == ControlKind::kDropDownList) {
          out += "  " + caption + " " + ListLine(*next) + Disabled(*next) + "\n";
          ++i;
        } else if (window.Owner().GetStaticStyle(c.id) != nullptr) {
          out += "  note " + Quoted(caption) + "\n";
        } else if (!caption.empty()) {
          out += "  text " + Quoted(caption) + Disabled(c) + "\n";
        }
        break;
      }
      case ControlKind::kRadioButton:
        out += std::string("  ") + (c.check ? "(*) " : "( ) ") + caption + Disabled(c) + "\n";
        break;
      case ControlKind::kCheckBox:
        out += std::string("  ") + (c.check ? "[x] " : "[ ] ") + caption + Disabled(c) + "\n";
        break;
      case ControlKind::kDropDownList:
        out += "  list " + ListLine(c) + Disabled(c) + "\n";
        break;
      case ControlKind::kRichText: {
        const std::vector<std::string> lines = WrapText(RtfToText(c.text), 60);
        out += "  text view, " + std::to_string(lines.size()) + " lines";
        if (!lines.empty()) out += ": " + Quoted(lines.front()) + " ...";
        out += "\n";
        break;
      }
      default:
        break;  // pictures, lines, frames and push buttons (below)
    }
  }
}

void DescribeButtons(const HeadlessWindow& window, std::string& out) {
  std::string line;
  for (const HeadlessControl& c : window.Controls()) {
    if (!IsPushButton(c.kind) || !c.visible) continue;
    if (!line.empty()) line += " | ";
    line += ParseCaption(c.text).text;
    if (c.kind == ControlKind::kDefPushButton) line += " [default]";
    if (!c.enabled) line += " [disabled]";
  }
  if (!line.empty()) out += "  buttons: " + line + "\n";
}

}  // namespace

Caption ParseCaption(const std::string& caption) {
  Caption result;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && result.underline < 0) {
        result.underline = static_cast<int>(result.text.size());
      }
    }
    result.text.push_back(caption[i]);
  }
  return result;
}

char MnemonicOf(const std::string& caption) {
  const Caption parsed = ParseCaption(caption);
  if (parsed.underline < 0) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(parsed.text[parsed.underline])));
}

std::vector<BoxButton> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case 2:  // abort, retry, ignore
      return {{3, "&Abort"}, {4, "&Retry"}, {5, "&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case 5:  // retry, cancel
      return {{4, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

std::string MessageBoxIconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return "error";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONWARNING:
      return "warning";
    case MB_ICONINFORMATION:
      return "information";
    default:
      return "";
  }
}

std::string AnswerName(int answer) {
  switch (answer) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case 3:
      return "Abort";
    case 4:
      return "Retry";
    case 5:
      return "Ignore";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    default:
      return "no answer";
  }
}

std::string PageName(int templateId) {
  switch (templateId) {
    case IDD_LICENCE:
      return "licence agreement";
    case IDD_MODEL:
      return "printer model";
    case IDD_SETUP_TYPE:
      return "setup type";
    case IDD_TARGET_SYSTEM:
      return "target system";
    case IDD_PORT:
      return "port";
    case IDD_ABOUTBOX:
      return "about box";
    case IDD_WIZARD:
      return "wizard";
    default:
      return "dialog " + std::to_string(templateId);
  }
}

std::string DescribeDialog(const HeadlessWindow& dialog) {
  std::string out;
  if (const HeadlessWindow* page = dialog.VisibleChild()) DescribeControls(*page, out);
  DescribeControls(dialog, out);
  DescribeButtons(dialog, out);
  return out;
}

std::string DescribeWizardEnd(const HeadlessWindow& wizard) {
  if (!wizard.Ended()) return "still open";
  const auto* frame = dynamic_cast<const CWizardFrame*>(&wizard.Owner());
  if (wizard.Result() != IDOK_RESULT || frame == nullptr) return "cancelled";
  return frame->m_lastOutcome == InstallOutcome::kCompleted
             ? "finished: the install ran to its end"
             : "finished: the install stopped and closed the wizard";
}

std::string DescribeMessageBox(const MessageBoxRecord& box) {
  std::string buttons;
  for (const BoxButton& button : MessageBoxButtons(box.type)) {
    if (!buttons.empty()) buttons += "/";
    buttons += ParseCaption(button.caption).text;
  }
  const std::string icon = MessageBoxIconName(box.type);
  std::string out = (box.IsQuestion() ? "question " : "message box ") + Quoted(box.caption) +
                    (icon.empty() ? "" : " (" + icon + ")") + ", " + buttons + "\n";
  std::size_t start = 0;
  while (start <= box.text.size()) {
    std::size_t end = box.text.find('\n', start);
    if (end == std::string::npos) end = box.text.size();
    out += "  | " + box.text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return out;
}

}  // namespace setwell::term
