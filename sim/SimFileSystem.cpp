#include "sim/SimFileSystem.h"

namespace setwell::sim {

std::string SimFileSystem::Key(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    out.push_back(c);
  }
  while (out.size() > 1 && out.back() == '\\') out.pop_back();
  return out;
}

std::string SimFileSystem::Parent(const std::string& path) {
  std::string key = Key(path);
  std::size_t slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void SimFileSystem::MakeFolder(const std::string& path) {
  std::string key = Key(path);
  while (!key.empty() && folders_.insert(key).second) {
    std::size_t slash = key.rfind('\\');
    if (slash == std::string::npos) break;
    key.resize(slash);
  }
}

bool SimFileSystem::FolderExists(const std::string& path) const {
  return folders_.count(Key(path)) != 0;
}

SimFile& SimFileSystem::WriteFile(const std::string& path, std::string data) {
  std::string parent = Parent(path);
  if (!parent.empty()) MakeFolder(parent);
  SimFile& file = files_[Key(path)];
  if (file.path.empty()) file.path = path;
  file.data = std::move(data);
  return file;
}

SimFile* SimFileSystem::Find(const std::string& path) {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second;
}

const SimFile* SimFileSystem::Find(const std::string& path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second;
}

bool SimFileSystem::Remove(const std::string& path) { return files_.erase(Key(path)) != 0; }

DWORD SimFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  const SimFile* source = Find(from);
  if (source == nullptr) {
    return FolderExists(Parent(from)) || Parent(from).empty() ? ERROR_FILE_NOT_FOUND
                                                              : ERROR_PATH_NOT_FOUND;
  }
  if (source->denied) return ERROR_ACCESS_DENIED;
  if (source->inUse) return ERROR_SHARING_VIOLATION;
  const std::string parent = Parent(to);
  if (!parent.empty() && !FolderExists(parent)) return ERROR_PATH_NOT_FOUND;
  if (FolderExists(to)) return ERROR_ACCESS_DENIED;
  if (SimFile* target = Find(to)) {
    if (failIfExists) return ERROR_FILE_EXISTS;
    if (target->inUse) return ERROR_SHARING_VIOLATION;
    if (target->denied || (target->attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  }
  std::string data = source->data;
  DWORD attributes = source->attributes | FILE_ATTRIBUTE_ARCHIVE;
  SimFile& target = WriteFile(to, std::move(data));
  target.attributes = attributes;
  return ERROR_SUCCESS;
}

bool SimFileSystem::operator==(const SimFileSystem& other) const {
  if (folders_ != other.folders_ || files_.size() != other.files_.size()) return false;
  for (auto a = files_.begin(), b = other.files_.begin(); a != files_.end(); ++a, ++b) {
    if (a->first != b->first || a->second.data != b->second.data ||
        a->second.attributes != b->second.attributes || a->second.inUse != b->second.inUse ||
        a->second.denied != b->second.denied) {
      return false;
    }
  }
  return true;
}

}  // namespace setwell::sim
