// The USB installation records against the host's registry: the key names as
// the records spell them (with a trailing "\") must reach the same keys as
// without.
#include <gtest/gtest.h>

#include <string>

#include "config/InstallConfig.h"
#include "config/UsbPortRecords.h"
#include "system/win32/Win32Platform.h"

namespace setwell {
namespace {

bool ReadHostDword(const char* key, const char* name, DWORD& value) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = sizeof value;
  LONG error =
      ::RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(handle);
  return error == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value;
}

void DeleteTalvornKeys() {
  for (const char* key : {"SOFTWARE\\TALVORN\\PORTNAME", "SOFTWARE\\TALVORN\\PRINTERPORT",
                          "SOFTWARE\\TALVORN\\INSTALLPRINTER", "SOFTWARE\\TALVORN"}) {
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
  }
}

std::string ProgramFolderOnHost() {
  char module[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string folder(module, length);
  return folder.substr(0, folder.rfind('\\') + 1);
}

TEST(UsbRecordsHostTest, RecordsLandInTheHostRegistry) {
  Win32Platform platform;
  DeleteTalvornKeys();
  const std::string configFolder = ProgramFolderOnHost() + "DRVCONFIG";
  ::CreateDirectoryA(configFolder.c_str(), nullptr);
  const std::string path = configFolder + "\\setup.ini";
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char text[] = "[SUPPORTED-USB-DEVICE]\r\nPRNCOUNT=2\r\n0=USB_KP-9_1\r\n1=USB_KP-9_2\r\n";
  DWORD written = 0;
  ::WriteFile(file, text, sizeof text - 1, &written, nullptr);
  ::CloseHandle(file);

  HKEY installed = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TALVORN\\INSTALLPRINTER", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &installed, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  ::RegSetValueExA(installed, "KP-9(U) 2", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  ::RegCloseKey(installed);

  {
    InstallConfig config(platform);
    UpdateUsbPortRecords(platform, config, "USB_KP-9_1");
    RecordUsbPortInstall(platform, "USB_KP-9_1");
  }
  DWORD value = 99;
  EXPECT_TRUE(ReadHostDword("SOFTWARE\\TALVORN\\PORTNAME", "USB_KP-9_1", value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(ReadHostDword("SOFTWARE\\TALVORN\\PORTNAME", "USB_KP-9_2", value));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(ReadHostDword("SOFTWARE\\TALVORN\\PRINTERPORT", "D8", value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(ReadHostDword("SOFTWARE\\TALVORN\\PRINTERPORT", "USB_KP-9_2", value));
  EXPECT_EQ(value, 255u);
  EXPECT_TRUE(ReadHostDword("SOFTWARE\\TALVORN\\PRINTERPORT", "USB_KP-9_1", value));
  EXPECT_EQ(value, 0u);

  DeleteTalvornKeys();
  ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(configFolder.c_str());
}

}  // namespace
}  // namespace setwell
