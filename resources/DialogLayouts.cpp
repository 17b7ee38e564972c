#include "resources/DialogTemplate.h"

namespace setwell {
namespace {

using K = ControlKind;

constexpr const char* kPageFont = "System";

// --- 100: about box ------------------------------------------------------------
constexpr ControlTemplate kAbout[] = {
    {IDC_STATIC, K::kIcon, "", 7, 11, 20, 20, 0, nullptr, IDR_MAINFRAME},
    {IDC_STATIC, K::kStatic, "Setwell Version 1.20", 40, 10, 124, 8},
    {IDC_STATIC, K::kStatic, "Thermal printer driver setup", 40, 27, 120, 8},
    {1, K::kDefPushButton, "OK", 166, 7, 50, 15, kGroup},
};

// --- 102: wizard frame -----------------------------------------------------------
constexpr ControlTemplate kWizard[] = {
    {IDC_STATIC, K::kStatic, "Press \"F1\" for help", 4, 171, 77, 8, kGroup},
    {IDC_PAGE_AREA, K::kEtchedFrame, "", 91, 1, 194, 158, kHidden},
    {IDC_BACK, K::kPushButton, "<<&Back", 112, 165, 50, 14, kDisabled},
    {1, K::kDefPushButton, "OK", 168, 165, 50, 14, kDisabled},
    {2, K::kPushButton, "Cancel", 224, 165, 50, 14},
    {IDC_STATIC, K::kEtchedLine, "", 94, 162, 191, 1},
    {IDC_STATIC, K::kBitmap, "", 6, 5, 83, 159, 0, nullptr, IDB_WIZARD_PICTURE},
};

// Every dialog's first control starts a group, and so does the first
// control after a page's last radio button: the dialog manager's arrow keys
// walk a group round from its end to its start, through the frame and the
// page shown in it, and without these marks the controls before the buttons
// (the agreement, the group box, the frame's own) or after them (the
// remarks) would be part of the buttons' group.

// --- 130: target system page -----------------------------------------------------
constexpr ControlTemplate kTargetSystem[] = {
    {IDC_STATIC, K::kGroupBox, "Select Install OS ", 7, 5, 186, 150, kGroup},
    {IDC_WIN98, K::kRadioButton, "Windows 98/Me", 39, 29, 68, 10, kGroup},
    {IDC_WINNT, K::kRadioButton, "Windows NT", 39, 53, 57, 10},
    {IDC_WIN2000, K::kRadioButton, "Windows 2000", 39, 77, 64, 10},
    {IDC_WINXP, K::kRadioButton, "Windows XP", 39, 101, 57, 10},
    {IDC_WIN2003, K::kRadioButton, "Windows Server 2003 ", 39, 125, 96, 10},
};

// --- 131: printer model page -----------------------------------------------------
// The four radio buttons come one after the other as one group, and the
// lists after them as the next: the dialog manager's arrow keys walk a group
// in this order, so a list between two buttons would take the focus (and
// change its model) on the way from "Receipt" to "Ticket", and a group start
// on a list between them would leave "Receipt" checked when "Ticket" is
// clicked. Tab reaches the checked button, then the enabled list, then the
// check box.
constexpr ControlTemplate kModel[] = {
    {IDC_STATIC, K::kGroupBox, "Select Install Module", 7, 4, 186, 136, kGroup},
    {IDC_RECEIPT, K::kRadioButton, "Receipt", 19, 27, 37, 10, kGroup},
    {IDC_TICKET, K::kRadioButton, "Ticket", 19, 55, 34, 10},
    {IDC_LABEL, K::kRadioButton, "Label", 19, 83, 40, 10},
    {IDC_EMBEDDED, K::kRadioButton, "Embedded", 19, 111, 48, 10},
    {IDC_RECEIPT_MODELS, K::kDropDownList, "", 69, 25, 110, 89, kGroup},
    {IDC_TICKET_MODELS, K::kDropDownList, "", 69, 53, 110, 81},
    {IDC_LABEL_MODELS, K::kDropDownList, "", 69, 81, 110, 78},
    {IDC_EMBEDDED_MODELS, K::kDropDownList, "", 69, 109, 110, 108, kSorted},
    {IDC_DEFAULT_PRINTER, K::kCheckBox, "Set As Default Printer", 7, 149, 85, 10, kGroup},
};

// --- 132: port page ---------------------------------------------------------------
constexpr const char* kBaudRates[] = {"110",  "300",   "1200",  "2400",  "4800", "9600",
                                      "19200", "38400", "57600", "115200", nullptr};
constexpr const char* kParities[] = {"Even", "Mark", "None", "Odd", "Space", nullptr};
constexpr const char* kByteSizes[] = {"5", "6", "7", "8", nullptr};
constexpr const char* kStopBits[] = {"1", "1.5", "2", nullptr};
constexpr const char* kProtocols[] = {"None", "Xon/Xoff", "Hardware", nullptr};

// The serial lists are as wide as their longest entry needs ("115200",
// "Space"), each column as wide as its widest list, inside the group box.
constexpr ControlTemplate kPort[] = {
    {IDC_STATIC, K::kGroupBox, "Set Printer Port", 7, 4, 184, 126, kGroup},
    {IDC_STATIC, K::kStatic, "Ports:", 18, 25, 32, 8},
    {IDC_PORTS, K::kDropDownList, "", 60, 23, 115, 74, kGroup},
    {IDC_STATIC, K::kGroupBox, "COM port setting", 14, 42, 166, 82},
    {IDC_STATIC, K::kStatic, "Baud Rate:", 19, 59, 37, 8},
    {IDC_BAUD_RATE, K::kDropDownList, "", 60, 57, 41, 98, kGroup, kBaudRates},
    {IDC_STATIC, K::kStatic, "Parity:", 103, 59, 27, 8},
    {IDC_PARITY, K::kDropDownList, "", 142, 57, 36, 82, kGroup, kParities},
    {IDC_STATIC, K::kStatic, "Byte Size:", 19, 83, 36, 8},
    {IDC_BYTE_SIZE, K::kDropDownList, "", 60, 81, 41, 68, kGroup, kByteSizes},
    {IDC_STATIC, K::kStatic, "Stop Bits:", 103, 83, 35, 8},
    {IDC_STOP_BITS, K::kDropDownList, "", 142, 81, 36, 55, kGroup, kStopBits},
    {IDC_STATIC, K::kStatic, "Protocol:", 19, 107, 31, 8},
    {IDC_PROTOCOL, K::kDropDownList, "", 60, 105, 85, 70, kGroup, kProtocols},
    {IDC_RASTER, K::kCheckBox, "Raster Graphic Printing", 8, 135, 92, 10, kDisabled | kGroup},
    {IDC_USB_NOTE, K::kStatic, "Requires USB device driver to be installed", 7, 148, 184, 11,
     kHidden | kCentered | kNoNotify},
};

// --- 133: licence agreement page ---------------------------------------------------
constexpr ControlTemplate kLicence[] = {
    {IDC_STATIC, K::kGroupBox, "Legal Agreement", 7, 4, 183, 151, kGroup},
    {IDC_AGREEMENT, K::kRichText, "", 13, 21, 171, 110},
    {IDC_ACCEPT, K::kRadioButton, "I &Accept", 21, 139, 48, 10, kGroup},
    {IDC_REJECT, K::kRadioButton, "I &Reject", 80, 139, 48, 10},
};

// --- 137: setup type page -----------------------------------------------------------
constexpr ControlTemplate kSetupType[] = {
    {IDC_STATIC, K::kGroupBox, "Setup Type", 7, 7, 178, 147, kGroup},
    {IDC_TYPICAL, K::kRadioButton, "Typical", 38, 32, 44, 10, kGroup},
    {IDC_ADVANCED, K::kRadioButton, "Advanced", 38, 65, 48, 10},
    {IDC_STATIC, K::kEtchedLine, "", 14, 94, 161, 1, kGroup},
    {IDC_STATIC, K::kStatic, "Remarks:", 18, 102, 33, 8},
    {IDC_REMARK1, K::kStatic, "Typical: Install default printer driver.", 35, 116, 129, 8},
    {IDC_REMARK2, K::kStatic, "Static", 35, 131, 126, 8, kHidden},
    {IDC_REMARK3, K::kStatic, "Static", 35, 147, 113, 8, kHidden},
};

template <std::size_t N>
constexpr std::size_t Count(const ControlTemplate (&)[N]) {
  return N;
}

constexpr DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, "About Setwell", 223, 55, kSystemMenu, "MS Sans Serif", 8, kAbout, Count(kAbout)},
    {IDD_WIZARD, "Wizard", 291, 185, kSystemMenu | kMinimizeBox | kTaskbarButton, "MS Sans Serif",
     8, kWizard, Count(kWizard)},
    {IDD_TARGET_SYSTEM, "", 200, 162, kChildDialog, kPageFont, 10, kTargetSystem,
     Count(kTargetSystem)},
    {IDD_MODEL, "", 200, 162, kChildDialog, kPageFont, 10, kModel, Count(kModel)},
    {IDD_PORT, "", 197, 162, kChildDialog, kPageFont, 10, kPort, Count(kPort)},
    {IDD_LICENCE, "", 197, 162, kChildDialog, kPageFont, 10, kLicence, Count(kLicence)},
    {IDD_SETUP_TYPE, "", 197, 162, kChildDialog, kPageFont, 10, kSetupType, Count(kSetupType)},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& dialog : kDialogs) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

}  // namespace setwell
