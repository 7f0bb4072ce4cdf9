#pragma once
// lambda_j <- lambda_j / s_j * sum_{i in S} a_ij y_i / (sum_l a_il lambda_l), s_j = sum_{i in S} a_ij.
//
// OSEM over subsets S of views (MLEM: one subset of every view). Subset s holds the views v with
// v mod S = s (uneven when S does not divide V: some subsets have one view more); subsets are
// visited in bit-reversed order (0, 4, 2, 6, 1, 5, 3, 7 for 8; for other S the bit reversal of the
// next power of two with the indices >= S left out). The first estimate is uniform in the circle
// of the field with the data's total: c = sum y / sum_j s_j. Guards: where the forward projection
// is 0 the ratio counts 0; where a subset's sensitivity is 0 the pixel keeps its value; outside the
// circle the estimate is 0. Nothing becomes NaN or infinite.
#include <cstdint>
#include <span>
#include <vector>

namespace lumo::tomo {

// The visiting order of `subsets` subsets.
std::vector<int> subsetOrder(int subsets);
// The views of subset s of `subsets` over `views` views.
std::vector<int> subsetViews(int s, int subsets, int views);
// sum_i (y_i log ybar_i - ybar_i), terms with ybar_i <= 0 taken at ybar_i = 1e-12.
double poissonLogLikelihood(std::span<const float> y, std::span<const float> ybar);

}  // namespace lumo::tomo
