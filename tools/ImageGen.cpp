#include "ImageGen.h"

#include "model/ClinicalRainbow.h"
#include "model/Filters.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <stdexcept>

namespace lumo::tools {

namespace {

// ---------------------------------------------------------------------------------------
// Colour tables

constexpr std::array<Rgb, 112> kNamedColours = {{
#include "NamedColours.inc"
}};

// ---------------------------------------------------------------------------------------
// Random numbers: splitmix64 and a Poisson sampler by products of uniforms.

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  // A Poisson variate of mean `mean`. Large means are split into parts of at most 64
  // (a sum of independent Poisson variates is Poisson of the summed mean), so the product
  // of uniforms never comes near underflow.
  int poisson(double mean) {
    int count = 0;
    while (mean > 0) {
      const double part = std::min(mean, 64.0);
      mean -= part;
      const double limit = std::exp(-part);
      double product = uniform();
      while (product > limit) {
        ++count;
        product *= uniform();
      }
    }
    return count;
  }

 private:
  std::uint64_t state_;
};

// ---------------------------------------------------------------------------------------
// The phantom: a head of 128^3 voxels of 2 mm. x runs from the patient's right to left,
// y from front (face) to back, z from feet to crown; voxel (i, j, k) has column i, row j of
// a transverse slice and row k of a projection (k = 0 at the top).

constexpr int N = 128;
constexpr int M = N / 2;  // the acquisition matrix: 64 x 64 pixels of 4 mm
constexpr double kVoxelMm = 2.0;
constexpr double kZCentreMm = 28.0;         // z of the volume's centre
constexpr double kMuPerMm = 0.015;          // 0.15 per cm, soft tissue at 140 keV
constexpr double kOrbitMm = 160.0;          // radius of rotation of the collimator face
constexpr int kAngles = 60;                 // 6-degree steps over 360 degrees
constexpr int kSliceRow = 35;               // transverse slice through the basal ganglia
constexpr double kCountsPerView = 20000.0;  // mean total counts of one projection

double voxelX(int i) { return (i - 63.5) * kVoxelMm; }
double voxelY(int j) { return (j - 63.5) * kVoxelMm; }
double voxelZ(int k) { return (63.5 - k) * kVoxelMm + kZCentreMm; }

// Squared normalised radius of (x, y, z) in an axis-aligned ellipsoid.
double ell(double x, double y, double z, double cx, double cy, double cz, double ax, double ay,
           double az) {
  const double u = (x - cx) / ax, v = (y - cy) / ay, w = (z - cz) / az;
  return u * u + v * v + w * w;
}

// Approximate distance (mm) from an inside point to the ellipsoid's surface: the
// normalised radius's shortfall divided by its gradient, exact at the surface.
double depthIn(double x, double y, double z, double cx, double cy, double cz, double ax, double ay, double az) {
  const double u = (x - cx) / ax, v = (y - cy) / ay, w = (z - cz) / az;
  const double s = u * u + v * v + w * w;
  const double gx = 2 * u / ax, gy = 2 * v / ay, gz = 2 * w / az;
  const double g = std::sqrt(gx * gx + gy * gy + gz * gz);
  return g > 0 ? (1 - s) / g : 1e9;
}

struct Voxel {
  float activity;
  float mu;  // attenuation per voxel length
};

// Deep grey matter and the ventricles, mirrored about the midline.
double deepStructure(double x, double y, double z, bool& found) {
  const double ax = std::fabs(x);
  found = true;
  // Ventricles: frontal horns, bodies, occipital horns and the third ventricle.
  if (ell(ax, y, z, 10, -22, 22, 6, 13, 10) < 1) return 0.0;
  if (ell(ax, y, z, 11, 0, 32, 6, 30, 8) < 1) return 0.0;
  if (ell(ax, y, z, 19, 34, 22, 5, 13, 8) < 1) return 0.0;
  if (ell(x, y, z, 0, 6, 10, 2.5, 14, 11) < 1) return 0.0;
  // Caudate heads beside the frontal horns, putamina, thalami.
  if (ell(ax, y, z, 19, -18, 20, 6, 11, 10) < 1) return 1.05;
  if (ell(ax, y, z, 28, -2, 12, 6, 17, 11) < 1) return 1.05;
  if (ell(ax, y, z, 10, 15, 12, 8, 12, 9) < 1) return 1.0;
  found = false;
  return 0.0;
}

// A network of narrow grooves for the sulci: 1 on the zero set of a smooth wavy field,
// falling to 0 within a couple of millimetres of it.
double sulcus(double x, double y, double z) {
  const double g = std::sin(0.23 * x + 1.3 * std::sin(0.07 * y + 0.05 * z)) +
                   std::sin(0.19 * y + 1.1 * std::sin(0.08 * z + 0.03 * x)) +
                   std::sin(0.21 * z + 1.2 * std::sin(0.06 * x + 0.04 * y));
  return std::max(0.0, 1.0 - std::fabs(g) / 0.35);
}

Voxel phantomAt(double x, double y, double z) {
  const double head = ell(x, y, z, 0, 5, 12, 80, 98, 92);
  const bool neck = z < -20 && ell(x, y, 0, 0, 22, 0, 52, 58, 1) < 1;
  if (head >= 1 && !neck) return {0.0f, 0.0f};
  const float mu = static_cast<float>(kMuPerMm * kVoxelMm);
  auto v = [mu](double a) { return Voxel{static_cast<float>(a), mu}; };

  // Cerebellum: a cortex of high uptake round a lower core.
  const double cb = ell(x, y, z, 0, 48, -42, 50, 30, 22);
  if (cb < 1) return v(depthIn(x, y, z, 0, 48, -42, 50, 30, 22) < 5 ? 0.85 : 0.3);
  // Brain stem.
  if (z > -110 && z < -8 && ell(x, y, 0, 0, 22, 0, 11, 13, 1) < 1) return v(0.45);

  const double cerebrum = ell(x, y, z, 0, 2, 28, 66, 84, 64);
  const bool tentorium = ell(x, y, z, 0, 48, -42, 55, 35, 27) < 1;
  if (cerebrum < 1 && !tentorium) {
    bool deep = false;
    const double d = deepStructure(x, y, z, deep);
    if (deep) return v(d);
    // Depth below the cortical surface, the medial surface included where the two
    // hemispheres face each other (above the corpus callosum, and in front and behind).
    double depth = depthIn(x, y, z, 0, 2, 28, 66, 84, 64);
    if (z > 40 || std::fabs(y - 2) > 34) depth = std::min(depth, std::fabs(x) - 1.2);
    if (depth < 0) return v(0.0);  // interhemispheric fissure
    const double fold = 11 * sulcus(x, y, z);
    if (depth < fold) return v(0.0);         // cerebrospinal fluid in a sulcus
    if (depth < fold + 5.5) return v(1.0);   // the cortical ribbon
    return v(0.25);                          // white matter
  }
  // Outside the brain: scalp and soft tissue take up a little, the skull almost nothing.
  if (head >= 1 || z < -15 || depthIn(x, y, z, 0, 5, 12, 80, 98, 92) < 5) return v(0.12);
  return v(0.04);
}

std::vector<Voxel> buildPhantom() {
  std::vector<Voxel> vol(static_cast<std::size_t>(N) * N * N);
  for (int k = 0; k < N; ++k)
    for (int j = 0; j < N; ++j)
      for (int i = 0; i < N; ++i)
        vol[(static_cast<std::size_t>(k) * N + j) * N + i] = phantomAt(voxelX(i), voxelY(j), voxelZ(k));
  return vol;
}

// ---------------------------------------------------------------------------------------
// Acquisition: for each view the volume is resampled along the rays of a parallel-hole
// collimator, attenuated on the way to the detector, blurred with the collimator's
// depth-dependent response (in eight depth bands) and summed.

using Image = std::vector<double>;  // square, row-major, row = z (top first), column = u

std::vector<double> gaussianWeights(double sigma) {
  const int r = static_cast<int>(std::ceil(3 * sigma));
  std::vector<double> w(static_cast<std::size_t>(2 * r + 1));
  double sum = 0;
  for (int t = -r; t <= r; ++t) sum += w[static_cast<std::size_t>(t + r)] = std::exp(-0.5 * t * t / (sigma * sigma));
  for (double& x : w) x /= sum;
  return w;
}

void blur2d(Image& img, const std::vector<double>& w) {
  const int r = static_cast<int>(w.size() / 2);
  Image tmp(img.size(), 0.0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      double s = 0;
      for (int t = -r; t <= r; ++t) {
        const int xx = x + t;
        if (xx >= 0 && xx < N) s += w[static_cast<std::size_t>(t + r)] * img[static_cast<std::size_t>(y * N + xx)];
      }
      tmp[static_cast<std::size_t>(y * N + x)] = s;
    }
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      double s = 0;
      for (int t = -r; t <= r; ++t) {
        const int yy = y + t;
        if (yy >= 0 && yy < N) s += w[static_cast<std::size_t>(t + r)] * tmp[static_cast<std::size_t>(yy * N + x)];
      }
      img[static_cast<std::size_t>(y * N + x)] = s;
    }
}

// Collimator and camera resolution (FWHM, mm) at a distance from the collimator face.
double systemFwhmMm(double distanceMm) {
  const double geometric = 0.05 * distanceMm + 1.0;
  return std::sqrt(3.6 * 3.6 + geometric * geometric);
}

Image project(const std::vector<Voxel>& vol, double thetaDeg) {
  constexpr int kBands = 8;
  constexpr int kBandDepth = N / kBands;
  const double th = thetaDeg * 3.14159265358979323846 / 180;
  const double eux = std::cos(th), euy = std::sin(th);  // along the detector row
  const double nx = std::sin(th), ny = -std::cos(th);   // towards the camera

  // Bilinear sampling positions of ray u at depth v, the same for every z.
  struct Tap {
    int base;  // index of the lower-left voxel in a slice, -1 outside
    float wx, wy;
  };
  std::vector<Tap> taps(static_cast<std::size_t>(N) * N);
  for (int iu = 0; iu < N; ++iu)
    for (int iv = 0; iv < N; ++iv) {
      const double u = iu - 63.5, v = iv - 63.5;
      const double fi = u * eux + v * nx + 63.5, fj = u * euy + v * ny + 63.5;
      Tap t{-1, 0, 0};
      if (fi >= 0 && fj >= 0 && fi < N - 1 && fj < N - 1) {
        const int i0 = static_cast<int>(fi), j0 = static_cast<int>(fj);
        t = {j0 * N + i0, static_cast<float>(fi - i0), static_cast<float>(fj - j0)};
      }
      taps[static_cast<std::size_t>(iu * N + iv)] = t;
    }

  std::vector<Image> bands(kBands, Image(static_cast<std::size_t>(N) * N, 0.0));
  for (int k = 0; k < N; ++k) {
    const Voxel* slice = vol.data() + static_cast<std::size_t>(k) * N * N;
    for (int iu = 0; iu < N; ++iu) {
      double transmitted = 1.0;
      for (int iv = N - 1; iv >= 0; --iv) {
        const Tap& t = taps[static_cast<std::size_t>(iu * N + iv)];
        if (t.base < 0) continue;
        const Voxel* p = slice + t.base;
        const double w00 = (1 - t.wx) * (1 - t.wy), w10 = t.wx * (1 - t.wy);
        const double w01 = (1 - t.wx) * t.wy, w11 = t.wx * t.wy;
        const double a = w00 * p[0].activity + w10 * p[1].activity + w01 * p[N].activity + w11 * p[N + 1].activity;
        const double m = w00 * p[0].mu + w10 * p[1].mu + w01 * p[N].mu + w11 * p[N + 1].mu;
        // Emission from the middle of the voxel, then the whole voxel's attenuation
        // (exp(-m) to third order; m is at most 0.03).
        const double half = 1 - 0.5 * m + 0.125 * m * m;
        bands[static_cast<std::size_t>(iv / kBandDepth)][static_cast<std::size_t>(k * N + iu)] += a * transmitted * half;
        transmitted *= 1 - m + m * m / 2 - m * m * m / 6;
      }
    }
  }
  Image sum(static_cast<std::size_t>(N) * N, 0.0);
  for (int b = 0; b < kBands; ++b) {
    const double depthMm = (b * kBandDepth + (kBandDepth - 1) / 2.0 - 63.5) * kVoxelMm;
    const double sigmaPx = systemFwhmMm(kOrbitMm - depthMm) / 2.3548 / kVoxelMm;
    blur2d(bands[static_cast<std::size_t>(b)], gaussianWeights(sigmaPx));
    for (std::size_t q = 0; q < sum.size(); ++q) sum[q] += bands[static_cast<std::size_t>(b)][q];
  }
  return sum;
}

// The camera's 64 x 64 matrix: 2 x 2 blocks of the fine projection added together.
Image binToMatrix(const Image& fine) {
  Image m(static_cast<std::size_t>(M) * M, 0.0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) m[static_cast<std::size_t>((y / 2) * M + x / 2)] += fine[static_cast<std::size_t>(y * N + x)];
  return m;
}

// ---------------------------------------------------------------------------------------
// Butterworth smoothing of a projection in two dimensions, by a radix-2 FFT of the
// projection padded to 256 rows (so the neck at the bottom does not wrap onto the crown).

using Complex = std::complex<double>;

void fft(std::vector<Complex>& a, bool inverse) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double ang = 2 * 3.14159265358979323846 / static_cast<double>(len) * (inverse ? 1 : -1);
    const Complex wl(std::cos(ang), std::sin(ang));
    for (std::size_t i = 0; i < n; i += len) {
      Complex w(1);
      for (std::size_t j = 0; j < len / 2; ++j) {
        const Complex u = a[i + j], v = a[i + j + len / 2] * w;
        a[i + j] = u + v;
        a[i + j + len / 2] = u - v;
        w *= wl;
      }
    }
  }
  if (inverse)
    for (Complex& c : a) c /= static_cast<double>(n);
}

constexpr int kPadRows = 2 * M;

// The 2-D spectrum of a projection: kPadRows x M, row-major.
std::vector<Complex> spectrum(const Image& img) {
  std::vector<Complex> s(static_cast<std::size_t>(kPadRows) * M, Complex(0));
  std::vector<Complex> line(M);
  for (int y = 0; y < M; ++y) {
    for (int x = 0; x < M; ++x) line[static_cast<std::size_t>(x)] = img[static_cast<std::size_t>(y * M + x)];
    fft(line, false);
    std::copy(line.begin(), line.end(), s.begin() + static_cast<std::ptrdiff_t>(y) * M);
  }
  std::vector<Complex> col(kPadRows);
  for (int x = 0; x < M; ++x) {
    for (int y = 0; y < kPadRows; ++y) col[static_cast<std::size_t>(y)] = s[static_cast<std::size_t>(y * M + x)];
    fft(col, false);
    for (int y = 0; y < kPadRows; ++y) s[static_cast<std::size_t>(y * M + x)] = col[static_cast<std::size_t>(y)];
  }
  return s;
}

// Butterworth response of order 8 over the padded spectrum, radial frequency in
// cycles/pixel.
std::vector<double> butterworthGain(double fc) {
  std::vector<double> g(static_cast<std::size_t>(kPadRows) * M);
  for (int y = 0; y < kPadRows; ++y)
    for (int x = 0; x < M; ++x) {
      const double fy = static_cast<double>(y <= kPadRows / 2 ? y : y - kPadRows) / kPadRows;
      const double fx = static_cast<double>(x <= M / 2 ? x : x - M) / M;
      g[static_cast<std::size_t>(y * M + x)] = lumo::model::butterworth(std::sqrt(fx * fx + fy * fy), fc, 8);
    }
  return g;
}

Image smooth(const std::vector<Complex>& s, const std::vector<double>& gain) {
  std::vector<Complex> f(s.size());
  for (std::size_t q = 0; q < s.size(); ++q) f[q] = s[q] * gain[q];
  std::vector<Complex> col(kPadRows);
  for (int x = 0; x < M; ++x) {
    for (int y = 0; y < kPadRows; ++y) col[static_cast<std::size_t>(y)] = f[static_cast<std::size_t>(y * M + x)];
    fft(col, true);
    for (int y = 0; y < kPadRows; ++y) f[static_cast<std::size_t>(y * M + x)] = col[static_cast<std::size_t>(y)];
  }
  Image out(static_cast<std::size_t>(M) * M);
  std::vector<Complex> line(M);
  for (int y = 0; y < M; ++y) {
    std::copy(f.begin() + static_cast<std::ptrdiff_t>(y) * M, f.begin() + static_cast<std::ptrdiff_t>(y + 1) * M, line.begin());
    fft(line, true);
    for (int x = 0; x < M; ++x) out[static_cast<std::size_t>(y * M + x)] = line[static_cast<std::size_t>(x)].real();
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Filtered back-projection of one transverse slice with the program's Ramp kernel.

Image reconstructSlice(const std::vector<std::vector<double>>& rows) {
  const lumo::model::Kernel h = lumo::model::rampKernelTable();
  Image slice(static_cast<std::size_t>(M) * M, 0.0);
  const int views = static_cast<int>(rows.size());
  for (int a = 0; a < views; ++a) {
    const std::vector<double>& p = rows[static_cast<std::size_t>(a)];
    std::vector<double> q(M, 0.0);
    for (int u = 0; u < M; ++u) {
      double s = 0;
      for (int t = std::max(0, u - 63); t <= std::min(M - 1, u + 63); ++t)
        s += p[static_cast<std::size_t>(t)] * lumo::model::kernelAt(h, u - t);
      q[static_cast<std::size_t>(u)] = s;
    }
    const double th = a * 360.0 / views * 3.14159265358979323846 / 180;
    const double c = std::cos(th), sn = std::sin(th);
    for (int j = 0; j < M; ++j)
      for (int i = 0; i < M; ++i) {
        const double t = (i - 31.5) * c + (j - 31.5) * sn + 31.5;
        if (t < 0 || t >= M - 1) continue;
        const int t0 = static_cast<int>(t);
        const double w = t - t0;
        slice[static_cast<std::size_t>(j * M + i)] += (1 - w) * q[static_cast<std::size_t>(t0)] + w * q[static_cast<std::size_t>(t0 + 1)];
      }
  }
  // Nothing is reconstructed outside the circle every view covers.
  for (int j = 0; j < M; ++j)
    for (int i = 0; i < M; ++i) {
      const double x = i - 31.5, y = j - 31.5;
      if (x * x + y * y > 31.0 * 31.0) slice[static_cast<std::size_t>(j * M + i)] = 0;
    }
  const double scale = 3.14159265358979323846 / views;
  for (double& v : slice) v *= scale;
  return slice;
}

// ---------------------------------------------------------------------------------------
// Display: a matrix placed in a bitmap with its centre at (cx, cy) and `zoom` bitmap pixels
// per matrix pixel. Magnification replicates matrix pixels, as a nuclear-medicine display
// does; reduction averages the matrix pixels under each bitmap pixel. Counts map onto the
// scale 127..254 (the maximum at 254); no counts, and everything outside the matrix, is the
// navy background.

// Below this fraction of the maximum a pixel shows as empty background: it removes the
// faint ripples the smoothing and the reconstruction leave in empty air.
constexpr double kEmptyFraction = 0.005;

IndexedImage render(const Image& m, int width, int height, double cx, double cy, double zoom, double vmax) {
  IndexedImage out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, kBackgroundIndex)};
  const int sub = zoom >= 1 ? 1 : 3;
  for (int by = 0; by < height; ++by)
    for (int bx = 0; bx < width; ++bx) {
      double sum = 0;
      int inside = 0;
      for (int sy = 0; sy < sub; ++sy)
        for (int sx = 0; sx < sub; ++sx) {
          const double px = bx + (sx + 0.5) / sub, py = by + (sy + 0.5) / sub;
          const double mx = std::floor((px - cx) / zoom + M / 2.0), my = std::floor((py - cy) / zoom + M / 2.0);
          if (mx < 0 || my < 0 || mx >= M || my >= M) continue;
          sum += m[static_cast<std::size_t>(static_cast<int>(my) * M + static_cast<int>(mx))];
          ++inside;
        }
      if (inside == 0) continue;
      const double v = sum / (sub * sub);
      if (v < kEmptyFraction * vmax) continue;
      const int level = std::min(127, static_cast<int>(v / vmax * 128));
      out.pixels[static_cast<std::size_t>(by * width + bx)] = static_cast<std::uint8_t>(kScaleLow + level);
    }
  return out;
}

double maxOf(const Image& m) { return *std::max_element(m.begin(), m.end()); }

// Corner labels of the projection series: 5 x 9 glyphs.
const char* glyph(char c) {
  switch (c) {
    case 'A': return "..#...#.#.#...##...#######...##...##...##...#";
    case '1': return "..#...##..#.#....#....#....#....#....#..#####";
    case '2': return ".###.#...#....#....#...#...#...#...#....#####";
    case '3': return ".###.#...#....#....#.###.....#....##...#.###.";
    case '4': return "...#...##..#.#.#..#.#..#.#####...#....#....#.";
    case '5': return "######....#....####.....#....#....##...#.###.";
    default: return nullptr;
  }
}

void drawLabel(IndexedImage& img, const std::string& text, int left, int top) {
  int x0 = left;
  for (char c : text) {
    const char* g = glyph(c);
    for (int r = 0; r < 9; ++r)
      for (int col = 0; col < 5; ++col)
        if (g[r * 5 + col] == '#')
          img.pixels[static_cast<std::size_t>((top + r) * img.width + x0 + col)] = kLabelIndex;
    x0 += 6;
  }
}

// ---------------------------------------------------------------------------------------
// The toolbar strip: eight 16 x 15 buttons drawn in the 16 standard colours.

IndexedImage toolbarStrip() {
  // k black, m maroon, o olive, n navy, s silver, g grey, r red, y yellow, b blue,
  // c cyan, w white; '.' is the button face (silver).
  static const char* const kIcons[8][15] = {
      {// new
       "................", "...kkkkkkk......", "...kwwwwwkk.....", "...kwwwwwkwk....",
       "...kwwwwwkkkk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...",
       "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...",
       "...kwwwwwwwwk...", "...kkkkkkkkkk...", "................"},
      {// open
       "................", "................", "..........kkk...", ".........k...k.k",
       "..............kk", ".kkk.........kkk", "kyyykkkkkkk.....", "kywyywyywyk.....",
       "kwyykkkkkkkkkkk.", "kyykoooooooooook", "kywkooooooooook.", "kykooooooooook..",
       "kkooooooooook...", "kkkkkkkkkkkk....", "................"},
      {// save
       "................", ".kkkkkkkkkkkkkk.", ".kndwwwwwwwwdnk.", ".knnwwwwwwwwnnk.",
       ".knnwwwwwwwwnnk.", ".knnwwwwwwwwnnk.", ".knnnnnnnnnnnnk.", ".knnnnnnnnnnnnk.",
       ".knnnssssssnnnk.", ".knnnssssssnnnk.", ".knnnsnnsssnnnk.", ".knnnsnnsssnnnk.",
       "..knnssssssnnnk.", "...kkkkkkkkkkkk.", "................"},
      {// cut
       "................", "....k.....k.....", "....k.....k.....", "....k.....k.....",
       "....kk...kk.....", ".....k...k......", ".....kk.kk......", "......kkk.......",
       ".......k........", "......bkb.......", "....bbb.bbb.....", "...b..b.b..b....",
       "...b..b.b..b....", "...b..b.b..b....", "....bb...bb....."},
      {// copy
       "................", "kkkkkk..........", "kwwwwkk.........", "kwkkwkwk........",
       "kwwwwkkkkkk.....", "kwkkkknwwwnn....", "kwwwwknwkwnwn...", "kwkkkknwwwnnnn..",
       "kwwwwknwkkkwwn..", "kkkkkknwwwwwwn..", "......nwkkkkwn..", "......nwwwwwwn..",
       "......nwkkkkwn..", "......nwwwwwwn..", "......nnnnnnnn.."},
      {// paste
       "................", ".....kkkk.......", ".kkkky..ykkkk...", "koookkkkkkooook.",
       "kooookkkkooooook", "kooooooooooooook", "koooonnnnnnnnoo.", "koooonwwwwwnwn..",
       "koooonwkkkwnwwn.", "koooonwwwwwnnnnn", "koooonwkkkkkwwn.", "koooonwwwwwwwwn.",
       ".kkkknwkkkkkkwn.", ".....nwwwwwwwwn.", ".....nnnnnnnnnn."},
      {// print
       "................", "....kkkkkkkkk...", "...kwwwwwwwwk...", "...kwkkkkkkwk...",
       "...kwwwwwwwwk...", ".kkkkkkkkkkkkkk.", "kssssssssssssssk", "ksssssssssssyysk",
       "kssssssssssssssk", "kkkkkkkkkkkkkkkk", "ksssssssssssssk.", ".kwwwwwwwwwwwk..",
       "..kwkkkkkkkwk...", "..kwwwwwwwwwk...", "...kkkkkkkkkk..."},
      {// about (help)
       "................", ".....nnnnnn.....", "....nnbbbbnn....", "...nnb....bnn...",
       "...nnb....bnn...", "..........bnn...", ".........bnn....", "........bnn.....",
       ".......bnn......", ".......bnn......", ".......bnn......", "................",
       ".......bnn......", ".......bnn......", "................"},
  };
  auto colour = [](char c) -> std::uint8_t {
    switch (c) {
      case 'k': return 0;
      case 'm': return 1;
      case 'o': return 3;
      case 'n': return 4;
      case 'd': return 8;  // grey
      case 's': return 7;
      case 'g': return 8;
      case 'r': return 9;
      case 'y': return 11;
      case 'b': return 12;
      case 'c': return 14;
      case 'w': return 15;
      default: return 7;
    }
  };
  IndexedImage img{128, 15, std::vector<std::uint8_t>(128 * 15, 7)};
  for (int b = 0; b < 8; ++b)
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 16; ++x)
        img.pixels[static_cast<std::size_t>(y * 128 + b * 16 + x)] = colour(kIcons[b][y][x]);
  return img;
}

void put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

template <std::size_t C>
std::vector<std::uint8_t> encode(const IndexedImage& img, const std::array<Rgb, C>& palette, int bits) {
  if (img.width <= 0 || img.height <= 0 || img.pixels.size() != static_cast<std::size_t>(img.width) * img.height)
    throw std::invalid_argument("image size does not match its pixels");
  const std::uint32_t stride = ((static_cast<std::uint32_t>(img.width) * bits + 31) / 32) * 4;
  const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(img.height);
  const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(C);
  std::vector<std::uint8_t> b;
  b.reserve(offset + imageBytes);
  b.push_back('B');
  b.push_back('M');
  put32(b, offset + imageBytes);
  put32(b, 0);
  put32(b, offset);
  put32(b, 40);
  put32(b, static_cast<std::uint32_t>(img.width));
  put32(b, static_cast<std::uint32_t>(img.height));  // positive: rows bottom-up
  put16(b, 1);
  put16(b, static_cast<unsigned>(bits));
  put32(b, 0);  // no compression
  put32(b, imageBytes);
  put32(b, 0);  // no resolution
  put32(b, 0);
  put32(b, 0);  // the full table of 2^bits colours
  put32(b, 0);
  for (const Rgb& c : palette) {
    b.push_back(c.b);
    b.push_back(c.g);
    b.push_back(c.r);
    b.push_back(0);
  }
  for (int y = img.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(stride, 0);
    for (int x = 0; x < img.width; ++x) {
      const std::uint8_t v = img.at(x, y);
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = v;
      } else {
        if (v > 15) throw std::invalid_argument("colour index does not fit in 4 bits");
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 == 0 ? v << 4 : v);
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

}  // namespace

Palette256 clinicalPalette(bool projectionSeries) {
  Palette256 p{};
  for (std::size_t i = 0; i < kNamedColours.size(); ++i) p[i] = kNamedColours[i];
  if (!projectionSeries) {
    static constexpr std::array<Rgb, 14> kExtra = {{{192, 192, 192}, {128, 128, 128}, {160, 160, 164},
                                                    {203, 203, 203}, {216, 216, 216}, {255, 251, 240},
                                                    {166, 202, 240}, {192, 220, 192}, {255, 255, 128},
                                                    {128, 255, 255}, {0, 211, 0}, {255, 128, 255},
                                                    {64, 64, 64}, {240, 240, 240}}};
    for (std::size_t i = 0; i < kExtra.size(); ++i) p[112 + i] = kExtra[i];
  }
  // Entries 112..126 not set above stay black; the count scale is the program's rainbow.
  const auto& rainbow = model::clinicalRainbow();
  for (int k = 0; k < model::kRainbowLevels; ++k)
    p[static_cast<std::size_t>(kScaleLow + k)] = {rainbow[static_cast<std::size_t>(k)].r,
                                                  rainbow[static_cast<std::size_t>(k)].g,
                                                  rainbow[static_cast<std::size_t>(k)].b};
  p[255] = {255, 255, 255};
  return p;
}

Palette16 standardPalette16() {
  return {{{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
           {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
           {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}}};
}

std::vector<std::uint8_t> encodeBmp8(const IndexedImage& image, const Palette256& palette) {
  return encode(image, palette, 8);
}

std::vector<std::uint8_t> encodeBmp4(const IndexedImage& image, const Palette16& palette) {
  return encode(image, palette, 4);
}

std::vector<Resource> generateAll() {
  const std::vector<Voxel> phantom = buildPhantom();

  // The acquisition: 60 views at 6-degree steps, scaled to clinical counts, then Poisson
  // noise drawn view by view, pixel by pixel, from one fixed seed.
  std::vector<Image> views;
  views.reserve(kAngles);
  double total = 0;
  for (int a = 0; a < kAngles; ++a) {
    views.push_back(binToMatrix(project(phantom, a * 360.0 / kAngles)));
    for (double v : views.back()) total += v;
  }
  const double countScale = kCountsPerView * kAngles / total;
  Rng rng(0x4C756D6F53504543ull);
  for (Image& view : views)
    for (double& v : view) v = rng.poisson(v * countScale);

  std::vector<Resource> out;
  const Palette256 seriesPalette = clinicalPalette(true);
  const Palette256 palette = clinicalPalette(false);

  // The projection series: every fifth view (30-degree steps), one colour scale for all.
  double seriesMax = 0;
  for (int k = 0; k < 12; ++k) seriesMax = std::max(seriesMax, maxOf(views[static_cast<std::size_t>(5 * k)]));
  static const int kSeriesIds[12] = {136, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148};
  static const char* const kSeriesLabels[12] = {"A", "A", "A1", "A1", "A2", "A2", "A3", "A3", "A4", "A4", "A5", "A5"};
  for (int k = 0; k < 12; ++k) {
    IndexedImage img = render(views[static_cast<std::size_t>(5 * k)], 250, 229, 229 / 2.0, 229 / 2.0, 229.0 / M, seriesMax);
    drawLabel(img, kSeriesLabels[k], 238, 2);
    out.push_back({kSeriesIds[k], encodeBmp8(img, seriesPalette)});
  }

  // The lateral view (90 degrees), shown with its matrix over the first 150 x 150 pixels.
  const Image& lateral = views[kAngles / 4];
  auto projectionBitmap = [&](const Image& m) { return encodeBmp8(render(m, 170, 170, 75, 75, 150.0 / M, maxOf(m)), palette); };
  out.push_back({157, projectionBitmap(lateral)});

  auto sliceRows = [](const std::vector<Image>& v) {
    std::vector<std::vector<double>> rows;
    for (const Image& view : v)
      rows.emplace_back(view.begin() + kSliceRow * M, view.begin() + (kSliceRow + 1) * M);
    return rows;
  };
  auto sliceMax = [](const Image& s) { return std::max(maxOf(s), 1e-12); };
  {
    const Image slice = reconstructSlice(sliceRows(views));
    out.push_back({162, encodeBmp8(render(slice, 224, 218, 110, 110, 3.44, sliceMax(slice)), palette)});
  }

  // The Butterworth pairs.
  std::vector<std::vector<Complex>> spectra;
  spectra.reserve(views.size());
  for (const Image& v : views) spectra.push_back(spectrum(v));
  struct Pair {
    double fc;
    int projectionId, sliceId, sliceWidth, sliceHeight;
  };
  static const Pair kPairs[7] = {{0.10, 165, 166, 73, 88}, {0.12, 167, 168, 74, 87}, {0.14, 169, 170, 74, 88},
                                 {0.16, 171, 172, 73, 87}, {0.18, 173, 174, 74, 89}, {0.20, 175, 176, 74, 89},
                                 {0.22, 177, 178, 73, 88}};
  for (const Pair& pair : kPairs) {
    const std::vector<double> gain = butterworthGain(pair.fc);
    std::vector<Image> smoothed;
    smoothed.reserve(spectra.size());
    for (const auto& s : spectra) smoothed.push_back(smooth(s, gain));
    out.push_back({pair.projectionId, projectionBitmap(smoothed[kAngles / 4])});
    const Image slice = reconstructSlice(sliceRows(smoothed));
    out.push_back({pair.sliceId, encodeBmp8(render(slice, pair.sliceWidth, pair.sliceHeight, 35, 44, 1.24, sliceMax(slice)), palette)});
  }

  out.push_back({128, encodeBmp4(toolbarStrip(), standardPalette16())});
  std::sort(out.begin(), out.end(), [](const Resource& a, const Resource& b) { return a.id < b.id; });
  return out;
}

}  // namespace lumo::tools
