#include "draw/Surface.h"

#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "draw/Bitmaps.h"
#include "draw/Fonts.h"

namespace lumo::draw {

namespace {

using i128 = __int128;

// Beyond this every device position is far off any canvas, and differences of two
// positions still fit in 64 bits.
constexpr long double kExactDevice = 1152921504606846976.0L;  // 2^60
// Far line ends are first brought onto this box around the canvas along the line.
constexpr long double kNearBox = 1099511627776.0L;  // 2^40

i128 ceilDiv(i128 p, i128 q) {  // q > 0, p >= 0
  return (p + q - 1) / q;
}

// Rasterises the pixels k = 0 .. n-1 of a line along its major axis a (n = |da| >= |db|):
// a = a0 + sa*k, b = b0 + sb*m(k) with m(k) = floor((2*k*|db| + n) / (2*n)), the nearest
// minor step, halves going away from the start. Only the pixels with 0 <= a < na and
// 0 <= b < nb are visited, each in O(1): the clipping is exact, so the visible pixels are
// the same as the whole line's however far its ends lie.
template <typename Plot>
void rasterise(long long a0, long long b0, long long da, long long db, int na, int nb, Plot plot) {
  const i128 n = da >= 0 ? i128(da) : -i128(da);
  const i128 e = db >= 0 ? i128(db) : -i128(db);
  const int sa = da >= 0 ? 1 : -1;
  const int sb = db >= 0 ? 1 : -1;
  if (n == 0) return;

  // Range of k from the major axis.
  i128 klo, khi;
  if (sa > 0) {
    klo = -i128(a0);
    khi = i128(na) - 1 - a0;
  } else {
    klo = i128(a0) - (na - 1);
    khi = a0;
  }
  klo = std::max<i128>(klo, 0);
  khi = std::min<i128>(khi, n - 1);
  if (klo > khi) return;

  // Range of m from the minor axis, then of k.
  i128 mlo, mhi;
  if (sb > 0) {
    mlo = -i128(b0);
    mhi = i128(nb) - 1 - b0;
  } else {
    mlo = i128(b0) - (nb - 1);
    mhi = b0;
  }
  if (e == 0) {
    if (mlo > 0 || mhi < 0) return;
  } else {
    mlo = std::max<i128>(mlo, 0);
    if (mhi < mlo) return;
    if (mlo > 0) klo = std::max(klo, ceilDiv((2 * mlo - 1) * n, 2 * e));
    khi = std::min(khi, ceilDiv((2 * mhi + 1) * n, 2 * e) - 1);
    if (klo > khi) return;
  }

  const i128 twoN = 2 * n, twoE = 2 * e;
  const i128 start = 2 * klo * e + n;
  i128 m = start / twoN;
  i128 r = start % twoN;
  for (i128 k = klo; k <= khi; ++k) {
    plot(static_cast<int>(a0 + sa * k), static_cast<int>(b0 + sb * m));
    r += twoE;
    if (r >= twoN) {
      r -= twoN;
      ++m;
    }
  }
}

bool insideBox(long double x, long double y, long double box) {
  return std::fabs(x) <= box && std::fabs(y) <= box;
}

// Replaces the far end F of a segment from a near end N (within kNearBox of the canvas)
// by the whole-number point at distance 2^60 from N along N->F. The visible pixels keep
// the direction of the real line to within 2^-20 of a pixel.
void pullIn(long double nx, long double ny, long double& fx, long double& fy) {
  const long double dx = fx - nx, dy = fy - ny;
  const long double f = kExactDevice / std::max(std::fabs(dx), std::fabs(dy));
  fx = nx + std::round(dx * f);
  fy = ny + std::round(dy * f);
}

// Both ends far from the canvas: cuts the segment to the box |x|,|y| <= kNearBox, each
// end computed from its own side. Returns false when the segment misses the box. The
// result follows the real line as closely as long double arithmetic allows.
bool clipToNearBox(long double& x0, long double& y0, long double& x1, long double& y1) {
  // Entry parameter into the box along P + t*D, t in [0, 1]; false when it never enters.
  auto entry = [](long double px, long double py, long double dx, long double dy, long double& t) {
    long double lo = 0, hi = 1;
    auto axis = [&](long double p, long double d) {
      if (d == 0) return std::fabs(p) <= kNearBox;
      long double a = (-kNearBox - p) / d, b = (kNearBox - p) / d;
      if (a > b) std::swap(a, b);
      lo = std::max(lo, a);
      hi = std::min(hi, b);
      return lo <= hi;
    };
    if (!axis(px, dx) || !axis(py, dy)) return false;
    t = lo;
    return true;
  };
  const long double dx = x1 - x0, dy = y1 - y0;
  auto clampBox = [](long double v) { return std::clamp(v, -2 * kNearBox, 2 * kNearBox); };
  if (dx == 0 || dy == 0) {
    // Along an axis: clamping the moving coordinate keeps every visible pixel.
    if (dx == 0 ? std::fabs(x0) > kNearBox : std::fabs(y0) > kNearBox) return false;
    x0 = clampBox(x0);
    y0 = clampBox(y0);
    x1 = clampBox(x1);
    y1 = clampBox(y1);
    return true;
  }
  long double t0 = 0, s1 = 0;
  if (!entry(x0, y0, dx, dy, t0) || !entry(x1, y1, -dx, -dy, s1)) return false;
  // Cancellation can leave a far cut point off the box; the clamp keeps it a valid integer.
  const long double nx0 = clampBox(std::round(x0 + t0 * dx)), ny0 = clampBox(std::round(y0 + t0 * dy));
  const long double nx1 = clampBox(std::round(x1 - s1 * dx)), ny1 = clampBox(std::round(y1 - s1 * dy));
  x0 = nx0;
  y0 = ny0;
  x1 = nx1;
  y1 = ny1;
  return true;
}

// A device coordinate that may lie anywhere, to a clamped int for filling: the clamp
// only moves edges that are off the canvas anyway.
int clampToCanvas(long double v, int extent) {
  if (v < -1) return -1;
  if (v > extent + 1.0L) return extent + 1;
  return static_cast<int>(v);
}

// The source indices [lo, hi) that feed destination index j when n source pixels are
// stretched onto m destination pixels: one index each when enlarging (repeating),
// a run of indices when shrinking (the first is kept, the others are dropped into it).
struct SourceRun {
  long long lo, hi;
};
SourceRun sourceRun(long long j, long long n, long long m) {
  if (m >= n) {
    const long long i = static_cast<long long>(i128(j) * n / m);
    return {i, i + 1};
  }
  return {static_cast<long long>(ceilDiv(i128(j) * n, m)),
          static_cast<long long>(ceilDiv(i128(j + 1) * n, m))};
}

}  // namespace

Surface::Surface(Canvas& canvas, int originX, int originY, int width, int height)
    : canvas_(&canvas), ox_(originX), oy_(originY), width_(width), height_(height) {
  curX_ = ox_;
  curY_ = oy_;
}

long double Surface::mapAxisFar(double v, int extent) const {
  const double t = std::trunc(v);
  if (std::fabs(t) < kExactLimit) {
    return static_cast<long double>(mapAxis(setup_, static_cast<long long>(t), extent));
  }
  const long double lt = t;
  switch (setup_) {
    case Setup::Pixel:
      return lt;
    case Setup::Centred:
      return extent / 2 + lt;
    case Setup::CentredMirrored:
      return extent / 2 - std::round(lt * extent / 200.0L);
  }
  return lt;
}

void Surface::fillClient(Color c) {
  canvas_->fill(ox_, oy_, ox_ + width_, oy_ + height_, c);
  bkColor_ = c;
}

void Surface::fillRect(double x, double y, double w, double h, Color c) {
  bkColor_ = c;
  const double x1 = x + w, y1 = y + h;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  const long double ax = ox_ + mapAxisFar(x, width_), bx = ox_ + mapAxisFar(x1, width_);
  const long double ay = oy_ + mapAxisFar(y, height_), by = oy_ + mapAxisFar(y1, height_);
  canvas_->fill(clampToCanvas(std::min(ax, bx), canvas_->width()),
                clampToCanvas(std::min(ay, by), canvas_->height()),
                clampToCanvas(std::max(ax, bx), canvas_->width()),
                clampToCanvas(std::max(ay, by), canvas_->height()), c);
}

Color Surface::pixel(double x, double y) const {
  long long dx, dy;
  if (!toDevice(x, y, dx, dy)) return colors::face;
  if (dx < 0 || dy < 0 || dx >= canvas_->width() || dy >= canvas_->height()) return colors::face;
  return canvas_->pixel(static_cast<int>(dx), static_cast<int>(dy));
}

void Surface::moveTo(double x, double y) {
  posValid_ = std::isfinite(x) && std::isfinite(y);
  if (!posValid_) return;
  curX_ = ox_ + mapAxisFar(x, width_);
  curY_ = oy_ + mapAxisFar(y, height_);
}

void Surface::lineTo(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    posValid_ = false;
    return;
  }
  const long double nx = ox_ + mapAxisFar(x, width_);
  const long double ny = oy_ + mapAxisFar(y, height_);
  if (posValid_) drawSegment(curX_, curY_, nx, ny);
  curX_ = nx;
  curY_ = ny;
  posValid_ = true;
}

void Surface::drawSegment(long double x0, long double y0, long double x1, long double y1) {
  const bool near = std::fabs(x0) <= kExactDevice && std::fabs(y0) <= kExactDevice &&
                    std::fabs(x1) <= kExactDevice && std::fabs(y1) <= kExactDevice;
  if (!near) {
    if (insideBox(x0, y0, kNearBox))
      pullIn(x0, y0, x1, y1);
    else if (insideBox(x1, y1, kNearBox))
      pullIn(x1, y1, x0, y0);
    else if (!clipToNearBox(x0, y0, x1, y1))
      return;
  }
  const long long ax = static_cast<long long>(x0), ay = static_cast<long long>(y0);
  const long long dx = static_cast<long long>(x1) - ax, dy = static_cast<long long>(y1) - ay;
  const int cw = canvas_->width(), ch = canvas_->height();
  const QRgb color = Canvas::toQRgb(pen_);
  QImage& img = canvas_->image();
  uchar* bits = img.bits();  // detaches once; rows are written directly below
  const qsizetype bpl = img.bytesPerLine();
  auto put = [&](int px, int py) { reinterpret_cast<QRgb*>(bits + py * bpl)[px] = color; };
  if ((dx >= 0 ? dx : -dx) >= (dy >= 0 ? dy : -dy)) {
    rasterise(ax, ay, dx, dy, cw, ch, put);
  } else {
    rasterise(ay, ax, dy, dx, ch, cw, [&](int py, int px) { put(px, py); });
  }
}

void Surface::textOut(double x, double y, std::string_view utf8) {
  long long dx, dy;
  if (!toDevice(x, y, dx, dy)) return;
  const CellFont& cf = gothicCellFont(fontHeight_);
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  const int textWidth = cf.metrics.horizontalAdvance(text);
  const int cw = canvas_->width(), ch = canvas_->height();
  if (dx >= cw || dy >= ch || dx + textWidth <= 0 || dy + cf.cellHeight <= 0) return;
  const int left = static_cast<int>(dx), top = static_cast<int>(dy);
  canvas_->fill(left, top, left + textWidth, top + cf.cellHeight, bkColor_);
  QPainter painter(&canvas_->image());
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setClipRect(left, top, textWidth, cf.cellHeight);
  painter.setFont(cf.font);
  painter.setPen(QColor::fromRgb(Canvas::toQRgb(textColor_)));
  painter.drawText(QPoint(left, top + cf.ascent), text);
}

void Surface::stretchBitmap(int id, int sx, int sy, int sw, int sh, double dx, double dy,
                            double dw, double dh) {
  const QImage image = loadBitmap(id);
  if (image.isNull()) return;
  stretchImage(image, sx, sy, sw, sh, dx, dy, dw, dh);
}

void Surface::stretchImage(const QImage& image, int sx, int sy, int sw, int sh, double dx,
                           double dy, double dw, double dh) {
  if (image.isNull() || sw <= 0 || sh <= 0) return;
  const double ex = dx + dw, ey = dy + dh;
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(ex) || !std::isfinite(ey)) return;
  const long double fx0 = ox_ + mapAxisFar(dx, width_), fx1 = ox_ + mapAxisFar(ex, width_);
  const long double fy0 = oy_ + mapAxisFar(dy, height_), fy1 = oy_ + mapAxisFar(ey, height_);
  // A destination beyond 2^53 pixels has no sensible source mapping; nothing is drawn.
  for (long double v : {fx0, fx1, fy0, fy1})
    if (std::fabs(v) > kExactLimit) return;
  const long long X0 = static_cast<long long>(fx0), X1 = static_cast<long long>(fx1);
  const long long Y0 = static_cast<long long>(fy0), Y1 = static_cast<long long>(fy1);
  const long long nx = X1 >= X0 ? X1 - X0 : X0 - X1, ny = Y1 >= Y0 ? Y1 - Y0 : Y0 - Y1;
  if (nx == 0 || ny == 0) return;
  const bool flipX = X1 < X0, flipY = Y1 < Y0;
  const long long left = std::min(X0, X1), top = std::min(Y0, Y1);

  const QImage src = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                         ? image
                         : image.convertToFormat(QImage::Format_RGB32);
  const int cw = canvas_->width(), ch = canvas_->height();

  // Source runs of the visible destination columns and rows, clipped to the image.
  struct Run {
    int canvasPos;
    int lo, hi;
  };
  auto runs = [](long long start, long long n, bool flip, int canvasExtent, int srcOrigin,
                 int srcCount, int imageExtent) {
    std::vector<Run> out;
    const long long first = std::max<long long>(start, 0);
    const long long last = std::min<long long>(start + n, canvasExtent);
    for (long long p = first; p < last; ++p) {
      const long long j = flip ? (start + n - 1 - p) : (p - start);
      const SourceRun r = sourceRun(j, srcCount, n);
      const long long lo = std::max<long long>(srcOrigin + r.lo, 0);
      const long long hi = std::min<long long>(srcOrigin + r.hi, imageExtent);
      if (lo < hi) out.push_back({static_cast<int>(p), static_cast<int>(lo), static_cast<int>(hi)});
    }
    return out;
  };
  const std::vector<Run> cols = runs(left, nx, flipX, cw, sx, sw, src.width());
  const std::vector<Run> rows = runs(top, ny, flipY, ch, sy, sh, src.height());
  if (cols.empty() || rows.empty()) return;

  QImage& img = canvas_->image();
  uchar* bits = img.bits();
  const qsizetype bpl = img.bytesPerLine();
  for (const Run& row : rows) {
    QRgb* out = reinterpret_cast<QRgb*>(bits + row.canvasPos * bpl);
    for (const Run& col : cols) {
      QRgb v = 0xFFFFFFFFu;
      for (int sy2 = row.lo; sy2 < row.hi; ++sy2) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy2));
        for (int sx2 = col.lo; sx2 < col.hi; ++sx2) v &= in[sx2];
      }
      out[col.canvasPos] = v | 0xFF000000u;
    }
  }
}

}  // namespace lumo::draw
