// Setup.exe: the wizard on the real host. It reads no command line.
#include <windows.h>
#include <commctrl.h>

#include "app/CSetupApp.h"
#include "system/win32/Win32Platform.h"
#include "ui/StartupTrace.h"
#include "ui/win32/Win32UiBackend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SETWELL_STARTUP_MARK("WinMain");
  // The dialog controls of common controls version 6 (the manifest asks for
  // it); comctl32 before 6.0 does not know ICC_STANDARD_CLASSES.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  if (!::InitCommonControlsEx(&controls)) {
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
  }
  setwell::Win32Platform platform;
  setwell::Win32UiBackend ui(instance, &platform);
  setwell::CSetupApp app(ui, platform);
  return app.Run();
}
