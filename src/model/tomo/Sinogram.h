#pragma once
// Projection data p(v, b) = counts[v * bins + b]: view v at angle startDeg + v * stepDeg.
//
// Orientation (the same for the projector, FBP and every export):
// - At angle 0 the detector lies above the patient (toward row 0 of the slice) and looks down.
// - Bins run along the detector face from the picture's left to its right at angle 0; bin b sits at
//   t = (b - c) * binMm, c = (bins - 1) / 2, on the axis e = (cos a, sin a) in the slice's X/Y
//   coordinates (X right, Y up), so t = X cos a + Y sin a.
// - A positive stepDeg turns the detector counter-clockwise as the picture is seen: at 90 degrees it
//   lies at the picture's left (-X) and its bins run from bottom to top.
// - The detector's face sits at radiusCm from the centre of rotation; a point at depth
//   s = -X sin a + Y cos a (toward the detector) is radiusCm * 10 - s millimetres from the face.
#include <cstddef>
#include <vector>

namespace lumo::tomo {

struct Sinogram {
  int views = 0, bins = 0;
  double binMm = 0;     // detector bin width (= pixelMm of the slice it reconstructs to)
  double startDeg = 0;  // angle of view 0
  double stepDeg = 0;   // angle from one view to the next; positive: counter-clockwise
  double radiusCm = 15; // radius of rotation (centre to collimator face)
  std::vector<float> counts;

  double angleDeg(int v) const { return startDeg + v * stepDeg; }
  float at(int v, int b) const { return counts[static_cast<std::size_t>(v) * static_cast<std::size_t>(bins) + static_cast<std::size_t>(b)]; }
};

}  // namespace lumo::tomo
