#include "sim/SimFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

namespace fs = std::filesystem;

// A host folder that goes away with the test.
class HostFolder {
 public:
  HostFolder() {
    path_ = fs::temp_directory_path() /
            ("setwell-sim-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~HostFolder() { fs::remove_all(path_); }
  void Write(const std::string& relative, const std::string& data) const {
    fs::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary) << data;
  }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

TEST(SimFileSystemTest, TheDistributionDriveIsReadOnlyAndItsFilesCarryTheAttribute) {
  HostFolder host;
  host.Write("DrvConfig/SETUP.INI", "[DEVICENAME]\n");
  host.Write("winnt/KP200.DLL", "driver");
  SimMachine machine(kWinXP);
  ASSERT_TRUE(machine.MountDistribution(host.Path()));
  EXPECT_EQ(machine.currentDirectory, "D:\\");
  EXPECT_EQ(machine.moduleFileName, "D:\\Setup.exe");

  std::string contents;
  EXPECT_TRUE(machine.ReadWholeFile("d:\\drvconfig\\setup.ini", contents));
  EXPECT_EQ(contents, "[DEVICENAME]\n");
  EXPECT_EQ(machine.GetFileAttributesA("\\winnt\\kp200.dll"),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

  // Nothing on the distribution changes through the host calls.
  EXPECT_FALSE(machine.CopyFileA("D:\\winnt\\KP200.DLL", "D:\\winnt\\copy.dll", FALSE));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(machine.SetFileAttributesA("D:\\winnt\\KP200.DLL", FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  // A copy keeps the attribute, so copying over it again needs it reset.
  const std::string target = machine.system.systemDirectory + "\\KP200.DLL";
  ASSERT_TRUE(machine.CopyFileA("winnt\\KP200.DLL", target.c_str(), FALSE));
  EXPECT_EQ(machine.GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(machine.CopyFileA("winnt\\KP200.DLL", target.c_str(), FALSE));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(machine.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(machine.CopyFileA("winnt\\KP200.DLL", target.c_str(), FALSE));
}

TEST(SimFileSystemTest, FoldersKeepTheCaseTheyWereMadeWithAndFilesTheirOwn) {
  SimFileSystem files;
  files.MakeFolder("C:\\WINDOWS\\System32");
  SimFile& file = files.WriteFile("c:\\windows\\SYSTEM32\\TvUsbMon.DLL", "x");
  EXPECT_EQ(file.path, "C:\\WINDOWS\\System32\\TvUsbMon.DLL");
  EXPECT_EQ(files.FolderPath("c:/windows/system32"), "C:\\WINDOWS\\System32");
  EXPECT_EQ(files.Find("C:\\Windows\\System32\\tvusbmon.dll"), &file);
  files.WriteFile("C:\\New\\Deeper\\a.txt", "y");
  EXPECT_TRUE(files.FolderExists("c:\\new"));
  EXPECT_EQ(SimFileSystem::Name("C:\\New\\Deeper\\a.txt"), "a.txt");
  EXPECT_EQ(SimFileSystem::DriveOf("d:\\x"), 'D');
  EXPECT_EQ(SimFileSystem::DriveOf("\\\\server\\x"), '\0');
}

struct HoldCase {
  const char* name;
  void (*hold)(SimMachine& machine, const std::string& target);
  DWORD copyOver;     // CopyFileA onto the held file
  bool readable;      // ReadWholeFile of it
  DWORD attributes;   // SetFileAttributesA on it
  friend void PrintTo(const HoldCase& c, std::ostream* os) { *os << c.name; }
};

class SimFileHoldTest : public ::testing::TestWithParam<HoldCase> {};

TEST_P(SimFileHoldTest, HeldFilesAnswerAsTheHostDoes) {
  const HoldCase& c = GetParam();
  SimMachine machine(kWinXP);
  const std::string target = "C:\\WINDOWS\\system32\\held.dll";
  machine.files.WriteFile(target, "old");
  machine.files.WriteFile("C:\\new.dll", "new");
  c.hold(machine, target);
  const BOOL copied = machine.CopyFileA("C:\\new.dll", target.c_str(), FALSE);
  EXPECT_EQ(copied ? ERROR_SUCCESS : machine.GetLastError(), c.copyOver);
  std::string contents;
  EXPECT_EQ(machine.ReadWholeFile(target.c_str(), contents), c.readable);
  const BOOL set = machine.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(set ? ERROR_SUCCESS : machine.GetLastError(), c.attributes);
}

INSTANTIATE_TEST_SUITE_P(
    Holds, SimFileHoldTest,
    ::testing::Values(
        HoldCase{"OpenedWithoutSharing",
                 [](SimMachine& m, const std::string& t) { m.files.Find(t)->inUse = true; },
                 ERROR_SHARING_VIOLATION, false, ERROR_SUCCESS},
        HoldCase{"DeniedToTheUser",
                 [](SimMachine& m, const std::string& t) { m.files.Find(t)->denied = true; },
                 ERROR_ACCESS_DENIED, false, ERROR_ACCESS_DENIED},
        HoldCase{"LoadedAsAModule",
                 [](SimMachine& m, const std::string& t) { m.files.MapImage(t); },
                 ERROR_SHARING_VIOLATION, true, ERROR_SUCCESS},
        HoldCase{"ReadOnly",
                 [](SimMachine& m, const std::string& t) {
                   m.files.Find(t)->attributes = FILE_ATTRIBUTE_READONLY;
                 },
                 ERROR_ACCESS_DENIED, true, ERROR_SUCCESS},
        HoldCase{"InADeniedFolder",
                 [](SimMachine& m, const std::string& t) {
                   m.files.Remove(t);
                   m.files.DenyFolder(SimFileSystem::Parent(t));
                 },
                 ERROR_ACCESS_DENIED, false, ERROR_FILE_NOT_FOUND}),
    [](const ::testing::TestParamInfo<HoldCase>& info) { return std::string(info.param.name); });

TEST(SimFileSystemTest, RelativePathsHangOffTheCurrentDirectory) {
  SimMachine machine(kWinXP);
  machine.currentDirectory = "D:\\Drivers";
  machine.files.WriteFile("D:\\Drivers\\winnt\\a.dll", "a");
  machine.files.WriteFile("D:\\root.txt", "r");
  EXPECT_NE(machine.GetFileAttributesA("winnt\\a.dll"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(machine.GetFileAttributesA("\\root.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(machine.GetFileAttributesA(".\\winnt\\..\\winnt\\.\\a.dll"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(machine.GetFileAttributesA("..\\..\\..\\root.txt"), INVALID_FILE_ATTRIBUTES)
      << "never above the drive";
  EXPECT_EQ(machine.GetFileAttributesA("E:\\x.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(SimFileSystemTest, EverySpellingOfAPathNamesTheSameFileAndOnlyThose) {
  SimMachine machine(kWinXP);
  machine.files.WriteFile("C:\\Drv\\x.ini", "x");
  machine.files.WriteFile("\\\\srv\\share\\y.ini", "y");
  for (const char* same : {"C:\\Drv\\x.ini", "c:\\drv\\X.INI", "C:/Drv/x.ini", "C:\\Drv\\\\x.ini",
                           "C:\\.\\Drv\\x.ini", "C:\\Drv\\..\\Drv\\x.ini", "C:\\Drv\\x.ini\\",
                           "\\\\srv\\share\\y.ini", "//srv/share/y.ini", "\\\\srv\\share\\.\\y.ini",
                           "C:\\\\Drv\\x.ini", "C:\\Drv\\..\\..\\..\\Drv\\x.ini", "C:\\a\\b\\..\\..\\Drv/./x.ini",
                           "\\\\srv\\share\\z\\..\\y.ini"}) {
    EXPECT_NE(machine.files.Find(same), nullptr) << same;
  }
  for (const char* other : {"C:\\Drv\\x.ini.", "C:\\Drv.\\x.ini", "C:\\Drv\\...\\x.ini",
                            "C:\\x.ini", "C:x.ini", "\\srv\\share\\y.ini", "\\\\srv\\y.ini",
                            "C:\\Drv\\..\\x.ini", "C:\\Drv\\x.ini\\..\\x.ini\\y"}) {
    EXPECT_EQ(machine.files.Find(other), nullptr) << other;
  }
}

}  // namespace
}  // namespace setwell::sim
