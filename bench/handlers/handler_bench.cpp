// Press time of every drawing handler of every screen, with its heaviest entries.
//
//   lumo_handler_bench [SAMPLES]
//
// Each sample builds the screen afresh on its real widgets (offscreen), runs the set-up
// steps untimed, then times one press of the button together with the repaint that
// shows its drawing. The table gives the median and the slowest sample per press, and
// how many canvas pixels the press changed (so a set-up that drew nothing shows);
// the goal is a press under 16 ms (one frame at 60 Hz). Exit status 1 when one misses.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ScenarioRunner.h"
#include "app/ScreenView.h"

namespace {

constexpr double kGoalMs = 16.0;

struct Case {
  const char* screen;
  const char* label;
  const char* setup;  // script steps before the press: type, check, uncheck, press
  int press;
};

// Two point sources at step 1 (360 angles) are the heaviest point-source entries;
// plots use the entries that draw the most curves or the widest ranges.
const Case kCases[] = {
    {"CDialog2", "stage 1 projections", "", 1003},
    {"CDialog2", "stage 2 back-projection", "press 1003", 1006},
    {"CDialog2", "stage 3 sum of smears", "press 1003; press 1006", 1011},
    {"CDialog4", "back-projection, step 1", "type 1009 1", 1003},
    {"CDialog5", "explanation", "", 1003},
    {"CDialog5", "filter, waveform 2, noise 10%", "check 1016; type 1009 10", 1006},
    {"CDialog5", "operation help", "", 1020},
    {"CDialog5", "erase", "check 1016; type 1009 10; press 1006", 1011},
    {"CDialog8", "1 point, step 1", "check 1015; type 1009 1; type 1010 40; type 1012 50; type 1013 60", 1003},
    {"CDialog8", "2 points, step 1",
     "check 1016; type 1009 1; type 1010 40; type 1012 50; type 1013 60; type 1014 90; type 1022 80; type 1023 70",
     1003},
    {"CDialog8", "erase", "check 1015; type 1009 1; type 1010 40; type 1012 50; type 1013 60; press 1003", 1006},
    {"CDialog10", "explanation", "", 1003},
    {"CDialog11", "explanation", "", 1003},
    {"CDialog11", "filter 1015", "check 1015", 1006},
    {"CDialog11", "filter 1016", "check 1016", 1006},
    {"CDialog11", "filter 1017", "check 1017", 1006},
    {"CDialog11", "filter 1026", "check 1026", 1006},
    {"CDialog11", "filter 1028", "check 1028", 1006},
    {"CDialog13", "Butterworth effect", "check 1015; type 1009 10; type 1012 8; type 1010 0.25; check 1029", 1003},
    {"CDialog13", "erase", "check 1015; type 1009 10; type 1012 8; type 1010 0.25; check 1029; press 1003", 1006},
    {"CDialog15", "Butterworth order 8", "type 1012 8; type 1010 0.1", 1020},
    {"CDialog15", "Hamming", "type 1013 0.5", 1006},
    {"CDialog15", "Hanning", "type 1014 0.25", 1003},
    {"CDialog15", "Gauss", "type 1009 2", 1011},
    {"CDialog15", "erase", "type 1012 8; type 1010 0.1; press 1020", 1021},
    {"CDialog16", "Butterworth order 8", "check 1015; type 1012 8; type 1010 0.1", 1020},
    {"CDialog16", "Hamming", "check 1016; type 1013 0.5", 1006},
    {"CDialog16", "Hanning", "type 1014 0.25", 1003},
    {"CDialog16", "Gauss", "type 1009 2", 1011},
    {"CDialog16", "erase", "check 1015; type 1012 8; type 1010 0.1; press 1020", 1021},
    {"CDialog17", "object image, model 1", "check 1015", 1003},
    {"CDialog17", "object image, model 2", "check 1016", 1003},
    {"CDialog17", "blur", "check 1015; press 1003; type 1009 3", 1006},
    {"CDialog17", "all filters", "check 1015; press 1003; type 1009 3; press 1006; check 1029; check 1031; "
                                 "type 1010 0.1; type 1012 0.25; type 1013 4", 1011},
    {"CDialog17", "erase", "check 1015; press 1003", 1020},
    {"CPageA1", "line spread and MTF", "type 1009 2", 1003},
    {"CPageA1", "erase", "type 1009 2; press 1003", 1006},
    {"CPageA2", "frequency and real space", "type 1010 8; type 1009 0.25", 1003},
    {"CPageA2", "3-tap kernel", "type 1013 1; type 1012 2; type 1014 1", 1011},
    {"CPageA3", "Butterworth effect", "check 1016; type 1009 5; type 1012 8; type 1010 0.2; check 1029", 1003},
    {"CPageA3", "erase", "check 1016; type 1009 5; type 1012 8; type 1010 0.2; check 1029; press 1003", 1006},
    {"CPageA4", "2 points, step 1",
     "check 1016; type 1009 1; type 1010 40; type 1012 50; type 1013 60; type 1014 90; type 1022 80; type 1023 70",
     1003},
    {"CPageA4", "erase", "check 1015; type 1009 1; type 1010 40; type 1012 50; type 1013 60; press 1003", 1006},
};

bool runSetup(lumo::ScreenView& view, const char* setup) {
  for (const lumo::ScriptCommand& c : lumo::parseScript(setup)) {
    const int id = c.args.empty() ? 0 : std::atoi(c.args[0].c_str());
    if (!view.hasControl(id)) return false;
    if (c.verb == "type") view.setText(id, c.args.size() > 1 ? c.args[1] : "");
    else if (c.verb == "check") view.press(id), view.setChecked(id, true);
    else if (c.verb == "uncheck") view.setChecked(id, false);
    else if (c.verb == "press") view.press(id);
    else return false;
  }
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;

  std::printf("Press time of the drawing handlers (median and slowest of %d presses, each on a fresh screen)\n",
              samples);
  std::printf("  %-10s %-32s %5s %11s %11s %9s  %s\n", "screen", "press", "id", "median ms", "slowest ms", "pixels",
              "goal < 16 ms");
  bool allMet = true;
  for (const Case& c : kCases) {
    std::vector<double> ms;
    long changed = 0;
    bool ok = true;
    for (int i = 0; i < samples && ok; ++i) {
      lumo::ScreenView view(c.screen);
      view.show();
      QApplication::processEvents();
      ok = runSetup(view, c.setup) && view.hasControl(c.press);
      if (!ok) break;
      QApplication::processEvents();
      const QImage before = view.canvas().image().copy();
      const auto t0 = std::chrono::steady_clock::now();
      view.press(c.press);
      view.repaint();
      const auto t1 = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      if (i == 0) {
        const QImage& after = view.canvas().image();
        for (int y = 0; y < after.height(); ++y)
          for (int x = 0; x < after.width(); ++x) changed += after.pixel(x, y) != before.pixel(x, y);
      }
    }
    if (!ok) {
      std::printf("  %-10s %-32s %5d  set-up or button not on this screen\n", c.screen, c.label, c.press);
      allMet = false;
      continue;
    }
    const double med = median(ms), worst = *std::max_element(ms.begin(), ms.end());
    const bool met = med < kGoalMs;
    allMet = allMet && met;
    std::printf("  %-10s %-32s %5d %11.2f %11.2f %9ld  %s\n", c.screen, c.label, c.press, med, worst, changed,
                met ? "met" : "MISSED");
    std::fflush(stdout);
  }
  return allMet ? 0 : 1;
}
