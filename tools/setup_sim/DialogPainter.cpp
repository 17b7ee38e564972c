#include "tools/setup_sim/DialogPainter.h"

#include <algorithm>

#include "resources/DialogTemplate.h"
#include "script/DialogText.h"
#include "script/RichText.h"

namespace setwell::term {
namespace {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;
// The height of a drop-down list's field; the rest of its layout height
// is the open list.
constexpr int kListFieldUnits = 12;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The nearest of the eight basic colours to 0x00BBGGRR.
int AnsiColor(std::uint32_t rgb) {
  const int red = (rgb & 0xFF) >= 0x80 ? 1 : 0;
  const int green = ((rgb >> 8) & 0xFF) >= 0x80 ? 2 : 0;
  const int blue = ((rgb >> 16) & 0xFF) >= 0x80 ? 4 : 0;
  return red | green | blue;
}

std::string Padded(const std::string& text, int width) {
  std::string out = text.substr(0, static_cast<std::size_t>(std::max(width, 0)));
  out.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
  return out;
}

std::string IconGlyph(unsigned type) {
  const std::string name = MessageBoxIconName(type);
  if (name == "warning") return "/!\\";
  if (name == "information") return "(i)";
  if (name == "question") return "(?)";
  if (name == "error") return "(X)";
  return "";
}

std::vector<std::string> BoxLines(const MessageBoxView& box, int columns) {
  return WrapText(box.text, std::max(20, columns - 16));
}

int ButtonWidth(const char* caption) {
  return std::max(8, static_cast<int>(ParseCaption(caption).text.size()) + 4);
}

constexpr const char* kPictureArt[] = {
    "Setwell",         "",
    " .-----------. ", " |  =======  | ",
    ".-------------.", "| o         o |",
    "|  _________  |", "'-------------'",
    "   |~~~~~~~|   ", "   |~~~~~~~|   ",
    "   '-------'   ", "",
    "Printer driver",  "setup",
};

}  // namespace

Theme Theme::Make(bool color) {
  Theme t;
  t.color = color;
  if (color) {
    t.desktop = CellStyle{0, 6};
    t.window = CellStyle{0, 7};
    t.title = CellStyle{15, 4, true};
    t.disabled = CellStyle{8, 7};
    t.field = CellStyle{0, 15};
    t.fieldDisabled = CellStyle{8, 7};
    t.list = CellStyle{0, 15};
    t.listSelected = CellStyle{15, 4};
    t.picture = CellStyle{15, 4, true};
    t.focus = CellStyle{15, 0};
  } else {
    t.title.reverse = true;
    t.title.bold = true;
    t.disabled.dim = true;
    t.fieldDisabled.dim = true;
    t.listSelected.reverse = true;
    t.focus.reverse = true;
  }
  return t;
}

// --- Geometry -----------------------------------------------------------------------

CellRect DialogPainter::WindowSize(const HeadlessWindow& dialog) {
  const Rect size = dialog.WindowRect();
  return CellRect{0, 0, size.width / kUnitsPerColumn + 2, size.height / kUnitsPerRow + 2};
}

CellRect DialogPainter::ControlCells(const HeadlessWindow& owner, const HeadlessControl& c,
                                     const CellRect& client) {
  int x = c.rect.left;
  int y = c.rect.top;
  if (owner.Parent() != nullptr) {
    x += owner.WindowRect().left;
    y += owner.WindowRect().top;
  }
  const int left = FloorDiv(x, kUnitsPerColumn);
  const int right = FloorDiv(x + c.rect.width, kUnitsPerColumn);
  int top = 0;
  int height = 1;
  switch (c.kind) {
    case ControlKind::kGroupBox:
      top = FloorDiv(y, kUnitsPerRow);
      height = FloorDiv(y + c.rect.height, kUnitsPerRow) - top + 1;
      break;
    case ControlKind::kRichText:
    case ControlKind::kBitmap:
    case ControlKind::kIcon:
    case ControlKind::kEtchedFrame:
      top = FloorDiv(y, kUnitsPerRow);
      height = std::max(1, FloorDiv(y + c.rect.height, kUnitsPerRow) - top);
      break;
    case ControlKind::kDropDownList:
      top = FloorDiv(y + kListFieldUnits / 2, kUnitsPerRow);
      break;
    default:
      top = FloorDiv(y + c.rect.height / 2, kUnitsPerRow);
      break;
  }
  return CellRect{client.col + left, client.row + top, std::max(1, right - left), height};
}

int DialogPainter::ListRows(const HeadlessControl& list) {
  return std::max(1, (list.rect.height - kListFieldUnits) / kUnitsPerRow);
}

std::vector<std::string> DialogPainter::TextLines(const HeadlessControl& view, int width) {
  return WrapText(RtfToText(view.text), width);
}

CellRect DialogPainter::OpenListCells(const HeadlessControl& list, const CellRect& field,
                                      int screenRows) {
  const int wanted = std::min(ListRows(list), std::max(1, static_cast<int>(list.items.size())));
  const int below = screenRows - field.Bottom();
  const int above = field.row;
  if (below >= wanted || below >= above) {
    return CellRect{field.col, field.Bottom(), field.width, std::min(wanted, below)};
  }
  const int rows = std::min(wanted, above);
  return CellRect{field.col, field.row - rows, field.width, rows};
}

CellRect DialogPainter::MessageBoxCells(const MessageBoxView& box, int columns, int rows) {
  const std::vector<std::string> lines = BoxLines(box, columns);
  int textWidth = 0;
  for (const std::string& line : lines)
    textWidth = std::max(textWidth, static_cast<int>(line.size()));
  const int iconWidth = IconGlyph(box.type).empty() ? 0 : 5;
  int buttonsWidth = 0;
  for (const BoxButton& button : MessageBoxButtons(box.type)) {
    buttonsWidth += ButtonWidth(button.caption) + 2;
  }
  const int inner =
      std::max({iconWidth + textWidth, buttonsWidth - 2, static_cast<int>(box.caption.size()) + 2});
  const int width = std::min(columns, inner + 4);
  const int height = std::min(rows, static_cast<int>(lines.size()) + 5);
  return CellRect{(columns - width) / 2, (rows - height) / 2, width, height};
}

// --- Drawing ----------------------------------------------------------------------------

void DialogPainter::Desktop() {
  canvas_.Fill(CellRect{0, 0, canvas_.Width(), canvas_.Height()},
               theme_.color ? " " : glyphs_.shade, theme_.desktop);
}

int DialogPainter::CaptionText(int row, int col, const std::string& caption, CellStyle style,
                               int maxWidth) {
  const Caption parsed = ParseCaption(caption);
  const int used = canvas_.Text(row, col, parsed.text, style, maxWidth);
  if (parsed.underline >= 0 && parsed.underline < used) {
    CellStyle underlined = style;
    underlined.underline = true;
    canvas_.Text(row, col + parsed.underline, parsed.text.substr(parsed.underline, 1), underlined);
  }
  return used;
}

CellStyle DialogPainter::Styled(const HeadlessWindow& owner, const HeadlessControl& c) const {
  if (!c.enabled) return theme_.disabled;
  if (const StaticStyle* own = owner.Owner().GetStaticStyle(c.id)) {
    if (!theme_.color) return CellStyle{kDefaultColor, kDefaultColor, true};
    return CellStyle{own->systemTextColor ? theme_.window.fg : AnsiColor(own->textColor),
                     own->systemBackground ? theme_.window.bg
                                           : AnsiColor(own->backgroundColor)};
  }
  return theme_.window;
}

void DialogPainter::Picture(const CellRect& cells) {
  canvas_.Fill(cells, " ", theme_.picture);
  const int artRows = static_cast<int>(std::size(kPictureArt));
  int row = cells.row + std::max(0, (cells.height - artRows) / 2);
  for (const char* line : kPictureArt) {
    if (row >= cells.Bottom()) break;
    const int length = static_cast<int>(std::string(line).size());
    canvas_.Text(row++, cells.col + std::max(0, (cells.width - length) / 2), line, theme_.picture,
                 cells.width);
  }
}

void DialogPainter::Control(const HeadlessWindow& owner, const HeadlessControl& c,
                            const CellRect& client, const DialogView& view) {
  const CellRect cells = ControlCells(owner, c, client);
  const bool focused = view.active && c.id != IDC_STATIC && view.focus == ControlRef{&owner, c.id};
  const CellStyle base = Styled(owner, c);
  const int room = client.Right() - cells.col;  // texts may run past their layout width
  switch (c.kind) {
    case ControlKind::kGroupBox:
      canvas_.Frame(cells, glyphs_, theme_.window, ParseCaption(c.text).text, theme_.window);
      break;
    case ControlKind::kStatic: {
      const std::string text = ParseCaption(c.text).text;
      if (owner.Owner().GetStaticStyle(c.id) != nullptr) canvas_.Fill(cells, " ", base);
      int col = cells.col;
      if (c.flags & kCentered)
        col += std::max(0, (cells.width - static_cast<int>(text.size())) / 2);
      CaptionText(cells.row, col, c.text, base, room - (col - cells.col));
      break;
    }
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox: {
      const bool radio = c.kind == ControlKind::kRadioButton;
      const std::string mark = radio ? (c.check ? "(*)" : "( )") : (c.check ? "[x]" : "[ ]");
      canvas_.Text(cells.row, cells.col, mark + " ", base);
      const CellStyle captionStyle = focused ? theme_.focus : base;
      CaptionText(cells.row, cells.col + 4, c.text, captionStyle, room - 4);
      break;
    }
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
      const bool isDefault = c.id == view.defaultId && c.enabled;
      CellStyle style = focused ? theme_.focus : base;
      style.bold = style.bold || isDefault;
      const Caption caption = ParseCaption(c.text);
      const int inner = std::max(0, cells.width - 2);
      const int pad = std::max(0, (inner - static_cast<int>(caption.text.size())) / 2);
      canvas_.Text(cells.row, cells.col, "[" + std::string(inner, ' ') + "]", style);
      CaptionText(cells.row, cells.col + 1 + pad, c.text, style, inner - pad);
      // The default button's mark, for terminals without bold.
      if (isDefault)
        canvas_.Text(cells.row, cells.col - 1, ">",
                     CellStyle{theme_.window.fg, theme_.window.bg, true});
      break;
    }
    case ControlKind::kDropDownList: {
      CellStyle field = c.enabled ? theme_.field : theme_.fieldDisabled;
      if (focused) field = theme_.focus;
      const std::string text = c.selection >= 0 ? c.items[c.selection] : std::string();
      const int inner = std::max(0, cells.width - 3);
      const bool brackets = !theme_.color;
      canvas_.Text(cells.row, cells.col,
                   (brackets ? "[" : " ") + Padded(text, inner) + (brackets ? "]" : " "), field);
      canvas_.Text(cells.row, cells.col + cells.width - 1, "v",
                   c.enabled ? theme_.title : theme_.disabled);
      break;
    }
    case ControlKind::kRichText: {
      canvas_.Fill(cells, " ", theme_.field);
      const int width = std::max(1, cells.width - 2);
      const std::vector<std::string> lines = TextLines(c, width);
      for (int i = 0; i < cells.height; ++i) {
        const int line = view.textTop + i;
        if (line >= 0 && line < static_cast<int>(lines.size())) {
          canvas_.Text(cells.row + i, cells.col, lines[line], theme_.field, width);
        }
      }
      // The scroll bar: arrows at its ends, the thumb where the view is.
      const int bar = cells.Right() - 1;
      const CellStyle barStyle = focused ? theme_.focus : theme_.window;
      for (int i = 0; i < cells.height; ++i) canvas_.Text(cells.row + i, bar, " ", barStyle);
      canvas_.Text(cells.row, bar, "^", barStyle);
      canvas_.Text(cells.Bottom() - 1, bar, "v", barStyle);
      const int track = cells.height - 2;
      const int total = static_cast<int>(lines.size());
      if (track > 0 && total > cells.height) {
        const int maxTop = total - cells.height;
        const int thumb =
            cells.row + 1 + (track - 1) * std::clamp(view.textTop, 0, maxTop) / maxTop;
        canvas_.Text(thumb, bar, "#", barStyle);
      }
      break;
    }
    case ControlKind::kEtchedLine:
      canvas_.HorizontalLine(cells.row, cells.col, cells.width, glyphs_, theme_.window);
      break;
    case ControlKind::kEtchedFrame:
      canvas_.Frame(cells, glyphs_, theme_.window);
      break;
    case ControlKind::kBitmap:
      Picture(cells);
      break;
    case ControlKind::kIcon:
      canvas_.Text(cells.row, cells.col, "[SW]", theme_.picture);
      break;
  }
}

void DialogPainter::Dialog(const HeadlessWindow& dialog, const CellRect& window,
                           const DialogView& view) {
  canvas_.Fill(window, " ", theme_.window);
  canvas_.Frame(window, glyphs_, theme_.window);
  canvas_.Fill(CellRect{window.col, window.row, window.width, 1}, " ",
               view.active ? theme_.title : theme_.window);
  const DialogTemplate* layout = FindDialogTemplate(dialog.TemplateId());
  const bool systemMenu = layout != nullptr && (layout->style & kSystemMenu) != 0;
  canvas_.Text(window.row, window.col + 1, (systemMenu ? "[-] " : "") + dialog.GetTitle(),
               view.active ? theme_.title : theme_.window, window.width - 2);
  const CellRect client = ClientArea(window);
  for (const HeadlessControl& c : dialog.Controls()) {
    if (c.visible) Control(dialog, c, client, view);
  }
  if (const HeadlessWindow* page = dialog.VisibleChild()) {
    for (const HeadlessControl& c : page->Controls()) {
      if (c.visible) Control(*page, c, client, view);
    }
  }
}

void DialogPainter::OpenList(const HeadlessControl& list, const CellRect& field, int highlighted,
                             int top) {
  const CellRect cells = OpenListCells(list, field, canvas_.Height());
  const int count = static_cast<int>(list.items.size());
  const bool scrolls = count > cells.height;
  const int width = scrolls ? cells.width - 1 : cells.width;
  for (int i = 0; i < cells.height; ++i) {
    const int item = top + i;
    const CellStyle style = item == highlighted ? theme_.listSelected : theme_.list;
    const std::string text = item < count ? list.items[item] : std::string();
    canvas_.Text(cells.row + i, cells.col, Padded(" " + text, width), style);
    if (scrolls) {
      const char* mark = i == 0 && top > 0                                     ? "^"
                         : i == cells.height - 1 && top + cells.height < count ? "v"
                                                                               : " ";
      canvas_.Text(cells.row + i, cells.Right() - 1, mark, theme_.title);
    }
  }
}

void DialogPainter::MessageBox(const MessageBoxView& box) {
  const CellRect cells = MessageBoxCells(box, canvas_.Width(), canvas_.Height());
  canvas_.Fill(cells, " ", theme_.window);
  canvas_.Frame(cells, glyphs_, theme_.window);
  canvas_.Fill(CellRect{cells.col, cells.row, cells.width, 1}, " ", theme_.title);
  canvas_.Text(cells.row, cells.col + 1, box.caption, theme_.title, cells.width - 2);

  const std::string icon = IconGlyph(box.type);
  const int textCol = cells.col + 2 + (icon.empty() ? 0 : 5);
  if (!icon.empty()) {
    CellStyle iconStyle = theme_.window;
    iconStyle.bold = true;
    if (theme_.color) iconStyle.fg = MessageBoxIconName(box.type) == "warning" ? 1 : 4;
    canvas_.Text(cells.row + 2, cells.col + 2, icon, iconStyle);
  }
  const std::vector<std::string> lines = BoxLines(box, canvas_.Width());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    canvas_.Text(cells.row + 2 + static_cast<int>(i), textCol, lines[i], theme_.window,
                 cells.Right() - 1 - textCol);
  }

  const std::vector<BoxButton> buttons = MessageBoxButtons(box.type);
  int total = 0;
  for (const BoxButton& button : buttons) total += ButtonWidth(button.caption) + 2;
  total -= 2;
  int col = cells.col + std::max(1, (cells.width - total) / 2);
  const int row = cells.Bottom() - 2;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const int width = ButtonWidth(buttons[i].caption);
    const bool focused = static_cast<int>(i) == box.focused;
    CellStyle style = focused ? theme_.focus : theme_.window;
    style.bold = focused;
    const Caption caption = ParseCaption(buttons[i].caption);
    const int pad = (width - 2 - static_cast<int>(caption.text.size())) / 2;
    canvas_.Text(row, col, "[" + std::string(width - 2, ' ') + "]", style);
    CaptionText(row, col + 1 + pad, buttons[i].caption, style, width - 2 - pad);
    if (focused)
      canvas_.Text(row, col - 1, ">", CellStyle{theme_.window.fg, theme_.window.bg, true});
    col += width + 2;
  }
}

void DialogPainter::Menu(const MenuView& menu, int row, int col) {
  int width = 0;
  for (const std::string& item : menu.items) {
    width = std::max(width, static_cast<int>(ParseCaption(item).text.size()));
  }
  const CellRect cells{col, row, width + 4, static_cast<int>(menu.items.size()) + 2};
  canvas_.Fill(cells, " ", theme_.window);
  canvas_.Frame(cells, glyphs_, theme_.window);
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    const int r = row + 1 + static_cast<int>(i);
    if (menu.items[i].empty()) {
      canvas_.HorizontalLine(r, col + 1, width + 2, glyphs_, theme_.window);
      continue;
    }
    const CellStyle style =
        static_cast<int>(i) == menu.selected ? theme_.listSelected : theme_.window;
    canvas_.Text(r, col + 1, std::string(width + 2, ' '), style);
    CaptionText(r, col + 2, menu.items[i], style, width);
  }
}

void DialogPainter::Note(const std::string& title, const std::vector<std::string>& lines) {
  int width = static_cast<int>(title.size()) + 4;
  for (const std::string& line : lines) width = std::max(width, static_cast<int>(line.size()) + 4);
  width = std::min(width, canvas_.Width());
  const int height = std::min(canvas_.Height(), static_cast<int>(lines.size()) + 4);
  const CellRect cells{(canvas_.Width() - width) / 2, (canvas_.Height() - height) / 2, width,
                       height};
  canvas_.Fill(cells, " ", theme_.window);
  canvas_.Frame(cells, glyphs_, theme_.window);
  canvas_.Fill(CellRect{cells.col, cells.row, cells.width, 1}, " ", theme_.title);
  canvas_.Text(cells.row, cells.col + 1, title, theme_.title, cells.width - 2);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    canvas_.Text(cells.row + 2 + static_cast<int>(i), cells.col + 2, lines[i], theme_.window,
                 cells.width - 4);
  }
}

}  // namespace setwell::term
