// q = IFFT(H . FFT(p zero-padded to M)) cut back to p's length: real 1-D filtering through FFTW.
#include "model/tomo/Fft.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace lumo::tomo {

namespace {

std::mutex& plannerLock() {
  static std::mutex m;
  return m;
}

// One pair of plans per padded length, made on first use and kept; new-array execution lets any
// thread use them on its own (equally aligned) buffers.
std::pair<fftwf_plan, fftwf_plan> plansFor(int m) {
  static std::map<int, std::pair<fftwf_plan, fftwf_plan>> plans;
  std::lock_guard<std::mutex> lock(plannerLock());
  auto it = plans.find(m);
  if (it != plans.end()) return it->second;
  float* re = fftwf_alloc_real(static_cast<std::size_t>(m));
  fftwf_complex* co = fftwf_alloc_complex(static_cast<std::size_t>(m / 2 + 1));
  fftwf_plan f = fftwf_plan_dft_r2c_1d(m, re, co, FFTW_ESTIMATE);
  fftwf_plan b = fftwf_plan_dft_c2r_1d(m, co, re, FFTW_ESTIMATE);
  fftwf_free(re);
  fftwf_free(co);
  return plans[m] = {f, b};
}

// The same for two-dimensional transforms of mr x mc.
std::pair<fftwf_plan, fftwf_plan> planePlansFor(int mr, int mc) {
  static std::map<std::pair<int, int>, std::pair<fftwf_plan, fftwf_plan>> plans;
  std::lock_guard<std::mutex> lock(plannerLock());
  auto it = plans.find({mr, mc});
  if (it != plans.end()) return it->second;
  const std::size_t reals = static_cast<std::size_t>(mr) * static_cast<std::size_t>(mc);
  const std::size_t complexes = static_cast<std::size_t>(mr) * static_cast<std::size_t>(mc / 2 + 1);
  float* re = fftwf_alloc_real(reals);
  fftwf_complex* co = fftwf_alloc_complex(complexes);
  fftwf_plan f = fftwf_plan_dft_r2c_2d(mr, mc, re, co, FFTW_ESTIMATE);
  fftwf_plan b = fftwf_plan_dft_c2r_2d(mr, mc, co, re, FFTW_ESTIMATE);
  fftwf_free(re);
  fftwf_free(co);
  return plans[{mr, mc}] = {f, b};
}

}  // namespace

int paddedLength(int length) {
  int m = 64;
  while (m < 2 * length) m *= 2;
  return m;
}

LineFilter::LineFilter(int length, std::vector<float> response)
    : n_(std::max(1, length)), m_(paddedLength(n_)), h_(std::move(response)) {
  h_.resize(static_cast<std::size_t>(m_ / 2 + 1), 0.0f);
  const auto p = plansFor(m_);
  forward_ = p.first;
  backward_ = p.second;
}

LineFilter::~LineFilter() = default;

void LineFilter::apply(const float* in, float* out) const {
  const std::size_t m = static_cast<std::size_t>(m_);
  float* re = fftwf_alloc_real(m);
  fftwf_complex* co = fftwf_alloc_complex(m / 2 + 1);
  std::copy(in, in + n_, re);
  std::fill(re + n_, re + m, 0.0f);
  fftwf_execute_dft_r2c(static_cast<fftwf_plan>(forward_), re, co);
  const float scale = 1.0f / static_cast<float>(m_);
  for (std::size_t k = 0; k <= m / 2; ++k) {
    const float g = h_[k] * scale;
    co[k][0] *= g;
    co[k][1] *= g;
  }
  fftwf_execute_dft_c2r(static_cast<fftwf_plan>(backward_), co, re);
  std::copy(re, re + n_, out);
  fftwf_free(re);
  fftwf_free(co);
}

PlaneFilter::PlaneFilter(int rows, int cols, std::vector<float> response)
    : rows_(std::max(1, rows)), cols_(std::max(1, cols)), mr_(paddedLength(rows_)), mc_(paddedLength(cols_)),
      h_(std::move(response)) {
  h_.resize(static_cast<std::size_t>(mr_) * static_cast<std::size_t>(mc_ / 2 + 1), 0.0f);
  const auto p = planePlansFor(mr_, mc_);
  forward_ = p.first;
  backward_ = p.second;
}

PlaneFilter PlaneFilter::radial(int rows, int cols, const std::function<double(double)>& R) {
  const int mr = paddedLength(std::max(1, rows)), mc = paddedLength(std::max(1, cols));
  std::vector<float> h(static_cast<std::size_t>(mr) * static_cast<std::size_t>(mc / 2 + 1));
  for (int ky = 0; ky < mr; ++ky)
    for (int kx = 0; kx <= mc / 2; ++kx) {
      const double fy = static_cast<double>(ky <= mr / 2 ? ky : ky - mr) / mr;
      const double fx = static_cast<double>(kx) / mc;
      h[static_cast<std::size_t>(ky) * static_cast<std::size_t>(mc / 2 + 1) + static_cast<std::size_t>(kx)] =
          static_cast<float>(R(std::sqrt(fx * fx + fy * fy)));
    }
  return PlaneFilter(rows, cols, std::move(h));
}

void PlaneFilter::apply(const float* in, float* out) const {
  const std::size_t mr = static_cast<std::size_t>(mr_), mc = static_cast<std::size_t>(mc_), half = mc / 2 + 1;
  float* re = fftwf_alloc_real(mr * mc);
  fftwf_complex* co = fftwf_alloc_complex(mr * half);
  std::fill(re, re + mr * mc, 0.0f);
  for (int y = 0; y < rows_; ++y)
    std::copy(in + static_cast<std::size_t>(y) * static_cast<std::size_t>(cols_),
              in + static_cast<std::size_t>(y + 1) * static_cast<std::size_t>(cols_), re + static_cast<std::size_t>(y) * mc);
  fftwf_execute_dft_r2c(static_cast<fftwf_plan>(forward_), re, co);
  const float scale = 1.0f / (static_cast<float>(mr_) * static_cast<float>(mc_));
  for (std::size_t k = 0; k < mr * half; ++k) {
    const float g = h_[k] * scale;
    co[k][0] *= g;
    co[k][1] *= g;
  }
  fftwf_execute_dft_c2r(static_cast<fftwf_plan>(backward_), co, re);
  for (int y = 0; y < rows_; ++y)
    std::copy(re + static_cast<std::size_t>(y) * mc, re + static_cast<std::size_t>(y) * mc + static_cast<std::size_t>(cols_),
              out + static_cast<std::size_t>(y) * static_cast<std::size_t>(cols_));
  fftwf_free(re);
  fftwf_free(co);
}

}  // namespace lumo::tomo
