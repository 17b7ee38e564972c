#include "config/IniFile.h"

#include <algorithm>
#include <climits>

#include "system/Platform.h"

namespace setwell {
namespace {

bool IsProfileBlank(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case '\x1a':
      return true;
    default:
      return false;
  }
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Names and values are C strings to the host: a NUL ends them.
std::string_view CutAtNul(std::string_view text) {
  std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Lookup names are trimmed the way the host trims them before comparing.
std::string LookupName(std::string_view name) { return LowerAscii(TrimBlanks(CutAtNul(name))); }

}  // namespace

IniFile::IniFile(std::string_view contents) { Parse(contents); }

void IniFile::Parse(std::string_view contents) {
  // A UTF-8 byte-order mark is not part of the first line.
  if (contents.substr(0, 3) == "\xEF\xBB\xBF") contents.remove_prefix(3);

  sections_.clear();
  index_.clear();
  sections_.emplace_back();  // keys before the first section header
  index_.emplace("", 0);
  Section* current = &sections_.back();

  std::size_t pos = 0;
  while (pos < contents.size()) {
    // A line ends at the next "\n"; once no "\n" is left, at the next "\r".
    std::size_t end = contents.find('\n', pos);
    if (end == std::string_view::npos) end = contents.find('\r', pos);
    std::string_view line =
        contents.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? contents.size() : end + 1;

    line = TrimBlanks(line);
    if (line.empty()) continue;

    if (line.front() == '[') {
      std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        std::string name = LowerAscii(CutAtNul(line.substr(1, close - 1)));
        sections_.emplace_back();
        current = &sections_.back();
        index_.emplace(std::move(name), sections_.size() - 1);  // first one of a name wins
        continue;
      }
      // "[" without "]" is an ordinary line.
    }

    std::size_t equals = line.find('=');
    std::string_view name = line;
    std::optional<std::string> value;
    if (equals != std::string_view::npos) {
      name = TrimBlanks(line.substr(0, equals));
      std::string_view rest = line.substr(equals + 1);
      while (!rest.empty() && IsProfileBlank(rest.front())) rest.remove_prefix(1);
      value = std::string(CutAtNul(rest));
    }
    current->keys.emplace(LowerAscii(CutAtNul(name)), std::move(value));  // first one wins
  }
}

std::optional<std::string_view> IniFile::Find(std::string_view section, std::string_view key) const {
  auto sectionIt = index_.find(LookupName(section));
  if (sectionIt == index_.end()) return std::nullopt;
  const Section& found = sections_[sectionIt->second];
  auto keyIt = found.keys.find(LookupName(key));
  if (keyIt == found.keys.end() || !keyIt->second) return std::nullopt;
  return std::string_view(*keyIt->second);
}

std::string ProfileValue(std::string_view value, std::size_t limit) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, limit));
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::size_t limit,
                               std::string_view defaultValue) const {
  std::optional<std::string_view> value = Find(section, key);
  return ProfileValue(value ? *value : defaultValue, limit);
}

std::int32_t IniFile::GetNumber(std::string_view section, std::string_view key,
                                std::size_t limit) const {
  return ParseAtol(GetString(section, key, limit));
}

std::int32_t ParseAtol(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<std::int64_t>(INT32_MAX) + 1) value = static_cast<std::int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

const IniFile& IniFileSet::Get(const std::string& path) {
  std::string key = LowerAscii(path);
  auto it = files_.find(key);
  if (it == files_.end()) {
    std::string contents;
    auto file = std::make_unique<IniFile>();
    if (platform_->ReadWholeFile(path.c_str(), contents)) *file = IniFile(contents);
    it = files_.emplace(std::move(key), std::move(file)).first;
  }
  return *it->second;
}

}  // namespace setwell
