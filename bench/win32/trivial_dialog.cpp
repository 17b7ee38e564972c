// A trivial Win32 dialog program: the yardstick of the start-up benchmark.
// It has Setup.exe's manifest and imports the same system libraries, starts
// common controls the same way, and shows one modal dialog titled "Trivial
// Dialog", with nothing in it but an OK button, until it is closed. Built
// with SETWELL_STARTUP_TRACE it marks its start and its show as Setup.exe
// does, its marks named "trivial: ...".
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <winspool.h>

#include <cstddef>

#include "ui/StartupTrace.h"

namespace {

// Entry points of each library Setup.exe imports, so that the loader maps
// the same DLLs; never called.
void* volatile const kImports[] = {
    reinterpret_cast<void*>(&::OleInitialize), reinterpret_cast<void*>(&::OpenPrinterA),
    reinterpret_cast<void*>(&::RegOpenKeyExA), reinterpret_cast<void*>(&::ShellExecuteA),
    reinterpret_cast<void*>(&::CreateFontA)};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
#ifdef SETWELL_STARTUP_TRACE
  if (message == WM_SHOWWINDOW && wParam) SETWELL_STARTUP_MARK("trivial: dialog shown");
#endif
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_CLOSE ||
      (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))) {
    ::EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SETWELL_STARTUP_MARK("trivial: WinMain");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  if (!::InitCommonControlsEx(&controls)) {
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
  }
  // DLGTEMPLATE, then the menu, class and title as UTF-16, then the font;
  // then the one control, DWORD-aligned: its DLGITEMTEMPLATE, class, text
  // and the size of its creation data.
  struct Dialog {
    DLGTEMPLATE header;
    WORD menu, windowClass;
    wchar_t title[15];
    WORD pointSize;
    wchar_t font[14];
  };
  struct alignas(4) Button {
    DLGITEMTEMPLATE item;
    WORD classMarker, classAtom;
    wchar_t text[3];
    WORD creationData;
  };
  struct alignas(4) {
    Dialog dialog;
    Button ok;
  } bytes{};
  static_assert(offsetof(decltype(bytes), ok) % 4 == 0);
  Dialog& dialog = bytes.dialog;
  dialog.header.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.header.cdit = 1;
  dialog.header.cx = 291;
  dialog.header.cy = 185;
  const wchar_t title[] = L"Trivial Dialog";
  const wchar_t font[] = L"MS Sans Serif";
  for (int i = 0; i < 15; ++i) dialog.title[i] = title[i];
  dialog.pointSize = 8;
  for (int i = 0; i < 14; ++i) dialog.font[i] = font[i];
  // An OK button, which takes the focus when the dialog is made, as in any
  // dialog with a control (the focus's first arrival in a process has a
  // cost of its own under Wine, and comes before the show).
  Button& ok = bytes.ok;
  ok.item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  ok.item.x = 120;
  ok.item.y = 160;
  ok.item.cx = 50;
  ok.item.cy = 14;
  ok.item.id = IDOK;
  ok.classMarker = 0xFFFF;
  ok.classAtom = 0x0080;  // button
  ok.text[0] = L'O';
  ok.text[1] = L'K';
  return static_cast<int>(::DialogBoxIndirectParamW(instance, &dialog.header, nullptr, &DialogProc,
                                                    reinterpret_cast<LPARAM>(kImports)));
}
