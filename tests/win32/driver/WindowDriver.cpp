#include "WindowDriver.h"

namespace setwell::driver {
namespace {

constexpr int kPageArea = 1001;

struct Search {
  std::string title;
  bool (*accept)(HWND);
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!::IsWindowVisible(window)) return TRUE;
  char title[512] = {};
  ::GetWindowTextA(window, title, sizeof title);
  if (search->title != title) return TRUE;
  if (search->accept != nullptr && !search->accept(window)) return TRUE;
  search->found = window;
  return FALSE;
}

bool IsWizard(HWND window) { return ::GetDlgItem(window, kPageArea) != nullptr; }
bool IsNotWizard(HWND window) { return !IsWizard(window); }

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> all;
  ::EnumChildWindows(top, &CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string WithoutAmpersands(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '&') out += c;
  }
  return out;
}

std::string Narrow(const wchar_t* text) {
  char buffer[8192] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

// Texts are read in UTF-16 and converted here: Wine's marshalling of the
// ANSI list messages to another process hands back the UTF-16 bytes.
std::string TextOf(HWND window) {
  wchar_t buffer[8192] = {};
  // WM_GETTEXT is marshalled across processes; GetWindowText of another
  // process's control would not ask it.
  ::SendMessageW(window, WM_GETTEXT, sizeof buffer / sizeof buffer[0],
                 reinterpret_cast<LPARAM>(buffer));
  return Narrow(buffer);
}

std::string ItemOf(HWND list, int index) {
  const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, index, 0);
  if (length < 0 || length >= 1024) return {};
  wchar_t item[1024] = {};
  ::SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item));
  return Narrow(item);
}

}  // namespace

// How often a wait looks again: a window list walk costs little, and each
// wait of a wizard walk would otherwise add half this on average.
constexpr DWORD kPollMs = 10;

HWND WaitForWindow(const std::string& title, DWORD timeoutMs, bool (*accept)(HWND)) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    Search search{title, accept, nullptr};
    ::EnumWindows(&MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (::GetTickCount() - start >= timeoutMs) return nullptr;
    ::Sleep(kPollMs);
  }
}

HWND WaitForWizard(const std::string& title, DWORD timeoutMs) {
  return WaitForWindow(title, timeoutMs, &IsWizard);
}

HWND WaitForMessageBox(const std::string& title, DWORD timeoutMs) {
  return WaitForWindow(title, timeoutMs, &IsNotWizard);
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::IsWindow(window)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(kPollMs);
  }
  return true;
}

ControlState ReadControl(HWND control) {
  ControlState state;
  state.window = control;
  state.id = ::GetDlgCtrlID(control);
  char className[128] = {};
  ::GetClassNameA(control, className, sizeof className);
  state.className = className;
  state.visible = ::IsWindowVisible(control) != FALSE;
  state.enabled = ::IsWindowEnabled(control) != FALSE;
  if (state.className == "ComboBox") {
    const int count = static_cast<int>(::SendMessageA(control, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) state.items.push_back(ItemOf(control, i));
    state.selection = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
    if (state.selection >= 0 && state.selection < count) state.text = state.items[state.selection];
  } else {
    state.text = TextOf(control);
  }
  if (state.className == "Button") {
    state.check = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
  }
  return state;
}

std::vector<ControlState> ReadControls(HWND top) {
  std::vector<ControlState> states;
  for (HWND window : Descendants(top)) states.push_back(ReadControl(window));
  return states;
}

HWND FindControl(HWND top, int id) {
  HWND any = nullptr;
  for (HWND window : Descendants(top)) {
    if (::GetDlgCtrlID(window) != id) continue;
    if (::IsWindowVisible(window)) return window;
    if (any == nullptr) any = window;
  }
  return any;
}

std::string MessageBoxText(HWND box) {
  std::string text;
  for (HWND window : Descendants(box)) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "Static") continue;
    const std::string part = TextOf(window);
    if (part.empty()) continue;
    if (!text.empty()) text += '\n';
    text += part;
  }
  return text;
}

bool Click(HWND top, int id) {
  HWND control = FindControl(top, id);
  if (control == nullptr) return false;
  return ::PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

bool ClickButtonByText(HWND top, const std::string& text) {
  for (HWND window : Descendants(top)) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "Button" && WithoutAmpersands(TextOf(window)) == text) {
      return ::PostMessageA(window, BM_CLICK, 0, 0) != FALSE;
    }
  }
  return false;
}

bool SelectEntry(HWND top, int id, const std::string& text) {
  HWND list = FindControl(top, id);
  if (list == nullptr) return false;
  const int count = static_cast<int>(::SendMessageA(list, CB_GETCOUNT, 0, 0));
  int index = 0;
  while (index < count && ItemOf(list, index) != text) ++index;
  if (index >= count) return false;
  ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // What the list tells its dialog when the user picks an entry.
  ::PostMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  return true;
}

void SysCommand(HWND top, WPARAM command) { ::PostMessageA(top, WM_SYSCOMMAND, command, 0); }

void Settle(HWND top) {
  // A message sent from another thread is answered whenever the window's
  // thread looks for messages, before any posted one: round trips alone can
  // all come back while a posted click still waits in the queue. The thread
  // takes a posted message within moments of going idle, so the driver
  // gives it that moment; the round trips then come back only once the
  // handler has returned to a message loop (the dialog's own, or a message
  // box's), the second for a message the handler posts itself.
  ::Sleep(50);
  for (int i = 0; i < 2; ++i) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
  }
}

}  // namespace setwell::driver
