// The collimator page: line spread and MTF of a typed FWHM, on the real widgets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/ScreenView.h"
#include "support/FramePixels.h"

namespace lumo {
namespace {
using lumo::test::anyColourIn;
using lumo::test::countColour;

namespace colors = draw::colors;
using Point = std::pair<int, int>;

constexpr int kDisplay = 1003, kErase = 1006, kSpread = 1007, kMtf = 1008, kFwhm = 1009;

void display(ScreenView& view, const std::string& fwhm) {
  view.setText(kFwhm, fwhm);
  ASSERT_TRUE(view.press(kDisplay));
}

// Both plots' empty furniture: axes, ticks and a black glyph in every label.
void expectFurniture(const ScreenView& view) {
  const std::vector<Point> spreadBlack = {{30, 200}, {269, 200}, {140, 10}, {140, 150},
                                          {204, 196}, {172, 196}, {108, 196}, {76, 196}};
  for (auto [x, y] : spreadBlack) EXPECT_EQ(view.framePixel(kSpread, x, y), colors::black) << x << "," << y;
  // Lines stop one pixel short of their end points.
  EXPECT_NE(view.framePixel(kSpread, 270, 200), colors::black);
  EXPECT_NE(view.framePixel(kSpread, 204, 195), colors::black);
  const std::vector<Point> mtfBlack = {{30, 200}, {249, 200}, {50, 41}, {98, 196}, {146, 196},
                                       {194, 196}, {242, 196}, {54, 125}, {54, 50}};
  for (auto [x, y] : mtfBlack) EXPECT_EQ(view.framePixel(kMtf, x, y), colors::black) << x << "," << y;
  EXPECT_NE(view.framePixel(kMtf, 50, 40), colors::black);
  EXPECT_NE(view.framePixel(kMtf, 55, 125), colors::black);

  struct Label { int frame, x, y, w; const char* text; };
  const Label labels[] = {{kSpread, 196, 205, 20, "1.0"},  {kSpread, 137, 205, 8, "0"},
                          {kSpread, 68, 205, 20, "1.0"},   {kSpread, 230, 210, 30, "(cm)"},
                          {kSpread, 20, 30, 30, "FWHM"},   {kMtf, 20, 45, 20, "1.0"},
                          {kMtf, 138, 205, 20, "1.0"},     {kMtf, 40, 205, 20, "0.0"},
                          {kMtf, 180, 210, 60, "(cycles/cm)"}, {kMtf, 130, 30, 25, "MTF"}};
  for (const Label& l : labels)
    EXPECT_TRUE(anyColourIn(view, l.frame, l.x, l.y, l.x + l.w, l.y + 16, colors::black)) << l.text;
}

TEST(CPageA1, AxesAndLabelsAreDrawnByDisplayEvenWithoutAWidth) {
  ScreenView view("CPageA1");
  display(view, "");
  expectFurniture(view);
  EXPECT_EQ(countColour(view, kSpread, colors::red), 0);
  EXPECT_EQ(countColour(view, kMtf, colors::blue), 0);
}

struct CurveCase {
  const char* fwhm;
  std::vector<Point> red;   // on the line spread (segment start points, so drawn)
  std::vector<Point> blue;  // on the MTF
};

TEST(CPageA1, CurvesPassThroughTheExpectedPixels) {
  const CurveCase cases[] = {
      {"1", {{140, 106}, {108, 153}, {172, 153}}, {{50, 50}, {98, 138}, {146, 195}, {236, 199}}},
      {"0.5", {{140, 12}, {108, 188}, {172, 188}}, {{50, 50}, {98, 79}, {146, 138}}},
      {"2", {{140, 153}}, {{50, 50}, {98, 195}}},
      {"2cm", {{140, 153}}, {{98, 195}}},  // the leading number of the text counts
  };
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(c.fwhm);
    ScreenView view("CPageA1");
    display(view, c.fwhm);
    for (auto [x, y] : c.red) EXPECT_EQ(view.framePixel(kSpread, x, y), colors::red) << x << "," << y;
    for (auto [x, y] : c.blue) EXPECT_EQ(view.framePixel(kMtf, x, y), colors::blue) << x << "," << y;
    // The spread spans i = -63..63 (x = 14..266, the last point not drawn); the MTF
    // i = 0..63 (x = 50..239, the last point not drawn).
    EXPECT_TRUE(anyColourIn(view, kSpread, 14, 0, 15, 240, colors::red));
    EXPECT_FALSE(anyColourIn(view, kSpread, 0, 0, 14, 240, colors::red));
    EXPECT_FALSE(anyColourIn(view, kSpread, 266, 0, 276, 240, colors::red));
    EXPECT_FALSE(anyColourIn(view, kMtf, 239, 0, 276, 240, colors::blue));
    EXPECT_FALSE(anyColourIn(view, kMtf, 0, 0, 50, 240, colors::blue));
  }
}

TEST(CPageA1, NarrowOrUnreadableWidthsDrawOnlyTheAxes) {
  for (const char* fwhm : {"0.49", "0", "-1", "abc", "1e999", "-1e999"}) {
    SCOPED_TRACE(fwhm);
    ScreenView view("CPageA1");
    display(view, fwhm);
    expectFurniture(view);
    EXPECT_EQ(countColour(view, kSpread, colors::red), 0);
    EXPECT_EQ(countColour(view, kMtf, colors::blue), 0);
  }
}

TEST(CPageA1, CurvesAccumulateUntilErased) {
  ScreenView view("CPageA1");
  display(view, "1");
  display(view, "2");
  EXPECT_EQ(view.framePixel(kSpread, 108, 153), colors::red);  // w = 1 still there,
  EXPECT_EQ(view.framePixel(kSpread, 140, 106), colors::black);  // but its peak lies under the redrawn axis
  EXPECT_EQ(view.framePixel(kSpread, 140, 153), colors::red);  // w = 2 added
  EXPECT_EQ(view.framePixel(kMtf, 98, 138), colors::blue);
  EXPECT_EQ(view.framePixel(kMtf, 98, 195), colors::blue);

  ASSERT_TRUE(view.press(kErase));
  EXPECT_EQ(countColour(view, kSpread, colors::red), 0);
  EXPECT_EQ(countColour(view, kMtf, colors::blue), 0);
  EXPECT_EQ(view.framePixel(kSpread, 140, 106), colors::black);  // the vertical axis again
  EXPECT_EQ(view.framePixel(kSpread, 100, 100), colors::silver);
  EXPECT_EQ(view.framePixel(kMtf, 150, 100), colors::silver);
  expectFurniture(view);
  EXPECT_EQ(view.text(kFwhm), "2");  // erasing keeps the entry
}

TEST(CPageA1, DisplayingTheSameWidthAgainChangesNothing) {
  ScreenView view("CPageA1");
  display(view, "0.8");
  const QImage once = view.canvas().image().copy();
  display(view, "0.8");
  EXPECT_TRUE(view.canvas().image() == once);
  display(view, "1.5");
  EXPECT_FALSE(view.canvas().image() == once);
}

TEST(CPageA1, TitleBandIsWhiteOnTitleBlue) {
  ScreenView view("CPageA1");
  const ControlColour title = view.screen()->OnTitleColor(1002, ControlKind::Static);
  EXPECT_EQ(title.text, colors::white);
  EXPECT_EQ(title.background, colors::titleBlue);
  for (auto [id, kind] : {std::pair{1009, ControlKind::Edit}, std::pair{1007, ControlKind::Static},
                          std::pair{-1, ControlKind::Static}}) {
    const ControlColour other = view.screen()->OnTitleColor(id, kind);
    EXPECT_FALSE(other.text.has_value()) << id;
    EXPECT_FALSE(other.background.has_value()) << id;
  }
}

}  // namespace
}  // namespace lumo
