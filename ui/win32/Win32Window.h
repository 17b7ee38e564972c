// One dialog window of the real host: built from its layout as an
// in-memory template, its messages handed to the owner dialog (CDialog).
#pragma once

#include "system/WinTypes.h"  // <windows.h>, without its generic-text macros

#include <map>
#include <string>
#include <vector>

#include "ui/CDialog.h"
#include "ui/WindowBackend.h"
#include "ui/win32/GdiObject.h"

namespace setwell {

class Win32UiBackend;

class Win32Window : public WindowBackend {
 public:
  Win32Window(Win32UiBackend& ui, CDialog& owner) : ui_(ui), owner_(owner) {}
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // --- WindowBackend ------------------------------------------------------------
  bool CreateChild(const DialogTemplate& layout, WindowBackend& parent) override;
  int RunModal(const DialogTemplate& layout, WindowBackend* owner) override;
  void EndDialog(int result) override;
  void Destroy() override;
  bool IsCreated() const override;
  void SetTitle(const std::string& title) override;
  std::string GetTitle() const override;
  void Show(bool visible) override;
  bool IsVisible() const override;
  void Move(const Rect& rect) override;
  Rect ControlRect(int id) const override;
  bool AppendSystemMenuItem(int command, const std::string& text) override;
  void SetIcon(int iconResource) override;
  bool HasControl(int id) const override { return Control(id) != nullptr; }
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) const override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void ShowControl(int id, bool visible) override;
  bool IsControlVisible(int id) const override;
  void SetCheck(int id, int state) override;
  int GetCheck(int id) const override;
  void SetFocus(int id) override;
  int AddString(int id, const std::string& text) override;
  void AddStrings(int id, const std::vector<std::string>& texts) override;
  int SelectString(int id, int startAfter, const std::string& prefix) override;
  void ResetContent(int id) override;
  int SetCurSel(int id, int index) override;
  int GetCurSel(int id) const override;
  int GetCount(int id) const override;
  std::string GetItemText(int id, int index) const override;
  void SetToolTip(int id, const std::string& text, int maxWidth) override;
  void Redraw(int id) override;

  HWND Handle() const { return hwnd_; }
  HWND ToolTipHandle() const { return toolTip_; }
  CDialog& Owner() const { return owner_; }

 private:
  // What a static with colours of its own paints with, kept per control
  // for as long as the window lives.
  struct StaticPaint {
    StaticStyle style;
    bool painted = false;
    GdiObject<HFONT> font;
    GdiObject<HBRUSH> brush;
  };

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnInitDialog();
  INT_PTR OnShown();
  INT_PTR PaintIcon();
  INT_PTR OnCommand(WPARAM wParam, LPARAM lParam);
  INT_PTR OnCtlColorStatic(HDC dc, HWND control);
  void OnDestroyed();
  HWND Control(int id) const;
  // A bitmap resource at width x height pixels (see PictureSizes).
  HBITMAP LoadPicture(int resource, int width, int height) const;
  const ControlTemplate* LayoutOf(int id) const;
  void StreamRichText(HWND control, const std::string& rtf);
  void CenterOverOwner();
  void SetPictures();
  // The entries a drop-down list has at creation.
  void FillLists();
  // Keeps the copy of a list's entries that SelectString searches: `text`
  // went in at `index` (as the list answered; an error records nothing).
  void RecordEntry(int id, int index, const std::string& text);
  // Read-only text views keep their place when tabbed into.
  void KeepReadersAtTheStart();
  // The control created from the layout's entry `index` (the host keeps
  // the template's order).
  HWND NthChild(std::size_t index) const;

  Win32UiBackend& ui_;
  CDialog& owner_;
  const DialogTemplate* layout_ = nullptr;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ownsMessageBoxes_ = false;
  HWND toolTip_ = nullptr;
  // The large icon set by SetIcon (shared, owned by the module).
  HICON icon_ = nullptr;
  std::map<int, StaticPaint> paints_;
  // The entries of each drop-down list, in the list's order.
  std::map<int, std::vector<std::string>> entries_;
  // Bitmaps shown by picture controls; the controls do not own them.
  std::vector<GdiObject<HBITMAP>> pictures_;
};

}  // namespace setwell
