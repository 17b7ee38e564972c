// What fuzzing the readers of outside input found (issue 17), one test for
// each finding, named after it. The inputs that found them are kept as
// regression inputs in fuzz/corpus/, which scripts/test runs the fuzz
// targets over.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/SimMachine.h"
#include "sim/SimRecordFile.h"
#include "sim/SimRegistry.h"
#include "sim/SimText.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_sim/Keys.h"
#include "tools/setup_sim/MachineFolder.h"

namespace setwell {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadText;
using testing_support::RunSetupSim;
using testing_support::TempDir;
using testing_support::WriteText;

// A machine saved by SimMachine::Save in scratch/name.
std::string SavedMachine(const TempDir& scratch, const std::string& name = "machine") {
  sim::SimMachine machine(sim::kWinXP);
  EXPECT_TRUE(machine.Save(scratch / name));
  return scratch / name;
}

// Loads folder into a fresh machine: the error, or "" when it loads.
std::string LoadError(const std::string& folder) {
  sim::SimMachine machine(sim::kWinXP);
  std::string error;
  return machine.Load(folder, &error) ? std::string() : error;
}

// Replaces the first `from` in a file of the folder.
void Edit(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = ReadText(path);
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from << " in " << path;
  text.replace(at, from.size(), to);
  WriteText(path, text);
}

// --- 1. setup-sim aborted on a folder where it reads a file ---------------------------

const char kGoodScript[] = "accept\nnext\nnext\nnext\nnext\nfinish\n";

TEST(FuzzFindings, SetupSimScriptThatIsAFolderIsRefusedNotAborted) {
  TempDir scratch;
  fs::create_directory(scratch / "script");
  const auto run = RunSetupSim({"--dist", testing_support::kDistribution, "--machine",
                                scratch / "machine", "--script", scratch / "script"},
                               scratch);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("--script"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("it is a folder"), std::string::npos) << run.err;
}

TEST(FuzzFindings, SetupSimMachineWithAFolderForOneOfItsFilesIsRefusedNotAborted) {
  for (const std::string file : {"usb.txt", "records.txt", "drives/C/WINDOWS/win.ini"}) {
    TempDir scratch;
    const std::string machine = SavedMachine(scratch);
    fs::remove(machine + "/" + file);
    fs::create_directories(machine + "/" + file);
    WriteText(scratch / "script.txt", kGoodScript);
    const auto tree = testing_support::ReadTree(machine);
    const auto run = RunSetupSim({"--dist", testing_support::kDistribution, "--machine", machine,
                                  "--script", scratch / "script.txt"},
                                 scratch);
    EXPECT_EQ(run.status, 2) << file << ": " << run.err;
    EXPECT_EQ(run.err.rfind("setup-sim: --machine", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(fs::path(file).filename().string()), std::string::npos) << run.err;
    EXPECT_EQ(testing_support::ReadTree(machine), tree) << file;
  }
}

TEST(FuzzFindings, MachineLoadOfAFolderWhereAFileShouldBeGivesTheReason) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  fs::remove(machine + "/records.txt");
  fs::create_directory(machine + "/records.txt");
  const std::string error = LoadError(machine);
  EXPECT_NE(error.find("records.txt"), std::string::npos) << error;
  EXPECT_NE(error.find("it is a folder"), std::string::npos) << error;
}

// --- 2. A machine that loads was saved into one that does not ----------------------------

TEST(FuzzFindings, RegistryKeyWithoutANameIsRefused) {
  sim::SimRegistry registry;
  std::string error;
  EXPECT_FALSE(registry.FromRegedit4("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\\\]\n", &error));
  EXPECT_EQ(error, "line 3: a key without a name");
  // Doubled separators inside a name are one, as before.
  ASSERT_TRUE(registry.FromRegedit4("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", &error))
      << error;
  EXPECT_TRUE(registry.KeyExists("A\\B"));
}

TEST(FuzzFindings, FaultCountBeyondAnIntIsRefusedNotWrapped) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  Edit(machine + "/records.txt", "[end]",
       "[fault CopyFileA]\nerror = 5\ntimes = 2147483648\n\n[end]");
  const std::string error = LoadError(machine);
  EXPECT_NE(error.find("records.txt: line"), std::string::npos) << error;
  EXPECT_NE(error.find("bad fault CopyFileA"), std::string::npos) << error;

  // The largest count loads, fires, and saves as it was.
  Edit(machine + "/records.txt", "2147483648", "2147483647");
  sim::SimMachine loaded;
  ASSERT_TRUE(loaded.Load(machine));
  ASSERT_EQ(loaded.faults.pending.size(), 1u);
  EXPECT_EQ(loaded.faults.pending[0].remaining, 2147483647);
  EXPECT_TRUE(loaded.faults.Take("CopyFileA").has_value());
  EXPECT_EQ(loaded.faults.pending[0].remaining, 2147483646);
  // A count of 0 would fire once.
  Edit(machine + "/records.txt", "2147483647", "0");
  EXPECT_NE(LoadError(machine).find("bad fault"), std::string::npos);
}

TEST(FuzzFindings, ServiceQueryCountBeyondAnIntIsRefusedNotWrapped) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  Edit(machine + "/spooler.txt", "start-after-queries = 0", "start-after-queries = 2147483648");
  EXPECT_NE(LoadError(machine).find("bad service Spooler"), std::string::npos);
  Edit(machine + "/spooler.txt", "2147483648", "2147483647");
  EXPECT_EQ(LoadError(machine), "");
}

// --- 3. Cut files loaded without a word -------------------------------------------------

TEST(FuzzFindings, MachineFileCutShortIsRefused) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  const std::string whole = ReadText(machine + "/machine.txt");
  WriteText(machine + "/machine.txt", whole.substr(0, 40));
  std::string error = LoadError(machine);
  EXPECT_NE(error.find("machine.txt: line"), std::string::npos) << error;
  EXPECT_NE(error.find("cut short"), std::string::npos) << error;
  // Without its [system] section the file is no machine's, [end] or not.
  WriteText(machine + "/machine.txt", "[program]\n\n[restart]\nrefusal = 0\n\n[end]\n");
  EXPECT_EQ(LoadError(machine), "machine.txt: no [system] section");
}

TEST(FuzzFindings, EmptyFilesListIsRefused) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  WriteText(machine + "/files.txt", "");
  const std::string error = LoadError(machine);
  EXPECT_NE(error.find("files.txt: line"), std::string::npos) << error;
  EXPECT_NE(error.find("cut short"), std::string::npos) << error;
}

TEST(FuzzFindings, EveryMachineFileCutInTheMiddleIsRefused) {
  for (const char* file : {"machine.txt", "spooler.txt", "usb.txt", "records.txt", "files.txt",
                           "registry.reg"}) {
    TempDir scratch;
    const std::string machine = SavedMachine(scratch);
    const std::string whole = ReadText(machine + "/" + file);
    WriteText(machine + "/" + file, whole.substr(0, whole.size() / 2));
    // Refused, naming the file: for being cut short, or for the line the
    // cut broke.
    const std::string error = LoadError(machine);
    EXPECT_NE(error.find(file), std::string::npos) << file << ": " << error;
    EXPECT_NE(error.find("line "), std::string::npos) << file << ": " << error;
  }
}

TEST(FuzzFindings, TextAfterTheEndLineIsRefused) {
  sim::SimRecordFile record;
  std::string error;
  EXPECT_FALSE(record.Parse("[clock]\nnow-ms = 0\n\n[end]\n[clock]\n", &error));
  EXPECT_EQ(error, "line 5: text after the [end] line");
  EXPECT_TRUE(record.Parse("[clock]\nnow-ms = 0\n\n[end]\n\n# a comment\n", &error)) << error;
  sim::SimRegistry registry;
  EXPECT_FALSE(registry.FromRegedit4("REGEDIT4\n\n; end\n[HKEY_LOCAL_MACHINE\\A]\n", &error));
  EXPECT_EQ(error, "line 4: text after the \"; end\" line");
}

// --- 4. Numbers -------------------------------------------------------------------------

TEST(FuzzFindings, NumberPastTheLargestIsRefusedNotReadAsZero) {
  EXPECT_EQ(sim::ParseNumber("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(sim::ParseNumber("18446744073709551616"), std::nullopt);
  EXPECT_EQ(sim::ParseNumber("18446744073709551620"), std::nullopt);
  EXPECT_EQ(sim::ParseNumber("99999999999999999999"), std::nullopt);
  EXPECT_EQ(sim::ParseNumber("0xffffffffffffffff"), UINT64_MAX);
  EXPECT_EQ(sim::ParseNumber("0x10000000000000000"), std::nullopt);
  EXPECT_EQ(sim::ParseSigned("-2147483648"), INT32_MIN);
  EXPECT_EQ(sim::ParseSigned("2147483648"), std::nullopt);
  EXPECT_EQ(sim::ParseSigned("-"), std::nullopt);
  EXPECT_EQ(sim::ParseSigned("--1"), std::nullopt);
}

TEST(FuzzFindings, RecordNumbersTooLargeForTheirFieldAreRefusedNotCut) {
  struct Case {
    const char* file;
    const char* from;
    const char* to;
  };
  const Case cases[] = {
      {"machine.txt", "version = 5.1", "version = 4294967301.1"},
      {"records.txt", "now-ms = 0", "now-ms = 0\nsleep = 4294967296"},
      {"usb.txt", "vendor-id = 0x", "vendor-id = 0x1"},
  };
  for (const Case& c : cases) {
    TempDir scratch;
    const std::string machine = SavedMachine(scratch);
    Edit(machine + "/" + c.file, c.from, c.to);
    const std::string error = LoadError(machine);
    EXPECT_NE(error.find(c.file), std::string::npos) << c.to << ": " << error;
    EXPECT_NE(error.find("line "), std::string::npos) << c.to << ": " << error;
  }
}

TEST(FuzzFindings, MessageBoxAnswerThatIsNoNumberIsRefused) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  Edit(machine + "/records.txt", "[end]",
       "[message-box]\ntext = x\ntype = 0x00000000\nanswer = one\n\n[end]");
  EXPECT_NE(LoadError(machine).find("bad message box"), std::string::npos);
}

// --- 5. The key decoder ---------------------------------------------------------------------

TEST(FuzzFindings, TwentyThousandEscapeBytesDecodeInLinearTime) {
  // Each escape byte once recursed and copied the rest of the buffer: 20,000
  // took 205 MB. Now ESC ESC is Alt-Escape, and a million take a moment.
  for (const std::size_t count : {std::size_t{20000}, std::size_t{1000000}}) {
    const auto start = std::chrono::steady_clock::now();
    term::KeyDecoder decoder;
    decoder.Feed(std::string(count, '\x1b'));
    std::size_t keys = 0;
    EXPECT_FALSE(decoder.Next(false) == std::nullopt);
    ++keys;
    while (decoder.Next(false)) ++keys;
    while (std::optional<term::Key> key = decoder.Next(true)) {
      EXPECT_EQ(key->code, term::KeyCode::kEscape);
      ++keys;
    }
    EXPECT_TRUE(decoder.Empty());
    EXPECT_EQ(keys, count / 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << count;
  }
}

TEST(FuzzFindings, EscapeBeforeAnAltKeyIsAltEscapeThenTheKey) {
  term::KeyDecoder decoder;
  decoder.Feed("\x1b\x1b\x1b[A\x1b\x1bx");
  EXPECT_EQ(decoder.Next(false), term::CodeKey(term::KeyCode::kEscape, true));
  EXPECT_EQ(decoder.Next(false), term::CodeKey(term::KeyCode::kUp));
  EXPECT_EQ(decoder.Next(false), term::CharKey('x', true));
  EXPECT_TRUE(decoder.Empty());
}

TEST(FuzzFindings, HugeKeyParameterDoesNotOverflow) {
  term::KeyDecoder decoder;
  decoder.Feed("\x1b[99999999999999999999~\x1b[1;99999999999A");
  EXPECT_EQ(decoder.Next(false), term::CodeKey(term::KeyCode::kUnknown));
  EXPECT_EQ(decoder.Next(false)->code, term::KeyCode::kUp);
  EXPECT_TRUE(decoder.Empty());
}

TEST(FuzzFindings, EndlessSequenceParametersAreOneUnknownKey) {
  // Parameter bytes with no final byte are not kept waiting for ever.
  term::KeyDecoder decoder;
  decoder.Feed("\x1b[" + std::string(100, '1'));
  EXPECT_EQ(decoder.Next(false), term::CodeKey(term::KeyCode::kUnknown));
  std::size_t rest = 0;
  while (std::optional<term::Key> key = decoder.Next(false)) {
    EXPECT_EQ(*key, term::CharKey('1'));
    ++rest;
  }
  EXPECT_EQ(rest, 100 + 2 - term::KeyDecoder::kLongestSequence);
}

// --- 6. Leftovers -------------------------------------------------------------------------

TEST(FuzzFindings, FolderOfAnInterruptedSaveIsRemovedByTheNextRun) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  // A save killed while it wrote (process 99999999 is long gone), and one of
  // an earlier version, which named no process.
  const std::string dead = scratch / ".machine.saving-99999999-AbCdEf";
  const std::string older = scratch / ".machine.saving-XyZ123";
  SavedMachine(scratch, ".machine.saving-99999999-AbCdEf");
  fs::create_directory(older);
  // One of a save still running: this process.
  const std::string alive = scratch / (".machine.saving-" + std::to_string(::getpid()) + "-QwErTy");
  fs::create_directory(alive);
  const std::vector<std::string> done = term::CleanUpAbandonedSaves(machine);
  EXPECT_EQ(done.size(), 2u);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(older));
  EXPECT_TRUE(fs::exists(alive));
  EXPECT_EQ(LoadError(machine), "");

  // setup-sim does it before it looks at the machine.
  SavedMachine(scratch, ".machine.saving-99999999-AbCdEf");
  WriteText(scratch / "script.txt", kGoodScript);
  const auto run = RunSetupSim({"--dist", testing_support::kDistribution, "--machine", machine,
                                "--script", scratch / "script.txt"},
                               scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("left by an interrupted save"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(dead));
}

TEST(FuzzFindings, MachineMovedAsideByAnInterruptedSaveIsPutBack) {
  TempDir scratch;
  const std::string aside = scratch / ".machine.old-99999999-AbCdEf";
  fs::create_directory(aside);
  SavedMachine(scratch, ".machine.old-99999999-AbCdEf/machine");
  const std::vector<std::string> done = term::CleanUpAbandonedSaves(scratch / "machine");
  ASSERT_EQ(done.size(), 2u);
  EXPECT_NE(done[0].find("put back"), std::string::npos) << done[0];
  EXPECT_FALSE(fs::exists(aside));
  EXPECT_EQ(LoadError(scratch / "machine"), "");
}

TEST(FuzzFindings, RecordSectionWithoutAKindIsRefused) {
  // "[]" (or "[ name]") was read as a section of no kind, and written back
  // as part of the section before it.
  sim::SimRecordFile record;
  std::string error;
  EXPECT_FALSE(record.Parse("[clock]\nnow-ms = 0\n[]\nsleep = 5\n[end]\n", &error));
  EXPECT_EQ(error, "line 3: section header without a kind");
  EXPECT_FALSE(record.Parse("[ x]\n[end]\n", &error));
  EXPECT_EQ(error, "line 1: section header without a kind");
  // "[end ]" would be written as the end line.
  EXPECT_FALSE(record.Parse("[end ]\n[end]\n", &error));
  EXPECT_EQ(error, "line 1: a section of the kind of the [end] line");
}

TEST(FuzzFindings, FilesListFolderOffAnyDriveIsRefused) {
  TempDir scratch;
  const std::string machine = SavedMachine(scratch);
  Edit(machine + "/files.txt", "\n[end]", "\n[folder \\]\n\n[end]");
  std::string error = LoadError(machine);
  EXPECT_NE(error.find("files.txt: line"), std::string::npos) << error;
  EXPECT_NE(error.find("is not on a drive"), std::string::npos) << error;
  Edit(machine + "/files.txt", "[folder \\]", "[file x.dll]");
  error = LoadError(machine);
  EXPECT_NE(error.find("is not in a folder of a drive"), std::string::npos) << error;
  Edit(machine + "/files.txt", "[file x.dll]", "[drive c]");
  error = LoadError(machine);
  EXPECT_NE(error.find("bad drive \"c\""), std::string::npos) << error;
}

// --- Found by fuzz_machine --------------------------------------------------------------

TEST(FuzzFindings, FolderNamedInOtherLetterCaseSavesAndLoadsToTheSameMachine) {
  // "C:\WINDOWS\syStem32\spool" below "C:\WINDOWS\system32" was kept with the
  // case it was named with, and saved with its parent's: loaded again, the
  // machine differed in its files.
  TempDir scratch;
  const std::string folder = SavedMachine(scratch);
  Edit(folder + "/files.txt", "[folder C:\\WINDOWS\\system32\\spool]",
       "[folder C:\\WINDOWS\\syStem32\\spool]");
  sim::SimMachine loaded;
  std::string error;
  ASSERT_TRUE(loaded.Load(folder, &error)) << error;
  EXPECT_EQ(loaded.files.FolderPath("c:\\windows\\system32\\spool"), "C:\\WINDOWS\\system32\\spool");
  ASSERT_TRUE(loaded.Save(scratch / "again", &error)) << error;
  sim::SimMachine again;
  ASSERT_TRUE(again.Load(scratch / "again", &error)) << error;
  EXPECT_TRUE(again == loaded) << testing::PrintToString(loaded.DifferingParts(again));

  sim::SimFileSystem files;
  files.MakeFolder("C:\\A");
  files.MakeFolder("c:\\a\\B\\c");
  EXPECT_EQ(files.Folders().at("c:\\a\\b\\c"), "C:\\A\\B\\c");
}

}  // namespace
}  // namespace setwell
