// Pre-filter times reconstruction filter: the Ramp and Shepp-Logan cases with their three
// curves, the guards, accumulation and erasing, on the real widgets.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "FilterStudyChecks.h"
#include "app/ScreenView.h"

namespace lumo {
namespace {

using namespace filtertest;
namespace colors = draw::colors;

constexpr int kPlot = 1007;
constexpr int kRamp = 1015, kSheppLogan = 1016;
constexpr int kHanning = 1003, kHamming = 1006, kGauss = 1011, kButterworth = 1020, kErase = 1021;
constexpr int kGaussF = 1009, kBwCutOff = 1010, kBwOrder = 1012, kHammingCutOff = 1013,
              kHanningCutOff = 1014;

using Entries = std::vector<std::pair<int, std::string>>;

void press(ScreenView& view, int radio, int button, const Entries& entries) {
  if (radio) view.setChecked(radio, true);
  for (const auto& [id, text] : entries) view.setText(id, text);
  ASSERT_TRUE(view.press(button));
}

// The row of the black reconstruction-filter line in column x (below the tick labels,
// above the frequency axis), -1 when there is none.
int blackRowIn(const ScreenView& view, int x) {
  for (int y = 100; y < 340; ++y)
    if (view.framePixel(kPlot, x, y) == colors::black) return y;
  return -1;
}

// A Hanning cut-off of 0.01 passes the guard but leaves a single grid point, so neither
// the pre-filter nor the product draws a pixel: the reconstruction filter stands alone.
constexpr const char* kSinglePointCutOff = "0.01";

TEST(CDialog16, RampLineAloneClimbsInWholePixelStepsOfFourOrFive) {
  ScreenView view("CDialog16");
  press(view, kRamp, kHanning, {{kHanningCutOff, kSinglePointCutOff}});
  expectPolyline(view, kPlot,
                 {{30, 340}, {40, 336}, {50, 331}, {60, 326}, {70, 322}, {80, 317}, {90, 312},
                  {100, 308}, {110, 303}, {120, 298}},
                 colors::black);
  expectPixels(view, kPlot, {{330, 200}, {340, 195}}, colors::black);
  EXPECT_TRUE(lastPixelOfSegmentIs(view, kPlot, {340, 195}, {350, 190}, colors::black));
  int previous = 340;
  for (int i = 1; i <= 31; ++i) {
    const int y = blackRowIn(view, 10 * i + 30);
    const int step = previous - y;
    EXPECT_TRUE(step == 4 || step == 5) << "i = " << i << ", step " << step;
    previous = y;
  }
  EXPECT_EQ(countInFrame(view, kPlot, colors::red), 0);
  EXPECT_EQ(countInFrame(view, kPlot, colors::purple), 0);
}

TEST(CDialog16, SheppLoganCurveAloneFlattensAt244) {
  ScreenView view("CDialog16");
  press(view, kSheppLogan, kHanning, {{kHanningCutOff, kSinglePointCutOff}});
  expectPolyline(view, kPlot, {{30, 340}, {40, 335}, {50, 330}, {60, 325}}, colors::black);
  expectPixels(view, kPlot, {{330, 244}, {340, 244}}, colors::black);
  EXPECT_TRUE(lastPixelOfSegmentIs(view, kPlot, {340, 244}, {350, 244}, colors::black));
  // Shepp-Logan stays below the Ramp line: its row 335 at x = 40, the Ramp's 336 not drawn.
  EXPECT_NE(view.framePixel(kPlot, 40, 336), colors::black);
}

struct ProductCase {
  const char* name;
  int radio, button;
  Entries entries;
  std::vector<Point> product;  // consecutive grid points of the red curve
  draw::Color preFilter;
};

TEST(CDialog16, HanningProductsFollowTheirGridPointsAndStopAtTheCutOff) {
  const ProductCase cases[] = {
      {"Hanning 0.25 x Ramp", kRamp, kHanning, {{kHanningCutOff, "0.25"}},
       {{30, 340}, {40, 335}, {50, 330}, {60, 327}, {70, 323}, {80, 321}, {90, 320}, {100, 320},
        {110, 321}, {120, 323}, {130, 325}, {140, 328}, {150, 331}, {160, 334}, {170, 337},
        {180, 339}, {190, 339}},
       colors::purple},
      {"Hanning 0.25 x Shepp-Logan", kSheppLogan, kHanning, {{kHanningCutOff, "0.25"}},
       {{30, 340}, {40, 335}, {50, 330}, {60, 327}, {70, 324}, {80, 321}, {90, 320}, {100, 320},
        {110, 321}, {120, 323}, {130, 326}, {140, 329}, {150, 332}, {160, 335}, {170, 337},
        {180, 339}, {190, 339}},
       colors::purple},
  };
  for (const ProductCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog16");
    press(view, c.radio, c.button, c.entries);
    expectPolyline(view, kPlot, c.product, colors::red);
    EXPECT_EQ(view.framePixel(kPlot, 30, 40), c.preFilter);
    EXPECT_EQ(view.framePixel(kPlot, 110, 190), c.preFilter);
    EXPECT_EQ(countIn(view, kPlot, 191, 0, 368, 375, colors::red), 0);
    EXPECT_EQ(countIn(view, kPlot, 191, 0, 368, 375, c.preFilter), 0);
    // The reconstruction filter alone still runs to 0.5 cycles/pixel.
    EXPECT_EQ(view.framePixel(kPlot, 340, c.radio == kRamp ? 195 : 244), colors::black);
  }
}

TEST(CDialog16, ButterworthAndGaussProducts) {
  struct Case {
    const char* name;
    int radio, button;
    Entries entries;
    std::vector<Point> redThrough;  // segment start points of the product
    Point redEnd;                   // its last vertex, at x = 350
    draw::Color preFilter;
  };
  const Case cases[] = {
      {"Butterworth 0.25, 2 x Ramp", kRamp, kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "2"}},
       {{30, 340}, {170, 302}, {180, 302}, {190, 302}, {200, 302}, {210, 302}}, {350, 310},
       colors::blue},
      {"Butterworth 0.25, 2 x Shepp-Logan", kSheppLogan, kButterworth,
       {{kBwCutOff, "0.25"}, {kBwOrder, "2"}}, {{30, 340}}, {350, 320}, colors::blue},
      {"Gauss 2 x Ramp", kRamp, kGauss, {{kGaussF, "2"}}, {{30, 340}, {150, 305}}, {350, 335},
       colors::springGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog16");
    press(view, c.radio, c.button, c.entries);
    expectPixels(view, kPlot, c.redThrough, colors::red);
    EXPECT_GT(countIn(view, kPlot, 349, c.redEnd.second - 1, 350, c.redEnd.second + 2, colors::red), 0);
    EXPECT_EQ(view.framePixel(kPlot, 30, 40), c.preFilter);
    EXPECT_EQ(countIn(view, kPlot, 350, 0, 368, 375, colors::red), 0);
  }
  {
    SCOPED_TRACE("the Gauss product's top is at (150, 305)");
    ScreenView view("CDialog16");
    press(view, kRamp, kGauss, {{kGaussF, "2"}});
    EXPECT_EQ(countIn(view, kPlot, 30, 0, 350, 305, colors::red), 0);
  }
  {
    SCOPED_TRACE("the Butterworth product's top is 302");
    ScreenView view("CDialog16");
    press(view, kRamp, kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "2"}});
    EXPECT_EQ(countIn(view, kPlot, 30, 0, 350, 302, colors::red), 0);
  }
}

TEST(CDialog16, HammingIsOrangeBesideRampAndSkyBlueBesideSheppLogan) {
  for (auto [radio, colour, other] : {std::tuple{kRamp, colors::orange, colors::skyBlue},
                                      std::tuple{kSheppLogan, colors::skyBlue, colors::orange}}) {
    ScreenView view("CDialog16");
    press(view, radio, kHamming, {{kHammingCutOff, "0.5"}});
    EXPECT_EQ(view.framePixel(kPlot, 30, 40), colour);
    EXPECT_EQ(view.framePixel(kPlot, 340, 315), colour);
    EXPECT_EQ(countInFrame(view, kPlot, other), 0);
    EXPECT_GT(countInFrame(view, kPlot, colors::red), 0);
  }
}

TEST(CDialog16, RefusedPressesDrawTheAxesOnly) {
  struct Case { const char* name; int radio, button; Entries entries; };
  const Case cases[] = {
      {"Butterworth order 0", kRamp, kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "0"}}},
      {"Butterworth negative order", kSheppLogan, kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "-2"}}},
      {"Butterworth order 0.005", kRamp, kButterworth, {{kBwCutOff, "0.25"}, {kBwOrder, "0.005"}}},
      {"Butterworth empty cut-off", kRamp, kButterworth, {{kBwCutOff, ""}, {kBwOrder, "2"}}},
      {"Hamming below 0.01", kRamp, kHamming, {{kHammingCutOff, "0.009"}}},
      {"Hanning text", kSheppLogan, kHanning, {{kHanningCutOff, "x"}}},
      {"Gauss negative", kRamp, kGauss, {{kGaussF, "-2"}}},
      {"no reconstruction filter chosen", 0, kGauss, {{kGaussF, "2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog16");
    press(view, c.radio, c.button, c.entries);
    for (draw::Color colour : {colors::red, colors::blue, colors::orange, colors::skyBlue,
                               colors::purple, colors::springGreen})
      EXPECT_EQ(countInFrame(view, kPlot, colour), 0);
    // neither the Ramp line nor the Shepp-Logan curve
    EXPECT_EQ(blackRowIn(view, 40), -1);
    // but the axes
    expectPixels(view, kPlot, {{30, 20}, {349, 340}, {34, 40}, {192, 336}}, colors::black);
  }
}

TEST(CDialog16, CurvesAccumulateUntilErasedAndTheRadioIsReadAtEachPress) {
  ScreenView view("CDialog16");
  press(view, kRamp, kHanning, {{kHanningCutOff, "0.25"}});
  press(view, kSheppLogan, kGauss, {{kGaussF, "2"}});
  EXPECT_EQ(view.framePixel(kPlot, 60, 65), colors::purple);     // Hanning from the first press
  EXPECT_EQ(view.framePixel(kPlot, 110, 99), colors::springGreen);  // Gauss from the second
  EXPECT_EQ(view.framePixel(kPlot, 340, 195), colors::black);    // Ramp line from the first
  EXPECT_EQ(view.framePixel(kPlot, 340, 244), colors::black);    // Shepp-Logan from the second

  ASSERT_TRUE(view.press(kErase));
  for (draw::Color c : {colors::red, colors::purple, colors::springGreen})
    EXPECT_EQ(countInFrame(view, kPlot, c), 0);
  EXPECT_EQ(view.framePixel(kPlot, 340, 195), colors::silver);
  EXPECT_EQ(blackRowIn(view, 40), -1);
  expectPixels(view, kPlot, {{30, 20}, {349, 340}, {34, 40}, {192, 336}}, colors::black);
}

TEST(CDialog16, CancelReturnsToTheMainMenu) {
  ScreenView view("CDialog16");
  ASSERT_TRUE(view.press(1030));
  EXPECT_EQ(view.successor(), "CDialog1");
}

}  // namespace
}  // namespace lumo
