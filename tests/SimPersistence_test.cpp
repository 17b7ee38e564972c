// A whole machine saved to a folder and loaded again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <string>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    path_ = fs::temp_directory_path() /
            ("setwell-store-" + tag + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), folder).string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return tree;
}

// A machine after an eventful install on Windows 98, every part touched.
void Furnish(SimMachine& machine, const std::string& hostDistribution) {
  fs::create_directories(fs::path(hostDistribution) / "win98");
  std::ofstream(fs::path(hostDistribution) / "win98" / "KP200.DRV") << "driver";
  ASSERT_TRUE(machine.MountDistribution(hostDistribution));
  machine.files.MakeFolder("C:\\Empty Folder");
  machine.files.DenyFolder("C:\\Empty Folder");
  machine.files.WriteFile("C:\\WINDOWS\\SYSTEM\\busy.dll", std::string("\0\x01\xFF", 3)).inUse =
      true;
  machine.files.WriteFile("C:\\WINDOWS\\SYSTEM\\secret.dll", "x").denied = true;
  machine.files.WriteFile("C:\\WINDOWS\\SYSTEM\\ro.dll", "ro").attributes =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  machine.registry.SetValue("System\\CurrentControlSet\\Services\\Class\\Ports\\0000", "DCB",
                            REG_NONE, std::string(28, '\x11'));
  machine.registry.SetString("SOFTWARE\\TALVORN\\INSTALLPRINTER", "KP-200(U) 1", "line\nbreak");
  machine.spooler.InstallMonitor("Setwell USB Port", "ntvusbmon.dll", {"USB_KP-200_1"});
  machine.spooler.DeclareMonitorPorts("Setwell Serial Port", {"TVCOM1:", "TVCOM2:"});
  SimDriver driver;
  driver.name = "KP-200";
  driver.version = 0;
  driver.driverPath = "C:\\WINDOWS\\SYSTEM\\KP200.DRV";
  driver.dependentFiles = {"C:\\WINDOWS\\SYSTEM\\A.DLL", "C:\\WINDOWS\\SYSTEM\\B.DLL"};
  machine.spooler.AddDriverRecord(driver);
  SimPrinter printer;
  printer.name = "KP-200(U) 1";
  printer.portName = "USB_KP-200_1";
  printer.driverName = "KP-200";
  printer.printProcessor = "WinPrint";
  printer.devMode = std::string("KP-200\0\0\x94\0", 10);
  printer.attributes = PRINTER_ATTRIBUTE_LOCAL;
  printer.comment = " padded ";
  machine.spooler.AddPrinterRecord(printer);
  machine.InstallUsbLibrary();
  machine.usb.Attach(5, 9);
  machine.usb.Attach(0, 0xFFFF);
  machine.usb.bus[0]->pendingNumber = 3;
  machine.usb.bus[0]->acceptsWrites = false;
  machine.usb.missingEntryPoints = {"uWrite"};
  machine.usb.calls.push_back(SimUsbCall{"OpenDeviceX", 7, -1});
  machine.usb.writes.push_back(SimUsbWrite{5, std::string("\x1B\0\x1D", 3)});
  machine.ui.Answer(IDYES, "Restart");
  machine.ui.boxes.push_back(MessageBoxRecord{"Copy driver files error\n%d", "Setup", MB_OK, IDOK,
                                              false});
  machine.ui.boxes.push_back(MessageBoxRecord{"Unanswered?", "Setup", MB_YESNO, 0, true});
  machine.WriteProfileStringA("Ports", "COM1:", "9600,n,8,1.5, ");
  machine.WriteProfileStringA("windows", nullptr, nullptr);
  machine.BroadcastWinIniChangeNotify("Ports");
  machine.BroadcastWinIniChangeTimeout(nullptr, 1000);
  machine.Sleep(500);
  machine.Sleep(2500);
  machine.ExitWindowsEx(EWX_REBOOT, 0);
  machine.ShellOpen(".\\Guide.CHM", SW_SHOW);
  machine.faults.FailTimes("CopyFileA", ERROR_SHARING_VIOLATION, 2, "tvusbmon");
  machine.faults.FailAlways("AddMonitorA", ERROR_ACCESS_DENIED);
  machine.faults.fired.push_back("StartServiceA: 1053");
}

TEST(SimPersistenceTest, ASavedMachineLoadsEqualAndSavesTheSameAgain) {
  TempFolder distribution("dist");
  TempFolder first("first");
  TempFolder second("second");
  SimMachine machine(kWin98);
  Furnish(machine, distribution.Path());
  std::string error;
  ASSERT_TRUE(machine.Save(first.Path(), &error)) << error;

  SimMachine loaded(kWinXP);
  ASSERT_TRUE(loaded.Load(first.Path(), &error)) << error;
  EXPECT_TRUE(loaded == machine);
  EXPECT_EQ(loaded.DifferingParts(machine), std::vector<std::string>{});
  EXPECT_EQ(loaded.system.name, "Windows 98");
  EXPECT_TRUE(loaded.spooler.IsRunning());
  EXPECT_TRUE(loaded.files.IsMapped("C:\\WINDOWS\\SYSTEM\\ntvusbmon.dll"))
      << "the running spooler loads its monitors again";
  EXPECT_EQ(loaded.files.Find("D:\\win98\\KP200.DRV")->data, "driver")
      << "the distribution comes from its host folder";

  ASSERT_TRUE(loaded.Save(second.Path(), &error)) << error;
  EXPECT_EQ(Tree(first.Path()), Tree(second.Path()));
  // The distribution is the host's: it is not copied.
  for (const auto& [path, contents] : Tree(first.Path())) {
    EXPECT_EQ(path.find("KP200"), std::string::npos) << path;
  }
}

TEST(SimPersistenceTest, TheSavedStateReadsAsText) {
  TempFolder folder("text");
  SimMachine machine(kWinXP);
  machine.registry.SetDword("SOFTWARE\\TALVORN\\PRINTERPORT", "D1", 0);
  SimDriver driver;
  driver.name = "KP-200";
  machine.spooler.AddDriverRecord(driver);
  machine.files.WriteFile("C:\\WINDOWS\\system32\\tvusbmon.dll", "monitor");
  ASSERT_TRUE(machine.Save(folder.Path()));
  const std::map<std::string, std::string> tree = Tree(folder.Path());
  EXPECT_EQ(tree.at("registry.reg").rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(tree.at("registry.reg").find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVORN\\PRINTERPORT]\n"
                                         "\"D1\"=dword:00000000\n"),
            std::string::npos);
  EXPECT_NE(tree.at("spooler.txt").find("[driver KP-200]\nenvironment = Windows NT x86\n"),
            std::string::npos);
  EXPECT_NE(tree.at("spooler.txt").find("[service Spooler]\nstate = running\n"),
            std::string::npos);
  EXPECT_NE(tree.at("machine.txt").find("[system Windows XP]\n"), std::string::npos);
  EXPECT_EQ(tree.at((fs::path("drives") / "C" / "WINDOWS" / "system32" / "tvusbmon.dll").string()),
            "monitor");
}

struct Change {
  const char* name;
  std::function<void(SimMachine&)> apply;
  friend void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }
};

class SimEqualityTest : public ::testing::TestWithParam<Change> {};

TEST_P(SimEqualityTest, AnyChangeMakesMachinesDiffer) {
  SimMachine a(kWinXP);
  SimMachine b(kWinXP);
  ASSERT_TRUE(a == b);
  GetParam().apply(b);
  EXPECT_FALSE(a == b);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SimEqualityTest,
    ::testing::Values(
        Change{"FileContents",
               [](SimMachine& m) { m.files.Find("C:\\WINDOWS\\win.ini")->data += " "; }},
        Change{"FileAttributes",
               [](SimMachine& m) { m.files.Find("C:\\WINDOWS\\win.ini")->attributes = 0; }},
        Change{"RegistryValue", [](SimMachine& m) { m.registry.SetDword("SOFTWARE", "v", 1); }},
        Change{"Printer",
               [](SimMachine& m) {
                 SimPrinter p;
                 p.name = "P";
                 m.spooler.AddPrinterRecord(p);
               }},
        Change{"ServiceState", [](SimMachine& m) { m.SetSpoolerRunning(false); }},
        Change{"UsbPrinter", [](SimMachine& m) { m.usb.Attach(1, 2); }},
        Change{"MessageBox", [](SimMachine& m) { m.MessageBoxA("x", "", MB_OK); }},
        Change{"Pause", [](SimMachine& m) { m.Sleep(1); }},
        Change{"ProfileWrite", [](SimMachine& m) { m.WriteProfileStringA("a", "b", nullptr); }},
        Change{"RestartRequest", [](SimMachine& m) { m.ExitWindowsEx(EWX_REBOOT, 0); }},
        Change{"Fault", [](SimMachine& m) { m.faults.FailOnce("CopyFileA", 5); }},
        Change{"Program", [](SimMachine& m) { m.moduleFileName = "D:\\Other.exe"; }}),
    [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

TEST(SimPersistenceTest, ABrokenSaveIsRefusedWithTheReason) {
  TempFolder folder("broken");
  SimMachine machine(kWinXP);
  std::string error;
  EXPECT_FALSE(machine.Load(folder.Path(), &error));
  EXPECT_NE(error.find("machine.txt"), std::string::npos) << error;

  ASSERT_TRUE(machine.Save(folder.Path()));
  std::ofstream(fs::path(folder.Path()) / "registry.reg") << "REGEDIT4\n\n[HKEY_USERS\\x]\n";
  SimMachine other(kWinXP);
  EXPECT_FALSE(other.Load(folder.Path(), &error));
  EXPECT_EQ(error, "registry.reg: line 3: only keys below HKEY_LOCAL_MACHINE are kept");

  ASSERT_TRUE(machine.Save(folder.Path()));
  fs::remove(fs::path(folder.Path()) / "drives" / "C" / "WINDOWS" / "win.ini");
  EXPECT_FALSE(other.Load(folder.Path(), &error));
  EXPECT_NE(error.find("win.ini"), std::string::npos) << error;
}

}  // namespace
}  // namespace setwell::sim
