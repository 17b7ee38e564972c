#include "ui/CWinApp.h"

namespace setwell {
namespace {
CWinApp* g_current = nullptr;
}

CWinApp::CWinApp(UiBackend& ui, Platform& platform)
    : ui_(&ui), platform_(&platform), previous_(g_current) {
  g_current = this;
}

CWinApp::~CWinApp() { g_current = previous_; }

CWinApp* CWinApp::Current() { return g_current; }

int CWinApp::Run() { return InitInstance() ? 1 : 0; }

}  // namespace setwell
