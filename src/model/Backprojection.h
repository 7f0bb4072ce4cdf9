#pragma once
// Strip back-projection of point sources on the 128 x 128 teaching grid.
//
// Grid point [x][y] (x, y = 0..127) stands for the logical point (x - 64, y - 64). At a
// projection angle a (whole degrees, turned into radians with the program's degree
// factor) a grid point's projection coordinate is t = cos θ · (x - 64) + sin θ · (y - 64),
// and the source's is p = cos θ · (X - 64) + sin θ · (Y - 64). A grid point whose t lies
// within half a unit of p (both ends included) is in the wide strip and receives the
// source's count; one within a quarter unit is also in the narrow strip and receives the
// count once more. The narrow strip stands for the Ramp-filtered picture.
//
// Every deposit is reported to the caller the moment it is made, angle by angle, x outer,
// y inner, wide before narrow, so a screen can set its pixels while the picture builds up.
#include <array>
#include <functional>
#include <vector>

namespace lumo::model {

inline constexpr int kGridSize = 128;
inline constexpr int kGridCentre = 64;
inline constexpr double kWideHalfWidth = 0.5;
inline constexpr double kNarrowHalfWidth = 0.25;

// Sums per grid point, indexed [x][y].
using Accumulator = std::vector<std::array<double, kGridSize>>;
Accumulator makeAccumulator();  // all zero

enum class Strip { Wide, Narrow };
enum class Strips { WideOnly, WideAndNarrow };

struct PointSource {
  int x = kGridCentre;
  int y = kGridCentre;
  double count = 0;
};

// One deposit: the grid point, the strip that took it and the point's sum right after it.
struct Deposit {
  Strip strip;
  int x;
  int y;
  double sum;
};
using DepositSink = std::function<void(const Deposit&)>;

// The projection angles of a run: 0, step, 2 step, ... below 360. A step below 1 would
// never reach 360; it gives no angles at all.
std::vector<int> projectionAngles(int step);

// Projection coordinate of grid point (x, y) at angle θ (radians).
inline double projectionCoordinate(int x, int y, double cosTheta, double sinTheta) {
  return cosTheta * (x - kGridCentre) + sinTheta * (y - kGridCentre);
}

// Whether t lies in the strip of half width h around p, both ends included.
inline bool inStrip(double t, double p, double h) { return p - h <= t && t <= p + h; }

// Back-projects one source into `acc` over every angle of `step`, reporting each deposit
// to `sink` (which may be empty). The accumulator is not cleared, so deposits of several
// sources add.
void backProject(Accumulator& acc, const PointSource& source, int step, Strips strips,
                 const DepositSink& sink);

// The red level that shows a sum: trunc(sum / 2) mod 256; it wraps, it is not clamped.
int redLevel(double sum);

}  // namespace lumo::model
