// setup-sim in a real terminal: tmux runs it in an 80x25 window, the test
// types keys into it and reads the screen back after each, through one
// full install; the terminal shrinks and grows on the way; a terminal too
// small from the start is refused. Skipped where tmux is not installed
// (scripts/test installs it).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "tests/SetupSimTestSupport.h"

namespace setwell {
namespace {

using namespace testing_support;

bool HaveTmux() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

// A tmux server of this test's own, gone when the object goes.
class Tmux {
 public:
  Tmux() : socket_("setup-sim-test-" + std::to_string(::getpid())) {}
  ~Tmux() { Run("kill-server"); }

  int Run(const std::string& arguments) const {
    return std::system(
        ("tmux -L " + socket_ + " -f /dev/null " + arguments + " >/dev/null 2>&1").c_str());
  }
  std::string Screen() const {
    const std::string command = "tmux -L " + socket_ + " capture-pane -p -t t 2>/dev/null";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[4096];
      std::size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
      ::pclose(pipe);
    }
    return out;
  }
  std::string Query(const std::string& format) const {
    const std::string command = "tmux -L " + socket_ + " display-message -p -t t '" + format + "'";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[256];
      std::size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
      ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  void Keys(const std::string& keys) const { Run("send-keys -t t " + keys); }

  // Waits until the screen holds `text`; the screen as it was last seen.
  std::string WaitFor(const std::string& text, const std::string& step) const {
    std::string screen;
    // Up to 30 s: a loaded machine (the sanitizer build beside another
    // suite) can take seconds to redraw.
    for (int i = 0; i < 600; ++i) {
      screen = Screen();
      if (screen.find(text) != std::string::npos) return screen;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << step << ": \"" << text << "\" did not appear on the screen:\n" << screen;
    return screen;
  }

 private:
  std::string socket_;
};

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 600; ++i) {
    if (std::filesystem::exists(path) && !ReadText(path).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string Command(const TempDir& scratch, const std::string& extra) {
  // The shell outlives a Ctrl-C to write the status down.
  return "'trap : INT; cd " + scratch.path() + " && LANG=C.UTF-8 TERM=xterm " + SETUP_SIM_BINARY +
         " --dist " + kDistribution + " --machine machine" + extra +
         " >report.txt 2>errors.txt; echo $? >status.txt; sleep 60'";
}

TEST(SetupSimInTmux, FullInstallWithTheScreenCheckedAtEachPage) {
  if (!HaveTmux()) GTEST_SKIP() << "tmux is not installed";
  TempDir scratch;
  Tmux tmux;
  ASSERT_EQ(tmux.Run("new-session -d -s t -x 80 -y 25 " + Command(scratch, " --usb 8")), 0);

  std::string screen = tmux.WaitFor("Legal Agreement", "start");
  EXPECT_NE(screen.find("Install Driver for Printers"), std::string::npos);
  EXPECT_NE(screen.find("(*) I Reject"), std::string::npos);
  EXPECT_NE(screen.find("[<<Back (B)]"), std::string::npos);
  EXPECT_EQ(tmux.Query("#{alternate_on}"), "1");

  tmux.Keys("Tab Left");
  tmux.WaitFor("(*) I Accept", "accept");
  tmux.Keys("Enter");
  screen = tmux.WaitFor("Select Install Module", "next to the model page");
  EXPECT_NE(screen.find("(*) Receipt"), std::string::npos) << screen;
  EXPECT_NE(screen.find("SW-R80"), std::string::npos) << screen;

  // The terminal shrinks below the wizard and grows again.
  tmux.Run("resize-window -t t -x 60 -y 20");
  tmux.WaitFor("The terminal is too small (60x20)", "shrunk");
  tmux.Run("resize-window -t t -x 80 -y 25");
  tmux.WaitFor("Select Install Module", "grown again");

  tmux.Keys("M-n");
  screen = tmux.WaitFor("Setup Type", "next to the setup type page");
  EXPECT_NE(screen.find("(*) Typical"), std::string::npos) << screen;
  tmux.Keys("M-n");
  screen = tmux.WaitFor("Select Install OS", "next to the target system page");
  EXPECT_NE(screen.find("(*) Windows XP"), std::string::npos) << screen;
  tmux.Keys("M-n");
  screen = tmux.WaitFor("Set Printer Port", "next to the port page");
  EXPECT_NE(screen.find("USB_SW-R80_1"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Requires USB device driver to be installed"), std::string::npos) << screen;
  EXPECT_NE(screen.find("[Finish (F)]"), std::string::npos) << screen;

  tmux.Keys("F1");
  tmux.WaitFor("Guide.CHM", "help");
  tmux.Keys("Space");
  tmux.Keys("M-f");
  screen = tmux.WaitFor("Please repower the printer", "finish");
  EXPECT_NE(screen.find("Successfully installed printer driver"), std::string::npos) << screen;
  tmux.Keys("Enter");

  ASSERT_TRUE(WaitForFile(scratch / "status.txt")) << tmux.Screen();
  EXPECT_EQ(ReadText(scratch / "status.txt"), "0\n") << ReadText(scratch / "errors.txt");
  const std::string report = ReadText(scratch / "report.txt");
  EXPECT_NE(report.find("\"SW-R80(U) 1\" on USB_SW-R80_1"), std::string::npos) << report;
  EXPECT_NE(report.find("Machine saved in machine"), std::string::npos) << report;
  // The terminal is as it was: main screen, cursor shown.
  EXPECT_EQ(tmux.Query("#{alternate_on}"), "0");
  EXPECT_EQ(tmux.Query("#{cursor_flag}"), "1");
}

TEST(SetupSimInTmux, TerminalTooSmallFromTheStart) {
  if (!HaveTmux()) GTEST_SKIP() << "tmux is not installed";
  TempDir scratch;
  Tmux tmux;
  ASSERT_EQ(tmux.Run("new-session -d -s t -x 70 -y 24 " + Command(scratch, "")), 0);
  ASSERT_TRUE(WaitForFile(scratch / "status.txt"));
  EXPECT_EQ(ReadText(scratch / "status.txt"), "2\n");
  EXPECT_NE(ReadText(scratch / "errors.txt")
                .find("the terminal is too small (70x24); the wizard needs 74x25"),
            std::string::npos)
      << ReadText(scratch / "errors.txt");
  EXPECT_FALSE(std::filesystem::exists(scratch / "machine"));
}

TEST(SetupSimInTmux, InterruptPutsTheTerminalBackAndSavesNothing) {
  if (!HaveTmux()) GTEST_SKIP() << "tmux is not installed";
  TempDir scratch;
  Tmux tmux;
  ASSERT_EQ(tmux.Run("new-session -d -s t -x 80 -y 25 " + Command(scratch, "")), 0);
  tmux.WaitFor("Legal Agreement", "start");
  tmux.Keys("C-c");
  ASSERT_TRUE(WaitForFile(scratch / "status.txt"));
  EXPECT_EQ(ReadText(scratch / "status.txt"), "130\n");
  EXPECT_EQ(tmux.Query("#{alternate_on}"), "0");
  EXPECT_EQ(tmux.Query("#{cursor_flag}"), "1");
  EXPECT_FALSE(std::filesystem::exists(scratch / "machine"));
}

}  // namespace
}  // namespace setwell
