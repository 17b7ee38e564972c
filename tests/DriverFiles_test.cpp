// Copying a distribution's files into the print system's folders.
#include "system/DriverFiles.h"

#include <gtest/gtest.h>

#include "config/InstallConfig.h"
#include "tests/InstallTestMachine.h"

namespace setwell {
namespace {

using testing::CopySources;
using testing::CopyTargets;
using testing::PutTestDistribution;

std::string Dir(sim::SimMachine& machine, int kind) {
  std::string directory;
  EXPECT_TRUE(GetTargetDirectory(machine, kind, directory));
  return directory;
}

TEST(CopyDriverFileTest, CopiesFromThePerSystemFolderIntoEachKindOfFolder) {
  struct Case {
    sim::SimOs os;
    int target;
    const char* folder;
  };
  const Case cases[] = {{sim::kWin98, kWin98, "win98"},    {sim::kWinNT4, kWinNT4, "winnt"},
                        {sim::kWin2000, kWin2000, "winnt"}, {sim::kWinXP, kWinXP, "winnt"},
                        {sim::kWin2003, kWin2003, "win2003"}};
  for (const Case& c : cases) {
    for (int kind : {kDriverDirectory, kDriverVersion3Directory, kProcessorDirectory,
                     kSystemDirectory}) {
      SCOPED_TRACE(std::string(c.folder) + " kind " + std::to_string(kind));
      sim::SimMachine machine(c.os);
      PutTestDistribution(machine);
      const std::string directory = Dir(machine, kind);
      machine.files.MakeFolder(directory);  // the "3" folder of a 9x machine is made here
      EXPECT_EQ(CopyDriverFile(machine, "tp.drv", kind, c.target, false), 1);
      const sim::SimFile* copied = machine.files.Find(directory + "\\tp.drv");
      ASSERT_NE(copied, nullptr);
      EXPECT_EQ(copied->data, std::string("stand-in ") + c.folder + " tp.drv");
      EXPECT_TRUE(machine.ui.boxes.empty());
    }
  }
}

TEST(CopyDriverFileTest, KindsNameTheHostsFolders) {
  sim::SimMachine machine(sim::kWinXP);
  EXPECT_EQ(Dir(machine, kDriverDirectory), machine.system.DriverDirectory(""));
  EXPECT_EQ(Dir(machine, kDriverVersion3Directory), machine.system.DriverDirectory("") + "\\3");
  EXPECT_EQ(Dir(machine, kProcessorDirectory), machine.system.ProcessorDirectory(""));
  EXPECT_EQ(Dir(machine, kSystemDirectory), machine.system.systemDirectory);
}

TEST(CopyDriverFileTest, NoFileAndAlternateName) {
  sim::SimMachine machine(sim::kWinXP);
  PutTestDistribution(machine);
  EXPECT_EQ(CopyDriverFile(machine, "0", kDriverDirectory, kWinXP, false), 0);
  EXPECT_EQ(CopyDriverFile(machine, "0tp.drv", kDriverDirectory, kWinXP, false), 0);
  EXPECT_EQ(CopyDriverFile(machine, nullptr, kDriverDirectory, kWinXP, false), 0);
  EXPECT_TRUE(CopyTargets(machine).empty());
  EXPECT_TRUE(machine.ui.boxes.empty());

  EXPECT_EQ(CopyDriverFile(machine, "tsermon.dll", kSystemDirectory, kWinXP, true), 1);
  EXPECT_NE(machine.files.Find(machine.system.systemDirectory + "\\ntsermon.dll"), nullptr);
  EXPECT_EQ(machine.files.Find(machine.system.systemDirectory + "\\tsermon.dll"), nullptr);
  // A long name is never cut.
  const std::string longName(40, 'x');
  EXPECT_EQ(AlternateFileName(longName + ".dll"), "n" + longName + ".dll");
}

TEST(CopyDriverFileTest, ReadOnlyTargetIsReplaced) {
  sim::SimMachine machine(sim::kWinXP);
  PutTestDistribution(machine);
  const std::string target = machine.system.DriverDirectory("") + "\\tp.drv";
  machine.files.WriteFile(target, "old").attributes = FILE_ATTRIBUTE_READONLY;
  EXPECT_EQ(CopyDriverFile(machine, "tp.drv", kDriverDirectory, kWinXP, false), 1);
  EXPECT_EQ(machine.files.Find(target)->data, "stand-in winnt tp.drv");
  EXPECT_TRUE(machine.ui.boxes.empty());
}

TEST(CopyDriverFileTest, InUseAndDeniedAreSilentOtherFailuresShowThreeBoxes) {
  sim::SimMachine machine(sim::kWinXP);
  PutTestDistribution(machine);
  // The spooler holds the DLL of a monitor it has loaded.
  machine.spooler.InstallMonitor("Test Serial Monitor", "tsermon.dll");
  EXPECT_EQ(CopyDriverFile(machine, "tsermon.dll", kSystemDirectory, kWinXP, false), kCopyInUse);
  machine.faults.FailOnce("CopyFileA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(CopyDriverFile(machine, "tp.drv", kDriverDirectory, kWinXP, false), kCopyDenied);
  EXPECT_TRUE(machine.ui.boxes.empty());

  EXPECT_EQ(CopyDriverFile(machine, "missing.dll", kDriverDirectory, kWinXP, false), 0);
  const std::vector<std::string> expected = {
      "Copy driver files error", "D:\\\\winnt\\missing.dll",
      machine.system.DriverDirectory("") + "\\missing.dll"};
  EXPECT_EQ(machine.ui.Texts(), expected);

  // An empty name is no "no file": the copy of the bare folder is tried,
  // and the host refuses to copy a folder with 5, which is silent.
  machine.ui.boxes.clear();
  const std::size_t copies = CopyTargets(machine).size();
  EXPECT_EQ(CopyDriverFile(machine, "", kDriverDirectory, kWinXP, false), kCopyDenied);
  EXPECT_EQ(CopyTargets(machine).size(), copies + 1);
  EXPECT_TRUE(machine.ui.boxes.empty());
}

TEST(CopyDriverFileTest, MissingFoldersAreReported) {
  struct Case {
    const char* call;
    int kind;
    const char* message;
  };
  const Case cases[] = {
      {"GetPrinterDriverDirectoryA", kDriverDirectory, "Cannot get printer driver directory"},
      {"GetPrinterDriverDirectoryA", kDriverVersion3Directory, "Cannot get printer driver directory"},
      {"GetPrintProcessorDirectoryA", kProcessorDirectory, "Cannot get printer processor directory"},
      {"GetSystemDirectoryA", kSystemDirectory, "Cannot get system directory"},
      {"GetCurrentDirectoryA", kDriverDirectory, "Cannot get current system directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    sim::SimMachine machine(sim::kWinXP);
    PutTestDistribution(machine);
    machine.faults.FailOnce(c.call, ERROR_ACCESS_DENIED);
    EXPECT_EQ(CopyDriverFile(machine, "tp.drv", c.kind, kWinXP, false), 0);
    EXPECT_EQ(machine.ui.Texts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(CopyTargets(machine).empty());
  }
}

// A category file for model "TP" with the files of the test distribution.
std::string CategoryFile(const std::string& section, const std::string& extra) {
  return "[" + section + "]\r\nSTDDriverPath=tp.drv\r\nSTDDataFile=tp.gpd\r\nSTDConfigFile=tpui.dll\r\n"
         "STDHelpFile=tp.hlp\r\nSTDDataFileDLLName=tpres.dll\r\n" + extra;
}

struct Deployment {
  explicit Deployment(sim::SimOs os, int target, const std::string& extra,
                      const std::string& model = "TP")
      : machine(os), target(target), model(model) {
    PutTestDistribution(machine);
    const char* suffixes[] = {"98", "NT", "2K", "XP", "2003"};
    machine.PutDistributionFile("DRVCONFIG\\setup_receipt.ini",
                                CategoryFile(model + "." + suffixes[target], extra));
  }
  bool Run() {
    InstallConfig config(machine);
    config.SetCategory(kReceipt);
    DriverFileList files{};
    config.GetDriverFiles(model, target, files, kStandardDriver);
    MONITOR_INFO_2A monitor{};
    config.GetMonitorInfo(model, target, monitor, kStandardDriver);
    return DeployDriverFiles(machine, config, files, monitor, target, model, kStandardDriver);
  }
  // Copy targets relative to the driver folder ("3\x", "x"), the
  // processor folder ("proc\x") and the system folder ("sys\x").
  std::vector<std::string> Copies() const {
    std::vector<std::string> out;
    const std::string driver = machine.system.DriverDirectory("") + "\\";
    for (std::string t : CopyTargets(machine)) {
      if (t.rfind(driver, 0) == 0) {
        t = t.substr(driver.size());
      } else if (t.rfind(machine.system.systemDirectory + "\\", 0) == 0) {
        t = "sys\\" + t.substr(machine.system.systemDirectory.size() + 1);
      }
      out.push_back(t);
    }
    return out;
  }
  sim::SimMachine machine;
  int target;
  std::string model;
};

TEST(DeployDriverFilesTest, FixedOrderWithUnidrvFilesPluginAndLanguageMonitor) {
  Deployment d(sim::kWin2000, kWin2000,
               "STD2KDDKDEV=1\r\nSTDDataOemuniDLL=tpoem.dll\r\nSTDDataOemuniini=tpoem.ini\r\n"
               "STDMonitorName=TP Language Monitor\r\nSTDMonitorDLLName=tplm.dll\r\n");
  ASSERT_TRUE(d.Run());
  const std::vector<std::string> expected = {
      "tpui.dll",     "tp.gpd",       "3\\tp.gpd",     "tp.drv",     "tp.hlp",
      "tpoem.dll",    "tpoem.ini",    "3\\UNIRES.DLL", "3\\STDNAMES.GPD", "3\\TTFSUB.GPD",
      "TTFSUB.GPD",   "STDNAMES.GPD", "UNIRES.DLL",    "3\\tpres.dll", "sys\\tplm.dll"};
  EXPECT_EQ(d.Copies(), expected);
  EXPECT_TRUE(d.machine.spooler.KnowsMonitor("TP Language Monitor"));
  EXPECT_TRUE(d.machine.ui.boxes.empty());
}

TEST(DeployDriverFilesTest, Nt4KeepsTheDataFileOutOfTheVersionFolder) {
  Deployment d(sim::kWinNT4, kWinNT4, "STD2KDDKDEV=0\r\n");
  ASSERT_TRUE(d.Run());
  const std::vector<std::string> expected = {"tpui.dll", "tp.gpd", "tp.drv", "tp.hlp"};
  EXPECT_EQ(d.Copies(), expected);
}

TEST(DeployDriverFilesTest, Windows98GetsTheUnidrvFilesAndTheColourLibrary) {
  // UNIDRV.DLL missing from the system folder: taken from Windows' own backup.
  Deployment d(sim::kWin98, kWin98, "", "TP RXQ-K880");
  d.machine.files.WriteFile(d.machine.system.windowsDirectory + "\\SYSBCKUP\\UNIDRV.DLL", "backup");
  ASSERT_TRUE(d.Run());
  EXPECT_EQ(d.machine.files.Find(d.machine.system.systemDirectory + "\\UNIDRV.DLL")->data, "backup");
  const std::vector<std::string> copies = d.Copies();
  // On Windows 98 the driver folder is the system folder.
  const std::vector<std::string> expected = {"tpui.dll",   "tp.gpd",     "tp.drv",     "tp.hlp",
                                             "ICONLIB.DLL", "UNIDRV.DLL", "DMCOLOR.DLL"};
  EXPECT_EQ(copies, expected);

  // With UNIDRV.DLL in place only ICONLIB.DLL is added, and no colour
  // library for other models.
  Deployment present(sim::kWin98, kWin98, "");
  present.machine.files.WriteFile(present.machine.system.systemDirectory + "\\UNIDRV.DLL", "own");
  ASSERT_TRUE(present.Run());
  const std::vector<std::string> fewer = {"tpui.dll", "tp.gpd", "tp.drv", "tp.hlp",
                                          "ICONLIB.DLL"};
  EXPECT_EQ(present.Copies(), fewer);
}

TEST(DeployDriverFilesTest, Windows98FallsBackToTheDistributionsUnidrv) {
  Deployment d(sim::kWin98, kWin98, "");
  ASSERT_TRUE(d.Run());  // no backup copy in SYSBCKUP
  EXPECT_EQ(d.machine.files.Find(d.machine.system.systemDirectory + "\\UNIDRV.DLL")->data,
            "stand-in win98 UNIDRV.DLL");
}

TEST(DeployDriverFilesTest, MissingFileNamesEndTheInstall) {
  // An empty required name ends it; a missing key ("0") does not.
  Deployment empty(sim::kWinXP, kWinXP, "STDHelpFile=\r\n");
  empty.machine.PutDistributionFile("DRVCONFIG\\setup_receipt.ini",
                                    "[TP.XP]\r\nSTDDriverPath=tp.drv\r\nSTDDataFile=\r\n"
                                    "STDConfigFile=tpui.dll\r\nSTDHelpFile=tp.hlp\r\n");
  EXPECT_FALSE(empty.Run());
  EXPECT_EQ(empty.machine.ui.Texts(), std::vector<std::string>{"Lost of driver files, can't continue"});
  EXPECT_TRUE(CopyTargets(empty.machine).empty());

  Deployment missingKeys(sim::kWinXP, kWinXP, "");
  missingKeys.machine.PutDistributionFile("DRVCONFIG\\setup_receipt.ini", "[TP.XP]\r\n");
  EXPECT_TRUE(missingKeys.Run());
  EXPECT_TRUE(missingKeys.machine.ui.boxes.empty());

  // The Unidrv driver needs its data-file DLL.
  Deployment ddk(sim::kWinXP, kWinXP, "STD2KDDKDEV=1\r\nSTDDataFileDLLName=\r\n");
  ddk.machine.PutDistributionFile(
      "DRVCONFIG\\setup_receipt.ini",
      "[TP.XP]\r\nSTDDriverPath=tp.drv\r\nSTDDataFile=tp.gpd\r\nSTDConfigFile=tpui.dll\r\n"
      "STDHelpFile=tp.hlp\r\nSTD2KDDKDEV=1\r\nSTDDataFileDLLName=\r\n");
  EXPECT_FALSE(ddk.Run());
  EXPECT_EQ(ddk.machine.ui.Texts(), std::vector<std::string>{"Lost of driver files, can't continue"});
}

TEST(DeployDriverFilesTest, RefusedLanguageMonitorIsReportedAndTheInstallGoesOn) {
  Deployment d(sim::kWinXP, kWinXP,
               "STDMonitorName=TP Language Monitor\r\nSTDMonitorDLLName=tplm.dll\r\n");
  d.machine.faults.FailOnce("AddMonitorA", ERROR_ACCESS_DENIED);
  EXPECT_TRUE(d.Run());
  EXPECT_EQ(d.machine.ui.Texts(), std::vector<std::string>{"Add monitor error"});
}

}  // namespace
}  // namespace setwell
