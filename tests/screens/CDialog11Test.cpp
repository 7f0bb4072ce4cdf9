// Projection images and the Butterworth filter: the explanation, the image pair of the
// chosen setting and the order-8 response curves that build up in the plot.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "app/ScreenView.h"
#include "support/FramePixels.h"
#include "StretchedImageCheck.h"

namespace lumo {
namespace {

namespace colors = draw::colors;
using Point = std::pair<int, int>;

constexpr int kExplain = 1003, kApply = 1006, kPanel = 1007, kRaw = 1008, kSmoothed = 1018,
              kSlice = 1019, kPlot = 1024;

// The polyline's vertices x = 30 + 5 i, i = 0..32, from their y values.
std::vector<Point> vertices(const std::vector<int>& ys) {
  std::vector<Point> points;
  for (std::size_t i = 0; i < ys.size(); ++i) points.push_back({30 + 5 * static_cast<int>(i), ys[i]});
  return points;
}

struct Setting {
  int radio;
  draw::Color colour;
  SourceRect projection, slice;
  std::vector<int> ys;  // vertex rows for i = 0..32
};

const Setting kBw010{1015, colors::black, {165, 0, 0, 150, 150}, {166, 0, 9, 70, 70},
                     {50,  50,  50,  50,  52,  63,  91,  123, 144, 153, 156, 158, 159, 159, 159, 159, 159,
                      159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159, 159}};
const Setting kBw022{1028, colors::yellow, {177, 0, 0, 150, 150}, {178, 0, 9, 70, 70},
                     {50,  50,  50,  50,  50,  50,  50,  50,  51,  52,  56,  63,  73,  88,  103, 118, 130,
                      140, 146, 150, 153, 155, 156, 157, 158, 158, 159, 159, 159, 159, 159, 159, 159}};

std::set<draw::Color> coloursIn(const ScreenView& view, int frameId) {
  const PixelRect r = view.frameRect(frameId);
  std::set<draw::Color> colours;
  for (int x = 0; x < r.width(); ++x)
    for (int y = 0; y < r.height(); ++y) colours.insert(view.framePixel(frameId, x, y));
  return colours;
}

void apply(ScreenView& view, const Setting& s) {
  view.setChecked(s.radio, true);
  ASSERT_TRUE(view.press(kApply));
}

void expectAxes(const ScreenView& view) {
  for (Point p : std::vector<Point>{{30, 10}, {30, 159}, {30, 160}, {199, 160}, {34, 105}, {190, 156}})
    EXPECT_EQ(view.framePixel(kPlot, p.first, p.second), colors::black) << p.first << "," << p.second;
  EXPECT_NE(view.framePixel(kPlot, 200, 160), colors::black);  // end point not drawn
  EXPECT_NE(view.framePixel(kPlot, 35, 105), colors::black);
}

TEST(CDialog11, OnWithNothingCheckedDrawsOnlyAxesAndLabels) {
  ScreenView view("CDialog11");
  ASSERT_TRUE(view.press(kApply));
  expectAxes(view);
  EXPECT_EQ(coloursIn(view, kPlot), (std::set<draw::Color>{colors::silver, colors::black}));
  // A glyph in each label ("1.0", "0.0", "0.5" twice, "frequency(c/pixel)").
  for (Point p : std::vector<Point>{{5, 40}, {5, 170}, {5, 100}, {180, 170}, {50, 180}}) {
    int black = 0;
    for (int x = p.first; x < p.first + 20; ++x)
      for (int y = p.second; y < p.second + 15; ++y)
        if (view.framePixel(kPlot, x, y) == colors::black) ++black;
    EXPECT_GT(black, 3) << p.first << "," << p.second;
  }
  for (int id : {kRaw, kSmoothed, kSlice, kPanel}) {
    const PixelRect r = view.frameRect(id);
    EXPECT_EQ(lumo::test::countColour(view, id, colors::silver), r.width() * r.height()) << id;
  }
}

TEST(CDialog11, EachSettingShowsItsImagePairAndCurve) {
  for (const Setting* s : {&kBw010, &kBw022}) {
    ScreenView view("CDialog11");
    apply(view, *s);
    expectAxes(view);
    EXPECT_EQ(stretchedMismatches(view, kSmoothed, s->projection), 0) << s->radio;
    EXPECT_EQ(stretchedMismatches(view, kSlice, s->slice), 0) << s->radio;
    const std::vector<Point> points = vertices(s->ys);
    ASSERT_EQ(points.size(), 33u);
    // Every vertex but the last (the end point of the last line) is in the curve's colour.
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
      EXPECT_EQ(view.framePixel(kPlot, points[i].first, points[i].second), s->colour)
          << s->radio << " vertex " << i;
    // The last vertex is the end point of the last line, not drawn: the frequency tick
    // under it stays black.
    EXPECT_EQ(points.back(), (Point{190, 159}));
    EXPECT_EQ(view.framePixel(kPlot, 190, 159), colors::black) << s->radio;
    // Never on the frequency axis, and the raw projection stays empty.
    EXPECT_EQ(view.framePixel(kPlot, 185, 160), colors::black);
    EXPECT_EQ(centredSquareCount(view, kRaw, colors::silver), 128 * 128);
  }
}

TEST(CDialog11, CurvesOfEarlierPressesStay) {
  ScreenView view("CDialog11");
  apply(view, kBw010);
  apply(view, kBw022);
  apply(view, kBw022);  // the same curve again, harmlessly
  // The images are the last setting's.
  EXPECT_EQ(stretchedMismatches(view, kSmoothed, kBw022.projection), 0);
  EXPECT_EQ(stretchedMismatches(view, kSlice, kBw022.slice), 0);
  // The black curve keeps its steep part where the yellow one is still flat.
  for (Point p : std::vector<Point>{{55, 63}, {60, 91}, {65, 123}, {70, 144}, {85, 158}})
    EXPECT_EQ(view.framePixel(kPlot, p.first, p.second), colors::black) << p.first;
  for (Point p : std::vector<Point>{{65, 50}, {100, 103}, {155, 158}})
    EXPECT_EQ(view.framePixel(kPlot, p.first, p.second), colors::yellow) << p.first;
  EXPECT_EQ(coloursIn(view, kPlot),
            (std::set<draw::Color>{colors::silver, colors::black, colors::yellow}));
}

TEST(CDialog11, ExplanationShowsTheRawProjectionAndTheText) {
  ScreenView view("CDialog11");
  ASSERT_TRUE(view.press(kExplain));
  EXPECT_EQ(stretchedMismatches(view, kRaw, {157, 0, 0, 150, 150}), 0);
  // Title, leaders and the red item names; all text on silver cells.
  const std::set<draw::Color> colours = coloursIn(view, kPanel);
  EXPECT_EQ(colours, (std::set<draw::Color>{colors::silver, colors::black, colors::red, colors::blue}));
  int blueTitle = 0;
  for (int x = 100; x < 330; ++x)
    for (int y = 10; y < 25; ++y)
      if (view.framePixel(kPanel, x, y) == colors::blue) ++blueTitle;
  EXPECT_GT(blueTitle, 50);
  // The plot and the filtered images are the settings' business.
  EXPECT_EQ(lumo::test::countColour(view, kPlot, colors::black), 0);
  EXPECT_EQ(centredSquareCount(view, kSmoothed, colors::silver), 128 * 128);
}

}  // namespace
}  // namespace lumo
