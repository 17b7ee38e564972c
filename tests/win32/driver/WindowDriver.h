// Drives another program's dialogs as a person would: finds its windows by
// title, clicks buttons, picks list entries and reads what the controls
// show. Works across processes (the host marshals the messages used).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace setwell::driver {

struct ControlState {
  HWND window = nullptr;
  int id = 0;
  std::string className;
  std::string text;
  bool visible = false;  // shows on screen (its parents show too)
  bool enabled = false;
  int check = 0;
  int selection = -1;
  std::vector<std::string> items;  // entries of a drop-down list
};

// The visible top-level window with this exact title for which `accept`
// holds, waiting up to `timeoutMs`; null when none came.
HWND WaitForWindow(const std::string& title, DWORD timeoutMs, bool (*accept)(HWND) = nullptr);
// The wizard frame: its title and its page area (control 1001).
HWND WaitForWizard(const std::string& title, DWORD timeoutMs);
// A message box or other dialog with this title that is not the wizard.
HWND WaitForMessageBox(const std::string& title, DWORD timeoutMs);
// Waits until `window` is gone; false on timeout.
bool WaitUntilGone(HWND window, DWORD timeoutMs);

// Every descendant control, in the order the host lists them.
std::vector<ControlState> ReadControls(HWND top);
// The control with this id that shows, else any with it; null when none.
HWND FindControl(HWND top, int id);
ControlState ReadControl(HWND control);
// The text of a message box (its static texts joined by newlines).
std::string MessageBoxText(HWND box);

// A click of a button, radio button or check box (posted: a click that
// starts a long command or a message box does not block the driver).
bool Click(HWND top, int id);
// Clicks the push button whose text, without '&', is `text`.
bool ClickButtonByText(HWND top, const std::string& text);
// Picks the entry with exactly this text, as a user would.
bool SelectEntry(HWND top, int id, const std::string& text);
// A system menu command.
void SysCommand(HWND top, WPARAM command);
// Lets the target finish what it was sent: waits until its thread idles.
void Settle(HWND top);

}  // namespace setwell::driver
