#pragma once
// x_j <- x_j / sum_{i in S} a_ij * sum_{i in S} a_ij y_i / (sum_l a_il x_l + s_i)   (views of subset S)
//
// MLEM (one subset of every view) and OSEM on any system model (SystemModel.h), with an additive
// term s per projection bin (scatter and other known counts: ybar = A x + s) and a start image of
// the caller's choosing. The algorithm computes no figures of merit: it reports each
// sub-iteration to an observer, which may stop it.
//
// Subsets (SubsetPlan): subset s holds the views v with v mod S = s (uneven when S does not divide
// V: some subsets have one view more); S is the subsets asked for, at most the views; subsets are
// visited in bit-reversed order (0, 4, 2, 6, 1, 5, 3, 7 for 8; for other S the bit reversal of the
// next power of two with the indices >= S left out). The window, the runner and the build-up all
// count steps with the same plan.
//
// Guards: where the expected counts are 0 the ratio counts 0; where a subset's sensitivity is 0 the
// voxel keeps its value; outside the field's cylinder the estimate stays as the start image has it
// (0 for uniformStart). Nothing becomes NaN or infinite.
#include <functional>
#include <span>
#include <vector>

#include "model/tomo/ProjectionStack.h"
#include "model/tomo/Settings.h"
#include "model/tomo/SystemModel.h"
#include "model/tomo/Volume.h"

namespace lumo::tomo {

struct SubsetPlan {
  int iterations = 1, subsets = 1, views = 0;
  std::vector<std::vector<int>> viewsOf;  // the views of subset s
  std::vector<int> order;                 // the visiting order of the subsets

  // subsets is clamped to 1 .. views, iterations to at least 1.
  static SubsetPlan make(int iterations, int subsets, int views);
  int steps() const { return iterations * subsets; }
  // Where step `done` (sub-iterations done, 1 .. steps()) stands: its iteration (1-based) and its
  // sub-iteration within that iteration (1 .. subsets).
  struct Position {
    int iteration, subIteration;
  };
  Position at(int done) const;
  // Iterations done after `done` sub-iterations, fractional.
  double iterationsDone(int done) const { return subsets > 0 ? static_cast<double>(done) / subsets : 0.0; }
};

// The plan of a reconstruction of the settings' method on `views` views (MLEM: one subset).
SubsetPlan subsetPlan(const Settings&, int views);

// The visiting order of `subsets` subsets.
std::vector<int> subsetOrder(int subsets);
// The views of subset s of `subsets` over `views` views.
std::vector<int> subsetViews(int s, int subsets, int views);

struct EmProgress {
  int step;                // sub-iterations done
  const SubsetPlan& plan;
  const Volume& estimate;  // valid during the call only
};
// Return false to stop; called on the computing thread after every sub-iteration.
using EmObserver = std::function<bool(const EmProgress&)>;

struct EmResult {
  Volume estimate;
  int steps = 0;
  bool cancelled = false;
};

// data and additive (empty: none) on the model's geometry; start on the model's grid. Throws
// std::invalid_argument when a size does not match.
EmResult osem(const SystemModel&, const ProjectionStack& data, std::span<const float> additive, const Volume& start,
              const SubsetPlan&, const EmObserver& = {});

// The uniform start c inside the field's cylinder with sum_j sens_j c = sum (y - s)+: the data's
// total, less the additive term's.
Volume uniformStart(const SystemModel&, const ProjectionStack& data, std::span<const float> additive);

// sum_i (y_i log ybar_i - ybar_i), terms with ybar_i <= 0 taken at ybar_i = 1e-12.
double poissonLogLikelihood(std::span<const float> y, std::span<const float> ybar);

}  // namespace lumo::tomo
