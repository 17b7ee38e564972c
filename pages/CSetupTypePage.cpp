#include "pages/CSetupTypePage.h"

#include "resources/StringTable.h"

namespace setwell {

bool CSetupTypePage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_setupType = 1;
  CheckRadioButton(IDC_TYPICAL, IDC_ADVANCED, IDC_TYPICAL);
  SetDlgItemText(IDC_REMARK1, LoadStringText(IDS_TYPICAL_REMARK));
  return true;
}

void CSetupTypePage::ChooseTypical() {
  SetDlgItemText(IDC_REMARK1, LoadStringText(IDS_TYPICAL_REMARK));
  GetDlgItem(IDC_REMARK2).ShowWindow(false);
  GetDlgItem(IDC_REMARK3).ShowWindow(false);
  m_setupType = 1;
}

void CSetupTypePage::ChooseAdvanced() {
  SetDlgItemText(IDC_REMARK1, LoadStringText(IDS_MULTI_USB_REMARK));
  SetDlgItemText(IDC_REMARK2, LoadStringText(IDS_DRIVER_MODE_REMARK));
  GetDlgItem(IDC_REMARK2).ShowWindow(true);
  GetDlgItem(IDC_REMARK3).ShowWindow(false);
  m_setupType = 0;
}

bool CSetupTypePage::OnCommand(int id, int notifyCode) {
  if (notifyCode == BN_CLICKED && id == IDC_TYPICAL) {
    ChooseTypical();
    return true;
  }
  if (notifyCode == BN_CLICKED && id == IDC_ADVANCED) {
    ChooseAdvanced();
    return true;
  }
  return CDialog::OnCommand(id, notifyCode);
}

void CSetupTypePage::ApplyAdvancedSetting(std::int32_t advancedSetup) {
  if (advancedSetup != 0) {
    GetDlgItem(IDC_ADVANCED).EnableWindow(true);
    return;
  }
  GetDlgItem(IDC_ADVANCED).EnableWindow(false);
  CheckRadioButton(IDC_TYPICAL, IDC_ADVANCED, IDC_TYPICAL);
  ChooseTypical();
}

}  // namespace setwell
