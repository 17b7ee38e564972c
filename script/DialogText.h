// Dialogs and message boxes as plain text: the captions with their
// mnemonics, the buttons a message box has, and the listing of a page that
// the scripted mode prints as it goes.
#pragma once

#include <string>
#include <vector>

#include "ui/headless/MessageBoxes.h"
#include "system/WinTypes.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::term {

// A caption as shown: "&" marks the next character as the mnemonic (shown
// underlined, reached with Alt); "&&" is an ampersand.
struct Caption {
  std::string text;
  int underline = -1;  // index in text, or -1
};
Caption ParseCaption(const std::string& caption);
// The mnemonic of a caption in lower case, or 0.
char MnemonicOf(const std::string& caption);

struct BoxButton {
  int id;               // IDOK, IDYES ...
  const char* caption;  // with its mnemonic
};
// The buttons of a message box of `type`, left to right.
std::vector<BoxButton> MessageBoxButtons(UINT type);
// "warning", "information", "question", "error", or "" for no icon.
std::string MessageBoxIconName(UINT type);
std::string AnswerName(int answer);

// The wizard's pages by dialog: "licence agreement", "printer model" ...
std::string PageName(int templateId);

// The listing of a dialog (a page inside the wizard, then the wizard's
// buttons; or the about box): one line per visible control, disabled ones
// marked, each line indented by two blanks.
std::string DescribeDialog(const HeadlessWindow& dialog);
// How the wizard ended: finished (the install ran to its end, or stopped
// and closed the wizard) or cancelled.
std::string DescribeWizardEnd(const HeadlessWindow& wizard);

// "message box "caption" (icon), buttons" and the text, indented.
std::string DescribeMessageBox(const MessageBoxRecord& box);

}  // namespace setwell::term
