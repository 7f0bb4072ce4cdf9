// The Butterworth effect on a test waveform: the tutorial's CDialog13 and its twin, the
// workbench page CPageA3, on the real widgets. Frame 1007, blue rows for the waveform,
// red rows for the Butterworth-smoothed waveform.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ScreenView.h"
#include "model/Filters.h"

namespace lumo {
namespace {

namespace colors = draw::colors;
using Point = std::pair<int, int>;

constexpr int kPlot = 1007, kDisplay = 1003, kErase = 1006, kWaveform1 = 1015,
              kWaveform2 = 1016, kNoise = 1009, kCutOff = 1010, kOrder = 1012, kBw = 1029;

constexpr int sampleX(int s) { return 4 * s + 50; }

struct Entries {
  int waveform = kWaveform1;  // 0: none chosen
  std::string noise = "0";
  std::string cutOff = "";
  std::string order = "";
  bool butterworth = false;
};

void display(ScreenView& view, const Entries& e) {
  if (e.waveform != 0) view.setChecked(e.waveform, true);
  view.setText(kNoise, e.noise);
  view.setText(kCutOff, e.cutOff);
  view.setText(kOrder, e.order);
  view.setChecked(kBw, e.butterworth);
  ASSERT_TRUE(view.press(kDisplay));
}

int countColour(const ScreenView& view, draw::Color c) {
  const PixelRect r = view.frameRect(kPlot);
  int n = 0;
  for (int x = 0; x < r.width(); ++x)
    for (int y = 0; y < r.height(); ++y)
      if (view.framePixel(kPlot, x, y) == c) ++n;
  return n;
}

bool anyColourIn(const ScreenView& view, int x0, int y0, int x1, int y1, draw::Color c) {
  for (int x = x0; x < x1; ++x)
    for (int y = y0; y < y1; ++y)
      if (view.framePixel(kPlot, x, y) == c) return true;
  return false;
}

void expectPixels(const ScreenView& view, const std::vector<Point>& points, draw::Color c,
                  const std::string& what) {
  for (auto [x, y] : points)
    EXPECT_EQ(view.framePixel(kPlot, x, y), c) << what << " at " << x << "," << y;
}

void expectOutline(const ScreenView& view, const std::string& what) {
  expectPixels(view, {{0, 0}, {0, 200}, {0, 366}, {200, 0}, {367, 0}}, colors::black, what);
}

void expectLayout(const ScreenView& view, const std::string& what) {
  expectPixels(view, {{50, 100}, {302, 100}, {302, 180}, {302, 300}}, colors::black,
               what + " baseline");
  const std::vector<Point> labels = {{10, 60}, {10, 150}, {10, 270}};
  for (auto [x, y] : labels)
    EXPECT_TRUE(anyColourIn(view, x, y, x + 90, y + 16, colors::black)) << what << " label " << y;
}

const char* const kBothScreens[] = {"CDialog13", "CPageA3"};

TEST(ButterworthEffect, BlueRowsOfWaveform1WithoutNoise) {
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    display(view, {});
    expectOutline(view, screen);
    expectLayout(view, screen);
    expectPixels(view,
                 {{sampleX(0), 95}, {sampleX(25), 95}, {sampleX(26), 50}, {sampleX(36), 50},
                  // Ramp row: lobes outside and inside each edge of the pulse.
                  {sampleX(25), 234}, {sampleX(37), 234}, {sampleX(26), 121}, {sampleX(36), 121},
                  // Shepp-Logan row: smaller lobes at the same samples.
                  {sampleX(25), 343}, {sampleX(37), 343}, {sampleX(26), 252}, {sampleX(36), 252}},
                 colors::blue, screen);
    EXPECT_EQ(countColour(view, colors::red), 0) << screen;
  }
}

TEST(ButterworthEffect, RedSmoothedWaveformWithOrder8AndCutOffQuarter) {
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    display(view, {.cutOff = "0.25", .order = "8", .butterworth = true});
    // Undershoot before and overshoot after each edge, symmetric about the pulse.
    expectPixels(view,
                 {{sampleX(23), 97}, {sampleX(24), 97}, {sampleX(25), 84}, {sampleX(26), 60},
                  {sampleX(27), 47}, {sampleX(28), 47}, {sampleX(36), 60}, {sampleX(37), 84},
                  {sampleX(38), 97}, {sampleX(39), 97}},
                 colors::red, screen);
    EXPECT_TRUE(anyColourIn(view, 50, 140, 303, 240, colors::red)) << screen << " Ramp row";
    EXPECT_TRUE(anyColourIn(view, 50, 240, 303, 368, colors::red)) << screen << " S&L row";
  }
}

TEST(ButterworthEffect, KernelOfOrder8AndCutOffQuarter) {
  const model::Kernel g = model::butterworthKernel(0.25, 8);
  EXPECT_NEAR(model::kernelAt(g, 0), 0.5125, 5e-5);
  EXPECT_NEAR(model::kernelAt(g, 1), 0.2977, 5e-5);
  EXPECT_DOUBLE_EQ(model::kernelAt(g, -1), model::kernelAt(g, 1));
  const model::Line S = model::mirroredButterworthLower31(0.25, 8);
  EXPECT_DOUBLE_EQ(S[0], 1.0);
  EXPECT_DOUBLE_EQ(S[16], 0.5);
}

// The red rows need a cut-off and an order above 0.01 and the box ticked.
TEST(ButterworthEffect, RedRowsGuard) {
  struct Case {
    const char* cutOff;
    const char* order;
    bool ticked;
    bool red;
  };
  const Case cases[] = {
      {"0.25", "8", true, true},      {"0.25", "8", false, false},   {"0.01", "8", true, false},
      {"0.011", "8", true, true},     {"0.25", "0.01", true, false}, {"0.25", "0.011", true, true},
      {"", "", true, false},          {"0.25", "-8", true, false},   {"1e999", "8", true, false},
  };
  for (const char* screen : kBothScreens) {
    for (const Case& c : cases) {
      ScreenView view(screen);
      display(view, {.cutOff = c.cutOff, .order = c.order, .butterworth = c.ticked});
      EXPECT_EQ(countColour(view, colors::red) > 0, c.red)
          << screen << " fc=" << c.cutOff << " n=" << c.order << " ticked=" << c.ticked;
      EXPECT_EQ(view.framePixel(kPlot, sampleX(26), 121), colors::blue) << screen;
    }
  }
}

TEST(ButterworthEffect, NoiseShakesBlueRowsWhileRedRowsStayCalm) {
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    display(view, {.noise = "10", .cutOff = "0.25", .order = "8", .butterworth = true});
    expectPixels(view, {{sampleX(28), 45}, {sampleX(29), 55}, {sampleX(30), 45}, {sampleX(31), 55}},
                 colors::blue, screen);
    // On the pulse the red smoothed waveform stays between about y = 47 and 50.
    for (int s = 27; s <= 35; ++s)
      EXPECT_TRUE(anyColourIn(view, sampleX(s), 46, sampleX(s) + 1, 52, colors::red)) << screen << s;
  }
}

TEST(ButterworthEffect, Waveform2AndItsMark) {
  struct Case {
    const char* screen;
    bool mark;
  };
  for (const Case c : {Case{"CDialog13", true}, Case{"CPageA3", false}}) {
    ScreenView view(c.screen);
    display(view, {.waveform = kWaveform2});
    expectLayout(view, c.screen);
    expectPixels(view, {{sampleX(9), 95}, {sampleX(10), 75}, {sampleX(38), 50}}, colors::blue,
                 c.screen);
    const draw::Color markColour = c.mark ? colors::blue : colors::lightYellow;
    expectPixels(view, {{10, 20}, {30, 20}, {49, 20}}, markColour, std::string(c.screen) + " mark");
    EXPECT_EQ(view.framePixel(kPlot, 50, 20), colors::lightYellow) << c.screen;
    EXPECT_EQ(view.framePixel(kPlot, 9, 20), colors::lightYellow) << c.screen;
  }
}

// A press without a waveform to work on leaves the frame filled and outlined only.
TEST(ButterworthEffect, PressWithoutWaveformDrawsOnlyFillAndOutline) {
  struct Case {
    const char* screen;
    Entries entries;
  };
  const Case cases[] = {
      {"CDialog13", {.waveform = 0, .cutOff = "0.25", .order = "8", .butterworth = true}},
      {"CPageA3", {.waveform = 0, .cutOff = "0.25", .order = "8", .butterworth = true}},
      {"CPageA3", {.noise = "-5"}},
      {"CPageA3", {.noise = "-0.001"}},
      {"CDialog13", {.noise = "1e999"}},
      {"CDialog13", {.noise = "-1e999"}},
  };
  for (const Case& c : cases) {
    ScreenView view(c.screen);
    display(view, c.entries);
    expectOutline(view, c.screen);
    const PixelRect r = view.frameRect(kPlot);
    EXPECT_EQ(countColour(view, colors::black) + countColour(view, colors::lightYellow),
              r.width() * r.height())
        << c.screen << " noise " << c.entries.noise;
    EXPECT_EQ(view.framePixel(kPlot, 250, 100), colors::lightYellow) << c.screen;
    EXPECT_FALSE(anyColourIn(view, 10, 60, 100, 76, colors::black)) << c.screen;
  }
}

TEST(ButterworthEffect, NoiseBoundsDifferBetweenTheTwins) {
  struct Case {
    const char* screen;
    const char* noise;
    std::vector<Point> blue;
  };
  const Case cases[] = {
      // A negative noise swaps plus and minus samples on the tutorial screen.
      {"CDialog13", "-5", {{sampleX(0), 95}, {sampleX(1), 94}}},
      {"CDialog13", "5", {{sampleX(0), 94}, {sampleX(1), 95}}},
      // No upper bound on either screen; 0 is accepted on the page.
      {"CDialog13", "40", {{sampleX(26), 30}, {sampleX(27), 70}}},
      {"CPageA3", "40", {{sampleX(26), 30}, {sampleX(27), 70}}},
      {"CPageA3", "0", {{sampleX(0), 95}, {sampleX(26), 50}}},
  };
  for (const Case& c : cases) {
    ScreenView view(c.screen);
    display(view, {.noise = c.noise});
    expectPixels(view, c.blue, colors::blue, std::string(c.screen) + " noise " + c.noise);
  }
}

TEST(ButterworthEffect, HugeNoiseStillDrawsTheLayout) {
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    display(view, {.noise = "1e305", .cutOff = "0.25", .order = "8", .butterworth = true});
    expectLayout(view, screen);
  }
}

TEST(ButterworthEffect, TwinsDrawTheSamePictureForNonNegativeNoise) {
  const Entries e{.noise = "12", .cutOff = "0.2", .order = "5.5", .butterworth = true};
  ScreenView tutorial("CDialog13");
  ScreenView page("CPageA3");
  display(tutorial, e);
  display(page, e);
  const PixelRect a = tutorial.frameRect(kPlot), b = page.frameRect(kPlot);
  const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
  int differing = 0;
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y)
      if (tutorial.framePixel(kPlot, x, y) != page.framePixel(kPlot, x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  EXPECT_GT(countColour(page, colors::red), 0);
}

TEST(ButterworthEffect, EraseRestoresTheEmptyPlotAndKeepsEntries) {
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    display(view, {.noise = "7", .cutOff = "0.25", .order = "8", .butterworth = true});
    ASSERT_TRUE(view.press(kErase));
    expectOutline(view, screen);
    expectLayout(view, screen);
    EXPECT_EQ(countColour(view, colors::blue), 0) << screen;
    EXPECT_EQ(countColour(view, colors::red), 0) << screen;
    EXPECT_EQ(view.text(kNoise), "7") << screen;
    EXPECT_TRUE(view.isChecked(kBw)) << screen;
    EXPECT_TRUE(view.isChecked(kWaveform1)) << screen;
  }
}

TEST(ButterworthEffect, ColouringOfTitleBandAndEdits) {
  struct Case {
    int id;
    ControlKind kind;
    std::optional<draw::Color> text;
    std::optional<draw::Color> background;
  };
  const Case cases[] = {
      {1002, ControlKind::Static, colors::white, colors::titleBlue},
      {kOrder, ControlKind::Edit, colors::red, std::nullopt},
      {kCutOff, ControlKind::Edit, colors::red, std::nullopt},
      {kNoise, ControlKind::Edit, colors::blue, std::nullopt},
      {1008, ControlKind::Static, std::nullopt, std::nullopt},
      {kPlot, ControlKind::Static, std::nullopt, std::nullopt},
  };
  for (const char* screen : kBothScreens) {
    ScreenView view(screen);
    for (const Case& c : cases) {
      const ControlColour got = view.screen()->OnTitleColor(c.id, c.kind);
      EXPECT_EQ(got.text, c.text) << screen << " " << c.id;
      EXPECT_EQ(got.background, c.background) << screen << " " << c.id;
    }
  }
}

TEST(ButterworthEffect, TutorialNavigation) {
  const std::pair<int, const char*> moves[] = {{1020, "CDialog12"}, {1011, "CDialog1"}};
  for (auto [button, target] : moves) {
    ScreenView view("CDialog13");
    ASSERT_TRUE(view.press(button));
    EXPECT_EQ(view.successor(), target);
  }
}

}  // namespace
}  // namespace lumo
