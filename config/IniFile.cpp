#include "config/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "config/ByteSearch.h"
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

namespace {

bool HasByteOrderMark(std::string_view contents) {
  return contents.substr(0, 3) == "\xEF\xBB\xBF" || contents.substr(0, 2) == "\xFF\xFE" ||
         contents.substr(0, 2) == "\xFE\xFF";
}

}  // namespace

std::string ProfileText(std::string_view contents) {
  if (contents.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToAnsi(contents.substr(3));
  if (contents.substr(0, 2) == "\xFF\xFE") return Utf16ToAnsi(contents.substr(2), false);
  if (contents.substr(0, 2) == "\xFE\xFF") return Utf16ToAnsi(contents.substr(2), true);
  return std::string(contents);
}

IniFile::IniFile(std::string contents) {
  converted_ = HasByteOrderMark(contents);
  if (converted_) {
    text_ = ProfileText(contents);
    source_ = std::move(contents);
  } else {
    text_ = std::move(contents);
  }
  ParseSections();
  BuildSectionTable();
}

IniFile::IniFile(std::string contents, IniOutline* outline) : IniFile(std::move(contents)) {
  if (outline == nullptr) return;
  // Line numbers as a person counts them: "\r\n" ends one line, and so do
  // a lone "\r" and a lone "\n".
  std::vector<std::uint32_t> lineStarts{0};
  for (std::size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) {
      lineStarts.push_back(static_cast<std::uint32_t>(i + 1));
    }
  }
  auto lineOf = [&](std::uint32_t at) {
    return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), at) -
                            lineStarts.begin());
  };
  outline->sections.clear();
  outline->keys.clear();
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    Section& section = sections_[i];
    if (!section.keysParsed) ParseKeys(section);
    const std::string_view name = View(section.name);
    const bool first = FindSection(name) == static_cast<std::int64_t>(i);
    // The unnamed part before the first header has no header line.
    outline->sections.push_back(
        IniOutline::Section{std::string(name), i == 0 ? 0 : lineOf(section.name.at), first});
    for (std::uint32_t k = section.firstKey; k < section.firstKey + section.keyCount; ++k) {
      const Key& key = keys_[k];
      const std::string_view keyName = View(key.name);
      const bool firstKey = first && FirstKey(section, keyName, key.hash) == &key;
      outline->keys.push_back(IniOutline::Key{i, std::string(keyName), lineOf(key.name.at),
                                              key.hasValue, firstKey});
    }
  }
}

namespace {

// FNV-1a over the case-folded bytes.
std::uint32_t FoldedHash(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(ToLowerAscii(c));
    hash *= 16777619u;
  }
  return hash;
}

// Sections with more keys than this get a table; shorter ones are searched
// in order, which costs less than building one for each of thousands of
// model sections.
constexpr std::uint32_t kShortSection = 16;

std::size_t TableSize(std::size_t entries) {
  std::size_t size = 8;
  while (size < entries * 2) size *= 2;
  return size;
}

}  // namespace

namespace {

// The next line of text from pos: lines end at every "\r" and every "\n".
// Returns the line, untrimmed, and moves pos past its end.
std::string_view NextLine(std::string_view text, std::size_t& pos) {
  const char* const start = text.data() + pos;
  const std::size_t rest = text.size() - pos;
  const void* lf = std::memchr(start, '\n', rest);
  std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : rest;
  if (const void* cr = std::memchr(start, '\r', length)) {
    length = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
  }
  pos += length < rest ? length + 1 : length;
  return std::string_view(start, length);
}

// The name of a section header line (trimmed), or nothing for other lines.
std::optional<std::string_view> HeaderName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;  // an ordinary line
  return CutAtNul(TrimBlanks(line.substr(1, close - 1)));
}

}  // namespace

void IniFile::ParseSections() {
  const std::string_view contents(text_);
  const char* const data = contents.data();
  const std::size_t size = contents.size();
  auto spanOf = [&](std::string_view part) {
    return Span{static_cast<std::uint32_t>(part.data() - data),
                static_cast<std::uint32_t>(part.size())};
  };
  auto endsLine = [](char c) { return c == '\n' || c == '\r'; };
  sections_.clear();
  keys_.clear();
  keyTable_.clear();
  sections_.push_back(Section{Span{}, FoldedHash(""), Span{}});  // lines before the first header
  std::size_t bodyAt = 0;
  // A header is a line whose first character but blanks is "[". The search
  // goes from one "[" to the next rather than line by line: most lines of a
  // large file are keys, and a file of thousands of models is megabytes.
  std::size_t from = 0;
  while (from < size) {
    const char* found = FindByte(data + from, size - from, '[');
    if (found == nullptr) break;
    const std::size_t open = static_cast<std::size_t>(found - data);
    std::size_t lineAt = open;
    while (lineAt > 0 && !endsLine(data[lineAt - 1]) && IsProfileBlank(data[lineAt - 1])) --lineAt;
    std::size_t end = open;
    while (end < size && !endsLine(data[end])) ++end;
    const std::size_t next = end < size ? end + 1 : end;
    if (lineAt > 0 && !endsLine(data[lineAt - 1])) {
      from = end;  // within a line: no header begins before its end
      continue;
    }
    const std::optional<std::string_view> name =
        HeaderName(TrimBlanks(contents.substr(lineAt, end - lineAt)));
    from = next;
    if (!name) continue;
    sections_.back().body = Span{static_cast<std::uint32_t>(bodyAt),
                                 static_cast<std::uint32_t>(lineAt - bodyAt)};
    Section section;
    section.name = spanOf(*name);
    section.hash = FoldedHash(*name);
    sections_.push_back(section);
    bodyAt = next;
  }
  sections_.back().body =
      Span{static_cast<std::uint32_t>(bodyAt), static_cast<std::uint32_t>(size - bodyAt)};
}

void IniFile::BuildSectionTable() {
  sectionTable_.assign(TableSize(sections_.size()), 0);
  const std::size_t mask = sectionTable_.size() - 1;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const std::string_view name = View(sections_[i].name);
    for (std::size_t slot = sections_[i].hash & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t held = sectionTable_[slot];
      if (held == 0) {
        sectionTable_[slot] = static_cast<std::uint32_t>(i + 1);
        break;
      }
      if (EqualsNoCase(View(sections_[held - 1].name), name)) break;  // the first one wins
    }
  }
}

void IniFile::ParseKeys(Section& section) const {
  section.keysParsed = true;
  section.firstKey = static_cast<std::uint32_t>(keys_.size());
  const std::string_view contents(text_);
  const std::string_view body = View(section.body);
  auto spanOf = [&](std::string_view part) {
    return Span{static_cast<std::uint32_t>(part.data() - contents.data()),
                static_cast<std::uint32_t>(part.size())};
  };
  std::size_t pos = 0;
  while (pos < body.size()) {
    const std::string_view line = TrimBlanks(NextLine(body, pos));
    if (line.empty()) continue;  // no header lies inside a body
    Key key;
    const std::size_t equals = line.find('=');
    std::string_view name = line;
    if (equals != std::string_view::npos) {
      name = TrimBlanks(line.substr(0, equals));
      std::string_view rest = line.substr(equals + 1);
      while (!rest.empty() && IsProfileBlank(rest.front())) rest.remove_prefix(1);
      key.value = spanOf(CutAtNul(rest));
      key.hasValue = true;
    }
    name = CutAtNul(name);
    key.name = spanOf(name);
    key.hash = FoldedHash(name);
    keys_.push_back(key);
  }
  section.keyCount = static_cast<std::uint32_t>(keys_.size()) - section.firstKey;
  if (section.keyCount <= kShortSection) return;

  section.tableAt = static_cast<std::uint32_t>(keyTable_.size());
  section.tableSize = static_cast<std::uint32_t>(TableSize(section.keyCount));
  keyTable_.resize(keyTable_.size() + section.tableSize, 0);
  std::uint32_t* table = keyTable_.data() + section.tableAt;
  const std::size_t mask = section.tableSize - 1;
  for (std::uint32_t i = section.firstKey; i < section.firstKey + section.keyCount; ++i) {
    const Key& key = keys_[i];
    const std::string_view name = View(key.name);
    for (std::size_t slot = key.hash & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t held = table[slot];
      if (held == 0) {
        table[slot] = i + 1;
        break;
      }
      const Key& other = keys_[held - 1];
      if (other.hash == key.hash && EqualsNoCase(View(other.name), name)) break;  // the first wins
    }
  }
}

std::int64_t IniFile::FindSection(std::string_view name) const {
  if (sectionTable_.empty()) return -1;  // a default-constructed file
  const std::int64_t last = lastSection_.Get();
  if (last >= 0) {
    const Section& section = sections_[static_cast<std::size_t>(last)];
    if (EqualsNoCase(View(section.name), name)) return last;
  }
  const std::uint32_t hash = FoldedHash(name);
  const std::size_t mask = sectionTable_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = sectionTable_[slot];
    if (held == 0) return -1;
    const Section& section = sections_[held - 1];
    if (section.hash == hash && EqualsNoCase(View(section.name), name)) {
      lastSection_.Set(static_cast<std::int32_t>(held - 1));
      return held - 1;
    }
  }
}

const IniFile::Key* IniFile::FirstKey(const Section& in, std::string_view name,
                                      std::uint32_t hash) const {
  if (in.tableSize == 0) {
    for (std::uint32_t i = in.firstKey; i < in.firstKey + in.keyCount; ++i) {
      const Key& candidate = keys_[i];
      if (candidate.hash == hash && EqualsNoCase(View(candidate.name), name)) return &candidate;
    }
    return nullptr;
  }
  const std::uint32_t* table = keyTable_.data() + in.tableAt;
  const std::size_t mask = in.tableSize - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = table[slot];
    if (held == 0) return nullptr;
    const Key& candidate = keys_[held - 1];
    if (candidate.hash == hash && EqualsNoCase(View(candidate.name), name)) return &candidate;
  }
}

std::optional<std::string_view> IniFile::Find(std::string_view section, std::string_view key) const {
  // Names asked for are trimmed the way the host trims them before comparing.
  const std::int64_t found = FindSection(TrimBlanks(CutAtNul(section)));
  if (found < 0) return std::nullopt;
  Section& in = sections_[static_cast<std::size_t>(found)];
  if (!in.keysParsed) ParseKeys(in);
  const std::string_view name = TrimBlanks(CutAtNul(key));
  const Key* match = FirstKey(in, name, FoldedHash(name));
  if (match == nullptr || !match->hasValue) return std::nullopt;
  return View(match->value);
}

std::vector<std::int32_t> IniFile::NumberedKeys(std::string_view section, std::string_view prefix,
                                                std::int32_t first, std::int32_t last) const {
  std::vector<std::int32_t> numbers;
  const std::int64_t found = FindSection(TrimBlanks(CutAtNul(section)));
  if (found < 0) return numbers;
  Section& in = sections_[static_cast<std::size_t>(found)];
  if (!in.keysParsed) ParseKeys(in);
  for (std::uint32_t i = in.firstKey; i < in.firstKey + in.keyCount; ++i) {
    const Key& key = keys_[i];
    const std::string_view name = View(key.name);
    if (!key.hasValue || !StartsWithNoCase(name, prefix)) continue;
    const std::string_view digits = name.substr(prefix.size());
    // Only the spelling "%d" gives: no sign, no leading zero, no blank.
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    // A later key of a name already given is never read.
    if (FirstKey(in, name, key.hash) != &key) continue;
    const long long number = std::stoll(std::string(digits));
    if (number >= first && number <= last) numbers.push_back(static_cast<std::int32_t>(number));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string_view ProfileValueView(std::string_view value, std::size_t limit) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value.substr(0, limit);
}

std::string ProfileValue(std::string_view value, std::size_t limit) {
  return std::string(ProfileValueView(value, limit));
}

std::string_view IniFile::GetView(std::string_view section, std::string_view key,
                                  std::size_t limit, std::string_view defaultValue) const {
  std::optional<std::string_view> value = Find(section, key);
  return ProfileValueView(value ? *value : defaultValue, limit);
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::size_t limit,
                               std::string_view defaultValue) const {
  return std::string(GetView(section, key, limit, defaultValue));
}

std::int32_t IniFile::GetNumber(std::string_view section, std::string_view key,
                                std::size_t limit) const {
  return ParseAtol(GetView(section, key, limit));
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

ProfileCache& ProfileCache::Shared() {
  static ProfileCache cache;
  return cache;
}

std::shared_ptr<const IniFile> ProfileCache::Load(Platform& platform, const std::string& path) {
  static const auto kNoFile = std::make_shared<const IniFile>();
  std::string name = LowerAscii(path);
  auto found = files_.find(name);
  // The file system's record first, taken before any reading: a write that
  // comes between the two leaves a record that differs next time. Where the
  // record is settled and still the one of the file held, the file is as
  // it was, and is not read again.
  Platform::FileStamp stamp;
  const bool stamped = platform.GetFileStamp(path.c_str(), stamp) && stamp.settled;
  if (found != files_.end() && stamped && found->second.stamped &&
      found->second.stamp.SameAs(stamp)) {
    return found->second.file;
  }
  // The file is read into the same buffer each time: most looks find it
  // unchanged, and a fresh buffer of megabytes on each would cost more than
  // the comparison.
  using FileLook = Platform::FileLook;
  const FileLook look =
      found == files_.end()
          ? (platform.ReadWholeFile(path.c_str(), buffer_) ? FileLook::kRead : FileLook::kUnreadable)
          : platform.ReadWholeFileUnlessSame(path.c_str(), found->second.file->Source(), buffer_);
  if (look == FileLook::kUnreadable) {
    if (found != files_.end()) files_.erase(found);
    return kNoFile;
  }
  Entry& entry = found != files_.end() ? found->second : files_[std::move(name)];
  if (look == FileLook::kRead) {
    // Readers still holding the former parse keep it until they look again.
    entry.file = std::make_shared<const IniFile>(std::move(buffer_));
    buffer_.clear();
    if (observer_) observer_(path);
  }
  entry.stamp = stamp;
  entry.stamped = stamped;
  return entry.file;
}

namespace {
IniFileSource* sharedSource = nullptr;
// Counts the changes of source: a file taken from an earlier one is not
// used again.
unsigned sharedGeneration = 0;
}  // namespace

void IniFileSet::SetSharedSource(IniFileSource* source) {
  sharedSource = source;
  ++sharedGeneration;
}

const IniFile& IniFileSet::Get(const std::string& path) {
  Held* held = nullptr;
  for (Held& candidate : held_) {
    if (candidate.path == path) held = &candidate;
  }
  if (held == nullptr) {
    held_.push_back(Held{path, nullptr, false, nullptr, sharedGeneration});
    held = &held_.back();
  } else if (held->generation != sharedGeneration) {
    // The shared source changed since: look again.
    *held = Held{path, nullptr, false, nullptr, sharedGeneration};
  }
  if (held->shared != nullptr) return *held->shared;
  if (held->file == nullptr && sharedSource != nullptr) {
    held->shared = sharedSource->Find(path);
    if (held->shared != nullptr) return *held->shared;
  }
  if (!held->current) {
    held->file = ProfileCache::Shared().Load(*platform_, path);
    held->current = true;
  }
  return *held->file;
}

void IniFileSet::Refresh() {
  for (Held& held : held_) held.current = false;
}

}  // namespace setwell
