// The overview of image reconstruction: stage 2 (twelve smears of 128 x 128 points, each
// drawn, read back into the document storage and wiped) is the heaviest press of the
// program's tutorial; stage 3 sums the twelve smears.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/ScreenView.h"
#include "model/ProjectionSmears.h"

namespace {

bool haveWidgets(benchmark::State& state) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) return true;
  state.SkipWithError("needs a QApplication");
  return false;
}

void BM_OverviewStage(benchmark::State& state) {
  if (!haveWidgets(state)) return;
  lumo::ScreenView view("CDialog2");
  view.press(1003);  // profiles from the projection series
  const int button = static_cast<int>(state.range(0));
  for (auto _ : state) view.press(button);
}
BENCHMARK(BM_OverviewStage)->Arg(1003)->Arg(1006)->Arg(1011)->Unit(benchmark::kMillisecond);

void BM_SmearBinsOneAngle(benchmark::State& state) {
  for (auto _ : state) {
    const lumo::model::SmearBins bins = lumo::model::smearBins(30);
    benchmark::DoNotOptimize(bins.data());
  }
}
BENCHMARK(BM_SmearBinsOneAngle)->Unit(benchmark::kMicrosecond);

}  // namespace
