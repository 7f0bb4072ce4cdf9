#pragma once
// p_v(k, b) = sum over depth planes j of [G_j ** (att_v,k,j . R_v f_k)_j](k, b): slice by slice rotate and
// attenuate, blur every depth plane in two dimensions, sum.
//
// The three-dimensional acquisition of a stack of transaxial slices (cubic voxels) by a parallel-hole
// camera: each slice k goes through the Projector's rotation and attenuation stage
// (Projector::attenuatedPlanes with the slice's own mu map), so photons are attenuated within their
// slice. The collimator's response at depth plane j, the Gaussian of FWHM(d_j) of Collimator.h
// integrated over a voxel (Projector::kernel(j)), blurs plane j along the bins and across the slices
// (the camera's axial direction), nothing beyond the volume's first and last slice; the planes are
// then summed in depth order. A projection image has one row per slice (slice 0 first) and one column
// per bin. The views are computed in parallel, each on its own, so the result is the same on any
// number of cores.
#include <vector>

#include "model/tomo/Projector.h"
#include "model/tomo/Settings.h"

namespace lumo::tomo {

struct Volume {
  int n = 0;                    // each slice n x n, row-major as Image (row 0 at the top)
  int slices = 0;
  double voxelMm = 0;           // cubic voxels: slice spacing = pixel = bin width
  std::vector<float> activity;  // slices * n * n, slice k from k * n * n
  std::vector<float> mu;        // 1/cm in the same layout, or empty for no attenuation
};

// Every view of g (g.n == volume.n, g.pixelMm == volume.voxelMm): out[(v * slices + k) * n + b].
// Throws std::invalid_argument when the sizes do not match.
std::vector<float> projectVolume(const Volume&, const ProjectionGeometry&, Collimator);

}  // namespace lumo::tomo
