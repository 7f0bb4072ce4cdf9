// f^ = FBP(y) / k or MLEM/OSEM(y) / k in kBq/mL: a perfect reconstruction equals the truth.
#include "model/tomo/Reconstruction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "model/tomo/Chang.h"
#include "model/tomo/Fbp.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Osem.h"
#include "model/tomo/PostFilter.h"
#include "model/tomo/SystemModel.h"

namespace lumo::tomo {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Volume scaled(const Volume& v, double factor) {
  Volume out = v;
  for (float& x : out.v) x = static_cast<float>(x * factor);
  return out;
}

Reconstruction fbp(const Settings& set, const ProjectionStack& data, const Volume* mu, double calibration,
                   const Volume* truth, const Phantom* phantom, const StepObserver& observe, std::span<const float> scatter) {
  const ProjectionGeometry& g = data.geometry;
  const int V = g.views;
  Reconstruction r;
  // The data less the scatter estimate, negative counts to 0, then filtered.
  ProjectionStack primary = data;
  for (std::size_t i = 0; i < scatter.size(); ++i) primary.counts[i] -= scatter[i];
  const std::vector<float> filtered = filterProjections(primary.asCounts(), set);
  Volume chang;
  if (set.ac && mu) chang = changFactors(SystemModel(g, g.bins, g.binMm, mu, Collimator::None), *mu);
  const double weight = fbpViewWeight(g) / calibration;
  Volume acc = Volume::blank(g.bins, g.rows, g.binMm);
  auto volumeOf = [&]() {
    Volume v = acc;
    for (std::size_t i = 0; i < v.v.size(); ++i)
      v.v[i] = static_cast<float>(acc.v[i] * weight) * (chang.v.empty() ? 1.0f : chang.v[i]);
    return gaussianPostFilter(v, set.postfilterMm);
  };
  if (!observe) {
    backprojectViews(g, filtered, 0, V, acc);
  } else {
    for (int v = 0; v < V; ++v) {
      backprojectViews(g, filtered, v, v + 1, acc);
      const Volume partial = volumeOf();
      if (!observe(BuildStep{v + 1, V, &partial})) {
        r.volume = partial;
        r.cancelled = true;
        return r;
      }
    }
  }
  r.volume = volumeOf();
  r.history.push_back(recordOf(0, kNaN, r.volume, truth, phantom));
  return r;
}

Reconstruction iterative(const Settings& set, const ProjectionStack& data, const Volume* mu, double calibration,
                         const Volume* truth, const Phantom* phantom, const StepObserver& observe,
                         std::span<const float> scatter) {
  const ProjectionGeometry& g = data.geometry;
  const SystemModel A(g, g.bins, g.binMm, set.ac ? mu : nullptr, set.rr ? set.collimator : Collimator::None);
  const SubsetPlan plan = subsetPlan(set, g.views);
  const ProjectionStack y = data.asCounts();
  Reconstruction r;
  ProjectionStack ybar = A.blankProjections();
  const EmObserver watch = [&](const EmProgress& p) {
    const bool iterationDone = p.step % plan.subsets == 0;
    if (!observe && !iterationDone) return true;
    const Volume result = gaussianPostFilter(scaled(p.estimate, 1.0 / calibration), set.postfilterMm);
    if (iterationDone) {
      A.forward(p.estimate, ybar);
      for (std::size_t i = 0; i < scatter.size(); ++i) ybar.counts[i] += scatter[i];
      r.history.push_back(recordOf(p.step / plan.subsets, poissonLogLikelihood(y.counts, ybar.counts), result, truth, phantom));
    }
    if (observe && !observe(BuildStep{p.step, plan.steps(), &result})) {
      r.volume = result;
      return false;
    }
    return true;
  };
  const EmResult em = osem(A, y, scatter, uniformStart(A, y, scatter), plan, watch);
  if (em.cancelled) {
    r.cancelled = true;
    return r;
  }
  r.volume = gaussianPostFilter(scaled(em.estimate, 1.0 / calibration), set.postfilterMm);
  return r;
}
}  // namespace

IterationRecord recordOf(int iteration, double logLikelihood, const Volume& result, const Volume* truth,
                         const Phantom* phantom) {
  IterationRecord rec{iteration, logLikelihood, kNaN, kNaN, kNaN};
  if (phantom) rec.cv = noiseCv(result, *phantom);
  if (truth) rec.nrmse = nrmse(result, *truth);
  if (truth && phantom) {
    const Figures f = figuresOfMerit(result, *truth, *phantom);
    // The first Hot region's CRC, else the first Cold one's (f.crc lists them in the phantom's order).
    double crc = kNaN;
    for (Region::Kind kind : {Region::Hot, Region::Cold}) {
      std::size_t k = 0;
      for (const Region& reg : phantom->regions) {
        if (reg.kind != Region::Hot && reg.kind != Region::Cold) continue;
        if (reg.kind == kind && std::isnan(crc) && k < f.crc.size()) crc = f.crc[k].crc;
        ++k;
      }
      if (!std::isnan(crc)) break;
    }
    rec.crc = crc;
  }
  return rec;
}

Reconstruction reconstruct(const Settings& set, const ProjectionStack& data, const Volume* mu, double calibration,
                           const Volume* truth, const Phantom* phantom, const StepObserver& observe,
                           std::span<const float> scatter) {
  if (!data.consistent()) throw std::invalid_argument("the projections are empty or do not match their geometry");
  if (!(calibration > 0) || !std::isfinite(calibration)) throw std::invalid_argument("the calibration must be positive");
  if (mu) requireMapFits(*mu, data.geometry);
  if (!scatter.empty() && scatter.size() != data.counts.size())
    throw std::invalid_argument("the scatter estimate does not match the projections");
  if (set.method == Method::Fbp) return fbp(set, data, mu, calibration, truth, phantom, observe, scatter);
  return iterative(set, data, mu, calibration, truth, phantom, observe, scatter);
}

}  // namespace lumo::tomo
