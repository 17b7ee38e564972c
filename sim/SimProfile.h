// The Windows profile (win.ini) of a simulated machine, and the record of the
// profile writes and settings-change broadcasts the program made.
//
// win.ini is a file in the Windows folder of the machine. On NT the section
// "Ports" is mapped to the registry key
// "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Ports" (the Local Port
// monitor's list of ports), as the host's profile mapping does; other
// sections stay in the file (on NT the host keeps "windows" in the user's
// hive, which this machine does not have).
#pragma once

#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

class SimFileSystem;
class SimRegistry;
struct SimSystem;

inline constexpr char kNtPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// One WriteProfileStringA call; a null argument is kept as nothing.
struct ProfileWrite {
  std::optional<std::string> section;
  std::optional<std::string> key;
  std::optional<std::string> value;

  bool operator==(const ProfileWrite&) const = default;
};

// One WM_WININICHANGE broadcast to all top-level windows.
struct Broadcast {
  std::optional<std::string> text;  // the section named, or nothing
  bool waits = false;               // SendMessageTimeoutA rather than SendNotifyMessageA
  UINT timeoutMs = 0;

  bool operator==(const Broadcast&) const = default;
};

class SimProfile {
 public:
  SimProfile(const SimSystem& system, SimFileSystem& files, SimRegistry& registry)
      : system_(&system), files_(&files), registry_(&registry) {}

  std::string WinIniPath() const;

  // WriteProfileStringA without the record: a null value deletes the key, a
  // null key the section; all null only flushes. False when win.ini cannot
  // be written.
  bool Write(const char* section, const char* key, const char* value);
  // WritePrivateProfileStringA of the INI file at path: ERROR_SUCCESS or
  // the error (3 for a missing folder, 5 for a file that cannot be written).
  DWORD WriteTo(const std::string& path, const char* section, const char* key,
                const char* value);
  // WritePrivateProfileSectionA: the section replaced by entries ("k=v"
  // strings, each ending in a zero, the list in another).
  DWORD WriteSectionTo(const std::string& path, const char* section, const char* entries);
  // A section of the INI file at path, every line in order (keys may
  // repeat).
  std::vector<std::pair<std::string, std::string>> SectionOf(const std::string& path,
                                                             const std::string& section) const;
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // The key names of a section, in file order.
  std::vector<std::string> Keys(const std::string& section) const;

  // What the program asked for.
  std::vector<ProfileWrite> writes;
  std::vector<Broadcast> broadcasts;

  // After the machine's state was copied from another's: this profile works
  // on these parts.
  void Rebind(const SimSystem& system, SimFileSystem& files, SimRegistry& registry) {
    system_ = &system;
    files_ = &files;
    registry_ = &registry;
  }

  bool operator==(const SimProfile& other) const {
    return writes == other.writes && broadcasts == other.broadcasts;
  }

 private:
  bool MappedToRegistry(const std::string& section) const;

  const SimSystem* system_;
  SimFileSystem* files_;
  SimRegistry* registry_;
};

}  // namespace setwell::sim
