#pragma once
// Colour scales of the lab's images: the program's rainbow scale of the clinical images
// (model/ClinicalRainbow), grey and hot. A value v of a range [lo, hi] takes level
// floor((v - lo) / (hi - lo) * levels), clamped to the first and last level, so the
// rainbow at lo = 0 colours counts exactly as the clinical bitmaps do.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <span>
#include <vector>

namespace lumo::draw {

enum class ScaleKind { Rainbow, Grey, Hot };

// The value range an image is shown with.
struct ValueRange {
  double lo = 0, hi = 1;
};

class ColourScale {
 public:
  explicit ColourScale(ScaleKind kind = ScaleKind::Rainbow);

  ScaleKind kind() const { return kind_; }
  // The scale's Japanese name for a chooser: レインボー, グレー, ホット.
  QString name() const;
  static QString nameOf(ScaleKind kind);
  static const std::vector<ScaleKind>& all();

  // How many colours the scale has (rainbow 128, grey and hot 256).
  int levels() const { return static_cast<int>(table_.size()); }
  QRgb level(int k) const;  // clamped to the first and last level

  // The colour of v on [lo, hi]. Below lo (and -inf) is the first level, above hi (and
  // +inf) the last. NaN is noValueColour(). A range that is empty, reversed or not
  // finite shows values below lo at the first level, above hi at the last and the rest
  // in the middle.
  QRgb map(double v, double lo, double hi) const;
  QRgb map(double v, ValueRange r) const { return map(v, r.lo, r.hi); }

  // The colour of a pixel with no value (NaN): magenta, which none of the scales holds.
  static QRgb noValueColour() { return qRgb(255, 0, 255); }

 private:
  ScaleKind kind_;
  std::vector<QRgb> table_;
};

// The range of the finite values (lo = min, hi = max); [0, 1] when there is none. A
// range of one value v becomes [v - 1, v + 1] scaled to v's size, so it never collapses.
ValueRange rangeOf(std::span<const float> px);
// [-m, m] with m the largest finite |v|: zero sits in the middle of the scale (the error
// image). [-1, 1] when every value is zero or none is finite.
ValueRange symmetricRangeOf(std::span<const float> px);

// A width x height picture of a row-major image (px[y * width + x], row 0 at the top),
// one pixel per image pixel, in Format_RGB32. Null when px is shorter than width x height
// or a size is not positive.
QImage toImage(std::span<const float> px, int width, int height, const ColourScale& scale, ValueRange range);

// The numbers a legend of [lo, hi] labels: evenly spaced round values (steps of 1, 2 or
// 5 times a power of ten) inside the range, at most maxTicks of them, always at least
// lo and hi when no round value fits.
std::vector<double> legendTicks(ValueRange range, int maxTicks);
// A legend number as text in the C locale, with as many decimals as the tick spacing
// `step` needs (e.g. 0.25 for a step of 0.05 gives "0.25", 1234.5 for a step of 200 gives
// "1235"); very large or small numbers in exponent form.
QString legendNumber(double v, double step);

// The legend: a vertical bar of the scale (lo at the bottom, hi at the top) in `bar`, with
// a tick and the number of each of legendTicks() to its right in `font` and `text` colour.
void drawLegend(QPainter& p, const QRect& bar, const ColourScale& scale, ValueRange range, const QFont& font,
                QColor text = Qt::black);
// The width the numbers of drawLegend take to the right of the bar (tick included).
int legendLabelWidth(ValueRange range, int barHeight, const QFont& font);
// A legend as a picture of the given height: the bar `barWidth` wide and its numbers, on
// white.
QImage legendImage(const ColourScale& scale, ValueRange range, int height, const QFont& font, int barWidth = 14);

}  // namespace lumo::draw
