#pragma once
// A handler's drawing surface for one picture frame: a view of the screen's canvas with
// its origin at the frame's client rectangle, clipped only at the canvas edge.
//
// Coordinates are doubles in the current set-up's logical units. Each is truncated
// toward zero to a whole logical unit and mapped to a device pixel with the set-up's
// integer formulas; nothing is clamped. A coordinate that is not finite is not drawn.
//
// In the centred mirrored set-up the scaled offset x * W / 200 is rounded to the nearest
// pixel (halves away from zero), as the platform's anisotropic mapping does; with
// W = 368 the logical point (80, -67) lands on device (37, 307).
//
// A fresh surface has the pixel set-up, a black pen, the default font, black text on
// a white opaque text background, and the current position at (0, 0).
#include <QImage>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "draw/Canvas.h"
#include "draw/Colors.h"

namespace lumo::draw {

enum class Setup {
  Pixel,            // device = logical, origin at the frame's top left, y downward
  Centred,          // device = (W div 2 + x, H div 2 + y)
  CentredMirrored,  // device = (W div 2 - x * W / 200, H div 2 - y * H / 200)
};

// The cell height of the unlabelled text (axis numbers): the system font's.
constexpr int kDefaultFontHeight = 16;

class Surface {
 public:
  Surface(Canvas& canvas, int originX, int originY, int width, int height);

  int width() const { return width_; }   // W, the frame's client width in pixels
  int height() const { return height_; }  // H

  void setup(Setup s) { setup_ = s; }
  Setup currentSetup() const { return setup_; }

  // Fills the frame's client rectangle in device pixels, whatever the set-up, and makes
  // the colour the text background.
  void fillClient(Color c);
  // Fills a rectangle given in current coordinates; the colour becomes the text background.
  // The corners are (x, y) and (x + w, y + h); the far edges are not filled.
  void fillRect(double x, double y, double w, double h, Color c);

  inline void setPixel(double x, double y, Color c);
  // The colour shown at a logical point; off the canvas (or not finite) reads as the face.
  Color pixel(double x, double y) const;

  void moveTo(double x, double y);
  // A one-pixel line in the pen colour; the end point is not drawn and becomes the
  // current position.
  void lineTo(double x, double y);

  // A line from one point to another (the end point not drawn); a move, then a line.
  void line(double x0, double y0, double x1, double y1) {
    moveTo(x0, y0);
    lineTo(x1, y1);
  }

  void setPen(Color c) { pen_ = c; }
  Color pen() const { return pen_; }

  // "MS ゴシック" (drawn with IPAGothic) with the given cell height in pixels
  // (ascent + descent); kDefaultFontHeight stands for the default font.
  void setFont(int cellHeight) { fontHeight_ = cellHeight; }
  void setDefaultFont() { fontHeight_ = kDefaultFontHeight; }
  int fontHeight() const { return fontHeight_; }

  void setTextColor(Color c) { textColor_ = c; }
  void setBkColor(Color c) { bkColor_ = c; }
  Color textColor() const { return textColor_; }
  Color bkColor() const { return bkColor_; }

  // Opaque text, reference point at the top left of the first cell. UTF-8 that
  // Shift-JIS can represent.
  void textOut(double x, double y, std::string_view utf8);

  // Copies the source rectangle of bitmap resource `id` into the destination rectangle
  // (current coordinates), dropping or repeating rows and columns; when shrinking,
  // dropped rows and columns are ANDed into the kept ones.
  void stretchBitmap(int id, int sx, int sy, int sw, int sh, double dx, double dy, double dw,
                     double dh);
  // The same for an image already in memory. Source pixels outside the image are not
  // drawn. A destination whose device extent is negative (mirrored) flips the picture.
  void stretchImage(const QImage& image, int sx, int sy, int sw, int sh, double dx, double dy,
                    double dw, double dh);

  // Device (canvas) position of a logical point; false when a coordinate is not finite
  // or so large that its pixel lies far outside any canvas.
  bool toDevice(double x, double y, long long& dx, long long& dy) const;

 private:
  // Logical values beyond this magnitude are whole numbers in a double and far outside
  // every canvas; points there are never drawn, lines through there are clipped exactly.
  static constexpr double kExactLimit = 9007199254740992.0;  // 2^53
  static constexpr long long kSmall = 1LL << 31;

  // Exact mapping of a truncated logical coordinate (|t| < 2^53) to a frame pixel offset.
  static long long mapAxis(Setup s, long long t, int extent) {
    switch (s) {
      case Setup::Pixel:
        return t;
      case Setup::Centred:
        return extent / 2 + t;
      case Setup::CentredMirrored: {
        if (t > -kSmall && t < kSmall) {  // the usual case: the product fits in 64 bits
          const long long q = t * extent;
          return extent / 2 - (q >= 0 ? (q + 100) / 200 : -((-q + 100) / 200));
        }
        // t * extent may exceed 64 bits for huge t; the 128-bit product is exact.
        const __int128 q = static_cast<__int128>(t) * extent;
        const __int128 r = q >= 0 ? (q + 100) / 200 : -((-q + 100) / 200);
        return extent / 2 - static_cast<long long>(r);
      }
    }
    return t;
  }
  // Same mapping in long double for logical values of any finite size (device positions
  // of far line end points).
  long double mapAxisFar(double t, int extent) const;
  void drawSegment(long double x0, long double y0, long double x1, long double y1);

  Canvas* canvas_;
  int ox_, oy_, width_, height_;
  Setup setup_ = Setup::Pixel;
  Color pen_ = colors::black;
  Color textColor_ = colors::black;
  Color bkColor_ = colors::white;
  int fontHeight_ = kDefaultFontHeight;
  bool posValid_ = true;
  // Current position in canvas pixels; whole numbers, exact up to 2^63.
  long double curX_ = 0, curY_ = 0;
};

inline bool Surface::toDevice(double x, double y, long long& dx, long long& dy) const {
  // The comparison is false for NaN and for infinities.
  if (!(std::fabs(x) < kExactLimit) || !(std::fabs(y) < kExactLimit)) return false;
  dx = ox_ + mapAxis(setup_, static_cast<long long>(x), width_);
  dy = oy_ + mapAxis(setup_, static_cast<long long>(y), height_);
  return true;
}

inline void Surface::setPixel(double x, double y, Color c) {
  long long dx, dy;
  if (!toDevice(x, y, dx, dy)) return;
  if (dx < 0 || dy < 0 || dx >= canvas_->width() || dy >= canvas_->height()) return;
  canvas_->setPixelUnchecked(static_cast<int>(dx), static_cast<int>(dy), c);
}

// A curve drawn vertex by vertex: the first vertex moves there, each later one draws a
// line to it.
class Polyline {
 public:
  explicit Polyline(Surface& surface) : surface_(surface) {}
  void to(double x, double y) {
    if (started_) {
      surface_.lineTo(x, y);
    } else {
      surface_.moveTo(x, y);
      started_ = true;
    }
  }

 private:
  Surface& surface_;
  bool started_ = false;
};

}  // namespace lumo::draw
