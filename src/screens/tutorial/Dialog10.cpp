#include "screens/tutorial/Dialog10.h"

#include <string_view>

namespace lumo {

namespace {

using draw::Color;
using draw::Setup;
using draw::Surface;
namespace colors = draw::colors;

constexpr int kPanel = 1007;
constexpr int kProjectionFrame = 1008;
constexpr int kSliceFrame = 1018;

constexpr int kCaptionFont = 15;
constexpr int kHeadingFont = 18;
constexpr int kBodyFont = 13;

// A bitmap's source rectangle, stretched onto the 128 x 128 square around a frame's centre.
struct ShownImage {
  int bitmap;
  int sx, sy, sw, sh;
};
constexpr ShownImage kProjection{157, 0, 0, 150, 150};
constexpr ShownImage kSlice{162, 20, 20, 180, 180};

// The light-yellow band of the panel around its centre: x -280..279, y -93..94.
constexpr int kBandLeft = -280, kBandTop = -93, kBandWidth = 560, kBandHeight = 188;

struct TextLine {
  int x, y;
  std::string_view text;
};

constexpr TextLine kBody[] = {
    {-220, -40, "６°ステップで収集されたプロジェクションデータをRampフィルタを用い再構成すると"},
    {-220, -20, "再構成画像（右画像）は、原画像に近いものとなりますが、ノイズの多い画像となり"},
    {-220, 0, "診断価値が低くなってしまいます。"},
    {-220, 20, "このノイズの多い再構成画像を見やすくするために、プロジェクションデータをスムー"},
    {-220, 40, "ジングします。このスムージングに使用されるのが低周波フィルタ（バターワース）で"},
    {-220, 60, "す。"},
};
constexpr TextLine kLeadOn{-180, 80, "次にバターワースフィルタと再構成画像の関係を調べてみます。"};

// Black frame, then the image on the 128 x 128 square around the centre.
void showImageOnBlack(Surface& s, const ShownImage& image) {
  s.fillClient(colors::black);
  s.setup(Setup::Centred);
  s.stretchBitmap(image.bitmap, image.sx, image.sy, image.sw, image.sh, -64, -64, 128, 128);
}

// A red caption above the frame, on the dialog face.
void drawCaption(Surface& s, double x, std::string_view text) {
  s.setFont(kCaptionFont);
  s.setBkColor(colors::silver);
  s.setTextColor(colors::red);
  s.textOut(x, -100, text);
  s.setDefaultFont();
}

}  // namespace

Handlers CDialog10::handlers() {
  return {
      {1003, [this] { OnExplain(); }},
      {1006, [this] { OnNext(); }},
      {1011, [this] { OnBack(); }},
      {1020, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog10::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static && id == 1002) return titleBand();
  return {};
}

void CDialog10::OnExplain() {
  Surface panel = frame(kPanel);
  Surface projection = frame(kProjectionFrame);
  Surface slice = frame(kSliceFrame);

  panel.setup(Setup::Centred);
  showImageOnBlack(projection, kProjection);
  showImageOnBlack(slice, kSlice);

  panel.fillRect(kBandLeft, kBandTop, kBandWidth, kBandHeight, colors::lightYellow);

  drawCaption(projection, -70, "プロジェクションデータ");
  drawCaption(slice, -40, "再構成画像");

  panel.setBkColor(colors::lightYellow);
  panel.setFont(kHeadingFont);
  panel.setTextColor(colors::blue);
  panel.textOut(-150, -70, "プロジェクションデータと再構成画像");

  panel.setFont(kBodyFont);
  panel.setTextColor(colors::black);
  for (const TextLine& line : kBody) panel.textOut(line.x, line.y, line.text);
  panel.setTextColor(colors::red);
  panel.textOut(kLeadOn.x, kLeadOn.y, kLeadOn.text);
  panel.setDefaultFont();
}

void CDialog10::OnNext() { transferTo("CDialog11"); }
void CDialog10::OnBack() { transferTo("CDialog9"); }
void CDialog10::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
