// Page 4: the port, the serial line settings, and the choice of the raster
// graphic printing driver.
#pragma once

#include <cstdint>
#include <string>

#include "config/InstallConfig.h"
#include "pages/CNoteLabel.h"
#include "ui/CDialog.h"

namespace setwell {

class CPortPage : public CDialog {
 public:
  explicit CPortPage(Platform& platform) : CDialog(IDD_PORT), platform_(platform) {}
  bool OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id, int notifyCode) override;
  void OnOK() override {}
  void OnCancel() override {}

  // Fills the port list for the model and setup type (which becomes
  // m_setupType); nothing changes when model and setup type equal those of
  // the last build.
  void BuildPortList(const std::string& model, std::int32_t target, std::int32_t category,
                     std::int32_t setupType);
  // The baud rate of the model's configuration, and its list entry.
  void PresetBaudRate(std::int32_t baudRate);

  std::string m_portName;
  std::string m_lastBuiltModel = "PRINTER";
  std::int32_t m_baudRate = 0;
  std::int32_t m_byteSize = 8;
  double m_stopBits = 1.0;
  char m_parity = 'n';
  char m_flow = 'p';
  std::int32_t m_setupType = kTypicalSetup;
  CNoteLabel m_note;
  int m_raster = kStandardDriver;

 private:
  void EnableSerialLists(bool enable);
  // Selects the first entry containing all the given texts; false when none.
  bool SelectContaining(const std::string& a, const std::string& b = std::string());
  void TakeSelectedPort();
  void SetControlsForPort();
  void OnPortChosen();

  Platform& platform_;
  std::int32_t lastSetupType_ = kAdvancedSetup;
  // Set by the first BuildPortList: until then no list has been built, for
  // any model name.
  bool built_ = false;
};

// The baud rate list's entry for a configured baud rate.
int BaudRateEntry(std::int32_t baudRate);

}  // namespace setwell
