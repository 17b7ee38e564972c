#include "ui/headless/HeadlessUi.h"

#include <algorithm>

#include "system/AsciiCase.h"

namespace setwell {
namespace {

bool IsButton(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton ||
         kind == ControlKind::kRadioButton || kind == ControlKind::kCheckBox;
}

}  // namespace

HeadlessWindow::~HeadlessWindow() { Destroy(); }

void HeadlessWindow::Build(const DialogTemplate& layout) {
  templateId_ = layout.id;
  title_ = layout.caption;
  hasSystemMenu_ = (layout.style & kSystemMenu) != 0;
  rect_ = Rect{0, 0, layout.cx, layout.cy};
  controls_.clear();
  for (std::size_t i = 0; i < layout.controlCount; ++i) {
    const ControlTemplate& t = layout.controls[i];
    HeadlessControl c;
    c.id = t.id;
    c.kind = t.kind;
    c.text = t.caption;
    c.rect = Rect{t.x, t.y, t.cx, t.cy};
    c.flags = t.flags;
    c.enabled = (t.flags & kDisabled) == 0;
    c.visible = (t.flags & kHidden) == 0;
    if (t.items != nullptr) {
      for (const char* const* item = t.items; *item != nullptr; ++item) c.items.emplace_back(*item);
    }
    controls_.push_back(std::move(c));
  }
  created_ = true;
  ui_.windows_.push_back(this);
}

bool HeadlessWindow::CreateChild(const DialogTemplate& layout, WindowBackend& parent) {
  Build(layout);
  parent_ = static_cast<HeadlessWindow*>(&parent);
  parent_->children_.push_back(this);
  visible_ = false;
  owner_.OnInitDialog();
  return true;
}

int HeadlessWindow::RunModal(const DialogTemplate& layout, WindowBackend* owner) {
  Build(layout);
  parent_ = static_cast<HeadlessWindow*>(owner);
  modal_ = true;
  ended_ = false;
  owner_.OnInitDialog();
  if (!ended_) {
    visible_ = true;
    owner_.OnShown();
    if (!ended_ && ui_.modalDriver) ui_.modalDriver(*this);
    if (!ended_) {
      ++ui_.abandoned_;
      owner_.OnCancel();
      if (!ended_) EndDialog(IDCANCEL_RESULT);
    }
  }
  const int result = result_;
  Destroy();
  return result;
}

void HeadlessWindow::EndDialog(int result) {
  ended_ = true;
  result_ = result;
}

void HeadlessWindow::Destroy() {
  if (!created_) return;
  created_ = false;
  visible_ = false;
  for (HeadlessWindow* child : children_) child->parent_ = nullptr;
  children_.clear();
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
  }
  auto& all = ui_.windows_;
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

Rect HeadlessWindow::ControlRect(int id) const {
  const HeadlessControl* c = Find(id);
  return c == nullptr ? Rect{} : c->rect;
}

bool HeadlessWindow::AppendSystemMenuItem(int command, const std::string& text) {
  if (!hasSystemMenu_) return false;
  systemMenu_.emplace_back(0, std::string());  // separator
  systemMenu_.emplace_back(command, text);
  return true;
}

const HeadlessControl* HeadlessWindow::Find(int id) const {
  for (const HeadlessControl& c : controls_) {
    if (c.id == id && id != IDC_STATIC) return &c;
  }
  return nullptr;
}

HeadlessControl* HeadlessWindow::Find(int id) {
  return const_cast<HeadlessControl*>(static_cast<const HeadlessWindow*>(this)->Find(id));
}

void HeadlessWindow::SetText(int id, const std::string& text) {
  if (HeadlessControl* c = Find(id)) c->text = text;
}
std::string HeadlessWindow::GetText(int id) const {
  const HeadlessControl* c = Find(id);
  if (c == nullptr) return {};
  if (c->kind == ControlKind::kDropDownList) {
    return c->selection >= 0 ? c->items[c->selection] : std::string();
  }
  return c->text;
}
void HeadlessWindow::Enable(int id, bool enabled) {
  if (HeadlessControl* c = Find(id)) c->enabled = enabled;
}
bool HeadlessWindow::IsEnabled(int id) const {
  const HeadlessControl* c = Find(id);
  return c != nullptr && c->enabled;
}
void HeadlessWindow::ShowControl(int id, bool visible) {
  if (HeadlessControl* c = Find(id)) c->visible = visible;
}
bool HeadlessWindow::IsControlVisible(int id) const {
  const HeadlessControl* c = Find(id);
  return c != nullptr && c->visible;
}
void HeadlessWindow::SetCheck(int id, int state) {
  if (HeadlessControl* c = Find(id)) c->check = state;
}
int HeadlessWindow::GetCheck(int id) const {
  const HeadlessControl* c = Find(id);
  return c == nullptr ? 0 : c->check;
}

int HeadlessWindow::AddString(int id, const std::string& text) {
  HeadlessControl* c = Find(id);
  if (c == nullptr) return -1;
  auto at = c->items.end();
  if (c->flags & kSorted) {
    at = std::upper_bound(c->items.begin(), c->items.end(), text,
                          [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  }
  const int index = static_cast<int>(at - c->items.begin());
  c->items.insert(at, text);
  if (c->selection >= index) ++c->selection;
  return index;
}
void HeadlessWindow::ResetContent(int id) {
  if (HeadlessControl* c = Find(id)) {
    c->items.clear();
    c->selection = -1;
  }
}
int HeadlessWindow::SetCurSel(int id, int index) {
  HeadlessControl* c = Find(id);
  if (c == nullptr) return -1;
  if (index < 0 || index >= static_cast<int>(c->items.size())) {
    c->selection = -1;
    return -1;
  }
  c->selection = index;
  return index;
}
int HeadlessWindow::GetCurSel(int id) const {
  const HeadlessControl* c = Find(id);
  return c == nullptr ? -1 : c->selection;
}
int HeadlessWindow::GetCount(int id) const {
  const HeadlessControl* c = Find(id);
  return c == nullptr ? 0 : static_cast<int>(c->items.size());
}
std::string HeadlessWindow::GetItemText(int id, int index) const {
  const HeadlessControl* c = Find(id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  return c->items[index];
}
void HeadlessWindow::SetToolTip(int id, const std::string& text, int) {
  if (HeadlessControl* c = Find(id)) c->toolTip = text;
}
void HeadlessWindow::Redraw(int id) {
  if (HeadlessControl* c = Find(id)) ++c->redraws;
}

bool HeadlessWindow::Click(int id) {
  HeadlessControl* c = Find(id);
  if (c == nullptr || !c->enabled || !c->visible || !IsButton(c->kind)) return false;
  if (c->kind == ControlKind::kCheckBox) {
    c->check = c->check ? 0 : 1;
  } else if (c->kind == ControlKind::kRadioButton) {
    // An automatic radio button unchecks the others of its group: the
    // radio buttons from the group's first up to the next group start.
    const std::size_t self = static_cast<std::size_t>(c - controls_.data());
    std::size_t first = self;
    while (first > 0 && !(controls_[first].flags & kGroup)) --first;
    for (std::size_t i = first; i < controls_.size(); ++i) {
      if (i != first && (controls_[i].flags & kGroup)) break;
      if (controls_[i].kind == ControlKind::kRadioButton) controls_[i].check = 0;
    }
    c->check = 1;
  }
  focus_ = id;
  owner_.OnCommand(id, BN_CLICKED);
  return true;
}

bool HeadlessWindow::Select(int id, int index) {
  HeadlessControl* c = Find(id);
  if (c == nullptr || !c->enabled || !c->visible || c->kind != ControlKind::kDropDownList ||
      index < 0 || index >= static_cast<int>(c->items.size())) {
    return false;
  }
  c->selection = index;
  focus_ = id;
  owner_.OnCommand(id, CBN_SELCHANGE);
  return true;
}

bool HeadlessWindow::SelectText(int id, const std::string& text) {
  const HeadlessControl* c = Find(id);
  if (c == nullptr) return false;
  auto it = std::find(c->items.begin(), c->items.end(), text);
  return it != c->items.end() && Select(id, static_cast<int>(it - c->items.begin()));
}

HeadlessWindow* HeadlessWindow::VisibleChild() const {
  for (HeadlessWindow* child : children_) {
    if (child->visible_) return child;
  }
  return nullptr;
}

std::unique_ptr<WindowBackend> HeadlessUi::NewWindow(CDialog& owner) {
  return std::make_unique<HeadlessWindow>(*this, owner);
}

HeadlessWindow* HeadlessUi::FindWindow(int templateId) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->TemplateId() == templateId) return *it;
  }
  return nullptr;
}

}  // namespace setwell
