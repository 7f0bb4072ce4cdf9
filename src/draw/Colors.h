#pragma once
// Colours are 0x00BBGGRR values everywhere in the program (red in the low byte);
// the canvas converts them once, where pixels are written.
#include <cstdint>

namespace lumo::draw {

using Color = std::uint32_t;

constexpr Color rgb(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

namespace colors {
constexpr Color lightYellow = 0xE1FFFF;
constexpr Color silver = 0xC0C0C0;
constexpr Color white = 0xFFFFFF;
constexpr Color black = 0x000000;
constexpr Color blue = 0xFF0000;
constexpr Color red = 0x0000FF;
constexpr Color titleBlue = 0xBE6400;
constexpr Color captionGrey = 0x808080;
constexpr Color yellow = 0x00FFFF;
constexpr Color green = 0x00FF00;
constexpr Color cyan = 0xFFFF00;
constexpr Color magenta = 0xFF00FF;
constexpr Color purple = 0xC800C8;
constexpr Color orange = 0x0096FF;
constexpr Color springGreen = 0x64FF00;
constexpr Color skyBlue = 0xFFC800;
// The dialog face every screen is drawn on.
constexpr Color face = silver;
}  // namespace colors

}  // namespace lumo::draw
