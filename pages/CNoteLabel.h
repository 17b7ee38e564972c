// A static text drawn in a colour, font and background of its own: the USB
// driver note of the port page.
#pragma once

#include <cstdint>
#include <string>

#include "ui/CStatic.h"

namespace setwell {

// Colours are 0x00BBGGRR, red in the lowest byte.
constexpr std::uint32_t Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return red | (green << 8) | (static_cast<std::uint32_t>(blue) << 16);
}

class CNoteLabel : public CStatic {
 public:
  CNoteLabel();

  // Each returns the label, so that calls can be chained. The font setters
  // remake the font and redraw at once; the background shows at the next
  // repaint.
  CNoteLabel& SetTextColor(std::uint32_t color);
  CNoteLabel& SetBkColor(std::uint32_t color);
  CNoteLabel& SetFontSize(int pixels);
  CNoteLabel& SetFontFace(const std::string& face);

  // The colour request, answered by the label itself.
  const StaticStyle* CtlColor() const override { return &style_; }

 private:
  StaticStyle style_;
};

}  // namespace setwell
