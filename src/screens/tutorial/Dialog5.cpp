#include "screens/tutorial/Dialog5.h"

#include <cmath>
#include <string_view>

#include "model/Waveforms.h"
#include "screens/WaveformPlot.h"

namespace lumo {

namespace {

using draw::Color;
using draw::Surface;
namespace colors = draw::colors;

constexpr int kPanel = 1007;
constexpr int kPlot = 1008;
constexpr int kWaveform1 = 1015;
constexpr int kWaveform2 = 1016;
constexpr int kNoise = 1009;

constexpr int kHeadingFont = 18;
constexpr int kBodyFont = 12;
// The largest noise percentage the plot accepts.
constexpr double kMaxNoise = 30;

// The outlines drawn around the panel (260 x 360) and the plot (350 x 390).
constexpr int kPanelW = 260, kPanelH = 360;
constexpr int kPlotW = 350, kPlotH = 390;

struct TextLine {
  int x, y;
  Color colour;
  std::string_view text;
};

constexpr TextLine kExplanation[] = {
    {20, 50, colors::black, "①の角度毎のプロジェクションデータを単純"},
    {20, 70, colors::black, "に逆投影すると、再構成画像の中心部は濃"},
    {20, 90, colors::black, "度が高くなり、 周りには大きなボケが生じて"},
    {20, 110, colors::black, "きます。"},
    {20, 150, colors::black, "このボケを除くためには、①の波形を中心部"},
    {20, 170, colors::black, "を低く、   周りは負のカウントとなる③のよう"},
    {20, 190, colors::black, "な波形に変えてしまえば良いことが直感的に"},
    {20, 210, colors::black, "理解できます。"},
    {20, 230, colors::black, "このような波形に変えるには②に示すような"},
    {20, 250, colors::black, "波形と波形①を重畳積分すれば良いのです。"},
    {40, 270, colors::red, "この波形②がＲａｍｐフィルタなのです。"},
    {60, 300, colors::blue, "右上の「操作説明」をクリックし"},
    {60, 320, colors::blue, "て、Ｒａｍｐフィルタの特性を調"},
    {60, 340, colors::blue, "べてみましょう。"},
};

constexpr TextLine kOperatingSteps[] = {
    {20, 70, colors::black, "再構成フィルタ（Ｒａｍｐ）によって波形がどの"},
    {20, 90, colors::black, "ように変化するかを観察します。"},
    {15, 140, colors::blue, "１）波形１または波形２を選択します。"},
    {15, 180, colors::blue, "２）波形の雑音を入力します。"},
    {25, 200, colors::blue, "　　(雑音は３０％以下の値とします）"},
    {15, 240, colors::blue, "３）表示は「ＯＮボタン」をクリックします。"},
    {15, 280, colors::blue, "４）波形を消すには「消去ボタン」をクリックします。"},
};

// Where the kernel and its arrow sit: waveform 1 (and the explanation's example) has
// room for offsets -22..22 around x = 150; waveform 2 shows -12..12 around x = 80.
struct KernelPlacement {
  int reach;
  double centreX;
  double arrowX;
};
constexpr KernelPlacement kKernelForWaveform1{22, 150, 160};
constexpr KernelPlacement kKernelForWaveform2{12, 80, 100};

void drawHeading(Surface& s, double x, double y, Color colour, std::string_view text) {
  s.setFont(kHeadingFont);
  s.setTextColor(colour);
  s.textOut(x, y, text);
  s.setDefaultFont();
}

template <std::size_t N>
void drawBody(Surface& s, const TextLine (&lines)[N]) {
  s.setFont(kBodyFont);
  for (const TextLine& line : lines) {
    s.setTextColor(line.colour);
    s.textOut(line.x, line.y, line.text);
  }
  s.setDefaultFont();
}

void drawLabels(Surface& s) {
  s.setDefaultFont();
  s.setTextColor(colors::black);
  s.textOut(10, 30, "① Projection");
  s.textOut(10, 120, "② Ramp");
  s.textOut(10, 240, "③ Projection*Ramp");
}

void drawArrow(Surface& s, double x) {
  s.setDefaultFont();
  s.setTextColor(colors::black);
  s.textOut(x, 130, "⇒⇒⇒");
}

// The Ramp kernel in red: (4k + centre, 180 - 200 h(k)) for k = -reach..reach.
void drawKernelCurve(Surface& s, const model::Kernel& h, const KernelPlacement& at) {
  s.setPen(colors::red);
  for (int k = -at.reach; k <= at.reach; ++k) {
    const double x = 4 * k + at.centreX;
    const double y = 180 - 200 * model::kernelAt(h, k);
    if (k == -at.reach)
      s.moveTo(x, y);
    else
      s.lineTo(x, y);
  }
}

// The three curves of one waveform: the waveform in black at 100 - w, the Ramp kernel
// in red, and the filtered line in blue at 300 - 10 out.
void drawWaveformCurves(Surface& s, const model::Line& w, const KernelPlacement& at) {
  drawLabels(s);
  drawArrow(s, at.arrowX);
  s.setPen(colors::black);
  waveplot::drawRow(s, w, 100, 1);
  const model::Kernel h = model::rampKernelTable();
  drawKernelCurve(s, h, at);
  s.setPen(colors::blue);
  waveplot::drawRow(s, model::convolve(w, h), 300, 10);
}

}  // namespace

Handlers CDialog5::handlers() {
  return {
      {1003, [this] { OnExplain(); }},
      {1006, [this] { OnDisplay(); }},
      {1011, [this] { OnErase(); }},
      {1020, [this] { OnOperationHelp(); }},
      {1021, [this] { OnNext(); }},
      {1030, [this] { OnBack(); }},
      {1038, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog5::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static && id == 1002) return titleBand();
  return {};
}

// A noise above 30 % (or one that is not a finite number), like a press with no
// waveform chosen, leaves the plot filled and empty.
void CDialog5::OnDisplay() {
  Surface plot = frame(kPlot);
  plot.fillClient(colors::lightYellow);
  const double r = number(kNoise);
  const bool noiseAccepted = std::isfinite(r) && r <= kMaxNoise;
  if (!noiseAccepted) return;

  if (checked(kWaveform1)) {
    waveplot::drawBaselines(plot);
    drawWaveformCurves(plot, model::testWaveform(1, r), kKernelForWaveform1);
  } else if (checked(kWaveform2)) {
    waveplot::drawBaselines(plot);
    drawWaveformCurves(plot, model::testWaveform(2, r), kKernelForWaveform2);
  }
}

void CDialog5::OnErase() {
  Surface plot = frame(kPlot);
  plot.fillClient(colors::lightYellow);
  waveplot::drawBaselines(plot);
  waveplot::drawBorder(plot, kPlotW, kPlotH);
  drawLabels(plot);
}

// The explanation in the panel and its noise-free example with waveform 1 in the plot.
void CDialog5::OnExplain() {
  Surface panel = frame(kPanel);
  Surface plot = frame(kPlot);
  panel.fillClient(colors::silver);
  plot.fillClient(colors::lightYellow);

  waveplot::drawBorder(panel, kPanelW, kPanelH);
  drawHeading(panel, 60, 20, colors::blue, "再構成フィルタ");
  drawBody(panel, kExplanation);

  waveplot::drawBaselines(plot);
  waveplot::drawBorder(plot, kPlotW, kPlotH);
  drawWaveformCurves(plot, model::testWaveform(1, 0), kKernelForWaveform1);
}

void CDialog5::OnOperationHelp() {
  Surface panel = frame(kPanel);
  panel.fillClient(colors::silver);
  drawHeading(panel, 40, 20, colors::red, "再構成フィルタの操作説明");
  drawBody(panel, kOperatingSteps);
}

void CDialog5::OnNext() { transferTo("CDialog7"); }
void CDialog5::OnBack() { transferTo("CDialog4"); }
void CDialog5::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
