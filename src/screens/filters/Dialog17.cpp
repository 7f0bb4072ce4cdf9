#include "screens/filters/Dialog17.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "model/Filters.h"

namespace lumo {

using draw::Color;
using draw::Surface;
namespace colors = draw::colors;

namespace {
constexpr int kSpectrumFrame = 1007;  // spectra and filters
constexpr int kProfileFrame = 1008;   // line profiles
constexpr int kModel1 = 1015;
constexpr int kModel2 = 1016;
constexpr int kWienerCheck = 1029;
constexpr int kButterworthCheck = 1031;
constexpr int kFwhm = 1009;
constexpr int kWienerConstant = 1010;
constexpr int kCutOff = 1012;
constexpr int kOrder = 1013;
constexpr int kTitleBand = 1002;

constexpr int kLastGridIndex = 32;
// "周波数特性" stands at x = 100, except after an erase, which writes it at x = 80.
constexpr double kSpectrumTitleX = 100;
constexpr double kSpectrumTitleXAfterErase = 80;

// Values on the frequency grid i = 0..32 (f = i * 10 / 640).
using Spectrum = std::array<double, kLastGridIndex + 1>;

Spectrum sampled(const std::function<double(int)>& value) {
  Spectrum s{};
  for (int i = 0; i <= kLastGridIndex; ++i) s[static_cast<std::size_t>(i)] = value(i);
  return s;
}

Spectrum objectSpectrum(int model) {
  return sampled([model](int i) { return model::objectSpectrumAt(i, model); });
}

Spectrum blurResponse(double F) {
  return sampled([F](int i) { return model::gaussianAt(i, F); });
}

// H(i) * O(i): the blurred spectrum, the spectrum every restoration starts from.
Spectrum blurred(const Spectrum& H, const Spectrum& O) {
  return sampled([&](int i) { return H[i] * O[i]; });
}

// The Wiener filter scaled by s; 0 where the blur response has vanished.
Spectrum wienerFilter(const Spectrum& H, double C, double s) {
  return sampled([&](int i) { return model::wiener(H[i], C, s); });
}

Spectrum butterworthWienerFilter(const Spectrum& H, double C, double fc, double n, double s) {
  return sampled(
      [&](int i) { return model::butterworthWiener(H[i], C, model::butterworthAt(i, fc, n), s); });
}

// (H * O) * filter, with the filter already scaled.
Spectrum restored(const Spectrum& blurredSpectrum, const Spectrum& scaledFilter) {
  return sampled([&](int i) { return blurredSpectrum[i] * scaledFilter[i]; });
}

Spectrum percent(const Spectrum& v) {
  return sampled([&](int i) { return v[i] * 100; });
}

// Left frame: index i at x = 6 * i + 30, a value in percent at y = 230 - percent.
void drawSpectrum(Surface& spectra, const Spectrum& percentValues) {
  draw::Polyline curve(spectra);
  for (int i = 0; i <= kLastGridIndex; ++i) curve.to(6 * i + 30, 230 - percentValues[static_cast<std::size_t>(i)]);
}

// Right frame: the 33-term cosine synthesis of a spectrum, drawn symmetrically for
// j = -10..10 at x = 10 * j + 130, y = 235 - 10 * p[|j|].
void drawProfile(Surface& profiles, const Spectrum& S) {
  const auto p = model::cosineSynthesis33(S);
  for (int j = -10; j <= 10; ++j) {
    const double x = 10 * j + 130;
    const double y = 235 - 10 * p[static_cast<std::size_t>(std::abs(j))];
    if (j == -10)
      profiles.moveTo(x, y);
    else
      profiles.lineTo(x, y);
  }
}

// Draws with a pen of the given colour and gives the surface its pen back.
void inColour(Surface& s, Color colour, const std::function<void()>& draw) {
  const Color previous = s.pen();
  s.setPen(colour);
  draw();
  s.setPen(previous);
}

void drawBorder(Surface& s) {
  s.moveTo(0, 0);
  s.lineTo(0, 269);
  s.moveTo(0, 0);
  s.lineTo(253, 0);
  s.moveTo(0, 269);
  s.lineTo(253, 269);
  s.moveTo(253, 0);
  s.lineTo(253, 269);
}

// Borders, axes and titles of both frames over whatever they show, in the current pen.
void drawFrameSetUp(Surface& spectra, Surface& profiles, double spectrumTitleX) {
  spectra.setBkColor(colors::silver);
  profiles.setBkColor(colors::silver);

  drawBorder(spectra);
  drawBorder(profiles);

  spectra.moveTo(30, 230);
  spectra.lineTo(240, 230);
  spectra.moveTo(30, 20);
  spectra.lineTo(30, 230);
  spectra.moveTo(30, 130);
  spectra.lineTo(35, 130);
  spectra.textOut(5, 123, "1.0");
  spectra.textOut(215, 235, "0.5");
  spectra.textOut(50, 245, "frequency(cycles/pixel)");

  profiles.moveTo(30, 230);
  profiles.lineTo(240, 230);

  spectra.textOut(spectrumTitleX, 10, "周波数特性");
  profiles.textOut(100, 10, "画像分布");
}

void clearFrames(Surface& spectra, Surface& profiles) {
  spectra.fillClient(colors::silver);
  profiles.fillClient(colors::silver);
}

bool atLeast(double value, double minimum) { return std::isfinite(value) && value >= minimum; }
}  // namespace

Handlers CDialog17::handlers() {
  return {
      {1003, [this] { OnObjectImage(); }},
      {1006, [this] { OnBlur(); }},
      {1011, [this] { OnFilter(); }},
      {1020, [this] { OnErase(); }},
      {1021, [this] { OnCancelToMenu(); }},
  };
}

ControlColour CDialog17::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static) return id == kTitleBand ? titleBand() : ControlColour{};
  switch (id) {
    case kWienerConstant:
      return {colors::blue, std::nullopt};
    case kFwhm:
      return {colors::purple, std::nullopt};
    case kOrder:
    case kCutOff:
      return {colors::yellow, colors::black};
    default:
      return {};
  }
}

std::optional<int> CDialog17::checkedModel() const {
  if (checked(kModel1)) return 1;
  if (checked(kModel2)) return 2;
  return std::nullopt;
}

// Step 1: the object alone, in the current (black) pen, on cleared frames.
void CDialog17::OnObjectImage() {
  auto spectra = frame(kSpectrumFrame);
  auto profiles = frame(kProfileFrame);
  clearFrames(spectra, profiles);
  drawFrameSetUp(spectra, profiles, kSpectrumTitleX);

  const auto model = checkedModel();
  if (!model) return;
  const Spectrum O = objectSpectrum(*model);
  drawSpectrum(spectra, percent(O));
  drawProfile(profiles, O);
}

// Step 2: the object blurred by the collimator, in purple, over what is there.
void CDialog17::OnBlur() {
  auto spectra = frame(kSpectrumFrame);
  auto profiles = frame(kProfileFrame);
  drawFrameSetUp(spectra, profiles, kSpectrumTitleX);

  const double F = number(kFwhm);
  const auto model = checkedModel();
  if (!atLeast(F, 0.01) || !model) return;
  const Spectrum O = objectSpectrum(*model);
  const Spectrum H = blurResponse(F);

  // H(i) * (O(i) * 100): the object is scaled to percent before the blur multiplies it.
  const Spectrum blurredPercent = sampled([&](int i) { return H[i] * (O[i] * 100); });
  inColour(spectra, colors::purple, [&] { drawSpectrum(spectra, blurredPercent); });
  inColour(profiles, colors::purple, [&] { drawProfile(profiles, blurred(H, O)); });
}

// Step 3: the filters the check boxes ask for and the restorations they give. Each part
// has its own condition; a part that fails it is skipped and the next still considered.
void CDialog17::OnFilter() {
  auto spectra = frame(kSpectrumFrame);
  auto profiles = frame(kProfileFrame);
  drawFrameSetUp(spectra, profiles, kSpectrumTitleX);

  const double F = number(kFwhm);
  const double C = number(kWienerConstant);
  const double fc = number(kCutOff);
  const double n = number(kOrder);
  const auto model = checkedModel();

  const bool constantInRange = atLeast(C, 0.05);
  const bool butterworthInRange = atLeast(fc, 0.01) && atLeast(n, 0.01);
  const bool wienerCurve = checked(kWienerCheck) && atLeast(F, 1.0) && constantInRange;
  const bool wienerRestoration =
      checked(kWienerCheck) && std::isfinite(F) && F > 0.01 && constantInRange && model;
  const bool butterworthWienerCurve =
      checked(kButterworthCheck) && butterworthInRange && atLeast(F, 1.0) && constantInRange;
  const bool butterworthWienerRestoration = butterworthWienerCurve && model;
  if (!wienerCurve && !wienerRestoration && !butterworthWienerCurve) return;

  const Spectrum H = blurResponse(F);
  const Spectrum blurredObject = model ? blurred(H, objectSpectrum(*model)) : Spectrum{};

  if (wienerCurve) {
    const Spectrum W100 = wienerFilter(H, C, 100);
    inColour(spectra, colors::red, [&] { drawSpectrum(spectra, W100); });
  }
  if (wienerRestoration) {
    const Spectrum W100 = wienerFilter(H, C, 100);
    const Spectrum W1 = wienerFilter(H, C, 1);
    inColour(spectra, colors::blue,
             [&] { drawSpectrum(spectra, restored(blurredObject, W100)); });
    inColour(profiles, colors::blue, [&] { drawProfile(profiles, restored(blurredObject, W1)); });
  }
  if (butterworthWienerCurve) {
    const Spectrum BW100 = butterworthWienerFilter(H, C, fc, n, 100);
    inColour(spectra, colors::red, [&] { drawSpectrum(spectra, BW100); });
  }
  if (butterworthWienerRestoration) {
    const Spectrum BW100 = butterworthWienerFilter(H, C, fc, n, 100);
    const Spectrum BW1 = butterworthWienerFilter(H, C, fc, n, 1);
    inColour(spectra, colors::yellow,
             [&] { drawSpectrum(spectra, restored(blurredObject, BW100)); });
    inColour(profiles, colors::yellow,
             [&] { drawProfile(profiles, restored(blurredObject, BW1)); });
  }
}

void CDialog17::OnErase() {
  auto spectra = frame(kSpectrumFrame);
  auto profiles = frame(kProfileFrame);
  clearFrames(spectra, profiles);
  drawFrameSetUp(spectra, profiles, kSpectrumTitleXAfterErase);
}

void CDialog17::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
