#include "tools/setup_sim/Canvas.h"

#include <algorithm>

namespace setwell::term {

const Glyphs& Glyphs::Unicode() {
  static const Glyphs glyphs{"\u2500", "\u2502", "\u250C", "\u2510", "\u2514", "\u2518", "\u2591"};
  return glyphs;
}

const Glyphs& Glyphs::Ascii() {
  static const Glyphs glyphs{"-", "|", "+", "+", "+", "+", " "};
  return glyphs;
}

Canvas::Canvas(int width, int height, CellStyle background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  cells_.assign(static_cast<std::size_t>(width_) * height_, Cell{" ", background});
}

int Canvas::Text(int row, int col, const std::string& text, CellStyle style, int maxWidth) {
  int written = 0;
  for (unsigned char byte : text) {
    if (maxWidth >= 0 && written >= maxWidth) break;
    const char shown =
        byte >= 32 && byte < 127 ? static_cast<char>(byte) : (byte == '\t' ? ' ' : '?');
    if (Inside(row, col + written)) {
      cells_[row * width_ + col + written] = Cell{std::string(1, shown), style};
    }
    ++written;
  }
  return written;
}

void Canvas::Put(int row, int col, const std::string& glyph, CellStyle style) {
  if (Inside(row, col)) cells_[row * width_ + col] = Cell{glyph, style};
}

void Canvas::Fill(const CellRect& rect, const std::string& glyph, CellStyle style) {
  for (int row = rect.row; row < rect.Bottom(); ++row) {
    for (int col = rect.col; col < rect.Right(); ++col) Put(row, col, glyph, style);
  }
}

void Canvas::HorizontalLine(int row, int col, int width, const Glyphs& glyphs, CellStyle style) {
  for (int i = 0; i < width; ++i) Put(row, col + i, glyphs.horizontal, style);
}

void Canvas::Frame(const CellRect& rect, const Glyphs& glyphs, CellStyle style,
                   const std::string& title, CellStyle titleStyle) {
  if (rect.width < 2 || rect.height < 2) return;
  const int right = rect.Right() - 1;
  const int bottom = rect.Bottom() - 1;
  HorizontalLine(rect.row, rect.col + 1, rect.width - 2, glyphs, style);
  HorizontalLine(bottom, rect.col + 1, rect.width - 2, glyphs, style);
  for (int row = rect.row + 1; row < bottom; ++row) {
    Put(row, rect.col, glyphs.vertical, style);
    Put(row, right, glyphs.vertical, style);
  }
  Put(rect.row, rect.col, glyphs.topLeft, style);
  Put(rect.row, right, glyphs.topRight, style);
  Put(bottom, rect.col, glyphs.bottomLeft, style);
  Put(bottom, right, glyphs.bottomRight, style);
  if (!title.empty() && rect.width > 4) {
    Text(rect.row, rect.col + 2, " " + title + " ", titleStyle, rect.width - 4);
  }
}

void Canvas::Restyle(const CellRect& rect, CellStyle style) {
  for (int row = rect.row; row < rect.Bottom(); ++row) {
    for (int col = rect.col; col < rect.Right(); ++col) {
      if (Inside(row, col)) cells_[row * width_ + col].style = style;
    }
  }
}

namespace {

std::string Sgr(const CellStyle& style, bool color) {
  std::string codes = "0";
  if (style.bold) codes += ";1";
  if (style.dim) codes += ";2";
  if (style.underline) codes += ";4";
  if (style.reverse) codes += ";7";
  if (color && style.fg != kDefaultColor) {
    codes += ";" + std::to_string(style.fg < 8 ? 30 + style.fg : 90 + style.fg - 8);
  }
  if (color && style.bg != kDefaultColor) {
    codes += ";" + std::to_string(style.bg < 8 ? 40 + style.bg : 100 + style.bg - 8);
  }
  return "\x1b[" + codes + "m";
}

}  // namespace

std::string Canvas::ToAnsi(bool color) const {
  std::string out = "\x1b[H";
  for (int row = 0; row < height_; ++row) {
    out += "\x1b[" + std::to_string(row + 1) + ";1H";
    bool first = true;
    CellStyle current;
    for (int col = 0; col < width_; ++col) {
      const Cell& cell = At(row, col);
      if (first || !(cell.style == current)) {
        out += Sgr(cell.style, color);
        current = cell.style;
        first = false;
      }
      out += cell.glyph;
    }
  }
  out += "\x1b[0m";
  return out;
}

std::string Canvas::ToText() const {
  std::string out;
  for (int row = 0; row < height_; ++row) {
    std::string line;
    for (int col = 0; col < width_; ++col) line += At(row, col).glyph;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

}  // namespace setwell::term
