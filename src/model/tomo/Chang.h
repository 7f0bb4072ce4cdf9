#pragma once
// C(x) = sum_v w_v(x) / sum_v w_v(x) exp(-integral of mu from x to the detector at view v), inside the body.
//
// First-order Chang correction factors for FBP: the inverse of the mean attenuation factor over
// the views, where mu > 0 (the body), 1 elsewhere. Both sums are the system model's own
// back-projections (SystemModel::backProjectedAttenuationZ and backProjectedWeightsZ): the
// attenuation factors are those the model multiplies its rays by, taken back to each voxel with
// the rotation's bilinear weights w_v, so Chang's rays are the projector's by construction.
#include "model/tomo/SystemModel.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

// attenuating: a model built with the attenuation map mu (its collimator plays no part).
Volume changFactors(const SystemModel& attenuating, const Volume& mu);

}  // namespace lumo::tomo
