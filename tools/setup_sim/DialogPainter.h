// Draws dialogs on a canvas from the same layout tables the windows are
// built from: a dialog unit is a quarter of a character's width and an
// eighth of its height. One-line controls sit on the row of their middle,
// so a radio button and the taller list beside it share a line. Also
// draws the things that float over a dialog: an open list, a message box,
// the system menu, a note.
#pragma once

#include <string>
#include <vector>

#include "tools/setup_sim/Canvas.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::term {

// The styles of everything drawn; without colour only bold, dim, underline
// and reverse tell things apart.
struct Theme {
  CellStyle desktop, window, title, disabled, field, fieldDisabled, list, listSelected, picture,
      focus;
  bool color = true;

  static Theme Make(bool color);
};

// A control of the dialog or of its page.
struct ControlRef {
  const HeadlessWindow* window = nullptr;
  int id = 0;

  bool operator==(const ControlRef&) const = default;
  const HeadlessControl* Get() const { return window == nullptr ? nullptr : window->Find(id); }
};

// What the painter needs beyond the dialog's own state.
struct DialogView {
  ControlRef focus;
  int defaultId = 0;   // the push button Enter presses (marked), or 0
  int textTop = 0;     // first line shown by the formatted-text view
  bool active = true;  // false while a box or menu is open over it
};

struct MessageBoxView {
  std::string caption;
  std::string text;
  unsigned type = 0;
  int focused = 0;  // index of the focused button
};

struct MenuView {
  std::vector<std::string> items;  // "" is a separator
  int selected = 0;
};

class DialogPainter {
 public:
  DialogPainter(Canvas& canvas, const Theme& theme, const Glyphs& glyphs)
      : canvas_(canvas), theme_(theme), glyphs_(glyphs) {}

  // --- Geometry ---------------------------------------------------------------
  // The cells a top-level dialog takes, its frame and title line included.
  static CellRect WindowSize(const HeadlessWindow& dialog);
  static CellRect ClientArea(const CellRect& window) {
    return CellRect{window.col + 1, window.row + 1, window.width - 2, window.height - 2};
  }
  // Where a control of `owner` (the dialog, or its page) is drawn, the
  // dialog's client area being `client`.
  static CellRect ControlCells(const HeadlessWindow& owner, const HeadlessControl& control,
                               const CellRect& client);
  // The rows of a drop-down list's open part, as its layout height allows.
  static int ListRows(const HeadlessControl& list);
  // Lines of the formatted-text view at its width.
  static std::vector<std::string> TextLines(const HeadlessControl& view, int width);

  // --- Drawing ------------------------------------------------------------------
  void Desktop();
  void Dialog(const HeadlessWindow& dialog, const CellRect& window, const DialogView& view);
  // The open part of a list below (or, without room, above) its field.
  void OpenList(const HeadlessControl& list, const CellRect& field, int highlighted, int top);
  static CellRect OpenListCells(const HeadlessControl& list, const CellRect& field, int screenRows);
  void MessageBox(const MessageBoxView& box);
  // Where the message box goes on a screen of this size.
  static CellRect MessageBoxCells(const MessageBoxView& box, int columns, int rows);
  void Menu(const MenuView& menu, int row, int col);
  // A framed note in the middle of the screen.
  void Note(const std::string& title, const std::vector<std::string>& lines);

 private:
  void Control(const HeadlessWindow& owner, const HeadlessControl& control, const CellRect& client,
               const DialogView& view);
  void Picture(const CellRect& cells);
  // The caption with its mnemonic underlined; returns the cells used.
  int CaptionText(int row, int col, const std::string& caption, CellStyle style, int maxWidth);
  CellStyle Styled(const HeadlessWindow& owner, const HeadlessControl& control) const;

  Canvas& canvas_;
  const Theme& theme_;
  const Glyphs& glyphs_;
};

}  // namespace setwell::term
