#include "sim/SimRegistry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace setwell::sim {
namespace {

TEST(SimRegistryTest, WritesTheTreeAsRegedit4) {
  SimRegistry registry;
  registry.SetDword("SOFTWARE\\TALVORN\\PRINTERPORT", "D1", 0);
  registry.SetDword("SOFTWARE\\TALVORN\\PRINTERPORT", "USB_KP-200_1", 255);
  registry.SetString("SYSTEM\\Monitors\\Setwell \"USB\"", "Driver", "C:\\x\\nusbmon.dll");
  registry.SetValue("SYSTEM\\Monitors\\Setwell \"USB\"", "", REG_SZ, std::string("default\0", 8));
  registry.SetValue("Ports\\0000", "DCB", REG_NONE, std::string("\x1c\0\0\0", 4));
  registry.SetValue("Ports\\0000", "Sub", REG_BINARY, std::string("\x01", 1));
  registry.SetValue("Ports\\0000", "Cut", REG_SZ, "no terminator");
  EXPECT_EQ(registry.ToRegedit4(),
            "REGEDIT4\n"
            "\n[HKEY_LOCAL_MACHINE\\Ports]\n"
            "\n[HKEY_LOCAL_MACHINE\\Ports\\0000]\n"
            "\"DCB\"=hex(0):1c,00,00,00\n"
            "\"Sub\"=hex:01\n"
            "\"Cut\"=hex(1):6e,6f,20,74,65,72,6d,69,6e,61,74,6f,72\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVORN]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TALVORN\\PRINTERPORT]\n"
            "\"D1\"=dword:00000000\n"
            "\"USB_KP-200_1\"=dword:000000ff\n"
            "\n[HKEY_LOCAL_MACHINE\\SYSTEM]\n"
            "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Monitors]\n"
            "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Monitors\\Setwell \"USB\"]\n"
            "\"Driver\"=\"C:\\\\x\\\\nusbmon.dll\"\n"
            "@=\"default\"\n"
            "\n; end\n");
}

TEST(SimRegistryTest, Regedit4RoundTripsEveryKindOfValue) {
  SimRegistry registry;
  registry.CreateKey("SOFTWARE\\Empty\\Key");
  registry.SetString("A", "quote\"and\\slash", "va\"l\\ue");
  registry.SetValue("A", "long", REG_BINARY, std::string(100, '\xAB'));
  registry.SetValue("A", "multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  registry.SetValue("A", "empty", REG_SZ, "");
  registry.SetValue("A", "odd type", 0x1234, "\x01\x02");
  registry.SetValue("A", "eight-bit", REG_SZ, std::string("caf\xE9\0", 5));
  registry.SetValue("A", "line break", REG_SZ, std::string("a\nb\0", 4));
  registry.SetDword("A\\B", "n", 0xFFFFFFFF);
  const std::string text = registry.ToRegedit4();
  EXPECT_NE(text.find("\\\n  "), std::string::npos) << "long values wrap as regedit wraps them";

  SimRegistry back;
  std::string error;
  ASSERT_TRUE(back.FromRegedit4(text, &error)) << error;
  EXPECT_TRUE(back == registry);
  EXPECT_EQ(back.ToRegedit4(), text);
}

TEST(SimRegistryTest, ReadsWhatTheRegistryEditorWrites) {
  SimRegistry registry;
  std::string error;
  ASSERT_TRUE(registry.FromRegedit4(
      "REGEDIT4\r\n\r\n; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Setwell]\r\n"
      "\"Version\"=dword:0000000C\r\n"
      "\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n",
      &error))
      << error;
  DWORD version = 0;
  EXPECT_TRUE(registry.GetDword("SOFTWARE\\SETWELL", "version", version));
  EXPECT_EQ(version, 12u);
  EXPECT_EQ(registry.FindValue("Software\\Setwell", "Bytes")->data, std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(registry.SubKeys("software"), std::vector<std::string>{"Setwell"});
}

// Children whose names sort among the keys below a sibling ("b0", "b-1"
// before "b\\..."), each with keys of its own below, deep and shallow.
TEST(SimRegistryTest, ListsEachChildOnceInOrderWhateverLiesBelowIt) {
  SimRegistry registry;
  for (const char* key : {"Top\\b\\Ports\\USB001", "Top\\b\\Ports\\USB002", "Top\\B0",
                          "Top\\b-1\\x\\y\\z", "Top\\b0\\Inner", "Top\\a", "Top\\c\\d",
                          "Top\\b\\zz", "Topmost\\q", "Top!\\r"}) {
    registry.CreateKey(key);
  }
  for (int i = 0; i < 300; ++i) registry.CreateKey("Top\\b\\Ports\\LPT" + std::to_string(i));
  EXPECT_EQ(registry.SubKeys("TOP"), (std::vector<std::string>{"a", "b", "b-1", "B0", "c"}));
  EXPECT_EQ(registry.SubKeys("top\\b"), (std::vector<std::string>{"Ports", "zz"}));
  EXPECT_EQ(registry.SubKeys("top\\b\\ports").size(), 302u);
  EXPECT_EQ(registry.SubKeys("top\\b-1\\x"), std::vector<std::string>{"y"});
  EXPECT_TRUE(registry.SubKeys("top\\a").empty());
  EXPECT_TRUE(registry.SubKeys("nowhere").empty());
}

// A key of a few values and one of many (looked up by a table): either way
// a name in any case finds its value, a value set again keeps its place,
// and a deleted one takes no other with it.
TEST(SimRegistryTest, ValuesAreFoundByNameInAnyCaseHoweverManyAKeyHolds) {
  for (const int count : {4, 40}) {
    SimRegistry registry;
    for (int i = 0; i < count; ++i) registry.SetDword("Many", "Value" + std::to_string(i), i);
    registry.SetDword("many", "VALUE1", 100);
    for (int i = 0; i < count; i += 2) EXPECT_TRUE(registry.DeleteValue("MANY", "value" + std::to_string(i)));
    EXPECT_FALSE(registry.DeleteValue("Many", "Value0")) << count;
    const RegKey* key = registry.FindKey("Many");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), static_cast<std::size_t>(count / 2)) << count;
    for (std::size_t i = 0; i < key->values.size(); ++i) {
      EXPECT_EQ(key->values[i].name, "Value" + std::to_string(2 * i + 1)) << count;
    }
    DWORD value = 0;
    EXPECT_TRUE(registry.GetDword("Many", "vAlUe1", value));
    EXPECT_EQ(value, 100u);
    EXPECT_TRUE(registry.GetDword("Many", "VALUE" + std::to_string(count - 1), value)) << count;
    EXPECT_EQ(value, static_cast<DWORD>(count - 1));
    EXPECT_FALSE(registry.GetDword("Many", "Value2", value)) << count;
    registry.SetDword("Many", "value2", 7);
    EXPECT_EQ(registry.FindKey("Many")->values.back().name, "value2");
    EXPECT_EQ(registry.FindKey("Many")->values.size(), static_cast<std::size_t>(count / 2 + 1));
    // What a copy holds answers the same.
    const SimRegistry copy = registry;
    EXPECT_TRUE(copy.GetDword("MANY", "VALUE2", value));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(copy, registry);
  }
}

struct BadText {
  const char* name;
  const char* text;
  const char* line;
  friend void PrintTo(const BadText& c, std::ostream* os) { *os << c.name; }
};

class SimRegistryBadTextTest : public ::testing::TestWithParam<BadText> {};

TEST_P(SimRegistryBadTextTest, IsRefusedWithItsLineAndTheTreeKept) {
  SimRegistry registry;
  registry.SetDword("Kept", "v", 1);
  const SimRegistry before = registry;
  std::string error;
  EXPECT_FALSE(registry.FromRegedit4(GetParam().text, &error));
  EXPECT_EQ(error.rfind(GetParam().line, 0), 0u) << error;
  EXPECT_TRUE(registry == before);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SimRegistryBadTextTest,
    ::testing::Values(
        BadText{"NoHeader", "[HKEY_LOCAL_MACHINE\\A]\n", "line 1:"},
        BadText{"OtherHive", "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n", "line 3:"},
        BadText{"ValueBeforeKey", "REGEDIT4\n\"a\"=dword:00000001\n", "line 2:"},
        BadText{"ShortDword", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:1\n", "line 3:"},
        BadText{"BadHex", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:0g\n", "line 3:"},
        BadText{"ValueTwice",
                "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"1\"\n\"A\"=\"2\"\n", "line 4:"},
        BadText{"Deletion", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=-\n", "line 3:"}),
    [](const ::testing::TestParamInfo<BadText>& info) { return std::string(info.param.name); });

TEST(SimRegistryTest, KeysKeepTheCaseOfEachComponentAsFirstCreated) {
  SimRegistry registry;
  registry.CreateKey("SOFTWARE\\Talvorn");
  const RegKey& key = registry.CreateKey("software\\TALVORN\\PortName\\");
  EXPECT_EQ(key.path, "SOFTWARE\\Talvorn\\PortName");
  // Several made at once below one there is, and from the root, with their
  // parents: each listed by its parent, each in the case given first.
  EXPECT_EQ(registry.CreateKey("\\software\\talvorn\\PORTNAME\\Deep\\deeper\\Deepest").path,
            "SOFTWARE\\Talvorn\\PortName\\Deep\\deeper\\Deepest");
  EXPECT_EQ(registry.SubKeys("Software\\Talvorn\\PortName\\DEEP"), std::vector<std::string>{"deeper"});
  EXPECT_EQ(registry.CreateKey("Hardware\\\\Ports\\X").path, "Hardware\\Ports\\X");
  EXPECT_EQ(registry.FindKey("HARDWARE")->path, "Hardware");
  EXPECT_EQ(registry.FindKey("hardware\\ports")->path, "Hardware\\Ports");
  EXPECT_EQ(registry.Keys().size(), 9u);
  registry.DeleteKey("SOFTWARE\\TALVORN");
  EXPECT_FALSE(registry.KeyExists("software\\talvorn\\portname"));
  EXPECT_TRUE(registry.KeyExists("SOFTWARE"));
}

}  // namespace
}  // namespace setwell::sim
