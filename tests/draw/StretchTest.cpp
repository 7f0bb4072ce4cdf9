// Stretching images into a frame: repeating rows and columns when enlarging, ANDing
// dropped rows and columns into the kept ones when shrinking, and bitmaps by id.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "draw/Bitmaps.h"
#include "draw/Canvas.h"
#include "draw/Colors.h"
#include "draw/Surface.h"

namespace lumo::draw {
namespace {

QImage rowImage(const std::vector<Color>& colours) {
  QImage img(int(colours.size()), 1, QImage::Format_RGB32);
  for (int x = 0; x < img.width(); ++x) img.setPixel(x, 0, Canvas::toQRgb(colours[x]));
  return img;
}

std::vector<Color> canvasRow(const Canvas& canvas, int y, int from, int count) {
  std::vector<Color> out;
  for (int x = from; x < from + count; ++x) out.push_back(canvas.pixel(x, y));
  return out;
}

TEST(Stretch, RepeatsWhenEnlargingAndAndsWhenShrinking) {
  struct Case {
    std::vector<Color> source;
    int destWidth;
    std::vector<Color> expected;
  };
  const Case cases[] = {
      {{0x0000F0, 0x00003C, 0x0000FF, 0x00000F}, 2, {0x000030, 0x00000F}},
      {{0xFFFFFF, 0x00FF00, 0xFF00FF}, 1, {0x000000}},
      {{0x123456, 0xABCDEF}, 4, {0x123456, 0x123456, 0xABCDEF, 0xABCDEF}},
      {{0x111111, 0x222222, 0x333333}, 3, {0x111111, 0x222222, 0x333333}},
      // 5 onto 3: runs {0, 1}, {2, 3}, {4}.
      {{0xF0F0F0, 0x3C3C3C, 0xFFFFFF, 0x0F0F0F, 0x808080}, 3, {0x303030, 0x0F0F0F, 0x808080}},
  };
  for (const Case& c : cases) {
    Canvas canvas(20, 3);
    Surface s(canvas, 0, 0, 20, 3);
    const QImage img = rowImage(c.source);
    s.stretchImage(img, 0, 0, img.width(), 1, 2, 1, c.destWidth, 1);
    EXPECT_EQ(canvasRow(canvas, 1, 2, c.destWidth), c.expected);
    EXPECT_EQ(canvas.pixel(1, 1), colors::face);
    EXPECT_EQ(canvas.pixel(2 + c.destWidth, 1), colors::face);
    EXPECT_EQ(canvas.pixel(2, 0), colors::face);
    EXPECT_EQ(canvas.pixel(2, 2), colors::face);
  }
}

TEST(Stretch, ShrinkingAProjection229To128LosesNoColumnOrRow) {
  // A white 229 x 229 image with one black pixel: after the shrink exactly one of the
  // 128 x 128 destination pixels is black, and moving the black pixel right or down
  // never moves it back.
  for (bool alongRows : {false, true}) {
    int previous = -1;
    std::vector<int> hits(128, 0);
    for (int i = 0; i < 229; ++i) {
      QImage img(229, 229, QImage::Format_RGB32);
      img.fill(Canvas::toQRgb(colors::white));
      const int bx = alongRows ? 100 : i, by = alongRows ? i : 100;
      img.setPixel(bx, by, Canvas::toQRgb(colors::black));
      Canvas canvas(368, 368);
      Surface s(canvas, 0, 0, 368, 368);
      s.setup(draw::Setup::Centred);
      s.stretchImage(img, 0, 0, 229, 229, -64, -64, 128, 128);
      int black = 0, white = 0, pos = -1;
      for (int y = 0; y < 368; ++y)
        for (int x = 0; x < 368; ++x) {
          const Color c = canvas.pixel(x, y);
          const bool inside = x >= 120 && x < 248 && y >= 120 && y < 248;
          if (!inside) {
            ASSERT_EQ(c, colors::face);
          } else if (c == colors::black) {
            ++black;
            pos = alongRows ? y - 120 : x - 120;
          } else {
            ASSERT_EQ(c, colors::white);
            ++white;
          }
        }
      ASSERT_EQ(black, 1) << i;
      EXPECT_EQ(white, 128 * 128 - 1);
      EXPECT_GE(pos, previous);
      previous = pos;
      ++hits[pos];
    }
    // Every destination index takes one or two source indices (229 / 128 < 2).
    for (int h : hits) {
      EXPECT_GE(h, 1);
      EXPECT_LE(h, 2);
    }
  }
}

TEST(Stretch, SourceRectangleAndDestinationPlacement) {
  // A 4 x 4 image of distinct colours; its (1, 2, 2, 2) part doubled at logical (-2, -2)
  // of a centred frame.
  QImage img(4, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) img.setPixel(x, y, Canvas::toQRgb(rgb(10 * x, 10 * y, 7)));
  Canvas canvas(20, 20);
  Surface s(canvas, 5, 5, 10, 10);
  s.setup(draw::Setup::Centred);
  s.stretchImage(img, 1, 2, 2, 2, -2, -2, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(canvas.pixel(5 + 5 - 2 + x, 5 + 5 - 2 + y), rgb(10 * (1 + x / 2), 10 * (2 + y / 2), 7));
  EXPECT_EQ(canvas.pixel(7, 8), colors::face);
  EXPECT_EQ(canvas.pixel(12, 12), colors::face);

  // Source pixels beyond the image are not drawn.
  Canvas c2(10, 10);
  Surface s2(c2, 0, 0, 10, 10);
  s2.stretchImage(img, 2, 0, 4, 1, 0, 0, 4, 1);
  EXPECT_EQ(canvasRow(c2, 0, 0, 4), (std::vector<Color>{rgb(20, 0, 7), rgb(30, 0, 7), colors::face, colors::face}));

  // In the mirrored set-up the picture is turned with everything else.
  Canvas c3(200, 200);
  Surface s3(c3, 0, 0, 200, 200);
  s3.setup(draw::Setup::CentredMirrored);
  const QImage row = rowImage({colors::red, colors::green});
  s3.stretchImage(row, 0, 0, 2, 1, -1, 0, 2, 1);  // device x 101 -> 99, y 100 -> 99
  EXPECT_EQ(c3.pixel(99, 99), colors::green);
  EXPECT_EQ(c3.pixel(100, 99), colors::red);

  // Destinations far off the canvas and degenerate ones draw nothing and return.
  Canvas c4(10, 10);
  Surface s4(c4, 0, 0, 10, 10);
  s4.stretchImage(img, 0, 0, 4, 4, 1e9, 0, 4, 4);
  s4.stretchImage(img, 0, 0, 4, 4, -1e12, -1e12, 1e12 + 20, 1e12 + 20);
  s4.stretchImage(img, 0, 0, 0, 4, 0, 0, 4, 4);
  s4.stretchImage(img, 0, 0, 4, 4, 0, 0, 4, 0);
  s4.stretchImage(img, 0, 0, 4, 4, std::nan(""), 0, 4, 4);
  int drawn = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) drawn += c4.pixel(x, y) != colors::face;
  // Only the huge destination covers the canvas.
  EXPECT_EQ(drawn, 100);
  EXPECT_EQ(c4.pixel(5, 5), rgb(30, 30, 7));  // 4 columns over 1e12 + 20: the last one here
}

TEST(Bitmaps, UnknownIdGivesANullImageAndDrawsNothing) {
  EXPECT_TRUE(loadBitmap(999999).isNull());
  EXPECT_TRUE(loadBitmap(-1).isNull());
  Canvas canvas(50, 50);
  Surface s(canvas, 0, 0, 50, 50);
  s.stretchBitmap(999999, 0, 0, 10, 10, 0, 0, 10, 10);
  EXPECT_EQ(canvas.pixel(5, 5), colors::face);
}

TEST(Bitmaps, ResourcesLoadByIdAtTheirSizesWithColourTables) {
  struct Case {
    int id, width, height, colours;
  };
  const Case cases[] = {
      {128, 128, 15, 16},  {136, 250, 229, 256}, {148, 250, 229, 256}, {157, 170, 170, 256},
      {162, 224, 218, 256}, {165, 170, 170, 256}, {166, 73, 88, 256},  {178, 73, 88, 256},
  };
  for (const Case& c : cases) {
    const QImage img = loadBitmap(c.id);
    ASSERT_FALSE(img.isNull()) << c.id;
    EXPECT_EQ(img.width(), c.width) << c.id;
    EXPECT_EQ(img.height(), c.height) << c.id;
    EXPECT_EQ(img.format(), QImage::Format_Indexed8) << c.id;
    EXPECT_EQ(img.colorCount(), c.colours) << c.id;
  }
  // A projection shown as the tutorial does: its top-left 229 x 229 pixels onto the
  // 128 x 128 square centred in the frame, nothing outside it.
  Canvas canvas(400, 400);
  Surface s(canvas, 10, 10, 368, 368);
  s.setup(draw::Setup::Centred);
  s.stretchBitmap(136, 0, 0, 229, 229, -64, -64, 128, 128);
  int inside = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      const bool in = x >= 10 + 120 && x < 10 + 248 && y >= 10 + 120 && y < 10 + 248;
      if (!in) {
        ASSERT_EQ(canvas.pixel(x, y), colors::face) << x << "," << y;
      }
      inside += in && canvas.pixel(x, y) != colors::face;
    }
  EXPECT_EQ(inside, 128 * 128);
}

}  // namespace
}  // namespace lumo::draw
