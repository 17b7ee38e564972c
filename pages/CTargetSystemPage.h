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

  std::int32_t m_targetSystem = kWin98;

 private:
  Platform& platform_;
};

// The target system for a running system, and the radio button to check
// (0 for none); false for a platform family the wizard does not know.
bool TargetSystemOf(const OSVERSIONINFOA& version, std::int32_t& target, int& button);

}  // namespace setwell
