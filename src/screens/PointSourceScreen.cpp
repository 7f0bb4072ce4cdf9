#include "screens/PointSourceScreen.h"

namespace lumo {

namespace {

namespace colors = draw::colors;

enum : int {
  kOnePointWide = 1007,
  kTwoPointWide = 1008,
  kOnePointNarrow = 1018,
  kTwoPointNarrow = 1019,
  kOnePoint = 1015,
  kTwoPoints = 1016,
  kStep = 1009,
  kX1 = 1010,
  kY1 = 1012,
  kCount1 = 1013,
  kX2 = 1014,
  kY2 = 1022,
  kCount2 = 1023,
};

bool within(const std::optional<int>& v, int lo, int hi) { return v && *v >= lo && *v <= hi; }

}  // namespace

void blankImageFrame(draw::Surface& s) {
  s.fillClient(colors::lightYellow);
  s.setup(draw::Setup::CentredMirrored);
  s.moveTo(-64, -64);
  s.lineTo(80, -64);
  s.moveTo(-64, -64);
  s.lineTo(-64, 80);
  s.setDefaultFont();
  s.setTextColor(colors::black);
  s.textOut(-67, 80, "128");
  s.textOut(80, -67, "128");
  s.textOut(-67, -67, "0");
}

draw::Color backProjectionColour(double sum) { return draw::rgb(model::redLevel(sum), 0, 0); }

void setGridPixel(draw::Surface& s, int x, int y, double sum) {
  s.setPixel(x - model::kGridCentre, y - model::kGridCentre, backProjectionColour(sum));
}

Handlers PointSourceScreen::handlers() {
  return {
      {1003, [this] { OnDisplay(); }},
      {1006, [this] { OnErase(); }},
  };
}

ControlColour PointSourceScreen::OnTitleColor(int id, ControlKind kind) const {
  if (kind != ControlKind::Static) return {};
  switch (id) {
    case 1002:
      return titleBand();
    case 1001:
    case 1035:
    case 1032:
    case 1033:
      return captionBand();
    default:
      return {};
  }
}

std::array<draw::Surface, 4> PointSourceScreen::blankImageFrames() {
  std::array<draw::Surface, 4> frames{frame(kOnePointWide), frame(kTwoPointWide),
                                      frame(kOnePointNarrow), frame(kTwoPointNarrow)};
  for (draw::Surface& s : frames) blankImageFrame(s);
  return frames;
}

void PointSourceScreen::OnErase() { blankImageFrames(); }

void PointSourceScreen::OnDisplay() {
  auto [onePointWide, twoPointWide, onePointNarrow, twoPointNarrow] = blankImageFrames();

  const std::optional<int> step = entry(kStep);
  const std::optional<int> x1 = entry(kX1), y1 = entry(kY1), n1 = entry(kCount1);
  const std::optional<int> x2 = entry(kX2), y2 = entry(kY2), n2 = entry(kCount2);
  model::Accumulator acc = model::makeAccumulator();

  const bool stepValid = step && *step >= 1;
  const auto coordinateValid = [](const std::optional<int>& v) { return within(v, 1, 127); };

  if (checked(kOnePoint) && stepValid && coordinateValid(x1) && coordinateValid(y1) &&
      within(n1, 2, 100)) {
    backProjectInto(acc, {*x1, *y1, static_cast<double>(*n1)}, *step, onePointWide,
                    onePointNarrow);
    return;
  }
  if (checked(kTwoPoints) && stepValid && coordinateValid(x1) && coordinateValid(y1) &&
      coordinateValid(x2) && coordinateValid(y2) && within(n1, 1, 100) && within(n2, 1, 100)) {
    // One accumulator for both sources: where their strips cross, the deposits add.
    backProjectInto(acc, {*x1, *y1, static_cast<double>(*n1)}, *step, twoPointWide,
                    twoPointNarrow);
    backProjectInto(acc, {*x2, *y2, static_cast<double>(*n2)}, *step, twoPointWide,
                    twoPointNarrow);
  }
}

void PointSourceScreen::backProjectInto(model::Accumulator& acc, const model::PointSource& source,
                                        int step, draw::Surface& wide, draw::Surface& narrow) {
  model::backProject(acc, source, step, model::Strips::WideAndNarrow,
                     [&](const model::Deposit& d) {
                       setGridPixel(d.strip == model::Strip::Wide ? wide : narrow, d.x, d.y,
                                    d.sum);
                     });
}

}  // namespace lumo
