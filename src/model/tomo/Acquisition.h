#pragma once
// y = Poisson(k A a), k = counts / sum(A a), truth = k a: the expected sinogram sums to counts.
//
// The data always carry the full physics chosen: attenuation by the phantom's mu map and the
// collimator's depth-dependent blur at the radius of rotation, views over 360 degrees from 0
// (stepDeg = 360 / views, counter-clockwise; Sinogram.h). The truth is the phantom's activity in
// the same units (expected counts per pixel of emission that the projector turns into counts),
// so a perfect reconstruction equals it pixel for pixel.
#include "model/tomo/Phantom.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Sinogram.h"

namespace lumo::tomo {

struct Acquisition {
  Phantom phantom;
  Image truth;        // activity scaled to count units
  Sinogram sinogram;  // Poisson draws when noise is on, else the expected counts
  Sinogram expected;  // the expected (noiseless) counts
};

Acquisition acquire(const Settings&);

}  // namespace lumo::tomo
