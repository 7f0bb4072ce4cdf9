#include "model/ProjectionSmears.h"

#include <cmath>

#include "model/Filters.h"

namespace lumo::model {

int smearBin(double t) {
  if (!(t > -64.5) || !(t <= 63.5)) return -1;
  // The candidate from the rounded sum, then settled with the exact bin edges (n - 64.5
  // and n - 63.5 are exact in a double), so a t on an edge lands where the rule says.
  int n = static_cast<int>(std::ceil(t + 63.5));
  if (!(t <= n - 63.5)) ++n;
  if (!(n - 64.5 < t)) --n;
  return (n >= 0 && n < kGrid) ? n : -1;
}

SmearBins smearBins(int degrees) {
  const double theta = degreesToRadians(degrees);
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  SmearBins bins{};
  for (int i = 0; i < kGrid; ++i)
    for (int j = 0; j < kGrid; ++j) bins[static_cast<std::size_t>(i * kGrid + j)] = smearBin(smearOffset(i, j, c, s));
  return bins;
}

std::uint32_t summedSmears(const ImageStore& store, int row, int column) {
  std::uint32_t v = 0;
  for (int k = 0; k < kProjections; ++k) v += store.at(kFirstSmearImage + k, row, column) / 255u;
  return v;
}

}  // namespace lumo::model
