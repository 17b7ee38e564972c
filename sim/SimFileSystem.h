// The simulated machine's files: Windows paths ("C:\WINDOWS\system32\x.dll"),
// matched without regard to ASCII letter case and kept in the case they were
// created with, each file with its bytes and attributes. Folders exist
// explicitly; a drive exists when its root folder ("C:") does.
//
// A drive can be mounted from a host folder: its files are read into the
// machine, and a read-only drive (the driver distribution) refuses every
// change made through the Platform calls with ERROR_ACCESS_DENIED; its files
// carry FILE_ATTRIBUTE_READONLY, as files on a CD do, and so do their copies.
//
// Files can be held by another process: `inUse` (opened without sharing:
// reading and replacing give 32), `denied` (the access control list refuses
// the user: 5), or mapped as a loaded module (MapImage: reading works,
// replacing gives 32, as with a DLL the spooler has loaded). A denied folder
// refuses new files with 5.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

struct SimFile {
  std::string path;  // as created
  std::string data;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  bool inUse = false;
  bool denied = false;
  // Read from a mounted host folder and unchanged since: not saved, the
  // mount brings it back.
  bool fromHost = false;

  bool operator==(const SimFile& other) const {
    return path == other.path && data == other.data && attributes == other.attributes &&
           inUse == other.inUse && denied == other.denied;
  }
};

struct SimDrive {
  std::string hostFolder;  // empty: the drive lives in the machine only
  bool readOnly = false;

  bool operator==(const SimDrive&) const = default;
};

class SimFileSystem {
 public:
  // By key (Key()); looked up by a key in any string form.
  using FileMap = std::map<std::string, SimFile, std::less<>>;
  using FolderMap = std::map<std::string, std::string, std::less<>>;

  // Lower-cased, "/" turned into "\", no trailing or doubled "\".
  static std::string Key(const std::string& path);
  // The folder part of a path ("" for a bare name).
  static std::string Parent(const std::string& path);
  // The last component of a path.
  static std::string Name(const std::string& path);
  // The drive letter of an absolute path ('C'), or '\0'.
  static char DriveOf(const std::string& path);

  void MakeFolder(const std::string& path);  // with its parents
  bool FolderExists(const std::string& path) const;
  // A folder's path in the case it was first made with.
  std::string FolderPath(const std::string& path) const;
  SimFile& WriteFile(const std::string& path, std::string data);  // makes the folder too
  SimFile* Find(const std::string& path);
  const SimFile* Find(const std::string& path) const;
  bool Remove(const std::string& path);

  // Reads every file below hostFolder into drive `letter` and records the
  // mapping. False when the host folder cannot be read.
  bool MountHostFolder(char letter, const std::string& hostFolder, bool readOnly);
  // Forgets a drive with its folders and files (a medium taken out).
  void UnmountDrive(char letter);
  const std::map<char, SimDrive>& Drives() const { return drives_; }
  bool IsReadOnly(const std::string& path) const;

  void DenyFolder(const std::string& path) { deniedFolders_.insert(Key(path)); }
  bool FolderDenied(const std::string& path) const;

  // Module images: a mapped file cannot be replaced until it is unmapped.
  void MapImage(const std::string& path) { ++images_[Key(path)]; }
  void UnmapImage(const std::string& path);
  bool IsMapped(const std::string& path) const;

  // The error of a look at a path that holds no file: ERROR_FILE_NOT_FOUND
  // in a folder there is (or for a bare name), else ERROR_PATH_NOT_FOUND.
  DWORD Missing(const std::string& path) const;
  // Whether the folder part of the path is a folder (false for a bare name).
  bool ParentExists(const std::string& path) const;
  // What a look at a path finds, from one key: the file, else whether it
  // is a folder, else whether its folder part is one.
  struct Look {
    const SimFile* file = nullptr;
    bool folder = false;
    bool parentFolder = false;
  };
  Look LookAt(const std::string& path) const;

  // CopyFileA: ERROR_SUCCESS or the error number Windows gives.
  DWORD Copy(const std::string& from, const std::string& to, bool failIfExists);
  // DeleteFileA: ERROR_SUCCESS or the error number. A mapped image gives 5
  // on NT (the section keeps the file) and 32 on 9x.
  DWORD Delete(const std::string& path, bool nt);
  // MoveFileExA within one drive: ERROR_SUCCESS or the error number. A
  // loaded module may be renamed on NT; its image goes with the file.
  DWORD Move(const std::string& from, const std::string& to, bool replace, bool nt);
  // SetFileAttributesA: ERROR_SUCCESS or the error number.
  DWORD SetAttributes(const std::string& path, DWORD attributes);

  // The files and folders directly in a folder, each with its name as made
  // and its attributes (FILE_ATTRIBUTE_DIRECTORY for a folder); false when
  // the folder is not there.
  bool List(const std::string& folder,
            std::vector<std::pair<std::string, DWORD>>& entries) const;

  const FileMap& Files() const { return files_; }
  const FolderMap& Folders() const { return folders_; }

  // Every file but those a read-only mount brings back goes below
  // folder/drives/<letter>/ as a real file; files.txt in folder lists the
  // drives, the folders and each file's attributes and holds.
  bool Save(const std::string& folder, std::string* error) const;
  bool Load(const std::string& folder, std::string* error);

  // Mapped images are the state of running processes, not of the machine,
  // and do not count.
  bool operator==(const SimFileSystem& other) const;

 private:
  // Missing, for a key's folder part.
  DWORD MissingIn(std::string_view parentKey) const;

  FileMap files_;
  FolderMap folders_;  // key -> path as first made
  std::map<char, SimDrive> drives_;
  std::set<std::string, std::less<>> deniedFolders_;
  std::map<std::string, int, std::less<>> images_;
};

}  // namespace setwell::sim
