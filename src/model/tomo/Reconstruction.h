#pragma once
// f^ = FBP(y) / k or MLEM/OSEM(y) / k in kBq/mL (k: the acquisition's calibration, Acquisition.h):
// a perfect reconstruction equals the truth.
//
// reconstruct() runs the method of the settings on projections (their own geometry: views,
// angles, rows, bins, bin size and radii) and returns a volume of bins x bins x rows voxels of
// binMm:
// - fbp:  Fbp.h, slice by slice; Chang's factors (Chang.h) when ac is on and a mu map is given.
// - mlem: Osem.h with one subset; osem: with the subsets of subsetPlan(). The system model
//         (SystemModel.h) attenuates when ac is on and a mu map is given, and blurs with the
//         settings' collimator when rr is on; the start is uniform in the field's cylinder.
// - a scatter estimate (counts per bin, Scatter.h) is subtracted from the data before FBP's filter
//   (negative counts to 0) and is MLEM/OSEM's additive term (ybar = A x + s), never subtracted.
// - then the Gaussian post-filter (postfilterMm > 0), also on every partial volume.
// History: one record per iteration (FBP: one, iteration 0, logLikelihood NaN); logLikelihood is
// sum_i (y_i log ybar_i - ybar_i) of the unfiltered estimate under the reconstruction's own system
// model; nrmse, cv and crc (the first Hot region, else the first Cold one) are of the
// post-filtered volume, NaN without truth and phantom.
// The observer sees the build-up (FBP: after each view, index = views done; MLEM/OSEM: after each
// sub-iteration, index = sub-iterations done, total = the plan's steps) and stops the work by
// returning false: the result is then the volume so far, cancelled = true.
// Data that are empty or inconsistent, an attenuation map of another grid than the data's, or a
// calibration that is not positive are errors: std::invalid_argument, never a silent fallback.
#include <functional>
#include <span>
#include <vector>

#include "model/tomo/Image.h"
#include "model/tomo/Phantom.h"
#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Settings.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

struct IterationRecord {
  int iteration;
  double logLikelihood, nrmse, cv, crc;
};

struct BuildStep {
  int index, total;
  const Volume* partial;  // the volume so far (valid during the call only)
};

// Return false to cancel; called on the computing thread.
using StepObserver = std::function<bool(const BuildStep&)>;

struct Reconstruction {
  Volume volume;
  std::vector<IterationRecord> history;
  bool cancelled = false;
};

// mu may be null (imported data without an attenuation map: no correction); truth and phantom may
// be null (no figures that need a truth: they are NaN, shown as not available).
// scatter: the estimate of the data's scatter, one value per bin, or empty for none.
Reconstruction reconstruct(const Settings&, const ProjectionStack&, const Volume* mu, double calibration,
                           const Volume* truth, const Phantom* phantom, const StepObserver& = {},
                           std::span<const float> scatter = {});

// The record of one volume: nrmse, cv and crc against truth and phantom (NaN where missing).
IterationRecord recordOf(int iteration, double logLikelihood, const Volume& result, const Volume* truth,
                         const Phantom* phantom);

}  // namespace lumo::tomo
