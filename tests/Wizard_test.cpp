// The wizard driven as a user drives it, on in-memory windows and the
// simulated machine.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "app/CSetupApp.h"
#include "app/CWizardFrame.h"
#include "config/IniFile.h"
#include "pages/CModelPage.h"
#include "pages/CPortPage.h"
#include "pages/CSetupTypePage.h"
#include "pages/CTargetSystemPage.h"
#include "resources/StringTable.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "system/AsciiCase.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

constexpr const char* kGeneral =
    "[DEVICENAME]\r\nDEVICENUMBER=5\r\nDEFAULTNAME=2\r\n"
    "DEVICENAME1=TP-58-ReceiptPrinter\r\nDEVICENAME2=TP-80-ReceiptPrinter\r\n"
    "DEVICENAME3=LB-4-LabelPrinter\r\nDEVICENAME4=zeta-EmbeddedPrinter\r\n"
    "DEVICENAME5=Alpha-EmbeddedPrinter\r\n";
constexpr const char* kReceipt =
    "[TP-58.PORT]\r\nAdvancedSetup=1\r\nSystem2003Supported=0\r\nBaudRate=115200\r\n"
    "[TP-80.PORT]\r\nAdvancedSetup=0\r\nSystem2003Supported=1\r\nBaudRate=9600\r\nLPTDEFAULT=1\r\n";

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.files.WriteFile("D:\\DRVCONFIG\\setup.ini", kGeneral);
    machine.files.WriteFile("D:\\DRVCONFIG\\setup_receipt.ini", kReceipt);
    machine.files.WriteFile("D:\\DRVCONFIG\\setup_Lable.ini", "[LB-4.PORT]\r\nBaudRate=14400\r\n");
  }

  // Runs the program with `script` driving the wizard.
  void Run(const std::function<void(HeadlessWindow&)>& script) {
    ui.modalDriver = [&](HeadlessWindow& window) {
      if (window.TemplateId() == IDD_WIZARD) {
        frame = dynamic_cast<CWizardFrame*>(&window.Owner());
        wizard = &window;
        script(window);
      }
    };
    CSetupApp app(ui, machine);
    app.Run();
  }
  HeadlessWindow& Page() { return *wizard->VisibleChild(); }
  std::string DefaultText() { return wizard->GetText(1); }
  bool DefaultEnabled() { return wizard->IsEnabled(1); }
  bool BackEnabled() { return wizard->IsEnabled(IDC_BACK); }
  template <typename T>
  T& PageObject(int index) {
    return *dynamic_cast<T*>(frame->GetPage(index));
  }

  sim::SimMachine machine;
  HeadlessUi ui;
  CWizardFrame* frame = nullptr;
  HeadlessWindow* wizard = nullptr;
};

TEST_F(WizardTest, ButtonsFollowThePagesThroughTheWizard) {
  Run([&](HeadlessWindow& w) {
    // After initialisation: licence page, Back disabled, Next disabled.
    EXPECT_EQ(w.GetTitle(), "Install Driver for Printers");
    EXPECT_EQ(Page().TemplateId(), IDD_LICENCE);
    EXPECT_FALSE(BackEnabled());
    EXPECT_EQ(DefaultText(), "Next (&N)>>");
    EXPECT_FALSE(DefaultEnabled());
    EXPECT_EQ(w.GetText(IDC_BACK), "<<Back (&B)");
    EXPECT_EQ(w.GetText(2), "Cancel (&C)");
    ASSERT_EQ(w.SystemMenu().size(), 2u);
    EXPECT_EQ(w.SystemMenu()[1], std::make_pair(IDM_ABOUTBOX, std::string("&About Setwell Setup...")));

    EXPECT_TRUE(Page().Click(IDC_ACCEPT));
    EXPECT_TRUE(DefaultEnabled());
    EXPECT_TRUE(Page().Click(IDC_REJECT));
    EXPECT_FALSE(DefaultEnabled());
    EXPECT_FALSE(w.Click(1));  // disabled: nothing happens
    Page().Click(IDC_ACCEPT);

    ASSERT_TRUE(w.Click(1));
    EXPECT_EQ(Page().TemplateId(), IDD_MODEL);
    EXPECT_TRUE(BackEnabled());
    EXPECT_TRUE(DefaultEnabled());  // models are listed
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_modelName, "TP-80");

    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_SETUP_TYPE);
    EXPECT_EQ(DefaultText(), "Next (&N)>>");
    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_TARGET_SYSTEM);
    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_PORT);
    EXPECT_EQ(DefaultText(), "Finish (&F)");
    EXPECT_EQ(w.Focus(), 1);

    w.Click(IDC_BACK);
    EXPECT_EQ(Page().TemplateId(), IDD_TARGET_SYSTEM);
    EXPECT_EQ(DefaultText(), "Next (&N)>>");
    EXPECT_TRUE(DefaultEnabled());
    for (int i = 0; i < 3; ++i) w.Click(IDC_BACK);
    EXPECT_EQ(Page().TemplateId(), IDD_LICENCE);
    EXPECT_FALSE(BackEnabled());
    EXPECT_TRUE(DefaultEnabled());
    EXPECT_EQ(w.Focus(), 1);
    w.Click(2);  // Cancel ends the wizard
    EXPECT_TRUE(w.Ended());
  });
  EXPECT_EQ(ui.AbandonedDialogs(), 0);
  EXPECT_TRUE(ui.Windows().empty());
}

TEST_F(WizardTest, WithoutModelsNextStaysDisabledOnTheModelPage) {
  machine.files.Remove("D:\\DRVCONFIG\\setup.ini");
  Run([&](HeadlessWindow& w) {
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_MODEL);
    EXPECT_FALSE(DefaultEnabled());
    EXPECT_TRUE(BackEnabled());
    for (int id : {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED}) EXPECT_FALSE(Page().IsEnabled(id));
    for (int id : {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED}) EXPECT_EQ(Page().GetCheck(id), 0);
    w.Click(IDC_BACK);
    EXPECT_TRUE(DefaultEnabled());  // Back enables it again
    w.Click(2);
  });
}

// Every page's window is made once, as the wizard shows and before its first
// input: going back and forth keeps what the user chose on a page, and no
// list is filled a second time.
TEST_F(WizardTest, EveryPageIsMadeOnceAsTheWizardShowsAndKeepsItsChoices) {
  Run([&](HeadlessWindow& w) {
    ASSERT_EQ(w.Children().size(), 5u) << "all five pages before the first input";
    for (HeadlessWindow* page : w.Children()) {
      EXPECT_EQ(page->IsVisible(), page->TemplateId() == IDD_LICENCE);
    }
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    ASSERT_EQ(Page().TemplateId(), IDD_MODEL);
    Page().Click(IDC_EMBEDDED);
    ASSERT_TRUE(Page().SelectText(IDC_EMBEDDED_MODELS, "zeta"));
    Page().Click(IDC_DEFAULT_PRINTER);
    w.Click(1);
    ASSERT_EQ(Page().TemplateId(), IDD_SETUP_TYPE);
    w.Click(IDC_BACK);
    w.Click(IDC_BACK);
    ASSERT_EQ(Page().TemplateId(), IDD_LICENCE);
    EXPECT_EQ(Page().GetCheck(IDC_ACCEPT), 1);
    EXPECT_TRUE(DefaultEnabled());

    w.Click(1);
    HeadlessWindow& model = Page();
    EXPECT_EQ(model.GetCheck(IDC_EMBEDDED), 1);
    EXPECT_EQ(model.GetCheck(IDC_RECEIPT), 0);
    EXPECT_EQ(model.GetText(IDC_EMBEDDED_MODELS), "zeta");
    EXPECT_TRUE(model.IsEnabled(IDC_EMBEDDED_MODELS));
    EXPECT_FALSE(model.IsEnabled(IDC_RECEIPT_MODELS));
    EXPECT_EQ(model.Find(IDC_RECEIPT_MODELS)->items, (std::vector<std::string>{"TP-58", "TP-80"}));
    EXPECT_EQ(model.Find(IDC_EMBEDDED_MODELS)->items.size(), 2u);
    EXPECT_EQ(model.GetCheck(IDC_DEFAULT_PRINTER), 1);
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_modelName, "zeta");
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_defaultPrinter, 1);

    for (int i = 0; i < 3; ++i) w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_PORT);
    EXPECT_EQ(w.Children().size(), 5u);
    w.Click(2);
  });
}

// The running system is checked as the wizard starts, before its first page
// shows, whether or not the user goes as far as the target system page; the
// page then shows what was found without asking again.
TEST_F(WizardTest, AnUnknownSystemIsReportedAsTheWizardStartsAndOnlyThen) {
  machine.system.platformId = 7;  // no family the wizard knows
  Run([&](HeadlessWindow& w) {
    ASSERT_EQ(machine.ui.Texts(), std::vector<std::string>{LoadStringText(IDS_WRONG_SYSTEM)});
    EXPECT_EQ(Page().TemplateId(), IDD_LICENCE);
    Page().Click(IDC_ACCEPT);
    for (int i = 0; i < 3; ++i) w.Click(1);
    ASSERT_EQ(Page().TemplateId(), IDD_TARGET_SYSTEM);
    EXPECT_EQ(machine.ui.Texts().size(), 1u);
    EXPECT_EQ(PageObject<CTargetSystemPage>(kTargetSystemPage).m_targetSystem, kWin98);
    EXPECT_TRUE(Page().IsEnabled(IDC_WIN98));
    EXPECT_EQ(Page().GetCheck(IDC_WIN98), 0);
    for (int id : {IDC_WINNT, IDC_WIN2000, IDC_WINXP, IDC_WIN2003}) EXPECT_FALSE(Page().IsEnabled(id));
    w.Click(2);
  });
  EXPECT_EQ(machine.ui.Texts().size(), 1u);
}

TEST_F(WizardTest, AdvancedSetupSettingDecidesTheSetupTypePage) {
  Run([&](HeadlessWindow& w) {
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    Page().Click(IDC_RECEIPT);
    Page().Select(IDC_RECEIPT_MODELS, 0);  // TP-58 allows advanced
    w.Click(1);
    EXPECT_TRUE(Page().IsEnabled(IDC_ADVANCED));
    Page().Click(IDC_ADVANCED);
    EXPECT_EQ(Page().GetText(IDC_REMARK1), "Support multi-USB printer");
    EXPECT_EQ(Page().GetText(IDC_REMARK2), "Support driver mode selection");
    EXPECT_TRUE(Page().IsControlVisible(IDC_REMARK2));
    EXPECT_EQ(PageObject<CSetupTypePage>(kSetupTypePage).m_setupType, 0);

    w.Click(IDC_BACK);
    Page().Select(IDC_RECEIPT_MODELS, 1);  // TP-80 is typical only
    w.Click(1);
    EXPECT_FALSE(Page().IsEnabled(IDC_ADVANCED));
    EXPECT_EQ(Page().GetCheck(IDC_TYPICAL), 1);
    EXPECT_EQ(Page().GetCheck(IDC_ADVANCED), 0);
    EXPECT_EQ(Page().GetText(IDC_REMARK1), "Install default printer driver");
    EXPECT_FALSE(Page().IsControlVisible(IDC_REMARK2));
    EXPECT_EQ(PageObject<CSetupTypePage>(kSetupTypePage).m_setupType, 1);
    w.Click(2);
  });
}

TEST_F(WizardTest, BaudRateIsReloadedOnlyAfterGoingBackToTheModelPage) {
  Run([&](HeadlessWindow& w) {
    CPortPage& port = PageObject<CPortPage>(kPortPage);
    Page().Click(IDC_ACCEPT);
    w.Click(1);  // model page, TP-80 (9600)
    w.Click(1);
    w.Click(1);
    w.Click(1);  // port page
    EXPECT_EQ(port.m_baudRate, 9600);
    EXPECT_EQ(Page().GetCurSel(IDC_BAUD_RATE), 5);
    EXPECT_EQ(port.m_portName, "LPT1:");  // "LPTDEFAULT"
    EXPECT_FALSE(Page().Select(IDC_BAUD_RATE, 0));  // serial lists are off for LPT1:
    ASSERT_TRUE(Page().SelectText(IDC_PORTS, "TVCOM3:"));
    EXPECT_EQ(port.m_raster, 0);
    ASSERT_TRUE(Page().Select(IDC_BAUD_RATE, 0));  // the user picks 110
    EXPECT_EQ(port.m_baudRate, 110);

    // Back to the setup type page only: the choice stays.
    w.Click(IDC_BACK);
    w.Click(IDC_BACK);
    w.Click(1);
    w.Click(1);
    EXPECT_EQ(port.m_baudRate, 110);

    // Back to the model page and another model: its rate is loaded.
    for (int i = 0; i < 3; ++i) w.Click(IDC_BACK);
    Page().Click(IDC_LABEL);
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_modelName, "LB-4");
    for (int i = 0; i < 3; ++i) w.Click(1);
    EXPECT_EQ(port.m_baudRate, 14400);      // stored as read
    EXPECT_EQ(Page().GetCurSel(IDC_BAUD_RATE), 7);  // shown as 38400
    w.Click(2);
  });
}

TEST_F(WizardTest, Server2003RefusedModelKeepsTheUserOnTheTargetSystemPage) {
  machine.system = sim::SimSystem::For(sim::kWin2003);
  Run([&](HeadlessWindow& w) {
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    Page().Select(IDC_RECEIPT_MODELS, 0);  // TP-58: System2003Supported=0
    w.Click(1);
    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_TARGET_SYSTEM);
    EXPECT_EQ(Page().GetCheck(IDC_WIN2003), 1);
    w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_TARGET_SYSTEM);
    EXPECT_EQ(DefaultText(), "Next (&N)>>");
    ASSERT_FALSE(machine.ui.boxes.empty());
    EXPECT_EQ(machine.ui.boxes.back().text, "This printer not support WINDOWS SEVER 2003");

    for (int i = 0; i < 2; ++i) w.Click(IDC_BACK);
    Page().Select(IDC_RECEIPT_MODELS, 1);  // TP-80 is supported
    for (int i = 0; i < 3; ++i) w.Click(1);
    EXPECT_EQ(Page().TemplateId(), IDD_PORT);
    w.Click(2);
  });
}

TEST_F(WizardTest, ModelPageListsCategoriesAndPreselectsTheDefault) {
  Run([&](HeadlessWindow& w) {
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    HeadlessWindow& page = Page();
    EXPECT_EQ(page.GetCheck(IDC_RECEIPT), 1);
    EXPECT_TRUE(page.IsEnabled(IDC_RECEIPT_MODELS));
    EXPECT_FALSE(page.IsEnabled(IDC_LABEL_MODELS));
    EXPECT_FALSE(page.IsEnabled(IDC_TICKET));  // no ticket models
    EXPECT_EQ(page.GetCurSel(IDC_RECEIPT_MODELS), 1);
    // Embedded models are sorted; the others keep the order of the entries.
    EXPECT_EQ(page.Find(IDC_EMBEDDED_MODELS)->items, (std::vector<std::string>{"Alpha", "zeta"}));
    EXPECT_EQ(page.GetCurSel(IDC_LABEL_MODELS), 0);
    EXPECT_EQ(page.GetCheck(IDC_DEFAULT_PRINTER), 0);

    page.Click(IDC_EMBEDDED);
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_modelName, "Alpha");
    EXPECT_FALSE(page.IsEnabled(IDC_RECEIPT_MODELS));
    page.Click(IDC_RECEIPT);
    EXPECT_EQ(PageObject<CModelPage>(kModelPage).m_modelName, "TP-80");
    w.Click(2);
  });
}

TEST_F(WizardTest, CategoryRadioButtonsAreOneGroup) {
  Run([&](HeadlessWindow& w) {
    Page().Click(IDC_ACCEPT);
    w.Click(1);
    HeadlessWindow& page = Page();
    for (int clicked : {IDC_EMBEDDED, IDC_LABEL, IDC_RECEIPT}) {
      ASSERT_TRUE(page.Click(clicked));
      for (int radio : {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED}) {
        EXPECT_EQ(page.GetCheck(radio), radio == clicked ? 1 : 0) << clicked << " " << radio;
      }
    }
    w.Click(2);
  });
}

TEST_F(WizardTest, AboutBoxAndHelpLeaveTheWizardAsItWas) {
  int aboutBoxes = 0;
  Run([&](HeadlessWindow& w) {
    ui.modalDriver = [&](HeadlessWindow& about) {
      EXPECT_EQ(about.TemplateId(), IDD_ABOUTBOX);
      EXPECT_EQ(about.GetTitle(), "About Setwell");
      ++aboutBoxes;
      about.Click(1);
    };
    w.SysCommand(IDM_ABOUTBOX);
    w.SysCommand(IDM_ABOUTBOX | 0x3);  // the low four bits do not matter
    EXPECT_TRUE(w.PressF1());
    EXPECT_EQ(Page().TemplateId(), IDD_LICENCE);
    w.Click(2);
  });
  EXPECT_EQ(aboutBoxes, 2);
  // The help opens in its current size and place (SW_SHOW), not restored
  // to its normal one.
  std::vector<std::string> opened;
  for (const sim::SimCallRecord& call : machine.trace) {
    if (call.call == "ShellOpen") opened.push_back(call.arguments);
  }
  EXPECT_EQ(opened, std::vector<std::string>{".\\Guide.CHM, " + std::to_string(SW_SHOW)});
}

}  // namespace
}  // namespace setwell

namespace setwell {
namespace {

// Finish through the wizard, on the sample distribution.
class WizardInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.MountDistribution(std::string(SETWELL_SOURCE_DIR) + "/examples/distribution"));
    sim::DeclareFamilyMonitorPorts(machine);
  }
  void Run(const std::function<void(HeadlessWindow&)>& script) {
    ui.modalDriver = [&](HeadlessWindow& window) {
      if (window.TemplateId() == IDD_WIZARD) {
        frame = dynamic_cast<CWizardFrame*>(&window.Owner());
        script(window);
      }
    };
    CSetupApp app(ui, machine);
    app.Run();
  }
  sim::SimMachine machine{sim::kWinXP};
  HeadlessUi ui;
  CWizardFrame* frame = nullptr;
};

TEST_F(WizardInstallTest, FinishInstallsThePrinterAndClosesTheWizard) {
  bool ended = false;
  Run([&](HeadlessWindow& w) {
    w.VisibleChild()->Click(IDC_ACCEPT);
    w.Click(1);
    HeadlessWindow* model = w.VisibleChild();
    EXPECT_EQ(model->GetText(IDC_RECEIPT_MODELS), "SW-R80");  // the configured default
    model->Click(IDC_DEFAULT_PRINTER);
    w.Click(1);
    w.Click(1);
    w.Click(1);
    HeadlessWindow* port = w.VisibleChild();
    ASSERT_EQ(port->TemplateId(), IDD_PORT);
    // SW-R80 supports USB but no printer is attached: entry 0 is selected.
    EXPECT_EQ(port->GetText(IDC_PORTS), "TVCOM1:");
    EXPECT_EQ(port->GetText(IDC_BAUD_RATE), "115200");
    EXPECT_TRUE(port->SelectText(IDC_PORTS, "TVCOM3:"));
    EXPECT_TRUE(port->SelectText(IDC_PARITY, "Odd"));
    EXPECT_TRUE(port->SelectText(IDC_PROTOCOL, "Xon/Xoff"));
    w.Click(1);  // Finish
    ended = w.Ended();
  });
  EXPECT_TRUE(ended);
  const sim::SimPrinter* printer = machine.spooler.FindPrinter("SW-R80(S)");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->portName, "TVCOM3:");
  EXPECT_EQ(printer->driverName, "SW-R80 Standard");
  EXPECT_EQ(machine.spooler.DefaultPrinter(), "SW-R80(S)");
  const sim::RegValue* line =
      machine.registry.FindValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM3:");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->data, std::string("115200,o,8,1,x\0", 15));
  // The probe's message when the port list was built, then the success.
  EXPECT_EQ(machine.ui.Texts().back(), "Successfully installed printer driver");
  EXPECT_EQ(ui.AbandonedDialogs(), 0);
}

// Every reader of the run (frame, model page, port page, install sequence,
// component checks) shares the parsed files: each is parsed once, and an
// edit made while the wizard is open is read by what comes after it.
class WizardParseTest : public WizardInstallTest {
 protected:
  void SetUp() override {
    WizardInstallTest::SetUp();
    ProfileCache::Shared().Clear();
    ProfileCache::Shared().SetParseObserver(
        [this](const std::string& path) { ++parses[LowerAscii(path)]; });
  }
  void TearDown() override { ProfileCache::Shared().SetParseObserver(nullptr); }
  // Accept, the default model SW-R80 (receipt), typical setup, TVCOM3:,
  // then `beforeFinish` and Finish.
  void Install(const std::function<void()>& beforeFinish) {
    Run([&](HeadlessWindow& w) {
      w.VisibleChild()->Click(IDC_ACCEPT);
      for (int i = 0; i < 4; ++i) w.Click(1);
      ASSERT_EQ(w.VisibleChild()->TemplateId(), IDD_PORT);
      EXPECT_TRUE(w.VisibleChild()->SelectText(IDC_PORTS, "TVCOM3:"));
      beforeFinish();
      w.Click(1);
      EXPECT_TRUE(w.Ended());
    });
  }
  std::map<std::string, int> parses;
  const std::string general = "d:\\drvconfig\\setup.ini";
  const std::string receipt = "d:\\drvconfig\\setup_receipt.ini";
};

TEST_F(WizardParseTest, EachFileIsParsedOncePerInstall) {
  Install([] {});
  ASSERT_NE(machine.spooler.FindPrinter("SW-R80(S)"), nullptr);
  EXPECT_EQ(parses, (std::map<std::string, int>{{general, 1}, {receipt, 1}}));
}

TEST_F(WizardParseTest, AFileEditedWhileTheWizardIsOpenIsReadAfresh) {
  Install([&] {
    const sim::SimFile* file = machine.files.Find("D:\\DRVCONFIG\\setup_receipt.ini");
    ASSERT_NE(file, nullptr);
    std::string text = file->data;
    // The driver name of every target system's printer section.
    const std::string from = "STDDRIVERNAME=SW-R80 Standard";
    ASSERT_NE(text.find(from), std::string::npos);
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), "STDDRIVERNAME=SW-R80 Edited");
    }
    machine.PutDistributionFile("DRVCONFIG\\setup_receipt.ini", text);
  });
  const sim::SimPrinter* printer = machine.spooler.FindPrinter("SW-R80(S)");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->driverName, "SW-R80 Edited");
  EXPECT_NE(machine.spooler.FindDriver("SW-R80 Edited"), nullptr);
  EXPECT_EQ(parses[receipt], 2);
  EXPECT_EQ(parses[general], 1);
}

TEST_F(WizardInstallTest, FinishThatStopsKeepsTheWizardOnThePortPage) {
  Run([&](HeadlessWindow& w) {
    w.VisibleChild()->Click(IDC_ACCEPT);
    w.Click(1);
    // No model chosen: a category without a selection.
    HeadlessWindow* model = w.VisibleChild();
    model->Find(IDC_TICKET_MODELS)->selection = -1;
    model->Click(IDC_TICKET);
    for (int i = 0; i < 3; ++i) w.Click(1);
    w.Click(1);  // Finish
    EXPECT_FALSE(w.Ended());
    EXPECT_EQ(w.VisibleChild()->TemplateId(), IDD_PORT);
    EXPECT_EQ(machine.ui.Texts().back(), "You must select a printer module first!");
    EXPECT_TRUE(machine.spooler.Printers().empty());

    // Back to pick a model, and Finish again runs the install anew.
    for (int i = 0; i < 3; ++i) w.Click(IDC_BACK);
    w.VisibleChild()->Select(IDC_TICKET_MODELS, 0);
    for (int i = 0; i < 3; ++i) w.Click(1);
    w.VisibleChild()->SelectText(IDC_PORTS, "LPT1:");
    w.Click(1);
    EXPECT_TRUE(w.Ended());
  });
  EXPECT_NE(machine.spooler.FindPrinter("SW-T80(P)"), nullptr);
}

}  // namespace
}  // namespace setwell
