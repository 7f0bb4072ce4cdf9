// Bins, smears and their sum behind the overview of image reconstruction.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/ProjectionSmears.h"

namespace lumo::model {
namespace {

TEST(SmearBin, EdgesFollowTheHalfOpenRule) {
  struct Case {
    double t;
    int bin;
  };
  const Case cases[] = {
      {63.5, 127},                       // the upper edge belongs to the last bin
      {std::nextafter(63.5, 100.0), -1}, // just beyond it: no bin
      {63.0, 127},
      {62.5, 126},
      {std::nextafter(62.5, 100.0), 127},
      {0.0, 64},
      {-0.5, 63},
      {-63.5, 0},
      {std::nextafter(-64.5, 0.0), 0},
      {-64.5, -1},                       // the lower edge belongs to no bin
      {-100.0, -1},
      {100.0, -1},
      {std::numeric_limits<double>::quiet_NaN(), -1},
      {std::numeric_limits<double>::infinity(), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(smearBin(c.t), c.bin) << "t = " << c.t;
}

TEST(SmearBins, AxisAnglesGiveStripes) {
  // Entry of the profile each grid point (i, j) takes at 0, 90, 180 and 270 degrees
  // (-1: not reached). The degree factor is not exactly pi / 180, but the small
  // cross terms never move a point across a bin edge.
  struct Case {
    int degrees;
    int (*entry)(int i, int j);
  };
  const Case cases[] = {
      {0, [](int i, int) { return i; }},
      {90, [](int, int j) { return j; }},
      {180, [](int i, int) { return i == 0 ? -1 : 128 - i; }},
      {270, [](int, int j) { return j == 0 ? -1 : 128 - j; }},
  };
  for (const Case& c : cases) {
    const SmearBins bins = smearBins(c.degrees);
    int wrong = 0;
    for (int i = 0; i < kGrid; ++i)
      for (int j = 0; j < kGrid; ++j)
        if (bins[static_cast<std::size_t>(i * kGrid + j)] != c.entry(i, j)) ++wrong;
    EXPECT_EQ(wrong, 0) << c.degrees << " degrees";
  }
}

TEST(SmearBins, ObliqueAnglesLeaveTheCornersOut) {
  const SmearBins bins = smearBins(30);
  // t at the far corner (i = j = 127) is 63 cos + 63 sin, about 86: beyond the profile.
  EXPECT_EQ(bins[127 * kGrid + 127], -1);
  EXPECT_EQ(bins[0], -1);
  // The centre takes the middle bin.
  EXPECT_EQ(bins[64 * kGrid + 64], 64);
}

TEST(SummedSmears, AddsWholeColourValuesDividedBy255) {
  ImageStore store;
  // Twelve white smears: 12 * (0xFFFFFF / 255) = 12 * 0x010101.
  EXPECT_EQ(summedSmears(store, 5, 9), 0x0C0C0Cu);
  // The value is divided as a whole number, not channel by channel.
  for (int k = 0; k < kProjections; ++k) store.at(kFirstSmearImage + k, 5, 9) = 0x0000FFu;
  EXPECT_EQ(summedSmears(store, 5, 9), 12u);
  store.at(kFirstSmearImage + 3, 5, 9) = 0x000000u;
  store.at(kFirstSmearImage + 4, 5, 9) = 254u;  // below 255: contributes nothing
  EXPECT_EQ(summedSmears(store, 5, 9), 10u);
  // Profiles (images 0..11) do not enter the sum.
  store.at(0, 5, 9) = 0;
  EXPECT_EQ(summedSmears(store, 5, 9), 10u);
}

TEST(ProjectionStorage, ProfilesAndSmearsHaveTheirPlaces) {
  ImageStore store;
  profileEntry(store, 7, 33) = 0x123456u;
  EXPECT_EQ(store.at(7, kProfileRow, 33), 0x123456u);
  smearAt(store, 2, -64, 63) = 0xABCDEFu;  // pixel (x, y) at row y + 64, column x + 64
  EXPECT_EQ(store.at(kFirstSmearImage + 2, 127, 0), 0xABCDEFu);
}

}  // namespace
}  // namespace lumo::model
