#include "sim/SimFileSystem.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "sim/HostFiles.h"
#include "sim/LowerKey.h"
#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

namespace fs = std::filesystem;

// Whether the path is already as Normal makes it: "\" separators only,
// none doubled (but a leading "\\") or trailing, no "." or ".." part.
// The separators are found with memchr, a path's few parts checked at each:
// every look at a simulated file asks this of its path.
bool IsNormal(const std::string& path) {
  const std::size_t size = path.size();
  const char* const text = path.data();
  if (size != 0 && std::memchr(text, '/', size) != nullptr) return false;
  std::size_t start = size >= 2 && text[0] == '\\' && text[1] == '\\' ? 2 : 0;
  if (start == 0 && size >= 1 && text[0] == '\\') start = 1;
  for (std::size_t partStart = start;;) {
    const void* hit = partStart < size ? std::memchr(text + partStart, '\\', size - partStart)
                                       : nullptr;
    const std::size_t i = hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text)
                                         : size;
    const std::size_t length = i - partStart;
    if (length == 0 && (i < size || size > start)) return false;
    if (length == 1 && text[partStart] == '.') return false;
    if (length == 2 && text[partStart] == '.' && text[partStart + 1] == '.') return false;
    if (i == size) return true;
    partStart = i + 1;
  }
}

// Separators turned into "\\", doubled and trailing ones dropped, "." and
// ".." components resolved as the host resolves them; case kept. In one
// pass, a ".." taking back the part before it: the installs name many a
// file below a root folder with a separator doubled (D:\\winnt\X.DLL).
std::string Normal(const std::string& path) {
  if (IsNormal(path)) return path;
  auto separator = [&](std::size_t i) {
    return i < path.size() && (path[i] == '\\' || path[i] == '/');
  };
  std::string out = separator(0) ? (separator(1) ? "\\\\" : "\\") : "";
  out.reserve(path.size());
  std::size_t parts = 0;
  for (std::size_t at = 0; at < path.size();) {
    if (separator(at)) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < path.size() && !separator(end)) ++end;
    const std::string_view part(path.data() + at, end - at);
    at = end;
    if (part == ".") continue;
    if (part == "..") {
      if (parts > 1) {  // never above the drive
        out.resize(out.rfind('\\'));
        --parts;
      }
      continue;
    }
    if (parts++ != 0) out.push_back('\\');
    out.append(part);
  }
  return out;
}

// A path's key (Key()) without a copy on the heap for the usual path,
// normal already and no longer than MAX_PATH and more.
class PathKey {
 public:
  explicit PathKey(const std::string& path) : key_(NormalOf(path, normal_)) {}
  std::string_view view() const { return key_.view(); }
  // The folder part of the key ("" for a bare name).
  std::string_view parent() const {
    const std::string_view key = key_.view();
    const std::size_t slash = key.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : key.substr(0, slash);
  }

 private:
  static std::string_view NormalOf(const std::string& path, std::string& normal) {
    if (IsNormal(path)) return path;
    normal = Normal(path);
    return normal;
  }
  std::string normal_;
  LowerKey key_;
};

bool ReadHostPath(const fs::path& path, std::string& data, std::string* why = nullptr) {
  return setwell::sim::ReadHostFile(path.string(), data, why);
}

// A path files.txt may name: on a drive ("C:" and more), without NUL bytes
// (no host file has one in its name).
bool IsDrivePath(const std::string& path) {
  const std::string normal = Normal(path);
  return normal.size() >= 2 && normal[1] == ':' && SimFileSystem::DriveOf(normal) != '\0' &&
         (normal.size() == 2 || normal[2] == '\\') && normal.find('\0') == std::string::npos;
}

bool WriteHostFile(const fs::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

constexpr char kFilesHeading[] =
    "The files of a simulated Windows machine: drives, folders, and each file's\n"
    "attributes and holds. The file contents are below drives/.";

}  // namespace

std::string SimFileSystem::Key(const std::string& path) {
  // Most paths come normal already: one copy of them, not two.
  return IsNormal(path) ? LowerAscii(path) : LowerAscii(Normal(path));
}

std::string SimFileSystem::Parent(const std::string& path) {
  std::string key = Key(path);
  std::size_t slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string SimFileSystem::Name(const std::string& path) {
  const std::string normal = Normal(path);
  const std::size_t slash = normal.rfind('\\');
  return slash == std::string::npos ? normal : normal.substr(slash + 1);
}

char SimFileSystem::DriveOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return '\0';
  char letter = path[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return letter >= 'A' && letter <= 'Z' ? letter : '\0';
}

void SimFileSystem::MakeFolder(const std::string& path) {
  const std::string start = Normal(path);
  // A folder there is has its parents: every folder is made with them.
  if (folders_.count(LowerAscii(start)) != 0) return;
  // The folder and its parents, the longest first.
  std::vector<std::string> prefixes;
  for (std::string normal = start; !normal.empty();) {
    prefixes.push_back(normal);
    const std::size_t slash = normal.rfind('\\');
    if (slash == std::string::npos) break;
    normal.resize(slash);
  }
  // A new folder is kept under its parent's path as made, with its own name
  // in the case given: "C:\WINDOWS\syStem32\spool" below "C:\WINDOWS\system32"
  // is "C:\WINDOWS\system32\spool", as FolderPath gives it and as it is saved.
  for (auto it = prefixes.rbegin(); it != prefixes.rend(); ++it) {
    std::string made = *it;
    const std::size_t slash = made.rfind('\\');
    if (slash != std::string::npos && slash > 0) {
      auto parent = folders_.find(LowerAscii(made.substr(0, slash)));
      if (parent != folders_.end()) made = parent->second + made.substr(slash);
    }
    folders_.try_emplace(LowerAscii(*it), std::move(made));
  }
}

bool SimFileSystem::FolderExists(const std::string& path) const {
  return folders_.find(PathKey(path).view()) != folders_.end();
}

std::string SimFileSystem::FolderPath(const std::string& path) const {
  // Each component in the case its own folder was first made with.
  std::string key = Key(path);
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = key.find('\\', start);
    const std::string prefix = slash == std::string::npos ? key : key.substr(0, slash);
    auto it = folders_.find(prefix);
    const std::string component =
        it != folders_.end() ? Name(it->second) : Name(Normal(path).substr(0, prefix.size()));
    out += (out.empty() ? "" : "\\") + component;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return out;
}

SimFile& SimFileSystem::WriteFile(const std::string& path, std::string data) {
  const std::string normal = Normal(path);
  std::string key = LowerAscii(normal);
  const std::size_t slash = key.rfind('\\');
  const std::size_t parentSize = slash == std::string::npos ? 0 : slash;
  const std::string_view parentKey(key.data(), parentSize);
  auto parent = folders_.end();
  if (parentSize != 0) {
    parent = folders_.find(parentKey);
    if (parent == folders_.end()) {
      MakeFolder(normal.substr(0, parentSize));
      parent = folders_.find(parentKey);
    }
  }
  auto found = files_.find(key);
  if (found == files_.end()) {
    // The folders keep the case they were made with, the file its own: the
    // parent folder as FolderPath gives it.
    std::string made = parentSize == 0 ? normal : parent->second + normal.substr(parentSize);
    found = files_.emplace(std::move(key), SimFile{}).first;
    found->second.path = std::move(made);
  }
  SimFile& file = found->second;
  file.data = std::move(data);
  file.fromHost = false;
  return file;
}

SimFile* SimFileSystem::Find(const std::string& path) {
  auto it = files_.find(PathKey(path).view());
  return it == files_.end() ? nullptr : &it->second;
}

const SimFile* SimFileSystem::Find(const std::string& path) const {
  auto it = files_.find(PathKey(path).view());
  return it == files_.end() ? nullptr : &it->second;
}

bool SimFileSystem::Remove(const std::string& path) {
  auto it = files_.find(PathKey(path).view());
  if (it == files_.end()) return false;
  files_.erase(it);
  return true;
}

bool SimFileSystem::List(const std::string& folder,
                         std::vector<std::pair<std::string, DWORD>>& entries) const {
  entries.clear();
  const PathKey key(folder);
  if (folders_.find(key.view()) == folders_.end()) return false;
  std::string prefix(key.view());
  prefix += '\\';
  // Folders and files in one order, by key, as the host gives them in no
  // order of its own that a caller may count on.
  auto directlyIn = [&](const std::string& k) {
    return k.size() > prefix.size() && k.compare(0, prefix.size(), prefix) == 0 &&
           k.find('\\', prefix.size()) == std::string::npos;
  };
  for (auto it = folders_.lower_bound(prefix);
       it != folders_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (directlyIn(it->first)) {
      entries.emplace_back(it->second.substr(it->second.rfind('\\') + 1), FILE_ATTRIBUTE_DIRECTORY);
    }
  }
  for (auto it = files_.lower_bound(prefix);
       it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (directlyIn(it->first)) {
      const DWORD attributes = it->second.attributes == 0 ? FILE_ATTRIBUTE_NORMAL
                                                          : it->second.attributes;
      const std::string& path = it->second.path;
      entries.emplace_back(path.substr(path.rfind('\\') + 1), attributes);
    }
  }
  return true;
}

SimFileSystem::Look SimFileSystem::LookAt(const std::string& path) const {
  const PathKey key(path);
  Look look;
  if (auto it = files_.find(key.view()); it != files_.end()) {
    look.file = &it->second;
    return look;
  }
  look.folder = folders_.find(key.view()) != folders_.end();
  const std::string_view parent = key.parent();
  look.parentFolder = !parent.empty() && folders_.find(parent) != folders_.end();
  return look;
}

bool SimFileSystem::ParentExists(const std::string& path) const {
  const PathKey key(path);
  const std::string_view parent = key.parent();
  return !parent.empty() && folders_.find(parent) != folders_.end();
}

DWORD SimFileSystem::Missing(const std::string& path) const {
  return MissingIn(PathKey(path).parent());
}

DWORD SimFileSystem::MissingIn(std::string_view parentKey) const {
  return parentKey.empty() || folders_.find(parentKey) != folders_.end() ? ERROR_FILE_NOT_FOUND
                                                                         : ERROR_PATH_NOT_FOUND;
}

DWORD SimFileSystem::Delete(const std::string& path, bool nt) {
  const PathKey key(path);
  const auto found = files_.find(key.view());
  if (found == files_.end()) {
    if (folders_.find(key.view()) != folders_.end()) return ERROR_ACCESS_DENIED;
    return MissingIn(key.parent());
  }
  const SimFile* file = &found->second;
  if (IsReadOnly(path) || file->denied || (file->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  if (file->inUse) return ERROR_SHARING_VIOLATION;
  if (IsMapped(path)) return nt ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION;
  files_.erase(found);
  return ERROR_SUCCESS;
}

DWORD SimFileSystem::Move(const std::string& from, const std::string& to, bool replace, bool nt) {
  const SimFile* source = Find(from);
  if (source == nullptr) return Missing(from);
  if (IsReadOnly(from) || IsReadOnly(to) || source->denied) return ERROR_ACCESS_DENIED;
  if (source->inUse || (IsMapped(from) && !nt)) return ERROR_SHARING_VIOLATION;
  const std::string parent = Parent(to);
  if (!parent.empty() && !FolderExists(parent)) return ERROR_PATH_NOT_FOUND;
  if (FolderExists(to)) return ERROR_ACCESS_DENIED;
  const bool same = Key(from) == Key(to);
  if (const SimFile* target = Find(to); target != nullptr && !same) {
    if (!replace) return ERROR_ALREADY_EXISTS;
    if (target->inUse) return ERROR_SHARING_VIOLATION;
    if (IsMapped(to) || target->denied || (target->attributes & FILE_ATTRIBUTE_READONLY)) {
      return ERROR_ACCESS_DENIED;
    }
  } else if (target == nullptr && FolderDenied(parent)) {
    return ERROR_ACCESS_DENIED;
  }
  SimFile moved = *source;
  files_.erase(Key(from));
  const DWORD attributes = moved.attributes;
  SimFile& placed = WriteFile(to, std::move(moved.data));
  placed.attributes = attributes;
  if (auto image = images_.find(Key(from)); image != images_.end() && !same) {
    images_[Key(to)] += image->second;
    images_.erase(Key(from));
  }
  return ERROR_SUCCESS;
}

bool SimFileSystem::MountHostFolder(char letter, const std::string& hostFolder, bool readOnly) {
  std::error_code error;
  if (!fs::is_directory(hostFolder, error)) return false;
  const std::string root = std::string(1, letter) + ":";
  MakeFolder(root);
  for (fs::recursive_directory_iterator it(hostFolder, error), end; !error && it != end;
       it.increment(error)) {
    const fs::path relative = fs::relative(it->path(), hostFolder, error);
    if (error) return false;
    const std::string path = root + "\\" + Normal(relative.string());
    if (it->is_directory(error)) {
      MakeFolder(path);
    } else if (it->is_regular_file(error)) {
      std::string data;
      if (!ReadHostPath(it->path(), data)) return false;
      SimFile& file = WriteFile(path, std::move(data));
      if (readOnly) file.attributes = FILE_ATTRIBUTE_READONLY;
      file.fromHost = readOnly;
    }
  }
  if (error) return false;
  drives_[letter] = SimDrive{hostFolder, readOnly};
  return true;
}

void SimFileSystem::UnmountDrive(char letter) {
  const char drive = DriveOf(std::string(1, letter) + ":");
  auto onDrive = [&](const std::string& key) { return DriveOf(key) == drive; };
  std::erase_if(files_, [&](const auto& entry) { return onDrive(entry.first); });
  std::erase_if(folders_, [&](const auto& entry) { return onDrive(entry.first); });
  std::erase_if(deniedFolders_, onDrive);
  std::erase_if(images_, [&](const auto& entry) { return onDrive(entry.first); });
  drives_.erase(drive);
}

bool SimFileSystem::IsReadOnly(const std::string& path) const {
  auto it = drives_.find(DriveOf(path));
  return it != drives_.end() && it->second.readOnly;
}

bool SimFileSystem::FolderDenied(const std::string& path) const {
  return !deniedFolders_.empty() && deniedFolders_.find(PathKey(path).view()) != deniedFolders_.end();
}

bool SimFileSystem::IsMapped(const std::string& path) const {
  return !images_.empty() && images_.find(PathKey(path).view()) != images_.end();
}

void SimFileSystem::UnmapImage(const std::string& path) {
  auto it = images_.find(Key(path));
  if (it != images_.end() && --it->second <= 0) images_.erase(it);
}

DWORD SimFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  // Each path's key is made once and each map asked once: the installs
  // copy every driver file, the rehearsals thousands of times.
  const PathKey fromKey(from);
  const auto source = files_.find(fromKey.view());
  if (source == files_.end()) {
    if (folders_.find(fromKey.view()) != folders_.end()) return ERROR_ACCESS_DENIED;
    return MissingIn(fromKey.parent());
  }
  if (source->second.denied) return ERROR_ACCESS_DENIED;
  if (source->second.inUse) return ERROR_SHARING_VIOLATION;
  const PathKey toKey(to);
  const std::string_view parent = toKey.parent();
  const auto parentFolder = parent.empty() ? folders_.end() : folders_.find(parent);
  if (!parent.empty() && parentFolder == folders_.end()) return ERROR_PATH_NOT_FOUND;
  if (folders_.find(toKey.view()) != folders_.end()) return ERROR_ACCESS_DENIED;
  if (IsReadOnly(to)) return ERROR_ACCESS_DENIED;
  const DWORD attributes = source->second.attributes | FILE_ATTRIBUTE_ARCHIVE;
  const auto target = files_.lower_bound(toKey.view());
  if (target != files_.end() && target->first == toKey.view()) {
    SimFile& file = target->second;
    if (failIfExists) return ERROR_FILE_EXISTS;
    if (file.inUse || IsMapped(to)) return ERROR_SHARING_VIOLATION;
    if (file.denied || (file.attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
    if (&file != &source->second) file.data = source->second.data;
    file.attributes = attributes;
    file.fromHost = false;
    return ERROR_SUCCESS;
  }
  if (deniedFolders_.find(parent) != deniedFolders_.end()) return ERROR_ACCESS_DENIED;
  // A new file in a folder there is: kept under the folder's path as made,
  // with its own name as given (as WriteFile keeps it).
  const std::string normal = IsNormal(to) ? to : Normal(to);
  SimFile file;
  file.path = parent.empty() ? normal : parentFolder->second + normal.substr(parent.size());
  file.data = source->second.data;
  file.attributes = attributes;
  files_.emplace_hint(target, std::string(toKey.view()), std::move(file));
  return ERROR_SUCCESS;
}

DWORD SimFileSystem::SetAttributes(const std::string& path, DWORD attributes) {
  const PathKey key(path);
  if (folders_.find(key.view()) != folders_.end()) {
    return IsReadOnly(path) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  }
  const auto found = files_.find(key.view());
  if (found == files_.end()) return MissingIn(key.parent());
  SimFile* file = &found->second;
  if (file->denied || IsReadOnly(path)) return ERROR_ACCESS_DENIED;
  // Only these bits can be set; FILE_ATTRIBUTE_NORMAL alone clears them all.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  file->attributes = attributes & kSettable;
  return ERROR_SUCCESS;
}

bool SimFileSystem::Save(const std::string& folder, std::string* error) const {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::error_code ec;
  const fs::path root = fs::path(folder) / "drives";
  fs::remove_all(root, ec);
  if (ec) return fail("cannot clear " + root.string() + ": " + ec.message());

  // Host path of a machine path, each folder in the case it was made with.
  auto hostPath = [&](const std::string& path, const std::string& ownName) {
    const std::string folderPath = FolderPath(Parent(path));
    fs::path out = root;
    bool first = true;
    for (const std::string& part : Split(folderPath, '\\')) {
      out /= first ? std::string(1, part[0]) : part;  // "C:" becomes "C"
      first = false;
    }
    return out / ownName;
  };

  SimRecordFile record(kFilesHeading);
  for (const auto& [letter, drive] : drives_) {
    SimRecordFile::Section& section = record.Add("drive", std::string(1, letter));
    if (!drive.hostFolder.empty()) section.Add("host", drive.hostFolder);
    if (drive.readOnly) section.Add("read-only", "yes");
  }
  for (const auto& [key, path] : folders_) {
    SimRecordFile::Section& section = record.Add("folder", FolderPath(path));
    if (deniedFolders_.count(key) != 0) section.Add("denied", "yes");
    if (Parent(key).empty()) {
      fs::create_directories(root / std::string(1, DriveOf(path)), ec);
    } else {
      fs::create_directories(hostPath(path, Name(path)), ec);
    }
    if (ec) return fail("cannot make a folder below " + root.string() + ": " + ec.message());
  }
  for (const auto& [key, file] : files_) {
    if (file.fromHost) continue;
    const std::string path = FolderPath(Parent(file.path)) + "\\" + Name(file.path);
    SimRecordFile::Section& section = record.Add("file", path);
    section.Add("attributes", HexNumber(file.attributes));
    if (file.inUse) section.Add("in-use", "yes");
    if (file.denied) section.Add("denied", "yes");
    if (!WriteHostFile(hostPath(file.path, Name(file.path)), file.data)) {
      return fail("cannot write the contents of " + path);
    }
  }
  if (!WriteHostFile(fs::path(folder) / "files.txt", record.Format())) {
    return fail("cannot write files.txt");
  }
  return true;
}

bool SimFileSystem::Load(const std::string& folder, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::string text;
  std::string why;
  if (!ReadHostPath(fs::path(folder) / "files.txt", text, &why)) {
    return fail("cannot read files.txt: " + why);
  }
  SimRecordFile record;
  std::string parseError;
  if (!record.Parse(text, &parseError)) return fail("files.txt: " + parseError);

  *this = SimFileSystem();
  const fs::path root = fs::path(folder) / "drives";
  for (const SimRecordFile::Section& section : record.Sections()) {
    const std::string where = "files.txt: " + section.Where();
    if (section.kind == "drive") {
      if (section.name.size() != 1 || section.name[0] < 'A' || section.name[0] > 'Z') {
        return fail(where + "bad drive \"" + section.name + "\" (a letter A to Z)");
      }
      SimDrive drive{section.GetOr("host", ""), section.GetOr("read-only", "") == "yes"};
      if (drive.readOnly && !drive.hostFolder.empty()) {
        if (!MountHostFolder(section.name[0], drive.hostFolder, true)) {
          return fail(where + "cannot mount " + drive.hostFolder + " as drive " + section.name);
        }
      } else {
        drives_[section.name[0]] = drive;
      }
    } else if (section.kind == "folder") {
      if (!IsDrivePath(section.name)) {
        return fail(where + "the folder \"" + section.name + "\" is not on a drive");
      }
      MakeFolder(section.name);
      if (section.GetOr("denied", "") == "yes") DenyFolder(section.name);
    } else if (section.kind == "file") {
      if (!IsDrivePath(section.name) || Parent(section.name).empty()) {
        return fail(where + "the file \"" + section.name + "\" is not in a folder of a drive");
      }
      fs::path host = root;
      bool first = true;
      for (const std::string& part : Split(Normal(section.name), '\\')) {
        host /= first ? std::string(1, part.empty() ? '?' : part[0]) : part;
        first = false;
      }
      std::string data;
      if (!ReadHostPath(host, data, &why)) {
        return fail(where + "cannot read the contents of " + section.name + ", " + host.string() +
                    ": " + why);
      }
      SimFile& file = WriteFile(section.name, std::move(data));
      std::optional<std::uint64_t> attributes = ParseNumber(section.GetOr("attributes", "0x20"));
      if (!attributes || *attributes > 0xFFFFFFFFu) {
        return fail(where + "bad attributes of " + section.name);
      }
      file.attributes = static_cast<DWORD>(*attributes);
      file.inUse = section.GetOr("in-use", "") == "yes";
      file.denied = section.GetOr("denied", "") == "yes";
    } else {
      return fail(where + "unknown section [" + section.kind + "]");
    }
  }
  return true;
}

bool SimFileSystem::operator==(const SimFileSystem& other) const {
  return files_ == other.files_ && folders_ == other.folders_ && drives_ == other.drives_ &&
         deniedFolders_ == other.deniedFolders_;
}

}  // namespace setwell::sim
