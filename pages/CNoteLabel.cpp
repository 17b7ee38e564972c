#include "pages/CNoteLabel.h"

namespace setwell {
namespace {
// A face name holds at most 31 characters.
constexpr std::size_t kFaceNameLimit = 31;
}  // namespace

// The label starts in the system's colours: the window-text colour on the
// button-face colour, as the user's colour scheme has them.
CNoteLabel::CNoteLabel() {
  style_.systemTextColor = true;
  style_.systemBackground = true;
}

CNoteLabel& CNoteLabel::SetTextColor(std::uint32_t color) {
  style_.textColor = color;
  style_.systemTextColor = false;
  RedrawNow();
  return *this;
}

CNoteLabel& CNoteLabel::SetBkColor(std::uint32_t color) {
  style_.backgroundColor = color;
  style_.systemBackground = false;
  return *this;
}

CNoteLabel& CNoteLabel::SetFontSize(int pixels) {
  style_.fontHeight = pixels;
  RedrawNow();
  return *this;
}

CNoteLabel& CNoteLabel::SetFontFace(const std::string& face) {
  style_.fontFace = face.substr(0, kFaceNameLimit);
  RedrawNow();
  return *this;
}

}  // namespace setwell
