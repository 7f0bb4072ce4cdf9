#pragma once
// ybar = A x + s, A = sum over views v of C_v T_v R_v: rotate, attenuate, collimate (blur and sum).
//
// The camera as an ordered chain of steps, each a linear map with its exact adjoint, applied view
// by view in the order the physics happens. The steps work on a view's frame F[j][b][k]: depth
// plane j (0 next to the detector, one voxel apart), bin b, slice k (= detector row); the slice
// index runs fastest, so every step's inner loop runs along z over contiguous memory.
// - Rotate R_v: the volume resampled by bilinear interpolation in each slice on the grid turned to
//   view v (Volume.h, ProjectionStack.h); only grid points inside the field's inscribed circle are
//   sampled, the rest of the frame is 0. Its adjoint scatters the bilinear weights back.
// - Attenuate T_v: F times exp(-(sum of mu over the planes between j and the detector + mu_j / 2)
//   * voxel), the mu volume rotated by the same R_v (so attenuation follows the projector's own
//   rays). Diagonal: its own adjoint.
// - Collimate C_v: plane j blurred in both directions of the detector (bins and rows) by a Gaussian
//   of the collimator's FWHM at the plane's distance from the face, radiusMm[v] - s_j
//   (Collimator.h), then all planes summed onto the detector. Variances of Gaussians add, so the
//   blur of plane j is built as the nearest plane's blur after small increments from every plane
//   between (incremental blurring): planes are summed from the far side toward the detector, the
//   running sum blurred at each plane by the increment of variance to the next nearer plane (three
//   taps [a, 1 - 2a, a] of variance 2a per axis, repeated when the increment is large), and the
//   sum blurred by the nearest plane's bin-integrated Gaussian at the end. Zero beyond the
//   detector's edges. With one row there is no blur across rows (the 2-D lab); without a
//   collimator (Collimator::None) C_v is the plain sum. Its adjoint runs the same symmetric
//   kernels in the reverse order.
// What it leaves out: septal penetration and scatter in the collimator, the detector's depth of
// interaction, and the finite size of a bin's acceptance beyond the Gaussian response.
//
// A model is built once per acquisition geometry, volume grid, attenuation map and collimator;
// forward() and back() may run any subset of the views and spread the views over the cores. The
// attenuation factors of every view are kept when they fit in kAttenuationCacheBytes, otherwise
// computed again for each view as it is projected.
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

inline constexpr std::size_t kAttenuationCacheBytes = 192u * 1024u * 1024u;

// The grid every step works on: n x n slices, `slices` of them, frames n (planes) x n (bins) x slices.
struct ModelGrid {
  int n = 0, slices = 0;
  std::size_t volumeSize() const { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(slices); }
  std::size_t frameSize() const { return volumeSize(); }
  std::size_t imageSize() const { return static_cast<std::size_t>(n) * static_cast<std::size_t>(slices); }
};

// Throws std::invalid_argument naming both grids unless the attenuation map is n x n x rows of the
// projections it is to correct.
void requireMapFits(const Volume& mu, const ProjectionGeometry&);

// Volumes inside the model are stored z-fastest: u[(y * n + x) * slices + k].
void toZFastest(const Volume& v, float* u);
void fromZFastest(const float* u, Volume& v);

class RotateStep {
 public:
  RotateStep(const ModelGrid&, const ProjectionGeometry&);
  // frame = R_v u (u z-fastest); the frame outside the field's circle is set to 0.
  void forward(int v, const float* u, float* frame) const;
  // u += R_v^T frame.
  void adjoint(int v, const float* frame, float* u) const;
  // The bins [first, last) of plane j inside the field's circle.
  std::pair<int, int> span(int j) const { return span_[static_cast<std::size_t>(j)]; }

 private:
  ModelGrid g_;
  std::vector<double> cos_, sin_;
  std::vector<std::pair<int, int>> span_;
};

class AttenuateStep {
 public:
  // muZ: the attenuation map (1/cm) z-fastest; voxelMm the voxel size.
  AttenuateStep(const ModelGrid&, const RotateStep&, std::vector<float> muZ, double voxelMm, int views);
  // The step: frame *= the factors of view v; `scratch` holds them when they are not kept.
  void apply(int v, float* frame, std::vector<float>& scratch) const;
  // The factors of view v: the kept ones, or made into scratch.
  const float* factors(int v, std::vector<float>& scratch) const;
  // The attenuation lengths of view v (mu times the path from each grid point to the detector,
  // the exponent of its factor) into out (frameSize()).
  void lengthsOf(int v, float* out) const;
  // The factors of view v into out (frameSize()).
  void factorsOf(int v, float* out) const;

 private:
  ModelGrid g_;
  const RotateStep& rotate_;
  std::vector<float> mu_;
  double voxelCm_;
  std::vector<float> cache_;  // views x frame, empty when too large
};

class CollimateStep {
 public:
  // Collimator::None: the plain sum over depth.
  CollimateStep(const ModelGrid&, const ProjectionGeometry&, Collimator);
  // image[b * slices + k] = (C_v frame)(b, k); the frame is used as scratch.
  void forward(int v, float* frame, float* image) const;
  // frame = C_v^T image (every plane written).
  void adjoint(int v, const float* image, float* frame) const;
  bool blurs() const { return blur_; }

  // One view's schedule: the nearest plane's kernels and each plane's increment taps.
  struct Schedule {
    std::vector<float> nearBins, nearRows;  // bin-integrated Gaussians (odd length)
    std::vector<float> stepBins, stepRows;  // per plane j < n - 1: a of [a, 1 - 2a, a] (0: none)
    std::vector<int> repeats;               // per plane: times the three taps are applied
  };
  const Schedule& schedule(int v) const;

 private:
  void increment(float* acc, int j, const Schedule& s, std::vector<float>& tmp) const;
  void nearBlur(float* acc, const Schedule& s, std::vector<float>& tmp) const;

  ModelGrid g_;
  bool blur_ = false;
  bool blurRows_ = false;
  std::vector<Schedule> schedules_;  // per view (views with the same radius share the values)
};

class SystemModel {
 public:
  // mu: the attenuation map on the same grid (1/cm), or null for none. Throws std::invalid_argument
  // when the grid and the geometry disagree (bins != n, rows != slices) or mu is of another size.
  SystemModel(const ProjectionGeometry&, int n, double voxelMm, const Volume* mu, Collimator);
  ~SystemModel();

  const ProjectionGeometry& geometry() const { return geometry_; }
  const ModelGrid& grid() const { return grid_; }
  double voxelMm() const { return voxelMm_; }
  bool attenuates() const { return attenuate_ != nullptr; }
  bool blurs() const { return collimate_->blurs(); }
  const RotateStep& rotate() const { return *rotate_; }
  const AttenuateStep* attenuate() const { return attenuate_.get(); }
  const CollimateStep& collimate() const { return *collimate_; }

  // y = A x over the listed views (every view when empty); other views of y are left as they are.
  void forward(const Volume& x, ProjectionStack& y, std::span<const int> views = {}) const;
  // x = A^T y over the listed views (every view when empty); x is overwritten (same grid as the model).
  void back(const ProjectionStack& y, Volume& x, std::span<const int> views = {}) const;
  // The same on z-fastest volumes (the iterations keep their estimate in that layout).
  void forwardZ(const float* u, float* y, std::span<const int> views = {}) const;
  void backZ(const float* y, float* u, std::span<const int> views = {}) const;

  // For each listed view v: its projection image p_v = A_v u (rows x bins, z-fastest u), then
  // `between(v, p_v)` turns it in place into what is to be back-projected, q_v; out = sum_v A_v^T q_v
  // (overwritten). The view's attenuation factors are made once for both directions: the
  // iterations' "project, compare with the data, back-project" at the cost of one pass.
  using ViewTransform = std::function<void(int view, float* image)>;
  void forwardThenBackZ(const float* u, const ViewTransform& between, float* out, std::span<const int> views = {}) const;

  // For each listed view, the attenuated photons of each ray weighted by the attenuation length l
  // (mu times the path, to the detector) they crossed: sum_j R_v u e^-l l in the projections'
  // layout, without the collimator (the scatter model's source, Scatter.h); 0 without attenuation.
  void buildupZ(const float* u, float* y, std::span<const int> views = {}) const;

  // sum over views of R_v^T (T_v 1): each voxel's summed attenuation factors, weighted as the
  // projector samples it (without attenuation: the weights alone). Chang's factors are their ratio.
  std::vector<float> backProjectedAttenuationZ() const;
  std::vector<float> backProjectedWeightsZ() const;

  Volume blankVolume() const { return Volume::blank(grid_.n, grid_.slices, voxelMm_); }
  ProjectionStack blankProjections() const { return ProjectionStack::blank(geometry_); }

 private:
  struct Lane;
  std::vector<int> allViews(std::span<const int> views) const;
  // body(v, lane) for every listed view, the views split over the cores; with `sum`, each lane's
  // back-projections (into lane.volume) are added into sum, which is overwritten.
  void eachView(std::span<const int> views, float* sum, const std::function<void(int, Lane&)>& body) const;
  const float* attenuationOf(int v, Lane&) const;
  void project(int v, const float* u, Lane&) const;  // lane.image = A_v u (detector layout of the steps)
  void backProject(int v, Lane&) const;              // lane.volume += A_v^T lane.image

  ProjectionGeometry geometry_;
  ModelGrid grid_;
  double voxelMm_;
  std::unique_ptr<RotateStep> rotate_;
  std::unique_ptr<AttenuateStep> attenuate_;
  std::unique_ptr<CollimateStep> collimate_;
};

}  // namespace lumo::tomo
