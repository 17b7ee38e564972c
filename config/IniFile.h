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
// The file is parsed once, in one pass over its lines for the section
// headers and a pass over a section's lines when it is first read; every read
// afterwards is a lookup in hash tables of the case-folded names, without
// copying or folding the names asked for.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/Platform.h"

namespace setwell {

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
  // The parse of a file's contents; it keeps them (converted when Unicode).
  explicit IniFile(std::string contents);
  // The same, and where each section and key stands in the file, into
  // outline: every section's keys are parsed at once.
  IniFile(std::string contents, IniOutline* outline);

  // Whether this is the parse of exactly these file contents.
  // The text the file was parsed from: its contents, converted when they
  // carry a byte-order mark.
  std::string_view Text() const { return text_; }
  // The contents this is the parse of.
  std::string_view Source() const { return converted_ ? source_ : text_; }
  bool IsParseOf(std::string_view contents) const {
    return Source() == contents;
  }

  // The stored value (quotes kept, not cut), or nothing when the section or
  // key is missing or the key has no "=". The view lives as long as this
  // object.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // GetPrivateProfileStringA with a buffer of limit + 1 bytes.
  std::string GetString(std::string_view section, std::string_view key, std::size_t limit,
                        std::string_view defaultValue = "0") const;
  // The same text as a view into this object (or into defaultValue): for
  // a reader that copies it into a buffer of its own.
  std::string_view GetView(std::string_view section, std::string_view key, std::size_t limit,
                           std::string_view defaultValue = "0") const;
  // The same, read as atol reads the text.
  std::int32_t GetNumber(std::string_view section, std::string_view key, std::size_t limit) const;

  // The numbers n in first..last for which the key prefix + n (n written
  // as "%d" writes it) has a value in section, ascending. Every other key of
  // the range reads as missing, so a walk over numbered keys can take these
  // alone, in time that follows the file rather than a configured count.
  std::vector<std::int32_t> NumberedKeys(std::string_view section, std::string_view prefix,
                                         std::int32_t first, std::int32_t last) const;

  // Section headers, the unnamed section before the first one included.
  std::size_t SectionCount() const { return sections_.size(); }

 private:
  // A stretch of text_; offsets rather than views, so that copies and moves
  // of the object (and of a short text_ held in place) stay valid.
  struct Span {
    std::uint32_t at = 0;
    std::uint32_t size = 0;
  };
  struct Section {
    Span name;
    std::uint32_t hash = 0;
    // The text of its lines, up to the next header.
    Span body;
    // Its keys, parsed from the body on the first lookup in the section:
    // keys_[firstKey, firstKey + keyCount), in file order. A section of
    // many keys has a table of its own, keyTable_[tableAt, tableAt +
    // tableSize); a short one is searched in order.
    bool keysParsed = false;
    std::uint32_t firstKey = 0;
    std::uint32_t keyCount = 0;
    std::uint32_t tableAt = 0;
    std::uint32_t tableSize = 0;
  };
  struct Key {
    Span name;
    Span value;
    std::uint32_t hash = 0;
    bool hasValue = false;
  };
  void ParseSections();
  void BuildSectionTable();
  void ParseKeys(Section& section) const;
  // The first key of the name in a section whose keys are parsed, or null.
  const Key* FirstKey(const Section& in, std::string_view name, std::uint32_t hash) const;
  std::string_view View(Span span) const { return std::string_view(text_).substr(span.at, span.size); }
  // The index of the first section of the (trimmed) name, or -1.
  std::int64_t FindSection(std::string_view name) const;

  // The text as the host reads it; the file's own bytes, kept only when
  // they were converted (Unicode files).
  std::string text_;
  bool converted_ = false;
  std::string source_;
  // Every header in file order; the first stands for the lines before any.
  // A file is read through few of its sections (a model's, of thousands),
  // so their keys are parsed when first asked for: the parse grows these
  // lazily, behind a const interface (the program has one thread).
  mutable std::vector<Section> sections_;
  mutable std::vector<Key> keys_;
  // Open-addressing tables of index + 1 (0: empty slot), each a power of
  // two in size: the first section of each name, and for each long section
  // the first key of each name.
  std::vector<std::uint32_t> sectionTable_;
  // The section the last lookup found: readers ask for one section many
  // times in a row (a list of entries, a model's keys). A hint only, kept
  // atomically: the checker's rehearsal reads one parse from several
  // threads, and a hint another thread left is as good as one's own.
  struct SectionHint {
    std::atomic<std::int32_t> index{-1};
    SectionHint() = default;
    SectionHint(const SectionHint& other) : index(other.Get()) {}
    SectionHint& operator=(const SectionHint& other) {
      Set(other.Get());
      return *this;
    }
    std::int32_t Get() const { return index.load(std::memory_order_relaxed); }
    void Set(std::int32_t value) { index.store(value, std::memory_order_relaxed); }
  };
  mutable SectionHint lastSection_;
  mutable std::vector<std::uint32_t> keyTable_;
};

// The bytes of a file as the host reads them: Unicode text (after a UTF-8 or
// UTF-16 byte-order mark) converted to code page 1252, other files as they
// are.
std::string ProfileText(std::string_view contents);

// Removes one pair of enclosing quotes and cuts the text to limit characters,
// as documented. (Wine's reader drops one character more when the text
// without its quotes is exactly limit characters long.)
std::string ProfileValue(std::string_view value, std::size_t limit);
std::string_view ProfileValueView(std::string_view value, std::size_t limit);

// The C library's atol on a 32-bit long: leading blanks, an optional sign,
// decimal digits up to the first other character; no digit gives 0. Values
// beyond the 32-bit range saturate.
std::int32_t ParseAtol(std::string_view text);

// The parsed INI files of the running program, shared by all their readers,
// so that a file is parsed once however many readers ask for it. A parse is
// handed out again only while the file holds the very bytes it was parsed
// from, so an edited file is parsed afresh. Each Load first asks the host
// for the file system's record of the file (size and last write time,
// Platform::GetFileStamp): where that record is settled and the same as
// when the parse was read, the file is not read again. Otherwise it is read
// and compared with the parse. Hosts without such records (the simulated
// machine) read and compare on every Load.
//
// A file that cannot be read reads as missing (every key its default), as
// the host's own reader gives it, with one deliberate exception: on a host
// with records (the Windows build), a file that another program holds open
// without sharing, but whose settled record is unchanged since it was
// read, reads as it was. Its bytes are known to be those parsed, and a lock
// that comes and goes during an install (a scanner, a backup) must not turn
// the configuration into defaults half-way, which would build records of
// "0" file names and counts. A file held before it was ever read, or whose
// record changed, reads as missing.
//
// Paths are Windows paths; the same file named with other letter case is
// the same entry. Used from the one user-interface thread only.
class ProfileCache {
 public:
  static ProfileCache& Shared();

  // The parse of the file as it is now; an empty file when it cannot be
  // read.
  std::shared_ptr<const IniFile> Load(Platform& platform, const std::string& path);

  // Called with the path each time a file is parsed.
  using ParseObserver = std::function<void(const std::string& path)>;
  void SetParseObserver(ParseObserver observer) { observer_ = std::move(observer); }
  // Forgets every parse kept.
  void Clear() {
    files_.clear();
    buffer_ = std::string();
  }

 private:
  struct Entry {
    std::shared_ptr<const IniFile> file;
    // The file system's record of the file as it was read, when settled.
    Platform::FileStamp stamp;
    bool stamped = false;
  };
  std::unordered_map<std::string, Entry> files_;  // by lower-cased path
  std::string buffer_;
  ParseObserver observer_;
};

// Files parsed once elsewhere, for a tool that runs many installs over one
// read-only distribution: every set asks the source first and reads the file
// itself only when the source has none of that path.
class IniFileSource {
 public:
  virtual ~IniFileSource() = default;
  virtual const IniFile* Find(const std::string& path) = 0;
};

// The INI files one reader uses, from the shared cache. A file is looked at
// on its first use and again on the first use after Refresh; in between the
// reader keeps the parse it has, so that a run of reads (a count, then the
// entries it counts) sees one state of the file.
class IniFileSet {
 public:
  explicit IniFileSet(Platform& platform) : platform_(&platform) {}

  // Process-wide; null (the default) reads every file through the cache.
  static void SetSharedSource(IniFileSource* source);

  const IniFile& Get(const std::string& path);
  // The next use of each file reads it again.
  void Refresh();

  std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                        std::size_t limit, std::string_view defaultValue = "0") {
    return Get(path).GetString(section, key, limit, defaultValue);
  }
  // GetString into a string of the caller's, whose storage is used again.
  void ReadString(const std::string& path, std::string_view section, std::string_view key,
                  std::size_t limit, std::string& out, std::string_view defaultValue = "0") {
    out.assign(Get(path).GetView(section, key, limit, defaultValue));
  }
  std::int32_t GetNumber(const std::string& path, std::string_view section, std::string_view key,
                         std::size_t limit) {
    return Get(path).GetNumber(section, key, limit);
  }

 private:
  struct Held {
    std::string path;  // as asked for
    std::shared_ptr<const IniFile> file;
    bool current = true;
    const IniFile* shared = nullptr;  // the shared source's
    unsigned generation = 0;         // of the source it came from
  };
  Platform* platform_;
  // A reader uses at most the five files: a short list searched by exact
  // path beats folding and hashing the path on every read.
  std::vector<Held> held_;
};

}  // namespace setwell
