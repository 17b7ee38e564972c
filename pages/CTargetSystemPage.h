// Page 3: the Windows family the drivers are installed for, derived from the
// running system and shown, not chosen.
#pragma once

#include <cstdint>

#include "config/Selections.h"
#include "system/Platform.h"
#include "ui/CDialog.h"

namespace setwell {

class CTargetSystemPage : public CDialog {
 public:
  explicit CTargetSystemPage(Platform& platform) : CDialog(IDD_TARGET_SYSTEM), platform_(platform) {}
  bool OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}

  // Derives the target system from the running Windows version, telling the
  // user when the wizard does not know the system. The wizard asks for it
  // as it starts, before the page's window exists, so that the message comes
  // before the wizard shows; OnInitDialog derives it only when that has not
  // been done.
  void DetectTargetSystem();

  std::int32_t m_targetSystem = kWin98;

 private:
  Platform& platform_;
  bool detected_ = false;
  int checkedButton_ = 0;  // 0: none
};

// The target system for a running system, and the radio button to check
// (0 for none); false for a platform family the wizard does not know.
bool TargetSystemOf(const OSVERSIONINFOA& version, std::int32_t& target, int& button);

}  // namespace setwell
