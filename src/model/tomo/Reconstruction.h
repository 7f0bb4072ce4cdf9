#pragma once
// f^ = FBP(y) or MLEM/OSEM(y), in the units of the data: a perfect reconstruction equals the truth.
//
// reconstruct() runs the method of the settings on a sinogram (its own geometry: views, angles,
// bins, bin width and radius of rotation) and returns a slice of bins x bins pixels of binMm:
// - fbp:  Fbp.h (pre-filter x Ramp or Shepp-Logan, back-projection; Chang correction when ac is
//         on and a mu map is given).
// - mlem: Osem.h with one subset; osem: with effectiveSubsets(subsets, views) subsets. The system
//         model attenuates when ac is on and a mu map is given, and blurs with the settings'
//         collimator when rr is on.
// - then the Gaussian post-filter (postfilterMm > 0), also on every partial slice.
// History: one record per iteration (FBP: one, iteration 0, logLikelihood NaN); logLikelihood is
// sum_i (y_i log ybar_i - ybar_i) of the unfiltered estimate under the reconstruction's own system
// model; nrmse, cv and crc (the first Hot region, else the first Cold one) are of the post-filtered
// slice, NaN without truth and phantom.
// The observer sees the build-up (FBP: after each view, index = views done; MLEM/OSEM: after each
// sub-iteration, index = sub-iterations done, total = iterations x subsets) and stops the work by
// returning false: the result is then the slice so far, cancelled = true.
#include <functional>
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Sinogram.h"

namespace lumo::tomo {

struct IterationRecord {
  int iteration;
  double logLikelihood, nrmse, cv, crc;
};

struct BuildStep {
  int index, total;
  const Image* partial;  // the slice so far (valid during the call only)
};

// Return false to cancel; called on the computing thread.
using StepObserver = std::function<bool(const BuildStep&)>;

struct Reconstruction {
  Image slice;
  std::vector<IterationRecord> history;
  bool cancelled = false;
};

// mu may be null (imported data without an attenuation map: no correction); truth and phantom may
// be null (no figures that need a truth: they are NaN, shown as not available). A sinogram that
// is empty or inconsistent (counts.size() != views * bins, bins < 2) gives an empty slice.
Reconstruction reconstruct(const Settings&, const Sinogram&, const Image* mu, const Image* truth,
                           const Phantom* phantom, const StepObserver& = {});

// The record of one slice: nrmse, cv and crc against truth and phantom (NaN where missing).
IterationRecord recordOf(int iteration, double logLikelihood, const Image& slice, const Image* truth,
                         const Phantom* phantom);

}  // namespace lumo::tomo
