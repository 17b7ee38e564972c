// The pages on their own, on in-memory windows and the simulated machine.
#include <gtest/gtest.h>

#include <functional>

#include "pages/CNoteLabel.h"
#include "pages/CPortPage.h"
#include "pages/CTargetSystemPage.h"
#include "sim/SimMachine.h"
#include "ui/CWinApp.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

class PageApp : public CWinApp {
 public:
  using CWinApp::CWinApp;
  bool InitInstance() override { return false; }
};

// Runs `body` with `page` created inside a modal parent.
void WithPage(sim::SimMachine& machine, CDialog& page,
              const std::function<void(HeadlessWindow&)>& body) {
  HeadlessUi ui;
  PageApp app(ui, machine);
  CDialog parent(IDD_WIZARD);
  ui.modalDriver = [&](HeadlessWindow&) {
    ASSERT_TRUE(page.Create(page.TemplateId(), &parent));
    body(*ui.FindWindow(page.TemplateId()));
    page.DestroyWindow();
    parent.EndDialog(IDCANCEL_RESULT);
  };
  parent.DoModal();
}

TEST(TargetSystemPageTest, RunningSystemDecidesTheOnlyEnabledButton) {
  struct Case {
    sim::SimOs os;
    int target;
    int checked;  // 0: none
    bool message;
  };
  const Case cases[] = {
      {sim::kWin95, 0, 0, false},          {sim::kWin98, 0, IDC_WIN98, false},
      {sim::kWinMe, 0, IDC_WIN98, false},  {sim::kWinNT4, 1, IDC_WINNT, false},
      {sim::kWin2000, 2, IDC_WIN2000, false}, {sim::kWinXP, 3, IDC_WINXP, false},
      {sim::kWin2003, 4, IDC_WIN2003, false}, {sim::kWinNT6, 0, 0, false},
      {sim::kUnknownFamily, 0, 0, true},
  };
  const int buttons[5] = {IDC_WIN98, IDC_WINNT, IDC_WIN2000, IDC_WINXP, IDC_WIN2003};
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::SimSystem::For(c.os).name);
    sim::SimMachine machine(c.os);
    CTargetSystemPage page(machine);
    WithPage(machine, page, [&](HeadlessWindow& w) {
      EXPECT_EQ(page.m_targetSystem, c.target);
      EXPECT_EQ(page.GetCheckedRadioButton(IDC_WIN98, IDC_WIN2003), c.checked);
      for (int i = 0; i < 5; ++i) EXPECT_EQ(w.IsEnabled(buttons[i]), i == c.target) << buttons[i];
    });
    EXPECT_EQ(machine.ui.Texts(),
              c.message ? std::vector<std::string>{"This driver doesn't work on this system.\n"
                                                   "Please click \"Cancel\" button to cancel this program."}
                        : std::vector<std::string>{});
  }
}

// A port page for models of one category file.
struct PortPageBench {
  explicit PortPageBench(sim::SimOs os) : machine(os) {
    machine.PutDistributionFile(
        "DRVCONFIG\\setup_receipt.ini",
        "[U.PORT]\r\nUSBSUPPORTED=1\r\nLPTDEFAULT=1\r\n"
        "[V.PORT]\r\nUSBSUPPORTED=1\r\n"
        "[P.PORT]\r\nLPTDEFAULT=1\r\n"
        "[COMBO.PORT]\r\nUSBSUPPORTED=1\r\n");
    machine.InstallUsbLibrary();
  }
  sim::SimMachine machine;
};

std::vector<std::string> Items(HeadlessWindow& w) { return w.Find(IDC_PORTS)->items; }

TEST(PortPageTest, ListsAndPreselectionByTargetSetupTypeAndPrinter) {
  struct Case {
    const char* name;
    sim::SimOs os;
    int target;
    const char* model;
    int setupType;
    std::vector<WORD> printers;  // descriptor values
    std::vector<std::string> tail;  // entries after the fixed ones
    std::string selected;
    int raster;
    bool note;
    bool serialEnabled;
  };
  const Case cases[] = {
      {"98 plain", sim::kWin98, 0, "none", 1, {}, {}, "COM1:", 0, false, true},
      {"2000 typical lpt default", sim::kWin2000, 2, "U", 1, {}, {"USB_U_1"}, "LPT1:", 1, false, false},
      {"2000 typical printer", sim::kWin2000, 2, "U", 1, {10}, {"USB_U_1"}, "USB_U_1", 1, true, false},
      {"xp advanced printer 3", sim::kWinXP, 3, "U", 0, {10},
       {"USB_U_1", "USB_U_2", "USB_U_3", "USB_U_4"}, "USB_U_3", 1, true, false},
      // Device number 6 has no entry: entry 0 is selected first.
      {"xp advanced printer 6", sim::kWinXP, 3, "V", 0, {5},
       {"USB_V_1", "USB_V_2", "USB_V_3", "USB_V_4"}, "TVCOM1:", 0, false, true},
      // Several printers and no matching entry: the rule for no printer.
      {"xp advanced several", sim::kWinXP, 3, "U", 0, {1, 2},
       {"USB_U_1", "USB_U_2", "USB_U_3", "USB_U_4"}, "LPT1:", 1, false, false},
      {"xp typical several", sim::kWinXP, 3, "V", 1, {1, 2}, {"USB_V_1"}, "USB_V_1", 1, true, false},
      // NT 4.0 lists no USB port: a printer found changes nothing.
      {"nt4 printer", sim::kWinNT4, 1, "U", 1, {0}, {}, "LPT1:", 1, false, false},
      {"lpt default without usb", sim::kWinXP, 3, "P", 1, {0}, {}, "LPT1:", 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PortPageBench bench(c.os);
    for (std::size_t i = 0; i < c.printers.size(); ++i) {
      bench.machine.usb.Attach(static_cast<int>(i), c.printers[i]);
    }
    CPortPage page(bench.machine);
    WithPage(bench.machine, page, [&](HeadlessWindow& w) {
      page.BuildPortList(c.model, c.target, 0, c.setupType);
      std::vector<std::string> expected =
          c.target == 0 ? std::vector<std::string>{"COM1:", "COM2:", "LPT1:"}
                        : std::vector<std::string>{"TVCOM1:", "TVCOM2:", "TVCOM3:", "TVCOM4:", "TVCOM5:",
                                                   "TVCOM6:", "TVCOM7:", "TVCOM8:", "LPT1:", "LPT2:", "LPT3:"};
      expected.insert(expected.end(), c.tail.begin(), c.tail.end());
      EXPECT_EQ(Items(w), expected);
      EXPECT_EQ(w.GetText(IDC_PORTS), c.selected);
      EXPECT_EQ(page.m_portName, c.selected);
      EXPECT_EQ(page.m_raster, c.raster);
      EXPECT_EQ(w.GetCheck(IDC_RASTER), c.raster);
      EXPECT_EQ(w.IsControlVisible(IDC_USB_NOTE), c.note);
      EXPECT_EQ(w.IsEnabled(IDC_BAUD_RATE), c.serialEnabled);
      EXPECT_EQ(w.IsControlVisible(IDC_RASTER), c.setupType == 0);
    });
  }
}

TEST(PortPageTest, RebuildsOnlyWhenModelOrSetupTypeChange) {
  PortPageBench bench(sim::kWinXP);
  CPortPage page(bench.machine);
  WithPage(bench.machine, page, [&](HeadlessWindow& w) {
    page.BuildPortList("U", 3, 0, kTypicalSetup);
    w.SelectText(IDC_PORTS, "TVCOM3:");
    w.SelectText(IDC_STOP_BITS, "1.5");
    const std::size_t probes = bench.machine.usb.calls.size();
    page.BuildPortList("U", 3, 0, kTypicalSetup);  // same model and setup type
    EXPECT_EQ(w.GetText(IDC_PORTS), "TVCOM3:");
    EXPECT_EQ(page.m_raster, 0);
    EXPECT_EQ(bench.machine.usb.calls.size(), probes);  // not even probed
    page.BuildPortList("U", 3, 0, kAdvancedSetup);  // advanced: rebuilt
    EXPECT_EQ(w.GetText(IDC_PORTS), "LPT1:");
    EXPECT_EQ(page.m_raster, 1);
    EXPECT_EQ(page.m_stopBits, 1.5);  // serial settings stay
  });
}

TEST(PortPageTest, ChoosingAPortByHandSetsTheControls) {
  PortPageBench bench(sim::kWinXP);
  CPortPage page(bench.machine);
  WithPage(bench.machine, page, [&](HeadlessWindow& w) {
    page.BuildPortList("COMBO", 3, 0, kAdvancedSetup);
    ASSERT_TRUE(w.SelectText(IDC_PORTS, "USB_COMBO_2"));
    // The handler tests "COM" first: this USB entry counts as serial.
    EXPECT_EQ(page.m_raster, 0);
    EXPECT_FALSE(w.IsControlVisible(IDC_USB_NOTE));
    EXPECT_TRUE(w.IsEnabled(IDC_BAUD_RATE));
    ASSERT_TRUE(w.SelectText(IDC_PORTS, "LPT2:"));
    EXPECT_EQ(page.m_raster, 1);
    EXPECT_FALSE(w.IsEnabled(IDC_PARITY));
    EXPECT_TRUE(w.IsEnabled(IDC_RASTER));
    ASSERT_TRUE(w.SelectText(IDC_PORTS, "TVCOM3:"));
    EXPECT_EQ(page.m_portName, "TVCOM3:");
    EXPECT_EQ(page.m_raster, 0);
    EXPECT_FALSE(w.IsEnabled(IDC_RASTER));
  });
}

TEST(PortPageTest, SerialListsStoreTheirValues) {
  PortPageBench bench(sim::kWinXP);
  CPortPage page(bench.machine);
  WithPage(bench.machine, page, [&](HeadlessWindow& w) {
    EXPECT_EQ(page.m_parity, 'n');
    EXPECT_EQ(page.m_flow, 'p');
    EXPECT_EQ(w.GetCurSel(IDC_BAUD_RATE), -1);
    EXPECT_EQ(w.GetText(IDC_BYTE_SIZE), "8");
    EXPECT_EQ(w.Find(IDC_RASTER)->toolTip, "Press \"F1\" for help");
    page.BuildPortList("P", 3, 0, kTypicalSetup);
    w.SelectText(IDC_PORTS, "TVCOM1:");
    w.SelectText(IDC_BAUD_RATE, "57600");
    w.SelectText(IDC_PARITY, "Space");
    w.SelectText(IDC_BYTE_SIZE, "7");
    w.SelectText(IDC_STOP_BITS, "2");
    w.SelectText(IDC_PROTOCOL, "None");
    EXPECT_EQ(page.m_baudRate, 57600);
    EXPECT_EQ(page.m_parity, 'S');
    EXPECT_EQ(page.m_byteSize, 7);
    EXPECT_EQ(page.m_stopBits, 2.0);
    EXPECT_EQ(page.m_flow, ' ');
  });
  EXPECT_EQ(BaudRateEntry(14400), 7);
  EXPECT_EQ(BaudRateEntry(0), 7);
  EXPECT_EQ(BaudRateEntry(115200), 9);
  EXPECT_EQ(BaudRateEntry(57600), 8);
}

TEST(NoteLabelTest, StartsInTheSystemColoursUntilColoursAreSet) {
  CNoteLabel label;
  ASSERT_NE(label.CtlColor(), nullptr);
  EXPECT_TRUE(label.CtlColor()->systemTextColor);
  EXPECT_TRUE(label.CtlColor()->systemBackground);
  label.SetTextColor(Rgb(0, 0, 255));
  EXPECT_FALSE(label.CtlColor()->systemTextColor);
  EXPECT_TRUE(label.CtlColor()->systemBackground) << "each colour on its own";
  label.SetBkColor(Rgb(255, 255, 0));
  EXPECT_FALSE(label.CtlColor()->systemBackground);
}

TEST(NoteLabelTest, StyleIsTheNotesAndFontChangesRedraw) {
  sim::SimMachine machine;
  CPortPage page(machine);
  WithPage(machine, page, [&](HeadlessWindow& w) {
    const StaticStyle* style = page.GetStaticStyle(IDC_USB_NOTE);
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->textColor, Rgb(0, 0, 255));
    EXPECT_EQ(style->backgroundColor, Rgb(255, 255, 0));
    EXPECT_EQ(style->fontHeight, 14);
    EXPECT_EQ(style->fontFace, "Arial");
    const int redraws = w.Find(IDC_USB_NOTE)->redraws;
    page.m_note.SetBkColor(Rgb(1, 2, 3));
    EXPECT_EQ(w.Find(IDC_USB_NOTE)->redraws, redraws);  // no redraw of its own
    page.m_note.SetFontFace(std::string(40, 'F'));
    EXPECT_EQ(w.Find(IDC_USB_NOTE)->redraws, redraws + 1);
    EXPECT_EQ(style->fontFace.size(), 31u);
  });
}

}  // namespace
}  // namespace setwell
