// An application object for tests that run dialogs of their own: the
// dialog library wants one, and it starts nothing itself.
#pragma once

#include "ui/CWinApp.h"

namespace setwell::testing {

class TestApp : public CWinApp {
 public:
  using CWinApp::CWinApp;
  bool InitInstance() override { return false; }
};

}  // namespace setwell::testing
