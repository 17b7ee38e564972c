// The real dialogs built by the Win32 backend (run under Wine by the test
// run): what the in-memory tests cannot see — the host's windows, classes
// and styles made from the layout tables, the rich edit showing the
// agreement, the note label's colour answer, and the way user actions reach
// the owner dialog.
#include "ui/win32/Win32Window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pages/CLicencePage.h"
#include "pages/CPortPage.h"
#include "resources/StringTable.h"
#include "resources/Texts.h"
#include "system/win32/Win32Platform.h"
#include "tests/conformance/ListSearch.h"
#include "tests/TestApp.h"
#include "ui/CWinApp.h"
#include "ui/win32/Win32UiBackend.h"

namespace setwell {
namespace {

using testing::TestApp;

// A dialog that runs a check inside its WM_INITDIALOG and records what the
// backend hands it.
class ProbeDialog : public CDialog {
 public:
  using CDialog::CDialog;

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return true;
  }
  bool OnCommand(int id, int notifyCode) override {
    commands.emplace_back(id, notifyCode);
    cursorDuringCommand = ::GetCursor();
    if (throwOnCommand) throw std::runtime_error("handler failed");
    return CDialog::OnCommand(id, notifyCode);
  }
  void OnSysCommand(int command) override { sysCommands.push_back(command); }
  bool OnHelp() override {
    ++helpRequests;
    return answerHelp;
  }

  HWND Window() const { return static_cast<Win32Window*>(Backend())->Handle(); }

  std::function<void(ProbeDialog&)> onInit;
  std::vector<std::pair<int, int>> commands;
  std::vector<int> sysCommands;
  int helpRequests = 0;
  bool answerHelp = true;
  bool throwOnCommand = false;
  HCURSOR cursorDuringCommand = nullptr;
};

HWND WindowOf(const CDialog& dialog) {
  return static_cast<Win32Window*>(dialog.Backend())->Handle();
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[4096] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)); }

std::vector<HWND> ChildrenInOrder(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::vector<std::string> ItemsOf(HWND list) {
  std::vector<std::string> items;
  const int count = static_cast<int>(::SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char item[256] = {};
    ::SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    items.emplace_back(item);
  }
  return items;
}

class Win32UiTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_.RegisterRichTextControl(platform_)); }

  // Runs the wizard frame modally with `check` inside its initialisation;
  // the frame is the application's main window, as in the program.
  void WithFrame(const std::function<void(ProbeDialog&)>& check) {
    ProbeDialog frame(IDD_WIZARD);
    app_.m_pMainWnd = &frame;
    frame.onInit = [&](ProbeDialog& self) {
      check(self);
      self.EndDialog(IDOK_RESULT);
    };
    EXPECT_EQ(frame.DoModal(), IDOK_RESULT);
    app_.m_pMainWnd = nullptr;
  }

  Win32Platform platform_;
  Win32UiBackend ui_{::GetModuleHandleA(nullptr)};
  TestApp app_{ui_, platform_};
};

// Every control of every layout, in layout order: the host's class, the
// styles that carry the layout's flags, the caption and a list's entries.
TEST_F(Win32UiTest, DialogsAreBuiltFromTheLayoutTables) {
  struct Expected {
    ControlKind kind;
    const char* className;
    DWORD typeMask;
    DWORD type;
  };
  const Expected kinds[] = {
      {ControlKind::kGroupBox, "Button", BS_TYPEMASK, BS_GROUPBOX},
      {ControlKind::kStatic, "Static", SS_TYPEMASK, SS_LEFT},
      {ControlKind::kRadioButton, "Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
      {ControlKind::kCheckBox, "Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
      {ControlKind::kPushButton, "Button", BS_TYPEMASK, BS_PUSHBUTTON},
      {ControlKind::kDefPushButton, "Button", BS_TYPEMASK, BS_DEFPUSHBUTTON},
      {ControlKind::kDropDownList, "ComboBox", 0x3, CBS_DROPDOWNLIST},
      {ControlKind::kEtchedFrame, "Static", SS_TYPEMASK, SS_ETCHEDFRAME},
      {ControlKind::kEtchedLine, "Static", SS_TYPEMASK, SS_ETCHEDHORZ},
      {ControlKind::kBitmap, "Static", SS_TYPEMASK, SS_BITMAP},
      {ControlKind::kIcon, "Static", SS_TYPEMASK, SS_ICON},
      {ControlKind::kRichText, "RichEdit20A", ES_MULTILINE | ES_READONLY,
       ES_MULTILINE | ES_READONLY},
  };
  auto checkDialog = [&](HWND window, const DialogTemplate& layout) {
    const std::vector<HWND> children = ChildrenInOrder(window);
    ASSERT_EQ(children.size(), layout.controlCount) << "dialog " << layout.id;
    for (std::size_t i = 0; i < layout.controlCount; ++i) {
      const ControlTemplate& t = layout.controls[i];
      HWND control = children[i];
      SCOPED_TRACE("dialog " + std::to_string(layout.id) + " control " + std::to_string(i) +
                   " id " + std::to_string(t.id));
      EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(control)), static_cast<WORD>(t.id));
      const DWORD style = StyleOf(control);
      for (const Expected& e : kinds) {
        if (e.kind != t.kind) continue;
        EXPECT_EQ(ClassOf(control), e.className);
        DWORD type = e.type;
        if (t.kind == ControlKind::kStatic && (t.flags & kCentered)) type = SS_CENTER;
        EXPECT_EQ(style & e.typeMask, type);
      }
      EXPECT_EQ((style & WS_VISIBLE) != 0, (t.flags & kHidden) == 0);
      EXPECT_EQ((style & WS_DISABLED) != 0, (t.flags & kDisabled) != 0);
      EXPECT_EQ((style & WS_GROUP) != 0, (t.flags & kGroup) != 0);
      if (t.kind == ControlKind::kStatic) {
        EXPECT_EQ((style & SS_NOTIFY) != 0, (t.flags & kNoNotify) == 0);
      }
      if (t.kind == ControlKind::kDropDownList) {
        EXPECT_EQ((style & CBS_SORT) != 0, (t.flags & kSorted) != 0);
        std::vector<std::string> expected;
        for (const char* const* item = t.items; item != nullptr && *item != nullptr; ++item) {
          expected.emplace_back(*item);
        }
        EXPECT_EQ(ItemsOf(control), expected);
      } else if (t.kind != ControlKind::kRichText && t.kind != ControlKind::kBitmap &&
                 t.kind != ControlKind::kIcon) {
        EXPECT_EQ(TextOf(control), t.caption);
      }
    }
  };

  for (int pageId : {IDD_TARGET_SYSTEM, IDD_MODEL, IDD_PORT, IDD_LICENCE, IDD_SETUP_TYPE}) {
    WithFrame([&](ProbeDialog& frame) {
      ProbeDialog page(pageId);
      ASSERT_TRUE(page.Create(pageId, &frame));
      const DWORD pageStyle = StyleOf(page.Window());
      EXPECT_TRUE(pageStyle & WS_CHILD);
      EXPECT_FALSE(pageStyle & WS_VISIBLE) << "pages are created hidden";
      EXPECT_FALSE(pageStyle & WS_CAPTION);
      EXPECT_EQ(::GetParent(page.Window()), frame.Window());
      checkDialog(page.Window(), *FindDialogTemplate(pageId));
      page.DestroyWindow();
    });
  }
  WithFrame([&](ProbeDialog& frame) {
    const DWORD style = StyleOf(frame.Window());
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME));
    EXPECT_TRUE(::GetWindowLongA(frame.Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(TextOf(frame.Window()), "Wizard");
    checkDialog(frame.Window(), *FindDialogTemplate(IDD_WIZARD));
  });
  ProbeDialog about(IDD_ABOUTBOX);
  about.onInit = [&](ProbeDialog& self) {
    EXPECT_EQ(TextOf(self.Window()), "About Setwell");
    EXPECT_FALSE(StyleOf(self.Window()) & WS_MINIMIZEBOX);
    checkDialog(self.Window(), *FindDialogTemplate(IDD_ABOUTBOX));
    self.EndDialog(IDOK_RESULT);
  };
  EXPECT_EQ(about.DoModal(), IDOK_RESULT);
}

// What a page does through CDialog comes back from the host's controls.
TEST_F(Win32UiTest, ControlStatesRoundTripThroughTheHost) {
  WithFrame([&](ProbeDialog& frame) {
    ProbeDialog page(IDD_MODEL);
    ASSERT_TRUE(page.Create(IDD_MODEL, &frame));
    CWnd box = page.GetDlgItem(IDC_DEFAULT_PRINTER);
    for (bool state : {false, true, false}) {
      box.EnableWindow(state);
      EXPECT_EQ(box.IsWindowEnabled(), state);
      box.ShowWindow(state);
      EXPECT_EQ(box.IsWindowVisible(), state) << "the control's own flag, page hidden or not";
      page.CheckDlgButton(IDC_DEFAULT_PRINTER, state ? 1 : 0);
      EXPECT_EQ(page.IsDlgButtonChecked(IDC_DEFAULT_PRINTER), state ? 1 : 0);
    }
    page.SetDlgItemText(IDC_DEFAULT_PRINTER, "Make it the default");
    EXPECT_EQ(page.GetDlgItemText(IDC_DEFAULT_PRINTER), "Make it the default");

    // An unsorted list keeps the order of adding; a sorted one sorts
    // without regard to case and says where the entry went.
    CComboBox receipt = page.GetComboBox(IDC_RECEIPT_MODELS);
    CComboBox embedded = page.GetComboBox(IDC_EMBEDDED_MODELS);
    for (const char* name : {"sw-b", "SW-A", "SW-C"}) receipt.AddString(name);
    EXPECT_EQ(embedded.AddString("sw-b"), 0);
    EXPECT_EQ(embedded.AddString("SW-C"), 1);
    EXPECT_EQ(embedded.AddString("SW-A"), 0);
    EXPECT_EQ(ItemsOf(::GetDlgItem(page.Window(), IDC_RECEIPT_MODELS)),
              (std::vector<std::string>{"sw-b", "SW-A", "SW-C"}));
    EXPECT_EQ(ItemsOf(::GetDlgItem(page.Window(), IDC_EMBEDDED_MODELS)),
              (std::vector<std::string>{"SW-A", "sw-b", "SW-C"}));

    EXPECT_EQ(receipt.GetCurSel(), -1);
    EXPECT_EQ(receipt.GetWindowText(), "") << "no selection, no text";
    EXPECT_EQ(receipt.SetCurSel(2), 2);
    EXPECT_EQ(receipt.GetWindowText(), "SW-C");
    EXPECT_EQ(receipt.SetCurSel(3), -1) << "past the end clears the selection";
    EXPECT_EQ(receipt.GetCurSel(), -1);
    EXPECT_EQ(receipt.GetLBText(7), "");
    EXPECT_EQ(receipt.SelectString(-1, "sw-a"), 1);
    receipt.ResetContent();
    EXPECT_EQ(receipt.GetCount(), 0);

    // Radio buttons are grouped as the layout says: checking one by hand
    // leaves another group alone.
    page.CheckRadioButton(IDC_RECEIPT, IDC_RECEIPT, IDC_RECEIPT);
    EXPECT_EQ(page.GetCheckedRadioButton(IDC_RECEIPT, IDC_EMBEDDED), IDC_RECEIPT);

    EXPECT_FALSE(page.GetDlgItem(IDC_STATIC).IsValid()) << "unaddressed controls have no id";
    EXPECT_FALSE(page.GetDlgItem(4242).IsValid());
    page.DestroyWindow();
    EXPECT_FALSE(page.IsCreated());
  });
}

// A click goes through the host's automatic radio button: the group's
// other button is cleared, and the licence page's handler enables the
// frame's Next button (the main window's command 1).
// The search the model page preselects the default model with follows the
// wizard's rule, as the in-memory lists do, and not the host's own search
// (which finds nothing for an empty prefix, looks past a leading bracket
// and folds letters beyond ASCII).
TEST_F(Win32UiTest, ListsSearchByTheWizardsRuleNotTheHosts) {
  WithFrame([&](ProbeDialog& frame) {
    ProbeDialog page(IDD_MODEL);
    ASSERT_TRUE(page.Create(IDD_MODEL, &frame));
    conformance::CheckListPrefixSearch([&] { return page.GetComboBox(IDC_RECEIPT_MODELS); });
    conformance::CheckSortedListPrefixSearch([&] { return page.GetComboBox(IDC_EMBEDDED_MODELS); });
    page.DestroyWindow();
  });
}

TEST_F(Win32UiTest, AcceptAndRejectGateTheFramesDefaultButton) {
  WithFrame([&](ProbeDialog& frame) {
    CLicencePage licence;
    ASSERT_TRUE(licence.Create(IDD_LICENCE, &frame));
    HWND accept = ::GetDlgItem(WindowOf(licence), IDC_ACCEPT);
    HWND reject = ::GetDlgItem(WindowOf(licence), IDC_REJECT);
    HWND next = ::GetDlgItem(frame.Window(), IDOK);
    EXPECT_EQ(::SendMessageA(reject, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(next));
    const struct {
      HWND button;
      bool acceptChecked;
      bool nextEnabled;
    } steps[] = {{accept, true, true}, {reject, false, false}, {accept, true, true}};
    for (const auto& step : steps) {
      ::SendMessageA(step.button, BM_CLICK, 0, 0);
      EXPECT_EQ(::SendMessageA(accept, BM_GETCHECK, 0, 0) == BST_CHECKED, step.acceptChecked);
      EXPECT_EQ(::SendMessageA(reject, BM_GETCHECK, 0, 0) == BST_CHECKED, !step.acceptChecked);
      EXPECT_EQ(::IsWindowEnabled(next) != FALSE, step.nextEnabled);
    }
    licence.DestroyWindow();
  });
}

TEST_F(Win32UiTest, TheAgreementIsStreamedIntoTheRichEditAsFormattedText) {
  WithFrame([&](ProbeDialog& frame) {
    CLicencePage licence;
    ASSERT_TRUE(licence.Create(IDD_LICENCE, &frame));
    HWND view = ::GetDlgItem(WindowOf(licence), IDC_AGREEMENT);
    const std::string shown = TextOf(view);
    EXPECT_NE(shown.find("SETWELL PRINTER DRIVER SOFTWARE LICENCE AGREEMENT"), std::string::npos);
    EXPECT_NE(shown.find("6. Termination."), std::string::npos) << "the whole agreement";
    EXPECT_EQ(shown.find("\\rtf"), std::string::npos) << "markup is not shown as text";
    EXPECT_EQ(shown.find("\\par"), std::string::npos);
    EXPECT_TRUE(StyleOf(view) & ES_READONLY);
    // Tabbed into, the agreement is read from its start with nothing
    // selected: the view does not take the dialog manager's "select all".
    EXPECT_EQ(::SendMessageA(view, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL, 0);
    ::SendMessageA(WindowOf(licence), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(view), TRUE);
    CHARRANGE selected{-1, -1};
    ::SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selected));
    EXPECT_EQ(selected.cpMin, 0);
    EXPECT_EQ(selected.cpMax, 0);
    EXPECT_EQ(::SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // The title is bold: the formatting survived.
    ::SendMessageA(view, EM_SETSEL, 0, 5);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_TRUE(format.dwEffects & CFE_BOLD);
    // Plain text still goes in as text.
    licence.SetDlgItemText(IDC_AGREEMENT, "plain words");
    EXPECT_EQ(TextOf(view), "plain words");
    licence.DestroyWindow();
  });
}

// The agreement is longer than its view: the view shows its scroll bar and
// lays the text out beside it, every line ending inside the view, not under
// the bar.
TEST_F(Win32UiTest, TheAgreementIsLaidOutBesideTheViewsScrollBar) {
  WithFrame([&](ProbeDialog& frame) {
    CLicencePage licence;
    ASSERT_TRUE(licence.Create(IDD_LICENCE, &frame));
    HWND view = ::GetDlgItem(WindowOf(licence), IDC_AGREEMENT);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(::GetScrollBarInfo(view, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE, 0u) << "the scroll bar shows";
    RECT client{};
    ::GetClientRect(view, &client);
    RECT format{};
    ::SendMessageA(view, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_LE(format.right, client.right) << "laid out for the width beside the bar";
    const int lines = static_cast<int>(::SendMessageA(view, EM_GETLINECOUNT, 0, 0));
    EXPECT_GT(lines, 20);
    // The agreement is set in the dialogs' font: its letters are measured in it.
    HDC dc = ::GetDC(view);
    HGDIOBJ oldFont = ::SelectObject(
        dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(WindowOf(licence), WM_GETFONT, 0, 0)));
    for (int line = 0; line < lines; ++line) {
      const LRESULT first = ::SendMessageA(view, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
      const LRESULT length = ::SendMessageA(view, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
      if (first < 0 || length <= 1) continue;
      // The left edge of the line's last character but its break, plus
      // the width of a wide letter, is still inside the view.
      POINTL at{};
      ::SendMessageA(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at),
                     static_cast<LPARAM>(first + length - 2));
      SIZE letter{};
      ::GetTextExtentPoint32A(dc, "m", 1, &letter);
      EXPECT_LE(at.x + letter.cx / 2, client.right) << "line " << line;
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(view, dc);
    licence.DestroyWindow();
  });
}

// The port page's USB note answers the host's colour request with its own
// colours and font; other statics keep the dialog's.
TEST_F(Win32UiTest, TheNoteLabelAnswersTheColourRequest) {
  WithFrame([&](ProbeDialog& frame) {
    CPortPage port(platform_);
    ASSERT_TRUE(port.Create(IDD_PORT, &frame));
    HWND page = WindowOf(port);
    HWND note = ::GetDlgItem(page, IDC_USB_NOTE);
    ASSERT_NE(note, nullptr);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ originalFont = ::GetCurrentObject(dc, OBJ_FONT);
    for (int round = 0; round < 2; ++round) {  // the second answer reuses the first's objects
      const LRESULT brush = ::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(note));
      ASSERT_NE(brush, 0);
      LOGBRUSH fill{};
      ASSERT_TRUE(::GetObjectA(reinterpret_cast<HGDIOBJ>(brush), sizeof fill, &fill));
      EXPECT_EQ(fill.lbStyle, static_cast<UINT>(BS_SOLID));
      EXPECT_EQ(fill.lbColor, RGB(255, 255, 0)) << "yellow background";
      EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255)) << "blue text";
      EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
      LOGFONTA font{};
      ASSERT_TRUE(::GetObjectA(::GetCurrentObject(dc, OBJ_FONT), sizeof font, &font));
      EXPECT_EQ(font.lfHeight, -14) << "a character height of 14 pixels";
      EXPECT_STREQ(font.lfFaceName, "Arial");
    }
    // Before a page gives it colours, a note label draws in the system's
    // own: the window-text colour on a button-face brush.
    port.m_note = CNoteLabel();
    port.m_note.Attach(&port, IDC_USB_NOTE);
    EXPECT_EQ(::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(note)),
              reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(::GetTextColor(dc), ::GetSysColor(COLOR_WINDOWTEXT));
    ::SelectObject(dc, originalFont);

    // The "Ports:" label has no style of its own: the host's default answer.
    HWND label = ::GetWindow(page, GW_CHILD);
    label = ::GetWindow(label, GW_HWNDNEXT);
    ASSERT_EQ(TextOf(label), "Ports:");
    EXPECT_EQ(::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(label)),
              ::DefDlgProcA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(label)));
    ::DeleteDC(dc);

    // The raster check box carries the tip.
    HWND tip = static_cast<Win32Window*>(port.Backend())->ToolTipHandle();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 200);
    char text[128] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = page;
    tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(page, IDC_RASTER));
    tool.lpszText = text;
    ::SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, LoadStringText(IDS_PRESS_F1));
    port.DestroyWindow();
  });
}

// A control's place as the dialog manager makes it from a template: the
// origin and the size are each mapped from dialog units on their own, so
// the size is not the difference of two mapped corners (each corner is
// rounded, and with some fonts' base units the two differ by a pixel).
Rect TemplatePlace(HWND dialog, int x, int y, int cx, int cy) {
  RECT origin{x, y, 0, 0};
  RECT size{0, 0, cx, cy};
  ::MapDialogRect(dialog, &origin);
  ::MapDialogRect(dialog, &size);
  return Rect{origin.left, origin.top, size.right, size.bottom};
}

// Pages sit in the frame's placeholder; the picture fills its control.
TEST_F(Win32UiTest, PagesAndPictureTakeTheirPlaces) {
  WithFrame([&](ProbeDialog& frame) {
    const Rect area = frame.GetControlRect(IDC_PAGE_AREA);
    const Rect expected = TemplatePlace(frame.Window(), 91, 1, 194, 158);
    EXPECT_EQ(area.left, expected.left);
    EXPECT_EQ(area.top, expected.top);
    EXPECT_EQ(area.width, expected.width);
    EXPECT_EQ(area.height, expected.height);

    ProbeDialog page(IDD_SETUP_TYPE);
    ASSERT_TRUE(page.Create(IDD_SETUP_TYPE, &frame));
    page.MoveWindow(area);
    RECT placed{};
    ::GetWindowRect(page.Window(), &placed);
    ::MapWindowPoints(nullptr, frame.Window(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.top, area.top);
    EXPECT_EQ(placed.right - placed.left, area.width);
    // The page's dialog units are the frame's: its group box ends inside
    // the placeholder.
    RECT box{};
    ::GetWindowRect(::GetWindow(page.Window(), GW_CHILD), &box);
    ::MapWindowPoints(nullptr, frame.Window(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_LE(box.right, area.left + area.width);
    EXPECT_LE(box.bottom, area.top + area.height);
    page.DestroyWindow();

    HWND picture = ChildrenInOrder(frame.Window()).back();
    const Rect want = TemplatePlace(frame.Window(), 6, 5, 83, 159);
    RECT got{};
    ::GetWindowRect(picture, &got);
    EXPECT_EQ(got.right - got.left, want.width);
    EXPECT_EQ(got.bottom - got.top, want.height);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_TRUE(::GetObjectA(bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, want.width);
    EXPECT_EQ(info.bmHeight, want.height);
  });
}

// The wizard has no owner: it is centred on the screen's work area as it is
// made, before it initialises.
TEST_F(Win32UiTest, TheWizardIsCentredOnTheScreen) {
  WithFrame([&](ProbeDialog& frame) {
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    RECT wizard{};
    ::GetWindowRect(frame.Window(), &wizard);
    EXPECT_NEAR((wizard.left + wizard.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((wizard.top + wizard.bottom) / 2, (work.top + work.bottom) / 2, 1);
  });
}

// The room a control's own drawing leaves for its text, in pixels: the
// client width less the check mark and its gap, the drop-down arrow, or the
// button's edges and focus rectangle. 0 for controls without text to check.
int TextRoom(HWND control, const ControlTemplate& layout) {
  RECT client{};
  ::GetClientRect(control, &client);
  const int width = client.right - client.left;
  const int edge = ::GetSystemMetrics(SM_CXEDGE);
  switch (layout.kind) {
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox:
      return width - ::GetSystemMetrics(SM_CXMENUCHECK) - 4;
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
      return width - 2 * (edge + 2);
    case ControlKind::kGroupBox:
      return width - 2 * 8;  // the caption sits inset in the frame line
    case ControlKind::kDropDownList:
      return width - ::GetSystemMetrics(SM_CXVSCROLL) - 2 * edge - 2;
    case ControlKind::kStatic:
      return width;
    default:
      return 0;
  }
}

// Every text of a dialog fits its control, measured in the font the control
// draws with: captions on one line (statics may wrap onto the lines their
// height holds), and every entry of every list. The failures name the
// dialog, the text and the pixels missing.
void ExpectTextsFit(HWND dialog, const DialogTemplate& layout) {
  const std::vector<HWND> children = ChildrenInOrder(dialog);
  ASSERT_EQ(children.size(), layout.controlCount);
  for (std::size_t i = 0; i < layout.controlCount; ++i) {
    const ControlTemplate& t = layout.controls[i];
    HWND control = children[i];
    const int room = TextRoom(control, t);
    if (room == 0) continue;
    std::vector<std::string> texts;
    if (t.kind == ControlKind::kDropDownList) {
      texts = ItemsOf(control);
    } else {
      texts.push_back(TextOf(control));
    }
    HDC dc = ::GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    RECT client{};
    ::GetClientRect(control, &client);
    for (const std::string& text : texts) {
      if (text.empty()) continue;
      RECT need{0, 0, room, 0};
      UINT format = DT_CALCRECT | DT_EXPANDTABS;
      if (t.kind == ControlKind::kStatic) {
        format |= DT_WORDBREAK;
      } else {
        format |= DT_SINGLELINE;
      }
      ::DrawTextA(dc, text.c_str(), -1, &need, format);
      const std::string where = "dialog " + std::to_string(layout.id) + " control " +
                                std::to_string(t.id) + " \"" + text + "\"";
      EXPECT_LE(need.right, room) << where << ": " << need.right - room << " pixels too wide";
      if (t.kind == ControlKind::kStatic) {
        EXPECT_LE(need.bottom, client.bottom) << where << ": wraps past its height";
      }
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
  }
}

// Every text of the frame, the five pages and the about box fits, in the
// fonts the host gives them (run on each Windows version the program runs on).
TEST_F(Win32UiTest, EveryTextFitsItsControl) {
  WithFrame([&](ProbeDialog& frame) {
    ExpectTextsFit(frame.Window(), *FindDialogTemplate(IDD_WIZARD));
    // The texts the frame sets at run time, in place of the layout's.
    for (const char* text : {"<<Back (&B)", "Next (&N)>>", "Finish (&F)", "Cancel (&C)"}) {
      ::SetDlgItemTextA(frame.Window(), IDOK_RESULT, text);
      ExpectTextsFit(frame.Window(), *FindDialogTemplate(IDD_WIZARD));
    }
    for (int pageId : {IDD_TARGET_SYSTEM, IDD_MODEL, IDD_PORT, IDD_LICENCE, IDD_SETUP_TYPE}) {
      ProbeDialog page(pageId);
      ASSERT_TRUE(page.Create(pageId, &frame));
      if (pageId == IDD_MODEL) {
        // Model names as long as the sample distribution's.
        for (int list : {IDC_RECEIPT_MODELS, IDC_TICKET_MODELS, IDC_LABEL_MODELS, IDC_EMBEDDED_MODELS}) {
          ::SendDlgItemMessageA(page.Window(), list, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>("SW-RXQ-K880"));
        }
      }
      if (pageId == IDD_PORT) {
        for (const char* port : {"TVCOM8:", "USB_SW-RXQ-K880_4"}) {
          ::SendDlgItemMessageA(page.Window(), IDC_PORTS, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(port));
        }
      }
      ExpectTextsFit(page.Window(), *FindDialogTemplate(pageId));
      if (pageId == IDD_SETUP_TYPE) {
        // The remarks the page shows for each setup type.
        for (std::uint32_t id : {IDS_TYPICAL_REMARK, IDS_MULTI_USB_REMARK, IDS_DRIVER_MODE_REMARK}) {
          ::SetDlgItemTextA(page.Window(), IDC_REMARK1, LoadStringText(id));
          ::SetDlgItemTextA(page.Window(), IDC_REMARK2, LoadStringText(id));
          ::SetDlgItemTextA(page.Window(), IDC_REMARK3, LoadStringText(id));
          ExpectTextsFit(page.Window(), *FindDialogTemplate(pageId));
        }
      }
      page.DestroyWindow();
    }
  });
  ProbeDialog about(IDD_ABOUTBOX);
  about.onInit = [&](ProbeDialog& self) {
    ExpectTextsFit(self.Window(), *FindDialogTemplate(IDD_ABOUTBOX));
    self.EndDialog(IDOK_RESULT);
  };
  about.DoModal();
}

// A key as the modal loop hands it to the dialog manager: to the window
// with the focus, through IsDialogMessage of the frame.
void PressKey(HWND frame, WPARAM key) {
  MSG msg{};
  msg.hwnd = ::GetFocus();
  msg.message = WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = 1;
  EXPECT_TRUE(::IsDialogMessageA(frame, &msg)) << "key " << key;
}

// The keys of the model page and the frame, as the host's dialog manager
// moves them: the arrows walk the category buttons and check each, Tab
// goes from the checked button to the enabled list, the check box and the
// frame's buttons, and Enter presses the push button that has the focus.
TEST_F(Win32UiTest, KeysMoveThroughTheCategoriesAndEnterPressesTheFocusedButton) {
  WithFrame([&](ProbeDialog& frame) {
    HWND window = frame.Window();
    ProbeDialog page(IDD_MODEL);
    ASSERT_TRUE(page.Create(IDD_MODEL, &frame));
    page.MoveWindow(frame.GetControlRect(IDC_PAGE_AREA));
    page.ShowWindow(true);
    ::ShowWindow(window, SW_SHOW);
    HWND model = page.Window();
    auto item = [&](int id) { return ::GetDlgItem(model, id); };
    // As the page leaves them with receipt models only in the receipt list.
    for (int id : {IDC_TICKET_MODELS, IDC_LABEL_MODELS, IDC_EMBEDDED_MODELS}) {
      ::EnableWindow(item(id), FALSE);
    }
    ::CheckRadioButton(model, IDC_RECEIPT, IDC_EMBEDDED, IDC_RECEIPT);
    ::SetFocus(item(IDC_RECEIPT));
    ASSERT_EQ(::GetFocus(), item(IDC_RECEIPT));

    PressKey(window, VK_DOWN);
    EXPECT_EQ(::GetFocus(), item(IDC_TICKET)) << "the next button, not the receipt list";
    EXPECT_EQ(::IsDlgButtonChecked(model, IDC_TICKET), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(model, IDC_RECEIPT), BST_UNCHECKED);
    PressKey(window, VK_DOWN);
    EXPECT_EQ(::GetFocus(), item(IDC_LABEL));
    PressKey(window, VK_UP);
    PressKey(window, VK_UP);
    EXPECT_EQ(::GetFocus(), item(IDC_RECEIPT));
    EXPECT_EQ(::IsDlgButtonChecked(model, IDC_RECEIPT), BST_CHECKED);

    PressKey(window, VK_TAB);
    EXPECT_EQ(::GetFocus(), item(IDC_RECEIPT_MODELS));
    PressKey(window, VK_TAB);
    EXPECT_EQ(::GetFocus(), item(IDC_DEFAULT_PRINTER)) << "past the disabled lists";

    // The licence and setup type pages: their two buttons are one group.
    for (const auto& [pageId, first, second] :
         {std::tuple{IDD_LICENCE, IDC_ACCEPT, IDC_REJECT},
          std::tuple{IDD_SETUP_TYPE, IDC_TYPICAL, IDC_ADVANCED}}) {
      ProbeDialog other(pageId);
      ASSERT_TRUE(other.Create(pageId, &frame));
      other.ShowWindow(true);
      HWND dialog = other.Window();
      ::CheckRadioButton(dialog, first, second, first);
      ::SetFocus(::GetDlgItem(dialog, first));
      PressKey(window, VK_DOWN);
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, second)) << pageId;
      EXPECT_EQ(::IsDlgButtonChecked(dialog, second), BST_CHECKED) << pageId;
      PressKey(window, VK_DOWN);
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, first)) << pageId << ": the group wraps round";
      other.DestroyWindow();
    }
    page.ShowWindow(true);
    ::SetFocus(item(IDC_DEFAULT_PRINTER));

    // Enter on a focused Cancel is Cancel, with Next disabled as on the
    // licence page.
    while (::GetFocus() != ::GetDlgItem(window, IDCANCEL_RESULT)) PressKey(window, VK_TAB);
    frame.commands.clear();
    PressKey(window, VK_RETURN);
    EXPECT_EQ(frame.commands, (std::vector<std::pair<int, int>>{{IDCANCEL_RESULT, BN_CLICKED}}));
    page.DestroyWindow();
  });
}

// The system menu item, F1 and the frame's commands reach the owner; a
// static's double-click does not pass for a list's new selection; a handler
// that throws does not unwind through the host.
TEST_F(Win32UiTest, UserActionsReachTheOwnerDialog) {
  ProbeDialog frame(IDD_WIZARD);
  app_.m_pMainWnd = &frame;
  frame.onInit = [&](ProbeDialog& self) {
    HWND window = self.Window();
    ASSERT_TRUE(self.Backend()->AppendSystemMenuItem(IDM_ABOUTBOX, "&About Setwell Setup..."));
    char item[64] = {};
    ::GetMenuStringA(::GetSystemMenu(window, FALSE), IDM_ABOUTBOX, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&About Setwell Setup...");
    ::SendMessageA(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);  // the host's own: not ours
    EXPECT_EQ(self.sysCommands, std::vector<int>{IDM_ABOUTBOX});

    self.Backend()->SetIcon(IDR_MAINFRAME);
    const LRESULT icon = ::SendMessageA(window, WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(icon, 0);
    EXPECT_NE(::SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    // Dragged while minimised, the frame shows its own icon; minimised, it
    // paints the icon itself, and otherwise leaves painting to the host.
    EXPECT_EQ(::SendMessageA(window, WM_QUERYDRAGICON, 0, 0), icon);
    const auto dialogProc = reinterpret_cast<DLGPROC>(::GetWindowLongPtrA(window, DWLP_DLGPROC));
    ASSERT_NE(dialogProc, nullptr);
    EXPECT_EQ(dialogProc(window, WM_PAINT, 0, 0), FALSE);
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));
    EXPECT_EQ(dialogProc(window, WM_PAINT, 0, 0), TRUE);
    ::ShowWindow(window, SW_RESTORE);

    // F1 in a page that does not answer it goes on to the frame.
    ProbeDialog page(IDD_MODEL);
    page.answerHelp = false;
    ASSERT_TRUE(page.Create(IDD_MODEL, &self));
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.hItemHandle = ::GetDlgItem(page.Window(), IDC_RECEIPT);
    ::SendMessageA(page.Window(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    EXPECT_EQ(page.helpRequests, 1);
    EXPECT_EQ(self.helpRequests, 1);

    HWND list = ::GetDlgItem(page.Window(), IDC_RECEIPT_MODELS);
    HWND back = ::GetDlgItem(window, IDC_BACK);
    ::SendMessageA(page.Window(), WM_COMMAND, MAKEWPARAM(IDC_RECEIPT_MODELS, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    ::SendMessageA(page.Window(), WM_COMMAND, MAKEWPARAM(IDC_RECEIPT_MODELS, CBN_DROPDOWN),
                   reinterpret_cast<LPARAM>(list));
    HWND label = ::GetWindow(::GetWindow(page.Window(), GW_CHILD), GW_HWNDNEXT);
    ::SendMessageA(page.Window(), WM_COMMAND, MAKEWPARAM(IDC_RECEIPT, STN_DBLCLK),
                   reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(page.commands, (std::vector<std::pair<int, int>>{{IDC_RECEIPT_MODELS, CBN_SELCHANGE}}));
    page.DestroyWindow();

    self.throwOnCommand = true;
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED), reinterpret_cast<LPARAM>(back));
    EXPECT_EQ(self.commands.size(), 1u) << "the throwing handler ran and the host went on";
    EXPECT_EQ(self.cursorDuringCommand, ::LoadCursor(nullptr, IDC_WAIT))
        << "a command (Finish above all) runs under the wait cursor";
    EXPECT_NE(::GetCursor(), ::LoadCursor(nullptr, IDC_WAIT)) << "and gives it back";
    self.throwOnCommand = false;
    // Escape and the close box arrive as IDCANCEL; the dialog ends with it.
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  EXPECT_EQ(frame.DoModal(), IDCANCEL_RESULT);
  EXPECT_EQ(frame.commands.back(), (std::pair<int, int>{IDCANCEL, BN_CLICKED}));
  EXPECT_FALSE(frame.IsCreated());
  app_.m_pMainWnd = nullptr;
}

}  // namespace
}  // namespace setwell
