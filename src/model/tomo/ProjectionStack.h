#pragma once
// Projection data p(v, r, b) = counts[(v * rows + r) * bins + b]: view v at startDeg + v * stepDeg,
// detector row r (along the slices, row 0 at the head end like slice 0), bin b.
//
// Orientation (the same for the system model, FBP and every export):
// - At angle 0 the detector lies above the patient (toward row 0 of a slice) and looks down.
// - Bins run along the detector face from the picture's left to its right at angle 0; bin b sits at
//   t = (b - c) * binMm, c = (bins - 1) / 2, on the axis e = (cos a, sin a) in the slice's X/Y
//   coordinates (Volume.h), so t = X cos a + Y sin a. Row r sits at Z = ((rows - 1) / 2 - r) * rowMm.
// - A positive stepDeg turns the detector counter-clockwise as the picture is seen (seen from the
//   feet): at 90 degrees it lies at the picture's left (-X) and its bins run from bottom to top. The
//   sign of the step is the direction of rotation; the arc is |stepDeg| * views.
// - The detector's face of view v sits radiusMm[v] from the axis of rotation (a circular orbit has
//   one radius for every view, a body-contouring one a radius per view); a point at depth
//   s = -X sin a + Y cos a (toward the detector) is radiusMm[v] - s millimetres from the face.
// This is the one description of the acquisition's geometry in the engine: the system model, FBP,
// Chang's factors and the exports read it, and nothing keeps a copy of its fields.
#include <cmath>
#include <cstddef>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace lumo::tomo {

struct ProjectionGeometry {
  int views = 0, rows = 1, bins = 0;
  double binMm = 0, rowMm = 0;
  double startDeg = 0, stepDeg = 0;
  std::vector<double> radiusMm;  // one per view

  // A circular orbit: every view at radiusMm.
  static ProjectionGeometry circular(int views, int rows, int bins, double binMm, double rowMm, double startDeg,
                                     double stepDeg, double radiusMm) {
    ProjectionGeometry g;
    g.views = views;
    g.rows = rows;
    g.bins = bins;
    g.binMm = binMm;
    g.rowMm = rowMm;
    g.startDeg = startDeg;
    g.stepDeg = stepDeg;
    g.radiusMm.assign(static_cast<std::size_t>(std::max(0, views)), radiusMm);
    return g;
  }
  double angleDeg(int v) const { return startDeg + v * stepDeg; }
  double angleRad(int v) const { return angleDeg(v) * std::numbers::pi / 180.0; }
  double radius(int v) const { return radiusMm[static_cast<std::size_t>(v)]; }
  double arcDeg() const { return std::abs(stepDeg) * views; }
  double meanRadiusMm() const {
    double s = 0;
    for (double r : radiusMm) s += r;
    return radiusMm.empty() ? 0 : s / static_cast<double>(radiusMm.size());
  }
  std::size_t viewSize() const { return static_cast<std::size_t>(rows) * static_cast<std::size_t>(bins); }
  std::size_t size() const { return viewSize() * static_cast<std::size_t>(views); }
  // Everything finite, positive where it must be, one radius per view.
  bool valid() const {
    if (views < 1 || rows < 1 || bins < 2 || !(binMm > 0) || !(rowMm > 0) || !std::isfinite(binMm) ||
        !std::isfinite(rowMm) || !std::isfinite(startDeg) || !std::isfinite(stepDeg) ||
        radiusMm.size() != static_cast<std::size_t>(views))
      return false;
    for (double r : radiusMm)
      if (!std::isfinite(r) || r < 0) return false;
    return true;
  }
  bool operator==(const ProjectionGeometry&) const = default;
};

struct ProjectionStack {
  ProjectionGeometry geometry;
  std::vector<float> counts;

  static ProjectionStack blank(const ProjectionGeometry& g) {
    ProjectionStack p;
    p.geometry = g;
    p.counts.assign(g.size(), 0.0f);
    return p;
  }
  bool consistent() const { return geometry.valid() && counts.size() == geometry.size(); }
  std::size_t index(int v, int r, int b) const {
    return (static_cast<std::size_t>(v) * static_cast<std::size_t>(geometry.rows) + static_cast<std::size_t>(r)) *
               static_cast<std::size_t>(geometry.bins) +
           static_cast<std::size_t>(b);
  }
  float at(int v, int r, int b) const { return counts[index(v, r, b)]; }
  // The sinogram of detector row r: a one-row stack with the same views.
  ProjectionStack row(int r) const {
    if (r < 0 || r >= geometry.rows) throw std::out_of_range("no such detector row");
    ProjectionStack s;
    s.geometry = geometry;
    s.geometry.rows = 1;
    s.counts.resize(s.geometry.size());
    for (int v = 0; v < geometry.views; ++v)
      for (int b = 0; b < geometry.bins; ++b)
        s.counts[static_cast<std::size_t>(v) * static_cast<std::size_t>(geometry.bins) + static_cast<std::size_t>(b)] =
            at(v, r, b);
    return s;
  }
  // The counts as data: negative or non-finite entries count as 0.
  ProjectionStack asCounts() const {
    ProjectionStack out = *this;
    for (float& c : out.counts)
      if (!(c > 0) || !std::isfinite(c)) c = 0.0f;
    return out;
  }
  double total() const {
    double s = 0;
    for (float c : counts) s += c;
    return s;
  }
};

// A sinogram is the projection stack of one row.
using Sinogram = ProjectionStack;

}  // namespace lumo::tomo
