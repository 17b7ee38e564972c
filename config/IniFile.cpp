#include "config/IniFile.h"

#include <algorithm>
#include <climits>

#include "system/AsciiCase.h"
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

// Lookup names are trimmed the way the host trims them before comparing.
std::string LookupName(std::string_view name) { return LowerAscii(TrimBlanks(CutAtNul(name))); }

// Code page 1252, the host's ANSI code page: the characters of bytes 0x80 to
// 0x9F; the bytes below and above stand for the code points of their value.
// The five unassigned bytes stand for the C1 controls of their value, as the
// host converts them both ways.
constexpr char16_t kCp1252From80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A UTF-16 code unit in code page 1252; "?" when it has no byte there. (The
// host maps some such characters to a look-alike letter instead; names and
// values of the installer's files are ASCII, so that table is not kept.)
char ToAnsi(char32_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252From80[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

void AppendAnsi(char32_t codePoint, std::string& out) {
  if (codePoint > 0xFFFF) {
    out += "??";  // a surrogate pair: two code units without a byte
  } else {
    out += ToAnsi(codePoint);
  }
}

// UTF-8 to code page 1252, the way the host decodes a file that starts with
// a UTF-8 byte-order mark. A byte that cannot start a sequence, and a
// sequence that breaks off, overlong or out of range, gives one "?"; the
// continuation bytes read up to the point of failure go with it, the byte
// that breaks the sequence starts the next one. A sequence cut off by the end
// of the text gives one "?" for the rest.
std::string Utf8ToAnsi(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  std::size_t i = 0;
  auto continuation = [&](std::size_t at, char32_t& value) {
    unsigned char c = static_cast<unsigned char>(in[at]);
    if ((c & 0xC0) != 0x80) return false;
    value = (value << 6) | (c & 0x3F);
    return true;
  };
  while (i < in.size()) {
    unsigned char lead = static_cast<unsigned char>(in[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    std::size_t following = lead >= 0xC2 && lead <= 0xDF   ? 1
                            : lead >= 0xE0 && lead <= 0xEF ? 2
                            : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                           : 0;
    if (following == 0) {
      out += '?';
      ++i;
      continue;
    }
    if (in.size() - i - 1 < following) {
      out += '?';
      break;
    }
    char32_t value = lead & (0x7F >> (following + 1));
    std::size_t at = i + 1;
    bool ok = false;
    if (following == 3) {
      // Second byte: rules out overlong forms below U+10000 ...
      if (continuation(at, value)) {
        ++at;
        // ... third byte: rules out code points beyond U+10FFFF, which is
        // not taken into the failed sequence.
        if (value >= 0x10 && continuation(at, value)) {
          if (value < 0x110000 >> 6) {
            ++at;
            ok = continuation(at, value);
            if (ok) ++at;
          }
        }
      }
    } else if (following == 2) {
      // Second byte: rules out overlong forms below U+0800 and surrogates.
      if (continuation(at, value)) {
        ++at;
        if (value >= 0x20 && !(value >= (0xD800 >> 6) && value <= (0xDFFF >> 6))) {
          ok = continuation(at, value);
          if (ok) ++at;
        }
      }
    } else {
      ok = continuation(at, value);
      if (ok) ++at;
    }
    if (ok) {
      AppendAnsi(value, out);
    } else {
      out += '?';
    }
    i = at;
  }
  return out;
}

// UTF-16 to code page 1252, one byte per code unit; an odd last byte is not
// part of the text.
std::string Utf16ToAnsi(std::string_view in, bool bigEndian) {
  std::string out;
  out.reserve(in.size() / 2);
  for (std::size_t i = 0; i + 1 < in.size(); i += 2) {
    unsigned char first = static_cast<unsigned char>(in[i]);
    unsigned char second = static_cast<unsigned char>(in[i + 1]);
    out += ToAnsi(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  return out;
}

}  // namespace

std::string ProfileText(std::string_view contents) {
  if (contents.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToAnsi(contents.substr(3));
  if (contents.substr(0, 2) == "\xFF\xFE") return Utf16ToAnsi(contents.substr(2), false);
  if (contents.substr(0, 2) == "\xFE\xFF") return Utf16ToAnsi(contents.substr(2), true);
  return std::string(contents);
}

IniFile::IniFile(std::string_view contents, IniOutline* outline) {
  Parse(ProfileText(contents), outline);
}

void IniFile::Parse(std::string_view contents, IniOutline* outline) {
  sections_.clear();
  index_.clear();
  sections_.emplace_back();  // keys before the first section header
  index_.emplace("", 0);
  Section* current = &sections_.back();
  if (outline != nullptr) *outline = IniOutline{{IniOutline::Section{}}, {}};
  bool currentFirst = true;

  std::size_t pos = 0;
  int lineNumber = 0;
  while (pos < contents.size()) {
    std::size_t end = contents.find_first_of("\r\n", pos);
    std::string_view line =
        contents.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    // The reader ends a line at every "\r" and "\n"; a person counts a
    // "\r\n" pair as one line end.
    const bool betweenCrLf = pos > 0 && contents[pos - 1] == '\r' && contents[pos] == '\n';
    if (!betweenCrLf) ++lineNumber;
    pos = end == std::string_view::npos ? contents.size() : end + 1;

    line = TrimBlanks(line);
    if (line.empty()) continue;

    if (line.front() == '[') {
      std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        std::string name = LowerAscii(CutAtNul(TrimBlanks(line.substr(1, close - 1))));
        sections_.emplace_back();
        current = &sections_.back();
        // The first section of a name wins.
        currentFirst = index_.emplace(std::move(name), sections_.size() - 1).second;
        if (outline != nullptr) {
          outline->sections.push_back(
              {std::string(TrimBlanks(line.substr(1, close - 1))), lineNumber, currentFirst});
        }
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
    const bool hasValue = value.has_value();
    const bool first = current->keys.emplace(LowerAscii(CutAtNul(name)), std::move(value)).second;
    if (outline != nullptr) {
      outline->keys.push_back({outline->sections.size() - 1, std::string(CutAtNul(name)),
                               lineNumber, hasValue, first && currentFirst});
    }
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

std::vector<std::int32_t> IniFile::NumberedKeys(std::string_view section, std::string_view prefix,
                                                std::int32_t first, std::int32_t last) const {
  std::vector<std::int32_t> numbers;
  auto sectionIt = index_.find(LookupName(section));
  if (sectionIt == index_.end()) return numbers;
  const std::string lowerPrefix = LowerAscii(prefix);
  for (const auto& [name, value] : sections_[sectionIt->second].keys) {
    if (!value || !name.starts_with(lowerPrefix)) continue;
    const std::string_view digits = std::string_view(name).substr(lowerPrefix.size());
    // Only the spelling "%d" gives: no sign, no leading zero, no blank.
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const long long number = std::stoll(std::string(digits));
    if (number >= first && number <= last) numbers.push_back(static_cast<std::int32_t>(number));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
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

namespace {
IniFileSource* sharedSource = nullptr;
}  // namespace

void IniFileSet::SetSharedSource(IniFileSource* source) { sharedSource = source; }

const IniFile& IniFileSet::Get(const std::string& path) {
  if (sharedSource != nullptr) {
    if (const IniFile* shared = sharedSource->Find(path)) return *shared;
  }
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
