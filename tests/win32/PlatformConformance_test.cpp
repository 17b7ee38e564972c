// The conformance table against the real host (under Wine in the test run).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/win32/Win32Platform.h"
#include "tests/conformance/PlatformConformance.h"

namespace setwell {
namespace {

class WineHost : public conformance::Host {
 public:
  WineHost() {
    char temp[MAX_PATH];
    const DWORD length = ::GetTempPathA(MAX_PATH, temp);
    scratch_ = std::string(temp, length) + "setwell-conformance-" +
               std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
  }
  ~WineHost() override {
    ReleaseFiles();
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((scratch_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string path = scratch_ + found.cFileName;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryA(scratch_.c_str());
  }

  Platform& platform() override { return platform_; }
  bool IsWine() const override {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }
  // Wine's spooler answers as NT's, whatever version Wine reports.
  bool Is9x() const override { return !IsWine() && (::GetVersion() & 0x80000000u) != 0; }
  // A 32-bit program on 64-bit Windows, which has a SysWOW64 folder for
  // the 32-bit system files; a 64-bit program is never under WOW64.
  std::optional<bool> ExpectedWow64() const override {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (::GetProcAddress(kernel, "IsWow64Process") == nullptr) return std::nullopt;
    char windows[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    const DWORD wow64Folder = ::GetFileAttributesA((std::string(windows, length) + "\\SysWOW64").c_str());
    return sizeof(void*) == 4 && wow64Folder != INVALID_FILE_ATTRIBUTES &&
           (wow64Folder & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  std::string Scratch() override { return scratch_; }
  void MakeFile(const std::string& path, const std::string& data) override {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  void HoldOpen(const std::string& path) override {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) held_.push_back(file);
  }
  void ReleaseFiles() override {
    for (HANDLE file : held_) ::CloseHandle(file);
    held_.clear();
  }
  bool ReadOnlyIsEnforced() override {
    const std::string probe = scratch_ + "readonly-probe.bin";
    MakeFile(probe, "x");
    ::SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool enforced = file == INVALID_HANDLE_VALUE;
    if (!enforced) ::CloseHandle(file);
    ::SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(probe.c_str());
    return enforced;
  }
  void DeleteKeyTree(const std::string& subKey) override {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != 0) return;
    char name[256];
    for (;;) {
      DWORD size = sizeof name;
      if (::RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
      DeleteKeyTree(subKey + "\\" + name);
    }
    ::RegCloseKey(key);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey.c_str());
  }
  void DeletePrinter(const std::string& name) override {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    // Wine may hold more than one printer of a name.
    for (int i = 0; i < 4; ++i) {
      HANDLE printer = nullptr;
      if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) return;
      ::DeletePrinter(printer);
      ::ClosePrinter(printer);
    }
  }
  void DeleteDriver(const std::string& name) override {
    ::DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name.c_str()));
  }
  std::optional<std::string> ReadProfile(const std::string& section,
                                         const std::string& key) override {
    const char kMissing[] = "\x01missing";
    char value[512];
    ::GetProfileStringA(section.c_str(), key.c_str(), kMissing, value, sizeof value);
    if (std::string(value) == kMissing) return std::nullopt;
    return std::string(value);
  }

 private:
  Win32Platform platform_;
  std::string scratch_;
  std::vector<HANDLE> held_;
};

TEST(HostConformanceTest, Registry) {
  WineHost host;
  conformance::CheckRegistry(host);
}
TEST(HostConformanceTest, Files) {
  WineHost host;
  conformance::CheckFiles(host);
}
TEST(HostConformanceTest, DirectoriesAndVersion) {
  WineHost host;
  conformance::CheckDirectoriesAndVersion(host);
}
TEST(HostConformanceTest, SpoolerDirectories) {
  WineHost host;
  conformance::CheckSpoolerDirectories(host);
}
TEST(HostConformanceTest, MonitorsProcessorsAndPorts) {
  WineHost host;
  conformance::CheckMonitorsProcessorsAndPorts(host);
}
TEST(HostConformanceTest, PrinterCycle) {
  WineHost host;
  conformance::CheckPrinterCycle(host);
}
TEST(HostConformanceTest, ServiceControl) {
  WineHost host;
  conformance::CheckServiceControl(host);
}
TEST(HostConformanceTest, Libraries) {
  WineHost host;
  conformance::CheckLibraries(host);
}
TEST(HostConformanceTest, Profile) {
  WineHost host;
  conformance::CheckProfile(host);
}

}  // namespace
}  // namespace setwell
