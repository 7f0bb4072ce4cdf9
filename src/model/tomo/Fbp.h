#pragma once
// f(x, y) = pi / V * sum_v q_v(x cos a_v + y sin a_v), q_v = IFFT(H . FFT(p_v)), H = R(f) W(f) P(f).
//
// R is the ramp |f| of the sampled band-limited ramp kernel (h(0) = 1/4, h(k odd) = -1/(pi k)^2,
// transformed on the padded grid, which keeps the zero-frequency term right); W = 1 for Ramp and
// sin(pi f) / (pi f) for Shepp-Logan; P is the pre-filter with the program's own formulas of
// model/Filters (f in cycles/pixel): Butterworth 1/(1 + (f/fc)^n), Hanning and Hamming windows up
// to fc (0 above), Gauss of FWHM `width` pixels, or 1 for none. Views span 360 degrees, hence pi/V.
// Back-projection interpolates linearly between bins. The slice covers the circle of the field.
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Sinogram.h"

namespace lumo::tomo {

// H at the M / 2 + 1 frequencies k / M of padded length M.
std::vector<float> fbpResponse(int padded, const Settings&);

// Filters every view of the sinogram with fbpResponse (rows of the result: filtered views).
std::vector<float> filterViews(const Sinogram&, const Settings&);

// Back-projects filtered views [first, last) into acc (bins x bins, added to), weights pi / V left
// to the caller. Used by the build-up of FBP.
void backprojectViews(const Sinogram& geometry, const std::vector<float>& filtered, int first, int last,
                      std::vector<float>& acc);

}  // namespace lumo::tomo
