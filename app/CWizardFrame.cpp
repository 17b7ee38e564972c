#include "app/CWizardFrame.h"

#include "app/CAboutDlg.h"
#include "pages/CModelPage.h"
#include "pages/CPortPage.h"
#include "pages/CSetupTypePage.h"
#include "pages/CTargetSystemPage.h"
#include "resources/StringTable.h"
#include "pages/CLicencePage.h"
#include "resources/Texts.h"
#include "system/Messages.h"
#include "ui/StartupTrace.h"

namespace setwell {
namespace {
constexpr const char* kNextText = "Next (&N)>>";
constexpr const char* kFinishText = "Finish (&F)";
constexpr const char* kBackText = "<<Back (&B)";
constexpr const char* kCancelText = "Cancel (&C)";
}  // namespace

CWizardFrame::CWizardFrame(Platform& platform)
    : CDialog(IDD_WIZARD), platform_(platform), modelSettings_(platform) {}

void CWizardFrame::AddPage(const std::string& caption, CDialog* page, unsigned dialogId) {
  pages_.push_back(page);
  captions_.push_back(caption);
  dialogIds_.push_back(dialogId);
  pageMade_.push_back(false);
}

CDialog* CWizardFrame::GetPage(int index) const {
  return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[index] : nullptr;
}

void CWizardFrame::AddPages(const WizardPages& pages) {
  AddPage(kLicencePageCaption, &pages.licence, IDD_LICENCE);
  AddPage(kModelPageCaption, &pages.model, IDD_MODEL);
  AddPage(kSetupTypePageCaption, &pages.setupType, IDD_SETUP_TYPE);
  AddPage(kTargetSystemPageCaption, &pages.targetSystem, IDD_TARGET_SYSTEM);
  AddPage(kPortPageCaption, &pages.port, IDD_PORT);
  typed_.emplace(pages);
}

void CWizardFrame::GatherSelections() {
  if (!typed_) return;
  InstallSelections& s = m_selections;
  s.setupType = typed_->setupType.m_setupType;
  s.target = typed_->targetSystem.m_targetSystem;
  s.category = typed_->model.m_category;
  s.modelName = typed_->model.m_modelName;
  s.defaultPrinter = typed_->model.m_defaultPrinter != 0;
  const CPortPage& port = typed_->port;
  s.portName = port.m_portName;
  s.rasterGraphics = port.m_raster;
  s.serial = SerialLineSettings{port.m_baudRate, port.m_byteSize, port.m_stopBits, port.m_parity,
                                port.m_flow};
}

bool CWizardFrame::OnInitDialog() {
  SETWELL_STARTUP_MARK("frame window made");
  CDialog::OnInitDialog();
  const std::string about = LoadStringText(IDS_ABOUTBOX);
  if (!about.empty()) Backend()->AppendSystemMenuItem(IDM_ABOUTBOX, about);
  Backend()->SetIcon(IDR_MAINFRAME);

  if (!pages_.empty()) {
    pageArea_ = GetControlRect(IDC_PAGE_AREA);
    ShowPage(0);
  }
  // The running system decides the target system page before the wizard
  // shows, whether or not the user gets as far as that page.
  if (typed_) typed_->targetSystem.DetectTargetSystem();
  SetWindowText(m_title);
  SetDlgItemText(IDC_BACK, kBackText);
  SetDlgItemText(IDOK_RESULT, pages_.size() >= 2 ? kNextText : kFinishText);
  SetDlgItemText(IDCANCEL_RESULT, kCancelText);
  SETWELL_STARTUP_MARK("frame initialised");
  return true;
}

void CWizardFrame::OnShown() {
  for (std::size_t i = 0; i < pages_.size(); ++i) CreatePage(static_cast<int>(i));
  SETWELL_STARTUP_MARK("every page made");
}

void CWizardFrame::CreatePage(int index) {
  if (pageMade_[index]) return;
  pageMade_[index] = true;
  SETWELL_STARTUP_MARK(("page to be created " + std::to_string(index)).c_str());
  // A page whose window cannot be made leaves the page area empty while it
  // is current; the wizard goes on.
  if (pages_[index]->Create(static_cast<int>(dialogIds_[index] & 0xFFFF), this)) {
    pages_[index]->MoveWindow(pageArea_);
  }
  SETWELL_STARTUP_MARK(("page created " + std::to_string(index)).c_str());
}

void CWizardFrame::ShowPage(int index) {
  if (current_ >= 0) {
    if (!pages_[current_]->UpdateData(true)) return;
    pages_[current_]->ShowWindow(false);
  }
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  // Before anything below reads or sets the page.
  CreatePage(index);

  if (current_ == kSetupTypePage && index < kSetupTypePage) reloadBaudRate_ = true;
  if (current_ == kLicencePage) {
    GetDlgItem(IDOK_RESULT).EnableWindow(typed_ && typed_->model.m_modelsAvailable != 0);
  }
  if (current_ == kModelPage && index > current_ && typed_) {
    const CModelPage& model = typed_->model;
    m_selections.category = model.m_category;
    settingsModel_ = model.m_modelName;
    modelSettings_.SetCategory(model.m_category);
    const std::int32_t advanced = modelSettings_.GetModelPortSetting(settingsModel_, "AdvancedSetup");
    // The page the move arrives at: the setup type page, in the wizard's order.
    if (index == kSetupTypePage) typed_->setupType.ApplyAdvancedSetting(advanced);
  }
  if (current_ == kTargetSystemPage && index > current_) {
    const std::int32_t supported =
        modelSettings_.GetModelPortSetting(settingsModel_, "System2003Supported");
    if (reloadBaudRate_) {
      if (typed_) {
        typed_->port.PresetBaudRate(modelSettings_.GetModelPortSetting(settingsModel_, "BaudRate"));
      }
      reloadBaudRate_ = false;
    }
    if (typed_ && typed_->targetSystem.m_targetSystem == kWin2003 && supported == 0) {
      ShowError(platform_, IDS_NO_SERVER_2003);
      current_ = index - 1;
      pages_[current_]->ShowWindow(true);
      return;
    }
  }
  current_ = index;
  pages_[current_]->ShowWindow(true);
}

void CWizardFrame::OnOK() {
  const int last = static_cast<int>(pages_.size()) - 1;
  if (current_ < last) {
    ShowPage(current_ + 1);
    if (current_ == last) {
      SetDlgItemText(IDOK_RESULT, kFinishText);
      if (typed_) {
        GatherSelections();
        const InstallSelections& s = m_selections;
        typed_->port.BuildPortList(s.modelName, s.target, s.category, s.setupType);
      }
    }
    GetDlgItem(IDC_BACK).EnableWindow(true);
    GetDlgItem(IDOK_RESULT).SetFocus();
    return;
  }
  RunInstall();
}

void CWizardFrame::RunInstall() {
  for (CDialog* page : pages_) page->UpdateData(true);  // a refusal does not stop Finish
  GatherSelections();
  InstallSelections& s = m_selections;

  InstallSequence sequence(platform_, s);
  m_lastOutcome = sequence.Run();
  if (m_lastOutcome == InstallOutcome::kStayOpen) return;
  if (m_lastOutcome == InstallOutcome::kCompleted) s.modelName = sequence.FinalPrinterName();
  m_installed = sequence.Parts();
  DestroyPages();
  CDialog::OnOK();
  if (m_lastOutcome == InstallOutcome::kCompleted) sequence.Complete();
}

void CWizardFrame::DestroyPages() {
  for (CDialog* page : pages_) page->DestroyWindow();
}

void CWizardFrame::OnBack() {
  if (current_ > 0) {
    SetDlgItemText(IDOK_RESULT, kNextText);
    ShowPage(current_ - 1);
  }
  if (current_ == 0) {
    GetDlgItem(IDC_BACK).EnableWindow(false);
    GetDlgItem(IDOK_RESULT).SetFocus();
  }
  GetDlgItem(IDOK_RESULT).EnableWindow(true);
}

bool CWizardFrame::OnCommand(int id, int notifyCode) {
  if (id == IDC_BACK && notifyCode == BN_CLICKED) {
    OnBack();
    return true;
  }
  return CDialog::OnCommand(id, notifyCode);
}

void CWizardFrame::OnSysCommand(int command) {
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about(this);
    about.DoModal();
  }
}

bool CWizardFrame::OnHelp() {
  if (WindowHandle help = platform_.FindWindowA(nullptr, kHelpWindowTitle)) {
    platform_.ActivateWindow(help);
  } else {
    // Activated and shown in its current size and place.
    platform_.ShellOpen(kHelpFile, SW_SHOW);
  }
  return true;
}

bool CWizardFrame::DestroyWindow() {
  pages_.clear();
  captions_.clear();
  dialogIds_.clear();
  pageMade_.clear();
  return CDialog::DestroyWindow();
}

}  // namespace setwell
