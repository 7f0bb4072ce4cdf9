#pragma once
// g = G_sigma * f, sigma = FWHM / (2 sqrt(2 ln 2)): a separable Gaussian smoothing in mm, in-plane
// and across the slices (not across a single slice).
//
// The kernel is sampled at whole voxels out to 3 sigma (at least one voxel each side) and
// normalised to sum 1; outside the volume counts as 0. FWHM <= 0 leaves the volume unchanged.
#include "model/tomo/Volume.h"

namespace lumo::tomo {

Volume gaussianPostFilter(const Volume&, double fwhmMm);

}  // namespace lumo::tomo
