#pragma once
// y = Poisson(k (f A a + g s(a))), k = S t V / 1000: a, the phantom's activity in kBq/mL, seen by
// a camera of sensitivity S (cps/MBq, Collimator.h) for t seconds per view, V the voxel's volume
// in mL; in the photopeak window a share f of the primaries and g of the scatter s(a) (Scatter.h).
//
// The phantom's concentrations are fixed whatever the acquisition; `counts` is the student's knob:
// it sets the time per view t that gives that expected total. The data always carry the full
// physics chosen: attenuation by the phantom's mu map and the collimator's depth-dependent blur
// in both directions of the detector at the radius of rotation, views over the settings' arc from
// their start angle in their direction (ProjectionStack.h), and, unless `scatter` is off, scatter
// in every energy window: the photopeak's data, the TEW sub-windows and the DEW Compton window,
// each with its own Poisson noise. Without scatter there are no windows (f = 1, g = 0), the data
// of an ideal camera. k f is the acquisition's calibration: a reconstruction divided by it is in
// kBq/mL, so truth and result share one unit at any counts, views or matrix, and a perfect
// reconstruction (of scatter-free or perfectly corrected data) equals the truth voxel for voxel.
#include "model/tomo/Phantom.h"
#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Scatter.h"
#include "model/tomo/Settings.h"

namespace lumo::tomo {

struct Acquisition {
  Phantom phantom;           // phantom.activity is the truth, kBq/mL (empty for imported data)
  ProjectionStack data;      // Poisson draws when noise is on, else the expected counts
  ProjectionStack expected;  // the expected (noiseless) counts
  double calibration = 1;    // counts per kBq/mL per unit of the system model (1: data in counts)
  double secondsPerView = 0;

  // The energy windows (empty stacks without scatter, or for imported data without them).
  ProjectionStack scatter;                // the expected scatter in the photopeak window: the truth of a correction
  ProjectionStack lower, upper, compton;  // the counts of the TEW sub-windows and the DEW window
  EnergyWindows windows;
  double resolutionPercent = 10;
  double primaryTotal = 0, scatterTotal = 0;  // expected counts at every energy, for the spectrum

  const Volume& truth() const { return phantom.activity; }
  bool hasTruth() const { return !phantom.activity.empty(); }
  bool hasWindows() const { return !lower.counts.empty() && !upper.counts.empty(); }
  // The scatter fraction: photopeak scatter over all photopeak counts (expected), NaN without.
  double scatterFraction() const;
};

// The acquisition's spectrum: expected counts per keV of the primaries and of the scatter at each
// energy of `keV`.
struct SpectrumCounts {
  std::vector<double> primary, scatter;
};
SpectrumCounts spectrumCounts(const Acquisition&, const std::vector<double>& keV);

// The settings' scatter estimate of the photopeak data (TEW or DEW from the windows), empty for
// none or when the data have no windows.
std::vector<float> scatterEstimate(const Settings&, const Acquisition&);

// The attenuation map a correction uses: the phantom's with soft tissue at `acmu` (bone and lung in
// proportion), the phantom's own when acmu is 0.
Volume correctionMap(const Settings&, const Acquisition&);

// The settings' acquisition geometry for an n x n x slices grid of voxelMm voxels.
ProjectionGeometry acquisitionGeometry(const Settings&, int n, int slices, double voxelMm);

Acquisition acquire(const Settings&);

}  // namespace lumo::tomo
