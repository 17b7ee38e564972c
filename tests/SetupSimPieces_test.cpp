// The pieces of setup-sim on their own: keys out of terminal bytes, the
// agreement's words out of its rich text, registry values as the report
// shows them, and the machine folder replaced as a whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "resources/Texts.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_sim/InstallReport.h"
#include "tools/setup_sim/Keys.h"
#include "tools/setup_sim/MachineFolder.h"
#include "script/RichText.h"

namespace setwell {
namespace {

using term::CharKey;
using term::CodeKey;
using term::Key;
using term::KeyCode;

struct DecodeCase {
  const char* bytes;
  bool final;  // nothing more is coming
  std::vector<Key> keys;
};

// xterm, the Linux console, tmux and screen send these.
const DecodeCase kDecodeCases[] = {
    {"a\t\r", false, {CharKey('a'), CodeKey(KeyCode::kTab), CodeKey(KeyCode::kEnter)}},
    {"\x1b[A\x1b[B\x1b[C\x1b[D",
     false,
     {CodeKey(KeyCode::kUp), CodeKey(KeyCode::kDown), CodeKey(KeyCode::kRight),
      CodeKey(KeyCode::kLeft)}},
    {"\x1bOA\x1bOP\x1b[11~\x1b[[A",
     false,
     {CodeKey(KeyCode::kUp), CodeKey(KeyCode::kF1), CodeKey(KeyCode::kF1), CodeKey(KeyCode::kF1)}},
    {"\x1b[Z\x1b[5~\x1b[6~\x1b[1~\x1b[4~\x1b[H\x1b[F",
     false,
     {CodeKey(KeyCode::kBackTab), CodeKey(KeyCode::kPageUp), CodeKey(KeyCode::kPageDown),
      CodeKey(KeyCode::kHome), CodeKey(KeyCode::kEnd), CodeKey(KeyCode::kHome),
      CodeKey(KeyCode::kEnd)}},
    // Alt: ESC before the key, or the modifier parameter 3.
    {"\x1bn\x1b \x1b[1;3B\x1b\x1b[B\x1b[14;3~",
     false,
     {CharKey('n', true), CharKey(' ', true), CodeKey(KeyCode::kDown, true),
      CodeKey(KeyCode::kDown, true), CodeKey(KeyCode::kF4, true)}},
    // A lone escape waits for what may follow, and is Escape when nothing does.
    {"\x1b", false, {}},
    {"\x1b", true, {CodeKey(KeyCode::kEscape)}},
    {"\x1b[", false, {}},
    {"\x1b[1;", true, {CodeKey(KeyCode::kUnknown)}},
    {"\x7f\x0c\x03",
     false,
     {CodeKey(KeyCode::kBackspace), CodeKey(KeyCode::kRedraw), CodeKey(KeyCode::kUnknown)}},
    // A UTF-8 character is one unknown key, not two.
    {"\xC3\xA9x", false, {CodeKey(KeyCode::kUnknown), CharKey('x')}},
};

TEST(KeyDecoder, TurnsTerminalBytesIntoKeys) {
  for (const DecodeCase& c : kDecodeCases) {
    term::KeyDecoder decoder;
    decoder.Feed(c.bytes);
    std::vector<Key> keys;
    while (std::optional<Key> key = decoder.Next(c.final)) keys.push_back(*key);
    ASSERT_EQ(keys.size(), c.keys.size()) << testing::PrintToString(std::string(c.bytes));
    for (std::size_t i = 0; i < keys.size(); ++i) {
      EXPECT_EQ(keys[i], c.keys[i]) << testing::PrintToString(std::string(c.bytes)) << " key " << i;
    }
  }
}

TEST(KeyDecoder, SequenceSplitAcrossReadsWaitsForItsEnd) {
  term::KeyDecoder decoder;
  decoder.Feed("\x1b[1");
  EXPECT_FALSE(decoder.Next(false).has_value());
  decoder.Feed(";3A");
  EXPECT_EQ(decoder.Next(false), CodeKey(KeyCode::kUp, true));
  EXPECT_TRUE(decoder.Empty());
}

TEST(RichText, PlainWordsOfTheAgreement) {
  const std::string text = term::RtfToText(
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator x;}\\pard{\\b Title}\\par\n"
      "caf\\'e9 \\{a\\}\\tab b\\\\c\\par\\par end}");
  EXPECT_EQ(text, "Title\ncaf\xE9 {a} b\\c\n\nend");
  EXPECT_EQ(term::RtfToText("plain text"), "plain text");
  // The program's own agreement: no control word or table survives.
  const std::string agreement = term::RtfToText(kLicenceAgreementRtf);
  EXPECT_EQ(agreement.rfind("SETWELL PRINTER DRIVER SOFTWARE LICENCE AGREEMENT\n\n", 0), 0u);
  EXPECT_EQ(agreement.find('\\'), std::string::npos);
  EXPECT_EQ(agreement.find("Arial"), std::string::npos);
}

TEST(RichText, WrapsAtBlanksWithinTheWidth) {
  EXPECT_EQ(term::WrapText("one two three four", 9),
            (std::vector<std::string>{"one two", "three", "four"}));
  EXPECT_EQ(term::WrapText("a\n\nbb", 5), (std::vector<std::string>{"a", "", "bb"}));
  // A word longer than the width is cut.
  EXPECT_EQ(term::WrapText("abcdefgh ij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  for (const std::string& line : term::WrapText(term::RtfToText(kLicenceAgreementRtf), 40)) {
    EXPECT_LE(line.size(), 40u) << line;
  }
}

TEST(InstallReport, RegistryValuesAsTheReportShowsThem) {
  struct Case {
    DWORD type;
    std::string data;
    const char* shown;
  };
  const Case cases[] = {
      {REG_SZ, std::string("9600,n,8,1\0", 11), "\"9600,n,8,1\""},
      {REG_DWORD, std::string("\xff\0\0\0", 4), "dword:000000ff (255)"},
      {REG_DWORD, std::string("\x01\x02", 2), "hex(4):01,02"},  // not a whole DWORD
      {REG_MULTI_SZ, std::string("a\0bc\0\0", 6), "multi:\"a\",\"bc\""},
      {REG_NONE, std::string("\x1c\0", 2), "hex(0):1c,00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(term::FormatRegistryValue(sim::RegValue{"v", c.type, c.data}), c.shown);
  }
}

TEST(InstallReport, LongPathsWrapAtTheirSeparators) {
  const std::string path =
      "    C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\SWUNIUI5.DLL  57 bytes  from "
      "D:\\winnt\\SWUNIUI5.DLL";
  const std::string wrapped = term::WrapAtSeparators(path, 40, 8);
  std::vector<std::string> lines;
  std::string line;
  for (char c : wrapped + "\n") {
    if (c != '\n') {
      line += c;
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  ASSERT_GT(lines.size(), 1u);
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 40u) << lines[i];
    if (i + 1 < lines.size()) {
      // Each piece ends after a separator or a blank, never inside a name.
      EXPECT_TRUE(lines[i].back() == '\\' || lines[i].back() == ' ') << lines[i];
    }
    if (i > 0) {
      EXPECT_EQ(lines[i].substr(0, 8), std::string(8, ' '));
      joined += lines[i].substr(8);
    } else {
      joined += lines[i];
    }
  }
  EXPECT_EQ(joined, path) << "nothing lost or added but the breaks";
  EXPECT_EQ(term::WrapAtSeparators("short", 40, 8), "short");
}

TEST(MachineFolder, SavingReplacesTheOldMachineWhole) {
  testing_support::TempDir scratch;
  const std::string folder = scratch / "machine";
  EXPECT_EQ(term::InspectMachineFolder(folder), term::MachineFolderState::kAbsent);

  sim::SimMachine first(sim::kWin2000);
  std::string error;
  ASSERT_TRUE(term::SaveMachineAtomically(first, folder, error)) << error;
  EXPECT_EQ(term::InspectMachineFolder(folder), term::MachineFolderState::kMachine);
  // Something of the old state that the new one does not have.
  testing_support::WriteText(folder + "/drives/C/stale.txt", "old");

  sim::SimMachine second(sim::kWinXP);
  second.files.WriteFile("C:\\fresh.txt", "new");
  ASSERT_TRUE(term::SaveMachineAtomically(second, folder, error)) << error;
  sim::SimMachine loaded;
  ASSERT_TRUE(loaded.Load(folder, &error)) << error;
  EXPECT_TRUE(loaded == second);
  EXPECT_FALSE(std::filesystem::exists(folder + "/drives/C/stale.txt"));
  // Nothing is left beside it.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.path()))
    ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(MachineFolder, EmptyFolderIsNewAndOtherFoldersAreNotMachines) {
  testing_support::TempDir scratch;
  std::filesystem::create_directory(scratch / "empty");
  EXPECT_EQ(term::InspectMachineFolder(scratch / "empty"), term::MachineFolderState::kAbsent);
  sim::SimMachine machine;
  std::string error;
  ASSERT_TRUE(term::SaveMachineAtomically(machine, scratch / "empty", error)) << error;
  EXPECT_EQ(term::InspectMachineFolder(scratch / "empty"), term::MachineFolderState::kMachine);

  std::filesystem::create_directory(scratch / "other");
  testing_support::WriteText(scratch / "other/machine.txt", "half a machine");
  EXPECT_EQ(term::InspectMachineFolder(scratch / "other"), term::MachineFolderState::kForeign);
  testing_support::WriteText(scratch / "file", "x");
  EXPECT_EQ(term::InspectMachineFolder(scratch / "file"), term::MachineFolderState::kNotFolder);
}

}  // namespace
}  // namespace setwell
