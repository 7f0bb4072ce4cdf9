#pragma once
// Collimator blur at distance d from the face: FWHM(d) = sqrt(Rg(d)^2 + Ri^2),
// Rg(d) = D (Leff + d) / Leff, Leff = L - 2 / mu_Pb.
//
// Hole diameter D and length L are the published values of widely used parallel-hole collimators
// for Tc-99m (hexagonal holes, lead septa):
//   LEHR (low energy, high resolution):  D = 1.11 mm, L = 24.05 mm (septa 0.16 mm)
//        -> Leff = 23.28 mm, FWHM(100 mm) = 7.0 mm
//   LEGP (low energy, general purpose):  D = 1.45 mm, L = 24.05 mm (septa 0.20 mm)
//        -> FWHM(100 mm) = 8.6 mm
// mu_Pb = 2.6 /mm at 140 keV; intrinsic resolution Ri = 3.8 mm. Collimator::None is an ideal
// detector without any blur (FWHM 0 at every distance).
#include "model/tomo/Settings.h"

namespace lumo::tomo {

struct CollimatorHoles {
  double holeMm, lengthMm;
};

constexpr double kLeadMuPerMm = 2.6;
constexpr double kIntrinsicFwhmMm = 3.8;
constexpr CollimatorHoles kLehr{1.11, 24.05};
constexpr CollimatorHoles kLegp{1.45, 24.05};

// System sensitivity for Tc-99m at a 20 % window, counts per second per MBq in the field (planar,
// in air), as published for widely used cameras: LEHR 202 cpm/uCi (91 cps/MBq), LEGP 300 cpm/uCi
// (135 cps/MBq). The ideal detector without blur counts like LEHR, so that only the blur changes.
constexpr double kLehrCpsPerMBq = 91.0;
constexpr double kLegpCpsPerMBq = 135.0;
double sensitivityCpsPerMBq(Collimator);

// FWHM in mm of the system response at distanceMm from the face (negative distances count as 0).
double collimatorFwhmMm(Collimator, double distanceMm);

}  // namespace lumo::tomo
