#pragma once
// g = G_sigma * f, sigma = FWHM / (2 sqrt(2 ln 2)): a separable 2-D Gaussian smoothing in mm.
//
// The kernel is sampled at whole pixels out to 3 sigma (at least one pixel each side) and
// normalised to sum 1; outside the slice counts as 0. FWHM <= 0 leaves the slice unchanged.
#include "model/tomo/Image.h"

namespace lumo::tomo {

Image gaussianPostFilter(const Image&, double fwhmMm);

}  // namespace lumo::tomo
