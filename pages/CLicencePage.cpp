#include "pages/CLicencePage.h"

#include "resources/Texts.h"
#include "ui/CWinApp.h"

namespace setwell {

bool CLicencePage::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemText(IDC_AGREEMENT, kLicenceAgreementRtf);
  CheckRadioButton(IDC_ACCEPT, IDC_REJECT, IDC_REJECT);
  return true;
}

bool CLicencePage::OnCommand(int id, int notifyCode) {
  if (notifyCode == BN_CLICKED && (id == IDC_ACCEPT || id == IDC_REJECT)) {
    // The frame is the main window; its default button is command 1.
    if (CDialog* frame = AfxGetMainWnd()) frame->GetDlgItem(IDOK_RESULT).EnableWindow(id == IDC_ACCEPT);
    return true;
  }
  return CDialog::OnCommand(id, notifyCode);
}

}  // namespace setwell
