#include "pages/CPortPage.h"

#include <cstdlib>

#include "resources/StringTable.h"
#include "system/PortNames.h"
#include "system/UsbDevice.h"

namespace setwell {
namespace {

constexpr int kSerialLists[5] = {IDC_BAUD_RATE, IDC_BYTE_SIZE, IDC_STOP_BITS, IDC_PARITY,
                                 IDC_PROTOCOL};
constexpr int kToolTipWidth = 200;
// The entry that every rate the list lacks selects.
constexpr std::int32_t kListedDefaultBaudRate = 38400;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The entry of the port list that a USB port of the probed printer takes:
// "_1".."_4" after the model name.
std::string UsbPortSuffix(std::int32_t deviceNumber) { return "_" + std::to_string(deviceNumber); }

}  // namespace

int BaudRateEntry(std::int32_t baudRate) {
  switch (baudRate) {
    case 110: return 0;
    case 300: return 1;
    case 1200: return 2;
    case 2400: return 3;
    case 4800: return 4;
    case 9600: return 5;
    case 19200: return 6;
    case 57600: return 8;
    case 115200: return 9;
    default: return 7;  // 38400, and every rate the list lacks
  }
}

void CPortPage::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_USB_NOTE, m_note);
  DDX_Check(pDX, IDC_RASTER, m_raster);
}

bool CPortPage::OnInitDialog() {
  CDialog::OnInitDialog();
  GetComboBox(IDC_BYTE_SIZE).SetCurSel(3);   // "8"
  GetComboBox(IDC_STOP_BITS).SetCurSel(0);   // "1"
  GetComboBox(IDC_PARITY).SetCurSel(2);      // "None"
  GetComboBox(IDC_PROTOCOL).SetCurSel(2);    // "Hardware"
  m_byteSize = 8;
  m_stopBits = 1.0;
  m_parity = 'n';
  m_flow = 'p';
  Backend()->SetToolTip(IDC_RASTER, LoadStringText(IDS_PRESS_F1), kToolTipWidth);
  m_note.SetTextColor(Rgb(0, 0, 255)).SetBkColor(Rgb(255, 255, 0)).SetFontSize(14).SetFontFace("Arial");
  m_lastBuiltModel = "PRINTER";
  m_setupType = kTypicalSetup;
  lastSetupType_ = kTypicalSetup;
  return true;
}

void CPortPage::EnableSerialLists(bool enable) {
  for (int id : kSerialLists) GetDlgItem(id).EnableWindow(enable);
}

bool CPortPage::SelectContaining(const std::string& a, const std::string& b) {
  CComboBox ports = GetComboBox(IDC_PORTS);
  for (int i = 0; i < ports.GetCount(); ++i) {
    const std::string text = ports.GetLBText(i);
    if (Contains(text, a) && (b.empty() || Contains(text, b))) {
      ports.SetCurSel(i);
      return true;
    }
  }
  return false;
}

void CPortPage::TakeSelectedPort() {
  CComboBox ports = GetComboBox(IDC_PORTS);
  // The port name keeps the entry's whole text: a name cut short would
  // name a port that does not exist.
  m_portName = ports.GetCurSel() < 0 ? std::string() : ports.GetLBText(ports.GetCurSel());
}

void CPortPage::SetControlsForPort() {
  if (MentionsUsb(m_portName)) {
    m_note.Window().ShowWindow(true);
    GetDlgItem(IDC_RASTER).EnableWindow(true);
    m_raster = kRasterDriver;
  } else if (NamesParallelPort(m_portName)) {
    m_note.Window().ShowWindow(false);
    GetDlgItem(IDC_RASTER).EnableWindow(true);
    m_raster = kRasterDriver;
    EnableSerialLists(false);
  } else {
    EnableSerialLists(true);
    m_note.Window().ShowWindow(false);
    GetDlgItem(IDC_RASTER).EnableWindow(false);
    m_raster = kStandardDriver;
  }
}

void CPortPage::BuildPortList(const std::string& model, std::int32_t target,
                              std::int32_t category, std::int32_t setupType) {
  m_setupType = setupType;
  // The first build always builds, whatever the model is called.
  if (built_ && model == m_lastBuiltModel && m_setupType == lastSetupType_) return;
  built_ = true;
  lastSetupType_ = m_setupType;
  m_lastBuiltModel = model;
  const bool typical = m_setupType == kTypicalSetup;

  CComboBox ports = GetComboBox(IDC_PORTS);
  ports.ResetContent();
  if (target == kWin98) {
    for (const char* port : {"COM1:", "COM2:", "LPT1:"}) ports.AddString(port);
  } else {
    for (int i = 1; i <= 8; ++i) ports.AddString("TVCOM" + std::to_string(i) + ":");
    for (int i = 1; i <= 3; ++i) ports.AddString("LPT" + std::to_string(i) + ":");
  }

  InstallConfig config(platform_);
  config.SetCategory(category);
  const std::int32_t usbSupported = config.GetModelPortSetting(model, "USBSUPPORTED");
  const std::int32_t lptDefault = config.GetModelPortSetting(model, "LPTDEFAULT");
  const std::int32_t probe = ProbeUsbPrinter(platform_);

  bool usbSelected = false;
  if (usbSupported != 0) {
    if (target != kWinNT4) {
      const int count = typical ? 1 : 4;
      for (int i = 1; i <= count; ++i) ports.AddString("USB_" + model + "_" + std::to_string(i));
    }
    if (probe != kNoUsbPrinter) {
      const int number = UsbDeviceNumber(probe);
      if (typical) {
        usbSelected = SelectContaining("USB");
      } else {
        if (number > 4) ports.SetCurSel(0);
        usbSelected = SelectContaining("USB", UsbPortSuffix(number)) || number > 4;
      }
      // A printer was found but no entry stands for it (no USB entries on
      // NT 4.0, several printers in the advanced list): the selection falls
      // back to the rule for no printer, so that one entry is always
      // selected; Finish checks the USB state again.
      if (usbSelected) {
        TakeSelectedPort();
        EnableSerialLists(false);
      }
    }
  }
  if (!usbSelected) {
    if (lptDefault == 0 || !SelectContaining("LPT")) ports.SetCurSel(0);
    TakeSelectedPort();
  }
  SetControlsForPort();
  GetDlgItem(IDC_RASTER).ShowWindow(!typical);
  GetButton(IDC_RASTER).SetCheck(m_raster);
}

void CPortPage::OnPortChosen() {
  TakeSelectedPort();
  if (NamesSerialPort(m_portName)) {
    EnableSerialLists(true);
    GetDlgItem(IDC_RASTER).EnableWindow(false);
    m_note.Window().ShowWindow(false);
    m_raster = kStandardDriver;
  } else {
    EnableSerialLists(false);
    GetDlgItem(IDC_RASTER).EnableWindow(true);
    m_raster = kRasterDriver;
    m_note.Window().ShowWindow(MentionsUsb(m_portName));
  }
  GetButton(IDC_RASTER).SetCheck(m_raster);
}

void CPortPage::PresetBaudRate(std::int32_t baudRate) {
  // A rate missing from the configuration reads 0; the list then shows
  // 38400, and that is the rate the port gets, not a baud rate of 0. Any
  // positive rate is kept as configured, listed or not.
  m_baudRate = baudRate > 0 ? baudRate : kListedDefaultBaudRate;
  GetComboBox(IDC_BAUD_RATE).SetCurSel(BaudRateEntry(baudRate));
}

bool CPortPage::OnCommand(int id, int notifyCode) {
  if (notifyCode != CBN_SELCHANGE) return CDialog::OnCommand(id, notifyCode);
  CComboBox list = GetComboBox(id);
  const std::string text = list.GetCurSel() < 0 ? std::string() : list.GetLBText(list.GetCurSel());
  switch (id) {
    case IDC_PORTS:
      OnPortChosen();
      return true;
    case IDC_BAUD_RATE:
      m_baudRate = std::atoi(text.c_str());
      return true;
    case IDC_BYTE_SIZE:
      m_byteSize = std::atoi(text.c_str());
      return true;
    case IDC_STOP_BITS:
      m_stopBits = std::atof(text.c_str());
      return true;
    case IDC_PARITY:
      m_parity = text.empty() ? m_parity : text[0];
      return true;
    case IDC_PROTOCOL:
      if (text == "Xon/Xoff") m_flow = 'x';
      if (text == "Hardware") m_flow = 'p';
      if (text == "None") m_flow = ' ';
      return true;
    default:
      return CDialog::OnCommand(id, notifyCode);
  }
}

}  // namespace setwell
