#include "ui/win32/DialogTemplateBytes.h"

#include <string>

namespace setwell {
namespace {

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kComboBoxAtom = 0x0085;

// Texts of our layouts are 8-bit ANSI; the template holds UTF-16.
void AppendText(std::vector<WORD>& words, const char* text) {
  const std::string ansi = text == nullptr ? std::string() : std::string(text);
  if (!ansi.empty()) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                             nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    for (wchar_t c : wide) words.push_back(static_cast<WORD>(c));
  }
  words.push_back(0);
}

void AlignToDword(std::vector<WORD>& words) {
  if (words.size() % 2 != 0) words.push_back(0);
}

void AppendDword(std::vector<WORD>& words, DWORD value) {
  words.push_back(LOWORD(value));
  words.push_back(HIWORD(value));
}

}  // namespace

ControlClass ClassOfControl(const ControlTemplate& control) {
  DWORD common = WS_CHILD;
  if ((control.flags & kHidden) == 0) common |= WS_VISIBLE;
  if (control.flags & kDisabled) common |= WS_DISABLED;
  if (control.flags & kGroup) common |= WS_GROUP;
  const DWORD notify = (control.flags & kNoNotify) ? 0 : SS_NOTIFY;

  ControlClass c;
  switch (control.kind) {
    case ControlKind::kGroupBox:
      c.atom = kButtonAtom;
      c.style = common | BS_GROUPBOX;
      break;
    case ControlKind::kStatic:
      c.atom = kStaticAtom;
      c.style = common | ((control.flags & kCentered) ? SS_CENTER : SS_LEFT) | notify;
      break;
    case ControlKind::kRadioButton:
      c.atom = kButtonAtom;
      // The first button of a group is the one Tab reaches.
      c.style = common | BS_AUTORADIOBUTTON | ((control.flags & kGroup) ? WS_TABSTOP : 0);
      break;
    case ControlKind::kCheckBox:
      c.atom = kButtonAtom;
      c.style = common | BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::kPushButton:
      c.atom = kButtonAtom;
      c.style = common | BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::kDefPushButton:
      c.atom = kButtonAtom;
      c.style = common | BS_DEFPUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::kDropDownList:
      c.atom = kComboBoxAtom;
      c.style = common | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP |
                ((control.flags & kSorted) ? CBS_SORT : 0);
      break;
    case ControlKind::kEtchedFrame:
      c.atom = kStaticAtom;
      c.style = common | SS_ETCHEDFRAME;
      break;
    case ControlKind::kEtchedLine:
      c.atom = kStaticAtom;
      c.style = common | SS_ETCHEDHORZ;
      break;
    case ControlKind::kBitmap:
      c.atom = kStaticAtom;
      c.style = common | SS_BITMAP;
      break;
    case ControlKind::kIcon:
      c.atom = kStaticAtom;
      c.style = common | SS_ICON;
      break;
    case ControlKind::kRichText:
      c.name = kRichTextClass;
      c.style = common | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                ES_AUTOVSCROLL;
      break;
  }
  return c;
}

DWORD DialogStyle(const DialogTemplate& layout) {
  DWORD style = DS_SETFONT | DS_3DLOOK;
  if (layout.style & kChildDialog) return style | WS_CHILD | DS_CONTROL;
  style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  if (layout.style & kSystemMenu) style |= WS_SYSMENU;
  if (layout.style & kMinimizeBox) style |= WS_MINIMIZEBOX;
  return style;
}

DWORD DialogExStyle(const DialogTemplate& layout) {
  return (layout.style & kTaskbarButton) ? WS_EX_APPWINDOW : 0;
}

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& layout, const DialogTemplate& fontOf) {
  std::vector<WORD> words;
  AppendDword(words, DialogStyle(layout));
  AppendDword(words, DialogExStyle(layout));
  words.push_back(static_cast<WORD>(layout.controlCount));
  for (short v : {short{0}, short{0}, layout.cx, layout.cy}) words.push_back(static_cast<WORD>(v));
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  AppendText(words, (layout.style & kChildDialog) ? "" : layout.caption);
  words.push_back(static_cast<WORD>(fontOf.fontPoints));
  AppendText(words, fontOf.fontFace);

  for (std::size_t i = 0; i < layout.controlCount; ++i) {
    const ControlTemplate& control = layout.controls[i];
    const ControlClass cls = ClassOfControl(control);
    AlignToDword(words);
    AppendDword(words, cls.style);
    AppendDword(words, 0);
    for (short v : {control.x, control.y, control.cx, control.cy}) {
      words.push_back(static_cast<WORD>(v));
    }
    words.push_back(static_cast<WORD>(control.id));  // IDC_STATIC is 0xFFFF, as the host's
    if (cls.atom != 0) {
      words.push_back(0xFFFF);
      words.push_back(cls.atom);
    } else {
      AppendText(words, cls.name);
    }
    if (control.kind == ControlKind::kIcon) {
      // An icon names its resource by ordinal; the host loads it from the
      // module the dialog is created with. A bitmap is set by the window,
      // stretched to its control (the host would resize the control to
      // the bitmap instead).
      words.push_back(0xFFFF);
      words.push_back(static_cast<WORD>(control.resource));
    } else {
      AppendText(words, control.caption);
    }
    words.push_back(0);  // no creation data
  }
  return words;
}

}  // namespace setwell
