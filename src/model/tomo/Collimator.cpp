// FWHM(d) = sqrt(Rg(d)^2 + Ri^2), Rg(d) = D (Leff + d) / Leff, Leff = L - 2 / mu_Pb.
#include "model/tomo/Collimator.h"

#include <algorithm>
#include <cmath>

namespace lumo::tomo {

double collimatorFwhmMm(Collimator c, double distanceMm) {
  if (c == Collimator::None) return 0.0;
  const CollimatorHoles h = c == Collimator::Lehr ? kLehr : kLegp;
  const double d = std::max(0.0, distanceMm);
  const double leff = h.lengthMm - 2.0 / kLeadMuPerMm;
  const double rg = h.holeMm * (leff + d) / leff;
  return std::sqrt(rg * rg + kIntrinsicFwhmMm * kIntrinsicFwhmMm);
}

double sensitivityCpsPerMBq(Collimator c) { return c == Collimator::Legp ? kLegpCpsPerMBq : kLehrCpsPerMBq; }

}  // namespace lumo::tomo
