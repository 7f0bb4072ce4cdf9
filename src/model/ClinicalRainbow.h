#pragma once
// The rainbow count scale of the program's clinical images: 128 levels, level k for a
// count c of a scale whose top is m being min(127, floor(128 c / m)), running navy, blue,
// green, dark green, olive, yellow, red. One table for the bitmap generator (tools/) and
// the lab's colour scales (draw/ColourScale).
#include <array>
#include <cstdint>

namespace lumo::model {

struct Rgb8 {
  std::uint8_t r, g, b;
  friend constexpr bool operator==(const Rgb8&, const Rgb8&) = default;
};

constexpr int kRainbowLevels = 128;

// Level 0 (no counts) is navy (0, 0, 128), level 127 (the top) red (255, 4, 0).
const std::array<Rgb8, kRainbowLevels>& clinicalRainbow();

}  // namespace lumo::model
