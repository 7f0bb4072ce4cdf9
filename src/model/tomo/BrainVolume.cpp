// a(X, Y, Z), mu(X, Y, Z): the digital head of the clinical images, a part (tissue) at every point in mm.
#include "model/tomo/BrainVolume.h"

#include <algorithm>
#include <cmath>

#include "model/tomo/Phantom.h"

namespace lumo::tomo {

namespace {

// The shapes below are written with b = -Y, running from the face (front) to the back of the head.

// Squared normalised radius of (x, b, z) in an axis-aligned ellipsoid.
double ell(double x, double b, double z, double cx, double cb, double cz, double ax, double ab, double az) {
  const double u = (x - cx) / ax, v = (b - cb) / ab, w = (z - cz) / az;
  return u * u + v * v + w * w;
}

// Approximate distance (mm) from an inside point to the ellipsoid's surface: the normalised
// radius's shortfall divided by its gradient, exact at the surface.
double depthIn(double x, double b, double z, double cx, double cb, double cz, double ax, double ab, double az) {
  const double u = (x - cx) / ax, v = (b - cb) / ab, w = (z - cz) / az;
  const double s = u * u + v * v + w * w;
  const double gx = 2 * u / ax, gb = 2 * v / ab, gz = 2 * w / az;
  const double g = std::sqrt(gx * gx + gb * gb + gz * gz);
  return g > 0 ? (1 - s) / g : 1e9;
}

// Deep grey matter and the ventricles, mirrored about the midline; Gap when none is there.
BrainPart deepStructure(double x, double b, double z) {
  const double ax = std::fabs(x);
  // Ventricles: frontal horns, bodies, occipital horns and the third ventricle.
  if (ell(ax, b, z, 10, -22, 22, 6, 13, 10) < 1) return BrainPart::Ventricle;
  if (ell(ax, b, z, 11, 0, 32, 6, 30, 8) < 1) return BrainPart::Ventricle;
  if (ell(ax, b, z, 19, 34, 22, 5, 13, 8) < 1) return BrainPart::Ventricle;
  if (ell(x, b, z, 0, 6, 10, 2.5, 14, 11) < 1) return BrainPart::Ventricle;
  // Caudate heads beside the frontal horns, putamina, thalami.
  if (ell(ax, b, z, 19, -18, 20, 6, 11, 10) < 1) return BrainPart::Caudate;
  if (ell(ax, b, z, 28, -2, 12, 6, 17, 11) < 1) return BrainPart::Putamen;
  if (ell(ax, b, z, 10, 15, 12, 8, 12, 9) < 1) return BrainPart::Thalamus;
  return BrainPart::Gap;
}

// A network of narrow grooves for the sulci: 1 on the zero set of a smooth wavy field, falling to 0
// within a couple of millimetres of it.
double sulcus(double x, double b, double z) {
  const double g = std::sin(0.23 * x + 1.3 * std::sin(0.07 * b + 0.05 * z)) +
                   std::sin(0.19 * b + 1.1 * std::sin(0.08 * z + 0.03 * x)) +
                   std::sin(0.21 * z + 1.2 * std::sin(0.06 * x + 0.04 * b));
  return std::max(0.0, 1.0 - std::fabs(g) / 0.35);
}

constexpr double kScalpMm = 5.0;  // scalp thickness, then the skull
constexpr double kSkullMm = 6.0;

}  // namespace

BrainPart brainPartAt(double x, double Y, double z) {
  const double b = -Y;
  const double head = ell(x, b, z, 0, 5, 12, 80, 98, 92);
  const bool neck = z < -20 && ell(x, b, 0, 0, 22, 0, 52, 58, 1) < 1;
  if (head >= 1 && !neck) return BrainPart::Air;

  // Cerebellum: a cortex of high uptake round a lower core.
  if (ell(x, b, z, 0, 48, -42, 50, 30, 22) < 1)
    return depthIn(x, b, z, 0, 48, -42, 50, 30, 22) < 5 ? BrainPart::CerebellarCortex : BrainPart::CerebellarCore;
  if (z > -110 && z < -8 && ell(x, b, 0, 0, 22, 0, 11, 13, 1) < 1) return BrainPart::BrainStem;

  const double cerebrum = ell(x, b, z, 0, 2, 28, 66, 84, 64);
  const bool tentorium = ell(x, b, z, 0, 48, -42, 55, 35, 27) < 1;
  if (cerebrum < 1 && !tentorium) {
    const BrainPart deep = deepStructure(x, b, z);
    if (deep != BrainPart::Gap) return deep;
    // Depth below the cortical surface, the medial surface included where the two hemispheres
    // face each other (above the corpus callosum, and in front and behind).
    double depth = depthIn(x, b, z, 0, 2, 28, 66, 84, 64);
    if (z > 40 || std::fabs(b - 2) > 34) depth = std::min(depth, std::fabs(x) - 1.2);
    if (depth < 0) return BrainPart::Sulcus;  // the interhemispheric fissure
    const double fold = 11 * sulcus(x, b, z);
    if (depth < fold) return BrainPart::Sulcus;
    if (depth < fold + 5.5) return BrainPart::Grey;
    return BrainPart::White;
  }
  // Outside the brain: scalp, face and neck; the skull under the scalp of the cranium; between
  // skull and brain almost nothing.
  if (head >= 1 || z < -15) return BrainPart::Scalp;
  const double below = depthIn(x, b, z, 0, 5, 12, 80, 98, 92);
  if (below < kScalpMm) return BrainPart::Scalp;
  if (below < kScalpMm + kSkullMm) return BrainPart::Skull;
  return BrainPart::Gap;
}

double brainActivity(BrainPart p) {
  switch (p) {
    case BrainPart::Air: return 0.0;
    case BrainPart::Scalp: return 0.12;
    case BrainPart::Skull: return 0.04;
    case BrainPart::Gap: return 0.04;
    case BrainPart::Grey: return 1.0;
    case BrainPart::White: return 0.25;
    case BrainPart::Sulcus: return 0.0;
    case BrainPart::Caudate: return 1.05;
    case BrainPart::Putamen: return 1.05;
    case BrainPart::Thalamus: return 1.0;
    case BrainPart::Ventricle: return 0.0;
    case BrainPart::CerebellarCortex: return 0.85;
    case BrainPart::CerebellarCore: return 0.3;
    case BrainPart::BrainStem: return 0.45;
  }
  return 0.0;
}

double brainMu(BrainPart p, double softTissueMu) {
  if (p == BrainPart::Air) return 0.0;
  if (p == BrainPart::Skull) return softTissueMu * kBoneToSoftTissue;
  return softTissueMu;
}

}  // namespace lumo::tomo
