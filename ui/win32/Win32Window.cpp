#include "ui/win32/Win32Window.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "system/win32/Win32Platform.h"
#include "ui/CWinApp.h"
#include "ui/StartupTrace.h"
#include "ui/win32/DialogTemplateBytes.h"
#include "ui/win32/Win32UiBackend.h"

namespace setwell {
namespace {

// Posted to a modal dialog as it is made: handled once the window is there,
// before any input.
constexpr UINT kShownMessage = WM_APP + 1;

// Shows the wait cursor for as long as a command runs: Finish blocks the
// wizard for seconds (copies, spooler stop and start, fixed pauses).
class BusyCursor {
 public:
  BusyCursor() : previous_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
  ~BusyCursor() { ::SetCursor(previous_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  HCURSOR previous_;
};

struct StreamSource {
  const std::string* text;
  std::size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t left = source->text->size() - source->offset;
  const std::size_t count = left < static_cast<std::size_t>(size) ? left : static_cast<std::size_t>(size);
  std::memcpy(buffer, source->text->data() + source->offset, count);
  source->offset += count;
  *read = static_cast<LONG>(count);
  return 0;
}

std::string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

bool HasStyle(HWND window, DWORD style) {
  return window != nullptr &&
         (static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

bool IsButtonKind(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton ||
         kind == ControlKind::kRadioButton || kind == ControlKind::kCheckBox;
}

// The host's default user-interface font, with the style's height and face.
HFONT MakeFont(const StaticStyle& style) {
  LOGFONTA font{};
  ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  if (style.fontHeight > 0) font.lfHeight = -style.fontHeight;
  if (!style.fontFace.empty()) {
    // LOGFONT's face holds 31 characters and a terminator.
    const std::size_t length = std::min(style.fontFace.size(), sizeof font.lfFaceName - 1);
    std::memcpy(font.lfFaceName, style.fontFace.data(), length);
    font.lfFaceName[length] = '\0';
  }
  return ::CreateFontIndirectA(&font);
}

}  // namespace

Win32Window::~Win32Window() { Destroy(); }

// --- Life ----------------------------------------------------------------------

bool Win32Window::CreateChild(const DialogTemplate& layout, WindowBackend& parent) {
  const Win32Window& parentWindowObject = static_cast<Win32Window&>(parent);
  HWND parentWindow = parentWindowObject.Handle();
  if (parentWindow == nullptr) return false;
  layout_ = &layout;
  modal_ = false;
  // A page fills the frame's placeholder, which is measured in the frame's
  // dialog units: built with the frame's font, its units are the frame's
  // on every host, whatever the host's "System" font is like (with the
  // bold raster font of 8x16 base units the page would overflow the
  // placeholder by half).
  const DialogTemplate& fontOf =
      parentWindowObject.layout_ != nullptr ? *parentWindowObject.layout_ : layout;
  const std::vector<WORD> bytes = BuildDialogTemplate(layout, fontOf);
  // The dialog procedure receives `this` with WM_INITDIALOG and calls the
  // owner's OnInitDialog before the window is returned.
  HWND created = ::CreateDialogIndirectParamA(
      ui_.Instance(), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), parentWindow, &DialogProc,
      reinterpret_cast<LPARAM>(this));
  if (created == nullptr) {
    hwnd_ = nullptr;
    return false;
  }
  hwnd_ = created;
  return true;
}

int Win32Window::RunModal(const DialogTemplate& layout, WindowBackend* owner) {
  layout_ = &layout;
  modal_ = true;
  HWND ownerWindow = owner != nullptr ? static_cast<Win32Window*>(owner)->Handle() : nullptr;
  std::vector<WORD> bytes = BuildDialogTemplate(layout, layout);
  // A dialog of its own is centred on the screen as it is made, by the
  // dialog manager, rather than moved there afterwards; one with an owner
  // is centred over it once it exists.
  if (ownerWindow == nullptr) bytes[0] |= DS_CENTER;
  SETWELL_STARTUP_MARK("dialog to be created");
  const INT_PTR result = ::DialogBoxIndirectParamA(
      ui_.Instance(), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), ownerWindow, &DialogProc,
      reinterpret_cast<LPARAM>(this));
  modal_ = false;
  hwnd_ = nullptr;
  return static_cast<int>(result);
}

void Win32Window::EndDialog(int result) {
  if (modal_ && hwnd_ != nullptr) ::EndDialog(hwnd_, result);
}

void Win32Window::Destroy() {
  if (hwnd_ == nullptr) return;
  if (modal_) {
    ::EndDialog(hwnd_, IDCANCEL_RESULT);
    return;
  }
  HWND window = hwnd_;
  ::DestroyWindow(window);  // WM_DESTROY forgets the handle
  hwnd_ = nullptr;
}

bool Win32Window::IsCreated() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }

// --- The window -------------------------------------------------------------------

void Win32Window::SetTitle(const std::string& title) {
  if (hwnd_ != nullptr) ::SetWindowTextA(hwnd_, title.c_str());
}
std::string Win32Window::GetTitle() const { return WindowText(hwnd_); }

void Win32Window::Show(bool visible) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
// The window's own visibility, whether or not its parent shows.
bool Win32Window::IsVisible() const { return HasStyle(hwnd_, WS_VISIBLE); }

void Win32Window::Move(const Rect& rect) {
  if (hwnd_ != nullptr) {
    ::SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.width, rect.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Rect Win32Window::ControlRect(int id) const {
  HWND control = Control(id);
  if (control == nullptr) return {};
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool Win32Window::AppendSystemMenuItem(int command, const std::string& text) {
  HMENU menu = hwnd_ != nullptr ? ::GetSystemMenu(hwnd_, FALSE) : nullptr;
  if (menu == nullptr) return false;
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
  return true;
}

void Win32Window::SetIcon(int iconResource) {
  if (hwnd_ == nullptr) return;
  // Shared icons belong to the module; the host frees them.
  auto load = [&](int cx, int cy) {
    return static_cast<HICON>(::LoadImageA(ui_.Instance(), MAKEINTRESOURCEA(iconResource),
                                           IMAGE_ICON, cx, cy, LR_SHARED));
  };
  HICON big = load(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
  HICON small = load(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
  icon_ = big;
  // The small one first: a large icon given alone has the host make a small
  // one from it, to be thrown away when the small one comes.
  if (small != nullptr) {
    ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  if (big != nullptr) ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

// --- Controls -----------------------------------------------------------------------

HWND Win32Window::Control(int id) const {
  if (hwnd_ == nullptr || id == IDC_STATIC) return nullptr;
  return ::GetDlgItem(hwnd_, id);
}

const ControlTemplate* Win32Window::LayoutOf(int id) const {
  return layout_ != nullptr ? layout_->Find(id) : nullptr;
}

void Win32Window::SetText(int id, const std::string& text) {
  HWND control = Control(id);
  if (control == nullptr) return;
  const ControlTemplate* layout = LayoutOf(id);
  if (layout != nullptr && layout->kind == ControlKind::kRichText &&
      text.compare(0, 5, "{\\rtf") == 0) {
    StreamRichText(control, text);
    return;
  }
  ::SetWindowTextA(control, text.c_str());
}

void Win32Window::StreamRichText(HWND control, const std::string& rtf) {
  SETWELL_STARTUP_MARK("agreement to be streamed");
  // The agreement is longer than its view, so the view ends with its scroll
  // bar; shown before the text goes in, the text is laid out once, at the
  // width it keeps. Otherwise the bar appears half-way through the stream
  // and the view lays everything out again at the narrower width (under
  // Wine that was half the time the agreement takes to go in).
  ::ShowScrollBar(control, SB_VERT, TRUE);
  StreamSource source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = &ReadStream;
  ::SendMessageA(control, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  // The reader starts at the first line, with nothing selected.
  ::SendMessageA(control, EM_SETSEL, 0, 0);
  ::SendMessageA(control, EM_SCROLLCARET, 0, 0);
  SETWELL_STARTUP_MARK("agreement streamed");
}

std::string Win32Window::GetText(int id) const {
  HWND control = Control(id);
  if (control == nullptr) return {};
  const ControlTemplate* layout = LayoutOf(id);
  if (layout != nullptr && layout->kind == ControlKind::kDropDownList) {
    const int selection = GetCurSel(id);
    return selection < 0 ? std::string() : GetItemText(id, selection);
  }
  return WindowText(control);
}

void Win32Window::Enable(int id, bool enabled) {
  if (HWND control = Control(id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}
bool Win32Window::IsEnabled(int id) const {
  HWND control = Control(id);
  return control != nullptr && ::IsWindowEnabled(control);
}

void Win32Window::ShowControl(int id, bool visible) {
  if (HWND control = Control(id)) ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}
// The control's own visibility: a control of a hidden page counts as
// visible when it would show with its page.
bool Win32Window::IsControlVisible(int id) const { return HasStyle(Control(id), WS_VISIBLE); }

void Win32Window::SetCheck(int id, int state) {
  if (HWND control = Control(id)) ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}
int Win32Window::GetCheck(int id) const {
  HWND control = Control(id);
  return control == nullptr ? 0 : static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
}

void Win32Window::SetFocus(int id) {
  HWND control = Control(id);
  if (control == nullptr) return;
  // Through the dialog manager, so that the default button follows.
  ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

int Win32Window::AddString(int id, const std::string& text) {
  HWND control = Control(id);
  if (control == nullptr) return CB_ERR;
  const int index = static_cast<int>(
      ::SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  RecordEntry(id, index, text);
  return index;
}
void Win32Window::AddStrings(int id, const std::vector<std::string>& texts) {
  HWND control = Control(id);
  if (control == nullptr || texts.empty()) return;
  std::size_t bytes = 0;
  for (const std::string& text : texts) bytes += text.size() + 1;
  // Room for every entry at once, and no repainting while they go in:
  // otherwise the list grows its storage and redraws entry by entry, which
  // is most of the start-up time with thousands of models.
  ::SendMessageA(control, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(control, CB_INITSTORAGE, static_cast<WPARAM>(texts.size()),
                 static_cast<LPARAM>(bytes));
  entries_[id].reserve(entries_[id].size() + texts.size());
  for (const std::string& text : texts) {
    const int index = static_cast<int>(
        ::SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    RecordEntry(id, index, text);
  }
  ::SendMessageA(control, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(control, nullptr, TRUE);
}
void Win32Window::RecordEntry(int id, int index, const std::string& text) {
  std::vector<std::string>& entries = entries_[id];
  if (index < 0 || static_cast<std::size_t>(index) > entries.size()) return;
  entries.insert(entries.begin() + index, text);
}
int Win32Window::SelectString(int id, int startAfter, const std::string& prefix) {
  HWND control = Control(id);
  if (control == nullptr) return CB_ERR;
  // Searched here, not by the list (CB_SELECTSTRING): the host's search
  // finds nothing for an empty prefix, looks past a leading "[" or "[-"
  // and folds letters beyond ASCII, where the wizard's rule is a plain
  // ASCII prefix. Over the copy of the entries this window keeps, so that
  // a long list costs no message per entry; read from the list when it
  // was filled some other way.
  const int count = GetCount(id);
  const auto kept = entries_.find(id);
  int found;
  if (kept != entries_.end() && kept->second.size() == static_cast<std::size_t>(count)) {
    found = FindEntryByPrefix(count, startAfter, prefix,
                              [&](int index) { return std::string_view(kept->second[index]); });
  } else {
    std::string text;
    found = FindEntryByPrefix(count, startAfter, prefix, [&](int index) {
      text = GetItemText(id, index);
      return std::string_view(text);
    });
  }
  return found < 0 ? CB_ERR : SetCurSel(id, found);
}
void Win32Window::ResetContent(int id) {
  if (HWND control = Control(id)) ::SendMessageA(control, CB_RESETCONTENT, 0, 0);
  entries_.erase(id);
}
int Win32Window::SetCurSel(int id, int index) {
  HWND control = Control(id);
  if (control == nullptr) return CB_ERR;
  // An index outside the list clears the selection, as documented; Wine
  // would keep the old one.
  if (index < 0 || index >= GetCount(id)) index = -1;
  return static_cast<int>(::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}
int Win32Window::GetCurSel(int id) const {
  HWND control = Control(id);
  return control == nullptr ? CB_ERR : static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
}
int Win32Window::GetCount(int id) const {
  HWND control = Control(id);
  return control == nullptr ? 0 : static_cast<int>(::SendMessageA(control, CB_GETCOUNT, 0, 0));
}
std::string Win32Window::GetItemText(int id, int index) const {
  HWND control = Control(id);
  if (control == nullptr || index < 0) return {};
  const LRESULT length = ::SendMessageA(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buffer.data()));
  return got == CB_ERR ? std::string() : std::string(buffer.data(), static_cast<std::size_t>(got));
}

void Win32Window::SetToolTip(int id, const std::string& text, int maxWidth) {
  HWND control = Control(id);
  if (control == nullptr) return;
  if (toolTip_ == nullptr) {
    // Owned by the dialog, so it goes with it.
    toolTip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, ui_.Instance(), nullptr);
    if (toolTip_ == nullptr) return;
    ::SendMessageA(toolTip_, TTM_ACTIVATE, TRUE, 0);
  }
  ::SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  // The tool subclasses the control, so the mouse messages reach the
  // tooltip without a relay in the message loop. The size of the oldest
  // record every common-controls version accepts.
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text.c_str());  // copied by the tooltip
  ::SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::Redraw(int id) {
  if (HWND control = Control(id)) {
    ::InvalidateRect(control, nullptr, TRUE);
    ::UpdateWindow(control);
  }
}

// --- Messages -------------------------------------------------------------------------

INT_PTR CALLBACK Win32Window::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Win32Window*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  // Nothing may unwind through the host's dialog manager.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) < 0xF000) {
        // Our own items of the system menu; the host's take the default.
        owner_.OnSysCommand(static_cast<int>(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_HELP:
      // Unhandled, the host passes the request on to the parent window.
      return owner_.OnHelp() ? TRUE : FALSE;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
      return icon_ != nullptr && ::IsIconic(hwnd_) ? PaintIcon() : FALSE;
    case WM_QUERYDRAGICON:
      // The icon the host shows while the minimised window is dragged.
      if (icon_ == nullptr) return FALSE;
      return static_cast<INT_PTR>(reinterpret_cast<LONG_PTR>(icon_));
#ifdef SETWELL_STARTUP_TRACE
    case WM_SHOWWINDOW:
      if (modal_ && wParam) SETWELL_STARTUP_MARK("dialog shown");
      return FALSE;
#endif
    case kShownMessage:
      return modal_ ? OnShown() : FALSE;
    case WM_DESTROY:
      OnDestroyed();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR Win32Window::OnInitDialog() {
  if (modal_ && CWinApp::Current() != nullptr && AfxGetMainWnd() == &owner_ &&
      ui_.Host() != nullptr) {
    // The wizard owns the message boxes shown while it runs.
    ui_.Host()->SetOwnerWindow(hwnd_);
    ownsMessageBoxes_ = true;
  }
  SetPictures();
  FillLists();
  KeepReadersAtTheStart();
  const bool focusDefault = owner_.OnInitDialog();
  if (modal_) {
    if (::GetWindow(hwnd_, GW_OWNER) != nullptr) CenterOverOwner();
    // Comes before any input, which the queue hands out after posted
    // messages.
    ::PostMessageA(hwnd_, kShownMessage, 0, 0);
  }
  return focusDefault ? TRUE : FALSE;
}

INT_PTR Win32Window::OnShown() {
  // What the dialog manager does when the queue first runs empty, done at
  // once: the window shows and is drawn, and what the owner does next
  // happens behind a finished window.
  if (!::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SETWELL_STARTUP_MARK("dialog drawn");
  owner_.OnShown();
  return TRUE;
}

void Win32Window::SetPictures() {
  for (std::size_t i = 0; i < layout_->controlCount; ++i) {
    const ControlTemplate& control = layout_->controls[i];
    if (control.kind != ControlKind::kBitmap) continue;
    // Pictures are addressed by their place in the layout, as they have no id.
    HWND window = ::GetDlgItem(hwnd_, control.id);
    if (control.id == IDC_STATIC) window = NthChild(i);
    if (window == nullptr) continue;
    // Origin and size are mapped each on its own, as the dialog manager
    // places every control of a template.
    RECT origin{control.x, control.y, 0, 0};
    RECT size{0, 0, control.cx, control.cy};
    ::MapDialogRect(hwnd_, &origin);
    ::MapDialogRect(hwnd_, &size);
    HBITMAP bitmap = LoadPicture(control.resource, size.right, size.bottom);
    if (bitmap == nullptr) continue;
    pictures_.emplace_back(bitmap);
    ::SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    ::SetWindowPos(window, nullptr, origin.left, origin.top, size.right, size.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

namespace {

// The previous window procedure of a subclassed view, kept as a property of
// the window.
constexpr const char* kPreviousProc = "Setwell.PreviousProc";

// A read-only text view answers the dialog manager that it takes "select
// all on focus": tabbed into, the whole agreement would be selected and
// scrolled to its end. The view keeps its caret and its place instead.
LRESULT CALLBACK ReaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kPreviousProc));
  if (previous == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ::RemovePropA(hwnd, kPreviousProc);
  }
  LRESULT result = ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_HASSETSEL);
  return result;
}

// The size of a bitmap resource, read from its header without loading it;
// false when there is none.
bool BitmapResourceSize(HINSTANCE instance, int resource, LONG& width, LONG& height) {
  HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (found == nullptr || ::SizeofResource(instance, found) < sizeof(BITMAPINFOHEADER)) return false;
  HGLOBAL data = ::LoadResource(instance, found);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(data ? ::LockResource(data) : nullptr);
  if (header == nullptr) return false;
  width = header->biWidth;
  height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  return true;
}

}  // namespace

void Win32Window::KeepReadersAtTheStart() {
  for (std::size_t i = 0; i < layout_->controlCount; ++i) {
    const ControlTemplate& control = layout_->controls[i];
    if (control.kind != ControlKind::kRichText) continue;
    HWND view = Control(control.id);
    if (view == nullptr || ::GetPropA(view, kPreviousProc) != nullptr) continue;
    const LONG_PTR previous = ::GetWindowLongPtrA(view, GWLP_WNDPROC);
    ::SetPropA(view, kPreviousProc, reinterpret_cast<HANDLE>(previous));
    ::SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReaderProc));
  }
}

HBITMAP Win32Window::LoadPicture(int resource, int width, int height) const {
  // Stretching a bitmap while loading it costs tens of milliseconds under
  // Wine, which the user waits for at start-up: a resource drawn at the
  // control's size is loaded as it is, and kept as a DIB section rather
  // than converted to the display's format (a millisecond under Wine).
  if (resource == kWizardPictureSizes.resources[0]) {
    for (int candidate : kWizardPictureSizes.resources) {
      LONG w = 0, h = 0;
      if (BitmapResourceSize(ui_.Instance(), candidate, w, h) && w == width && h == height) {
        return static_cast<HBITMAP>(::LoadImageA(ui_.Instance(), MAKEINTRESOURCEA(candidate),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      }
    }
  }
  return static_cast<HBITMAP>(::LoadImageA(ui_.Instance(), MAKEINTRESOURCEA(resource),
                                           IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR));
}

void Win32Window::FillLists() {
  for (std::size_t i = 0; i < layout_->controlCount; ++i) {
    const ControlTemplate& control = layout_->controls[i];
    if (control.kind != ControlKind::kDropDownList || control.items == nullptr) continue;
    for (const char* const* item = control.items; *item != nullptr; ++item) {
      AddString(control.id, *item);
    }
  }
}

HWND Win32Window::NthChild(std::size_t index) const {
  HWND child = ::GetWindow(hwnd_, GW_CHILD);
  for (std::size_t i = 0; child != nullptr && i < index; ++i) child = ::GetWindow(child, GW_HWNDNEXT);
  return child;
}

void Win32Window::CenterOverOwner() {
  RECT area{};
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  if (owner != nullptr && ::IsWindowVisible(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT self{};
  ::GetWindowRect(hwnd_, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Win32Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  HWND source = reinterpret_cast<HWND>(lParam);
  // Only what a user's action means is passed on: a click of a button, a
  // new selection in a list, and the dialog's own OK and Cancel (Enter,
  // Escape, the close box). A static's STN_DBLCLK shares its code with
  // CBN_SELCHANGE, so the kind of the source decides.
  bool deliver = false;
  if (id == IDOK_RESULT || id == IDCANCEL_RESULT) {
    deliver = code == BN_CLICKED;
  } else if (source != nullptr) {
    const ControlTemplate* layout = LayoutOf(id);
    if (layout != nullptr && IsButtonKind(layout->kind)) deliver = code == BN_CLICKED;
    if (layout != nullptr && layout->kind == ControlKind::kDropDownList) {
      deliver = code == CBN_SELCHANGE;
    }
  } else {
    deliver = code == 0;  // a menu command
  }
  if (!deliver) return FALSE;
  BusyCursor busy;
  const bool handled = owner_.OnCommand(id, code);
  return handled ? TRUE : FALSE;
}

INT_PTR Win32Window::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  const StaticStyle* style = owner_.GetStaticStyle(id);
  if (style == nullptr) return FALSE;
  StaticPaint& paint = paints_[id];
  const bool fresh = !paint.painted;
  paint.painted = true;
  if (fresh || paint.style.fontHeight != style->fontHeight || paint.style.fontFace != style->fontFace) {
    paint.font.Reset(style->fontHeight > 0 || !style->fontFace.empty() ? MakeFont(*style) : nullptr);
  }
  if (!style->systemBackground && (paint.brush.Get() == nullptr ||
                                   paint.style.backgroundColor != style->backgroundColor)) {
    paint.brush.Reset(::CreateSolidBrush(style->backgroundColor));
  }
  paint.style = *style;
  if (paint.font.Get() != nullptr) ::SelectObject(dc, paint.font.Get());
  ::SetTextColor(dc, style->systemTextColor ? ::GetSysColor(COLOR_WINDOWTEXT) : style->textColor);
  ::SetBkMode(dc, TRANSPARENT);
  // A dialog procedure answers this request with the brush itself. The
  // system's own colour brush belongs to the system and is never deleted.
  HBRUSH brush = style->systemBackground ? ::GetSysColorBrush(COLOR_BTNFACE) : paint.brush.Get();
  return reinterpret_cast<INT_PTR>(brush);
}

// A minimised window with an icon of its own draws it centred in its client
// area, over the icon background.
INT_PTR Win32Window::PaintIcon() {
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(hwnd_, &ps);
  ::SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
  ::EndPaint(hwnd_, &ps);
  return TRUE;
}

void Win32Window::OnDestroyed() {
  if (ownsMessageBoxes_ && ui_.Host() != nullptr) ui_.Host()->SetOwnerWindow(nullptr);
  ownsMessageBoxes_ = false;
  ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
  toolTip_ = nullptr;  // owned by the dialog, destroyed with it
  paints_.clear();     // nothing paints any more
  pictures_.clear();
  entries_.clear();    // the lists went with their window
  if (!modal_) hwnd_ = nullptr;
}

}  // namespace setwell
