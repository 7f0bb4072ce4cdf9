#pragma once
// f(x, y, z) = w * sum_v q_v(x cos a_v + y sin a_v, z), q_v = ramp-filtered rows of P(p_v), w = |step| pi / arc.
//
// Filtered back-projection, slice by slice. The pre-filter P smooths each projection image in two
// dimensions by its radial frequency f = sqrt(fx^2 + fy^2) (as clinical systems do), with the
// program's own formulas of model/Filters (f in cycles/pixel): Butterworth 1/(1 + (f/fc)^n),
// Hanning and Hamming windows up to fc (0 above), Gauss of FWHM `width` pixels, or 1 for none.
// A stack of one row has no second direction: there P is applied along the bins with the ramp, the
// two-dimensional lab's filter. Each row is then filtered by R(f) W(f), R the ramp |f| of the
// sampled band-limited ramp kernel (h(0) = 1/4, h(k odd) = -1/(pi k)^2, transformed on the padded
// grid, which keeps the zero-frequency term right), W = 1 for Ramp and sin(pi f) / (pi f) for
// Shepp-Logan, and back-projected into its slice by linear interpolation between bins. The weight
// w is pi / V for views over 360 degrees and the step in radians over 180. The slices cover the
// field's circle.
#include <vector>

#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

// The pre-filter's response at f cycles/pixel (1 for none).
double prefilterAt(double f, const Settings&);

// H at the M / 2 + 1 frequencies k / M of padded length M; with the pre-filter or without.
std::vector<float> fbpResponse(int padded, const Settings&, bool withPrefilter = true);

// The projections after the pre-filter and the ramp: rows of the result are filtered rows,
// [(v * rows + r) * bins + b] as the stack.
std::vector<float> filterProjections(const ProjectionStack&, const Settings&);

// The weight of one view in the back-projection sum.
double fbpViewWeight(const ProjectionGeometry&);

// Back-projects filtered views [first, last) into acc (bins x bins x rows, added to), the weight
// left to the caller. Used by the build-up of FBP.
void backprojectViews(const ProjectionGeometry&, const std::vector<float>& filtered, int first, int last, Volume& acc);

}  // namespace lumo::tomo
