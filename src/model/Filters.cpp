#include "model/Filters.h"

#include <cmath>

namespace lumo::model {

// Every expression below is written in the order it is evaluated; do not regroup or
// fold constants, the last bit of a value decides the pixel it is truncated to.

double gridFrequency(int i) { return static_cast<double>(i) * 10 / 640; }

double butterworth(double f, double fc, double n) {
  const double q = f / fc;
  return 1.0 / (std::pow(q, n) + 1.0);
}

double butterworthAt(int i, double fc, double n) { return butterworth(gridFrequency(i), fc, n); }

namespace {

double windowCosine(int i, double fc) {
  double t = static_cast<double>(i) * kPiWindow;
  t = t * 10;
  t = t / 640;
  t = t / fc;
  return std::cos(t);
}

// x * 10 / 640 applied twice with the index, as the Gaussian forms are written.
double gaussianExponent(double c, int i) {
  const double di = static_cast<double>(i);
  double t = c * di;
  t = t * 10;
  t = t / 640;
  t = t * di;
  t = t * 10;
  t = t / 640;
  return t / kFourLn2;
}

// The limit of the scaled Wiener forms where H has underflowed.
bool blurVanished(double H, double a) { return H == 0.0 || !std::isfinite(a); }

}  // namespace

double hanningAt(int i, double fc) { return windowCosine(i, fc) * 0.5 + 0.5; }

double hammingAt(int i, double fc) { return windowCosine(i, fc) * 0.46 + 0.54; }

double gaussianAt(int i, double F) {
  const double c = (-kPiSquaredGauss * F) * F;
  // A width so large that F * F overflows still passes f = 0 unchanged; elsewhere the
  // response is 0 (0 * infinity would make the first point NaN).
  if (i == 0 && !std::isfinite(c)) return 1.0;
  return std::exp(gaussianExponent(c, i));
}

double hanning(double f, double fc) {
  if (f > fc) return 0.0;
  return std::cos((f * kPiWindow) / fc) * 0.5 + 0.5;
}

double hamming(double f, double fc) {
  if (f > fc) return 0.0;
  return std::cos((f * kPiWindow) / fc) * 0.46 + 0.54;
}

double gaussian(double f, double F) {
  const double c = (-kPiSquaredGauss * F) * F;
  if (f == 0.0) return 1.0;
  return std::exp(((c * f) * f) / kFourLn2);
}

double sheppLoganSineAt(int i) {
  double t = static_cast<double>(i) * kPiKernel;
  t = t * 10;
  t = t / 640;
  return std::sin(t);
}

double sheppLoganPixelsAt(int i) { return sheppLoganSineAt(i) * kSheppLoganPixels; }

double sheppLoganTimesPixelsAt(int i, double P) {
  return sheppLoganSineAt(i) * (((P * 300) * 1.0) / kPiKernel);
}

double rampKernel(int k) {
  if (k == 0) return 0.25;
  if (k % 2 == 0) return 0.0;
  const double dk = static_cast<double>(k);
  return -1.0 / (((kPiKernel * kPiKernel) * dk) * dk);
}

double sheppLoganKernel(int k) {
  const int bracket = 1 - 4 * k * k;
  return 2.0 / ((kPiKernel * kPiKernel) * static_cast<double>(bracket));
}

namespace {

// Offsets 0..63 filled first, each copied to its negative offset.
template <typename F>
Kernel symmetricTable(F value) {
  Kernel h{};
  for (int k = 0; k <= 63; ++k) {
    const double v = value(k);
    h[static_cast<std::size_t>(63 + k)] = v;
    h[static_cast<std::size_t>(63 - k)] = v;
  }
  return h;
}

}  // namespace

Kernel rampKernelTable() { return symmetricTable(rampKernel); }

Kernel sheppLoganKernelTable() { return symmetricTable(sheppLoganKernel); }

Line convolve(const Line& v, const Kernel& h) {
  Line out{};
  for (int j = 0; j < 64; ++j) {
    double sum = 0.0;
    for (int k = 0; k < 64; ++k) sum += v[static_cast<std::size_t>(k)] * kernelAt(h, k - j);
    out[static_cast<std::size_t>(j)] = sum;
  }
  return out;
}

double objectSpectrumAt(int i, int model) {
  if (model == 1) return std::exp(gaussianExponent(kObject1, i));
  if (model == 2) return std::exp(gaussianExponent(kObject2, i));
  return 0.0;
}

double wiener(double H, double C, double s) {
  const double a = s / H;
  if (blurVanished(H, a)) return H == 0.0 ? 0.0 : (s * H) / (H * H + C);
  const double b = H * a;
  const double c = H * b;
  return c / (H * H + C);
}

double butterworthWiener(double H, double C, double B, double s) {
  const double a = (s * B) / H;
  if (blurVanished(H, a)) return H == 0.0 ? 0.0 : ((s * B) * H) / (H * H + C);
  const double b = H * a;
  const double c = H * b;
  return c / (H * H + C);
}

double gaussianPsfHeight(double w) { return std::sqrt(((kPsfNorm / w) * 1.0) / w); }

double gaussianPsfShape(int i, double w) {
  const double di = static_cast<double>(i);
  double t = di * -kFourLn2Cm;
  t = t / 32;
  t = t * di;
  t = t / 32;
  t = t * 1.0;
  t = t / w;
  t = t * 1.0;
  t = t / w;
  return std::exp(t);
}

double gaussianMtfAt(int i, double w) {
  const double di = static_cast<double>(i);
  double t = di * -kMtfFactor;
  t = t / 32;
  t = t * di;
  t = t / 32;
  t = t * w;
  t = t * w;
  return std::exp(t);
}

std::array<double, 33> cosineSynthesis33(const std::array<double, 33>& S) {
  std::array<double, 33> p{};
  for (int j = 0; j <= 32; ++j) {
    double sum = 0.0;
    for (int k = 0; k <= 32; ++k)
      sum += S[static_cast<std::size_t>(k)] * std::cos(static_cast<double>(j * k) * kSynthesisStep);
    p[static_cast<std::size_t>(j)] = sum;
  }
  return p;
}

Line cosineSynthesis64(const Line& S) {
  Line p{};
  for (int j = 0; j < 64; ++j) {
    double sum = 0.0;
    for (int k = 0; k < 64; ++k)
      sum += S[static_cast<std::size_t>(k)] * std::cos(static_cast<double>(j * k) * kSynthesisStep);
    p[static_cast<std::size_t>(j)] = sum;
  }
  return p;
}

Line cosineSynthesis64Normalised(const Line& S) {
  Line p{};
  for (int j = 0; j < 64; ++j) {
    double sum = 0.0;
    for (int k = 0; k < 64; ++k) {
      const double angle = ((static_cast<double>(k * j) * 2) * kPiKernel) / 64;
      sum += S[static_cast<std::size_t>(k)] * std::cos(angle);
    }
    p[static_cast<std::size_t>(j)] = sum / 64;
  }
  return p;
}

namespace {

Line mirroredButterworth(double fc, double n, int lastLower) {
  Line S{};
  for (int k = 0; k < 64; ++k) {
    const int m = k <= lastLower ? k : 64 - k;
    const double f = static_cast<double>(m) / 64.0;
    S[static_cast<std::size_t>(k)] = butterworth(f, fc, n);
  }
  return S;
}

}  // namespace

Line mirroredButterworthLower32(double fc, double n) { return mirroredButterworth(fc, n, 32); }

Line mirroredButterworthLower31(double fc, double n) { return mirroredButterworth(fc, n, 31); }

Kernel butterworthKernel(double fc, double n) {
  const Line g = cosineSynthesis64Normalised(mirroredButterworthLower31(fc, n));
  Kernel h{};
  for (int i = 0; i < 64; ++i) {
    h[static_cast<std::size_t>(63 + i)] = g[static_cast<std::size_t>(i)];
    h[static_cast<std::size_t>(63 - i)] = g[static_cast<std::size_t>(i)];
  }
  return h;
}

}  // namespace lumo::model
