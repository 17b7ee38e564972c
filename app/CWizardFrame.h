// The wizard: a picture on the left, one page at a time on the right, and
// Back, Next/Finish and Cancel. It checks the model's settings when the user
// leaves a page, runs the install on Finish, opens the help on F1 and shows
// the about box from the system menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/InstallSequence.h"
#include "config/InstallConfig.h"
#include "ui/CDialog.h"

namespace setwell {

class CLicencePage;
class CModelPage;
class CPortPage;
class CSetupTypePage;
class CTargetSystemPage;

// The wizard's five pages, by what each is.
struct WizardPages {
  CLicencePage& licence;
  CModelPage& model;
  CSetupTypePage& setupType;
  CTargetSystemPage& targetSystem;
  CPortPage& port;
};

// Page indexes, fixed by the order of registration.
enum PageIndex : int {
  kLicencePage = 0,
  kModelPage = 1,
  kSetupTypePage = 2,
  kTargetSystemPage = 3,
  kPortPage = 4,
};

class CWizardFrame : public CDialog {
 public:
  explicit CWizardFrame(Platform& platform);

  void AddPage(const std::string& caption, CDialog* page, unsigned dialogId);
  // Registers the five pages with AddPage in the wizard's order (licence,
  // model, setup type, target system, port: the page indexes below) and
  // keeps them for the frame's reads of their choices.
  void AddPages(const WizardPages& pages);
  CDialog* GetPage(int index) const;
  virtual void ShowPage(int index);

  bool OnInitDialog() override;
  void OnShown() override;
  void OnOK() override;
  bool OnCommand(int id, int notifyCode) override;
  void OnSysCommand(int command) override;
  bool OnHelp() override;
  bool DestroyWindow() override;

  int CurrentPage() const { return current_; }
  const std::vector<std::string>& Captions() const { return captions_; }

  std::string m_title = "Wizard";

  // The install's working fields, as the last Finish left them.
  InstallSelections m_selections;
  InstallOutcome m_lastOutcome = InstallOutcome::kStayOpen;
  // What the last install put in place (whole after kCompleted).
  InstalledParts m_installed;

 private:
  void OnBack();
  // Creates the window of page `index`, once, and places it in the page
  // area. The first page is made as the frame opens, the others as soon as
  // the wizard has shown, before it takes any input: made before, they were
  // most of the time to the wizard's first window (every drop-down list is
  // a window of the host's with a pop-up list of its own). A page needed
  // earlier is made then.
  void CreatePage(int index);
  void RunInstall();
  void DestroyPages();
  // The choices the pages hold now, into m_selections.
  void GatherSelections();

  Platform& platform_;
  // Set by AddPages; the frame runs without them (no install) otherwise.
  std::optional<WizardPages> typed_;
  std::vector<CDialog*> pages_;
  std::vector<std::string> captions_;
  std::vector<unsigned> dialogIds_;
  // Whether each page's window has been made (or tried: a page that could
  // not be made is not tried again).
  std::vector<bool> pageMade_;
  // The page area in the frame's client coordinates.
  Rect pageArea_;
  int current_ = -1;

  // Kept from the last forward move off the model page, read when leaving
  // the target system page: the model's category file and model name.
  InstallConfig modelSettings_;
  std::string settingsModel_;
  // Set at start and by every Back from the setup type page to an earlier
  // page: the next forward move off the target system page loads the
  // model's baud rate into the port page.
  bool reloadBaudRate_ = true;
};

}  // namespace setwell
