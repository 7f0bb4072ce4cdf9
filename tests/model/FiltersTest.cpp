// The formulas checked against the values the screens are known to show: responses to the
// digits given, kernels bit for bit, and the pixel rows the curves land on.
#include "model/Filters.h"
#include "model/Waveforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace lumo::model;

int trunc(double v) { return static_cast<int>(v); }

TEST(Frequency, GridEqualsSixtyFourthsAndSynthesisStepIsTwoPiOver64) {
  for (int i = 0; i <= 32; ++i) EXPECT_EQ(gridFrequency(i), i / 64.0) << i;
  EXPECT_EQ(kSynthesisStep, 2 * 3.141592 / 64);
}

TEST(Butterworth, KnownValues) {
  struct Case { double f, fc, n, expected, tol; };
  const Case cases[] = {
      {0.0625, 0.10, 8, 0.97725, 5e-6},
      {0.125, 0.10, 8, 0.14367, 5e-6},
      {0.0, 0.10, 8, 1.0, 0.0},
      {0.0, 0.25, 0.5, 1.0, 0.0},
      {0.3, 0.25, 0.0, 0.5, 0.0},   // order 0: flat at one half, also at f = 0
      {0.0, 0.25, 0.0, 0.5, 0.0},
      {0.0, 0.25, -2.0, 0.0, 0.0},  // negative order: rises from 0
      {0.5, 0.25, 1.0, 1.0 / 3.0, 1e-15},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(butterworth(c.f, c.fc, c.n), c.expected, c.tol) << c.f << " " << c.fc << " " << c.n;
}

TEST(Butterworth, HalfAtCutOffForEveryOrder) {
  for (double fc : {0.01, 0.1, 0.25, 0.37, 0.5})
    for (double n : {-3.0, 0.5, 1.0, 2.0, 5.5, 8.0, 20.0}) EXPECT_EQ(butterworth(fc, fc, n), 0.5) << fc << " " << n;
  // On the grid: index 16 is 0.25 cycles/pixel.
  for (double n : {1.0, 4.0, 8.0}) EXPECT_EQ(butterworthAt(16, 0.25, n), 0.5);
}

TEST(Butterworth, GridFormDividesTheGridFrequencyByTheCutOff) {
  for (int i = 0; i <= 32; ++i) {
    EXPECT_EQ(butterworthAt(i, 0.10, 8), 1.0 / (std::pow((i * 10 / 640.0) / 0.10, 8) + 1)) << i;
    if (i > 0) {
      EXPECT_LT(butterworthAt(i, 0.10, 8), butterworthAt(i - 1, 0.10, 8));
    }
  }
}

TEST(Windows, HanningAndHammingAtZeroMiddleAndCutOff) {
  struct Case { int i; double fc, hanning, hamming, tol; };
  const Case cases[] = {
      {0, 0.25, 1.0, 1.0, 0.0},
      {16, 0.25, 0.0, 0.08, 1e-12},  // f = fc
      {8, 0.25, 0.5, 0.54, 1e-7},    // f = fc / 2
      {32, 0.5, 0.0, 0.08, 1e-12},
      {4, 0.0625, 0.0, 0.08, 1e-12},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(hanningAt(c.i, c.fc), c.hanning, c.tol) << c.i << " " << c.fc;
    EXPECT_NEAR(hammingAt(c.i, c.fc), c.hamming, c.tol) << c.i << " " << c.fc;
  }
  // The window cosine uses 3.1415927, not the 3.141592 of the kernels.
  EXPECT_EQ(hanningAt(5, 0.3), std::cos(((5 * 3.1415927) * 10) / 640 / 0.3) * 0.5 + 0.5);
}

TEST(Gaussian, KnownValuesAndWidthNarrowsTheCurve) {
  struct Case { int i; double F, expected; };
  const Case cases[] = {{32, 1.0, 0.41066}, {32, 2.0, 0.02844}, {32, 0.2, 0.96503}, {0, 7.0, 1.0}};
  for (const Case& c : cases) EXPECT_NEAR(gaussianAt(c.i, c.F), c.expected, 5e-6) << c.i << " " << c.F;
  for (int i = 1; i <= 32; ++i) EXPECT_LT(gaussianAt(i, 3.0), gaussianAt(i, 2.0)) << i;
}

TEST(Gaussian, WidthTwoIsTheModelOneObjectAtEveryGridIndex) {
  for (int i = 0; i <= 32; ++i) EXPECT_EQ(gaussianAt(i, 2.0), objectSpectrumAt(i, 1)) << i;
}

TEST(Gaussian, UnderflowsToZeroForVeryWideBlur) {
  EXPECT_GT(gaussianAt(32, 27.0), 0.0);
  EXPECT_EQ(gaussianAt(32, 29.0), 0.0);
}

TEST(Gaussian, AWidthWhoseSquareOverflowsStillPassesZeroFrequency) {
  for (double F : {1e154, 1e300, -1e300}) {
    EXPECT_EQ(gaussianAt(0, F), 1.0) << F;
    for (int i = 1; i <= 32; ++i) EXPECT_EQ(gaussianAt(i, F), 0.0) << F << " " << i;
  }
}

TEST(ObjectSpectrum, KnownValues) {
  EXPECT_NEAR(objectSpectrumAt(16, 1), 0.41066, 5e-6);
  EXPECT_NEAR(objectSpectrumAt(32, 1), 0.02844, 5e-6);
  EXPECT_NEAR(objectSpectrumAt(32, 2), 6.54e-7, 5e-10);
  EXPECT_EQ(objectSpectrumAt(0, 1), 1.0);
  EXPECT_EQ(objectSpectrumAt(0, 2), 1.0);
}

TEST(SheppLogan, FrequencyFormBelowTheRamp) {
  EXPECT_NEAR(sheppLoganSineAt(32) / 3.141592, 0.31831, 5e-6);
  EXPECT_LT(sheppLoganSineAt(32) / 3.141592, gridFrequency(32));
  EXPECT_EQ(sheppLoganSineAt(0), 0.0);
  EXPECT_NEAR(sheppLoganPixelsAt(32), 300 * 0.31831, 5e-3);
  for (int i = 0; i <= 32; ++i) EXPECT_NEAR(sheppLoganTimesPixelsAt(i, 1.0), sheppLoganPixelsAt(i), 1e-12) << i;
  EXPECT_NEAR(sheppLoganTimesPixelsAt(32, 0.5), 150 * 0.31831, 5e-3);
}

TEST(Kernels, RampValuesBitForBit) {
  EXPECT_EQ(rampKernel(0), 0.25);
  EXPECT_EQ(rampKernel(1), -0.10132122580089835);
  EXPECT_EQ(rampKernel(-1), -0.10132122580089835);
  EXPECT_EQ(rampKernel(3), -0.011257913977877594);
  EXPECT_EQ(rampKernel(-3), -0.011257913977877594);
  EXPECT_EQ(rampKernel(63), -1.0 / (((3.141592 * 3.141592) * 63) * 63));
  for (int k = 2; k <= 62; k += 2) {
    EXPECT_EQ(rampKernel(k), 0.0) << k;
    EXPECT_EQ(rampKernel(-k), 0.0) << k;
  }
}

TEST(Kernels, SheppLoganValuesBitForBit) {
  EXPECT_EQ(sheppLoganKernel(0), 0.2026424516017967);
  EXPECT_EQ(sheppLoganKernel(1), -0.06754748386726557);
  EXPECT_EQ(sheppLoganKernel(-1), -0.06754748386726557);
  EXPECT_EQ(sheppLoganKernel(2), -0.013509496773453113);
  EXPECT_EQ(sheppLoganKernel(-2), -0.013509496773453113);
  for (int k = 1; k <= 63; ++k) EXPECT_LT(sheppLoganKernel(k), 0.0) << k;
}

TEST(Kernels, TablesHoldEveryOffsetSymmetrically) {
  const Kernel ramp = rampKernelTable();
  const Kernel sl = sheppLoganKernelTable();
  for (int k = -63; k <= 63; ++k) {
    EXPECT_EQ(kernelAt(ramp, k), rampKernel(k)) << k;
    EXPECT_EQ(kernelAt(sl, k), sheppLoganKernel(k)) << k;
    EXPECT_EQ(kernelAt(ramp, k), kernelAt(ramp, -k)) << k;
  }
  // The kernel curve of the reconstruction-filter screen: y = trunc(180 - 200 h(k)).
  EXPECT_EQ(trunc(180 - 200 * kernelAt(ramp, 0)), 130);
  EXPECT_EQ(trunc(180 - 200 * kernelAt(ramp, 1)), 200);
  EXPECT_EQ(trunc(180 - 200 * kernelAt(ramp, -3)), 182);
  EXPECT_EQ(trunc(180 - 200 * kernelAt(ramp, 4)), 180);
}

TEST(Convolution, UsesOffsetSampleMinusOutputAndDoesNotExtendTheLine) {
  Kernel ramp{};  // h(k) = k, so the orientation shows
  for (int k = -63; k <= 63; ++k) ramp[static_cast<std::size_t>(k + 63)] = k;
  Line delta{};
  delta[10] = 1.0;
  const Line out = convolve(delta, ramp);
  for (int j = 0; j < 64; ++j) EXPECT_EQ(out[static_cast<std::size_t>(j)], 10.0 - j) << j;

  // A constant line: the end samples see only half the kernel.
  Line ones{};
  ones.fill(1.0);
  Kernel box{};
  box.fill(1.0);
  const Line sums = convolve(ones, box);
  EXPECT_EQ(sums[0], 64.0);
  EXPECT_EQ(sums[63], 64.0);
}

// Filtered curve of the reconstruction-filter screen: y = trunc(300 - 10 out[s]).
TEST(Convolution, RampFilteredWaveformsLandOnTheKnownRows) {
  struct Case { int waveform; double noise; int sample; int y; };
  const Case cases[] = {
      {1, 0, 25, 354}, {1, 0, 37, 354}, {1, 0, 26, 241}, {1, 0, 36, 241},
      {1, 10, 26, 222}, {1, 10, 27, 310},
      {2, 0, 9, 324},  {2, 0, 10, 274}, {2, 0, 30, 276}, {2, 0, 31, 327},
      {2, 0, 37, 356}, {2, 0, 38, 243}, {2, 0, 54, 242}, {2, 0, 55, 354},
  };
  const Kernel h = rampKernelTable();
  for (const Case& c : cases) {
    const Line out = convolve(testWaveform(c.waveform, c.noise), h);
    EXPECT_EQ(trunc(300 - 10 * out[static_cast<std::size_t>(c.sample)]), c.y)
        << "waveform " << c.waveform << " noise " << c.noise << " sample " << c.sample;
  }
  const Line out = convolve(testWaveform(1, 0), h);
  for (int s = 27; s <= 35; ++s) {
    const int y = trunc(300 - 10 * out[static_cast<std::size_t>(s)]);
    EXPECT_GE(y, 286) << s;
    EXPECT_LE(y, 292) << s;
  }
}

// The Butterworth-effect screens: Ramp row at 180 and Shepp-Logan row at 300.
TEST(Convolution, RampAndSheppLoganRowsOfWaveformOne) {
  const Line w = testWaveform(1, 0);
  const Line ramp = convolve(w, rampKernelTable());
  const Line sl = convolve(w, sheppLoganKernelTable());
  for (int s : {25, 37}) {
    EXPECT_EQ(trunc(180 - 10 * ramp[static_cast<std::size_t>(s)]), 234) << s;
    EXPECT_EQ(trunc(300 - 10 * sl[static_cast<std::size_t>(s)]), 343) << s;
  }
  for (int s : {26, 36}) {
    EXPECT_EQ(trunc(180 - 10 * ramp[static_cast<std::size_t>(s)]), 121) << s;
    EXPECT_EQ(trunc(300 - 10 * sl[static_cast<std::size_t>(s)]), 252) << s;
  }
}

TEST(MirroredSpectrum, HalvesMirrorAndBothSplitsShareTheMiddle) {
  for (double n : {1.0, 2.0, 8.0, 5.5}) {
    const Line a = mirroredButterworthLower32(0.25, n);
    const Line b = mirroredButterworthLower31(0.25, n);
    EXPECT_EQ(a[0], 1.0);
    EXPECT_EQ(a[16], 0.5);
    EXPECT_EQ(b[16], 0.5);
    EXPECT_EQ(a[32], butterworth(0.5, 0.25, n));
    EXPECT_EQ(b[32], butterworth(0.5, 0.25, n));
    for (int k = 1; k < 64; ++k) {
      EXPECT_EQ(a[static_cast<std::size_t>(k)], a[static_cast<std::size_t>(64 - k)]) << k;
      EXPECT_EQ(a[static_cast<std::size_t>(k)], b[static_cast<std::size_t>(k)]) << k;
    }
    EXPECT_EQ(a[33], butterworth(31 / 64.0, 0.25, n));
  }
}

TEST(CosineSynthesis, ThirtyThreeTermsOfSingleFrequencies) {
  std::array<double, 33> S{};
  S[0] = 1.0;
  for (double p : cosineSynthesis33(S)) EXPECT_EQ(p, 1.0);
  S[0] = 0.0;
  S[5] = 2.0;
  const auto p = cosineSynthesis33(S);
  for (int j = 0; j <= 32; ++j) EXPECT_EQ(p[static_cast<std::size_t>(j)], 2.0 * std::cos((j * 5) * 0.09817475)) << j;
}

TEST(CosineSynthesis, NormalisedIsThePlainSumOver64) {
  const Line S = mirroredButterworthLower31(0.2, 6);
  const Line plain = cosineSynthesis64(S);
  const Line norm = cosineSynthesis64Normalised(S);
  for (int j = 0; j < 64; ++j) EXPECT_EQ(norm[static_cast<std::size_t>(j)] * 64, plain[static_cast<std::size_t>(j)]) << j;
}

// Frequency and real-space page: real-space curve y = trunc(230 - 5 R[|j|]).
TEST(CosineSynthesis, ButterworthRealSpaceCurves) {
  struct Case { double fc, n; int offset, y; };
  const Case cases[] = {
      {0.1, 8, 0, 164}, {0.1, 8, 7, 238}, {0.25, 8, 0, 65}, {0.25, 8, 3, 250}, {0.5, 2, 0, -21},
  };
  for (const Case& c : cases) {
    const Line R = cosineSynthesis64(mirroredButterworthLower32(c.fc, c.n));
    EXPECT_EQ(trunc(230 - 5 * R[static_cast<std::size_t>(c.offset)]), c.y) << c.fc << " " << c.n << " " << c.offset;
  }
  const Line R = cosineSynthesis64(mirroredButterworthLower32(0.1, 8));
  for (int j = 6; j <= 9; ++j) EXPECT_GT(trunc(230 - 5 * R[static_cast<std::size_t>(j)]), 230) << j;
  for (int j = 0; j <= 12; ++j) EXPECT_LE(trunc(230 - 5 * R[static_cast<std::size_t>(j)]), 238) << j;
}

TEST(CosineSynthesis, ButterworthFrequencyCurveOfTheFrequencyPage) {
  struct Case { int i, y; };
  const Case cases[] = {{0, 130}, {3, 130}, {5, 142}, {6, 167}, {7, 197}, {32, 229}};
  for (const Case& c : cases) EXPECT_EQ(trunc(230 - 100 * butterworth(c.i / 64.0, 0.1, 8)), c.y) << c.i;
}

// Frequency and real-space page, 3-tap kernel typed under "-1", "0", "1".
TEST(CosineSynthesis, ThreeTapKernelResponses) {
  struct Case { double am, a0, ap; int i, y; };
  const Case cases[] = {
      {1, 2, 1, 0, 130}, {1, 2, 1, 16, 180}, {1, 2, 1, 32, 229},
      {1, 1, 1, 0, 130}, {1, 1, 1, 21, 228}, {2, 3, 2, 21, 214},
  };
  for (const Case& c : cases) {
    Line K{};
    K[0] = c.a0;
    K[1] = c.am;
    K[63] = c.ap;
    const double sum = c.a0 + c.am + c.ap;
    for (double& v : K) v = v / sum;
    const Line C = cosineSynthesis64(K);
    EXPECT_EQ(trunc(230 - 100 * C[static_cast<std::size_t>(c.i)]), c.y) << c.am << c.a0 << c.ap << " i " << c.i;
  }
}

TEST(ButterworthKernel, CentreValuesAndSymmetry) {
  const Kernel g = butterworthKernel(0.25, 8);
  EXPECT_NEAR(kernelAt(g, 0), 0.5125, 5e-5);
  EXPECT_NEAR(kernelAt(g, 1), 0.2977, 5e-5);
  for (int k = 1; k <= 63; ++k) EXPECT_EQ(kernelAt(g, k), kernelAt(g, -k)) << k;
}

// Red smoothed waveform of the Butterworth-effect screens: y = trunc(100 - sm[j]).
TEST(ButterworthKernel, SmoothedWaveformOneRows) {
  const Line sm = convolve(testWaveform(1, 0), butterworthKernel(0.25, 8));
  struct Case { int sample, y; };
  const Case cases[] = {{23, 97}, {24, 97}, {25, 84}, {26, 60}, {27, 47}, {28, 47},
                        {39, 97}, {38, 97}, {37, 84}, {36, 60}, {35, 47}, {34, 47}};
  for (const Case& c : cases) EXPECT_EQ(trunc(100 - sm[static_cast<std::size_t>(c.sample)]), c.y) << c.sample;
  for (int s = 29; s <= 33; ++s) EXPECT_NEAR(100 - sm[static_cast<std::size_t>(s)], 50, 1.0) << s;
}

TEST(ButterworthKernel, SmoothingCalmsTheNoiseOnThePulse) {
  const Line w = testWaveform(1, 10);
  const Line sm = convolve(w, butterworthKernel(0.25, 8));
  const Kernel ramp = rampKernelTable();
  const Line blueRamp = convolve(w, ramp);
  const Line redRamp = convolve(sm, ramp);
  int blueLo = 1000, blueHi = -1000, redLo = 1000, redHi = -1000;
  for (int s = 27; s <= 35; ++s) {
    const auto i = static_cast<std::size_t>(s);
    const int y = trunc(100 - sm[i]);
    EXPECT_GE(y, 47) << s;
    EXPECT_LE(y, 50) << s;
    blueLo = std::min(blueLo, trunc(180 - 10 * blueRamp[i]));
    blueHi = std::max(blueHi, trunc(180 - 10 * blueRamp[i]));
    redLo = std::min(redLo, trunc(180 - 10 * redRamp[i]));
    redHi = std::max(redHi, trunc(180 - 10 * redRamp[i]));
  }
  EXPECT_NEAR(blueLo, 142, 2);
  EXPECT_NEAR(blueHi, 196, 2);
  EXPECT_NEAR(redLo, 152, 2);
  EXPECT_NEAR(redHi, 173, 2);
}

TEST(Wiener, KnownValues) {
  EXPECT_NEAR(wiener(1.0, 0.05, 1), 0.95238, 5e-6);  // f = 0
  const double top = wiener(std::sqrt(0.05), 0.05, 1);
  EXPECT_NEAR(top, 2.2361, 5e-5);
  for (double H : {0.1, 0.2, 0.3, 0.9}) EXPECT_LT(wiener(H, 0.05, 1), top) << H;
  EXPECT_NEAR(wiener(0.5, 0.1, 100), 100 * 0.5 / 0.35, 1e-9);
  // The Butterworth value scales the Wiener filter.
  EXPECT_NEAR(butterworthWiener(0.5, 0.1, 1.0, 100), wiener(0.5, 0.1, 100), 1e-12);
  EXPECT_NEAR(butterworthWiener(0.5, 0.1, 0.5, 1), 0.5 * wiener(0.5, 0.1, 1), 1e-12);
}

TEST(Wiener, VanishedBlurResponseGivesTheLimitZero) {
  for (double s : {1.0, 100.0}) {
    EXPECT_EQ(wiener(0.0, 0.05, s), 0.0);
    EXPECT_EQ(butterworthWiener(0.0, 0.05, 0.7, s), 0.0);
    // Subnormal H: s / H overflows, the limit form stays finite and near 0.
    const double tiny = 1e-310;
    EXPECT_TRUE(std::isfinite(wiener(tiny, 0.05, s)));
    EXPECT_GE(wiener(tiny, 0.05, s), 0.0);
    EXPECT_LT(wiener(tiny, 0.05, s), 1e-300);
    EXPECT_TRUE(std::isfinite(butterworthWiener(tiny, 0.05, 0.7, s)));
    EXPECT_LT(butterworthWiener(tiny, 0.05, 0.7, s), 1e-300);
  }
  for (double F = 20.0; F <= 40.0; F += 0.25)
    for (int i = 0; i <= 32; ++i) {
      const double H = gaussianAt(i, F);
      EXPECT_TRUE(std::isfinite(wiener(H, 0.05, 100))) << F << " " << i;
      EXPECT_TRUE(std::isfinite(butterworthWiener(H, 0.05, butterworthAt(i, 0.25, 4), 100))) << F << " " << i;
      EXPECT_TRUE(std::isfinite(H * objectSpectrumAt(i, 1) * wiener(H, 0.05, 1))) << F << " " << i;
    }
}

// The Wiener study with model 1, FWHM 3 and C = 0.1 (x = 6 i + 30, y = 230 - 100 v).
TEST(Wiener, StudyCurvesAndProfiles) {
  const double F = 3.0, C = 0.1;
  EXPECT_EQ(trunc(230 - wiener(gaussianAt(0, F), C, 100)), 139);
  int topI = 0, topY = 1000;
  for (int i = 0; i <= 32; ++i) {
    const int y = trunc(230 - wiener(gaussianAt(i, F), C, 100));
    if (y < topY) topY = y, topI = i;
    if (i >= 30) {
      EXPECT_EQ(y, 229) << i;
    }
  }
  EXPECT_EQ(6 * topI + 30, 102);
  EXPECT_EQ(topY, 71);

  std::array<double, 33> restored{}, restoredBw{};
  int firstFlat = -1;
  int bwTopI = 0, bwTopY = 1000;
  for (int i = 0; i <= 32; ++i) {
    const double H = gaussianAt(i, F);
    const double O = objectSpectrumAt(i, 1);
    const double B = butterworthAt(i, 0.25, 4);
    const int y = trunc(230 - (H * O) * wiener(H, C, 100));
    if (i == 0) {
      EXPECT_EQ(y, 139);
    }
    if (y == 229 && firstFlat < 0) firstFlat = i;
    const int bwY = trunc(230 - butterworthWiener(H, C, B, 100));
    if (bwY < bwTopY) bwTopY = bwY, bwTopI = i;
    restored[static_cast<std::size_t>(i)] = (H * O) * wiener(H, C, 1);
    restoredBw[static_cast<std::size_t>(i)] = (H * O) * butterworthWiener(H, C, B, 1);
  }
  EXPECT_EQ(6 * firstFlat + 30, 144);
  EXPECT_EQ(6 * bwTopI + 30, 90);
  EXPECT_EQ(bwTopY, 101);

  // Profiles: y = trunc(235 - 10 p[|j|]) at x = 10 j + 130.
  struct Case { int j, y, yBw; };
  const Case cases[] = {{0, 138, 144}, {1, 158, 161}, {4, 234, 234}};
  const auto p = cosineSynthesis33(restored);
  const auto pBw = cosineSynthesis33(restoredBw);
  for (const Case& c : cases) {
    EXPECT_EQ(trunc(235 - 10 * p[static_cast<std::size_t>(c.j)]), c.y) << c.j;
    EXPECT_EQ(trunc(235 - 10 * pBw[static_cast<std::size_t>(c.j)]), c.yBw) << c.j;
  }
  EXPECT_EQ(trunc(235 - 10 * p[5]), 231);
}

TEST(Collimator, PsfHasUnitAreaAndHalfHeightAtHalfWidth) {
  for (double w : {0.5, 1.0, 1.5}) {
    EXPECT_NEAR(gaussianPsfHeight(w), std::sqrt(2.773 / 3.141592) / w, 1e-12) << w;
  }
  // Over the plotted -63..63 / 32 cm the tails of these widths are negligible.
  for (double w : {0.5, 1.0}) {
    double area = 0.0;
    for (int i = -63; i <= 63; ++i) area += gaussianPsfHeight(w) * gaussianPsfShape(i, w) / 32;
    EXPECT_NEAR(area, 1.0, 1e-3) << w;
  }
  EXPECT_EQ(gaussianPsfShape(0, 1.0), 1.0);
  EXPECT_NEAR(gaussianPsfShape(16, 1.0), 0.5, 1e-4);   // x = w / 2
  EXPECT_NEAR(gaussianPsfShape(-32, 2.0), 0.5, 1e-4);
}

TEST(Collimator, MtfValues) {
  EXPECT_EQ(gaussianMtfAt(0, 1.0), 1.0);
  EXPECT_NEAR(gaussianMtfAt(16, 1.0), std::exp(-3.559 * 0.25), 1e-15);
  EXPECT_NEAR(gaussianMtfAt(32, 0.5), std::exp(-3.559 * 0.25), 1e-15);
  for (int i = 1; i < 64; ++i) EXPECT_LT(gaussianMtfAt(i, 1.5), gaussianMtfAt(i, 1.0)) << i;
}

TEST(Degrees, UsesTheProgramsFactor) {
  EXPECT_NEAR(degreesToRadians(90), 1.57075, 1e-12);
  EXPECT_GT(std::abs(degreesToRadians(90) - 1.5707963267948966), 4e-5);
  EXPECT_NEAR(degreesToRadians(180), 3.1415, 1e-12);
  EXPECT_EQ(degreesToRadians(0), 0.0);
  EXPECT_NEAR(degreesToRadians(-45), -45 * 3.1415 / 180, 1e-15);
}

}  // namespace
