#include "ImageGen.h"

#include "model/ClinicalRainbow.h"
#include "model/Filters.h"
#include "model/tomo/BrainVolume.h"
#include "model/tomo/Fbp.h"
#include "model/tomo/Fft.h"
#include "model/tomo/Poisson.h"
#include "model/tomo/SystemModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <stdexcept>

namespace lumo::tools {

namespace {

// ---------------------------------------------------------------------------------------
// Colour tables

constexpr std::array<Rgb, 112> kNamedColours = {{
#include "NamedColours.inc"
}};

// ---------------------------------------------------------------------------------------
// The head: the engine's brain volume (model/tomo/BrainVolume) on 128^3 voxels of 2 mm.
// Voxel (i, j, k) has column i, row j of a transaxial slice (row 0 at the face) and row k of
// a projection (k = 0 at the top, toward the crown).

using Matrix = std::vector<float>;  // a square matrix, row-major, top row first

constexpr int N = 128;
constexpr int M = N / 2;                    // the camera matrix: 64 x 64 pixels of 4 mm
constexpr double kVoxelMm = 2.0;
constexpr double kZCentreMm = 28.0;         // Z of the volume's centre
constexpr double kSoftTissueMu = 0.15;      // 1/cm at 140 keV; the skull's bone in proportion
constexpr double kRadiusCm = 16.0;          // centre of rotation to collimator face
constexpr int kAngles = 60;                 // 6-degree steps over 360 degrees
constexpr int kSliceRow = 35;               // transaxial slice through the basal ganglia
constexpr double kCountsPerView = 20000.0;  // mean total counts of one projection
constexpr std::uint64_t kSeed = 0x4C756D6F53504543ull;

struct Head {
  tomo::Volume activity, mu;
};

Head buildHead() {
  Head head{tomo::Volume::blank(N, N, kVoxelMm), tomo::Volume::blank(N, N, kVoxelMm)};
  const double c = (N - 1) / 2.0;
  for (int k = 0; k < N; ++k)
    for (int j = 0; j < N; ++j)
      for (int i = 0; i < N; ++i) {
        const tomo::BrainPart p = tomo::brainPartAt((i - c) * kVoxelMm, (c - j) * kVoxelMm, (c - k) * kVoxelMm + kZCentreMm);
        const std::size_t q = head.activity.index(i, j, k);
        head.activity.v[q] = static_cast<float>(tomo::brainActivity(p));
        head.mu.v[q] = static_cast<float>(tomo::brainMu(p, kSoftTissueMu));
      }
  return head;
}

// The acquisition orbit. The camera turns clockwise in the transaxial picture: view 0 looks at
// the face, view 15 (90 degrees) at the head's left side from the picture's right.
tomo::ProjectionGeometry orbit(int n, int rows, double pixelMm) {
  return tomo::ProjectionGeometry::circular(kAngles, rows, n, pixelMm, pixelMm, 0, -360.0 / kAngles, kRadiusCm * 10.0);
}

// The 60 camera views, noiseless: the engine's system model (attenuation, the LEHR collimator's
// depth-dependent blur in both directions of the camera face), then 2 x 2 blocks of the 2 mm
// projection added into the camera's 4 mm pixels.
std::vector<Matrix> acquire(const Head& head) {
  const tomo::SystemModel camera(orbit(N, N, kVoxelMm), N, kVoxelMm, &head.mu, tomo::Collimator::Lehr);
  tomo::ProjectionStack projections = camera.blankProjections();
  camera.forward(head.activity, projections);
  const std::vector<float>& fine = projections.counts;
  std::vector<Matrix> views(kAngles, Matrix(static_cast<std::size_t>(M) * M, 0.0f));
  for (int v = 0; v < kAngles; ++v) {
    const float* p = fine.data() + static_cast<std::size_t>(v) * N * N;
    Matrix& m = views[static_cast<std::size_t>(v)];
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) m[static_cast<std::size_t>((y / 2) * M + x / 2)] += p[static_cast<std::size_t>(y * N + x)];
  }
  return views;
}

// Scales the views to kCountsPerView on average and draws Poisson counts, view by view, pixel
// by pixel, from one fixed seed (the engine's sampler).
void addPoissonCounts(std::vector<Matrix>& views) {
  double total = 0;
  for (const Matrix& v : views)
    for (float x : v) total += x;
  const double scale = kCountsPerView * kAngles / total;
  std::vector<float> means;
  means.reserve(views.size() * static_cast<std::size_t>(M) * M);
  for (const Matrix& v : views)
    for (float x : v) means.push_back(static_cast<float>(x * scale));
  tomo::poissonNoise(means, kSeed);
  for (std::size_t v = 0; v < views.size(); ++v)
    std::copy(means.begin() + static_cast<std::ptrdiff_t>(v * M * M), means.begin() + static_cast<std::ptrdiff_t>((v + 1) * M * M),
              views[v].begin());
}

// ---------------------------------------------------------------------------------------
// Butterworth smoothing of a projection in two dimensions: the program's order-8 response of
// the radial frequency, 1 / (1 + (f / fc)^8), f = sqrt(fx^2 + fy^2) in cycles/pixel, applied by the
// engine's 2-D FFT filter on the projection zero-padded to 128 x 128 (so the neck at the bottom
// does not wrap onto the crown).

tomo::PlaneFilter butterworthFilter(double fc) {
  return tomo::PlaneFilter::radial(M, M, [fc](double f) { return model::butterworth(f, fc, 8); });
}

Matrix smooth(const Matrix& view, const tomo::PlaneFilter& filter) {
  Matrix out(view.size());
  filter.apply(view.data(), out.data());
  return out;
}

// ---------------------------------------------------------------------------------------
// Filtered back-projection of one transaxial slice with the program's Ramp kernel: row
// kSliceRow of every view filtered by the kernel table (h(0) = 1/4, -1/(pi k)^2 at odd k, out to
// 63 bins) as the tutorial teaches it, then the engine's back-projection.

// The kernel table's response on the padded circle: the circular convolution of a 64-bin line
// with it equals the linear convolution with the table, since offsets reach at most 63.
std::vector<float> rampResponse() {
  const int m = tomo::paddedLength(M);
  const model::Kernel h = model::rampKernelTable();
  std::vector<float> r(static_cast<std::size_t>(m / 2 + 1));
  for (int q = 0; q <= m / 2; ++q) {
    double s = model::kernelAt(h, 0);
    for (int k = 1; k <= 63; ++k)
      s += 2 * model::kernelAt(h, k) * std::cos(2 * std::numbers::pi * static_cast<double>((q * k) % m) / m);
    r[static_cast<std::size_t>(q)] = static_cast<float>(s);
  }
  return r;
}

Matrix reconstructSlice(const std::vector<Matrix>& views) {
  tomo::ProjectionStack sino = tomo::ProjectionStack::blank(orbit(M, 1, 2 * kVoxelMm));
  for (int v = 0; v < kAngles; ++v)
    std::copy(views[static_cast<std::size_t>(v)].begin() + kSliceRow * M, views[static_cast<std::size_t>(v)].begin() + (kSliceRow + 1) * M,
              sino.counts.begin() + static_cast<std::ptrdiff_t>(v * M));
  static const tomo::LineFilter ramp(M, rampResponse());
  std::vector<float> filtered(sino.counts.size());
  for (int v = 0; v < kAngles; ++v) ramp.apply(sino.counts.data() + v * M, filtered.data() + v * M);
  tomo::Volume slice = tomo::Volume::blank(M, 1, 2 * kVoxelMm);
  tomo::backprojectViews(sino.geometry, filtered, 0, kAngles, slice);
  for (float& x : slice.v) x *= static_cast<float>(std::numbers::pi / kAngles);
  return slice.v;
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

IndexedImage render(const Matrix& m, int width, int height, double cx, double cy, double zoom, double vmax) {
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

double maxOf(const Matrix& m) { return *std::max_element(m.begin(), m.end()); }

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
  // The acquisition: 60 views at 6-degree steps, scaled to clinical counts, with Poisson noise.
  std::vector<Matrix> views = acquire(buildHead());
  addPoissonCounts(views);

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
  const Matrix& lateral = views[kAngles / 4];
  auto projectionBitmap = [&](const Matrix& m) { return encodeBmp8(render(m, 170, 170, 75, 75, 150.0 / M, maxOf(m)), palette); };
  out.push_back({157, projectionBitmap(lateral)});

  auto sliceMax = [](const Matrix& s) { return std::max(maxOf(s), 1e-12); };
  {
    const Matrix slice = reconstructSlice(views);
    out.push_back({162, encodeBmp8(render(slice, 224, 218, 110, 110, 3.44, sliceMax(slice)), palette)});
  }

  // The Butterworth pairs.
  struct Pair {
    double fc;
    int projectionId, sliceId, sliceWidth, sliceHeight;
  };
  static const Pair kPairs[7] = {{0.10, 165, 166, 73, 88}, {0.12, 167, 168, 74, 87}, {0.14, 169, 170, 74, 88},
                                 {0.16, 171, 172, 73, 87}, {0.18, 173, 174, 74, 89}, {0.20, 175, 176, 74, 89},
                                 {0.22, 177, 178, 73, 88}};
  for (const Pair& pair : kPairs) {
    const tomo::PlaneFilter filter = butterworthFilter(pair.fc);
    std::vector<Matrix> smoothed;
    smoothed.reserve(views.size());
    for (const Matrix& v : views) smoothed.push_back(smooth(v, filter));
    out.push_back({pair.projectionId, projectionBitmap(smoothed[kAngles / 4])});
    const Matrix slice = reconstructSlice(smoothed);
    out.push_back({pair.sliceId, encodeBmp8(render(slice, pair.sliceWidth, pair.sliceHeight, 35, 44, 1.24, sliceMax(slice)), palette)});
  }

  out.push_back({128, encodeBmp4(toolbarStrip(), standardPalette16())});
  std::sort(out.begin(), out.end(), [](const Resource& a, const Resource& b) { return a.id < b.id; });
  return out;
}

}  // namespace lumo::tools
