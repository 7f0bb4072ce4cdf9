// Pre-filter frequency characteristics: the four curves, their guards, accumulation,
// erasing and the colouring of labels and edits, on the real widgets.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FilterStudyChecks.h"
#include "app/ScreenView.h"

namespace lumo {
namespace {

using namespace filtertest;
namespace colors = draw::colors;

constexpr int kPlot = 1007;
constexpr int kHanning = 1003, kHamming = 1006, kGauss = 1011, kButterworth = 1020, kErase = 1021;
constexpr int kGaussF = 1009, kBwCutOff = 1010, kBwOrder = 1012, kHammingCutOff = 1013,
              kHanningCutOff = 1014;

// The axes every press draws, checked through pixels of their lines and ticks (each line
// stops one pixel short of its end point) and a black glyph in every label.
void expectAxes(const ScreenView& view) {
  expectPixels(view, kPlot,
               {{30, 340}, {349, 340}, {30, 20}, {30, 339}, {34, 40}, {34, 190}, {350, 336},
                {192, 336}},
               colors::black);
  EXPECT_NE(view.framePixel(kPlot, 35, 40), colors::black);
  EXPECT_NE(view.framePixel(kPlot, 35, 190), colors::black);
  EXPECT_NE(view.framePixel(kPlot, 350, 335), colors::black);
  struct Label { int x, y, w; const char* text; };
  const Label labels[] = {{5, 33, 20, "1.0"}, {5, 180, 20, "0.5"},  {5, 341, 20, "0.0"},
                          {340, 348, 20, "0.5"}, {150, 348, 180, "frequency(cycles/pixel)"}};
  for (const Label& l : labels)
    EXPECT_GT(countIn(view, kPlot, l.x, l.y, l.x + l.w, l.y + 16, colors::black), 0) << l.text;
  // The label cells are opaque silver.
  EXPECT_GT(countIn(view, kPlot, 5, 33, 25, 49, colors::silver), 0);
}

std::vector<Point> withFlatTail(std::vector<Point> v, int fromX, int toX, int y) {
  for (int x = fromX; x <= toX; x += 10) v.push_back({x, y});
  return v;
}

struct CurveCase {
  const char* name;
  int button;
  std::vector<std::pair<int, std::string>> entries;
  draw::Color colour;
  std::vector<Point> vertices;  // consecutive grid points, the last one ending the curve
};

TEST(CDialog15, CurvesFollowTheirGridPoints) {
  const CurveCase cases[] = {
      {"Hanning 0.25", kHanning, {{kHanningCutOff, "0.25"}}, colors::purple,
       {{30, 40}, {40, 42}, {50, 51}, {60, 65}, {70, 83}, {80, 106}, {90, 132}, {100, 160},
        {110, 190}, {120, 219}, {130, 247}, {140, 273}, {150, 296}, {160, 314}, {170, 328},
        {180, 337}, {190, 339}}},
      {"Hanning 0.1", kHanning, {{kHanningCutOff, "0.1"}}, colors::purple,
       {{30, 40}, {40, 57}, {50, 106}, {60, 175}, {70, 247}, {80, 305}, {90, 337}}},
      {"Butterworth 0.1, 8", kButterworth, {{kBwCutOff, "0.1"}, {kBwOrder, "8"}}, colors::blue,
       withFlatTail({{30, 40}, {40, 40}, {50, 40}, {60, 40}, {70, 46}, {80, 76}, {90, 152},
                     {100, 241}, {110, 296}, {120, 321}, {130, 331}, {140, 336}, {150, 338},
                     {160, 338}},
                    170, 350, 339)},
  };
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog15");
    for (const auto& [id, text] : c.entries) view.setText(id, text);
    ASSERT_TRUE(view.press(c.button));
    expectPolyline(view, kPlot, c.vertices, c.colour);
    // Nothing to the right of the last grid point (the windows stop at their cut-off).
    EXPECT_EQ(countIn(view, kPlot, c.vertices.back().first + 1, 0, 368, 383, c.colour), 0);
  }
}

TEST(CDialog15, CurvesPassTheirLandmarks) {
  struct Case {
    const char* name;
    int button;
    std::vector<std::pair<int, std::string>> entries;
    draw::Color colour;
    std::vector<Point> through;  // vertices that start a segment
    Point end;                   // the curve's last vertex, at x = 350
  };
  const Case cases[] = {
      {"Hamming 0.5", kHamming, {{kHammingCutOff, "0.5"}}, colors::orange, {{30, 40}, {340, 315}},
       {350, 315}},
      {"Butterworth 0.25, 2", kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "2"}}, colors::blue,
       {{30, 40}, {110, 100}, {190, 190}}, {350, 280}},
      {"Gauss 2", kGauss, {{kGaussF, "2"}}, colors::springGreen, {{30, 40}, {110, 99}, {190, 216}},
       {350, 331}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog15");
    for (const auto& [id, text] : c.entries) view.setText(id, text);
    ASSERT_TRUE(view.press(c.button));
    expectPixels(view, kPlot, c.through, c.colour);
    // The final segment arrives at the end vertex (a nearly flat stretch): its last pixel
    // is in column 349 within a pixel of the end's row; the end itself is not drawn.
    EXPECT_GT(countIn(view, kPlot, 349, c.end.second - 1, 350, c.end.second + 2, c.colour), 0);
    EXPECT_EQ(countIn(view, kPlot, 350, 0, 368, 383, c.colour), 0);
  }
}

TEST(CDialog15, FlatAndNarrowCurves) {
  {
    SCOPED_TRACE("Butterworth order 0: the flat line at 0.5");
    ScreenView view("CDialog15");
    view.setText(kBwCutOff, "0.25");
    view.setText(kBwOrder, "0");
    ASSERT_TRUE(view.press(kButterworth));
    for (int x = 30; x < 350; ++x) EXPECT_EQ(view.framePixel(kPlot, x, 190), colors::blue) << x;
    EXPECT_EQ(countInFrame(view, kPlot, colors::blue), 350 - 30);
  }
  {
    SCOPED_TRACE("Gauss 0.2 falls from y = 40 only to y = 50");
    ScreenView view("CDialog15");
    view.setText(kGaussF, "0.2");
    ASSERT_TRUE(view.press(kGauss));
    EXPECT_EQ(view.framePixel(kPlot, 30, 40), colors::springGreen);
    EXPECT_GT(countIn(view, kPlot, 345, 49, 350, 51, colors::springGreen), 0);
    const int all = countInFrame(view, kPlot, colors::springGreen);
    EXPECT_EQ(countIn(view, kPlot, 30, 40, 350, 51, colors::springGreen), all);
    EXPECT_GE(all, 320);
  }
}

TEST(CDialog15, EntriesBelowTheirMinimumDrawTheAxesOnly) {
  struct Case { int button; std::vector<std::pair<int, std::string>> entries; draw::Color colour; };
  const Case cases[] = {
      {kButterworth, {{kBwCutOff, "0.009"}, {kBwOrder, "2"}}, colors::blue},
      {kButterworth, {{kBwCutOff, ""}, {kBwOrder, "2"}}, colors::blue},
      {kHamming, {{kHammingCutOff, "-0.3"}}, colors::orange},
      {kHanning, {{kHanningCutOff, "abc"}}, colors::purple},
      {kGauss, {{kGaussF, "0.005"}}, colors::springGreen},
  };
  for (const Case& c : cases) {
    ScreenView view("CDialog15");
    for (const auto& [id, text] : c.entries) view.setText(id, text);
    ASSERT_TRUE(view.press(c.button));
    expectAxes(view);
    EXPECT_EQ(countInFrame(view, kPlot, c.colour), 0) << c.button << " " << c.entries[0].second;
  }
}

TEST(CDialog15, LeadingNumberIsReadAndNegativeOrderRises) {
  ScreenView view("CDialog15");
  view.setText(kHanningCutOff, "0.25abc");
  ASSERT_TRUE(view.press(kHanning));
  EXPECT_EQ(view.framePixel(kPlot, 110, 190), colors::purple);

  // A negative order: 0 at f = 0, 0.5 at the cut-off.
  view.setText(kBwCutOff, "0.25");
  view.setText(kBwOrder, "-2");
  ASSERT_TRUE(view.press(kButterworth));
  EXPECT_EQ(view.framePixel(kPlot, 30, 340), colors::blue);
  EXPECT_EQ(view.framePixel(kPlot, 190, 190), colors::blue);
}

TEST(CDialog15, CurvesAccumulateUntilErased) {
  ScreenView view("CDialog15");
  view.setText(kHanningCutOff, "0.25");
  view.setText(kHammingCutOff, "0.5");
  view.setText(kGaussF, "2");
  view.setText(kBwCutOff, "0.25");
  view.setText(kBwOrder, "0");
  for (int button : {kHanning, kHamming, kGauss, kButterworth}) ASSERT_TRUE(view.press(button));
  EXPECT_EQ(view.framePixel(kPlot, 60, 65), colors::purple);
  EXPECT_EQ(view.framePixel(kPlot, 340, 315), colors::orange);
  EXPECT_EQ(view.framePixel(kPlot, 110, 99), colors::springGreen);
  EXPECT_EQ(view.framePixel(kPlot, 300, 190), colors::blue);

  ASSERT_TRUE(view.press(kErase));
  for (draw::Color c : {colors::purple, colors::orange, colors::springGreen, colors::blue})
    EXPECT_EQ(countInFrame(view, kPlot, c), 0);
  EXPECT_EQ(view.framePixel(kPlot, 200, 100), colors::silver);
  expectAxes(view);
}

// Both pre-filter studies colour their labels, edits and title band alike.
TEST(CDialog15, ColouringOfLabelsEditsAndTitleOnBothStudies) {
  struct Case { int id; ControlKind kind; std::optional<draw::Color> text, background; };
  const Case cases[] = {
      {1010, ControlKind::Edit, colors::blue, std::nullopt},
      {1012, ControlKind::Edit, colors::blue, std::nullopt},
      {1013, ControlKind::Edit, colors::orange, std::nullopt},
      {1014, ControlKind::Edit, colors::magenta, std::nullopt},
      {1009, ControlKind::Edit, colors::springGreen, std::nullopt},
      {1001, ControlKind::Static, colors::white, colors::blue},
      {1032, ControlKind::Static, colors::white, colors::orange},
      {1033, ControlKind::Static, colors::white, colors::magenta},
      {1002, ControlKind::Static, colors::white, colors::springGreen},
      {1036, ControlKind::Static, colors::white, colors::titleBlue},
      {1007, ControlKind::Static, std::nullopt, std::nullopt},
      {-1, ControlKind::Static, std::nullopt, std::nullopt},
  };
  for (const char* screenClass : {"CDialog15", "CDialog16"}) {
    ScreenView view(screenClass);
    Screen* screen = view.screen();
    ASSERT_NE(screen, nullptr);
    for (const Case& c : cases) {
      const ControlColour got = screen->OnTitleColor(c.id, c.kind);
      EXPECT_EQ(got.text, c.text) << screenClass << " " << c.id;
      EXPECT_EQ(got.background, c.background) << screenClass << " " << c.id;
    }
    // An edit's colouring is not given to a static of the same id, and vice versa.
    EXPECT_FALSE(screen->OnTitleColor(1010, ControlKind::Static).text.has_value());
    EXPECT_FALSE(screen->OnTitleColor(1001, ControlKind::Edit).background.has_value());
  }
}

TEST(CDialog15, CancelReturnsToTheMainMenu) {
  ScreenView view("CDialog15");
  ASSERT_TRUE(view.press(1030));
  EXPECT_EQ(view.successor(), "CDialog1");
}

}  // namespace
}  // namespace lumo
