#include "screens/tutorial/Dialog4.h"

#include "model/Backprojection.h"
#include "screens/PointSourceScreen.h"

namespace lumo {

namespace {

namespace colors = draw::colors;

// The point source sits at the centre of the grid; each angle deposits this much.
constexpr double kCentralCount = 100;

struct TextLine {
  int y;
  const char* text;
};

constexpr TextLine kExplanation[] = {
    {50, "ポイントソースを逆投影すると、 理想的には"},
    {70, "中心部のみに像が存在しなければなりませ"},
    {90, "んが、  各方向からのデータが加算されるた"},
    {110, "中心部は高カウントとなり、 周りには帯状の"},
    {130, "線が生じてしまします。"},
    {170, "このようなアーチファクトを取り除き、 原画像"},
    {190, "に近い再構成画像を作り出すために再構成"},
    {210, "フィルタが使用されるのです。"},
};

void drawExplanation(draw::Surface s) {
  s.fillRect(0, 0, 290, 300, colors::lightYellow);  // x 0..289, y 0..299
  s.setBkColor(colors::lightYellow);
  s.setFont(18);
  s.setTextColor(colors::blue);
  s.textOut(50, 15, "ポイントソースの逆投影");
  s.setFont(13);
  s.setTextColor(colors::black);
  for (const TextLine& line : kExplanation) s.textOut(20, line.y, line.text);
}

}  // namespace

Handlers CDialog4::handlers() {
  return {
      {1003, [this] { OnBackProject(); }},
      {1011, [this] { OnNext(); }},
      {1020, [this] { OnBack(); }},
      {1021, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog4::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static && id == 1001) return titleBand();
  return {};
}

void CDialog4::OnBackProject() {
  draw::Surface image = frame(1007);
  blankImageFrame(image);
  drawExplanation(frame(1008));

  // A step below 1 (or no number, or one beyond int) would never let the angle reach
  // 360: such a step back-projects nothing.
  const std::optional<int> step = model::truncateToInt(number(1009));
  if (!step || *step < 1) return;

  model::Accumulator acc = model::makeAccumulator();
  model::backProject(acc, {model::kGridCentre, model::kGridCentre, kCentralCount}, *step,
                     model::Strips::WideOnly,
                     [&](const model::Deposit& d) { setGridPixel(image, d.x, d.y, d.sum); });
}

void CDialog4::OnNext() { transferTo("CDialog5"); }
void CDialog4::OnBack() { transferTo("CDialog3"); }
void CDialog4::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
