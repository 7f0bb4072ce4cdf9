#pragma once
// Scatter in the energy windows of a Tc-99m acquisition, and its estimates by TEW and DEW.
//
// The model (a buildup model, as in the effective-scatter-source methods of Frey and Tsui and the
// buildup-factor descriptions of scatter in Ljungberg and Strand's Monte Carlo studies): a source
// seen through an attenuation length l = mu x of water sends e^-l of its photons to the detector
// unscattered and about kBuildup l e^-l more after scattering on the way (a linear buildup factor
// B = 1 + kBuildup l, counted at all energies). Per view the system model gives sum_j R_v x e^-l l
// along each of its rays (SystemModel::buildupZ, the projector's own rays and attenuation), and
// the scattered photons are spread on the detector by a separable exponential kernel
// exp(-|t| / kScatterSpreadMm) across bins and rows. So the scatter-to-primary ratio of a source
// grows with the water in front of it, a line source in water has long exponential tails, and a
// source in air has none.
// The energies (Spectrum): a detected primary has the camera's Gaussian energy response (FWHM
// `resolution` % at 140.5 keV, growing as the square root of the energy); a detected scattered
// photon has the Compton energy of one scattering (Klein-Nishina weighted over the angle) or, for
// kMultipleShare of them, of two, blurred by the same response. Windows are counted from these.
// kBuildup is chosen so that a 20 cm water cylinder at a 20 % window has a scatter fraction of
// about 0.3, as Monte Carlo studies and measurements report (0.25 to 0.40).
// What it leaves out: where along the ray a photon scatters (the spread does not depend on the
// depth), the extra attenuation of the lower-energy scattered photons on their way out (the
// spectrum does not depend on the depth), scatter from outside the field and in the collimator
// and crystal (backscatter, lead X-rays), coherent scattering, and the energy-dependent
// efficiency of the crystal.
#include <vector>

#include "model/tomo/ProjectionStack.h"
#include "model/tomo/SystemModel.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

constexpr double kTc99mKeV = 140.5;
constexpr double kElectronRestKeV = 511.0;
constexpr double kBuildup = 2.4;            // scattered photons detected per primary and unit of attenuation length
constexpr double kScatterSpreadMm = 25.0;   // length of the exponential spread on the detector
constexpr double kMultipleShare = 0.35;     // detected scatter that scattered twice or more
constexpr double kDewFactor = 0.5;          // DEW: photopeak scatter = k * Compton window counts

struct EnergyWindow {
  double loKeV = 0, hiKeV = 0;
  double widthKeV() const { return hiKeV - loKeV; }
};

// The photopeak window (`windowPercent` of 140.5 keV, centred), the TEW sub-windows beside it
// (`subwindowPercent` each) and the DEW Compton window (92 to 125 keV).
struct EnergyWindows {
  EnergyWindow peak, lower, upper, compton;
};
EnergyWindows energyWindows(double windowPercent, double subwindowPercent);

// The energy of a photon of e keV after Compton scattering by theta radians.
double comptonKeV(double e, double theta);

class Spectrum {
 public:
  explicit Spectrum(double resolutionPercent);
  // Densities per keV of a detected primary and of a detected scattered photon (each integrates
  // to 1 over all energies).
  double primaryDensity(double keV) const;
  double scatterDensity(double keV) const;
  // The share of primaries and of scattered photons counted in a window.
  double primaryIn(const EnergyWindow&) const;
  double scatterIn(const EnergyWindow&) const;
  double resolutionPercent() const { return resolution_; }

 private:
  double resolution_;
  double lo_, step_;
  std::vector<double> scatter_;  // density on the grid lo_ + i step_
  std::vector<double> cumulative_;
};

// The detected scatter of an activity volume at all energies, in the model's units (as A x):
// kBuildup times the spread of the model's attenuated photons weighted by their attenuation length.
ProjectionStack detectedScatter(const SystemModel& attenuating, const Volume& activity);

// The exponential spread on the detector, in place on one view's image (rows x bins).
void spreadScatter(float* image, int rows, int bins, double rowMm, double binMm);

// TEW: S = (C_lower / W_lower + C_upper / W_upper) * W_peak / 2, per bin.
std::vector<float> tewEstimate(const ProjectionStack& lower, const ProjectionStack& upper, const EnergyWindows&);
// DEW: S = k * C_compton, per bin.
std::vector<float> dewEstimate(const ProjectionStack& compton, double k = kDewFactor);

}  // namespace lumo::tomo
