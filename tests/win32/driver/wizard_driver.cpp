// wizard-driver COMMAND ARGS: one user action on a running program's
// windows, for scripts that take screenshots between the steps.
//
//   wait TITLE                    the wizard with this title is there
//   click TITLE ID                click control ID of the wizard
//   select TITLE ID TEXT          pick the entry TEXT of list ID
//   about TITLE                   the About item of the system menu
//   dump TITLE                    print the wizard's controls, one a line
//   msgbox TITLE [BUTTON]         print a message box's text; press BUTTON
//   gone TITLE                    wait until no window has this title
//
// Exits 0 on success, 1 when the window or control is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "WindowDriver.h"

namespace {

using namespace setwell::driver;

constexpr DWORD kTimeout = 20000;

int Usage() {
  std::fprintf(stderr, "usage: wizard-driver wait|click|select|about|dump|msgbox|gone TITLE ...\n");
  return 2;
}

void Print(const ControlState& c) {
  std::string items;
  for (const std::string& item : c.items) items += (items.empty() ? "" : "|") + item;
  std::printf("%5d %-12s vis=%d en=%d chk=%d sel=%d \"%s\"%s%s\n", c.id, c.className.c_str(),
              c.visible, c.enabled, c.check, c.selection, c.text.c_str(),
              items.empty() ? "" : " items=", items.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string title = argv[2];
  if (command == "gone") {
    HWND window = WaitForWindow(title, 0);
    return window == nullptr || WaitUntilGone(window, kTimeout) ? 0 : 1;
  }
  if (command == "msgbox") {
    HWND box = WaitForMessageBox(title, kTimeout);
    if (box == nullptr) return 1;
    std::printf("%s\n", MessageBoxText(box).c_str());
    if (argc >= 4 && !ClickButtonByText(box, argv[3])) return 1;
    if (argc >= 4) WaitUntilGone(box, kTimeout);
    return 0;
  }
  HWND wizard = WaitForWizard(title, kTimeout);
  if (wizard == nullptr) return 1;
  bool ok = true;
  if (command == "wait") {
  } else if (command == "click" && argc >= 4) {
    ok = Click(wizard, std::atoi(argv[3]));
  } else if (command == "select" && argc >= 5) {
    ok = SelectEntry(wizard, std::atoi(argv[3]), argv[4]);
  } else if (command == "about") {
    SysCommand(wizard, 16);
  } else if (command == "dump") {
    for (const ControlState& c : ReadControls(wizard)) Print(c);
  } else {
    return Usage();
  }
  if (ok && command != "dump") Settle(wizard);
  return ok ? 0 : 1;
}
