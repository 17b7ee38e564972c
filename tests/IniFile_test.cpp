#include "config/IniFile.h"
#include "config/ByteSearch.h"
#include "sim/SimMachine.h"
#include "system/AsciiCase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace setwell {
namespace {

using namespace std::string_literals;

struct ReadCase {
  const char* name;
  std::string contents;
  const char* section;
  const char* key;
  std::size_t limit;
  std::string expected;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsLikeTheHostProfileApi) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(IniFile(c.contents).GetString(c.section, c.key, c.limit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniReadTest,
    ::testing::Values(
        ReadCase{"plain", "[A]\nkey=value\n", "A", "key", 199, "value"},
        ReadCase{"section_case", "[tp-100.xp]\nx=1\n", "TP-100.XP", "x", 199, "1"},
        ReadCase{"key_case", "[A]\nSTDDriverPath=d.dll\n", "a", "stddriverpath", 199, "d.dll"},
        ReadCase{"blanks_trimmed", "  [A]  \n \t key \t=  v a l \t \n", "A", "key", 199, "v a l"},
        ReadCase{"double_quotes", "[A]\nk=\"  quoted \"\n", "A", "k", 199, "  quoted "},
        ReadCase{"single_quotes", "[A]\nk='x'\n", "A", "k", 199, "x"},
        ReadCase{"mismatched_quotes", "[A]\nk=\"x'\n", "A", "k", 199, "\"x'"},
        ReadCase{"one_quote_alone", "[A]\nk=\"\n", "A", "k", 199, "\""},
        ReadCase{"only_one_pair_removed", "[A]\nk=\"\"x\"\"\n", "A", "k", 199, "\"x\""},
        ReadCase{"missing_section", "[A]\nk=1\n", "B", "k", 199, "0"},
        ReadCase{"missing_key", "[A]\nk=1\n", "A", "j", 199, "0"},
        ReadCase{"key_without_equals", "[A]\nk\n", "A", "k", 199, "0"},
        ReadCase{"empty_value_is_a_value", "[A]\nk=\n", "A", "k", 199, ""},
        ReadCase{"cut_to_limit", "[A]\nk=" + std::string(60, 'c') + "\n", "A", "k", 49,
                 std::string(49, 'c')},
        ReadCase{"short_value_kept", "[A]\nk=" + std::string(25, 'c') + "\n", "A", "k", 49,
                 std::string(25, 'c')},
        ReadCase{"quotes_removed_before_cut", "[A]\nk=\"abc\"\n", "A", "k", 3, "abc"},
        ReadCase{"first_key_wins", "[A]\nk=1\nk=2\n", "A", "k", 199, "1"},
        ReadCase{"first_section_wins", "[A]\nj=1\n[a]\nk=2\n", "A", "k", 199, "0"},
        ReadCase{"keys_before_any_section", "k=1\n[A]\n", "", "k", 199, "1"},
        ReadCase{"crlf", "[A]\r\nk=v\r\n", "A", "k", 199, "v"},
        ReadCase{"cr_only", "[A]\rk=v\r", "A", "k", 199, "v"},
        ReadCase{"cr_ends_line_before_lf", "[A]\rk=v\nj=w\n", "A", "k", 199, "v"},
        ReadCase{"cr_inside_value_ends_it", "[A]\nk=two\rj=three\n", "A", "k", 199, "two"},
        ReadCase{"line_after_inner_cr", "[A]\nk=two\rj=three\n", "A", "j", 199, "three"},
        ReadCase{"no_final_newline", "[A]\nk=v", "A", "k", 199, "v"},
        ReadCase{"comment_is_a_key", "[A]\n;k=v\n", "A", "k", 199, "0"},
        ReadCase{"equals_in_value", "[A]\nk=a=b\n", "A", "k", 199, "a=b"},
        ReadCase{"nul_ends_value", std::string("[A]\nk=ab\0cd\nj=2\n", 16), "A", "k", 199, "ab"},
        ReadCase{"text_after_bracket", "[A] trailing\nk=v\n", "A", "k", 199, "v"},
        ReadCase{"section_name_trimmed", "[ B \t]\nk=b\n", "B", "k", 199, "b"},
        ReadCase{"section_trimmed_before_nul", "[ E\0 ]\nk=e\n"s, "E", "k", 199, "e"},
        ReadCase{"blank_before_nul_kept", "[F \0G]\nk=f\n"s, "F", "k", 199, "0"},
        ReadCase{"empty_brackets_not_the_top", "k=top\n[]\nj=2\n", "", "j", 199, "0"},
        ReadCase{"non_ascii_letters_keep_case", "[\xC9T\xC9]\nk=v\n", "\xE9t\xE9", "k", 199, "0"},
        ReadCase{"non_ascii_bytes_match_exactly", "[A]\n\x8A\x8C\x8E\x9F=v\n", "A", "\x8a\x8c\x8e\x9f", 199,
                 "v"},
        ReadCase{"high_bytes_do_not_fold", "[A]\n\x8A\x8C\x8E\x9F=v\n", "A", "\x9A\x9C\x9E\xFF", 199,
                 "0"},
        ReadCase{"quoted_value_fills_buffer", "[A]\nk=\"a\"\n", "A", "k", 1, "a"},
        ReadCase{"open_bracket_only", "[A\nk=v\n", "", "k", 199, "v"},
        ReadCase{"bracket_in_value_is_no_header", "[A]\nk=[B]\nj=1\n", "A", "j", 199, "1"},
        ReadCase{"bracket_in_comment_is_no_header", "[A]\n; [B]\nj=1\n", "A", "j", 199, "1"},
        ReadCase{"header_after_blanks_of_every_kind", "k=0\r\f\v\x1a\t [B]\nk=b\n", "B", "k", 199,
                 "b"},
        ReadCase{"utf8_bom", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", 199, "v"},
        ReadCase{"utf8_names_in_ansi", "\xEF\xBB\xBF[\xC3\xA9]\nk=v\n", "\xE9", "k", 199, "v"},
        ReadCase{"utf16le", "\xFF\xFE[\0A\0]\0\n\0k\0=\0\xE9\0\xAC\x20"s, "A", "k", 199, "\xE9\x80"},
        ReadCase{"utf16be", "\xFE\xFF\0[\0A\0]\0\n\0k\0=\0v"s, "a", "K", 199, "v"},
        ReadCase{"utf16_without_mark_is_ansi", "[\0A\0]\0\n\0k\0=\0v\0"s, "A", "k", 199, "0"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// Unicode files reach the reader in the host's ANSI code page, with the
// host's replacements for what UTF-8 cannot carry.
TEST(IniFileTest, UnicodeTextBecomesCodePage1252) {
  struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain ansi \xE9\x80", "plain ansi \xE9\x80"},
      {"\xEF\xBB\xBF", ""},
      {"\xEF\xBB\xBF\xEF\xBB\xBFx", "?x"},                       // a second mark has no byte
      {"\xEF\xBB\xBF\xE2\x82\xAC\xC5\xBD\xC2\x81", "\x80\x8E\x81"},  // the 0x80..0x9F row
      {"\xEF\xBB\xBF\xE4\xB8\xAD", "?"},                           // no byte in 1252
      {"\xEF\xBB\xBF\xF0\x9F\x98\x80x", "??x"},                   // two code units
      {"\xEF\xBB\xBF" "1\xE2\x82x", "1?x"},                          // broken off: one ?
      {"\xEF\xBB\xBF\x80x", "?x"},                                   // lone continuation
      {"\xEF\xBB\xBF\xC0\x80x", "??x"},                             // overlong lead
      {"\xEF\xBB\xBF\xE0\x80\x80x", "??x"},                         // overlong 3-byte form
      {"\xEF\xBB\xBF\xED\xA0\x80x", "??x"},                         // surrogate
      {"\xEF\xBB\xBF\xF4\x90\x80\x80x", "???x"},                    // beyond U+10FFFF
      {"\xEF\xBB\xBF\xF8\x88x", "??x"},                             // no such lead
      {"\xEF\xBB\xBFk=\xF0x", "k=?"},                               // cut off by the end
      {"\xFF\xFEk\0=\0\x3D\xD8\0\xDE\x00\x01!"s, "k=???"},          // pair, then U+0100
      {"\xFF\xFEk\0="s, "k"},                                       // odd last byte
      {"\xFE\xFF\0k\x20\xAC"s, "k\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileText(c.in), c.out) << "input " << ::testing::PrintToString(c.in);
  }
}

// The search the Windows build uses for section headers answers as memchr
// does: for every length, start alignment and place of the byte sought,
// none, once or twice, among neighbours that differ from it by one or in
// the high bit only (a word-wise test that borrows across bytes would take
// them for it).
TEST(IniFileTest, WordwiseByteSearchAnswersAsMemchr) {
  for (const char sought : {'[', '\0', '\x80', '\xff'}) {
    const char near[] = {static_cast<char>(sought ^ 0x80), static_cast<char>(sought + 1),
                         static_cast<char>(sought - 1), 'x'};
    for (std::size_t size = 0; size <= 40; ++size) {
      for (std::size_t offset = 0; offset < 4; ++offset) {
        std::string text(offset + size, 'x');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = near[i % 4];
        const char* data = text.data() + offset;
        for (std::size_t at = 0; at <= size; ++at) {  // at == size: absent
          std::string copy = text;
          char* place = copy.data() + offset;
          if (at < size) place[at] = sought;
          if (at + 5 < size) place[at + 5] = sought;
          const void* want = std::memchr(place, static_cast<unsigned char>(sought), size);
          ASSERT_EQ(FindByteWordwise(place, size, sought), want)
              << "sought " << int(static_cast<unsigned char>(sought)) << " size " << size
              << " offset " << offset << " at " << at;
        }
        EXPECT_EQ(FindByteWordwise(data, size, sought),
                  std::memchr(data, static_cast<unsigned char>(sought), size));
      }
    }
  }
}

TEST(IniFileTest, AtolReadsLikeTheCLibrary) {
  EXPECT_EQ(ParseAtol("-5"), -5);
  EXPECT_EQ(ParseAtol("  +42"), 42);
  EXPECT_EQ(ParseAtol("12abc"), 12);
  EXPECT_EQ(ParseAtol("abc"), 0);
  EXPECT_EQ(ParseAtol("0x10"), 0);
  EXPECT_EQ(ParseAtol(""), 0);
  EXPECT_EQ(ParseAtol("- 5"), 0);
  EXPECT_EQ(ParseAtol("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseAtol("-99999999999999999999"), INT32_MIN);
  EXPECT_EQ(ParseAtol("-2147483648"), INT32_MIN);
}

TEST(IniFileTest, NumbersAreReadAfterTheCut) {
  IniFile file("[A]\nn=123456\nq=\"77\"\n");
  EXPECT_EQ(file.GetNumber("A", "n", 3), 123);
  EXPECT_EQ(file.GetNumber("A", "q", 9), 77);
  EXPECT_EQ(file.GetNumber("A", "missing", 9), 0);
}

// A walk over numbered keys visits exactly those that a lookup of each
// number would find.
TEST(IniFileTest, NumberedKeysAreThoseALookupWouldFind) {
  const IniFile file(
      "[DEVICENAME]\nDEVICENAME1=a\n devicename3 = b\nDEVICENAME03=leading zero\nDEVICENAME+4=sign\n"
      "DEVICENAME5\nDEVICENAME6=\nDEVICENAME7=first\nDEVICENAME7=second\nDEVICENAME9999999999=x\n"
      "DEVICENAME2147483647=last\nDEVICENAMEX=x\n"
      "[SUPPORTED-USB-DEVICE]\n0=USB_A_1\n2=USB_B_1\nPRNCOUNT=3\n");
  EXPECT_EQ(file.NumberedKeys("devicename", "DEVICENAME", 1, 2147483647),
            (std::vector<std::int32_t>{1, 3, 6, 7, 2147483647}));
  EXPECT_EQ(file.NumberedKeys("DEVICENAME", "DEVICENAME", 2, 6), (std::vector<std::int32_t>{3, 6}));
  EXPECT_EQ(file.NumberedKeys("SUPPORTED-USB-DEVICE", "", 0, 2), (std::vector<std::int32_t>{0, 2}));
  EXPECT_TRUE(file.NumberedKeys("missing", "", 0, 100).empty());
  // The same answers key by key.
  for (std::int32_t n = 0; n <= 12; ++n) {
    const bool listed = file.Find("DEVICENAME", "DEVICENAME" + std::to_string(n)).has_value();
    const auto numbers = file.NumberedKeys("DEVICENAME", "DEVICENAME", 0, 12);
    EXPECT_EQ(listed, std::count(numbers.begin(), numbers.end(), n) == 1) << n;
  }
}

TEST(IniFileTest, HostileInputGivesDefaultsWithoutCrashing) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
  IniFile binary(garbage);
  EXPECT_EQ(binary.GetString("A", "k", 199), "0");

  std::string huge = "[A]\nk=" + std::string(1 << 20, 'x') + "\n";
  IniFile longLine(huge);
  EXPECT_EQ(longLine.GetString("A", "k", 199), std::string(199, 'x'));

  IniFile empty("");
  EXPECT_EQ(empty.GetString("A", "k", 199), "0");
  EXPECT_EQ(IniFile("[").GetString("[", "", 5), "0");
  EXPECT_EQ(IniFile("[A]\n=").GetString("A", "", 5), "");
}

// Thousands of sections and keys, as a large distribution has: every key is
// found through the tables, in any letter case, and the first of a name wins.
TEST(IniFileTest, LargeFileFindsEveryKeyAndTheFirstOfEachName) {
  std::string text;
  for (int s = 0; s < 3000; ++s) {
    text += "[Model-" + std::to_string(s) + ".PORT]\r\n";
    for (int k = 0; k < 4; ++k) text += "Key" + std::to_string(k) + "=" + std::to_string(s * 10 + k) + "\r\n";
    text += "key0=second\r\n";
  }
  text += "[MODEL-7.port]\r\nKey1=from the second section\r\nExtra=1\r\n";
  // One long section, as the model list is, with a key given twice.
  text += "[DEVICENAME]\r\n";
  for (int n = 1; n <= 2500; ++n) text += "DEVICENAME" + std::to_string(n) + "=M" + std::to_string(n) + "\r\n";
  text += "devicename17=again\r\nNoValue\r\n";
  const IniFile file(text);
  EXPECT_EQ(file.SectionCount(), 3003u);
  for (int n = 1; n <= 2500; n += 13) {
    EXPECT_EQ(file.GetString("devicename", "DeviceName" + std::to_string(n), 199), "M" + std::to_string(n));
  }
  EXPECT_EQ(file.GetString("DEVICENAME", "DEVICENAME17", 199), "M17");
  EXPECT_EQ(file.GetString("DEVICENAME", "DEVICENAME2501", 199), "0");
  EXPECT_EQ(file.Find("DEVICENAME", "NoValue"), std::nullopt);
  for (int s = 0; s < 3000; s += 7) {
    const std::string section = "model-" + std::to_string(s) + ".Port";
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(file.GetString(section, "KEY" + std::to_string(k), 199), std::to_string(s * 10 + k))
          << section << " key " << k;
    }
    EXPECT_EQ(file.GetString(section, "Key4", 199), "0");
  }
  EXPECT_EQ(file.GetString("Model-7.PORT", "Key1", 199), "71");
  EXPECT_EQ(file.GetString("Model-7.PORT", "Extra", 199), "0");
  EXPECT_EQ(file.GetString("Model-3000.PORT", "Key0", 199), "0");
}

// A parse refers to its own text: copies and moves of a file, short or
// long, read the same.
TEST(IniFileTest, CopiesAndMovesKeepTheirValues) {
  IniFile shortFile("[A]\nk=v\n");
  IniFile longFile("[Section]\nkey=" + std::string(300, 'x') + "\n");
  IniFile copied = shortFile;
  IniFile moved = std::move(longFile);
  shortFile = IniFile("[A]\nk=other\n");
  EXPECT_EQ(copied.GetString("A", "k", 199), "v");
  EXPECT_EQ(moved.GetString("section", "KEY", 400), std::string(300, 'x'));
  EXPECT_EQ(shortFile.GetString("A", "k", 199), "other");
}

// Lookups that go back and forth between sections, repeated ones among
// them, each find what the first section of the name holds; the text
// readers agree with one another.
TEST(IniFileTest, LookupsInTurnFindTheFirstSectionOfEachName) {
  const IniFile file("[A]\nk=a1\n[B]\nk=b\n[a]\nk=a2\nj=only-second\n[ b ]\nk=b2\n[C]\nk=\"q\"\n");
  const char* turns[][3] = {{"A", "k", "a1"}, {"B", "k", "b"},  {"a", "j", "0"},  {" A ", "k", "a1"},
                            {"b", "k", "b"},  {"C", "k", "q"},  {"B", "k", "b"},  {"A", "j", "0"},
                            {"D", "k", "0"},  {"A", "k", "a1"}, {"", "k", "0"},   {"c", "K", "q"}};
  for (const auto& [section, key, expected] : turns) {
    EXPECT_EQ(file.GetString(section, key, 199), expected) << section << " " << key;
    EXPECT_EQ(file.GetView(section, key, 199), expected) << section << " " << key;
    EXPECT_EQ(file.GetNumber(section, key, 199), 0);
  }
  EXPECT_EQ(file.GetView("C", "k", 0), "");
  EXPECT_EQ(file.GetView("C", "none", 1, "fallback"), "f");
}

// The corpus and case list of the comparison with the host (tests/ini/):
// every query against every file, so the sanitizer builds see all the odd
// inputs, and the documented answers where the host under Wine departs.
struct CorpusQuery {
  std::string file, section, key;
  std::size_t limit = 0;
  bool departure = false;
  std::string expected;
};

// A field of the case list: \xHH, \t, \s and \\ escapes; "" is empty.
bool DecodeField(const std::string& in, std::string& out) {
  out.clear();
  if (in == "\"\"") return true;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    if (i + 1 >= in.size()) return false;
    char kind = in[++i];
    if (kind == 's') {
      out += ' ';
    } else if (kind == 't') {
      out += '\t';
    } else if (kind == '\\') {
      out += '\\';
    } else if (kind == 'x' && i + 2 < in.size()) {
      out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<CorpusQuery> ReadCaseList(const std::string& path) {
  std::vector<CorpusQuery> queries;
  std::ifstream in(path);
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::istringstream fields(line);
    std::string file, section, key, limit, mark, expected;
    if (!(fields >> file) || file[0] == '#') continue;
    CorpusQuery q;
    bool ok = static_cast<bool>(fields >> section >> key >> limit) && DecodeField(file, q.file) &&
              DecodeField(section, q.section) && DecodeField(key, q.key);
    if (ok) q.limit = std::stoul(limit);
    if (ok && fields >> mark) {
      q.departure = true;
      ok = mark == "departure" && fields >> expected && DecodeField(expected, q.expected);
    }
    EXPECT_TRUE(ok) << path << ":" << lineNumber << ": " << line;
    if (ok) queries.push_back(q);
  }
  return queries;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(IniCorpusTest, EveryQueryOnEveryFileKeepsTheLimitAndTheDocumentedAnswers) {
  const std::filesystem::path dir = SETWELL_INI_TESTS_DIR;
  const std::vector<CorpusQuery> queries = ReadCaseList((dir / "cases.txt").string());
  ASSERT_GE(queries.size(), 30u);

  std::size_t files = 0, departures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "corpus")) {
    ++files;
    const std::string name = entry.path().filename().string();
    const IniFile ini(ReadBytes(entry.path()));
    for (const CorpusQuery& q : queries) {
      const std::string value = ini.GetString(q.section, q.key, q.limit);
      EXPECT_LE(value.size(), q.limit) << name << " [" << q.section << "] " << q.key;
      EXPECT_EQ(value.find_first_of("\r\n"), std::string::npos) << name << " " << q.key;
      EXPECT_EQ(ini.GetNumber(q.section, q.key, q.limit), ParseAtol(value));
      if (q.departure && EqualsNoCase(q.file, name)) {
        EXPECT_EQ(value, q.expected) << name << " [" << q.section << "] " << q.key << " " << q.limit;
        ++departures;
      }
    }
  }
  EXPECT_GE(files, 30u);
  EXPECT_EQ(departures, static_cast<std::size_t>(std::count_if(
                            queries.begin(), queries.end(), [](const CorpusQuery& q) { return q.departure; })));
}

// The parsed files shared by every reader of the program.
class ProfileCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProfileCache::Shared().Clear();
    ProfileCache::Shared().SetParseObserver([this](const std::string& path) { parsed.push_back(path); });
  }
  void TearDown() override { ProfileCache::Shared().SetParseObserver(nullptr); }

  sim::SimMachine machine;
  std::vector<std::string> parsed;
};

TEST_F(ProfileCacheTest, ReadersShareOneParseWhateverTheLetterCase) {
  machine.files.WriteFile("D:\\CFG\\setup.ini", "[A]\nk=1\n");
  IniFileSet first(machine), second(machine);
  EXPECT_EQ(first.GetString("D:\\CFG\\setup.ini", "A", "k", 9), "1");
  EXPECT_EQ(second.GetString("d:\\cfg\\SETUP.INI", "A", "k", 9), "1");
  first.Refresh();
  EXPECT_EQ(first.GetString("D:\\CFG\\setup.ini", "A", "k", 9), "1");
  EXPECT_EQ(parsed, std::vector<std::string>{"D:\\CFG\\setup.ini"});
}

TEST_F(ProfileCacheTest, AnEditedFileIsParsedAfreshOnTheNextLook) {
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=1\n");
  IniFileSet reader(machine);
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "1");
  // Same size, other bytes: only the contents tell.
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=2\n");
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "1") << "no look between reads";
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "2");
  IniFileSet later(machine);
  EXPECT_EQ(later.GetString("D:\\setup.ini", "A", "k", 9), "2");
  EXPECT_EQ(parsed.size(), 2u);

  // A file that goes away reads as missing; one that comes back is read.
  machine.files.Remove("D:\\setup.ini");
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "0");
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=2\n");
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "2");
}

// Where the host keeps no record of its files (the simulated machine), a
// look that fails reads as a missing file, even with the parse kept; the
// next look that succeeds reads it again. (The Windows build keeps records:
// see AHeldFileWithASettledUnchangedRecordReadsAsItWas.)
TEST_F(ProfileCacheTest, WithoutARecordAFailedLookReadsAsMissingUntilTheFileCanBeReadAgain) {
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=1\n");
  IniFileSet reader(machine);
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "1");
  machine.faults.FailAlways("ReadWholeFile", ERROR_SHARING_VIOLATION);
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "0");
  machine.faults.Clear();
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\setup.ini", "A", "k", 9), "1");
  EXPECT_EQ(parsed.size(), 2u);
}

// A Unicode file is compared by its own bytes, not by the text it reads as.
TEST_F(ProfileCacheTest, AUnicodeFileIsComparedByItsBytes) {
  machine.files.WriteFile("D:\\u.ini", "\xEF\xBB\xBF[A]\nk=\xC3\xA9\n");
  IniFileSet reader(machine);
  EXPECT_EQ(reader.GetString("D:\\u.ini", "A", "k", 9), "\xE9");
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\u.ini", "A", "k", 9), "\xE9");
  EXPECT_EQ(parsed.size(), 1u);
  // The same text in ANSI is another file.
  machine.files.WriteFile("D:\\u.ini", "[A]\nk=\xE9\n");
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\u.ini", "A", "k", 9), "\xE9");
  EXPECT_EQ(parsed.size(), 2u);
}

// A simulated machine whose file system keeps records of its files, set by
// the test, and which counts the looks that read a file.
class StampingMachine : public sim::SimMachine {
 public:
  bool GetFileStamp(const char* path, FileStamp& stamp) override {
    auto found = stamps.find(path);
    if (found == stamps.end()) return false;
    stamp = found->second;
    return true;
  }
  bool ReadWholeFile(const char* path, std::string& contents) override {
    ++reads;
    return SimMachine::ReadWholeFile(path, contents);
  }
  FileLook ReadWholeFileUnlessSame(const char* path, std::string_view known,
                                   std::string& contents) override {
    ++reads;
    return SimMachine::ReadWholeFileUnlessSame(path, known, contents);
  }
  std::map<std::string, FileStamp> stamps;
  int reads = 0;
};

// The Windows build's behaviour for a file another program holds open
// without sharing: read as it was while its settled record is the one it
// was read with, as missing once the record changes (or when it was never
// read), read again once it is released.
TEST_F(ProfileCacheTest, AHeldFileWithASettledUnchangedRecordReadsAsItWas) {
  StampingMachine host;
  const std::string path = "D:\\setup.ini";
  host.files.WriteFile(path, "[A]\nk=1\n");
  host.stamps[path] = {8, 1000, true};
  IniFileSet reader(host);
  auto look = [&] {
    reader.Refresh();
    return reader.GetString(path, "A", "k", 9);
  };
  EXPECT_EQ(look(), "1");
  host.faults.FailAlways("ReadWholeFile", ERROR_SHARING_VIOLATION);
  EXPECT_EQ(look(), "1") << "held, unchanged and settled";
  host.stamps[path] = {8, 2000, true};
  EXPECT_EQ(look(), "0") << "held and changed: the bytes are not known";
  host.faults.Clear();
  host.files.WriteFile(path, "[A]\nk=2\n");
  EXPECT_EQ(look(), "2");

  // Held before it was ever read: missing, as the host's reader has it.
  const std::string other = "D:\\other.ini";
  host.files.WriteFile(other, "[A]\nk=5\n");
  host.stamps[other] = {8, 1000, true};
  host.faults.FailAlways("ReadWholeFile", ERROR_SHARING_VIOLATION);
  EXPECT_EQ(reader.GetString(other, "A", "k", 9), "0");
  host.faults.Clear();
}

// A settled record that has not changed spares the read; any other record
// (changed, too recent to tell, or none) has the file read and compared.
TEST_F(ProfileCacheTest, ASettledUnchangedRecordSparesTheRead) {
  StampingMachine host;
  const std::string path = "D:\\setup.ini";
  host.files.WriteFile(path, "[A]\nk=1\n");
  host.stamps[path] = {8, 1000, true};
  IniFileSet reader(host);
  auto look = [&] {
    reader.Refresh();
    return reader.GetString(path, "A", "k", 9);
  };
  EXPECT_EQ(look(), "1");
  EXPECT_EQ(look(), "1");
  EXPECT_EQ(host.reads, 1) << "the record was the same";

  // An edit the record shows is read.
  host.files.WriteFile(path, "[A]\nk=2\n");
  host.stamps[path] = {8, 2000, true};
  EXPECT_EQ(look(), "2");
  EXPECT_EQ(host.reads, 2);

  // A record too recent to tell has the contents compared, however often it
  // stays the same; settled again, it spares the read once it has been
  // taken with a look.
  host.stamps[path] = {8, 3000, false};
  host.files.WriteFile(path, "[A]\nk=3\n");
  EXPECT_EQ(look(), "3");
  host.files.WriteFile(path, "[A]\nk=4\n");
  EXPECT_EQ(look(), "4") << "same unsettled record, other contents";
  EXPECT_EQ(host.reads, 4);
  host.stamps[path].settled = true;
  EXPECT_EQ(look(), "4");
  EXPECT_EQ(look(), "4");
  EXPECT_EQ(host.reads, 5);

  // Without a record every look reads.
  host.stamps.clear();
  EXPECT_EQ(look(), "4");
  EXPECT_EQ(look(), "4");
  EXPECT_EQ(host.reads, 7);
  EXPECT_EQ(parsed.size(), 4u);
}

// A record taken from one file says nothing of a file read under another
// name, nor of a parse dropped because the file went away.
TEST_F(ProfileCacheTest, ARecordBelongsToTheFileItWasTakenWith) {
  StampingMachine host;
  host.files.WriteFile("D:\\a.ini", "[A]\nk=a\n");
  host.files.WriteFile("D:\\b.ini", "[A]\nk=b\n");
  host.stamps["D:\\a.ini"] = {8, 1000, true};
  host.stamps["D:\\b.ini"] = {8, 1000, true};
  IniFileSet reader(host);
  EXPECT_EQ(reader.GetString("D:\\a.ini", "A", "k", 9), "a");
  EXPECT_EQ(reader.GetString("D:\\b.ini", "A", "k", 9), "b");

  host.files.Remove("D:\\a.ini");
  host.stamps.erase("D:\\a.ini");
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\a.ini", "A", "k", 9), "0");
  // Back with a record like the old one, and other contents.
  host.files.WriteFile("D:\\a.ini", "[A]\nk=c\n");
  host.stamps["D:\\a.ini"] = {8, 1000, true};
  reader.Refresh();
  EXPECT_EQ(reader.GetString("D:\\a.ini", "A", "k", 9), "c");
}

// The parse a reader holds stays valid while another reader replaces the
// shared one.
TEST_F(ProfileCacheTest, AReplacedParseLivesOnWithItsReader) {
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=old\n");
  IniFileSet holder(machine);
  const IniFile& held = holder.Get("D:\\setup.ini");
  machine.files.WriteFile("D:\\setup.ini", "[A]\nk=newer\n");
  IniFileSet other(machine);
  EXPECT_EQ(other.GetString("D:\\setup.ini", "A", "k", 9), "newer");
  EXPECT_EQ(held.GetString("A", "k", 9), "old");
}

}  // namespace
}  // namespace setwell
