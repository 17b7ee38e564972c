// The application: one modal wizard with its five pages, then the end.
#pragma once

#include "ui/CWinApp.h"

namespace setwell {

class CSetupApp : public CWinApp {
 public:
  using CWinApp::CWinApp;
  // Builds the wizard, runs it modally and returns false: the program ends
  // with the wizard.
  bool InitInstance() override;
};

}  // namespace setwell
