#include "screens/tutorial/Dialog11.h"

#include <string_view>

#include "model/Filters.h"

namespace lumo {

namespace {

using draw::Color;
using draw::Setup;
using draw::Surface;
namespace colors = draw::colors;

constexpr int kPanel = 1007;
constexpr int kRawProjectionFrame = 1008;
constexpr int kSmoothedFrame = 1018;
constexpr int kSliceFrame = 1019;
constexpr int kPlot = 1024;

constexpr int kTitleFont = 15;
constexpr int kBodyFont = 13;
constexpr int kLabelFont = 15;

constexpr int kRawProjectionBitmap = 157;
constexpr double kOrder = 8;

// One of the seven prepared settings, in the order the radio buttons are tested.
struct Setting {
  int radio;
  double cutoff;
  int projectionBitmap;
  int sliceBitmap;
  Color curve;
};
constexpr Setting kSettings[] = {
    {1015, 0.10, 165, 166, colors::black},  {1016, 0.12, 167, 168, colors::blue},
    {1017, 0.14, 169, 170, colors::green},  {1025, 0.16, 171, 172, colors::cyan},
    {1026, 0.18, 173, 174, colors::red},    {1027, 0.20, 175, 176, colors::magenta},
    {1028, 0.22, 177, 178, colors::yellow},
};

// The plot: origin (30, 160), 5 pixels per grid step of 1/64 cycles/pixel, a unit
// response 110 pixels high.
constexpr double kPlotX0 = 30, kPlotY0 = 160, kStepX = 5, kUnitY = 110;
constexpr int kGridSteps = 32;

struct TextLine {
  int x, y;
  Color colour;
  std::string_view text;
};

constexpr TextLine kExplanation[] = {
    {30, 40, colors::black, "プロジェクション画像をButterworthフィルタで処理した画像"},
    {30, 60, colors::black, "　　　　　　　　　・・・・・・・・・・・"},
    {190, 60, colors::red, "プロジェクション画像*Butterworthフィルタ"},
    {30, 80, colors::black, "その画像をRampフィルタで再構成させた画像・・・・・・・・・"},
    {350, 80, colors::red, "再構成画像"},
    {130, 110, colors::blue, "これらの違いを観察してください。"},
    {20, 150, colors::black, "操作方法"},
    {80, 170, colors::black, "1) 処理に使用するフィルタ「BW-8-**」を選択してください。"},
    {80, 190, colors::black, "2) 「ＯＮ」ボタンをクリックします。"},
};

struct Label {
  int x, y;
  std::string_view text;
};
constexpr Label kAxisLabels[] = {
    {5, 40, "1.0"}, {5, 170, "0.0"}, {5, 100, "0.5"}, {180, 170, "0.5"},
    {50, 180, "frequency(c/pixel)"},
};

// The 128 x 128 square around a frame's centre, from a source rectangle of a bitmap.
void stretchCentred(Surface s, int bitmap, int sx, int sy, int sw, int sh) {
  s.setup(Setup::Centred);
  s.stretchBitmap(bitmap, sx, sy, sw, sh, -64, -64, 128, 128);
}

void drawAxes(Surface& plot) {
  plot.setBkColor(colors::silver);
  plot.moveTo(30, 10);
  plot.lineTo(30, 160);
  plot.lineTo(200, 160);
  plot.moveTo(30, 105);  // response 0.5
  plot.lineTo(35, 105);
  plot.moveTo(190, 160);  // frequency 0.5
  plot.lineTo(190, 155);
}

void drawAxisLabels(Surface& plot) {
  plot.setFont(kLabelFont);
  for (const Label& label : kAxisLabels) plot.textOut(label.x, label.y, label.text);
  plot.setDefaultFont();
}

// H = 1 / (1 + (f / fc)^8) at f = i * 10 / 640, drawn at (30 + 5 i, 160 - 110 H).
void drawResponse(Surface& plot, const Setting& setting) {
  plot.setPen(setting.curve);
  draw::Polyline curve(plot);
  for (int i = 0; i <= kGridSteps; ++i)
    curve.to(kPlotX0 + kStepX * i, kPlotY0 - kUnitY * model::butterworthAt(i, setting.cutoff, kOrder));
}

}  // namespace

Handlers CDialog11::handlers() {
  return {
      {1003, [this] { OnExplain(); }},
      {1006, [this] { OnApplyFilter(); }},
      {1011, [this] { OnNext(); }},
      {1020, [this] { OnBack(); }},
      {1021, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog11::OnTitleColor(int id, ControlKind kind) const {
  if (kind != ControlKind::Static) return {};
  if (id == 1002 || id == 1001 || id == 1035 || id == 1032) return captionBand();
  return {};
}

void CDialog11::OnExplain() {
  stretchCentred(frame(kRawProjectionFrame), kRawProjectionBitmap, 0, 0, 150, 150);

  Surface panel = frame(kPanel);
  panel.setBkColor(colors::silver);
  panel.setFont(kTitleFont);
  panel.setTextColor(colors::blue);
  panel.textOut(100, 10, "Butterworthフィルタと再構成画像");

  panel.setFont(kBodyFont);
  for (const TextLine& line : kExplanation) {
    panel.setTextColor(line.colour);
    panel.textOut(line.x, line.y, line.text);
  }
  panel.setDefaultFont();
}

// Axes and labels every time; the image pair and the response curve of the first checked
// setting, if any. The curves of earlier presses stay in the plot.
void CDialog11::OnApplyFilter() {
  Surface plot = frame(kPlot);
  drawAxes(plot);
  drawAxisLabels(plot);

  for (const Setting& setting : kSettings) {
    if (!checked(setting.radio)) continue;
    stretchCentred(frame(kSmoothedFrame), setting.projectionBitmap, 0, 0, 150, 150);
    stretchCentred(frame(kSliceFrame), setting.sliceBitmap, 0, 9, 70, 70);
    drawResponse(plot, setting);
    return;
  }
}

void CDialog11::OnNext() { transferTo("CDialog12"); }
void CDialog11::OnBack() { transferTo("CDialog10"); }
void CDialog11::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
