#include "sim/SimProfile.h"

#include <optional>

#include "config/IniFile.h"
#include "sim/SimFileSystem.h"
#include "sim/SimRegistry.h"
#include "sim/SimSystem.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

struct Line {
  std::string text;
  bool IsHeader() const {
    const std::string t = Trim(text);
    return !t.empty() && t[0] == '[';
  }
  std::string HeaderName() const {
    const std::string t = Trim(text);
    const std::size_t close = t.rfind(']');
    return Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  }
  std::string KeyName() const {
    const std::size_t equals = text.find('=');
    return Trim(equals == std::string::npos ? text : text.substr(0, equals));
  }
};

std::vector<Line> ReadLines(const std::string& data) {
  std::vector<Line> lines;
  if (data.empty()) return lines;
  for (std::string& part : Split(data, '\n')) {
    if (!part.empty() && part.back() == '\r') part.pop_back();
    lines.push_back(Line{std::move(part)});
  }
  if (!lines.empty() && lines.back().text.empty()) lines.pop_back();
  return lines;
}

// win.ini as last read on this thread, parsed, and a section's key names:
// the spooler asks the 9x profile for its ports and default printer on
// every enumeration, and the file rarely changes between. Each use
// compares the text first, so a change, or another machine's win.ini, is
// read anew.
struct ReadWinIni {
  std::string text;
  std::optional<IniFile> ini;
  std::string keysOf;  // the section `keys` lists
  std::optional<std::vector<std::string>> keys;

  const IniFile& Parsed(const std::string& data) {
    if (!ini || text != data) {
      Take(data);
      ini.emplace(data);
    }
    return *ini;
  }
  const std::vector<std::string>* KnownKeys(const std::string& data, const std::string& section) {
    if (!keys || text != data || !EqualsNoCase(keysOf, section)) return nullptr;
    return &*keys;
  }
  void Take(const std::string& data) {
    if (text == data) return;
    text = data;
    ini.reset();
    keys.reset();
  }
};

ReadWinIni& LastWinIni() {
  thread_local ReadWinIni last;
  return last;
}

}  // namespace

std::string SimProfile::WinIniPath() const { return system_->windowsDirectory + "\\win.ini"; }

bool SimProfile::MappedToRegistry(const std::string& section) const {
  return system_->IsNtLike() && EqualsNoCase(section, "Ports");
}

bool SimProfile::Write(const char* section, const char* key, const char* value) {
  if (section == nullptr) return true;  // a flush: the file is always current
  if (MappedToRegistry(section)) {
    if (key == nullptr) {
      registry_->DeleteKey(kNtPortsKey);
      registry_->CreateKey(kNtPortsKey);
    } else if (value == nullptr) {
      registry_->DeleteValue(kNtPortsKey, key);
    } else {
      registry_->SetString(kNtPortsKey, key, value);
    }
    return true;
  }
  return WriteTo(WinIniPath(), section, key, value) == ERROR_SUCCESS;
}

DWORD SimProfile::WriteTo(const std::string& path, const char* section, const char* key,
                          const char* value) {
  if (section == nullptr) return ERROR_SUCCESS;
  const std::string parent = SimFileSystem::Parent(path);
  if (!parent.empty() && !files_->FolderExists(parent)) return ERROR_PATH_NOT_FOUND;
  const SimFile* existing = files_->Find(path);
  if (files_->IsReadOnly(path) ||
      (existing != nullptr && (existing->denied || existing->inUse ||
                               (existing->attributes & FILE_ATTRIBUTE_READONLY) != 0))) {
    return ERROR_ACCESS_DENIED;
  }
  // Deleting from a file that is not there leaves it not there.
  if (existing == nullptr && (key == nullptr || value == nullptr)) return ERROR_SUCCESS;
  std::vector<Line> lines = ReadLines(existing != nullptr ? existing->data : std::string());
  // The section's header and the line after its last line.
  std::size_t header = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].IsHeader() && EqualsNoCase(lines[i].HeaderName(), section)) {
      header = i;
      break;
    }
  }
  std::size_t end = header;
  if (header < lines.size()) {
    for (end = header + 1; end < lines.size() && !lines[end].IsHeader(); ++end) {
    }
  }
  if (key == nullptr) {
    if (header < lines.size()) lines.erase(lines.begin() + header, lines.begin() + end);
  } else {
    std::size_t found = end;
    for (std::size_t i = header + 1; header < lines.size() && i < end; ++i) {
      if (lines[i].text.find('=') != std::string::npos && EqualsNoCase(lines[i].KeyName(), key)) {
        found = i;
        break;
      }
    }
    const std::string entry = std::string(key) + "=" + Text(value);
    if (value == nullptr) {
      if (found < end) lines.erase(lines.begin() + found);
    } else if (found < end) {
      lines[found].text = entry;
    } else if (header < lines.size()) {
      // After the section's last entry, before the blank lines that part it
      // from the next one.
      std::size_t at = end;
      while (at > header + 1 && Trim(lines[at - 1].text).empty()) --at;
      lines.insert(lines.begin() + at, Line{entry});
    } else {
      if (!lines.empty() && !Trim(lines.back().text).empty()) lines.push_back(Line{""});
      lines.push_back(Line{"[" + std::string(section) + "]"});
      lines.push_back(Line{entry});
    }
  }
  std::string data;
  for (const Line& line : lines) data += line.text + "\r\n";
  files_->WriteFile(path, std::move(data));
  return ERROR_SUCCESS;
}

DWORD SimProfile::WriteSectionTo(const std::string& path, const char* section,
                                 const char* entries) {
  if (section == nullptr) return ERROR_INVALID_PARAMETER;
  // Drop the section, then write it anew with its lines in the order given:
  // keys may repeat, as WININIT.INI's [rename] needs.
  if (DWORD error = WriteTo(path, section, nullptr, nullptr)) return error;
  if (entries == nullptr) return ERROR_SUCCESS;
  const SimFile* existing = files_->Find(path);
  std::string data = existing != nullptr ? existing->data : std::string();
  if (!data.empty() && data.size() >= 2 && data.substr(data.size() - 2) != "\r\n") data += "\r\n";
  data += "[" + std::string(section) + "]\r\n";
  // A runaway list (no empty string at its end) is cut rather than read on.
  for (int i = 0; i < 4096 && *entries != '\0'; ++i) {
    const std::string entry(entries);
    data += entry + "\r\n";
    entries += entry.size() + 1;
  }
  files_->WriteFile(path, std::move(data));
  return ERROR_SUCCESS;
}

std::vector<std::pair<std::string, std::string>> SimProfile::SectionOf(
    const std::string& path, const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  const SimFile* file = files_->Find(path);
  if (file == nullptr) return entries;
  bool inside = false;
  for (const Line& line : ReadLines(file->data)) {
    if (line.IsHeader()) {
      if (inside) break;
      inside = EqualsNoCase(line.HeaderName(), section);
    } else if (inside && line.text.find('=') != std::string::npos) {
      const std::size_t equals = line.text.find('=');
      entries.emplace_back(line.KeyName(), Trim(line.text.substr(equals + 1)));
    }
  }
  return entries;
}

std::optional<std::string> SimProfile::Get(const std::string& section,
                                           const std::string& key) const {
  if (MappedToRegistry(section)) {
    std::string value;
    if (!registry_->GetString(kNtPortsKey, key, value)) return std::nullopt;
    return value;
  }
  const SimFile* file = files_->Find(WinIniPath());
  if (file == nullptr) return std::nullopt;
  const IniFile& ini = LastWinIni().Parsed(file->data);
  std::optional<std::string_view> value = ini.Find(section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::vector<std::string> SimProfile::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  if (MappedToRegistry(section)) {
    if (const RegKey* found = registry_->FindKey(kNtPortsKey)) {
      for (const RegValue& value : found->values) keys.push_back(value.name);
    }
    return keys;
  }
  const SimFile* file = files_->Find(WinIniPath());
  if (file == nullptr) return keys;
  ReadWinIni& last = LastWinIni();
  if (const std::vector<std::string>* known = last.KnownKeys(file->data, section)) return *known;
  bool inside = false;
  for (const Line& line : ReadLines(file->data)) {
    if (line.IsHeader()) {
      if (inside) break;
      inside = EqualsNoCase(line.HeaderName(), section);
    } else if (inside && line.text.find('=') != std::string::npos) {
      keys.push_back(line.KeyName());
    }
  }
  last.Take(file->data);
  last.keysOf = section;
  last.keys = keys;
  return keys;
}

}  // namespace setwell::sim
