// Dialog layouts as data: the single source from which every UI backend
// (real windows, in-memory controls, the terminal) builds its dialogs.
// Positions and sizes are in dialog units.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setwell {

enum class ControlKind {
  kGroupBox,
  kStatic,         // left-aligned text
  kRadioButton,    // automatic radio button
  kCheckBox,       // automatic check box
  kPushButton,
  kDefPushButton,  // the default push button
  kDropDownList,   // a combo box whose list drops down; no edit field
  kEtchedFrame,    // placeholder frame
  kEtchedLine,     // horizontal etched line
  kBitmap,         // picture from a bitmap resource
  kIcon,           // picture from an icon resource
  kRichText,       // read-only formatted text view
};

enum ControlFlag : std::uint32_t {
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kGroup = 1u << 2,     // starts a group of radio buttons
  kSorted = 1u << 3,    // list keeps its entries sorted without regard to case
  kCentered = 1u << 4,  // text centred
  kNoNotify = 1u << 5,  // static text that lets mouse input through
};

// The id of controls nobody addresses.
constexpr int IDC_STATIC = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* caption;
  short x, y, cx, cy;
  std::uint32_t flags = 0;
  // Entries of a drop-down list at creation, null-terminated; or null.
  const char* const* items = nullptr;
  // Resource of a bitmap or icon control.
  int resource = 0;
};

enum DialogStyle : std::uint32_t {
  kChildDialog = 1u << 0,  // a page: no caption, no frame
  kSystemMenu = 1u << 1,
  kMinimizeBox = 1u << 2,
  kTaskbarButton = 1u << 3,
};

struct DialogTemplate {
  int id;
  const char* caption;
  short cx, cy;
  std::uint32_t style;
  const char* fontFace;
  short fontPoints;
  const ControlTemplate* controls;
  std::size_t controlCount;

  const ControlTemplate* Find(int controlId) const {
    for (std::size_t i = 0; i < controlCount; ++i) {
      if (controls[i].id == controlId) return &controls[i];
    }
    return nullptr;
  }
};

// The layout of dialog `id`, or null.
const DialogTemplate* FindDialogTemplate(int id);

// Resource ids.
enum ResourceId : int {
  IDD_ABOUTBOX = 100,
  IDD_WIZARD = 102,
  IDR_MAINFRAME = 128,  // the application icon
  IDD_TARGET_SYSTEM = 130,
  IDD_MODEL = 131,
  IDD_PORT = 132,
  IDD_LICENCE = 133,
  IDB_WIZARD_PICTURE = 136,
  IDD_SETUP_TYPE = 137,
  IDB_WIZARD_PICTURE_WIDE = 138,  // the same picture for a wider dialog font
};

// Bitmap resources that hold one picture drawn at several sizes, the
// layout's own first: a window shows the one that fits its control as it
// is, and stretches the first only when none does.
struct PictureSizes {
  int resources[2];
};
constexpr PictureSizes kWizardPictureSizes{{IDB_WIZARD_PICTURE, IDB_WIZARD_PICTURE_WIDE}};

// Control ids.
enum ControlId : int {
  IDC_PAGE_AREA = 1001,
  IDC_BACK = 1002,
  IDC_RECEIPT = 1019,
  IDC_TICKET = 1020,
  IDC_LABEL = 1021,
  IDC_WIN98 = 1026,
  IDC_WINNT = 1027,
  IDC_WIN2000 = 1028,
  IDC_WINXP = 1029,
  IDC_RECEIPT_MODELS = 1030,
  IDC_TICKET_MODELS = 1031,
  IDC_LABEL_MODELS = 1032,
  IDC_BAUD_RATE = 1041,
  IDC_BYTE_SIZE = 1042,
  IDC_PARITY = 1043,
  IDC_STOP_BITS = 1044,
  IDC_PROTOCOL = 1045,
  IDC_DEFAULT_PRINTER = 1046,
  IDC_PORTS = 1049,
  IDC_RASTER = 1052,
  IDC_ACCEPT = 1057,
  IDC_REJECT = 1058,
  IDC_AGREEMENT = 1063,
  IDC_USB_NOTE = 1065,
  IDC_TYPICAL = 1066,
  IDC_ADVANCED = 1067,
  IDC_REMARK1 = 1068,
  IDC_REMARK2 = 1069,
  IDC_REMARK3 = 1070,
  IDC_EMBEDDED = 1073,
  IDC_EMBEDDED_MODELS = 1074,
  IDC_WIN2003 = 1075,
};

constexpr int IDM_ABOUTBOX = 16;  // system menu command

}  // namespace setwell
