// A lookup key lower-cased without a copy on the heap for the usual short
// name or path: the simulated machine's maps are keyed by lower-cased text
// and looked up many thousands of times an install.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "system/AsciiCase.h"

namespace setwell::sim {

class LowerKey {
 public:
  explicit LowerKey(std::string_view text) {
    if (text.size() <= sizeof small_) {
      LowerAsciiInto(small_, text.data(), text.size());
      view_ = std::string_view(small_, text.size());
    } else {
      big_ = LowerAscii(text);
      view_ = big_;
    }
  }
  LowerKey(const LowerKey&) = delete;
  LowerKey& operator=(const LowerKey&) = delete;

  std::string_view view() const { return view_; }

 private:
  char small_[520];
  std::string big_;
  std::string_view view_;
};

}  // namespace setwell::sim
