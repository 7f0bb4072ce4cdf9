#include "screens/tutorial/Dialog2.h"

#include <array>
#include <string_view>

#include "model/ProjectionSmears.h"

namespace lumo {

namespace {

using draw::Color;
using draw::Setup;
using draw::Surface;
namespace colors = draw::colors;

constexpr int kPanel = 1007;
constexpr int kProjectionFrame = 1008;
constexpr int kBackProjectionFrame = 1018;
constexpr int kReconstructionFrame = 1019;

constexpr int kHeadingFont = 18;
constexpr int kBodyFont = 13;

// The projection series, image k taken at 30 k degrees.
constexpr std::array<int, model::kProjections> kProjectionBitmaps = {
    136, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148};
// The part of each projection bitmap shown: its label columns stay outside.
constexpr int kShownSource = 229;

// The panel's light-yellow band: x 5..569, y 5..119.
constexpr int kBandLeft = 5, kBandTop = 5, kBandRight = 569, kBandBottom = 119;

// The grid of the three image frames, in the centred set-up.
constexpr int kHalf = model::kGrid / 2;

struct TextLine {
  int x, y;
  Color colour;
  std::string_view text;
};

struct Explanation {
  TextLine heading;
  std::array<TextLine, 3> lines;  // black, black, red
};

constexpr Explanation kProjectionText{
    {200, 15, colors::blue, "プロジェクションデータ"},
    {{{20, 50, colors::black,
       "ＳＰＥＣＴ装置によって再構成画像を得るには、はじめに角度毎の投影データ（プロジェクションデータ）"},
      {20, 70, colors::black,
       "を収集します。このプロジェクションデータの量（カウント）によって画像の良否が決定されます。"},
      {80, 100, colors::red, "表示画像は、３０゜方向で得られたプロジェクションデータを回転させたものです。"}}}};

constexpr Explanation kBackProjectionText{
    {170, 15, colors::blue, "プロジェクションデータの逆投影"},
    {{{20, 50, colors::black,
       "逆投影は単純に同一スライス面のデータを新しい同一な座標に重ね合わせます。重ね合った部分"},
      {20, 70, colors::black, "のカウントはスライス毎に加算されていきます。"},
      {5, 100, colors::red,
       "表示画像は、各プロジェクションデータ（３０°毎）の同一スライス面を逆投影している過程を示しています"}}}};

constexpr Explanation kReconstructionText{
    {240, 15, colors::blue, "再構成画像"},
    {{{20, 50, colors::black,
       "単純に逆投影した画像は、多くのボケを伴い正確な原画像を復元できていません。このボケを取り除き"},
      {20, 70, colors::black, "原画像を復元するためにはどうしたら良いのでしょうか？"},
      {80, 100, colors::red, "表示画像は未処理のまま単純に逆投影され加算された画像を示しています。"}}}};

constexpr TextLine kNextHint{510, 95, colors::blue, " 次へ⇒"};

void paintBand(Surface& panel, Color colour) {
  panel.fillRect(kBandLeft, kBandTop, kBandRight - kBandLeft + 1, kBandBottom - kBandTop + 1,
                 colour);
}

void drawLine(Surface& s, const TextLine& line) {
  s.setTextColor(line.colour);
  s.textOut(line.x, line.y, line.text);
}

// The first part of every stage: the light-yellow band with a heading and three lines.
void drawExplanation(Surface& panel, const Explanation& text) {
  paintBand(panel, colors::lightYellow);
  panel.setBkColor(colors::lightYellow);
  panel.setFont(kHeadingFont);
  drawLine(panel, text.heading);
  panel.setFont(kBodyFont);
  for (const TextLine& line : text.lines) drawLine(panel, line);
}

void finishExplanation(Surface& panel) {
  panel.setTextColor(colors::black);
  panel.setDefaultFont();
}

Surface centred(Surface s) {
  s.setup(Setup::Centred);
  return s;
}

// Colours the 128 x 128 grid of a frame in the centred set-up.
void paintGrid(Surface& s, Color colour) {
  s.fillRect(-kHalf, -kHalf, model::kGrid, model::kGrid, colour);
}

}  // namespace

Handlers CDialog2::handlers() {
  return {
      {1003, [this] { OnExplainProjection(); }},
      {1006, [this] { OnExplainBackProjection(); }},
      {1011, [this] { OnExplainReconstruction(); }},
      {1020, [this] { OnNext(); }},
      {1021, [this] { OnBack(); }},
      {1030, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog2::OnTitleColor(int id, ControlKind kind) const {
  if (kind != ControlKind::Static) return {};
  if (id == 1002) return titleBand();
  if (id == 1001 || id == 1035 || id == 1032) return captionBand();
  return {};
}

void CDialog2::DrawBitmapCentred(int frameId, int bitmapId, double x, double y, double w,
                                 double h) {
  Surface s = frame(frameId);
  s.setup(Setup::Centred);
  s.stretchBitmap(bitmapId, 0, 0, kShownSource, kShownSource, x, y, w, h);
}

// Stage 1: the twelve projections one after another; row 100 of each, as shown, becomes
// that angle's profile.
void CDialog2::OnExplainProjection() {
  Surface panel = frame(kPanel);
  const Surface image = centred(frame(kProjectionFrame));
  drawExplanation(panel, kProjectionText);
  finishExplanation(panel);

  model::ImageStore& store = documentImages();
  for (int k = 0; k < model::kProjections; ++k) {
    DrawBitmapCentred(kProjectionFrame, kProjectionBitmaps[static_cast<std::size_t>(k)], -kHalf,
                      -kHalf, model::kGrid, model::kGrid);
    const int y = model::kProfileRow - kHalf;
    for (int x = -kHalf; x < kHalf; ++x) model::profileEntry(store, k, x + kHalf) = image.pixel(x, y);
  }
}

// Stage 2: each profile smeared across the grid along its angle, kept as that angle's
// smear and wiped before the next; the last one (330 degrees) stays on screen.
void CDialog2::OnExplainBackProjection() {
  Surface panel = frame(kPanel);
  Surface image = centred(frame(kBackProjectionFrame));
  drawExplanation(panel, kBackProjectionText);
  finishExplanation(panel);

  model::ImageStore& store = documentImages();
  for (int k = 0; k < model::kProjections; ++k) {
    const model::SmearBins bins = model::smearBins(k * model::kProjectionStep);
    for (int i = 0; i < model::kGrid; ++i)
      for (int j = 0; j < model::kGrid; ++j) {
        const int n = bins[static_cast<std::size_t>(i * model::kGrid + j)];
        if (n >= 0) image.setPixel(i - kHalf, j - kHalf, model::profileEntry(store, k, n));
      }
    const bool last = k == model::kProjections - 1;
    for (int x = -kHalf; x < kHalf; ++x)
      for (int y = -kHalf; y < kHalf; ++y) {
        model::smearAt(store, k, x, y) = image.pixel(x, y);
        if (!last) image.setPixel(x, y, colors::white);
      }
  }
}

// Stage 3: the sum of the twelve smears, drawn with x and y exchanged.
void CDialog2::OnExplainReconstruction() {
  Surface panel = frame(kPanel);
  Surface image = centred(frame(kReconstructionFrame));
  drawExplanation(panel, kReconstructionText);
  drawLine(panel, kNextHint);
  finishExplanation(panel);

  const model::ImageStore& store = documentImages();
  for (int a = 0; a < model::kGrid; ++a)
    for (int b = 0; b < model::kGrid; ++b)
      image.setPixel(b - kHalf, a - kHalf, model::summedSmears(store, b, a));
}

// The four frames turn silver before the next screen opens.
void CDialog2::OnNext() {
  Surface panel = frame(kPanel);
  paintBand(panel, colors::silver);
  for (int id : {kProjectionFrame, kBackProjectionFrame, kReconstructionFrame}) {
    Surface image = centred(frame(id));
    paintGrid(image, colors::silver);
  }
  transferTo("CDialog3");
}

void CDialog2::OnBack() { transferTo("CDialog1"); }
void CDialog2::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
