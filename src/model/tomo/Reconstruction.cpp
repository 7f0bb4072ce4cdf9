// f^ = FBP(y) or MLEM/OSEM(y), in the units of the data: a perfect reconstruction equals the truth.
#include "model/tomo/Reconstruction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/tomo/Chang.h"
#include "model/tomo/Fbp.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Osem.h"
#include "model/tomo/Parallel.h"
#include "model/tomo/PostFilter.h"
#include "model/tomo/Projector.h"

namespace lumo::tomo {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

bool usable(const Sinogram& s) {
  return s.views >= 1 && s.bins >= 2 && std::isfinite(s.binMm) && s.binMm > 0 && std::isfinite(s.startDeg) &&
         std::isfinite(s.stepDeg) && std::isfinite(s.radiusCm) &&
         s.counts.size() == sz(static_cast<long long>(s.views) * s.bins);
}

const Image* fittingMu(const Image* mu, int n) {
  return mu && mu->n == n && mu->px.size() == sz(static_cast<long long>(n) * n) ? mu : nullptr;
}

// The data as counts: negative or non-finite entries count as 0.
std::vector<float> cleanCounts(const Sinogram& s) {
  std::vector<float> y(s.counts);
  for (float& v : y)
    if (!(v > 0) || !std::isfinite(v)) v = 0.0f;
  return y;
}

Reconstruction fbp(const Settings& set, const Sinogram& sino, const Image* mu, const Image* truth, const Phantom* phantom,
                   const StepObserver& observe) {
  const int n = sino.bins, V = sino.views;
  Reconstruction r;
  Sinogram data = sino;
  data.counts = cleanCounts(sino);
  const std::vector<float> filtered = filterViews(data, set);
  Image chang;
  if (set.ac && mu) chang = changFactors(ProjectionGeometry::of(sino), *mu);
  const float scale = static_cast<float>(std::numbers::pi / V);
  std::vector<float> acc(sz(static_cast<long long>(n) * n), 0.0f);
  auto sliceOf = [&]() {
    Image im = Image::blank(n, sino.binMm);
    for (std::size_t i = 0; i < acc.size(); ++i) im.px[i] = acc[i] * scale * (chang.px.empty() ? 1.0f : chang.px[i]);
    return gaussianPostFilter(im, set.postfilterMm);
  };
  if (!observe) {
    backprojectViews(sino, filtered, 0, V, acc);
  } else {
    for (int v = 0; v < V; ++v) {
      backprojectViews(sino, filtered, v, v + 1, acc);
      const Image partial = sliceOf();
      if (!observe(BuildStep{v + 1, V, &partial})) {
        r.slice = partial;
        r.cancelled = true;
        return r;
      }
    }
  }
  r.slice = sliceOf();
  r.history.push_back(recordOf(0, kNaN, r.slice, truth, phantom));
  return r;
}

Reconstruction osem(const Settings& set, const Sinogram& sino, const Image* mu, const Image* truth, const Phantom* phantom,
                    const StepObserver& observe) {
  const int n = sino.bins, V = sino.views;
  const std::size_t pixels = sz(static_cast<long long>(n) * n);
  const Projector A(ProjectionGeometry::of(sino), set.ac ? mu : nullptr, set.rr ? set.collimator : Collimator::None);
  const int S = set.method == Method::Mlem ? 1 : effectiveSubsets(set.subsets, V);
  const int iterations = std::max(1, set.iterations);
  const std::vector<float> y = cleanCounts(sino);

  std::vector<std::vector<int>> views(sz(S));
  std::vector<std::vector<float>> sens(sz(S));
  std::vector<float> ones(y.size(), 1.0f);
  for (int s = 0; s < S; ++s) {
    views[sz(s)] = subsetViews(s, S, V);
    sens[sz(s)].resize(pixels);
    A.back(ones.data(), sens[sz(s)].data(), views[sz(s)]);
  }
  std::vector<char> field(pixels);
  for (int yy = 0; yy < n; ++yy)
    for (int x = 0; x < n; ++x) field[sz(static_cast<long long>(yy) * n + x)] = insideField(n, x, yy);
  double total = 0;
  for (float v : y) total += v;
  // The uniform start c with sum_j s_j c = sum y (the sensitivities of all subsets add up to s_j).
  std::vector<float> lambda(pixels, 0.0f);
  {
    double fieldSens = 0;
    for (int s = 0; s < S; ++s)
      for (std::size_t i = 0; i < pixels; ++i)
        if (field[i]) fieldSens += sens[sz(s)][i];
    const float c = fieldSens > 0 ? static_cast<float>(total / fieldSens) : 0.0f;
    for (std::size_t i = 0; i < pixels; ++i) lambda[i] = field[i] ? c : 0.0f;
  }

  std::vector<float> ybar(y.size(), 0.0f), ratio(y.size(), 0.0f), corr(pixels);
  const std::vector<int> order = subsetOrder(S);
  Reconstruction r;
  auto sliceOf = [&]() {
    Image im = Image::blank(n, sino.binMm);
    im.px = lambda;
    return gaussianPostFilter(im, set.postfilterMm);
  };
  const int total_steps = iterations * S;
  int step = 0;
  constexpr float kTiny = 1e-20f;
  for (int it = 1; it <= iterations; ++it) {
    for (int s : order) {
      const std::vector<int>& vs = views[sz(s)];
      A.forward(lambda.data(), ybar.data(), vs);
      for (int v : vs)
        for (int b = 0; b < n; ++b) {
          const std::size_t i = sz(static_cast<long long>(v) * n + b);
          ratio[i] = ybar[i] > kTiny ? y[i] / ybar[i] : 0.0f;
        }
      A.back(ratio.data(), corr.data(), vs);
      const std::vector<float>& sj = sens[sz(s)];
      const int lanes = parallelLanes();
      parallelFor(lanes, [&](int lane) {
        const std::size_t a = pixels * sz(lane) / sz(lanes), b = pixels * sz(lane + 1) / sz(lanes);
        for (std::size_t i = a; i < b; ++i) {
          if (!field[i]) continue;
          if (sj[i] > kTiny) {
            const float v = lambda[i] * (corr[i] / sj[i]);
            lambda[i] = std::isfinite(v) ? v : lambda[i];
          }
        }
      });
      ++step;
      if (observe) {
        const Image partial = sliceOf();
        if (!observe(BuildStep{step, total_steps, &partial})) {
          r.slice = partial;
          r.cancelled = true;
          return r;
        }
      }
    }
    A.forward(lambda.data(), ybar.data());
    const double ll = poissonLogLikelihood(y, ybar);
    r.slice = sliceOf();
    r.history.push_back(recordOf(it, ll, r.slice, truth, phantom));
  }
  return r;
}
}  // namespace

IterationRecord recordOf(int iteration, double logLikelihood, const Image& slice, const Image* truth, const Phantom* phantom) {
  IterationRecord rec{iteration, logLikelihood, kNaN, kNaN, kNaN};
  if (phantom) rec.cv = noiseCv(slice, *phantom);
  if (truth) rec.nrmse = nrmse(slice, *truth);
  if (truth && phantom) {
    const Figures f = figuresOfMerit(slice, *truth, *phantom);
    // The first Hot region's CRC, else the first Cold one's (regions are listed hot first).
    double crc = kNaN;
    bool found = false;
    for (Region::Kind kind : {Region::Hot, Region::Cold}) {
      std::size_t k = 0;
      for (const Region& reg : phantom->regions) {
        if (reg.kind != Region::Hot && reg.kind != Region::Cold) continue;
        if (reg.kind == kind && !found && k < f.crc.size()) {
          crc = f.crc[k].crc;
          found = true;
        }
        ++k;
      }
    }
    rec.crc = crc;
  }
  return rec;
}

Reconstruction reconstruct(const Settings& set, const Sinogram& sino, const Image* mu, const Image* truth,
                           const Phantom* phantom, const StepObserver& observe) {
  if (!usable(sino)) return {};
  const Image* m = fittingMu(mu, sino.bins);
  if (set.method == Method::Fbp) return fbp(set, sino, m, truth, phantom, observe);
  return osem(set, sino, m, truth, phantom, observe);
}

}  // namespace lumo::tomo
