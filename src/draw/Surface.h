#pragma once
// A handler's drawing surface for one picture frame: a view of the screen's canvas with
// its origin at the frame's client rectangle, clipped only at the canvas edge.
//
// Coordinates are doubles in the current set-up's logical units. Each is truncated
// toward zero to a whole logical unit and mapped to a device pixel with the set-up's
// integer formulas; nothing is clamped. A coordinate that is not finite is not drawn.
//
// A fresh surface has the pixel set-up, a black pen, the default font, black text on
// a white opaque text background, and the current position at (0, 0).
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
  void fillRect(double x, double y, double w, double h, Color c);

  void setPixel(double x, double y, Color c);
  Color pixel(double x, double y) const;

  void moveTo(double x, double y);
  // A one-pixel line in the pen colour; the end point is not drawn and becomes the
  // current position.
  void lineTo(double x, double y);

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

  // Device (canvas) position of a logical point; false when a coordinate is not finite.
  bool toDevice(double x, double y, long long& dx, long long& dy) const;

 private:
  Canvas* canvas_;
  int ox_, oy_, width_, height_;
  Setup setup_ = Setup::Pixel;
  Color pen_ = colors::black;
  Color textColor_ = colors::black;
  Color bkColor_ = colors::white;
  int fontHeight_ = kDefaultFontHeight;
  bool posValid_ = true;
  long long curX_ = 0, curY_ = 0;  // current position, device pixels relative to the canvas
};

}  // namespace lumo::draw
