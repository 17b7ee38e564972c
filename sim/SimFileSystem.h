// The simulated machine's files: Windows paths ("C:\WINDOWS\system32\x.dll"),
// matched without regard to ASCII letter case, each with its bytes and
// attributes. Folders exist explicitly. A file can be marked in use (opening
// or replacing it gives 32) or denied (5).
#pragma once

#include <map>
#include <set>
#include <string>

#include "system/WinTypes.h"

namespace setwell::sim {

struct SimFile {
  std::string path;  // as created
  std::string data;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  bool inUse = false;
  bool denied = false;
};

class SimFileSystem {
 public:
  // Lower-cased, "/" turned into "\", no trailing or doubled "\".
  static std::string Key(const std::string& path);
  // The folder part of a path ("" for a bare name).
  static std::string Parent(const std::string& path);

  void MakeFolder(const std::string& path);  // with its parents
  bool FolderExists(const std::string& path) const;
  SimFile& WriteFile(const std::string& path, std::string data);  // makes the folder too
  SimFile* Find(const std::string& path);
  const SimFile* Find(const std::string& path) const;
  bool Remove(const std::string& path);

  // CopyFileA: ERROR_SUCCESS or the error number Windows gives.
  DWORD Copy(const std::string& from, const std::string& to, bool failIfExists);

  const std::map<std::string, SimFile>& Files() const { return files_; }
  const std::set<std::string>& Folders() const { return folders_; }

  bool operator==(const SimFileSystem& other) const;

 private:
  std::map<std::string, SimFile> files_;
  std::set<std::string> folders_;
};

}  // namespace setwell::sim
