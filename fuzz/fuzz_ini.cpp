// fuzz_ini: the private-profile reader (config/IniFile) on any bytes.
//
// The input is one INI file. It is parsed, then looked up with arbitrary
// sections, keys and limits: names the file itself holds (as written, and in
// other letter case with blanks around them), a piece of its text, and names
// that are in no file. Besides not crashing, the reader must keep its own
// rules:
//   - GetString never gives more than the limit, and is Find's value (or the
//     default) with its quotes removed and cut; GetNumber is atol of it;
//   - a file without NUL bytes and without a byte-order mark reads as a
//     plain scan of its lines says (the reference below): the first section
//     of a name and the first key of a name in it win, names match without
//     regard to ASCII letter case and blanks around them, a line without
//     "=" is a key without a value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ByteSearch.h"
#include "config/IniFile.h"
#include "system/AsciiCase.h"

namespace {

using setwell::IniFile;

[[noreturn]] void Fail(const char* what, std::string_view section, std::string_view key) {
  std::fprintf(stderr, "fuzz_ini: %s (section \"%.*s\", key \"%.*s\")\n", what,
               static_cast<int>(section.size()), section.data(), static_cast<int>(key.size()),
               key.data());
  std::abort();
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The reader's rules as a plain scan, for files without NUL bytes and
// without a byte-order mark. Names are kept as written (trimmed) and
// compared without regard to ASCII letter case.
struct ReferenceKey {
  std::string_view name;
  std::optional<std::string_view> value;
};
struct ReferenceSection {
  std::string_view name;
  std::vector<ReferenceKey> keys;
  bool first = false;  // the first section of its name
};

// Past this many sections the scan's own name comparisons would cost more
// than the reader's: no reference then.
constexpr std::size_t kReferenceSections = 256;

std::vector<ReferenceSection> Scan(std::string_view text, bool& complete) {
  std::vector<ReferenceSection> sections(1);
  sections[0].first = true;
  complete = true;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    const std::size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string_view::npos) {
      if (sections.size() >= kReferenceSections) {
        complete = false;
        break;
      }
      ReferenceSection section;
      section.name = Trim(line.substr(1, close - 1));
      section.first = true;
      for (const ReferenceSection& earlier : sections) {
        if (setwell::EqualsNoCase(earlier.name, section.name)) section.first = false;
      }
      sections.push_back(std::move(section));
      continue;
    }
    const std::size_t equals = line.find('=');
    ReferenceKey key;
    key.name = equals == std::string_view::npos ? line : Trim(line.substr(0, equals));
    if (equals != std::string_view::npos) {
      std::string_view rest = line.substr(equals + 1);
      while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
      key.value = rest;
    }
    sections.back().keys.push_back(key);
  }
  return sections;
}

std::optional<std::string_view> ReferenceFind(const std::vector<ReferenceSection>& sections,
                                              std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  for (const ReferenceSection& candidate : sections) {
    if (!candidate.first || !setwell::EqualsNoCase(candidate.name, section)) continue;
    for (const ReferenceKey& entry : candidate.keys) {
      if (setwell::EqualsNoCase(entry.name, key)) return entry.value;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

void Check(const IniFile& file, const std::vector<ReferenceSection>* reference,
           std::string_view section, std::string_view key, std::size_t limit) {
  const std::optional<std::string_view> found = file.Find(section, key);
  const std::string value = file.GetString(section, key, limit, "fallback");
  if (value.size() > limit) Fail("GetString longer than its limit", section, key);
  if (value != setwell::ProfileValue(found ? *found : "fallback", limit)) {
    Fail("GetString is not Find's value, unquoted and cut", section, key);
  }
  if (file.GetNumber(section, key, limit) !=
      setwell::ParseAtol(setwell::ProfileValue(found ? *found : "0", limit))) {
    Fail("GetNumber is not atol of GetString", section, key);
  }
  if (found) {
    // Whatever is found is a C string to the host: no NUL in it.
    if (found->find('\0') != std::string_view::npos) Fail("a value holds a NUL", section, key);
  }
  if (reference != nullptr) {
    const std::optional<std::string_view> expected = ReferenceFind(*reference, section, key);
    if (expected.has_value() != found.has_value() || (expected && *expected != *found)) {
      Fail("the reader departs from a plain scan of the file", section, key);
    }
  }
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const IniFile file{std::string(input)};

  // The Windows build's search for "[" finds what memchr finds, from any
  // start.
  for (std::size_t from = 0; from < size && from < 8; ++from) {
    const char* start = input.data() + from;
    for (const char c : {'[', '\n', size > 0 ? input[0] : '\0'}) {
      if (setwell::FindByteWordwise(start, size - from, c) != std::memchr(start, c, size - from)) std::abort();
    }
  }

  // The conversion keeps plain files as they are.
  const std::string_view text = file.Text();
  const bool marked = input.substr(0, 2) == "\xFF\xFE" || input.substr(0, 2) == "\xFE\xFF" ||
                      input.substr(0, 3) == "\xEF\xBB\xBF";
  if (!marked && text != input) std::abort();

  bool complete = true;
  const std::vector<ReferenceSection> sections = Scan(text, complete);
  const bool plain = !marked && complete && input.find('\0') == std::string_view::npos;
  const std::vector<ReferenceSection>* reference = plain ? &sections : nullptr;

  // Limits: none, one, the usual ones, one taken from the input, and no
  // limit at all.
  const std::size_t fromInput = size == 0 ? 7 : data[size - 1] * 3u;
  const std::size_t limits[] = {0, 1, 29, 199, fromInput, static_cast<std::size_t>(-1)};
  std::size_t n = 0;
  auto check = [&](std::string_view section, std::string_view key) {
    Check(file, reference, section, key, limits[n++ % (sizeof limits / sizeof limits[0])]);
  };

  // The file's own sections and keys: the first and the last of each (the
  // first key of a name wins), as written, then in other letter case with
  // blanks around them.
  for (std::size_t i = 0; i < sections.size() && i < 4; ++i) {
    const ReferenceSection& section = sections[i];
    const std::size_t count = section.keys.size();
    for (std::size_t j : {std::size_t{0}, count / 2, count - 1}) {
      if (j >= count) continue;
      check(section.name, section.keys[j].name);
    }
    if (count > 0) {
      check(" " + Upper(section.name), "\t" + Upper(section.keys[0].name) + "\x1a");
    }
  }
  const std::size_t last = sections.size() - 1;
  if (last >= 4 && !sections[last].keys.empty()) {
    check(sections[last].name, sections[last].keys.back().name);
  }
  // A piece of the text as a section and a key, and names no file has.
  if (!text.empty()) {
    const std::size_t at = fromInput % text.size();
    const std::string_view piece = text.substr(at, 1 + fromInput % 13);
    check(piece, piece);
    check("", piece);
  }
  check("DEVICENAME", "DEVICENUMBER");
  check("", "");
  check("[", "=");
  return 0;
}
