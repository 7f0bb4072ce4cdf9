// p_v(k, b) = sum over depth planes j of [G_j ** (att_v,k,j . R_v f_k)_j](k, b): slice by slice rotate and
// attenuate, blur every depth plane in two dimensions, sum.
#include "model/tomo/VolumeProjector.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "model/tomo/Image.h"
#include "model/tomo/Parallel.h"
#include "model/tomo/Simd.h"

namespace lumo::tomo {

namespace {

std::size_t sz(long long v) { return static_cast<std::size_t>(v); }

// dst[b] += w * src[b], b in [0, count).
LUMO_HOT void addScaled(const float* __restrict src, float w, int count, float* __restrict dst) {
  for (int b = 0; b < count; ++b) dst[b] += w * src[b];
}

// A rows x cols plane convolved with the symmetric kernel k along both axes, zero beyond its edges;
// tmp holds rows x cols scratch.
void blur2d(float* plane, int rows, int cols, const std::vector<float>& k, std::vector<float>& tmp) {
  const int h = static_cast<int>(k.size() / 2);
  tmp.assign(sz(static_cast<long long>(rows) * cols), 0.0f);
  // Along the rows: tmp[r][b] = sum_t k[t + h] plane[r][b + t].
  for (int r = 0; r < rows; ++r) {
    const float* src = plane + sz(static_cast<long long>(r) * cols);
    float* dst = tmp.data() + sz(static_cast<long long>(r) * cols);
    for (int t = -h; t <= h; ++t) {
      const int b0 = std::max(0, -t), b1 = std::min(cols, cols - t);
      if (b0 < b1) addScaled(src + b0 + t, k[sz(t + h)], b1 - b0, dst + b0);
    }
  }
  // Across the rows: plane[r] = sum_t k[t + h] tmp[r + t].
  std::fill(plane, plane + sz(static_cast<long long>(rows) * cols), 0.0f);
  for (int r = 0; r < rows; ++r)
    for (int t = -h; t <= h; ++t) {
      const int s = r + t;
      if (s < 0 || s >= rows) continue;
      addScaled(tmp.data() + sz(static_cast<long long>(s) * cols), k[sz(t + h)], cols,
                plane + sz(static_cast<long long>(r) * cols));
    }
}

}  // namespace

std::vector<float> projectVolume(const Volume& vol, const ProjectionGeometry& g, Collimator collimator) {
  const int n = vol.n, slices = vol.slices;
  const std::size_t voxels = sz(static_cast<long long>(slices) * n * n);
  if (n < 2 || slices < 1 || g.n != n || g.pixelMm != vol.voxelMm || g.views < 1 || vol.activity.size() != voxels ||
      (!vol.mu.empty() && vol.mu.size() != voxels))
    throw std::invalid_argument("volume and projection geometry do not match");
  const std::size_t slice = sz(static_cast<long long>(n) * n);

  // The kernels of the depth planes: the same for every view and slice.
  ProjectionGeometry one = g;
  one.views = 1;
  one.stepDeg = 0;
  const Projector blurs(one, nullptr, collimator);

  // Slices without activity add nothing.
  std::vector<char> active(sz(slices));
  for (int k = 0; k < slices; ++k) {
    const float* a = vol.activity.data() + sz(k) * slice;
    active[sz(k)] = std::any_of(a, a + slice, [](float x) { return x != 0.0f; });
  }
  std::vector<Image> mus;
  if (!vol.mu.empty())
    for (int k = 0; k < slices; ++k) {
      Image m = Image::blank(n, vol.voxelMm);
      std::copy(vol.mu.begin() + static_cast<std::ptrdiff_t>(sz(k) * slice),
                vol.mu.begin() + static_cast<std::ptrdiff_t>(sz(k + 1) * slice), m.px.begin());
      mus.push_back(std::move(m));
    }

  const std::size_t image = sz(static_cast<long long>(slices) * n);
  std::vector<float> out(sz(g.views) * image, 0.0f);
  parallelFor(g.views, [&](int v) {
    ProjectionGeometry view = one;
    view.startDeg = g.startDeg + v * g.stepDeg;
    // depth[(j * slices + k) * n + b]: depth plane j of every slice.
    std::vector<float> depth(sz(n) * image, 0.0f), planes(slice), tmp;
    for (int k = 0; k < slices; ++k) {
      if (!active[sz(k)]) continue;
      const Projector p(view, mus.empty() ? nullptr : &mus[sz(k)], Collimator::None);
      p.attenuatedPlanes(0, vol.activity.data() + sz(k) * slice, planes.data());
      for (int j = 0; j < n; ++j)
        std::copy(planes.begin() + static_cast<std::ptrdiff_t>(sz(j) * sz(n)),
                  planes.begin() + static_cast<std::ptrdiff_t>(sz(j + 1) * sz(n)),
                  depth.begin() + static_cast<std::ptrdiff_t>((sz(j) * sz(slices) + sz(k)) * sz(n)));
    }
    float* proj = out.data() + sz(v) * image;
    for (int j = 0; j < n; ++j) {
      float* plane = depth.data() + sz(j) * image;
      if (std::all_of(plane, plane + image, [](float x) { return x == 0.0f; })) continue;
      const std::vector<float>& k = blurs.kernel(j);
      if (k.size() > 1) blur2d(plane, slices, n, k, tmp);
      addScaled(plane, 1.0f, static_cast<int>(image), proj);
    }
  });
  return out;
}

}  // namespace lumo::tomo
