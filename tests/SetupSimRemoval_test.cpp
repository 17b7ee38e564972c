// setup-sim's --remove, --remove-all and --repair: the program itself on a
// machine folder, as a deployment would be rehearsed.
#include <gtest/gtest.h>

#include <string>

#include "tests/SetupSimTestSupport.h"

namespace setwell::testing_support {
namespace {

const std::string kUsbScript =
    "accept\nnext\nmodel SW-R80\nnext\ntypical\nnext\nnext\nport USB_SW-R80_1\nfinish\n";

// The machine as files and registry: what a removal answers for (the
// records of message boxes, the clock and the last report are not).
std::map<std::string, std::string> MachineOf(const std::string& folder) {
  std::map<std::string, std::string> tree = ReadTree(folder);
  tree.erase("records.txt");
  tree.erase("report.txt");
  tree.erase("usb.txt");
  return tree;
}

TEST(SetupSimRemovalTest, InstallThenRemoveLeavesTheMachineFolderAsAFreshOne) {
  TempDir dir;
  WriteText(dir / "usb.txt", kUsbScript);
  WriteText(dir / "cancel.txt", "cancel\n");
  const std::vector<std::string> common = {"--dist", kDistribution, "--usb", "0"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), common.begin(), common.end());
    return args;
  };
  ASSERT_EQ(RunSetupSim(with({"--machine", dir / "fresh", "--script", dir / "cancel.txt"}), dir).status, 0);
  ASSERT_EQ(RunSetupSim(with({"--machine", dir / "till", "--script", dir / "usb.txt",
                              "--exit-codes"}), dir).status, 0);

  const RunResult removed = RunSetupSim(with({"--machine", dir / "till", "--remove", "SW-R80(U) 1"}), dir);
  EXPECT_EQ(removed.status, 0) << removed.out << removed.err;
  EXPECT_NE(removed.out.find("exit code 0: removed\n"), std::string::npos) << removed.out;
  EXPECT_NE(removed.out.find("== What the removal changed"), std::string::npos);
  EXPECT_NE(removed.out.find("Printers removed (1):\n    \"SW-R80(U) 1\" on USB_SW-R80_1"),
            std::string::npos)
      << removed.out;
  EXPECT_EQ(MachineOf(dir / "fresh"), MachineOf(dir / "till"));

  // Installed again, then repaired: the same printer, and the exit code of
  // its install.
  ASSERT_EQ(RunSetupSim(with({"--machine", dir / "till", "--script", dir / "usb.txt",
                              "--exit-codes"}), dir).status, 0);
  const auto installed = MachineOf(dir / "till");
  const RunResult repaired = RunSetupSim(with({"--machine", dir / "till", "--repair", dir / "usb.txt"}), dir);
  EXPECT_EQ(repaired.status, 0) << repaired.out << repaired.err;
  EXPECT_NE(repaired.out.find("installs the printer \"SW-R80(U) 1\""), std::string::npos);
  EXPECT_NE(repaired.out.find("exit code 0: repaired: installed\n"), std::string::npos) << repaired.out;
  EXPECT_EQ(MachineOf(dir / "till"), installed);
}

TEST(SetupSimRemovalTest, BadRemovalArgumentsLeaveTheMachineFolderAsItWas) {
  TempDir dir;
  WriteText(dir / "usb.txt", kUsbScript);
  ASSERT_EQ(RunSetupSim({"--dist", kDistribution, "--machine", dir / "till", "--usb", "0",
                         "--script", dir / "usb.txt", "--exit-codes"}, dir).status, 0);
  const auto before = ReadTree(dir / "till");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--remove"}, "--remove needs the names"},
      {{"--remove", "SW-R80(U) 1", "--remove-all"}, "one of --remove, --remove-all and --repair"},
      {{"--repair"}, "--repair needs the script"},
      {{"--remove-all", "--script", dir / "usb.txt"}, "--script and --exit-codes are for an install"},
      {{"--remove", "SW-R80(U) 9"}, "there is no printer \"SW-R80(U) 9\""},
      {{"--remove", "SW-R80*"}, "wildcard"},
      {{"--repair", dir / "missing.txt"}, "cannot read it"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--dist", kDistribution, "--machine", dir / "till"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult run = RunSetupSim(args, dir);
    EXPECT_EQ(run.status, 2) << c.says << "\n" << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    EXPECT_EQ(ReadTree(dir / "till"), before) << c.says;
  }
}

}  // namespace
}  // namespace setwell::testing_support
