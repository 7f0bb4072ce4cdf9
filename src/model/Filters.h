#pragma once
// The filter and response formulas of the program: pure functions of doubles, each with
// its own constants and in the evaluation order that decides the last bit of a value
// later truncated to a pixel. Variants stay variants: one constant or normalisation is
// never replaced by another.
//
// Who uses what:
//   CDialog15 (pre-filter characteristics)      butterworthAt, hanningAt, hammingAt, gaussianAt
//   CDialog16 (pre-filter x reconstruction)     the four above, sheppLoganSineAt and the two
//                                               Shepp-Logan pixel scalings
//   CDialog17 (Wiener study)                    gaussianAt (blur), objectSpectrumAt, butterworthAt,
//                                               wiener, butterworthWiener, cosineSynthesis33
//   CDialog11 (projection images, Butterworth)  butterworthAt with n = 8
//   CDialog5  (reconstruction filter)           rampKernelTable, convolve, testWaveform
//   CDialog13, CPageA3 (Butterworth effect)     rampKernelTable, sheppLoganKernelTable,
//                                               mirroredButterworthLower31 (f = k / 64.0),
//                                               cosineSynthesis64Normalised via butterworthKernel,
//                                               convolve, testWaveform
//   CPageA1 (collimator FWHM and MTF)           gaussianPsfHeight, gaussianPsfShape, gaussianMtfAt
//   CPageA2 (frequency and real space)          butterworth with f = i / 64,
//                                               mirroredButterworthLower32, cosineSynthesis64
//                                               (also on the 3-tap kernel array)
//   CDialog2, CDialog4, CDialog8, CPageA4       degreesToRadians
#include <array>
#include <cstddef>
#include <vector>

namespace lumo::model {

// The program's approximations, each used only by the formulas named beside it.
constexpr double kPiWindow = 3.1415927;                 // Hanning and Hamming windows
constexpr double kPiSquaredGauss = 9.86960469269329;    // Gaussian response
constexpr double kObject1 = -39.47841877077316;         // object spectrum model 1 (FWHM 2)
constexpr double kObject2 = -157.91367508309264;        // object spectrum model 2 (FWHM 4)
constexpr double kFourLn2 = 2.7724;                     // Gaussian response, object spectra
constexpr double kPiKernel = 3.141592;                  // Shepp-Logan, kernels, synthesis step
constexpr double kSheppLoganPixels = 95.49298572188877; // 300 / 3.141592
constexpr double kFourLn2Cm = 2.773;                    // Gaussian PSF
constexpr double kPsfNorm = 0.8826734980226586;         // 2.773 / 3.141592
constexpr double kMtfFactor = 3.559;                    // Gaussian MTF

// The characteristic plots' frequency grid: f_i = i * 10 / 640 cycles/pixel, i = 0..32
// (equal to i / 64 in double arithmetic).
double gridFrequency(int i);

// Butterworth response 1 / (1 + (f / fc)^n): q = f / fc, then 1 / (pow(q, n) + 1).
// The exponent is the order itself; any real order is accepted (n = 0 gives 0.5).
double butterworth(double f, double fc, double n);
// The same on the frequency grid: f = i * 10 / 640 first, then divided by fc.
double butterworthAt(int i, double fc, double n);
// Hanning and Hamming windows at grid index i (evaluated from i, as the plots do):
// cos(((i * 3.1415927) * 10) / 640 / fc) * 0.5 + 0.5, resp. * 0.46 + 0.54.
// Defined for f <= fc only; the caller stops at the last i with i <= 64 * fc.
double hanningAt(int i, double fc);
double hammingAt(int i, double fc);
// The same three at any frequency f in cycles/pixel (the reconstruction lab's filters):
// hanning cos((f * 3.1415927) / fc) * 0.5 + 0.5 and hamming * 0.46 + 0.54, both 0 above fc;
// gaussian exp((((-9.86960469269329 * F) * F) * f) * f / 2.7724).
double hanning(double f, double fc);
double hamming(double f, double fc);
double gaussian(double f, double F);
// Gaussian response of a blur of FWHM F pixels at grid index i:
// exp((((-9.86960469269329 * F) * F) * i * 10 / 640) * i * 10 / 640 / 2.7724), left to right.
double gaussianAt(int i, double F);
// Shepp-Logan sine at grid index i: sin(((i * 3.141592) * 10) / 640).
double sheppLoganSineAt(int i);
// The Shepp-Logan filter in pixels at 300 per unit: sine * 95.49298572188877, and times a
// pre-filter value P: sine * (((P * 300) * 1.0) / 3.141592).
double sheppLoganPixelsAt(int i);
double sheppLoganTimesPixelsAt(int i, double P);

// Real-space kernels over offsets -63..63, stored at index k + 63.
using Kernel = std::array<double, 127>;
// h(0) = 0.25, 0 at even offsets, -1.0 / (((3.141592 * 3.141592) * k) * k) at odd ones.
double rampKernel(int k);
// 2.0 / ((3.141592 * 3.141592) * (1 - 4k^2)), the bracket in integer arithmetic.
double sheppLoganKernel(int k);
Kernel rampKernelTable();
Kernel sheppLoganKernelTable();
inline double kernelAt(const Kernel& h, int k) { return h[static_cast<std::size_t>(k + 63)]; }

// out[j] = sum over k = 0..63 of v[k] * h(k - j), in increasing k; the line is not extended.
using Line = std::array<double, 64>;
Line convolve(const Line& v, const Kernel& h);

// Object spectra of the Wiener study at grid index i: model 1 (FWHM 2) and model 2 (FWHM 4):
// exp((((i * c) * 10) / 640 * i * 10) / 640 / 2.7724). Any other model number gives 0.
double objectSpectrumAt(int i, int model);
// Wiener filter scaled by s: a = s / H; b = H * a; c = H * b; c / (H * H + C).
// Where the blur response has underflowed (H = 0, or so small that s / H overflows) the
// filter takes its limit s * H / (H * H + C), which is 0 for H = 0: never inf or NaN.
double wiener(double H, double C, double s);
// Butterworth-Wiener: a = (s * B) / H; b = H * a; c = H * b; c / (H * H + C); the same
// limit where H underflows.
double butterworthWiener(double H, double C, double B, double s);

// Collimator line spread and MTF (x = i / 32 cm, f = i / 32 cycles/cm, w in cm).
// Height sqrt(((0.8826734980226586 / w) * 1.0) / w).
double gaussianPsfHeight(double w);
// Shape exp(((((i * -2.773) / 32) * i) / 32 * 1.0) / w * 1.0 / w).
double gaussianPsfShape(int i, double w);
// MTF exp(((((i * -3.559) / 32) * i) / 32 * w) * w).
double gaussianMtfAt(int i, double w);

// Cosine syntheses p[j] = sum over k of S[k] * cos((j * k) * step), accumulated in k order,
// the product j * k formed as an integer.
constexpr double kSynthesisStep = 0.09817475;
// 33 terms k = 0..32, profile j = 0..32, step 0.09817475, no normalisation (CDialog17).
std::array<double, 33> cosineSynthesis33(const std::array<double, 33>& S);
// 64 terms of a mirrored spectrum, profile j = 0..63, step 0.09817475, no normalisation
// (CPageA2, for the Butterworth spectrum and for its 3-tap kernel array).
Line cosineSynthesis64(const Line& S);
// 64 terms, angle ((j * k) * 2 * 3.141592) / 64, the sum divided by 64 (CDialog13, CPageA3).
Line cosineSynthesis64Normalised(const Line& S);

// Mirrored Butterworth spectra for a 64-sample line: entry k holds B at k / 64 for the
// lower half and at (64 - k) / 64 for the upper half; f is formed as k (or 64 - k)
// divided by 64.0 and then by fc.
Line mirroredButterworthLower32(double fc, double n);  // split 0..32 / 33..63 (CPageA2)
Line mirroredButterworthLower31(double fc, double n);  // split 0..31 / 32..63 (CDialog13, CPageA3)

// The real-space Butterworth kernel of CDialog13 and CPageA3: the normalised synthesis of
// the 0..31 / 32..63 mirrored spectrum, extended to negative offsets by symmetry.
Kernel butterworthKernel(double fc, double n);

// Degrees to radians with the program's factor 3.1415 / 180.
constexpr double kDegreeFactor = 0.01745277777777778;
inline double degreesToRadians(int a) { return a * kDegreeFactor; }

}  // namespace lumo::model
