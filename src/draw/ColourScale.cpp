#include "draw/ColourScale.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/ClinicalRainbow.h"

namespace lumo::draw {

namespace {

std::vector<QRgb> tableOf(ScaleKind kind) {
  std::vector<QRgb> t;
  switch (kind) {
    case ScaleKind::Rainbow:
      for (const model::Rgb8& c : model::clinicalRainbow()) t.push_back(qRgb(c.r, c.g, c.b));
      break;
    case ScaleKind::Grey:
      for (int k = 0; k < 256; ++k) t.push_back(qRgb(k, k, k));
      break;
    case ScaleKind::Hot:
      // Black through red and yellow to white: red rises over the first third, green over
      // the second, blue over the last.
      for (int k = 0; k < 256; ++k) {
        auto part = [k](int third) { return std::clamp(3 * k - third * 255, 0, 255); };
        t.push_back(qRgb(part(0), part(1), part(2)));
      }
      break;
  }
  return t;
}

bool usable(ValueRange r);

// How many multiples of `step` lie in [lo, hi].
double multiplesIn(ValueRange r, double step) {
  return std::floor(r.hi / step + 1e-9) - std::ceil(r.lo / step - 1e-9) + 1;
}

// The finest round spacing (1, 2 or 5 times a power of ten) that puts at most maxTicks
// round values in the range.
double niceStep(ValueRange r, int maxTicks) {
  double p = std::pow(10.0, std::floor(std::log10((r.hi - r.lo) / maxTicks)));
  for (;;) {
    for (double m : {1.0, 2.0, 5.0})
      if (multiplesIn(r, m * p) <= maxTicks) return m * p;
    p *= 10;
  }
}

bool usable(ValueRange r) { return std::isfinite(r.lo) && std::isfinite(r.hi) && r.hi > r.lo; }

}  // namespace

ColourScale::ColourScale(ScaleKind kind) : kind_(kind), table_(tableOf(kind)) {}

QString ColourScale::nameOf(ScaleKind kind) {
  switch (kind) {
    case ScaleKind::Rainbow: return QStringLiteral("レインボー");
    case ScaleKind::Grey: return QStringLiteral("グレー");
    case ScaleKind::Hot: return QStringLiteral("ホット");
  }
  return {};
}

QString ColourScale::name() const { return nameOf(kind_); }

const std::vector<ScaleKind>& ColourScale::all() {
  static const std::vector<ScaleKind> kinds = {ScaleKind::Rainbow, ScaleKind::Grey, ScaleKind::Hot};
  return kinds;
}

QRgb ColourScale::level(int k) const { return table_[static_cast<std::size_t>(std::clamp(k, 0, levels() - 1))]; }

QRgb ColourScale::map(double v, double lo, double hi) const {
  if (std::isnan(v)) return noValueColour();
  const int n = levels();
  if (!usable({lo, hi})) return v < lo ? level(0) : v > hi ? level(n - 1) : level(n / 2);
  if (v <= lo) return level(0);
  const double t = (v - lo) / (hi - lo) * n;  // +inf for v = +inf
  if (!(t < n)) return level(n - 1);
  return level(static_cast<int>(t));
}

ValueRange rangeOf(std::span<const float> px) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (float v : px)
    if (std::isfinite(v)) {
      lo = std::min(lo, static_cast<double>(v));
      hi = std::max(hi, static_cast<double>(v));
    }
  if (lo > hi) return {0, 1};
  if (lo == hi) {
    const double d = std::max(1.0, std::abs(lo)) * 0.5;
    return {lo - d, hi + d};
  }
  return {lo, hi};
}

ValueRange symmetricRangeOf(std::span<const float> px) {
  double m = 0;
  for (float v : px)
    if (std::isfinite(v)) m = std::max(m, std::abs(static_cast<double>(v)));
  if (m == 0) m = 1;
  return {-m, m};
}

QImage toImage(std::span<const float> px, int width, int height, const ColourScale& scale, ValueRange range) {
  if (width <= 0 || height <= 0 || px.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height))
    return {};
  QImage img(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    const float* row = px.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) line[x] = scale.map(row[x], range);
  }
  return img;
}

std::vector<double> legendTicks(ValueRange range, int maxTicks) {
  if (!usable(range)) {
    if (std::isfinite(range.lo) && std::isfinite(range.hi)) return {range.lo, range.hi};
    return {};
  }
  maxTicks = std::max(maxTicks, 2);
  const double step = niceStep(range, maxTicks);
  std::vector<double> ticks;
  const double first = std::ceil(range.lo / step - 1e-9);
  for (double k = first; ticks.size() < static_cast<std::size_t>(maxTicks); ++k) {
    const double v = k * step;
    if (v > range.hi + step * 1e-9) break;
    ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
  }
  if (ticks.size() < 2) return {range.lo, range.hi};
  return ticks;
}

QString legendNumber(double v, double step) {
  if (!std::isfinite(v)) return QString::number(v);
  const double a = std::abs(v);
  if (a >= 1e6 || (a != 0 && a < 1e-4)) return QString::number(v, 'g', 4);
  int decimals = 0;
  if (step > 0 && std::isfinite(step)) decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6);
  return QString::number(v, 'f', decimals);
}

namespace {

double tickStep(const std::vector<double>& ticks, ValueRange range) {
  if (ticks.size() >= 2) return ticks[1] - ticks[0];
  return usable(range) ? range.hi - range.lo : 1;
}

int ticksFor(int barHeight, const QFont& font) {
  const QFontMetrics m(font);
  return std::clamp(barHeight / std::max(1, 2 * m.height()) + 1, 2, 11);
}

}  // namespace

void drawLegend(QPainter& p, const QRect& bar, const ColourScale& scale, ValueRange range, const QFont& font,
                QColor text) {
  if (bar.width() <= 0 || bar.height() <= 0) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  // The bar: one row per pixel of its height, hi at the top.
  const int h = bar.height();
  for (int i = 0; i < h; ++i) {
    const int k = (h - 1 - i) * scale.levels() / h;
    p.fillRect(QRect(bar.left(), bar.top() + i, bar.width(), 1), QColor::fromRgb(scale.level(k)));
  }
  p.setPen(text);
  p.setBrush(Qt::NoBrush);
  p.drawRect(bar.adjusted(-1, -1, 0, 0));  // a frame around the bar, outside it
  p.setFont(font);
  const QFontMetrics m(font);
  const std::vector<double> ticks = legendTicks(range, ticksFor(h, font));
  const double step = tickStep(ticks, range);
  const double span = usable(range) ? range.hi - range.lo : 0;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const double t = span > 0 ? (ticks[i] - range.lo) / span : (i == 0 ? 0.0 : 1.0);
    const int y = bar.bottom() - static_cast<int>(std::lround(t * (h - 1)));
    p.drawLine(bar.right() + 1, y, bar.right() + 4, y);  // a tick from the frame
    p.drawText(bar.right() + 7, y + (m.ascent() - m.descent()) / 2, legendNumber(ticks[i], step));
  }
  p.restore();
}

int legendLabelWidth(ValueRange range, int barHeight, const QFont& font) {
  const QFontMetrics m(font);
  const std::vector<double> ticks = legendTicks(range, ticksFor(barHeight, font));
  const double step = tickStep(ticks, range);
  int w = 0;
  for (double v : ticks) w = std::max(w, m.horizontalAdvance(legendNumber(v, step)));
  return 7 + w + 2;
}

QImage legendImage(const ColourScale& scale, ValueRange range, int height, const QFont& font, int barWidth) {
  const QFontMetrics m(font);
  const int margin = m.height() / 2 + 1;
  const int barHeight = std::max(1, height - 2 * margin);
  QImage img(barWidth + legendLabelWidth(range, barHeight, font) + 3, std::max(height, 1), QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  drawLegend(p, QRect(2, margin, barWidth, barHeight), scale, range, font);
  return img;
}

}  // namespace lumo::draw
