#pragma once
// q = IFFT(H . FFT(p zero-padded to M)) cut back to p's length: real 1-D filtering through FFTW.
//
// LineFilter filters lines of a fixed length with a real frequency response given at the
// M / 2 + 1 frequencies k / M cycles/sample (k = 0 .. M / 2) of the padded length M = the power of
// two >= 2 * length (at least 64), so the circular convolution never wraps onto the line. The
// FFTW plans (single precision, FFTW_ESTIMATE: the same algorithm on every run) are made once per
// padded length under a lock, since FFTW's planner is not thread-safe, and kept for the life of
// the program; apply() may run on several threads at once.
//
// PlaneFilter does the same in two dimensions for rows x cols planes (row-major), padded to
// Mr x Mc = paddedLength(rows) x paddedLength(cols) (the 2-D transform: rows, then columns), with a
// response given at every frequency of the padded grid, e.g. a radial one, R(sqrt(fx^2 + fy^2)).
#include <functional>
#include <vector>

namespace lumo::tomo {

int paddedLength(int length);

class LineFilter {
 public:
  LineFilter(int length, std::vector<float> response);  // response.size() == M / 2 + 1
  ~LineFilter();
  LineFilter(const LineFilter&) = delete;
  LineFilter& operator=(const LineFilter&) = delete;

  int length() const { return n_; }
  int padded() const { return m_; }
  const std::vector<float>& response() const { return h_; }
  // out[0 .. length) = the filtered in[0 .. length); in and out may be the same array.
  void apply(const float* in, float* out) const;

 private:
  int n_, m_;
  std::vector<float> h_;
  void* forward_;   // fftwf_plan
  void* backward_;  // fftwf_plan
};

class PlaneFilter {
 public:
  // response[ky * (Mc / 2 + 1) + kx] at fy = ky' / Mr, fx = kx / Mc (cycles/sample), ky' = ky up to
  // Mr / 2, ky - Mr above; kx = 0 .. Mc / 2.
  PlaneFilter(int rows, int cols, std::vector<float> response);
  // The response R(f) of the radial frequency f = sqrt(fx^2 + fy^2), computed in double precision.
  static PlaneFilter radial(int rows, int cols, const std::function<double(double)>& R);
  PlaneFilter(const PlaneFilter&) = delete;
  PlaneFilter& operator=(const PlaneFilter&) = delete;
  PlaneFilter(PlaneFilter&&) = default;

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  // out[0 .. rows * cols) = the filtered in; in and out may be the same array.
  void apply(const float* in, float* out) const;

 private:
  int rows_, cols_, mr_, mc_;
  std::vector<float> h_;
  void* forward_;   // fftwf_plan
  void* backward_;  // fftwf_plan
};

}  // namespace lumo::tomo
