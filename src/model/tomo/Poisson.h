#pragma once
// k ~ Poisson(lambda): P(k) = lambda^k e^-lambda / k!, from a seeded generator that draws the same
// numbers on every machine.
//
// Random: xoshiro256** (Blackman and Vigna), its state filled from the seed by splitmix64;
// uniform() = (next() >> 11) * 2^-53 in [0, 1). poisson(): for lambda < 10 inversion by
// sequential search of the cumulative distribution (one uniform per draw); for lambda >= 10
// Hoermann's transformed rejection with squeeze (PTRS, 1993), log k! from a table below 10 and
// Stirling's series above. Only +, *, /, sqrt, log and exp of IEEE doubles are used, no library
// distribution (those differ between standard libraries).
#include <cstdint>
#include <vector>

namespace lumo::tomo {

class Random {
 public:
  explicit Random(std::uint64_t seed);
  std::uint64_t next();
  double uniform();  // [0, 1)

 private:
  std::uint64_t s_[4];
};

std::uint64_t splitmix64(std::uint64_t& state);

// One draw; lambda <= 0 or not finite gives 0.
std::uint64_t poisson(Random&, double lambda);
// Replaces each expected count by a Poisson draw, in order, from a generator seeded with seed.
void poissonNoise(std::vector<float>& means, std::uint64_t seed);

}  // namespace lumo::tomo
