#include "config/IniFile.h"

#include <gtest/gtest.h>

#include <string>

namespace setwell {
namespace {

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
        ReadCase{"no_final_newline", "[A]\nk=v", "A", "k", 199, "v"},
        ReadCase{"comment_is_a_key", "[A]\n;k=v\n", "A", "k", 199, "0"},
        ReadCase{"equals_in_value", "[A]\nk=a=b\n", "A", "k", 199, "a=b"},
        ReadCase{"nul_ends_value", std::string("[A]\nk=ab\0cd\nj=2\n", 16), "A", "k", 199, "ab"},
        ReadCase{"text_after_bracket", "[A] trailing\nk=v\n", "A", "k", 199, "v"},
        ReadCase{"open_bracket_only", "[A\nk=v\n", "", "k", 199, "v"},
        ReadCase{"utf8_bom", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", 199, "v"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace setwell
