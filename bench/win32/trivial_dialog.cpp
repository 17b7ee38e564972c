// A trivial Win32 dialog program: the yardstick of the start-up benchmark.
// It has Setup.exe's manifest and imports the same system libraries, starts
// common controls the same way, and shows one empty modal dialog titled
// "Trivial Dialog" until it is closed. Built with SETWELL_STARTUP_TRACE it
// marks its start and its show as Setup.exe does, its marks named
// "trivial: ...".
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <winspool.h>

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
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
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
  // DLGTEMPLATE, then the menu, class and title as UTF-16, then the font.
  struct {
    DLGTEMPLATE header;
    WORD menu, windowClass;
    wchar_t title[15];
    WORD pointSize;
    wchar_t font[14];
  } dialog{};
  dialog.header.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.header.cx = 291;
  dialog.header.cy = 185;
  const wchar_t title[] = L"Trivial Dialog";
  const wchar_t font[] = L"MS Sans Serif";
  for (int i = 0; i < 15; ++i) dialog.title[i] = title[i];
  dialog.pointSize = 8;
  for (int i = 0; i < 14; ++i) dialog.font[i] = font[i];
  return static_cast<int>(::DialogBoxIndirectParamW(instance, &dialog.header, nullptr, &DialogProc,
                                                    reinterpret_cast<LPARAM>(kImports)));
}
