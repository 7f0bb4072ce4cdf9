#include "model/Waveforms.h"

namespace lumo::model {

namespace {

struct Segment {
  int first;
  int last;
  double level;
  bool plusOnEven;  // false: the alternation is reversed, odd samples lie above the level
};

constexpr Segment kWaveform1[] = {
    {0, 25, 5, true},
    {26, 36, 50, true},
    {37, 63, 5, true},
};

constexpr Segment kWaveform2[] = {
    {0, 9, 5, true},   {10, 30, 25, true}, {31, 37, 5, false},
    {38, 54, 50, true}, {55, 63, 5, false},
};

template <std::size_t N>
Line build(const Segment (&segments)[N], double r) {
  Line w{};
  for (const Segment& s : segments) {
    const double b = s.level;
    for (int n = s.first; n <= s.last; ++n) {
      const bool plus = (n % 2 == 0) == s.plusOnEven;
      w[static_cast<std::size_t>(n)] = plus ? (b * r) / 100 + b : b - (b * r) / 100;
    }
  }
  return w;
}

}  // namespace

// Each sample lies r percent of its segment's level above or below it, alternating from
// sample to sample; a negative r swaps the two.
Line testWaveform(int which, double noisePercent) {
  return which == 2 ? build(kWaveform2, noisePercent) : build(kWaveform1, noisePercent);
}

}  // namespace lumo::model
