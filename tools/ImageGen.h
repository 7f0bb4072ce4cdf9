#pragma once
// The generator of the clinical bitmaps, built on the lab's engine (model/tomo): its brain
// volume, its SPECT acquisition (attenuation, depth-dependent collimator blur, Poisson counts),
// the Butterworth smoothing and Ramp-filter reconstruction of the tutorial through its FFTW
// filters and back-projection, and the encoding of the results as 8-bit bitmaps with the rainbow
// colour table. Everything is deterministic: the same build writes the same bytes every time.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumo::tools {

struct Rgb {
  std::uint8_t r, g, b;
};
using Palette256 = std::array<Rgb, 256>;
using Palette16 = std::array<Rgb, 16>;

// The rainbow colour table. The projection series keeps entries 112..126 black; every
// other clinical image carries fourteen further colours there and black at 126.
Palette256 clinicalPalette(bool projectionSeries);
// The standard 16-colour table of 4-bit bitmaps.
Palette16 standardPalette16();

// Palette entries the clinical images use.
constexpr int kBackgroundIndex = 73;   // navy: no counts
constexpr int kLabelIndex = 18;        // near-white: corner labels
constexpr int kScaleLow = 127;         // the count scale runs 127..254
constexpr int kScaleHigh = 254;

// An image of palette indices, rows top to bottom.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height, row-major, top row first
  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A whole .bmp file: file header, 40-byte information header, colour table, bottom-up rows
// padded to 4 bytes, no compression, no resolution.
std::vector<std::uint8_t> encodeBmp8(const IndexedImage& image, const Palette256& palette);
std::vector<std::uint8_t> encodeBmp4(const IndexedImage& image, const Palette16& palette);

// One bitmap resource: its id and the bytes of its file.
struct Resource {
  int id;
  std::vector<std::uint8_t> bytes;
};

// Every bitmap of the program, in increasing id order.
std::vector<Resource> generateAll();

}  // namespace lumo::tools
