// Drawing speed: per-pixel drawing through Surface against writing the same pixels
// straight into the canvas QImage, a 128 x 128 image in the centred mirrored set-up,
// and a 33-point polyline.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>

#include "draw/Canvas.h"
#include "draw/Colors.h"
#include "draw/Surface.h"

namespace {

using lumo::draw::Canvas;
using lumo::draw::Color;
using lumo::draw::Setup;
using lumo::draw::Surface;

// 290 x 300 light-yellow pixels, columns outer, rows inner, as the screens clear a plot.
constexpr int kW = 290, kH = 300;

void BM_SetPixelDirectQImage(benchmark::State& state) {
  Canvas canvas(600, 500);
  QImage& img = canvas.image();
  const QRgb p = Canvas::toQRgb(lumo::draw::colors::lightYellow);
  for (auto _ : state) {
    for (int x = 0; x < kW; ++x)
      for (int y = 0; y < kH; ++y) reinterpret_cast<QRgb*>(img.scanLine(10 + y))[10 + x] = p;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SetPixelDirectQImage);

void BM_SetPixelQImageSetPixel(benchmark::State& state) {
  Canvas canvas(600, 500);
  QImage& img = canvas.image();
  const QRgb p = Canvas::toQRgb(lumo::draw::colors::lightYellow);
  for (auto _ : state) {
    for (int x = 0; x < kW; ++x)
      for (int y = 0; y < kH; ++y) img.setPixel(10 + x, 10 + y, p);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SetPixelQImageSetPixel);

void BM_SetPixelSurface(benchmark::State& state) {
  Canvas canvas(600, 500);
  Surface s(canvas, 10, 10, 400, 400);
  for (auto _ : state) {
    for (int x = 0; x < kW; ++x)
      for (int y = 0; y < kH; ++y) s.setPixel(x, y, lumo::draw::colors::lightYellow);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SetPixelSurface);

// One angle's worth of a back-projection display: every point of a 128 x 128 grid set at
// logical (i - 64, j - 64) in a 368 x 368 frame in the centred mirrored set-up.
void BM_Image128CentredMirrored(benchmark::State& state) {
  Canvas canvas(600, 500);
  Surface s(canvas, 20, 20, 368, 368);
  s.setup(Setup::CentredMirrored);
  for (auto _ : state) {
    for (int i = 0; i < 128; ++i)
      for (int j = 0; j < 128; ++j)
        s.setPixel(i - 64, j - 64, lumo::draw::rgb((i * j) & 0xFF, 0, 0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 128 * 128);
}
BENCHMARK(BM_Image128CentredMirrored);

// A frequency-response curve: 33 points, one move and 32 line segments.
void BM_Polyline33(benchmark::State& state) {
  Canvas canvas(600, 500);
  Surface s(canvas, 20, 20, 368, 368);
  double ys[33];
  for (int i = 0; i < 33; ++i) ys[i] = 300 - 250 * std::exp(-0.01 * (i - 16) * (i - 16));
  for (auto _ : state) {
    s.moveTo(20, ys[0]);
    for (int i = 1; i < 33; ++i) s.lineTo(20 + i * 10, ys[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK(BM_Polyline33);

// A curve that leaves the plot by far: clipping keeps it as cheap as a short one.
void BM_LineToFarPoint(benchmark::State& state) {
  Canvas canvas(600, 500);
  Surface s(canvas, 20, 20, 368, 368);
  for (auto _ : state) {
    s.moveTo(10, 10);
    s.lineTo(1e12, -3e11);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LineToFarPoint);

}  // namespace
