// Our dialog class library on the in-memory backend.
#include <gtest/gtest.h>

#include "sim/SimMachine.h"
#include "tests/conformance/ListSearch.h"
#include "ui/CDialog.h"
#include "tests/TestApp.h"
#include "ui/CWinApp.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

using testing::TestApp;

// A dialog on the model page's layout that records what reaches it.
class ProbeDialog : public CDialog {
 public:
  ProbeDialog() : CDialog(IDD_MODEL) {}
  bool OnInitDialog() override {
    ++inits;
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Check(pDX, IDC_DEFAULT_PRINTER, flag);
    if (pDX->m_bSaveAndValidate && refuse) pDX->Fail();
  }
  bool OnCommand(int id, int code) override {
    commands.emplace_back(id, code);
    return CDialog::OnCommand(id, code);
  }
  int inits = 0;
  int flag = 0;
  bool refuse = false;
  std::vector<std::pair<int, int>> commands;
};

class DialogLibraryTest : public ::testing::Test {
 protected:
  sim::SimMachine machine;
  HeadlessUi ui;
  TestApp app{ui, machine};
  CDialog parent{IDD_WIZARD};
};

TEST_F(DialogLibraryTest, ModalRunEndsOnOkWithDataExchangeAndCountsAbandonedDialogs) {
  ProbeDialog dialog;
  ui.modalDriver = [&](HeadlessWindow& window) {
    EXPECT_EQ(window.TemplateId(), IDD_MODEL);
    EXPECT_TRUE(window.Click(IDC_DEFAULT_PRINTER));
    dialog.OnCommand(IDOK_RESULT, BN_CLICKED);  // Enter: the dialog's own OK
  };
  EXPECT_EQ(dialog.DoModal(), IDOK_RESULT);
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_EQ(dialog.flag, 1);
  EXPECT_EQ(ui.AbandonedDialogs(), 0);
  EXPECT_TRUE(ui.Windows().empty());

  ProbeDialog refusing;
  refusing.refuse = true;
  ui.modalDriver = [&](HeadlessWindow&) { refusing.OnCommand(IDOK_RESULT, BN_CLICKED); };
  EXPECT_EQ(refusing.DoModal(), IDCANCEL_RESULT);  // OK refused; left open, then cancelled
  EXPECT_EQ(ui.AbandonedDialogs(), 1);
}

TEST_F(DialogLibraryTest, RadioGroupsSwitchAutomaticallyAndDisabledControlsIgnoreClicks) {
  ui.modalDriver = [&](HeadlessWindow& window) {
    ProbeDialog child;
    ASSERT_TRUE(child.Create(IDD_MODEL, &parent));
    HeadlessWindow* page = ui.FindWindow(IDD_MODEL);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Parent(), &window);
    EXPECT_EQ(child.inits, 1);
    EXPECT_FALSE(page->IsVisible());  // children start hidden

    child.CheckRadioButton(IDC_RECEIPT, IDC_EMBEDDED, IDC_TICKET);
    EXPECT_TRUE(page->Click(IDC_LABEL));
    EXPECT_EQ(child.GetCheckedRadioButton(IDC_RECEIPT, IDC_EMBEDDED), IDC_LABEL);
    EXPECT_EQ(child.IsDlgButtonChecked(IDC_TICKET), 0);
    // The check box below starts a group of its own.
    EXPECT_TRUE(page->Click(IDC_DEFAULT_PRINTER));
    EXPECT_EQ(child.IsDlgButtonChecked(IDC_LABEL), 1);

    child.GetDlgItem(IDC_RECEIPT).EnableWindow(false);
    EXPECT_FALSE(page->Click(IDC_RECEIPT));
    EXPECT_EQ(child.IsDlgButtonChecked(IDC_RECEIPT), 0);
    const std::vector<std::pair<int, int>> expected = {{IDC_LABEL, BN_CLICKED},
                                                       {IDC_DEFAULT_PRINTER, BN_CLICKED}};
    EXPECT_EQ(child.commands, expected);
    parent.EndDialog(IDCANCEL_RESULT);
  };
  parent.DoModal();
}

TEST_F(DialogLibraryTest, DropDownListsSortAndSearchByPrefix) {
  ui.modalDriver = [&](HeadlessWindow&) {
    ProbeDialog child;
    ASSERT_TRUE(child.Create(IDD_MODEL, &parent));
    CComboBox sorted = child.GetComboBox(IDC_EMBEDDED_MODELS);
    for (const char* name : {"em-9", "EM-10", "Alpha", "beta"}) sorted.AddString(name);
    EXPECT_EQ(sorted.GetLBText(0), "Alpha");
    EXPECT_EQ(sorted.GetLBText(1), "beta");
    EXPECT_EQ(sorted.GetLBText(2), "EM-10");
    EXPECT_EQ(sorted.GetLBText(3), "em-9");

    CComboBox plain = child.GetComboBox(IDC_RECEIPT_MODELS);
    plain.AddString("X-1");
    plain.AddString("X-100");
    EXPECT_EQ(plain.GetLBText(0), "X-1");
    EXPECT_EQ(plain.SetCurSel(5), -1);
    // The search, as the Win32 build's lists answer it too.
    conformance::CheckListPrefixSearch([&] { return child.GetComboBox(IDC_RECEIPT_MODELS); });
    conformance::CheckSortedListPrefixSearch(
        [&] { return child.GetComboBox(IDC_EMBEDDED_MODELS); });
    parent.EndDialog(IDCANCEL_RESULT);
  };
  parent.DoModal();
}

}  // namespace
}  // namespace setwell
