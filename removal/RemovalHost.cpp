#include "removal/RemovalHost.h"

#include <algorithm>

#include "config/Selections.h"
#include "system/AsciiCase.h"
#include "system/DriverFiles.h"
#include "system/HostDirectories.h"
#include "system/PlatformHandle.h"

namespace setwell::removal {
namespace {

// Where NT keeps the renames and deletions for the next restart.
constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRenamesValue[] = "PendingFileRenameOperations";
// The prefix NT's restart-time renames give a path.
constexpr char kNtPathPrefix[] = "\\??\\";
constexpr char kRenameSection[] = "rename";
constexpr char kWininit[] = "WININIT.INI";
// Longer key names than this are no key of ours.
constexpr DWORD kKeyNameLimit = 256;

ScopedRegistryKey OpenKey(Platform& platform, const std::string& key, REGSAM access) {
  RegKeyHandle handle = nullptr;
  if (platform.RegOpenKeyExA(key.c_str(), access, &handle) != ERROR_SUCCESS) handle = nullptr;
  return ScopedRegistryKey(platform, handle);
}

// The lines of WININIT.INI's [rename] section as they stand, "key=value"
// each, in order (keys repeat there, so no profile reader can give them).
std::vector<std::string> RenameLines(Platform& platform, const std::string& path) {
  std::string text;
  std::vector<std::string> lines;
  if (!platform.ReadWholeFile(path.c_str(), text)) return lines;
  bool inSection = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    while (!line.empty() && line.front() == ' ') line.erase(line.begin());
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      inSection = close != std::string::npos && EqualsNoCase(line.substr(1, close - 1), kRenameSection);
      continue;
    }
    if (inSection && line.find('=') != std::string::npos) lines.push_back(line);
  }
  return lines;
}

std::string DeletionLine(const std::string& path) { return "NUL=" + path; }

}  // namespace

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> ListValueNames(Platform& platform, const std::string& key) {
  std::vector<std::string> names;
  const ScopedRegistryKey open = OpenKey(platform, key, KEY_READ);
  if (!open) return names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameLimit + 1] = {};
    DWORD size = kKeyNameLimit;
    if (platform.RegEnumValueA(open.Get(), index, name, &size, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}

std::vector<std::string> ListSubKeys(Platform& platform, const std::string& key) {
  std::vector<std::string> names;
  const ScopedRegistryKey open = OpenKey(platform, key, KEY_READ);
  if (!open) return names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameLimit + 1] = {};
    DWORD size = kKeyNameLimit;
    if (platform.RegEnumKeyExA(open.Get(), index, name, &size) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}

bool KeyExists(Platform& platform, const std::string& key) {
  return static_cast<bool>(OpenKey(platform, key, KEY_READ));
}

bool KeyIsEmpty(Platform& platform, const std::string& key) {
  return ListValueNames(platform, key).empty() && ListSubKeys(platform, key).empty();
}

LONG DeleteKeyTree(Platform& platform, const std::string& key) {
  LONG first = ERROR_SUCCESS;
  for (const std::string& below : ListSubKeys(platform, key)) {
    const LONG error = DeleteKeyTree(platform, key + "\\" + below);
    if (first == ERROR_SUCCESS) first = error;
  }
  const LONG error = platform.RegDeleteKeyA(key.c_str());
  return first != ERROR_SUCCESS ? first : error;
}

std::vector<const char*> UnidrvSupportFileNames(std::int32_t target) {
  std::vector<const char*> names;
  for (const SupportFile& file : SupportFiles(target)) {
    if (std::none_of(names.begin(), names.end(),
                     [&](const char* name) { return EqualsNoCase(name, file.name); })) {
      names.push_back(file.name);
    }
  }
  return names;
}

bool NeedsUnidrvSupportFile(const FamilyDriver& driver, std::int32_t target,
                            const std::string& name) {
  if (target == kWin98) {
    if (!EqualsNoCase(name, "DMCOLOR.DLL")) return true;
    return std::any_of(driver.models.begin(), driver.models.end(), [](const std::string& model) {
      return model.find("RXQ-K880") != std::string::npos;
    });
  }
  // Named by the driver's record: the planner keeps what a staying record
  // names by itself.
  return false;
}

DWORD DeleteAtRestart(Platform& platform, bool ntFamily, const std::string& path) {
  if (ntFamily) {
    if (platform.MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
      return ERROR_SUCCESS;
    }
    return platform.GetLastError();
  }
  const std::optional<std::string> windows = WindowsDirectory(platform);
  if (!windows) return platform.GetLastError();
  std::vector<std::string> lines = RenameLines(platform, *windows + "\\" + kWininit);
  const std::string line = DeletionLine(path);
  if (std::none_of(lines.begin(), lines.end(),
                   [&](const std::string& l) { return EqualsNoCase(l, line); })) {
    lines.push_back(line);
  }
  std::string entries;
  for (const std::string& l : lines) entries += l + '\0';
  entries += '\0';
  if (platform.WritePrivateProfileSectionA(kRenameSection, entries.c_str(), kWininit)) {
    return ERROR_SUCCESS;
  }
  return platform.GetLastError();
}

bool IsDeletedAtRestart(Platform& platform, bool ntFamily, const std::string& path) {
  if (!ntFamily) {
    const std::optional<std::string> windows = WindowsDirectory(platform);
    if (!windows) return false;
    const std::vector<std::string> lines = RenameLines(platform, *windows + "\\" + kWininit);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return EqualsNoCase(l, DeletionLine(path)); });
  }
  const ScopedRegistryKey key = OpenKey(platform, kSessionManagerKey, KEY_QUERY_VALUE);
  if (!key) return false;
  DWORD size = 0;
  DWORD type = 0;
  if (platform.RegQueryValueExA(key.Get(), kPendingRenamesValue, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_MULTI_SZ || size == 0) {
    return false;
  }
  std::string data(size, '\0');
  if (platform.RegQueryValueExA(key.Get(), kPendingRenamesValue, &type,
                                reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(std::min<std::size_t>(size, data.size()));
  // Pairs of strings: the source, then the target ("" deletes).
  std::vector<std::string> strings;
  std::size_t start = 0;
  while (start < data.size()) {
    const std::size_t end = std::min(data.find('\0', start), data.size());
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (EqualsNoCase(strings[i], kNtPathPrefix + path) && strings[i + 1].empty()) return true;
  }
  return false;
}

}  // namespace setwell::removal
