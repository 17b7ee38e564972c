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

#include <string>
#include <vector>

#include "WindowDriver.h"

namespace setwell {
namespace {

using namespace driver;

constexpr const char* kTitle = "Install Driver for Printers";
constexpr DWORD kTimeout = 30000;
constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\Setup.exe";

// The controls the test looks at.
enum : int {
  kNext = 1, kCancel = 2, kBack = 1002, kAccept = 1057, kReject = 1058, kReceiptModels = 1030,
  kAdvanced = 1067, kWin98 = 1026, kWin2003 = 1075, kPorts = 1049, kRaster = 1052,
  kUsbNote = 1065,
};

struct Target {
  const char* wineVersion;
  int button;  // the target system page's radio button
  bool usbListed;
  bool tvcomPorts;
};

const Target kTargets[] = {
    {"win98", 1026, true, false},  {"nt40", 1027, false, true}, {"win2k", 1028, true, true},
    {"winxp", 1029, true, true},   {"win2003", 1075, true, true},
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
}

ControlState Read(HWND wizard, int id) {
  HWND control = FindControl(wizard, id);
  return control == nullptr ? ControlState{} : ReadControl(control);
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

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + folder_ + "\\Setup.exe\"";
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder_.c_str(), &startup, &process_));
  }

  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.hProcess, 1);
      }
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
  }

  std::string folder_;
  PROCESS_INFORMATION process_{};
};

TEST_P(SetupExeTest, WalksThroughTheWizardAndCancels) {
  const Target& target = GetParam();
  HWND wizard = WaitForWizard(kTitle, kTimeout);
  ASSERT_NE(wizard, nullptr) << "the wizard did not open";

  // Licence page: the agreement shows, Reject is checked, Next waits.
  EXPECT_EQ(Read(wizard, kReject).check, BST_CHECKED);
  EXPECT_FALSE(Read(wizard, kNext).enabled);
  EXPECT_FALSE(Read(wizard, kBack).enabled);
  EXPECT_EQ(Read(wizard, kNext).text, "Next (&N)>>");
  EXPECT_NE(Read(wizard, 1063).text.find("LICENCE AGREEMENT"), std::string::npos);
  ASSERT_TRUE(Click(wizard, kAccept));
  Settle(wizard);
  EXPECT_TRUE(Read(wizard, kNext).enabled);

  // Printer model page: the receipt models of the sample distribution.
  Click(wizard, kNext);
  Settle(wizard);
  const ControlState models = Read(wizard, kReceiptModels);
  EXPECT_TRUE(models.visible);
  EXPECT_EQ(models.text, "SW-R80");
  EXPECT_TRUE(Read(wizard, kBack).enabled);

  // Setup type page: the model allows Advanced.
  Click(wizard, kNext);
  Settle(wizard);
  EXPECT_TRUE(Read(wizard, kAdvanced).visible);
  EXPECT_TRUE(Read(wizard, kAdvanced).enabled);

  // Target system page: the running system, and only it.
  Click(wizard, kNext);
  Settle(wizard);
  for (int button = kWin98; button <= 1029; ++button) {
    EXPECT_EQ(Read(wizard, button).check == BST_CHECKED, button == target.button) << button;
    EXPECT_EQ(Read(wizard, button).enabled, button == target.button) << button;
  }
  EXPECT_EQ(Read(wizard, kWin2003).check == BST_CHECKED, target.button == kWin2003);

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
  const ControlState ports = Read(wizard, kPorts);
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
  EXPECT_FALSE(Read(wizard, kRaster).visible) << "typical setup hides the raster choice";
  if (target.usbListed) {
    ASSERT_TRUE(SelectEntry(wizard, kPorts, "USB_SW-R80_1"));
    Settle(wizard);
    EXPECT_TRUE(Read(wizard, kUsbNote).visible);
  }

  // The about box from the system menu, twice the same.
  for (int round = 0; round < 2; ++round) {
    SysCommand(wizard, 16);
    HWND about = WaitForWindow("About Setwell", kTimeout);
    ASSERT_NE(about, nullptr);
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
  Click(wizard, kAccept);
  for (int page = 1; page <= 4; ++page) {
    Settle(wizard);
    Click(wizard, kNext);
  }
  HWND probe = WaitForMessageBox(kTitle, kTimeout);
  ASSERT_NE(probe, nullptr);
  ClickButtonByText(probe, "OK");
  WaitUntilGone(probe, kTimeout);
  Settle(wizard);
  ASSERT_TRUE(SelectEntry(wizard, kPorts, "LPT1:"));
  Settle(wizard);
  EXPECT_EQ(Read(wizard, kRaster).check, BST_CHECKED) << "a parallel port takes the raster driver";
  Click(wizard, kNext);  // Finish

  std::vector<std::string> messages;
  while (messages.size() < 8) {
    HWND box = WaitForMessageBox(kTitle, 60000);
    if (box == nullptr) break;
    messages.push_back(MessageBoxText(box));
    ClickButtonByText(box, "OK");
    WaitUntilGone(box, kTimeout);
    if (messages.back() == "Successfully installed printer driver") break;
  }
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
