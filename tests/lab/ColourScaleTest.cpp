// The lab's colour scales: the rainbow is the clinical bitmaps' count scale, grey and hot
// run as documented, a range maps onto the levels, and no value (NaN, infinities, an
// empty range) ever crashes or goes without a defined colour.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "draw/ColourScale.h"
#include "draw/Fonts.h"
#include "model/ClinicalRainbow.h"

namespace lumo::draw {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ColourScale, EndPointsAndMidpointsOfEachTable) {
  struct Case {
    ScaleKind kind;
    int levels;
    QRgb first, middle, last;
  } cases[] = {
      // The rainbow's levels 0, 64 and 127 are palette entries 127, 191 and 254 of the
      // clinical bitmaps: navy, the green ramp toward olive, red.
      {ScaleKind::Rainbow, 128, qRgb(0, 0, 128), qRgb(16, 128, 0), qRgb(255, 4, 0)},
      {ScaleKind::Grey, 256, qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)},
      // Hot: red full at level 85, green rising from there, blue from 170.
      {ScaleKind::Hot, 256, qRgb(0, 0, 0), qRgb(255, 129, 0), qRgb(255, 255, 255)},
  };
  for (const Case& c : cases) {
    const ColourScale s(c.kind);
    SCOPED_TRACE(s.name().toStdString());
    ASSERT_EQ(s.levels(), c.levels);
    EXPECT_EQ(s.level(0), c.first);
    EXPECT_EQ(s.level(c.levels / 2), c.middle);
    EXPECT_EQ(s.level(c.levels - 1), c.last);
    EXPECT_EQ(s.level(-5), c.first);  // levels clamp
    EXPECT_EQ(s.level(c.levels + 7), c.last);
  }
  const ColourScale hot(ScaleKind::Hot);
  EXPECT_EQ(hot.level(85), qRgb(255, 0, 0));
  EXPECT_EQ(hot.level(170), qRgb(255, 255, 0));
}

TEST(ColourScale, TheRainbowIsTheClinicalCountScaleRunningFromBlueThroughGreenAndYellowToRed) {
  const auto& t = model::clinicalRainbow();
  const ColourScale s(ScaleKind::Rainbow);
  for (int k = 0; k < model::kRainbowLevels; ++k) {
    const auto& c = t[static_cast<std::size_t>(k)];
    ASSERT_EQ(s.level(k), qRgb(c.r, c.g, c.b)) << k;
  }
  // Landmarks of the scale: pure blue, pure green, yellow.
  EXPECT_EQ(s.level(15), qRgb(0, 0, 251));
  EXPECT_EQ(s.level(47), qRgb(0, 255, 0));
  EXPECT_EQ(s.level(94), qRgb(251, 255, 0));
}

// The level of v on [lo, hi] is floor((v - lo) / (hi - lo) * levels), clamped: the
// rainbow on [0, m] colours a count c as the clinical bitmaps, min(127, floor(128 c / m)).
TEST(ColourScale, ARangeMapsOntoTheLevels) {
  const ColourScale s(ScaleKind::Rainbow);
  struct Case {
    double v, lo, hi;
    int level;
  } cases[] = {
      {0, 0, 128, 0},        {0.999, 0, 128, 0},   {1, 0, 128, 1},     {64, 0, 128, 64},
      {127.99, 0, 128, 127}, {128, 0, 128, 127},   {500, 0, 128, 127}, {-3, 0, 128, 0},
      {-1, -1, 1, 0},        {0, -1, 1, 64},       {1, -1, 1, 127},    {10.5, 10, 11, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(s.map(c.v, c.lo, c.hi), s.level(c.level));
  }
  const ColourScale grey(ScaleKind::Grey);
  EXPECT_EQ(grey.map(0.5, 0, 1), qRgb(128, 128, 128));
  EXPECT_EQ(grey.map(0.25, ValueRange{0, 1}), qRgb(64, 64, 64));
}

TEST(ColourScale, NaNInfinitiesAndBadRangesGiveADefinedColour) {
  for (ScaleKind kind : ColourScale::all()) {
    const ColourScale s(kind);
    SCOPED_TRACE(s.name().toStdString());
    const QRgb first = s.level(0), last = s.level(s.levels() - 1), middle = s.level(s.levels() / 2);
    EXPECT_EQ(s.map(kNaN, 0, 1), ColourScale::noValueColour());
    EXPECT_EQ(s.map(kInf, 0, 1), last);
    EXPECT_EQ(s.map(-kInf, 0, 1), first);
    // Empty, reversed and infinite ranges: below, inside, above.
    struct Case {
      double v, lo, hi;
      QRgb colour;
    } cases[] = {
        {5, 5, 5, middle},         {4, 5, 5, first},        {6, 5, 5, last},
        {0.5, 1, 0, first},       {0.5, 0, kInf, middle},  {0.5, -kInf, kInf, middle},
        {0.5, kNaN, 1, middle},    {kInf, 0, kNaN, middle}, {kNaN, 5, 5, ColourScale::noValueColour()},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.v << " on " << c.lo << ".." << c.hi);
      EXPECT_EQ(s.map(c.v, c.lo, c.hi), c.colour);
    }
    // The no-value colour is none of the scale's own.
    for (int k = 0; k < s.levels(); ++k) ASSERT_NE(s.level(k), ColourScale::noValueColour());
  }
}

TEST(ColourScale, RangesOfAnImageIgnoreValuesThatAreNotFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* what;
    std::vector<float> px;
    double lo, hi, symmetric;
  } cases[] = {
      {"plain", {1, 5, 3, 2}, 1, 5, 5},
      {"negatives", {-4, 1, 2, 3}, -4, 3, 4},
      {"with NaN and inf", {nan, 2, inf, -inf, 7}, 2, 7, 7},
      {"one value", {3, 3, 3}, 1.5, 4.5, 3},
      {"all zero", {0, 0}, -0.5, 0.5, 1},
      {"nothing finite", {nan, inf}, 0, 1, 1},
      {"empty", {}, 0, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ValueRange r = rangeOf(c.px);
    EXPECT_DOUBLE_EQ(r.lo, c.lo);
    EXPECT_DOUBLE_EQ(r.hi, c.hi);
    const ValueRange s = symmetricRangeOf(c.px);
    EXPECT_DOUBLE_EQ(s.lo, -c.symmetric);
    EXPECT_DOUBLE_EQ(s.hi, c.symmetric);
  }
}

TEST(ColourScale, AnImageBecomesOnePixelPerValueRowZeroAtTheTop) {
  const ColourScale s(ScaleKind::Grey);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // 3 wide, 2 high (a sinogram need not be square).
  const std::vector<float> px = {0, 1, 2, 3, 4, nan};
  const QImage img = toImage(px, 3, 2, s, {0, 4});
  ASSERT_EQ(img.size(), QSize(3, 2));
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(2, 0), qRgb(128, 128, 128));
  EXPECT_EQ(img.pixel(0, 1), qRgb(192, 192, 192));
  EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(2, 1), ColourScale::noValueColour());
  EXPECT_TRUE(toImage(px, 3, 3, s, {0, 4}).isNull());  // too few values
  EXPECT_TRUE(toImage(px, 0, 2, s, {0, 4}).isNull());
  EXPECT_TRUE(toImage(px, -3, -2, s, {0, 4}).isNull());
}

TEST(ColourScale, LegendNumbersAreRoundValuesInsideTheRange) {
  struct Case {
    ValueRange range;
    int maxTicks;
    std::vector<double> ticks;
    std::vector<const char*> texts;
  } cases[] = {
      {{0, 523.7}, 6, {0, 100, 200, 300, 400, 500}, {"0", "100", "200", "300", "400", "500"}},
      {{0, 523.7}, 4, {0, 200, 400}, {"0", "200", "400"}},
      {{-0.3, 0.3}, 7, {-0.3, -0.2, -0.1, 0, 0.1, 0.2, 0.3}, {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}},
      {{-2.5, 2.5}, 5, {-2, -1, 0, 1, 2}, {"-2", "-1", "0", "1", "2"}},
      {{0, 1}, 3, {0, 0.5, 1}, {"0.0", "0.5", "1.0"}},
      {{0.001, 0.0013}, 4, {0.001, 0.0011, 0.0012, 0.0013}, {"0.0010", "0.0011", "0.0012", "0.0013"}},
      {{3, 3}, 5, {3, 3}, {"3", "3"}},  // an empty range still shows its value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.range.lo << ".." << c.range.hi);
    const std::vector<double> ticks = legendTicks(c.range, c.maxTicks);
    ASSERT_EQ(ticks.size(), c.ticks.size());
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_NEAR(ticks[i], c.ticks[i], 1e-12);
      EXPECT_EQ(legendNumber(ticks[i], step == 0 ? 1 : step).toStdString(), c.texts[i]);
    }
  }
  EXPECT_TRUE(legendTicks({kNaN, 1}, 5).empty());
  EXPECT_EQ(legendNumber(2.5e7, 1e7).toStdString(), "2.5e+07");
}

TEST(ColourScale, TheLegendShowsTheScaleHighAtTheTopWithItsNumbers) {
  const ColourScale s(ScaleKind::Rainbow);  // neither white (the ground) nor black (the frame)
  const QImage legend = legendImage(s, {0, 100}, 200, proportionalFont(12), 14);
  ASSERT_FALSE(legend.isNull());
  EXPECT_EQ(legend.height(), 200);
  // Down the middle of the bar: every level from the last to the first, never rising.
  std::vector<int> levels;
  for (int y = 0; y < legend.height(); ++y)
    for (int k = 0; k < s.levels(); ++k)
      if (legend.pixel(9, y) == s.level(k)) {
        levels.push_back(k);
        break;
      }
  ASSERT_GT(levels.size(), 150u);
  EXPECT_EQ(levels.front(), s.levels() - 1);
  EXPECT_EQ(levels.back(), 0);
  EXPECT_TRUE(std::is_sorted(levels.rbegin(), levels.rend()));
  // Right of the bar: dark pixels of the numbers.
  int dark = 0;
  for (int y = 0; y < legend.height(); ++y)
    for (int x = 22; x < legend.width(); ++x) dark += qGray(legend.pixel(x, y)) < 100;
  EXPECT_GT(dark, 30);
}

}  // namespace
}  // namespace lumo::draw
