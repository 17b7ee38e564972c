#include "pages/CNoteLabel.h"

namespace setwell {
namespace {
// The host's window-text and button-face colours of the classic scheme.
constexpr std::uint32_t kWindowText = Rgb(0, 0, 0);
constexpr std::uint32_t kButtonFace = Rgb(0xD4, 0xD0, 0xC8);
// A face name holds at most 31 characters.
constexpr std::size_t kFaceNameLimit = 31;
}  // namespace

CNoteLabel::CNoteLabel() {
  style_.textColor = kWindowText;
  style_.backgroundColor = kButtonFace;
}

CNoteLabel& CNoteLabel::SetTextColor(std::uint32_t color) {
  style_.textColor = color;
  RedrawNow();
  return *this;
}

CNoteLabel& CNoteLabel::SetBkColor(std::uint32_t color) {
  style_.backgroundColor = color;
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
