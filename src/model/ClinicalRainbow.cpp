#include "model/ClinicalRainbow.h"

#include <cstddef>

namespace lumo::model {

namespace {

// Linear steps between two levels, rounded to the nearest of 256 intensities; a later
// ramp starts on the level an earlier one ended on.
void ramp(std::array<Rgb8, kRainbowLevels>& t, int from, int to, Rgb8 a, Rgb8 b) {
  const int n = to - from;
  for (int i = 0; i <= n; ++i) {
    auto mix = [&](int u, int v) { return static_cast<std::uint8_t>((u * (n - i) + v * i + n / 2) / n); };
    t[static_cast<std::size_t>(from + i)] = {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
  }
}

std::array<Rgb8, kRainbowLevels> build() {
  std::array<Rgb8, kRainbowLevels> t{};
  ramp(t, 0, 15, {0, 0, 128}, {0, 0, 251});
  ramp(t, 15, 46, {0, 0, 251}, {0, 247, 8});
  ramp(t, 47, 62, {0, 255, 0}, {0, 128, 0});
  ramp(t, 62, 78, {0, 128, 0}, {126, 128, 0});
  ramp(t, 78, 94, {126, 128, 0}, {251, 255, 0});
  ramp(t, 94, 95, {251, 255, 0}, {255, 247, 0});
  ramp(t, 95, 127, {255, 247, 0}, {255, 4, 0});
  return t;
}

}  // namespace

const std::array<Rgb8, kRainbowLevels>& clinicalRainbow() {
  static const std::array<Rgb8, kRainbowLevels> table = build();
  return table;
}

}  // namespace lumo::model
