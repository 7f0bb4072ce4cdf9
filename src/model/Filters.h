#pragma once
// The filter and response formulas of the program: pure functions of doubles, each with
// its own constants and in the evaluation order that decides the last bit of a value
// later truncated to a pixel. Variants stay variants: one constant or normalisation is
// never replaced by another.
#include <array>
#include <vector>

namespace lumo::model {

// The characteristic plots' frequency grid: f_i = i * 10 / 640 cycles/pixel, i = 0..32.
double gridFrequency(int i);

// Butterworth response 1 / (1 + (f / fc)^n): q = f / fc, then 1 / (pow(q, n) + 1).
double butterworth(double f, double fc, double n);
// Hanning and Hamming windows at grid index i (evaluated from i, as the plots do);
// defined for f <= fc only.
double hanningAt(int i, double fc);
double hammingAt(int i, double fc);
// Gaussian response of a blur of FWHM F pixels at grid index i.
double gaussianAt(int i, double F);
// Shepp-Logan sine at grid index i: sin(((i * 3.141592) * 10) / 640).
double sheppLoganSineAt(int i);

// Real-space kernels over offsets -63..63, stored at index k + 63.
using Kernel = std::array<double, 127>;
double rampKernel(int k);
double sheppLoganKernel(int k);
Kernel rampKernelTable();
Kernel sheppLoganKernelTable();
inline double kernelAt(const Kernel& h, int k) { return h[static_cast<std::size_t>(k + 63)]; }

// out[j] = sum over k = 0..63 of v[k] * h(k - j), in increasing k; the line is not extended.
using Line = std::array<double, 64>;
Line convolve(const Line& v, const Kernel& h);

// Object spectra of the Wiener study at grid index i: model 1 (FWHM 2) and model 2 (FWHM 4).
double objectSpectrumAt(int i, int model);
// Wiener filter scaled by s: a = s / H; b = H * a; c = H * b; c / (H * H + C).
// Where H is 0 (the blur response underflowed) the filter takes its limit 0.
double wiener(double H, double C, double s);
// Butterworth-Wiener: a = (s * B) / H; b = H * a; c = H * b; c / (H * H + C); 0 where H is 0.
double butterworthWiener(double H, double C, double B, double s);

// Collimator line spread and MTF (x = i / 32 cm, f = i / 32 cycles/cm, w in cm).
double gaussianPsfHeight(double w);
double gaussianPsfShape(int i, double w);
double gaussianMtfAt(int i, double w);

// Cosine syntheses p[j] = sum over k of S[k] * cos((j * k) * step), accumulated in k order.
constexpr double kSynthesisStep = 0.09817475;
// 33 terms k = 0..32, profile j = 0..32, no normalisation.
std::array<double, 33> cosineSynthesis33(const std::array<double, 33>& S);
// 64 terms of a mirrored spectrum, profile j = 0..63, no normalisation.
Line cosineSynthesis64(const Line& S);
// 64 terms, step 2 * 3.141592 / 64, the sum divided by 64.
Line cosineSynthesis64Normalised(const Line& S);

// Mirrored Butterworth spectra for a 64-sample line: entry k holds B at k / 64 for the
// lower half and at (64 - k) / 64 for the upper half.
Line mirroredButterworthLower32(double fc, double n);  // split 0..32 / 33..63
Line mirroredButterworthLower31(double fc, double n);  // split 0..31 / 32..63

// The real-space Butterworth kernel: the normalised synthesis, extended to negative
// offsets by symmetry.
Kernel butterworthKernel(double fc, double n);

// Degrees to radians with the program's factor 3.1415 / 180.
constexpr double kDegreeFactor = 0.01745277777777778;
inline double degreesToRadians(int a) { return a * kDegreeFactor; }

}  // namespace lumo::model
