// The about box: the program's icon, name and version.
#pragma once

#include "ui/CDialog.h"

namespace setwell {

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CDialog* parent = nullptr) : CDialog(IDD_ABOUTBOX, parent) {}
};

}  // namespace setwell
