#include "pages/CModelPage.h"

#include <string>
#include <vector>

namespace setwell {
namespace {

constexpr int kRadios[4] = {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED};
constexpr int kLists[4] = {IDC_RECEIPT_MODELS, IDC_TICKET_MODELS, IDC_LABEL_MODELS,
                           IDC_EMBEDDED_MODELS};
constexpr std::size_t kModelNameLimit = 199;

}  // namespace

void CModelPage::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_DEFAULT_PRINTER, m_defaultPrinter);
}

bool CModelPage::OnInitDialog() {
  CDialog::OnInitDialog();
  const std::int32_t count = m_config.GetModelCount();
  m_modelsAvailable = 1;
  std::string entry;
  // Entries up to the count are read in order; those without a key read
  // "0", which is no model, so only the existing ones are visited. Each
  // list is filled in one go once its entries are known.
  std::vector<std::string> entries[4];
  for (const std::int32_t n : m_config.ExistingModelEntries(count)) {
    const std::int32_t category = m_config.GetModelEntry(n, entry);
    if (category >= 0 && category < 4) entries[category].push_back(entry);
  }
  for (int k = 0; k < 4; ++k) GetComboBox(kLists[k]).AddStrings(entries[k]);
  bool any = false;
  for (int k = 0; k < 4; ++k) {
    GetComboBox(kLists[k]).SetCurSel(0);
    GetDlgItem(kLists[k]).EnableWindow(false);
  }
  for (int k = 0; k < 4; ++k) {
    if (GetComboBox(kLists[k]).GetCount() == 0) {
      GetDlgItem(kRadios[k]).EnableWindow(false);
      GetDlgItem(kLists[k]).EnableWindow(false);
    } else {
      any = true;
    }
  }
  if (!any) m_modelsAvailable = 0;

  std::string defaultModel;
  const std::int32_t category = m_config.GetDefaultModel(defaultModel);
  if (category < 0 || category > 3) {
    m_category = category;
    return true;
  }
  CheckRadioButton(IDC_RECEIPT, IDC_EMBEDDED, kRadios[category]);
  // The search starts after the first entry and wraps round to it.
  CComboBox list = GetComboBox(kLists[category]);
  if (list.SelectString(0, defaultModel) < 0) list.SetCurSel(-1);
  TakeSelectedModel(kLists[category]);
  GetDlgItem(kLists[category]).EnableWindow(true);
  m_category = category;
  return true;
}

void CModelPage::TakeSelectedModel(int listId) {
  CComboBox list = GetComboBox(listId);
  const int selected = list.GetCurSel();
  m_modelName = selected < 0 ? std::string() : list.GetLBText(selected).substr(0, kModelNameLimit);
}

void CModelPage::ChooseCategory(std::int32_t category) {
  for (int listId : kLists) GetDlgItem(listId).EnableWindow(false);
  TakeSelectedModel(kLists[category]);
  GetDlgItem(kLists[category]).EnableWindow(true);
  m_category = category;
}

bool CModelPage::OnCommand(int id, int notifyCode) {
  for (int k = 0; k < 4; ++k) {
    if (id == kRadios[k] && notifyCode == BN_CLICKED) {
      ChooseCategory(k);
      return true;
    }
    if (id == kLists[k] && notifyCode == CBN_SELCHANGE) {
      TakeSelectedModel(id);
      return true;
    }
  }
  return CDialog::OnCommand(id, notifyCode);
}

}  // namespace setwell
