#include "draw/Canvas.h"

#include <algorithm>

namespace lumo::draw {

Canvas::Canvas(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {}

void Canvas::makePixels() const {
  image_ = QImage(width_, height_, QImage::Format_RGB32);
  image_.fill(toQRgb(colors::face));
}

void Canvas::fill(int x0, int y0, int x1, int y1, Color c) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width());
  y1 = std::min(y1, height());
  const QRgb p = toQRgb(c);
  for (int y = y0; y < y1; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image().scanLine(y));
    std::fill(line + x0, line + std::max(x0, x1), p);
  }
}

}  // namespace lumo::draw
