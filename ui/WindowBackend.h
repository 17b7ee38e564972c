// What a dialog asks of the windowing system, one implementation per
// backend: real windows (ui/win32), in-memory controls (ui/headless), and
// the terminal. Dialogs are built from their layout table; every control is
// addressed by its id. A backend reports user actions back to its dialog
// through the dialog's On... entry points (see CDialog).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/DialogTemplate.h"

namespace setwell {

class CDialog;
class Platform;

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

// How a static control draws itself when it asks for colours of its own:
// colours are 0x00BBGGRR.
struct StaticStyle {
  std::uint32_t textColor = 0;
  std::uint32_t backgroundColor = 0;
  // Until a colour of its own is set, a control draws in the host's colours
  // (the window-text colour, on the button-face colour), read as it paints.
  bool systemTextColor = false;
  bool systemBackground = false;
  int fontHeight = 0;  // pixels; 0 keeps the dialog's font
  std::string fontFace;
};

// Notification codes delivered with a command (the host's own values).
#ifndef BN_CLICKED
constexpr int BN_CLICKED = 0;
#endif
#ifndef CBN_SELCHANGE
constexpr int CBN_SELCHANGE = 1;
#endif

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // --- Life ---------------------------------------------------------------
  // A modeless child dialog inside parent's client area, created hidden.
  // Calls the owner's OnInitDialog before it returns.
  virtual bool CreateChild(const DialogTemplate& layout, WindowBackend& parent) = 0;
  // A modal dialog: creates it, calls OnInitDialog, shows it and runs until
  // EndDialog; returns the result given there.
  virtual int RunModal(const DialogTemplate& layout, WindowBackend* owner) = 0;
  virtual void EndDialog(int result) = 0;
  virtual void Destroy() = 0;
  virtual bool IsCreated() const = 0;

  // --- The window -----------------------------------------------------------
  virtual void SetTitle(const std::string& title) = 0;
  virtual std::string GetTitle() const = 0;
  virtual void Show(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  // Places a child dialog in its parent's client area (dialog pixels of the
  // backend, as ControlRect gives them).
  virtual void Move(const Rect& rect) = 0;
  // A control's rectangle in this window's client coordinates.
  virtual Rect ControlRect(int id) const = 0;
  // A separator and an item at the end of the system menu; false without one.
  virtual bool AppendSystemMenuItem(int command, const std::string& text) = 0;
  virtual void SetIcon(int iconResource) = 0;

  // --- Controls -----------------------------------------------------------------
  virtual bool HasControl(int id) const = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string GetText(int id) const = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void ShowControl(int id, bool visible) = 0;
  virtual bool IsControlVisible(int id) const = 0;
  virtual void SetCheck(int id, int state) = 0;
  virtual int GetCheck(int id) const = 0;
  virtual void SetFocus(int id) = 0;

  // Drop-down lists. Indexes are 0-based; -1 is "no selection" (CB_ERR).
  virtual int AddString(int id, const std::string& text) = 0;
  // Appends entries in their order, as AddString one by one does; a
  // backend may do it in one go (a list of thousands of models).
  virtual void AddStrings(int id, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) AddString(id, text);
  }
  virtual void ResetContent(int id) = 0;
  virtual int SetCurSel(int id, int index) = 0;
  virtual int GetCurSel(int id) const = 0;
  virtual int GetCount(int id) const = 0;
  virtual std::string GetItemText(int id, int index) const = 0;
  // Selects the first entry after startAfter (-1: from the first), going
  // round to the start, whose text begins with prefix in any ASCII letter
  // case; its index, or -1 with the selection as it was. An empty prefix
  // begins every text; no other byte is read specially ("[" is a letter
  // like any other) and letters beyond ASCII match only themselves.
  virtual int SelectString(int id, int startAfter, const std::string& prefix);

  // A tooltip shown over a control.
  virtual void SetToolTip(int id, const std::string& text, int maxWidth) = 0;
  // Redraws a control now (a static with a style of its own asks its
  // owner dialog for it while painting).
  virtual void Redraw(int id) = 0;
};

// The search SelectString makes, over `count` texts that `textAt` gives:
// the index found, or -1.
int FindEntryByPrefix(int count, int startAfter, std::string_view prefix,
                      const std::function<std::string_view(int)>& textAt);

class UiBackend {
 public:
  virtual ~UiBackend() = default;
  virtual std::unique_ptr<WindowBackend> NewWindow(CDialog& owner) = 0;
  // Makes the formatted-text view of the licence page available; false
  // (after telling the user) when it cannot be.
  virtual bool RegisterRichTextControl(Platform&) { return true; }
};

}  // namespace setwell
