// lambda_j <- lambda_j / s_j * sum_{i in S} a_ij y_i / (sum_l a_il lambda_l), s_j = sum_{i in S} a_ij.
#include "model/tomo/Osem.h"

#include <cmath>

namespace lumo::tomo {

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

}  // namespace lumo::tomo
