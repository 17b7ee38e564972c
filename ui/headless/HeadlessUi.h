// In-memory windows: every control's state kept where tests and the
// terminal front end can read it, and user actions (a click, a selection,
// a key) raised as the notifications a real window would send.
//
// Modal dialogs cannot block without a message loop, so RunModal hands the
// new window to the modal driver (a test's script, or the terminal's input
// loop) and returns when the driver returns; a dialog the driver leaves
// open is ended as by Cancel and counted in AbandonedDialogs().
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/CDialog.h"
#include "ui/WindowBackend.h"

namespace setwell {

struct HeadlessControl {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  std::string text;
  Rect rect;  // dialog units
  std::uint32_t flags = 0;
  bool enabled = true;
  bool visible = true;
  int check = 0;
  std::vector<std::string> items;
  int selection = -1;
  std::string toolTip;
  int redraws = 0;
};

class HeadlessUi;

class HeadlessWindow : public WindowBackend {
 public:
  HeadlessWindow(HeadlessUi& ui, CDialog& owner) : ui_(ui), owner_(owner) {}
  ~HeadlessWindow() override;

  // --- WindowBackend --------------------------------------------------------------
  bool CreateChild(const DialogTemplate& layout, WindowBackend& parent) override;
  int RunModal(const DialogTemplate& layout, WindowBackend* owner) override;
  void EndDialog(int result) override;
  void Destroy() override;
  bool IsCreated() const override { return created_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string GetTitle() const override { return title_; }
  void Show(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }
  void Move(const Rect& rect) override { rect_ = rect; }
  Rect ControlRect(int id) const override;
  bool AppendSystemMenuItem(int command, const std::string& text) override;
  void SetIcon(int iconResource) override { icon_ = iconResource; }
  bool HasControl(int id) const override { return Find(id) != nullptr; }
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) const override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void ShowControl(int id, bool visible) override;
  bool IsControlVisible(int id) const override;
  void SetCheck(int id, int state) override;
  int GetCheck(int id) const override;
  void SetFocus(int id) override { focus_ = id; }
  int AddString(int id, const std::string& text) override;
  void ResetContent(int id) override;
  int SetCurSel(int id, int index) override;
  int GetCurSel(int id) const override;
  int GetCount(int id) const override;
  std::string GetItemText(int id, int index) const override;
  void SetToolTip(int id, const std::string& text, int maxWidth) override;
  void Redraw(int id) override;

  // --- What a user does -------------------------------------------------------------
  // Clicks a button, radio button or check box: nothing when it is
  // disabled or hidden (returns false); automatic buttons change their
  // check state first, as real ones do.
  bool Click(int id);
  // Picks entry `index` of a drop-down list, then CBN_SELCHANGE.
  bool Select(int id, int index);
  // Picks the entry with exactly this text.
  bool SelectText(int id, const std::string& text);
  void SysCommand(int command) { owner_.OnSysCommand(command); }
  bool PressF1() { return owner_.OnHelp(); }

  // --- What a test reads ---------------------------------------------------------------
  const HeadlessControl* Find(int id) const;
  HeadlessControl* Find(int id);
  const std::vector<HeadlessControl>& Controls() const { return controls_; }
  CDialog& Owner() const { return owner_; }
  int TemplateId() const { return templateId_; }
  // Where the window is: a child in its parent's client area, in dialog
  // units (as Move placed it); a top-level window at 0,0 with its size.
  Rect WindowRect() const { return rect_; }
  int Focus() const { return focus_; }
  int Icon() const { return icon_; }
  const std::vector<std::pair<int, std::string>>& SystemMenu() const { return systemMenu_; }
  bool Ended() const { return ended_; }
  // The result EndDialog was given (IDOK_RESULT, IDCANCEL_RESULT ...).
  int Result() const { return result_; }
  HeadlessWindow* Parent() const { return parent_; }
  const std::vector<HeadlessWindow*>& Children() const { return children_; }
  // The visible child dialog, if any (the page shown by a wizard).
  HeadlessWindow* VisibleChild() const;

 private:
  void Build(const DialogTemplate& layout);

  HeadlessUi& ui_;
  CDialog& owner_;
  int templateId_ = 0;
  bool created_ = false;
  bool visible_ = false;
  bool ended_ = false;
  int result_ = 0;
  bool modal_ = false;
  std::string title_;
  Rect rect_;
  int icon_ = 0;
  int focus_ = 0;
  bool hasSystemMenu_ = false;
  std::vector<std::pair<int, std::string>> systemMenu_;
  std::vector<HeadlessControl> controls_;
  HeadlessWindow* parent_ = nullptr;
  std::vector<HeadlessWindow*> children_;
};

class HeadlessUi : public UiBackend {
 public:
  std::unique_ptr<WindowBackend> NewWindow(CDialog& owner) override;

  // Called with each modal dialog once it is created and shown.
  std::function<void(HeadlessWindow&)> modalDriver;

  // Live windows, oldest first.
  const std::vector<HeadlessWindow*>& Windows() const { return windows_; }
  // The most recent live window built from layout `templateId`.
  HeadlessWindow* FindWindow(int templateId) const;
  int AbandonedDialogs() const { return abandoned_; }

 private:
  friend class HeadlessWindow;
  std::vector<HeadlessWindow*> windows_;
  int abandoned_ = 0;
};

}  // namespace setwell
