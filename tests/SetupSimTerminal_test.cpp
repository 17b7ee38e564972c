// The interactive front end driven with keys, in process: a full install
// with the screen checked before each key, questions answered from the
// keyboard, a terminal that is too small and then grows, and where the
// layout tables put each control on a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/CSetupApp.h"
#include "sim/SimMachine.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_sim/DialogNavigation.h"
#include "tools/setup_sim/DialogPainter.h"
#include "script/DialogText.h"
#include "sim/SimFamilyPorts.h"
#include "tools/setup_sim/TerminalDriver.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

using term::CharKey;
using term::CodeKey;
using term::Key;
using term::KeyCode;

struct KeyStep {
  Key key;
  const char* expect = "";  // on the screen before the key is pressed
  int columns = 0;          // the terminal takes this size with the key
  int rows = 0;
};

// Keys from a list; the screen the driver drew last is checked before each.
class ScriptedTerminal : public term::TerminalIo {
 public:
  explicit ScriptedTerminal(std::vector<KeyStep> steps) : steps_(std::move(steps)) {}
  void SetDriver(const term::TerminalDriver* driver) { driver_ = driver; }

  Key ReadKey() override {
    if (next_ >= steps_.size()) throw term::InputClosed();
    const KeyStep& step = steps_[next_++];
    const std::string& screen = driver_->LastFrame();
    if (*step.expect != '\0' && screen.find(step.expect) == std::string::npos) {
      ADD_FAILURE() << "before key " << next_ << ": \"" << step.expect
                    << "\" is not on the screen:\n"
                    << screen;
    }
    if (step.columns != 0) {
      columns_ = step.columns;
      rows_ = step.rows;
    }
    return step.key;
  }
  void Write(const std::string& bytes) override { written_ += bytes.size(); }
  int Columns() const override { return columns_; }
  int Rows() const override { return rows_; }
  std::size_t KeysLeft() const { return steps_.size() - next_; }
  void SetSize(int columns, int rows) {
    columns_ = columns;
    rows_ = rows;
  }

 private:
  std::vector<KeyStep> steps_;
  std::size_t next_ = 0;
  const term::TerminalDriver* driver_ = nullptr;
  int columns_ = 80;
  int rows_ = 25;
  std::size_t written_ = 0;
};

class TerminalDriverTest : public ::testing::Test {
 protected:
  void Prepare(sim::SimOs os, std::initializer_list<WORD> usb) {
    machine = std::make_unique<sim::SimMachine>(os);
    machine->InstallUsbLibrary(machine->system.systemDirectory);
    int position = 0;
    for (WORD value : usb) machine->usb.Attach(position++, value);
    ASSERT_TRUE(machine->MountDistribution(testing_support::kDistribution));
    sim::DeclareFamilyMonitorPorts(*machine);
  }
  // Runs the wizard with these keys; false when the keys ran out first.
  bool Run(ScriptedTerminal& terminal) {
    HeadlessUi ui;
    term::TerminalDriver driver(ui, *machine, terminal,
                                term::TerminalDriver::Options{false, false});
    terminal.SetDriver(&driver);
    try {
      CSetupApp app(ui, *machine);
      app.Run();
    } catch (const term::InputClosed&) {
      return false;
    }
    outcome = driver.Outcome();
    return true;
  }

  std::unique_ptr<sim::SimMachine> machine;
  std::string outcome;
};

TEST_F(TerminalDriverTest, FullInstallWithTheKeyboardOnly) {
  Prepare(sim::kWinXP, {8});
  ScriptedTerminal terminal({
      {CodeKey(KeyCode::kTab), "Legal Agreement"},                 // onto the radio buttons
      {CodeKey(KeyCode::kLeft), "( ) I Accept  (*) I Reject"},     // accept
      {CodeKey(KeyCode::kEnter), "(*) I Accept  ( ) I Reject"},    // Next, the default button
      {CodeKey(KeyCode::kBackTab), "(*) Receipt"},                 // focus on Next: to Back
      {CodeKey(KeyCode::kBackTab)},                                // to the check box
      {CharKey(' ')},                                              // check it
      {CodeKey(KeyCode::kBackTab), "[x] Set As Default Printer"},  // the receipt list
      {CodeKey(KeyCode::kEnter), "[SW-R80"},                       // open it
      {CodeKey(KeyCode::kDown), " SW-RXQ-K880"},  // the open list shows every model
      {CodeKey(KeyCode::kEscape)},                // closed, nothing chosen
      {CodeKey(KeyCode::kDown), "[SW-R80"},       // SW-R58
      {CodeKey(KeyCode::kUp), "[SW-R58"},         // back to SW-R80
      {CharKey('n', true), "[SW-R80"},            // Alt+N: Next
      {CharKey('n', true), "Remarks:"},           // setup type page
      {CharKey('n', true), "(*) Windows XP"},     // target system page
      {CodeKey(KeyCode::kF1), "USB_SW-R80_1"},    // port page: help
      {CharKey('x'), "Guide.CHM"},                // the note goes with any key
      {CharKey(' ', true), "Requires USB device driver to be installed"},  // system menu
      {CodeKey(KeyCode::kDown), "Close"},
      {CodeKey(KeyCode::kEnter), "About Setwell Setup..."},  // the about box
      {CodeKey(KeyCode::kEnter), "Setwell Version"},         // its OK
      {CharKey('f', true), ">[Finish (F)]"},                 // Alt+F: Finish
      {CodeKey(KeyCode::kEnter), "Please repower the printer"},
  });
  ASSERT_TRUE(Run(terminal));
  EXPECT_EQ(terminal.KeysLeft(), 0u);
  EXPECT_EQ(outcome, "finished: the install ran to its end");
  const sim::SimPrinter* printer = machine->spooler.FindPrinter("SW-R80(U) 1");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->portName, "USB_SW-R80_1");
  EXPECT_EQ(machine->spooler.DefaultPrinter(), "SW-R80(U) 1");
  EXPECT_EQ(machine->shellOpened, std::vector<std::string>{".\\Guide.CHM"});
}

TEST_F(TerminalDriverTest, QuestionAnsweredNoKeepsTheWizardOpenAndEscapeCancels) {
  Prepare(sim::kWinXP, {10});  // device number 3: the typical port wants 1
  ScriptedTerminal terminal({
      {CharKey('a', true)},  // Alt+A: I Accept
      {CodeKey(KeyCode::kEnter)},
      {CodeKey(KeyCode::kEnter)},
      {CodeKey(KeyCode::kEnter)},
      {CodeKey(KeyCode::kEnter), "Windows XP"},
      {CodeKey(KeyCode::kEnter), "Finish (F)"},
      {CodeKey(KeyCode::kEscape),
       "This application will change printer name"},  // no Cancel: ignored
      {CodeKey(KeyCode::kRight), ">[ Yes  ]"},
      {CharKey(' '), ">[  No  ]"},                      // Space presses the focused No
      {CodeKey(KeyCode::kEscape), "Set Printer Port"},  // the wizard is still open: Cancel
  });
  ASSERT_TRUE(Run(terminal));
  EXPECT_EQ(outcome, "cancelled");
  EXPECT_TRUE(machine->spooler.Printers().empty());
  ASSERT_FALSE(machine->ui.boxes.empty());
  EXPECT_EQ(machine->ui.boxes.back().answer, IDNO);
}

// The keys move as the host's dialog manager moves them: the arrows walk the
// category buttons (skipping none here) and leave the model lists alone,
// Tab goes from the checked button to the enabled list and the check box,
// and Enter presses a focused push button, Cancel included.
TEST_F(TerminalDriverTest, ArrowsWalkTheCategoriesAndEnterPressesTheFocusedButton) {
  Prepare(sim::kWinXP, {});
  ScriptedTerminal terminal({
      {CharKey('a', true)},        // Alt+A: I Accept
      {CodeKey(KeyCode::kEnter)},  // Next
      {CodeKey(KeyCode::kBackTab), "(*) Receipt"},  // from Next to Back
      {CodeKey(KeyCode::kBackTab)},                 // the check box
      {CodeKey(KeyCode::kBackTab)},                 // the receipt list
      {CodeKey(KeyCode::kBackTab), "[SW-R80"},      // the checked category
      {CodeKey(KeyCode::kDown), "(*) Receipt"},     // Ticket, and its list with it
      {CodeKey(KeyCode::kDown), "(*) Ticket"},      // Label
      {CodeKey(KeyCode::kUp), "(*) Label"},         // Ticket again
      {CodeKey(KeyCode::kTab), "(*) Ticket"},       // the ticket list
      {CodeKey(KeyCode::kTab), "[SW-T80"},          // the check box
      {CodeKey(KeyCode::kTab)},                     // Back
      {CodeKey(KeyCode::kTab)},                     // Next
      {CodeKey(KeyCode::kTab)},                     // Cancel
      {CodeKey(KeyCode::kEnter), ">[Cancel (C)]"},  // the focused Cancel, not Next
  });
  ASSERT_TRUE(Run(terminal));
  EXPECT_EQ(terminal.KeysLeft(), 0u);
  EXPECT_EQ(outcome, "cancelled");
}

TEST_F(TerminalDriverTest, TooSmallTerminalWaitsUntilItGrows) {
  Prepare(sim::kWin98, {});
  ScriptedTerminal terminal({
      {CodeKey(KeyCode::kResize), "", 60, 20},
      {CharKey('a', true), "The terminal is too small (60x20)"},  // ignored while too small
      {CodeKey(KeyCode::kResize), "", 100, 30},
      {CharKey('c', true), "(*) I Reject"},  // Alt+C: Cancel, on the full-size wizard
  });
  terminal.SetSize(80, 25);
  ASSERT_TRUE(Run(terminal));
  EXPECT_EQ(outcome, "cancelled");
  EXPECT_EQ(terminal.KeysLeft(), 0u);
}

// --- Where the controls go --------------------------------------------------------------

// The cells a control draws on: its caption may run past its layout width.
term::CellRect DrawnCells(const HeadlessWindow& owner, const HeadlessControl& c) {
  term::CellRect cells = term::DialogPainter::ControlCells(owner, c, term::CellRect{1, 1, 72, 23});
  const int caption = static_cast<int>(term::ParseCaption(c.text).text.size());
  if (c.kind == ControlKind::kRadioButton || c.kind == ControlKind::kCheckBox) {
    cells.width = std::max(cells.width, 4 + caption);
  } else if (c.kind == ControlKind::kStatic) {
    cells.width = std::max(cells.width, caption);
  }
  return cells;
}

bool OneLine(ControlKind kind) {
  return kind != ControlKind::kGroupBox && kind != ControlKind::kEtchedLine &&
         kind != ControlKind::kEtchedFrame && kind != ControlKind::kBitmap &&
         kind != ControlKind::kRichText && kind != ControlKind::kIcon;
}

TEST(DialogGeometry, EveryPageFitsThePageAreaAndNoTwoControlsShareCells) {
  sim::SimMachine machine;
  machine.MountDistribution(testing_support::kDistribution);
  HeadlessUi ui;
  int pages = 0;
  ui.modalDriver = [&](HeadlessWindow& wizard) {
    const term::CellRect window = term::DialogPainter::WindowSize(wizard);
    EXPECT_LE(window.width, term::TerminalDriver::kMinColumns);
    EXPECT_LE(window.height, term::TerminalDriver::kMinRows);
    const term::CellRect area = term::DialogPainter::ControlCells(
        wizard, *wizard.Find(IDC_PAGE_AREA), term::CellRect{1, 1, 72, 23});
    for (HeadlessWindow* page : wizard.Children()) {
      ++pages;
      std::vector<std::pair<term::CellRect, std::string>> placed;
      for (const HeadlessControl& c : page->Controls()) {
        const term::CellRect cells = DrawnCells(*page, c);
        const std::string what = term::PageName(page->TemplateId()) + " \"" + c.text + "\"";
        EXPECT_GE(cells.col, area.col) << what;
        EXPECT_GE(cells.row, area.row) << what;
        EXPECT_LE(cells.Right(), area.Right() + 1) << what;
        EXPECT_LE(cells.Bottom(), area.Bottom() + 1) << what;
        if (!OneLine(c.kind)) continue;
        for (const auto& [other, name] : placed) {
          const bool overlap =
              other.row == cells.row && other.col < cells.Right() && cells.col < other.Right();
          EXPECT_FALSE(overlap) << what << " runs into " << name;
        }
        placed.emplace_back(cells, what);
      }
    }
    wizard.Click(IDCANCEL_RESULT);
  };
  CSetupApp app(ui, machine);
  app.Run();
  EXPECT_EQ(pages, 5);
}

TEST(DialogNavigation, TabOrderGroupsAndMnemonics) {
  sim::SimMachine machine;
  machine.MountDistribution(testing_support::kDistribution);
  HeadlessUi ui;
  ui.modalDriver = [&](HeadlessWindow& wizard) {
    HeadlessWindow* licence = wizard.VisibleChild();
    ASSERT_NE(licence, nullptr);
    // The view, the radio group as one stop (its checked button), then the
    // wizard's enabled buttons.
    std::vector<int> ids;
    for (const term::ControlRef& stop : term::TabStops(wizard)) ids.push_back(stop.id);
    EXPECT_EQ(ids, (std::vector<int>{IDC_AGREEMENT, IDC_REJECT, IDCANCEL_RESULT}));
    EXPECT_EQ(term::FindMnemonic(wizard, 'a')->id, IDC_ACCEPT);
    EXPECT_FALSE(term::FindMnemonic(wizard, 'n').has_value());  // Next is disabled
    licence->Click(IDC_ACCEPT);
    EXPECT_EQ(term::FindMnemonic(wizard, 'n')->id, IDOK_RESULT);
    EXPECT_EQ(term::DefaultButton(wizard, term::ControlRef{licence, IDC_ACCEPT}), IDOK_RESULT);
    EXPECT_EQ(term::DefaultButton(wizard, term::ControlRef{&wizard, IDCANCEL_RESULT}),
              IDCANCEL_RESULT);

    wizard.Click(IDOK_RESULT);
    HeadlessWindow* model = wizard.VisibleChild();
    ids.clear();
    for (const term::ControlRef& stop : term::TabStops(wizard)) ids.push_back(stop.id);
    EXPECT_EQ(ids, (std::vector<int>{IDC_RECEIPT, IDC_RECEIPT_MODELS, IDC_DEFAULT_PRINTER, IDC_BACK,
                                     IDOK_RESULT, IDCANCEL_RESULT}));
    std::vector<int> group;
    for (const term::ControlRef& radio : term::RadioGroup(term::ControlRef{model, IDC_LABEL})) {
      group.push_back(radio.id);
    }
    EXPECT_EQ(group, (std::vector<int>{IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED}));
    // From a radio button that is not its group's stop, Tab goes on after the group.
    EXPECT_EQ(term::NextTabStop(wizard, term::ControlRef{model, IDC_LABEL}, false)->id,
              IDC_RECEIPT_MODELS);
    EXPECT_EQ(term::NextTabStop(wizard, term::ControlRef{&wizard, IDCANCEL_RESULT}, false)->id,
              IDC_RECEIPT);
    EXPECT_EQ(term::NextTabStop(wizard, term::ControlRef{model, IDC_RECEIPT}, true)->id,
              IDCANCEL_RESULT);
    wizard.Click(IDCANCEL_RESULT);
  };
  CSetupApp app(ui, machine);
  app.Run();
}

}  // namespace
}  // namespace setwell
