// Setup.exe end to end under Wine, driven from this second program as a
// person would drive it, once for each Windows version the wizard targets:
// the licence gates Next, the pages follow in order, the target system page
// shows the running system, the port page lists that system's ports, the
// about box opens from the system menu, and Cancel ends the program.
//
// The Windows version is set for Setup.exe alone (Wine's per-program
// setting), so the test prefix itself stays as it is.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "WindowDriver.h"
#include "resources/DialogTemplate.h"
#include "resources/Texts.h"

namespace setwell {
namespace {

using namespace driver;

constexpr const char* kTitle = "Install Driver for Printers";
constexpr DWORD kTimeout = 30000;
constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\Setup.exe";
constexpr const char* kAppX11Settings = "Software\\Wine\\AppDefaults\\Setup.exe\\X11 Driver";

// The wizard's default and Cancel buttons; the other controls by the ids
// of the layouts Setup.exe is built from.
constexpr int kNext = IDOK;
constexpr int kCancel = IDCANCEL;

struct Target {
  const char* wineVersion;
  int button;  // the target system page's radio button
  bool usbListed;
  bool tvcomPorts;
  friend void PrintTo(const Target& t, std::ostream* os) { *os << t.wineVersion; }
};

const Target kTargets[] = {
    {"win98", IDC_WIN98, true, false},  {"nt40", IDC_WINNT, false, true},
    {"win2k", IDC_WIN2000, true, true}, {"winxp", IDC_WINXP, true, true},
    {"win2003", IDC_WIN2003, true, true},
};

bool CopyTree(const std::string& from, const std::string& to) {
  ::CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA found{};
  HANDLE search = ::FindFirstFileA((from + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyTree(from + "\\" + name, to + "\\" + name) && ok;
    } else {
      ok = ::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return ok;
}

void SetWineVersion(const char* version) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
  ::RegCloseKey(key);
  // Setup.exe's windows are not handed to a window manager: the virtual X
  // server has none, and Wine waits two seconds for one to confirm each
  // top-level window it hides (every message box, about box and the wizard
  // itself), which was most of a wizard walk.
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kAppX11Settings, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  ::RegCloseKey(key);
}

// From the licence page to the port page with the choices the pages make
// themselves: the agreement accepted, then Next four times.
void WalkToThePortPage(HWND wizard) {
  Click(wizard, IDC_ACCEPT);
  for (int page = 1; page <= 4; ++page) {
    Settle(wizard);
    Click(wizard, kNext);
  }
}

// Answers the wizard's message boxes as they come, each with the button
// `answer` names for its text, until `isLast` says a text ends the install,
// none comes within a minute, or eight have come; their texts, in order.
std::vector<std::string> AnswerMessageBoxes(
    const std::function<const char*(const std::string&)>& answer,
    const std::function<bool(const std::string&)>& isLast) {
  std::vector<std::string> messages;
  while (messages.size() < 8) {
    HWND box = WaitForMessageBox(kTitle, 60000);
    if (box == nullptr) break;
    messages.push_back(MessageBoxText(box));
    ClickButtonByText(box, answer(messages.back()));
    WaitUntilGone(box, kTimeout);
    if (isLast(messages.back())) break;
  }
  return messages;
}

ControlState Read(HWND wizard, int id) {
  HWND control = FindControl(wizard, id);
  return control == nullptr ? ControlState{} : ReadControl(control);
}

// Starts the folder's Setup.exe with the folder as its current directory.
bool StartSetup(const std::string& folder, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + folder + "\\Setup.exe\"";
  return ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process) != FALSE;
}

// Ends a Setup.exe the test left running and forgets its Windows version.
void StopSetup(PROCESS_INFORMATION& process) {
  if (process.hProcess != nullptr) {
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    process = PROCESS_INFORMATION{};
  }
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kAppX11Settings);  // a key with subkeys stays
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
}

class SetupExeTest : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "setwell-e2e-" + GetParam().wineVersion;
    ASSERT_TRUE(CopyTree(SETWELL_DISTRIBUTION, folder_));
    ASSERT_TRUE(::CopyFileA(SETWELL_SETUP_EXE, (folder_ + "\\Setup.exe").c_str(), FALSE));
    SetWineVersion(GetParam().wineVersion);

    ASSERT_TRUE(StartSetup(folder_, process_));
  }

  void TearDown() override {
    StopSetup(process_);
  }

  std::string folder_;
  PROCESS_INFORMATION process_{};
};

TEST_P(SetupExeTest, WalksThroughTheWizardAndCancels) {
  const Target& target = GetParam();
  HWND wizard = WaitForWizard(kTitle, kTimeout);
  ASSERT_NE(wizard, nullptr) << "the wizard did not open";

  // Licence page: the agreement shows, Reject is checked, Next waits.
  EXPECT_EQ(Read(wizard, IDC_REJECT).check, BST_CHECKED);
  EXPECT_FALSE(Read(wizard, kNext).enabled);
  EXPECT_FALSE(Read(wizard, IDC_BACK).enabled);
  EXPECT_EQ(Read(wizard, kNext).text, "Next (&N)>>");
  EXPECT_NE(Read(wizard, 1063).text.find("LICENCE AGREEMENT"), std::string::npos);
  ASSERT_TRUE(Click(wizard, IDC_ACCEPT));
  Settle(wizard);
  EXPECT_TRUE(Read(wizard, kNext).enabled);

  // Printer model page: the receipt models of the sample distribution.
  Click(wizard, kNext);
  Settle(wizard);
  const ControlState models = Read(wizard, IDC_RECEIPT_MODELS);
  EXPECT_TRUE(models.visible);
  EXPECT_EQ(models.text, "SW-R80");
  EXPECT_TRUE(Read(wizard, IDC_BACK).enabled);

  // Setup type page: the model allows Advanced.
  Click(wizard, kNext);
  Settle(wizard);
  EXPECT_TRUE(Read(wizard, IDC_ADVANCED).visible);
  EXPECT_TRUE(Read(wizard, IDC_ADVANCED).enabled);

  // Target system page: the running system, and only it.
  Click(wizard, kNext);
  Settle(wizard);
  for (int button = IDC_WIN98; button <= IDC_WINXP; ++button) {
    EXPECT_EQ(Read(wizard, button).check == BST_CHECKED, button == target.button) << button;
    EXPECT_EQ(Read(wizard, button).enabled, button == target.button) << button;
  }
  EXPECT_EQ(Read(wizard, IDC_WIN2003).check == BST_CHECKED, target.button == IDC_WIN2003);

  // Port page: the USB probe finds no interface library under Wine and
  // says so; then the list of the system's ports.
  Click(wizard, kNext);
  HWND box = WaitForMessageBox(kTitle, kTimeout);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Can not load TvUsbInt.dll");
  EXPECT_EQ(::GetWindow(box, GW_OWNER), wizard) << "message boxes are owned by the wizard";
  ASSERT_TRUE(ClickButtonByText(box, "OK"));
  ASSERT_TRUE(WaitUntilGone(box, kTimeout));
  Settle(wizard);
  EXPECT_EQ(Read(wizard, kNext).text, "Finish (&F)");
  const ControlState ports = Read(wizard, IDC_PORTS);
  std::vector<std::string> expected;
  if (target.tvcomPorts) {
    for (int i = 1; i <= 8; ++i) expected.push_back("TVCOM" + std::to_string(i) + ":");
    for (int i = 1; i <= 3; ++i) expected.push_back("LPT" + std::to_string(i) + ":");
  } else {
    expected = {"COM1:", "COM2:", "LPT1:"};
  }
  if (target.usbListed) expected.push_back("USB_SW-R80_1");
  EXPECT_EQ(ports.items, expected);
  EXPECT_EQ(ports.selection, 0);
  EXPECT_FALSE(Read(wizard, IDC_RASTER).visible) << "typical setup hides the raster choice";
  if (target.usbListed) {
    ASSERT_TRUE(SelectEntry(wizard, IDC_PORTS, "USB_SW-R80_1"));
    Settle(wizard);
    EXPECT_TRUE(Read(wizard, IDC_USB_NOTE).visible);
  }

  // The about box from the system menu, twice the same, centred over the
  // wizard (moved off the screen's centre first, where both would be).
  ASSERT_TRUE(::SetWindowPos(wizard, nullptr, 5, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  for (int round = 0; round < 2; ++round) {
    SysCommand(wizard, 16);
    HWND about = WaitForWindow("About Setwell", kTimeout);
    ASSERT_NE(about, nullptr);
    RECT over{}, box{};
    ::GetWindowRect(wizard, &over);
    ::GetWindowRect(about, &box);
    EXPECT_NEAR(box.left + box.right, over.left + over.right, 2);
    EXPECT_NEAR(box.top + box.bottom, over.top + over.bottom, 2);
    bool version = false;
    for (const ControlState& c : ReadControls(about)) version |= c.text == "Setwell Version 1.20";
    EXPECT_TRUE(version);
    ASSERT_TRUE(ClickButtonByText(about, "OK"));
    ASSERT_TRUE(WaitUntilGone(about, kTimeout));
  }
  EXPECT_EQ(Read(wizard, kNext).text, "Finish (&F)") << "the wizard is where it was";

  // Cancel ends the program without a further message.
  Click(wizard, kCancel);
  EXPECT_EQ(::WaitForSingleObject(process_.hProcess, kTimeout), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForWindow(kTitle, 0), nullptr);
}

// Removes the printers an earlier run of the install left in the prefix.
void DeletePrinters(const std::string& prefix) {
  DWORD needed = 0, count = 0;
  ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  if (!::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    return;
  }
  auto* printers = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (std::string(printers[i].pPrinterName).rfind(prefix, 0) != 0) continue;
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterA(printers[i].pPrinterName, &printer, &access)) {
      ::DeletePrinter(printer);
      ::ClosePrinter(printer);
    }
  }
}

std::vector<PRINTER_INFO_2A> Printers(std::vector<BYTE>& buffer) {
  DWORD needed = 0, count = 0;
  ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  buffer.assign(needed + 1, 0);
  if (!::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    return {};
  }
  auto* first = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  return std::vector<PRINTER_INFO_2A>(first, first + count);
}

using SetupExeInstallTest = SetupExeTest;

// Finish on the parallel port of a typical setup installs into Wine's real
// spooler: the driver and a printer named after the model and the port
// kind, which the spooler then lists. (The stand-in language monitor of the
// sample distribution is no DLL, so adding it fails with its own message;
// the install goes on, as it does on Windows.)
TEST_P(SetupExeInstallTest, FinishInstallsTheDriverAndThePrinter) {
  DeletePrinters("SW-R80(P)");
  HWND wizard = WaitForWizard(kTitle, kTimeout);
  ASSERT_NE(wizard, nullptr);
  WalkToThePortPage(wizard);
  HWND probe = WaitForMessageBox(kTitle, kTimeout);
  ASSERT_NE(probe, nullptr);
  ClickButtonByText(probe, "OK");
  WaitUntilGone(probe, kTimeout);
  Settle(wizard);
  ASSERT_TRUE(SelectEntry(wizard, IDC_PORTS, "LPT1:"));
  Settle(wizard);
  EXPECT_EQ(Read(wizard, IDC_RASTER).check, BST_CHECKED) << "a parallel port takes the raster driver";
  Click(wizard, kNext);  // Finish

  const std::vector<std::string> messages = AnswerMessageBoxes(
      [](const std::string&) { return "OK"; },
      [](const std::string& text) { return text == "Successfully installed printer driver"; });
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Successfully installed printer driver");
  EXPECT_EQ(::WaitForSingleObject(process_.hProcess, kTimeout), WAIT_OBJECT_0)
      << "the program ends after the install";

  std::vector<BYTE> buffer;
  bool found = false;
  for (const PRINTER_INFO_2A& printer : Printers(buffer)) {
    if (std::string(printer.pPrinterName) != "SW-R80(P)") continue;
    found = true;
    EXPECT_STREQ(printer.pPortName, "LPT1:");
    EXPECT_STREQ(printer.pDriverName, "SW-R80 Raster Graphics");
  }
  EXPECT_TRUE(found) << "EnumPrintersA lists the new printer";
  DeletePrinters("SW-R80(P)");
}

// Full installs with the family's components: the distribution's stand-in
// monitors and print processor are replaced by the DLLs of
// tests/win32/fixtures, which Wine's spooler loads, and a stand-in USB
// interface library with one simulated printer lies beside Setup.exe.
struct Install {
  const char* wineVersion;
  const char* port;         // the port picked on the port page
  int usbRelease;           // the attached printer's device release number
  bool renumber;            // question 143 comes and is answered Yes
  const char* printer;      // the printer EnumPrintersA must list
  const char* driver;
  const char* monitor;      // the port monitor EnumMonitorsA must list, or null
  std::vector<std::string> messages;  // every message box, in order
  friend void PrintTo(const Install& i, std::ostream* os) { *os << i.wineVersion << ", " << i.port; }
};

const char* const kSuccess = "Successfully installed printer driver";
const char* const kSuccessUsb = "Successfully installed printer driver\nPlease repower the printer";
const char* const kRestart =
    "Restart the computer so that the changes can take effect\nClick on \"Yes\" to restart the "
    "computer immediately\nClick on \"No\" to restart the computer later";
const char* const kRenumber =
    "This application will change printer name\nthe name will be matching with interface "
    "name\nIf continue, click on \"Yes\"\nOtherwise click on \"No\"";

const Install kInstalls[] = {
    {"winxp", "TVCOM3:", 0, false, "SW-R80(S)", "SW-R80 Standard", "SW Serial Port Monitor",
     {kSuccess}},
    {"winxp", "USB_SW-R80_1", 0, false, "SW-R80(U) 1", "SW-R80 Raster Graphics",
     "SW USB Port Monitor", {kSuccessUsb}},
    {"win2k", "USB_SW-R80_1", 9, true, "SW-R80(U) 1", "SW-R80 Raster Graphics",
     "SW USB Port Monitor", {kRenumber, kSuccessUsb}},
    {"nt40", "TVCOM5:", 0, false, "SW-R80(S)", "SW-R80 Standard", "SW Serial Port Monitor",
     {kSuccess}},
    {"win2003", "TVCOM1:", 0, false, "SW-R80(S)", "SW-R80 Standard", "SW Serial Port Monitor",
     {kSuccess}},
    // Wine answers a Windows 9x program's GetPrintProcessorDirectory with
    // "spool\prtprocs\win40" under the system directory but never creates
    // that folder (on Windows 98 it is the system directory itself), so the
    // processor's copy fails with its three messages; registering it needs
    // no file under Wine, and the install goes on.
    {"win98", "USB_SW-R80_1", 0, false, "SW-R80(U) 1", "SW-R80 Raster Graphics",
     "SW USB Port Monitor",
     {"Copy driver files error", "%FOLDER%\\win98\\SWPRTPRC.DLL",
      "%SYSTEM%\\spool\\prtprocs\\win40\\SWPRTPRC.DLL", kRestart}},
};

std::string Fixture(const char* name) { return std::string(SETWELL_FIXTURES) + "\\" + name; }

// Puts the fixture DLLs where the distribution has its stand-in files.
bool InstallFixtures(const std::string& folder) {
  const struct {
    const char* file;
    const char* fixture;
  } kReplacements[] = {{"SWSERMON.DLL", "SerialMonitor.dll"},
                       {"SWUSBMON.DLL", "UsbMonitor.dll"},
                       {"SWSTMON.DLL", "LanguageMonitor.dll"},
                       {"SWPRTPRC.DLL", "PrintProcessor.dll"}};
  bool ok = true;
  for (const char* system : {"win98", "winnt", "win2003"}) {
    for (const auto& r : kReplacements) {
      const std::string target = folder + "\\" + system + "\\" + r.file;
      if (::GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      ok = ::CopyFileA(Fixture(r.fixture).c_str(), target.c_str(), FALSE) && ok;
    }
  }
  return ::CopyFileA(Fixture("TvUsbInt.dll").c_str(), (folder + "\\TvUsbInt.dll").c_str(),
                     FALSE) && ok;
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(::GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  ::CloseHandle(file);
  text.resize(read);
  return text;
}

template <typename Info>
std::vector<std::string> Names(BOOL (*enumerate)(DWORD, BYTE*, DWORD, DWORD*, DWORD*),
                               DWORD level) {
  DWORD needed = 0, count = 0;
  enumerate(level, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  std::vector<std::string> names;
  if (!enumerate(level, buffer.data(), needed, &needed, &count)) return names;
  const auto* records = reinterpret_cast<const Info*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(records[i].pName);
  return names;
}

std::vector<std::string> MonitorNames() {
  return Names<MONITOR_INFO_1A>(
      [](DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumMonitorsA(nullptr, level, buffer, size, needed, count);
      },
      1);
}

// The print processors of the environment that a Windows 98 install
// registers under ("Windows 4.0"), or of this system's own.
std::vector<std::string> ProcessorNames(bool windows98) {
  static bool win40 = false;
  win40 = windows98;
  return Names<PRINTPROCESSOR_INFO_1A>(
      [](DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPrintProcessorsA(nullptr, const_cast<char*>(win40 ? "Windows 4.0" : nullptr),
                                      level, buffer, size, needed, count);
      },
      1);
}

std::vector<std::string> PortNames() {
  return Names<PORT_INFO_1A>(
      [](DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPortsA(nullptr, level, buffer, size, needed, count);
      },
      1);
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names) {
    if (n == name) return true;
  }
  return false;
}

// Forgets the family's monitors and print processor, so that every install
// adds them anew. (Wine keeps a print processor as its registry key alone.)
void DeleteFamilyComponents() {
  for (const char* environment : {"Windows NT x86", "Windows 4.0"}) {
    const std::string key = std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\") +
                            environment + "\\Print Processors\\SWPrint";
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
  }
  ::DeleteMonitorA(nullptr, nullptr, const_cast<char*>("SW Serial Port Monitor"));
  ::DeleteMonitorA(nullptr, nullptr, const_cast<char*>("SW USB Port Monitor"));
  ::DeleteMonitorA(nullptr, nullptr, const_cast<char*>("SW Status Monitor"));
}

class SetupExeFullInstallTest : public ::testing::TestWithParam<Install> {
 protected:
  void SetUp() override {
    const Install& install = GetParam();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "setwell-full-" + install.wineVersion;
    DeletePrinters("SW-R80(");
    DeleteFamilyComponents();
    ASSERT_TRUE(CopyTree(SETWELL_DISTRIBUTION, folder_));
    ASSERT_TRUE(::CopyFileA(SETWELL_SETUP_EXE, (folder_ + "\\Setup.exe").c_str(), FALSE));
    ASSERT_TRUE(InstallFixtures(folder_));
    const std::string ini = folder_ + "\\TvUsbInt.ini";
    ::WritePrivateProfileStringA("Bus", "Printers", "1", ini.c_str());
    ::WritePrivateProfileStringA("Bus", "Release", std::to_string(install.usbRelease).c_str(),
                                 ini.c_str());
    ::DeleteFileA((folder_ + "\\TvUsbInt.log").c_str());
    SetWineVersion(install.wineVersion);

    ASSERT_TRUE(StartSetup(folder_, process_));
  }

  void TearDown() override {
    StopSetup(process_);
    DeletePrinters("SW-R80(");
  }

  std::string folder_;
  PROCESS_INFORMATION process_{};
};

TEST_P(SetupExeFullInstallTest, InstallsThePrinterWithTheFamilyComponents) {
  const Install& install = GetParam();
  HWND wizard = WaitForWizard(kTitle, kTimeout);
  ASSERT_NE(wizard, nullptr);
  WalkToThePortPage(wizard);
  Settle(wizard);
  // The probe found the simulated printer: no message, its USB port listed.
  ASSERT_EQ(WaitForMessageBox(kTitle, 0), nullptr) << MessageBoxText(WaitForMessageBox(kTitle, 0));
  const ControlState ports = Read(wizard, IDC_PORTS);
  ASSERT_TRUE(Contains(ports.items, install.port));
  ASSERT_TRUE(SelectEntry(wizard, IDC_PORTS, install.port));
  Settle(wizard);
  Click(wizard, kNext);  // Finish

  const std::vector<std::string> messages = AnswerMessageBoxes(
      [](const std::string& text) {
        return text == kRenumber ? "Yes" : text == kRestart ? "No" : "OK";
      },
      [](const std::string& text) {
        return text == kSuccess || text == kSuccessUsb || text == kRestart;
      });
  std::vector<std::string> expected = install.messages;
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  for (std::string& text : expected) {
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"%FOLDER%", folder_},
                                       {"%SYSTEM%", system}}) {
      if (text.rfind(token, 0) == 0) text = value + text.substr(token.size());
    }
  }
  EXPECT_EQ(messages, expected);
  EXPECT_EQ(::WaitForSingleObject(process_.hProcess, kTimeout), WAIT_OBJECT_0)
      << "the program ends after the install";

  std::vector<BYTE> buffer;
  int found = 0;
  for (const PRINTER_INFO_2A& printer : Printers(buffer)) {
    if (std::string(printer.pPrinterName).rfind("SW-R80(", 0) != 0) continue;
    ++found;
    EXPECT_STREQ(printer.pPrinterName, install.printer);
    EXPECT_STREQ(printer.pPortName, install.port);
    EXPECT_STREQ(printer.pDriverName, install.driver);
    EXPECT_STREQ(printer.pPrintProcessor, "SWPrint");
  }
  EXPECT_EQ(found, 1) << "EnumPrintersA lists the one new printer";
  const std::vector<std::string> monitors = MonitorNames();
  EXPECT_TRUE(Contains(monitors, install.monitor)) << install.monitor;
  EXPECT_TRUE(Contains(ProcessorNames(std::string(install.wineVersion) == "win98"), "SWPrint"));
  EXPECT_TRUE(Contains(PortNames(), install.port)) << "the family's monitor serves the port";

  // The device-number command reached the simulated printer only when asked.
  const std::string written = ReadWholeFile(folder_ + "\\TvUsbInt.log");
  if (install.renumber) {
    // One command: 1B, the access code, 1D 49 20, device number 1 sent as 0.
    ASSERT_EQ(written.size(), 30u) << written;
    EXPECT_EQ(written.substr(0, 3), "1B ");
    EXPECT_EQ(written.substr(18), "1D 49 20 00\n");
  } else {
    EXPECT_EQ(written, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SetupExeFullInstallTest, ::testing::ValuesIn(kInstalls),
                         [](const ::testing::TestParamInfo<Install>& info) {
                           std::string name = std::string(info.param.wineVersion) + "_";
                           for (char c : std::string(info.param.port)) {
                             if (isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

// The help viewer windows that are open: Wine's HTML Help viewer (hh.exe)
// shows a CHM in a top-level window of class "HH Parent".
std::vector<HWND> HelpWindows() {
  std::vector<HWND> found;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "HH Parent", nullptr); w != nullptr;
       w = ::FindWindowExA(nullptr, w, "HH Parent", nullptr)) {
    if (::IsWindowVisible(w)) found.push_back(w);
  }
  return found;
}

std::vector<HWND> WaitForHelpWindows(size_t count, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  std::vector<HWND> found = HelpWindows();
  while (found.size() < count && ::GetTickCount() - start < timeoutMs) {
    ::Sleep(100);
    found = HelpWindows();
  }
  return found;
}

// F1 as a person presses it: a key stroke of the keyboard into the wizard,
// brought to the foreground. (A posted WM_KEYDOWN would not do: the host
// turns F1 into WM_HELP only for keys that come from the keyboard.)
void PressF1(HWND wizard) {
  ::SetForegroundWindow(wizard);
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_F1;
    key.ki.wScan = 0x3B;
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
}

using SetupExeHelpTest = SetupExeTest;

// F1 opens the distribution's Guide.CHM in the help viewer; a second F1
// brings that window forward instead of opening another.
TEST_P(SetupExeHelpTest, F1OpensTheGuideOnce) {
  for (HWND old : HelpWindows()) ::PostMessageA(old, WM_CLOSE, 0, 0);
  HWND wizard = WaitForWizard(kTitle, kTimeout);
  ASSERT_NE(wizard, nullptr);
  Settle(wizard);
  PressF1(wizard);
  std::vector<HWND> help = WaitForHelpWindows(1, kTimeout);
  ASSERT_EQ(help.size(), 1u) << "F1 opens the help viewer";
  char title[512] = {};
  ::GetWindowTextA(help[0], title, sizeof title);
  EXPECT_STREQ(title, kHelpWindowTitle) << "the viewer shows the guide, titled as the wizard looks for it";
  // The second F1 finds the viewer by its title and activates it. (Whether
  // it comes to the foreground cannot be seen here: without a window
  // manager under Xvfb, Wine keeps the foreground where the key went.)
  PressF1(wizard);
  Settle(wizard);
  ::Sleep(1500);
  EXPECT_EQ(HelpWindows().size(), 1u) << "a second F1 opens no second viewer";
  for (HWND w : HelpWindows()) ::PostMessageA(w, WM_CLOSE, 0, 0);
  Click(wizard, kCancel);
  EXPECT_EQ(::WaitForSingleObject(process_.hProcess, kTimeout), WAIT_OBJECT_0);
}

INSTANTIATE_TEST_SUITE_P(WindowsXp, SetupExeHelpTest, ::testing::Values(kTargets[3]),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.wineVersion);
                         });

INSTANTIATE_TEST_SUITE_P(WindowsXp, SetupExeInstallTest, ::testing::Values(kTargets[3]),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.wineVersion);
                         });

INSTANTIATE_TEST_SUITE_P(Versions, SetupExeTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.wineVersion);
                         });

}  // namespace
}  // namespace setwell
