// The heaviest point-source press: two sources at a step of 1 degree (360 angles each),
// computed and drawn into the wide and narrow frames through the real screen.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/ScreenView.h"
#include "model/Backprojection.h"

namespace {

void BM_PointSourceTwoPointsStep1(benchmark::State& state) {
  // The screen's widgets need a widget application around the benchmarks.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    state.SkipWithError("needs a QApplication");
    return;
  }
  lumo::ScreenView view("CDialog8");
  view.setChecked(1016, true);
  view.setText(1009, "1");
  view.setText(1010, "40");
  view.setText(1012, "50");
  view.setText(1013, "60");
  view.setText(1014, "90");
  view.setText(1022, "80");
  view.setText(1023, "70");
  for (auto _ : state) view.press(1003);
}
BENCHMARK(BM_PointSourceTwoPointsStep1)->Unit(benchmark::kMillisecond);

// What every press costs before any back-projection: blanking the four image frames.
void BM_PointSourceErase(benchmark::State& state) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    state.SkipWithError("needs a QApplication");
    return;
  }
  lumo::ScreenView view("CDialog8");
  for (auto _ : state) view.press(1006);
}
BENCHMARK(BM_PointSourceErase)->Unit(benchmark::kMillisecond);

void BM_BackProjectionModelTwoPointsStep1(benchmark::State& state) {
  for (auto _ : state) {
    lumo::model::Accumulator acc = lumo::model::makeAccumulator();
    long deposits = 0;
    const lumo::model::DepositSink sink = [&](const lumo::model::Deposit&) { ++deposits; };
    lumo::model::backProject(acc, {40, 50, 60}, 1, lumo::model::Strips::WideAndNarrow, sink);
    lumo::model::backProject(acc, {90, 80, 70}, 1, lumo::model::Strips::WideAndNarrow, sink);
    benchmark::DoNotOptimize(deposits);
  }
}
BENCHMARK(BM_BackProjectionModelTwoPointsStep1)->Unit(benchmark::kMillisecond);

}  // namespace
