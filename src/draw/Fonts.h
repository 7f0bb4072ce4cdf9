#pragma once
// The faces the program draws text with. "MS ゴシック" is drawn with IPAGothic, a
// metric-compatible face; a font is asked for by its cell height in pixels
// (ascent + descent), the way the screens state their fonts.
#include <QFont>
#include <QFontMetrics>

namespace lumo::draw {

struct CellFont {
  QFont font;            // pixel-sized, drawn without antialiasing
  QFontMetrics metrics;  // of `font`
  int cellHeight;        // the stated height: the text cell is this many pixels high
  int ascent;            // baseline offset from the top of the cell
};

// The IPAGothic font whose ascent + descent is `cellHeight` pixels (or, where no pixel
// size gives exactly that, the largest that fits in the cell). Built once per height and
// kept for the life of the program. A height below 1 gives the default font's.
const CellFont& gothicCellFont(int cellHeight);

// The program's proportional face ("ＭＳ Ｐゴシック", drawn with IPAPGothic) at a pixel size:
// the face of the widgets and of the lab's panels, charts and tables.
QFont proportionalFont(int pixelSize, bool bold = false);

}  // namespace lumo::draw
