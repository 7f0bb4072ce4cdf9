// Text: cell heights of the created fonts, opaque cells in the background colour, the
// reference point, and labels in the centred mirrored set-up.
#include <gtest/gtest.h>

#include "draw/Canvas.h"
#include "draw/Colors.h"
#include "draw/Fonts.h"
#include "draw/Surface.h"

namespace lumo::draw {
namespace {

struct Extent {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  void add(int x, int y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
  bool empty() const { return right < 0; }
};

// The pixels of the canvas that differ from `background`.
Extent changed(const Canvas& canvas, Color background) {
  Extent e;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if (canvas.pixel(x, y) != background) e.add(x, y);
  return e;
}

TEST(Fonts, CellHeightIsTheStatedHeight) {
  for (int h : {12, 13, 15, 18, kDefaultFontHeight}) {
    const CellFont& f = gothicCellFont(h);
    EXPECT_EQ(f.font.family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(f.cellHeight, h);
    EXPECT_EQ(f.metrics.ascent() + f.metrics.descent(), h) << h;
    // Kept: asking again gives the same font object.
    EXPECT_EQ(&gothicCellFont(h), &f);
  }
}

TEST(Text, OpaqueCellsAreExactlyTheCellHeightAndStartAtTheReferencePoint) {
  for (int h : {12, 13, 15, 18, kDefaultFontHeight}) {
    Canvas canvas(300, 60);
    Surface s(canvas, 0, 0, 300, 60);
    s.setFont(h);
    s.setBkColor(colors::lightYellow);
    s.setTextColor(colors::blue);
    s.textOut(20, 10, "投影データ 0.5");
    const Extent e = changed(canvas, colors::face);
    ASSERT_FALSE(e.empty()) << h;
    EXPECT_EQ(e.left, 20) << h;
    EXPECT_EQ(e.top, 10) << h;
    EXPECT_EQ(e.bottom - e.top + 1, h) << h;
    int text = 0, cell = 0;
    for (int y = e.top; y <= e.bottom; ++y)
      for (int x = e.left; x <= e.right; ++x) {
        const Color c = canvas.pixel(x, y);
        // Every pixel of the cell row is the text colour or the background: no blending.
        ASSERT_TRUE(c == colors::blue || c == colors::lightYellow) << h << " at " << x << "," << y;
        (c == colors::blue ? text : cell)++;
      }
    EXPECT_GT(text, 5 * h);
    EXPECT_GT(cell, text);
  }
}

TEST(Text, TextAfterAFillSitsOnCellsOfTheFillColour) {
  struct Case {
    bool useFillRect;
    Color fill;
  };
  for (const Case& c : {Case{false, colors::lightYellow}, Case{true, colors::lightYellow},
                        Case{false, colors::black}}) {
    Canvas canvas(200, 100);
    Surface s(canvas, 10, 10, 180, 80);
    if (c.useFillRect)
      s.fillRect(0, 0, 180, 80, c.fill);
    else
      s.fillClient(c.fill);
    s.setTextColor(colors::red);
    s.setFont(13);
    s.textOut(5, 5, "ABC あいう");
    Extent e;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        if (canvas.pixel(x, y) == colors::red) e.add(x, y);
    ASSERT_FALSE(e.empty());
    // Nothing white anywhere: the cells took the fill colour, not the initial white.
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) ASSERT_NE(canvas.pixel(x, y), colors::white);
    EXPECT_GE(e.top, 15);
    EXPECT_LT(e.bottom, 15 + 13);
  }
  // A fresh surface's background is white.
  Canvas canvas(100, 40);
  Surface s(canvas, 0, 0, 100, 40);
  s.textOut(0, 0, "0");
  EXPECT_EQ(canvas.pixel(0, 0), colors::white);
}

TEST(Text, LabelsInTheMirroredSetUpLandNearTheBottomCorners) {
  struct Case {
    double x, y;
    bool right;  // near the bottom right, else near the bottom left
  };
  for (const Case& c : {Case{-67, -67, true}, Case{80, -67, false}}) {
    Canvas canvas(400, 400);
    Surface s(canvas, 16, 16, 368, 368);
    s.setup(draw::Setup::CentredMirrored);
    s.fillClient(colors::lightYellow);
    s.textOut(c.x, c.y, "0");
    // The default font's cell: text runs right and down from the mapped point, unmirrored.
    Extent e;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 400; ++x)
        if (canvas.pixel(x, y) == colors::black) e.add(x - 16, y - 16);
    ASSERT_FALSE(e.empty());
    EXPECT_GT(e.top, 368 * 3 / 4);
    EXPECT_LT(e.bottom, 368);
    if (c.right) {
      EXPECT_GT(e.left, 368 * 3 / 4);
      EXPECT_LT(e.right, 368);
    } else {
      EXPECT_LT(e.right, 368 / 4);
      EXPECT_GE(e.left, 0);
    }
  }
}

TEST(Text, CellsAreCutAtTheCanvasEdgeOnly) {
  Canvas canvas(60, 30);
  Surface s(canvas, 40, 20, 10, 5);
  s.setBkColor(colors::lightYellow);
  s.textOut(-45, -25, "ABCDEFGHIJKLMNOP");  // starts above-left of the canvas
  s.textOut(15, 5, "ABCDEFGH");             // runs off the right and the bottom
  EXPECT_NE(canvas.pixel(0, 0), colors::face);
  EXPECT_NE(canvas.pixel(59, 29), colors::face);
}

}  // namespace
}  // namespace lumo::draw
