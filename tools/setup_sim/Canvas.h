// A grid of character cells that the terminal front end paints a frame
// into before it goes out to the terminal in one write: each cell one
// glyph (an ASCII byte or one UTF-8 character) with its colours and
// attributes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setwell::term {

// ANSI colour numbers 0..7 (black, red, green, yellow, blue, magenta, cyan,
// white), 8..15 their bright forms; kDefaultColor leaves the terminal's own.
constexpr int kDefaultColor = -1;

struct CellStyle {
  int fg = kDefaultColor;
  int bg = kDefaultColor;
  bool bold = false;
  bool dim = false;
  bool underline = false;
  bool reverse = false;

  bool operator==(const CellStyle&) const = default;
};

struct Cell {
  std::string glyph = " ";
  CellStyle style;

  bool operator==(const Cell&) const = default;
};

// A rectangle of cells: left, top, width, height.
struct CellRect {
  int col = 0, row = 0, width = 0, height = 0;
  int Right() const { return col + width; }    // exclusive
  int Bottom() const { return row + height; }  // exclusive
};

// The lines a frame is drawn with: box-drawing characters where the
// terminal takes UTF-8, ASCII elsewhere.
struct Glyphs {
  const char* horizontal;
  const char* vertical;
  const char* topLeft;
  const char* topRight;
  const char* bottomLeft;
  const char* bottomRight;
  const char* shade;  // the desktop behind the windows

  static const Glyphs& Unicode();
  static const Glyphs& Ascii();
};

class Canvas {
 public:
  Canvas(int width, int height, CellStyle background = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  const Cell& At(int row, int col) const { return cells_[row * width_ + col]; }

  // Writes text from (row, col), one cell per byte (the texts are 8-bit
  // ANSI; bytes above 127 show as '?'), clipped to the canvas and to
  // `maxWidth` cells when it is not negative. Returns the cells written.
  int Text(int row, int col, const std::string& text, CellStyle style, int maxWidth = -1);
  // One glyph (possibly a multi-byte UTF-8 character) into one cell.
  void Put(int row, int col, const std::string& glyph, CellStyle style);
  void Fill(const CellRect& rect, const std::string& glyph, CellStyle style);
  // A frame around rect (its outermost cells), with a title in the top line.
  void Frame(const CellRect& rect, const Glyphs& glyphs, CellStyle style,
             const std::string& title = {}, CellStyle titleStyle = {});
  void HorizontalLine(int row, int col, int width, const Glyphs& glyphs, CellStyle style);
  // Changes the style of cells already written.
  void Restyle(const CellRect& rect, CellStyle style);

  // The frame as the terminal gets it: cursor home, then every row with
  // the escape sequences its styles need; colours off with `color` false
  // (bold, underline and reverse stay).
  std::string ToAnsi(bool color) const;
  // The glyphs only, one line per row, trailing blanks cut.
  std::string ToText() const;

 private:
  bool Inside(int row, int col) const {
    return row >= 0 && row < height_ && col >= 0 && col < width_;
  }

  int width_;
  int height_;
  std::vector<Cell> cells_;
};

}  // namespace setwell::term
