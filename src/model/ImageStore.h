#pragma once
// The document's image storage: 24 images of 128 x 128 colour values (0x00BBGGRR),
// addressed [image][row][column]. It is white when made and outlives every screen;
// the first tutorial screen keeps its projection profiles and smears in it.
#include <cstdint>
#include <vector>

namespace lumo::model {

class ImageStore {
 public:
  static constexpr int kImages = 24;
  static constexpr int kSize = 128;

  ImageStore() : values_(static_cast<std::size_t>(kImages) * kSize * kSize, 0xFFFFFFu) {}

  std::uint32_t& at(int image, int row, int column) { return values_[index(image, row, column)]; }
  std::uint32_t at(int image, int row, int column) const { return values_[index(image, row, column)]; }

 private:
  static std::size_t index(int image, int row, int column) {
    return (static_cast<std::size_t>(image) * kSize + static_cast<std::size_t>(row)) * kSize +
           static_cast<std::size_t>(column);
  }
  std::vector<std::uint32_t> values_;
};

}  // namespace lumo::model
