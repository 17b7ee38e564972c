// Win32Platform against the real host API (run under Wine by the test run).
#include "system/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/IniFile.h"
#include "config/InstallConfig.h"
#include "system/RegistryKey.h"

namespace setwell {
namespace {

constexpr const char* kTestKey = "SOFTWARE\\Setwell\\Win32PlatformTest";

// Wine exports wine_get_version from ntdll; Windows does not.
bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string TempFolder() {
  char buffer[MAX_PATH];
  DWORD length = ::GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, length);
}

// Sets a file's last write time `seconds` before now (after it, when negative).
void Backdate(const std::string& path, int seconds) {
  HANDLE file =
      ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= static_cast<ULONGLONG>(static_cast<LONGLONG>(seconds) * 10'000'000);
  FILETIME then{t.LowPart, t.HighPart};
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &then));
  ::CloseHandle(file);
}

TEST(Win32PlatformTest, RegistryValuesRoundTripThroughTheHost) {
  Win32Platform platform;
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
  RegistryKey key(platform);
  EXPECT_FALSE(key.Open(kTestKey));
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(key.Create(kTestKey));
  ASSERT_TRUE(key.Open(kTestKey));
  EXPECT_TRUE(key.WriteDword("DriverVersion", 0x01020304));
  EXPECT_TRUE(key.WriteString("Driver", "nusbmon.dll"));
  const BYTE raw[28] = {28, 0, 0, 0, 0x80, 0x25};
  EXPECT_TRUE(key.WriteBytes("DCB", REG_NONE, raw, sizeof raw));

  DWORD version = 0;
  EXPECT_TRUE(key.ReadDword("DRIVERVERSION", version));
  EXPECT_EQ(version, 0x01020304u);
  char text[32] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  EXPECT_TRUE(key.ReadValue("Driver", text, size, &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(text, "nusbmon.dll");
  BYTE back[28] = {};
  size = sizeof back;
  EXPECT_TRUE(key.ReadValue("DCB", back, size, &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(size, 28u);
  EXPECT_EQ(back[4], 0x80);

  std::string name;
  int count = 0;
  for (DWORD i = 0; key.EnumValueName(i, name); ++i) ++count;
  EXPECT_EQ(count, 3);
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
  key.Close();
  EXPECT_EQ(::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey), ERROR_SUCCESS);
}

TEST(Win32PlatformTest, FilesCopyWithTheErrorsTheInstallerExpects) {
  Win32Platform platform;
  const std::string folder = TempFolder();
  const std::string source = folder + "setwell_src.bin";
  const std::string target = folder + "setwell_dst.bin";
  ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(target.c_str());
  HANDLE file = ::CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, "stand-in", 8, &written, nullptr);
  ::CloseHandle(file);

  EXPECT_TRUE(platform.CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_FALSE(platform.CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(platform.GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  // A read-only target refuses the copy with 5 until its attributes change.
  // Wine maps the attribute onto the Unix write permission, which does not
  // stop a test run as root: there the copy succeeds.
  ASSERT_TRUE(platform.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  const BOOL copiedOverReadOnly = platform.CopyFileA(source.c_str(), target.c_str(), FALSE);
  if (!RunningUnderWine()) {
    EXPECT_FALSE(copiedOverReadOnly);
    EXPECT_EQ(platform.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  } else if (!copiedOverReadOnly) {
    EXPECT_EQ(platform.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  ASSERT_TRUE(platform.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE));

  // A target held open without sharing gives 32.
  HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform.CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(platform.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  ::CloseHandle(held);

  std::string contents;
  EXPECT_TRUE(platform.ReadWholeFile(target.c_str(), contents));
  EXPECT_EQ(contents, "stand-in");
  EXPECT_FALSE(platform.ReadWholeFile((folder + "setwell_missing.bin").c_str(), contents));
  EXPECT_EQ(platform.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ::DeleteFileA(source.c_str());
  ::DeleteFileA(target.c_str());
}

TEST(Win32PlatformTest, VersionAndDirectoriesComeFromTheHost) {
  Win32Platform platform;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(platform.GetVersionExA(&info));
  EXPECT_TRUE(info.dwPlatformId == VER_PLATFORM_WIN32_NT ||
              info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_GE(info.dwMajorVersion, 4u);

  char buffer[256];
  UINT length = platform.GetSystemDirectoryA(buffer, sizeof buffer);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof buffer);
  EXPECT_EQ(platform.GetFileAttributesA(buffer) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_GT(platform.GetWindowsDirectoryA(buffer, sizeof buffer), 0u);

  // A buffer too small for the program's path: the path is cut and the
  // result is the whole buffer (Windows XP, and Wine, leave it without a
  // terminator; later Windows terminate it).
  char small[4];
  EXPECT_EQ(platform.GetModuleFileNameA(small, sizeof small), 4u);
}

// The file system's record of a file: its size and write time, settled only
// once that time lies a few seconds back.
TEST(Win32PlatformTest, FileStampsComeFromTheFileSystemsRecord) {
  Win32Platform platform;
  const std::string path = TempFolder() + "setwell-stamp.ini";
  auto write = [&](const char* text) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    ::CloseHandle(file);
  };
  auto backdate = [&](int seconds) { Backdate(path, seconds); };

  write("[A]\r\nk=1\r\n");
  Platform::FileStamp fresh;
  ASSERT_TRUE(platform.GetFileStamp(path.c_str(), fresh));
  EXPECT_EQ(fresh.size, 10u);
  EXPECT_FALSE(fresh.settled) << "written just now";

  backdate(3600);
  Platform::FileStamp old;
  ASSERT_TRUE(platform.GetFileStamp(path.c_str(), old));
  EXPECT_TRUE(old.settled);
  EXPECT_FALSE(old.SameAs(fresh));
  Platform::FileStamp again;
  ASSERT_TRUE(platform.GetFileStamp(path.c_str(), again));
  EXPECT_TRUE(again.SameAs(old));

  // Rewritten with the same size, the record's time moves on.
  write("[A]\r\nk=2\r\n");
  Platform::FileStamp rewritten;
  ASSERT_TRUE(platform.GetFileStamp(path.c_str(), rewritten));
  EXPECT_EQ(rewritten.size, old.size);
  EXPECT_FALSE(rewritten.SameAs(old));
  // A date in the future is not taken as settled.
  backdate(-3600);
  Platform::FileStamp future;
  ASSERT_TRUE(platform.GetFileStamp(path.c_str(), future));
  EXPECT_FALSE(future.settled);

  ::DeleteFileA(path.c_str());
  Platform::FileStamp none;
  EXPECT_FALSE(platform.GetFileStamp(path.c_str(), none));
  EXPECT_FALSE(platform.GetFileStamp(TempFolder().c_str(), none)) << "a folder";
}

// A file another program holds open without sharing: the host's reader
// gives the default, ours the parse it holds while the file's settled
// record is unchanged, and the default once the record changes.
TEST(Win32PlatformTest, AHeldFileWithASettledUnchangedRecordReadsAsItWas) {
  Win32Platform platform;
  const std::string path = TempFolder() + "setwell-held.ini";
  auto write = [&](const char* text, int secondsAgo) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    ::CloseHandle(file);
    Backdate(path, secondsAgo);
  };
  auto host = [&] {
    char value[16] = {};
    ::GetPrivateProfileStringA("A", "k", "0", value, sizeof value, path.c_str());
    return std::string(value);
  };
  write("[A]\r\nk=1\r\n", 3600);
  IniFileSet reader(platform);
  auto ours = [&] {
    reader.Refresh();
    return reader.GetString(path, "A", "k", 9);
  };
  EXPECT_EQ(ours(), "1");
  EXPECT_EQ(host(), "1");

  HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(host(), "0") << "the host's reader cannot open it";
  EXPECT_EQ(ours(), "1") << "settled and unchanged: the bytes are those parsed";
  ::CloseHandle(held);

  write("[A]\r\nk=2\r\n", 1800);  // the same size, another time
  held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ours(), "0") << "changed while held: read as missing, as the host's reader";
  ::CloseHandle(held);
  EXPECT_EQ(ours(), "2");
  ::DeleteFileA(path.c_str());
}

TEST(Win32PlatformTest, ConfigurationIsReadBesideTheProgramInAnyLetterCase) {
  Win32Platform platform;
  char module[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::string folder(module, length);
  folder.resize(folder.rfind('\\') + 1);
  const std::string configFolder = folder + "DrvConfig";
  ::CreateDirectoryA(configFolder.c_str(), nullptr);
  const std::string path = configFolder + "\\SETUP.INI";
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char text[] = "[devicename]\r\nDeviceNumber = 2\r\nDEVICENAME1=KP-9-ReceiptPrinter\r\n";
  DWORD written = 0;
  ::WriteFile(file, text, sizeof text - 1, &written, nullptr);
  ::CloseHandle(file);

  InstallConfig config(platform);
  EXPECT_EQ(config.GetModelCount(), 2);
  std::string model;
  EXPECT_EQ(config.GetModelEntry(1, model), kReceipt);
  EXPECT_EQ(model, "KP-9");
  ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(configFolder.c_str());
}

}  // namespace
}  // namespace setwell
