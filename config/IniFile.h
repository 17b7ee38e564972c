// A reader of INI files that follows the private-profile rules of the host:
//
// - A file that starts with a UTF-8 or UTF-16 byte-order mark is read as
//   Unicode text and handed out in the ANSI code page (1252); any other file
//   is read as ANSI bytes.
// - Lines end at every "\r" and every "\n"; blanks (space, tab, "\v", "\f",
//   Ctrl-Z) at both ends of a line, around the key and at the start of the
//   value are dropped.
// - "[name]" opens a section; the name runs to the last "]" on the line, is
//   trimmed of blanks, and the rest of the line is ignored. Lines below it
//   belong to it; lines before any section belong to a section with an empty
//   name, which "[]" does not reopen.
// - Section and key names match without regard to ASCII letter case; other
//   bytes match exactly. The first section of a name, and the first key of a
//   name in it, win.
// - A line without "=" names a key with no value: it reads as missing.
//   Comment lines are no exception: ";k=v" is the key ";k".
// - A NUL byte ends the name or value it appears in.
// - On reading, one pair of enclosing quotes (both ' or both ") is removed,
//   then the value is cut to the caller's limit; a missing file, section or
//   key gives the default.
//
// The file is parsed once; every read afterwards is a lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace setwell {

class Platform;

// Where a file's sections and keys are, as the parser met them, for tools
// that point a person at a line. Names are as written; `first` is false for
// what the reader never returns (a later section or key of a name already
// seen wins nothing).
struct IniOutline {
  struct Section {
    std::string name;
    int line = 0;  // 1-based; a "\r\n" pair ends one line
    bool first = true;
  };
  struct Key {
    std::size_t section = 0;  // index into sections; 0 is the unnamed one before any header
    std::string name;
    int line = 0;
    bool hasValue = false;  // the line holds "="
    bool first = true;      // the reader returns this one (its section is first too)
  };
  std::vector<Section> sections;
  std::vector<Key> keys;
};

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string_view contents, IniOutline* outline = nullptr);

  // The stored value (quotes kept, not cut), or nothing when the section or
  // key is missing or the key has no "=".
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // GetPrivateProfileStringA with a buffer of limit + 1 bytes.
  std::string GetString(std::string_view section, std::string_view key, std::size_t limit,
                        std::string_view defaultValue = "0") const;
  // The same, read as atol reads the text.
  std::int32_t GetNumber(std::string_view section, std::string_view key, std::size_t limit) const;

  // The numbers n in first..last for which the key prefix + n (n written
  // as "%d" writes it) has a value in section, ascending. Every other key of
  // the range reads as missing, so a walk over numbered keys can take these
  // alone, in time that follows the file rather than a configured count.
  std::vector<std::int32_t> NumberedKeys(std::string_view section, std::string_view prefix,
                                         std::int32_t first, std::int32_t last) const;

  std::size_t SectionCount() const { return sections_.size(); }

 private:
  struct Section {
    // Lower-cased key name -> value; a key without "=" maps to nothing.
    std::unordered_map<std::string, std::optional<std::string>> keys;
  };
  void Parse(std::string_view contents, IniOutline* outline);

  std::vector<Section> sections_;
  // Lower-cased section name -> index of its first occurrence.
  std::unordered_map<std::string, std::size_t> index_;
};

// The bytes of a file as the host reads them: Unicode text (after a UTF-8 or
// UTF-16 byte-order mark) converted to code page 1252, other files as they
// are.
std::string ProfileText(std::string_view contents);

// Removes one pair of enclosing quotes and cuts the text to limit characters,
// as documented. (Wine's reader drops one character more when the text
// without its quotes is exactly limit characters long.)
std::string ProfileValue(std::string_view value, std::size_t limit);

// The C library's atol on a 32-bit long: leading blanks, an optional sign,
// decimal digits up to the first other character; no digit gives 0. Values
// beyond the 32-bit range saturate.
std::int32_t ParseAtol(std::string_view text);

// A set of INI files read through the platform, each parsed on first use and
// kept for the life of the set. Paths are Windows paths; the same file named
// with other letter case is the same entry.
// Files parsed once elsewhere, for a tool that runs many installs over one
// read-only distribution: every set asks the source first and reads the file
// itself only when the source has none of that path.
class IniFileSource {
 public:
  virtual ~IniFileSource() = default;
  virtual const IniFile* Find(const std::string& path) = 0;
};

class IniFileSet {
 public:
  explicit IniFileSet(Platform& platform) : platform_(&platform) {}

  // Process-wide; null (the default) reads every file through the platform.
  static void SetSharedSource(IniFileSource* source);

  const IniFile& Get(const std::string& path);

  std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                        std::size_t limit, std::string_view defaultValue = "0") {
    return Get(path).GetString(section, key, limit, defaultValue);
  }
  std::int32_t GetNumber(const std::string& path, std::string_view section, std::string_view key,
                         std::size_t limit) {
    return Get(path).GetNumber(section, key, limit);
  }

 private:
  Platform* platform_;
  std::map<std::string, std::unique_ptr<IniFile>> files_;
};

}  // namespace setwell
