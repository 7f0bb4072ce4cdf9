#pragma once
// p(v, b) = sum over depth planes j of [G_j * (att_v,j . R_v f)_j](b): rotate, attenuate, blur, sum.
//
// A rotation-based projector for parallel-hole SPECT and its exact adjoint (the matched
// back-projector MLEM needs), on any n x n slice with bins = n, binMm = pixelMm:
// - R_v resamples the slice by bilinear interpolation on a grid turned to view v: column b is the
//   detector bin, row j the depth plane (j = 0 next to the detector), both spaced one pixel; only
//   grid points inside the inscribed circle of the field are used.
// - att_v,j = exp(-(sum of mu over the planes between j and the detector + mu_j / 2) * pixel), mu
//   resampled by the same rotation (no attenuation without a mu map).
// - G_j is a Gaussian of FWHM(d_j) along the bins (Collimator.h), d_j the distance of plane j from
//   the collimator face, integrated over each bin and normalised to sum 1 (no blur for
//   Collimator::None); it is the same for every view.
// - The back-projector applies the transposes in reverse: G_j^T (the same symmetric kernel, exact
//   at the ends of the detector), att, then R_v^T (the bilinear weights scattered back).
// The weights are built once in the constructor (attenuation maps per view, kernels per plane)
// and reused for every projection. Orientation: Sinogram.h. Both directions use every core.
#include <cstddef>
#include <span>
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Sinogram.h"

namespace lumo::tomo {

struct ProjectionGeometry {
  int n = 0;             // slice n x n, bins n
  double pixelMm = 0;    // pixel = bin width
  int views = 0;
  double startDeg = 0, stepDeg = 0;
  double radiusCm = 15;  // centre of rotation to collimator face

  // The geometry of a sinogram (n = bins).
  static ProjectionGeometry of(const Sinogram&);
  // An empty sinogram (zero counts) with this geometry.
  Sinogram blankSinogram() const;
};

class Projector {
 public:
  // mu: attenuation map in 1/cm on the same n x n grid, or null for none. Collimator::None: no blur.
  Projector(const ProjectionGeometry&, const Image* mu, Collimator);

  const ProjectionGeometry& geometry() const { return g_; }
  bool attenuates() const { return !att_.empty(); }
  bool blurs() const { return blur_; }

  // sino[v * n + b] for the listed views (every view when `views` is empty) from image[y * n + x];
  // other views of sino are left as they are.
  void forward(const float* image, float* sino, std::span<const int> views = {}) const;
  // image = A^T sino over the listed views (every view when empty); image is overwritten.
  void back(const float* sino, float* image, std::span<const int> views = {}) const;

  // The stage before the blur, for callers that blur the depth planes themselves (the clinical
  // images blur them across neighbouring slices too): planes[j * n + b] = att_v,j(b) (R_v image)(b, j)
  // for the bins of plane j inside the field's circle, 0 elsewhere. forward() of view v is the sum
  // over j of plane j convolved with kernel(j).
  void attenuatedPlanes(int v, const float* image, float* planes) const;

  // Convenience: the whole sinogram of a slice.
  Sinogram project(const Image&) const;

  // The attenuation factor of view v at grid point (bin b, plane j), 1 without a mu map.
  float attenuationFactor(int v, int b, int j) const;
  // View v's factors, planes x bins (row j = plane j), or null without a mu map.
  const float* attenuationMap(int v) const {
    return att_.empty() ? nullptr : att_.data() + static_cast<std::size_t>(v) * static_cast<std::size_t>(g_.n) * static_cast<std::size_t>(g_.n);
  }
  // The blur kernel of plane j (odd length, centre in the middle; {1} without blur).
  const std::vector<float>& kernel(int j) const { return kernels_[static_cast<std::size_t>(j)]; }

  // Bins [first, last) of plane j inside the circle of the field.
  int firstBin(int j) const { return span_[static_cast<std::size_t>(j)].first; }
  int lastBin(int j) const { return span_[static_cast<std::size_t>(j)].second; }

 private:
  void forwardView(int v, const float* image, float* out, std::vector<float>& work) const;
  void backView(int v, const float* proj, float* image, std::vector<float>& work) const;

  ProjectionGeometry g_;
  bool blur_ = false;
  int pad_ = 0;                                       // largest kernel half-width
  std::vector<std::vector<float>> kernels_;           // per plane
  std::vector<std::pair<int, int>> span_;             // per plane: bins inside the circle
  std::vector<float> att_;                            // views x planes x bins, empty without mu
  std::vector<double> cos_, sin_;                     // per view
};

}  // namespace lumo::tomo
