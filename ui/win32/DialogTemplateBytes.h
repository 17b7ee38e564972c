// In-memory dialog templates built from our layout tables, in the host's
// DLGTEMPLATE form, for CreateDialogIndirectParamA and
// DialogBoxIndirectParamA.
#pragma once

#include "system/WinTypes.h"  // <windows.h>, without its generic-text macros

#include <vector>

#include "resources/DialogTemplate.h"

namespace setwell {

// The window class and styles one layout control is created with.
struct ControlClass {
  WORD atom = 0;             // a predefined class (0x0080 BUTTON ...), or 0
  const char* name = nullptr;  // a registered class by name when atom is 0
  DWORD style = 0;
};

// The rich text view of the licence page: the host's rich edit control,
// registered by riched20.dll.
constexpr const char* kRichTextClass = "RichEdit20A";

ControlClass ClassOfControl(const ControlTemplate& control);
DWORD DialogStyle(const DialogTemplate& layout);
DWORD DialogExStyle(const DialogTemplate& layout);

// The template's words, DWORD-aligned where the host requires it; the
// vector's storage is DWORD-aligned, so its data() can be passed directly.
// The dialog's font (and so its dialog units) is the one of `fontOf`.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& layout, const DialogTemplate& fontOf);

}  // namespace setwell
