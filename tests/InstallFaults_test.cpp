// Installs whose configuration or machine once led the installer astray,
// each run end to end on the simulated machine and the sample distribution:
// what the user sees, and what the machine holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "app/CSetupApp.h"
#include "app/CWizardFrame.h"
#include "app/InstallSequence.h"
#include "config/InstallConfig.h"
#include "resources/StringTable.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "tests/SimOsPrinter.h"
#include "system/AsciiCase.h"
#include "system/DriverFiles.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "tests/InstallTestMachine.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

constexpr const char* kCopyError = "Copy driver files error";
constexpr const char* kInstalled = "Successfully installed printer driver";
constexpr const char* kInstalledUsb = "Successfully installed printer driver\nPlease repower the printer";
constexpr const char* kSerialMonitor = "SW Serial Port Monitor";
constexpr const char* kPrinterPortKey = "SOFTWARE\\TALVORN\\PRINTERPORT\\";
constexpr const char* kPortNameKey = "SOFTWARE\\TALVORN\\PORTNAME\\";

class InstallFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.MountDistribution(std::string(SETWELL_SOURCE_DIR) + "/examples/distribution"));
  }

  std::string Read(const std::string& relative) {
    std::string text;
    EXPECT_TRUE(machine.ReadWholeFile(("D:\\" + relative).c_str(), text)) << relative;
    return text;
  }
  // Replaces the first `from` after `after` in a distribution file.
  void Edit(const std::string& relative, const std::string& after, const std::string& from,
            const std::string& to) {
    std::string text = Read(relative);
    const std::size_t start = text.find(after);
    ASSERT_NE(start, std::string::npos) << after;
    const std::size_t at = text.find(from, start);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    machine.files.WriteFile("D:\\" + relative, text);
  }
  void ReplaceAll(const std::string& relative, const std::string& from, const std::string& to) {
    std::string text = Read(relative);
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
    machine.files.WriteFile("D:\\" + relative, text);
  }

  InstallOutcome Install(InstallSelections s) {
    sim::DeclareFamilyMonitorPorts(machine);
    InstallSequence sequence(machine, s);
    const InstallOutcome outcome = sequence.Run();
    if (outcome == InstallOutcome::kCompleted) sequence.Complete();
    return outcome;
  }
  static InstallSelections Selections(int target, const std::string& model, int category,
                                      const std::string& port) {
    InstallSelections s = testing::Selections(target, model, category, port);
    s.serial = SerialLineSettings{9600, 8, 1.0, 'N', 'p'};
    return s;
  }

  // The whole program, with `script` driving the wizard window.
  void RunWizard(const std::function<void(HeadlessWindow&)>& script) {
    sim::DeclareFamilyMonitorPorts(machine);
    ui.modalDriver = [&](HeadlessWindow& window) {
      if (window.TemplateId() == IDD_WIZARD) script(window);
    };
    CSetupApp app(ui, machine);
    app.Run();
  }
  // From the licence to the port page with the preselected model.
  static HeadlessWindow& ToPortPage(HeadlessWindow& w) {
    w.VisibleChild()->Click(IDC_ACCEPT);
    for (int i = 0; i < 4; ++i) w.Click(1);
    return *w.VisibleChild();
  }

  // Whether a file of this name exists anywhere but on the distribution's
  // drive.
  bool WrittenAnywhere(const std::string& name) const {
    for (const auto& [key, file] : machine.files.Files()) {
      const std::string path = LowerAscii(key);
      if (path.rfind("d:", 0) != 0 && path.size() >= name.size() &&
          path.compare(path.size() - name.size(), name.size(), LowerAscii(name)) == 0) {
        return true;
      }
    }
    return false;
  }
  DWORD Dword(const std::string& key, const std::string& name, DWORD missing = 0xDEAD) {
    DWORD value = missing;
    machine.registry.GetDword(key, name, value);
    return value;
  }
  std::vector<std::string> Boxes() const { return machine.ui.Texts(); }
  // The index of the first box of `text`, or -1.
  int BoxIndex(const std::string& text) const {
    const auto texts = machine.ui.Texts();
    const auto it = std::find(texts.begin(), texts.end(), text);
    return it == texts.end() ? -1 : static_cast<int>(it - texts.begin());
  }

  static std::vector<std::string> VirtualSerialPorts() {
    std::vector<std::string> ports;
    for (int i = 1; i <= 8; ++i) ports.push_back("TVCOM" + std::to_string(i) + ":");
    return ports;
  }

  sim::SimMachine machine{sim::kWinXP};
  HeadlessUi ui;
};

TEST(PlainFileNameTest, OnlyANameThatStaysInItsFolderIsPlain) {
  for (const char* plain : {"SWRAS.DLL", "swras.dll", "a", "R80 RAS.GPD", "NAME.WITH.DOTS", "COM10.DLL",
                            "LPT0.DLL", "CONSOLE.DLL", "nSWSERMON.DLL", "\xC8\xAB.DLL", "A~1 (2)#.D\x7F"}) {
    EXPECT_TRUE(IsPlainFileName(plain)) << plain;
  }
  for (const char* bad : {"", "..", ".", "..\\EVIL.DLL", "..\\..\\..\\EVILCFG.DLL", "sub\\X.DLL",
                          "sub/X.DLL", "C:X.DLL", "C:\\WINDOWS\\X.DLL", "\\\\server\\share\\X.DLL",
                          "a..b.dll", "X.DLL.", "X.DLL ", "X*.DLL", "X?.DLL", "X|Y", "X<Y", "X\"Y",
                          "X\tY", "CON", "con.dll", "NUL.GPD", "AUX", "PRN.DLL", "COM1", "com3.dll",
                          "LPT1.DLL", "CLOCK$", "X>Y", "\x01X.DLL", "X\x1F.DLL", "X\rY"}) {
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  }
}

TEST_F(InstallFaultTest, ConfiguredFileNamesWithAFolderPartAreNeverCopied) {
  Edit("DRVCONFIG\\setup_receipt.ini", "[SW-R80.XP]", "GDIConfigFile=SWUNIUI5.DLL",
       "GDIConfigFile=..\\..\\..\\EVILCFG.DLL");
  Edit("DRVCONFIG\\setup_receipt.ini", "[SW-R80.XP]", "GDIMonitorDLLName=SWSTMON.DLL",
       "GDIMonitorDLLName=..\\EVILLM.DLL");
  // The files the names lead to exist, so a copy would succeed.
  machine.files.WriteFile("D:\\EVILCFG.DLL", "not a driver file");
  machine.files.WriteFile("D:\\EVILLM.DLL", "not a monitor");

  Install(Selections(kWinXP, "SW-R80", kReceipt, "LPT1:"));

  EXPECT_FALSE(WrittenAnywhere("EVILCFG.DLL"));
  EXPECT_FALSE(WrittenAnywhere("EVILLM.DLL"));
  // Each refusal reads as a failed copy: the message, then both paths.
  const std::vector<std::string> texts = Boxes();
  for (const std::string name : {"..\\..\\..\\EVILCFG.DLL", "..\\EVILLM.DLL"}) {
    const auto source = std::find_if(texts.begin(), texts.end(), [&](const std::string& t) {
      return t.find("\\winnt\\" + name) != std::string::npos;
    });
    ASSERT_NE(source, texts.end()) << name << ": " << ::testing::PrintToString(texts);
    ASSERT_NE(source, texts.begin());
    EXPECT_EQ(*(source - 1), kCopyError);
    ASSERT_NE(source + 1, texts.end());
    EXPECT_NE((source + 1)->find("\\" + name), std::string::npos) << *(source + 1);
  }
  // The well-named files of the model are in place all the same.
  EXPECT_TRUE(WrittenAnywhere("SWUNI5.DLL"));
}

TEST_F(InstallFaultTest, ProcessorUpdateRefusesANameWithAFolderPart) {
  machine.spooler.InstallPrintProcessor("SWPrint", "SWPRTPRC.DLL");
  machine.registry.SetDword(PrintProcessorKey(kWinXP, "SWPrint"), "DriverVersion", 1);
  Edit("DRVCONFIG\\setup_receipt.ini", "[SW-R80.XP]", "STDProcessorDLLName=SWPRTPRC.DLL",
       "STDProcessorDLLName=..\\EVILPP.DLL");
  machine.files.WriteFile("D:\\EVILPP.DLL", "not a processor");

  EXPECT_EQ(Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM3:")), InstallOutcome::kClose);
  EXPECT_FALSE(WrittenAnywhere("EVILPP.DLL"));
  const std::vector<std::string> texts = Boxes();
  const int error = BoxIndex(kCopyError);
  ASSERT_GE(error, 0) << ::testing::PrintToString(texts);
  ASSERT_EQ(texts.size(), static_cast<std::size_t>(error) + 3) << ::testing::PrintToString(texts);
  EXPECT_NE(texts[error + 1].find("\\winnt\\..\\EVILPP.DLL"), std::string::npos);
  EXPECT_EQ(Dword(PrintProcessorKey(kWinXP, "SWPrint"), "DriverVersion"), 1u);
  EXPECT_TRUE(machine.services.IsRunning("Spooler"));
}

TEST_F(InstallFaultTest, MonitorInstalledUnderItsAlternateNameIsUpdatedWhereItLoads) {
  // An earlier install found the DLL in use and added the monitor as
  // "nSWSERMON.DLL"; that install was older.
  const std::string system = machine.system.systemDirectory;
  machine.files.WriteFile(system + "\\nSWSERMON.DLL", "old monitor");
  machine.spooler.InstallMonitor(kSerialMonitor, "nSWSERMON.DLL", VirtualSerialPorts());
  machine.registry.SetDword(MonitorKey(kSerialMonitor), "DriverVersion", 100);

  ASSERT_EQ(Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM3:")), InstallOutcome::kCompleted)
      << ::testing::PrintToString(Boxes());
  EXPECT_EQ(machine.files.Find(system + "\\nSWSERMON.DLL")->data, Read("winnt\\SWSERMON.DLL"));
  EXPECT_EQ(machine.files.Find(system + "\\SWSERMON.DLL"), nullptr) << "nothing loads the plain name";
  EXPECT_EQ(Dword(MonitorKey(kSerialMonitor), "DriverVersion"), 105u);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kInstalled});
}

TEST_F(InstallFaultTest, UpdateCopyRefusedWhileInUseIsShownAndTriedAgainNextTime) {
  const std::string system = machine.system.systemDirectory;
  machine.files.WriteFile(system + "\\SWSERMON.DLL", "old monitor");
  machine.spooler.InstallMonitor(kSerialMonitor, "SWSERMON.DLL", VirtualSerialPorts());
  machine.registry.SetDword(MonitorKey(kSerialMonitor), "DriverVersion", 100);
  for (const DWORD error : {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED}) {
    SCOPED_TRACE(error);
    machine.ui.boxes.clear();
    // The spooler has been told to stop but still holds the DLL.
    machine.faults.FailOnce("CopyFileA", error, "SWSERMON.DLL");
    ASSERT_EQ(Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM3:")), InstallOutcome::kCompleted);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kCopyError, std::to_string(error), kInstalled}));
    EXPECT_EQ(machine.files.Find(system + "\\SWSERMON.DLL")->data, "old monitor");
    EXPECT_EQ(Dword(MonitorKey(kSerialMonitor), "DriverVersion"), 100u);
    EXPECT_TRUE(machine.services.IsRunning("Spooler"));
  }
  // The next install replaces it.
  machine.ui.boxes.clear();
  ASSERT_EQ(Install(Selections(kWinXP, "SW-R80", kReceipt, "TVCOM4:")), InstallOutcome::kCompleted);
  EXPECT_EQ(machine.files.Find(system + "\\SWSERMON.DLL")->data, Read("winnt\\SWSERMON.DLL"));
  EXPECT_EQ(Dword(MonitorKey(kSerialMonitor), "DriverVersion"), 105u);
}

// A rate that is missing or not positive stores the 38400 the list shows;
// a positive rate the list lacks is kept as configured.
struct BaudRateCase {
  const char* line;  // in place of "BaudRate=115200"
  const char* stored;
  friend void PrintTo(const BaudRateCase& c, std::ostream* os) {
    *os << "\"" << c.line << "\" stores " << c.stored;
  }
};
class MissingBaudRateTest : public InstallFaultTest,
                            public ::testing::WithParamInterface<BaudRateCase> {};

TEST_P(MissingBaudRateTest, StoresTheRateTheListShows) {
  Edit("DRVCONFIG\\setup_receipt.ini", "[SW-R80.PORT]", "BaudRate=115200", GetParam().line);
  RunWizard([&](HeadlessWindow& w) {
    HeadlessWindow& port = ToPortPage(w);
    EXPECT_EQ(port.GetText(IDC_BAUD_RATE), "38400");
    ASSERT_TRUE(port.SelectText(IDC_PORTS, "TVCOM3:"));
    w.Click(1);
    EXPECT_TRUE(w.Ended());
  });
  const sim::RegValue* line = machine.registry.FindValue(
      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM3:");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->data, std::string(GetParam().stored) + ",n,8,1,p" + std::string(1, '\0'));
  EXPECT_EQ(Boxes().back(), kInstalled);
}

INSTANTIATE_TEST_SUITE_P(ConfiguredRates, MissingBaudRateTest,
                         ::testing::Values(BaudRateCase{";", "38400"},
                                           BaudRateCase{"BaudRate=0", "38400"},
                                           BaudRateCase{"BaudRate=-9600", "38400"},
                                           BaudRateCase{"BaudRate=14400", "14400"}));

TEST_F(InstallFaultTest, ModelNamedPrinterGetsAPortList) {
  for (const char* file : {"DRVCONFIG\\setup.ini", "DRVCONFIG\\setup_receipt.ini"}) {
    ReplaceAll(file, "SW-R80", "PRINTER");
  }
  RunWizard([&](HeadlessWindow& w) {
    HeadlessWindow& port = ToPortPage(w);
    ASSERT_EQ(port.Find(IDC_PORTS)->items.size(), 12u);  // TVCOM1..8, LPT1..3, the USB port
    EXPECT_EQ(port.GetText(IDC_PORTS), "TVCOM1:");
    EXPECT_FALSE(port.IsControlVisible(IDC_RASTER)) << "typical setup";
    ASSERT_TRUE(port.SelectText(IDC_PORTS, "LPT1:"));
    w.Click(1);
    EXPECT_TRUE(w.Ended());
  });
  EXPECT_NE(machine.spooler.FindPrinter("PRINTER(P)"), nullptr);
  EXPECT_EQ(Boxes().back(), kInstalled);
}

TEST_F(InstallFaultTest, LongUsbModelNameKeepsOnePortNameThroughTheInstall) {
  const std::string model = "SW-R80" + std::string(100, 'X');  // its USB port: 110 characters
  for (const char* file : {"DRVCONFIG\\setup.ini", "DRVCONFIG\\setup_receipt.ini"}) {
    ReplaceAll(file, "SW-R80", model);
  }
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 8);  // device number 1
  const std::string port = "USB_" + model + "_1";

  ASSERT_EQ(Install(Selections(kWinXP, model, kReceipt, port)), InstallOutcome::kCompleted)
      << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes(), std::vector<std::string>{kInstalledUsb});
  const sim::SimPrinter* printer = machine.spooler.FindPrinter(model + "(U) 1");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->portName, port);
  EXPECT_EQ(Dword(kPrinterPortKey, port), 0u) << "recorded as installed under its whole name";
}

// Systems whose spooler cannot take the family's 32-bit components: an NT
// version the wizard does not know (its target falls back to Windows 98/Me),
// and 64-bit Windows, which reports the version of Server 2003.
class InstallRefusedSystemTest : public InstallFaultTest,
                                 public ::testing::WithParamInterface<sim::SimOs> {};

TEST_P(InstallRefusedSystemTest, InstallsNothingAndKeepsTheWizardOpen) {
  machine.system = sim::SimSystem::For(GetParam());
  machine.InstallUsbLibrary();
  RunWizard([&](HeadlessWindow& w) {
    HeadlessWindow& port = ToPortPage(w);
    ASSERT_TRUE(port.SelectText(IDC_PORTS, "LPT1:"));
    w.Click(1);
    EXPECT_FALSE(w.Ended());
    EXPECT_EQ(w.VisibleChild()->TemplateId(), IDD_PORT);
    w.Click(2);
  });
  EXPECT_EQ(Boxes(), std::vector<std::string>{LoadStringText(IDS_WRONG_SYSTEM)});
  EXPECT_TRUE(machine.spooler.Printers().empty());
  for (const sim::SimCallRecord& call : machine.trace) {
    EXPECT_NE(call.call, "CopyFileA") << call.arguments;
    EXPECT_NE(call.call, "AddPrintProcessorA");
    EXPECT_NE(call.call, "AddMonitorA");
    EXPECT_NE(call.call, "RegCreateKeyExA") << call.arguments;
  }
}

INSTANTIATE_TEST_SUITE_P(Systems, InstallRefusedSystemTest,
                         ::testing::Values(sim::kWinNT6, sim::kWin2003x64),
                         [](const ::testing::TestParamInfo<sim::SimOs>& info) {
                           return info.param == sim::kWinNT6 ? std::string("UnknownNtVersion")
                                                             : std::string("Server2003x64");
                         });

// The model lists of a wizard run, category by category.
std::vector<std::vector<std::string>> ModelLists(HeadlessWindow& page) {
  std::vector<std::vector<std::string>> lists;
  for (int id : {IDC_RECEIPT_MODELS, IDC_TICKET_MODELS, IDC_LABEL_MODELS, IDC_EMBEDDED_MODELS}) {
    lists.push_back(page.Find(id)->items);
  }
  return lists;
}

TEST_F(InstallFaultTest, HugeModelCountListsWhatTheCountWouldList) {
  // A model entry far beyond the others; the entries in between read "0".
  Edit("DRVCONFIG\\setup.ini", "[DEVICENAME]", "DEVICENAME9=", "DEVICENAME40=SW-Z9-TicketPrinter\nDEVICENAME9=");
  struct Case {
    const char* count;
    bool listsZ9;
  };
  for (const Case c : {Case{"2147483647", true}, Case{"40", true}, Case{"39", false},
                       Case{"-5", false}}) {
    SCOPED_TRACE(c.count);
    Edit("DRVCONFIG\\setup.ini", "[DEVICENAME]", "DEVICENUMBER=", std::string("DEVICENUMBER=") + c.count + "\n;");
    std::vector<std::vector<std::string>> lists;
    RunWizard([&](HeadlessWindow& w) {
      w.VisibleChild()->Click(IDC_ACCEPT);
      w.Click(1);
      lists = ModelLists(*w.VisibleChild());
      w.Click(2);
    });
    if (std::string(c.count) == "-5") {
      EXPECT_EQ(lists, (std::vector<std::vector<std::string>>(4)));
      continue;
    }
    std::vector<std::string> tickets{"SW-T80", "SW-T58"};
    if (c.listsZ9) tickets.push_back("SW-Z9");
    EXPECT_EQ(lists[1], tickets);
    EXPECT_EQ(lists[0], (std::vector<std::string>{"SW-R80", "SW-R58", "SW-RXQ-K880"}));
  }
}

TEST_F(InstallFaultTest, HugeUsbDeviceCountRecordsWhatTheCountWould) {
  Edit("DRVCONFIG\\setup.ini", "[SUPPORTED-USB-DEVICE]", "PRNCOUNT=21", "PRNCOUNT=2147483647");
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 8);
  ASSERT_EQ(Install(Selections(kWinXP, "SW-R80", kReceipt, "USB_SW-R80_1")), InstallOutcome::kCompleted)
      << ::testing::PrintToString(Boxes());

  // Entries 0..20 are the configured ports; every later entry reads "0" and
  // records that name once, as free.
  const sim::RegKey* ports = machine.registry.FindKey(kPrinterPortKey);
  ASSERT_NE(ports, nullptr);
  std::vector<std::string> names;
  for (const auto& value : ports->values) names.push_back(value.name);
  InstallConfig config(machine);
  std::vector<std::string> expected;
  for (int d = 1; d <= 8; ++d) expected.push_back("D" + std::to_string(d));
  for (int i = 0; i <= 20; ++i) expected.push_back(config.GetSupportedUsbDevice(i));
  expected.push_back("0");
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Dword(kPrinterPortKey, "0"), 255u);
  EXPECT_EQ(Dword(kPrinterPortKey, "USB_SW-R80_1"), 0u);
  EXPECT_EQ(Dword(kPrinterPortKey, "USB_SW-E80_4"), 255u);
  EXPECT_EQ(Dword(kPortNameKey, "USB_SW-R80_1"), 0u);
}

TEST_F(InstallFaultTest, UsbDeviceCountOfTheEntriesRecordsNoMissingEntry) {
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 8);
  ASSERT_EQ(Install(Selections(kWinXP, "SW-R58", kReceipt, "USB_SW-R58_1")), InstallOutcome::kCompleted);
  EXPECT_EQ(Dword(kPrinterPortKey, "0"), 0xDEADu) << "PRNCOUNT=21 names entries 0..20 only";
  EXPECT_EQ(Dword(kPortNameKey, "USB_SW-R58_1"), 4u);
}

}  // namespace
}  // namespace setwell
