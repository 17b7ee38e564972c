// The whole install, from a set of selections, on the simulated machine and
// the sample distribution.
#include "app/InstallSequence.h"

#include <gtest/gtest.h>

#include <cstring>

#include "config/InstallConfig.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "sim/SimFamilyPorts.h"
#include "tests/InstallTestMachine.h"

namespace setwell {
namespace {

const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

constexpr const char* kInstalled = "Successfully installed printer driver";
constexpr const char* kInstalledUsb = "Successfully installed printer driver\nPlease repower the printer";
constexpr const char* kRestart = "Restart the computer so that the changes can take effect";

struct Machine {
  explicit Machine(sim::SimOs os) : machine(os) {
    EXPECT_TRUE(machine.MountDistribution(kDistribution));
    sim::DeclareFamilyMonitorPorts(machine);
  }
  InstallOutcome Install(const InstallSelections& selections) {
    InstallSequence sequence(machine, selections);
    InstallOutcome outcome = sequence.Run();
    if (outcome == InstallOutcome::kCompleted) sequence.Complete();
    finalName = sequence.FinalPrinterName();
    return outcome;
  }
  sim::SimMachine machine;
  std::string finalName;
};

using testing::Selections;

struct Scenario {
  const char* name;
  sim::SimOs os;
  int target;
  const char* model;
  int category;
  const char* port;
  int setupType;
  const char* printer;
  const char* driver;
  const char* portMonitor;  // or ""
  friend void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }
};

class InstallScenarioTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(InstallScenarioTest, InstallsEverythingTheModelNeeds) {
  const Scenario& s = GetParam();
  Machine m(s.os);
  const bool usb = std::string(s.port).find("USB_") != std::string::npos;
  if (usb) {
    m.machine.InstallUsbLibrary();
    m.machine.usb.Attach(0, 8);  // device number 1
  }
  if (s.target == kWin98) m.machine.ui.Answer(IDNO, kRestart);
  InstallSelections selections = Selections(s.target, s.model, s.category, s.port, s.setupType);
  selections.serial = SerialLineSettings{19200, 8, 1.5, 'E', 'x'};
  ASSERT_EQ(m.Install(selections), InstallOutcome::kCompleted) << ::testing::PrintToString(m.machine.ui.Texts());

  // What the user saw.
  const std::string expected = s.target == kWin98 ? std::string(kRestart) : usb ? kInstalledUsb : kInstalled;
  ASSERT_EQ(m.machine.ui.boxes.size(), 1u) << ::testing::PrintToString(m.machine.ui.Texts());
  EXPECT_EQ(m.machine.ui.boxes[0].text.substr(0, expected.size()), expected);
  if (s.target != kWin98) {
    EXPECT_EQ(m.machine.ui.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION));
  }

  // What the machine holds.
  const sim::SimPrinter* printer = m.machine.spooler.FindPrinter(s.printer);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(m.finalName, s.printer);
  EXPECT_EQ(printer->portName, s.port);
  EXPECT_EQ(printer->driverName, s.driver);
  const sim::SimDriver* driver = m.machine.spooler.FindDriver(s.driver, s.target == kWin98 ? "Windows 4.0" : "");
  ASSERT_NE(driver, nullptr);
  ASSERT_GE(printer->devMode.size(), 148u);
  EXPECT_EQ(std::string(printer->devMode.c_str()), s.model);  // the device name
  if (*s.portMonitor) {
    EXPECT_TRUE(m.machine.spooler.KnowsMonitor(s.portMonitor));
  }
  if (!printer->printProcessor.empty() && printer->printProcessor != "WinPrint") {
    EXPECT_TRUE(m.machine.spooler.KnowsPrintProcessor(printer->printProcessor));
  }
  if (s.target == kWin98) {
    EXPECT_EQ(m.machine.clock.sleeps.front(), 1000u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTargetAndPort, InstallScenarioTest,
    ::testing::Values(
        Scenario{"xp_usb_typical", sim::kWinXP, kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1",
                 kTypicalSetup, "SW-R80(U) 1", "SW-R80 Raster Graphics", "SW USB Port Monitor"},
        Scenario{"xp_usb_advanced", sim::kWinXP, kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1",
                 kAdvancedSetup, "SW-R80(U) 1", "SW-R80 Raster Graphics", "SW USB Port Monitor"},
        Scenario{"xp_virtual_serial", sim::kWinXP, kWinXP, "SW-R80", kReceipt, "TVCOM3:",
                 kTypicalSetup, "SW-R80(S)", "SW-R80 Standard", "SW Serial Port Monitor"},
        Scenario{"xp_parallel", sim::kWinXP, kWinXP, "SW-L80", kLabel, "LPT1:", kTypicalSetup,
                 "SW-L80(P)", "SW-L80 Raster Graphics", ""},
        Scenario{"w2k_usb", sim::kWin2000, kWin2000, "SW-T80", kTicket, "USB_SW-T80_1",
                 kTypicalSetup, "SW-T80(U) 1", "SW-T80 Raster Graphics", "SW USB Port Monitor"},
        Scenario{"w2k_serial", sim::kWin2000, kWin2000, "SW-E80", kEmbedded, "TVCOM1:",
                 kAdvancedSetup, "SW-E80(S)", "SW-E80 Standard", "SW Serial Port Monitor"},
        Scenario{"nt4_serial", sim::kWinNT4, kWinNT4, "SW-R58", kReceipt, "TVCOM2:", kTypicalSetup,
                 "SW-R58(S)", "SW-R58 Standard", "SW Serial Port Monitor"},
        Scenario{"nt4_parallel", sim::kWinNT4, kWinNT4, "SW-T58", kTicket, "LPT2:", kTypicalSetup,
                 "SW-T58(P)", "SW-T58 Raster Graphics", ""},
        Scenario{"s2003_usb", sim::kWin2003, kWin2003, "SW-L58", kLabel, "USB_SW-L58_1",
                 kAdvancedSetup, "SW-L58(U) 1", "SW-L58 Raster Graphics", "SW USB Port Monitor"},
        Scenario{"s2003_parallel", sim::kWin2003, kWin2003, "SW-E58", kEmbedded, "LPT1:",
                 kTypicalSetup, "SW-E58(P)", "SW-E58 Raster Graphics", ""},
        Scenario{"w98_serial", sim::kWin98, kWin98, "SW-R80", kReceipt, "COM2:", kTypicalSetup,
                 "SW-R80(S)", "SW-R80 Standard", ""},
        Scenario{"me_usb", sim::kWinMe, kWin98, "SW-R80", kReceipt, "USB_SW-R80_1", kTypicalSetup,
                 "SW-R80(U) 1", "SW-R80 Raster Graphics", "SW USB Port Monitor"},
        Scenario{"w98_parallel_colour", sim::kWin98, kWin98, "SW-RXQ-K880", kReceipt, "LPT1:",
                 kTypicalSetup, "SW-RXQ-K880(P)", "SW-RXQ-K880 Raster Graphics", ""}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(InstallSequenceTest, StopsThatKeepTheWizardOpenInstallNothing) {
  struct Case {
    const char* name;
    sim::SimOs os;
    InstallSelections selections;
    int usbPrinters;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"no model", sim::kWinXP, Selections(kWinXP, "", kReceipt, "LPT1:"), 0,
       {"You must select a printer module first!"}},
      {"unsupported port", sim::kWinXP, Selections(kWinXP, "SW-R80", kReceipt, "FILE:"), 0,
       {"No support installation for this port"}},
      {"nt4 usb", sim::kWinNT4, Selections(kWinNT4, "SW-R80", kReceipt, "USB_SW-R80_1"), 0,
       {"WindowsNT4 and earlier editions do not support USB ports"}},
      {"advanced, no usb printer", sim::kWinXP,
       Selections(kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1", kAdvancedSetup), 0,
       {"No USB device attached"}},
      {"advanced, two usb printers", sim::kWinXP,
       Selections(kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1", kAdvancedSetup), 2,
       {"Connect just one USB printer to host"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(c.os);
    m.machine.InstallUsbLibrary();
    for (int i = 0; i < c.usbPrinters; ++i) m.machine.usb.Attach(i, static_cast<WORD>(i));
    EXPECT_EQ(m.Install(c.selections), InstallOutcome::kStayOpen);
    EXPECT_EQ(m.machine.ui.Texts(), c.boxes);
    EXPECT_TRUE(testing::CopyTargets(m.machine).empty());
    EXPECT_TRUE(m.machine.spooler.Printers().empty());
  }
}

TEST(InstallSequenceTest, StayOpenStopThenFinishAgainRunsAnew) {
  Machine m(sim::kWinNT4);
  EXPECT_EQ(m.Install(Selections(kWinNT4, "SW-R80", kReceipt, "USB_SW-R80_1")), InstallOutcome::kStayOpen);
  EXPECT_EQ(m.Install(Selections(kWinNT4, "SW-R80", kReceipt, "TVCOM1:")), InstallOutcome::kCompleted)
      << ::testing::PrintToString(m.machine.ui.Texts());
  EXPECT_NE(m.machine.spooler.FindPrinter("SW-R80(S)"), nullptr);
}

TEST(InstallSequenceTest, UsbDeviceNumberQuestion) {
  struct Case {
    const char* name;
    int setupType;
    const char* port;
    WORD descriptor;  // device number = value % 8 + 1
    int printers;
    std::optional<int> answer;  // the question asked, and answered so
    InstallOutcome outcome;
    std::vector<BYTE> written;  // the last byte of the command, if one was sent
  };
  const Case cases[] = {
      {"advanced, matching port", kAdvancedSetup, "USB_SW-R80_2", 9, 1, std::nullopt,
       InstallOutcome::kCompleted, {}},
      {"advanced, other port, yes", kAdvancedSetup, "USB_SW-R80_1", 9, 1, IDYES,
       InstallOutcome::kCompleted, {0}},
      {"advanced, other port, no", kAdvancedSetup, "USB_SW-R80_1", 9, 1, IDNO,
       InstallOutcome::kStayOpen, {}},
      // No such port: nothing is written, and the spooler refuses the printer.
      {"advanced, port without number", kAdvancedSetup, "USB_SW-R80", 9, 1, IDYES,
       InstallOutcome::kClose, {}},
      {"typical, number 1", kTypicalSetup, "USB_SW-R80_1", 16, 1, std::nullopt,
       InstallOutcome::kCompleted, {}},
      {"typical, number 3, yes", kTypicalSetup, "USB_SW-R80_1", 10, 1, IDYES,
       InstallOutcome::kCompleted, {0}},
      // Several printers: the probe says so, n is -1, and Yes renumbers the
      // first printer found.
      {"typical, several printers, yes", kTypicalSetup, "USB_SW-R80_1", 3, 2, IDYES,
       InstallOutcome::kCompleted, {0}},
      {"typical, no printer", kTypicalSetup, "USB_SW-R80_1", 0, 0, std::nullopt,
       InstallOutcome::kCompleted, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(sim::kWinXP);
    m.machine.InstallUsbLibrary();
    for (int i = 0; i < c.printers; ++i) m.machine.usb.Attach(i, c.descriptor);
    if (c.answer) m.machine.ui.Answer(*c.answer, "This application will change printer name");
    EXPECT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, c.port, c.setupType)), c.outcome)
        << ::testing::PrintToString(m.machine.ui.Texts());
    EXPECT_TRUE(m.machine.ui.AllQuestionsAnswered());
    const bool asked = std::any_of(m.machine.ui.boxes.begin(), m.machine.ui.boxes.end(),
                                   [](const sim::MessageBoxRecord& b) { return b.IsQuestion(); });
    EXPECT_EQ(asked, c.answer.has_value());
    ASSERT_EQ(m.machine.usb.writes.size(), c.written.size());
    if (!c.written.empty()) {
      ASSERT_EQ(m.machine.usb.writes[0].bytes.size(), 10u);
      EXPECT_EQ(static_cast<BYTE>(m.machine.usb.writes[0].bytes[9]), c.written[0]);
    }
  }
}

TEST(InstallSequenceTest, StopsThatCloseTheWizardUndoNothing) {
  struct Case {
    const char* name;
    sim::SimOs os;
    InstallSelections selections;
    std::function<void(sim::SimMachine&)> arrange;
    std::vector<std::string> boxes;
  };
  const std::vector<Case> cases = {
      {"server 2003 refused", sim::kWin2003, Selections(kWin2003, "SW-T58", kTicket, "LPT1:"),
       [](sim::SimMachine&) {}, {"This printer not support WINDOWS SEVER 2003"}},
      {"monitor refused", sim::kWinXP, Selections(kWinXP, "SW-R80", kReceipt, "TVCOM1:"),
       [](sim::SimMachine& m) { m.faults.FailOnce("AddMonitorA", ERROR_ACCESS_DENIED); },
       {"Add monitor error"}},
      {"processor refused", sim::kWinXP, Selections(kWinXP, "SW-R80", kReceipt, "LPT1:"),
       [](sim::SimMachine& m) { m.faults.FailOnce("AddPrintProcessorA", ERROR_ACCESS_DENIED); },
       {"Add printer processor error\nFatal error, try rebooting the system."}},
      {"port list", sim::kWinXP, Selections(kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1"),
       [](sim::SimMachine& m) { m.faults.FailAlways("EnumPortsA", ERROR_ACCESS_DENIED); },
       {"Can not load TvUsbInt.dll", "Enum ports error"}},
      {"printer refused", sim::kWinXP, Selections(kWinXP, "SW-R80", kReceipt, "LPT1:"),
       [](sim::SimMachine& m) { m.faults.FailOnce("AddPrinterA", ERROR_ACCESS_DENIED); },
       {"Add printer error", "error = 5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(c.os);
    c.arrange(m.machine);
    EXPECT_EQ(m.Install(c.selections), InstallOutcome::kClose);
    EXPECT_EQ(m.machine.ui.Texts(), c.boxes);
  }
  // Nothing is undone: the printer refused after the driver went in leaves
  // the driver, its files and the print processor in place.
  Machine m(sim::kWinXP);
  m.machine.faults.FailOnce("AddPrinterA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "LPT1:")), InstallOutcome::kClose);
  EXPECT_NE(m.machine.spooler.FindDriver("SW-R80 Raster Graphics"), nullptr);
  EXPECT_TRUE(m.machine.spooler.KnowsPrintProcessor("SWPrint"));
  EXPECT_TRUE(m.machine.spooler.Printers().empty());
}

TEST(InstallSequenceTest, SecondInstallOnTheSamePortGetsTheNumberedName) {
  Machine m(sim::kWinXP);
  for (const char* expected : {"SW-R80(P)", "SW-R80(P)(1)", "SW-R80(P)(2)"}) {
    m.machine.ui.boxes.clear();
    ASSERT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "LPT1:")), InstallOutcome::kCompleted);
    EXPECT_EQ(m.finalName, expected);
  }
  m.machine.ui.boxes.clear();
  EXPECT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "LPT1:")), InstallOutcome::kClose);
  EXPECT_EQ(m.machine.ui.Texts(),
            std::vector<std::string>{"Maximum count of printers using the same port has been reached"});
}

TEST(InstallSequenceTest, NewerDistributionUpdatesOneComponentPerInstall) {
  Machine m(sim::kWinXP);
  ASSERT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM1:")), InstallOutcome::kCompleted);
  // An older installation: both the serial monitor and the processor are
  // recorded in version 1.
  m.machine.registry.SetDword(MonitorKey("SW Serial Port Monitor"), "DriverVersion", 1);
  m.machine.registry.SetDword(PrintProcessorKey(kWinXP, "SWPrint"), "DriverVersion", 1);
  auto version = [&](const std::string& key) {
    DWORD v = 0;
    m.machine.registry.GetDword(key, "DriverVersion", v);
    return v;
  };
  ASSERT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM1:")), InstallOutcome::kCompleted)
      << ::testing::PrintToString(m.machine.ui.Texts());
  EXPECT_EQ(version(MonitorKey("SW Serial Port Monitor")), 105u);
  EXPECT_EQ(version(PrintProcessorKey(kWinXP, "SWPrint")), 1u);
  ASSERT_EQ(m.Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM1:")), InstallOutcome::kCompleted)
      << ::testing::PrintToString(m.machine.ui.Texts());
  EXPECT_EQ(version(PrintProcessorKey(kWinXP, "SWPrint")), 120u);
}

TEST(InstallSequenceTest, SerialSettingsDefaultPrinterAndRestart) {
  {
    Machine m(sim::kWinXP);
    InstallSelections s = Selections(kWinXP, "SW-R80", kReceipt, "TVCOM3:");
    s.defaultPrinter = true;
    s.serial = SerialLineSettings{9600, 8, 1.0, 'N', 'x'};
    ASSERT_EQ(m.Install(s), InstallOutcome::kCompleted);
    const sim::RegValue* line = m.machine.registry.FindValue(
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM3:");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->data, std::string("9600,n,8,1,x\0", 13));
    EXPECT_EQ(m.machine.spooler.DefaultPrinter(), "SW-R80(S)");
  }
  {
    Machine m(sim::kWin98);
    m.machine.ui.Answer(IDYES, kRestart);
    m.machine.restartRefusal = ERROR_ACCESS_DENIED;
    InstallSelections s = Selections(kWin98, "SW-R80", kReceipt, "COM2:");
    s.serial = SerialLineSettings{4800, 7, 2.0, 'S', ' '};
    ASSERT_EQ(m.Install(s), InstallOutcome::kCompleted);
    EXPECT_EQ(m.machine.ui.Texts().back(), "Exit windows error");
    ASSERT_FALSE(m.machine.profile.writes.empty());
    bool written = false;
    for (const auto& w : m.machine.profile.writes) written = written || w.value == std::optional<std::string>("4800,s,7,2, ");
    EXPECT_TRUE(written);
  }
}

}  // namespace
}  // namespace setwell
