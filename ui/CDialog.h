// A dialog, in the manner of the familiar dialog class library: built from a
// layout, controls looked up by id, data exchanged in both directions,
// commands dispatched to virtual handlers. Pages and the wizard frame derive
// from it; the window itself belongs to the backend of the application.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ui/WindowBackend.h"

namespace setwell {

class CDialog;
class CStatic;

// Results and commands of the dialog's own buttons.
constexpr int IDOK_RESULT = 1;
constexpr int IDCANCEL_RESULT = 2;

// Data exchange between a dialog's controls and its fields.
class CDataExchange {
 public:
  CDataExchange(CDialog& dialog, bool saveAndValidate)
      : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate) {}
  // Refuses the exchange: UpdateData returns false.
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }

  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;

 private:
  bool failed_ = false;
};

// A check box's state <-> an integer (0 or 1).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Binds a control object to a control of the dialog.
void DDX_Control(CDataExchange* pDX, int id, CStatic& control);

// A control of a dialog, addressed by id; cheap to copy.
class CWnd {
 public:
  CWnd(CDialog* dialog, int id) : dialog_(dialog), id_(id) {}
  bool IsValid() const;
  int GetDlgCtrlID() const { return id_; }
  void EnableWindow(bool enable) const;
  bool IsWindowEnabled() const;
  void ShowWindow(bool show) const;
  bool IsWindowVisible() const;
  void SetWindowText(const std::string& text) const;
  std::string GetWindowText() const;
  void SetFocus() const;

 protected:
  WindowBackend* Backend() const;
  CDialog* dialog_;
  int id_;
};

class CButton : public CWnd {
 public:
  using CWnd::CWnd;
  void SetCheck(int state) const;
  int GetCheck() const;
};

class CComboBox : public CWnd {
 public:
  using CWnd::CWnd;
  int AddString(const std::string& text) const;
  // Appends the entries in their order, in one go.
  void AddStrings(const std::vector<std::string>& texts) const;
  void ResetContent() const;
  int SetCurSel(int index) const;
  int GetCurSel() const;
  int GetCount() const;
  std::string GetLBText(int index) const;
  // The first entry after `startAfter` (-1: from the first) whose text
  // begins with `prefix` without regard to case, searching to the end and
  // then from the start; selects it and returns its index, or returns -1
  // (CB_ERR) leaving the selection as it was, as the host's list does.
  int SelectString(int startAfter, const std::string& prefix) const;
};

class CDialog {
 public:
  explicit CDialog(int templateId, CDialog* parent = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // --- Life ---------------------------------------------------------------
  // Creates the dialog as a hidden child of parent; false when the layout
  // or the window cannot be made.
  bool Create(int templateId, CDialog* parent);
  virtual int DoModal();
  void EndDialog(int result);
  virtual bool DestroyWindow();
  bool IsCreated() const;

  // --- Overridables ----------------------------------------------------------
  virtual bool OnInitDialog();
  // A modal dialog's window has shown and been drawn; no input has reached
  // it yet. Called once, after OnInitDialog.
  virtual void OnShown();
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnOK();
  virtual void OnCancel();
  // A command from a control or button; true when handled. The base class
  // sends 1 and 2 to OnOK and OnCancel.
  virtual bool OnCommand(int id, int notifyCode);
  virtual void OnSysCommand(int command);
  // F1; true when handled.
  virtual bool OnHelp();
  // A static control of this dialog with a style of its own, or null.
  virtual const StaticStyle* GetStaticStyle(int id) const;

  // Runs the data exchange; false when a field refused.
  bool UpdateData(bool saveAndValidate = true);

  // --- Controls ------------------------------------------------------------------
  CWnd GetDlgItem(int id) { return CWnd(this, id); }
  CButton GetButton(int id) { return CButton(this, id); }
  CComboBox GetComboBox(int id) { return CComboBox(this, id); }
  // Checks `check` and unchecks the other buttons of first..last.
  void CheckRadioButton(int first, int last, int check);
  int GetCheckedRadioButton(int first, int last);
  void CheckDlgButton(int id, int state);
  int IsDlgButtonChecked(int id);
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id);

  // --- The window ---------------------------------------------------------------
  void ShowWindow(bool show);
  bool IsWindowVisible() const;
  void SetWindowText(const std::string& title);
  std::string GetWindowText() const;
  void MoveWindow(const Rect& rect);
  // The rectangle of a control, in this dialog's client coordinates.
  Rect GetControlRect(int id) const;

  int TemplateId() const { return templateId_; }
  CDialog* Parent() const { return parent_; }
  WindowBackend* Backend() const { return backend_.get(); }
  // Controls bound by DDX_Control.
  void Bind(int id, CStatic& control) { bound_[id] = &control; }

 private:
  WindowBackend& EnsureBackend();

  int templateId_;
  CDialog* parent_;
  std::unique_ptr<WindowBackend> backend_;
  std::map<int, CStatic*> bound_;
};

}  // namespace setwell
