#include "model/Backprojection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/Filters.h"

namespace lumo::model {

Accumulator makeAccumulator() {
  Accumulator acc(kGridSize);
  for (auto& column : acc) column.fill(0.0);
  return acc;
}

std::vector<int> projectionAngles(int step) {
  std::vector<int> angles;
  if (step < 1) return angles;
  // a < 360 before each addition, so a + step never overflows.
  for (int a = 0; a < 360; a += step) angles.push_back(a);
  return angles;
}

namespace {

// The rows of column x whose projection coordinate can lie within h of p. The bounds come
// from solving t = p ± h for y with a one-row margin on either side; the exact test on the
// computed t decides. Nearly horizontal directions (|sin θ| tiny, which whole-degree
// angles only give at exactly 0) search the whole column.
struct RowRange {
  int first;
  int last;
};

RowRange candidateRows(double base, double s, double p, double h) {
  if (std::fabs(s) < 1e-6) return {0, kGridSize - 1};
  double lo = (p - h - base) / s;
  double hi = (p + h - base) / s;
  if (lo > hi) std::swap(lo, hi);
  lo = std::floor(lo) + kGridCentre - 1;
  hi = std::ceil(hi) + kGridCentre + 1;
  if (hi < 0 || lo > kGridSize - 1) return {0, -1};
  return {static_cast<int>(std::max(lo, 0.0)),
          static_cast<int>(std::min(hi, static_cast<double>(kGridSize - 1)))};
}

}  // namespace

void backProject(Accumulator& acc, const PointSource& source, int step, Strips strips,
                 const DepositSink& sink) {
  const std::vector<int> angles = projectionAngles(step);

  // The source's own projection coordinate, first for every angle.
  std::vector<double> cosines, sines, sourceProjection;
  for (int a : angles) {
    const double theta = degreesToRadians(a);
    cosines.push_back(std::cos(theta));
    sines.push_back(std::sin(theta));
    sourceProjection.push_back(
        projectionCoordinate(source.x, source.y, cosines.back(), sines.back()));
  }

  const bool narrow = strips == Strips::WideAndNarrow;
  for (std::size_t k = 0; k < angles.size(); ++k) {
    const double c = cosines[k], s = sines[k], p = sourceProjection[k];
    for (int x = 0; x < kGridSize; ++x) {
      const RowRange rows = candidateRows(c * (x - kGridCentre), s, p, kWideHalfWidth);
      for (int y = rows.first; y <= rows.last; ++y) {
        const double t = projectionCoordinate(x, y, c, s);
        if (inStrip(t, p, kWideHalfWidth)) {
          acc[x][y] += source.count;
          if (sink) sink({Strip::Wide, x, y, acc[x][y]});
        }
        if (narrow && inStrip(t, p, kNarrowHalfWidth)) {
          acc[x][y] += source.count;
          if (sink) sink({Strip::Narrow, x, y, acc[x][y]});
        }
      }
    }
  }
}

int redLevel(double sum) {
  const double half = std::trunc(sum / 2);
  if (!std::isfinite(half)) return 0;
  const double wrapped = std::fmod(half, 256.0);  // exact for every double
  return static_cast<int>(wrapped < 0 ? wrapped + 256.0 : wrapped);
}

}  // namespace lumo::model
