// The interactive front end: it is the modal driver of the in-memory
// windows (the wizard, and the about box over it) and the responder of the
// simulated machine's message boxes. It draws the dialogs in the terminal
// and turns keys into what a user does in a Windows dialog.
//
// Keys: Tab / Shift-Tab between controls; the arrows within a radio group
// or a list; Space checks or presses; Enter presses the focused push button
// or the default one, or opens a focused list (also Alt-Down, F4); Escape
// is Cancel; Alt with the underlined letter (or the letter alone where the
// focus is not on a list); Alt-Space the system menu (the about box);
// F1 help; Ctrl-L redraws.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimMachine.h"
#include "tools/setup_sim/DialogPainter.h"
#include "tools/setup_sim/Keys.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::term {

class TerminalDriver {
 public:
  // The smallest terminal the wizard fits in.
  static constexpr int kMinColumns = 74;
  static constexpr int kMinRows = 25;

  struct Options {
    bool color = true;
    bool unicode = true;
  };

  TerminalDriver(HeadlessUi& ui, sim::SimMachine& machine, TerminalIo& io, Options options);
  TerminalDriver(const TerminalDriver&) = delete;
  TerminalDriver& operator=(const TerminalDriver&) = delete;
  ~TerminalDriver();

  // The frame last written, as text (for tests).
  const std::string& LastFrame() const { return lastFrame_; }
  // How the wizard ended, once it has.
  const std::string& Outcome() const { return outcome_; }

 private:
  struct DialogState {
    HeadlessWindow* window = nullptr;
    ControlRef focus;
    int textTop = 0;
  };
  struct OpenListState {
    ControlRef list;
    int highlighted = 0;
    int top = 0;
  };
  struct MenuState {
    MenuView view;
    std::vector<int> commands;
  };

  void RunDialog(HeadlessWindow& dialog);
  int RunMessageBox(const sim::MessageBoxRecord& box);

  Key ReadKey();
  void Draw();
  CellRect WindowCells(const HeadlessWindow& dialog) const;
  CellRect FieldCells(const DialogState& state, const ControlRef& control) const;

  // --- Keys ---------------------------------------------------------------------
  void HandleKey(DialogState& state, const Key& key);
  void HandleListKey(DialogState& state, const Key& key);
  void HandleMenuKey(DialogState& state, const Key& key);
  void MoveFocus(DialogState& state, bool backwards);
  void Arrow(DialogState& state, int step);
  void Press(DialogState& state, const ControlRef& control);
  void Cancel(DialogState& state);
  void OpenList(DialogState& state);
  void OpenMenu(DialogState& state);
  void Help(DialogState& state);

  // --- Focus ----------------------------------------------------------------------
  // Whether the control's window is still the dialog or its shown page.
  bool Alive(const DialogState& state, const ControlRef& control) const;
  // Before an action: the windows forget their focus, so that afterwards
  // a focus the program set (the frame's SetFocus) or a click made is seen.
  void ForgetFocus(DialogState& state);
  // After an action: takes the focus the program set, keeps it on a control
  // that can have it, and tells the windows where it is.
  void SyncFocus(DialogState& state);

  HeadlessUi& ui_;
  sim::SimMachine& machine_;
  TerminalIo& io_;
  Options options_;
  Theme theme_;
  // A deque: a nested dialog (the about box) must not move the states of
  // the dialogs below it while their handlers run.
  std::deque<DialogState> dialogs_;
  std::optional<OpenListState> list_;
  std::optional<MenuState> menu_;
  std::optional<std::vector<std::string>> note_;
  std::optional<MessageBoxView> box_;
  std::string lastFrame_;
  std::string outcome_;
};

}  // namespace setwell::term
