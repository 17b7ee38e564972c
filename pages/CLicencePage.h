// Page 0: the licence agreement, to be accepted before the wizard goes on.
#pragma once

#include "ui/CDialog.h"

namespace setwell {

class CLicencePage : public CDialog {
 public:
  CLicencePage() : CDialog(IDD_LICENCE) {}
  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode) override;
  // Enter and Escape inside the page do nothing; the frame's buttons act.
  void OnOK() override {}
  void OnCancel() override {}
};

}  // namespace setwell
