// Page 2: typical or advanced setup, with remarks that explain the choice.
#pragma once

#include <cstdint>

#include "ui/CDialog.h"

namespace setwell {

class CSetupTypePage : public CDialog {
 public:
  CSetupTypePage() : CDialog(IDD_SETUP_TYPE) {}
  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode) override;
  void OnOK() override {}
  void OnCancel() override {}

  // The model's "AdvancedSetup": non-zero enables Advanced and keeps the
  // choice; zero forces Typical.
  void ApplyAdvancedSetting(std::int32_t advancedSetup);

  std::int32_t m_setupType = 1;  // 1 typical, 0 advanced

 private:
  void ChooseTypical();
  void ChooseAdvanced();
};

}  // namespace setwell
