#include "sim/SimMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace setwell::sim {
namespace {

// --- Message boxes ----------------------------------------------------------------

TEST(SimUiTest, OkBoxesAreAnsweredAndQuestionsTakeTheScriptInOrder) {
  SimMachine machine(kWinXP);
  machine.ui.Answer(IDNO, "change printer name");
  machine.ui.Answer(IDYES);
  EXPECT_EQ(machine.MessageBoxA("Add monitor error", "Setup", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(machine.MessageBoxA("This application will change printer name", "Setup",
                                MB_YESNO | MB_ICONQUESTION),
            IDNO);
  EXPECT_EQ(machine.MessageBoxA("Restart the computer", "Setup", MB_YESNO), IDYES);
  EXPECT_EQ(machine.ui.Texts(), (std::vector<std::string>{"Add monitor error",
                                                           "This application will change printer name",
                                                           "Restart the computer"}));
  EXPECT_EQ(machine.ui.boxes[0].Icon(), static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(machine.ui.boxes[0].IsQuestion());
  EXPECT_TRUE(machine.ui.AllQuestionsAnswered());
  EXPECT_TRUE(machine.ui.script.empty());
}

struct UnansweredCase {
  const char* name;
  std::function<void(SimUi&)> setUp;
  friend void PrintTo(const UnansweredCase& c, std::ostream* os) { *os << c.name; }
};

class SimUnansweredTest : public ::testing::TestWithParam<UnansweredCase> {};

TEST_P(SimUnansweredTest, AQuestionNobodyAnswersFailsTheTest) {
  SimMachine machine(kWin98);
  GetParam().setUp(machine.ui);
  EXPECT_THROW(machine.MessageBoxA("Restart the computer?", "Setup", MB_YESNO), UnansweredQuestion);
  ASSERT_EQ(machine.ui.boxes.size(), 1u);
  EXPECT_TRUE(machine.ui.boxes[0].unanswered);
  EXPECT_FALSE(machine.ui.AllQuestionsAnswered());

  // Code that swallows the exception still leaves the record, and the box
  // reports MessageBoxA's failure value.
  machine.ui.throwOnUnanswered = false;
  EXPECT_EQ(machine.MessageBoxA("Restart the computer?", "Setup", MB_YESNO), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimUnansweredTest,
    ::testing::Values(UnansweredCase{"NothingScripted", [](SimUi&) {}},
                      UnansweredCase{"ScriptedForAnotherQuestion",
                                     [](SimUi& ui) { ui.Answer(IDYES, "printer name"); }},
                      UnansweredCase{"OkCancelIsAQuestionToo",
                                     [](SimUi& ui) { ui.Answer(IDOK, "no such text"); }}),
    [](const ::testing::TestParamInfo<UnansweredCase>& info) {
      return std::string(info.param.name);
    });

TEST(SimUiTest, TheResponderAnswersWhatTheScriptDoesNot) {
  SimMachine machine(kWinXP);
  std::vector<std::string> asked;
  machine.ui.responder = [&](const MessageBoxRecord& box) {
    asked.push_back(box.text);
    return IDNO;
  };
  machine.ui.Answer(IDYES);
  EXPECT_EQ(machine.MessageBoxA("first", "", MB_YESNO), IDYES);
  EXPECT_EQ(machine.MessageBoxA("second", "", MB_YESNO), IDNO);
  EXPECT_EQ(asked, std::vector<std::string>{"second"});
}

// --- Fault injection ------------------------------------------------------------------

struct FaultCase {
  const char* name;
  std::function<void(SimFaults&)> inject;
  std::vector<DWORD> copies;  // the outcome of four copies of a.dll, then of b.dll
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

class SimFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimFaultTest, ACallFailsAsToldAndOtherwiseAsTheMachineWould) {
  SimMachine machine(kWinXP);
  machine.files.WriteFile("C:\\a.dll", "a");
  machine.files.WriteFile("C:\\b.dll", "b");
  GetParam().inject(machine.faults);
  std::vector<DWORD> outcomes;
  for (const char* source : {"C:\\a.dll", "C:\\a.dll", "C:\\a.dll", "C:\\a.dll", "C:\\b.dll"}) {
    const BOOL ok = machine.CopyFileA(source, "C:\\WINDOWS\\target.dll", FALSE);
    outcomes.push_back(ok ? ERROR_SUCCESS : machine.GetLastError());
  }
  EXPECT_EQ(outcomes, GetParam().copies);
}

constexpr DWORD kOk = ERROR_SUCCESS;
constexpr DWORD kBusy = ERROR_SHARING_VIOLATION;

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFaultTest,
    ::testing::Values(
        FaultCase{"None", [](SimFaults&) {}, {kOk, kOk, kOk, kOk, kOk}},
        FaultCase{"Once", [](SimFaults& f) { f.FailOnce("CopyFileA", kBusy); },
                  {kBusy, kOk, kOk, kOk, kOk}},
        FaultCase{"Twice", [](SimFaults& f) { f.FailTimes("CopyFileA", kBusy, 2); },
                  {kBusy, kBusy, kOk, kOk, kOk}},
        FaultCase{"Always", [](SimFaults& f) { f.FailAlways("CopyFileA", 5); },
                  {5, 5, 5, 5, 5}},
        FaultCase{"OnlyForTheMatchingPath",
                  [](SimFaults& f) { f.FailAlways("CopyFileA", kBusy, "B.DLL"); },
                  {kOk, kOk, kOk, kOk, kBusy}},
        FaultCase{"OtherCallsAreNotTouched",
                  [](SimFaults& f) { f.FailAlways("SetFileAttributesA", 5); },
                  {kOk, kOk, kOk, kOk, kOk}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(SimFaultTest, EachKindOfCallFailsWithItsOwnFailureValue) {
  SimMachine machine(kWinXP);
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 1);
  ModuleHandle usb = machine.LoadLibraryA("TvUsbInt.dll");
  ProcAddress open = machine.GetProcAddress(usb, "OpenDeviceX");
  ProcAddress write = machine.GetProcAddress(usb, "uWrite");
  machine.faults.FailOnce("RegOpenKeyExA", ERROR_ACCESS_DENIED);
  machine.faults.FailOnce("OpenSCManagerA", ERROR_ACCESS_DENIED);
  machine.faults.FailOnce("CallOpenDeviceX", ERROR_GEN_FAILURE);
  machine.faults.FailOnce("CallUWrite", ERROR_GEN_FAILURE);
  machine.faults.FailOnce("MessageBoxA", ERROR_NOT_ENOUGH_MEMORY);

  RegKeyHandle key = nullptr;
  EXPECT_EQ(machine.RegOpenKeyExA("SOFTWARE", KEY_READ, &key),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine.OpenSCManagerA(SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine.CallOpenDeviceX(open, 0), -1);
  const BYTE data[1] = {0};
  EXPECT_EQ(machine.CallUWrite(write, 0x5100, 0, data, 1), 0);
  EXPECT_EQ(machine.MessageBoxA("text", "", MB_OK), 0);
  EXPECT_TRUE(machine.ui.boxes.empty()) << "a failed box shows nothing";
  EXPECT_EQ(machine.faults.fired.size(), 5u);
  EXPECT_TRUE(machine.faults.pending.empty());
  EXPECT_TRUE(machine.usb.writes.empty());
  EXPECT_THROW(machine.faults.FailOnce("CopyFile", 5), std::invalid_argument);
}

// --- Clock, restart, profile, trace ------------------------------------------------

TEST(SimMachineTest, PausesCostNoTimeAndAreRecorded) {
  SimMachine machine(kWinXP);
  machine.Sleep(500);
  machine.Sleep(1000);
  machine.Sleep(300);
  EXPECT_EQ(machine.clock.sleeps, (std::vector<DWORD>{500, 1000, 300}));
  EXPECT_EQ(machine.clock.nowMs, 1800u);
  EXPECT_EQ(machine.clock.TotalSleptMs(), 1800u);
}

TEST(SimMachineTest, NtRefusesTheRestartOfAProgramWithoutTheShutdownPrivilege) {
  SimMachine nt(kWinXP);
  EXPECT_FALSE(nt.ExitWindowsEx(EWX_REBOOT, 0));
  EXPECT_EQ(nt.GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
  EXPECT_FALSE(nt.restartPending);
  ASSERT_EQ(nt.restartRequests.size(), 1u);
  EXPECT_EQ(nt.restartRequests[0].refusedWith, static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));

  SimMachine me(kWinMe);
  EXPECT_TRUE(me.ExitWindowsEx(EWX_REBOOT, 0));
  EXPECT_TRUE(me.restartPending);
  EXPECT_EQ(me.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT));
  me.restartRefusal = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(me.ExitWindowsEx(EWX_REBOOT, 0));
}

TEST(SimMachineTest, ARestartBringsTheMonitorTheRegistryNamesIntoUse) {
  // Windows 98: the installer records an alternate DLL name because the
  // spooler holds the old file; the restart loads the new one.
  SimMachine machine(kWin98);
  machine.spooler.InstallMonitor("Setwell USB Port", "tvusbmon.dll");
  const std::string old = "C:\\WINDOWS\\SYSTEM\\tvusbmon.dll";
  const std::string alternate = "C:\\WINDOWS\\SYSTEM\\ntvusbmon.dll";
  EXPECT_TRUE(machine.files.IsMapped(old));
  machine.files.WriteFile(alternate, "newer");
  machine.registry.SetString(
      "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Setwell USB Port", "Driver",
      "ntvusbmon.dll");
  EXPECT_TRUE(machine.files.IsMapped(old)) << "until the restart";
  ASSERT_TRUE(machine.ExitWindowsEx(EWX_REBOOT, 0));
  machine.Reboot();
  EXPECT_FALSE(machine.restartPending);
  EXPECT_FALSE(machine.files.IsMapped(old));
  EXPECT_TRUE(machine.files.IsMapped(alternate));
}

TEST(SimMachineTest, ProfileWritesAndBroadcastsAreRecordedAndLandInWinIni) {
  SimMachine machine(kWin98);
  EXPECT_TRUE(machine.WriteProfileStringA("Ports", "COM1:", "19200,e,7,1.5,p"));
  EXPECT_TRUE(machine.WriteProfileStringA("windows", "device", "KP-200,KP-200,LPT1:"));
  EXPECT_TRUE(machine.WriteProfileStringA("Setwell", "Installed", "1"));
  EXPECT_TRUE(machine.BroadcastWinIniChangeNotify("Ports"));
  EXPECT_FALSE(machine.WriteProfileStringA(nullptr, nullptr, nullptr));
  EXPECT_TRUE(machine.BroadcastWinIniChangeTimeout(nullptr, 1000));

  ASSERT_EQ(machine.profile.writes.size(), 4u);
  EXPECT_EQ(machine.profile.writes[0],
            (ProfileWrite{"Ports", "COM1:", "19200,e,7,1.5,p"}));
  EXPECT_EQ(machine.profile.writes[3], (ProfileWrite{}));
  EXPECT_EQ(machine.profile.broadcasts,
            (std::vector<Broadcast>{{"Ports", false, 0}, {std::nullopt, true, 1000}}));
  EXPECT_EQ(machine.files.Find("C:\\WINDOWS\\win.ini")->data,
            "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\ndevice=KP-200,KP-200,LPT1:\r\n\r\n"
            "[fonts]\r\n\r\n"
            "[Ports]\r\nLPT1:=\r\nLPT2:=\r\nLPT3:=\r\nCOM1:=19200,e,7,1.5,p\r\n"
            "COM2:=9600,n,8,1,x\r\nCOM3:=9600,n,8,1,x\r\nCOM4:=9600,n,8,1,x\r\nFILE:=\r\n"
            "\r\n[Setwell]\r\nInstalled=1\r\n");
}

TEST(SimMachineTest, NtKeepsThePortsSectionInTheRegistry) {
  SimMachine machine(kWin2000);
  EXPECT_TRUE(machine.WriteProfileStringA("ports", "COM3:", "9600,n,8,1,x"));
  std::string value;
  EXPECT_TRUE(machine.registry.GetString(
      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM3:", value));
  EXPECT_EQ(value, "9600,n,8,1,x");
  EXPECT_EQ(machine.files.Find("C:\\WINNT\\win.ini")->data.find("COM3"), std::string::npos);
}

TEST(SimMachineTest, TheTraceShowsWhatWasTouched) {
  SimMachine machine(kWinXP);
  EXPECT_TRUE(machine.trace.empty());
  machine.files.WriteFile("C:\\a.dll", "a");
  machine.CopyFileA("C:\\a.dll", "C:\\b.dll", FALSE);
  RegKeyHandle key = nullptr;
  machine.RegOpenKeyExA("SOFTWARE\\Setwell", KEY_READ, &key);
  ASSERT_EQ(machine.trace.size(), 2u);
  EXPECT_EQ(machine.trace[0].call, "CopyFileA");
  EXPECT_EQ(machine.trace[0].arguments, "C:\\a.dll, C:\\b.dll");
  EXPECT_EQ(machine.trace[1].call, "RegOpenKeyExA");
}

TEST(SimMachineTest, RegistryHandlesKeepTheirRights) {
  SimMachine machine(kWinXP);
  machine.registry.SetDword("SOFTWARE\\Setwell", "v", 1);
  RegKeyHandle key = nullptr;
  ASSERT_EQ(machine.RegOpenKeyExA("SOFTWARE\\Setwell", KEY_SET_VALUE, &key), 0);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(machine.RegQueryValueExA(key, "v", nullptr, reinterpret_cast<BYTE*>(&value), &size),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  machine.registry.DeleteKey("SOFTWARE\\Setwell");
  EXPECT_EQ(machine.RegSetValueExA(key, "v", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            static_cast<LONG>(ERROR_KEY_DELETED));
  EXPECT_EQ(machine.RegCloseKey(key), 0);
  EXPECT_EQ(machine.RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

// A copy is a machine of its own: the same state, and what is done on it
// lands in its own files, registry and spooler, never in the original's.
TEST(SimMachineTest, ACopyHoldsTheSameStateAndChangesOnlyItself) {
  SimMachine machine(kWinXP);
  machine.PutDistributionFile("winnt\\SWTEST.DLL", "the distribution's copy");
  machine.spooler.InstallMonitor("Test Port Monitor", "swtstmon.dll", {"TST1:"});
  machine.registry.SetString("SOFTWARE\\Setwell Test", "Kept", "yes");
  machine.InstallUsbLibrary();
  machine.usb.Attach(0, 0);
  machine.faults.FailOnce("CopyFileA", ERROR_SHARING_VIOLATION, "other.dll");
  machine.ui.Answer(IDYES);

  SimMachine copy(SimMachine::StateOf{machine});
  EXPECT_TRUE(copy == machine) << ::testing::PrintToString(copy.DifferingParts(machine));
  SimMachine untouched(SimMachine::StateOf{machine});

  // Files, the profile (win.ini), the spooler's stand-in DLLs and its
  // records, through the copy's calls.
  ASSERT_TRUE(copy.CopyFileA("D:\\winnt\\SWTEST.DLL", "C:\\WINDOWS\\system32\\SWTEST.DLL", FALSE));
  ASSERT_TRUE(copy.WriteProfileStringA("windows", "device", "Test,winspool,TST1:"));
  copy.spooler.InstallPrintProcessor("Test Processor", "swtstprc.dll");
  copy.registry.SetString("SOFTWARE\\Setwell Test", "Kept", "changed");
  EXPECT_NE(copy.files.Find("C:\\WINDOWS\\system32\\SWTEST.DLL"), nullptr);
  EXPECT_NE(copy.profile.Get("windows", "device"), std::nullopt);
  EXPECT_TRUE(copy.spooler.KnowsPrintProcessor("Test Processor"));

  EXPECT_TRUE(machine == untouched) << ::testing::PrintToString(machine.DifferingParts(untouched));
  EXPECT_EQ(machine.files.Find("C:\\WINDOWS\\system32\\SWTEST.DLL"), nullptr);
  EXPECT_FALSE(machine.spooler.KnowsPrintProcessor("Test Processor"));
  EXPECT_EQ(machine.profile.Get("windows", "device"), untouched.profile.Get("windows", "device"));

  // The fault and the answer went with the state, to each machine once.
  EXPECT_FALSE(machine.CopyFileA("D:\\winnt\\SWTEST.DLL", "C:\\other.dll", FALSE));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(copy.CopyFileA("D:\\winnt\\SWTEST.DLL", "C:\\other.dll", FALSE));
  EXPECT_EQ(copy.MessageBoxA("Go on?", "Setup", MB_YESNO), IDYES);

  // Copying over a machine that has run calls of its own.
  copy.CopyStateFrom(untouched);
  EXPECT_TRUE(copy == untouched) << ::testing::PrintToString(copy.DifferingParts(untouched));
  EXPECT_EQ(copy.files.Find("C:\\WINDOWS\\system32\\SWTEST.DLL"), nullptr);
}

}  // namespace
}  // namespace setwell::sim
