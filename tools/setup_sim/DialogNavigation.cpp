#include "tools/setup_sim/DialogNavigation.h"

#include <algorithm>

#include "script/DialogText.h"

namespace setwell::term {
namespace {

bool IsPush(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton;
}

// The windows whose controls the keyboard reaches, in tab order.
std::vector<const HeadlessWindow*> Layers(const HeadlessWindow& dialog) {
  std::vector<const HeadlessWindow*> layers;
  if (const HeadlessWindow* page = dialog.VisibleChild()) layers.push_back(page);
  layers.push_back(&dialog);
  return layers;
}

// Index of the control that starts the group of controls[index].
std::size_t GroupStart(const std::vector<HeadlessControl>& controls, std::size_t index) {
  std::size_t first = index;
  while (first > 0 && !(controls[first].flags & kGroup)) --first;
  return first;
}

}  // namespace

bool TakesFocus(const HeadlessWindow&, const HeadlessControl& c) {
  if (!c.visible || !c.enabled || c.id == IDC_STATIC) return false;
  switch (c.kind) {
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox:
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
    case ControlKind::kDropDownList:
    case ControlKind::kRichText:
      return true;
    default:
      return false;
  }
}

std::vector<ControlRef> RadioGroup(const ControlRef& radio) {
  std::vector<ControlRef> group;
  const HeadlessControl* self = radio.Get();
  if (self == nullptr || self->kind != ControlKind::kRadioButton) return group;
  const std::vector<HeadlessControl>& controls = radio.window->Controls();
  const std::size_t index = static_cast<std::size_t>(self - controls.data());
  const std::size_t first = GroupStart(controls, index);
  for (std::size_t i = first; i < controls.size(); ++i) {
    if (i != first && (controls[i].flags & kGroup)) break;
    if (controls[i].kind == ControlKind::kRadioButton && TakesFocus(*radio.window, controls[i])) {
      group.push_back(ControlRef{radio.window, controls[i].id});
    }
  }
  return group;
}

std::vector<ControlRef> TabStops(const HeadlessWindow& dialog) {
  std::vector<ControlRef> stops;
  for (const HeadlessWindow* window : Layers(dialog)) {
    const std::vector<HeadlessControl>& controls = window->Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const HeadlessControl& c = controls[i];
      if (!TakesFocus(*window, c)) continue;
      if (c.kind != ControlKind::kRadioButton) {
        stops.push_back(ControlRef{window, c.id});
        continue;
      }
      // One stop per radio group, where its first button is: its checked
      // button, else its first.
      const std::vector<ControlRef> group = RadioGroup(ControlRef{window, c.id});
      if (group.empty() || !(group.front() == ControlRef{window, c.id})) continue;
      auto checked = std::find_if(group.begin(), group.end(),
                                  [](const ControlRef& r) { return r.Get()->check != 0; });
      stops.push_back(checked != group.end() ? *checked : group.front());
    }
  }
  return stops;
}

std::optional<ControlRef> NextTabStop(const HeadlessWindow& dialog, const ControlRef& from,
                                      bool backwards) {
  const std::vector<ControlRef> stops = TabStops(dialog);
  if (stops.empty()) return std::nullopt;
  auto at = std::find(stops.begin(), stops.end(), from);
  if (at == stops.end()) {
    // A radio button that is not its group's stop stands where the stop does.
    for (const ControlRef& member : RadioGroup(from)) {
      at = std::find(stops.begin(), stops.end(), member);
      if (at != stops.end()) break;
    }
  }
  if (at == stops.end()) return backwards ? stops.back() : stops.front();
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(stops.size());
  const std::ptrdiff_t index = at - stops.begin();
  return stops[static_cast<std::size_t>((index + (backwards ? count - 1 : 1)) % count)];
}

std::optional<ControlRef> FindMnemonic(const HeadlessWindow& dialog, char letter) {
  for (const HeadlessWindow* window : Layers(dialog)) {
    for (const HeadlessControl& c : window->Controls()) {
      if (TakesFocus(*window, c) && MnemonicOf(c.text) == letter) return ControlRef{window, c.id};
    }
  }
  return std::nullopt;
}

int DefaultButton(const HeadlessWindow& dialog, const ControlRef& focus) {
  if (const HeadlessControl* focused = focus.Get()) {
    if (IsPush(focused->kind) && TakesFocus(*focus.window, *focused)) return focused->id;
  }
  for (const HeadlessControl& c : dialog.Controls()) {
    if (c.kind == ControlKind::kDefPushButton) return c.id;
  }
  return 0;
}

}  // namespace setwell::term
