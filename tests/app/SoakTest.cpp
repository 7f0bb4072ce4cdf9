// Next and Back, ten thousand times: the navigator loop must not nest, and nothing
// a screen made may outlive it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstdint>
#include <fstream>

#include "app/Navigator.h"

namespace {

long residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

struct Sample {
  std::intptr_t stackDepth;
  int widgets;
  long residentKiB;
};

}  // namespace

TEST(Soak, TenThousandTransfersKeepStackWidgetsAndMemoryFlat) {
  constexpr int kTransfers = 10000;
  lumo::Navigator navigator(nullptr);
  QObject alive;  // no tick outlives the test
  int transfers = 0;
  const char base = 0;
  Sample early{}, late{};

  // Each tick runs inside the current screen's event loop and presses Next on
  // CDialog3 or Back on CDialog4.
  std::function<void()> tick = [&] {
    char here = 0;
    lumo::ScreenWindow* w = navigator.current();
    if (!w || !navigator.settled()) {
      QTimer::singleShot(0, &alive, tick);
      return;
    }
    const Sample now{reinterpret_cast<std::intptr_t>(&base) - reinterpret_cast<std::intptr_t>(&here),
                     static_cast<int>(QApplication::allWidgets().size()), residentKiB()};
    if (transfers == 500) early = now;
    if (transfers == kTransfers) {
      late = now;
      navigator.quit(0);
      return;
    }
    QTimer::singleShot(0, &alive, tick);
    ++transfers;
    w->view()->press(w->view()->screenClass() == "CDialog3" ? 1003 : 1020);
  };
  QTimer::singleShot(0, &alive, tick);
  navigator.run("CDialog3");

  ASSERT_EQ(transfers, kTransfers);
  EXPECT_EQ(navigator.screensShown(), kTransfers + 1);
  EXPECT_EQ(late.stackDepth, early.stackDepth) << "the navigator nested a loop";
  EXPECT_EQ(late.widgets, early.widgets) << "widgets outlived their screens";
  EXPECT_LT(late.residentKiB - early.residentKiB, 8 * 1024) << "resident memory grew";
}
