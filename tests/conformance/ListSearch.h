// The drop-down list's prefix search (the model page preselects the
// default model with it), as one table run against every dialog backend:
// the in-memory lists (tests/DialogLibrary_test.cpp) and, in the Win32
// build, real lists under Wine (tests/win32/Win32Ui_test.cpp). Both must
// answer alike, whatever the host's own search would.
#pragma once

#include <functional>

#include "ui/CDialog.h"

namespace setwell::conformance {

// Runs every case on a fresh, unsorted drop-down list that `makeList`
// gives (emptied between cases).
void CheckListPrefixSearch(const std::function<CComboBox()>& makeList);
// The same search on a list that keeps its entries sorted (letter case
// aside): the entries are added out of order, and the search and the
// answers are by the list's own order.
void CheckSortedListPrefixSearch(const std::function<CComboBox()>& makeSortedList);

}  // namespace setwell::conformance
