// The drawing surface: coordinate set-ups, truncation, lines and their clipping, fills,
// the text background and drawing outside a frame.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "draw/Canvas.h"
#include "draw/Colors.h"
#include "draw/Surface.h"

namespace lumo::draw {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// Every canvas pixel that no longer shows the face.
Pixels changedPixels(const Canvas& canvas, Color background = colors::face) {
  Pixels out;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if (canvas.pixel(x, y) != background) out.insert({x, y});
  return out;
}

struct Box {
  int left = std::numeric_limits<int>::max(), top = std::numeric_limits<int>::max();
  int right = -1, bottom = -1;  // inclusive
  bool empty() const { return right < 0; }
};

Box boxOf(const Pixels& pixels) {
  Box b;
  for (auto [x, y] : pixels) {
    b.left = std::min(b.left, x);
    b.top = std::min(b.top, y);
    b.right = std::max(b.right, x);
    b.bottom = std::max(b.bottom, y);
  }
  return b;
}

// The whole line, every pixel from the start up to (not including) the end, on an
// unbounded plane: each step along the major axis takes the nearest minor position,
// halves going away from the start. Pixels off the canvas are then dropped.
Pixels referenceLine(long long x0, long long y0, long long x1, long long y1, int w, int h) {
  Pixels out;
  const long long dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const long long n = xMajor ? std::llabs(dx) : std::llabs(dy);
  const long long e = xMajor ? std::llabs(dy) : std::llabs(dx);
  for (long long k = 0; k < n; ++k) {
    // The minor offset k * e / n rounded to the nearest step, halves up.
    const long long m = (2 * k * e + n) / (2 * n);
    long long x, y;
    if (xMajor) {
      x = x0 + (dx > 0 ? k : -k);
      y = y0 + (dy >= 0 ? m : -m);
    } else {
      y = y0 + (dy > 0 ? k : -k);
      x = x0 + (dx >= 0 ? m : -m);
    }
    if (x >= 0 && y >= 0 && x < w && y < h) out.insert({int(x), int(y)});
  }
  return out;
}

TEST(SurfaceSetup, MapsLogicalPointsWithEachSetUpsFormula) {
  struct Case {
    draw::Setup setup;
    double x, y;
    long long dx, dy;
  };
  // Frame 368 x 367 at canvas (10, 20).
  const Case cases[] = {
      {draw::Setup::Pixel, 0, 0, 10, 20},
      {draw::Setup::Pixel, 30, 40, 40, 60},
      {draw::Setup::Centred, 0, 0, 10 + 184, 20 + 183},
      {draw::Setup::Centred, -64, -64, 10 + 120, 20 + 119},
      {draw::Setup::CentredMirrored, 0, 0, 10 + 184, 20 + 183},
      // x grows to the left, y upward; 1 unit = W/200 and H/200 pixels, rounded.
      {draw::Setup::CentredMirrored, 1, 1, 10 + 182, 20 + 181},          // 1.84 -> 2, 1.835 -> 2
      {draw::Setup::CentredMirrored, -67, -67, 10 + 307, 20 + 306},      // 123.28, 122.945
      {draw::Setup::CentredMirrored, 80, -67, 10 + 37, 20 + 306},        // 147.2
      {draw::Setup::CentredMirrored, 100, -100, 10 + 0, 20 + 367},       // the frame's corners
      {draw::Setup::CentredMirrored, -64, 64, 10 + 302, 20 + 66},        // 117.76, 117.44
  };
  Canvas canvas(400, 400);
  for (const Case& c : cases) {
    Surface s(canvas, 10, 20, 368, 367);
    s.setup(c.setup);
    long long dx = 0, dy = 0;
    ASSERT_TRUE(s.toDevice(c.x, c.y, dx, dy));
    EXPECT_EQ(dx, c.dx) << int(c.setup) << " (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(dy, c.dy) << int(c.setup) << " (" << c.x << ", " << c.y << ")";
  }
}

TEST(SurfaceSetup, TruncatesCoordinatesTowardZeroBeforeMapping) {
  struct Case {
    draw::Setup setup;
    double x, y;
    int cx, cy;  // canvas pixel, frame at (10, 10), 200 x 200
  };
  const Case cases[] = {
      {draw::Setup::Pixel, 3.9, 5.0, 13, 15},
      {draw::Setup::Pixel, -0.5, 2.7, 10, 12},   // -0.5 -> 0, not -1
      {draw::Setup::Pixel, -1.5, -0.99, 9, 10},  // -1.5 -> -1: drawn beside the frame
      {draw::Setup::Centred, 3.9, -3.9, 113, 107},
      {draw::Setup::CentredMirrored, 10.9, -10.9, 110 - 10, 110 + 10},
  };
  for (const Case& c : cases) {
    Canvas canvas(220, 220);
    Surface s(canvas, 10, 10, 200, 200);
    s.setup(c.setup);
    s.setPixel(c.x, c.y, colors::red);
    EXPECT_EQ(changedPixels(canvas), (Pixels{{c.cx, c.cy}})) << c.x << ", " << c.y;
    EXPECT_EQ(s.pixel(c.x, c.y), colors::red);
  }
}

TEST(SurfacePixels, NonFiniteAndFarPointsAreNotDrawn) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double points[][2] = {{nan, 1}, {1, nan}, {inf, 1}, {1, -inf}, {1e300, 1}, {-1e19, 1}, {5, 9.3e18}};
  for (draw::Setup setup : {draw::Setup::Pixel, draw::Setup::Centred, draw::Setup::CentredMirrored}) {
    Canvas canvas(50, 50);
    Surface s(canvas, 0, 0, 50, 50);
    s.setup(setup);
    for (const auto& p : points) {
      s.setPixel(p[0], p[1], colors::red);
      s.textOut(p[0], p[1], "0");
      EXPECT_EQ(s.pixel(p[0], p[1]), colors::face);
    }
    EXPECT_TRUE(changedPixels(canvas).empty()) << int(setup);
  }
}

TEST(SurfaceLines, EndPointIsNotDrawn) {
  struct Case {
    int x0, y0, x1, y1;
    Pixels expected;
  };
  const Case cases[] = {
      {30, 40, 35, 40, {{30, 40}, {31, 40}, {32, 40}, {33, 40}, {34, 40}}},
      {35, 40, 30, 40, {{35, 40}, {34, 40}, {33, 40}, {32, 40}, {31, 40}}},
      {5, 5, 5, 8, {{5, 5}, {5, 6}, {5, 7}}},
      {5, 5, 8, 2, {{5, 5}, {6, 4}, {7, 3}}},
      {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},  // halves step away from the start
      {7, 7, 7, 7, {}},                                  // a zero-length line draws nothing
  };
  for (const Case& c : cases) {
    Canvas canvas(60, 60);
    Surface s(canvas, 0, 0, 60, 60);
    s.setPen(colors::blue);
    s.moveTo(c.x0, c.y0);
    s.lineTo(c.x1, c.y1);
    EXPECT_EQ(changedPixels(canvas), c.expected) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    // The end point became the current position: the next segment starts there.
    s.lineTo(c.x1 + 1, c.y1);
    EXPECT_EQ(canvas.pixel(c.x1, c.y1), colors::blue);
  }
}

TEST(SurfaceLines, ClippingKeepsTheVisiblePixelsOfTheWholeLine) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> coord(-400, 500);
  const int w = 97, h = 83;
  int drawn = 0;
  for (int i = 0; i < 3000; ++i) {
    const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    Canvas canvas(w, h);
    Surface s(canvas, 0, 0, w, h);
    s.moveTo(x0, y0);
    s.lineTo(x1, y1);
    const Pixels got = changedPixels(canvas);
    drawn += !got.empty();
    ASSERT_EQ(got, referenceLine(x0, y0, x1, y1, w, h)) << x0 << "," << y0 << " -> " << x1 << "," << y1;
  }
  EXPECT_GT(drawn, 300);  // the sample does cross the canvas often
}

TEST(SurfaceLines, FarEndsDrawTheSameVisiblePixelsAsANearEndInTheSameDirection) {
  struct Case {
    double x0, y0;
    double farX, farY;    // far end point
    double nearX, nearY;  // same direction, still off the canvas
  };
  const Case cases[] = {
      {10, 10, 1e12, -1e12, 1e4, -1e4},
      {5, 20, 7e11 + 5, 3e11 + 20, 7005, 3020},
      {60, 5, 60 - 3e14, 5 + 1e14, 60 - 3000, 5 + 1000},
      {0, 0, 1e300, 1e300, 1000, 1000},
      {40, 40, -1e200, 40, -1000, 40},
      {-1e300, 40, 1e300, 40, 1000, 40},   // both ends far: the whole row
      {30, -1e250, 30, 1e250, 30, 1000},   // the whole column
  };
  for (draw::Setup setup : {draw::Setup::Pixel, draw::Setup::Centred}) {
    for (const Case& c : cases) {
      Canvas far(100, 100), near(100, 100);
      Surface sf(far, 0, 0, 100, 100), sn(near, 0, 0, 100, 100);
      sf.setup(setup);
      sn.setup(setup);
      sf.moveTo(c.x0, c.y0);
      sf.lineTo(c.farX, c.farY);
      sn.moveTo(c.x0, c.y0);
      sn.lineTo(c.nearX, c.nearY);
      const Pixels visible = changedPixels(near);
      EXPECT_FALSE(visible.empty());
      EXPECT_EQ(changedPixels(far), visible) << int(setup) << " to " << c.farX << ", " << c.farY;
      // And back from the far point: the line now ends on the canvas, which stays undrawn.
      Canvas back(100, 100);
      Surface sb(back, 0, 0, 100, 100);
      sb.setup(setup);
      sb.moveTo(c.farX, c.farY);
      sb.lineTo(c.x0, c.y0);
      EXPECT_FALSE(changedPixels(back).empty());
    }
  }
  // The exact line to (1e12, -1e12) from (10, 10) is the anti-diagonal through the start.
  Canvas canvas(100, 100);
  Surface s(canvas, 0, 0, 100, 100);
  s.moveTo(10, 10);
  s.lineTo(1e12, -1e12);
  Pixels diagonal;
  for (int k = 0; k <= 10; ++k) diagonal.insert({10 + k, 10 - k});
  EXPECT_EQ(changedPixels(canvas), diagonal);
}

TEST(SurfaceLines, NonFiniteEndsDrawNothingAndLeaveNoPosition) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double ends[][2] = {{nan, 5}, {5, nan}, {inf, 5}, {5, -inf}};
  for (const auto& e : ends) {
    Canvas canvas(50, 50);
    Surface s(canvas, 0, 0, 50, 50);
    s.moveTo(10, 10);
    s.lineTo(e[0], e[1]);
    s.lineTo(20, 10);  // from nowhere: nothing, but (20, 10) becomes the position
    EXPECT_TRUE(changedPixels(canvas).empty());
    s.lineTo(23, 10);
    EXPECT_EQ(changedPixels(canvas), (Pixels{{20, 10}, {21, 10}, {22, 10}}));
  }
  Canvas canvas(50, 50);
  Surface s(canvas, 0, 0, 50, 50);
  s.moveTo(nan, 3);
  s.lineTo(10, 10);
  EXPECT_TRUE(changedPixels(canvas).empty());
}

TEST(SurfaceLines, MirroredSetUpTurnsThePictureByHalfATurn) {
  Canvas canvas(200, 200);
  Surface s(canvas, 0, 0, 200, 200);  // W = 200: one unit per pixel
  s.setup(draw::Setup::CentredMirrored);
  s.moveTo(0, 0);
  s.lineTo(10, 0);  // to the left of the centre
  Pixels expected;
  for (int x = 100; x > 90; --x) expected.insert({x, 100});
  EXPECT_EQ(changedPixels(canvas), expected);
}

TEST(SurfaceFill, FillsSetTheTextBackgroundAndCoverTheirRectangle) {
  Canvas canvas(120, 100);
  Surface s(canvas, 10, 10, 80, 60);
  s.fillClient(colors::lightYellow);
  EXPECT_EQ(s.bkColor(), colors::lightYellow);
  Box b = boxOf(changedPixels(canvas));
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.top, 10);
  EXPECT_EQ(b.right, 89);
  EXPECT_EQ(b.bottom, 69);

  struct Case {
    draw::Setup setup;
    double x, y, w, h;
    int left, top, right, bottom;  // inclusive canvas pixels
  };
  const Case cases[] = {
      {draw::Setup::Pixel, 2.7, 3.2, 5, 4, 12, 13, 16, 16},
      {draw::Setup::Centred, -5, -5, 10, 10, 45, 35, 54, 44},
      // Mirrored: the corners swap sides; the rectangle is the same set of pixels.
      {draw::Setup::CentredMirrored, -50, -50, 100, 100, 10 + 40 - 20, 10 + 30 - 15, 10 + 40 + 20 - 1,
       10 + 30 + 15 - 1},
      // Far beyond the canvas: cut at its edges, not lost.
      {draw::Setup::Pixel, -1e15, 20, 2e15, 1, 0, 30, 119, 30},
  };
  for (const Case& c : cases) {
    Canvas cv(120, 100);
    Surface sf(cv, 10, 10, 80, 60);
    sf.setup(c.setup);
    sf.fillRect(c.x, c.y, c.w, c.h, colors::green);
    EXPECT_EQ(sf.bkColor(), colors::green);
    const Pixels px = changedPixels(cv);
    const Box bx = boxOf(px);
    EXPECT_EQ(bx.left, c.left) << int(c.setup);
    EXPECT_EQ(bx.top, c.top) << int(c.setup);
    EXPECT_EQ(bx.right, c.right) << int(c.setup);
    EXPECT_EQ(bx.bottom, c.bottom) << int(c.setup);
    EXPECT_EQ(px.size(), size_t(c.right - c.left + 1) * size_t(c.bottom - c.top + 1));
  }
}

TEST(SurfaceFrame, DrawingOutsideTheFrameLandsOnTheCanvasBesideIt) {
  Canvas canvas(200, 200);
  Surface s(canvas, 50, 60, 100, 80);
  s.setPixel(-10, -10, colors::red);  // above and left of the frame
  s.setPixel(120, 5, colors::red);    // right of it
  s.moveTo(-20, 90);                  // a line below it, leaving the frame
  s.lineTo(0, 90);
  s.setBkColor(colors::silver);
  s.setTextColor(colors::black);
  s.textOut(0, -20, "ABC");  // a caption above the frame
  EXPECT_EQ(canvas.pixel(40, 50), colors::red);
  EXPECT_EQ(canvas.pixel(170, 65), colors::red);
  for (int x = 30; x < 50; ++x) EXPECT_EQ(canvas.pixel(x, 150), colors::black);
  Pixels text;
  for (int y = 0; y < 60; ++y)
    for (int x = 50; x < 150; ++x)
      if (canvas.pixel(x, y) == colors::black) text.insert({x, y});
  const Box b = boxOf(text);
  ASSERT_FALSE(b.empty());
  EXPECT_GE(b.top, 40);
  EXPECT_LT(b.bottom, 60);
  // Outside the canvas nothing is written and reads give the face.
  s.setPixel(-60, -70, colors::red);
  EXPECT_EQ(s.pixel(-60, -70), colors::face);
}

}  // namespace
}  // namespace lumo::draw
