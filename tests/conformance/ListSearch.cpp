#include "tests/conformance/ListSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setwell::conformance {
namespace {

struct Case {
  const char* what;
  std::vector<std::string> entries;
  int startAfter;
  std::string prefix;
  int found;  // -1: nothing, and the selection stays as it was
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"a name that begins another: the search starts after the first entry",
       {"X-1", "X-100"}, 0, "X-1", 1},
      {"the same the other way round", {"X-100", "X-1"}, 0, "X-1", 1},
      {"other letter case", {"X-100", "X-1"}, 0, "x-1", 1},
      {"it wraps round to the first entry", {"X-1", "Y-1", "Z-1"}, 0, "x-1", 0},
      {"from the first entry when told to", {"X-1", "X-100"}, -1, "X-1", 0},
      {"no match", {"X-1", "X-100"}, 0, "Y", -1},
      // A default entry of nothing but the category suffix names the empty
      // model: every entry begins with it, so the second is taken (the
      // host's own search finds nothing for an empty prefix).
      {"an empty prefix takes the entry after the start", {"SW-A", "SW-B", "SW-C"}, 0, "", 1},
      {"an empty prefix in a list of one", {"SW-A"}, 0, "", 0},
      // A bracket is a byte like any other (the host's search looks past a
      // leading "[" or "[-").
      {"a leading bracket is not skipped", {"SW-A", "[SW-B]", "[-SW-C"}, 0, "SW-B", -1},
      {"a bracket matches itself", {"SW-A", "[SW-B]"}, 0, "[sw-b", 1},
      // Only ASCII letters are folded (the host folds the code page's
      // letters too): "\xC9" is E acute, "\xE9" e acute in code page 1252.
      {"letters beyond ASCII match only themselves", {"SW-A", "\xE9" "CLAIR"}, 0, "\xC9", -1},
      {"the same byte matches", {"SW-A", "\xE9" "CLAIR"}, 0, "\xE9" "c", 1},
  };
  return cases;
}

}  // namespace

void CheckListPrefixSearch(const std::function<CComboBox()>& makeList) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    CComboBox list = makeList();
    ASSERT_TRUE(list.IsValid());
    list.ResetContent();
    for (const std::string& entry : c.entries) list.AddString(entry);
    ASSERT_EQ(list.GetCount(), static_cast<int>(c.entries.size()));
    // A failed search must leave the selection alone: start from the last.
    const int before = static_cast<int>(c.entries.size()) - 1;
    list.SetCurSel(before);
    EXPECT_EQ(list.SelectString(c.startAfter, c.prefix), c.found);
    EXPECT_EQ(list.GetCurSel(), c.found < 0 ? before : c.found);
    if (c.found >= 0) EXPECT_EQ(list.GetWindowText(), c.entries[c.found]);
  }
}

void CheckSortedListPrefixSearch(const std::function<CComboBox()>& makeSortedList) {
  struct SortedCase {
    const char* what;
    int startAfter;
    std::string prefix;
    std::string found;  // empty: nothing
  };
  const std::vector<std::string> added = {"Gamma", "alpha", "Beta", "beta two"};
  const std::vector<std::string> sorted = {"alpha", "Beta", "beta two", "Gamma"};
  const SortedCase cases[] = {
      {"from the first entry", -1, "b", "Beta"},
      {"after the entry found, the next that begins alike", 1, "BETA", "beta two"},
      {"it wraps round past the end", 3, "al", "alpha"},
      {"round to an entry before the start", 2, "be", "Beta"},
      {"no match", -1, "delta", ""},
  };
  for (const SortedCase& c : cases) {
    SCOPED_TRACE(c.what);
    CComboBox list = makeSortedList();
    ASSERT_TRUE(list.IsValid());
    list.ResetContent();
    for (const std::string& entry : added) list.AddString(entry);
    ASSERT_EQ(list.GetCount(), static_cast<int>(sorted.size()));
    for (int i = 0; i < list.GetCount(); ++i) EXPECT_EQ(list.GetLBText(i), sorted[i]) << i;
    list.SetCurSel(0);
    const int found = list.SelectString(c.startAfter, c.prefix);
    if (c.found.empty()) {
      EXPECT_EQ(found, -1);
      EXPECT_EQ(list.GetCurSel(), 0);
    } else {
      ASSERT_GE(found, 0);
      EXPECT_EQ(list.GetLBText(found), c.found);
      EXPECT_EQ(list.GetWindowText(), c.found);
    }
  }
}

}  // namespace setwell::conformance
