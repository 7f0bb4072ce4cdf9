// x_j <- x_j / sum_{i in S} a_ij * sum_{i in S} a_ij y_i / (sum_l a_il x_l + s_i)   (views of subset S)
#include "model/tomo/Osem.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "model/tomo/Parallel.h"

namespace lumo::tomo {

namespace {
std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// 1 for voxels (z-fastest) whose column lies in the field's circle.
std::vector<char> fieldMaskZ(const ModelGrid& g) {
  std::vector<char> m(g.volumeSize(), 0);
  const std::size_t K = sz(g.slices);
  for (int y = 0; y < g.n; ++y)
    for (int x = 0; x < g.n; ++x)
      if (insideField(g.n, x, y))
        std::fill(m.begin() + static_cast<std::ptrdiff_t>((sz(y) * sz(g.n) + sz(x)) * K),
                  m.begin() + static_cast<std::ptrdiff_t>((sz(y) * sz(g.n) + sz(x) + 1) * K), 1);
  return m;
}

}  // namespace

SubsetPlan SubsetPlan::make(int iterations, int subsets, int views) {
  SubsetPlan p;
  p.views = std::max(0, views);
  p.iterations = std::max(1, iterations);
  p.subsets = effectiveSubsets(subsets, views);
  for (int s = 0; s < p.subsets; ++s) p.viewsOf.push_back(subsetViews(s, p.subsets, p.views));
  p.order = subsetOrder(p.subsets);
  return p;
}

SubsetPlan::Position SubsetPlan::at(int done) const {
  if (done <= 0) return {1, 0};
  const int d = std::min(done, steps());
  return {(d - 1) / subsets + 1, (d - 1) % subsets + 1};
}

SubsetPlan subsetPlan(const Settings& s, int views) {
  return SubsetPlan::make(s.iterations, s.method == Method::Osem ? s.subsets : 1, views);
}

std::vector<int> subsetOrder(int subsets) {
  std::vector<int> order;
  if (subsets <= 0) return order;
  int bits = 0;
  while ((1 << bits) < subsets) ++bits;
  for (int i = 0; i < (1 << bits); ++i) {
    int r = 0;
    for (int b = 0; b < bits; ++b)
      if (i & (1 << b)) r |= 1 << (bits - 1 - b);
    if (r < subsets) order.push_back(r);
  }
  return order;
}

std::vector<int> subsetViews(int s, int subsets, int views) {
  std::vector<int> out;
  if (subsets <= 0 || s < 0 || s >= subsets) return out;
  for (int v = s; v < views; v += subsets) out.push_back(v);
  return out;
}

double poissonLogLikelihood(std::span<const float> y, std::span<const float> ybar) {
  double sum = 0;
  const std::size_t n = std::min(y.size(), ybar.size());
  for (std::size_t i = 0; i < n; ++i) {
    const double m = ybar[i] > 0 ? static_cast<double>(ybar[i]) : 1e-12;
    const double d = y[i] > 0 ? static_cast<double>(y[i]) : 0.0;
    sum += (d > 0 ? d * std::log(m) : 0.0) - m;
  }
  return sum;
}

Volume uniformStart(const SystemModel& A, const ProjectionStack& data, std::span<const float> additive) {
  const ModelGrid& g = A.grid();
  std::vector<float> ones(A.geometry().size(), 1.0f), sens(g.volumeSize());
  A.backZ(ones.data(), sens.data());
  const std::vector<char> field = fieldMaskZ(g);
  double fieldSens = 0;
  for (std::size_t i = 0; i < sens.size(); ++i)
    if (field[i]) fieldSens += sens[i];
  double total = data.asCounts().total();
  for (float s : additive) total -= s;
  const float c = fieldSens > 0 && total > 0 ? static_cast<float>(total / fieldSens) : 0.0f;
  std::vector<float> u(g.volumeSize());
  for (std::size_t i = 0; i < u.size(); ++i) u[i] = field[i] ? c : 0.0f;
  Volume out = A.blankVolume();
  fromZFastest(u.data(), out);
  return out;
}

EmResult osem(const SystemModel& A, const ProjectionStack& data, std::span<const float> additive, const Volume& start,
              const SubsetPlan& plan, const EmObserver& observe) {
  const ProjectionGeometry& geo = A.geometry();
  const ModelGrid& g = A.grid();
  if (data.counts.size() != geo.size()) throw std::invalid_argument("the data do not match the system model's geometry");
  if (!additive.empty() && additive.size() != geo.size())
    throw std::invalid_argument("the additive term does not match the system model's geometry");
  if (start.n != g.n || start.slices != g.slices || start.v.size() != g.volumeSize())
    throw std::invalid_argument("the start image does not match the system model's grid");
  if (plan.views != geo.views) throw std::invalid_argument("the subset plan is for another number of views");

  const std::size_t voxels = g.volumeSize(), viewSize = geo.viewSize();
  const std::vector<float> y = data.asCounts().counts;
  const std::vector<char> field = fieldMaskZ(g);
  std::vector<float> ones(y.size(), 1.0f);
  std::vector<std::vector<float>> sens(sz(plan.subsets));
  for (int s = 0; s < plan.subsets; ++s) {
    sens[sz(s)].resize(voxels);
    A.backZ(ones.data(), sens[sz(s)].data(), plan.viewsOf[sz(s)]);
  }
  std::vector<float> x(voxels);
  toZFastest(start, x.data());
  for (float& v : x)
    if (!(v >= 0) || !std::isfinite(v)) v = 0.0f;

  EmResult result;
  result.estimate = A.blankVolume();
  std::vector<float> corr(voxels);
  constexpr float kTiny = 1e-20f;
  int step = 0;
  for (int it = 1; it <= plan.iterations; ++it) {
    for (int s : plan.order) {
      // corr = A_S^T (y / (A_S x + s)), view by view.
      A.forwardThenBackZ(
          x.data(),
          [&](int v, float* image) {
            const std::size_t at = sz(v) * viewSize;
            for (std::size_t i = 0; i < viewSize; ++i) {
              const float expected = image[i] + (additive.empty() ? 0.0f : additive[at + i]);
              image[i] = expected > kTiny ? y[at + i] / expected : 0.0f;
            }
          },
          corr.data(), plan.viewsOf[sz(s)]);
      const std::vector<float>& sj = sens[sz(s)];
      const int lanes = parallelLanes();
      parallelFor(lanes, [&](int lane) {
        const std::size_t a = voxels * sz(lane) / sz(lanes), b = voxels * sz(lane + 1) / sz(lanes);
        for (std::size_t i = a; i < b; ++i) {
          if (!field[i] || !(sj[i] > kTiny)) continue;
          const float v = x[i] * (corr[i] / sj[i]);
          if (std::isfinite(v)) x[i] = v;
        }
      });
      ++step;
      if (observe) {
        fromZFastest(x.data(), result.estimate);
        if (!observe(EmProgress{step, plan, result.estimate})) {
          result.steps = step;
          result.cancelled = true;
          return result;
        }
      }
    }
  }
  fromZFastest(x.data(), result.estimate);
  result.steps = step;
  return result;
}

}  // namespace lumo::tomo
