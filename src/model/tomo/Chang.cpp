// C(x) = sum_v w_v(x) / sum_v w_v(x) exp(-integral of mu from x to the detector at view v), inside the body.
#include "model/tomo/Chang.h"

#include <algorithm>
#include <vector>

namespace lumo::tomo {

Volume changFactors(const SystemModel& model, const Volume& mu) {
  Volume out = model.blankVolume();
  std::fill(out.v.begin(), out.v.end(), 1.0f);
  if (!model.attenuates() || !mu.sameGrid(out)) return out;
  const std::vector<float> attenuated = model.backProjectedAttenuationZ();
  const std::vector<float> weights = model.backProjectedWeightsZ();
  std::vector<float> c(attenuated.size(), 1.0f);
  for (std::size_t i = 0; i < c.size(); ++i)
    if (attenuated[i] > 0 && weights[i] > 0) c[i] = weights[i] / attenuated[i];
  fromZFastest(c.data(), out);
  for (std::size_t i = 0; i < out.v.size(); ++i)
    if (!(mu.v[i] > 0)) out.v[i] = 1.0f;
  return out;
}

}  // namespace lumo::tomo
