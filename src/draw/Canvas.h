#pragma once
// The retained picture of one open screen: an RGB image the size of its client area,
// shown above the dialog face and the frames' borders and below the controls.
// It starts as the face with the frames' borders and keeps every pixel drawn into it
// for the life of the screen.
#include <QImage>
#include <utility>

#include "draw/Colors.h"

namespace lumo::draw {

class Canvas {
 public:
  // No pixels are held until something is drawn or read: until then every pixel is the
  // face (a screen that never draws, like the start view, costs no picture).
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // True while nothing has been drawn: every pixel reads as the face.
  bool blank() const { return image_.isNull(); }

  // Device pixels, 0x00BBGGRR; writes outside the canvas are dropped, reads give the face.
  void setPixel(int x, int y, Color c) {
    if (contains(x, y)) reinterpret_cast<QRgb*>(image().scanLine(y))[x] = toQRgb(c);
  }
  // The caller has checked contains(x, y): the hot path of per-pixel drawing.
  void setPixelUnchecked(int x, int y, Color c) {
    reinterpret_cast<QRgb*>(image().scanLine(y))[x] = toQRgb(c);
  }
  Color pixel(int x, int y) const {
    if (!contains(x, y) || blank()) return colors::face;
    return fromQRgb(reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x]);
  }
  // Fills the rectangle [x0, x1) x [y0, y1), clipped to the canvas.
  void fill(int x0, int y0, int x1, int y1, Color c);

  // The pixels, made as the face when first asked for. For painting into them (text)
  // the size must stay as it is.
  const QImage& image() const {
    if (image_.isNull()) makePixels();
    return image_;
  }
  QImage& image() { return const_cast<QImage&>(std::as_const(*this).image()); }

  static QRgb toQRgb(Color c) {
    // 0x00BBGGRR to 0xFFRRGGBB: swap the red and blue bytes.
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
  }
  static Color fromQRgb(QRgb p) { return rgb(qRed(p), qGreen(p), qBlue(p)); }

 private:
  void makePixels() const;
  mutable QImage image_;
  int width_, height_;
};

}  // namespace lumo::draw
