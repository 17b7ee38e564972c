// A static control bound to a dialog's control (DDX_Control). Derived
// classes may draw with colours and a font of their own.
#pragma once

#include "ui/CDialog.h"

namespace setwell {

class CStatic {
 public:
  virtual ~CStatic() = default;

  void Attach(CDialog* dialog, int id) {
    dialog_ = dialog;
    id_ = id;
  }
  CDialog* Dialog() const { return dialog_; }
  int Id() const { return id_; }
  CWnd Window() const { return CWnd(dialog_, id_); }

  // The colours and font the control draws with, or null for the
  // dialog's own (answered while the control paints).
  virtual const StaticStyle* CtlColor() const { return nullptr; }

 protected:
  // Redraws the control at once.
  void RedrawNow() const {
    if (dialog_ != nullptr && dialog_->Backend() != nullptr) dialog_->Backend()->Redraw(id_);
  }

 private:
  CDialog* dialog_ = nullptr;
  int id_ = 0;
};

}  // namespace setwell
