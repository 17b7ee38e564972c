// The application object: the UI backend, the host, and the main window.
#pragma once

#include "system/Platform.h"
#include "ui/WindowBackend.h"

namespace setwell {

class CDialog;

class CWinApp {
 public:
  CWinApp(UiBackend& ui, Platform& platform);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Builds and runs the program's windows; false ends the program without
  // a message loop of its own.
  virtual bool InitInstance() = 0;
  // Runs InitInstance; the program's exit code.
  int Run();

  UiBackend& Ui() { return *ui_; }
  Platform& Host() { return *platform_; }

  CDialog* m_pMainWnd = nullptr;

  // The running application (one at a time).
  static CWinApp* Current();

 private:
  UiBackend* ui_;
  Platform* platform_;
  CWinApp* previous_;
};

inline CDialog* AfxGetMainWnd() {
  return CWinApp::Current() != nullptr ? CWinApp::Current()->m_pMainWnd : nullptr;
}

}  // namespace setwell
