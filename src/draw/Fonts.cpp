#include "draw/Fonts.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "draw/Surface.h"

namespace lumo::draw {

namespace {

QFont gothicAtPixelSize(int px) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(px);
  f.setWeight(QFont::Normal);
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setKerning(false);
  return f;
}

std::unique_ptr<CellFont> makeCellFont(int cellHeight) {
  // Walk down from the cell height to the largest pixel size whose cell fits.
  int px = cellHeight;
  while (px > 1) {
    const QFontMetrics m(gothicAtPixelSize(px));
    if (m.ascent() + m.descent() <= cellHeight) break;
    --px;
  }
  QFont font = gothicAtPixelSize(px);
  QFontMetrics metrics(font);
  const int ascent = metrics.ascent();
  return std::unique_ptr<CellFont>(new CellFont{font, metrics, cellHeight, ascent});
}

}  // namespace

const CellFont& gothicCellFont(int cellHeight) {
  // Nobody draws a font taller than a screen; the cap keeps a bad height harmless.
  constexpr int kMaxCell = 1000;
  if (cellHeight < 1) cellHeight = kDefaultFontHeight;
  if (cellHeight > kMaxCell) cellHeight = kMaxCell;
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<CellFont>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto& slot = cache[cellHeight];
  if (!slot) slot = makeCellFont(cellHeight);
  return *slot;
}

QFont proportionalFont(int pixelSize, bool bold) {
  QFont f(QStringLiteral("IPAPGothic"));
  f.setPixelSize(std::max(1, pixelSize));
  f.setBold(bold);
  return f;
}

}  // namespace lumo::draw
