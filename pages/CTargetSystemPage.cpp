#include "pages/CTargetSystemPage.h"

#include "resources/StringTable.h"
#include "system/Messages.h"

namespace setwell {
namespace {
// By target system, kWin98 to kWin2003.
constexpr int kButtons[5] = {IDC_WIN98, IDC_WINNT, IDC_WIN2000, IDC_WINXP, IDC_WIN2003};
}

bool TargetSystemOf(const OSVERSIONINFOA& version, std::int32_t& target, int& button) {
  target = kWin98;
  button = 0;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    // Windows 95 is 4.0; 98 and Me have a minor version.
    if (version.dwMinorVersion != 0) button = IDC_WIN98;
    return true;
  }
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  const DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion;
  if (major == 4 && minor == 0) target = kWinNT4;
  if (major == 5 && minor == 0) target = kWin2000;
  if (major == 5 && minor == 1) target = kWinXP;
  if (major == 5 && minor == 2) target = kWin2003;
  if (target != kWin98) button = kButtons[target];
  return true;
}

void CTargetSystemPage::DetectTargetSystem() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  int button = 0;
  if (!platform_.GetVersionExA(&version) || !TargetSystemOf(version, m_targetSystem, button)) {
    m_targetSystem = kWin98;
    button = 0;
    ShowError(platform_, IDS_WRONG_SYSTEM);
  }
  checkedButton_ = button;
  detected_ = true;
}

bool CTargetSystemPage::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!detected_) DetectTargetSystem();
  if (checkedButton_ != 0) CheckRadioButton(IDC_WIN98, IDC_WIN2003, checkedButton_);
  for (std::int32_t target = kWin98; target <= kWin2003; ++target) {
    GetDlgItem(kButtons[target]).EnableWindow(target == m_targetSystem);
  }
  return true;
}

}  // namespace setwell
