#include "ui/CDialog.h"

#include "system/AsciiCase.h"
#include "ui/CStatic.h"
#include "ui/CWinApp.h"

namespace setwell {
namespace {

constexpr int kNoSelection = -1;

}  // namespace

// --- Data exchange -------------------------------------------------------------

void DDX_Check(CDataExchange* pDX, int id, int& value) {
  CButton button = pDX->m_pDlgWnd->GetButton(id);
  if (pDX->m_bSaveAndValidate) {
    value = button.GetCheck();
  } else {
    button.SetCheck(value);
  }
}

void DDX_Control(CDataExchange* pDX, int id, CStatic& control) {
  if (control.Dialog() == nullptr) {
    control.Attach(pDX->m_pDlgWnd, id);
    pDX->m_pDlgWnd->Bind(id, control);
  }
}

// --- Controls ----------------------------------------------------------------------

WindowBackend* CWnd::Backend() const { return dialog_ == nullptr ? nullptr : dialog_->Backend(); }

bool CWnd::IsValid() const { return Backend() != nullptr && Backend()->HasControl(id_); }

void CWnd::EnableWindow(bool enable) const {
  if (IsValid()) Backend()->Enable(id_, enable);
}
bool CWnd::IsWindowEnabled() const { return IsValid() && Backend()->IsEnabled(id_); }
void CWnd::ShowWindow(bool show) const {
  if (IsValid()) Backend()->ShowControl(id_, show);
}
bool CWnd::IsWindowVisible() const { return IsValid() && Backend()->IsControlVisible(id_); }
void CWnd::SetWindowText(const std::string& text) const {
  if (IsValid()) Backend()->SetText(id_, text);
}
std::string CWnd::GetWindowText() const { return IsValid() ? Backend()->GetText(id_) : std::string(); }
void CWnd::SetFocus() const {
  if (IsValid()) Backend()->SetFocus(id_);
}

void CButton::SetCheck(int state) const {
  if (IsValid()) Backend()->SetCheck(id_, state);
}
int CButton::GetCheck() const { return IsValid() ? Backend()->GetCheck(id_) : 0; }

int CComboBox::AddString(const std::string& text) const {
  return IsValid() ? Backend()->AddString(id_, text) : kNoSelection;
}
void CComboBox::AddStrings(const std::vector<std::string>& texts) const {
  if (IsValid()) Backend()->AddStrings(id_, texts);
}
void CComboBox::ResetContent() const {
  if (IsValid()) Backend()->ResetContent(id_);
}
int CComboBox::SetCurSel(int index) const {
  return IsValid() ? Backend()->SetCurSel(id_, index) : kNoSelection;
}
int CComboBox::GetCurSel() const { return IsValid() ? Backend()->GetCurSel(id_) : kNoSelection; }
int CComboBox::GetCount() const { return IsValid() ? Backend()->GetCount(id_) : 0; }
std::string CComboBox::GetLBText(int index) const {
  return IsValid() ? Backend()->GetItemText(id_, index) : std::string();
}

int CComboBox::SelectString(int startAfter, const std::string& prefix) const {
  return IsValid() ? Backend()->SelectString(id_, startAfter, prefix) : kNoSelection;
}

int FindEntryByPrefix(int count, int startAfter, std::string_view prefix,
                      const std::function<std::string_view(int)>& textAt) {
  if (count <= 0) return -1;
  const int start = startAfter < 0 || startAfter >= count ? 0 : startAfter + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (start + step) % count;
    if (StartsWithNoCase(textAt(index), prefix)) return index;
  }
  return -1;
}

int WindowBackend::SelectString(int id, int startAfter, const std::string& prefix) {
  std::string text;
  const int found = FindEntryByPrefix(GetCount(id), startAfter, prefix, [&](int index) {
    text = GetItemText(id, index);
    return std::string_view(text);
  });
  return found < 0 ? -1 : SetCurSel(id, found);
}

// --- Dialog ---------------------------------------------------------------------------

CDialog::CDialog(int templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
  if (backend_) backend_->Destroy();
}

WindowBackend& CDialog::EnsureBackend() {
  if (!backend_) backend_ = CWinApp::Current()->Ui().NewWindow(*this);
  return *backend_;
}

bool CDialog::Create(int templateId, CDialog* parent) {
  templateId_ = templateId;
  parent_ = parent;
  const DialogTemplate* layout = FindDialogTemplate(templateId);
  if (layout == nullptr || parent == nullptr || parent->Backend() == nullptr ||
      CWinApp::Current() == nullptr) {
    return false;
  }
  return EnsureBackend().CreateChild(*layout, *parent->Backend());
}

int CDialog::DoModal() {
  const DialogTemplate* layout = FindDialogTemplate(templateId_);
  if (layout == nullptr || CWinApp::Current() == nullptr) return -1;
  WindowBackend* owner = parent_ != nullptr ? parent_->Backend() : nullptr;
  const int result = EnsureBackend().RunModal(*layout, owner);
  backend_.reset();
  return result;
}

void CDialog::EndDialog(int result) {
  if (backend_) backend_->EndDialog(result);
}

bool CDialog::DestroyWindow() {
  if (!backend_) return false;
  backend_->Destroy();
  backend_.reset();
  bound_.clear();
  return true;
}

bool CDialog::IsCreated() const { return backend_ && backend_->IsCreated(); }

void CDialog::OnShown() {}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK_RESULT);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL_RESULT); }

bool CDialog::OnCommand(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return false;
  if (id == IDOK_RESULT) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL_RESULT) {
    OnCancel();
    return true;
  }
  return false;
}

void CDialog::OnSysCommand(int) {}

bool CDialog::OnHelp() { return false; }

const StaticStyle* CDialog::GetStaticStyle(int id) const {
  auto it = bound_.find(id);
  return it == bound_.end() ? nullptr : it->second->CtlColor();
}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange exchange(*this, saveAndValidate);
  DoDataExchange(&exchange);
  return !exchange.Failed();
}

void CDialog::CheckRadioButton(int first, int last, int check) {
  if (!backend_) return;
  for (int id = first; id <= last; ++id) {
    if (backend_->HasControl(id)) backend_->SetCheck(id, id == check ? 1 : 0);
  }
}

int CDialog::GetCheckedRadioButton(int first, int last) {
  if (!backend_) return 0;
  for (int id = first; id <= last; ++id) {
    if (backend_->HasControl(id) && backend_->GetCheck(id) == 1) return id;
  }
  return 0;
}

void CDialog::CheckDlgButton(int id, int state) { GetButton(id).SetCheck(state); }
int CDialog::IsDlgButtonChecked(int id) { return GetButton(id).GetCheck(); }
void CDialog::SetDlgItemText(int id, const std::string& text) { GetDlgItem(id).SetWindowText(text); }
std::string CDialog::GetDlgItemText(int id) { return GetDlgItem(id).GetWindowText(); }

void CDialog::ShowWindow(bool show) {
  if (backend_) backend_->Show(show);
}
bool CDialog::IsWindowVisible() const { return backend_ && backend_->IsVisible(); }
void CDialog::SetWindowText(const std::string& title) {
  if (backend_) backend_->SetTitle(title);
}
std::string CDialog::GetWindowText() const { return backend_ ? backend_->GetTitle() : std::string(); }
void CDialog::MoveWindow(const Rect& rect) {
  if (backend_) backend_->Move(rect);
}
Rect CDialog::GetControlRect(int id) const { return backend_ ? backend_->ControlRect(id) : Rect{}; }

}  // namespace setwell
