// k ~ Poisson(lambda): P(k) = lambda^k e^-lambda / k!, from a seeded generator that draws the same
// numbers on every machine.
#include "model/tomo/Poisson.h"

#include <cmath>
#include <numbers>

namespace lumo::tomo {

std::uint64_t splitmix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

Random::Random(std::uint64_t seed) {
  std::uint64_t state = seed;
  for (auto& s : s_) s = splitmix64(state);
}

namespace {
inline std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// log k! : exact below 10, Stirling's series above.
double logFactorial(std::uint64_t k) {
  static const double table[10] = {0.0,
                                   0.0,
                                   0.69314718055994530942,
                                   1.79175946922805500081,
                                   3.17805383034794561964,
                                   4.78749174278204599425,
                                   6.57925121201010099506,
                                   8.52516136106541430017,
                                   10.60460290274525022842,
                                   12.80182748008146961121};
  if (k < 10) return table[k];
  const double x = static_cast<double>(k) + 1.0;
  const double r = 1.0 / x, r2 = r * r;
  return (x - 0.5) * std::log(x) - x + 0.5 * std::log(2.0 * std::numbers::pi) +
         r * (1.0 / 12.0 - r2 * (1.0 / 360.0 - r2 * (1.0 / 1260.0 - r2 / 1680.0)));
}

std::uint64_t inversion(Random& rng, double lambda) {
  // Sequential search: the smallest k with u < F(k).
  const double u = rng.uniform();
  double p = std::exp(-lambda), F = p;
  std::uint64_t k = 0;
  while (u >= F && k < 100) {
    ++k;
    p *= lambda / static_cast<double>(k);
    F += p;
  }
  return k;
}

// Hoermann, "The transformed rejection method for generating Poisson random variables",
// Insurance: Mathematics and Economics 12 (1993) 39-45, algorithm PTRS.
std::uint64_t ptrs(Random& rng, double lambda) {
  const double slam = std::sqrt(lambda);
  const double loglam = std::log(lambda);
  const double b = 0.931 + 2.53 * slam;
  const double a = -0.059 + 0.02483 * b;
  const double invalpha = 1.1239 + 1.1328 / (b - 3.4);
  const double vr = 0.9277 - 3.6224 / (b - 2.0);
  for (;;) {
    const double U = rng.uniform() - 0.5;
    const double V = rng.uniform();
    const double us = 0.5 - std::fabs(U);
    const double kd = std::floor((2.0 * a / us + b) * U + lambda + 0.43);
    if (us >= 0.07 && V <= vr) return static_cast<std::uint64_t>(kd);
    if (kd < 0 || (us < 0.013 && V > us)) continue;
    const std::uint64_t k = static_cast<std::uint64_t>(kd);
    if (std::log(V) + std::log(invalpha) - std::log(a / (us * us) + b) <= -lambda + kd * loglam - logFactorial(k))
      return k;
  }
}
}  // namespace

std::uint64_t Random::next() {
  const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

double Random::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

std::uint64_t poisson(Random& rng, double lambda) {
  if (!(lambda > 0) || !std::isfinite(lambda)) return 0;
  return lambda < 10 ? inversion(rng, lambda) : ptrs(rng, lambda);
}

void poissonNoise(std::vector<float>& means, std::uint64_t seed) {
  Random rng(seed);
  for (float& m : means) m = static_cast<float>(poisson(rng, m));
}

}  // namespace lumo::tomo
