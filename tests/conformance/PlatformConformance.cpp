#include "tests/conformance/PlatformConformance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace setwell::conformance {
namespace {

// A call's outcome: success, or failure with the last error (the registry
// calls give their error as the result).
struct Outcome {
  bool ok = false;
  DWORD error = ERROR_SUCCESS;
};

Outcome Win32(Platform& platform, BOOL result) {
  return Outcome{result != FALSE, result != FALSE ? ERROR_SUCCESS : platform.GetLastError()};
}

Outcome Registry(LONG result) {
  return Outcome{result == static_cast<LONG>(ERROR_SUCCESS), static_cast<DWORD>(result)};
}

// One row of a table: what is done, and what Windows NT answers; where
// Windows 98/Me answers otherwise, its answer and why; where Wine answers
// otherwise, its answer and why.
struct Row {
  const char* what;
  std::function<Outcome(Platform&)> call;
  DWORD windows;  // ERROR_SUCCESS: the call succeeds
  std::optional<DWORD> wine = std::nullopt;
  const char* departure = nullptr;
  std::optional<DWORD> win9x = std::nullopt;
  const char* win9xWhy = nullptr;
};

void Run(Host& host, const std::vector<Row>& rows) {
  const bool is9x = host.Is9x();
  for (const Row& row : rows) {
    const bool departs = host.IsWine() && row.wine.has_value();
    const bool differs9x = is9x && row.win9x.has_value();
    const DWORD expected = differs9x ? *row.win9x : departs ? *row.wine : row.windows;
    std::string label = row.what;
    if (differs9x && row.win9xWhy != nullptr) {
      label += std::string(" (Windows 98/Me: ") + row.win9xWhy + ")";
    } else if (departs && row.departure != nullptr) {
      label += std::string(" (Wine departs from Windows: ") + row.departure + ")";
    }
    SCOPED_TRACE(label);
    host.platform().SetLastError(0xDEAD);
    const Outcome outcome = row.call(host.platform());
    if (expected == ERROR_SUCCESS) {
      EXPECT_TRUE(outcome.ok) << "failed with " << outcome.error;
    } else {
      EXPECT_FALSE(outcome.ok) << "succeeded, expected error " << expected;
      EXPECT_EQ(outcome.error, expected);
    }
  }
}

constexpr char kKey[] = "SOFTWARE\\Setwell\\Conformance";
// Why the Windows 98/Me spooler refuses a record without an environment.
constexpr char kNoNullEnvironment[] =
    "its monitors are added for \"Windows 4.0\" only; no environment is refused first";
constexpr char kMonitorsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
constexpr char kNtPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr char kPrinter[] = "Setwell Conformance Printer";
constexpr char kDriver[] = "Setwell Conformance Driver";

std::string ReadString(Platform& platform, const std::string& key, const char* name) {
  RegKeyHandle handle = nullptr;
  if (platform.RegOpenKeyExA(key.c_str(), KEY_READ, &handle) != 0) return {};
  char text[260] = {};
  DWORD size = sizeof text - 1;
  const LONG error = platform.RegQueryValueExA(handle, name, nullptr,
                                               reinterpret_cast<BYTE*>(text), &size);
  platform.RegCloseKey(handle);
  return error == 0 ? std::string(text) : std::string();
}

bool IsNt(Platform& platform) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return platform.GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// winspool.drv exports SetDefaultPrinterA from Windows 2000 on.
bool HasSetDefaultPrinter(Platform& platform) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return platform.GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         info.dwMajorVersion >= 5;
}

}  // namespace

void CheckRegistry(Host& host) {
  Platform& p = host.platform();
  host.DeleteKeyTree(kKey);
  const std::string deeper = std::string(kKey) + "\\Sub\\Deeper";
  RegKeyHandle key = nullptr;
  RegKeyHandle readOnly = nullptr;
  const DWORD number = 0x01020304;
  const char text[] = "nusbmon.dll";
  const BYTE raw[6] = {0x1c, 0, 0, 0, 0x80, 0x25};
  Run(host, {
      {"opening a missing key", [&](Platform& q) {
         RegKeyHandle h = nullptr;
         return Registry(q.RegOpenKeyExA(kKey, KEY_ALL_ACCESS, &h));
       }, ERROR_FILE_NOT_FOUND},
      {"creating a key with missing parents", [&](Platform& q) {
         RegKeyHandle h = nullptr;
         Outcome o = Registry(q.RegCreateKeyExA(deeper.c_str(), KEY_ALL_ACCESS, &h));
         if (o.ok) q.RegCloseKey(h);
         return o;
       }, ERROR_SUCCESS},
      {"opening it in other letter case", [&](Platform& q) {
         std::string lower = deeper;
         for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
         return Registry(q.RegOpenKeyExA(lower.c_str(), KEY_ALL_ACCESS, &key));
       }, ERROR_SUCCESS},
      {"writing a DWORD", [&](Platform& q) {
         return Registry(q.RegSetValueExA(key, "Number", REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&number), 4));
       }, ERROR_SUCCESS},
      {"writing a string with its terminator", [&](Platform& q) {
         return Registry(q.RegSetValueExA(key, "Text", REG_SZ,
                                          reinterpret_cast<const BYTE*>(text), sizeof text));
       }, ERROR_SUCCESS},
      {"writing raw bytes of type 0", [&](Platform& q) {
         return Registry(q.RegSetValueExA(key, "Raw", REG_NONE, raw, sizeof raw));
       }, ERROR_SUCCESS},
      {"reading a missing value", [&](Platform& q) {
         DWORD size = 0;
         return Registry(q.RegQueryValueExA(key, "Missing", nullptr, nullptr, &size));
       }, ERROR_FILE_NOT_FOUND},
      {"reading a string into too small a buffer", [&](Platform& q) {
         char small[4];
         DWORD size = sizeof small;
         Outcome o = Registry(q.RegQueryValueExA(key, "Text", nullptr,
                                                 reinterpret_cast<BYTE*>(small), &size));
         EXPECT_EQ(size, sizeof text) << "the size needed comes back";
         return o;
       }, ERROR_MORE_DATA},
      {"asking a value's size", [&](Platform& q) {
         DWORD size = 0;
         DWORD type = 0;
         Outcome o = Registry(q.RegQueryValueExA(key, "raw", &type, nullptr, &size));
         EXPECT_EQ(size, sizeof raw);
         EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
         return o;
       }, ERROR_SUCCESS},
      {"enumerating past the last value", [&](Platform& q) {
         char name[32];
         DWORD size = sizeof name;
         return Registry(q.RegEnumValueA(key, 3, name, &size, nullptr, nullptr, nullptr));
       }, ERROR_NO_MORE_ITEMS},
      {"enumerating into too small a name buffer", [&](Platform& q) {
         char name[3];
         DWORD size = sizeof name;
         return Registry(q.RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr));
       }, ERROR_MORE_DATA},
      {"writing through a key opened for reading", [&](Platform& q) {
         q.RegOpenKeyExA(deeper.c_str(), KEY_READ, &readOnly);
         return Registry(q.RegSetValueExA(readOnly, "Number", REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&number), 4));
       }, ERROR_ACCESS_DENIED},
  });

  // The values come back as written, enumerated in the order written.
  DWORD type = 0;
  DWORD got = 0;
  DWORD size = sizeof got;
  EXPECT_EQ(p.RegQueryValueExA(key, "NUMBER", &type, reinterpret_cast<BYTE*>(&got), &size), 0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(got, number);
  char back[32] = {};
  size = sizeof back;
  EXPECT_EQ(p.RegQueryValueExA(key, "Text", &type, reinterpret_cast<BYTE*>(back), &size), 0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(back, text);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[32];
    DWORD nameSize = sizeof name;
    if (p.RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, nullptr) != 0) break;
    EXPECT_EQ(nameSize, std::strlen(name)) << "the name's length without its terminator";
    names.emplace_back(name);
  }
  if (host.IsWine()) {
    // Wine departs from Windows: it enumerates values in name order.
    EXPECT_EQ(names, (std::vector<std::string>{"Number", "Raw", "Text"}));
  } else {
    EXPECT_EQ(names, (std::vector<std::string>{"Number", "Text", "Raw"}));
  }
  p.RegCloseKey(readOnly);
  p.RegCloseKey(key);

  // Keys below kKey: "Sub" (with "Deeper" below it), then "Other".
  const std::string sub = std::string(kKey) + "\\Sub";
  RegKeyHandle made = nullptr;
  ASSERT_EQ(p.RegCreateKeyExA((std::string(kKey) + "\\Other").c_str(), KEY_ALL_ACCESS, &made), 0);
  p.RegCloseKey(made);
  RegKeyHandle top = nullptr;
  ASSERT_EQ(p.RegOpenKeyExA(kKey, KEY_ALL_ACCESS, &top), 0);
  RegKeyHandle valuesOnly = nullptr;
  ASSERT_EQ(p.RegOpenKeyExA(kKey, KEY_QUERY_VALUE, &valuesOnly), 0);
  Run(host, {
      {"enumerating keys into too small a name buffer", [&](Platform& q) {
         char name[3];
         DWORD size = sizeof name;
         return Registry(q.RegEnumKeyExA(top, 0, name, &size));
       }, ERROR_MORE_DATA},
      {"enumerating past the last key", [&](Platform& q) {
         char name[32];
         DWORD size = sizeof name;
         return Registry(q.RegEnumKeyExA(top, 2, name, &size));
       }, ERROR_NO_MORE_ITEMS},
      {"enumerating keys through a handle without the right", [&](Platform& q) {
         char name[32];
         DWORD size = sizeof name;
         return Registry(q.RegEnumKeyExA(valuesOnly, 0, name, &size));
       }, ERROR_ACCESS_DENIED},
      {"deleting a missing value", [&](Platform& q) {
         return Registry(q.RegDeleteValueA(top, "Missing"));
       }, ERROR_FILE_NOT_FOUND},
      {"deleting a value through a handle opened for reading", [&](Platform& q) {
         return Registry(q.RegDeleteValueA(valuesOnly, "Number"));
       }, ERROR_ACCESS_DENIED},
      {"deleting a missing key", [&](Platform& q) {
         return Registry(q.RegDeleteKeyA((std::string(kKey) + "\\Missing").c_str()));
       }, ERROR_FILE_NOT_FOUND},
      {"deleting a key that has a subkey", [&](Platform& q) {
         return Registry(q.RegDeleteKeyA(sub.c_str()));
       }, ERROR_ACCESS_DENIED, std::nullopt, nullptr, ERROR_SUCCESS,
       "RegDeleteKeyA deletes the key with everything below it"},
  });
  // The keys come back by name, whatever order they were made in.
  std::vector<std::string> keys;
  for (DWORD i = 0;; ++i) {
    char name[32];
    DWORD nameSize = sizeof name;
    if (p.RegEnumKeyExA(top, i, name, &nameSize) != 0) break;
    EXPECT_EQ(nameSize, std::strlen(name)) << "the name's length without its terminator";
    keys.emplace_back(name);
  }
  if (host.Is9x()) {
    EXPECT_EQ(keys, (std::vector<std::string>{"Other"})) << "Sub went with its subkey";
  } else {
    EXPECT_EQ(keys, (std::vector<std::string>{"Other", "Sub"}));
    // Once its subkey is gone, the key goes too.
    EXPECT_EQ(p.RegDeleteKeyA((sub + "\\Deeper").c_str()), 0);
    EXPECT_EQ(p.RegDeleteKeyA(sub.c_str()), 0);
  }
  RegKeyHandle gone = nullptr;
  EXPECT_EQ(p.RegOpenKeyExA(sub.c_str(), KEY_READ, &gone), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  p.RegCloseKey(valuesOnly);
  p.RegCloseKey(top);
  host.DeleteKeyTree(kKey);
}

void CheckFiles(Host& host) {
  Platform& p = host.platform();
  const std::string scratch = host.Scratch();
  const std::string source = scratch + "source.bin";
  const std::string target = scratch + "target.bin";
  const std::string missingFolder = scratch + "no such folder\\file.bin";
  host.MakeFile(source, "stand-in driver");
  const std::string readOnlySource = scratch + "readonly.bin";
  host.MakeFile(readOnlySource, "from a CD");

  std::vector<Row> rows = {
      {"copying a missing file", [&](Platform& q) {
         return Win32(q, q.CopyFileA((scratch + "missing.bin").c_str(), target.c_str(), FALSE));
       }, ERROR_FILE_NOT_FOUND},
      {"copying from a missing folder", [&](Platform& q) {
         return Win32(q, q.CopyFileA(missingFolder.c_str(), target.c_str(), FALSE));
       }, ERROR_PATH_NOT_FOUND},
      {"copying into a missing folder", [&](Platform& q) {
         return Win32(q, q.CopyFileA(source.c_str(), missingFolder.c_str(), FALSE));
       }, ERROR_PATH_NOT_FOUND},
      {"copying a file, named in other letter case", [&](Platform& q) {
         return Win32(q, q.CopyFileA((scratch + "SOURCE.BIN").c_str(), target.c_str(), FALSE));
       }, ERROR_SUCCESS},
      {"copying over it when told to fail if it exists", [&](Platform& q) {
         return Win32(q, q.CopyFileA(source.c_str(), target.c_str(), TRUE));
       }, ERROR_FILE_EXISTS},
      {"copying over a file held open without sharing", [&](Platform& q) {
         host.HoldOpen(target);
         Outcome o = Win32(q, q.CopyFileA(source.c_str(), target.c_str(), FALSE));
         return o;
       }, ERROR_SHARING_VIOLATION},
      {"opening the held file with no access rights", [&](Platform& q) {
         FileHandle h = q.CreateFileA(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      OPEN_EXISTING, 0);
         if (h != kInvalidFile) q.CloseHandle(h);
         return Win32(q, h != kInvalidFile);
       }, ERROR_SUCCESS},
      {"opening the held file for reading", [&](Platform& q) {
         FileHandle h = q.CreateFileA(target.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
         if (h != kInvalidFile) q.CloseHandle(h);
         host.ReleaseFiles();
         return Win32(q, h != kInvalidFile);
       }, ERROR_SHARING_VIOLATION},
      {"opening a missing file", [&](Platform& q) {
         FileHandle h = q.CreateFileA((scratch + "missing.bin").c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
         return Win32(q, h != kInvalidFile);
       }, ERROR_FILE_NOT_FOUND},
      {"setting the attributes of a missing file", [&](Platform& q) {
         return Win32(q, q.SetFileAttributesA((scratch + "missing.bin").c_str(),
                                              FILE_ATTRIBUTE_ARCHIVE));
       }, ERROR_FILE_NOT_FOUND},
      {"reading the attributes of a missing file", [&](Platform& q) {
         return Win32(q, q.GetFileAttributesA((scratch + "missing.bin").c_str()) !=
                             INVALID_FILE_ATTRIBUTES);
       }, ERROR_FILE_NOT_FOUND},
      {"making the target read-only", [&](Platform& q) {
         return Win32(q, q.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
       }, ERROR_SUCCESS},
  };
  if (host.ReadOnlyIsEnforced()) {
    rows.push_back({"copying over a read-only file", [&](Platform& q) {
                      return Win32(q, q.CopyFileA(source.c_str(), target.c_str(), FALSE));
                    }, ERROR_ACCESS_DENIED});
  }
  rows.push_back({"setting the target's attributes to archive only", [&](Platform& q) {
                    return Win32(q, q.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE));
                  }, ERROR_SUCCESS});
  rows.push_back({"copying over it then", [&](Platform& q) {
                    return Win32(q, q.CopyFileA(source.c_str(), target.c_str(), FALSE));
                  }, ERROR_SUCCESS});
  rows.push_back({"reading a missing file whole", [&](Platform& q) {
                    std::string contents;
                    return Win32(q, q.ReadWholeFile((scratch + "missing.bin").c_str(), contents));
                  }, ERROR_FILE_NOT_FOUND});
  rows.push_back({"listing a missing folder", [&](Platform& q) {
                    std::vector<Platform::FolderEntry> entries;
                    return Win32(q, q.ListFolder((scratch + "no such folder").c_str(), entries));
                  }, ERROR_PATH_NOT_FOUND});
  rows.push_back({"looking again at a missing file", [&](Platform& q) {
                    std::string contents;
                    return Win32(q, q.ReadWholeFileUnlessSame((scratch + "missing.bin").c_str(), "",
                                                              contents) != Platform::FileLook::kUnreadable);
                  }, ERROR_FILE_NOT_FOUND});
  Run(host, rows);

  std::string contents;
  EXPECT_TRUE(p.ReadWholeFile(target.c_str(), contents));
  EXPECT_EQ(contents, "stand-in driver");
  // A reader that holds the file as it was is told whether it still is.
  EXPECT_EQ(p.ReadWholeFileUnlessSame(target.c_str(), "stand-in driver", contents),
            Platform::FileLook::kSame);
  contents.clear();
  EXPECT_EQ(p.ReadWholeFileUnlessSame(target.c_str(), "stand-in drivel", contents),
            Platform::FileLook::kRead);
  EXPECT_EQ(contents, "stand-in driver");
  EXPECT_EQ(p.GetFileAttributesA(scratch.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  // A folder's listing: its files by the names they were made with, not
  // "." or ".."; the folder itself in its parent's, as a folder.
  {
    std::vector<Platform::FolderEntry> entries;
    ASSERT_TRUE(p.ListFolder(scratch.c_str(), entries)) << p.GetLastError();
    auto find = [&](const std::string& name) -> const Platform::FolderEntry* {
      for (const Platform::FolderEntry& e : entries) {
        if (e.name == name) return &e;
      }
      return nullptr;
    };
    for (const char* name : {"source.bin", "target.bin", "readonly.bin"}) {
      const Platform::FolderEntry* entry = find(name);
      ASSERT_NE(entry, nullptr) << name;
      EXPECT_EQ(entry->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u) << name;
    }
    EXPECT_EQ(find("."), nullptr);
    EXPECT_EQ(find(".."), nullptr);
    const std::string folder = scratch.substr(0, scratch.size() - 1);
    const std::string parent = folder.substr(0, folder.find_last_of('\\'));
    const std::string own = folder.substr(folder.find_last_of('\\') + 1);
    ASSERT_TRUE(p.ListFolder(parent.c_str(), entries)) << parent;
    const Platform::FolderEntry* self = find(own);
    ASSERT_NE(self, nullptr) << own << " in " << parent;
    EXPECT_NE(self->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  }

  // A copy keeps its source's read-only attribute: the reason the installer
  // resets a target's attributes before copying over it.
  ASSERT_TRUE(p.SetFileAttributesA(readOnlySource.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string copy = scratch + "copy-of-readonly.bin";
  ASSERT_TRUE(p.CopyFileA(readOnlySource.c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(p.GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  p.SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  p.SetFileAttributesA(readOnlySource.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Deleting and moving, and the size of what is left.
  const std::string doomed = scratch + "doomed.bin";
  const std::string held = scratch + "held.bin";
  host.MakeFile(doomed, "twelve bytes");
  host.MakeFile(held, "held");
  Run(host, {
      {"reading a file's size", [&](Platform& q) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         Outcome o = Win32(q, q.GetFileAttributesExA(doomed.c_str(), &data));
         EXPECT_EQ(data.nFileSizeLow, 12u);
         EXPECT_EQ(data.nFileSizeHigh, 0u);
         EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
         return o;
       }, ERROR_SUCCESS},
      {"reading a folder's record", [&](Platform& q) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         Outcome o = Win32(q, q.GetFileAttributesExA(scratch.c_str(), &data));
         EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
         return o;
       }, ERROR_SUCCESS},
      {"reading the record of a missing file", [&](Platform& q) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         return Win32(q, q.GetFileAttributesExA((scratch + "missing.bin").c_str(), &data));
       }, ERROR_FILE_NOT_FOUND},
      {"deleting a missing file", [&](Platform& q) {
         return Win32(q, q.DeleteFileA((scratch + "missing.bin").c_str()));
       }, ERROR_FILE_NOT_FOUND},
      {"deleting in a missing folder", [&](Platform& q) {
         return Win32(q, q.DeleteFileA(missingFolder.c_str()));
       }, ERROR_PATH_NOT_FOUND},
      {"deleting a file held open without sharing", [&](Platform& q) {
         host.HoldOpen(held);
         Outcome o = Win32(q, q.DeleteFileA(held.c_str()));
         host.ReleaseFiles();
         return o;
       }, ERROR_SHARING_VIOLATION},
      {"moving a file onto one there is", [&](Platform& q) {
         return Win32(q, q.MoveFileExA(doomed.c_str(), held.c_str(), 0));
       }, ERROR_ALREADY_EXISTS, std::nullopt, nullptr, ERROR_CALL_NOT_IMPLEMENTED,
       "kernel32 has MoveFileExA as a stub only"},
      {"moving it over, told to replace", [&](Platform& q) {
         return Win32(q, q.MoveFileExA(doomed.c_str(), held.c_str(), MOVEFILE_REPLACE_EXISTING));
       }, ERROR_SUCCESS, std::nullopt, nullptr, ERROR_CALL_NOT_IMPLEMENTED,
       "kernel32 has MoveFileExA as a stub only"},
      {"scheduling a file's deletion at the restart", [&](Platform& q) {
         return Win32(q, q.MoveFileExA(held.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
       }, ERROR_SUCCESS, std::nullopt, nullptr, ERROR_CALL_NOT_IMPLEMENTED,
       "kernel32 has MoveFileExA as a stub only; WININIT.INI takes its place"},
      {"deleting the file", [&](Platform& q) {
         return Win32(q, q.DeleteFileA(held.c_str()));
       }, ERROR_SUCCESS},
      {"deleting it again", [&](Platform& q) {
         return Win32(q, q.DeleteFileA(held.c_str()));
       }, ERROR_FILE_NOT_FOUND},
  });
  // The replacing move took the file away.
  if (!host.Is9x()) {
    EXPECT_EQ(p.GetFileAttributesA(doomed.c_str()), INVALID_FILE_ATTRIBUTES) << "moved away";
  }
}

void CheckDirectoriesAndVersion(Host& host) {
  Platform& p = host.platform();
  struct Directory {
    const char* what;
    std::function<UINT(char*, UINT)> get;
  };
  const Directory directories[] = {
      {"system", [&](char* b, UINT s) { return p.GetSystemDirectoryA(b, s); }},
      {"Windows", [&](char* b, UINT s) { return p.GetWindowsDirectoryA(b, s); }},
      {"current", [&](char* b, UINT s) { return static_cast<UINT>(p.GetCurrentDirectoryA(s, b)); }},
  };
  for (const Directory& directory : directories) {
    SCOPED_TRACE(directory.what);
    char tiny[1] = {};
    const UINT needed = directory.get(tiny, sizeof tiny);
    ASSERT_GT(needed, 1u) << "a size query gives the size with the terminator";
    std::vector<char> buffer(needed);
    const UINT length = directory.get(buffer.data(), needed);
    EXPECT_EQ(length, needed - 1) << "a fitting buffer gives the length without it";
    EXPECT_EQ(std::strlen(buffer.data()), length);
    EXPECT_EQ(p.GetFileAttributesA(buffer.data()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  }

  // A program path that does not fit is cut to the buffer with a terminator.
  char small[4] = {'x', 'x', 'x', 'x'};
  p.SetLastError(0);
  EXPECT_EQ(p.GetModuleFileNameA(small, sizeof small), 4u);
  EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small[3], '\0');

  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 10;
  EXPECT_FALSE(p.GetVersionExA(&info));
  EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(p.GetVersionExA(&info));
  EXPECT_TRUE(info.dwPlatformId == VER_PLATFORM_WIN32_NT ||
              info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_GE(info.dwMajorVersion, 4u);

  // The 64-bit Windows that report the version of a 32-bit one are told
  // apart by IsWow64Process, which the systems before XP SP2 lack.
  BOOL wow64 = 2;
  p.SetLastError(0xDEAD);
  const std::optional<bool> expected = host.ExpectedWow64();
  if (!expected.has_value()) {
    EXPECT_FALSE(p.IsWow64Process(&wow64));
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(wow64, 2) << "nothing written";
  } else {
    ASSERT_TRUE(p.IsWow64Process(&wow64)) << p.GetLastError();
    EXPECT_EQ(wow64 != FALSE, *expected);
  }
}

void CheckSpoolerDirectories(Host& host) {
  Platform& p = host.platform();
  using Query = std::function<BOOL(const char*, DWORD, BYTE*, DWORD, DWORD*)>;
  struct Directory {
    const char* what;
    Query get;
    const char* win40Folder;
    bool wineAsksAnsiSize;
  };
  const Directory directories[] = {
      {"driver directory",
       [&](const char* e, DWORD l, BYTE* b, DWORD s, DWORD* n) {
         return p.GetPrinterDriverDirectoryA(e, l, b, s, n);
       },
       "\\spool\\drivers\\win40", true},
      {"print processor directory",
       [&](const char* e, DWORD l, BYTE* b, DWORD s, DWORD* n) {
         return p.GetPrintProcessorDirectoryA(e, l, b, s, n);
       },
       "\\spool\\prtprocs\\win40", false},
  };
  const bool nt = IsNt(p);
  for (const Directory& directory : directories) {
    SCOPED_TRACE(directory.what);
    DWORD needed = 0;
    p.SetLastError(0);
    EXPECT_FALSE(directory.get(nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(needed, 1u);
    std::vector<BYTE> buffer(needed + 1, 0);
    DWORD again = 0;
    ASSERT_TRUE(directory.get(nullptr, 1, buffer.data(), needed, &again));
    const std::string path(reinterpret_cast<const char*>(buffer.data()));
    if (!nt) {
      EXPECT_EQ(needed, path.size() + 1);
    } else if (host.IsWine() && directory.wineAsksAnsiSize) {
      // Wine departs from Windows: it asks for the size of the ANSI path.
      EXPECT_EQ(needed, path.size() + 1);
    } else {
      // NT's ANSI call asks for the size of the Unicode path.
      EXPECT_EQ(needed, 2 * (path.size() + 1));
    }
    EXPECT_EQ(again, needed);
    EXPECT_EQ(p.GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(directory.get(nullptr, 1, buffer.data(), needed - 1, &again));
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(directory.get("Setwell bogus environment", 1, buffer.data(), needed, &again));
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
    if (nt) {
      EXPECT_FALSE(directory.get(nullptr, 2, buffer.data(), needed, &again));
      EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
      // Environment names do not care about letter case; an NT spooler also
      // keeps files for Windows 95/98/Me clients.
      std::vector<BYTE> win40(1024, 0);
      ASSERT_TRUE(directory.get("windowS 4.0", 1, win40.data(), 1024, &again));
      const std::string win40Path(reinterpret_cast<const char*>(win40.data()));
      EXPECT_NE(win40Path.find(directory.win40Folder), std::string::npos) << win40Path;
    }
  }
}

void CheckMonitorsProcessorsAndPorts(Host& host) {
  Platform& p = host.platform();
  const std::string localPortDll =
      ReadString(p, std::string(kMonitorsKey) + "\\Local Port", "Driver");
  ASSERT_FALSE(localPortDll.empty()) << "the Local Port monitor names its DLL";
  auto monitor = [](const char* name, const char* dll) {
    return MONITOR_INFO_2A{const_cast<char*>(name), nullptr, const_cast<char*>(dll)};
  };
  std::vector<BYTE> ports;
  DWORD portsNeeded = 0;
  DWORD ports2Needed = 0;
  Run(host, {
      {"adding a monitor at level 1", [&](Platform& q) {
         MONITOR_INFO_2A info = monitor("Setwell Conformance", localPortDll.c_str());
         return Win32(q, q.AddMonitorA(1, reinterpret_cast<BYTE*>(&info)));
       }, ERROR_INVALID_LEVEL},
      {"adding a monitor the spooler knows", [&](Platform& q) {
         MONITOR_INFO_2A info = monitor("Local Port", localPortDll.c_str());
         return Win32(q, q.AddMonitorA(2, reinterpret_cast<BYTE*>(&info)));
       }, ERROR_PRINT_MONITOR_ALREADY_INSTALLED, std::nullopt, nullptr,
       ERROR_INVALID_ENVIRONMENT, kNoNullEnvironment},
      {"adding a monitor whose DLL is missing", [&](Platform& q) {
         MONITOR_INFO_2A info = monitor("Setwell Conformance", "setwell_missing_monitor.dll");
         return Win32(q, q.AddMonitorA(2, reinterpret_cast<BYTE*>(&info)));
       }, ERROR_MOD_NOT_FOUND, std::nullopt, nullptr, ERROR_INVALID_ENVIRONMENT,
       kNoNullEnvironment},
      {"adding a monitor without a name", [&](Platform& q) {
         MONITOR_INFO_2A info = monitor("", localPortDll.c_str());
         return Win32(q, q.AddMonitorA(2, reinterpret_cast<BYTE*>(&info)));
       }, ERROR_INVALID_PARAMETER, std::nullopt, nullptr, ERROR_INVALID_ENVIRONMENT,
       kNoNullEnvironment},
      {"adding the print processor the spooler has", [&](Platform& q) {
         return Win32(q, q.AddPrintProcessorA(nullptr, "winprint.dll", "WinPrint"));
       }, ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED, ERROR_SUCCESS,
       "AddPrintProcessorA checks the environment only and reports success"},
      {"adding a print processor for an unknown environment", [&](Platform& q) {
         return Win32(q, q.AddPrintProcessorA("Setwell bogus environment", "winprint.dll",
                                              "Setwell Processor"));
       }, ERROR_INVALID_ENVIRONMENT},
      {"asking the size of the port list", [&](Platform& q) {
         DWORD returned = 7;
         Outcome o = Win32(q, q.EnumPortsA(1, nullptr, 0, &portsNeeded, &returned));
         EXPECT_GT(portsNeeded, 0u);
         return o;
       }, ERROR_INSUFFICIENT_BUFFER},
      {"reading the port list into one byte less", [&](Platform& q) {
         ports.assign(portsNeeded, 0);
         DWORD needed = 0;
         DWORD returned = 0;
         return Win32(q, q.EnumPortsA(1, ports.data(), portsNeeded - 1, &needed, &returned));
       }, ERROR_INSUFFICIENT_BUFFER},
      {"asking the size of the port list with the monitors (level 2)", [&](Platform& q) {
         DWORD returned = 7;
         Outcome o = Win32(q, q.EnumPortsA(2, nullptr, 0, &ports2Needed, &returned));
         EXPECT_GT(ports2Needed, 0u);
         return o;
       }, ERROR_INSUFFICIENT_BUFFER},
      {"asking for ports at level 3", [&](Platform& q) {
         DWORD needed = 0;
         DWORD returned = 0;
         return Win32(q, q.EnumPortsA(3, nullptr, 0, &needed, &returned));
       }, ERROR_INVALID_LEVEL, std::nullopt, nullptr, ERROR_SUCCESS,
       "the spooler does not look at the level, and lists nothing into no buffer"},
      {"opening a printer that does not exist", [&](Platform& q) {
         PrinterHandle h = nullptr;
         return Win32(q, q.OpenPrinterA("Setwell no such printer", &h));
       }, ERROR_INVALID_PRINTER_NAME},
  });

  DWORD needed = 0;
  DWORD returned = 0;
  ASSERT_TRUE(p.EnumPortsA(1, ports.data(), portsNeeded, &needed, &returned));
  EXPECT_EQ(needed, portsNeeded);
  ASSERT_GT(returned, 0u);
  bool lpt1 = false;
  for (DWORD i = 0; i < returned; ++i) {
    const char* name = reinterpret_cast<PORT_INFO_1A*>(ports.data())[i].pName;
    if (std::strcmp(name, "LPT1:") == 0) lpt1 = true;
  }
  EXPECT_TRUE(lpt1) << "the Local Port monitor's LPT1: is listed";

  // Level 2 names each port's monitor: LPT1:'s is the system's local one.
  std::vector<BYTE> ports2(ports2Needed, 0);
  ASSERT_TRUE(p.EnumPortsA(2, ports2.data(), ports2Needed, &needed, &returned));
  ASSERT_GT(returned, 0u);
  std::string lpt1Monitor;
  for (DWORD i = 0; i < returned; ++i) {
    const PORT_INFO_2A& port = reinterpret_cast<PORT_INFO_2A*>(ports2.data())[i];
    if (std::strcmp(port.pPortName, "LPT1:") == 0 && port.pMonitorName != nullptr) {
      lpt1Monitor = port.pMonitorName;
    }
  }
  EXPECT_FALSE(lpt1Monitor.empty()) << "LPT1: is listed at level 2 with its monitor";
}

void CheckPrinterCycle(Host& host) {
  Platform& p = host.platform();
  host.DeletePrinter(kPrinter);
  host.DeleteDriver(kDriver);
  char folder[512] = {};
  DWORD needed = 0;
  ASSERT_TRUE(p.GetPrinterDriverDirectoryA(nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                           sizeof folder, &needed));
  const std::string dir = std::string(folder) + "\\";
  char dependent[] = "swconf_dep.dll\0";
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<char*>(kDriver);
  driver.pDriverPath = const_cast<char*>("swconf.drv");
  driver.pDataFile = const_cast<char*>("swconf.gpd");
  driver.pConfigFile = const_cast<char*>("swconfui.dll");
  driver.pHelpFile = const_cast<char*>("swconf.hlp");
  driver.pDependentFiles = dependent;

  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmSpecVersion = DM_SPECVERSION;
  std::memcpy(mode.dmDeviceName, kPrinter, sizeof "Setwell Conformance Pri" - 1);
  mode.dmFields = 0x1;  // DM_ORIENTATION
  mode.dmOrientation = 2;
  PRINTER_INFO_2A printer{};
  printer.pPrinterName = const_cast<char*>(kPrinter);
  printer.pPortName = const_cast<char*>("LPT1:");
  printer.pDriverName = const_cast<char*>("Setwell no such driver");
  printer.pPrintProcessor = const_cast<char*>("WinPrint");
  printer.pDatatype = const_cast<char*>("RAW");
  printer.pDevMode = &mode;

  PrinterHandle handle = nullptr;
  std::vector<BYTE> record;
  Run(host, {
      {"adding a driver whose files are not in the driver directory", [&](Platform& q) {
         Outcome o = Win32(q, q.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&driver)));
         if (o.ok) host.DeleteDriver(kDriver);
         return o;
       }, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS,
       "AddPrinterDriverA adds the driver and leaves the files to be copied later"},
      {"adding it once its files are there", [&](Platform& q) {
         for (const char* file : {"swconf.drv", "swconf.gpd", "swconfui.dll", "swconf.hlp",
                                  "swconf_dep.dll"}) {
           host.MakeFile(dir + file, "stand-in");
         }
         return Win32(q, q.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&driver)));
       }, ERROR_SUCCESS},
      {"adding a printer with an unknown driver", [&](Platform& q) {
         return Win32(q, q.AddPrinterA(2, reinterpret_cast<BYTE*>(&printer)) != nullptr);
       }, ERROR_UNKNOWN_PRINTER_DRIVER, ERROR_INVALID_PARAMETER,
       "an unknown driver gives ERROR_INVALID_PARAMETER"},
      {"adding the printer", [&](Platform& q) {
         printer.pDriverName = const_cast<char*>(kDriver);
         handle = q.AddPrinterA(2, reinterpret_cast<BYTE*>(&printer));
         return Win32(q, handle != nullptr);
       }, ERROR_SUCCESS},
      {"adding a printer of the same name", [&](Platform& q) {
         PrinterHandle second = q.AddPrinterA(2, reinterpret_cast<BYTE*>(&printer));
         if (second != nullptr) q.ClosePrinter(second);
         return Win32(q, second != nullptr);
       }, ERROR_PRINTER_ALREADY_EXISTS, ERROR_SUCCESS,
       "AddPrinterA accepts a second printer of a name that exists"},
      {"asking the size of the printer record", [&](Platform& q) {
         Outcome o = Win32(q, q.GetPrinterA(handle, 2, nullptr, 0, &needed));
         EXPECT_GT(needed, sizeof(PRINTER_INFO_2A));
         return o;
       }, ERROR_INSUFFICIENT_BUFFER},
      {"reading it into one byte less", [&](Platform& q) {
         record.assign(needed, 0);
         DWORD again = 0;
         return Win32(q, q.GetPrinterA(handle, 2, record.data(), needed - 1, &again));
       }, ERROR_INSUFFICIENT_BUFFER},
      {"reading it", [&](Platform& q) {
         DWORD again = 0;
         return Win32(q, q.GetPrinterA(handle, 2, record.data(), needed, &again));
       }, ERROR_SUCCESS},
  });

  auto* read = reinterpret_cast<PRINTER_INFO_2A*>(record.data());
  ASSERT_NE(read->pPrinterName, nullptr);
  EXPECT_STREQ(read->pPrinterName, kPrinter);
  EXPECT_STREQ(read->pPortName, "LPT1:");
  EXPECT_STREQ(read->pDriverName, kDriver);
  ASSERT_NE(read->pDevMode, nullptr);
  EXPECT_EQ(read->pDevMode->dmOrientation, 2);

  read->pComment = const_cast<char*>("changed by the conformance run");
  EXPECT_TRUE(p.SetPrinterA(handle, 2, record.data(), 0));
  DWORD size = 0;
  p.GetPrinterA(handle, 2, nullptr, 0, &size);
  std::vector<BYTE> after(size, 0);
  ASSERT_TRUE(p.GetPrinterA(handle, 2, after.data(), size, &size));
  EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_2A*>(after.data())->pComment,
               "changed by the conformance run");

  // Windows 2000 and later: SetDefaultPrinterA, found at run time.
  ModuleHandle winspool = p.LoadLibraryA("winspool.drv");
  ASSERT_NE(winspool, nullptr);
  ProcAddress setDefault = p.GetProcAddress(winspool, "SetDefaultPrinterA");
  if (HasSetDefaultPrinter(p)) {
    ASSERT_NE(setDefault, nullptr);
    EXPECT_TRUE(p.CallSetDefaultPrinterA(setDefault, kPrinter));
    const std::optional<std::string> device = host.ReadProfile("windows", "device");
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->substr(0, device->find(',')), kPrinter);
  } else {
    EXPECT_EQ(setDefault, nullptr);
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  }
  EXPECT_TRUE(p.FreeLibrary(winspool));

  // What the spooler lists: the printer, its driver with the dependent
  // file, the Local Port monitor and the WinPrint processor.
  std::vector<BYTE> list;
  auto enumerate = [&](const char* what,
                       const std::function<BOOL(BYTE*, DWORD, DWORD*, DWORD*)>& call,
                       DWORD& returned, bool wineKeepsCount = false) {
    SCOPED_TRACE(what);
    DWORD size = 0;
    returned = 7;
    p.SetLastError(0);
    const BOOL empty = call(nullptr, 0, &size, &returned);
    EXPECT_FALSE(empty) << "something to list";
    EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    if (host.IsWine() && wineKeepsCount) {
      // Wine departs from Windows: its EnumPrinterDriversA leaves the count
      // as it was when it asks for a bigger buffer.
      EXPECT_EQ(returned, 7u);
    } else {
      EXPECT_EQ(returned, 0u);
    }
    list.assign(size + 1, 0);
    DWORD again = 0;
    EXPECT_FALSE(call(list.data(), size - 1, &again, &returned)) << "one byte short";
    EXPECT_TRUE(call(list.data(), size, &again, &returned)) << p.GetLastError();
  };
  DWORD count = 0;
  enumerate("EnumPrintersA", [&](BYTE* b, DWORD s, DWORD* n, DWORD* r) {
    return p.EnumPrintersA(PRINTER_ENUM_LOCAL, 2, b, s, n, r);
  }, count);
  bool listedPrinter = false;
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<PRINTER_INFO_2A*>(list.data())[i];
    if (std::strcmp(info.pPrinterName, kPrinter) == 0) {
      listedPrinter = true;
      EXPECT_STREQ(info.pDriverName, kDriver);
      EXPECT_STREQ(info.pPortName, "LPT1:");
    }
  }
  EXPECT_TRUE(listedPrinter);
  enumerate("EnumPrinterDriversA", [&](BYTE* b, DWORD s, DWORD* n, DWORD* r) {
    return p.EnumPrinterDriversA(nullptr, 3, b, s, n, r);
  }, count, true);
  bool listedDriver = false;
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<DRIVER_INFO_3A*>(list.data())[i];
    if (std::strcmp(info.pName, kDriver) != 0) continue;
    listedDriver = true;
    ASSERT_NE(info.pDependentFiles, nullptr);
    const std::string first(info.pDependentFiles);
    EXPECT_NE(first.find("swconf_dep.dll"), std::string::npos) << first;
    EXPECT_EQ(info.pDependentFiles[first.size() + 1], '\0') << "one file, then the list's end";
    EXPECT_NE(std::string(info.pDriverPath).find("swconf.drv"), std::string::npos);
  }
  EXPECT_TRUE(listedDriver);
  enumerate("EnumMonitorsA",
            [&](BYTE* b, DWORD s, DWORD* n, DWORD* r) { return p.EnumMonitorsA(2, b, s, n, r); },
            count);
  bool localPort = false;
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<MONITOR_INFO_2A*>(list.data())[i];
    if (std::strcmp(info.pName, "Local Port") == 0) localPort = info.pDLLName[0] != '\0';
  }
  EXPECT_TRUE(localPort) << "the Local Port monitor with its DLL";
  enumerate("EnumPrintProcessorsA", [&](BYTE* b, DWORD s, DWORD* n, DWORD* r) {
    return p.EnumPrintProcessorsA(nullptr, 1, b, s, n, r);
  }, count);
  bool winPrint = false;
  for (DWORD i = 0; i < count; ++i) {
    const char* name = reinterpret_cast<PRINTPROCESSOR_INFO_1A*>(list.data())[i].pName;
    winPrint = winPrint || std::strcmp(name, "WinPrint") == 0 || std::strcmp(name, "winprint") == 0;
  }
  EXPECT_TRUE(winPrint);

  const bool nt5 = HasSetDefaultPrinter(p);
  if (!host.IsWine()) {
    // Not under Wine: its DeletePrintProcessorA deletes nothing and reports
    // success, and a host whose WinPrint went would print no more.
    Run(host, {{"deleting the print processor a printer uses", [&](Platform& q) {
                  return Win32(q, q.DeletePrintProcessorA(nullptr, "WinPrint"));
                }, ERROR_CAN_NOT_COMPLETE}});
  }
  PrinterHandle user = nullptr;
  PrinterHandle admin = nullptr;
  Run(host, {
      {"listing printers at level 4", [&](Platform& q) {
         DWORD n = 0;
         DWORD r = 0;
         return Win32(q, q.EnumPrintersA(PRINTER_ENUM_LOCAL, 4, nullptr, 0, &n, &r));
       }, ERROR_INSUFFICIENT_BUFFER, std::nullopt, nullptr, ERROR_INVALID_LEVEL,
       "level 4 is NT's"},
      {"listing printers at level 3", [&](Platform& q) {
         DWORD n = 0;
         DWORD r = 0;
         return Win32(q, q.EnumPrintersA(PRINTER_ENUM_LOCAL, 3, nullptr, 0, &n, &r));
       }, ERROR_INVALID_LEVEL},
      {"listing the drivers of an unknown environment", [&](Platform& q) {
         DWORD n = 0;
         DWORD r = 0;
         return Win32(q, q.EnumPrinterDriversA("Setwell bogus environment", 3, nullptr, 0, &n, &r));
       }, ERROR_INVALID_ENVIRONMENT},
      {"listing monitors at level 3", [&](Platform& q) {
         DWORD n = 0;
         DWORD r = 0;
         return Win32(q, q.EnumMonitorsA(3, nullptr, 0, &n, &r));
       }, ERROR_INVALID_LEVEL},
      {"listing the print processors of an unknown environment", [&](Platform& q) {
         DWORD n = 0;
         DWORD r = 0;
         return Win32(q, q.EnumPrintProcessorsA("Setwell bogus environment", 1, nullptr, 0, &n, &r));
       }, ERROR_INVALID_ENVIRONMENT},
      {"deleting the driver a printer uses", [&](Platform& q) {
         return Win32(q, q.DeletePrinterDriverA(nullptr, kDriver));
       }, ERROR_PRINTER_DRIVER_IN_USE, ERROR_SUCCESS,
       "DeletePrinterDriverA does not look at the printers: the driver goes"},
      {"deleting the printer through a handle opened to print", [&](Platform& q) {
         q.OpenPrinterA(kPrinter, &user);
         return Win32(q, q.DeletePrinter(user));
       }, ERROR_ACCESS_DENIED, ERROR_SUCCESS,
       "DeletePrinter does not look at the rights the handle was opened with",
       ERROR_SUCCESS, "printers have no security"},
  });
  if (host.IsWine() || host.Is9x()) {
    // The printer went above (and under Wine its driver); add them again for
    // the rows below.
    host.DeletePrinter(kPrinter);
    if (host.IsWine()) {
      ASSERT_TRUE(p.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&driver))) << p.GetLastError();
    }
    PrinterHandle again = p.AddPrinterA(2, reinterpret_cast<BYTE*>(&printer));
    ASSERT_NE(again, nullptr) << p.GetLastError();
    p.ClosePrinter(again);
  }
  Run(host, {
      {"deleting the printer through a handle opened to administer", [&](Platform& q) {
         EXPECT_TRUE(q.OpenPrinterA(kPrinter, &admin, PRINTER_ACCESS_ADMINISTER));
         return Win32(q, q.DeletePrinter(admin));
       }, ERROR_SUCCESS},
      {"opening the deleted printer", [&](Platform& q) {
         PrinterHandle h = nullptr;
         Outcome o = Win32(q, q.OpenPrinterA(kPrinter, &h));
         if (o.ok) q.ClosePrinter(h);
         return o;
       }, ERROR_INVALID_PRINTER_NAME, ERROR_SUCCESS,
       "the name of a printer deleted a second time still opens (seen with Wine 8.0, "
       "cause not traced)"},
      {"deleting with its files a driver no printer uses", [&](Platform& q) {
         if (nt5) {
           EXPECT_NE(q.GetFileAttributesA((dir + "3\\swconf.drv").c_str()),
                     INVALID_FILE_ATTRIBUTES) << "the spooler keeps the file there";
         }
         return Win32(q, nt5 ? q.DeletePrinterDriverExA(nullptr, kDriver, DPD_DELETE_UNUSED_FILES, 0)
                             : q.DeletePrinterDriverA(nullptr, kDriver));
       }, ERROR_SUCCESS, nt5 ? std::optional<DWORD>(ERROR_INVALID_PARAMETER) : std::nullopt,
       "DeletePrinterDriverExA refuses every delete flag with 87"},
      {"deleting it again", [&](Platform& q) {
         return Win32(q, q.DeletePrinterDriverA(nullptr, kDriver));
       }, ERROR_UNKNOWN_PRINTER_DRIVER, nt5 ? std::optional<DWORD>(ERROR_SUCCESS) : std::nullopt,
       "the driver is still there, DeletePrinterDriverExA having refused its flags above"},
      {"deleting a driver before Windows 2000 has DeletePrinterDriverExA", [&](Platform& q) {
         return Win32(q, q.DeletePrinterDriverExA(nullptr, kDriver, 0, 0));
       }, static_cast<DWORD>(nt5 ? ERROR_UNKNOWN_PRINTER_DRIVER : ERROR_PROC_NOT_FOUND), 0xDEAD,
       "DeletePrinterDriverExA of a driver that is not there fails without setting the last "
       "error (0xDEAD is what the row set before the call)"},
      {"deleting a monitor the spooler does not know", [&](Platform& q) {
         return Win32(q, q.DeleteMonitorA(nullptr, "Setwell no such monitor"));
       }, ERROR_UNKNOWN_PRINT_MONITOR},
      {"deleting a print processor the spooler does not have", [&](Platform& q) {
         return Win32(q, q.DeletePrintProcessorA(nullptr, "Setwell no such processor"));
       }, ERROR_UNKNOWN_PRINTPROCESSOR, ERROR_SUCCESS,
       "DeletePrintProcessorA deletes nothing and reports success"},
  });
  if (nt5 && !host.IsWine()) {
    // DPD_DELETE_UNUSED_FILES took the files no other driver names from the
    // version-3 folder, where the spooler had put them.
    EXPECT_EQ(p.GetFileAttributesA((dir + "3\\swconf.drv").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  if (user != nullptr) p.ClosePrinter(user);
  if (admin != nullptr) {
    EXPECT_TRUE(p.ClosePrinter(admin)) << "a deleted printer's handle closes";
  }

  EXPECT_TRUE(p.ClosePrinter(handle));
  EXPECT_FALSE(p.ClosePrinter(handle));
  EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  host.DeletePrinter(kPrinter);
  host.DeleteDriver(kDriver);
}

void CheckServiceControl(Host& host) {
  Platform& p = host.platform();
  if (host.Is9x()) {
    // Windows 98/Me has no service control manager: its spooler always runs.
    Run(host, {{"opening the service control manager", [&](Platform& q) {
                  return Win32(q, q.OpenSCManagerA(SC_MANAGER_ALL_ACCESS) != nullptr);
                }, ERROR_SUCCESS, std::nullopt, nullptr, ERROR_CALL_NOT_IMPLEMENTED,
                "there are no services"}});
    return;
  }
  ServiceHandle manager = p.OpenSCManagerA(SC_MANAGER_ALL_ACCESS);
  ASSERT_NE(manager, nullptr);
  ServiceHandle queryOnly = nullptr;
  ServiceHandle spooler = nullptr;
  // Waits (at most 10 s of the host's time) for the spooler to reach state.
  auto reach = [&](DWORD state) {
    SERVICE_STATUS status{};
    for (int i = 0; i < 100; ++i) {
      if (p.QueryServiceStatus(spooler, &status) && status.dwCurrentState == state) return true;
      p.Sleep(100);
    }
    return false;
  };
  Run(host, {
      {"opening a service that does not exist", [&](Platform& q) {
         ServiceHandle h = q.OpenServiceA(manager, "Setwell no such service", SERVICE_QUERY_STATUS);
         return Win32(q, h != nullptr);
       }, ERROR_SERVICE_DOES_NOT_EXIST},
      {"stopping through a handle without the stop right", [&](Platform& q) {
         queryOnly = q.OpenServiceA(manager, "Spooler", SERVICE_QUERY_STATUS);
         SERVICE_STATUS status{};
         return Win32(q, q.ControlService(queryOnly, SERVICE_CONTROL_STOP, &status));
       }, ERROR_ACCESS_DENIED},
      {"starting the running spooler", [&](Platform& q) {
         spooler = q.OpenServiceA(manager, "Spooler",
                                  SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
         if (q.StartServiceA(spooler)) {
           EXPECT_TRUE(reach(SERVICE_RUNNING));
         }
         return Win32(q, q.StartServiceA(spooler));
       }, ERROR_SERVICE_ALREADY_RUNNING},
      {"stopping it", [&](Platform& q) {
         SERVICE_STATUS status{};
         Outcome o = Win32(q, q.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
         if (o.ok) {
           EXPECT_TRUE(reach(SERVICE_STOPPED));
         }
         return o;
       }, ERROR_SUCCESS},
      {"asking a stopped spooler for its driver directory", [&](Platform& q) {
         BYTE buffer[512];
         DWORD needed = 0;
         return Win32(q, q.GetPrinterDriverDirectoryA(nullptr, 1, buffer, sizeof buffer, &needed));
       }, RPC_S_SERVER_UNAVAILABLE, ERROR_SUCCESS,
       "the spooler calls are served in the program's own process"},
      {"stopping the stopped spooler", [&](Platform& q) {
         SERVICE_STATUS status{};
         return Win32(q, q.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
       }, ERROR_SERVICE_NOT_ACTIVE},
      {"starting it again", [&](Platform& q) {
         Outcome o = Win32(q, q.StartServiceA(spooler));
         if (o.ok) {
           EXPECT_TRUE(reach(SERVICE_RUNNING));
         }
         return o;
       }, ERROR_SUCCESS},
  });
  if (queryOnly != nullptr) p.CloseServiceHandle(queryOnly);
  if (spooler != nullptr) p.CloseServiceHandle(spooler);
  EXPECT_TRUE(p.CloseServiceHandle(manager));
}

void CheckLibraries(Host& host) {
  ModuleHandle winspool = nullptr;
  ProcAddress setDefault = nullptr;
  const bool nt5 = HasSetDefaultPrinter(host.platform());
  std::vector<Row> rows = {
      {"loading a library that is nowhere", [&](Platform& q) {
         return Win32(q, q.LoadLibraryA("setwell_no_such_library.dll") != nullptr);
       }, ERROR_MOD_NOT_FOUND},
      {"loading winspool.drv", [&](Platform& q) {
         winspool = q.LoadLibraryA("winspool.drv");
         return Win32(q, winspool != nullptr);
       }, ERROR_SUCCESS},
      {"looking up an entry point it does not export", [&](Platform& q) {
         return Win32(q, q.GetProcAddress(winspool, "SetwellNoSuchEntry") != nullptr);
       }, ERROR_PROC_NOT_FOUND},
      {"looking up SetDefaultPrinterA", [&](Platform& q) {
         setDefault = q.GetProcAddress(winspool, "SetDefaultPrinterA");
         return Win32(q, setDefault != nullptr);
       }, static_cast<DWORD>(nt5 ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND)},
  };
  if (nt5) {
    rows.push_back({"making a printer that does not exist the default", [&](Platform& q) {
                      return Win32(q, q.CallSetDefaultPrinterA(setDefault,
                                                               "Setwell no such printer"));
                    }, ERROR_INVALID_PRINTER_NAME});
  }
  rows.push_back({"unloading winspool.drv", [&](Platform& q) {
                    return Win32(q, q.FreeLibrary(winspool));
                  }, ERROR_SUCCESS});
  Run(host, rows);
}

void CheckProfile(Host& host) {
  Platform& p = host.platform();
  const char* section = "Setwell Conformance";
  EXPECT_TRUE(p.WriteProfileStringA(section, "Key", "first"));
  EXPECT_TRUE(p.WriteProfileStringA(section, "KEY", "second"));
  EXPECT_EQ(host.ReadProfile(section, "key"), std::optional<std::string>("second"));
  EXPECT_TRUE(p.WriteProfileStringA(section, "Other", "kept"));
  EXPECT_TRUE(p.WriteProfileStringA(section, "Key", nullptr));
  EXPECT_EQ(host.ReadProfile(section, "Key"), std::nullopt);
  EXPECT_EQ(host.ReadProfile(section, "Other"), std::optional<std::string>("kept"));
  EXPECT_TRUE(p.WriteProfileStringA(section, nullptr, nullptr));
  EXPECT_EQ(host.ReadProfile(section, "Other"), std::nullopt);
  // A flush of the profile cache reports zero, as documented.
  EXPECT_FALSE(p.WriteProfileStringA(nullptr, nullptr, nullptr));

  // Reading back what was written, whole and cut.
  EXPECT_TRUE(p.WriteProfileStringA(section, "Device", "Setwell Printer,winspool,LPT1:"));
  char value[64] = {};
  EXPECT_EQ(p.GetProfileStringA(section, "device", "", value, sizeof value), 30u);
  EXPECT_STREQ(value, "Setwell Printer,winspool,LPT1:");
  char cut[8] = {};
  EXPECT_EQ(p.GetProfileStringA(section, "Device", "", cut, sizeof cut), 7u);
  EXPECT_STREQ(cut, "Setwell");
  EXPECT_EQ(p.GetProfileStringA(section, "Missing", "fallback", value, sizeof value), 8u);
  EXPECT_STREQ(value, "fallback");
  EXPECT_TRUE(p.WriteProfileStringA(section, nullptr, nullptr));

  // A private profile: one key at a time, or a whole section whose keys
  // repeat, as WININIT.INI's [rename] does.
  const std::string ini = host.Scratch() + "private.ini";
  EXPECT_TRUE(p.WritePrivateProfileStringA("rename", "C:\\target.dll", "C:\\source.dll", ini.c_str()));
  const char entries[] = "NUL=C:\\first.dll\0NUL=C:\\second.dll\0";
  EXPECT_TRUE(p.WritePrivateProfileSectionA("rename", entries, ini.c_str()));
  std::string text;
  ASSERT_TRUE(p.ReadWholeFile(ini.c_str(), text));
  EXPECT_NE(text.find("NUL=C:\\first.dll"), std::string::npos) << text;
  EXPECT_NE(text.find("NUL=C:\\second.dll"), std::string::npos) << text;
  EXPECT_EQ(text.find("target.dll"), std::string::npos) << "the section was replaced: " << text;
  p.SetLastError(0);
  EXPECT_FALSE(p.WritePrivateProfileStringA("rename", "NUL", "x",
                                            (host.Scratch() + "no such folder\\x.ini").c_str()));
  EXPECT_EQ(p.GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  if (IsNt(p)) {
    // NT maps win.ini's [Ports] onto the Local Port monitor's registry key.
    EXPECT_TRUE(p.WriteProfileStringA("Ports", "SETWELL9:", "9600,n,8,1,x"));
    const std::string mapped = ReadString(p, kNtPortsKey, "SETWELL9:");
    if (host.IsWine()) {
      // Wine departs from Windows: it keeps [Ports] in win.ini.
      EXPECT_EQ(host.ReadProfile("Ports", "SETWELL9:"),
                std::optional<std::string>("9600,n,8,1,x"));
    } else {
      EXPECT_EQ(mapped, "9600,n,8,1,x");
    }
    EXPECT_TRUE(p.WriteProfileStringA("Ports", "SETWELL9:", nullptr));
    EXPECT_EQ(ReadString(p, kNtPortsKey, "SETWELL9:"), "");
  }
}

}  // namespace setwell::conformance
