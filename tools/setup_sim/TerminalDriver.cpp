#include "tools/setup_sim/TerminalDriver.h"

#include <algorithm>
#include <cctype>

#include "tools/setup_sim/DialogNavigation.h"
#include "script/DialogText.h"

namespace setwell::term {
namespace {

constexpr int kCloseCommand = 0xF060;  // SC_CLOSE

HeadlessWindow& Mutable(const ControlRef& ref) { return *const_cast<HeadlessWindow*>(ref.window); }

bool IsKind(const HeadlessControl* c, ControlKind kind) { return c != nullptr && c->kind == kind; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The entry after `from` whose text begins with `letter`, wrapping; or -1.
int ItemStartingWith(const HeadlessControl& list, int from, char letter) {
  const int count = static_cast<int>(list.items.size());
  for (int step = 1; step <= count; ++step) {
    const int index = ((from < 0 ? -1 : from) + step + count) % count;
    const std::string& item = list.items[index];
    if (!item.empty() && Lower(item[0]) == Lower(letter)) return index;
  }
  return -1;
}

}  // namespace

TerminalDriver::TerminalDriver(HeadlessUi& ui, sim::SimMachine& machine, TerminalIo& io,
                               Options options)
    : ui_(ui), machine_(machine), io_(io), options_(options), theme_(Theme::Make(options.color)) {
  ui_.modalDriver = [this](HeadlessWindow& dialog) { RunDialog(dialog); };
  machine_.ui.responder = [this](const sim::MessageBoxRecord& box) { return RunMessageBox(box); };
}

TerminalDriver::~TerminalDriver() {
  ui_.modalDriver = nullptr;
  machine_.ui.responder = nullptr;
}

// --- The loops -------------------------------------------------------------------------

void TerminalDriver::RunDialog(HeadlessWindow& dialog) {
  DialogState opened;
  opened.window = &dialog;
  dialogs_.push_back(opened);
  const std::size_t index = dialogs_.size() - 1;
  list_.reset();
  menu_.reset();
  SyncFocus(dialogs_[index]);
  while (!dialog.Ended()) {
    Draw();
    const Key key = ReadKey();
    DialogState& state = dialogs_[index];
    ForgetFocus(state);
    if (note_) {
      note_.reset();
    } else if (list_) {
      HandleListKey(state, key);
    } else if (menu_) {
      HandleMenuKey(state, key);
    } else {
      HandleKey(state, key);
    }
    SyncFocus(dialogs_[index]);
  }
  list_.reset();
  menu_.reset();
  if (dialog.TemplateId() == IDD_WIZARD) outcome_ = DescribeWizardEnd(dialog);
  dialogs_.pop_back();
}

int TerminalDriver::RunMessageBox(const sim::MessageBoxRecord& record) {
  const std::vector<BoxButton> buttons = MessageBoxButtons(record.type);
  box_ = MessageBoxView{record.caption, record.text, record.type, 0};
  const int count = static_cast<int>(buttons.size());
  int answer = 0;
  while (answer == 0) {
    Draw();
    const Key key = ReadKey();
    int& focused = box_->focused;
    switch (key.code) {
      case KeyCode::kLeft:
      case KeyCode::kUp:
      case KeyCode::kBackTab:
        focused = (focused + count - 1) % count;
        break;
      case KeyCode::kRight:
      case KeyCode::kDown:
      case KeyCode::kTab:
        focused = (focused + 1) % count;
        break;
      case KeyCode::kEnter:
        answer = buttons[focused].id;
        break;
      case KeyCode::kEscape:
        // Escape is Cancel where there is one, OK in a box that has only
        // OK, and nothing in a Yes/No question.
        for (const BoxButton& button : buttons) {
          if (button.id == IDCANCEL) answer = IDCANCEL;
        }
        if (count == 1) answer = buttons.front().id;
        break;
      case KeyCode::kChar:
        if (key.ch == ' ') {
          answer = buttons[focused].id;
          break;
        }
        for (const BoxButton& button : buttons) {
          if (MnemonicOf(button.caption) == Lower(key.ch)) answer = button.id;
        }
        break;
      default:
        break;
    }
  }
  box_.reset();
  return answer;
}

Key TerminalDriver::ReadKey() {
  for (;;) {
    const Key key = io_.ReadKey();
    const bool tooSmall = io_.Columns() < kMinColumns || io_.Rows() < kMinRows;
    if (key.code == KeyCode::kResize || key.code == KeyCode::kRedraw || tooSmall) {
      Draw();
      continue;
    }
    return key;
  }
}

// --- Drawing ---------------------------------------------------------------------------------

CellRect TerminalDriver::WindowCells(const HeadlessWindow& dialog) const {
  CellRect cells = DialogPainter::WindowSize(dialog);
  cells.col = std::max(0, (io_.Columns() - cells.width) / 2);
  cells.row = std::max(0, (io_.Rows() - cells.height) / 2);
  return cells;
}

CellRect TerminalDriver::FieldCells(const DialogState& state, const ControlRef& control) const {
  return DialogPainter::ControlCells(*control.window, *control.Get(),
                                     DialogPainter::ClientArea(WindowCells(*state.window)));
}

void TerminalDriver::Draw() {
  const int columns = io_.Columns();
  const int rows = io_.Rows();
  Canvas canvas(columns, rows);
  const Glyphs& glyphs = options_.unicode ? Glyphs::Unicode() : Glyphs::Ascii();
  DialogPainter painter(canvas, theme_, glyphs);
  painter.Desktop();
  if (columns < kMinColumns || rows < kMinRows) {
    const std::string size = std::to_string(columns) + "x" + std::to_string(rows);
    const std::string needed = std::to_string(kMinColumns) + "x" + std::to_string(kMinRows);
    canvas.Text(0, 0, "The terminal is too small (" + size + ").", theme_.title);
    canvas.Text(1, 0, "The wizard needs " + needed + ": enlarge the window.", theme_.title);
    canvas.Text(2, 0, "Ctrl-C stops (nothing is saved).", theme_.title);
  } else {
    CellRect top{};
    for (std::size_t i = 0; i < dialogs_.size(); ++i) {
      const DialogState& state = dialogs_[i];
      if (state.window->Ended()) continue;
      const bool isTop = i + 1 == dialogs_.size();
      const CellRect cells = WindowCells(*state.window);
      DialogView view;
      view.focus = Alive(state, state.focus) ? state.focus : ControlRef{};
      view.defaultId = DefaultButton(*state.window, view.focus);
      view.textTop = state.textTop;
      view.active = isTop && !menu_ && !note_ && !box_;
      painter.Dialog(*state.window, cells, view);
      if (isTop) {
        top = cells;
        if (list_ && Alive(state, list_->list) && !box_) {
          painter.OpenList(*list_->list.Get(), FieldCells(state, list_->list), list_->highlighted,
                           list_->top);
        }
      }
    }
    if (menu_) painter.Menu(menu_->view, top.row + 1, top.col + 1);
    if (note_) painter.Note("Help", *note_);
    if (box_) painter.MessageBox(*box_);
    if (rows > kMinRows && !box_) {
      canvas.Text(rows - 1, 1,
                  "Tab: next control  Space/Enter: press  Alt+letter  Alt+Space: menu  "
                  "F1: help  Esc: cancel",
                  theme_.desktop, columns - 2);
    }
  }
  lastFrame_ = canvas.ToText();
  io_.Write(canvas.ToAnsi(options_.color));
}

// --- Keys --------------------------------------------------------------------------------------

void TerminalDriver::HandleKey(DialogState& state, const Key& key) {
  HeadlessWindow& dialog = *state.window;
  const HeadlessControl* focused = Alive(state, state.focus) ? state.focus.Get() : nullptr;
  const bool onList = IsKind(focused, ControlKind::kDropDownList);
  switch (key.code) {
    case KeyCode::kTab:
      MoveFocus(state, false);
      break;
    case KeyCode::kBackTab:
      MoveFocus(state, true);
      break;
    case KeyCode::kEscape:
      if (!key.alt) Cancel(state);
      break;
    case KeyCode::kEnter: {
      if (onList) {
        OpenList(state);
        break;
      }
      const int id = DefaultButton(dialog, focused != nullptr ? state.focus : ControlRef{});
      const bool focusedPush = focused != nullptr && focused->id == id &&
                               (focused->kind == ControlKind::kPushButton ||
                                focused->kind == ControlKind::kDefPushButton);
      if (id != 0) Press(state, focusedPush ? state.focus : ControlRef{&dialog, id});
      break;
    }
    case KeyCode::kF1:
      Help(state);
      break;
    case KeyCode::kF4:
      if (key.alt) {
        Cancel(state);
      } else if (onList) {
        OpenList(state);
      }
      break;
    case KeyCode::kUp:
    case KeyCode::kLeft:
      if (key.alt && onList) {
        OpenList(state);
      } else {
        Arrow(state, -1);
      }
      break;
    case KeyCode::kDown:
    case KeyCode::kRight:
      if (key.alt && onList) {
        OpenList(state);
      } else {
        Arrow(state, 1);
      }
      break;
    case KeyCode::kPageUp:
    case KeyCode::kPageDown:
    case KeyCode::kHome:
    case KeyCode::kEnd: {
      if (focused == nullptr) break;
      const bool up = key.code == KeyCode::kPageUp || key.code == KeyCode::kHome;
      const bool far = key.code == KeyCode::kHome || key.code == KeyCode::kEnd;
      if (onList) {
        const int count = static_cast<int>(focused->items.size());
        const int page = DialogPainter::ListRows(*focused);
        const int target = far ? (up ? 0 : count - 1)
                               : std::clamp(focused->selection + (up ? -page : page), 0, count - 1);
        if (count > 0 && target != focused->selection)
          Mutable(state.focus).Select(focused->id, target);
      } else if (IsKind(focused, ControlKind::kRichText)) {
        const int rows = FieldCells(state, state.focus).height;
        Arrow(state, far ? (up ? -1000000 : 1000000) : (up ? -(rows - 1) : rows - 1));
      }
      break;
    }
    case KeyCode::kChar: {
      if (key.alt && key.ch == ' ') {
        OpenMenu(state);
        break;
      }
      if (!key.alt && key.ch == ' ') {
        if (focused != nullptr && !onList && !IsKind(focused, ControlKind::kRichText)) {
          Press(state, state.focus);
        }
        break;
      }
      if (!key.alt && onList) {
        const int index = ItemStartingWith(*focused, focused->selection, key.ch);
        if (index >= 0 && index != focused->selection)
          Mutable(state.focus).Select(focused->id, index);
        break;
      }
      // Alt with the letter, or the letter alone as in a Windows dialog
      // whose focused control takes no typing.
      if (std::optional<ControlRef> target = FindMnemonic(dialog, Lower(key.ch))) {
        const HeadlessControl* control = target->Get();
        state.focus = *target;
        if (control->kind != ControlKind::kDropDownList &&
            control->kind != ControlKind::kRichText) {
          Press(state, *target);
        }
      }
      break;
    }
    default:
      break;
  }
}

void TerminalDriver::HandleListKey(DialogState& state, const Key& key) {
  if (!Alive(state, list_->list)) {
    list_.reset();
    return;
  }
  const HeadlessControl& list = *list_->list.Get();
  const int count = static_cast<int>(list.items.size());
  const int rows =
      DialogPainter::OpenListCells(list, FieldCells(state, list_->list), io_.Rows()).height;
  int& highlighted = list_->highlighted;
  auto commit = [&] {
    const ControlRef ref = list_->list;
    const int chosen = list_->highlighted;
    list_.reset();
    if (chosen >= 0 && chosen < count && chosen != ref.Get()->selection) {
      Mutable(ref).Select(ref.id, chosen);
    }
  };
  switch (key.code) {
    case KeyCode::kUp:
    case KeyCode::kDown:
      if (key.alt) {
        commit();
        return;
      }
      highlighted += key.code == KeyCode::kUp ? -1 : 1;
      break;
    case KeyCode::kPageUp:
      highlighted -= rows;
      break;
    case KeyCode::kPageDown:
      highlighted += rows;
      break;
    case KeyCode::kHome:
      highlighted = 0;
      break;
    case KeyCode::kEnd:
      highlighted = count - 1;
      break;
    case KeyCode::kEnter:
    case KeyCode::kF4:
      commit();
      return;
    case KeyCode::kTab:
    case KeyCode::kBackTab:
      commit();
      MoveFocus(state, key.code == KeyCode::kBackTab);
      return;
    case KeyCode::kEscape:
      list_.reset();
      return;
    case KeyCode::kChar:
      if (key.ch == ' ') {
        commit();
        return;
      }
      if (const int index = ItemStartingWith(list, highlighted, key.ch); index >= 0) {
        highlighted = index;
      }
      break;
    default:
      break;
  }
  highlighted = std::clamp(highlighted, 0, std::max(0, count - 1));
  if (highlighted < list_->top) list_->top = highlighted;
  if (highlighted >= list_->top + rows) list_->top = highlighted - rows + 1;
}

void TerminalDriver::HandleMenuKey(DialogState& state, const Key& key) {
  MenuView& view = menu_->view;
  const int count = static_cast<int>(view.items.size());
  auto step = [&](int direction) {
    for (int i = 0; i < count; ++i) {
      view.selected = (view.selected + direction + count) % count;
      if (!view.items[view.selected].empty()) return;
    }
  };
  auto run = [&](int index) {
    const int command = menu_->commands[index];
    menu_.reset();
    if (command == kCloseCommand) {
      Cancel(state);
    } else {
      state.window->SysCommand(command);
    }
  };
  switch (key.code) {
    case KeyCode::kUp:
      step(-1);
      break;
    case KeyCode::kDown:
      step(1);
      break;
    case KeyCode::kEnter:
      run(view.selected);
      break;
    case KeyCode::kEscape:
      menu_.reset();
      break;
    case KeyCode::kChar:
      if (key.ch == ' ') {
        if (key.alt) {
          menu_.reset();
        } else {
          run(view.selected);
        }
        break;
      }
      for (int i = 0; i < count; ++i) {
        if (!view.items[i].empty() && MnemonicOf(view.items[i]) == Lower(key.ch)) {
          run(i);
          break;
        }
      }
      break;
    default:
      break;
  }
}

void TerminalDriver::MoveFocus(DialogState& state, bool backwards) {
  const ControlRef from = Alive(state, state.focus) ? state.focus : ControlRef{};
  if (std::optional<ControlRef> next = NextTabStop(*state.window, from, backwards)) {
    state.focus = *next;
  }
}

void TerminalDriver::Arrow(DialogState& state, int step) {
  const HeadlessControl* focused = Alive(state, state.focus) ? state.focus.Get() : nullptr;
  if (focused == nullptr) {
    MoveFocus(state, step < 0);
    return;
  }
  switch (focused->kind) {
    case ControlKind::kRadioButton: {
      // An automatic radio button is checked as the arrow reaches it.
      const std::vector<ControlRef> group = RadioGroup(state.focus);
      if (group.size() < 2) break;
      const int count = static_cast<int>(group.size());
      const int at =
          static_cast<int>(std::find(group.begin(), group.end(), state.focus) - group.begin());
      const ControlRef next =
          group[static_cast<std::size_t>(((at + step) % count + count) % count)];
      state.focus = next;
      Press(state, next);
      break;
    }
    case ControlKind::kDropDownList: {
      const int count = static_cast<int>(focused->items.size());
      if (count == 0) break;
      const int target =
          std::clamp(focused->selection < 0 ? 0 : focused->selection + step, 0, count - 1);
      if (target != focused->selection) Mutable(state.focus).Select(focused->id, target);
      break;
    }
    case ControlKind::kRichText: {
      const CellRect cells = FieldCells(state, state.focus);
      const int lines =
          static_cast<int>(DialogPainter::TextLines(*focused, std::max(1, cells.width - 2)).size());
      state.textTop = std::clamp(state.textTop + step, 0, std::max(0, lines - cells.height));
      break;
    }
    default:
      MoveFocus(state, step < 0);
      break;
  }
}

void TerminalDriver::Press(DialogState& state, const ControlRef& control) {
  state.focus = control;
  Mutable(control).Click(control.id);
}

void TerminalDriver::Cancel(DialogState& state) {
  HeadlessWindow& dialog = *state.window;
  const HeadlessControl* cancel = dialog.Find(IDCANCEL_RESULT);
  if (cancel != nullptr) {
    dialog.Click(IDCANCEL_RESULT);
  } else {
    // A dialog without a Cancel button still gets the cancel command.
    dialog.Owner().OnCommand(IDCANCEL_RESULT, BN_CLICKED);
  }
}

void TerminalDriver::OpenList(DialogState& state) {
  const HeadlessControl* list = state.focus.Get();
  if (!IsKind(list, ControlKind::kDropDownList) || !list->enabled || list->items.empty()) return;
  const int rows =
      DialogPainter::OpenListCells(*list, FieldCells(state, state.focus), io_.Rows()).height;
  OpenListState open{state.focus, std::max(0, list->selection), 0};
  open.top = std::max(0, std::min(open.highlighted, static_cast<int>(list->items.size()) - rows));
  list_ = open;
}

void TerminalDriver::OpenMenu(DialogState& state) {
  MenuState menu;
  menu.view.items.push_back("&Close      Alt+F4");
  menu.commands.push_back(kCloseCommand);
  for (const auto& [command, text] : state.window->SystemMenu()) {
    menu.view.items.push_back(command == 0 ? std::string() : text);
    menu.commands.push_back(command);
  }
  menu_ = menu;
}

void TerminalDriver::Help(DialogState& state) {
  const std::size_t before = machine_.shellOpened.size();
  const bool handled = state.window->PressF1();
  std::vector<std::string> lines;
  if (machine_.shellOpened.size() > before) {
    std::string file = machine_.shellOpened.back();
    std::string path = file;
    if (path.rfind(".\\", 0) == 0) path.erase(0, 2);
    if (path.size() < 2 || path[1] != ':') {
      std::string base = machine_.currentDirectory;
      if (!base.empty() && base.back() != '\\') base += '\\';
      path = base + path;
    }
    lines.push_back("The wizard asks the shell to open " + file + ",");
    lines.push_back("that is " + path + " on this machine.");
    if (machine_.files.Find(path) != nullptr) {
      lines.push_back("Windows would show it in the help viewer.");
    } else {
      lines.push_back("The distribution has no such file: Windows would");
      lines.push_back("show nothing, and the wizard says nothing either.");
    }
  } else if (handled) {
    lines.push_back("The help window is open already; the wizard brings it to the front.");
  } else {
    lines.push_back("This dialog has no help.");
  }
  lines.push_back("");
  lines.push_back("Press a key to go on.");
  note_ = lines;
}

// --- Focus -------------------------------------------------------------------------------------

bool TerminalDriver::Alive(const DialogState& state, const ControlRef& control) const {
  if (control.window == nullptr || state.window->Ended()) return false;
  return control.window == state.window || control.window == state.window->VisibleChild();
}

void TerminalDriver::ForgetFocus(DialogState& state) {
  if (state.window->Ended()) return;
  state.window->SetFocus(0);
  for (HeadlessWindow* child : state.window->Children()) child->SetFocus(0);
}

void TerminalDriver::SyncFocus(DialogState& state) {
  HeadlessWindow& dialog = *state.window;
  if (dialog.Ended()) return;
  std::vector<HeadlessWindow*> windows{&dialog};
  for (HeadlessWindow* child : dialog.Children()) windows.push_back(child);
  // A focus set by the program or by a click since ForgetFocus; the
  // dialog's own first, as the wizard sets its focus last.
  for (HeadlessWindow* window : windows) {
    const ControlRef set{window, window->Focus()};
    if (window->Focus() != 0 && Alive(state, set) && set.Get() != nullptr &&
        TakesFocus(*window, *set.Get())) {
      state.focus = set;
      break;
    }
  }
  if (!Alive(state, state.focus) || state.focus.Get() == nullptr ||
      !TakesFocus(*state.focus.window, *state.focus.Get())) {
    const std::vector<ControlRef> stops = TabStops(dialog);
    state.focus = stops.empty() ? ControlRef{} : stops.front();
  }
  for (HeadlessWindow* window : windows) {
    window->SetFocus(window == state.focus.window ? state.focus.id : 0);
  }
}

}  // namespace setwell::term
