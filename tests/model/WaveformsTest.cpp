#include "model/Waveforms.h"

#include <gtest/gtest.h>

namespace {

using lumo::model::Line;
using lumo::model::testWaveform;

TEST(Waveforms, NoiseFreeLevels) {
  const Line w1 = testWaveform(1, 0);
  const Line w2 = testWaveform(2, 0);
  for (int n = 0; n < 64; ++n) {
    const auto i = static_cast<std::size_t>(n);
    EXPECT_EQ(w1[i], n >= 26 && n <= 36 ? 50.0 : 5.0) << n;
    const double level2 = n >= 10 && n <= 30 ? 25.0 : n >= 38 && n <= 54 ? 50.0 : 5.0;
    EXPECT_EQ(w2[i], level2) << n;
  }
}

TEST(Waveforms, AlternatingNoiseAtSegmentEdges) {
  struct Case { int which; double r; int n; double value; };
  const Case cases[] = {
      {1, 10, 0, 5.5},   {1, 10, 1, 4.5},   {1, 10, 25, 4.5},  {1, 10, 26, 55.0},
      {1, 10, 27, 45.0}, {1, 10, 36, 55.0}, {1, 10, 37, 4.5},  {1, 10, 63, 4.5},
      {2, 10, 0, 5.5},   {2, 10, 9, 4.5},   {2, 10, 10, 27.5}, {2, 10, 11, 22.5},
      {2, 10, 30, 27.5},
      // reversed alternation in 31..37 and 55..63
      {2, 10, 31, 5.5},  {2, 10, 32, 4.5},  {2, 10, 37, 5.5},
      {2, 10, 38, 55.0}, {2, 10, 39, 45.0}, {2, 10, 54, 55.0},
      {2, 10, 55, 5.5},  {2, 10, 56, 4.5},  {2, 10, 63, 5.5},
      // a negative percentage swaps plus and minus
      {1, -10, 0, 4.5},  {1, -10, 27, 55.0}, {2, -10, 31, 4.5},
      {1, 30, 26, 65.0}, {1, 30, 27, 35.0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(testWaveform(c.which, c.r)[static_cast<std::size_t>(c.n)], c.value)
        << "waveform " << c.which << " r " << c.r << " sample " << c.n;
}

TEST(Waveforms, CurveRowsWithTenPercentNoise) {
  // y = trunc(100 - w): 94/95 on the background, 45/55 on the pulse.
  const Line w = testWaveform(1, 10);
  for (int n = 0; n < 64; ++n) {
    const int y = static_cast<int>(100 - w[static_cast<std::size_t>(n)]);
    const bool pulse = n >= 26 && n <= 36;
    const bool plus = n % 2 == 0;
    EXPECT_EQ(y, pulse ? (plus ? 45 : 55) : (plus ? 94 : 95)) << n;
  }
}

}  // namespace
