#pragma once
// C(x, y) = V / sum_v exp(-integral of mu from (x, y) to the detector at view v), inside the body.
//
// First-order Chang correction factors for FBP: the mean attenuation factor over the views of the
// sinogram's geometry, inverted, where mu > 0 (the body); 1 elsewhere. The line integrals come
// from the projector's attenuation maps (the same rays the projector attenuates along),
// interpolated bilinearly at each pixel.
#include "model/tomo/Image.h"
#include "model/tomo/Projector.h"

namespace lumo::tomo {

Image changFactors(const ProjectionGeometry&, const Image& mu);

}  // namespace lumo::tomo
