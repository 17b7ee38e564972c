#include "app/CSetupApp.h"

#include "app/CWizardFrame.h"
#include "pages/CLicencePage.h"
#include "pages/CModelPage.h"
#include "pages/CPortPage.h"
#include "pages/CSetupTypePage.h"
#include "pages/CTargetSystemPage.h"
#include "resources/Texts.h"
#include "ui/StartupTrace.h"

namespace setwell {

bool CSetupApp::InitInstance() {
  // The agreement view must be available before the pages are created; a
  // failure has been reported and the wizard runs all the same.
  Ui().RegisterRichTextControl(Host());
  SETWELL_STARTUP_MARK("rich text registered");

  CWizardFrame frame(Host());
  m_pMainWnd = &frame;
  frame.m_title = kWizardTitle;

  CLicencePage licence;
  CSetupTypePage setupType;
  CTargetSystemPage targetSystem(Host());
  CModelPage model(Host());
  CPortPage port(Host());

  frame.AddPages(WizardPages{licence, model, setupType, targetSystem, port});

  frame.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

}  // namespace setwell
