// How the keyboard moves through a dialog, as in a Windows dialog: Tab
// visits the enabled, visible controls that take the focus (the page's,
// then the wizard's buttons), a group of radio buttons being one stop (its
// checked button); the arrow keys move within a radio group; Alt with a
// caption's underlined letter reaches its control; Enter presses the
// focused push button or else the default one.
#pragma once

#include <optional>
#include <vector>

#include "tools/setup_sim/DialogPainter.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell::term {

// Whether a control can have the focus at all (its kind, enabled, shown).
bool TakesFocus(const HeadlessWindow& owner, const HeadlessControl& control);

// The tab stops of a dialog and its visible page, in tab order.
std::vector<ControlRef> TabStops(const HeadlessWindow& dialog);

// The stop after (or before) `from`, wrapping round; `from` need not be a
// stop itself (it may be a radio button that is not the checked one).
std::optional<ControlRef> NextTabStop(const HeadlessWindow& dialog, const ControlRef& from,
                                      bool backwards);

// The enabled, visible radio buttons of the group `radio` belongs to: from
// the control that starts the group (kGroup) up to the next one.
std::vector<ControlRef> RadioGroup(const ControlRef& radio);

// The control whose caption has `letter` (lower case) underlined, among
// the enabled, visible controls of the page and then of the dialog.
std::optional<ControlRef> FindMnemonic(const HeadlessWindow& dialog, char letter);

// The push button Enter presses: the focused one, else the dialog's
// default push button; 0 when there is none.
int DefaultButton(const HeadlessWindow& dialog, const ControlRef& focus);

}  // namespace setwell::term
