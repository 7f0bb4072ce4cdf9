// NIfTI-1 (.nii, one file) out of the lab: 348-byte header, 4 bytes of no extension, the floats.
#include "io/Nifti.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

namespace lumo::io {

namespace {
template <typename T>
void put(std::vector<char>& h, std::size_t offset, T value) {
  std::memcpy(h.data() + offset, &value, sizeof value);
}
}  // namespace

std::string writeNifti(const std::string& path, const tomo::Volume& v, const std::string& description) {
  if (v.n <= 0 || v.slices <= 0 || v.v.size() != v.size() || v.n > 32767 || v.slices > 32767 || !(v.voxelMm > 0))
    return "書き出すボリュームがありません";
  std::vector<char> h(352, 0);
  put<std::int32_t>(h, 0, 348);
  const std::int16_t dim[8] = {3, static_cast<std::int16_t>(v.n), static_cast<std::int16_t>(v.n),
                               static_cast<std::int16_t>(v.slices), 1, 1, 1, 1};
  for (int i = 0; i < 8; ++i) put<std::int16_t>(h, 40 + 2 * static_cast<std::size_t>(i), dim[i]);
  put<std::int16_t>(h, 70, 16);  // float32
  put<std::int16_t>(h, 72, 32);
  const float mm = static_cast<float>(v.voxelMm);
  const float pixdim[8] = {1, mm, mm, mm, 1, 0, 0, 0};
  for (int i = 0; i < 8; ++i) put<float>(h, 76 + 4 * static_cast<std::size_t>(i), pixdim[i]);
  put<float>(h, 108, 352.0f);  // vox_offset
  put<float>(h, 112, 1.0f);    // scl_slope: the values as they are
  put<float>(h, 116, 0.0f);
  const auto [lo, hi] = std::minmax_element(v.v.begin(), v.v.end());
  put<float>(h, 124, *hi);  // cal_max
  put<float>(h, 128, *lo);  // cal_min
  h[123] = 2;               // millimetres
  std::memcpy(h.data() + 148, description.data(), std::min<std::size_t>(description.size(), 79));
  put<std::int16_t>(h, 252, 0);  // no qform
  put<std::int16_t>(h, 254, 2);  // sform: aligned to the lab's anatomy
  const double c = (v.n - 1) / 2.0, ck = (v.slices - 1) / 2.0;
  // x_RAS = -(x - c) mm, y_RAS = (c - y) mm, z_RAS = (ck - k) mm.
  const float srow[3][4] = {{-mm, 0, 0, static_cast<float>(c * v.voxelMm)},
                            {0, -mm, 0, static_cast<float>(c * v.voxelMm)},
                            {0, 0, -mm, static_cast<float>(ck * v.voxelMm)}};
  for (int r = 0; r < 3; ++r)
    for (int i = 0; i < 4; ++i) put<float>(h, 280 + 16 * static_cast<std::size_t>(r) + 4 * static_cast<std::size_t>(i), srow[r][i]);
  std::memcpy(h.data() + 344, "n+1", 4);

  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "ファイルに書き込めません: " + path;
    out.write(h.data(), static_cast<std::streamsize>(h.size()));
    out.write(reinterpret_cast<const char*>(v.v.data()), static_cast<std::streamsize>(v.v.size() * sizeof(float)));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temporary.c_str());
      return "ファイルに書き込めません: " + path;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::remove(temporary.c_str());
    return "ファイルに書き込めません: " + path;
  }
  return {};
}

}  // namespace lumo::io
